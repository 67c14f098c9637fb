// The decoded-record windows on their own and driven by the main window's decode command
// and grid clicks.
#include "controls/bm_bitmap_image.h"
#include "controls/bm_classes.h"
#include "data_file_builder.h"
#include "main_window_fixture.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/form_view2.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace jwtest;

namespace {

QString Text(QWidget& w, const char* name) {
  auto* label = w.findChild<QLabel*>(name);
  return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
}
QColor TextColour(QWidget& w, const char* name) {
  return w.findChild<QLabel*>(name)->palette().color(QPalette::WindowText);
}
int Index(QWidget& w, const char* name) {
  auto* image = w.findChild<TBmBitmapImage*>(name);
  return image ? image->BitmapIndex() : -100;
}
QStringList Memo(QWidget& w) {
  const QString text = w.findChild<QPlainTextEdit*>("memoMessage")->toPlainText();
  return text.isEmpty() ? QStringList{} : text.split('\n');
}

// A grid with one type-2 record in row 1.
void FillRow(GridModel& grid, const QString& mz, const QString& contour, const QString& inputs) {
  grid.SetColCount(18);
  grid.SetRowCount(2);
  const QStringList cells = {"1",      "01.02.03 04:05:06",
                             "10",     "15.7",
                             "20",     "30",
                             "40",     "2",
                             "6",      contour,
                             "3.5",    "9.25",
                             "20",     "12",
                             mz,       "00100",
                             "000010", inputs};
  for (int col = 0; col < 18; ++col) grid.SetCells(col, 1, cells[col]);
}

TEST(DecodedViewTest, CaptionsAndStartPictures) {
  TformView1 view1;
  TFormView2 view2;
  EXPECT_EQ(view1.objectName(), "formView1");
  EXPECT_EQ(view2.objectName(), "FormView2");
  EXPECT_EQ(view1.windowTitle(), "Расшифровка данных, Kvarel-10");
  EXPECT_EQ(view2.windowTitle(), "Расшифровка данных, Kvarel-02");
  for (QDialog* view : {static_cast<QDialog*>(&view1), static_cast<QDialog*>(&view2)}) {
    EXPECT_TRUE(view->windowFlags() & Qt::WindowStaysOnTopHint);
    const std::pair<const char*, const char*> texts[] = {
        {"stMz", "Мз=100%"},      {"stR", "R=19.87м"},         {"stQ", "Q=15.35т"},
        {"stL", "L=15.7м"},       {"stC", "Нет оборудования"}, {"stK", "Полный контур"},
        {"stNp", "Запасовка 8х"}, {"LabRmax", "max"},          {"labRmin", "min"}};
    for (const auto& [name, text] : texts) EXPECT_EQ(Text(*view, name), text);
    EXPECT_EQ(Index(*view, "imE1"), 16);
  }
  EXPECT_EQ(view1.BmBitmapList1->Bitmaps()->Count(), 18);
  EXPECT_EQ(view2.BmBitmapList1->Bitmaps()->Count(), 20);
  EXPECT_NE(view2.BmBitmapList1->Bitmaps()->Bitmap(0), view2.BmBitmapList1->Bitmaps()->Bitmap(1));
  for (int i = 1; i <= 8; ++i)
    EXPECT_EQ(Index(view1, qPrintable(QString("im%1").arg(i))), 2 * i - 1);
  EXPECT_EQ(Index(view2, "im3"), 5);
  EXPECT_EQ(Index(view2, "im8"), 15);
  EXPECT_EQ(Index(view2, "imE2"), 18);
  EXPECT_EQ(view2.findChild<QWidget*>("im1"), nullptr);
}

TEST(DecodedViewTest, ARowFillsTheWindowAndACellThatDoesNotConvertKeepsItsPart) {
  GridModel grid;
  TformView1 view;
  FillRow(grid, "105", "5", "11011111111110");
  view.DecodeRecordVariant10(grid, 1, 2);
  EXPECT_EQ(Text(view, "stMz"), "Мз=105%");
  EXPECT_EQ(Text(view, "stQ"), "Q=3.5т");
  EXPECT_EQ(Text(view, "stR"), "R=9.25м");
  EXPECT_EQ(Text(view, "stC"), "Главный подъём");
  EXPECT_EQ(Text(view, "stK"), "Опоры 5.0 м");
  EXPECT_EQ(Text(view, "stNp"), "Запасовка 2x");
  EXPECT_EQ(TextColour(view, "stMz"), QColor(255, 0, 0));
  EXPECT_EQ(TextColour(view, "LabRmax"), QColor(255, 0, 0));
  EXPECT_NE(TextColour(view, "labRmin"), QColor(255, 0, 0));
  EXPECT_EQ(Index(view, "im1"), 0);
  EXPECT_EQ(Index(view, "im8"), 15);
  EXPECT_EQ(Index(view, "imE1"), 16);
  EXPECT_EQ(Memo(view),
            (QStringList{"Перегрузка,", "Предельный подъем крюка,", "Максимальный вылет,",
                         "Ускоренная работа лебедки,", "Подъем стрелы,"}));

  FillRow(grid, "50", "x", "11111111111111");
  view.DecodeRecordVariant10(grid, 1, 2);
  EXPECT_EQ(Text(view, "stMz"), "Мз=50%");
  EXPECT_NE(TextColour(view, "stMz"), QColor(255, 0, 0));
  EXPECT_EQ(Text(view, "stK"), "Опоры 5.0 м");
  EXPECT_EQ(Index(view, "im8"), 14);
  EXPECT_EQ(Memo(view), (QStringList{"Максимальный вылет,", "Ускоренная работа лебедки,"}));

  TFormView2 view2;
  FillRow(grid, "50", "2", "11111111111111");
  view2.DecodeRecordVariant02(grid, 1, 2);
  EXPECT_EQ(Text(view2, "stK"), "Без опор");
  EXPECT_EQ(Index(view2, "im3"), 4);
  EXPECT_EQ(Index(view2, "imE1"), 17);
  EXPECT_EQ(Index(view2, "imE2"), 18);
  EXPECT_EQ(Memo(view2), (QStringList{"Максимальный вылет,", "Выдвижение секции стрелы,",
                                      "Ускоренная работа лебедки,", "Подъем стрелы,"}));
}

TEST(DecodedViewTest, EscClosesOnlyTheFirstWindow) {
  TformView1 view1;
  TFormView2 view2;
  view1.show();
  view2.show();
  QTest::keyClick(view1.memoMessage, Qt::Key_Escape);
  EXPECT_FALSE(view1.isVisible());
  QTest::keyClick(view2.memoMessage, Qt::Key_Escape);
  QTest::keyClick(&view2, Qt::Key_Escape);
  EXPECT_TRUE(view2.isVisible());
}

// Records whose load degree is 80 + n and whose reeving is n.
FileSpec Records(const QString& variant, int count) {
  FileSpec spec;
  spec.variant = variant;
  for (int n = 1; n <= count; ++n) {
    Type2Record r;
    r.m = QString("%1").arg(80 + n, 3, 10, QChar('0'));
    r.np = QString("%1").arg(n, 2, 10, QChar('0'));
    spec.operational << r.Line();
    spec.overload << r.Line();
  }
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

TEST_F(DecodeCommandTest, F7ShowsCentredFilledFromTheRowAndHidesAgain) {
  TForm_main& w = OpenTable(Records("10", 3));
  w.SG_TPCR->SetRow(2);
  EXPECT_EQ(w.CurrentRowTPCR, 2);
  F7();
  ASSERT_TRUE(view1_.isVisible());
  EXPECT_FALSE(view2_.isVisible());
  EXPECT_EQ(Text(view1_, "stMz"), "Мз=82%");
  const QRect main = w.frameGeometry();
  EXPECT_NEAR(view1_.frameGeometry().center().x(), main.center().x(), 1);
  EXPECT_NEAR(view1_.frameGeometry().center().y(), main.center().y(), 1);

  // Clicks follow while it is shown.
  w.SG_TPCR->SetRow(3);
  EXPECT_EQ(Text(view1_, "stNp"), "Запасовка 3x");
  F7();
  EXPECT_FALSE(view1_.isVisible());
  w.SG_TPCR->SetRow(1);
  EXPECT_EQ(Text(view1_, "stNp"), "Запасовка 3x");

  // The search results fill it as well, the list page hides it.
  F7();
  EXPECT_EQ(Text(view1_, "stNp"), "Запасовка 1x");
  w.SG_TPCR_Find->Grid().SetColCount(18);
  w.SG_TPCR_Find->Grid().SetRowCount(2);
  w.SG_TPCR_Find->Grid().SetCells(7, 1, QStringLiteral("9"));
  for (int col : {2, 3, 4, 5, 6, 8, 9, 14}) w.SG_TPCR_Find->Grid().SetCells(col, 1, u"0");
  w.SG_TPCR->hide();
  w.SG_TPCR_Find->show();
  w.SG_TPCR_FindClick();
  EXPECT_EQ(Text(view1_, "stNp"), "Запасовка 9x");
  w.SpeedItem_SpisokClick();
  EXPECT_FALSE(view1_.isVisible());
}

TEST_F(DecodeCommandTest, Variant02UsesTheSecondWindowOnTheOverloadPageToo) {
  TForm_main& w = OpenTable(Records("2", 3));
  F7();
  ASSERT_TRUE(view2_.isVisible());
  EXPECT_FALSE(view1_.isVisible());
  EXPECT_EQ(Text(view2_, "stMz"), "Мз=81%");
  w.SpeedItem_TableTPClick();
  w.SG_TP->SetRow(3);
  EXPECT_EQ(w.CurrentRowTP, 3);
  EXPECT_EQ(Text(view2_, "stMz"), "Мз=83%");
  // The second window stays open on the list page.
  w.SpeedItem_SpisokClick();
  EXPECT_TRUE(view2_.isVisible());
}

TEST_F(DecodeCommandTest, Variant0ShowsNothingButStillTakesTheRow) {
  TForm_main& w = OpenTable(Records("7", 3));
  w.SG_TPCR->SetRow(3);
  w.CurrentRowTPCR = 0;
  F7();
  EXPECT_FALSE(view1_.isVisible());
  EXPECT_FALSE(view2_.isVisible());
  EXPECT_EQ(w.CurrentRowTPCR, 3);
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
    EXPECT_EQ(Text(*view, "stQ"), "Q=10т");
    EXPECT_EQ(Text(*view, "stK"), "Полный контур");
    EXPECT_EQ(Text(*view, "stNp"), "Запасовка 8х");
    EXPECT_NE(TextColour(*view, "stMz"), QColor(255, 0, 0));
    EXPECT_EQ(Index(*view, "im8"), 15);
    EXPECT_EQ(Memo(*view), QStringList{});
    view->hide();
  }

  // The placeholder row of an empty type-2 table.
  FileSpec spec = Records("10", 1);
  spec.operational = {Type2Record{.stamp = "00.00.00 00:00:00"}.Line()};
  OpenTable(spec);
  F7();
  EXPECT_TRUE(view1_.isVisible());
  EXPECT_EQ(Text(view1_, "stMz"), "Мз=%");
  EXPECT_EQ(Text(view1_, "stK"), "Полный контур");
  ExpectBoxes(boxes, {});
}

}  // namespace
