#include "platform/chart_view.h"

#include <QGraphicsSimpleTextItem>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QHorizontalStackedBarSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <limits>
#include <utility>

// The view owns the chart given here; setChart would orphan the one a plain view makes.
ChartView::ChartView(QWidget* parent) : QChartView(new QChart(), parent) {
  QChart* chart = this->chart();
  chart->legend()->hide();
  chart->setAnimationOptions(QChart::NoAnimation);
  // The back wall is clear: the chart's panel in the button face shows behind the series,
  // so a white series stays visible.
  const QColor panel = palette().color(QPalette::Button);
  chart->setBackgroundBrush(panel);
  chart->setBackgroundRoundness(0);
  chart->setPlotAreaBackgroundVisible(false);
  setBackgroundBrush(panel);
  connect(chart, &QChart::plotAreaChanged, this, [this] {
    for (Entry& entry : series_) PlaceMarks(entry);
  });
  leftAxis_ = new QValueAxis(chart);
  bottomAxis_ = new QValueAxis(chart);
  categoryAxis_ = new QBarCategoryAxis(chart);
  chart->addAxis(bottomAxis_, Qt::AlignBottom);
  chart->addAxis(leftAxis_, Qt::AlignLeft);
  Apply(leftAxis_, left_);
  Apply(bottomAxis_, bottom_);
}

ChartView::~ChartView() {
  disconnect(chart(), nullptr, this, nullptr);
  // Every listed series is alive: a series that ends leaves the list first.
  for (const Entry& entry : std::exchange(series_, {})) entry.data->SetChangeHandler({});
}

void ChartView::SetTitle(const QString& text, const QFont& font) {
  chart()->setTitle(text);
  chart()->setTitleFont(font);
}

QString ChartView::Title() const {
  return chart()->title();
}

void ChartView::AddSeries(ChartSeries* series) {
  if (!series) return;
  for (const Entry& entry : series_)
    if (entry.data == series) return;
  QAbstractSeries* drawn = nullptr;
  const bool bars = series->Kind() == SeriesKind::HorizontalBar;
  if (bars) {
    // Value marks are our own items: the library's labels cannot go beyond a bar's end.
    drawn = new QHorizontalStackedBarSeries();
  } else {
    drawn = new QLineSeries();
  }
  chart()->addSeries(drawn);
  AttachAxes(drawn, bars);
  series_.push_back({series, drawn, 0, {}});
  series->SetChangeHandler([this] { ScheduleSync(); }, [this, series] { DropSeries(series); });
  ScheduleSync();
}

void ChartView::AttachAxes(QAbstractSeries* drawn, bool bars) {
  if (bars) {
    // Bars stand along the left axis, one category per point; their values run along
    // the bottom axis.
    if (!chart()->axes(Qt::Vertical).contains(categoryAxis_)) {
      chart()->removeAxis(leftAxis_);
      leftAxis_->setParent(chart());  // the chart lets go of an axis it no longer shows
      chart()->addAxis(categoryAxis_, Qt::AlignLeft);
    }
    drawn->attachAxis(categoryAxis_);
  } else {
    drawn->attachAxis(leftAxis_);
  }
  drawn->attachAxis(bottomAxis_);
}

void ChartView::RemoveSeries(ChartSeries* series) {
  if (DropSeries(series)) series->SetChangeHandler({});
}

bool ChartView::DropSeries(ChartSeries* series) {
  const auto it = std::find_if(series_.begin(), series_.end(),
                               [series](const Entry& entry) { return entry.data == series; });
  if (it == series_.end()) return false;
  chart()->removeSeries(it->drawn);
  delete it->drawn;
  for (QGraphicsSimpleTextItem* mark : it->marks) delete mark;
  series_.erase(it);
  ScheduleSync();
  return true;
}

void ChartView::ScheduleSync() {
  if (syncPending_) return;
  syncPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (syncPending_) Sync();
      },
      Qt::QueuedConnection);
}

AxisRange ChartView::LeftAxis() {
  if (syncPending_) Sync();
  return left_;
}

AxisRange ChartView::BottomAxis() {
  if (syncPending_) Sync();
  return bottom_;
}

void ChartView::SetLeftAxisRange(double minimum, double maximum) {
  left_ = {minimum, maximum, false};
  Apply(leftAxis_, left_);
}

void ChartView::SetBottomAxisRange(double minimum, double maximum) {
  bottom_ = {minimum, maximum, false};
  Apply(bottomAxis_, bottom_);
  ScheduleSync();  // the pixel columns of the drawn points move
}

void ChartView::SetAxesAutomatic() {
  left_.automatic = true;
  bottom_.automatic = true;
  ScheduleSync();
}

void ChartView::Apply(QValueAxis* axis, const AxisRange& range) {
  // Qt Charts draws nothing on an empty range; the range we report stays as set.
  double low = range.minimum;
  double high = range.maximum;
  if (!(high > low)) high = low + 1;
  axis->setRange(low, high);
}

QRectF ChartView::PlotArea() const {
  return chart()
      ->mapToScene(chart()->plotArea())
      .boundingRect()
      .translated(-mapToScene(QPoint(0, 0)));
}

double ChartView::XValueAtPixel(double pixel) {
  if (syncPending_) Sync();
  const QRectF area = PlotArea();
  return AxisMapping{bottom_.minimum, bottom_.maximum, area.left(), area.width()}.ValueAt(pixel);
}

void ChartView::UpdateRanges() {
  constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
  double minX = kNone, maxX = kNone, minY = kNone, maxY = kNone;
  bool bars = false;
  for (const Entry& entry : series_) {
    const ChartSeries& s = *entry.data;
    if (!s.Active() || s.Count() == 0) continue;
    bars = bars || s.Kind() == SeriesKind::HorizontalBar;
    const auto widen = [](double& low, double& high, double a, double b) {
      low = low == low ? std::min(low, a) : a;
      high = high == high ? std::max(high, b) : b;
    };
    widen(minX, maxX, s.MinXValue(), s.MaxXValue());
    widen(minY, maxY, s.MinYValue(), s.MaxYValue());
  }
  if (minX != minX) return;  // nothing to scale to: keep the last ranges
  if (bars) {
    // Values of bars run along the bottom axis and start at zero.
    if (bottom_.automatic) bottom_ = {std::min(0.0, minY), std::max(0.0, maxY), true};
  } else {
    if (bottom_.automatic) bottom_ = {minX, maxX, true};
    if (left_.automatic) left_ = {minY, maxY, true};
  }
  Apply(leftAxis_, left_);
  Apply(bottomAxis_, bottom_);
}

void ChartView::SyncLine(Entry& entry, int pixelWidth) {
  auto* line = static_cast<QLineSeries*>(entry.drawn);
  const ChartSeries& s = *entry.data;
  QPen pen(s.LinePenColour());
  pen.setWidth(1);
  line->setPen(pen);
  const QList<QPointF> points =
      s.Active() ? DecimateForPixels(s, bottom_.minimum, bottom_.maximum, pixelWidth)
                 : QList<QPointF>();
  entry.drawnPoints = int(points.size());
  line->replace(points);
}

void ChartView::SyncBars(Entry& entry) {
  auto* bars = static_cast<QHorizontalStackedBarSeries*>(entry.drawn);
  const ChartSeries& s = *entry.data;
  bars->clear();
  QStringList categories;
  const int count = s.Active() ? s.Count() : 0;
  // One set per bar, zero in every other category, so each bar keeps its own colour.
  QList<QBarSet*> sets;
  for (int i = 0; i < count; ++i) {
    categories.append(s.Label(i));
    auto* set = new QBarSet(s.Label(i));
    set->setColor(s.PointColour(i));
    set->setBorderColor(s.PointColour(i));
    QList<qreal> values(count, 0.0);
    values[i] = s.YValue(i);
    set->append(values);
    sets.append(set);
  }
  bars->append(sets);
  categoryAxis_->setCategories(categories);
  entry.drawnPoints = count;
  while (int(entry.marks.size()) > count) {
    delete entry.marks.back();
    entry.marks.pop_back();
  }
  while (int(entry.marks.size()) < count) {
    auto* mark = new QGraphicsSimpleTextItem(chart());
    mark->setZValue(100);  // above the bars
    entry.marks.push_back(mark);
  }
  for (int i = 0; i < count; ++i) {
    entry.marks[std::size_t(i)]->setFont(font());
    entry.marks[std::size_t(i)]->setText(ValueMarkText(s.YValue(i)));
  }
  PlaceMarks(entry);
}

void ChartView::PlaceMarks(Entry& entry) {
  const ChartSeries& s = *entry.data;
  const QRectF plot = chart()->plotArea();
  // Between a change of the data and its sync the marks may outnumber the points.
  for (std::size_t i = 0; i < entry.marks.size() && int(i) < s.Count(); ++i) {
    QGraphicsSimpleTextItem* mark = entry.marks[i];
    // A bar stands half its category high, centred on it.
    const double category = double(i);
    const QPointF base = chart()->mapToPosition(QPointF(0, category - 0.25), entry.drawn);
    const QPointF end =
        chart()->mapToPosition(QPointF(s.YValue(int(i)), category + 0.25), entry.drawn);
    const BarMark placed = PlaceBarMark(QRectF(base, end).normalized(), mark->boundingRect().size(),
                                        s.PointColour(int(i)), plot);
    mark->setBrush(placed.colour);
    mark->setPos(placed.rect.topLeft());
  }
}

void ChartView::Sync() {
  syncPending_ = false;
  UpdateRanges();
  int width = int(chart()->plotArea().width());
  if (width <= 0) width = std::max(viewport()->width(), 1);
  syncedWidth_ = width;
  for (Entry& entry : series_) {
    entry.drawn->setVisible(entry.data->Active());
    if (entry.data->Kind() == SeriesKind::HorizontalBar)
      SyncBars(entry);
    else
      SyncLine(entry, width);
  }
}

int ChartView::DrawnPointCount(int index) const {
  return series_[std::size_t(index)].drawnPoints;
}

void ChartView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  if (int(chart()->plotArea().width()) != syncedWidth_) ScheduleSync();
}
