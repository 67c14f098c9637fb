#include "mainwindow/string_grid.h"

#include "platform/grid_model.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

StringGrid::StringGrid(const QString& name, bool resizableColumns, QWidget* parent)
    : QTableView(parent), grid_(new GridModel(this)) {
  setObjectName(name);
  setModel(grid_);
  setItemDelegate(new RecordCellDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setMouseTracking(true);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setSectionResizeMode(resizableColumns ? QHeaderView::Interactive
                                                            : QHeaderView::Fixed);
  // The titles' moves reach the header's viewport, not the header.
  horizontalHeader()->setMouseTracking(true);
  horizontalHeader()->viewport()->setMouseTracking(true);
  connect(grid_, &GridModel::SizesChanged, this, &StringGrid::ApplySizes);
  connect(grid_, &QAbstractItemModel::modelReset, this, [this] {
    ApplySizes();
    // Like a grid that always has a current cell: the first data row, taken without a
    // click, so that focusing the grid does not count as one.
    const QScopedValueRollback<bool> quiet(quiet_, true);
    selectionModel()->setCurrentIndex(grid_->IndexOf(1, 1), QItemSelectionModel::NoUpdate);
  });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& now, const QModelIndex& before) {
            if (quiet_ || !now.isValid() || now == before) return;
            moved_ = true;
            emit Click();
          });
  ApplySizes();
}

void StringGrid::SetCellPainter(CellPainter painter) {
  static_cast<RecordCellDelegate*>(itemDelegate())->SetPainter(std::move(painter));
}

void StringGrid::ApplySizes() {
  const int height = grid_->DefaultRowHeight();
  verticalHeader()->setDefaultSectionSize(height);
  horizontalHeader()->setFixedHeight(height);
  for (int c = 0; c < grid_->ColCount(); ++c) setColumnWidth(c, grid_->ColWidth(c));
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
  moved_ = false;
  QTableView::mousePressEvent(event);
  // A click on the current cell is a click as well.
  if (!moved_ && indexAt(event->position().toPoint()).isValid()) emit Click();
}

int StringGrid::Row() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? GridModel::GridRow(current) : 0;
}

void StringGrid::SetRow(int row) {
  const QModelIndex current = currentIndex();
  const int col = current.isValid() ? current.column() : 1;
  setCurrentIndex(grid_->IndexOf(col, row));
}

void RecordCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const int col = index.column();
  const int row = GridModel::GridRow(index);
  const QString text = index.data().toString();
  // Texts stand 2 pixels in from the cell's top-left corner, as the columns were laid out for.
  const QRect textRect = option.rect.adjusted(kCellTextMargin, kCellTextMargin, 0, 0);
  if (col == 0) {
    // The running numbers look like the title row.
    painter->fillRect(option.rect, option.palette.button());
    painter->setPen(option.palette.color(QPalette::ButtonText));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, text);
    return;
  }
  DrawPlainGridCell(painter, option, index);
  if (!painter_) return;
  painter->save();
  painter->setFont(option.font);
  painter_(*painter, col, row, option.rect);
  painter->restore();
}
