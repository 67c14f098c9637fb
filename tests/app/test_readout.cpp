// Readouts end to end: the main window's read command, the readout window and the real serial
// component on a pseudo-terminal, against the simulated recorder at real timings.
#include "app/start_up.h"
#include "mainwindow/data_file_reader.h"
#include "platform/grid_model.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"
#include "serial/sc_comm.h"
#include "tests/support/pty_recorder.h"
#include "tests/support/sample_recorders.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <iostream>

namespace {

const QByteArray kProbe("\xAA", 1);
QByteArray B(int n) {
  return QByteArray("B") + char(n);
}

RecorderModel Sample(quint8 type, int records, int overload) {
  return SampleRecorder({type, 10, "KRAN 16", 220931, 931, records, 7, overload, 5});
}

class ReadoutEndToEndTest : public ::testing::Test {
 protected:
  void Start(RecorderModel model, RecorderFaults faults = {}) {
    ASSERT_TRUE(temp_.isValid());
    recorder_ = std::make_unique<PtyRecorder>(std::move(model), std::move(faults));
    ASSERT_TRUE(recorder_->IsValid());
    qputenv("JIBWARDEN_COM1", recorder_->SlavePath().toLocal8Bit());
    windows_ = CreateApplicationWindows({}, temp_.filePath("jibwarden"));
    read_ = windows_->Form_Read.get();
    // Time the readout itself, from the recorder's "?" to its outcome.
    std::function<void(QObject*)> readout = read_->ScComm1->OnRxFlag;
    read_->ScComm1->OnRxFlag = [this, readout](QObject* sender) {
      QElapsedTimer clock;
      clock.start();
      readout(sender);
      readoutMs_ = clock.elapsed();
    };
    recorder_->Start();
  }

  // The read command with "Считать" clicked; a window that stays open after the outcome is
  // closed by the user. `during` runs once the readout window is up.
  void Read(int speedChoice, const std::function<void()>& during = {}) {
    QTimer::singleShot(0, read_, [this, speedChoice, during] {
      read_->CB_Operator->setEditText(QStringLiteral("Петров"));
      read_->CB_baudrate->setCurrentIndex(speedChoice);
      QTest::mouseClick(read_->Btn_Read, Qt::LeftButton);
      if (during) during();
    });
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, read_, [this] {
      RecorderReadout& r = read_->Readout();
      if (r.ReadoutStarted && !r.Running() && read_->Btn_Read->isEnabled() && read_->isVisible())
        read_->reject();
    });
    closer.start(50);
    windows_->Form_main->SpeedBtn_ReadClick();
    recorder_->Stop();
  }

  QString Status() const { return read_->ST_StatusRead->text(); }
  QStringList DataFiles() const {
    return QDir(windows_->Form_main->DataDirectory).entryList({"*.bbi"}, QDir::Files);
  }
  // The rate of the line at each command, and the commands, as the master saw them.
  void ExpectCommands(const QList<QByteArray>& commands, const QList<int>& rates) {
    QList<QByteArray> got;
    QList<int> gotRates;
    for (const PtyRecorder::Received& r : recorder_->Log()) {
      got.append(r.Command);
      gotRates.append(r.Rate);
    }
    EXPECT_EQ(got, commands);
    EXPECT_EQ(gotRates, rates);
  }

  QTemporaryDir temp_;
  ScriptedMessageBox boxes_;
  std::unique_ptr<PtyRecorder> recorder_;
  std::unique_ptr<AppWindows> windows_;
  TForm_Read* read_ = nullptr;
  qint64 readoutMs_ = -1;
};

QList<int> Rates(std::initializer_list<std::pair<int, int>> runs) {
  QList<int> rates;
  for (auto [count, rate] : runs)
    for (int i = 0; i < count; ++i) rates.append(rate);
  return rates;
}

TEST_F(ReadoutEndToEndTest, AutomaticSpeedTo115200WritesAFileTheMainWindowOpens) {
  Start(Sample(2, 40, 12));
  Read(0);
  ExpectCommands({kProbe, B(1), B(2), B(3), B(4), "I", "I", "N", "P", "M", "D",
                  "C",    "T",  "W",  "R",  "S",  "E", "O", "R", "E", "F"},
                 Rates({{2, 9600}, {1, 19200}, {1, 38400}, {1, 57600}, {16, 115200}}));
  EXPECT_FALSE(read_->isVisible());
  EXPECT_EQ(Status(), "Чтение данных завершено");
  EXPECT_EQ(read_->ST_Baud->text(), "Скорость 115200 бит/с");
  ASSERT_EQ(DataFiles().size(), 1);
  const QString name = DataFiles().first();
  EXPECT_TRUE(name.endsWith("_931.bbi"));
  EXPECT_EQ(read_->ST_NameFile->text(), name);
  // The archive list was rebuilt with the new file.
  EXPECT_EQ(windows_->Form_main->FileListBox1->findItems(name, Qt::MatchExactly).size(), 1);
  EXPECT_EQ(boxes_.Boxes().size(), 0);

  GridModel tpcr, tp, find;
  ReadTargets targets;
  targets.records.SG_TPCR = &tpcr;
  targets.records.SG_TP = &tp;
  targets.records.SG_TPCR_Find = &find;
  OpenFileData data;
  ASSERT_TRUE(ReadDataFile(QDir(windows_->Form_main->DataDirectory).filePath(name), data, targets,
                           ReadHooks()));
  EXPECT_EQ(data.CraneNumber, "931");
  EXPECT_EQ(data.OperatorName, "Петров");
  EXPECT_EQ(data.CountTPCR, 40);
  EXPECT_EQ(data.CountTP, 12);
  EXPECT_EQ(tpcr.RowCount(), 41);
  EXPECT_EQ(tp.RowCount(), 13);
  EXPECT_FALSE(tpcr.Cells(1, 1).isEmpty());

  // Probe, detection, four speed steps, link check, six items, "T", "W", "E", renewal, "O",
  // "E", "F", 100 ms and the outcome's second; the block waits end on a quiet line.
  const int fixedMs =
      1000 + 300 + 4000 + 1000 + 3000 + 500 + 500 + 500 + 200 + 500 + 500 + 500 + 100 + 1000;
  std::cout << "readout " << readoutMs_ << " ms; fixed waits " << fixedMs
            << " ms + 3 block waits of two 200 ms ticks + 2 port closings of 300 ms\n";
  RecordProperty("readout_ms", int(readoutMs_));
  RecordProperty("fixed_waits_ms", fixedMs);
}

TEST_F(ReadoutEndToEndTest, RefusalAtSpeed3EndsAt38400) {
  RecorderFaults faults;
  faults.RefuseSpeedFrom = 3;
  Start(Sample(4, 20, 3), faults);
  Read(0);
  ExpectCommands({kProbe, B(1), B(2), B(3), "I", "I", "N", "P", "M", "D", "C", "T", "W", "R", "E",
                  "O", "R", "E", "F"},
                 Rates({{2, 9600}, {1, 19200}, {16, 38400}}));
  EXPECT_EQ(read_->ST_Baud->text(), "Скорость 38400 бит/с");
  EXPECT_EQ(Status(), "Чтение данных завершено");
  ASSERT_EQ(DataFiles().size(), 1);
}

TEST_F(ReadoutEndToEndTest, SilentRecorderLeavesNoFile) {
  RecorderFaults faults;
  faults.SilentAfter = '\xAA';
  Start(Sample(2, 5, 0), faults);
  Read(0);
  ExpectCommands({kProbe, kProbe, "E", "F"}, Rates({{4, 9600}}));
  EXPECT_EQ(Status(), " Ошибка. Чтение завершено");
  EXPECT_TRUE(DataFiles().isEmpty());
  EXPECT_FALSE(read_->ScComm1->IsOpen());
}

TEST_F(ReadoutEndToEndTest, CancelDuringTheOperationalBlocks) {
  Start(Sample(2, 100, 12));
  Read(0, [this] {
    // Cancel in the wait for the first "S".
    QObject::connect(read_->ProgressBar1, &QProgressBar::valueChanged, read_, [this](int value) {
      if (value == 1)
        QTimer::singleShot(0, read_,
                           [this] { QTest::mouseClick(read_->Btn_Read, Qt::LeftButton); });
    });
  });
  ExpectCommands({kProbe, B(1), B(2), B(3), B(4), "I", "I", "N", "P", "M",
                  "D",    "C",  "T",  "W",  "R",  "S", "R", "E", "F", "F"},
                 Rates({{2, 9600}, {1, 19200}, {1, 38400}, {1, 57600}, {15, 115200}}));
  EXPECT_EQ(Status(), " Процесс отменен пользователем");
  EXPECT_TRUE(DataFiles().isEmpty());
}

TEST_F(ReadoutEndToEndTest, ClosingDuringTheReadoutCancelsAndClosesAtItsEnd) {
  Start(Sample(2, 40, 12));
  bool closedWhileRunning = false;
  QTimer watch;
  Read(0, [&] {
    QObject::connect(&watch, &QTimer::timeout, read_, [&] {
      if (Status() != "Чтение названия крана" || closedWhileRunning) return;
      closedWhileRunning = true;
      read_->close();
      // The window stays up until the readout has ended.
      EXPECT_TRUE(read_->isVisible());
    });
    watch.start(20);
  });
  EXPECT_TRUE(closedWhileRunning);
  EXPECT_FALSE(read_->isVisible());
  EXPECT_FALSE(read_->Readout().Running());
  EXPECT_EQ(Status(), " Процесс отменен пользователем");
  const QList<QByteArray> commands = recorder_->Commands();
  ASSERT_GE(commands.size(), 3);
  EXPECT_EQ(commands.mid(commands.size() - 3), (QList<QByteArray>{"N", "E", "F"}));
  EXPECT_TRUE(DataFiles().isEmpty());
}

// The program maps "COM1" through its own port settings too, not only the environment.
TEST(ReadoutWiringTest, PortNamesGoThroughTheProgramsPortSettings) {
  QTemporaryDir temp;
  PtyRecorder port;
  ASSERT_TRUE(port.IsValid());
  qunsetenv("JIBWARDEN_COM1");
  SettingsStore(SettingsRoot::CurrentUser).WriteString("Ports", "COM1", port.SlavePath());
  std::unique_ptr<AppWindows> windows = CreateApplicationWindows({}, temp.filePath("jibwarden"));
  TScComm& comm = *windows->Form_Read->ScComm1;
  comm.SetPortNum(1);
  comm.Open();
  EXPECT_TRUE(comm.IsOpen());
  comm.Close();
}

}  // namespace
