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

// A square of `color` whose bottom row, the transparent colour, is fuchsia.
QPixmap Square(const QColor& color, int size = 16) {
  QPixmap pixmap(size, size);
  pixmap.fill(color);
  QPainter p(&pixmap);
  p.fillRect(0, size - 1, size, 1, QColor(0xFF, 0x00, 0xFF));
  return pixmap;
}

QImage Render(QWidget& w) {
  return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// A shown, active window holding buttons.
struct Host {
  QWidget window;
  Host() {
    window.resize(300, 200);
    window.move(100, 100);
  }
  TXcSpeedButton* Add(int x, int y) {
    auto* b = new TXcSpeedButton(&window);
    b->move(x, y);
    return b;
  }
  bool Show() {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
  }
};

TEST(XcSpeedButtonTest, RefusedValuesAndHint) {
  TXcSpeedButton b;
  b.SetMargin(-2);
  EXPECT_EQ(b.Margin(), -1);
  b.SetNumGlyphs(9);
  b.SetNumGlyphs(0);
  EXPECT_EQ(b.NumGlyphs(), 5);
  b.SetHint("Предыдущий месяц|");
  EXPECT_EQ(b.toolTip(), QString("Предыдущий месяц"));
  EXPECT_EQ(b.statusTip(), QString());
}

TEST(XcSpeedButtonTest, GroupsKeepOneButtonDown) {
  QWidget parent;
  QWidget other;
  TXcSpeedButton loose(&parent);
  loose.SetDown(true);
  EXPECT_FALSE(loose.Down());  // no group: never down

  TXcSpeedButton a(&parent), b(&parent), c(&parent), elsewhere(&other);
  for (TXcSpeedButton* x : {&a, &b, &c, &elsewhere}) x->SetGroupIndex(1);
  c.SetGroupIndex(2);
  a.SetDown(true);
  c.SetDown(true);
  elsewhere.SetDown(true);
  b.SetDown(true);
  EXPECT_FALSE(a.Down());
  EXPECT_TRUE(b.Down());
  EXPECT_TRUE(c.Down());          // another group
  EXPECT_TRUE(elsewhere.Down());  // another parent

  b.SetDown(false);
  EXPECT_TRUE(b.Down());  // released only with AllowAllUp
  a.SetAllowAllUp(true);
  EXPECT_TRUE(b.AllowAllUp());  // the group takes it
  b.SetDown(false);
  EXPECT_FALSE(b.Down());
}

TEST(XcSpeedButtonTest, ClickIsAReleaseInsideTheButton) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  ASSERT_TRUE(host.Show());
  QSignalSpy clicks(b, &TXcSpeedButton::OnClick);
  QSignalSpy downs(b, &TXcSpeedButton::OnMouseDown);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(downs.count(), 1);
  EXPECT_EQ(b->PaintState(), bpsDown);
  QTest::mouseMove(b, QPoint(40, 5));
  EXPECT_EQ(b->PaintState(), bpsUp);
  QTest::mouseMove(b, QPoint(5, 5));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, b->height()));  // bottom edge counts
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(b->PaintState(), bpsUp);

  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(b->width(), 5));  // right edge does not
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(b->PaintState(), bpsUp);

  b->setEnabled(false);
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
  Render(*b);
  EXPECT_EQ(b->PaintState(), bpsDisabled);
}

TEST(XcSpeedButtonTest, GroupClicksToggleAndDoubleClickNeedsDown) {
  Host host;
  TXcSpeedButton* a = host.Add(0, 0);
  TXcSpeedButton* b = host.Add(30, 0);
  a->SetGroupIndex(3);
  b->SetGroupIndex(3);
  ASSERT_TRUE(host.Show());
  QSignalSpy doubles(a, &TXcSpeedButton::OnDblClick);
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
  TXcSpeedButton* loose = host.Add(60, 0);
  loose->show();
  QSignalSpy looseDoubles(loose, &TXcSpeedButton::OnDblClick);
  QTest::mouseDClick(loose, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(loose, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(looseDoubles.count(), 0);
}

TEST(XcSpeedButtonTest, HeldButtonRepeatsItsClick) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  b->SetAllowTimer(true);
  b->SetInitPause(30);
  b->SetRepeatInterval(10);
  ASSERT_TRUE(host.Show());
  QSignalSpy clicks(b, &TXcSpeedButton::OnClick);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  while (clicks.count() < 3) ASSERT_TRUE(clicks.wait(2000));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  const int afterRelease = clicks.count();
  EXPECT_FALSE(clicks.wait(100));
  EXPECT_EQ(clicks.count(), afterRelease);
  // Without AllowTimer a held button clicks only on release.
  b->SetAllowTimer(false);
  clicks.clear();
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(clicks.wait(100));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
}

TEST(XcSpeedButtonTest, FlatButtonShowsGreyGlyphUntilTheMouseEnters) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  b->SetFlat(true);
  b->SetGlyph(Square(Qt::red));
  ASSERT_TRUE(host.Show());
  const QPoint centre(12, 12);
  QImage image = Render(*b);
  EXPECT_EQ(image.pixel(centre), qRgb(76, 76, 76));
  EXPECT_EQ(image.pixel(0, 0), BtnFaceColor().rgba());  // no frame

  b->SetGrayedInactive(false);
  image = Render(*b);
  EXPECT_EQ(image.pixel(centre), QColor(Qt::red).rgba());

  QSignalSpy enters(b, &TXcSpeedButton::OnMouseEnter);
  QSignalSpy leaves(b, &TXcSpeedButton::OnMouseLeave);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(b, &enter);
  EXPECT_EQ(enters.count(), 1);
  EXPECT_TRUE(b->MouseInside());
  image = Render(*b);
  EXPECT_EQ(image.pixel(0, 0), BtnHighlightColor().rgba());  // raised flat frame
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(b, &leave);
  EXPECT_EQ(leaves.count(), 1);
  EXPECT_FALSE(b->MouseInside());
}

TEST(XcSpeedButtonTest, StatesPaintTheirPictures) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  QPixmap strip(32, 16);
  {
    strip.fill(Qt::red);
    QPainter p(&strip);
    p.fillRect(16, 0, 16, 16, Qt::blue);
    p.fillRect(0, 15, 32, 1, QColor(0xFF, 0x00, 0xFF));
  }
  b->SetGlyph(strip);
  EXPECT_EQ(b->NumGlyphs(), 2);
  ASSERT_TRUE(host.Show());
  const QPoint centre(12, 12);
  QImage image = Render(*b);
  EXPECT_EQ(image.pixel(centre), QColor(Qt::red).rgba());
  EXPECT_EQ(image.pixel(0, 0), BtnHighlightColor().rgba());
  EXPECT_EQ(image.pixel(24, 24), WindowFrameColor().rgba());
  b->setEnabled(false);
  EXPECT_EQ(Render(*b).pixel(centre), QColor(Qt::blue).rgba());
  // A grouped button held down shows a sunken frame and a dithered face.
  b->setEnabled(true);
  b->SetGlyph(QPixmap());
  b->SetGroupIndex(1);
  b->SetDown(true);
  image = Render(*b);
  EXPECT_EQ(image.pixel(0, 0), WindowFrameColor().rgba());
  EXPECT_NE(image.pixel(10, 10), image.pixel(11, 10));
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
  EXPECT_EQ(b->PaintState(), bpsUp);
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
  EXPECT_FALSE(dialog.isVisible());
}

TEST(XcSpeedButtonTest, ActionDrivesTheButton) {
  QWidget parent;
  TXcSpeedButton b(&parent);
  b.SetGroupIndex(1);
  QAction action("Item");
  action.setCheckable(true);
  b.SetAction(&action);
  action.setChecked(true);
  EXPECT_TRUE(b.Down());
  action.setEnabled(false);
  EXPECT_FALSE(b.isEnabled());
  action.setEnabled(true);
  QSignalSpy triggered(&action, &QAction::triggered);
  b.Click();
  EXPECT_EQ(triggered.count(), 1);
}

}  // namespace
