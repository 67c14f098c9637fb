#include "data_file_builder.h"
#include "main_window_fixture.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"
#include "reports/form_print_dialog.h"
#include "reports/report_forms.h"
#include "reports/report_preview.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

using namespace jwtest;

namespace {

FileSpec TwoRecords() {
  FileSpec spec;
  for (int n = 1; n <= 2; ++n) {
    Type2Record r;
    r.stamp = QString("%1.02.03 04:05:06").arg(n, 2, 10, QChar('0'));
    spec.operational << r.Line();
  }
  return spec;
}

class PrintCommandTest : public MainWindowTest {
 protected:
  TForm_main& Open() {
    WriteDataFile(data_, "a.bbi", FileLines(TwoRecords()));
    TForm_main& w = StartOnData();
    w.SetPrintWindows({&dialog_, &tpcr_, &param_, &graf_});
    w.SelectRow(0);
    return w;
  }
  void TearDown() override {
    window_.reset();
    MainWindowTest::TearDown();
  }

  TForm_PrintDialog dialog_;
  TForm_PrintTPCR tpcr_;
  TForm_PrintParam param_;
  TForm_PrintGraf graf_;
};

TEST_F(PrintCommandTest, LongTermReportBorrowsTheSpectrumSeriesWhilePreviewed) {
  TForm_main& w = Open();
  w.SpeedItem_PeregrClick();
  int borrowed = -1;
  RecordingReportPreview preview([&](Report&) {
    borrowed = param_.QRChart1->SeriesCount();
    EXPECT_EQ(w.Chart1->SeriesCount(), 0);
  });
  w.N_Print->trigger();
  ASSERT_EQ(preview.Previewed(), QStringList{"QR_Param"});
  EXPECT_EQ(borrowed, 1);
  EXPECT_EQ(param_.QRChart1->SeriesCount(), 0);
  ASSERT_EQ(w.Chart1->SeriesCount(), 1);
  EXPECT_EQ(w.Chart1->Series(0), w.Series1);
  EXPECT_EQ(param_.QL_ST_Csum->Caption(), w.ST_Csum->text());
  EXPECT_EQ(param_.QL_ST_TO->Caption(), w.ST_TO->text());
  EXPECT_TRUE(param_.Heading.QL_Type_Kran->Caption().startsWith("Тип крана : "));
  EXPECT_EQ(param_.Heading.QL_Type_Kran->Caption(), "Тип крана : " + w.OpenFile.CraneType);
}

TEST_F(PrintCommandTest, GraphReportTakesElevenSeriesAndAxesThenGivesThemBackInPlace) {
  TForm_main& w = Open();
  w.SpeedItem_GrafClick();
  w.Chart_Data->SetLeftAxisRange(-5, 50);
  w.Chart_Data->SetBottomAxisRange(1, 2);
  std::vector<ChartSeries*> before;
  for (int i = 0; i < w.Chart_Data->SeriesCount(); ++i) before.push_back(w.Chart_Data->Series(i));
  RecordingReportPreview preview([&](Report&) {
    ASSERT_EQ(graf_.QRChart1->SeriesCount(), 11);
    EXPECT_EQ(graf_.QRChart1->Series(0), w.Series_G(1));
    EXPECT_EQ(graf_.QRChart1->Series(10), w.Series_G(11));
    EXPECT_EQ(w.Chart_Data->SeriesCount(), 3);  // the marker and the two spare series
    EXPECT_EQ(graf_.QRChart1->LeftAxis().minimum, -5);
    EXPECT_EQ(graf_.QRChart1->BottomAxis().maximum, 2);
  });
  w.SpeedItem_Print->trigger();
  ASSERT_EQ(preview.Previewed(), QStringList{"QR_Graf"});
  EXPECT_EQ(graf_.QRChart1->SeriesCount(), 0);
  std::vector<ChartSeries*> after;
  for (int i = 0; i < w.Chart_Data->SeriesCount(); ++i) after.push_back(w.Chart_Data->Series(i));
  EXPECT_EQ(after, before);
}

TEST_F(PrintCommandTest, TablePageOpensTheDialogOnTheVisibleGrid) {
  TForm_main& w = Open();
  w.SpeedItem_TableClick();
  QStringList firstColumn;
  RecordingReportPreview preview([&](Report&) { firstColumn = tpcr_.QRMemo[1]->Lines(); });
  QTimer::singleShot(0, &dialog_, [&] {
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.SG_PrintTab->rowCount(), w.SG_TPCR->Grid().ColCount());
    EXPECT_FALSE(dialog_.btnPreview->isEnabled());
    dialog_.SG_PrintTab->setCurrentCell(1, 1);
    dialog_.SG_PrintTabDblClick();
    dialog_.rbAll->click();
    dialog_.btnPreview->click();
    dialog_.close();
  });
  w.SpeedItem_Print->trigger();
  ASSERT_EQ(preview.Previewed(), QStringList{"QR_TPCR"});
  EXPECT_EQ(firstColumn, (QStringList{w.SG_TPCR->Grid().Cells(1, 0), w.SG_TPCR->Grid().Cells(1, 1),
                                      w.SG_TPCR->Grid().Cells(1, 2)}));
  EXPECT_EQ(tpcr_.QRMemo[1]->Geometry().width(), w.SG_TPCR->columnWidth(1));
}

}  // namespace
