#include "controls/xc_label.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

bool Shows(TXcLabel& label, const QColor& color) {
  const QImage image = label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == color.rgba()) return true;
  return false;
}

TEST(XcLabelTest, AutoSizeMeasuresTextWithItsShadow) {
  TXcLabel label;
  label.SetShadowSize(0);
  label.SetCaption("Sh");
  const QFontMetrics metrics(label.font());
  const QSize plain = label.size();
  EXPECT_EQ(plain, QSize(metrics.boundingRect(QRect(0, 0, 60, 17), 0, "Sh").width() + 2,
                         metrics.height()));
  label.SetShadowPos(spRightBottom);
  label.SetShadowSize(2);
  EXPECT_EQ(label.size(), plain + QSize(2, 2));
  label.SetCaption("&");  // measured with a blank after it, not as an empty text
  EXPECT_GT(label.width(), 4);
  label.SetAlignment(taRightJustify);  // keeps its right edge
  const int right = label.geometry().right();
  label.SetCaption("Wide caption");
  EXPECT_EQ(label.geometry().right(), right);
  label.SetAutoSize(false);
  label.SetCaption("Sh");
  EXPECT_GT(label.width(), plain.width() + 2);
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
  EXPECT_FALSE(Shows(label, BtnHighlightColor()));
  label.setEnabled(false);
  EXPECT_TRUE(Shows(label, BtnHighlightColor()));
  EXPECT_TRUE(Shows(label, GrayTextColor()));
}

TEST(XcLabelTest, AcceleratorFocusesTheFocusControlAndMouseEvents) {
  QWidget window;
  auto* label = new TXcLabel(&window);
  auto* edit = new QLineEdit(&window);
  auto* other = new QLineEdit(&window);
  edit->move(0, 40);
  label->SetCaption("&Name");
  label->SetFocusControl(edit);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  other->setFocus();
  QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
  EXPECT_TRUE(edit->hasFocus());
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);  // a destroyed control is forgotten

  QSignalSpy clicks(label, &TXcLabel::OnClick);
  QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(clicks.count(), 1);
  QSignalSpy enters(label, &TXcLabel::OnMouseEnter);
  QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)));
  QApplication::sendEvent(label, &enter);
  EXPECT_EQ(enters.count(), 1);
}

}  // namespace
