#include "controls/xc_speed_button.h"

#include <QDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Xc;

// A window holding buttons.
struct Host {
  QWidget window;
  TXcSpeedButton* Add(int x, int y) {
    auto* b = new TXcSpeedButton(&window);
    b->move(x, y);
    return b;
  }
  bool Show() {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
  }
};

TEST(XcSpeedButtonTest, RefusedValuesAndGroups) {
  QWidget parent;
  QWidget other;
  TXcSpeedButton a(&parent), b(&parent), c(&parent), elsewhere(&other);
  a.SetMargin(-2);
  EXPECT_EQ(a.Margin(), -1);
  a.SetNumGlyphs(9);
  a.SetNumGlyphs(0);
  EXPECT_EQ(a.NumGlyphs(), 5);
  a.SetDown(true);
  EXPECT_FALSE(a.Down());  // no group: never down

  for (TXcSpeedButton* x : {&a, &b, &c, &elsewhere}) x->SetGroupIndex(1);
  c.SetGroupIndex(2);
  for (TXcSpeedButton* x : {&a, &c, &elsewhere, &b}) x->SetDown(true);
  EXPECT_FALSE(a.Down());
  EXPECT_TRUE(c.Down());          // another group
  EXPECT_TRUE(elsewhere.Down());  // another parent
  b.SetDown(false);
  EXPECT_TRUE(b.Down());  // released only with AllowAllUp
  a.SetAllowAllUp(true);  // the group takes it
  b.SetDown(false);
  EXPECT_FALSE(b.Down());
}

TEST(XcSpeedButtonTest, ClicksGroupsAndDoubleClicks) {
  Host host;
  TXcSpeedButton* a = host.Add(0, 0);
  TXcSpeedButton* b = host.Add(30, 0);
  ASSERT_TRUE(host.Show());
  QSignalSpy clicks(a, &TXcSpeedButton::OnClick);
  QSignalSpy downs(a, &TXcSpeedButton::OnMouseDown);
  QSignalSpy doubles(a, &TXcSpeedButton::OnDblClick);
  QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(downs.count(), 1);
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, a->height()));  // bottom edge counts
  EXPECT_EQ(clicks.count(), 1);
  QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(a->width(), 5));  // right edge does not
  EXPECT_EQ(clicks.count(), 1);
  QTest::mouseDClick(a, Qt::LeftButton, {}, QPoint(5, 5));  // never down: no double click
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(doubles.count(), 0);

  SCOPED_TRACE("group");
  a->SetGroupIndex(3);
  b->SetGroupIndex(3);
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  // A press released outside leaves a down button exclusive.
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(50, 5));
  EXPECT_EQ(b->PaintState(), bpsExclusive);
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseDClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(doubles.count(), 1);
}

TEST(XcSpeedButtonTest, HeldButtonRepeatsItsClickOnlyWithTheTimer) {
  Host host;
  TXcSpeedButton* b = host.Add(10, 10);
  b->SetInitPause(30);
  b->SetRepeatInterval(10);
  ASSERT_TRUE(host.Show());
  QSignalSpy clicks(b, &TXcSpeedButton::OnClick);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(clicks.wait(100));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
  b->SetAllowTimer(true);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  while (clicks.count() < 4) ASSERT_TRUE(clicks.wait(2000));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  const int afterRelease = clicks.count();
  EXPECT_FALSE(clicks.wait(100));
  EXPECT_EQ(clicks.count(), afterRelease);
}

TEST(XcSpeedButtonTest, DropDownMenuPointsAndLoss) {
  const struct {
    TXcDropDownMenuPos pos;
    Qt::Alignment align;
    QPoint at;
  } rows[] = {
      {dmpBottom, Qt::AlignLeft, {-1, 23}},    {dmpBottom, Qt::AlignRight, {25, 23}},
      {dmpBottom, Qt::AlignHCenter, {12, 23}}, {dmpRight, Qt::AlignLeft, {24, -1}},
      {dmpRight, Qt::AlignRight, {-1, -1}},    {dmpRight, Qt::AlignHCenter, {12, 23}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(TXcSpeedButton::DropDownMenuPoint(row.pos, row.align, {24, 23}), row.at);
  TXcSpeedButton b;
  auto* dropped = new QMenu;
  b.SetDropDownMenu(dropped);
  delete dropped;
  EXPECT_EQ(b.DropDownMenu(), nullptr);  // a destroyed menu is forgotten
}

TEST(XcSpeedButtonTest, ClickSetsTheDialogResultAndAcceleratorClicks) {
  QDialog dialog;
  auto* ok = new TXcSpeedButton(&dialog);
  ok->SetModalResult(2);
  ok->SetCaption("&Go");
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QSignalSpy clicks(ok, &TXcSpeedButton::OnClick);
  QTest::keyClick(&dialog, Qt::Key_G, Qt::AltModifier);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(dialog.result(), 2);
}

}  // namespace
