#include "controls/xc_button_glyph.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

const QColor kFuchsia(0xFF, 0x00, 0xFF);

// A strip of square pictures, each filled with its colour on a fuchsia border row.
QPixmap Strip(const QList<QColor>& colors, int size = 16) {
  QImage image(size * static_cast<int>(colors.size()), size, QImage::Format_RGB32);
  image.fill(kFuchsia);
  QPainter p(&image);
  for (int i = 0; i < colors.size(); ++i)
    p.fillRect(QRect(i * size, 0, size, size - 1), colors.at(i));
  p.end();
  return QPixmap::fromImage(image);
}

QRgb Pixel(const TXcButtonGlyph& glyph, int index, QPoint at = {3, 3}) {
  return glyph.GlyphList()
      ->Picture(index)
      .toImage()
      .convertToFormat(QImage::Format_ARGB32)
      .pixel(at);
}

TEST(ButtonGlyphTest, NumberOfGlyphsFollowsTheStripShape) {
  TXcButtonGlyph glyph;
  int changes = 0;
  glyph.OnChange = [&] { ++changes; };
  // More than five squares are taken as one picture.
  for (const auto& [squares, glyphs] : {std::pair(5, 5), std::pair(6, 1), std::pair(3, 3)}) {
    glyph.SetGlyph(Strip(QList<QColor>(squares, Qt::red)));
    EXPECT_EQ(glyph.NumGlyphs(), glyphs) << squares;
  }
  QPixmap odd(40, 16);
  odd.fill(Qt::red);
  glyph.SetGlyph(odd);
  EXPECT_EQ(glyph.NumGlyphs(), 3);  // not a multiple: kept
  EXPECT_EQ(changes, 4);
}

TEST(ButtonGlyphTest, StatePicturesComeFromTheStripOrAreMade) {
  TXcButtonGlyph one;
  one.SetGlyph(Strip({Qt::red}));
  const int up = one.CreateButtonGlyph(bpsUp);
  ASSERT_GE(up, 0);
  EXPECT_EQ(one.CreateButtonGlyph(bpsDown), up);  // fewer than three pictures
  EXPECT_EQ(Pixel(one, up), QColor(Qt::red).rgba());
  EXPECT_EQ(qAlpha(Pixel(one, up, {3, 15})), 0);  // the transparent colour is see-through
  // With fewer than five pictures the inactive one is the grey of the first.
  EXPECT_EQ(Pixel(one, one.CreateButtonGlyph(bpsInactive)), qRgb(76, 76, 76));

  TXcButtonGlyph five;
  five.SetGlyph(Strip({Qt::red, Qt::blue, Qt::green, Qt::cyan, Qt::yellow}));
  EXPECT_EQ(Pixel(five, five.CreateButtonGlyph(bpsInactive)), QColor(Qt::yellow).rgba());

  TXcButtonGlyph empty;
  EXPECT_EQ(empty.CreateButtonGlyph(bpsUp), -1);
  TImageList images(16, 16);
  EXPECT_EQ(empty.CreateImageGlyph(bpsUp, &images, 0), -1);  // no pictures
  images.Append(Strip({Qt::red}));
  EXPECT_EQ(empty.CreateImageGlyph(bpsUp, &images, 5), -1);  // index outside the list
  EXPECT_EQ(GrayOf(BtnFaceColor(), kFuchsia), BtnFaceColor());
}

// A strip made for a scaled screen (more pixels, the same place) is laid out and drawn in
// the place of the strip of scale 1, on a canvas of that scale.
TEST(ButtonGlyphTest, ScaledStripTakesThePlaceOfScaleOne) {
  const QFont font;
  const QRect client(0, 0, 25, 25);
  TXcButtonGlyph plain;
  plain.SetGlyph(Strip({Qt::red}));
  const QPoint place =
      plain.CalcButtonLayout(font, client, {}, blGlyphTop, -1, -1, false, nullptr, -1, 0).GlyphPos;
  for (const qreal ratio : {1.0, 1.5, 2.0}) {
    SCOPED_TRACE(ratio);
    QPixmap strip = Strip({Qt::red}, qRound(16 * ratio));
    strip.setDevicePixelRatio(ratio);
    TXcButtonGlyph glyph;
    glyph.SetGlyph(strip);
    EXPECT_EQ(glyph.CalcButtonLayout(font, client, {}, blGlyphTop, -1, -1, false, nullptr, -1, 0)
                  .GlyphPos,
              place);
    QImage canvas(client.size() * ratio, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    glyph.DrawEx(p, client, {}, blGlyphTop, -1, -1, false, nullptr, -1, bpsUp, 0);
    p.end();
    // The red square, in pixels of scale 1: 16 wide, 15 high (its last row is transparent).
    QRect red;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        if (canvas.pixel(x, y) == QColor(Qt::red).rgb()) red |= QRect(x, y, 1, 1);
    const QRectF drawn(red.x() / ratio, red.y() / ratio, red.width() / ratio, red.height() / ratio);
    EXPECT_NEAR(drawn.left(), place.x(), 0.7);
    EXPECT_NEAR(drawn.top(), place.y(), 0.7);
    EXPECT_NEAR(drawn.width(), 16, 0.7);
    EXPECT_NEAR(drawn.height(), 15, 0.7);
  }
}

TEST(ButtonGlyphTest, GlyphListsAreSharedReusedAndFreed) {
  {
    TXcButtonGlyph a;
    TXcButtonGlyph b;
    a.SetGlyph(Strip({Qt::red}));
    b.SetGlyph(Strip({Qt::blue}));
    a.CreateButtonGlyph(bpsUp);
    b.CreateButtonGlyph(bpsUp);
    EXPECT_EQ(a.GlyphList(), b.GlyphList());
    const int slotCount = a.GlyphList()->Count();
    for (int i = 0; i < 10; ++i) {  // repeated changes reuse the freed slots
      a.SetGlyph(Strip({Qt::green}));
      a.CreateButtonGlyph(bpsUp);
      a.CreateButtonGlyph(bpsInactive);
    }
    EXPECT_LE(a.GlyphList()->Count(), slotCount + 1);

    // Pictures of another size go to a list of their own, freed with its last slot.
    TImageList images(8, 8);
    images.Append(Strip({Qt::red}, 8));
    TXcButtonGlyph c;
    c.SetGlyph(Strip({Qt::red}));
    c.CreateButtonGlyph(bpsUp);
    const int gray = c.CreateImageGlyph(bpsInactive, &images, 0);
    EXPECT_EQ(Pixel(c, gray), qRgb(76, 76, 76));
    EXPECT_EQ(TGlyphCache::Existing()->ListCount(), 2);
    c.Invalidate();
    EXPECT_EQ(TGlyphCache::Existing()->ListCount(), 1);
  }
  EXPECT_EQ(TGlyphCache::Existing(), nullptr);
}

TEST(ButtonGlyphTest, FrameAndMarkPixels) {
  QImage image(40, 20, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  EXPECT_EQ(DrawButtonFrame(p, QRect(0, 0, 20, 20), false, false, bsNew), QRect(3, 3, 14, 14));
  DrawDropDownMark(p, 25, 10, true);
  p.end();
  // The mark: rows of 7, 5, 3 and 1 pixels.
  const QRgb white = qRgb(255, 255, 255), text = BtnTextColor().rgba();
  const int rows[][3] = {{9, 25, 31}, {10, 26, 30}, {11, 27, 29}, {12, 28, 28}};
  for (const auto& [y, first, last] : rows) {
    EXPECT_EQ(image.pixel(first - 1, y), white) << y;
    EXPECT_EQ(image.pixel(last, y), text) << y;
    EXPECT_EQ(image.pixel(last + 1, y), white) << y;
  }
}

}  // namespace
