#include "reports/report_engine.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kMarginMm = 15.0;

// Fonts are measured as they print at the design resolution, whatever the target.
const QPaintDevice& DesignDevice() {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = qRound(Report::kDesignDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
  }();
  return device;
}

// The painter is scaled to design pixels, so a font in points must not be scaled twice.
QFont DeviceFont(const QFont& font, const QPainter& painter) {
  QFont f = font;
  const int dpi = painter.device() ? painter.device()->logicalDpiY() : int(Report::kDesignDpi);
  f.setPointSizeF(font.pointSizeF() * Report::kDesignDpi / dpi);
  return f;
}

void DrawLine(QPainter& painter, const QFont& font, QRectF box, const QString& text, int align) {
  painter.setFont(DeviceFont(font, painter));
  painter.drawText(box, align | Qt::TextSingleLine, text);
}

QString AxisText(double value) {
  return QString::number(std::abs(value) < 1e-9 ? 0.0 : value, 'g', 6);
}

}  // namespace

double DesignLineHeight(const QFont& font) {
  return QFontMetricsF(font, &DesignDevice()).height();
}

double DesignTextWidth(const QFont& font, const QString& text) {
  return QFontMetricsF(font, &DesignDevice()).horizontalAdvance(text);
}

// --- Items -------------------------------------------------------------------------------

ReportItem::ReportItem(const QString& name, QRectF geometry, QFont font, QObject* parent)
    : QObject(parent), geometry_(geometry), font_(std::move(font)) {
  setObjectName(name);
}

ReportLabel::ReportLabel(const QString& name, QPointF at, const QString& caption, QFont font,
                         QObject* parent)
    : ReportItem(name, QRectF(at, QSizeF(0, DesignLineHeight(font))), std::move(font), parent),
      caption_(caption) {}

ReportMemo::ReportMemo(const QString& name, QRectF geometry, QFont font, QObject* parent)
    : ReportItem(name, geometry, std::move(font), parent) {}

ReportSystemField::ReportSystemField(const QString& name, QPointF at, SystemData data, QFont font,
                                     QObject* parent)
    : ReportItem(name, QRectF(at, QSizeF(0, DesignLineHeight(font))), std::move(font), parent),
      data_(data) {}

ReportChart::ReportChart(const QString& name, QRectF geometry, QObject* parent)
    : ReportItem(name, geometry, QFont(QStringLiteral("Arial"), 8), parent) {}

void ReportChart::AddSeries(ChartSeries* series) {
  if (series && std::find(series_.begin(), series_.end(), series) == series_.end())
    series_.push_back(series);
}

void ReportChart::RemoveSeries(ChartSeries* series) {
  series_.erase(std::remove(series_.begin(), series_.end(), series), series_.end());
}

void ReportChart::Draw(QPainter& painter, QRectF area) const {
  bool bars = false;
  Axis x{0, 0, true};
  Axis y{0, 0, true};
  bool any = false;
  int categories = 0;
  for (const ChartSeries* s : series_) {
    if (!s->Active() || s->Count() == 0) continue;
    if (s->Kind() == SeriesKind::HorizontalBar) {
      bars = true;
      categories = std::max(categories, s->Count());
      x.minimum = std::min({x.minimum, 0.0, s->MinYValue()});
      x.maximum = std::max({x.maximum, 0.0, s->MaxYValue()});
      continue;
    }
    if (!any) {
      x = {s->MinXValue(), s->MaxXValue(), true};
      y = {s->MinYValue(), s->MaxYValue(), true};
    } else {
      x.minimum = std::min(x.minimum, s->MinXValue());
      x.maximum = std::max(x.maximum, s->MaxXValue());
      y.minimum = std::min(y.minimum, s->MinYValue());
      y.maximum = std::max(y.maximum, s->MaxYValue());
    }
    any = true;
  }
  if (!bottom_.automatic) x = bottom_;
  if (!left_.automatic && !bars) y = left_;
  if (bars) y = {0, double(std::max(categories, 1)), true};
  if (x.maximum <= x.minimum) x.maximum = x.minimum + 1;
  if (y.maximum <= y.minimum) y.maximum = y.minimum + 1;

  const QFont& font = Font();
  const double lineHeight = DesignLineHeight(font);
  double leftRoom = 8;
  for (int i = 0; i <= 5; ++i) {
    const double v = y.minimum + (y.maximum - y.minimum) * i / 5;
    if (!bars) leftRoom = std::max(leftRoom, DesignTextWidth(font, AxisText(v)) + 8);
  }
  for (const ChartSeries* s : series_) {
    if (s->Kind() != SeriesKind::HorizontalBar || !s->Active()) continue;
    for (int i = 0; i < s->Count(); ++i)
      leftRoom = std::max(leftRoom, DesignTextWidth(font, s->Label(i)) + 8);
  }
  const QRectF plot = area.adjusted(leftRoom, lineHeight / 2, -12, -(lineHeight + 6));
  if (plot.width() <= 1 || plot.height() <= 1) return;
  const AxisMapping mx{x.minimum, x.maximum, plot.left(), plot.width()};
  const AxisMapping my{y.minimum, y.maximum, plot.bottom(), -plot.height()};

  painter.save();
  if (backWallClear_) painter.fillRect(area, QGuiApplication::palette().color(QPalette::Button));
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);
  for (int i = 0; i <= 5; ++i) {
    const double vx = x.minimum + (x.maximum - x.minimum) * i / 5;
    const double px = mx.PixelOf(vx);
    painter.drawLine(QPointF(px, plot.bottom()), QPointF(px, plot.bottom() + 3));
    DrawLine(painter, font, QRectF(px - 40, plot.bottom() + 4, 80, lineHeight), AxisText(vx),
             Qt::AlignHCenter | Qt::AlignTop);
    if (bars) continue;
    const double vy = y.minimum + (y.maximum - y.minimum) * i / 5;
    const double py = my.PixelOf(vy);
    painter.drawLine(QPointF(plot.left() - 3, py), QPointF(plot.left(), py));
    DrawLine(painter, font, QRectF(area.left(), py - lineHeight / 2, leftRoom - 6, lineHeight),
             AxisText(vy), Qt::AlignRight | Qt::AlignVCenter);
  }
  painter.setClipRect(plot.adjusted(-1, -1, 1, 1));
  for (const ChartSeries* s : series_) {
    if (!s->Active() || s->Count() == 0) continue;
    if (s->Kind() == SeriesKind::HorizontalBar) {
      const double row = plot.height() / std::max(categories, 1);
      for (int i = 0; i < s->Count(); ++i) {
        const double top = plot.bottom() - row * (i + 1) + row * 0.15;
        const double from = mx.PixelOf(0);
        const double to = mx.PixelOf(s->YValue(i));
        const QRectF bar(QPointF(std::min(from, to), top),
                         QPointF(std::max(from, to), top + row * 0.7));
        painter.fillRect(bar, s->PointColour(i));
        const QString text = ValueMarkText(s->YValue(i));
        const BarMark mark = PlaceBarMark(bar, QSizeF(DesignTextWidth(font, text), lineHeight),
                                          s->PointColour(i), plot);
        painter.setPen(mark.colour);
        DrawLine(painter, font, mark.rect, text, Qt::AlignLeft | Qt::AlignVCenter);
        painter.setPen(QPen(Qt::black, 0));
        painter.setClipping(false);
        DrawLine(painter, font, QRectF(area.left(), top, leftRoom - 6, row * 0.7), s->Label(i),
                 Qt::AlignRight | Qt::AlignVCenter);
        painter.setClipRect(plot.adjusted(-1, -1, 1, 1));
      }
      continue;
    }
    const QList<QPointF> points =
        DecimateForPixels(*s, x.minimum, x.maximum, std::max(1, int(plot.width())));
    QPolygonF line;
    line.reserve(points.size());
    for (const QPointF& p : points) line.append(QPointF(mx.PixelOf(p.x()), my.PixelOf(p.y())));
    painter.setPen(QPen(s->LinePenColour(), 1));
    painter.drawPolyline(line);
  }
  painter.restore();
}

// --- Bands -------------------------------------------------------------------------------

ReportBand::ReportBand(const QString& name, BandKind kind, double height, QObject* parent)
    : QObject(parent), kind_(kind), height_(height) {
  setObjectName(name);
}

ReportLabel* ReportBand::AddLabel(const QString& name, QPointF at, const QString& caption,
                                  const QFont& font) {
  auto* item = new ReportLabel(name, at, caption, font, this);
  items_.push_back(item);
  return item;
}

ReportMemo* ReportBand::AddMemo(const QString& name, QRectF geometry, const QFont& font) {
  auto* item = new ReportMemo(name, geometry, font, this);
  items_.push_back(item);
  return item;
}

ReportSystemField* ReportBand::AddSystemField(const QString& name, QPointF at, SystemData data,
                                              const QFont& font) {
  auto* item = new ReportSystemField(name, at, data, font, this);
  items_.push_back(item);
  return item;
}

ReportChart* ReportBand::AddChart(const QString& name, QRectF geometry) {
  auto* item = new ReportChart(name, geometry, this);
  items_.push_back(item);
  return item;
}

// --- Report ------------------------------------------------------------------------------

Report::Report(const QString& name, QObject* parent)
    : QObject(parent), clock_([] { return QDateTime::currentDateTime(); }) {
  setObjectName(name);
}

ReportBand* Report::AddBand(const QString& name, BandKind kind, double height) {
  auto* band = new ReportBand(name, kind, height, this);
  bands_.push_back(band);
  return band;
}

ReportBand* Report::Band(BandKind kind) const {
  for (ReportBand* band : bands_)
    if (band->Kind() == kind) return band;
  return nullptr;
}

QPageLayout Report::PageLayout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                     QPageLayout::Millimeter);
}

QSizeF Report::BodySize() {
  const QRectF body = PageLayout().paintRect(QPageLayout::Millimeter);
  return body.size() * (kDesignDpi / kMillimetresPerInch);
}

// Where the detail band starts and how its memo lines run on over the pages.
struct Report::Layout {
  double footerTop = 0;  // page y of the page footer
  int detailPage = 0;
  double detailTop = 0;  // page y of the detail band on detailPage
  int pages = 1;

  struct Line {
    int page;
    double y;
  };
  Line MemoLine(const ReportMemo& memo, int line) const {
    const double height = DesignLineHeight(memo.Font());
    const double top = memo.Geometry().top();
    const int first = std::max(0, int(std::floor((footerTop - detailTop - top) / height)));
    if (line < first) return {detailPage, detailTop + top + line * height};
    const int perPage = std::max(1, int(std::floor((footerTop - top) / height)));
    const int rest = line - first;
    return {detailPage + 1 + rest / perPage, top + (rest % perPage) * height};
  }
};

Report::Layout Report::Paginate() const {
  Layout layout;
  const ReportBand* title = Band(BandKind::Title);
  const ReportBand* detail = Band(BandKind::Detail);
  const ReportBand* footer = Band(BandKind::PageFooter);
  layout.footerTop = BodySize().height() - (footer ? footer->Height() : 0);
  layout.detailTop = title ? title->Height() : 0;
  if (!detail) return layout;
  double need = 0;
  for (const ReportItem* item : detail->Items()) {
    const auto* memo = qobject_cast<const ReportMemo*>(item);
    need = std::max(
        need, memo ? memo->Geometry().top() + DesignLineHeight(memo->Font()) : item->Bottom());
  }
  // A band that does not fit below the title starts on a page of its own.
  if (layout.detailTop > 0 && layout.detailTop + need > layout.footerTop) {
    layout.detailPage = 1;
    layout.detailTop = 0;
  }
  layout.pages = layout.detailPage + 1;
  for (const ReportItem* item : detail->Items()) {
    const auto* memo = qobject_cast<const ReportMemo*>(item);
    if (memo && !memo->Lines().isEmpty())
      layout.pages =
          std::max(layout.pages, layout.MemoLine(*memo, int(memo->Lines().size()) - 1).page + 1);
  }
  return layout;
}

int Report::PageCount() const {
  return Paginate().pages;
}

void Report::DrawPage(QPainter& painter, int index) const {
  DrawPage(painter, index, clock_());
}

void Report::DrawPage(QPainter& painter, int index, const QDateTime& printed) const {
  const Layout layout = Paginate();
  painter.save();
  const double dpi = painter.device() ? painter.device()->logicalDpiX() : kDesignDpi;
  painter.scale(dpi / kDesignDpi, dpi / kDesignDpi);
  painter.setPen(Qt::black);
  const double width = BodySize().width();

  auto drawItem = [&](const ReportItem* item, double bandTop) {
    const QRectF box = item->Geometry().translated(0, bandTop);
    if (const auto* label = qobject_cast<const ReportLabel*>(item)) {
      DrawLine(painter, label->Font(), QRectF(box.topLeft(), QSizeF(width, box.height())),
               label->Caption(), Qt::AlignLeft | Qt::AlignTop);
    } else if (const auto* field = qobject_cast<const ReportSystemField*>(item)) {
      const QString text = field->Data() == SystemData::PageNumber
                               ? QString::number(index + 1)
                               : printed.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
      DrawLine(painter, field->Font(), QRectF(box.topLeft(), QSizeF(width, box.height())), text,
               Qt::AlignLeft | Qt::AlignTop);
    } else if (const auto* chart = qobject_cast<const ReportChart*>(item)) {
      chart->Draw(painter, box);
    }
  };

  for (const ReportBand* band : bands_) {
    switch (band->Kind()) {
      case BandKind::Title:
        if (index != 0) break;
        for (const ReportItem* item : band->Items()) drawItem(item, 0);
        break;
      case BandKind::PageFooter:
        for (const ReportItem* item : band->Items()) drawItem(item, layout.footerTop);
        break;
      case BandKind::Detail:
        for (const ReportItem* item : band->Items()) {
          const auto* memo = qobject_cast<const ReportMemo*>(item);
          if (!memo) {
            if (index == layout.detailPage) drawItem(item, layout.detailTop);
            continue;
          }
          const double height = DesignLineHeight(memo->Font());
          const QRectF column = memo->Geometry();
          painter.save();
          painter.setClipRect(QRectF(column.left(), 0, column.width(), layout.footerTop));
          for (int i = 0; i < memo->Lines().size(); ++i) {
            const Layout::Line at = layout.MemoLine(*memo, i);
            if (at.page > index) break;
            if (at.page < index) continue;
            DrawLine(painter, memo->Font(), QRectF(column.left(), at.y, column.width(), height),
                     memo->Lines()[i], Qt::AlignHCenter | Qt::AlignTop);
          }
          painter.restore();
        }
        break;
    }
  }
  painter.restore();
}

bool Report::Print(QPagedPaintDevice& device) const {
  device.setPageLayout(PageLayout());
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const QDateTime printed = clock_();
  const int pages = PageCount();
  for (int i = 0; i < pages; ++i) {
    if (i > 0 && !device.newPage()) return false;
    DrawPage(painter, i, printed);
  }
  return painter.end();
}

bool Report::ExportPdf(const QString& path) const {
  QPdfWriter writer(path);
  writer.setResolution(300);
  writer.setCreator(QStringLiteral("Jibwarden"));
  return Print(writer);
}

QImage Report::RenderPage(int index, double dpi) const {
  const QPageLayout page = PageLayout();
  const QSizeF full = page.fullRect(QPageLayout::Inch).size() * dpi;
  QImage image(full.toSize(), QImage::Format_RGB32);
  const int dotsPerMetre = qRound(dpi / 0.0254);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(page.margins(QPageLayout::Inch).left() * dpi,
                    page.margins(QPageLayout::Inch).top() * dpi);
  DrawPage(painter, index);
  return image;
}
