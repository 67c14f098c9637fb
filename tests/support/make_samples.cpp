// Rewrites the sample archive by reading simulated recorders through the readout's writer.
// Rerun from the repository root after a build:
//   build/tests/support/jw_make_samples samples
#include "tests/support/sample_recorders.h"
#include "tests/support/virtual_link.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

struct Sample {
  SampleSpec Spec;
  const char* ReadAt;  // ISO date and time
  const char* Operator;
  const char* Comment;
};

bool ReadOut(const Sample& sample, const QString& directory) {
  const QDateTime readAt = QDateTime::fromString(QString::fromLatin1(sample.ReadAt), Qt::ISODate);
  RecorderSimulator recorder(SampleRecorder(sample.Spec));
  VirtualRecorderLink link(recorder);
  RecordingProgress progress;
  DecoderContext context;
  context.LinkOk = true;
  const bool readActive = true;
  TableTransfer transfer(context, readActive, {link, link, progress});
  transfer.CreateDataFile(
      directory, readAt,
      HeaderFor(recorder.Model(), readAt.toString(QStringLiteral("dd.MM.yyyy")),
                QString::fromUtf8(sample.Operator), QString::fromUtf8(sample.Comment)));
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
  const Sample samples[] = {
      // Ring positions inside both tables, several blocks.
      {{2, 10, "K\xA0-405.1A", 310457, 1187, 70, 25, 12, 5},
       "2024-06-14T10:15:42",
       "Петров",
       "Плановая проверка"},
      {{4, 2, "\xAFKCKABATOP EK-14", 220931, 4402, 40, 0, 5, 0},
       "2024-06-20T09:03:07",
       "Сидорова",
       ""},
      // Empty tables.
      {{2, 2, "KC-55713", 118004, 2075, 0, 0, 0, 0},
       "2024-07-01T14:00:00",
       "Петров",
       "Новый прибор"},
      {{4, 10, "K\xA0-474", 305511, 931, 33, 10, 3, 1},
       "2024-07-08T16:45:30",
       "Иванов",
       "После ремонта"},
  };
  bool ok = true;
  for (const Sample& s : samples) ok = ReadOut(s, directory) && ok;
  return ok ? 0 : 1;
}
