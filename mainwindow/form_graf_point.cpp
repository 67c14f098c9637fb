#include "mainwindow/form_graf_point.h"

#include "archive/number_text.h"
#include "mainwindow/form_main.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/exception_guard.h"
#include "platform/grid_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

QToolButton* NewSpeedButton(QWidget* parent, const QString& name, const QString& hint,
                            const QIcon& icon) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setIcon(icon);
  button->setAutoRaise(true);
  return button;
}

TForm_GrafPoint::TForm_GrafPoint(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("Form_GrafPoint"));
  setWindowTitle(QStringLiteral("Просмотр точек графика"));
  setFixedSize(521, 332);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* row = new QHBoxLayout(Panel1);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);
  Btn_DelCol = NewSpeedButton(Panel1, QStringLiteral("Btn_DelCol"), QStringLiteral("Удалить точку"),
                              style()->standardIcon(QStyle::SP_DialogDiscardButton));
  Btn_ClearAllPoint = NewSpeedButton(Panel1, QStringLiteral("Btn_ClearAllPoint"),
                                     QStringLiteral("Удалить все точки"),
                                     style()->standardIcon(QStyle::SP_TrashIcon));
  Btn_InTble = NewSpeedButton(Panel1, QStringLiteral("Btn_InTble"),
                              QStringLiteral("Показать точку в таблице"),
                              style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  row->addWidget(Btn_DelCol);
  row->addWidget(Btn_ClearAllPoint);
  row->addWidget(Btn_InTble);
  row->addStretch(1);
  column->addWidget(Panel1);

  SG_GrafPoint = new StringGrid(QStringLiteral("SG_GrafPoint"), false, this);
  // The click handler selects the whole column; the view's own click selection would undo it.
  SG_GrafPoint->setSelectionMode(QAbstractItemView::NoSelection);
  GridModel& grid = SG_GrafPoint->Grid();
  grid.SetColCount(2);
  grid.SetRowCount(kPointTableRows);
  grid.SetColWidth(0, kPointTableTitleWidth);
  grid.SetDefaultRowHeight(kPointTableRowHeight);
  column->addWidget(SG_GrafPoint, 1);

  connect(SG_GrafPoint, &StringGrid::Click, this, &TForm_GrafPoint::SG_GrafPointClick);
  connect(Btn_DelCol, &QToolButton::clicked, this, &TForm_GrafPoint::Btn_DelColClick);
  connect(Btn_ClearAllPoint, &QToolButton::clicked, this, &TForm_GrafPoint::Btn_ClearAllPointClick);
  connect(Btn_InTble, &QToolButton::clicked, this, &TForm_GrafPoint::Btn_InTbleClick);
  SetButtonsEnabled(false);
}

int TForm_GrafPoint::CurrentCol() const {
  const QModelIndex current = SG_GrafPoint->currentIndex();
  return current.isValid() ? current.column() : 1;
}

void TForm_GrafPoint::SetButtonsEnabled(bool enabled) {
  for (QToolButton* button : {Btn_DelCol, Btn_ClearAllPoint, Btn_InTble})
    button->setEnabled(enabled);
}

void TForm_GrafPoint::SG_GrafPointClick() {
  const GridModel& grid = SG_GrafPoint->Grid();
  const int col = CurrentCol();
  SG_GrafPoint->selectionModel()->select(
      QItemSelection(grid.IndexOf(col, 1), grid.IndexOf(col, grid.RowCount() - 1)),
      QItemSelectionModel::ClearAndSelect);
  const bool picked = main_ && main_->SelectedPointCount > 0;
  Btn_InTble->setEnabled(col >= 1 && picked);
  Btn_DelCol->setEnabled(col >= 2 && picked);
  Btn_ClearAllPoint->setEnabled(picked);
}

void TForm_GrafPoint::Btn_DelColClick() {
  if (!main_) return;
  const int col = CurrentCol();
  // Column c shows pick c - 1; a column past the picks has none to delete.
  const int pick = col - 1;
  if (main_->SelectedPointCount == 0 || col < 2 || pick > main_->SelectedPointCount) return;
  auto& points = main_->SelectedPoints;
  for (int k = pick; k < main_->SelectedPointCount; ++k)
    points[std::size_t(k)] = points[std::size_t(k + 1)];
  --main_->SelectedPointCount;
  main_->RebuildPointTable();
  // The markers lie in pick order, three points each.
  for (int i = 0; i < 3; ++i) main_->Series_Point->Delete((col - 2) * 3);
}

void TForm_GrafPoint::Btn_ClearAllPointClick() {
  SG_GrafPoint->Grid().SetColCount(2);
  if (main_) {
    main_->Series_Point->Clear();
    main_->SelectedPointCount = 0;
  }
  SetButtonsEnabled(false);
}

void TForm_GrafPoint::Btn_InTbleClick() {
  if (!main_) return;
  const QString text = SG_GrafPoint->Grid().Cells(CurrentCol(), 0);
  RunGuarded([&] {
    const std::optional<int> record = TextToInt(text);
    if (!record) {
      throw std::runtime_error(
          QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    }
    StringGrid* table = main_->SG_TPCR;
    if (*record < 1 || *record >= table->Grid().RowCount())
      throw std::runtime_error("Grid index out of range");
    table->SetRow(*record);
    main_->SpeedItem_TableClick();
  });
}
