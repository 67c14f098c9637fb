#include "controls/speed_bar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <functional>
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
  // The bar frees its sections and items, the items their buttons.
  QPointer<TSpeedbarSection> section = bar->Section(0);
  delete bar;
  EXPECT_TRUE(section.isNull() && b.isNull() && button.isNull());
}

TEST(SpeedBarTest, ItemsFollowTheBarItsGridAndAlignment) {
  Host h;
  h.window.show();
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  bar->setEnabled(false);
  a->SetEnabled(true);  // set while the bar is disabled: stays greyed
  EXPECT_FALSE(a->Button()->isEnabled());

  TSpeedItem loose;  // without a bar never shown as a window
  loose.SetVisible(true);
  EXPECT_FALSE(loose.Button()->isVisible());

  // Half-way between grid points 8 and 16 along the bar: the even multiple.
  EXPECT_TRUE(bar->MoveItemTo(a, 3 + 12, 3 + 22));
  EXPECT_EQ(a->Button()->pos(), QPoint(3 + 16, 3));
  EXPECT_FALSE(bar->MoveItemTo(a, 3 + 8, 200));
  EXPECT_FALSE(a->Visible());
  bar->hide();
  bar->show();  // a hidden item stays hidden
  EXPECT_FALSE(a->Button()->isVisible());
  EXPECT_FALSE(bar->MoveItemTo(nullptr, 3, 3));
  bar->ForEachItem(nullptr, nullptr, 0);

  SCOPED_TRACE("alignment");
  for (TAlign refused : {alNone, alClient}) {
    EXPECT_THROW(bar->SetAlign(refused), ESpeedbarError);
    EXPECT_EQ(bar->Align(), alTop);
  }
  bar->SetAlign(alRight);
  EXPECT_EQ(bar->Orientation(), soVertical);
  bar->SetAlign(alBottom);
  bar->SetPosition(bpCustom);
  bar->SetAlign(alNone);  // allowed with a custom position; the orientation stays
  EXPECT_EQ(bar->Orientation(), soHorizontal);
  // Not flat: the offsets rise to 2, and a button never goes above them.
  bar->SetBevelOuter(bvNone);
  bar->SetBtnOffsetVert(1);
  a->SetTop(0);
  EXPECT_EQ(a->Top(), 2);
}

// Snapping takes every shown item to the nearest grid point from the offsets; items are
// found by name in any letter case and visited in order.
TEST(SpeedBarTest, ItemsSnapToTheGrid) {
  Host h;
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("Bee", 30);
  TSpeedItem* c = h.Add("C", 3 + 13);
  bar->SnapAllItems();
  EXPECT_EQ(a->Left(), 3);
  EXPECT_EQ(b->Left(), 3 + 24);
  EXPECT_EQ(c->Left(), 3 + 16);
  EXPECT_EQ(bar->FindItemByName("bEE"), b);
  QStringList order;
  bar->ForEachItem([](void* data, TSpeedItem* item,
                      int) { *static_cast<QStringList*>(data) << item->objectName(); },
                   &order, 7);
  EXPECT_EQ(order, (QStringList{"A", "Bee", "C"}));
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
  bar->RestoreLayout();
  EXPECT_EQ(bar->Align(), alTop);
  EXPECT_EQ(a->Left(), 3);
  EXPECT_EQ(b->Left(), 75);
  placement->CloseSettings();
}

QString Frame(const QRect& r) {
  return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A bar turned from a horizontal to a vertical edge keeps its thickness there, in code and
// by dragging; the stream properties and the loading step with its alignment fix.
TEST(SpeedBarTest, TurnedOnItsSideAndLoaded) {
  const struct {
    const char* item;
    std::function<QString(Host&)> run;
    QString expected;
  } rows[] = {
      {"alLeft after alTop in code: the thickness stays, the layout is transposed",
       [](Host& h) {
         TSpeedItem* a = h.Add("A", 27);
         h.bar->SetAlign(alLeft);
         return Frame(h.bar->geometry()) + " button " + Frame(a->Button()->geometry());
       },
       "0,0 29x300 button 3,27 23x24"},
      {"dragged from the top edge to the left: frame and bar as thick as the bar",
       [](Host& h) {
         TSpeedBar* bar = h.bar;
         const QPoint to(10, 150);
         QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(200, 10));
         for (int step = 0; step < 2; ++step) {
           QMouseEvent move(QEvent::MouseMove, QPointF(to), bar->mapToGlobal(QPointF(to)),
                            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
           QApplication::sendEvent(bar, &move);
         }
         const QRect frame = bar->DragRect();
         QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
         return "frame " + Frame(QRect(h.window.mapFromGlobal(frame.topLeft()), frame.size())) +
                " bar " + Frame(bar->geometry()) + " " +
                QVariant::fromValue(bar->Align()).toString();
       },
       "frame 0,0 29x300 bar 0,0 29x300 alLeft"},
      {"turned to the left and back to the top: as before",
       [](Host& h) {
         TSpeedItem* a = h.Add("A", 27);
         h.bar->SetAlign(alLeft);
         h.bar->SetAlign(alTop);
         return Frame(h.bar->geometry()) + " button " + Frame(a->Button()->geometry());
       },
       "0,0 400x29 button 27,3 24x23"},
      {"an old description (InternalVer 0) with alNone: loaded at the top",
       [](Host& h) {
         h.bar->SetAlign(alLeft);
         h.bar->Loading();
         h.bar->setProperty("InternalVer", 0);
         try {
           h.bar->SetAlign(alNone);
         } catch (const ESpeedbarError&) {
           // refused as ever; the loading step puts the bar where it belongs
         }
         h.bar->Loaded();
         return QVariant::fromValue(h.bar->Align()).toString() + " " + Frame(h.bar->geometry());
       },
       "alTop 0,0 400x29"},
      {"a current description (InternalVer 1) keeps its alignment; NewStyle is kept",
       [](Host& h) {
         h.bar->SetAlign(alLeft);
         h.bar->Loading();
         h.bar->setProperty("InternalVer", 1);
         h.bar->setProperty("NewStyle", true);
         try {
           h.bar->SetAlign(alNone);
         } catch (const ESpeedbarError&) {
         }
         h.bar->Loaded();
         return QVariant::fromValue(h.bar->Align()).toString() + " " + Frame(h.bar->geometry()) +
                " written " + h.bar->property("InternalVer").toString() + " " +
                h.bar->property("NewStyle").toString();
       },
       "alLeft 0,0 29x300 written 1 true"},
      {"while loading, the alignment and button size wait for Loaded",
       [](Host& h) {
         TSpeedItem* a = h.Add("A", 3);
         h.bar->Loading();
         h.bar->setGeometry(0, 0, 29, 300);  // the description's own size
         h.bar->SetAlign(alLeft);
         h.bar->SetBtnHeight(24);
         h.bar->SetBtnWidth(23);
         QString text = Frame(h.bar->geometry()) + " button " + Frame(a->Button()->geometry());
         h.bar->Loaded();
         text +=
             " loaded " + Frame(h.bar->geometry()) + " button " + Frame(a->Button()->geometry());
         h.bar->SetAlign(alTop);
         return text + " top " + Frame(h.bar->geometry()) + " button " +
                Frame(a->Button()->geometry());
       },
       "0,0 29x300 button 3,3 24x23 loaded 0,0 29x300 button 3,3 23x24 "
       "top 0,0 400x29 button 3,3 24x23"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.item);
    Host h;
    h.window.show();
    EXPECT_EQ(row.run(h).toStdString(), row.expected.toStdString());
  }
}

}  // namespace
