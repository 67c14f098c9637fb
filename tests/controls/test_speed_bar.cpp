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

TEST(SpeedBarTest, OffsetsFollowTheMinimumOffset) {
  Host h;
  TSpeedBar* bar = h.bar;
  bar->SetOptions(sbFlatBtns);
  bar->SetBevelOuter(bvNone);
  bar->SetBtnOffsetHorz(1);
  bar->SetBtnOffsetVert(1);
  TSpeedItem* item = h.Add("A", 1, 1);
  EXPECT_EQ(item->Button()->pos(), QPoint(1, 1));
  EXPECT_TRUE(item->Button()->Flat());
  // Not flat: the offsets rise to 2 and the button with them.
  bar->SetOptions({});
  EXPECT_EQ(bar->BtnOffsetHorz(), 2);
  EXPECT_EQ(item->Button()->pos(), QPoint(2, 2));
  // A button never goes above the vertical offset of a horizontal bar.
  item->SetTop(0);
  EXPECT_EQ(item->Top(), 2);
}

TEST(SpeedBarTest, SectionsKeepUniqueCaptionsAndOwnTheirItems) {
  Host h;
  TSpeedBar* bar = h.bar;
  EXPECT_EQ(bar->AppendSection("Untitled (1)"), 1);
  EXPECT_EQ(bar->AppendSection("Untitled (1)"), 2);
  EXPECT_EQ(bar->Section(2)->Caption(), "Untitled (1) (2)");
  EXPECT_EQ(bar->FindSection("untitled (1)"), -1);
  EXPECT_EQ(bar->Section(5), nullptr);
  try {
    bar->Section(2)->SetCaption("Untitled (1)");
    FAIL() << "duplicate accepted";
  } catch (const ESpeedbarError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  bar->Section(2)->SetCaption("Files");

  QPointer<TSpeedItem> a = new TSpeedItem(&h.window);
  QPointer<TSpeedItem> b = new TSpeedItem(&h.window);
  bar->AddItem(99, a);  // beyond the last section: the last
  EXPECT_EQ(a->SectionName(), "Files");
  bar->AddItem(1, b);
  bar->Section(2)->SetIndex(-4);  // clamped to the first place
  EXPECT_EQ(bar->FindSection("Files"), 0);
  EXPECT_EQ(a->SectionIndex(), 0);
  EXPECT_EQ(b->SectionIndex(), 2);
  bar->AddItem(7, a);  // already on the bar: moved to the last section
  EXPECT_EQ(bar->Section(2)->Items(), (QList<TSpeedItem*>{b, a}));

  bar->DetachSection(2);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Bar(), nullptr);
  b->setProperty("SectionName", "Files");  // as read from a stream
  b->SetParentComponent(bar);
  EXPECT_EQ(b->SectionIndex(), 0);
  bar->DeleteSection(0);
  EXPECT_TRUE(b.isNull());
  // An item without sections creates one with an empty caption.
  TSpeedBar empty(&h.window);
  empty.AddItem(0, a);
  EXPECT_EQ(empty.Section(0)->Caption(), "");
  delete a.data();
  EXPECT_EQ(empty.ItemCount(), 0);
}

TEST(SpeedBarTest, DestroyingTheBarFreesItsSectionsAndItems) {
  QWidget window;
  auto* bar = new TSpeedBar(&window);
  bar->AppendSection("S");
  QPointer<TSpeedbarSection> section = bar->Section(0);
  QPointer<TSpeedItem> item = new TSpeedItem(&window);
  bar->AddItem(0, item);
  item->SetVisible(true);
  QPointer<TSpeedbarButton> button = item->Button();
  delete bar;
  EXPECT_TRUE(section.isNull());
  EXPECT_TRUE(item.isNull());
  EXPECT_TRUE(button.isNull());
}

TEST(SpeedBarTest, AlignmentAndOrientation) {
  Host h;
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  for (TAlign refused : {alNone, alClient}) {
    EXPECT_THROW(bar->SetAlign(refused), ESpeedbarError);
    EXPECT_EQ(bar->Align(), alTop);
  }
  bar->SetBtnWidth(30);
  bar->SetAlign(alLeft);
  EXPECT_EQ(bar->Orientation(), soVertical);
  EXPECT_EQ(b->Button()->geometry(), QRect(3, 27, 23, 30));
  EXPECT_EQ(bar->GridSize(), QSize(23, GridStep(30)));
  bar->SetAlign(alBottom);
  bar->SetAlign(alRight);
  EXPECT_EQ(bar->Orientation(), soVertical);
  bar->SetAlign(alBottom);
  EXPECT_EQ(a->Button()->geometry(), QRect(3, 3, 30, 23));
  EXPECT_EQ(b->Button()->geometry(), QRect(27, 3, 30, 23));
  bar->SetPosition(bpCustom);
  bar->SetAlign(alNone);  // allowed with a custom position; the orientation stays
  EXPECT_EQ(bar->Orientation(), soHorizontal);
}

TEST(SpeedBarTest, ItemsFollowTheBarsEnabledAndVisibleStates) {
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

  int changes = 0;
  bar->OnVisibleChanged = [&](QObject*) { ++changes; };
  b->SetVisible(false);
  bar->hide();
  a->SetVisible(true);
  EXPECT_TRUE(a->Button()->isHidden());
  bar->show();
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(a->Button()->isVisible());
  EXPECT_FALSE(b->Button()->isVisible());
  // An item without a bar never shows its button as a window.
  TSpeedItem loose;
  loose.SetVisible(true);
  EXPECT_FALSE(loose.Button()->isVisible());
}

TEST(SpeedBarTest, DownClickAndHint) {
  Host h;
  h.window.show();
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  a->SetDown(true);  // group 0: stays up
  EXPECT_FALSE(a->Down());
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  b->SetDown(true);
  QSignalSpy clicks(a, &TSpeedItem::OnClick);
  QTest::mouseClick(a->Button(), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(clicks.size(), 1);
  EXPECT_EQ(clicks.at(0).at(0).value<QObject*>(), a->Button());
  EXPECT_TRUE(a->Down());
  EXPECT_FALSE(b->Down());
  a->ButtonClick();
  EXPECT_EQ(clicks.size(), 2);

  TSpeedItem item;
  item.SetHint("Short|Long text");
  item.SetCaption("Other");
  EXPECT_EQ(item.Hint(), "Other|Long text");
  item.SetCaption("Tip|Status");
  item.SetCaption("New|");
  EXPECT_EQ(item.Hint(), "New|Status");

  // With a window as owner the hint follows only while it still shows the caption.
  b->SetCaption("One");
  EXPECT_EQ(b->Hint(), "One|");
  b->SetHint("Own hint");
  b->SetCaption("Two");
  EXPECT_EQ(b->Hint(), "Own hint");
  b->SetName("Two");  // a caption equal to the old name follows a rename
  b->SetName("Three");
  EXPECT_EQ(b->Caption(), "Three");
}

TEST(SpeedBarTest, ItemsSnapToTheGrid) {
  Host h;
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  // Half-way between grid points 8 and 16 along the bar: the even multiple.
  EXPECT_TRUE(bar->MoveItemTo(a, 3 + 12, 3 + 22));
  EXPECT_EQ(a->Button()->pos(), QPoint(3 + 16, 3));
  EXPECT_TRUE(bar->MoveItemTo(a, 3 + 4, 3));
  EXPECT_EQ(a->Left(), 3);
  EXPECT_FALSE(bar->MoveItemTo(a, 3 + 8, 200));
  EXPECT_FALSE(a->Visible());
  EXPECT_FALSE(bar->MoveItemTo(nullptr, 3, 3));

  TSpeedItem* b = h.Add("Bee", 30);
  bar->SnapAllItems();
  EXPECT_EQ(b->Left(), 27);
  EXPECT_EQ(bar->FindItemByName("bEE"), b);
  QStringList order;
  bar->ForEachItem([](void* data, TSpeedItem* item,
                      int) { *static_cast<QStringList*>(data) << item->objectName(); },
                   &order, 7);
  EXPECT_EQ(order, (QStringList{"A", "Bee"}));
  bar->ForEachItem(nullptr, nullptr, 0);
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
  // The frame: the bar's own rectangle while the side is refused, else the bottom edge.
  const QRect top(h.window.mapToGlobal(QPoint(0, 0)), QSize(400, 29));
  const QRect bottom(h.window.mapToGlobal(QPoint(0, 271)), QSize(400, 29));
  auto drag = [&] {
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(200, 10));
    for (int step = 0; step < 2; ++step) {
      QMouseEvent move(QEvent::MouseMove, QPointF(200, 290), bar->mapToGlobal(QPointF(200, 290)),
                       Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(bar, &move);
    }
    EXPECT_EQ(bar->DragRect(), accept ? bottom : top);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(200, 290));
    EXPECT_TRUE(bar->DragRect().isEmpty());
  };
  drag();
  EXPECT_EQ(bar->Align(), alTop);
  accept = true;
  drag();
  EXPECT_EQ(bar->geometry(), QRect(0, 271, 400, 29));
  EXPECT_EQ(moved, 2);
  // A short move is no drag.
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(200, 10));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(202, 12));
  EXPECT_EQ(moved, 2);
}

TEST(SpeedBarTest, AlignPlacesTheBarAtItsParentsEdge) {
  QWidget parent;
  parent.resize(400, 300);
  auto edgeBar = [&](TAlign align, int width) {
    auto* bar = new TSpeedBar(&parent);
    bar->SetPosition(bpCustom);
    bar->SetAlign(align);
    bar->resize(width, 29);
    return bar;
  };
  TSpeedBar* left = edgeBar(alLeft, 100);
  TSpeedBar* right = edgeBar(alRight, 80);
  TSpeedBar* next = edgeBar(alLeft, 50);
  auto* top = new TSpeedBar(&parent);  // alTop by default
  EXPECT_EQ(top->geometry(), QRect(0, 0, 400, 29));
  EXPECT_EQ(left->geometry(), QRect(0, 29, 100, 271));
  EXPECT_EQ(next->geometry(), QRect(100, 29, 50, 271));
  EXPECT_EQ(right->geometry(), QRect(320, 29, 80, 271));
  parent.show();
  parent.resize(500, 200);
  EXPECT_EQ(right->geometry(), QRect(420, 29, 80, 171));
  // Each bound line takes 2 pixels off the bar's client area.
  top->SetBoundLines(blTop | blRight);
  EXPECT_EQ(top->contentsRect(), top->rect().adjusted(0, 2, -2, 0));
}

TEST(SpeedBarTest, LayoutIsSavedAndRestoredThroughThePlacement) {
  Host h;
  TSpeedBar* bar = h.bar;
  bar->SetOptions(sbAllowDrag);
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  TSpeedItem* hidden = h.Add("Hidden", 51);
  hidden->SetVisible(false);
  TSpeedItem* unstored = h.Add("Unstored", 75);
  unstored->SetStored(false);
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
  IniWriteString(settings, section, "Button4", "Hidden,0,40");
  IniWriteInteger(settings, section, "Count", 4);
  IniWriteInteger(settings, section, "Position", 99);  // no alignment: top
  bar->SetAlign(alBottom);
  a->SetLeft(51);
  b->SetLeft(75);
  bar->RestoreLayout();
  EXPECT_EQ(bar->Align(), alTop);
  EXPECT_EQ(a->Left(), 3);
  EXPECT_EQ(b->Left(), 75);
  EXPECT_EQ(hidden->Left(), 3);  // raised to the offsets
  EXPECT_EQ(hidden->Top(), 40);
  EXPECT_TRUE(hidden->Visible());
  EXPECT_FALSE(unstored->Visible());

  // An older stored layout is ignored.
  bar->SetVersion(3);
  a->SetLeft(99);
  bar->RestoreLayout();
  EXPECT_EQ(a->Left(), 99);
  placement->CloseSettings();
}

}  // namespace
