// Any bytes as a settings file, followed by a header that cannot be read and a value under
// it: every value the file yields stays readable and none is the value under that header;
// a value written into the file reads back while every other value keeps its text, every
// line it did not change comes back byte for byte, and nothing goes under that header. Then
// the round trip: a key path, a value name and a value of the input's last bytes are written,
// and a fresh parse of the saved file (another file of the same bytes, which nothing parsed
// before) reads every key, name and value as the writer does, in the same order.
#include "fuzz/fuzz_check.h"
#include "platform/settings_store.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QStringList>
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

// Every key path, value name and value as spelled, in the order the store gives them.
void CollectSpelled(const SettingsStore& store, const QString& section, QStringList& out,
                    int depth) {
  for (const QString& name : store.ValueNames(section))
    out += section + u'\n' + name + u'\n' + store.ReadString(section, name);
  if (depth == 8) return;
  for (const QString& sub : store.SubKeys(section))
    CollectSpelled(store, section.isEmpty() ? sub : section + u'\\' + sub, out, depth + 1);
}

QStringList Spelled(const SettingsStore& store) {
  QStringList out;
  CollectSpelled(store, QString(), out, 0);
  return out;
}

// UTF-8 as a text to write: a leading byte-order mark kept (QString::fromUtf8 drops it), any
// byte that is not UTF-8 a replacement character.
QString Text(QByteArrayView bytes) {
  auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
  return toUtf16(bytes);
}

// The saved file parsed afresh: its bytes as another file, new to the process.
SettingsStore FreshParse(const QString& path) {
  QFile saved(path);
  JW_CHECK(saved.open(QIODevice::ReadOnly));
  const QByteArray bytes = saved.readAll();
  return SettingsStore(WriteFuzzInput(QStringLiteral("fresh.ini"),
                                      reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      std::size_t(bytes.size())));
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
  const QString value = Text(input.last(qsizetype(tail)));
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
  JW_CHECK(Spelled(FreshParse(path)) == Spelled(store));

  // A key path, a value name and a value of the input's last bytes, a third each.
  const QByteArray texts = input.right(36);
  const qsizetype third = texts.size() / 3;
  const QString section = Text(texts.first(third)), name = Text(texts.sliced(third, third)),
                written = Text(texts.sliced(2 * third));
  JW_CHECK(store.WriteString(section, name, written));
  JW_CHECK(store.ReadString(section, name) == written);
  const SettingsStore fresh = FreshParse(path);
  JW_CHECK(fresh.ValueExists(section, name) && fresh.ReadString(section, name) == written);
  JW_CHECK(Spelled(fresh) == Spelled(store));
  return 0;
}
