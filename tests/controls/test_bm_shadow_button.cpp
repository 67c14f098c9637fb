#include "controls/bm_shadow_button.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kFace(192, 192, 192);

QImage Rendered(QWidget& w) {
  return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The shapes by number in a 30 x 20 box (or 10 x 6 at (2, 3)): the black area each covers.
TEST(BmShadowButtonTest, ShapesTable) {
  const struct {
    int shape, penWidth;
    QRect box, black;
  } rows[] = {
      {1, 1, {2, 3, 10, 6}, {4, 3, 6, 6}},
      {0, 0, {2, 3, 10, 6}, {2, 3, 9, 5}},
      {2, 1, {0, 0, 30, 20}, {0, 0, 30, 20}},
      {3, 1, {0, 0, 30, 20}, {5, 0, 20, 20}},
      {4, 1, {0, 0, 30, 20}, {0, 0, 30, 20}},
      {5, 1, {0, 0, 30, 20}, {5, 0, 20, 20}},
      {6, 1, {0, 0, 30, 20}, {}},
      {-1, 1, {0, 0, 30, 20}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shape);
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter canvas(&image);
    canvas.setPen(QPen(Qt::black, row.penWidth));
    canvas.setBrush(Qt::black);
    const QRect& box = row.box;
    DrawShape(canvas, row.shape, box.x(), box.y(), box.width(), box.height());
    canvas.end();
    QRect area;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) == Qt::black) area |= QRect(x, y, 1, 1);
    EXPECT_EQ(area, row.black);
    // Rounded shapes leave their corners.
    if (row.shape == 2 || row.shape == 3) {
      EXPECT_EQ(image.pixelColor(row.black.topLeft()), Qt::white);
    }
  }
}

bool HasColour(const QImage& image, const QColor& colour) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == colour) return true;
  return false;
}

TEST(BmShadowButtonTest, PaintsFaceOverShadowAndPressMovesTheFace) {
  TBmShadowButton button;
  button.SetStyle(TBmShadowButtonStyle::ssRectangle);
  button.SetShadowColor(Qt::blue);
  button.SetShadowOutline(Qt::blue);
  button.SetColor(kFace);
  const QColor green(0, 255, 0);
  QImage shown = Rendered(button);
  // Face outline at (1, 1), 104 x 24; the shadow 4 further right and down.
  EXPECT_EQ(shown.pixelColor(1, 1), green);
  EXPECT_EQ(shown.pixelColor(107, 27), QColor(Qt::blue));

  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(50, 12));
  shown = Rendered(button);
  // The face moves 2 into the shadow, the shadow 2 back under it.
  EXPECT_EQ(shown.pixelColor(3, 3), green);
  EXPECT_EQ(shown.pixelColor(107, 27), kFace);
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(50, 12));
  button.SetDepth(5);
  button.SetDepth(2);  // below the least depth: kept
  button.SetDirection(TBmShadowDirection::sdTopLeft);
  EXPECT_EQ(button.FaceRect(), QRect(2 + 5, 2 + 5, 101, 21));

  SCOPED_TRACE("caption in the font colour, or the disabled colour");
  button.SetCaption(QStringLiteral("WWWWWWWW"));
  button.SetDisabledTextColor(Qt::red);
  button.setEnabled(false);
  EXPECT_TRUE(HasColour(Rendered(button), Qt::red));
}

TEST(BmShadowButtonTest, ClicksFireOnceOnlyForReleasesOverTheFace) {
  QWidget window;
  auto* button = new TBmShadowButton(&window);
  QSignalSpy clicks(button, &TBmShadowButton::OnClick);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 12));
  EXPECT_EQ(clicks.size(), 1);

  // Dragging off unpresses; dragging back on before the release still clicks.
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(50, 12));
  QTest::mouseMove(button, QPoint(108, 28));
  EXPECT_FALSE(button->Pressed());
  QTest::mouseMove(button, QPoint(50, 12));
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 12));
  EXPECT_EQ(clicks.size(), 2);

  // On the shadow only: nothing.
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(108, 28));
  EXPECT_EQ(clicks.size(), 2);

  // A double click presses again rather than being lost.
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, QPointF(50, 12), button->mapToGlobal(QPointF(50, 12)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
    QApplication::sendEvent(button, &event);
  }
  EXPECT_EQ(clicks.size(), 4);

  // The accelerator clicks only while enabled.
  button->SetCaption(QStringLiteral("&Start"));
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(clicks.size(), 5);
  button->setEnabled(false);
  QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(clicks.size(), 5);
}

}  // namespace
