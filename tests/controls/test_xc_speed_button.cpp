#include "controls/xc_speed_button.h"

#include <QDialog>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

QImage Render(QWidget& w) {
  return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// A window holding buttons.
struct Host {
  QWidget window;
  TXcSpeedButton* Add(int x, int y) {
    auto* b = new TXcSpeedButton(&window);
    b->move(x, y);
    return b;
  }
  bool Show() {
    window.resize(300, 200);
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
  }
};

TEST(XcSpeedButtonTest, RefusedValuesHintAndGroups) {
  QWidget parent;
  QWidget other;
  TXcSpeedButton a(&parent), b(&parent), c(&parent), elsewhere(&other);
  a.SetMargin(-2);
  EXPECT_EQ(a.Margin(), -1);
  a.SetNumGlyphs(9);
  a.SetNumGlyphs(0);
  EXPECT_EQ(a.NumGlyphs(), 5);
  a.SetHint("Предыдущий месяц|");
  EXPECT_EQ(a.toolTip(), QString("Предыдущий месяц"));
  a.SetDown(true);
  EXPECT_FALSE(a.Down());  // no group: never down

  for (TXcSpeedButton* x : {&a, &b, &c, &elsewhere}) x->SetGroupIndex(1);
  c.SetGroupIndex(2);
  for (TXcSpeedButton* x : {&a, &c, &elsewhere, &b}) x->SetDown(true);
  EXPECT_FALSE(a.Down());
  EXPECT_TRUE(c.Down());          // another group
  EXPECT_TRUE(elsewhere.Down());  // another parent
  b.SetDown(false);
  EXPECT_TRUE(b.Down());  // released only with AllowAllUp
  a.SetAllowAllUp(true);  // the group takes it
  b.SetDown(false);
  EXPECT_FALSE(b.Down());
}

TEST(XcSpeedButtonTest, ClicksGroupsAndDoubleClicks) {
  Host host;
  TXcSpeedButton* a = host.Add(0, 0);
  TXcSpeedButton* b = host.Add(30, 0);
  ASSERT_TRUE(host.Show());
  QSignalSpy clicks(a, &TXcSpeedButton::OnClick);
  QSignalSpy downs(a, &TXcSpeedButton::OnMouseDown);
  QSignalSpy doubles(a, &TXcSpeedButton::OnDblClick);
  QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(downs.count(), 1);
  EXPECT_EQ(a->PaintState(), bpsDown);
  QTest::mouseMove(a, QPoint(40, 5));
  EXPECT_EQ(a->PaintState(), bpsUp);
  QTest::mouseMove(a, QPoint(5, 5));
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, a->height()));  // bottom edge counts
  EXPECT_EQ(clicks.count(), 1);
  QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(a->width(), 5));  // right edge does not
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(a->PaintState(), bpsUp);
  QTest::mouseDClick(a, Qt::LeftButton, {}, QPoint(5, 5));  // never down: no double click
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(doubles.count(), 0);

  SCOPED_TRACE("group");
  a->SetGroupIndex(3);
  b->SetGroupIndex(3);
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(a->Down());
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(b->Down());  // no AllowAllUp: stays down
  EXPECT_FALSE(a->Down());
  // A press released outside leaves a down button exclusive.
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(50, 5));
  EXPECT_EQ(b->PaintState(), bpsExclusive);
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseDClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(doubles.count(), 1);
}

TEST(XcSpeedButtonTest, HeldButtonRepeatsItsClickOnlyWithTheTimer) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  b->SetInitPause(30);
  b->SetRepeatInterval(10);
  ASSERT_TRUE(host.Show());
  QSignalSpy clicks(b, &TXcSpeedButton::OnClick);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(clicks.wait(100));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
  b->SetAllowTimer(true);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  while (clicks.count() < 4) ASSERT_TRUE(clicks.wait(2000));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  const int afterRelease = clicks.count();
  EXPECT_FALSE(clicks.wait(100));
  EXPECT_EQ(clicks.count(), afterRelease);
}

TEST(XcSpeedButtonTest, StatesPaintTheirPictures) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  TXcSpeedButton* flat = host.Add(50, 10);
  // Two squares, red and blue, whose bottom row, the transparent colour, is fuchsia.
  QPixmap strip(32, 16);
  strip.fill(Qt::red);
  QPainter p(&strip);
  p.fillRect(16, 0, 16, 16, Qt::blue);
  p.fillRect(0, 15, 32, 1, QColor(0xFF, 0x00, 0xFF));
  p.end();
  b->SetGlyph(strip);
  flat->SetFlat(true);
  flat->SetGlyph(strip.copy(0, 0, 16, 16));
  ASSERT_TRUE(host.Show());
  const QPoint centre(12, 12);
  QImage image = Render(*b);
  EXPECT_EQ(image.pixel(centre), QColor(Qt::red).rgba());
  EXPECT_EQ(image.pixel(24, 24), WindowFrameColor().rgba());
  // A grouped button held down shows a sunken frame and a dithered face.
  b->SetGroupIndex(1);
  b->SetDown(true);
  image = Render(*b);
  EXPECT_EQ(image.pixel(0, 0), WindowFrameColor().rgba());
  EXPECT_NE(image.pixel(3, 20), image.pixel(4, 20));
  b->setEnabled(false);
  EXPECT_EQ(Render(*b).pixel(centre), QColor(Qt::blue).rgba());

  SCOPED_TRACE("flat: a grey glyph and no frame until the mouse enters");
  image = Render(*flat);
  EXPECT_EQ(image.pixel(centre), qRgb(76, 76, 76));
  EXPECT_EQ(image.pixel(0, 0), BtnFaceColor().rgba());
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), flat->mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(flat, &enter);
  image = Render(*flat);
  EXPECT_EQ(image.pixel(centre), QColor(Qt::red).rgba());
  EXPECT_EQ(image.pixel(0, 0), BtnHighlightColor().rgba());
  EXPECT_EQ(image.pixel(24, 24), BtnShadowColor().rgba());
}

TEST(XcSpeedButtonTest, DropDownMenuOpensBelowWithoutClicking) {
  const struct {
    TXcDropDownMenuPos pos;
    Qt::Alignment align;
    QPoint at;
  } rows[] = {
      {dmpBottom, Qt::AlignLeft, {-1, 23}},    {dmpBottom, Qt::AlignRight, {25, 23}},
      {dmpBottom, Qt::AlignHCenter, {12, 23}}, {dmpRight, Qt::AlignLeft, {24, -1}},
      {dmpRight, Qt::AlignRight, {-1, -1}},    {dmpRight, Qt::AlignHCenter, {12, 23}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(TXcSpeedButton::DropDownMenuPoint(row.pos, row.align, {24, 23}), row.at);

  Host host;
  TXcSpeedButton* b = host.Add(50, 50);
  b->resize(24, 23);
  QMenu menu;
  menu.addAction("One");
  b->SetDropDownMenu(&menu);
  ASSERT_TRUE(host.Show());
  QPoint shownAt;
  QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] {
    QTimer::singleShot(0, &menu, [&] {
      shownAt = menu.pos();
      menu.close();
    });
  });
  QSignalSpy clicks(b, &TXcSpeedButton::OnClick);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(shownAt, b->mapToGlobal(QPoint(-1, 23)));
  EXPECT_EQ(clicks.count(), 0);
  auto* dropped = new QMenu;
  b->SetDropDownMenu(dropped);
  delete dropped;
  EXPECT_EQ(b->DropDownMenu(), nullptr);  // a destroyed menu is forgotten
}

TEST(XcSpeedButtonTest, ClickSetsTheDialogResultAndAcceleratorClicks) {
  QDialog dialog;
  auto* ok = new TXcSpeedButton(&dialog);
  ok->SetModalResult(2);
  ok->SetCaption("&Go");
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QSignalSpy clicks(ok, &TXcSpeedButton::OnClick);
  QTest::keyClick(&dialog, Qt::Key_G, Qt::AltModifier);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(dialog.result(), 2);
}

// Without an OnClick handler a click triggers the action.
TEST(XcSpeedButtonTest, ActionDrivesTheButton) {
  QWidget parent;
  TXcSpeedButton b(&parent);
  b.SetGroupIndex(1);
  QAction action("Item");
  action.setCheckable(true);
  b.SetAction(&action);
  action.setChecked(true);
  EXPECT_TRUE(b.Down());
  QSignalSpy triggered(&action, &QAction::triggered);
  b.Click();
  EXPECT_EQ(triggered.count(), 1);
}

}  // namespace
