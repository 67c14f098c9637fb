#pragma once
// Reports drawn on a QPainter: a page is laid out in design pixels (96 per inch) and the
// same drawing serves the preview, the printer, a PDF and an image. The layout is pure
// data, so a report is checked by rendering it, without a window.

#include "platform/chart_series.h"

#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPageLayout>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

enum class BandKind { Title, Detail, PageFooter };

// A control placed on a band, at design pixels relative to the band's top left.
class ReportItem : public QObject {
  Q_OBJECT
 public:
  ReportItem(const QString& name, QRectF geometry, QFont font, QObject* parent);
  QRectF Geometry() const { return geometry_; }
  void SetLeft(double left) { geometry_.moveLeft(left); }
  void SetWidth(double width) { geometry_.setWidth(width); }
  const QFont& Font() const { return font_; }
  // The lowest point the item needs on its band.
  virtual double Bottom() const { return geometry_.bottom(); }

 protected:
  QRectF geometry_;
  QFont font_;
};

// A one-line text; an auto-sized label is as wide as its text.
class ReportLabel : public ReportItem {
  Q_OBJECT
  Q_PROPERTY(QString caption READ Caption WRITE SetCaption)
 public:
  ReportLabel(const QString& name, QPointF at, const QString& caption, QFont font, QObject* parent);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption) { caption_ = caption; }

 private:
  QString caption_;
};

// Lines of text, one under the other, centred; the memo stretches with its lines and
// continues on the next page when the page ends.
class ReportMemo : public ReportItem {
  Q_OBJECT
  Q_PROPERTY(QStringList lines READ Lines)
 public:
  ReportMemo(const QString& name, QRectF geometry, QFont font, QObject* parent);
  const QStringList& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }
  void Add(const QString& line) { lines_.append(line); }
  double Bottom() const override { return geometry_.top(); }

 private:
  QStringList lines_;
};

// What the page-footer fields show.
enum class SystemData { DateTime, PageNumber };

class ReportSystemField : public ReportItem {
  Q_OBJECT
 public:
  ReportSystemField(const QString& name, QPointF at, SystemData data, QFont font, QObject* parent);
  SystemData Data() const { return data_; }

 private:
  SystemData data_;
};

// A chart on a band: it draws the series it is given; an axis follows the data unless
// limits are set.
class ReportChart : public ReportItem {
  Q_OBJECT
 public:
  struct Axis {
    double minimum = 0;
    double maximum = 1;
    bool automatic = true;
  };
  ReportChart(const QString& name, QRectF geometry, QObject* parent);

  // A series is drawn by one chart at a time; the caller moves it here and back.
  void AddSeries(ChartSeries* series);
  void RemoveSeries(ChartSeries* series);
  int SeriesCount() const { return int(series_.size()); }
  ChartSeries* Series(int index) const { return series_[std::size_t(index)]; }

  void SetLeftAxis(double minimum, double maximum) { left_ = {minimum, maximum, false}; }
  void SetBottomAxis(double minimum, double maximum) { bottom_ = {minimum, maximum, false}; }
  void SetTopAxis(double minimum, double maximum) { top_ = {minimum, maximum, false}; }
  Axis LeftAxis() const { return left_; }
  Axis BottomAxis() const { return bottom_; }
  Axis TopAxis() const { return top_; }
  // Nothing is cached: the next drawing shows the series as they are.
  void Repaint() {}
  // A clear back wall lets the chart's panel, in the button face, show behind the series.
  void SetBackWallClear(bool clear) { backWallClear_ = clear; }

  void Draw(QPainter& painter, QRectF area) const;

 private:
  std::vector<ChartSeries*> series_;
  Axis left_;
  Axis bottom_;
  Axis top_;
  bool backWallClear_ = false;
};

class ReportBand : public QObject {
  Q_OBJECT
 public:
  ReportBand(const QString& name, BandKind kind, double height, QObject* parent);
  BandKind Kind() const { return kind_; }
  double Height() const { return height_; }
  const std::vector<ReportItem*>& Items() const { return items_; }

  ReportLabel* AddLabel(const QString& name, QPointF at, const QString& caption, const QFont& font);
  ReportMemo* AddMemo(const QString& name, QRectF geometry, const QFont& font);
  ReportSystemField* AddSystemField(const QString& name, QPointF at, SystemData data,
                                    const QFont& font);
  ReportChart* AddChart(const QString& name, QRectF geometry);

 private:
  BandKind kind_;
  double height_;
  std::vector<ReportItem*> items_;
};

// One report: A4 portrait with 15 mm margins, a title band on the first page, one detail
// band printed once, a page-footer band at the foot of every page.
class Report : public QObject {
  Q_OBJECT
 public:
  static constexpr double kDesignDpi = 96.0;

  Report(const QString& name, QObject* parent = nullptr);

  ReportBand* AddBand(const QString& name, BandKind kind, double height);
  ReportBand* Band(BandKind kind) const;
  QFont ReportFont() const { return QFont(QStringLiteral("Arial"), 10); }

  static QPageLayout PageLayout();
  // The printable area in design pixels.
  static QSizeF BodySize();

  // The print time of the date field; the computer's clock unless set.
  void SetClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

  int PageCount() const;
  // Draws page `index` (0-based) with the painter's origin at the top left of the
  // printable area; the painter's device gives the resolution.
  void DrawPage(QPainter& painter, int index) const;
  void DrawPage(QPainter& painter, int index, const QDateTime& printed) const;
  // Every page onto a printer or a PDF writer.
  bool Print(QPagedPaintDevice& device) const;
  bool ExportPdf(const QString& path) const;
  // A whole A4 page, margins included, as an image at `dpi`.
  QImage RenderPage(int index, double dpi = kDesignDpi) const;

 private:
  struct Layout;
  Layout Paginate() const;

  std::vector<ReportBand*> bands_;
  std::function<QDateTime()> clock_;
};

// Design pixels from points of a font: 10 pt is 13.33 pixels at 96 dpi.
double DesignLineHeight(const QFont& font);
double DesignTextWidth(const QFont& font, const QString& text);
