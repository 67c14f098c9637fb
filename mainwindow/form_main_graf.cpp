// The graph page: picking records on the chart, the point table, graph settings, the copy.
#include "controls/window_family.h"
#include "mainwindow/form_graf_point.h"
#include "mainwindow/form_main.h"
#include "mainwindow/form_nastr_graf.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"

#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QSvgGenerator>
#include <QToolButton>

#include <cmath>

namespace {

// Marker colours: the silver foot hides the line to the next marker.
const QColor kMarkerColour(0xFF, 0x00, 0x00);
const QColor kMarkerFootColour(0xC0, 0xC0, 0xC0);
// Record numbers are 32-bit; a position far right of the graph stays one.
constexpr double kLargestRecordX = 2.0e9;

// Mouse input on the chart and the page's hide event, handed to the main window.
class GraphPageEvents : public QObject {
 public:
  explicit GraphPageEvents(TForm_main& window) : QObject(&window), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Mouse input the chart leaves unhandled travels on to the page: only the chart's own.
    const bool onChart = watched == window_.Chart_Data->viewport();
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        if (!onChart) break;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        window_.Chart_DataMouseDown(mouse->button(), mouse->position());
        break;
      }
      case QEvent::MouseButtonDblClick: {
        // The second press of a double click is a press as well, after the double click.
        if (!onChart) break;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) window_.Chart_DataDblClick(mouse->position());
        window_.Chart_DataMouseDown(mouse->button(), mouse->position());
        break;
      }
      case QEvent::Hide:
        // Not when the whole window is minimised: only a change of page hides the sheet.
        if (watched == window_.TabSheet_Graf && !event->spontaneous()) window_.TabSheet_GrafHide();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  TForm_main& window_;
};

}  // namespace

void TForm_main::BuildGraphButtons() {
  Btn_NastrGraf = NewSpeedButton(Chart_Data, QStringLiteral("Btn_NastrGraf"),
                                 QStringLiteral("Настройка графиков"),
                                 style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  Btn_CopyImage = NewSpeedButton(Chart_Data, QStringLiteral("Btn_CopyImage"),
                                 QStringLiteral("Копирование графика в буфер"),
                                 style()->standardIcon(QStyle::SP_DialogSaveButton));
  Btn_ShowTablePoint = NewSpeedButton(Chart_Data, QStringLiteral("Btn_ShowTablePoint"),
                                      QStringLiteral("Просмотр выбранных точек графика"),
                                      style()->standardIcon(QStyle::SP_FileDialogListView));
  int left = 4;
  for (QToolButton* button : {Btn_NastrGraf, Btn_CopyImage, Btn_ShowTablePoint}) {
    button->setGeometry(left, 4, 25, 25);
    left += 27;
  }
  connect(Btn_NastrGraf, &QToolButton::clicked, this, &TForm_main::Btn_NastrGrafClick);
  connect(Btn_CopyImage, &QToolButton::clicked, this, &TForm_main::Btn_CopyImageClick);
  connect(Btn_ShowTablePoint, &QToolButton::clicked, this, &TForm_main::Btn_ShowTablePointClick);
  graphPageEvents_ = new GraphPageEvents(*this);
  Chart_Data->viewport()->installEventFilter(graphPageEvents_);
  TabSheet_Graf->installEventFilter(graphPageEvents_);
}

TForm_GrafPoint* TForm_main::Form_GrafPoint() {
  if (!grafPoint_) grafPoint_ = new TForm_GrafPoint(this);
  grafPoint_->SetMainWindow(this);
  return grafPoint_;
}

TForm_NastrGraf* TForm_main::Form_NastrGraf() {
  if (!nastrGraf_) nastrGraf_ = new TForm_NastrGraf(this);
  nastrGraf_->SetChart(Chart_Data);
  return nastrGraf_;
}

void TForm_main::ResetPickedPoints() {
  SelectedPointCount = 0;
  Series_Point->Clear();
  Form_GrafPoint()->SG_GrafPoint->Grid().SetColCount(2);
}

void TForm_main::PrepareGraphWindows(const QStringList& titles,
                                     const ColumnDescriptionList& descriptions) {
  TForm_NastrGraf* settings = Form_NastrGraf();
  for (int n = 1; n <= kSettingsRows; ++n) {
    settings->CheckBox_G(n)->hide();
    settings->ST_ColorG(n)->hide();
  }
  for (int k = 1; k <= kFedSeries; ++k) {
    settings->CheckBox_G(k)->setText(descriptions[std::size_t(SeriesColumn(k))]);
    TForm_NastrGraf::SetSwatchColour(settings->ST_ColorG(k), Series_G(k)->Colour());
    settings->CheckBox_G(k)->show();
    settings->ST_ColorG(k)->show();
  }

  GridModel& points = Form_GrafPoint()->SG_GrafPoint->Grid();
  points.SetColCount(2);
  points.SetRowCount(kPointTableRows);
  points.SetColWidth(0, kPointTableTitleWidth);
  for (int r = 0; r < kPointTableRows; ++r) points.SetCells(0, r, titles.value(r));
  points.SetDefaultRowHeight(kPointTableRowHeight);
}

int TForm_main::RecordUnderCursor(QPointF at) {
  const double x = Chart_Data->XValueAtPixel(at.x());
  if (!(x > -1.5)) return 0;  // NaN included
  // Rounded half to even, as the default floating-point rounding does.
  return int(std::nearbyint(std::min(x, kLargestRecordX))) + 1;
}

void TForm_main::CopyRecordToPointTable(int record, int col) {
  GridModel& points = Form_GrafPoint()->SG_GrafPoint->Grid();
  points.SetColWidth(col, kPointTableRecordWidth);
  if (OpenFile.DeviceTypeCode != 2 && OpenFile.DeviceTypeCode != 4) return;
  for (int r = 1; r < kRecordColumns; ++r)
    points.SetCells(col, r, SG_TPCR->Grid().Cells(r, record));
}

void TForm_main::Chart_DataMouseDown(Qt::MouseButton button, QPointF at) {
  if (button != Qt::LeftButton || !OnScreen(Form_GrafPoint())) return;
  CurrentPoint = RecordUnderCursor(at);
  if (CurrentPoint < 1) return;
  Form_GrafPoint()->SG_GrafPoint->Grid().SetCells(1, 0, QString::number(CurrentPoint));
  CopyRecordToPointTable(CurrentPoint, 1);
}

void TForm_main::SortSelectedPoints() {
  for (int pass = 0; pass < SelectedPointCount; ++pass) {
    for (int k = 1; k < SelectedPointCount; ++k) {
      auto& a = SelectedPoints[std::size_t(k)];
      auto& b = SelectedPoints[std::size_t(k + 1)];
      if (b < a) std::swap(a, b);
    }
  }
}

void TForm_main::RebuildPointTable() {
  TForm_GrafPoint* table = Form_GrafPoint();
  GridModel& points = table->SG_GrafPoint->Grid();
  points.SetColCount(SelectedPointCount + 2);
  for (int k = 1; k <= SelectedPointCount; ++k) {
    const int record = SelectedPoints[std::size_t(k)];
    for (int r = 0; r < kRecordColumns; ++r)
      points.SetCells(k + 1, r, SG_TPCR->Grid().Cells(r, record));
    points.SetColWidth(k + 1, kPointTableRecordWidth);
  }
  table->SetButtonsEnabled(false);
  table->Btn_ClearAllPoint->setEnabled(SelectedPointCount > 0);
}

void TForm_main::Chart_DataDblClick(QPointF at) {
  if (SelectedPointCount >= kMaxSelectedPoints) return;
  CurrentPoint = RecordUnderCursor(at);
  if (CurrentPoint < 1) return;
  ++SelectedPointCount;
  SelectedPoints[SelectedPointCount] = CurrentPoint;
  SortSelectedPoints();
  RebuildPointTable();
  BringBack(Form_GrafPoint());

  ChartMaxY = 0;
  ChartMinY = 0;
  for (int i = 0; i < Chart_Data->SeriesCount(); ++i) {
    ChartMaxY = std::max(ChartMaxY, Chart_Data->Series(i)->MaxYValue());
    ChartMinY = std::min(ChartMinY, Chart_Data->Series(i)->MinYValue());
  }
  const double x = CurrentPoint - 1;
  Series_Point->AddXY(x, ChartMinY, {}, kMarkerColour);
  Series_Point->AddXY(x, ChartMaxY, {}, kMarkerColour);
  Series_Point->AddXY(x, ChartMinY, {}, kMarkerFootColour);
}

void TForm_main::Btn_ShowTablePointClick() {
  TForm_GrafPoint* table = Form_GrafPoint();
  // One the user minimised comes back where it was left.
  if (!table->isMinimized()) CentreOnWindow(table);
  if (SelectedPointCount == 0) table->SetButtonsEnabled(false);
  BringBack(table);
}

void TForm_main::TabSheet_GrafHide() {
  if (grafPoint_) grafPoint_->close();
}

void TForm_main::Btn_CopyImageClick() {
  Chart_Data->Sync();
  const QRect area = Chart_Data->viewport()->rect();
  QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    Chart_Data->render(&painter, QRectF(area), area);
  }
  QBuffer svg;
  svg.open(QIODevice::WriteOnly);
  {
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(area.size());
    generator.setViewBox(area);
    generator.setTitle(Chart_Data->Title());
    QPainter painter(&generator);
    Chart_Data->render(&painter, QRectF(area), area);
  }
  auto* mime = new QMimeData;
  mime->setImageData(image);
  mime->setData(QStringLiteral("image/svg+xml"), svg.data());
  QGuiApplication::clipboard()->setMimeData(mime);
}

void TForm_main::Btn_NastrGrafClick() {
  TForm_NastrGraf* settings = Form_NastrGraf();
  for (int n = 1; n <= kSettingsRows; ++n) {
    if (n > Chart_Data->SeriesCount()) break;
    const ChartSeries* series = Chart_Data->Series(n - 1);
    settings->CheckBox_G(n)->setChecked(series->Active());
    TForm_NastrGraf::SetSwatchColour(settings->ST_ColorG(n), series->Colour());
  }
  CentreOnWindow(settings);
  settings->exec();
}
