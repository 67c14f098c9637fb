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
#include <QSet>
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
  Type2Record over;
  over.stamp = QStringLiteral("09.09.09 09:09:09");
  spec.overload << over.Line();
  return spec;
}

class PrintCommandTest : public MainWindowTest {
 protected:
  TForm_main& Open() {
    TForm_main& w = StartOnFile(TwoRecords());
    w.SetPrintWindows({&dialog_, &tpcr_, &param_, &graf_});
    return w;
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
  const std::pair<ReportLabel*, QLabel*> values[] = {{param_.QL_ST_Csum, w.ST_Csum},
                                                     {param_.QL_ST_Haract, w.ST_Haract},
                                                     {param_.QL_ST_ClassIsp, w.ST_ClassIsp},
                                                     {param_.QL_ST_Km, w.ST_Km},
                                                     {param_.QL_ST_Rezim, w.ST_Rezim},
                                                     {param_.QL_ST_Mch, w.ST_Mch},
                                                     {param_.QL_ST_TO, w.ST_TO}};
  // Distinct texts, so a label filled from the wrong value shows.
  QSet<QString> distinct;
  for (const auto& [label, value] : values) {
    EXPECT_EQ(label->Caption(), value->text()) << label->objectName().toStdString();
    distinct.insert(value->text());
  }
  EXPECT_GE(distinct.size(), 5);
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

// Marks column 1, prints every row and returns memo 1 as the preview saw it.
QStringList PrintFirstColumn(TForm_main& w, TForm_PrintDialog& dialog, TForm_PrintTPCR& tpcr) {
  QStringList lines;
  RecordingReportPreview preview([&](Report&) { lines = tpcr.QRMemo[1]->Lines(); });
  QTimer::singleShot(0, &dialog, [&] {
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.SG_PrintTab->rowCount(), 18);
    EXPECT_FALSE(dialog.btnPreview->isEnabled());
    dialog.SG_PrintTab->setCurrentCell(1, 1);
    dialog.SG_PrintTabDblClick();
    dialog.rbAll->click();
    dialog.btnPreview->click();
    dialog.close();
  });
  w.SpeedItem_Print->trigger();
  return lines;
}

// The table report takes the grid on show: records, search results or overloads.
TEST_F(PrintCommandTest, TableReportPrintsTheVisibleGrid) {
  TForm_main& w = Open();
  w.SpeedItem_TableClick();
  const GridModel& records = w.SG_TPCR->Grid();
  EXPECT_EQ(PrintFirstColumn(w, dialog_, tpcr_),
            (QStringList{records.Cells(1, 0), records.Cells(1, 1), records.Cells(1, 2)}));
  EXPECT_EQ(tpcr_.QRMemo[1]->Geometry().width(), w.SG_TPCR->columnWidth(1));

  GridModel& found = w.SG_TPCR_Find->Grid();
  found.SetRowCount(2);
  found.SetCells(1, 1, u"found");
  w.SG_TPCR->hide();
  w.SG_TPCR_Find->show();
  EXPECT_EQ(PrintFirstColumn(w, dialog_, tpcr_), (QStringList{records.Cells(1, 0), "found"}));

  w.SpeedItem_TableTPClick();
  EXPECT_EQ(PrintFirstColumn(w, dialog_, tpcr_),
            (QStringList{records.Cells(1, 0), "09.09.09 09:09:09"}));
}

TEST_F(PrintCommandTest, DialogIsCentredOverTheMainWindowAndTheListPageDoesNothing) {
  TForm_main& w = Open();
  RecordingReportPreview preview;
  w.SpeedItem_SpisokClick();
  ASSERT_EQ(w.PageControl1->currentIndex(), 0);
  w.SpeedItem_PrintClick();
  EXPECT_TRUE(preview.Previewed().isEmpty());

  w.SpeedItem_TableClick();
  QRect main;
  QRect box;
  QTimer::singleShot(0, &dialog_, [&] {
    main = w.frameGeometry();
    box = dialog_.frameGeometry();
    dialog_.close();
  });
  w.SpeedItem_Print->trigger();
  EXPECT_NEAR(box.top(), main.top() + main.height() / 2 - box.height() / 2, 1);
  EXPECT_NEAR(box.left(), main.left() + main.width() / 2 - box.width() / 2, 1);
}

}  // namespace
