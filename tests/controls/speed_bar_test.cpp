#include "controls/speed_bar.h"

#include <gtest/gtest.h>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

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

TEST(SpeedBarTest, NewBarDefaultsAndGridSteps) {
  QWidget window;
  TSpeedBar bar(&window);
  EXPECT_EQ(bar.height(), 29);
  EXPECT_EQ(bar.BtnOffsetHorz(), 3);
  EXPECT_EQ(bar.BtnOffsetVert(), 3);
  EXPECT_EQ(bar.BtnWidth(), 24);
  EXPECT_EQ(bar.BtnHeight(), 23);
  EXPECT_EQ(bar.GridSize(), QSize(8, 23));
  EXPECT_EQ(bar.Options(), sbAllowDrag | sbGrayedBtns);
  EXPECT_EQ(bar.Position(), bpAuto);
  EXPECT_EQ(bar.Align(), alTop);
  EXPECT_EQ(bar.BevelOuter(), bvRaised);
  EXPECT_EQ(bar.BoundLines(), TBoundLines());
  EXPECT_EQ(bar.Version(), 0);
  EXPECT_TRUE(bar.ShowHint());
  EXPECT_FALSE(bar.ParentShowHint());
  EXPECT_FALSE(bar.ParentFont());
  EXPECT_EQ(bar.SectionCount(), 0);

  EXPECT_EQ(GridStep(23), 1);
  EXPECT_EQ(GridStep(1), 1);
  EXPECT_EQ(GridStep(24), 8);
  EXPECT_EQ(GridStep(25), 5);
  bar.SetBtnWidth(25);
  EXPECT_EQ(bar.GridSize(), QSize(5, 23));

  TSpeedItem item;
  EXPECT_EQ(item.ImageIndex(), -1);
  EXPECT_EQ(item.Layout(), Xc::blGlyphTop);
  EXPECT_EQ(item.Margin(), -1);
  EXPECT_TRUE(item.MarkDropDown());
  EXPECT_EQ(item.NumGlyphs(), 1);
  EXPECT_TRUE(item.ParentShowHint());
  EXPECT_TRUE(item.ParentFont());
  EXPECT_TRUE(item.Stored());
  EXPECT_TRUE(item.Enabled());
  EXPECT_FALSE(item.Visible());
  EXPECT_EQ(item.Button()->size(), QSize(24, 23));
  EXPECT_EQ(item.Button()->Style(), Xc::bsNew);
  EXPECT_EQ(item.SectionIndex(), -1);
}

TEST(SpeedBarTest, OffsetsFollowTheMinimumOffset) {
  Host h;
  TSpeedBar* bar = h.bar;
  bar->SetOptions(sbFlatBtns);
  bar->SetBevelOuter(bvNone);
  EXPECT_EQ(bar->MinOffset(), 0);
  bar->SetBtnOffsetHorz(3);
  bar->SetBtnOffsetVert(3);
  EXPECT_EQ(bar->BtnOffsetHorz(), 3);
  bar->SetBtnOffsetHorz(1);
  bar->SetBtnOffsetVert(1);
  TSpeedItem* item = h.Add("A", 1, 1);
  EXPECT_EQ(item->Button()->pos(), QPoint(1, 1));
  EXPECT_TRUE(item->Button()->Flat());
  // Not flat: the offsets rise to 2 and the button with them.
  bar->SetOptions({});
  EXPECT_EQ(bar->BtnOffsetHorz(), 2);
  EXPECT_EQ(bar->BtnOffsetVert(), 2);
  EXPECT_EQ(item->Button()->pos(), QPoint(2, 2));
  EXPECT_FALSE(item->Button()->Flat());
  // A button never goes above the vertical offset of a horizontal bar.
  item->SetTop(0);
  EXPECT_EQ(item->Top(), 2);
  item->SetLeft(0);
  EXPECT_EQ(item->Left(), 0);
}

TEST(SpeedBarTest, SectionsKeepUniqueCaptionsAndOwnTheirItems) {
  Host h;
  TSpeedBar* bar = h.bar;
  EXPECT_EQ(bar->AppendSection("Untitled (1)"), 1);
  EXPECT_EQ(bar->Section(1)->Caption(), "Untitled (1) (1)");
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
  EXPECT_EQ(bar->Section(2)->Caption(), "Untitled (1) (2)");
  bar->Section(2)->SetCaption("Files");
  EXPECT_EQ(bar->FindSection("Files"), 2);

  QPointer<TSpeedItem> a = new TSpeedItem(&h.window);
  QPointer<TSpeedItem> b = new TSpeedItem(&h.window);
  bar->AddItem(99, a);  // beyond the last section: the last
  EXPECT_EQ(a->SectionIndex(), 2);
  EXPECT_EQ(a->SectionName(), "Files");
  bar->AddItem(1, b);
  bar->Section(2)->SetIndex(-4);  // clamped to the first place
  EXPECT_EQ(bar->FindSection("Files"), 0);
  EXPECT_EQ(a->SectionIndex(), 0);
  EXPECT_EQ(b->SectionIndex(), 2);
  bar->AddItem(7, a);  // already on the bar: moved to the last section
  EXPECT_EQ(a->SectionIndex(), 2);
  EXPECT_EQ(bar->Section(2)->Items(), (QList<TSpeedItem*>{b, a}));

  bar->DetachSection(2);
  EXPECT_EQ(bar->SectionCount(), 2);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Bar(), nullptr);
  EXPECT_EQ(b->SectionIndex(), -1);
  b->SetSectionName("Files");
  b->SetParentComponent(bar);
  EXPECT_EQ(b->SectionIndex(), 0);
  bar->DeleteSection(0);
  EXPECT_TRUE(b.isNull());
  EXPECT_FALSE(a.isNull());
  // An item without sections creates one with an empty caption.
  TSpeedBar empty(&h.window);
  empty.AddItem(0, a);
  EXPECT_EQ(empty.SectionCount(), 1);
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
    try {
      bar->SetAlign(refused);
      FAIL() << "accepted";
    } catch (const ESpeedbarError& e) {
      EXPECT_STREQ(e.what(), "Cannot set this property value while Position is bpAuto");
    }
    EXPECT_EQ(bar->Align(), alTop);
  }
  bar->SetBtnWidth(30);
  bar->SetAlign(alLeft);
  EXPECT_EQ(bar->Orientation(), soVertical);
  EXPECT_EQ(bar->BtnWidth(), 23);
  EXPECT_EQ(bar->BtnHeight(), 30);
  EXPECT_EQ(b->Button()->geometry(), QRect(3, 27, 23, 30));
  EXPECT_EQ(bar->GridSize(), QSize(23, GridStep(30)));
  bar->SetAlign(alRight);
  EXPECT_EQ(bar->Orientation(), soVertical);
  bar->SetAlign(alBottom);
  EXPECT_EQ(a->Button()->geometry(), QRect(3, 3, 30, 23));
  EXPECT_EQ(b->Button()->geometry(), QRect(27, 3, 30, 23));

  bar->SetPosition(bpCustom);
  bar->SetAlign(alNone);  // allowed with a custom position; the orientation stays
  EXPECT_EQ(bar->Orientation(), soHorizontal);
  bar->SetOrientation(soVertical);
  bar->SetOrientation(soHorizontal);
  EXPECT_EQ(b->Button()->geometry(), QRect(27, 3, 30, 23));
}

TEST(SpeedBarTest, ItemsFollowTheBarsEnabledAndVisibleStates) {
  Host h;
  h.window.show();
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  EXPECT_TRUE(a->Button()->isVisible());
  EXPECT_EQ(a->Button()->parentWidget(), bar);
  b->SetEnabled(false);
  bar->setEnabled(false);
  EXPECT_FALSE(a->Button()->isEnabled());
  a->SetEnabled(true);  // set while the bar is disabled: stays greyed
  EXPECT_FALSE(a->Button()->isEnabled());
  bar->setEnabled(true);
  EXPECT_TRUE(a->Button()->isEnabled());
  EXPECT_FALSE(b->Button()->isEnabled());
  EXPECT_TRUE(a->Enabled());
  EXPECT_FALSE(b->Enabled());

  int changes = 0;
  bar->OnVisibleChanged = [&](QObject* sender) {
    EXPECT_EQ(sender, bar);
    ++changes;
  };
  b->SetVisible(false);
  bar->hide();
  EXPECT_EQ(changes, 1);
  a->SetVisible(true);
  EXPECT_TRUE(a->Button()->isHidden());
  bar->show();
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(a->Button()->isVisible());
  EXPECT_FALSE(b->Button()->isVisible());
  // An item without a bar never shows its button as a window.
  TSpeedItem loose;
  loose.SetVisible(true);
  EXPECT_TRUE(loose.Visible());
  EXPECT_FALSE(loose.Button()->isVisible());
}

TEST(SpeedBarTest, DownAndClickReachTheItem) {
  Host h;
  h.window.show();
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  a->SetDown(true);  // group 0: stays up
  EXPECT_FALSE(a->Down());
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  QSignalSpy clicks(a, &TSpeedItem::OnClick);
  QTest::mouseClick(a->Button(), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(clicks.size(), 1);
  EXPECT_EQ(clicks.at(0).at(0).value<QObject*>(), a->Button());
  EXPECT_TRUE(a->Down());
  EXPECT_FALSE(b->Down());
  a->ButtonClick();
  EXPECT_EQ(clicks.size(), 2);
}

TEST(SpeedBarTest, CaptionFeedsTheHint) {
  TSpeedItem item;
  item.SetCaption("Read");
  EXPECT_EQ(item.Hint(), "Read|");
  item.SetHint("Short|Long text");
  item.SetCaption("Other");
  EXPECT_EQ(item.Hint(), "Other|Long text");
  item.SetCaption("Tip|Status");
  EXPECT_EQ(item.Hint(), "Tip|Status");
  item.SetCaption("New|");
  EXPECT_EQ(item.Hint(), "New|Status");

  // With a window as owner the hint follows only while it still shows the caption.
  QWidget window;
  auto* owned = new TSpeedItem(&window);
  owned->SetCaption("One");
  EXPECT_EQ(owned->Hint(), "One|");
  owned->SetHint("Own hint");
  owned->SetCaption("Two");
  EXPECT_EQ(owned->Hint(), "Own hint");
  // A caption equal to the old name follows a rename.
  owned->SetName("Two");
  owned->SetName("Three");
  EXPECT_EQ(owned->Caption(), "Three");
  EXPECT_EQ(owned->Button()->objectName(), "Three");
}

TEST(SpeedBarTest, ItemsSnapToTheGrid) {
  Host h;
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  // Half-way between grid points 8 and 16 along the bar: the even multiple.
  EXPECT_TRUE(bar->MoveItemTo(a, 3 + 12, 3 + 22));
  EXPECT_EQ(a->Button()->pos(), QPoint(3 + 16, 3));
  EXPECT_TRUE(bar->MoveItemTo(a, 3 + 20, 3));
  EXPECT_EQ(a->Left(), 3 + 16);
  EXPECT_TRUE(bar->MoveItemTo(a, 3 + 4, 3));
  EXPECT_EQ(a->Left(), 3);
  EXPECT_FALSE(bar->MoveItemTo(a, 3 + 8, 200));
  EXPECT_FALSE(a->Visible());
  TSpeedItem stranger;
  EXPECT_FALSE(bar->MoveItemTo(&stranger, 3, 3));
  EXPECT_FALSE(bar->MoveItemTo(nullptr, 3, 3));

  TSpeedItem* b = h.Add("Bee", 30);
  bar->SnapAllItems();
  EXPECT_EQ(b->Left(), 27);
  EXPECT_EQ(bar->FindItemByName("bEE"), b);
  EXPECT_EQ(bar->FindItemByName("C"), nullptr);
  QStringList order;
  bar->ForEachItem(
      [&](void* data, TSpeedItem* item, int param) {
        EXPECT_EQ(data, &order);
        EXPECT_EQ(param, 7);
        order << item->objectName();
      },
      &order, 7);
  EXPECT_EQ(order, (QStringList{"A", "Bee"}));
  bar->ForEachItem(nullptr, nullptr, 0);
}

TEST(SpeedBarTest, DragTargetFollowsTheDiagonals) {
  const QSize client(200, 100);
  EXPECT_EQ(DragTargetAlign(QPoint(100, 10), client), alTop);
  EXPECT_EQ(DragTargetAlign(QPoint(100, 90), client), alBottom);
  EXPECT_EQ(DragTargetAlign(QPoint(10, 50), client), alLeft);
  EXPECT_EQ(DragTargetAlign(QPoint(190, 50), client), alRight);
  // On the main diagonal (y = x / 2) and on the other (y = 100 - x / 2): below both.
  EXPECT_EQ(DragTargetAlign(QPoint(100, 50), client), alBottom);
  EXPECT_EQ(DragTargetAlign(QPoint(40, 20), client), alLeft);
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
  EXPECT_EQ(moved, 1);
  accept = true;
  drag();
  EXPECT_EQ(bar->Align(), alBottom);
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
  left->hide();
  EXPECT_EQ(next->x(), 0);

  // Each bound line takes 2 pixels off the bar's client area.
  top->SetBoundLines(blTop | blRight);
  EXPECT_EQ(top->contentsRect(), top->rect().adjusted(0, 2, -2, 0));

  // An item joins below the vertical offset of a horizontal bar and never rises above it.
  top->SetBtnOffsetVert(5);
  auto* item = new TSpeedItem(&parent);
  top->AddItem(0, item);
  EXPECT_EQ(item->Top(), 5);
  item->SetTop(1);
  EXPECT_EQ(item->Top(), 5);
}

TEST(SpeedBarTest, SectionsStreamUnderTheirNames) {
  Host h;
  TSpeedBar* bar = h.bar;
  EXPECT_TRUE(bar->setProperty("Sections", QStringList{"Untitled (1)", "Files", "Files"}));
  EXPECT_EQ(bar->property("Sections").toStringList(), (QStringList{"Untitled (1)", "Files"}));
  TSpeedItem byName(&h.window);
  byName.setProperty("SectionName", "Files");
  byName.SetParentComponent(bar);
  TSpeedItem byIndex(&h.window);
  byIndex.setProperty("Section", 1);
  byIndex.SetParentComponent(bar);
  EXPECT_EQ(bar->Section(1)->Items(), (QList<TSpeedItem*>{&byName, &byIndex}));
  EXPECT_EQ(byIndex.property("SectionName").toString(), "Files");
  bar->setProperty("AllowDrag", false);
  EXPECT_FALSE(bar->Options().testFlag(sbAllowDrag));
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
  auto read = [&](const char* ident) { return IniReadString(settings, section, ident, "<none>"); };
  EXPECT_EQ(read("Position"), "1");
  EXPECT_EQ(read("Width"), "29");
  EXPECT_EQ(read("Version"), "2");
  EXPECT_EQ(read("BtnWidth"), "24");
  EXPECT_EQ(read("BtnHeight"), "23");
  EXPECT_EQ(read("Button1"), "A,3,3");
  EXPECT_EQ(read("Button2"), "B,27,3");
  EXPECT_EQ(read("Count"), "2");

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
  EXPECT_TRUE(b->Visible());
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
