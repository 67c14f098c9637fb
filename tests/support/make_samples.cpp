// Rewrites the sample archive by reading simulated recorders through the readout's writer.
// Rerun from the repository root after a build:
//   build/tests/support/jw_make_samples samples
#include "acquisition/table_transfer.h"
#include "tests/support/sample_recorders.h"
#include "tests/support/virtual_link.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

struct Sample {
  SampleSpec Spec;
  QDateTime ReadAt;
  QString Operator;
  QString Comment;
};

bool ReadOut(const Sample& sample, const QString& directory) {
  RecorderSimulator recorder(SampleRecorder(sample.Spec));
  VirtualRecorderLink link(recorder);
  RecordingProgress progress;
  DecoderContext context;
  context.LinkOk = true;
  const bool readActive = true;
  TableTransfer transfer(context, readActive, {link, link, progress});
  transfer.CreateDataFile(
      directory, sample.ReadAt,
      HeaderFor(recorder.Model(), sample.ReadAt.date().toString(QStringLiteral("dd.MM.yyyy")),
                sample.Operator, sample.Comment));
  transfer.ReadTableInfo();
  transfer.TransferTables();
  const bool kept = transfer.Finish();
  std::printf("%s %s\n", kept ? "written" : "FAILED ", qPrintable(transfer.FileName()));
  return kept;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <samples directory>\n", argv[0]);
    return 2;
  }
  const QString directory = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(directory);
  const QList<Sample> samples = {
      // Ring positions inside both tables, several blocks.
      {{2, 10, "K\xA0-405.1A", 310457, 1187, 70, 25, 12, 5},
       QDateTime(QDate(2024, 6, 14), QTime(10, 15, 42)),
       QStringLiteral("Петров"),
       QStringLiteral("Плановая проверка")},
      {{4, 2,
        "\xAF"
        "KCKABATOP EK-14",
        220931, 4402, 40, 0, 5, 0},
       QDateTime(QDate(2024, 6, 20), QTime(9, 3, 7)),
       QStringLiteral("Сидорова"),
       QString()},
      // Empty tables.
      {{2, 2, "KC-55713", 118004, 2075, 0, 0, 0, 0},
       QDateTime(QDate(2024, 7, 1), QTime(14, 0, 0)),
       QStringLiteral("Петров"),
       QStringLiteral("Новый прибор")},
      {{4, 10, "K\xA0-474", 305511, 931, 33, 10, 3, 1},
       QDateTime(QDate(2024, 7, 8), QTime(16, 45, 30)),
       QStringLiteral("Иванов"),
       QStringLiteral("После ремонта")},
  };
  bool ok = true;
  for (const Sample& s : samples) ok = ReadOut(s, directory) && ok;
  return ok ? 0 : 1;
}
