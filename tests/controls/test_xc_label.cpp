#include "controls/xc_label.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

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
