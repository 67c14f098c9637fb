#include "controls/speed_bar.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Sb;

namespace {

// A window holding one bar with one section.
struct Host {
  QWidget window;
  TSpeedBar* bar;
  Host() {
    window.resize(400, 300);
    bar = new TSpeedBar(&window);
    bar->setObjectName("SpeedBar1");
    bar->AppendSection("Untitled (1)");
  }
  TSpeedItem* Add(const QString& name, int left, int top = 3) {
    auto* item = new TSpeedItem(&window);
    item->SetName(name);
    bar->AddItem(0, item);
    item->SetLeft(left);
    item->SetTop(top);
    item->SetVisible(true);
    return item;
  }
};

TEST(SpeedBarTest, GridStepsAndDragTargets) {
  const int steps[][2] = {{23, 1}, {1, 1}, {24, 8}, {25, 5}};
  for (const auto& [size, step] : steps) EXPECT_EQ(GridStep(size), step) << size;
  const struct {
    QPoint at;
    TAlign align;
  } targets[] = {
      {{100, 10}, alTop},   {{100, 90}, alBottom}, {{10, 50}, alLeft},
      {{190, 50}, alRight}, {{100, 50}, alBottom},  // on both diagonals: below them
      {{40, 20}, alLeft},
  };
  for (const auto& row : targets) EXPECT_EQ(DragTargetAlign(row.at, {200, 100}), row.align);
}

TEST(SpeedBarTest, SectionsKeepUniqueCaptionsAndOwnTheirItems) {
  Host h;
  TSpeedBar* bar = h.bar;
  EXPECT_EQ(bar->AppendSection("Untitled (1)"), 1);
  EXPECT_EQ(bar->Section(1)->Caption(), "Untitled (1) (1)");
  EXPECT_EQ(bar->Section(5), nullptr);
  try {
    bar->Section(1)->SetCaption("Untitled (1)");
    FAIL() << "duplicate accepted";
  } catch (const ESpeedbarError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  bar->Section(1)->SetCaption("Files");
  QPointer<TSpeedItem> a = new TSpeedItem(&h.window);
  QPointer<TSpeedItem> b = h.Add("B", 3);
  QPointer<TSpeedbarButton> button = b->Button();
  bar->AddItem(99, a);            // beyond the last section: the last
  bar->Section(1)->SetIndex(-4);  // clamped to the first place
  EXPECT_EQ(a->SectionIndex(), 0);

  bar->DetachSection(0);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Bar(), nullptr);
  // An item without sections creates one with an empty caption.
  TSpeedBar empty(&h.window);
  empty.AddItem(0, a);
  EXPECT_EQ(empty.Section(0)->Caption(), "");
  delete a.data();
  EXPECT_EQ(empty.ItemCount(), 0);
  // The bar frees its sections and items, the items their buttons.
  QPointer<TSpeedbarSection> section = bar->Section(0);
  delete bar;
  EXPECT_TRUE(section.isNull() && b.isNull() && button.isNull());
}

TEST(SpeedBarTest, AlignmentOrientationAndOffsets) {
  Host h;
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  for (TAlign refused : {alNone, alClient}) {
    EXPECT_THROW(bar->SetAlign(refused), ESpeedbarError);
    EXPECT_EQ(bar->Align(), alTop);
  }
  bar->SetBtnWidth(30);
  bar->SetAlign(alRight);
  EXPECT_EQ(bar->Orientation(), soVertical);
  EXPECT_EQ(b->Button()->geometry(), QRect(3, 27, 23, 30));
  bar->SetAlign(alBottom);
  bar->SetPosition(bpCustom);
  bar->SetAlign(alNone);  // allowed with a custom position; the orientation stays
  EXPECT_EQ(bar->Orientation(), soHorizontal);

  SCOPED_TRACE("offsets");
  bar->SetOptions(sbFlatBtns);
  bar->SetBevelOuter(bvNone);
  bar->SetBtnOffsetHorz(1);
  bar->SetBtnOffsetVert(1);
  a->SetLeft(1);
  a->SetTop(1);
  EXPECT_EQ(a->Button()->pos(), QPoint(1, 1));
  // Not flat: the offsets rise to 2 and the button with them.
  bar->SetOptions({});
  EXPECT_EQ(a->Button()->pos(), QPoint(2, 2));
  // A button never goes above the vertical offset of a horizontal bar.
  a->SetTop(0);
  EXPECT_EQ(a->Top(), 2);
}

TEST(SpeedBarTest, ItemsFollowTheBarAndItsGrid) {
  Host h;
  h.window.show();
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  b->SetEnabled(false);
  bar->setEnabled(false);
  a->SetEnabled(true);  // set while the bar is disabled: stays greyed
  EXPECT_FALSE(a->Button()->isEnabled());
  bar->setEnabled(true);
  EXPECT_TRUE(a->Button()->isEnabled());
  EXPECT_FALSE(b->Button()->isEnabled());

  b->SetVisible(false);
  bar->hide();
  a->SetVisible(true);
  EXPECT_TRUE(a->Button()->isHidden());
  bar->show();
  EXPECT_TRUE(a->Button()->isVisible());
  EXPECT_FALSE(b->Button()->isVisible());
  // An item without a bar never shows its button as a window.
  TSpeedItem loose;
  loose.SetVisible(true);
  EXPECT_FALSE(loose.Button()->isVisible());

  SCOPED_TRACE("grid");
  // Half-way between grid points 8 and 16 along the bar: the even multiple.
  EXPECT_TRUE(bar->MoveItemTo(a, 3 + 12, 3 + 22));
  EXPECT_EQ(a->Button()->pos(), QPoint(3 + 16, 3));
  EXPECT_FALSE(bar->MoveItemTo(a, 3 + 8, 200));
  EXPECT_FALSE(a->Visible());
  EXPECT_FALSE(bar->MoveItemTo(nullptr, 3, 3));
  b->SetVisible(true);
  b->SetLeft(30);
  bar->SnapAllItems();
  EXPECT_EQ(b->Left(), 27);
  bar->ForEachItem(nullptr, nullptr, 0);

  SCOPED_TRACE("click and hint");
  a->SetVisible(true);
  QSignalSpy clicks(a, &TSpeedItem::OnClick);
  QTest::mouseClick(a->Button(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.size(), 1);

  // With a window as owner the hint follows only while it still shows the caption.
  b->SetCaption("One");
  b->SetHint("One|Long");
  b->SetCaption("Two");
  EXPECT_EQ(b->Hint(), "Two|Long");
  b->SetCaption("Three|");
  EXPECT_EQ(b->Hint(), "Three|Long");
  b->SetHint("Own hint");
  b->SetCaption("Four");
  EXPECT_EQ(b->Hint(), "Own hint");
}

TEST(SpeedBarTest, DraggingMovesTheBarToTheEdgeUnlessRefused) {
  Host h;
  h.window.show();
  TSpeedBar* bar = h.bar;
  bar->setGeometry(0, 0, 400, 29);
  int moved = 0;
  bar->OnPosChanged = [&](QObject*) { ++moved; };
  bool accept = false;
  bar->OnApplyAlign = [&](QObject*, TAlign align, bool& apply) {
    EXPECT_EQ(align, alBottom);
    apply = accept;
  };
  auto drag = [&] {
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(200, 10));
    for (int step = 0; step < 2; ++step) {
      QMouseEvent move(QEvent::MouseMove, QPointF(200, 290), bar->mapToGlobal(QPointF(200, 290)),
                       Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(bar, &move);
    }
    // The frame: the bar's own place while the side is refused, else the bottom edge.
    EXPECT_EQ(bar->DragRect().top(), h.window.mapToGlobal(QPoint(0, accept ? 271 : 0)).y());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(200, 290));
  };
  drag();
  EXPECT_EQ(bar->Align(), alTop);
  accept = true;
  drag();
  EXPECT_EQ(bar->geometry(), QRect(0, 271, 400, 29));
  EXPECT_EQ(moved, 2);
}

TEST(SpeedBarTest, LayoutIsSavedAndRestoredThroughThePlacement) {
  Host h;
  TSpeedBar* bar = h.bar;
  bar->SetOptions(sbAllowDrag);
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  h.Add("Unstored", 75)->SetStored(false);
  auto* placement = new TFormPlacement(&h.window);
  placement->SetIniFileName("speedbar_test.ini");
  bar->SetIniStorage(placement);
  bar->SetVersion(2);

  placement->OpenSettings(false);
  bar->SaveLayout();
  TSettingsObject* settings = placement->SettingsObject();
  ASSERT_NE(settings, nullptr);
  const QString section = placement->IniSectionAsSet() + GetDefaultSection(bar);
  const char* saved[][2] = {{"Position", "1"},     {"Width", "29"},     {"Version", "2"},
                            {"BtnWidth", "24"},    {"BtnHeight", "23"}, {"Button1", "A,3,3"},
                            {"Button2", "B,27,3"}, {"Count", "2"}};
  for (const auto& [ident, value] : saved)
    EXPECT_EQ(IniReadString(settings, section, ident, "<none>"), value) << ident;

  IniWriteString(settings, section, "Button2", "b x");  // no numbers: the item keeps its place
  IniWriteString(settings, section, "Button3", "Nobody,1,1");
  IniWriteInteger(settings, section, "Count", 3);
  IniWriteInteger(settings, section, "Position", 99);  // no alignment: top
  bar->SetAlign(alBottom);
  a->SetLeft(51);
  b->SetLeft(75);
  bar->SetVersion(3);  // an older stored layout is ignored
  bar->RestoreLayout();
  EXPECT_EQ(bar->Align(), alBottom);
  bar->SetVersion(2);
  bar->RestoreLayout();
  EXPECT_EQ(bar->Align(), alTop);
  EXPECT_EQ(a->Left(), 3);
  EXPECT_TRUE(a->Visible());
  EXPECT_EQ(b->Left(), 75);
  placement->CloseSettings();
}

}  // namespace
