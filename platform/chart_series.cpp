#include "platform/chart_series.h"

#include <algorithm>
#include <cmath>
#include <utility>

ChartSeries::ChartSeries(SeriesKind kind, QString name) : kind_(kind), name_(std::move(name)) {}

ChartSeries::~ChartSeries() {
  onChange_ = {};
  if (const auto leave = std::exchange(onLeave_, {})) leave();
}

void ChartSeries::SetChangeHandler(std::function<void()> changed, std::function<void()> left) {
  const std::function<void()> previous = std::exchange(onLeave_, std::move(left));
  onChange_ = std::move(changed);
  if (previous && onChange_) previous();
}

void ChartSeries::Changed() {
  if (onChange_) onChange_();
}

void ChartSeries::Clear() {
  ys_.clear();
  xs_.clear();
  colours_.clear();
  ownColour_.clear();
  labelText_.clear();
  labelEnd_.clear();
  // Give the memory of a long series back at once rather than at the next fill.
  ys_.shrink_to_fit();
  xs_.shrink_to_fit();
  labelText_.squeeze();
  labelEnd_.shrink_to_fit();
  Changed();
}

double ChartSeries::XValue(int index) const {
  return xs_.empty() ? double(index) : xs_[std::size_t(index)];
}

void ChartSeries::MaterializeX() {
  if (!xs_.empty() || ys_.empty()) return;
  xs_.resize(ys_.size());
  for (std::size_t i = 0; i < xs_.size(); ++i) xs_[i] = double(i);
}

void ChartSeries::InsertPoint(std::size_t at, double x, double y, QStringView label,
                              const QColor& colour) {
  const bool implicitX = xs_.empty() && at == ys_.size() && x == double(ys_.size());
  if (!implicitX) {
    MaterializeX();
    xs_.insert(xs_.begin() + std::ptrdiff_t(at), x);
  }
  ys_.insert(ys_.begin() + std::ptrdiff_t(at), y);

  if (colour.isValid() || !colours_.empty()) {
    if (colours_.empty()) {
      colours_.assign(ys_.size() - 1, 0);
      ownColour_.assign(ys_.size() - 1, 0);
    }
    colours_.insert(colours_.begin() + std::ptrdiff_t(at), colour.isValid() ? colour.rgba() : 0);
    ownColour_.insert(ownColour_.begin() + std::ptrdiff_t(at), colour.isValid() ? 1 : 0);
  }

  const QByteArray text = label.toUtf8();
  const std::uint32_t start = at == 0 ? 0 : labelEnd_[at - 1];
  labelText_.insert(qsizetype(start), text);
  labelEnd_.insert(labelEnd_.begin() + std::ptrdiff_t(at), start);
  for (std::size_t i = at; i < labelEnd_.size(); ++i) labelEnd_[i] += std::uint32_t(text.size());
}

int ChartSeries::Add(double value, QStringView label, const QColor& colour) {
  return AddXY(double(Count()), value, label, colour);
}

int ChartSeries::AddXY(double x, double y, QStringView label, const QColor& colour) {
  std::size_t at = ys_.size();
  if (at > 0 && XValue(int(at) - 1) > x) {
    MaterializeX();
    at = std::size_t(std::upper_bound(xs_.begin(), xs_.end(), x) - xs_.begin());
  }
  InsertPoint(at, x, y, label, colour);
  Changed();
  return int(at);
}

void ChartSeries::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  const auto at = std::size_t(index);
  MaterializeX();
  xs_.erase(xs_.begin() + index);
  ys_.erase(ys_.begin() + index);
  if (!colours_.empty()) {
    colours_.erase(colours_.begin() + index);
    ownColour_.erase(ownColour_.begin() + index);
  }
  const std::uint32_t start = at == 0 ? 0 : labelEnd_[at - 1];
  const std::uint32_t length = labelEnd_[at] - start;
  labelText_.remove(qsizetype(start), qsizetype(length));
  labelEnd_.erase(labelEnd_.begin() + index);
  for (std::size_t i = at; i < labelEnd_.size(); ++i) labelEnd_[i] -= length;
  Changed();
}

QString ChartSeries::Label(int index) const {
  const auto at = std::size_t(index);
  const std::uint32_t start = at == 0 ? 0 : labelEnd_[at - 1];
  return QString::fromUtf8(labelText_.constData() + start, qsizetype(labelEnd_[at] - start));
}

bool ChartSeries::FollowsSeriesColour(int index) const {
  return colours_.empty() || ownColour_[std::size_t(index)] == 0;
}

QColor ChartSeries::PointColour(int index) const {
  if (FollowsSeriesColour(index)) return colour_;
  return QColor::fromRgba(colours_[std::size_t(index)]);
}

void ChartSeries::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  Changed();
}

void ChartSeries::SetColour(const QColor& colour) {
  if (colour_ == colour) return;
  colour_ = colour;
  Changed();
}

void ChartSeries::SetLinePenColour(const QColor& colour) {
  if (linePen_ == colour) return;
  linePen_ = colour;
  Changed();
}

double ChartSeries::MaxYValue() const {
  return ys_.empty() ? 0 : *std::max_element(ys_.begin(), ys_.end());
}

double ChartSeries::MinYValue() const {
  return ys_.empty() ? 0 : *std::min_element(ys_.begin(), ys_.end());
}

double ChartSeries::MaxXValue() const {
  return ys_.empty() ? 0 : XValue(Count() - 1);
}

double ChartSeries::MinXValue() const {
  return ys_.empty() ? 0 : XValue(0);
}

QList<QPointF> DecimateForPixels(const ChartSeries& series, double xMin, double xMax,
                                 int pixelWidth) {
  QList<QPointF> points;
  const int count = series.Count();
  if (pixelWidth < 1 || !(xMax > xMin) || count <= 2 * pixelWidth) {
    points.reserve(count);
    for (int i = 0; i < count; ++i) points.append({series.XValue(i), series.YValue(i)});
    return points;
  }
  points.reserve(2 * pixelWidth + 4);
  const double scale = pixelWidth / (xMax - xMin);
  // Points left or right of the range share one column on each side.
  auto columnOf = [&](double x) {
    const double column = std::floor((x - xMin) * scale);
    return column < -1 ? -1 : column > pixelWidth ? pixelWidth : int(column);
  };
  int column = columnOf(series.XValue(0));
  int low = 0;
  int high = 0;
  auto flush = [&] {
    const int first = std::min(low, high);
    const int second = std::max(low, high);
    points.append({series.XValue(first), series.YValue(first)});
    if (second != first) points.append({series.XValue(second), series.YValue(second)});
  };
  for (int i = 1; i < count; ++i) {
    const int c = columnOf(series.XValue(i));
    if (c != column) {
      flush();
      column = c;
      low = high = i;
      continue;
    }
    const double y = series.YValue(i);
    if (y < series.YValue(low)) low = i;
    if (y > series.YValue(high)) high = i;
  }
  flush();
  return points;
}

BarMark PlaceBarMark(const QRectF& bar, const QSizeF& text, const QColor& fill,
                     const QRectF& plot) {
  constexpr double kGap = 3;
  const double top = bar.center().y() - text.height() / 2;
  // Dark text on light fills (yellow, lime), white on dark ones.
  const double luminance = 0.2126 * fill.redF() + 0.7152 * fill.greenF() + 0.0722 * fill.blueF();
  const QColor onFill = luminance > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
  const double widthNeeded = text.width() + 2 * kGap;
  if (widthNeeded <= bar.width())
    return {QRectF(QPointF(bar.right() - kGap - text.width(), top), text), onFill};
  double left = bar.right() + kGap;
  if (left + text.width() <= plot.right()) return {QRectF(QPointF(left, top), text), Qt::black};
  // No room beyond the end either: the mark stays inside the plot, over the bar.
  left = std::max(plot.left(), plot.right() - kGap - text.width());
  return {QRectF(QPointF(left, top), text), onFill};
}

QString ValueMarkText(double value) {
  return QString::number(value, 'g', 15);
}

double AxisMapping::ValueAt(double pixel) const {
  if (pixelLength == 0) return minimum;
  return minimum + (pixel - pixelStart) * (maximum - minimum) / pixelLength;
}

double AxisMapping::PixelOf(double value) const {
  if (maximum == minimum) return pixelStart;
  return pixelStart + (value - minimum) * pixelLength / (maximum - minimum);
}
