#include "platform/chart_view.h"

#include <QSignalSpy>

#include <gtest/gtest.h>
#include <memory>

TEST(ChartViewTest, ASeriesLeavesItsViewWhenItEndsOrAnotherViewTakesIt) {
  ChartView first;
  auto ended = std::make_unique<ChartSeries>();
  ChartSeries bars(SeriesKind::HorizontalBar);
  first.AddSeries(ended.get());
  first.AddSeries(&bars);
  ended.reset();
  ASSERT_EQ(first.SeriesCount(), 1);
  EXPECT_EQ(first.Series(0), &bars);
  {
    ChartView second;
    second.AddSeries(&bars);
    EXPECT_EQ(first.SeriesCount(), 0);
  }
  // A view that ended first leaves its series whole and unlinked.
  bars.Add(5, u"one", Qt::blue);
  first.AddSeries(&bars);
  first.Sync();
  EXPECT_EQ(first.DrawnPointCount(0), 1);
  EXPECT_EQ(first.BottomAxis().minimum, 0);  // bar values run from zero
}

TEST(ChartViewTest, AFillRedrawsOnceWithFewPointsPerPixelColumn) {
  ChartView view;
  view.resize(800, 500);
  view.show();
  ChartSeries line;
  ChartSeries hidden;
  view.AddSeries(&line);
  view.AddSeries(&hidden);
  for (int i = 0; i < 65535; ++i) line.Add(i % 100, u"t");
  hidden.Add(1000);
  hidden.SetActive(false);
  QSignalSpy spy(view.chart()->series().first(), SIGNAL(pointsReplaced()));
  ASSERT_TRUE(spy.wait(2000));
  EXPECT_EQ(spy.count(), 1);
  EXPECT_LE(view.DrawnPointCount(0), 2 * 800 + 4);
  EXPECT_EQ(view.DrawnPointCount(1), 0);
  // Automatic ranges follow the active series only.
  EXPECT_EQ(view.LeftAxis().maximum, 99);
  const QRectF area = view.PlotArea();
  EXPECT_NEAR(view.XValueAtPixel(area.right()), 65534, 1e-9);

  view.RemoveSeries(&line);
  view.Sync();
  line.Add(1);  // no longer tied to the view
  EXPECT_FALSE(view.SyncPending());
}
