// The decoded-record windows on their own and driven by the main window's decode command
// and grid clicks.
#include "controls/bm_bitmap_image.h"
#include "main_window_fixture.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/form_view2.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"

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
QString Memo(QWidget& w) {
  return w.findChild<QPlainTextEdit*>("memoMessage")->toPlainText();
}

// Records whose reeving is n.
FileSpec Records(const QString& variant, int count) {
  FileSpec spec;
  spec.variant = variant;
  for (int n = 1; n <= count; ++n)
    spec.operational << Type2Record{.np = QString("%1").arg(n, 2, 10, QChar('0'))}.Line();
  return spec;
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

TEST_F(DecodeCommandTest, F7ShowsTheWindowFilledFromTheRowAndHidesAgain) {
  TForm_main& w = OpenTable(Records("10", 3));
  w.SG_TPCR->SetRow(2);
  F7();
  ASSERT_TRUE(view1_.isVisible());
  EXPECT_FALSE(view2_.isVisible());
  EXPECT_EQ(Text(view1_, "stNp"), "Запасовка 2x");
  F7();
  EXPECT_FALSE(view1_.isVisible());
  F7();
  w.SpeedItem_SpisokClick();
  EXPECT_FALSE(view1_.isVisible());
  OpenTable(Records("7", 1));
  F7();
  EXPECT_FALSE(view1_.isVisible()) << "variant 0 has no window";
}

// Rows that do not convert at the type-2 places raise nothing and leave what they do not hold.
TEST_F(DecodeCommandTest, Type4RowsAndTheEmptyRowRaiseNoBoxInEitherWindow) {
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
    QDialog* view = QString(variant) == "10" ? static_cast<QDialog*>(&view1_) : &view2_;
    view->findChild<QPlainTextEdit*>("memoMessage")->setPlainText("from an earlier record");
    F7();
    ASSERT_TRUE(view->isVisible());
    for (int row : {2, 3}) w.SG_TPCR->SetRow(row);
    w.SpeedItem_TableTPClick();
    w.SG_TP->SetRow(2);
    EXPECT_EQ(Text(*view, "stMz"), "Мз=102%");
    EXPECT_EQ(Text(*view, "stK"), "Полный контур");
    EXPECT_EQ(Index(*view, "im8"), 15);
    EXPECT_EQ(Memo(*view), "");
    view->hide();
  }

  // The placeholder row of an empty type-2 table.
  FileSpec spec = Records("10", 1);
  spec.operational = {Type2Record{.stamp = "00.00.00 00:00:00"}.Line()};
  OpenTable(spec);
  F7();
  EXPECT_EQ(Text(view1_, "stMz"), "Мз=%");
  ExpectBoxes(boxes, {});
}

}  // namespace
