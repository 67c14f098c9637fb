#include "platform/grid_model.h"

#include <QSize>

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

bool GridModel::Inside(int col, int row) const {
  return col >= 0 && row >= 0 && col < colCount_ && row < rowCount_;
}

void GridModel::BeginUpdate() {
  if (updateDepth_++ == 0) {
    beginResetModel();
    resetPending_ = true;
  }
}

void GridModel::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  if (resetPending_) {
    resetPending_ = false;
    endResetModel();
  }
}

void GridModel::Structural() {
  if (updateDepth_ > 0) return;
  beginResetModel();
  endResetModel();
}

void GridModel::CellChanged(int col, int row) {
  if (updateDepth_ > 0) return;
  if (row == 0) {
    emit headerDataChanged(Qt::Horizontal, col, col);
  } else {
    const QModelIndex index = IndexOf(col, row);
    emit dataChanged(index, index);
  }
}

void GridModel::SetColCount(int count) {
  if (count < 0) count = 0;
  if (count == colCount_) return;
  std::vector<Cell> cells(std::size_t(rowCount_) * count);
  std::vector<Kind> kinds(cells.size(), kEmpty);
  const int keep = std::min(count, colCount_);
  for (int r = 0; r < rowCount_; ++r) {
    for (int c = 0; c < colCount_; ++c) {
      if (c < keep) {
        cells[std::size_t(r) * count + c] = cells_[At(c, r)];
        kinds[std::size_t(r) * count + c] = kinds_[At(c, r)];
      } else {
        Forget(At(c, r));
      }
    }
  }
  cells_ = std::move(cells);
  kinds_ = std::move(kinds);
  colCount_ = count;
  colWidths_.resize(std::size_t(count), defaultColWidth_);
  Structural();
}

void GridModel::SetRowCount(int count) {
  if (count < 0) count = 0;
  if (count == rowCount_) return;
  for (std::size_t at = std::size_t(count) * colCount_; at < kinds_.size(); ++at) Forget(at);
  const bool shrinking = count < rowCount_;
  cells_.resize(std::size_t(count) * colCount_);
  kinds_.resize(cells_.size(), kEmpty);
  if (shrinking) {
    cells_.shrink_to_fit();
    kinds_.shrink_to_fit();
  }
  rowCount_ = count;
  CompactTexts();
  Structural();
}

void GridModel::Forget(std::size_t at) {
  if (kinds_[at] == kText) deadText_ += cells_[at].text.length;
  kinds_[at] = kEmpty;
}

void GridModel::CompactTexts() {
  // Rewritten cells leave their old texts behind; copy the live ones once too much is dead.
  if (deadText_ == 0 || deadText_ < text_.size() / 2) return;
  QByteArray live;
  live.reserve(text_.size() - deadText_);
  for (std::size_t at = 0; at < kinds_.size(); ++at) {
    if (kinds_[at] != kText) continue;
    Cell& cell = cells_[at];
    const auto offset = std::uint32_t(live.size());
    live.append(text_.constData() + cell.text.offset, cell.text.length);
    cell.text.offset = offset;
  }
  text_ = std::move(live);
  deadText_ = 0;
}

QString GridModel::Cells(int col, int row) const {
  if (!Inside(col, row)) return {};
  const std::size_t at = At(col, row);
  switch (kinds_[at]) {
    case kText:
      return QString::fromUtf8(text_.constData() + cells_[at].text.offset, cells_[at].text.length);
    case kNumber:
      return numberFormat_ ? numberFormat_(cells_[at].number) : QString();
    case kEmpty:
      break;
  }
  return {};
}

void GridModel::SetCells(int col, int row, QStringView text) {
  if (!Inside(col, row)) return;
  const std::size_t at = At(col, row);
  Forget(at);
  if (!text.isEmpty()) {
    const QByteArray bytes = text.toUtf8();
    cells_[at].text = {std::uint32_t(text_.size()), std::uint32_t(bytes.size())};
    text_.append(bytes);
    kinds_[at] = kText;
  }
  CompactTexts();
  CellChanged(col, row);
}

void GridModel::SetNumber(int col, int row, double value) {
  if (!Inside(col, row)) return;
  const std::size_t at = At(col, row);
  Forget(at);
  cells_[at].number = value;
  kinds_[at] = kNumber;
  CellChanged(col, row);
}

void GridModel::ClearRow(int row) {
  if (row < 0 || row >= rowCount_) return;
  for (int c = 0; c < colCount_; ++c) Forget(At(c, row));
  CompactTexts();
  if (updateDepth_ == 0 && colCount_ > 0) {
    if (row == 0)
      emit headerDataChanged(Qt::Horizontal, 0, colCount_ - 1);
    else
      emit dataChanged(IndexOf(0, row), IndexOf(colCount_ - 1, row));
  }
}

void GridModel::Squeeze() {
  cells_.shrink_to_fit();
  kinds_.shrink_to_fit();
  CompactTexts();
  text_.squeeze();
}

int GridModel::ColWidth(int col) const {
  return col >= 0 && col < colCount_ ? colWidths_[std::size_t(col)] : defaultColWidth_;
}

void GridModel::SetColWidth(int col, int width) {
  if (col < 0 || col >= colCount_ || colWidths_[std::size_t(col)] == width) return;
  colWidths_[std::size_t(col)] = width;
  emit SizesChanged();
}

void GridModel::SetDefaultRowHeight(int height) {
  if (height == defaultRowHeight_) return;
  defaultRowHeight_ = height;
  emit SizesChanged();
}

QModelIndex GridModel::IndexOf(int col, int row) const {
  if (!Inside(col, row) || row == 0) return {};
  return index(row - 1, col);
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || rowCount_ == 0 ? 0 : rowCount_ - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : colCount_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return Cells(index.column(), GridRow(index));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole) return Cells(section, 0);
  if (role == Qt::SizeHintRole) return QSize(ColWidth(section), defaultRowHeight_);
  return {};
}
