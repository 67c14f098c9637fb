#include "acquisition/form_read.h"
#include "controls/date_edit.h"
#include "controls/settings_access.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"
#include "serial/sc_comm.h"
#include "tests/support/environment_scope.h"
#include "tests/support/pty_recorder.h"
#include "tests/support/test_files.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// What the program writes to its error output while `call` runs.
template <typename F>
std::string ErrorOutput(F&& call) {
  QTemporaryFile file;
  if (!file.open()) return "<no capture>";
  std::fflush(stderr);
  struct Redirect {
    explicit Redirect(int fd) : saved(::dup(STDERR_FILENO)) { ::dup2(fd, STDERR_FILENO); }
    ~Redirect() {
      std::fflush(stderr);
      ::dup2(saved, STDERR_FILENO);
      ::close(saved);
    }
    const int saved;
  };
  {
    const Redirect redirect(file.handle());
    call();
  }
  file.seek(0);
  return file.readAll().toStdString();
}

class FormReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.SetMainWindowHooks({[this] { ++refreshes; }, [] {}, {}});
  }
  void Click() { QTest::mouseClick(form.Btn_Read, Qt::LeftButton); }
  // Shows the window and starts a readout on a pseudo-terminal that says nothing.
  void Arm() {
    ASSERT_TRUE(port.IsValid());
    qputenv("JIBWARDEN_COM1", port.SlavePath().toLocal8Bit());
    form.show();
    form.CB_Operator->setEditText("Петров");
    Click();
    ASSERT_TRUE(form.ScComm1->IsOpen());
  }

  ScriptedMessageBox boxes;
  TForm_Read form;
  PtyRecorder port;
  int refreshes = 0;
};

// The choices live in the current user's settings between runs.
TEST(FormReadStorageTest, ChoicesSurviveARestart) {
  const QString section = GetDefaultIniRegKey() + QStringLiteral("\\TForm_Read");
  {
    TForm_Read form;
    EXPECT_EQ(form.ScComm1->Stopbits(), sb2);
    EXPECT_EQ(form.ScComm1->EventChars().EventChar(), '?');
    form.show();
    QTest::keyClick(form.CB_ComPort, Qt::Key_Down);
    form.hide();
  }
  TForm_Read again;
  again.show();
  EXPECT_EQ(again.CB_ComPort->currentText(), "COM2");

  // Kept choices outside their lists count as the first item.
  again.hide();
  SettingsStore store(SettingsRoot::CurrentUser);
  store.WriteString(section, "CB_ComPort_Tag", "7");
  store.WriteString(section, "CB_baudrate_Tag", "-1");
  again.show();
  EXPECT_EQ(again.CB_ComPort->currentIndex(), 0);
  EXPECT_EQ(again.CB_baudrate->currentIndex(), 0);
}

TEST_F(FormReadTest, StartChecksDateAndOperatorAndEntersTheHistories) {
  form.show();
  form.CB_Data->clear();
  Click();
  form.CB_Data->setText("01.02.2024");
  Click();
  ASSERT_EQ(boxes.Boxes().size(), 2);
  EXPECT_EQ(boxes.Boxes()[0].text, "Выберите дату");
  EXPECT_EQ(boxes.Boxes()[1].text, "Введите имя оператора");

  // Start on a port that does not exist: the history takes the operator and the window is
  // ready again.
  qputenv("JIBWARDEN_COM1", "/nonexistent/tty");
  form.CB_Operator->setEditText("Петров");
  Click();
  EXPECT_EQ(form.CB_Operator->itemText(0), "Петров");
  EXPECT_EQ(form.CB_Operator->count(), 6);
  ASSERT_EQ(boxes.Boxes().size(), 3);
  EXPECT_EQ(boxes.Boxes()[2].text, "Ошибка открытия порта");
  EXPECT_EQ(form.Btn_Read->text(), "Считать");
}

// A port that does not open: the box and the status line say only that, and the error output
// gets one line naming the port, the device tried and the system's reason.
TEST_F(FormReadTest, APortThatDoesNotOpenIsNamedWithItsDeviceAndReasonOnTheErrorOutput) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString locked = dir.filePath("tty-locked");
  ASSERT_TRUE(jwtest::WriteBytes(locked, ""));
  ASSERT_TRUE(QFile::setPermissions(locked, {}));
  form.show();
  form.CB_Operator->setEditText("Петров");
  const struct {
    QString device;
    const char* reason;
  } devices[] = {{"/dev/jw-no-such-tty", "No such file or directory"},
                 {locked, "Permission denied"}};
  for (const auto& tried : devices) {
    SCOPED_TRACE(tried.device.toStdString());
    const jwtest::EnvironmentScope com1("JIBWARDEN_COM1", tried.device.toLocal8Bit());
    const qsizetype shown = boxes.Boxes().size();
    std::string output;
    {
      const jwtest::AsAnotherUser user;
      if (const int fd = ::open(tried.device.toLocal8Bit().constData(), O_RDWR); fd >= 0) {
        ::close(fd);
        GTEST_SKIP() << "no device this user may not open: it opens " << tried.device.toStdString();
      }
      output = ErrorOutput([&] { Click(); });
    }
    EXPECT_EQ(output,
              "Port COM1 (" + tried.device.toStdString() + ") not opened (" + tried.reason + ")\n");
    ASSERT_EQ(boxes.Boxes().size(), shown + 1);
    const MessageBoxRequest& box = boxes.Boxes().back();
    EXPECT_EQ(box.text, "Ошибка открытия порта");
    EXPECT_EQ(box.caption, "Ошибка");
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(box.icon, MsgIcon::Error);
    EXPECT_EQ(form.ST_StatusRead->text(), "Ошибка открытия порта");
    EXPECT_FALSE(form.ScComm1->IsOpen());
  }
}

// Each tick adds a second to the shown minutes and seconds, both at least two digits wide.
TEST_F(FormReadTest, ElapsedTimeAndQuietWait) {
  const struct {
    int before;
    const char* shown;
  } ticks[] = {{6 * 60 + 8, "Прошло: 06:09"}, {100 * 60 - 1, "Прошло: 100:00"}};
  for (const auto& tick : ticks) {
    TForm_Read::SetTag(form.Timer_Timer, tick.before);
    QMetaObject::invokeMethod(form.Timer_Timer, "timeout");
    EXPECT_EQ(form.ST_PR->text(), QString::fromUtf8(tick.shown));
  }

  // Nothing arrives: the queue stays empty, so the reply counts as complete after two ticks
  // of the reply timer, and the timer is stopped again.
  form.WaitProcessingMessages(10000);
  EXPECT_EQ(form.ReplyComplete, 1);
  EXPECT_FALSE(form.Timer_Read->isActive());
}

TEST_F(FormReadTest, CancelOrCloseWhileArmedDisarms) {
  Arm();
  EXPECT_EQ(form.Btn_Read->text(), "Отмена");
  EXPECT_EQ(form.ST_StatusRead->text(), "Поиск устройства ...");
  EXPECT_TRUE(form.ScComm1->MonitorEvents().Contains(ceRxFlag));

  // Cancel needs no operator.
  form.CB_Operator->setEditText("");
  Click();
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_EQ(form.ST_StatusRead->text(), "Процесс отменен пользователем");
  EXPECT_EQ(form.Btn_Read->text(), "Считать");
  EXPECT_FALSE(form.ScComm1->IsOpen());

  // A "?" that still reaches the handler starts nothing, even on a port somehow still open.
  form.ScComm1RxFlag(form.ScComm1);
  EXPECT_FALSE(form.Readout().ReadoutStarted);
  form.ScComm1->Open();
  form.ScComm1RxFlag(form.ScComm1);
  EXPECT_FALSE(form.ScComm1->IsOpen());
  EXPECT_FALSE(form.Readout().ReadoutStarted);

  // Closing the window while armed: the list is rebuilt and a late "?" starts nothing.
  Arm();
  form.close();
  EXPECT_FALSE(form.ScComm1->IsOpen());
  EXPECT_FALSE(form.Readout().ReadActive);
  EXPECT_EQ(refreshes, 1);
  form.ScComm1RxFlag(form.ScComm1);
  EXPECT_FALSE(form.Readout().ReadoutStarted);
}

}  // namespace
