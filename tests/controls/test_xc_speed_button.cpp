#include "controls/xc_speed_button.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

QImage Render(QWidget& w) {
  return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Where the colour shows in the image.
QRect Painted(const QImage& image, const QColor& colour) {
  QRect found;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == colour.rgba()) found |= QRect(x, y, 1, 1);
  return found;
}

// Two squares, red and blue, whose bottom row, the transparent colour, is fuchsia.
QPixmap Strip() {
  QPixmap strip(32, 16);
  strip.fill(Qt::red);
  QPainter p(&strip);
  p.fillRect(16, 0, 16, 16, Qt::blue);
  p.fillRect(0, 15, 32, 1, QColor(0xFF, 0x00, 0xFF));
  return strip;
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

TEST(XcSpeedButtonTest, RefusedValuesAndGroups) {
  QWidget parent;
  QWidget other;
  TXcSpeedButton a(&parent), b(&parent), c(&parent), elsewhere(&other);
  a.SetMargin(-2);
  EXPECT_EQ(a.Margin(), -1);
  a.SetNumGlyphs(9);
  a.SetNumGlyphs(0);
  EXPECT_EQ(a.NumGlyphs(), 5);
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
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, a->height()));  // bottom edge counts
  EXPECT_EQ(clicks.count(), 1);
  QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(a->width(), 5));  // right edge does not
  EXPECT_EQ(clicks.count(), 1);
  QTest::mouseDClick(a, Qt::LeftButton, {}, QPoint(5, 5));  // never down: no double click
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(doubles.count(), 0);

  SCOPED_TRACE("group");
  a->SetGroupIndex(3);
  b->SetGroupIndex(3);
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
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
  b->SetGlyph(Strip());
  flat->SetFlat(true);
  flat->SetGlyph(Strip().copy(0, 0, 16, 16));
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

// Pressed, and held down in its group, the glyph sits one pixel right and one down.
TEST(XcSpeedButtonTest, PressedGlyphMovesOnePixel) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  b->SetGlyph(Strip().copy(0, 0, 16, 16));
  ASSERT_TRUE(host.Show());
  const QRect up = Painted(Render(*b), Qt::red);
  ASSERT_EQ(up.size(), QSize(16, 15));
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Painted(Render(*b), Qt::red), up.translated(1, 1));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Painted(Render(*b), Qt::red), up);
  b->SetGroupIndex(1);
  b->SetDown(true);
  EXPECT_EQ(Painted(Render(*b), Qt::red), up.translated(1, 1));
}

TEST(XcSpeedButtonTest, DropDownMenuPointsAndLoss) {
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
  TXcSpeedButton b;
  auto* dropped = new QMenu;
  b.SetDropDownMenu(dropped);
  delete dropped;
  EXPECT_EQ(b.DropDownMenu(), nullptr);  // a destroyed menu is forgotten
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

}  // namespace
