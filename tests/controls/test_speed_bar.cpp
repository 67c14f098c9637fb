#include "controls/speed_bar.h"
#include "controls/xc_cursors.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QWindow>

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

  // A release the bar never got: the next press starts afresh, so a small move drags nothing.
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(300, 10));
  bar->setEnabled(false);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(300, 10));
  bar->setEnabled(true);
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(20, 10));
  QMouseEvent nudge(QEvent::MouseMove, QPointF(21, 10), bar->mapToGlobal(QPointF(21, 10)),
                    Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &nudge);
  EXPECT_TRUE(bar->DragRect().isEmpty());
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(21, 10));
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

// A stand-in customize window: it logs what the bar tells it.
class CustomizeWindow : public QWidget {
  QStringList own_;

 public:
  // The log may lie outside, to be read once the window has gone.
  explicit CustomizeWindow(QStringList* outside = nullptr) : log(outside ? *outside : own_) {}
  QStringList& log;

 protected:
  bool event(QEvent* e) override {
    if (e->type() != TSpeedbarNotifyEvent::EventType()) return QWidget::event(e);
    const auto* message = static_cast<TSpeedbarNotifyEvent*>(e);
    log << QString("%1/%2/%3")
               .arg(message->Msg(), 0, 16)
               .arg(message->Code())
               .arg(message->Item() ? message->Item()->objectName() : "-");
    return true;
  }
};

// The user's mouse, through the window as the platform delivers it.
void Mouse(QTest::MouseAction action, QWidget* widget, const QPoint& pos) {
  QWidget* top = widget->window();
  const QPoint at = widget->mapTo(top, pos);
  if (action == QTest::MouseMove)
    QTest::mouseMove(top->windowHandle(), at);
  else
    QTest::mouseEvent(action, top->windowHandle(), Qt::LeftButton, {}, at);
}

QString ItemState(TSpeedItem* item) {
  const TSpeedbarButton* b = item->Button();
  return QString("%1:%2,%3,%4")
      .arg(item->objectName(), item->Editing() ? "edit" : "plain", b->isEnabled() ? "on" : "off",
           b->Flat() ? "flat" : "raised");
}

// A customize window attaches itself, the user drags buttons about and off the bar, the
// bar's geometry changes, the window detaches, and a bar goes while one is attached.
TEST(SpeedBarTest, EditingModeAsACustomizeWindowAndTheMouseUseIt) {
  Host h;
  h.window.move(50, 40);
  h.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&h.window));
  TSpeedBar* bar = h.bar;
  bar->SetOptions(bar->Options() | sbFlatBtns);
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  TSpeedItem* c = h.Add("C", 51);
  b->SetBtnCaption("Bb");
  b->SetSpacing(3);
  b->SetMargin(2);
  b->SetLayout(Xc::blGlyphLeft);
  c->SetBtnCaption("Cc");
  c->SetEnabled(false);
  CustomizeWindow editor;
  auto local = [&](const QPoint& global) { return h.window.mapFromGlobal(global); };
  auto image = [&](TSpeedItem* item) {
    const TBtnControl* picture = item->Button()->DragImage();
    if (!picture) return QString("no image");
    return QString("image %1 %2 at %3,%4 %5")
        .arg(picture->Caption())
        .arg(picture->isVisible() ? "shown" : "hidden")
        .arg(local(picture->pos()).x())
        .arg(local(picture->pos()).y())
        .arg(Frame(QRect(QPoint(), picture->size())).section(' ', 1));
  };
  auto placed = [&](TSpeedItem* item) {
    return QString("%1 %2 at %3,%4")
        .arg(item->objectName(), item->Visible() ? "shown" : "hidden")
        .arg(item->Left())
        .arg(item->Top());
  };
  // Released on the bar at `at`: where the item went, what the window heard, and the grab.
  auto dropped = [&](TSpeedItem* item, const QPoint& at) {
    Mouse(QTest::MouseRelease, bar, at);
    return QString("%1 %2 %3 grab %4")
        .arg(placed(item), image(item), editor.log.join(' '))
        .arg(QWidget::mouseGrabber() != nullptr);
  };
  const struct {
    const char* step;
    std::function<QString()> run;
    QString expected;
  } steps[] = {
      {"attached: every item editing, enabled and not flat",
       [&] {
         bar->SetEditWin(&editor);
         return QString("%1 %2 %3 %4")
             .arg(bar->EditWin() == &editor)
             .arg(ItemState(a), ItemState(b), ItemState(c));
       },
       "1 A:edit,on,raised B:edit,on,raised C:edit,on,raised"},
      {"press on B: the cursor at its bottom-right corner, its picture over it",
       [&] {
         Mouse(QTest::MousePress, b->Button(), QPoint(5, 5));
         const TBtnControl* picture = b->Button()->DragImage();
         if (!picture) return QString("no image");
         const QPoint cursor = local(QCursor::pos());
         return QString("cursor %1,%2 %3 layout %4 margin %5 spacing %6 index %7 %8 %9")
             .arg(cursor.x())
             .arg(cursor.y())
             .arg(image(b))
             .arg(picture->Layout())
             .arg(picture->Margin())
             .arg(picture->Spacing())
             .arg(picture->ImageIndex())
             .arg(picture->testAttribute(Qt::WA_TransparentForMouseEvents) &&
                  picture->windowFlags().testFlag(Qt::WindowTransparentForInput) &&
                  picture->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
                  picture->testAttribute(Qt::WA_ShowWithoutActivating) && !picture->isEnabled())
             .arg(picture->cursor().shape() == CursorRegistry::ByNumber(kDragCursor).shape());
       },
       "cursor 51,26 image Bb shown at 27,3 24x23 layout 0 margin 2 spacing 3 index -1 1 1"},
      {"moved along the bar: the button hidden, the picture's corner at the mouse",
       [&] {
         Mouse(QTest::MouseMove, bar, QPoint(140, 20));
         return QString("button %1 %2")
             .arg(b->Button()->isVisible() ? "shown" : "hidden")
             .arg(image(b));
       },
       "button hidden image Bb shown at 116,-3 24x23"},
      {"released inside at a grid point: moved there, code 2 with the item",
       [&] { return dropped(b, QPoint(147, 26)); }, "B shown at 123,3 no image b050/2/B grab 0"},
      {"C picked up and moved off the bar: its picture hides",
       [&] {
         editor.log.clear();
         Mouse(QTest::MousePress, c->Button(), QPoint(5, 5));
         Mouse(QTest::MouseMove, bar, QPoint(200, 120));
         return image(c);
       },
       "image Cc hidden at 176,97 24x23"},
      {"released off the bar: the item hidden, code 0",
       [&] { return dropped(c, QPoint(200, 120)); }, "C hidden at 51,3 no image b050/0/- grab 0"},
      {"ApplyButtonSize and a turn of the bar: code 3 each",
       [&] {
         editor.log.clear();
         bar->ApplyButtonSize();
         bar->SetPosition(bpCustom);
         bar->SetOrientation(soVertical);
         return editor.log.join(' ');
       },
       "b050/3/- b050/3/-"},
      {"detached: out of editing, Enabled and Flat back from the item and the options",
       [&] {
         editor.log.clear();
         bar->SetEditWin(nullptr);
         bar->ApplyButtonSize();
         return QString("%1 %2 %3 %4")
                    .arg(bar->EditWin() == nullptr)
                    .arg(ItemState(a), ItemState(b), ItemState(c)) +
                editor.log.join(' ');
       },
       "1 A:plain,on,flat B:plain,on,flat C:plain,off,flat"},
      {"a window that goes while attached takes the items out of editing",
       [&] {
         auto* gone = new CustomizeWindow;
         bar->SetEditWin(gone);
         delete gone;
         return QString("%1 %2 %3 %4")
             .arg(bar->EditWin() == nullptr)
             .arg(ItemState(a), ItemState(b), ItemState(c));
       },
       "1 A:plain,on,flat B:plain,on,flat C:plain,off,flat"},
      {"attached again and the bar destroyed: code 1",
       [&] {
         bar->SetEditWin(&editor);
         delete bar;
         return editor.log.join(' ');
       },
       "b050/1/-"},
  };
  for (const auto& row : steps) {
    SCOPED_TRACE(row.step);
    EXPECT_EQ(row.run().toStdString(), row.expected.toStdString());
  }
}

// The bar's Enabled reaches every button in editing mode as outside it: each button is its
// item's flag and the bar's; detaching applies each item's flag again.
TEST(SpeedBarTest, EnabledOfTheBarInEditingMode) {
  Host h;
  h.window.show();
  TSpeedBar* bar = h.bar;
  TSpeedItem* a = h.Add("A", 3);
  TSpeedItem* b = h.Add("B", 27);
  b->SetEnabled(false);
  CustomizeWindow editor;
  auto buttons = [&] { return QString("%1 %2").arg(ItemState(a), ItemState(b)).toStdString(); };
  const struct {
    const char* step;
    std::function<void()> run;
    const char* expected;
  } steps[] = {
      {"attached", [&] { bar->SetEditWin(&editor); }, "A:edit,on,raised B:edit,on,raised"},
      {"bar disabled", [&] { bar->setEnabled(false); }, "A:edit,off,raised B:edit,off,raised"},
      {"bar enabled", [&] { bar->setEnabled(true); }, "A:edit,on,raised B:edit,off,raised"},
      {"detached", [&] { bar->SetEditWin(nullptr); }, "A:plain,on,raised B:plain,off,raised"},
      {"bar disabled, plain", [&] { bar->setEnabled(false); },
       "A:plain,off,raised B:plain,off,raised"},
      {"attached while disabled", [&] { bar->SetEditWin(&editor); },
       "A:edit,off,raised B:edit,off,raised"},
      {"detached while disabled", [&] { bar->SetEditWin(nullptr); },
       "A:plain,off,raised B:plain,off,raised"},
      {"bar enabled, plain", [&] { bar->setEnabled(true); },
       "A:plain,on,raised B:plain,off,raised"},
  };
  for (const auto& row : steps) {
    SCOPED_TRACE(row.step);
    row.run();
    EXPECT_EQ(buttons(), row.expected);
  }
}

// A customize window made with the bar as its parent goes with the bar, after the bar's own
// members: it hears that the bar goes, and its going runs nothing of the bar's (the sanitizer
// build sees any read of the freed bar).
TEST(SpeedBarTest, ABarGoesWithItsChildCustomizeWindowAttached) {
  Host h;
  h.window.show();
  h.Add("A", 3);
  h.Add("B", 27);
  QStringList heard;
  auto* editor = new CustomizeWindow(&heard);
  editor->setParent(h.bar);
  h.bar->SetEditWin(editor);
  const QPointer<CustomizeWindow> watch(editor);
  delete h.bar;
  EXPECT_TRUE(watch.isNull());
  EXPECT_EQ(heard.join(' ').toStdString(), "b050/1/-");
}

// A move straight to the bar, with or without the left button held.
void MoveOn(TSpeedBar* bar, const QPoint& pos, Qt::MouseButtons buttons = Qt::NoButton) {
  QMouseEvent move(QEvent::MouseMove, QPointF(pos), bar->mapToGlobal(QPointF(pos)), Qt::NoButton,
                   buttons, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
}

// The sizing cursor over the band at the bar's inner edge, per side, and the whole rows the
// bar takes when its edge is pulled; the band works only in editing mode with
// sbAllowResize and never while the bar is dragged.
TEST(SpeedBarTest, ResizeBandAndWholeRows) {
  RegisterControlCursors();
  const QString sizing[] = {"arrow", "ns", "we", "drag"};
  auto shape = [&](const TSpeedBar* bar) {
    switch (bar->cursor().shape()) {
      case Qt::SizeVerCursor:
        return sizing[1];
      case Qt::SizeHorCursor:
        return sizing[2];
      case Qt::BitmapCursor:
        return sizing[3];
      default:
        return sizing[0];
    }
  };
  enum Setup { Editing, NotEditing, NoResize, Dragged };
  const struct {
    TAlign align;
    Setup setup;
    QPoint at;
    const char* cursor;
  } band[] = {
      // A top bar 400 x 29: 29 - 4 < Y <= 29 + 4, 1 <= X <= 400.
      {alTop, Editing, {200, 26}, "ns"},
      {alTop, Editing, {200, 25}, "arrow"},
      {alTop, Editing, {200, 33}, "ns"},
      {alTop, Editing, {200, 34}, "arrow"},
      {alTop, Editing, {1, 28}, "ns"},
      {alTop, Editing, {0, 28}, "arrow"},
      {alTop, Editing, {400, 28}, "ns"},
      {alTop, Editing, {401, 28}, "arrow"},
      // A bottom bar: -3 <= Y <= 4.
      {alBottom, Editing, {200, -3}, "ns"},
      {alBottom, Editing, {200, -4}, "arrow"},
      {alBottom, Editing, {200, 4}, "ns"},
      {alBottom, Editing, {200, 5}, "arrow"},
      // A left bar 29 x 300: 29 - 4 < X <= 29 + 4, 1 <= Y <= 300.
      {alLeft, Editing, {26, 150}, "we"},
      {alLeft, Editing, {25, 150}, "arrow"},
      {alLeft, Editing, {33, 150}, "we"},
      {alLeft, Editing, {34, 150}, "arrow"},
      {alLeft, Editing, {28, 1}, "we"},
      {alLeft, Editing, {28, 0}, "arrow"},
      {alLeft, Editing, {28, 300}, "we"},
      {alLeft, Editing, {28, 301}, "arrow"},
      // A right bar: -3 <= X <= 4.
      {alRight, Editing, {-3, 150}, "we"},
      {alRight, Editing, {-4, 150}, "arrow"},
      {alRight, Editing, {4, 150}, "we"},
      {alRight, Editing, {5, 150}, "arrow"},
      {alTop, NotEditing, {200, 28}, "arrow"},
      {alTop, NoResize, {200, 28}, "arrow"},
      {alTop, Dragged, {200, 28}, "drag"},
  };
  for (const auto& row : band) {
    SCOPED_TRACE(QString("%1 %2 at %3,%4")
                     .arg(QVariant::fromValue(row.align).toString())
                     .arg(row.setup)
                     .arg(row.at.x())
                     .arg(row.at.y())
                     .toStdString());
    Host h;
    h.window.show();
    CustomizeWindow editor;
    TSpeedBar* bar = h.bar;
    bar->SetAlign(row.align);
    // Without sbAllowDrag a press that does not resize leaves the bar alone.
    if (row.setup == NotEditing) bar->SetOptions(sbAllowResize);
    if (row.setup == NoResize) bar->SetOptions(sbGrayedBtns);
    if (row.setup == Editing || row.setup == Dragged)
      bar->SetOptions(bar->Options() | sbAllowResize);
    if (row.setup != NotEditing) bar->SetEditWin(&editor);
    if (row.setup == Dragged) {
      QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(200, 10));
      MoveOn(bar, QPoint(200, 20), Qt::LeftButton);
      MoveOn(bar, row.at, Qt::LeftButton);
    } else {
      MoveOn(bar, QPoint(10, 10));
      MoveOn(bar, row.at);
    }
    EXPECT_EQ(shape(bar), row.cursor);
    if (row.setup == Dragged) QTest::mouseRelease(bar, Qt::LeftButton, {}, row.at);
    if (row.setup == NotEditing || row.setup == NoResize) {
      QTest::mousePress(bar, Qt::LeftButton, {}, row.at);
      MoveOn(bar, row.at + QPoint(0, 30), Qt::LeftButton);
      QTest::mouseRelease(bar, Qt::LeftButton, {}, row.at + QPoint(0, 30));
      EXPECT_EQ(bar->height(), 29);
    }
  }

  const struct {
    TAlign align;
    QSize window;
    QPoint press;
    QPoint to;
    int thickness;
  } rows[] = {
      // N = |Y - 2 x 3| div 23 = 2: 2 x 23 + 6.
      {alTop, {400, 300}, {200, 28}, {200, 60}, 52},
      // Above the offsets N is 0: at least one row.
      {alTop, {400, 300}, {200, 28}, {200, 2}, 29},
      // The mouse outside the parent: nothing changes.
      {alTop, {400, 300}, {200, 28}, {200, 400}, 29},
      // One row is more than the parent holds: the parent's height.
      {alTop, {400, 20}, {200, 28}, {200, 10}, 20},
      // N = |29 - 6 - (-40)| div 23 = 2.
      {alBottom, {400, 300}, {200, 0}, {200, -40}, 52},
      // Turned on its side the bar's buttons are 23 wide: N = |80 - 6| div 23 = 3.
      {alLeft, {400, 300}, {28, 150}, {80, 150}, 75},
      // N = |29 - 6 - (-60)| div 23 = 3.
      {alRight, {400, 300}, {0, 150}, {-60, 150}, 75},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(QString("%1 to %2,%3")
                     .arg(QVariant::fromValue(row.align).toString())
                     .arg(row.to.x())
                     .arg(row.to.y())
                     .toStdString());
    Host h;
    h.window.resize(row.window);
    h.window.show();
    CustomizeWindow editor;
    TSpeedBar* bar = h.bar;
    bar->SetAlign(row.align);
    bar->SetOptions(bar->Options() | sbAllowResize);
    bar->SetEditWin(&editor);
    const QRect before = bar->geometry();
    QTest::mousePress(bar, Qt::LeftButton, {}, row.press);
    MoveOn(bar, row.to, Qt::LeftButton);
    const bool across = row.align == alLeft || row.align == alRight;
    EXPECT_EQ(across ? bar->width() : bar->height(), row.thickness);
    // Only the thickness changes; the bar keeps its edge.
    EXPECT_EQ(across ? bar->height() : bar->width(), across ? before.height() : before.width());
    if (row.align == alBottom) {
      EXPECT_EQ(bar->geometry().bottom(), before.bottom());
    }
    if (row.align == alRight) {
      EXPECT_EQ(bar->geometry().right(), before.right());
    }
    QTest::mouseRelease(bar, Qt::LeftButton, {}, row.to);
    // Idle again: the cursor restored, a later move no longer resizes.
    EXPECT_EQ(shape(bar), "arrow");
    MoveOn(bar, row.press, Qt::LeftButton);
    EXPECT_EQ(across ? bar->width() : bar->height(), row.thickness);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  }
}

// ChangeScale(3, 2): button size and offsets by 3 / 2 rounded, halves away from zero,
// unless a Fixed size policy keeps a button side; while loading only the parts set
// explicitly scale; the buttons follow and snap to the new grid.
TEST(SpeedBarTest, ChangeScaleScalesButtonsAndOffsets) {
  const struct {
    const char* item;
    std::function<void(TSpeedBar*)> setup;
    QString expected;
  } rows[] = {
      {"all parts", [](TSpeedBar*) {}, "36x35 off 5,5 button 41,5 36x35"},
      {"fixed width",
       [](TSpeedBar* bar) { bar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred); },
       "24x35 off 5,5 button 37,5 24x35"},
      {"fixed height",
       [](TSpeedBar* bar) { bar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed); },
       "36x23 off 5,5 button 41,5 36x23"},
      {"loading with the width and the vertical offset set",
       [](TSpeedBar* bar) {
         bar->Loading();
         bar->SetBtnWidth(30);
         bar->SetBtnOffsetVert(4);
       },
       "45x23 off 3,6 button 39,6 45x23"},
      {"loading with nothing set since the last scaling",
       [](TSpeedBar* bar) {
         bar->SetBtnWidth(30);
         bar->Loading();
         bar->ChangeScale(1, 1);
       },
       "30x23 off 3,3 button 33,3 30x23"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.item);
    Host h;
    h.window.show();
    TSpeedItem* a = h.Add("A", 27);
    row.setup(h.bar);
    h.bar->ChangeScale(3, 2);
    if (h.bar->IsLoading()) h.bar->Loaded();
    const QString result = QString("%1x%2 off %3,%4 button ")
                               .arg(h.bar->BtnWidth())
                               .arg(h.bar->BtnHeight())
                               .arg(h.bar->BtnOffsetHorz())
                               .arg(h.bar->BtnOffsetVert()) +
                           Frame(a->Button()->geometry());
    EXPECT_EQ(result.toStdString(), row.expected.toStdString());
  }
}

}  // namespace
