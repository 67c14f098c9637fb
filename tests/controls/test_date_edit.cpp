#include "controls/date_edit.h"
#include "platform/scripted_services.h"

#include <QDialog>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

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

// The mask's "!": a separator typed inside a part of the date puts the part's blanks first.
TEST_F(DateEditTest, MaskPutsUnfilledPositionsFirst) {
  const struct {
    const char* typed;
    const char16_t* shown;
  } rows[] = {
      {"5.", u" 5.  .    "},  {"5.3.", u" 5. 3.    "},
      {"12.", u"12.  .    "},  // the part was full: the cursor had passed the separator
      {".", u"  .  .    "},   {"1.2.2026", u" 1. 2.2026"},
  };
  Show();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed);
    edit->SetDate(NullDate);
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, QString::fromLatin1(row.typed));
    EXPECT_EQ(edit->Text().toStdString(), QString::fromUtf16(row.shown).toStdString());
  }
  EXPECT_EQ(edit->Date(), EncodeDate(2026, 2, 1));  // the last row still reads as a date
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
