#include "controls/bm_bitmap_image.h"

#include <QPainter>

#include <gtest/gtest.h>
#include <memory>

namespace {

const QColor kFace(192, 192, 192);

QImage Picture(int w, int h, QRgb colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

QImage Rendered(QWidget& w) {
  return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Sixteen 20 x 20 lamps and two 80 x 20 relay pictures, as in the first viewer window.
void FillLamps(TBmBitmapList& list) {
  for (int i = 0; i < 16; ++i) list.Bitmaps()->Add(Picture(20, 20, qRgb(i * 10, 100, 200)));
  list.Bitmaps()->Add(Picture(80, 20, qRgb(250, 0, 0)));
  list.Bitmaps()->Add(Picture(80, 20, qRgb(0, 250, 0)));
}

bool AllOf(const QImage& image, const QRect& area, const QColor& colour) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixelColor(x, y) != colour) return false;
  return true;
}

TEST(BmBitmapImageTest, ShowsTheIndexedPictureOrOnlyTheBackground) {
  TBmBitmapList list;
  FillLamps(list);
  TBmBitmapImage image;
  image.SetColor(kFace);
  image.resize(20, 20);
  image.SetBitmapList(&list);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), kFace));  // index -1
  image.SetBitmapIndex(3);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), QColor(30, 100, 200)));
  image.SetBitmapIndex(17);  // the last picture, 80 wide, centred at x = -30
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), QColor(0, 250, 0)));
  for (int outside : {18, -5}) {
    image.SetBitmapIndex(outside);
    EXPECT_TRUE(AllOf(Rendered(image), image.rect(), kFace)) << outside;
  }
  EXPECT_EQ(image.size(), QSize(20, 20));  // AutoSize is off
}

TEST(BmBitmapImageTest, PlacesPicturesCentredAtTheOriginOrStretched) {
  TBmBitmapList list;
  list.Bitmaps()->Add(Picture(20, 20, qRgb(255, 0, 0)));
  TBmBitmapImage image;
  image.SetColor(kFace);
  image.SetBitmapList(&list);
  image.SetBitmapIndex(0);
  image.resize(80, 20);
  QImage shown = Rendered(image);
  EXPECT_TRUE(AllOf(shown, QRect(30, 0, 20, 20), Qt::red));
  EXPECT_TRUE(AllOf(shown, QRect(0, 0, 30, 20), kFace));

  image.resize(40, 40);
  shown = Rendered(image);
  EXPECT_TRUE(AllOf(shown, QRect(10, 10, 20, 20), Qt::red));
  EXPECT_TRUE(AllOf(shown, QRect(0, 0, 40, 10), kFace));

  image.SetCenter(false);
  shown = Rendered(image);
  EXPECT_TRUE(AllOf(shown, QRect(0, 0, 20, 20), Qt::red));
  EXPECT_TRUE(AllOf(shown, QRect(20, 0, 20, 40), kFace));

  image.SetStretch(true);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), Qt::red));
}

TEST(BmBitmapImageTest, FollowsChangesAndLossOfItsList) {
  auto list = std::make_unique<TBmBitmapList>();
  TBmBitmapImage image;
  image.SetColor(kFace);
  image.SetBitmapList(list.get());
  image.SetBitmapIndex(1);
  image.SetAutoSize(true);
  EXPECT_EQ(image.size(), QSize(105, 105));  // no picture yet: size kept

  list->Bitmaps()->Add(Picture(20, 20, qRgb(0, 0, 255)));
  list->Bitmaps()->Add(Picture(80, 20, qRgb(0, 0, 255)));
  EXPECT_EQ(image.size(), QSize(80, 20));  // the list change re-applied the size
  image.SetBitmapIndex(0);
  EXPECT_EQ(image.size(), QSize(20, 20));
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), Qt::blue));

  // Moving to another list leaves the first one: its changes no longer resize.
  TBmBitmapList other;
  other.Bitmaps()->Add(Picture(30, 10, qRgb(0, 0, 0)));
  image.SetBitmapList(&other);
  list->Bitmaps()->Clear();
  list->Bitmaps()->Add(Picture(7, 7, 0));
  EXPECT_EQ(image.size(), QSize(20, 20));
  image.SetBitmapList(list.get());

  list.reset();
  EXPECT_EQ(image.BitmapList(), nullptr);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), kFace));
}

TEST(BmBitmapImageTest, TransparentPicturesShowTheParentThroughTheirBackgroundColour) {
  QWidget parent;
  parent.resize(40, 40);
  parent.setAutoFillBackground(true);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, QColor(0, 128, 0));
  parent.setPalette(palette);

  TBmBitmapList list;
  QImage lamp = Picture(20, 20, kFace.rgb());
  QPainter(&lamp).fillRect(5, 5, 10, 10, Qt::yellow);
  list.Bitmaps()->Add(lamp);
  auto* image = new TBmBitmapImage(&parent);
  image->setGeometry(10, 10, 20, 20);
  image->SetColor(kFace);
  image->SetBitmapList(&list);
  image->SetBitmapIndex(0);
  EXPECT_TRUE(AllOf(Rendered(*image), QRect(0, 0, 5, 20), kFace));

  image->SetTransparent(true);
  const QImage shown = Rendered(*image);
  EXPECT_TRUE(AllOf(shown, QRect(0, 0, 5, 20), QColor(0, 128, 0)));
  EXPECT_TRUE(AllOf(shown, QRect(5, 5, 10, 10), Qt::yellow));
}

}  // namespace
