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

// Whether the widget shows only `colour` in `area` (the whole widget when empty).
bool AllOf(QWidget& w, const QColor& colour, QRect area = {}) {
  const QImage image = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (area.isEmpty()) area = image.rect();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixelColor(x, y) != colour) return false;
  return true;
}

TEST(BmBitmapImageTest, ShowsTheIndexedPictureCentredStretchedOrTransparent) {
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, QColor(0, 128, 0));
  parent.setPalette(palette);
  TBmBitmapList list;
  list.Bitmaps()->Add(Picture(20, 20, qRgb(255, 0, 0)));
  list.Bitmaps()->Add(Picture(80, 20, qRgb(0, 250, 0)));
  QImage lamp = Picture(20, 20, kFace.rgb());
  QPainter(&lamp).fillRect(5, 5, 10, 10, Qt::yellow);
  list.Bitmaps()->Add(lamp);
  auto* image = new TBmBitmapImage(&parent);
  image->SetColor(kFace);
  image->resize(20, 20);
  image->SetBitmapList(&list);
  EXPECT_TRUE(AllOf(*image, kFace));  // index -1
  image->SetBitmapIndex(1);           // 80 wide, centred at x = -30
  EXPECT_TRUE(AllOf(*image, QColor(0, 250, 0)));
  image->SetBitmapIndex(2);
  image->SetTransparent(true);  // the parent shows through the background colour
  EXPECT_TRUE(AllOf(*image, QColor(0, 128, 0), QRect(0, 0, 5, 20)));
  EXPECT_TRUE(AllOf(*image, Qt::yellow, QRect(5, 5, 10, 10)));

  image->SetTransparent(false);
  image->SetBitmapIndex(0);
  image->resize(40, 40);
  EXPECT_TRUE(AllOf(*image, Qt::red, QRect(10, 10, 20, 20)));
  image->SetCenter(false);
  EXPECT_TRUE(AllOf(*image, kFace, QRect(20, 0, 20, 40)));
  image->SetStretch(true);
  EXPECT_TRUE(AllOf(*image, Qt::red));
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

  // Moving to another list leaves the first one: its changes no longer resize.
  image.SetBitmapIndex(0);
  TBmBitmapList other;
  other.Bitmaps()->Add(Picture(30, 10, 0));
  image.SetBitmapList(&other);
  list->Bitmaps()->Clear();
  list->Bitmaps()->Add(Picture(7, 7, 0));
  EXPECT_EQ(image.size(), QSize(20, 20));
  image.SetBitmapList(list.get());
  list.reset();
  EXPECT_EQ(image.BitmapList(), nullptr);
  EXPECT_TRUE(AllOf(image, kFace));
}

}  // namespace
