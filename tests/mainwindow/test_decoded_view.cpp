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
  EXPECT_EQ(Text(view1_, "stMz"), "Мз=%");
  w.SpeedItem_SpisokClick();
  EXPECT_FALSE(view1_.isVisible());
  spec.variant = "7";
  OpenTable(spec);
  F7();
  EXPECT_FALSE(view1_.isVisible()) << "variant 0 has no window";
  ExpectBoxes(boxes, {});
}

}  // namespace
