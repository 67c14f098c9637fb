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

QImage Picture(const TXcButtonGlyph& glyph, int index) {
  return glyph.GlyphList()->Picture(index).toImage().convertToFormat(QImage::Format_ARGB32);
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
  EXPECT_EQ(glyph.TransparentColor().rgb(), QColor(Qt::red).rgb());  // bottom-left pixel
}

TEST(ButtonGlyphTest, StatePicturesComeFromTheStripOrAreMade) {
  TXcButtonGlyph one;
  one.SetGlyph(Strip({Qt::red}));
  const int up = one.CreateButtonGlyph(bpsUp);
  ASSERT_GE(up, 0);
  EXPECT_EQ(one.CreateButtonGlyph(bpsDown), up);  // fewer than three pictures
  EXPECT_EQ(one.CreateButtonGlyph(bpsUp), up);    // made once
  const QImage upImage = Picture(one, up);
  EXPECT_EQ(upImage.pixel(3, 3), QColor(Qt::red).rgba());
  EXPECT_EQ(qAlpha(upImage.pixel(3, 15)), 0);  // the transparent colour is see-through

  // With fewer than five pictures the inactive one is the grey of the first.
  const QImage gray = Picture(one, one.CreateButtonGlyph(bpsInactive));
  EXPECT_EQ(gray.pixel(3, 3), qRgb(76, 76, 76));
  EXPECT_EQ(qAlpha(gray.pixel(3, 15)), 0);

  TXcButtonGlyph two;
  two.SetGlyph(Strip({Qt::red, Qt::blue}));
  EXPECT_EQ(Picture(two, two.CreateButtonGlyph(bpsDisabled)).pixel(3, 3), QColor(Qt::blue).rgba());

  TXcButtonGlyph five;
  five.SetGlyph(Strip({Qt::red, Qt::blue, Qt::green, Qt::cyan, Qt::yellow}));
  EXPECT_EQ(Picture(five, five.CreateButtonGlyph(bpsDown)).pixel(3, 3), QColor(Qt::green).rgba());
  EXPECT_EQ(Picture(five, five.CreateButtonGlyph(bpsInactive)).pixel(3, 3),
            QColor(Qt::yellow).rgba());

  TXcButtonGlyph empty;
  EXPECT_EQ(empty.CreateButtonGlyph(bpsUp), -1);
  TImageList images(16, 16);
  EXPECT_EQ(empty.CreateImageGlyph(bpsUp, &images, 0), -1);  // no pictures
  images.Append(Strip({Qt::red}));
  EXPECT_EQ(empty.CreateImageGlyph(bpsUp, &images, 5), -1);  // index outside the list
  EXPECT_EQ(Picture(empty, empty.CreateImageGlyph(bpsInactive, &images, 0)).pixel(3, 3),
            qRgb(76, 76, 76));
}

TEST(ButtonGlyphTest, GreyKeepsFaceAndTransparentColour) {
  EXPECT_EQ(GrayOf(QColor(255, 0, 0), kFuchsia), QColor(76, 76, 76));
  EXPECT_EQ(GrayOf(kFuchsia, kFuchsia), kFuchsia);
  EXPECT_EQ(GrayOf(BtnFaceColor(), kFuchsia), BtnFaceColor());
}

TEST(ButtonGlyphTest, GlyphListsAreSharedReusedAndFreed) {
  {
    TXcButtonGlyph a;
    TXcButtonGlyph b;
    a.SetGlyph(Strip({Qt::red}));
    b.SetGlyph(Strip({Qt::blue}));
    a.CreateButtonGlyph(bpsUp);
    b.CreateButtonGlyph(bpsUp);
    ASSERT_NE(TGlyphCache::Existing(), nullptr);
    EXPECT_EQ(a.GlyphList(), b.GlyphList());
    EXPECT_EQ(TGlyphCache::Existing()->ListCount(), 1);
    const int slotCount = a.GlyphList()->Count();
    for (int i = 0; i < 10; ++i) {  // repeated changes reuse the freed slots
      a.SetGlyph(Strip({Qt::green}));
      a.CreateButtonGlyph(bpsUp);
      a.CreateButtonGlyph(bpsInactive);
    }
    EXPECT_LE(a.GlyphList()->Count(), slotCount + 1);

    TXcButtonGlyph c;
    c.SetGlyph(Strip({Qt::red}, 8));
    c.CreateButtonGlyph(bpsUp);
    EXPECT_EQ(TGlyphCache::Existing()->ListCount(), 2);
    c.Invalidate();
    EXPECT_EQ(TGlyphCache::Existing()->ListCount(), 1);  // its list had no used slot left
  }
  EXPECT_EQ(TGlyphCache::Existing(), nullptr);
}

TEST(ButtonGlyphTest, PicturesOfAnotherSizeDoNotMixLists) {
  TXcButtonGlyph glyph;
  glyph.SetGlyph(Strip({Qt::red}));
  glyph.CreateButtonGlyph(bpsUp);
  TImageList images(8, 8);
  images.Append(Strip({Qt::blue}, 8));
  const int gray = glyph.CreateImageGlyph(bpsInactive, &images, 0);
  ASSERT_GE(gray, 0);
  EXPECT_EQ(glyph.GlyphList()->Width(), 8);
  EXPECT_EQ(glyph.GlyphList()->Picture(gray).size(), QSize(8, 8));
}

TEST(ButtonGlyphTest, LayoutCentresGlyphAndCaption) {
  TXcButtonGlyph glyph;
  glyph.SetGlyph(Strip({Qt::red}));
  const QFont font;
  const QRect client(0, 0, 24, 23);
  TButtonLayoutResult r =
      glyph.CalcButtonLayout(font, client, QString(), blGlyphTop, -1, 1, false, nullptr, -1, 0);
  EXPECT_EQ(r.GlyphPos, QPoint(4, 3));  // no caption: spacing 0, margin 23/2 - 16/2
  r = glyph.CalcButtonLayout(font, client, QString(), blGlyphTop, -1, 1, true, nullptr, -1, 0);
  EXPECT_EQ(r.GlyphPos, QPoint(1, 3));  // the mark widens the glyph by 6

  r = glyph.CalcButtonLayout(font, client.translated(10, 20), QString(), blGlyphLeft, 2, -1, false,
                             nullptr, -1, 0);
  EXPECT_EQ(r.GlyphPos, QPoint(12, 23));

  r = glyph.CalcButtonLayout(font, QRect(0, 0, 200, 40), "Caption", blGlyphLeft, 4, 5, false,
                             nullptr, -1, 0);
  EXPECT_EQ(r.GlyphPos.x(), 4);
  EXPECT_EQ(r.TextBounds.left(), 4 + 16 + 5);

  // Without word wrap a long caption is shortened to the room.
  r = glyph.CalcButtonLayout(font, QRect(0, 0, 60, 40), "A very long caption indeed", blGlyphTop,
                             -1, 1, false, nullptr, -1, 0);
  EXPECT_TRUE(r.Caption.endsWith("...")) << r.Caption.toStdString();
}

TEST(ButtonGlyphTest, FramesAndMarkPixels) {
  QImage image(40, 20, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  const QRect inner = DrawButtonFrame(p, QRect(0, 0, 20, 20), false, false, bsNew);
  const QRect flatInner = DrawButtonFrame(p, QRect(0, 0, 20, 20), false, true, bsNew);
  p.end();
  EXPECT_EQ(inner, QRect(3, 3, 14, 14));
  EXPECT_EQ(flatInner, QRect(2, 2, 16, 16));

  image.fill(Qt::white);
  p.begin(&image);
  DrawButtonFrame(p, QRect(0, 0, 20, 20), false, false, bsNew);
  DrawDropDownMark(p, 25, 10, true);
  p.end();
  const QRgb white = qRgb(255, 255, 255), text = BtnTextColor().rgba();
  const struct {
    QPoint at;
    QRgb colour;
  } pixels[] = {
      {{0, 0}, BtnHighlightColor().rgba()},
      {{19, 19}, WindowFrameColor().rgba()},
      {{19, 0}, WindowFrameColor().rgba()},
      {{18, 18}, BtnShadowColor().rgba()},
      {{25, 9}, text},  // the mark: rows of 7, 5, 3, 1 pixels
      {{31, 9}, text},
      {{32, 9}, white},
      {{26, 10}, text},
      {{25, 10}, white},
      {{28, 12}, text},
      {{27, 12}, white},
  };
  for (const auto& [at, colour] : pixels)
    EXPECT_EQ(image.pixel(at), colour) << at.x() << "," << at.y();
}

TEST(ButtonGlyphTest, ButtonImagePaintsAFace) {
  TButtonImage picture;
  picture.SetGlyph(Strip({Qt::red}));
  QImage image(40, 40, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  picture.Draw(p, 5, 5, Qt::AlignHCenter, nullptr, -1, nullptr, blGlyphTop, 1, -1);
  p.end();
  EXPECT_EQ(image.pixel(5, 5), BtnShadowColor().rgba());
  EXPECT_EQ(image.pixel(28, 27), WindowFrameColor().rgba());
  EXPECT_EQ(image.pixel(29, 5), qRgb(255, 255, 255));  // 24 x 23 only
  EXPECT_EQ(image.pixel(5 + 4 + 3, 5 + 3 + 3), QColor(Qt::red).rgba());
}

}  // namespace
