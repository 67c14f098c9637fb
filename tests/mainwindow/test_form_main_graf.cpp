// The graph page: picking records on the chart and the point table window.
#include "main_window_fixture.h"
#include "mainwindow/form_graf_point.h"
#include "mainwindow/form_nastr_graf.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"

#include <QPointer>
#include <QTest>
#include <QToolButton>

using namespace jwtest;

namespace {

// Record n has the time stamp "dd.02.03 04:05:06" with dd = n and boom angle n degrees.
FileSpec Records(int count) {
  FileSpec spec;
  for (int n = 1; n <= count; ++n) {
    Type2Record r;
    r.stamp = QString("%1.02.03 04:05:06").arg(n, 2, 10, QChar('0'));
    r.a = QString("%1.00").arg(n, 4, 10, QChar('0'));
    spec.operational << r.Line();
  }
  return spec;
}

class GraphPageTest : public MainWindowTest {
 protected:
  // The graph page of the named file, with the windows the start-up gives the main window.
  TForm_main& OpenGraph(const FileSpec& spec) {
    TForm_main& w = StartOnFile(spec);
    w.SetWindows({.Form_NastrGraf = &settings_, .Form_GrafPoint = &points_});
    w.SpeedItem_GrafClick();
    chart_ = w.Chart_Data;
    chart_->Sync();
    return w;
  }

  // A position of the chart over bottom-axis value x.
  QPoint At(double x) {
    const AxisRange range = chart_->BottomAxis();
    const QRectF area = chart_->PlotArea();
    const double pixel =
        area.left() + (x - range.minimum) / (range.maximum - range.minimum) * area.width();
    return QPoint(int(std::lround(pixel)), int(area.center().y()));
  }
  void DoubleClickAt(double x) {
    QTest::mouseDClick(chart_->viewport(), Qt::LeftButton, {}, At(x));
  }

  GridModel& Table() { return points_.SG_GrafPoint->Grid(); }
  QList<int> Picks() {
    QList<int> picks;
    for (int k = 1; k <= window_->SelectedPointCount; ++k) picks << window_->SelectedPoints[k];
    return picks;
  }
  // A user's click on a cell of the point table.
  void ClickTableColumn(int col) {
    StringGrid* grid = points_.SG_GrafPoint;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(Table().IndexOf(col, 2)).center());
  }
  TForm_NastrGraf settings_;
  TForm_GrafPoint points_;
  ChartView* chart_ = nullptr;
};

}  // namespace

TEST_F(GraphPageTest, DoubleClicksPickRecordsInAscendingOrderWithMarkers) {
  TForm_main& w = OpenGraph(Records(12));
  // Left of the first graph point (X value below -0.5) nothing is picked.
  DoubleClickAt(-0.7);
  EXPECT_EQ(w.SelectedPointCount, 0);
  for (double x : {6.0, 2.0, 4.0}) DoubleClickAt(x);
  EXPECT_EQ(Picks(), (QList<int>{3, 5, 7}));
  // Each marker runs from 0 to the largest value of all graphs: the load degree, 83 %.
  EXPECT_EQ(w.Series_Point->XValue(3), 4);
  EXPECT_DOUBLE_EQ(w.Series_Point->YValue(4), 83);

  // Deleting the column of record 5 removes its marker.
  ClickTableColumn(3);
  points_.Btn_DelCol->click();
  EXPECT_EQ(Picks(), (QList<int>{3, 7}));

  // The same record may be picked twice; up to eleven picks, the twelfth adds nothing.
  for (double x : {2.0, 0.4, 1.0, 5.0, 8.0, 9.0, 10.0, 11.0, 11.0, 4.0}) DoubleClickAt(x);
  EXPECT_EQ(Picks(), (QList<int>{1, 2, 3, 3, 6, 7, 9, 10, 11, 12, 12}));
}

// The ten graphs as the screen shows them: every colour is found on the plot, white too, as
// the plot shows the panel's button face; a pick's marker runs the plot's height in maroon.
TEST_F(GraphPageTest, EveryGraphColourAndTheMarkerShowOnThePlot) {
  // Every graph at 0 and the load degree at 100 %, then 10, 20, ..., 90 and 95 % of the
  // full scales.
  const QString first =
      "01.02.03 04:05:06;0000.00;0000.00;+000;0000.00;0000.00;04;01;02;0000.00;"
      "0000.00;0000.00;0000.00;100;10000_000001_10000000000001;";
  const QString level =
      "01.02.03 04:05:06;0009.00;0008.00;+054;0100.00;0125.00;04;01;02;0012.00;"
      "0007.00;0024.00;0018.00;095;10000_000001_10000000000001;";
  FileSpec spec;
  spec.operational << first << level << level << level;
  TForm_main& w = OpenGraph(spec);
  DoubleClickAt(2.0);
  chart_->Sync();
  QCoreApplication::processEvents();
  const QImage image = chart_->viewport()->grab().toImage();
  const QRect plot = chart_->PlotArea().toAlignedRect().adjusted(1, 1, -1, -1);
  auto count = [&](const QColor& colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (image.pixelColor(x, y) == colour) ++n;
    return n;
  };
  for (int k = 1; k <= 10; ++k)
    EXPECT_GT(count(w.Series_G(k)->Colour(), plot), plot.width() / 2) << k;
  EXPECT_EQ(image.pixelColor(plot.right() - 4, plot.bottom() - int(plot.height() * 0.15)),
            chart_->palette().color(QPalette::Button));
  const QColor maroon(0x80, 0, 0);
  EXPECT_GT(count(maroon, QRect(At(2.0).x() - 1, plot.top(), 3, plot.height())),
            plot.height() * 0.9);
}

TEST_F(GraphPageTest, ClosingTheProgramOnTheGraphPageRunsNoPageHandler) {
  OpenGraph(Records(3));
  DoubleClickAt(1.0);
  ASSERT_TRUE(points_.isVisible());
  const QPointer<ChartView> chart = chart_;
  window_.reset();
  EXPECT_TRUE(chart.isNull());
  // Taking the window down is no change of page: the point table is not closed by it.
  EXPECT_TRUE(points_.isVisible());
}

// A record right of the last graph point is no row of the table: the error is reported and
// the page is not switched.
TEST_F(GraphPageTest, ShowInTableMovesTheTableRowOrReportsARecordPastTheTable) {
  TForm_main& w = OpenGraph(Records(5));
  ScriptedMessageBox boxes;
  chart_->SetBottomAxisRange(0, 9);
  DoubleClickAt(7);  // record 8
  ClickTableColumn(1);
  points_.Btn_InTble->click();
  ExpectBoxes(boxes, {{"Grid index out of range", "Ошибка", MsgButtons::Ok, MsgIcon::Error}});
  EXPECT_EQ(w.PageControl1->currentIndex(), 4);
  DoubleClickAt(3);
  ClickTableColumn(1);
  points_.Btn_InTble->click();
  EXPECT_EQ(w.SG_TPCR->Row(), 4);
  EXPECT_NE(w.PageControl1->currentIndex(), 4);
}
