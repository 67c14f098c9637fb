#include "platform/chart_series.h"

#include <gtest/gtest.h>

namespace {

// "x y label colour" of every point in order.
QStringList Points(const ChartSeries& s) {
  QStringList points;
  for (int i = 0; i < s.Count(); ++i) {
    const QString xy = QString("%1 %2 ").arg(s.XValue(i)).arg(s.YValue(i));
    points << xy + s.Label(i) + ' ' + s.PointColour(i).name();
  }
  return points;
}

TEST(ChartSeriesTest, PointsKeepXOrderLabelsAndColoursThroughAddAndDelete) {
  ChartSeries series;
  int changes = 0;
  series.SetChangeHandler([&] { ++changes; });
  for (int i = 0; i < 4; ++i) series.Add(i * 10, QString::number(i), i == 2 ? Qt::green : QColor());
  series.Delete(0);                        // the others keep their X
  series.Delete(9);                        // ignored
  EXPECT_EQ(series.Add(-3, u"e"), 3);      // at X = count
  EXPECT_EQ(series.AddXY(1, 5, u"f"), 1);  // after the point of equal X
  series.SetColour(Qt::blue);              // for every point without a colour of its own
  EXPECT_EQ(Points(series), (QStringList{"1 10 1 #0000ff", "1 5 f #0000ff", "2 20 2 #00ff00",
                                         "3 30 3 #0000ff", "3 -3 e #0000ff"}));
  EXPECT_EQ(series.MaxYValue(), 30);
  EXPECT_EQ(series.MinYValue(), -3);

  series.SetActive(false);
  series.SetActive(false);
  series.Clear();
  EXPECT_EQ(series.MaxYValue(), 0);
  EXPECT_EQ(changes, 10);  // every change but the ignored delete and the repeated state
}

TEST(ChartSeriesTest, DecimationKeepsEachColumnsExtremesInXOrder) {
  ChartSeries big;
  const int count = 65535;
  for (int i = 0; i < count; ++i) big.Add((i * 37) % 101 + (i == 40000 ? 500 : 0));
  big.AddXY(count, -700);
  const QList<QPointF> points = DecimateForPixels(big, 0, count, 500);
  EXPECT_LE(points.size(), 2 * 502);
  for (qsizetype i = 1; i < points.size(); ++i) EXPECT_LE(points[i - 1].x(), points[i].x());
  EXPECT_TRUE(points.contains(QPointF(40000, big.MaxYValue())));
  EXPECT_EQ(points.back(), QPointF(count, -700));
}

TEST(ChartSeriesTest, AxisMappingRunsBothWaysUnclamped) {
  EXPECT_DOUBLE_EQ((AxisMapping{-10, 30, 50, 400}.PixelOf(12.25)), 272.5);
  EXPECT_DOUBLE_EQ((AxisMapping{-10, 30, 50, 400}.ValueAt(49)), -10.1);
}

TEST(ChartSeriesTest, BarMarksGoInsideWhenTheyFitElseJustBeyondTheEnd) {
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
    SCOPED_TRACE(c.barRight);
    const QRectF plot(0, 0, c.plotRight, 100);
    const BarMark mark = PlaceBarMark(QRectF(0, 40, c.barRight, 20), text, c.fill, plot);
    EXPECT_EQ(mark.rect, QRectF(c.left, 44, 30, 12));
    EXPECT_EQ(mark.colour, c.ink);
    EXPECT_TRUE(plot.contains(mark.rect));
  }
}

}  // namespace
