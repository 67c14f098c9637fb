// The readout window: its controls, histories, checks, start and cancel, and the guards that
// keep a late "?" from starting a readout.
#include "acquisition/form_read.h"
#include "controls/date_edit.h"
#include "controls/settings_access.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"
#include "serial/sc_comm.h"
#include "tests/support/pty_recorder.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

// The window's kept choices, which outlive a window within one test run.
QString StoredSection() {
  return GetDefaultIniRegKey() + QStringLiteral("\\TForm_Read");
}

class FormReadTest : public ::testing::Test {
 protected:
  // Each test starts from the first port, whatever an earlier one chose.
  FormReadTest() { SettingsStore(SettingsRoot::CurrentUser).EraseSection(StoredSection()); }
  void SetUp() override {
    form.SetMainWindowHooks({[this] { ++refreshes; }, [this] { ++statusClears; }, {}});
  }
  void Click() { QTest::mouseClick(form.Btn_Read, Qt::LeftButton); }
  QString Status() const { return form.ST_StatusRead->text(); }
  // A port to open: a pseudo-terminal that says nothing.
  void QuietPort() {
    ASSERT_TRUE(port.IsValid());
    qputenv("JIBWARDEN_COM1", port.SlavePath().toLocal8Bit());
  }

  ScriptedMessageBox boxes;
  TForm_Read form;
  PtyRecorder port;
  int refreshes = 0;
  int statusClears = 0;
};

TEST_F(FormReadTest, ControlsAndSettings) {
  EXPECT_EQ(form.windowTitle(), "Считывание нового регистратора");
  EXPECT_EQ(form.size(), QSize(311, 261));
  for (const char* name :
       {"CB_Data", "CB_Operator", "CB_Coment", "CB_ComPort", "CB_baudrate", "Btn_Read",
        "ST_StatusRead", "ST_Baud", "ST_PR", "ST_Ost", "ProgressBar1", "ST_NameFile", "Animate1",
        "Timer_Read", "Timer_Timer", "ScComm1"})
    EXPECT_NE(form.findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(Items(form.CB_ComPort), (QStringList{"COM1", "COM2", "COM3", "COM4"}));
  EXPECT_EQ(Items(form.CB_baudrate),
            (QStringList{"Авто", "9600", "19200", "38400", "57600", "115200"}));
  EXPECT_EQ(Items(form.CB_Operator), QStringList(6, QString()));
  EXPECT_EQ(Items(form.CB_Coment), QStringList(6, QString()));
  EXPECT_EQ(form.Btn_Read->text(), "Считать");
  EXPECT_EQ(form.ProgressBar1->maximum(), 8000);
  EXPECT_EQ(form.Timer_Read->interval(), 200);
  EXPECT_TRUE(form.Timer_Read->isActive());
  EXPECT_EQ(form.Timer_Timer->interval(), 1000);
  EXPECT_FALSE(form.Timer_Timer->isActive());
  EXPECT_FALSE(form.Animate1->Active());
  EXPECT_EQ(form.ScComm1->Baudrate(), br9600);
  EXPECT_EQ(form.ScComm1->Stopbits(), sb2);
  EXPECT_EQ(form.ScComm1->EventChars().EventChar(), '?');
  EXPECT_TRUE(form.ScComm1->MonitorEvents().IsEmpty());
  EXPECT_EQ(form.ScComm1->FlowControl().ControlDtr(), dtrDisabled);
  EXPECT_EQ(form.ScComm1->FlowControl().ControlRts(), rtsDisabled);
}

TEST_F(FormReadTest, ShowTakesTheKeptChoicesAndToday) {
  TForm_Read::SetTag(form.CB_ComPort, 2);
  TForm_Read::SetTag(form.CB_baudrate, 5);
  form.ST_NameFile->setText("old.bbi");
  form.show();
  EXPECT_EQ(form.CB_ComPort->currentText(), "COM3");
  EXPECT_EQ(form.CB_baudrate->currentText(), "115200");
  EXPECT_EQ(form.CB_Data->text(), QDate::currentDate().toString("dd.MM.yyyy"));
  EXPECT_TRUE(form.CB_Data->DefaultToday());
  EXPECT_EQ(form.CB_Data->GlyphKind(), Combo::gkDropDown);
  EXPECT_EQ(form.ST_NameFile->text(), "");

  // Restoring the kept choice ran no change handler; a user's choice is kept in the Tag.
  EXPECT_EQ(TForm_Read::Tag(form.CB_baudrate), 5);
  form.CB_baudrate->setCurrentIndex(0);
  EXPECT_EQ(TForm_Read::Tag(form.CB_baudrate), 5);
  form.CB_baudrate->setFocus();
  QTest::keyClick(form.CB_baudrate, Qt::Key_Down);
  EXPECT_EQ(TForm_Read::Tag(form.CB_baudrate), 1);
  QTest::keyClick(form.CB_ComPort, Qt::Key_Up);
  EXPECT_EQ(TForm_Read::Tag(form.CB_ComPort), 1);
  // A choice made by code is no user's change: the next showing brings the kept one back.
  form.CB_ComPort->setCurrentIndex(3);
  form.CB_baudrate->setCurrentIndex(4);
  form.hide();
  form.show();
  EXPECT_EQ(form.CB_ComPort->currentText(), "COM2");
  EXPECT_EQ(form.CB_baudrate->currentIndex(), 1);
}

// The choices and histories live in the current user's settings between runs.
TEST(FormReadStorage, ChoicesAndHistoriesSurviveARestart) {
  const QString section = StoredSection();
  {
    TForm_Read form;
    form.show();
    form.CB_ComPort->setCurrentIndex(0);
    QTest::keyClick(form.CB_ComPort, Qt::Key_Down);
    form.CB_baudrate->setCurrentIndex(2);
    QTest::keyClick(form.CB_baudrate, Qt::Key_Down);
    form.CB_Operator->setEditText("Петров");
    TForm_Read::AddComboHistory(form.CB_Operator);
    form.CB_Coment->setEditText("plan");
    form.hide();
  }
  SettingsStore store(SettingsRoot::CurrentUser);
  EXPECT_EQ(store.ReadString(section, "CB_ComPort_Tag"), "1");
  EXPECT_EQ(store.ReadString(section, "CB_baudrate_Tag"), "3");
  EXPECT_EQ(store.ReadString(section + ".CB_Operator_Items", "Count"), "6");
  EXPECT_EQ(store.ReadString(section + ".CB_Operator_Items", "Item0"), "Петров");
  EXPECT_TRUE(store.ValueExists(section, "2"));
  EXPECT_TRUE(store.ValueExists(section, ""));

  TForm_Read again;
  again.show();
  EXPECT_EQ(again.CB_ComPort->currentText(), "COM2");
  EXPECT_EQ(again.CB_baudrate->currentText(), "38400");
  EXPECT_EQ(again.CB_Operator->itemText(0), "Петров");
  EXPECT_EQ(again.CB_Operator->count(), 6);
  EXPECT_EQ(again.CB_Coment->currentText(), "plan");

  // Kept choices outside their lists count as the first item.
  again.hide();
  store.WriteString(section, "CB_ComPort_Tag", "7");
  store.WriteString(section, "CB_baudrate_Tag", "-1");
  again.show();
  EXPECT_EQ(again.CB_ComPort->currentIndex(), 0);
  EXPECT_EQ(again.CB_baudrate->currentIndex(), 0);
  EXPECT_EQ(TForm_Read::Tag(again.CB_ComPort), 0);
}

TEST_F(FormReadTest, Histories) {
  QComboBox* combo = form.CB_Operator;
  for (const char* name : {"a", "b", "c", "d", "e", "f", "g"}) {
    combo->setEditText(name);
    TForm_Read::AddComboHistory(combo);
  }
  EXPECT_EQ(Items(combo), (QStringList{"g", "f", "e", "d", "c", "b"}));
  // Already there, anywhere: unchanged.
  combo->setEditText("c");
  TForm_Read::AddComboHistory(combo);
  EXPECT_EQ(Items(combo), (QStringList{"g", "f", "e", "d", "c", "b"}));
  EXPECT_EQ(combo->currentText(), "c");
  combo->setEditText("C");
  TForm_Read::AddComboHistory(combo);
  EXPECT_EQ(Items(combo), (QStringList{"C", "g", "f", "e", "d", "c"}));
  // A list of another size is made six long.
  combo->clear();
  combo->addItems({"x", "y"});
  combo->setEditText("z");
  TForm_Read::AddComboHistory(combo);
  EXPECT_EQ(Items(combo), (QStringList{"z", "x", "y", "", "", ""}));
}

TEST_F(FormReadTest, StartChecksDateAndOperatorAndEntersTheHistories) {
  form.show();
  form.CB_Data->clear();
  Click();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, "Выберите дату");
  EXPECT_EQ(boxes.Boxes()[0].caption, "Ошибка");
  EXPECT_EQ(boxes.Boxes()[0].icon, MsgIcon::Error);
  EXPECT_EQ(form.Btn_Read->text(), "Считать");

  form.CB_Data->setText("01.02.2024");
  Click();
  ASSERT_EQ(boxes.Boxes().size(), 2);
  EXPECT_EQ(boxes.Boxes()[1].text, "Введите имя оператора");
  EXPECT_EQ(form.Btn_Read->text(), "Считать");
  EXPECT_FALSE(form.ScComm1->IsOpen());

  // Start on a port that does not exist: the histories take the operator, not the empty
  // comment, and the window is ready again.
  qputenv("JIBWARDEN_COM1", "/nonexistent/tty");
  form.ST_Baud->setText("x");
  form.CB_Operator->setEditText("Петров");
  Click();
  EXPECT_EQ(statusClears, 3);
  EXPECT_EQ(form.ST_Baud->text(), "");
  EXPECT_EQ(Items(form.CB_Operator).first(), "Петров");
  EXPECT_EQ(Items(form.CB_Coment), QStringList(6, QString()));
  ASSERT_EQ(boxes.Boxes().size(), 3);
  EXPECT_EQ(boxes.Boxes()[2].text, "Ошибка открытия порта");
  EXPECT_EQ(Status(), "Ошибка открытия порта");
  EXPECT_EQ(form.Btn_Read->text(), "Считать");
  EXPECT_FALSE(form.Timer_Read->isActive());
  EXPECT_FALSE(form.Animate1->Active());
}

TEST_F(FormReadTest, CancelWhileArmedAlwaysWorksAndDisarms) {
  QuietPort();
  form.show();
  form.CB_Operator->setEditText("Петров");
  Click();
  EXPECT_EQ(form.Btn_Read->text(), "Отмена");
  EXPECT_EQ(Status(), "Поиск устройства ...");
  EXPECT_TRUE(form.ScComm1->IsOpen());
  EXPECT_TRUE(form.ScComm1->MonitorEvents().Contains(ceRxFlag));
  EXPECT_TRUE(form.Animate1->Active());

  // Cancel needs no operator.
  form.CB_Operator->setEditText("");
  Click();
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_EQ(Status(), "Процесс отменен пользователем");
  EXPECT_EQ(form.Btn_Read->text(), "Считать");
  EXPECT_TRUE(form.Btn_Read->isEnabled());
  EXPECT_FALSE(form.Animate1->Active());
  EXPECT_FALSE(form.ScComm1->IsOpen());

  // A "?" that still reaches the handler starts nothing.
  form.ScComm1RxFlag(form.ScComm1);
  EXPECT_FALSE(form.Readout().ReadoutStarted);
  EXPECT_EQ(Status(), "Процесс отменен пользователем");

  // Nor on a port that is somehow still open: the "?" closes it.
  form.ScComm1->Open();
  ASSERT_TRUE(form.ScComm1->IsOpen());
  form.ScComm1RxFlag(form.ScComm1);
  EXPECT_FALSE(form.ScComm1->IsOpen());
  EXPECT_FALSE(form.Readout().ReadoutStarted);
}

TEST_F(FormReadTest, ClosingWhileArmedDisarmsAndRebuildsTheList) {
  QuietPort();
  form.show();
  form.CB_Operator->setEditText("Петров");
  Click();
  ASSERT_TRUE(form.ScComm1->IsOpen());
  form.close();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.ScComm1->IsOpen());
  EXPECT_FALSE(form.Readout().ReadActive);
  EXPECT_EQ(form.Btn_Read->text(), "Считать");
  EXPECT_EQ(refreshes, 1);
  form.ScComm1RxFlag(form.ScComm1);
  EXPECT_FALSE(form.Readout().ReadoutStarted);
}

TEST_F(FormReadTest, ElapsedTimeAndQuietWait) {
  TForm_Read::SetTag(form.Timer_Timer, 6 * 60 + 8);
  QMetaObject::invokeMethod(form.Timer_Timer, "timeout");
  EXPECT_EQ(form.ST_PR->text(), "Прошло: 06:09");
  TForm_Read::SetTag(form.Timer_Timer, 100 * 60 - 1);
  QMetaObject::invokeMethod(form.Timer_Timer, "timeout");
  EXPECT_EQ(form.ST_PR->text(), "Прошло: 100:00");

  // Nothing arrives: the wait ends after two ticks of the reply timer, not after its time.
  QElapsedTimer clock;
  clock.start();
  form.WaitProcessingMessages(10000);
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_EQ(form.ReplyComplete, 1);
  EXPECT_EQ(form.InQueueCount, 0);
  EXPECT_FALSE(form.Timer_Read->isActive());
}

}  // namespace
