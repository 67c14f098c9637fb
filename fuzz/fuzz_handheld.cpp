// Any bytes as a handheld database file: the conversion either leaves exactly one data file
// that begins as a data file does, or nothing at all in the data directory.
#include "acquisition/handheld_conversion.h"
#include "fuzz/fuzz_check.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

class NoProgress : public HandheldProgress {
 public:
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
  void Delay(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  QTemporaryDir& dir = FuzzFolder(argc, argv);
  QDir(dir.path()).mkdir(QStringLiteral("data"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString source = WriteFuzzInput(QStringLiteral("readout.pdb"), data, size);
  const QString target = FuzzFolder().filePath(QStringLiteral("data"));

  NoProgress progress;
  const HandheldResult result =
      ConvertHandheldFile(source, target, QDateTime(QDate(2024, 7, 1), QTime(12, 0, 0)),
                          {QStringLiteral("01.07.24"), QStringLiteral("Петров"),
                           QStringLiteral("2075"), QStringLiteral("118004"), QString()},
                          progress);

  QDir out(target);
  const QStringList left = out.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  if (!result.Ok) {
    JW_CHECK(left.isEmpty());
    return 0;
  }
  JW_CHECK(left == QStringList{result.FileName} &&
           out.filePath(result.FileName) == result.FilePath);
  QFile converted(result.FilePath);
  JW_CHECK(converted.open(QIODevice::ReadOnly) && converted.readLine() == "Taltrex\r\n");
  converted.close();
  JW_CHECK(QFile::remove(result.FilePath));
  return 0;
}
