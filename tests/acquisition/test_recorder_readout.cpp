// The whole readout against the scripted recorder on a virtual clock.
#include "acquisition/recorder_readout.h"
#include "archive/cp1251.h"
#include "tests/support/sample_recorders.h"
#include "tests/support/virtual_link.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

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
  QString Final() const { return progress.Status.isEmpty() ? QString() : progress.Status.last(); }
  QList<QByteArray> Commands() const { return recorder.Commands(); }
  QStringList Lines() const {
    QFile f(dir.filePath(kFileName));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = DecodeCp1251(f.readAll()).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
  }
  // Cancels once during the first wait after `command`.
  void CancelAfter(char command, int occurrence = 1) {
    link.DuringWait = [this, command, occurrence, seen = 0](char last) mutable {
      if (last == command && ++seen == occurrence) readout.Cancel();
    };
  }
  qint64 DelaySum() const {
    qint64 sum = 0;
    for (const auto& w : link.Waits())
      if (!w.Processing) sum += w.LimitMs;
    return sum;
  }

  QTemporaryDir dir;
};

const QByteArray kProbe("\xAA", 1);
QByteArray B(int n) {
  return QByteArray("B") + char(n);
}

TEST_F(ReadoutTest, AutomaticSpeedReadsEverythingAndKeepsTheFile) {
  // Closing the window clears ReadActive, as the real window does.
  window.OnClose = [this] { readout.ReadActive = false; };
  ASSERT_TRUE(Run());
  EXPECT_EQ(Commands(),
            (QList<QByteArray>{kProbe, B(1), B(2), B(3), B(4), "I", "I", "N", "P", "M", "D",
                               "C",    "T",  "W",  "R",  "S",  "E", "O", "R", "E", "F"}));
  EXPECT_EQ(window.Speeds, (QList<int>{1, 2, 3, 4, 4}));
  EXPECT_EQ(readout.SpeedIndex, 4);
  EXPECT_EQ(window.Baud, "Скорость 115200 бит/с");
  EXPECT_EQ(window.Log, (QStringList{"reopen", "elapsed", "cleanup", "close", "ended"}));
  EXPECT_EQ(progress.Status,
            (QStringList{"Обнаружено устройство", "Чтение типа устройства", "Чтение названия крана",
                         "Чтение номера крана", "Чтение максимальных значений", "Чтение даты",
                         "Чтение характеристик", "Чтение данных о таблицах", "Чтение данных",
                         "Чтение данных", "Чтение данных завершено"}));
  EXPECT_EQ(Files(), QStringList{kFileName});
  EXPECT_EQ(progress.FileName, kFileName);
  // Probe, detection, four speed steps, link check, six items, "T", "W", "E", renewal, "O",
  // "E", "F", the file's 100 ms and the outcome's second.
  EXPECT_EQ(DelaySum(),
            1000 + 300 + 4000 + 1000 + 3000 + 500 + 500 + 500 + 200 + 500 + 500 + 500 + 100 + 1000);

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
  QFile expected(transfer.FilePath());
  QFile actual(dir.filePath(kFileName));
  ASSERT_TRUE(expected.open(QIODevice::ReadOnly) && actual.open(QIODevice::ReadOnly));
  EXPECT_EQ(actual.readAll(), expected.readAll());
}

// The exact traffic: which commands are preceded by a purge and which wait follows each.
TEST_F(ReadoutTest, PurgesAndWaitsOnTheWire) {
  const QStringList probe{"purge", "AA", "delay 1000"};
  const QStringList end{"46", "delay 500", "delay 100", "delay 1000"};
  ASSERT_TRUE(Run());
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

  // A fixed speed goes out without a purge; a twice failed item ends with "E" and two "F".
  Rig fixed(dir.path(), Sample());
  fixed.window.Choice = 4;
  fixed.recorder.Faults().BadCheckFirstTry = "N";
  fixed.recorder.Faults().BadCheckTries = 2;
  EXPECT_FALSE(fixed.readout.Run());
  const QStringList failed =
      probe + QStringList{"delay 300", "42 03",     "delay 1000", "purge",     "49", "delay 1000",
                          "49",        "delay 500", "4E",         "delay 500", "4E", "delay 500",
                          "45",        "delay 500", "46",         "delay 500", "46", "delay 500"} +
      end.mid(2);
  EXPECT_EQ(fixed.link.Trace(), failed);

  // Nobody answers: two probes, then "E" and one "F".
  Rig silent(dir.path(), Sample());
  silent.recorder.Faults().SilentAfter = '\xAA';
  EXPECT_FALSE(silent.readout.Run());
  EXPECT_EQ(silent.link.Trace(), (probe + probe + QStringList{"45", "delay 500"} + end));
}

TEST_F(ReadoutTest, SpeedNegotiationOutcomes) {
  struct Case {
    int refuseFrom;
    QList<int> speeds;
    QString baud;
  };
  for (const Case& c :
       {Case{3, {1, 2, 2}, "Скорость 38400 бит/с"}, Case{1, {0}, "Скорость 9600 бит/с"},
        Case{5, {1, 2, 3, 4, 4}, "Скорость 115200 бит/с"}}) {
    SCOPED_TRACE(c.refuseFrom);
    Rig rig(dir.path(), Sample());
    auto& [r, l, p, w, ro] = rig;
    r.Faults().RefuseSpeedFrom = c.refuseFrom;
    EXPECT_TRUE(ro.Run());
    EXPECT_EQ(w.Speeds, c.speeds);
    EXPECT_EQ(w.Baud, c.baud);
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
  }

  // A speed reply of two bytes, or of three without 55h, refuses the step.
  recorder.Faults().ScriptedReplies['B'] = {QByteArray("B\x01\x55", 3), QByteArray("B\x02", 2)};
  EXPECT_TRUE(Run());
  EXPECT_EQ(window.Speeds, (QList<int>{1, 1}));
  window.Speeds.clear();
  recorder.Faults().ScriptedReplies['B'] = {QByteArray("B\x01\x54", 3)};
  readout.Arm();
  EXPECT_TRUE(Run());
  EXPECT_EQ(window.Speeds, (QList<int>{0}));
}

TEST_F(ReadoutTest, FixedSpeedIsSentWithoutTest) {
  for (int choice : {1, 5, 3}) {
    SCOPED_TRACE(choice);
    Rig rig(dir.path(), Sample());
    auto& [r, l, p, w, ro] = rig;
    // Whatever the recorder answers, the chosen speed is taken.
    r.Faults().ScriptedReplies['B'] = {QByteArray("B\0\0", 3)};
    w.Choice = choice;
    EXPECT_TRUE(ro.Run());
    EXPECT_EQ(r.Commands().at(1), B(choice - 1));
    EXPECT_EQ(r.CommandLetters().count('B'), 1);
    EXPECT_EQ(w.Speeds, QList<int>{choice - 1});
    EXPECT_EQ(w.Baud, SpeedText(choice - 1));
  }
  // A choice outside the list counts as "Авто".
  window.Choice = 9;
  EXPECT_TRUE(Run());
  EXPECT_EQ(window.Speeds, (QList<int>{1, 2, 3, 4, 4}));
}

TEST_F(ReadoutTest, IdentVariantRuleAndOneByteCraneName) {
  // The link check takes the first "I"; the header item the second.
  recorder.Faults().ScriptedReplies['I'] = {QByteArray("I\x02\x0A\x08", 4), QByteArray("I\x00", 2)};
  recorder.Faults().ScriptedReplies['N'] = {QByteArray("N")};
  readout.DeviceVariant = 77;
  ASSERT_TRUE(Run());
  EXPECT_EQ(readout.DeviceVariant, 0);
  QStringList lines = Lines();
  ASSERT_GE(lines.size(), 6);
  EXPECT_EQ(lines[1], "");   // crane name
  EXPECT_EQ(lines[3], "0");  // device type
  EXPECT_EQ(lines[4], "0");  // variant

  QDir(dir.path()).removeRecursively();
  QDir().mkpath(dir.path());
  recorder.Faults().ScriptedReplies['I'] = {QByteArray("I\x02\x0A\x08", 4),
                                            QByteArray("I\x04\x02\x06", 4)};
  readout.Arm();
  ASSERT_TRUE(Run());
  EXPECT_EQ(readout.DeviceVariant, 2);
  lines = Lines();
  EXPECT_EQ(lines[3], "4");
  EXPECT_EQ(lines[4], "2");
}

TEST_F(ReadoutTest, HeaderItemRepeatsOnceAfterABadCheck) {
  recorder.Faults().BadCheckFirstTry = "M";
  ASSERT_TRUE(Run());
  EXPECT_EQ(progress.Status.mid(4, 3),
            (QStringList{"Чтение максимальных значений", "Повтор чтения", "Чтение даты"}));
  EXPECT_EQ(recorder.CommandLetters().count('M'), 2);

  // Failing twice fails the readout: "E" and two "F", no file.
  recorder.Faults().BadCheckTries = 10;
  progress.Status.clear();
  window.Log.clear();
  QDir(dir.path()).removeRecursively();
  QDir().mkpath(dir.path());
  const qsizetype before = Commands().size();
  readout.Arm();
  EXPECT_FALSE(Run());
  EXPECT_TRUE(progress.Status.contains("Ошибка чтения максимальных значений"));
  EXPECT_EQ(Final(), " Ошибка. Чтение завершено");
  EXPECT_EQ(recorder.CommandLetters().mid(before), QByteArray("\xAA"
                                                              "BBBBIINPMMEFF"));
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_FALSE(window.Log.contains("close"));
}

TEST_F(ReadoutTest, EndOfLinkAnsweredWrongFailsTheReadout) {
  recorder.Faults().WrongStatus = "F";
  EXPECT_FALSE(Run());
  EXPECT_EQ(recorder.CommandLetters().right(3), "EFF");
  EXPECT_EQ(Final(), " Ошибка. Чтение завершено");
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_EQ(window.Log, (QStringList{"reopen", "elapsed", "cleanup", "ended"}));
}

TEST_F(ReadoutTest, SilentRecorderAndSilentLinkCheck) {
  recorder.Faults().SilentAfter = '\xAA';
  EXPECT_FALSE(Run());
  // Two probes, the table left, one "F" (no status byte: no second one); the port as it was.
  EXPECT_EQ(recorder.CommandLetters(), QByteArray("\xAA\xAA"
                                                  "EF"));
  EXPECT_EQ(window.Log, (QStringList{"cleanup", "ended"}));
  EXPECT_EQ(Final(), " Ошибка. Чтение завершено");
  EXPECT_TRUE(Files().isEmpty());

  // A recorder that goes quiet after the speed: an empty link-check reply is no link.
  Rig rig(dir.path(), Sample());
  auto& [quiet, l, p, w, ro] = rig;
  quiet.Faults().SilentAfter = 'I';
  EXPECT_FALSE(ro.Run());
  EXPECT_TRUE(w.Baud.isEmpty());
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

TEST_F(ReadoutTest, CancelDuringTheFirstProbeStaysACancel) {
  CancelAfter('\xAA');
  EXPECT_FALSE(Run());
  // The second probe is answered and sets LinkOk again; the outcome is still a cancel.
  EXPECT_EQ(recorder.CommandLetters(), QByteArray("\xAA\xAA"
                                                  "EF"));
  EXPECT_EQ(window.Log, (QStringList{"reopen", "cleanup", "ended"}));
  EXPECT_EQ(Final(), " Процесс отменен пользователем");
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(ReadoutTest, CancelAtEachStage) {
  struct Case {
    char command;
    int occurrence;
    QByteArray tail;  // the commands from the cancelled one on
  };
  // A header item whose reply passes sets LinkOk again: one "F" only, still a cancel.
  for (const Case& c : {Case{'B', 2, "BBBEFF"}, Case{'I', 1, "IEFF"}, Case{'D', 1, "DEF"},
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

TEST_F(ReadoutTest, CancelDuringABlockWaitDecodesNothingMore) {
  recorder.Model() = Sample(2, 100, 40);
  CancelAfter('S');
  EXPECT_FALSE(Run());
  EXPECT_EQ(recorder.CommandLetters().right(6), "RSREFF");
  // Only the first block's wait and the re-request wait for a reply.
  int blockWaits = 0;
  for (const auto& w : link.Waits()) blockWaits += w.Processing;
  EXPECT_EQ(blockWaits, 3);
  EXPECT_EQ(Final(), " Процесс отменен пользователем");
  EXPECT_TRUE(Files().isEmpty());
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
