// The whole readout against the scripted recorder on a virtual clock.
#include "acquisition/recorder_readout.h"
#include "tests/support/sample_recorders.h"
#include "tests/support/test_files.h"
#include "tests/support/virtual_link.h"

#include <QDir>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 7, 8), QTime(16, 45, 30));
const QString kFileName = QStringLiteral("д08м07г2024ч16м45c30_931.bbi");

class ScriptedWindow : public ReadoutWindow {
 public:
  void ReopenWithoutEvents() override { Log << "reopen"; }
  void SetSpeed(int speedIndex) override { Speeds << speedIndex; }
  void ProcessMessages() override {}
  int BaudrateChoice() override { return Choice; }
  ReadoutFileChoices FileChoices() override {
    return {"08.07.2024", "Петров", "", Directory, kNow};
  }
  void SetBaudText(const QString& text) override { Baud = text; }
  void StartElapsedTime() override { Log << "elapsed"; }
  void CleanUp() override { Log << "cleanup"; }
  void CloseWindow() override {
    Log << "close";
    if (OnClose) OnClose();
  }
  void ReadoutEnded() override { Log << "ended"; }

  int Choice = 0;
  QString Directory;
  QStringList Log;
  QList<int> Speeds;
  QString Baud;
  std::function<void()> OnClose;
};

RecorderModel Sample(quint8 type = 2, int records = 40, int overload = 12) {
  return SampleRecorder({type, 10, "KRAN 16", 220931, 931, records, 7, overload, 5});
}

// A recorder with its link, window and an armed readout writing into directory.
struct Rig {
  explicit Rig(const QString& directory = {}, RecorderModel model = Sample())
      : recorder(std::move(model)), link(recorder), readout(link, link, progress, window) {
    window.Directory = directory;
    readout.Arm();
  }
  RecorderSimulator recorder;
  VirtualRecorderLink link;
  RecordingProgress progress;
  ScriptedWindow window;
  RecorderReadout readout;
};

class ReadoutTest : public ::testing::Test, protected Rig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    window.Directory = dir.path();
  }

  QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files); }
  QTemporaryDir dir;
};

TEST_F(ReadoutTest, AutomaticSpeedReadsEverythingAndKeepsTheFile) {
  // Closing the window clears ReadActive, as the real window does.
  window.OnClose = [this] { readout.ReadActive = false; };
  ASSERT_TRUE(readout.Run());
  EXPECT_EQ(window.Log, (QStringList{"reopen", "elapsed", "cleanup", "close", "ended"}));
  EXPECT_EQ(Files(), QStringList{kFileName});
  // The exact traffic: which commands are preceded by a purge and which wait follows each.
  const QString trace =
      "purge|AA|delay 1000|delay 300|purge|42 01|delay 1000|purge|42 02|delay 1000|purge|42 03|"
      "delay 1000|purge|42 04|delay 1000|purge|49|delay 1000|49|delay 500|4E|delay 500|50|"
      "delay 500|4D|delay 500|44|delay 500|43|delay 500|54|delay 500|57|delay 500|52|wait 6000|"
      "53|wait 10000|45|delay 500|delay 200|4F|delay 500|52|wait 6000|45|delay 500|46|delay 500|"
      "delay 100|delay 1000";
  EXPECT_EQ(link.Trace(), trace.split(u'|'));

  // The header and both tables decoded from the sample recorder's replies.
  EXPECT_EQ(jwtest::ReadBytes(dir.filePath(kFileName)),
            jwtest::ReadBytes(JW_TEST_DATA_DIR "/acquisition/readout_sample.bbi"));
}

// A fixed speed is sent once, without its test, whatever the recorder answers.
TEST_F(ReadoutTest, SpeedChoiceAndNegotiation) {
  for (const auto& [choice, refuseFrom, speeds, baud, firstSpeed] :
       {std::tuple{0, 3, QList<int>{1, 2, 2}, "Скорость 38400 бит/с", QByteArray("B\x01")},
        std::tuple{5, 1, QList<int>{4}, "Скорость 115200 бит/с", QByteArray("B\x04")}}) {
    SCOPED_TRACE(choice);
    Rig rig(dir.path(), Sample());
    rig.recorder.Faults().RefuseSpeedFrom = refuseFrom;
    rig.window.Choice = choice;
    EXPECT_TRUE(rig.readout.Run());
    EXPECT_EQ(rig.window.Speeds, speeds);
    EXPECT_EQ(rig.window.Baud, QString::fromUtf8(baud));
    EXPECT_EQ(rig.recorder.Commands()[1], firstSpeed);
  }

  // A speed reply of two bytes, or of three without 55h, refuses the step.
  recorder.Faults().ScriptedReplies['B'] = {QByteArray("B\x01\x55", 3), QByteArray("B\x02", 2)};
  EXPECT_TRUE(readout.Run());
  EXPECT_EQ(window.Speeds, (QList<int>{1, 1}));
}

// Every stop ends the link as its stage asks and leaves no file: a cancel, a silent
// recorder, a reply too short for its step (never read past) or an item failing twice.
TEST_F(ReadoutTest, EveryStopEndsTheLinkAndLeavesNoFile) {
  enum Fault { Cancel, Silent, Short, BadTwice };
  struct Case {
    Fault fault;
    char command;
    QByteArray tail;  // the last commands sent
    QByteArray reply = {};
  };
  // A reply that passes after a cancel (the second probe, a header item) sets LinkOk again:
  // one "F" only, still a cancel. Without a status byte there is no second "F" either.
  const Case cases[] = {
      {Cancel, '\xAA', QByteArray(2, '\xAA') + "EF"},
      {Cancel, 'B', "BBBEFF"},
      {Cancel, 'I', "IEFF"},
      {Cancel, 'S', "SREFF"},
      {Silent, '\xAA', QByteArray(2, '\xAA') + "EF"},
      {Short, 'I', "IEFF", "I"},
      {Short, 'M', "MEFF", "M" + WithCheck("123456")},
      {Short, 'E', "EEFF", "E"},
      {BadTwice, 'M', "NPMMEFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fault << " " << c.command);
    Rig rig(dir.path(), Sample(2, 100, 40));
    RecorderFaults& faults = rig.recorder.Faults();
    if (c.fault == Cancel) {
      const int occurrence = c.command == 'B' ? 2 : 1;
      rig.link.DuringWait = [&c, &readout = rig.readout, occurrence, seen = 0](char last) mutable {
        if (last == c.command && ++seen == occurrence) readout.Cancel();
      };
    } else if (c.fault == Silent) {
      faults.SilentAfter = c.command;
    } else if (c.fault == Short) {
      // The link check takes the first "I".
      faults.ScriptedReplies[c.command] = {c.reply};
      if (c.command == 'I') faults.ScriptedReplies['I'].prepend(QByteArray("I\x02\x0A\x08", 4));
    } else {
      faults.BadCheckFirstTry = QByteArray(1, c.command);
      faults.BadCheckTries = 2;
    }
    EXPECT_FALSE(rig.readout.Run());
    EXPECT_TRUE(rig.recorder.CommandLetters().endsWith(c.tail))
        << rig.recorder.CommandLetters().toHex().toStdString();
    EXPECT_EQ(rig.progress.Status.last(),
              c.fault == Cancel ? " Процесс отменен пользователем" : " Ошибка. Чтение завершено");
    EXPECT_FALSE(rig.window.Log.contains("close"));
    EXPECT_EQ(rig.window.Log.last(), "ended");
    EXPECT_TRUE(Files().isEmpty());
  }
}

TEST_F(ReadoutTest, RunsOnlyOnceAtATime) {
  int nested = -1;
  link.DuringWait = [&](char) {
    if (nested == -1) nested = readout.Run();
  };
  EXPECT_TRUE(readout.Run());
  EXPECT_EQ(nested, 0);
  EXPECT_FALSE(readout.Running());
  EXPECT_FALSE(readout.Armed());
}

}  // namespace
