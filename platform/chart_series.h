#pragma once
// Series data of the chart layer: every point with its X, Y, label and colour. The
// series keeps all points; a view hands the drawing library only what fits its pixels.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <vector>

enum class SeriesKind { Line, FastLine, HorizontalBar };

class ChartSeries {
 public:
  explicit ChartSeries(SeriesKind kind = SeriesKind::Line, QString name = {});
  ChartSeries(const ChartSeries&) = delete;
  ChartSeries& operator=(const ChartSeries&) = delete;
  ~ChartSeries();

  SeriesKind Kind() const { return kind_; }
  const QString& Name() const { return name_; }

  void Clear();
  // Appends a point at X = the number of points the series had. An invalid colour makes
  // the point follow the series colour. Returns the index of the new point.
  int Add(double value, QStringView label = {}, const QColor& colour = QColor());
  // Adds a point at x; points stay sorted by ascending X (after any point of equal X).
  int AddXY(double x, double y, QStringView label = {}, const QColor& colour = QColor());
  // Removes one point; later points move down by one. An index out of range is ignored.
  void Delete(int index);

  int Count() const { return int(ys_.size()); }
  double XValue(int index) const;
  double YValue(int index) const { return ys_[std::size_t(index)]; }
  QString Label(int index) const;
  // The point's own colour, or the series colour while the point follows it.
  QColor PointColour(int index) const;
  bool FollowsSeriesColour(int index) const;

  bool Active() const { return active_; }
  void SetActive(bool active);
  QColor Colour() const { return colour_; }
  void SetColour(const QColor& colour);
  // The pen of the connecting line; the series colour while none is set.
  QColor LinePenColour() const { return linePen_.isValid() ? linePen_ : colour_; }
  void SetLinePenColour(const QColor& colour);

  // Largest and smallest Y and X; 0 for an empty series.
  double MaxYValue() const;
  double MinYValue() const;
  double MaxXValue() const;
  double MinXValue() const;

  // Links the series to the view that draws it: changed runs after every change (one redraw
  // for a whole fill), left when the series ends or another link replaces this one, so a view
  // never keeps a series past its life. An empty changed handler unlinks without a word.
  void SetChangeHandler(std::function<void()> changed, std::function<void()> left = {});

 private:
  void Changed();
  void MaterializeX();
  void InsertPoint(std::size_t at, double x, double y, QStringView label, const QColor& colour);

  SeriesKind kind_;
  QString name_;
  QColor colour_{Qt::red};
  QColor linePen_;
  bool active_ = true;
  // Points as parallel arrays; xs_ stays empty while every X equals its index, and
  // colours_ while every point follows the series colour, which keeps long series small.
  std::vector<double> ys_;
  std::vector<double> xs_;
  std::vector<QRgb> colours_;
  std::vector<std::uint8_t> ownColour_;
  QByteArray labelText_;  // UTF-8 labels back to back
  std::vector<std::uint32_t> labelEnd_;
  std::function<void()> onChange_;
  std::function<void()> onLeave_;
};

// The points of a series (sorted by X) reduced for drawing over pixelWidth columns that
// span [xMin, xMax]: every column keeps its lowest and highest point in their original
// order, so the drawn outline is the same as with every point. A series with no more
// than two points per column comes back whole.
QList<QPointF> DecimateForPixels(const ChartSeries& series, double xMin, double xMax,
                                 int pixelWidth);

// Where a horizontal bar's value mark goes: inside the bar's end when it fits there, in a
// colour that stands out from the fill; otherwise just beyond the end in a dark colour. The
// mark never leaves the plot, so short bars keep readable marks. `bar` runs from the value 0
// on its left to the value on its right.
struct BarMark {
  QRectF rect;
  QColor colour;
};
BarMark PlaceBarMark(const QRectF& bar, const QSizeF& text, const QColor& fill, const QRectF& plot);
// The text of a value mark: the value without a thousands separator or trailing zeros.
QString ValueMarkText(double value);

// A linear axis mapping between values and pixel positions.
struct AxisMapping {
  double minimum = 0;
  double maximum = 1;
  double pixelStart = 0;  // pixel of minimum
  double pixelLength = 1;

  double ValueAt(double pixel) const;
  double PixelOf(double value) const;
};
