#include "platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <optional>
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

struct Document {
  std::vector<Line> lines;
  bool changed = false;
  QString unreadable;  // why an existing file could not be read; it is then never saved
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

// Sets the line's kind from its bytes. `owner` is the section the line lies in (none after
// a header that cannot be read, so values under it are kept but not taken).
void ParseLine(Line& line, std::optional<QString>& owner, bool first) {
  auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = toUtf16(line.raw);
  line.kind = Line::Other;
  line.section = owner;
  if (toUtf16.hasError() || text.contains(QChar(u'\0'))) return;
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

bool InSection(const Line& line, const QString& path) {
  return line.section && SameName(*line.section, path);
}

// The value line that reading takes: the last one of that name in the key.
const Line* FindValue(const Document& doc, const QString& path, const QString& name) {
  for (auto it = doc.lines.rbegin(); it != doc.lines.rend(); ++it)
    if (it->kind == Line::Value && InSection(*it, path) && SameName(it->name, name)) return &*it;
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
  doc.changed = true;
}

void SetValue(Document& doc, const QString& path, const QString& name, const QString& value) {
  for (auto it = doc.lines.rbegin(); it != doc.lines.rend(); ++it) {
    if (it->kind != Line::Value || !InSection(*it, path) || !SameName(it->name, name)) continue;
    if (it->value == value) return;
    // The name keeps its spelling in the file; only what follows "=" changes.
    const bool cr = it->raw.endsWith('\r');
    it->raw = it->raw.left(it->raw.indexOf('=') + 1) + Escape(value, u"").toUtf8();
    if (cr) it->raw += '\r';
    it->value = value;
    doc.changed = true;
    return;
  }
  if (!HasHeader(doc, path)) AppendHeader(doc, path);
  // After the last value of the key's last header, else right after that header.
  std::size_t at = 0;
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    const Line& line = doc.lines[i];
    if (line.kind == Line::Header && SameName(*line.section, path)) at = i + 1;
    if (line.kind == Line::Value && InSection(line, path)) at = i + 1;
  }
  Line added;
  added.kind = Line::Value;
  added.section = path;
  added.name = name;
  added.value = value;
  added.raw = ValueLine(name, value, UsesCr(doc));
  doc.lines.insert(doc.lines.begin() + std::ptrdiff_t(at), std::move(added));
  doc.changed = true;
}

// Blank lines and bytes the parser cannot take are kept with the file; only a file that
// exists and cannot be read at all stays unread, and then it is never replaced.
Document Load(const QString& filePath) {
  QFile file(filePath);
  if (!file.exists()) return {};
  Document doc;
  if (QFileInfo(filePath).isDir() || !file.open(QIODevice::ReadOnly)) {
    doc.unreadable =
        QStringLiteral("Cannot read settings file %1: %2; it is left as it is")
            .arg(filePath, QFileInfo(filePath).isDir() ? QStringLiteral("Is a directory")
                                                       : file.errorString());
    return doc;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    doc.unreadable = QStringLiteral("Cannot read settings file %1: %2; it is left as it is")
                         .arg(filePath, file.errorString());
    return doc;
  }
  return Parse(bytes);
}

bool Save(const QString& filePath, const Document& doc, QString& error) {
  error.clear();
  if (!doc.unreadable.isEmpty()) {
    error = doc.unreadable;
    return false;
  }
  if (!doc.changed) return true;
  const QString dir = QFileInfo(filePath).absolutePath();
  if (!QDir().mkpath(dir)) {
    error = QStringLiteral("Cannot create directory %1").arg(dir);
    return false;
  }
  QSaveFile file(filePath);
  // Unbuffered, so a short write (full disk, size limit) shows in write()'s count:
  // a buffered QSaveFile can commit a truncated file as a success.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    error = file.errorString();
    return false;
  }
  const QByteArray bytes = Serialise(doc);
  if (file.write(bytes) != bytes.size() || file.size() != bytes.size() || !file.commit()) {
    error = file.errorString().isEmpty() ? QStringLiteral("Short write") : file.errorString();
    file.cancelWriting();
    return false;
  }
  return true;
}

}  // namespace

struct SettingsStore::Batch {
  Document doc;
};

SettingsStore::SettingsStore(SettingsRoot root) : filePath_(RootFilePath(root)) {}

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;

QString SettingsStore::RootFilePath(SettingsRoot root) {
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  switch (root) {
    case SettingsRoot::Classes:
      return dir + QStringLiteral("/classes_root.ini");
    case SettingsRoot::Users:
      return dir + QStringLiteral("/users.ini");
    case SettingsRoot::CurrentUser:
      break;
  }
  return dir + QStringLiteral("/current_user.ini");
}

void SettingsStore::BeginUpdate() {
  if (!batch_) batch_ = std::make_unique<Batch>(Batch{Load(filePath_)});
}

bool SettingsStore::EndUpdate() {
  if (!batch_) return true;
  const std::unique_ptr<Batch> batch = std::move(batch_);
  return Save(filePath_, batch->doc, lastError_);
}

void SettingsStore::CancelUpdate() {
  batch_.reset();
}

template <class Read>
auto SettingsStore::Reading(Read read) const {
  if (batch_) return read(batch_->doc);
  return read(Load(filePath_));
}

template <class Change>
bool SettingsStore::Changing(Change change) {
  if (batch_) {
    // Kept in memory until EndUpdate; an unreadable file refuses at once.
    lastError_ = batch_->doc.unreadable;
    if (!lastError_.isEmpty()) return false;
    change(batch_->doc);
    return true;
  }
  Document doc = Load(filePath_);
  if (doc.unreadable.isEmpty()) change(doc);
  return Save(filePath_, doc, lastError_);
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
    for (const Line& line : doc.lines)
      if (line.kind == Line::Value && InSection(line, key) &&
          !names.contains(line.name, Qt::CaseInsensitive))
        names += line.name;
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
  return Changing([&](Document& doc) { SetValue(doc, NormalisePath(section), name, value); });
}

bool SettingsStore::CreateSection(const QString& section) {
  return Changing([&](Document& doc) {
    const QString key = NormalisePath(section);
    if (!HasHeader(doc, key)) AppendHeader(doc, key);
  });
}

bool SettingsStore::DeleteValue(const QString& section, const QString& name) {
  return Changing([&](Document& doc) {
    const QString key = NormalisePath(section);
    if (std::erase_if(doc.lines, [&](const Line& line) {
          return line.kind == Line::Value && InSection(line, key) && SameName(line.name, name);
        }) > 0)
      doc.changed = true;
  });
}

bool SettingsStore::EraseSection(const QString& section) {
  const QString key = NormalisePath(section);
  if (key.isEmpty()) {
    lastError_ = QStringLiteral("The root key cannot be erased");
    return false;
  }
  // The key goes with every line under its headers, the unparsed ones too.
  return Changing([&](Document& doc) {
    if (std::erase_if(doc.lines, [&](const Line& line) {
          return line.section && (SameName(*line.section, key) || IsBelow(*line.section, key));
        }) > 0)
      doc.changed = true;
  });
}
