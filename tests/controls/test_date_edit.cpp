#include "controls/date_edit.h"
#include "platform/scripted_services.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct DateEditTest : ::testing::Test {
  QDialog window;
  TDateEdit* edit;
  QPushButton* ok;
  QPushButton* cancel;
  DateEditTest() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    edit = new TDateEdit(&window);
    edit->setGeometry(10, 10, 120, 21);
    ok = new QPushButton(QStringLiteral("OK"), &window);
    ok->setGeometry(10, 60, 60, 25);
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Cancel"), &window);
    cancel->setGeometry(80, 60, 60, 25);
    QObject::connect(ok, &QPushButton::clicked, &window, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &window, &QDialog::reject);
    window.resize(300, 100);
    window.move(300, 50);
  }
  ~DateEditTest() override { QLocale::setDefault(QLocale::c()); }
  void Show() {
    window.show();
    window.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  TPopupCalendar* Popup() { return qobject_cast<TPopupCalendar*>(edit->Popup()); }
  void AltDown() { QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier); }
  QString Shown(const QDate& d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }
};

TEST_F(DateEditTest, FormatMaskAndDateWriting) {
  EXPECT_EQ(edit->DateFormat(), u"DD/MM/YYYY");
  EXPECT_EQ(edit->EditMask(), u"!99/99/9999;1; ");
  edit->SetDate(EncodeDate(2026, 12, 5) + 14.5 / 24);
  EXPECT_EQ(edit->text(), u"05.12.2026");
  edit->SetYearDigits(DateEditTypes::dyTwo);
  EXPECT_EQ(edit->DateFormat(), u"DD/MM/YY");
  EXPECT_EQ(edit->EditMask(), u"!99/99/99;1; ");
  EXPECT_EQ(edit->text(), u"05.12.26");
  edit->SetYearDigits(DateEditTypes::dyFour);

  edit->SetDate(NullDate);
  EXPECT_FALSE(edit->TextStored());
  EXPECT_EQ(edit->Date(), NullDate);
  // Every mask position stays in the text, unfilled ones as BlanksChar.
  EXPECT_EQ(edit->Text(), u"  .  .    ");
  edit->setCursorPosition(0);
  QTest::keyClicks(edit, QStringLiteral("5"));
  EXPECT_EQ(edit->Text(), u"5 .  .    ");
  edit->SetBlanksChar(u'_');
  EXPECT_EQ(edit->Text(), u"__.__.____");
  edit->SetDate(1e300);  // impossible values count as no date
  EXPECT_FALSE(edit->TextStored());
  edit->SetDefaultToday(true);
  EXPECT_EQ(edit->Date(), Today());
  edit->SetDate(NullDate);
  EXPECT_EQ(edit->text(), Shown(QDate::currentDate()));

  edit->SetCalendarHints({"1", "2", "3", "4", "5", "6"});
  EXPECT_EQ(edit->CalendarHints(), (QStringList{"1", "2", "3", "4"}));
  EXPECT_EQ(Popup()->NavButton(3)->Hint(), u"4");
}

// The lower-left pixel gives each arrow picture its transparent colour: the triangles stay.
TEST_F(DateEditTest, CalendarArrowsKeepTheirTriangles) {
  for (int i = 0; i < 4; ++i) {
    TXcButtonGlyph& glyph = Popup()->NavButton(i)->ButtonGlyph();
    auto dark = [](const QImage& image) {
      int count = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if (qAlpha(image.pixel(x, y)) == 255 && qGray(image.pixel(x, y)) < 64) ++count;
      return count;
    };
    const int drawn = dark(glyph.Glyph().toImage());
    const int index = glyph.CreateButtonGlyph(Xc::bpsUp);
    ASSERT_GE(index, 0);
    EXPECT_GE(drawn, 12) << i;
    EXPECT_EQ(dark(glyph.GlyphList()->Picture(index).toImage()), drawn) << i;
  }
}

TEST_F(DateEditTest, KeysStepTheDateAndSetToday) {
  Show();
  const QDate today = QDate::currentDate();
  QTest::keyClick(edit, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(edit->text(), Shown(today.addDays(1)));
  QTest::keyClick(edit, Qt::Key_Minus, Qt::KeypadModifier);
  QTest::keyClick(edit, Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(edit->text(), Shown(today.addDays(-1)));
  QTest::keyClick(edit, Qt::Key_T);
  QTest::keyClick(edit, Qt::Key_Plus);  // the main keyboard's plus does nothing
  EXPECT_EQ(edit->text(), Shown(today));
  QTest::keyClick(edit, Qt::Key_Return);  // no popup: the default button's
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(DateEditTest, PopupOpensClosesAndAccepts) {
  Show();
  edit->SetDate(EncodeDate(2026, 1, 31));
  QSignalSpy changes(edit, &TCustomComboEdit::OnChange);
  AltDown();
  ASSERT_TRUE(Popup()->isVisible());
  EXPECT_EQ(Popup()->pos(), edit->mapToGlobal(QPoint(edit->width() - 187, edit->height())));
  EXPECT_EQ(Popup()->TitleLabel()->text(), u"Январь, 2026");
  QTest::keyClick(edit, Qt::Key_PageDown);  // 31 January steps to 28 February
  EXPECT_EQ(Popup()->TitleLabel()->text(), u"Февраль, 2026");
  QTest::keyClick(edit, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), u"31.01.2026");  // nothing taken while open
  AltDown();
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->text(), u"28.02.2027");
  EXPECT_GE(changes.count(), 1);

  AltDown();
  QTest::keyClick(edit, Qt::Key_Right);
  QTest::keyClick(edit, Qt::Key_Escape);  // closes without taking, the dialog stays
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->text(), u"28.02.2027");
  EXPECT_TRUE(window.isVisible());
  AltDown();
  QTest::keyClick(edit, Qt::Key_Right);  // the last day steps into the next month
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(edit->text(), u"01.03.2027");
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(edit, Qt::Key_Escape);  // closed: the cancel button's
  EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(DateEditTest, ButtonAndMouseOnTheCalendar) {
  Show();
  edit->SetDate(EncodeDate(2026, 2, 10));  // February 2026 begins on a Sunday
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  ASSERT_TRUE(edit->PopupVisible());
  TLocCalendar* calendar = Popup()->Calendar();
  EXPECT_EQ(calendar->MonthOffset(), -5);
  EXPECT_EQ(calendar->CellText(6, 1), u"1");
  EXPECT_TRUE(calendar->IsWeekend(6));
  EXPECT_EQ(calendar->CellText(0, 6), u"");
  EXPECT_EQ(calendar->CellText(0, 0), u"Пн");

  // An empty cell selects nothing and keeps the popup open.
  QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->CellRect(0, 1).center());
  EXPECT_TRUE(edit->PopupVisible());
  EXPECT_EQ(calendar->Day(), 10);
  QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->CellRect(2, 3).center());
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->text(), u"11.02.2026");

  // A press on the button while open closes, accepting, and the release opens nothing.
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  ASSERT_TRUE(edit->PopupVisible());
  QTest::keyClick(edit, Qt::Key_Left);
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->text(), u"10.02.2026");

  edit->SetReadOnly(true);
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  AltDown();
  EXPECT_FALSE(edit->PopupVisible());
}

TEST_F(DateEditTest, HeldArrowRepeatsAfterHalfASecondThenTenTimesASecond) {
  Show();
  AltDown();
  ASSERT_TRUE(edit->PopupVisible());
  TXcSpeedButton* next = Popup()->NavButton(2);
  EXPECT_EQ(next->Hint(), u"Следующий месяц|");
  QSignalSpy clicks(next, &TXcSpeedButton::OnClick);
  QElapsedTimer clock;
  clock.start();
  QTest::mousePress(next, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return clicks.count() >= 1; }, 2000));
  EXPECT_GE(clock.elapsed(), 450);
  ASSERT_TRUE(QTest::qWaitFor([&] { return clicks.count() >= 4; }, 2000));
  EXPECT_LT(clock.elapsed(), 1500);
  QTest::mouseRelease(next, Qt::LeftButton);
}

TEST_F(DateEditTest, CalendarNavigationEdges) {
  TXcCalendar calendar;
  QSignalSpy changes(&calendar, &TXcCalendar::OnChange);
  calendar.SetCalendarDate(EncodeDate(2024, 1, 31));
  calendar.NextMonth();
  EXPECT_EQ(DateTimeToQDate(calendar.CalendarDate()), QDate(2024, 2, 29));
  calendar.NextYear();
  EXPECT_EQ(DateTimeToQDate(calendar.CalendarDate()), QDate(2025, 2, 28));
  calendar.SetCalendarDate(EncodeDate(2026, 3, 31));
  calendar.NextMonth();
  calendar.PrevMonth();
  EXPECT_EQ(DateTimeToQDate(calendar.CalendarDate()), QDate(2026, 3, 30));
  calendar.SetDay(1);
  int key = 37;
  calendar.CalendarKeyDown(key, {});
  EXPECT_EQ(DateTimeToQDate(calendar.CalendarDate()), QDate(2026, 2, 28));
  calendar.SetCalendarDate(EncodeDate(2024, 2, 29));
  EXPECT_THROW(calendar.SetYear(2025), EConvertError);
  // The calendar's last day and month go no further.
  calendar.SetCalendarDate(EncodeDate(9999, 12, 31));
  calendar.NextMonth();
  calendar.NextYear();
  key = 39;
  calendar.CalendarKeyDown(key, {});
  EXPECT_EQ(DateTimeToQDate(calendar.CalendarDate()), QDate(9999, 12, 31));
  EXPECT_GT(changes.count(), 5);
}

TEST_F(DateEditTest, CheckOnExitRefusesAnImpossibleDate) {
  ScriptedMessageBox boxes;
  auto* other = new QPushButton(&window);
  other->setGeometry(150, 10, 40, 20);
  Show();
  edit->SetCheckOnExit(true);
  edit->setText(QStringLiteral("31.04.2026"));
  EXPECT_THROW(edit->CheckValidDate(), EConvertError);
  other->setFocus();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, u"''31.04.2026'' is not a valid date");
  EXPECT_TRUE(edit->hasFocus());
  edit->clear();
  other->setFocus();
  EXPECT_EQ(boxes.Boxes().size(), 1);
}

TEST_F(DateEditTest, DirectInputOffStillOpensThePopupAndHeightHasAFloor) {
  Show();
  edit->SetDirectInput(false);
  edit->SetDate(EncodeDate(2026, 5, 5));
  QTest::keyClicks(edit, QStringLiteral("1"));
  EXPECT_EQ(edit->text(), u"05.05.2026");
  AltDown();
  EXPECT_TRUE(edit->PopupVisible());
  AltDown();
  edit->resize(edit->width(), 3);
  EXPECT_GE(edit->height(), edit->GetMinHeight());
  edit->SetGlyphKind(Combo::gkDropDown);
  EXPECT_EQ(edit->NumGlyphs(), 1);
  EXPECT_EQ(edit->ButtonWidth(), edit->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

TEST_F(DateEditTest, DialogStylePicksADateModally) {
  Show();
  edit->SetCalendarStyle(DateEditTypes::csDialog);
  EXPECT_EQ(edit->Popup(), nullptr);
  edit->SetDate(EncodeDate(2026, 12, 5));
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TSelectDateDlg*>(QApplication::activeModalWidget());
    if (!dialog) return;
    seen = dialog->windowTitle() == u"Выбор даты";
    QTest::keyClick(dialog->Calendar, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(dialog->Calendar, Qt::Key_Right);
    QTest::keyClick(dialog->Calendar, Qt::Key_Return);
  });
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  EXPECT_TRUE(seen);
  EXPECT_EQ(edit->text(), u"06.12.2027");
  edit->SetCalendarStyle(DateEditTypes::csPopup);
  EXPECT_NE(Popup(), nullptr);
}

}  // namespace
