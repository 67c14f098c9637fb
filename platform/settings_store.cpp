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

struct Section {
  QString path;  // normalised key path, original case
  std::vector<std::pair<QString, QString>> values;
};

using Sections = std::vector<Section>;

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

const Section* Find(const Sections& sections, const QString& path) {
  for (const Section& s : sections)
    if (SameName(s.path, path)) return &s;
  return nullptr;
}

Section& FindOrAdd(Sections& sections, const QString& path) {
  for (Section& s : sections)
    if (SameName(s.path, path)) return s;
  return sections.emplace_back(Section{path, {}});
}

const QString* FindValue(const Section* section, const QString& name) {
  if (section)
    for (const auto& [valueName, value] : section->values)
      if (SameName(valueName, name)) return &value;
  return nullptr;
}

void SetValue(Section& section, const QString& name, const QString& value) {
  auto& values = section.values;
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const auto& v) { return SameName(v.first, name); });
  if (it != values.end())
    it->second = value;
  else
    values.emplace_back(name, value);
}

// Only ASCII blanks and control characters are trimmed: those are what Escape protects.
QStringView TrimAscii(QStringView text) {
  while (!text.isEmpty() && text.front().unicode() <= 0x20) text = text.mid(1);
  while (!text.isEmpty() && text.back().unicode() <= 0x20) text.chop(1);
  return text;
}

std::optional<Sections> Parse(const QByteArray& bytes) {
  auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = toUtf16(bytes);
  if (toUtf16.hasError() || text.contains(QChar(u'\0'))) return std::nullopt;
  if (text.startsWith(QChar(0xfeff))) text.remove(0, 1);
  Sections sections;
  Section* current = nullptr;
  for (QStringView line : QStringView(text).split(u'\n')) {
    line = TrimAscii(line);
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
    if (line.startsWith(u'[')) {
      if (!line.endsWith(u']')) return std::nullopt;
      QStringList parts;
      for (QStringView part : line.mid(1, line.size() - 2).split(kSeparator))
        if (!TrimAscii(part).isEmpty()) parts += Unescape(TrimAscii(part));
      current = &FindOrAdd(sections, parts.join(kSeparator));
      continue;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || !current) return std::nullopt;
    const QStringView rawName = TrimAscii(line.left(eq));
    const QString name = rawName == kDefaultValueName ? QString() : Unescape(rawName);
    const QString value = Unescape(TrimAscii(line.mid(eq + 1)));
    SetValue(*current, name, value);
  }
  return sections;
}

QByteArray Serialise(const Sections& sections) {
  QString text;
  for (const Section& s : sections) {
    text += u'[' + EncodeSectionPath(s.path) + QStringLiteral("]\n");
    for (const auto& [name, value] : s.values)
      text += EncodeName(name) + u'=' + Escape(value, u"") + u'\n';
    text += u'\n';
  }
  return text.toUtf8();
}

Sections Load(const QString& filePath) {
  QFile file(filePath);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return Parse(file.readAll()).value_or(Sections{});
}

bool Save(const QString& filePath, const Sections& sections, QString& error) {
  error.clear();
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
  const QByteArray bytes = Serialise(sections);
  if (file.write(bytes) != bytes.size() || file.size() != bytes.size() || !file.commit()) {
    error = file.errorString().isEmpty() ? QStringLiteral("Short write") : file.errorString();
    file.cancelWriting();
    return false;
  }
  return true;
}

}  // namespace

SettingsStore::SettingsStore(SettingsRoot root) : filePath_(RootFilePath(root)) {}

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

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

QString SettingsStore::ReadString(const QString& section, const QString& name,
                                  const QString& defaultValue) const {
  const Sections sections = Load(filePath_);
  const QString* value = FindValue(Find(sections, NormalisePath(section)), name);
  return value ? *value : defaultValue;
}

bool SettingsStore::ValueExists(const QString& section, const QString& name) const {
  const Sections sections = Load(filePath_);
  return FindValue(Find(sections, NormalisePath(section)), name) != nullptr;
}

bool SettingsStore::SectionExists(const QString& section) const {
  const QString key = NormalisePath(section);
  for (const Section& s : Load(filePath_))
    if (SameName(s.path, key) || IsBelow(s.path, key)) return true;
  return false;
}

QStringList SettingsStore::ValueNames(const QString& section) const {
  QStringList names;
  const Sections sections = Load(filePath_);
  if (const Section* s = Find(sections, NormalisePath(section)))
    for (const auto& entry : s->values) names += entry.first;
  return names;
}

QStringList SettingsStore::SubKeys(const QString& section) const {
  const QString key = NormalisePath(section);
  const qsizetype skip = key.isEmpty() ? 0 : key.size() + 1;
  QStringList names;
  for (const Section& s : Load(filePath_)) {
    if (!IsBelow(s.path, key)) continue;
    const QString child = s.path.mid(skip).section(kSeparator, 0, 0);
    if (!names.contains(child, Qt::CaseInsensitive)) names += child;
  }
  return names;
}

bool SettingsStore::WriteString(const QString& section, const QString& name, const QString& value) {
  Sections sections = Load(filePath_);
  SetValue(FindOrAdd(sections, NormalisePath(section)), name, value);
  return Save(filePath_, sections, lastError_);
}

bool SettingsStore::CreateSection(const QString& section) {
  Sections sections = Load(filePath_);
  FindOrAdd(sections, NormalisePath(section));
  return Save(filePath_, sections, lastError_);
}

bool SettingsStore::DeleteValue(const QString& section, const QString& name) {
  Sections sections = Load(filePath_);
  const QString key = NormalisePath(section);
  auto s = std::find_if(sections.begin(), sections.end(),
                        [&](const Section& each) { return SameName(each.path, key); });
  if (s == sections.end() ||
      std::erase_if(s->values, [&](const auto& v) { return SameName(v.first, name); }) == 0)
    return true;
  return Save(filePath_, sections, lastError_);
}

bool SettingsStore::EraseSection(const QString& section) {
  const QString key = NormalisePath(section);
  if (key.isEmpty()) {
    lastError_ = QStringLiteral("The root key cannot be erased");
    return false;
  }
  Sections sections = Load(filePath_);
  std::erase_if(sections,
                [&](const Section& s) { return SameName(s.path, key) || IsBelow(s.path, key); });
  return Save(filePath_, sections, lastError_);
}
