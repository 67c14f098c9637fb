#include "main_window_fixture.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"
#include "reports/form_print_dialog.h"
#include "reports/report_forms.h"
#include "reports/report_preview.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

using namespace jwtest;

namespace {

class PrintCommandTest : public MainWindowTest {
 protected:
  TForm_main& Open() {
    FileSpec spec;
    spec.operational = {Type2Record().Line(), Type2Record{.stamp = "02.02.03 04:05:06"}.Line()};
    spec.overload = {Type2Record{.stamp = "09.09.09 09:09:09"}.Line()};
    TForm_main& w = StartOnFile(spec);
    w.SetPrintWindows({&dialog_, &tpcr_, &param_, &graf_});
    return w;
  }
  // Marks column 1, prints every row and returns memo 1 as the preview saw it.
  QStringList PrintFirstColumn(TForm_main& w) {
    QStringList lines;
    RecordingReportPreview preview([&](Report&) { lines = tpcr_.QRMemo[1]->Lines(); });
    QTimer::singleShot(0, &dialog_, [&] {
      dialog_.SG_PrintTab->setCurrentCell(1, 1);
      dialog_.SG_PrintTabDblClick();
      dialog_.rbAll->click();
      dialog_.btnPreview->click();
      dialog_.close();
    });
    w.SpeedItem_Print->trigger();
    return lines;
  }

  TForm_PrintDialog dialog_;
  TForm_PrintTPCR tpcr_;
  TForm_PrintParam param_;
  TForm_PrintGraf graf_;
};

// The table report takes the grid on show: records or overloads.
TEST_F(PrintCommandTest, ReportsPrintTheVisibleGridAndBorrowTheChartSeries) {
  TForm_main& w = Open();
  w.SpeedItem_TableClick();
  EXPECT_EQ(PrintFirstColumn(w),
            (QStringList{"Дата и время", "01.02.03 04:05:06", "02.02.03 04:05:06"}));
  // Search results print in place of the records while they are shown.
  GridModel& found = w.SG_TPCR_Find->Grid();
  found.SetRowCount(2);
  found.SetCells(1, 1, QStringLiteral("07.07.07 07:07:07"));
  w.SG_TPCR->hide();
  w.SG_TPCR_Find->show();
  EXPECT_EQ(PrintFirstColumn(w), (QStringList{"Дата и время", "07.07.07 07:07:07"}));
  w.SpeedItem_TableTPClick();
  EXPECT_EQ(PrintFirstColumn(w), (QStringList{"Дата и время", "09.09.09 09:09:09"}));

  // The graph report borrows the chart's series while previewed and gives them back in place.
  w.SpeedItem_GrafClick();
  std::vector<ChartSeries*> before;
  for (int i = 0; i < w.Chart_Data->SeriesCount(); ++i) before.push_back(w.Chart_Data->Series(i));
  RecordingReportPreview graph([&](Report&) {
    ASSERT_EQ(graf_.QRChart1->SeriesCount(), 11);
    EXPECT_EQ(graf_.QRChart1->Series(10), w.Series_G(11));
  });
  w.SpeedItem_Print->trigger();
  ASSERT_EQ(graph.Previewed(), QStringList{"QR_Graf"});
  std::vector<ChartSeries*> after;
  for (int i = 0; i < w.Chart_Data->SeriesCount(); ++i) after.push_back(w.Chart_Data->Series(i));
  EXPECT_EQ(after, before);
}

}  // namespace
