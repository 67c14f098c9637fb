#pragma once
// A record grid on screen: a table view over its own GridModel, row 0 as the header and
// column 0 drawn as the fixed column. The window decides the colours of data cells.

#include "mainwindow/cell_painting.h"
#include "platform/grid_cell.h"

#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

class GridModel;

class StringGrid : public QTableView {
  Q_OBJECT

 public:
  // Paints over a cell after the grid drew it, on the grid's canvas with the grid's font.
  using CellPainter = std::function<void(QPainter& Canvas, int col, int row, const QRect& rect)>;

  StringGrid(const QString& name, bool resizableColumns, QWidget* parent = nullptr);

  GridModel& Grid() const { return *grid_; }
  void SetCellPainter(CellPainter painter);

  // The grid row of the current cell, 0 when there is none.
  int Row() const;
  // Makes a grid row current; the click handler runs when the row changes.
  void SetRow(int row);

 signals:
  // A cell was clicked or the current cell moved: by a click, the keyboard or SetRow.
  void Click();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void ApplySizes();

  GridModel* grid_;
  bool quiet_ = false;
  bool moved_ = false;
};

// Draws a grid's cells: the fixed column like the header, data cells as the table does,
// then the window's colours over them.
class RecordCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit RecordCellDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}
  void SetPainter(StringGrid::CellPainter painter) { painter_ = std::move(painter); }
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  StringGrid::CellPainter painter_;
};
