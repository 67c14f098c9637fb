#include "platform/settings_store.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
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
  std::optional<QString> section;  // the key the line lies in; none before any header
  QString name, value;             // of a value line
};

// The value lines of each key (by its case-folded path), in file order.
using KeyIndex = std::unordered_map<QString, std::vector<std::size_t>>;

struct Document {
  std::vector<Line> lines;
  QString unreadable;  // why an existing file could not be read; it is then never saved
  // Made by the first lookup and dropped by every change, so that reads of a large file
  // that does not change do not walk all its lines.
  mutable std::shared_ptr<const KeyIndex> index;
};

constexpr QChar kSeparator = u'\\';
const QString kDefaultValueName = QStringLiteral("@");

QString NormalisePath(const QString& path) {
  return path.split(kSeparator, Qt::SkipEmptyParts).join(kSeparator);
}

bool SameName(const QString& a, const QString& b) {
  return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool IsBelow(const QString& path, const QString& key) {
  if (key.isEmpty()) return !path.isEmpty();
  return path.size() > key.size() && path.at(key.size()) == kSeparator &&
         SameName(path.left(key.size()), key);
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

// The line a value is written as; a line of a CR LF file keeps its CR.
QByteArray ValueLine(const QString& name, const QString& value, bool cr) {
  QByteArray line = (EncodeName(name) + u'=' + Escape(value, u"")).toUtf8();
  if (cr) line += '\r';
  return line;
}

// A line whose first character other than a blank (or the byte-order mark) is "[".
bool LooksLikeHeader(QByteArrayView raw, bool first) {
  if (first && raw.startsWith("\xEF\xBB\xBF")) raw = raw.sliced(3);
  while (!raw.isEmpty() && uchar(raw.front()) <= 0x20) raw = raw.sliced(1);
  return raw.startsWith('[');
}

// Sets the line's kind from its bytes. `owner` is the section the line lies in: none after
// a header that cannot be read, so values under it are kept but not taken, and no write
// goes under it.
void ParseLine(Line& line, std::optional<QString>& owner, bool first) {
  auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = toUtf16(line.raw);
  line.kind = Line::Other;
  line.section = owner;
  if (toUtf16.hasError() || text.contains(QChar(u'\0'))) {
    if (LooksLikeHeader(line.raw, first)) {
      owner.reset();
      line.section.reset();
    }
    return;
  }
  if (first && text.startsWith(QChar(0xfeff))) text.remove(0, 1);
  const QStringView trimmed = TrimAscii(text);
  if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) return;
  if (trimmed.startsWith(u'[')) {
    owner.reset();
    line.section.reset();
    if (!trimmed.endsWith(u']')) return;
    QStringList parts;
    for (QStringView part : trimmed.mid(1, trimmed.size() - 2).split(kSeparator))
      if (!TrimAscii(part).isEmpty()) parts += Unescape(TrimAscii(part));
    owner = parts.join(kSeparator);
    line.kind = Line::Header;
    line.section = owner;
    return;
  }
  const qsizetype eq = trimmed.indexOf(u'=');
  if (eq < 0 || !owner) return;
  const QStringView rawName = TrimAscii(trimmed.left(eq));
  line.kind = Line::Value;
  line.name = rawName == kDefaultValueName ? QString() : Unescape(rawName);
  line.value = Unescape(TrimAscii(trimmed.mid(eq + 1)));
}

Document Parse(const QByteArray& bytes) {
  Document doc;
  QList<QByteArray> raws = bytes.split('\n');
  if (!raws.isEmpty() && raws.back().isEmpty()) raws.removeLast();
  std::optional<QString> owner;
  for (qsizetype i = 0; i < raws.size(); ++i) {
    Line line;
    line.raw = raws[i];
    ParseLine(line, owner, i == 0);
    doc.lines.push_back(std::move(line));
  }
  return doc;
}

QByteArray Serialise(const Document& doc) {
  QByteArray bytes;
  for (const Line& line : doc.lines) bytes += line.raw + '\n';
  return bytes;
}

// Whether a line lies in the key `path`. The lines of one key share its path's text, so
// the names are compared once for each run of them, not for every line.
class InSection {
 public:
  explicit InSection(const QString& path) : path_(path) {}
  bool operator()(const Line& line) {
    if (!line.section) return false;
    if (line.section->constData() != last_ || line.section->size() != lastSize_) {
      last_ = line.section->constData();
      lastSize_ = line.section->size();
      match_ = SameName(*line.section, path_);
    }
    return match_;
  }

 private:
  const QString& path_;
  const QChar* last_ = nullptr;
  qsizetype lastSize_ = -1;
  bool match_ = false;
};

void BuildIndex(const Document& doc) {
  if (!doc.index) {
    auto index = std::make_shared<KeyIndex>();
    std::vector<std::size_t>* bucket = nullptr;  // the nodes of the map stay where they are
    const QString* last = nullptr;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
      const Line& line = doc.lines[i];
      if (line.kind != Line::Value) continue;
      // The lines of one key share its path's text: folded once for each run of them.
      if (!last || line.section->constData() != last->constData() ||
          line.section->size() != last->size()) {
        last = &*line.section;
        bucket = &(*index)[line.section->toCaseFolded()];
      }
      bucket->push_back(i);
    }
    doc.index = std::move(index);
  }
}

// The value lines of the key `path`, in file order.
std::vector<const Line*> ValueLines(const Document& doc, const QString& path) {
  BuildIndex(doc);
  std::vector<const Line*> lines;
  const auto found = doc.index->find(path.toCaseFolded());
  if (found == doc.index->end()) return lines;
  for (const std::size_t i : found->second)
    if (SameName(*doc.lines[i].section, path)) lines.push_back(&doc.lines[i]);
  return lines;
}

// The value line that reading takes: the last one of that name in the key.
const Line* FindValue(const Document& doc, const QString& path, const QString& name) {
  const std::vector<const Line*> lines = ValueLines(doc, path);
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (SameName((*it)->name, name)) return *it;
  return nullptr;
}

bool HasHeader(const Document& doc, const QString& path) {
  return std::any_of(doc.lines.begin(), doc.lines.end(), [&](const Line& line) {
    return line.kind == Line::Header && SameName(*line.section, path);
  });
}

bool UsesCr(const Document& doc) {
  return !doc.lines.empty() && doc.lines.front().raw.endsWith('\r');
}

// A new key goes at the end, a blank line before it.
void AppendHeader(Document& doc, const QString& path) {
  const bool cr = UsesCr(doc);
  if (!doc.lines.empty() && !TrimAscii(QString::fromUtf8(doc.lines.back().raw)).isEmpty()) {
    Line blank;
    blank.raw = cr ? QByteArray("\r") : QByteArray();
    blank.section = doc.lines.back().section;
    doc.lines.push_back(std::move(blank));
  }
  Line header;
  header.kind = Line::Header;
  header.section = path;
  header.raw = (u'[' + EncodeSectionPath(path) + u']').toUtf8();
  if (cr) header.raw += '\r';
  doc.lines.push_back(std::move(header));
}

// False when the value was already so.
bool SetValue(Document& doc, const QString& path, const QString& name, const QString& value) {
  if (const Line* found = FindValue(doc, path, name)) {
    Line& line = doc.lines[std::size_t(found - doc.lines.data())];
    if (line.value == value) return false;
    // The name keeps its spelling in the file; only what follows "=" changes.
    const bool cr = line.raw.endsWith('\r');
    line.raw = line.raw.left(line.raw.indexOf('=') + 1) + Escape(value, u"").toUtf8();
    if (cr) line.raw += '\r';
    line.value = value;
    return true;
  }
  InSection inSection(path);
  if (!HasHeader(doc, path)) AppendHeader(doc, path);
  // After the last value of the key's last header, else right after that header.
  std::size_t at = 0;
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    const Line& line = doc.lines[i];
    if (line.kind == Line::Header && SameName(*line.section, path)) at = i + 1;
    if (line.kind == Line::Value && inSection(line)) at = i + 1;
  }
  Line added;
  added.kind = Line::Value;
  added.section = path;
  added.name = name;
  added.value = value;
  added.raw = ValueLine(name, value, UsesCr(doc));
  doc.lines.insert(doc.lines.begin() + std::ptrdiff_t(at), std::move(added));
  return true;
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
    default:
      break;
  }
  return QStringLiteral("Системная ошибка %1").arg(error);
}

QString ReadFailure(const QString& filePath, int error) {
  return QStringLiteral("Не удаётся прочитать файл настроек %1: %2; он оставлен как есть")
      .arg(filePath, SystemErrorText(error));
}

// A failure that left no errno behind is taken for an input/output error.
QString SaveFailure(const QString& filePath, int error) {
  return QStringLiteral("Не удаётся сохранить файл настроек %1: %2")
      .arg(filePath, SystemErrorText(error != 0 ? error : EIO));
}

// What tells an unchanged file: the same file (device and inode), size and modification
// time to the nanosecond.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  explicit FileIdentity(const struct stat& status)
      : device(status.st_dev),
        inode(status.st_ino),
        size(status.st_size),
        modified(status.st_mtim) {}
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

// 0, or the errno of the read that failed.
int ReadAll(int fd, qsizetype sizeHint, QByteArray& bytes) {
  bytes.resize(sizeHint + 1);  // one more, so the end shows without growing
  qsizetype used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t got = ::read(fd, bytes.data() + used, std::size_t(bytes.size() - used));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    used += got;
  }
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

// Replaces the file atomically; on failure the old file stays as it was.
bool Save(const QString& filePath, const Document& doc, QString& error) {
  QSaveFile file(filePath);
  errno = 0;
  // Unbuffered, so the bytes go straight to the descriptor and a failed write has its errno.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    error = SaveFailure(filePath, errno);
    return false;
  }
  if (const int failed = WriteAll(file.handle(), Serialise(doc)); failed != 0) {
    file.cancelWriting();
    error = SaveFailure(filePath, failed);
    return false;
  }
  errno = 0;
  if (!file.commit()) {
    error = SaveFailure(filePath, errno);
    return false;
  }
  return true;
}

// A save takes the lock beside the file for load, change and replace, so that two copies
// of the program never save over each other's changes. A lock whose program is gone, or
// older than this, is stale and taken over; the wait for a live one is bounded.
constexpr std::chrono::milliseconds kStaleLockTime{30000};
constexpr std::chrono::milliseconds kLockWait{10000};
constexpr std::chrono::microseconds kFirstRetry{200};
constexpr std::chrono::microseconds kLongestRetry{10000};

bool Lock(QLockFile& lock, const QString& filePath, QString& error) {
  lock.setStaleLockTime(kStaleLockTime);
  const QDeadlineTimer deadline(kLockWait);
  // QLockFile's own wait sleeps 100 ms and more; saves take a few milliseconds.
  std::chrono::microseconds retry = kFirstRetry;
  for (;;) {
    errno = 0;
    if (lock.tryLock(0)) return true;
    if (lock.error() != QLockFile::LockFailedError) {
      error = QStringLiteral("Не удаётся заблокировать файл настроек %1: %2")
                  .arg(filePath, SystemErrorText(errno != 0 ? errno : EACCES));
      return false;
    }
    if (deadline.hasExpired()) {
      error = QStringLiteral("Файл настроек %1 занят другой копией программы").arg(filePath);
      return false;
    }
    std::this_thread::sleep_for(retry);
    retry = std::min(retry * 2, kLongestRetry);
  }
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
  Document doc;
  std::optional<FileIdentity> identity;  // none: absent or unreadable, read again each time
  int fd = -1;
};

// One change of a save, applied to the file as the save finds it.
struct SettingsStore::Edit {
  enum Kind { Set, Create, Delete, Erase, EraseOwn };
  Kind kind;
  QString path;  // normalised
  QString name, value;

  // False when the document already was so.
  bool ApplyTo(Document& doc) const {
    if (!Change(doc)) return false;
    doc.index.reset();
    return true;
  }

 private:
  bool Change(Document& doc) const {
    switch (kind) {
      case Set:
        return SetValue(doc, path, name, value);
      case Create:
        if (HasHeader(doc, path)) return false;
        AppendHeader(doc, path);
        return true;
      case Delete:
        return std::erase_if(doc.lines, [&](const Line& line) {
                 return line.kind == Line::Value && InSection(path)(line) &&
                        SameName(line.name, name);
               }) > 0;
      case Erase:
        // The key goes with every line under its headers, the unparsed ones too.
        return std::erase_if(doc.lines, [&](const Line& line) {
                 return line.section &&
                        (SameName(*line.section, path) || IsBelow(*line.section, path));
               }) > 0;
      case EraseOwn:
        return std::erase_if(doc.lines, InSection(path)) > 0;
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
  Document doc;             // the file as read at BeginUpdate, with the batch's edits
  std::vector<Edit> edits;  // every write of the batch, in order
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
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
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

// Only a file that is not there reads as empty; any other failure to read is a refusal.
const auto& SettingsStore::Current() const {
  const QByteArray path = QFile::encodeName(filePath_);
  struct stat status {};
  const bool present = ::stat(path.constData(), &status) == 0;
  const auto unchanged = [&](const std::shared_ptr<const Snapshot>& snapshot) {
    return present && snapshot && snapshot->identity && *snapshot->identity == FileIdentity(status);
  };
  if (unchanged(snapshot_)) return snapshot_->doc;
  // Another store of this process may have parsed or saved the file since.
  if (auto shared = SharedSnapshots::Find(filePath_); unchanged(shared)) {
    snapshot_ = std::move(shared);
    return snapshot_->doc;
  }
  auto fresh = std::make_shared<Snapshot>();
  fresh->fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fresh->fd < 0) {
    if (errno != ENOENT) fresh->doc.unreadable = ReadFailure(filePath_, errno);
  } else {
    QByteArray bytes;
    int failed = 0;
    if (::fstat(fresh->fd, &status) != 0)
      failed = errno;
    else if (S_ISDIR(status.st_mode))
      failed = EISDIR;
    else
      failed = ReadAll(fresh->fd, qsizetype(status.st_size), bytes);
    if (failed != 0) {
      fresh->doc.unreadable = ReadFailure(filePath_, failed);
    } else {
      fresh->doc = Parse(bytes);
      BuildIndex(fresh->doc);  // before it is shared: a shared snapshot never changes
      // Taken before the read: a change while reading shows at the next one.
      fresh->identity.emplace(status);
    }
  }
  snapshot_ = std::move(fresh);
  if (snapshot_->identity) SharedSnapshots::Keep(filePath_, snapshot_);
  return snapshot_->doc;
}

bool SettingsStore::Commit(const std::vector<Edit>& edits) {
  lastError_.clear();
  const QString dir = QFileInfo(filePath_).absolutePath();
  errno = 0;
  if (!QDir().mkpath(dir)) {
    lastError_ = QStringLiteral("Не удаётся создать каталог %1: %2")
                     .arg(dir, SystemErrorText(errno != 0 ? errno : EACCES));
    return false;
  }
  QLockFile lock(filePath_ + QStringLiteral(".lock"));
  if (!Lock(lock, filePath_, lastError_)) return false;
  // The file as the other copies left it, with only this save's changes applied.
  Document doc = Current();
  if (!doc.unreadable.isEmpty()) {
    lastError_ = doc.unreadable;
    return false;
  }
  bool changed = false;
  for (const Edit& edit : edits) changed = edit.ApplyTo(doc) || changed;
  if (!changed) return true;
  if (!Save(filePath_, doc, lastError_)) return false;
  // Still under the lock: what was written is what the next read would parse.
  auto saved = std::make_shared<Snapshot>();
  saved->fd = ::open(QFile::encodeName(filePath_).constData(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (saved->fd >= 0 && ::fstat(saved->fd, &status) == 0) {
    saved->doc = std::move(doc);
    BuildIndex(saved->doc);
    saved->identity.emplace(status);
    snapshot_ = std::move(saved);
    SharedSnapshots::Keep(filePath_, snapshot_);
  } else {
    snapshot_.reset();
  }
  return true;
}

void SettingsStore::BeginUpdate() {
  if (!batch_) batch_ = std::make_unique<Batch>(Batch{Current(), {}});
}

bool SettingsStore::EndUpdate() {
  if (!batch_) return true;
  const std::unique_ptr<Batch> batch = std::move(batch_);
  lastError_ = batch->doc.unreadable;
  if (!lastError_.isEmpty()) return false;
  return batch->edits.empty() || Commit(batch->edits);
}

void SettingsStore::CancelUpdate() {
  batch_.reset();
}

template <class Read>
auto SettingsStore::Reading(Read read) const {
  if (batch_) return read(std::as_const(batch_->doc));
  return read(Current());
}

bool SettingsStore::Changing(Edit edit) {
  if (!batch_) return Commit({edit});
  // Kept in memory until EndUpdate; an unreadable file refuses at once.
  lastError_ = batch_->doc.unreadable;
  if (!lastError_.isEmpty()) return false;
  // Every write of the batch goes into the file as EndUpdate finds it, also one that matched
  // this copy: another copy may have changed that value since, and the batch lands whole.
  edit.ApplyTo(batch_->doc);
  batch_->edits.push_back(std::move(edit));
  return true;
}

QString SettingsStore::ReadError() const {
  return Reading([](const Document& doc) { return doc.unreadable; });
}

QString SettingsStore::ReadString(const QString& section, const QString& name,
                                  const QString& defaultValue) const {
  return Reading([&](const Document& doc) {
    const Line* line = FindValue(doc, NormalisePath(section), name);
    return line ? line->value : defaultValue;
  });
}

bool SettingsStore::ValueExists(const QString& section, const QString& name) const {
  return Reading(
      [&](const Document& doc) { return FindValue(doc, NormalisePath(section), name) != nullptr; });
}

bool SettingsStore::SectionExists(const QString& section) const {
  const QString key = NormalisePath(section);
  return Reading([&](const Document& doc) {
    for (const Line& line : doc.lines)
      if (line.kind == Line::Header &&
          (SameName(*line.section, key) || IsBelow(*line.section, key)))
        return true;
    return false;
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
    QStringList names;
    for (const Line& line : doc.lines) {
      if (line.kind != Line::Header || !IsBelow(*line.section, key)) continue;
      const QString child = line.section->mid(skip).section(kSeparator, 0, 0);
      if (!names.contains(child, Qt::CaseInsensitive)) names += child;
    }
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
