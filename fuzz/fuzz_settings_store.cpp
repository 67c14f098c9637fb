// Any bytes as a settings file: every value it yields stays readable, and a value written
// into it reads back while every other value keeps its text.
#include "fuzz/fuzz_check.h"
#include "platform/settings_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <map>

namespace {

using Key = std::pair<QString, QString>;  // key path and value name, case-folded
using Values = std::map<Key, QString>;

void Collect(const SettingsStore& store, const QString& section, Values& out, int depth) {
  for (const QString& name : store.ValueNames(section))
    out[{section.toCaseFolded(), name.toCaseFolded()}] = store.ReadString(section, name);
  if (depth == 8) return;
  for (const QString& sub : store.SubKeys(section))
    Collect(store, section.isEmpty() ? sub : section + u'\\' + sub, out, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  FuzzFolder(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const QString path = WriteFuzzInput(QStringLiteral("user.ini"), data, size);

  SettingsStore store(path);
  Values before;
  Collect(store, QString(), before, 0);
  // Overwrite a value the file holds (picked by the first byte), or add one; the value is
  // the input's last bytes, control characters and all.
  Key key{QStringLiteral("software\\jibwarden\\probe"), QStringLiteral("value")};
  if (!before.empty()) key = std::next(before.begin(), data[0] % before.size())->first;
  const std::size_t tail = std::min<std::size_t>(size, 12);
  const QString value =
      QString::fromUtf8(reinterpret_cast<const char*>(data) + size - tail, qsizetype(tail));
  JW_CHECK(store.WriteString(key.first, key.second, value));
  JW_CHECK(store.ReadString(key.first, key.second) == value);

  Values after;
  Collect(store, QString(), after, 0);
  before[key] = value;
  JW_CHECK(after == before);
  return 0;
}
