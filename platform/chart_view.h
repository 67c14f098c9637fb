#pragma once
// A chart control over Qt Charts: an ordered list of our own series with a left and a
// bottom axis. The series keep every point; after a fill the view replaces each drawn
// series in bulk with at most two points per pixel column, so long series repaint fast.

#include "platform/chart_series.h"

#include <QtCharts/QChartView>

#include <vector>

class QAbstractSeries;
class QBarCategoryAxis;
class QGraphicsSimpleTextItem;
class QValueAxis;

struct AxisRange {
  double minimum = 0;
  double maximum = 1;
  bool automatic = true;  // follows the data at every redraw
};

class ChartView : public QChartView {
  Q_OBJECT

 public:
  explicit ChartView(QWidget* parent = nullptr);
  ~ChartView() override;

  void SetTitle(const QString& text, const QFont& font);
  QString Title() const;

  // Series in the order they were added; a series is drawn by one chart at a time and leaves
  // the list when it ends or another chart takes it.
  void AddSeries(ChartSeries* series);
  void RemoveSeries(ChartSeries* series);
  int SeriesCount() const { return int(series_.size()); }
  ChartSeries* Series(int index) const { return series_[std::size_t(index)].data; }

  // The ranges the chart last used; reading them brings the drawing up to date first.
  AxisRange LeftAxis();
  AxisRange BottomAxis();
  // A set range stays until SetAxesAutomatic.
  void SetLeftAxisRange(double minimum, double maximum);
  void SetBottomAxisRange(double minimum, double maximum);
  void SetAxesAutomatic();

  // The bottom-axis value at a horizontal position in the view's pixels (not rounded).
  double XValueAtPixel(double pixel);
  // The plot area in the view's pixels.
  QRectF PlotArea() const;

  // Mirrors the series into the drawing now; changes otherwise wait for the event loop
  // so that a fill of many points redraws once.
  void Sync();
  bool SyncPending() const { return syncPending_; }
  // The number of points last handed to the drawing library for a series.
  int DrawnPointCount(int index) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Entry {
    ChartSeries* data = nullptr;
    QAbstractSeries* drawn = nullptr;
    int drawnPoints = 0;
    std::vector<QGraphicsSimpleTextItem*> marks;  // value marks of a bar series
  };

  void ScheduleSync();
  bool DropSeries(ChartSeries* series);
  void AttachAxes(QAbstractSeries* drawn, bool bars);
  void UpdateRanges();
  void SyncLine(Entry& entry, int pixelWidth);
  void SyncBars(Entry& entry);
  void PlaceMarks(Entry& entry);
  static void Apply(QValueAxis* axis, const AxisRange& range);

  std::vector<Entry> series_;
  QValueAxis* leftAxis_ = nullptr;
  QValueAxis* bottomAxis_ = nullptr;
  QBarCategoryAxis* categoryAxis_ = nullptr;
  AxisRange left_;
  AxisRange bottom_;
  bool syncPending_ = false;
  int syncedWidth_ = 0;
};
