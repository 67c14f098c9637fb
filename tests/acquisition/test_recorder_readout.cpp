// The whole readout against the scripted recorder on a virtual clock.
#include "acquisition/recorder_readout.h"
#include "tests/support/sample_recorders.h"
#include "tests/support/test_files.h"
#include "tests/support/virtual_link.h"

#include <QDir>
#include <QFile>
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

  bool Run() { return readout.Run(); }
  QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files); }
  QTemporaryDir dir;
};

QByteArray B(int n) {
  return QByteArray("B") + char(n);
}

TEST_F(ReadoutTest, AutomaticSpeedReadsEverythingAndKeepsTheFile) {
  // Closing the window clears ReadActive, as the real window does.
  window.OnClose = [this] { readout.ReadActive = false; };
  ASSERT_TRUE(Run());
  EXPECT_EQ(window.Speeds, (QList<int>{1, 2, 3, 4, 4}));
  EXPECT_EQ(window.Baud, "Скорость 115200 бит/с");
  EXPECT_EQ(window.Log, (QStringList{"reopen", "elapsed", "cleanup", "close", "ended"}));
  EXPECT_EQ(progress.Status.last(), "Чтение данных завершено");
  EXPECT_EQ(Files(), QStringList{kFileName});
  EXPECT_EQ(progress.FileName, kFileName);
  // The exact traffic: which commands are preceded by a purge and which wait follows each.
  const QStringList probe{"purge", "AA", "delay 1000"};
  const QStringList end{"46", "delay 500", "delay 100", "delay 1000"};
  const QStringList full =
      probe +
      QStringList{"delay 300",  "purge",     "42 01",     "delay 1000", "purge",     "42 02",
                  "delay 1000", "purge",     "42 03",     "delay 1000", "purge",     "42 04",
                  "delay 1000", "purge",     "49",        "delay 1000", "49",        "delay 500",
                  "4E",         "delay 500", "50",        "delay 500",  "4D",        "delay 500",
                  "44",         "delay 500", "43",        "delay 500",  "54",        "delay 500",
                  "57",         "delay 500", "52",        "wait 6000",  "53",        "wait 10000",
                  "45",         "delay 500", "delay 200", "4F",         "delay 500", "52",
                  "wait 6000",  "45",        "delay 500"} +
      end;
  EXPECT_EQ(link.Trace(), full);

  // The header decoded from the replies is the one the model stands for.
  RecorderSimulator again(Sample());
  VirtualRecorderLink otherLink(again);
  RecordingProgress otherProgress;
  QTemporaryDir other;
  DecoderContext context;
  context.LinkOk = true;
  bool active = true;
  TableTransfer transfer(context, active, {otherLink, otherLink, otherProgress});
  transfer.CreateDataFile(other.path(), kNow,
                          HeaderFor(again.Model(), "08.07.2024", "Петров", QString()));
  transfer.ReadTableInfo();
  transfer.TransferTables();
  ASSERT_TRUE(transfer.Finish());
  EXPECT_EQ(jwtest::ReadBytes(dir.filePath(kFileName)), jwtest::ReadBytes(transfer.FilePath()));
}

// A fixed speed is sent once, without its test, whatever the recorder answers.
TEST_F(ReadoutTest, SpeedChoiceAndNegotiation) {
  struct Case {
    int choice;
    int refuseFrom;
    QList<int> speeds;
    const char* baud;
  };
  for (const Case& c :
       {Case{0, 3, {1, 2, 2}, "Скорость 38400 бит/с"}, Case{0, 1, {0}, "Скорость 9600 бит/с"},
        Case{1, 1, {0}, "Скорость 9600 бит/с"}, Case{5, 1, {4}, "Скорость 115200 бит/с"}}) {
    SCOPED_TRACE(testing::Message() << c.choice << " " << c.refuseFrom);
    Rig rig(dir.path(), Sample());
    rig.recorder.Faults().RefuseSpeedFrom = c.refuseFrom;
    rig.window.Choice = c.choice;
    EXPECT_TRUE(rig.readout.Run());
    EXPECT_EQ(rig.window.Speeds, c.speeds);
    EXPECT_EQ(rig.window.Baud, QString::fromUtf8(c.baud));
    if (c.choice > 0) {
      EXPECT_EQ(rig.recorder.Commands().mid(1, 2), (QList<QByteArray>{B(c.choice - 1), "I"}));
    }
    QFile::remove(dir.filePath(kFileName));
  }

  // A speed reply of two bytes, or of three without 55h, refuses the step.
  recorder.Faults().ScriptedReplies['B'] = {QByteArray("B\x01\x55", 3), QByteArray("B\x02", 2)};
  EXPECT_TRUE(Run());
  EXPECT_EQ(window.Speeds, (QList<int>{1, 1}));
}

TEST_F(ReadoutTest, HeaderItemRepeatsOnceAfterABadCheck) {
  recorder.Faults().BadCheckFirstTry = "M";
  ASSERT_TRUE(Run());
  EXPECT_TRUE(progress.Status.contains("Повтор чтения"));
  EXPECT_EQ(recorder.CommandLetters().count('M'), 2);

  // Failing twice fails the readout: "E" and two "F", no file.
  ASSERT_TRUE(QFile::remove(dir.filePath(kFileName)));
  Rig twice(dir.path(), Sample());
  twice.recorder.Faults().BadCheckFirstTry = "M";
  twice.recorder.Faults().BadCheckTries = 2;
  EXPECT_FALSE(twice.readout.Run());
  EXPECT_EQ(twice.progress.Status.last(), " Ошибка. Чтение завершено");
  EXPECT_EQ(twice.recorder.CommandLetters(), QByteArray("\xAA"
                                                        "BBBBIINPMMEFF"));
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(ReadoutTest, SilentRecorderAndSilentLinkCheck) {
  recorder.Faults().SilentAfter = '\xAA';
  EXPECT_FALSE(Run());
  // Two probes, the table left, one "F" (no status byte: no second one); the port as it was.
  EXPECT_EQ(recorder.CommandLetters(), QByteArray("\xAA\xAA"
                                                  "EF"));
  EXPECT_EQ(progress.Status.last(), " Ошибка. Чтение завершено");
  EXPECT_TRUE(Files().isEmpty());

  // A recorder that goes quiet after the speed: an empty link-check reply is no link.
  Rig rig(dir.path(), Sample());
  auto& [quiet, l, p, w, ro] = rig;
  quiet.Faults().SilentAfter = 'I';
  EXPECT_FALSE(ro.Run());
  EXPECT_TRUE(p.Status.contains("Нет связи с устройством"));
  EXPECT_EQ(quiet.CommandLetters().mid(5), "IEF");
  EXPECT_EQ(p.Status.last(), " Ошибка. Чтение завершено");
}

TEST_F(ReadoutTest, RepliesTooShortForTheirStepFailWithoutReadingPast) {
  struct Case {
    char command;
    QByteArray reply;
    QString errorText;
  };
  const QByteArray good_I("I\x02\x0A\x08", 4);
  for (const Case& c :
       {Case{'I', "I", "Ошибка чтения типа устройства"},
        Case{'P', "P" + WithCheck("\x01\x02\x03\x04"), "Ошибка чтения номера крана"},
        Case{'M', "M" + WithCheck("123456"), "Ошибка чтения максимальных значений"},
        Case{'D', "D" + WithCheck("12"), "Ошибка чтения даты"},
        Case{'C', "C" + WithCheck(QByteArray(23, '\x01')), "Ошибка характеристик"},
        Case{'T', "T" + WithCheck(QByteArray(6, '\x01')), "Ошибка данных"},
        Case{'W', "W", "Ошибка 0x01:Чтение данных"},
        Case{'E', "E", "Ошибка 0x02: Чтение данных"}}) {
    SCOPED_TRACE(c.command);
    Rig rig(dir.path(), Sample());
    auto& [r, l, p, w, ro] = rig;
    r.Faults().ScriptedReplies[c.command] = {c.reply};
    if (c.command == 'I') r.Faults().ScriptedReplies['I'] = {good_I, c.reply};
    EXPECT_FALSE(ro.Run());
    EXPECT_FALSE(p.Status.contains(c.errorText));
    EXPECT_EQ(p.Status.last(), " Ошибка. Чтение завершено");
    EXPECT_EQ(r.CommandLetters().right(3), "EFF");
    EXPECT_TRUE(Files().isEmpty());
  }
}

TEST_F(ReadoutTest, CancelAtEachStage) {
  struct Case {
    char command;
    int occurrence;
    QByteArray tail;  // the commands from the cancelled one on
  };
  // A reply that passes after the cancel (the second probe, a header item) sets LinkOk
  // again: one "F" only, still a cancel.
  for (const Case& c : {Case{'\xAA', 1,
                             "\xAA\xAA"
                             "EF"},
                        Case{'B', 2, "BBBEFF"}, Case{'I', 1, "IEFF"}, Case{'D', 1, "DEF"},
                        Case{'T', 1, "TEF"}, Case{'W', 1, "WEFF"}, Case{'R', 1, "REFF"},
                        Case{'S', 1, "SREFF"}, Case{'O', 1, "OEFF"}, Case{'F', 1, "FF"}}) {
    SCOPED_TRACE(c.command);
    Rig rig(dir.path(), Sample(2, 100, 40));
    auto& [r, l, p, w, ro] = rig;
    l.DuringWait = [&c, &readout = rig.readout, seen = 0](char last) mutable {
      if (last == c.command && ++seen == c.occurrence) readout.Cancel();
    };
    ro.Arm();
    EXPECT_FALSE(ro.Run());
    const QByteArray letters = r.CommandLetters();
    EXPECT_EQ(letters.mid(letters.indexOf(c.command, c.command == 'B' ? 2 : 0)), c.tail);
    EXPECT_EQ(p.Status.last(), " Процесс отменен пользователем");
    EXPECT_FALSE(w.Log.contains("close"));
    EXPECT_EQ(w.Log.last(), "ended");
    EXPECT_TRUE(Files().isEmpty());
  }
}

TEST_F(ReadoutTest, RunsOnlyOnceAtATime) {
  int nested = -1;
  link.DuringWait = [&](char) {
    if (nested == -1) nested = readout.Run();
  };
  EXPECT_TRUE(Run());
  EXPECT_EQ(nested, 0);
  EXPECT_FALSE(readout.Running());
  EXPECT_FALSE(readout.Armed());
}

}  // namespace
