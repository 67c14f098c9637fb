#include "platform/grid_model.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(GridModelTest, CellsInGridIndicesWithTitlesAsHeader) {
  GridModel grid;
  QSignalSpy resets(&grid, &GridModel::modelReset);
  QSignalSpy changes(&grid, &GridModel::dataChanged);
  QSignalSpy header(&grid, &GridModel::headerDataChanged);
  grid.BeginUpdate();
  grid.SetColCount(3);
  grid.SetRowCount(3);
  grid.SetNumber(2, 2, 12.5);
  grid.EndUpdate();
  EXPECT_EQ(resets.count(), 1);  // one reset for the whole update
  EXPECT_EQ(changes.count(), 0);
  grid.SetCells(1, 0, u"Мз");
  EXPECT_EQ(header.count(), 1);
  EXPECT_EQ(grid.Cells(2, 2), "");  // no number format yet
  grid.SetNumberFormat([](double value) { return QString::number(value); });
  grid.SetCells(5, 1, u"outside");
  grid.SetNumber(1, 9, 1);
  EXPECT_EQ(grid.Cells(5, 1), "");
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), "Мз");
  EXPECT_EQ(grid.data(grid.index(1, 2)).toString(), "12.5");
  EXPECT_EQ(GridModel::GridRow(grid.IndexOf(2, 2)), 2);
  EXPECT_FALSE(grid.IndexOf(1, 0).isValid());

  SCOPED_TRACE("texts stay right when the store is compacted");
  grid.SetCells(1, 2, u"kept");
  for (int i = 0; i < 5000; ++i) grid.SetCells(0, 1, QStringLiteral("значение %1").arg(i));
  EXPECT_EQ(grid.Cells(0, 1), "значение 4999");
  EXPECT_EQ(grid.Cells(1, 2), "kept");
  EXPECT_EQ(changes.count(), 5001);  // one change per cell written

  SCOPED_TRACE("resizing drops the cells outside and adds empty ones");
  grid.SetColCount(2);
  grid.SetColCount(3);
  EXPECT_EQ(grid.Cells(1, 2), "kept");
  EXPECT_EQ(grid.Cells(2, 2), "");
  grid.SetRowCount(2);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cells(1, 2), "");
  grid.ClearRow(0);
  grid.Squeeze();
  EXPECT_EQ(header.count(), 2);
  EXPECT_EQ(grid.Cells(1, 0), "");
}
