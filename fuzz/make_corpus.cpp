// Writes the generated seeds: handheld database files, table blocks and the replies of whole
// readouts of the test support's sample recorders. Run from the repository root after a build
// with JW_BUILD_FUZZ:
//   build-asan/fuzz/jw_make_corpus fuzz/corpus
#include "fuzz/readout_fakes.h"
#include "tests/acquisition/handheld_fixture.h"
#include "tests/support/recorder_simulator.h"
#include "tests/support/sample_recorders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The simulator's side of a readout, each reply kept in the replies target's layout.
class RecordingLink : public RecorderLink, public ReadoutWaits {
 public:
  explicit RecordingLink(RecorderSimulator& recorder) : recorder_(recorder) {}
  void WriteText(QByteArrayView bytes) override {
    pending_ = recorder_.Receive(bytes);
    AppendReply(Replies, pending_);
  }
  int InQueueCount() override { return int(pending_.size()); }
  QByteArray ReadText() override { return std::exchange(pending_, {}); }
  void PurgeAll() override { pending_.clear(); }
  void Delay(int) override {}
  void WaitProcessingMessages(int) override {}

  QByteArray Replies;

 private:
  RecorderSimulator& recorder_;
  QByteArray pending_;
};

// The replies of a good readout of the recorder, behind the speed choice.
QByteArray ReadoutReplies(const RecorderModel& model, int choice) {
  RecorderSimulator recorder(model);
  RecordingLink link(recorder);
  SilentProgress progress;
  QTemporaryDir folder;
  FixedWindow window(choice, folder.path());
  RecorderReadout readout(link, link, progress, window);
  readout.Arm();
  if (!readout.Run()) return {};
  return char(choice) + link.Replies;
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
  corpus.mkpath(QStringLiteral("readout_replies"));
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
    // Automatic speed for the first sample, a fixed one for the others.
    const int choice = spec.OperationalCount == 40 ? 0 : 5;
    const QByteArray replies = ReadoutReplies(SampleRecorder(spec), choice);
    ok = !replies.isEmpty() &&
         Write(corpus.filePath(QStringLiteral("readout_replies/%1").arg(name)), replies) && ok;
    if (spec.OperationalCount == 0) continue;
    // The first block reply without its leading byte, behind the target's header: device type,
    // table size, ring split and block number. The 40 entries' block also as the second one.
    auto word = [](int value) { return QByteArray(1, char(value & 0xFF)) + char(value >> 8); };
    for (int number : {0, 1}) {
      if (number > 0 && spec.OperationalCount <= 32) continue;
      const QByteArray header = char(spec.DeviceType == 4 ? 1 : 0) + word(spec.OperationalCount) +
                                word(spec.OperationalRing) + word(number);
      const QString suffix = number > 0 ? QStringLiteral("_second") : QString();
      ok = Write(corpus.filePath(QStringLiteral("record_blocks/%1%2").arg(name, suffix)),
                 header + records.at(7).mid(1)) &&
           ok;
    }
  }
  return ok ? 0 : 1;
}
