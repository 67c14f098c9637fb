// The decoded-record windows driven by the main window's decode command and grid clicks.
#include "controls/bm_bitmap_image.h"
#include "main_window_fixture.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/form_view2.h"
#include "mainwindow/string_grid.h"

#include <QLabel>
#include <QPlainTextEdit>

using namespace jwtest;

namespace {

QString Text(QWidget& w, const char* name) {
  return w.findChild<QLabel*>(name)->text();
}
int Index(QWidget& w, const char* name) {
  return w.findChild<TBmBitmapImage*>(name)->BitmapIndex();
}
// Everything a decoded window shows but its four texts: the other texts with their colours,
// the lamp pictures and the message list.
QStringList Picture(QWidget& view) {
  QStringList picture;
  for (const QLabel* label : view.findChildren<QLabel*>()) {
    if (QStringList{"stMz", "stQ", "stL", "stR"}.contains(label->objectName())) continue;
    picture << label->objectName() + "=" + label->text() + " " +
                   label->palette().color(QPalette::WindowText).name();
  }
  for (const TBmBitmapImage* image : view.findChildren<TBmBitmapImage*>())
    picture << image->objectName() + "=" + QString::number(image->BitmapIndex());
  picture << view.findChild<QPlainTextEdit*>("memoMessage")->toPlainText();
  return picture;
}
QString FourTexts(QWidget& view) {
  return Text(view, "stMz") + " " + Text(view, "stQ") + " " + Text(view, "stL") + " " +
         Text(view, "stR") + " " +
         view.findChild<QLabel*>("stMz")->palette().color(QPalette::WindowText).name();
}

class DecodeCommandTest : public MainWindowTest {
 protected:
  TForm_main& OpenTable(const FileSpec& spec) {
    TForm_main& w = StartOnFile(spec);
    w.SetWindows({.formView1 = &view1_, .FormView2 = &view2_});
    w.SpeedItem_TableClick();
    return w;
  }
  void F7() { Action("N_DecodeData")->trigger(); }

  TformView1 view1_;
  TFormView2 view2_;
};

// Rows that do not convert at the type-2 places raise nothing and leave what they do not hold.
TEST_F(DecodeCommandTest, F7ShowsTheWindowOfTheVariantAndType4RowsRaiseNoBox) {
  ScriptedMessageBox boxes;
  for (const char* variant : {"10", "2"}) {
    SCOPED_TRACE(variant);
    FileSpec spec;
    spec.type = "4";
    spec.variant = variant;
    for (int n = 1; n <= 3; ++n) {
      Type4Record r;
      r.f = "0031.98";  // where a type-2 row holds the contour code
      r.m = QString("%1").arg(100 + n);
      spec.operational << r.Line();
      spec.overload << r.Line();
    }
    TForm_main& w = OpenTable(spec);
    const bool ten = QString(variant) == "10";
    QDialog* view = ten ? static_cast<QDialog*>(&view1_) : &view2_;
    auto* memo = view->findChild<QPlainTextEdit*>("memoMessage");
    memo->setPlainText("from an earlier record");
    F7();
    ASSERT_TRUE(view->isVisible());
    EXPECT_EQ(view1_.isVisible(), ten);
    for (int row : {2, 3}) w.SG_TPCR->SetRow(row);
    w.SpeedItem_TableTPClick();
    w.SG_TP->SetRow(2);
    EXPECT_EQ(Text(*view, "stMz"), "Мз=102%");
    EXPECT_EQ(Text(*view, "stK"), "Полный контур");
    EXPECT_EQ(Index(*view, "im8"), 15);
    EXPECT_EQ(memo->toPlainText(), "");
    F7();
    EXPECT_FALSE(view->isVisible());
  }

  // The placeholder row of an empty type-2 table; a page change hides the window.
  FileSpec spec;
  spec.operational = {Type2Record{.stamp = "00.00.00 00:00:00"}.Line()};
  TForm_main& w = OpenTable(spec);
  F7();
  EXPECT_EQ(Text(view1_, "stMz"), "Мз=102%") << "the empty row changes nothing";
  w.SpeedItem_SpisokClick();
  EXPECT_FALSE(view1_.isVisible());
  spec.variant = "7";
  OpenTable(spec);
  F7();
  EXPECT_FALSE(view1_.isVisible()) << "variant 0 has no window";
  ExpectBoxes(boxes, {});
}

// The empty row of an empty table leaves a window as it was, its lit relay lamps included; a
// type-4 row after a type-2 record shows its own texts and nothing else of that record.
TEST_F(DecodeCommandTest, EmptyRowKeepsTheWindowAndAType4RowShowsNothingOfAType2Record) {
  ScriptedMessageBox boxes;
  TformView1 fresh1;
  TFormView2 fresh2;
  for (const char* variant : {"10", "2"}) {
    SCOPED_TRACE(variant);
    const bool ten = QString(variant) == "10";
    QDialog& view = ten ? static_cast<QDialog&>(view1_) : view2_;
    const QStringList startUp = Picture(ten ? static_cast<QDialog&>(fresh1) : fresh2);
    const QString startTexts = FourTexts(view);
    auto show = [&](const FileSpec& spec, int row) {
      TForm_main& w = OpenTable(spec);
      if (!view.isVisible()) F7();
      w.SG_TPCR->SetRow(row);
      ASSERT_TRUE(view.isVisible());
    };

    FileSpec empty;
    empty.variant = variant;
    show(empty, 1);
    EXPECT_EQ(Picture(view), startUp);
    EXPECT_EQ(FourTexts(view), startTexts);

    FileSpec two;
    two.variant = variant;
    const Type2Record record{.g = "+200",
                             .ns = "08",
                             .nk = "07",
                             .m = "120",
                             .flags = "00110",
                             .outputs = "111111",
                             .inputs = "11111111111111"};
    two.operational << Type2Record{}.Line() << record.Line();
    show(two, 2);
    EXPECT_EQ(Text(view, "stC"), "Опасный груз");
    EXPECT_EQ(Text(view, "stK"), "Опоры 6.3 м");
    EXPECT_EQ(Index(view, "imE1"), 16);
    const QStringList shown = Picture(view);
    const QString shownTexts = FourTexts(view);
    EXPECT_EQ(shownTexts, "Мз=120% Q=10т L=12м R=8м #ff0000");
    show(empty, 1);
    EXPECT_EQ(Picture(view), shown) << "the empty row changes nothing";
    EXPECT_EQ(FourTexts(view), shownTexts);

    FileSpec four;
    four.type = "4";
    four.variant = variant;
    Type4Record half;
    half.m = "050";
    half.inputs = "00000";
    four.operational << Type4Record{}.Line() << half.Line();
    show(four, 2);
    EXPECT_EQ(Picture(view), startUp);
    EXPECT_EQ(FourTexts(view),
              "Мз=50% Q=10т L=30м R=8м " + view.palette().color(QPalette::WindowText).name());
  }
  ExpectBoxes(boxes, {});
}

}  // namespace
