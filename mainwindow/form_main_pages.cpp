// The data pages: the record grids, the long-term page and the graph page's chart.
#include "archive/data_file.h"
#include "mainwindow/form_main.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QVBoxLayout* FillingLayout(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

ChartSeries* NewSeries(std::vector<std::unique_ptr<ChartSeries>>& owned, SeriesKind kind,
                       const QString& name, const QColor& colour) {
  owned.push_back(std::make_unique<ChartSeries>(kind, name));
  owned.back()->SetColour(colour);
  return owned.back().get();
}

}  // namespace

void TForm_main::BuildRecordPages() {
  SG_TPCR = new StringGrid(QStringLiteral("SG_TPCR"), true, TabSheet_Table);
  SG_TPCR_Find = new StringGrid(QStringLiteral("SG_TPCR_Find"), true, TabSheet_Table);
  SG_TP = new StringGrid(QStringLiteral("SG_TP"), false, TabSheet_TableTP);
  // The search results lie over the records and are shown instead of them.
  auto* table = new QGridLayout(TabSheet_Table);
  table->setContentsMargins(0, 0, 0, 0);
  table->addWidget(SG_TPCR, 0, 0);
  table->addWidget(SG_TPCR_Find, 0, 0);
  SG_TPCR_Find->hide();
  FillingLayout(TabSheet_TableTP)->addWidget(SG_TP);

  using CellHandler = void (TForm_main::*)(QPainter&, int, int, const QRect&) const;
  const std::pair<StringGrid*, CellHandler> drawCell[] = {
      {SG_TPCR, &TForm_main::SG_TPCRDrawCell},
      {SG_TP, &TForm_main::SG_TPDrawCell},
      {SG_TPCR_Find, &TForm_main::SG_TPCR_FindDrawCell}};
  for (const auto& [grid, handler] : drawCell) {
    ClearRecordGrid(grid->Grid());
    grid->SetCellPainter(
        [this, handler = handler](QPainter& canvas, int col, int row, const QRect& rect) {
          (this->*handler)(canvas, col, row, rect);
        });
    grid->viewport()->installEventFilter(this);
    grid->horizontalHeader()->installEventFilter(this);
    grid->horizontalHeader()->viewport()->installEventFilter(this);
  }
  connect(SG_TPCR, &StringGrid::Click, this, &TForm_main::SG_TPCRClick);
  connect(SG_TP, &StringGrid::Click, this, &TForm_main::SG_TPClick);
  connect(SG_TPCR_Find, &StringGrid::Click, this, &TForm_main::SG_TPCR_FindClick);
}

void TForm_main::BuildLongTermPage() {
  auto* page = FillingLayout(TabSheet_Param);
  Series1 = NewSeries(ownedSeries_, SeriesKind::HorizontalBar, QStringLiteral("Series1"), Qt::red);
  Chart1 = new ChartView(TabSheet_Param);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  Chart1->SetTitle(QStringLiteral("Нагрузочные характеристики"), QFont(QStringLiteral("Arial")));
  Chart1->AddSeries(Series1);
  // A picture only: it takes no mouse input.
  Chart1->setEnabled(false);
  page->addWidget(Chart1, 1);

  auto* values = new QGridLayout;
  values->setContentsMargins(8, 4, 8, 8);
  values->setColumnStretch(1, 1);
  values->setHorizontalSpacing(16);
  QLabel** const labels[] = {&ST_Csum,  &ST_Haract, &ST_ClassIsp, &ST_Km,
                             &ST_Rezim, &ST_Mch,    &ST_TO};
  static const char* const kNames[] = {"ST_Csum",  "ST_Haract", "ST_ClassIsp", "ST_Km",
                                       "ST_Rezim", "ST_Mch",    "ST_TO"};
  for (int r = 0; r < 7; ++r) {
    QLabel** label = labels[r];
    auto* title = new QLabel(QString::fromUtf8(DataFile::kLongTermCaptions[r]), TabSheet_Param);
    *label = new QLabel(kNoValueText, TabSheet_Param);
    (*label)->setObjectName(QString::fromLatin1(kNames[r]));
    (*label)->setTextFormat(Qt::PlainText);
    values->addWidget(title, r, 0);
    values->addWidget(*label, r, 1);
  }
  page->addLayout(values);
}

void TForm_main::BuildGraphPage() {
  auto* page = FillingLayout(TabSheet_Graf);
  Chart_Data = new ChartView(TabSheet_Graf);
  Chart_Data->setObjectName(QStringLiteral("Chart_Data"));
  Chart_Data->SetTitle(QStringLiteral("Графики временной зависимости регистрируемых параметров"),
                       Chart_Data->font());
  const QColor colours[kGraphSeries] = {Qt::red,
                                        QColor(0x00, 0x80, 0x00),
                                        Qt::yellow,
                                        Qt::blue,
                                        Qt::white,
                                        QColor(0x80, 0x80, 0x80),
                                        QColor(0xFF, 0x00, 0xFF),
                                        QColor(0x00, 0x80, 0x80),
                                        QColor(0x00, 0x00, 0x80),
                                        QColor(0x80, 0x00, 0x00),
                                        QColor(0x00, 0xFF, 0x00),
                                        QColor(0x80, 0x80, 0x00),
                                        QColor(0x80, 0x00, 0x80)};
  for (int k = 1; k <= kGraphSeries; ++k) {
    seriesG_[std::size_t(k - 1)] = NewSeries(ownedSeries_, SeriesKind::Line,
                                             QStringLiteral("Series_G%1").arg(k), colours[k - 1]);
  }
  Series_Point =
      NewSeries(ownedSeries_, SeriesKind::FastLine, QStringLiteral("Series_Point"), Qt::red);
  Series_Point->SetLinePenColour(QColor(0x80, 0x00, 0x00));
  for (int k = 1; k <= 11; ++k) Chart_Data->AddSeries(Series_G(k));
  Chart_Data->AddSeries(Series_Point);
  Chart_Data->AddSeries(Series_G(12));
  Chart_Data->AddSeries(Series_G(13));
  page->addWidget(Chart_Data);
  BuildGraphButtons();
}

void TForm_main::DrawRecordGridCell(StringGrid* grid, QPainter& Canvas, int col, int row,
                                    const QRect& rect) const {
  RecordGrid which = RecordGrid::TPCR;
  int remembered = CurrentRowTPCR;
  if (grid == SG_TP) {
    which = RecordGrid::TP;
    remembered = CurrentRowTP;
  } else if (grid == SG_TPCR_Find) {
    which = RecordGrid::Find;
    remembered = CurrentRowFind;
  }
  DrawRecordCell(Canvas, grid->Grid(), OpenFile.DeviceTypeCode, which, col, row, rect, remembered,
                 ConditionFilterOn != 0, SystemColoursFrom(grid->palette()));
}

void TForm_main::SG_TPCRDrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) const {
  DrawRecordGridCell(SG_TPCR, Canvas, ACol, ARow, Rect);
}

void TForm_main::SG_TPDrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) const {
  DrawRecordGridCell(SG_TP, Canvas, ACol, ARow, Rect);
}

void TForm_main::SG_TPCR_FindDrawCell(QPainter& Canvas, int ACol, int ARow,
                                      const QRect& Rect) const {
  DrawRecordGridCell(SG_TPCR_Find, Canvas, ACol, ARow, Rect);
}

void TForm_main::SG_TPCRMouseMove(int X) {
  ShowColumnDescription(SG_TPCR_Find->isVisible() ? SG_TPCR_Find : SG_TPCR, X);
}

void TForm_main::SG_TPMouseMove(int X) {
  ShowColumnDescription(SG_TP, X);
}

void TForm_main::ShowColumnDescription(StringGrid* grid, int x) {
  const int col = grid->columnAt(x);
  const bool known = col >= 0 && col < int(OpenFile.ColumnDescriptions.size());
  SetStatusPanel0(known ? OpenFile.ColumnDescriptions[std::size_t(col)] : QString());
}

void TForm_main::SG_TPCRClick() {
  CurrentRowTPCR = SG_TPCR->Row();
  SG_TPCR->viewport()->update();
  DecodeRowIntoView(SG_TPCR, CurrentRowTPCR);
}

void TForm_main::SG_TPClick() {
  CurrentRowTP = SG_TP->Row();
  SG_TP->viewport()->update();
  DecodeRowIntoView(SG_TP, CurrentRowTP);
}

void TForm_main::SG_TPCR_FindClick() {
  CurrentRowFind = SG_TPCR_Find->Row();
  SG_TPCR_Find->viewport()->update();
  DecodeRowIntoView(SG_TPCR_Find, CurrentRowFind);
}
