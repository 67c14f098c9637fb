#pragma once
// The shared model behind every string grid: cells addressed as (column, row) with row 0
// the titles and column 0 the running number, as the windows number them. Cells are kept
// compactly (texts back to back, numbers as values formatted when shown), never one object
// per cell, so a grid of 65 535 records stays small and scrolls without delay.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // How a number cell becomes its text; the grid itself never formats numbers.
  using NumberFormat = QString (*)(double);

  explicit GridModel(QObject* parent = nullptr);

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  // New cells are empty; cells beyond a smaller size are dropped.
  void SetColCount(int count);
  void SetRowCount(int count);
  int FixedRows() const { return 1; }
  int FixedCols() const { return 1; }

  // The text of a cell; "" outside the grid.
  QString Cells(int col, int row) const;
  // Writes outside the grid are ignored.
  void SetCells(int col, int row, QStringView text);
  // A number cell shows NumberFormat(value).
  void SetNumber(int col, int row, double value);
  void SetNumberFormat(NumberFormat format) { numberFormat_ = format; }
  // Empties every cell of a row.
  void ClearRow(int row);

  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  int DefaultColWidth() const { return defaultColWidth_; }
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);

  // Gives back the spare room left by growing, for example after a fill.
  void Squeeze();

  // Changes between BeginUpdate and the matching EndUpdate reach views as one reset.
  void BeginUpdate();
  void EndUpdate();

  // Views show the data rows 1.. as model rows 0..; the titles of row 0 are the
  // horizontal header. Every grid column, column 0 included, is a model column.
  QModelIndex IndexOf(int col, int row) const;
  static int GridRow(const QModelIndex& index) { return index.row() + 1; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 signals:
  // Column widths or the row height changed.
  void SizesChanged();

 private:
  // A number holds its value; a text points into text_.
  struct TextRef {
    std::uint32_t offset;
    std::uint32_t length;
  };
  struct Cell {
    union {
      double number;
      TextRef text;
    };
  };
  enum Kind : std::uint8_t { kEmpty, kText, kNumber };

  bool Inside(int col, int row) const;
  std::size_t At(int col, int row) const { return std::size_t(row) * colCount_ + col; }
  void Structural();
  void CellChanged(int col, int row);
  void Forget(std::size_t at);
  void CompactTexts();

  int colCount_ = 0;
  int rowCount_ = 0;
  std::vector<Cell> cells_;
  std::vector<Kind> kinds_;
  QByteArray text_;  // UTF-8 cell texts back to back
  qsizetype deadText_ = 0;
  std::vector<int> colWidths_;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  NumberFormat numberFormat_ = nullptr;
  int updateDepth_ = 0;
  bool resetPending_ = false;
};
