// Any bytes as a settings file, followed by a header that cannot be read and a value under
// it: every value the file yields stays readable and none is the value under that header;
// a value written into the file reads back while every other value keeps its text, every
// line it did not change comes back byte for byte, and nothing goes under that header.
#include "fuzz/fuzz_check.h"
#include "platform/settings_store.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <map>

namespace {

using Key = std::pair<QString, QString>;  // key path and value name, case-folded
using Values = std::map<Key, QString>;

const QString kForeignValue = QStringLiteral("jw-under-a-foreign-header");

void Collect(const SettingsStore& store, const QString& section, Values& out, int depth) {
  for (const QString& name : store.ValueNames(section))
    out[{section.toCaseFolded(), name.toCaseFolded()}] = store.ReadString(section, name);
  if (depth == 8) return;
  for (const QString& sub : store.SubKeys(section))
    Collect(store, section.isEmpty() ? sub : section + u'\\' + sub, out, depth + 1);
}

bool TakesNothingForeign(const Values& values) {
  for (const auto& entry : values)
    if (entry.second == kForeignValue) return false;
  return true;
}

QByteArrayList Lines(const QByteArray& bytes) {
  QByteArrayList lines = bytes.split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

// `before` with at most one line changed, or with lines added between its own.
bool KeepsUnchangedLines(const QByteArrayList& before, const QByteArrayList& now, bool added) {
  if (!added) {
    if (now.size() != before.size()) return false;
    int changed = 0;
    for (qsizetype i = 0; i < now.size(); ++i) changed += now[i] != before[i] ? 1 : 0;
    return changed <= 1;
  }
  // A value, and perhaps a blank line and a header before it.
  if (now.size() <= before.size() || now.size() > before.size() + 3) return false;
  qsizetype at = 0;
  for (const QByteArray& line : before) {
    while (at < now.size() && now[at] != line) ++at;
    if (at++ == now.size()) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  FuzzFolder(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const bool checkForeign = !input.contains(kForeignValue.toUtf8());
  QByteArray bytes = input.endsWith('\n') ? input : input + '\n';
  // Windows-1251 or a NUL byte: a header that cannot be read.
  const QByteArray foreignHeader =
      data[0] & 1 ? QByteArray("[\xCF\xF3\xF2\xFC]") : QByteArray("[Path\0]", 7);
  const QByteArray foreignLine = "DirData=" + kForeignValue.toUtf8();
  bytes += foreignHeader + '\n' + foreignLine + '\n';
  const QString path = WriteFuzzInput(QStringLiteral("user.ini"),
                                      reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      std::size_t(bytes.size()));

  SettingsStore store(path);
  Values before;
  Collect(store, QString(), before, 0);
  JW_CHECK(!checkForeign || TakesNothingForeign(before));
  // Overwrite a value the file holds (picked by the first byte), or add one; the value is
  // the input's last bytes, control characters and all.
  Key key{QStringLiteral("software\\jibwarden\\probe"), QStringLiteral("value")};
  if (!before.empty()) key = std::next(before.begin(), data[0] % before.size())->first;
  const bool added = before.count(key) == 0;
  const std::size_t tail = std::min<std::size_t>(size, 12);
  const QString value =
      QString::fromUtf8(reinterpret_cast<const char*>(data) + size - tail, qsizetype(tail));
  JW_CHECK(store.WriteString(key.first, key.second, value));
  JW_CHECK(store.ReadString(key.first, key.second) == value);

  Values after;
  Collect(store, QString(), after, 0);
  before[key] = value;
  JW_CHECK(after == before);
  JW_CHECK(!checkForeign || TakesNothingForeign(after));

  QFile file(path);
  JW_CHECK(file.open(QIODevice::ReadOnly));
  const QByteArrayList now = Lines(file.readAll());
  JW_CHECK(KeepsUnchangedLines(Lines(bytes), now, added));
  // The foreign header still has its value right under it, and nothing else.
  const qsizetype header = now.lastIndexOf(foreignHeader);
  JW_CHECK(header >= 0 && header + 1 < now.size() && now[header + 1] == foreignLine);
  JW_CHECK(header + 2 == now.size() || now[header + 2].trimmed().isEmpty());
  return 0;
}
