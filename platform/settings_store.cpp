#include "platform/settings_store.h"

#include "platform/user_homes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QSysInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// One line of the file as read: lines the parser cannot take are kept as they are.
struct Line {
  enum Kind { Other, Header, Value };
  QByteArray raw;  // without its "\n"
  Kind kind = Other;
  QString name, value;  // of a value line
};

// A header and the lines under it up to the next header; the lines before the first header
// are a block without one.
struct Block {
  std::optional<QString> section;  // none before any header and under one that cannot be read
  std::vector<Line> lines;
};

// The blocks of each key, by its folded path, in file order. Sorted, so that a key's subkeys
// (the paths that begin with the key's and a backslash) lie together.
using KeyIndex = std::map<QString, std::vector<std::size_t>>;

// An edit copies only the block it changes: a batch's copy of a large file and the file it
// saves share every other block with the parse.
struct Document {
  std::vector<std::shared_ptr<const Block>> blocks;  // null where a key was erased
  KeyIndex index;
  QString unreadable;  // why an existing file could not be read; it is then never saved
};

constexpr QChar kSeparator = u'\\';
const QString kDefaultValueName = QStringLiteral("@");

QString NormalisePath(const QString& path) {
  return path.split(kSeparator, Qt::SkipEmptyParts).join(kSeparator);
}

// Folding keeps every character in its plane, so names of other lengths never match: a look
// through a large key compares few names.
bool SameName(const QString& a, const QString& b) {
  return a.size() == b.size() && QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// Folded code point by code point, as the case-insensitive comparison folds: two paths are
// the same key exactly when their folded texts are equal.
QString Folded(const QString& text) {
  QString out(text.size(), Qt::Uninitialized);
  QChar* to = out.data();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text.at(++i)));
      if (QChar::requiresSurrogates(folded)) {
        *to++ = QChar(QChar::highSurrogate(folded));
        *to++ = QChar(QChar::lowSurrogate(folded));
      } else {
        *to++ = QChar(char16_t(folded));
      }
    } else {
      *to++ = c.toCaseFolded();
    }
  }
  out.truncate(to - out.constData());
  return out;
}

// The index entries of the key's subkeys, deeper ones too.
std::pair<KeyIndex::const_iterator, KeyIndex::const_iterator> SubKeyRange(const KeyIndex& index,
                                                                          const QString& key) {
  if (key.isEmpty()) return {index.upper_bound(QString()), index.end()};
  const QString folded = Folded(key);
  // The separator is followed by "]" in code order.
  return {index.lower_bound(folded + kSeparator), index.lower_bound(folded + u']')};
}

// Percent-escapes what the line syntax would misread: '%', control characters,
// blanks at either end (reading trims) and the characters in `special`.
QString Escape(const QString& text, QStringView special) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    const bool edgeBlank = c == u' ' && (i == 0 || i == text.size() - 1);
    if (c == u'%' || c.unicode() < 0x20 || c.unicode() == 0x7f || edgeBlank ||
        special.contains(c)) {
      out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QChar(u'0')).toUpper();
    } else {
      out += c;
    }
  }
  return out;
}

// An invalid escape is taken literally, so hand-edited files stay readable.
QString Unescape(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) == u'%' && i + 2 < text.size()) {
      bool ok = false;
      const uint code = text.mid(i + 1, 2).toUInt(&ok, 16);
      if (ok && code < 0x80) {
        out += QChar(char16_t(code));
        i += 2;
        continue;
      }
    }
    out += text.at(i);
  }
  return out;
}

QString EncodeName(const QString& name) {
  if (name.isEmpty()) return kDefaultValueName;
  if (name == kDefaultValueName) return QStringLiteral("%40");
  return Escape(name, u"=[];#");
}

QString EncodeSectionPath(const QString& path) {
  QStringList parts = path.split(kSeparator);
  for (QString& part : parts) part = Escape(part, u"[]");
  return parts.join(kSeparator);
}

// Only ASCII blanks and control characters are trimmed: those are what Escape protects.
QStringView TrimAscii(QStringView text) {
  while (!text.isEmpty() && text.front().unicode() <= 0x20) text = text.mid(1);
  while (!text.isEmpty() && text.back().unicode() <= 0x20) text.chop(1);
  return text;
}

// Reading takes a byte-order mark that begins a line for no part of it (as every build has
// read them), so a name that begins with one gets a blank before it, which reading trims.
constexpr QChar kByteOrderMark = u'\ufeff';

// The line a value is written as; a line of a CR LF file keeps its CR.
QByteArray ValueLine(const QString& name, const QString& value, bool cr) {
  QString encoded = EncodeName(name);
  if (encoded.startsWith(kByteOrderMark)) encoded.prepend(u' ');
  QByteArray line = (encoded + u'=' + Escape(value, u"")).toUtf8();
  if (cr) line += '\r';
  return line;
}

// A line whose first character other than a blank (or the byte-order mark) is "[".
bool LooksLikeHeader(QByteArrayView raw, bool first) {
  if (first && raw.startsWith("\xEF\xBB\xBF")) raw = raw.sliced(3);
  while (!raw.isEmpty() && uchar(raw.front()) <= 0x20) raw = raw.sliced(1);
  return raw.startsWith('[');
}

// Sets the line's kind from its bytes; true when it begins a block. `owner` is the section
// the line lies in: none after a header that cannot be read, so values under it are kept but
// not taken, and no write goes under it.
bool ParseLine(Line& line, std::optional<QString>& owner, bool first) {
  auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                          QStringDecoder::Flag::ConvertInitialBom);
  QString text = toUtf16(line.raw);
  line.kind = Line::Other;
  if (toUtf16.hasError() || text.contains(QChar(u'\0'))) {
    if (!LooksLikeHeader(line.raw, first)) return false;
    owner.reset();
    return true;
  }
  // One byte-order mark that begins a line is no part of it, and one more at the file's start.
  if (text.startsWith(kByteOrderMark)) text.remove(0, 1);
  if (first && text.startsWith(kByteOrderMark)) text.remove(0, 1);
  const QStringView trimmed = TrimAscii(text);
  if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) return false;
  if (trimmed.startsWith(u'[')) {
    owner.reset();
    if (!trimmed.endsWith(u']')) return true;
    QStringList parts;
    for (QStringView part : trimmed.mid(1, trimmed.size() - 2).split(kSeparator))
      if (!TrimAscii(part).isEmpty()) parts += Unescape(TrimAscii(part));
    owner = parts.join(kSeparator);
    line.kind = Line::Header;
    return true;
  }
  const qsizetype eq = trimmed.indexOf(u'=');
  if (eq < 0 || !owner) return false;
  const QStringView rawName = TrimAscii(trimmed.left(eq));
  line.kind = Line::Value;
  line.name = rawName == kDefaultValueName ? QString() : Unescape(rawName);
  line.value = Unescape(TrimAscii(trimmed.mid(eq + 1)));
  return false;
}

// The lines are moved into a vector of their own size: growing one line by line would make,
// for most blocks, a request the allocator serves only after sorting all its freed chunks.
void AddBlock(Document& doc, std::optional<QString> section, std::vector<Line>& lines) {
  auto block = std::make_shared<Block>();
  block->section = std::move(section);
  block->lines.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  lines.clear();
  if (block->section) doc.index[Folded(*block->section)].push_back(doc.blocks.size());
  doc.blocks.push_back(std::move(block));
}

Document Parse(const QByteArray& bytes) {
  Document doc;
  std::optional<QString> owner, section;
  std::vector<Line> lines;
  for (qsizetype at = 0; at < bytes.size();) {
    qsizetype end = bytes.indexOf('\n', at);
    if (end < 0) end = bytes.size();
    Line line;
    line.raw = bytes.mid(at, end - at);
    if (ParseLine(line, owner, at == 0) && !lines.empty()) {
      AddBlock(doc, std::move(section), lines);
      section = owner;
    } else if (at == 0) {
      section = owner;
    }
    lines.push_back(std::move(line));
    at = end + 1;
  }
  if (!lines.empty()) AddBlock(doc, std::move(section), lines);
  return doc;
}

QByteArray Serialise(const Document& doc) {
  qsizetype size = 0;
  for (const auto& block : doc.blocks)
    if (block)
      for (const Line& line : block->lines) size += line.raw.size() + 1;
  QByteArray bytes;
  bytes.reserve(size);
  for (const auto& block : doc.blocks)
    if (block)
      for (const Line& line : block->lines) bytes.append(line.raw).append('\n');
  return bytes;
}

// The block to change, copied first where another document shares it; one this document
// alone holds (a batch's, after its first change there) is changed in place, so that a batch
// copies each block once.
Block& Changed(Document& doc, std::size_t block) {
  if (doc.blocks[block].use_count() != 1)
    doc.blocks[block] = std::make_shared<Block>(*doc.blocks[block]);
  // Every block is made as a Block; only sharing makes it const.
  return const_cast<Block&>(*doc.blocks[block]);
}

const std::vector<std::size_t>* KeyBlocks(const Document& doc, const QString& path) {
  const auto found = doc.index.find(Folded(path));
  return found == doc.index.end() ? nullptr : &found->second;
}

// The value lines of the key `path`, in file order.
std::vector<const Line*> ValueLines(const Document& doc, const QString& path) {
  std::vector<const Line*> lines;
  if (const auto* blocks = KeyBlocks(doc, path))
    for (const std::size_t b : *blocks)
      for (const Line& line : doc.blocks[b]->lines)
        if (line.kind == Line::Value) lines.push_back(&line);
  return lines;
}

struct Where {
  std::size_t block, line;
};

// The value line that reading takes: the last one of that name in the key.
std::optional<Where> FindValue(const Document& doc, const QString& path, const QString& name) {
  const auto* blocks = KeyBlocks(doc, path);
  if (!blocks) return std::nullopt;
  for (auto b = blocks->rbegin(); b != blocks->rend(); ++b) {
    const std::vector<Line>& lines = doc.blocks[*b]->lines;
    for (std::size_t l = lines.size(); l-- > 0;)
      if (lines[l].kind == Line::Value && SameName(lines[l].name, name)) return Where{*b, l};
  }
  return std::nullopt;
}

const Line* ValueAt(const Document& doc, const std::optional<Where>& where) {
  return where ? &doc.blocks[where->block]->lines[where->line] : nullptr;
}

const Line* FirstLine(const Document& doc) {
  for (const auto& block : doc.blocks)
    if (block && !block->lines.empty()) return &block->lines.front();
  return nullptr;
}

bool UsesCr(const Document& doc) {
  const Line* first = FirstLine(doc);
  return first && first->raw.endsWith('\r');
}

// A new key goes at the end, a blank line before it.
void AppendHeader(Document& doc, const QString& path) {
  const bool cr = UsesCr(doc);
  for (std::size_t b = doc.blocks.size(); b-- > 0;) {
    if (!doc.blocks[b] || doc.blocks[b]->lines.empty()) continue;
    if (!TrimAscii(QString::fromUtf8(doc.blocks[b]->lines.back().raw)).isEmpty()) {
      Line blank;
      blank.raw = cr ? QByteArray("\r") : QByteArray();
      Changed(doc, b).lines.push_back(std::move(blank));
    }
    break;
  }
  std::vector<Line> lines(1);
  lines.front().kind = Line::Header;
  lines.front().raw = (u'[' + EncodeSectionPath(path) + u']').toUtf8();
  if (cr) lines.front().raw += '\r';
  AddBlock(doc, path, lines);
}

// False when the value was already so.
bool SetValue(Document& doc, const QString& path, const QString& name, const QString& value) {
  if (const auto found = FindValue(doc, path, name)) {
    if (ValueAt(doc, found)->value == value) return false;
    Line& line = Changed(doc, found->block).lines[found->line];
    // The name keeps its spelling in the file; only what follows "=" changes.
    const bool cr = line.raw.endsWith('\r');
    line.raw = line.raw.left(line.raw.indexOf('=') + 1) + Escape(value, u"").toUtf8();
    if (cr) line.raw += '\r';
    line.value = value;
    return true;
  }
  if (!KeyBlocks(doc, path)) AppendHeader(doc, path);
  const bool cr = UsesCr(doc);
  // After the last value of the key's last header, else right after that header.
  Block& block = Changed(doc, KeyBlocks(doc, path)->back());
  std::size_t at = 1;
  for (std::size_t i = 0; i < block.lines.size(); ++i)
    if (block.lines[i].kind == Line::Value) at = i + 1;
  Line added;
  added.kind = Line::Value;
  added.name = name;
  added.value = value;
  added.raw = ValueLine(name, value, cr);
  block.lines.insert(block.lines.begin() + std::ptrdiff_t(at), std::move(added));
  return true;
}

bool DeleteValueLines(Document& doc, const QString& path, const QString& name) {
  const auto* blocks = KeyBlocks(doc, path);
  if (!blocks) return false;
  const auto named = [&](const Line& line) {
    return line.kind == Line::Value && SameName(line.name, name);
  };
  bool deleted = false;
  for (const std::size_t b : *blocks) {
    if (std::none_of(doc.blocks[b]->lines.begin(), doc.blocks[b]->lines.end(), named)) continue;
    std::erase_if(Changed(doc, b).lines, named);
    deleted = true;
  }
  return deleted;
}

// Drops the key's blocks, every line under its headers, the unparsed ones too; with
// `subKeys` those of the keys below it as well.
bool EraseKey(Document& doc, const QString& path, bool subKeys) {
  std::vector<KeyIndex::const_iterator> erased;
  if (const auto found = doc.index.find(Folded(path)); found != doc.index.end())
    erased.push_back(found);
  if (subKeys)
    for (auto [it, end] = SubKeyRange(doc.index, path); it != end; ++it) erased.push_back(it);
  for (const auto& key : erased) {
    for (const std::size_t b : key->second) doc.blocks[b].reset();
    doc.index.erase(key);
  }
  return !erased.empty();
}

// The cause of a failed file operation, in the program's language.
QString SystemErrorText(int error) {
  switch (error) {
    case ENOSPC:
      return QStringLiteral("Нет места на диске");
    case EDQUOT:
      return QStringLiteral("Превышена дисковая квота");
    case EFBIG:
      return QStringLiteral("Файл слишком велик");
    case EACCES:
    case EPERM:
      return QStringLiteral("Доступ запрещён");
    case EROFS:
      return QStringLiteral("Файловая система доступна только для чтения");
    case ENOENT:
      return QStringLiteral("Нет такого файла или каталога");
    case ENOTDIR:
      return QStringLiteral("Часть пути не является каталогом");
    case EISDIR:
      return QStringLiteral("Это каталог");
    case EEXIST:
      return QStringLiteral("Файл уже существует");
    case EIO:
      return QStringLiteral("Ошибка ввода-вывода");
    case ENAMETOOLONG:
      return QStringLiteral("Слишком длинное имя файла");
    case ELOOP:
      return QStringLiteral("Слишком много символических ссылок");
    case EMFILE:
    case ENFILE:
      return QStringLiteral("Слишком много открытых файлов");
    case ENOMEM:
      return QStringLiteral("Недостаточно памяти");
    case EBUSY:
    case ETXTBSY:
      return QStringLiteral("Файл занят");
    case EWOULDBLOCK:
      return QStringLiteral("Ресурс временно недоступен");
    case ENOLCK:
      return QStringLiteral("Блокировки файлов здесь недоступны");
    default:
      break;
  }
  return QStringLiteral("Системная ошибка %1").arg(error);
}

// What a path that is no regular file is, in the words of a refusal.
QString KindText(mode_t mode) {
  if (S_ISDIR(mode)) return SystemErrorText(EISDIR);
  if (S_ISFIFO(mode)) return QStringLiteral("Это канал, а не файл");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("Это устройство, а не файл");
  if (S_ISSOCK(mode)) return QStringLiteral("Это сокет, а не файл");
  return QStringLiteral("Это не обычный файл");
}

// What one read takes at most: a larger settings file is no settings file of this program.
constexpr qsizetype kLargestFile = qsizetype(64) << 20;

QString TooLargeText() {
  return QStringLiteral("Файл больше %1 МБ").arg(kLargestFile >> 20);
}

QString ReadFailure(const QString& filePath, const QString& cause) {
  return QStringLiteral("Не удаётся прочитать файл настроек %1: %2; он оставлен как есть")
      .arg(filePath, cause);
}

QString SaveFailure(const QString& filePath, const QString& cause) {
  return QStringLiteral("Не удаётся сохранить файл настроек %1: %2").arg(filePath, cause);
}

// A failure that left no errno behind is taken for an input/output error.
QString SaveFailure(const QString& filePath, int error) {
  return SaveFailure(filePath, SystemErrorText(error != 0 ? error : EIO));
}

// What tells an unchanged file: the same file (device and inode), size, and modification and
// change times to the nanosecond. The change time is set by every write and no tool sets it
// back, so an edit in place that keeps size and modification time shows too.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{}, changed{};

  explicit FileIdentity(const struct stat& status)
      : device(status.st_dev),
        inode(status.st_ino),
        size(status.st_size),
        modified(status.st_mtim),
        changed(status.st_ctim) {}
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

constexpr int kTooLarge = -1;

// 0, or the errno of the read that failed; kTooLarge when the file holds more than `limit`
// bytes. From the file's start, whatever the descriptor's offset.
int ReadAll(int fd, qsizetype sizeHint, qsizetype limit, QByteArray& bytes) {
  bytes.resize(std::min(sizeHint, limit) + 1);  // one more, so the end shows without growing
  qsizetype used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > limit) return kTooLarge;
      bytes.resize(std::min(bytes.size() * 2, limit + 1));
    }
    const ssize_t got =
        ::pread(fd, bytes.data() + used, std::size_t(bytes.size() - used), off_t(used));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    used += got;
  }
  if (used > limit) return kTooLarge;
  bytes.resize(used);
  return 0;
}

// 0, or the errno of the write that failed: after a short write (full disk, size limit)
// the next write tells why.
int WriteAll(int fd, QByteArrayView bytes) {
  while (!bytes.isEmpty()) {
    const ssize_t put = ::write(fd, bytes.data(), std::size_t(bytes.size()));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    if (put == 0) return ENOSPC;
    bytes = bytes.sliced(put);
  }
  return 0;
}

// The folder part of a path, as the system resolves it.
QByteArray FolderOf(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  if (slash < 0) return ".";
  return slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray NameOf(const QByteArray& path) {
  return path.mid(path.lastIndexOf('/') + 1);
}

// A save holds the lock beside the file it replaces (the name at the end of the links to the
// settings file's name, where its temporary file goes too) while it merges and replaces, so that
// two copies of the program never save over each other's changes, also where one reaches the
// file through a link and the other by its own name. The lock is a file of its own holding
// the holder's process id, program and host (as QLockFile writes them, so that older builds
// agree), made with O_EXCL and held with flock while it lasts. Whatever the umask, it is
// readable by everyone (kLockMode: it holds nothing private), so that every copy that may write
// the folder can test its flock: a flocked lock is live however old. A lock is stale when its
// program is gone (on this host) or it is older than kStaleLockTime, and an empty, garbled or
// unreadable one once it is older than kGarbledLockTime (its maker writes it at once); one the
// user cannot open at all (made by something else) tells its age alone. Every wait of a save,
// the flock on a lock just made and the folder's flock, the release's too, ends by the save's one
// deadline.
//
// Why two copies never hold it at once:
// - A lock is taken only by making the file with O_EXCL, so of two makers one wins. Its maker
//   flocks it at once, and goes on only when the name still leads to its file afterwards
//   (a remover may have taken the file for stale before the flock). A copy judging the new
//   file may hold its flock meanwhile; when it does so until the deadline, the maker removes
//   its file again (under the guard, while the name leads to it) and is refused as busy.
// - A flocked lock is live to everyone who can open it, whatever it says.
// - A lock file goes from the folder only under the folder's own flock (FolderGuard): a
//   remover's and the holder's alike. Under it, the remover takes the name again and unlinks
//   only when it still leads to the very file it judged stale (device, inode, change time).
//   No one else unlinks meanwhile, and only an unlink frees the name for a new lock, so the
//   file unlinked is the one judged, never a lock that another copy made since.
// - The holder unlinks, under the same guard, only when the name still leads to its own file.
// Where the file system has no flock at all, the O_EXCL file alone is the lock (as QLockFile
// keeps it) and a stale one is named, never removed, since no removal could be made safe.
constexpr std::chrono::milliseconds kStaleLockTime{30000};
constexpr std::chrono::milliseconds kGarbledLockTime{2000};
constexpr std::chrono::milliseconds kLockWait{10000};
constexpr mode_t kLockMode = 0644;
constexpr std::chrono::microseconds kFirstRetry{200};
constexpr std::chrono::microseconds kLongestRetry{10000};

bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The same file, unchanged since: an inode number may pass to a new file once the old is gone.
bool SameFileUnchanged(const struct stat& a, const struct stat& b) {
  return SameInode(a, b) && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

std::chrono::milliseconds Age(const struct stat& status) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto age = std::chrono::seconds(now.tv_sec - status.st_mtim.tv_sec) +
                   std::chrono::nanoseconds(now.tv_nsec - status.st_mtim.tv_nsec);
  // A time ahead of this host's clock counts as old as far ahead.
  return std::chrono::abs(std::chrono::duration_cast<std::chrono::milliseconds>(age));
}

// Short waits, growing: saves take a few milliseconds.
void Pause(std::chrono::microseconds& retry) {
  std::this_thread::sleep_for(retry);
  retry = std::min(retry * 2, kLongestRetry);
}

// Without blocking: a pipe put in the file's place since the look would hold the open. A file
// another program holds a lease on answers EWOULDBLOCK until it lets go: a short wait. Never
// through a link (ELOOP): the links to the file are followed only as Locate judges them.
int OpenForReading(const QByteArray& path) {
  const QDeadlineTimer deadline(1000);
  std::chrono::microseconds retry = kFirstRetry;
  for (;;) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 || errno != EWOULDBLOCK || deadline.hasExpired()) return fd;
    Pause(retry);
  }
}

// CLOCK_REALTIME in nanoseconds, the clock file times come from.
qint64 Nanoseconds(const timespec& time) {
  return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

qint64 Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

// File times have the file system's grain: an edit within the grain of the one before keeps
// every time the file has. Whole seconds where the change time shows nothing finer (ext4 with
// small inodes; FAT counts two), else the kernel clock's tick; with a margin for that clock's
// lag behind CLOCK_REALTIME.
qint64 TimeGrain(const timespec& changed) {
  return changed.tv_nsec == 0 ? 2100000000 : 50000000;
}

// 0 when flocked, else the errno; EWOULDBLOCK when another holds it. Never waits: a wait
// for a flock is a loop with a deadline (FlockBy).
int TryFlock(int fd) {
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    if (errno != EINTR) return errno;
  return 0;
}

// Tries a flock until it is had or the deadline has passed; 0 when flocked, else the errno
// (EWOULDBLOCK: another still holds it).
int FlockBy(int fd, const QDeadlineTimer& deadline) {
  std::chrono::microseconds retry = kFirstRetry;
  int failed = 0;
  while ((failed = TryFlock(fd)) == EWOULDBLOCK && !deadline.hasExpired()) Pause(retry);
  return failed;
}

// The flock of the folder that holds the lock file, which every removal of a lock file holds.
// A folder needs no file of its own for it, and stays.
class FolderGuard {
 public:
  explicit FolderGuard(const QByteArray& folder, const QDeadlineTimer& deadline) {
    fd_ = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
      error_ = errno;
      return;
    }
    // Held for a few system calls at a time: a guard still taken after the wait is no guard.
    error_ = FlockBy(fd_, deadline);
  }
  ~FolderGuard() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderGuard(const FolderGuard&) = delete;
  FolderGuard& operator=(const FolderGuard&) = delete;

  // 0 when held, else the errno.
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
};

class SaveLock {
 public:
  // The lock of `target`, the name the settings file `filePath` leads to; `deadline` is the
  // save's, and bounds the release too.
  SaveLock(const QString& filePath, const QByteArray& target, const QDeadlineTimer& deadline)
      : filePath_(filePath),
        path_(target + ".lock"),
        lockPath_(QFile::decodeName(path_)),
        folder_(FolderOf(path_)),
        deadline_(deadline) {}
  ~SaveLock() {
    if (fd_ >= 0) Release();
  }
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

  // Empty when taken, else why not.
  QString Take() {
    std::chrono::microseconds retry = kFirstRetry;
    for (;;) {
      const int failed = Create();
      if (failed == 0) return {};
      // Made, but another copy held its flock until the deadline.
      if (failed == EWOULDBLOCK) return Busy();
      if (failed != EEXIST) return Failure(SystemErrorText(failed));
      const Holder holder = Inspect();
      if (holder.state == Holder::Refused) return Failure(holder.cause);
      if (holder.state == Holder::Stale) {
        if (!holder.removeError.isEmpty())
          return Failure(
              QStringLiteral("%1, а удалить его нельзя: %2").arg(holder.cause, holder.removeError));
        // Removed: taken at once, unless stale locks keep coming back past the deadline.
        if (!deadline_.hasExpired()) continue;
      }
      // Live, or gone between the attempt and the look: another copy is taking turns.
      if (deadline_.hasExpired()) return holder.cause.isEmpty() ? Busy() : Failure(holder.cause);
      Pause(retry);
    }
  }

 private:
  // What is in the way of a lock that exists.
  struct Holder {
    enum State { Gone, Live, Stale, Refused } state = Live;
    // Why it stands, for the user; empty for a live copy of the program on this host.
    QString cause;
    QString removeError;  // why a stale one could not be removed
  };

  QString Busy() const {
    return QStringLiteral("Файл настроек %1 занят другой копией программы").arg(filePath_);
  }

  QString Failure(const QString& cause) const {
    return QStringLiteral("Не удаётся заблокировать файл настроек %1 (файл блокировки %2): %3")
        .arg(filePath_, lockPath_, cause);
  }

  // 0 when the lock is this store's now, else the errno (EEXIST: another lock is there;
  // EWOULDBLOCK: made, but another copy inspecting it held its flock until the deadline, and
  // removed again).
  int Create() {
    const int fd = ::open(path_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kLockMode);
    if (fd < 0) return errno;
    fd_ = fd;
    // The umask takes bits from the mode that open gives; a file system without modes refuses.
    ::fchmod(fd, kLockMode);
    // A copy that opened it to judge it holds its flock for a moment, or, stopped there, for
    // long. Without flock here (ENOLCK on a network file system) the file alone is the lock.
    if (FlockBy(fd, deadline_) == EWOULDBLOCK) {
      // No other copy removes a lock that one holds, so this one goes only by its maker.
      Release();
      return EWOULDBLOCK;
    }
    // A copy that found it empty and took it for stale may have removed it before the flock:
    // then it is no lock, and the next round makes another.
    struct stat mine {
    }, named{};
    if (::fstat(fd, &mine) != 0 || ::lstat(path_.constData(), &named) != 0 ||
        !SameInode(mine, named)) {
      ::close(fd);
      fd_ = -1;
      return EEXIST;
    }
    const QByteArray holder = QByteArray::number(qint64(::getpid())) + '\n' +
                              QCoreApplication::applicationName().toUtf8() + '\n' +
                              QSysInfo::machineHostName().toUtf8() + '\n';
    if (const int failed = WriteAll(fd, holder); failed != 0) {
      Release();
      return failed;
    }
    return 0;
  }

  // Removes the lock file while it is still this store's own, within what is left of the save's
  // deadline.
  void Release() {
    // Without the guard (a folder that cannot be read or flocked, or one flocked past the
    // deadline, which a guard taken once the deadline has passed is at once) the check still
    // keeps to its own file, as far as it can.
    const FolderGuard guard(folder_, deadline_);
    struct stat mine {
    }, named{};
    if (::fstat(fd_, &mine) == 0 && ::lstat(path_.constData(), &named) == 0 &&
        SameInode(mine, named))
      ::unlink(path_.constData());
    ::close(fd_);
    fd_ = -1;
  }

  Holder Inspect() const {
    struct stat named {};
    if (::lstat(path_.constData(), &named) != 0) {
      if (errno == ENOENT) return {Holder::Gone, {}, {}};
      return {Holder::Refused, SystemErrorText(errno), {}};
    }
    if (!S_ISREG(named.st_mode)) return {Holder::Refused, KindText(named.st_mode), {}};
    Holder holder;
    const int fd = ::open(path_.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
      if (errno == ENOENT) return {Holder::Gone, {}, {}};
      // Unopenable: its age alone tells.
      holder.cause = SystemErrorText(errno);
      if (Age(named) > kStaleLockTime) {
        holder.state = Holder::Stale;
        holder.cause = QStringLiteral("он старше %1 с").arg(kStaleLockTime.count() / 1000);
      }
    } else {
      // A live holder keeps its flock; without it only what the file says tells.
      const bool held = TryFlock(fd) == EWOULDBLOCK;
      struct stat opened {};
      QByteArray bytes;
      if (::fstat(fd, &opened) != 0) {
        holder = {Holder::Refused, SystemErrorText(errno), {}};
      } else if (!SameInode(opened, named)) {
        holder = {Holder::Gone, {}, {}};  // replaced since the look
      } else if (const int failed = ReadAll(fd, 256, 4096, bytes);
                 failed != 0 && failed != kTooLarge) {
        holder.cause = SystemErrorText(failed);
        if (!held && Age(opened) > kGarbledLockTime) holder.state = Holder::Stale;
      } else {
        // Larger than any lock: garbled.
        holder = Judge(failed == 0 ? bytes : QByteArray(), opened, held);
      }
      named = opened;
    }
    if (holder.state == Holder::Stale) holder.removeError = Remove(named);
    if (fd >= 0) ::close(fd);
    return holder;
  }

  // Empty when the stale lock `judged` is gone, else why it cannot be removed.
  QString Remove(const struct stat& judged) const {
    const FolderGuard guard(folder_, deadline_);
    if (guard.Error() != 0) return SystemErrorText(guard.Error());
    struct stat now {};
    if (::lstat(path_.constData(), &now) != 0)
      return errno == ENOENT ? QString() : SystemErrorText(errno);
    // Another lock in its place is judged afresh in the next round.
    if (SameFileUnchanged(now, judged) && ::unlink(path_.constData()) != 0 && errno != ENOENT)
      return SystemErrorText(errno);
    return {};
  }

  // Live or stale, from what the lock file says.
  static Holder Judge(const QByteArray& bytes, const struct stat& status, bool held) {
    const QList<QByteArray> lines = bytes.split('\n');
    bool numeric = false;
    const qint64 pid = lines.value(0).toLongLong(&numeric);
    const QString host = QString::fromUtf8(lines.value(2));
    const std::chrono::milliseconds age = Age(status);
    Holder holder;
    if (!numeric || pid <= 0 || lines.size() < 3) {
      holder.cause = QStringLiteral("он пуст или испорчен");
      if (!held && age > kGarbledLockTime) holder.state = Holder::Stale;
      return holder;
    }
    const bool thisHost = host.isEmpty() || host == QSysInfo::machineHostName();
    if (!thisHost)
      holder.cause = QStringLiteral("его держит копия программы на компьютере %1").arg(host);
    if (held) return holder;
    if (thisHost && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) {
      holder.state = Holder::Stale;
      holder.cause = QStringLiteral("он остался от завершившейся программы");
    } else if (age > kStaleLockTime) {
      holder.state = Holder::Stale;
      holder.cause = QStringLiteral("он старше %1 с").arg(kStaleLockTime.count() / 1000);
    }
    return holder;
  }

  const QString filePath_;
  const QByteArray path_;
  const QString lockPath_;
  const QByteArray folder_;
  const QDeadlineTimer deadline_;
  int fd_ = -1;
};

// Where the settings file's name leads: the name a read opens and a save replaces.
struct Location {
  QByteArray path;        // the settings file's own name, or the name at the end of its links
  struct stat status {};  // of that name, when something is there
  int error = 0;          // the errno of the look when nothing is: ENOENT for an absent file
  QString cause;          // why a link on the way is not followed; empty when it is
};

constexpr int kMostLinks = 40;  // as the system follows

QString ForeignLinkText() {
  return QStringLiteral("Это символическая ссылка, созданная другим пользователем");
}

// A link at the settings file's name is followed when the user made it (settings kept in
// another folder of theirs) or the owner of the folder that holds it, who could put any file
// there: never one that another user planted in a folder others may write, which would hand
// that user what the program reads and a file of their choosing for its save to replace.
bool MayFollow(const struct stat& link, const QByteArray& folder) {
  if (link.st_uid == ::geteuid()) return true;
  struct stat holder {};
  return ::stat(folder.constData(), &holder) == 0 && holder.st_uid == link.st_uid;
}

// Follows the links at the settings file's name, each judged on its own, to the name at their
// end, which is then taken as it is (no link follows a read or a save past it).
Location Locate(const QString& filePath) {
  Location where;
  where.path = QFile::encodeName(filePath);
  for (int links = 0;; ++links) {
    if (::lstat(where.path.constData(), &where.status) != 0) {
      where.error = errno;
      return where;
    }
    if (!S_ISLNK(where.status.st_mode)) return where;
    const QByteArray folder = FolderOf(where.path);
    if (links == kMostLinks) {
      where.cause = SystemErrorText(ELOOP);
      return where;
    }
    if (!MayFollow(where.status, folder)) {
      where.cause = ForeignLinkText();
      return where;
    }
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length =
        ::readlink(where.path.constData(), target.data(), std::size_t(target.size()));
    if (length < 0 || length == target.size()) {
      where.cause = SystemErrorText(length < 0 ? errno : ENAMETOOLONG);
      return where;
    }
    target.truncate(length);
    // A link never changes, but another may take its name: the target read is the judged link's
    // only when the name still leads to it; else the name is judged afresh.
    struct stat again {};
    if (::lstat(where.path.constData(), &again) != 0 || !SameFileUnchanged(again, where.status))
      continue;
    where.path = target.startsWith('/') ? target : folder + '/' + target;
  }
}

// A save's temporary file: beside the file it replaces, named after it, then ".jwsave-" and six
// letters or digits. A save makes one only under the lock and holds its flock from making it
// until after the replace, so that a later save tells a file a killed save left (no one holds
// it) from one that a save still writes.
constexpr QByteArrayView kTempMark(".jwsave-");
constexpr qsizetype kTempLetters = 6;

bool IsTempOf(QByteArrayView entry, QByteArrayView name) {
  if (entry.size() != name.size() + kTempMark.size() + kTempLetters || !entry.startsWith(name) ||
      !entry.sliced(name.size()).startsWith(kTempMark))
    return false;
  const QByteArrayView letters = entry.last(kTempLetters);
  return std::all_of(letters.begin(), letters.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
  });
}

// Makes and flocks the temporary file of a save that replaces `target`; its descriptor, or -1
// with the errno. Readable, like the file it replaces, by those who may read that file; a new
// file has the umask's mode.
int MakeTemp(const QByteArray& target, QByteArray& temp) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  struct stat old {};
  const bool replacing = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = target;
    temp += kTempMark;
    for (qsizetype i = 0; i < kTempLetters; ++i)
      temp += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          replacing ? 0600 : 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    // A save that took the lock for stale while its holder still lived may be removing
    // leftovers meanwhile: a file it holds or removed before the flock is this save's no more.
    struct stat made {
    }, named{};
    if (TryFlock(fd) == EWOULDBLOCK || ::fstat(fd, &made) != 0 ||
        ::lstat(temp.constData(), &named) != 0 || !SameInode(made, named)) {
      ::close(fd);
      continue;
    }
    if (replacing) ::fchmod(fd, old.st_mode & 0777);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

// Removes the temporary files of `target` that killed saves left. Under the lock: every save
// makes its file under the lock, so the only save that could still be writing one is a holder
// whose lock another copy took for stale while it lived, and that save holds its file's flock.
// One that cannot be opened or flocked (a file system without flock) stays.
void RemoveLeftovers(const QByteArray& target) {
  const QByteArray name = NameOf(target);
  DIR* const folder = ::opendir(FolderOf(target).constData());
  if (!folder) return;
  const int at = ::dirfd(folder);
  while (const dirent* entry = ::readdir(folder)) {
    if (!IsTempOf(entry->d_name, name)) continue;
    const int fd = ::openat(at, entry->d_name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat left {
    }, named{};
    if (TryFlock(fd) == 0 && ::fstat(fd, &left) == 0 && S_ISREG(left.st_mode) &&
        ::fstatat(at, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameInode(left, named))
      ::unlinkat(at, entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(folder);
}

// Replaces `target`, the name the settings file `filePath` leads to, atomically: the bytes go
// to a temporary file beside it, to the disk, and then to its name; on failure the old file
// stays as it was and the temporary file goes.
bool Save(const QByteArray& target, const QString& filePath, const QByteArray& bytes,
          QString& error) {
  QByteArray temp;
  errno = 0;
  const int fd = MakeTemp(target, temp);
  if (fd < 0) {
    error = SaveFailure(filePath, errno);
    return false;
  }
  int failed = WriteAll(fd, bytes);
  // EINVAL: a file system that cannot sync.
  if (failed == 0 && ::fdatasync(fd) != 0 && errno != EINVAL) failed = errno;
  if (failed == 0 && ::rename(temp.constData(), target.constData()) != 0) failed = errno;
  if (failed != 0) ::unlink(temp.constData());
  ::close(fd);  // its flock held until it has its name
  if (failed != 0) {
    error = SaveFailure(filePath, failed);
    return false;
  }
  return true;
}

}  // namespace

// The file as last read, parsed. The file stays open meanwhile, so that its inode number
// cannot pass to another file: the same identity on disk is then the same file.
struct SettingsStore::Snapshot {
  Snapshot() = default;
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;
  ~Snapshot() {
    if (fd >= 0) ::close(fd);
  }

  // True when the file, its identity unchanged, still holds the bytes parsed. An edit within
  // the grain of the file's times after the one that made it keeps its identity: until the
  // bytes have been found unchanged after that grain, they are read again and compared. From
  // then on every edit shows in the identity, and a read costs nothing.
  bool StillHoldsItsBytes() const {
    if (confirmed.load() >= Nanoseconds(identity->changed) + TimeGrain(identity->changed))
      return true;
    const qint64 readAt = Now();
    QByteArray now;
    if (ReadAll(fd, qsizetype(identity->size), kLargestFile, now) != 0 ||
        qHashBits(now.constData(), std::size_t(now.size())) != hash)
      return false;
    for (qint64 seen = confirmed.load(); seen < readAt;)
      if (confirmed.compare_exchange_weak(seen, readAt)) break;
    return true;
  }

  Document doc;
  // The name it was read at, which a save replaces: the settings file's own, or the name at the
  // end of the links to it (Locate).
  QByteArray target;
  std::optional<FileIdentity> identity;  // none: absent or unreadable, read again each time
  int fd = -1;
  std::size_t hash = 0;  // of the bytes parsed
  // When the file was last known to hold them (CLOCK_REALTIME, ns), taken before the read.
  mutable std::atomic<qint64> confirmed{0};
};

// One change of a save, applied to the file as the save finds it.
struct SettingsStore::Edit {
  enum Kind { Set, Create, Delete, Erase, EraseOwn };
  Kind kind;
  QString path;  // normalised
  QString name, value;

  // False when the document already was so.
  bool ApplyTo(Document& doc) const {
    switch (kind) {
      case Set:
        return SetValue(doc, path, name, value);
      case Create:
        if (KeyBlocks(doc, path)) return false;
        AppendHeader(doc, path);
        return true;
      case Delete:
        return DeleteValueLines(doc, path, name);
      case Erase:
        return EraseKey(doc, path, true);
      case EraseOwn:
        return EraseKey(doc, path, false);
    }
    return false;
  }
};

// The files the process has read, parsed, shared by all its stores: a store opened for one
// operation (a window's save or restore opens one) parses nothing that another store read
// and that has not changed since. A few files at most, each kept open.
class SettingsStore::SharedSnapshots {
 public:
  static std::shared_ptr<const Snapshot> Find(const QString& filePath) {
    SharedSnapshots& shared = Instance();
    const std::lock_guard lock(shared.mutex_);
    const auto found = shared.byPath_.find(filePath);
    return found == shared.byPath_.end() ? nullptr : found->second;
  }
  static void Keep(const QString& filePath, std::shared_ptr<const Snapshot> snapshot) {
    SharedSnapshots& shared = Instance();
    const std::lock_guard lock(shared.mutex_);
    if (shared.byPath_.size() >= kKept && !shared.byPath_.contains(filePath))
      shared.byPath_.erase(shared.byPath_.begin());
    shared.byPath_[filePath] = std::move(snapshot);
  }

 private:
  static constexpr std::size_t kKept = 8;
  static SharedSnapshots& Instance() {
    static SharedSnapshots shared;
    return shared;
  }
  std::mutex mutex_;
  std::unordered_map<QString, std::shared_ptr<const Snapshot>> byPath_;
};

struct SettingsStore::Batch {
  std::shared_ptr<const Snapshot> base;  // the file as read at BeginUpdate
  Document doc;                          // that file with the batch's edits
  std::vector<Edit> edits;               // every write of the batch, in order
  bool changed = false;                  // whether `doc` differs from the base
};

SettingsStore::SettingsStore(SettingsRoot root) : filePath_(RootFilePath(root)) {}

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;

QString SettingsStore::SystemConfigDirectory() {
  const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation))
    if (dir != user) return dir;
  const QString userBase = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QStringLiteral("/etc/xdg") + user.mid(userBase.size());
}

QString SettingsStore::RootFilePath(SettingsRoot root) {
  const QString dir = AppConfigHome();
  // No known home: no file at all, rather than one beside wherever the program started.
  if (dir.isEmpty() && root != SettingsRoot::LocalMachine) return QString();
  switch (root) {
    case SettingsRoot::Classes:
      return dir + QStringLiteral("/classes_root.ini");
    case SettingsRoot::Users:
      return dir + QStringLiteral("/users.ini");
    case SettingsRoot::LocalMachine:
      return SystemConfigDirectory() + QStringLiteral("/local_machine.ini");
    case SettingsRoot::CurrentConfig:
      return dir + QStringLiteral("/current_config.ini");
    case SettingsRoot::DynData:
      return dir + QStringLiteral("/dyn_data.ini");
    case SettingsRoot::CurrentUser:
      break;
  }
  return dir + QStringLiteral("/current_user.ini");
}

// Only a file that is not there reads as empty; any other failure to read is a refusal, and
// so is anything but a regular file (a pipe would hold the open, a device never end) and a link
// on the way that Locate does not follow.
const std::shared_ptr<const SettingsStore::Snapshot>& SettingsStore::Current() const {
  for (int look = 0;; ++look) {
    const Location where = Locate(filePath_);
    const bool present = where.error == 0 && where.cause.isEmpty();
    struct stat status = where.status;
    const auto unchanged = [&](const std::shared_ptr<const Snapshot>& snapshot) {
      return present && snapshot && snapshot->identity && snapshot->target == where.path &&
             *snapshot->identity == FileIdentity(status) && snapshot->StillHoldsItsBytes();
    };
    if (unchanged(snapshot_)) return snapshot_;
    // Another store of this process may have parsed or saved the file since.
    if (auto shared = SharedSnapshots::Find(filePath_); unchanged(shared)) {
      snapshot_ = std::move(shared);
      return snapshot_;
    }
    auto fresh = std::make_shared<Snapshot>();
    fresh->target = where.path;
    QString cause;
    if (!where.cause.isEmpty()) {
      cause = where.cause;
    } else if (!present) {
      if (where.error != ENOENT) cause = SystemErrorText(where.error);
    } else if (!S_ISREG(status.st_mode)) {
      cause = KindText(status.st_mode);
    } else if (fresh->fd = OpenForReading(where.path); fresh->fd < 0) {
      // A link put in the file's place since the look is judged in the next.
      if (errno == ELOOP && look < 2) continue;
      if (errno != ENOENT) cause = SystemErrorText(errno);
    } else if (::fstat(fresh->fd, &status) != 0) {
      cause = SystemErrorText(errno);
    } else if (!S_ISREG(status.st_mode)) {  // replaced since the look above
      cause = KindText(status.st_mode);
    } else {
      QByteArray bytes;
      const qint64 readAt = Now();
      const int failed = status.st_size > kLargestFile
                             ? kTooLarge
                             : ReadAll(fresh->fd, qsizetype(status.st_size), kLargestFile, bytes);
      if (failed == kTooLarge) {
        cause = TooLargeText();
      } else if (failed != 0) {
        cause = SystemErrorText(failed);
      } else {
        fresh->doc = Parse(bytes);
        // Taken before the read: a change while reading shows at the next one.
        fresh->identity.emplace(status);
        fresh->hash = qHashBits(bytes.constData(), std::size_t(bytes.size()));
        fresh->confirmed = readAt;
      }
    }
    if (!cause.isEmpty()) fresh->doc.unreadable = ReadFailure(filePath_, cause);
    snapshot_ = std::move(fresh);
    if (snapshot_->identity) SharedSnapshots::Keep(filePath_, snapshot_);
    return snapshot_;
  }
}

bool SettingsStore::Commit(const std::vector<Edit>& edits, Batch* batch) {
  lastError_.clear();
  // A root of a user whose home is not known has no file to go to.
  if (filePath_.isEmpty()) {
    lastError_ = QStringLiteral(
        "Не удаётся сохранить файл настроек: не известен домашний каталог пользователя (HOME)");
    return false;
  }
  const QString dir = QFileInfo(filePath_).absolutePath();
  errno = 0;
  if (!QDir().mkpath(dir)) {
    lastError_ = QStringLiteral("Не удаётся создать каталог %1: %2")
                     .arg(dir, SystemErrorText(errno != 0 ? errno : EACCES));
    return false;
  }
  // The file as the other copies left it, with only this save's changes applied; false when
  // it cannot be read. Made before the lock, and again under it only when the file changed
  // meanwhile, so that the lock is held for the merge and the replace alone.
  Document doc;
  QByteArray bytes;
  bool changed = false;
  std::shared_ptr<const Snapshot> base;
  const auto merge = [&] {
    base = Current();
    if (!base->doc.unreadable.isEmpty()) {
      lastError_ = base->doc.unreadable;
      return false;
    }
    if (batch && batch->base == base) {
      // The file as the batch read it: the batch's document is the merge.
      doc = std::move(batch->doc);
      changed = batch->changed;
    } else {
      doc = base->doc;
      changed = false;
      for (const Edit& edit : edits) changed = edit.ApplyTo(doc) || changed;
    }
    batch = nullptr;
    if (!changed) return true;
    bytes = Serialise(doc);
    // Never a file that the next read would refuse.
    if (bytes.size() > kLargestFile) {
      lastError_ = SaveFailure(filePath_, TooLargeText());
      return false;
    }
    return true;
  };
  if (!merge()) return false;
  if (!changed) return true;  // nothing to change in the file as it is now
  // One bound for all the save's waits: the lock, each start over and the release.
  const QDeadlineTimer deadline(kLockWait);
  std::optional<SaveLock> lock;
  for (;;) {
    // The lock lies beside the file the name leads to, so that every name of it takes one lock.
    const QByteArray locked = base->target;
    lock.emplace(filePath_, locked, deadline);  // the one held before, if any, released first
    if (lastError_ = lock->Take(); !lastError_.isEmpty()) return false;
    if (Current() != base && (!merge() || !changed)) return lastError_.isEmpty();
    if (base->target == locked) break;
    // A link on the way changed since: the lock held is another file's.
    if (deadline.hasExpired()) {
      lastError_ = SaveFailure(filePath_, QStringLiteral("Ссылка на него меняется при сохранении"));
      return false;
    }
  }
  // Under the lock, what killed saves left goes first, before this save needs the room.
  RemoveLeftovers(base->target);
  const qint64 savedAt = Now();
  if (!Save(base->target, filePath_, bytes, lastError_)) return false;
  // Still under the lock: what was written is what the next read would parse.
  auto saved = std::make_shared<Snapshot>();
  saved->target = base->target;
  saved->fd = OpenForReading(base->target);
  struct stat status {};
  if (saved->fd >= 0 && ::fstat(saved->fd, &status) == 0 && S_ISREG(status.st_mode)) {
    saved->doc = std::move(doc);
    saved->identity.emplace(status);
    saved->hash = qHashBits(bytes.constData(), std::size_t(bytes.size()));
    saved->confirmed = savedAt;
    snapshot_ = std::move(saved);
    SharedSnapshots::Keep(filePath_, snapshot_);
  } else {
    snapshot_.reset();
  }
  return true;
}

void SettingsStore::BeginUpdate() {
  if (batch_) return;
  batch_ = std::make_unique<Batch>();
  batch_->base = Current();
  batch_->doc = batch_->base->doc;
}

bool SettingsStore::EndUpdate() {
  if (!batch_) return true;
  const std::unique_ptr<Batch> batch = std::move(batch_);
  lastError_ = batch->doc.unreadable;
  if (!lastError_.isEmpty()) return false;
  return batch->edits.empty() || Commit(batch->edits, batch.get());
}

void SettingsStore::CancelUpdate() {
  batch_.reset();
}

template <class Read>
auto SettingsStore::Reading(Read read) const {
  if (batch_) return read(std::as_const(batch_->doc));
  return read(Current()->doc);
}

bool SettingsStore::Changing(Edit edit) {
  if (!batch_) return Commit({edit});
  // Kept in memory until EndUpdate; an unreadable file refuses at once.
  lastError_ = batch_->doc.unreadable;
  if (!lastError_.isEmpty()) return false;
  // Every write of the batch goes into the file as EndUpdate finds it, also one that matched
  // this copy: another copy may have changed that value since, and the batch lands whole.
  batch_->changed = edit.ApplyTo(batch_->doc) || batch_->changed;
  batch_->edits.push_back(std::move(edit));
  return true;
}

QString SettingsStore::ReadError() const {
  return Reading([](const Document& doc) { return doc.unreadable; });
}

QString SettingsStore::ReadString(const QString& section, const QString& name,
                                  const QString& defaultValue) const {
  return Reading([&](const Document& doc) {
    const Line* line = ValueAt(doc, FindValue(doc, NormalisePath(section), name));
    return line ? line->value : defaultValue;
  });
}

bool SettingsStore::ValueExists(const QString& section, const QString& name) const {
  return Reading([&](const Document& doc) {
    return FindValue(doc, NormalisePath(section), name).has_value();
  });
}

bool SettingsStore::SectionExists(const QString& section) const {
  const QString key = NormalisePath(section);
  return Reading([&](const Document& doc) {
    if (key.isEmpty()) return !doc.index.empty();
    const auto [below, end] = SubKeyRange(doc.index, key);
    return KeyBlocks(doc, key) != nullptr || below != end;
  });
}

QStringList SettingsStore::ValueNames(const QString& section) const {
  const QString key = NormalisePath(section);
  return Reading([&](const Document& doc) {
    QStringList names;
    for (const Line* line : ValueLines(doc, key))
      if (!names.contains(line->name, Qt::CaseInsensitive)) names += line->name;
    return names;
  });
}

QStringList SettingsStore::SubKeys(const QString& section) const {
  const QString key = NormalisePath(section);
  const qsizetype skip = key.isEmpty() ? 0 : key.size() + 1;
  return Reading([&](const Document& doc) {
    // Each child with the spelling of its first header in the file, in their file order.
    std::map<QString, std::pair<std::size_t, QString>> children;  // by folded name
    for (auto [it, end] = SubKeyRange(doc.index, key); it != end; ++it) {
      const std::size_t first = it->second.front();
      const QString child = doc.blocks[first]->section->mid(skip).section(kSeparator, 0, 0);
      auto [found, added] = children.try_emplace(Folded(child), first, child);
      if (!added && first < found->second.first) found->second = {first, child};
    }
    std::map<std::size_t, QString> inFileOrder;
    for (auto& [folded, child] : children) inFileOrder.emplace(child.first, child.second);
    QStringList names;
    for (auto& [first, child] : inFileOrder) names += child;
    return names;
  });
}

bool SettingsStore::WriteString(const QString& section, const QString& name, const QString& value) {
  return Changing({Edit::Set, NormalisePath(section), name, value});
}

bool SettingsStore::CreateSection(const QString& section) {
  return Changing({Edit::Create, NormalisePath(section), {}, {}});
}

bool SettingsStore::DeleteValue(const QString& section, const QString& name) {
  return Changing({Edit::Delete, NormalisePath(section), name, {}});
}

bool SettingsStore::EraseSection(const QString& section) {
  const QString key = NormalisePath(section);
  if (key.isEmpty()) {
    lastError_ = QStringLiteral("Корневой раздел удалить нельзя");
    return false;
  }
  return Changing({Edit::Erase, key, {}, {}});
}

bool SettingsStore::EraseSectionOnly(const QString& section) {
  const QString key = NormalisePath(section);
  if (key.isEmpty()) {
    lastError_ = QStringLiteral("Корневой раздел удалить нельзя");
    return false;
  }
  return Changing({Edit::EraseOwn, key, {}, {}});
}
