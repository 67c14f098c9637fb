#include "controls/xc_label.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

QImage Render(TXcLabel& label) {
  return label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

bool Shows(TXcLabel& label, const QColor& color) {
  const QImage image = Render(label);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == color.rgba()) return true;
  return false;
}

// Where the label drew anything but its colour.
QRect Inked(TXcLabel& label) {
  const QImage image = Render(label);
  QRect found;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != label.Color().rgba()) found |= QRect(x, y, 1, 1);
  return found;
}

// A crisp font, so the colours drawn are exactly the ones asked for.
void SetCrispFont(TXcLabel& label) {
  QFont font = label.font();
  font.setStyleStrategy(QFont::NoAntialias);
  font.setPixelSize(14);
  label.setFont(font);
}

TEST(XcLabelTest, AutoSizeMeasuresTextWithItsShadow) {
  TXcLabel label;
  label.SetShadowSize(0);
  label.SetCaption("Sh");
  const QSize plain = label.size();
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
  SetCrispFont(label);
  label.SetColor(Qt::black);
  label.SetShadowSize(0);
  label.SetCaption("MMMM");
  EXPECT_FALSE(Shows(label, BtnHighlightColor()));
  label.setEnabled(false);
  EXPECT_TRUE(Shows(label, BtnHighlightColor()));
  EXPECT_TRUE(Shows(label, GrayTextColor()));
}

// The centred layout puts the text half-way between where the top and bottom layouts do.
TEST(XcLabelTest, CentredLayoutSitsHalfWayDown) {
  TXcLabel label;
  SetCrispFont(label);
  label.SetColor(Qt::white);
  label.SetShadowSize(0);
  label.SetCaption("MMMM");
  label.SetAutoSize(false);
  label.resize(120, 101);
  const QRect top = Inked(label);
  ASSERT_FALSE(top.isEmpty());
  label.SetLayout(tlBottom);
  const QRect bottom = Inked(label);
  ASSERT_GT(bottom.top(), top.top() + 60);
  label.SetLayout(tlCenter);
  EXPECT_EQ(Inked(label), top.translated(0, (bottom.top() - top.top()) / 2));
}

TEST(XcLabelTest, AcceleratorFocusesTheFocusControl) {
  QWidget window;
  auto* label = new TXcLabel(&window);
  auto* edit = new QLineEdit(&window);
  auto* other = new QLineEdit(&window);
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
}

}  // namespace
