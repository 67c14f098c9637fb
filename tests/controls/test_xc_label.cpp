#include "controls/xc_label.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

int CountPixels(const QImage& image, const QColor& color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == color.rgba()) ++n;
  return n;
}

TEST(XcLabelTest, AutoSizeMeasuresTextWithItsShadow) {
  TXcLabel label;
  label.SetShadowSize(0);
  label.SetCaption("Sh");
  const QFontMetrics metrics(label.font());
  const QSize plain = label.size();
  EXPECT_EQ(plain.width(), metrics.boundingRect(QRect(0, 0, 60, 17), 0, "Sh").width() + 2);
  EXPECT_EQ(plain.height(), metrics.height());
  label.SetShadowPos(spRightBottom);
  label.SetShadowSize(2);
  EXPECT_EQ(label.size(), plain + QSize(2, 2));
  label.SetShadowPos(spLeftTop);
  label.SetCaption("Sh ");
  label.SetCaption("Sh");
  EXPECT_EQ(label.size(), plain);  // a shadow up and left adds nothing
  label.SetCaption("&");           // measured with a blank after it, not as an empty text
  EXPECT_GT(label.width(), 2);

  // A right-justified label keeps its right edge.
  TXcLabel right;
  right.SetAlignment(taRightJustify);
  right.setGeometry(100, 10, 65, 17);
  right.SetCaption("Wide caption text");
  EXPECT_EQ(right.geometry().right(), 164);

  TXcLabel fixed;
  fixed.SetAutoSize(false);
  fixed.SetCaption("Some longer caption text");
  EXPECT_EQ(fixed.size(), QSize(65, 17));
}

TEST(XcLabelTest, DisabledLabelShowsAHighlightShadow) {
  TXcLabel label;
  QFont font = label.font();
  font.setStyleStrategy(QFont::NoAntialias);
  font.setPixelSize(14);
  label.setFont(font);
  label.SetColor(Qt::black);
  label.SetShadowSize(0);
  label.SetCaption("MMMM");
  const QImage enabled = label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(CountPixels(enabled, BtnHighlightColor()), 0);
  label.setEnabled(false);
  const QImage disabled = label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_GT(CountPixels(disabled, BtnHighlightColor()), 0);
  EXPECT_GT(CountPixels(disabled, GrayTextColor()), 0);
}

TEST(XcLabelTest, AcceleratorFocusesTheFocusControlAndMouseEvents) {
  QWidget window;
  window.resize(200, 100);
  auto* label = new TXcLabel(&window);
  auto* edit = new QLineEdit(&window);
  auto* other = new QLineEdit(&window);
  edit->move(0, 40);
  other->move(0, 70);
  label->SetCaption("&Name");
  label->SetFocusControl(edit);
  label->SetShowFocus(true);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  other->setFocus();
  QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
  EXPECT_TRUE(edit->hasFocus());

  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);  // a destroyed control is forgotten

  QSignalSpy clicks(label, &TXcLabel::OnClick);
  QSignalSpy enters(label, &TXcLabel::OnMouseEnter);
  QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(clicks.count(), 1);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(label, &leave);
  EXPECT_FALSE(label->MouseInside());
  QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)));
  QApplication::sendEvent(label, &enter);
  EXPECT_TRUE(label->MouseInside());
  EXPECT_EQ(enters.count(), 1);
}

}  // namespace
