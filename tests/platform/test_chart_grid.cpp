#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <cmath>
#include <memory>

namespace {

QString Number(double value) {
  return QString::number(value, 'g', 15);
}

TEST(ChartSeries, AddAppendsAtTheNextXWithLabelAndColour) {
  ChartSeries series;
  series.SetColour(Qt::blue);
  EXPECT_EQ(series.Add(5, u"first", QColor(Qt::green)), 0);
  EXPECT_EQ(series.Add(-3, u"second"), 1);
  ASSERT_EQ(series.Count(), 2);
  EXPECT_EQ(series.XValue(0), 0);
  EXPECT_EQ(series.XValue(1), 1);
  EXPECT_EQ(series.YValue(1), -3);
  EXPECT_EQ(series.Label(0), "first");
  EXPECT_EQ(series.Label(1), "second");
  EXPECT_EQ(series.PointColour(0), QColor(Qt::green));
  EXPECT_FALSE(series.FollowsSeriesColour(0));
  EXPECT_TRUE(series.FollowsSeriesColour(1));
  series.SetColour(Qt::magenta);
  EXPECT_EQ(series.PointColour(1), QColor(Qt::magenta));
  EXPECT_EQ(series.MaxYValue(), 5);
  EXPECT_EQ(series.MinYValue(), -3);
  series.Clear();
  EXPECT_EQ(series.Count(), 0);
  EXPECT_EQ(series.MaxYValue(), 0);
  EXPECT_EQ(series.MinYValue(), 0);
}

TEST(ChartSeries, AddXYKeepsAscendingXAndDeleteShiftsLaterPoints) {
  ChartSeries series(SeriesKind::FastLine);
  series.AddXY(6, 1, u"a");
  series.AddXY(2, 2, u"b", QColor(Qt::red));
  series.AddXY(4, 3, u"c");
  series.AddXY(4, 4, u"d");  // after the equal X
  ASSERT_EQ(series.Count(), 4);
  const double xs[] = {2, 4, 4, 6};
  const char* labels[] = {"b", "c", "d", "a"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(series.XValue(i), xs[i]) << i;
    EXPECT_EQ(series.Label(i), labels[i]) << i;
  }
  EXPECT_EQ(series.PointColour(0), QColor(Qt::red));
  EXPECT_TRUE(series.FollowsSeriesColour(3));

  series.Delete(1);
  series.Delete(1);
  series.Delete(7);  // ignored
  ASSERT_EQ(series.Count(), 2);
  EXPECT_EQ(series.Label(1), "a");
  EXPECT_EQ(series.XValue(1), 6);
  EXPECT_EQ(series.YValue(1), 1);

  // Add after points of larger X still adds at X = count, in X order.
  EXPECT_EQ(series.Add(9, u"e"), 1);
  EXPECT_EQ(series.XValue(1), 2);
  EXPECT_EQ(series.YValue(1), 9);
}

TEST(ChartSeries, DeleteOnImplicitXKeepsTheOtherXValues) {
  ChartSeries series;
  for (int i = 0; i < 5; ++i) series.Add(i * 10, QString::number(i));
  series.Delete(0);
  EXPECT_EQ(series.XValue(0), 1);
  EXPECT_EQ(series.XValue(3), 4);
  EXPECT_EQ(series.Label(3), "4");
  EXPECT_EQ(series.Add(7), 4);
  EXPECT_EQ(series.XValue(4), 4);
}

TEST(ChartSeries, ChangeHandlerRunsOnEveryChange) {
  ChartSeries series;
  int changes = 0;
  series.SetChangeHandler([&] { ++changes; });
  series.Add(1);
  series.AddXY(0, 1);
  series.Delete(0);
  series.SetActive(false);
  series.SetActive(false);
  series.SetColour(Qt::cyan);
  series.Clear();
  EXPECT_EQ(changes, 6);
}

TEST(ChartView, ASeriesLeavesItsViewWhenItEndsOrAnotherViewTakesIt) {
  ChartView first;
  auto ended = std::make_unique<ChartSeries>();
  ChartSeries moved;
  first.AddSeries(ended.get());
  first.AddSeries(&moved);
  ended.reset();
  ASSERT_EQ(first.SeriesCount(), 1);
  EXPECT_EQ(first.Series(0), &moved);
  {
    ChartView second;
    second.AddSeries(&moved);
    EXPECT_EQ(first.SeriesCount(), 0);
    EXPECT_EQ(second.SeriesCount(), 1);
  }
  // A view that ended first leaves its series whole and unlinked.
  moved.Add(5);
  EXPECT_EQ(moved.Count(), 1);
  first.AddSeries(&moved);
  first.Sync();
  EXPECT_EQ(first.DrawnPointCount(0), 1);
}

TEST(ChartDecimation, KeepsShortSeriesAndEachColumnsExtremes) {
  ChartSeries series;
  for (int i = 0; i < 10; ++i) series.Add(i);
  EXPECT_EQ(DecimateForPixels(series, 0, 9, 100).size(), 10);

  ChartSeries big;
  const int count = 65535;
  for (int i = 0; i < count; ++i) big.Add(std::sin(i * 0.01) * 50 + (i == 40000 ? 500 : 0));
  big.AddXY(count, -700);
  const QList<QPointF> points = DecimateForPixels(big, 0, count, 500);
  EXPECT_LE(points.size(), 2 * 502);
  bool sawMax = false, sawMin = false;
  for (qsizetype i = 1; i < points.size(); ++i) EXPECT_LE(points[i - 1].x(), points[i].x());
  for (const QPointF& p : points) {
    sawMax = sawMax || p.y() == big.MaxYValue();
    sawMin = sawMin || p.y() == -700;
  }
  EXPECT_TRUE(sawMax);
  EXPECT_TRUE(sawMin);
  EXPECT_EQ(points.front().x(), 0);
  EXPECT_EQ(points.back().x(), count);
}

TEST(ChartDecimation, AxisMappingIsTheInverseOfItself) {
  const AxisMapping mapping{-10, 30, 50, 400};
  EXPECT_EQ(mapping.ValueAt(50), -10);
  EXPECT_EQ(mapping.ValueAt(450), 30);
  EXPECT_DOUBLE_EQ(mapping.ValueAt(mapping.PixelOf(12.25)), 12.25);
  EXPECT_DOUBLE_EQ(mapping.ValueAt(49), -10.1);  // not clamped, not rounded
}

TEST(ChartDecimation, BarMarksGoInsideWhenTheyFitElseJustBeyondTheEnd) {
  const QSizeF text(30, 12);
  const struct {
    double plotRight, barRight;
    QColor fill;
    double left;
    QColor ink;
  } cases[] = {
      {200, 150, Qt::blue, 117, Qt::white},               // inside the end, light on dark
      {200, 150, QColor(0xFF, 0xFF, 0), 117, Qt::black},  // dark on yellow
      {200, 150, QColor(0, 0xFF, 0), 117, Qt::black},     // dark on lime
      {200, 20, Qt::red, 23, Qt::black},                  // too short: beyond the end
      {200, 0, Qt::red, 3, Qt::black},                    // an empty band
      {40, 30, Qt::red, 7, Qt::white},                    // no room beyond: kept in the plot
  };
  for (const auto& c : cases) {
    const QRectF plot(0, 0, c.plotRight, 100);
    const BarMark mark = PlaceBarMark(QRectF(0, 40, c.barRight, 20), text, c.fill, plot);
    EXPECT_EQ(mark.rect, QRectF(c.left, 44, 30, 12)) << c.barRight;
    EXPECT_EQ(mark.colour, c.ink) << c.barRight;
    EXPECT_TRUE(plot.contains(mark.rect)) << c.barRight;
  }
}

TEST(ChartView, MirrorsAFillOnceWithFewPointsPerPixelColumn) {
  ChartView view;
  view.resize(800, 500);
  ChartSeries line;
  ChartSeries hidden;
  view.AddSeries(&line);
  view.AddSeries(&hidden);
  view.Sync();
  for (int i = 0; i < 65535; ++i) line.Add(i % 100, u"t");
  hidden.Add(1000);
  hidden.SetActive(false);
  EXPECT_TRUE(view.SyncPending());
  QSignalSpy spy(view.chart()->series().first(), SIGNAL(pointsReplaced()));
  ASSERT_TRUE(spy.wait(2000));
  EXPECT_EQ(spy.count(), 1);
  EXPECT_FALSE(view.SyncPending());
  EXPECT_LE(view.DrawnPointCount(0), 2 * 800 + 4);
  EXPECT_GT(view.DrawnPointCount(0), 100);
  EXPECT_EQ(view.DrawnPointCount(1), 0);
  EXPECT_EQ(line.Count(), 65535);

  // Automatic ranges follow the active series only.
  const AxisRange left = view.LeftAxis();
  EXPECT_EQ(left.minimum, 0);
  EXPECT_EQ(left.maximum, 99);
  const AxisRange bottom = view.BottomAxis();
  EXPECT_EQ(bottom.minimum, 0);
  EXPECT_EQ(bottom.maximum, 65534);
  EXPECT_TRUE(bottom.automatic);
}

TEST(ChartView, SetRangesStayAndMapPixelsToValues) {
  ChartView view;
  view.resize(600, 400);
  view.show();
  ChartSeries line;
  view.AddSeries(&line);
  for (int i = 0; i < 11; ++i) line.Add(i);
  view.SetBottomAxisRange(-0.5, 10.5);
  view.SetLeftAxisRange(-20, 120);
  view.Sync();
  line.Add(500);
  EXPECT_EQ(view.LeftAxis().maximum, 120);
  EXPECT_FALSE(view.LeftAxis().automatic);
  const QRectF area = view.PlotArea();
  ASSERT_GT(area.width(), 0);
  EXPECT_NEAR(view.XValueAtPixel(area.left()), -0.5, 1e-9);
  EXPECT_NEAR(view.XValueAtPixel(area.right()), 10.5, 1e-9);
  EXPECT_NEAR(view.XValueAtPixel(area.center().x()), 5, 1e-9);

  view.SetAxesAutomatic();
  EXPECT_EQ(view.LeftAxis().maximum, 500);
  EXPECT_EQ(view.BottomAxis().maximum, 11);

  view.RemoveSeries(&line);
  EXPECT_EQ(view.SeriesCount(), 0);
  view.Sync();
  line.Add(1);  // no longer tied to the view
  EXPECT_FALSE(view.SyncPending());
}

TEST(ChartView, BarsGetTheirOwnColoursAndStartAtZero) {
  ChartView view;
  ChartSeries bars(SeriesKind::HorizontalBar);
  view.AddSeries(&bars);
  bars.Add(30, u"one", QColor(0, 0, 255));
  bars.Add(70, u"two", QColor(255, 0, 0));
  view.Sync();
  EXPECT_EQ(view.DrawnPointCount(0), 2);
  EXPECT_EQ(view.BottomAxis().minimum, 0);
  EXPECT_EQ(view.BottomAxis().maximum, 70);
  ASSERT_EQ(view.Series(0), &bars);
}

TEST(GridModel, CellsInSystemIndicesWithTitlesAsHeader) {
  GridModel grid;
  grid.SetNumberFormat(&Number);
  grid.SetColCount(3);
  grid.SetRowCount(3);
  grid.SetCells(0, 0, u"№");
  grid.SetCells(1, 0, u"Мз");
  grid.SetCells(1, 1, u"текст");
  grid.SetNumber(2, 2, 12.5);
  grid.SetCells(5, 1, u"outside");
  grid.SetNumber(1, 9, 1);
  EXPECT_EQ(grid.Cells(1, 1), "текст");
  EXPECT_EQ(grid.Cells(2, 2), "12.5");
  EXPECT_EQ(grid.Cells(2, 1), "");
  EXPECT_EQ(grid.Cells(5, 1), "");
  EXPECT_EQ(grid.Cells(-1, 0), "");

  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.columnCount(), 3);
  EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), "Мз");
  EXPECT_EQ(grid.data(grid.index(1, 2)).toString(), "12.5");
  EXPECT_EQ(GridModel::GridRow(grid.IndexOf(2, 2)), 2);
  EXPECT_FALSE(grid.IndexOf(1, 0).isValid());

  grid.SetColCount(2);
  EXPECT_EQ(grid.Cells(1, 1), "текст");
  EXPECT_EQ(grid.Cells(2, 2), "");
  grid.SetColCount(4);
  EXPECT_EQ(grid.Cells(3, 1), "");
  EXPECT_EQ(grid.Cells(0, 0), "№");
  grid.SetRowCount(1);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cells(1, 1), "");
  EXPECT_EQ(grid.Cells(1, 0), "Мз");
}

TEST(GridModel, UpdatesReachViewsAsOneResetAndSingleCellsAsChanges) {
  GridModel grid;
  QSignalSpy resets(&grid, &GridModel::modelReset);
  QSignalSpy changes(&grid, &GridModel::dataChanged);
  QSignalSpy header(&grid, &GridModel::headerDataChanged);
  QSignalSpy sizes(&grid, &GridModel::SizesChanged);
  grid.BeginUpdate();
  grid.SetColCount(18);
  grid.SetRowCount(1000);
  for (int r = 0; r < 1000; ++r) grid.SetCells(1, r, u"x");
  grid.EndUpdate();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(changes.count(), 0);
  grid.SetCells(1, 5, u"y");
  grid.SetCells(1, 0, u"title");
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(header.count(), 1);
  grid.SetColWidth(3, 90);
  grid.SetColWidth(3, 90);
  grid.SetDefaultRowHeight(17);
  EXPECT_EQ(sizes.count(), 2);
  EXPECT_EQ(grid.ColWidth(3), 90);
  EXPECT_EQ(grid.ColWidth(4), grid.DefaultColWidth());
}

TEST(GridModel, RewrittenTextsStayRightWhenTheStoreIsCompacted) {
  GridModel grid;
  grid.SetColCount(2);
  grid.SetRowCount(2);
  for (int i = 0; i < 5000; ++i) {
    grid.SetCells(0, 1, QStringLiteral("значение %1").arg(i));
    grid.SetCells(1, 1, QStringLiteral("other %1").arg(i));
  }
  EXPECT_EQ(grid.Cells(0, 1), "значение 4999");
  EXPECT_EQ(grid.Cells(1, 1), "other 4999");
  grid.ClearRow(1);
  grid.Squeeze();
  EXPECT_EQ(grid.Cells(0, 1), "");
  grid.SetNumber(1, 1, 3);
  EXPECT_EQ(grid.Cells(1, 1), "");  // no number format set
}

}  // namespace
