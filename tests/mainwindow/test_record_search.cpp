// Picking records for the search window, without any window.
#include "archive/number_text.h"
#include "mainwindow/record_search.h"
#include "platform/grid_model.h"

#include <gtest/gtest.h>

namespace {

// A records grid: titles with "Мз" in column 3, then (stamp, load degree) rows.
void Fill(GridModel& grid, const QList<std::pair<QString, QString>>& rows) {
  grid.SetNumberFormat(&FloatToText);
  grid.SetColCount(4);
  grid.SetRowCount(int(rows.size()) + 1);
  grid.SetCells(3, 0, kLoadDegreeTitle);
  for (int r = 1; r <= rows.size(); ++r) {
    grid.SetCells(0, r, QString::number(r));
    grid.SetCells(1, r, rows[r - 1].first);
    grid.SetNumber(2, r, r * 1.5);
    grid.SetCells(3, r, rows[r - 1].second);
  }
}

QStringList Column(const GridModel& grid, int col) {
  QStringList texts;
  for (int r = 1; r < grid.RowCount(); ++r) texts << grid.Cells(col, r);
  return texts;
}

SearchStamp Bound(const char* date, const char* time) {
  return SearchBound(QString::fromLatin1(date), QString::fromLatin1(time)).value();
}

}  // namespace

TEST(RecordSearchTest, ThresholdBoundsAndColumn) {
  EXPECT_EQ(MzThreshold(u"255"), 255);
  for (const char* bad : {"256", "-1", "", "1.5"})
    EXPECT_FALSE(MzThreshold(QString::fromLatin1(bad)).has_value()) << bad;
  // No range test: month 13 and hour 99 stay as they are; a trailing blank does not convert.
  EXPECT_EQ(Bound(" 1.13.05", "99:00:00"), (SearchStamp{5, 13, 1, 99, 0, 0}));
  EXPECT_FALSE(SearchBound(u"1 .02.03", u"00:00:00").has_value());
  EXPECT_FALSE(RecordStamp(u"05.06.07").has_value());
  // Column 0 holds the running numbers and is never the load degree.
  GridModel grid;
  Fill(grid, {});
  grid.SetCells(0, 0, kLoadDegreeTitle);
  EXPECT_EQ(LoadDegreeColumn(grid), 3);
  grid.SetCells(3, 0, u"");
  EXPECT_EQ(LoadDegreeColumn(grid), -1);
}

TEST(RecordSearchTest, CopiesEveryColumnOfTheRowsAtOrAboveTheThreshold) {
  GridModel records;
  Fill(records, {{"01.02.03 04:05:06", "83"},
                 {"02.02.03 04:05:06", "x"},
                 {"03.02.03 04:05:06", "100"},
                 {"04.02.03 04:05:06", "99"}});
  GridModel results;
  results.SetColCount(4);
  results.SetRowCount(7);  // a previous search's rows are dropped
  results.SetCells(3, 0, u"Мз");
  int steps = 0;
  EXPECT_EQ(CopyMatchingRows(records, results, LoadDegreeAtLeast(3, 99), [&] { ++steps; }), 2);
  EXPECT_EQ(steps, 4);
  ASSERT_EQ(results.RowCount(), 3);
  EXPECT_EQ(Column(results, 0), (QStringList{"3", "4"}));    // the record numbers stay
  EXPECT_EQ(Column(results, 2), (QStringList{"4.5", "6"}));  // numbers come as their texts
  // Both bounds count; the day of the month counts less than the month.
  EXPECT_EQ(
      CopyMatchingRows(records, results,
                       StampWithin(Bound("31.01.03", "00:00:00"), Bound("02.02.03", "04:05:06"))),
      2);
}
