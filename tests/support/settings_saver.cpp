// A second program saving into a settings file: saves a section again and again, each
// save one batch of two values, as a window's save is: "Save" counting from <first> and
// "Twice" twice that.
//   jw_settings_saver <file> <section> <saves> [<first>]
// Exits 1 when a save fails.
#include "platform/settings_store.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: jw_settings_saver <file> <section> <saves> [<first>]\n");
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
    if (!store.EndUpdate()) {
      std::fprintf(stderr, "save %d: %s\n", i, qPrintable(store.LastError()));
      return 1;
    }
  }
  return 0;
}
