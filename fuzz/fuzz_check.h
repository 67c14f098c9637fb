#pragma once
// What the fuzz targets share: a broken invariant named on stderr, then the run stops as a
// crash; one Qt core application and one scratch folder for the whole run; an input as a file.

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define JW_CHECK(condition)                                                                  \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)

// The run's scratch folder, made with the application on the first call (from
// LLVMFuzzerInitialize, which has the arguments).
inline QTemporaryDir& FuzzFolder(int* argc = nullptr, char*** argv = nullptr) {
  static int noArgc = 0;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QCoreApplication app(argc ? *argc : noArgc, argv ? *argv : nullptr);
  static QTemporaryDir folder;
  return folder;
}

// The input as the file `name` in the scratch folder, a new file each time (as an editor saves
// one): readers that keep the last input open and parsed see another file, whatever its size
// and times; its path.
inline QString WriteFuzzInput(const QString& name, const std::uint8_t* data, std::size_t size) {
  const QString path = FuzzFolder().filePath(name);
  QFile::remove(path);
  QFile file(path);
  JW_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(reinterpret_cast<const char*>(data), qint64(size));
  return path;
}
