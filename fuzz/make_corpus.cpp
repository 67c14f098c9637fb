// Writes the generated seeds: handheld database files and table blocks of the test support's
// sample recorders. Run from the repository root after a build with JW_BUILD_FUZZ:
//   build-asan/fuzz/jw_make_corpus fuzz/corpus
#include "tests/acquisition/handheld_fixture.h"
#include "tests/support/sample_recorders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  const QDir corpus(QString::fromLocal8Bit(argv[1]));
  corpus.mkpath(QStringLiteral("handheld"));
  corpus.mkpath(QStringLiteral("record_blocks"));
  // Type 2 with ring positions inside both tables, type 4 with one overload, no records.
  const SampleSpec specs[] = {{2, 10, "KC-45717", 310457, 1187, 40, 7, 3, 1},
                              {4, 2, "KC-55713", 220931, 4402, 5, 0, 1, 0},
                              {2, 2, "K-405", 118004, 2075, 0, 0, 0, 0}};
  bool ok = true;
  for (const SampleSpec& spec : specs) {
    const QList<QByteArray> records = HandheldRecords(SampleRecorder(spec));
    const QString name =
        QStringLiteral("type%1_%2").arg(spec.DeviceType).arg(spec.OperationalCount);
    ok = Write(corpus.filePath(QStringLiteral("handheld/%1.pdb").arg(name)),
               PalmDatabaseBytes(records)) &&
         ok;
    if (spec.OperationalCount == 0) continue;
    // The first block reply without its leading byte, behind the target's selector byte:
    // device type in bit 0, table size and ring split above it.
    const char selector = char((spec.DeviceType == 4 ? 1 : 0) | (spec.OperationalCount << 1));
    ok = Write(corpus.filePath(QStringLiteral("record_blocks/%1").arg(name)),
               selector + records.at(7).mid(1)) &&
         ok;
  }
  return ok ? 0 : 1;
}
