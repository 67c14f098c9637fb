#include "controls/bm_shadow_button.h"
#include "controls/date_edit.h"
#include "controls/drop_calendar.h"
#include "platform/scripted_services.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace DateEditTypes;

namespace {

struct DateEditTest : ::testing::Test {
  QDialog window;
  TDateEdit* edit = new TDateEdit(&window);
  QPushButton* ok = new QPushButton(QStringLiteral("OK"), &window);
  DateEditTest() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &window, &QDialog::accept);
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
};

TEST_F(DateEditTest, FormatMaskAndDateWriting) {
  edit->SetDate(EncodeDate(2026, 12, 5) + 14.5 / 24);
  EXPECT_EQ(edit->text(), u"05.12.2026");

  edit->SetDate(NullDate);
  // Every mask position stays in the text, unfilled ones as BlanksChar.
  EXPECT_EQ(edit->Text(), u"  .  .    ");
  edit->setCursorPosition(0);
  QTest::keyClicks(edit, QStringLiteral("5"));
  EXPECT_EQ(edit->Text(), u"5 .  .    ");
  edit->SetBlanksChar(u'_');
  EXPECT_EQ(edit->Text(), u"__.__.____");
  edit->SetDefaultToday(true);
  edit->SetDate(1e300);  // impossible values count as no date
  EXPECT_EQ(edit->Date(), Today());

  edit->SetCalendarHints({"1", "2", "3", "4", "5", "6"});  // one a button, no more
  EXPECT_EQ(edit->CalendarHints(), (QStringList{"1", "2", "3", "4"}));
  EXPECT_EQ(Popup()->NavButton(3)->Hint(), u"4");
}

// The mask's "!": a part of the date the user leaves shows its blanks first and its digits
// at its right end, however it is left; the part still being typed into stays as typed.
// Leaving never changes the date read.
TEST_F(DateEditTest, MaskPutsUnfilledPositionsFirstWhenAPartIsLeft) {
  enum class Leave { Stay, Keys, Click, Focus };
  const struct {
    TYearDigits digits;
    const char* typed;
    Leave leave;
    std::vector<Qt::Key> keys;  // Leave::Keys
    int clickedPart;            // Leave::Click
    const char16_t* shown;
    QDate read;  // invalid: no date
  } rows[] = {
      // by a separator typed inside the part
      {dyFour, "5.", Leave::Stay, {}, 0, u" 5.  .    ", {}},
      // a blank year reads as the one ending in 99 (while the current year is 2000 to 2059)
      {dyFour, "5.3.", Leave::Stay, {}, 0, u" 5. 3.    ", {1999, 3, 5}},
      {dyFour, "12.", Leave::Stay, {}, 0, u"12.  .    ", {}},  // full: the cursor went on
      {dyFour, ".", Leave::Stay, {}, 0, u"  .  .    ", {}},
      {dyFour, "1.2.2026", Leave::Stay, {}, 0, u" 1. 2.2026", {2026, 2, 1}},
      // the part being typed into stays as typed
      {dyFour, "12.05.26", Leave::Stay, {}, 0, u"12.05.26  ", {2026, 5, 12}},
      {dyFour, "1", Leave::Stay, {}, 0, u"1 .  .    ", {}},
      // by the focus leaving the field
      {dyFour, "12.05.26", Leave::Focus, {}, 0, u"12.05.  26", {2026, 5, 12}},
      {dyFour, "1", Leave::Focus, {}, 0, u" 1.  .    ", {}},
      {dyTwo, "5.6.7", Leave::Focus, {}, 0, u" 5. 6. 7", {2007, 6, 5}},
      {dyTwo, "12.05.26", Leave::Focus, {}, 0, u"12.05.26", {2026, 5, 12}},
      // by a key that takes the cursor out of the part
      {dyFour, "12.05.26", Leave::Keys, {Qt::Key_Left}, 0, u"12.05.26  ", {2026, 5, 12}},
      {dyFour, "5", Leave::Keys, {Qt::Key_Right}, 0, u" 5.  .    ", {}},
      {dyFour, "5", Leave::Keys, {Qt::Key_End}, 0, u" 5.  .    ", {}},
      {dyFour, "1.2.26", Leave::Keys, {Qt::Key_Home}, 0, u" 1. 2.  26", {2026, 2, 1}},
      {dyTwo, "1.2.3", Leave::Keys, {Qt::Key_Left, Qt::Key_Left}, 0, u" 1. 2. 3", {2003, 2, 1}},
      // by a click in another part
      {dyFour, "7", Leave::Click, {}, 2, u" 7.  .    ", {}},
      {dyTwo, "31.12.5", Leave::Click, {}, 0, u"31.12. 5", {2005, 12, 31}},
  };
  Show();
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.typed) + " digits " + std::to_string(int(row.digits)) + " leave " +
                 std::to_string(int(row.leave)));
    edit->SetYearDigits(row.digits);
    edit->SetDate(NullDate);
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, QString::fromLatin1(row.typed));
    const TDateTime typed = edit->Date();
    switch (row.leave) {
      case Leave::Stay:
        break;
      case Leave::Keys:
        for (Qt::Key key : row.keys) QTest::keyClick(edit, key);
        break;
      case Leave::Click: {
        // A point of the edit whose nearest cursor place is the clicked part's start.
        const int target =
            static_cast<int>(edit->Text().split(u'.').mid(0, row.clickedPart).join(u'.').size()) +
            (row.clickedPart > 0 ? 1 : 0);
        QPoint at;
        for (int x = 0; x < edit->width() && at.isNull(); ++x)
          if (edit->cursorPositionAt(QPoint(x, edit->height() / 2)) == target)
            at = QPoint(x, edit->height() / 2);
        ASSERT_FALSE(at.isNull());
        QTest::mouseClick(edit, Qt::LeftButton, {}, at);
        break;
      }
      case Leave::Focus:
        QTest::keyClick(edit, Qt::Key_Tab);
        EXPECT_FALSE(edit->hasFocus());
        break;
    }
    EXPECT_EQ(edit->Text().toStdString(), QString::fromUtf16(row.shown).toStdString());
    const TDateTime read = row.read.isValid()
                               ? EncodeDate(row.read.year(), row.read.month(), row.read.day())
                               : NullDate;
    EXPECT_EQ(edit->Date(), read);
    EXPECT_EQ(edit->Date(), typed);
  }
}

// What is being typed into a part stays under the user's hands: a selection reaching back
// into the part, or a menu or another window taking the focus for a moment, leaves it as
// typed, so the next key goes on from there.
TEST_F(DateEditTest, TypingGoesOnAfterASelectionOrAMomentAway) {
  enum class Between { ShiftEnd, ShiftRightTwice, Menu, OtherWindow };
  const struct {
    Between between;
    Qt::Key key;  // then typed
    const char16_t* shown;
  } rows[] = {
      {Between::ShiftEnd, Qt::Key_2, u"12.  .    "},
      {Between::ShiftEnd, Qt::Key_Delete, u"1 .  .    "},
      {Between::ShiftRightTwice, Qt::Key_3, u"13.  .    "},
      {Between::Menu, Qt::Key_2, u"12.  .    "},
      {Between::OtherWindow, Qt::Key_2, u"12.  .    "},
  };
  Show();
  for (const auto& row : rows) {
    SCOPED_TRACE(int(row.between));
    edit->SetYearDigits(dyFour);
    edit->SetDate(NullDate);
    edit->setFocus();
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_1);
    switch (row.between) {
      case Between::ShiftEnd:
        QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier);
        break;
      case Between::ShiftRightTwice:
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
        break;
      case Between::Menu:
      case Between::OtherWindow: {
        const Qt::FocusReason reason =
            row.between == Between::Menu ? Qt::PopupFocusReason : Qt::ActiveWindowFocusReason;
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(edit, &out);
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(edit, &in);
        break;
      }
    }
    QTest::keyClick(edit, row.key);
    EXPECT_EQ(edit->Text().toStdString(), QString::fromUtf16(row.shown).toStdString());
  }
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

TEST_F(DateEditTest, PopupOpensClosesAndAccepts) {
  Show();
  edit->SetDate(EncodeDate(2026, 1, 31));
  AltDown();
  QTest::keyClick(edit, Qt::Key_PageDown);  // 31 January steps to 28 February
  EXPECT_EQ(edit->text(), u"31.01.2026");   // nothing taken while open
  AltDown();
  EXPECT_EQ(edit->text(), u"28.02.2026");

  AltDown();
  QTest::keyClick(edit, Qt::Key_Right);
  QTest::keyClick(edit, Qt::Key_Escape);  // closes without taking, the dialog stays
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->text(), u"28.02.2026");
  QTest::keyClick(edit, Qt::Key_Return);  // no popup: the default button's
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(DateEditTest, ButtonAndMouseOnTheCalendar) {
  Show();
  edit->SetDate(EncodeDate(2026, 2, 10));  // February 2026 begins on a Sunday
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  TLocCalendar* calendar = Popup()->Calendar();
  EXPECT_EQ(calendar->CellText(6, 1), u"1");

  // An empty cell selects nothing and keeps the popup open.
  QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->CellRect(0, 1).center());
  EXPECT_TRUE(edit->PopupVisible());
  QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->CellRect(2, 3).center());
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->text(), u"11.02.2026");
}

// With the calendar open, a press anywhere beside the edit, its button and its calendar (a
// static text, a progress bar, another edit, a button that takes no focus, the window itself)
// closes it without taking its date, and the press goes on: the button acts once; a press on the
// edit closes it too, a press on a day takes that day, and a press inside the calendar leaves it
// open.
TEST_F(DateEditTest, APressBesideTheOpenCalendarClosesItWithoutTakingItsDate) {
  // Right of where the calendar opens, so that the pointer reaches them past it.
  auto* shadow = new TBmShadowButton(&window);
  shadow->SetCaption(QStringLiteral("ОК"));
  int shadowClicks = 0;
  QObject::connect(shadow, &TBmShadowButton::OnClick, [&] { ++shadowClicks; });
  auto* status = new QLabel(QStringLiteral("Ожидание"), &window);
  auto* sunken = new QLabel(QStringLiteral("9600"), &window);
  sunken->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* progress = new QProgressBar(&window);
  auto* other = new QLineEdit(&window);
  edit->setGeometry(10, 10, 100, 21);
  status->setGeometry(300, 10, 150, 17);
  sunken->setGeometry(300, 40, 150, 17);
  progress->setGeometry(300, 70, 150, 16);
  other->setGeometry(300, 100, 150, 21);
  ok->setGeometry(300, 140, 75, 25);
  shadow->setGeometry(300, 180, 121, 25);
  window.resize(500, 300);
  Show();
  // Pressed and released by the platform's pointer in the window that holds `widget`.
  auto click = [](QWidget* widget, const QPoint& at) {
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, at));
  };
  auto centre = [](QWidget* widget) { return widget->rect().center(); };
  const struct {
    const char* where;
    std::function<void()> press;
    bool open;
    const char16_t* date;
    QWidget* focus;
  } rows[] = {
      {"a static text", [&] { click(status, centre(status)); }, false, u"10.02.2026", edit},
      {"a sunken static text", [&] { click(sunken, centre(sunken)); }, false, u"10.02.2026", edit},
      {"a progress bar", [&] { click(progress, centre(progress)); }, false, u"10.02.2026", edit},
      {"the window's background", [&] { click(&window, QPoint(450, 250)); }, false, u"10.02.2026",
       edit},
      {"another edit, which takes the focus", [&] { click(other, centre(other)); }, false,
       u"10.02.2026", other},
      {"a button that takes no focus", [&] { click(shadow, centre(shadow)); }, false, u"10.02.2026",
       edit},
      {"the edit", [&] { click(edit, QPoint(5, 5)); }, false, u"10.02.2026", edit},
      {"a day",
       [&] {
         TLocCalendar* calendar = Popup()->Calendar();
         click(calendar, calendar->CellRect(3, 3).center());
       },
       false, u"12.02.2026", edit},
      {"the calendar's title", [&] { click(Popup()->TitleLabel(), QPoint(3, 3)); }, true,
       u"10.02.2026", edit},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.where);
    shadowClicks = 0;
    edit->SetDate(EncodeDate(2026, 2, 10));
    edit->setFocus();
    AltDown();
    // The offscreen platform activates every window it shows; a window manager leaves the
    // activation with the window of the edit.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(edit, Qt::Key_Right);  // the calendar's own date is the 11th
    ASSERT_TRUE(edit->PopupVisible());
    row.press();
    EXPECT_EQ(edit->PopupVisible(), row.open);
    EXPECT_EQ(Popup()->isVisible(), row.open);
    EXPECT_EQ(edit->text(), row.date);
    EXPECT_EQ(QApplication::focusWidget(), row.focus);
    EXPECT_EQ(shadowClicks, row.where == std::string("a button that takes no focus") ? 1 : 0);
    if (edit->PopupVisible()) QTest::keyClick(edit, Qt::Key_Escape);
  }
  EXPECT_EQ(window.result(), QDialog::Rejected);
}

// The calendar is a window of its own: it closes, without taking its date, when the edit's window
// moves (also by the keyboard, with no press) or the user goes to another window.
TEST_F(DateEditTest, TheCalendarClosesWhenItsWindowMovesOrIsLeft) {
  QDialog elsewhere;
  elsewhere.resize(100, 60);
  Show();
  const struct {
    const char* what;
    std::function<void()> act;
  } rows[] = {
      {"the window moved", [&] { window.move(window.pos() + QPoint(40, 30)); }},
      {"another window activated",
       [&] {
         elsewhere.show();
         elsewhere.activateWindow();
         ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    edit->setFocus();
    edit->SetDate(EncodeDate(2026, 2, 10));
    AltDown();
    // The offscreen platform activates every window it shows, the calendar too.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(edit, Qt::Key_Right);
    ASSERT_TRUE(Popup()->isVisible());
    row.act();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Popup()->isVisible(); }, 1000));
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_EQ(edit->text(), u"10.02.2026");
  }
}

// A calendar taken away while open (the style switched to the dialog) is closed first: no watch
// or open state stays behind. The edit takes typing again, a press beside it leaves the focus
// where it went, the button opens the date dialog, and with the calendar back the button opens
// the calendar.
TEST_F(DateEditTest, SwitchingToTheDialogWithTheCalendarOpenLeavesNothingOpen) {
  auto* other = new QLineEdit(&window);
  edit->setGeometry(10, 10, 100, 21);
  other->setGeometry(300, 100, 150, 21);
  window.resize(500, 300);
  Show();
  edit->SetDate(EncodeDate(2026, 2, 10));
  AltDown();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  ASSERT_TRUE(edit->PopupVisible());
  edit->SetCalendarStyle(csDialog);
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->CalendarStyle(), csDialog);
  EXPECT_FALSE(edit->isReadOnly());
  auto pressOther = [&] {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      other->mapTo(&window, QPoint(5, 5)));
  };
  pressOther();
  EXPECT_EQ(QApplication::focusWidget(), other);
  QString opened;
  QTimer::singleShot(0, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      opened = dialog->windowTitle();
      static_cast<QDialog*>(dialog)->reject();
    }
  });
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  EXPECT_EQ(opened, u"Выбор даты");
  EXPECT_EQ(edit->text(), u"10.02.2026");

  edit->SetCalendarStyle(csPopup);
  EXPECT_FALSE(edit->PopupVisible());
  window.activateWindow();  // after the dialog, as a window manager does
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  pressOther();
  EXPECT_EQ(QApplication::focusWidget(), other);
  QTest::mouseClick(edit->Button(), Qt::LeftButton);
  EXPECT_TRUE(edit->PopupVisible());
  EXPECT_TRUE(Popup()->isVisible());
}

TEST_F(DateEditTest, CalendarNavigationEdges) {
  TXcCalendar calendar;  // its last day and month go no further
  calendar.SetCalendarDate(EncodeDate(9999, 12, 31));
  calendar.NextMonth();
  int key = 39;  // right
  calendar.CalendarKeyDown(key, {});
  EXPECT_EQ(DateTimeToQDate(calendar.CalendarDate()), QDate(9999, 12, 31));
}

TEST_F(DateEditTest, CheckOnExitRefusesAnImpossibleDate) {
  ScriptedMessageBox boxes;
  auto* other = new QPushButton(&window);
  Show();
  edit->SetCheckOnExit(true);
  edit->setText(QStringLiteral("31.04.2026"));
  other->setFocus();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, u"''31.04.2026'' is not a valid date");
  EXPECT_TRUE(edit->hasFocus());
  edit->clear();  // an empty date leaves freely
  other->setFocus();
  EXPECT_EQ(boxes.Boxes().size(), 1);
}

}  // namespace
