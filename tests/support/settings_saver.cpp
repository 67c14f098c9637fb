// A second program on a settings file.
//   jw_settings_saver [--keep] <file> <section> <saves> [<first>]
// saves a section again and again, each save one batch of two values, as a window's save is:
// "Save" counting from <first> and "Twice" twice that. With --keep each batch also writes a
// value of its own, "Batch<n>" = n, that later batches leave, so that a batch another copy
// saved over shows as missing. Exits 1 when a save fails.
//   jw_settings_saver --read <file> [<section> <name>]...
// reads values as a program starting afresh does, nothing of them known before: section and
// name in hexadecimal UTF-8, and prints each value so, one a line, "-" for one that is absent.
#include "platform/settings_store.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <cstdio>
#include <cstring>

namespace {

// A leading byte-order mark kept: it is part of the text.
QString FromHex(const char* hex) {
  auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
  return toUtf16(QByteArray::fromHex(hex));
}

int Read(int argc, char** argv) {
  const SettingsStore store(QString::fromLocal8Bit(argv[2]));
  for (int i = 3; i + 1 < argc; i += 2) {
    const QString section = FromHex(argv[i]), name = FromHex(argv[i + 1]);
    const QByteArray out =
        store.ValueExists(section, name) ? store.ReadString(section, name).toUtf8().toHex() : "-";
    std::printf("%s\n", out.constData());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--read") == 0) return Read(argc, argv);
  const bool keep = argc >= 2 && std::strcmp(argv[1], "--keep") == 0;
  if (keep) {
    --argc;
    ++argv;
  }
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr,
                 "usage: jw_settings_saver [--keep] <file> <section> <saves> [<first>]\n"
                 "       jw_settings_saver --read <file> [<section> <name>]...\n");
    return 2;
  }
  SettingsStore store(QString::fromLocal8Bit(argv[1]));
  const QString section = QString::fromLocal8Bit(argv[2]);
  const int saves = QString::fromLatin1(argv[3]).toInt();
  const int first = argc == 5 ? QString::fromLatin1(argv[4]).toInt() : 0;
  for (int i = first; i < first + saves; ++i) {
    store.BeginUpdate();
    store.WriteString(section, QStringLiteral("Save"), QString::number(i));
    store.WriteString(section, QStringLiteral("Twice"), QString::number(2 * i));
    if (keep) store.WriteString(section, QStringLiteral("Batch%1").arg(i), QString::number(i));
    if (!store.EndUpdate()) {
      std::fprintf(stderr, "save %d: %s\n", i, qPrintable(store.LastError()));
      return 1;
    }
  }
  return 0;
}
