#include <gtest/gtest.h>
#include <QApplication>
#include <QPainter>
#include <QShortcutEvent>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "controls/bm_bitmap_image.h"
#include "controls/bm_shadow_button.h"
#include "controls/xc_cursors.h"

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
  EXPECT_EQ(image.size(), QSize(105, 105));
  EXPECT_TRUE(image.Center());
  EXPECT_FALSE(image.Stretch());
  EXPECT_FALSE(image.Transparent());
  EXPECT_EQ(image.BitmapIndex(), -1);
  EXPECT_EQ(image.BitmapList(), nullptr);
  EXPECT_EQ(image.property("Version").toString(), "1.2");

  image.SetColor(kFace);
  image.resize(20, 20);
  image.SetBitmapList(&list);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), kFace));  // index -1
  image.SetBitmapIndex(3);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), QColor(30, 100, 200)));
  image.SetBitmapIndex(17);  // the last picture, 80 wide, centred at x = -30
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), QColor(0, 250, 0)));
  image.SetBitmapIndex(18);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), kFace));
  image.SetBitmapIndex(-5);
  EXPECT_TRUE(AllOf(Rendered(image), image.rect(), kFace));
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
  EXPECT_TRUE(AllOf(shown, QRect(50, 0, 30, 20), kFace));

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

TEST(BmDrawShapeTest, ShapesCoverTheirBoxAndSquaresAreCentred) {
  auto draw = [](int shape, int penWidth, QRect box) {
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter canvas(&image);
    canvas.setPen(QPen(Qt::black, penWidth));
    canvas.setBrush(Qt::black);
    DrawShape(canvas, shape, box.x(), box.y(), box.width(), box.height());
    return image;
  };
  auto blackArea = [](const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) == Qt::black) area |= QRect(x, y, 1, 1);
    return area;
  };
  EXPECT_EQ(blackArea(draw(0, 1, QRect(2, 3, 10, 6))), QRect(2, 3, 10, 6));
  EXPECT_TRUE(AllOf(draw(0, 1, QRect(2, 3, 10, 6)), QRect(2, 3, 10, 6), Qt::black));
  EXPECT_EQ(blackArea(draw(1, 1, QRect(2, 3, 10, 6))), QRect(4, 3, 6, 6));
  EXPECT_EQ(blackArea(draw(0, 0, QRect(2, 3, 10, 6))), QRect(2, 3, 9, 5));
  EXPECT_EQ(blackArea(draw(4, 1, QRect(0, 0, 30, 20))), QRect(0, 0, 30, 20));
  EXPECT_EQ(blackArea(draw(5, 1, QRect(0, 0, 30, 20))), QRect(5, 0, 20, 20));
  // Rounded shapes leave their corners; the square one is centred too.
  const QImage round = draw(3, 1, QRect(0, 0, 30, 20));
  EXPECT_EQ(blackArea(round), QRect(5, 0, 20, 20));
  EXPECT_EQ(round.pixelColor(5, 0), Qt::white);
  EXPECT_EQ(round.pixelColor(15, 0), Qt::black);
  EXPECT_EQ(blackArea(draw(6, 1, QRect(0, 0, 30, 20))), QRect());
  EXPECT_EQ(blackArea(draw(-1, 1, QRect(0, 0, 30, 20))), QRect());
}

class BmShadowButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    button = new TBmShadowButton(&window);
    button->move(10, 10);
    button->SetCaption(QString::fromUtf8("ОК"));
  }
  QWidget window;
  TBmShadowButton* button = nullptr;
};

TEST_F(BmShadowButtonTest, DefaultsAndPropertyRules) {
  EXPECT_EQ(button->size(), QSize(110, 30));
  EXPECT_EQ(button->Depth(), 4);
  EXPECT_EQ(button->DepthAdjust(), 2);
  EXPECT_EQ(button->Style(), TBmShadowButtonStyle::ssRoundRect);
  EXPECT_EQ(button->Direction(), TBmShadowDirection::sdBottomRight);
  EXPECT_EQ(button->TextAlign(), TBmTextAlignment::btaCenter);
  EXPECT_EQ(button->Brush().color(), QColor(Qt::black));
  EXPECT_EQ(button->Pen().color(), QColor(0, 255, 0));
  EXPECT_EQ(button->FontColor(), QColor(Qt::white));
  EXPECT_TRUE(button->ParentColor());
  EXPECT_FALSE(button->Transparent());

  button->SetDepth(5);
  button->SetDepth(2);
  EXPECT_EQ(button->Depth(), 5);
  // Face: client less pen (1) and depth on the shadow's sides, less the pen again.
  EXPECT_EQ(button->FaceRect(), QRect(2, 2, 110 - 2 - 5 - 2, 30 - 2 - 5 - 2));
  button->SetDirection(TBmShadowDirection::sdTopLeft);
  EXPECT_EQ(button->FaceRect(), QRect(2 + 5, 2 + 5, 101, 21));
}

TEST_F(BmShadowButtonTest, PaintsFaceOverShadowAndPressMovesTheFace) {
  button->SetStyle(TBmShadowButtonStyle::ssRectangle);
  button->SetCaption(QString());
  button->SetShadowColor(Qt::blue);
  button->SetShadowOutline(Qt::blue);
  button->SetColor(kFace);
  const QColor green(0, 255, 0);
  QImage shown = Rendered(*button);
  // Face outline at (1, 1), 104 x 24; the shadow 4 further right and down.
  EXPECT_EQ(shown.pixelColor(0, 0), kFace);
  EXPECT_EQ(shown.pixelColor(1, 1), green);
  EXPECT_EQ(shown.pixelColor(104, 24), green);
  EXPECT_EQ(shown.pixelColor(50, 12), QColor(Qt::black));
  EXPECT_EQ(shown.pixelColor(107, 27), QColor(Qt::blue));
  EXPECT_EQ(shown.pixelColor(3, 27), kFace);
  EXPECT_EQ(shown.pixelColor(5, 27), QColor(Qt::blue));

  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(50, 12));
  EXPECT_TRUE(button->Pressed());
  shown = Rendered(*button);
  // The face moves 2 into the shadow, the shadow 2 back under it.
  EXPECT_EQ(shown.pixelColor(2, 2), kFace);
  EXPECT_EQ(shown.pixelColor(3, 3), green);
  EXPECT_EQ(shown.pixelColor(106, 26), green);
  EXPECT_EQ(shown.pixelColor(107, 27), kFace);
  EXPECT_EQ(button->FaceRect(), QRect(4, 4, 102, 22));
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 12));
}

TEST_F(BmShadowButtonTest, CaptionUsesFontColourOrDisabledColour) {
  button->SetColor(kFace);
  button->SetCaption(QStringLiteral("WWWWWWWW"));
  auto hasColour = [](const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) == colour) return true;
    return false;
  };
  EXPECT_TRUE(hasColour(Rendered(*button), Qt::white));
  button->SetDisabledTextColor(Qt::red);
  button->setEnabled(false);
  const QImage disabled = Rendered(*button);
  EXPECT_FALSE(hasColour(disabled, Qt::white));
  EXPECT_TRUE(hasColour(disabled, Qt::red));
}

TEST_F(BmShadowButtonTest, ClicksFireOnceOnlyForReleasesOverTheFace) {
  QSignalSpy clicks(button, &TBmShadowButton::OnClick);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 12));
  ASSERT_EQ(clicks.size(), 1);
  EXPECT_EQ(clicks[0][0].value<QObject*>(), button);
  EXPECT_FALSE(button->Pressed());

  // Press, drag off, release: nothing.
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(50, 12));
  QTest::mouseMove(button, QPoint(108, 28));
  EXPECT_FALSE(button->Pressed());
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(108, 28));
  EXPECT_EQ(clicks.size(), 1);

  // Dragging back on before the release still clicks.
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(50, 12));
  QTest::mouseMove(button, QPoint(108, 28));
  QTest::mouseMove(button, QPoint(50, 12));
  EXPECT_TRUE(button->Pressed());
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 12));
  EXPECT_EQ(clicks.size(), 2);

  // On the shadow only, or with the right button: nothing.
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(108, 28));
  QTest::mouseClick(button, Qt::RightButton, {}, QPoint(50, 12));
  EXPECT_EQ(clicks.size(), 2);

  // A double click presses again rather than being lost.
  auto send = [&](QEvent::Type type) {
    QMouseEvent event(type, QPointF(50, 12), button->mapToGlobal(QPointF(50, 12)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
    QApplication::sendEvent(button, &event);
  };
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
    send(type);
  EXPECT_EQ(clicks.size(), 4);

  button->setEnabled(false);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 12));
  EXPECT_EQ(clicks.size(), 4);
}

TEST_F(BmShadowButtonTest, AcceleratorClicksWhileEnabled) {
  button->SetCaption(QStringLiteral("&Start"));
  QSignalSpy clicks(button, &TBmShadowButton::OnClick);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(clicks.size(), 1);
  button->setEnabled(false);
  QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(clicks.size(), 1);
}

TEST(BmCursorTest, HandPointIsRegisteredAsNumber99) {
  RegisterBmCursors();
  RegisterBmCursors();
  EXPECT_TRUE(CursorRegistry::Contains(99));
  EXPECT_EQ(CursorRegistry::NameOf(99), "BMCURSORHANDPOINT");
  EXPECT_FALSE(CursorRegistry::ByName("BMCURSORHANDPOINT").pixmap().isNull());
}

}  // namespace
