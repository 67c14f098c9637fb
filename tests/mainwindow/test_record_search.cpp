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
  const QStringList titles{"№", "Дата и время", "Q", "Мз"};
  for (int c = 0; c < 4; ++c) grid.SetCells(c, 0, titles[c]);
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

TEST(RecordSearchTest, ThresholdIsAnIntegerFrom0To255) {
  EXPECT_EQ(MzThreshold(u"0"), 0);
  EXPECT_EQ(MzThreshold(u"255"), 255);
  EXPECT_EQ(MzThreshold(u"+80"), 80);
  EXPECT_EQ(MzThreshold(u" 7"), 7);
  for (const char* bad : {"256", "-1", "abc", "", "1.5", "12a", "999"})
    EXPECT_FALSE(MzThreshold(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(RecordSearchTest, LoadDegreeColumnIsTheFirstTitledMz) {
  GridModel grid;
  Fill(grid, {});
  EXPECT_EQ(LoadDegreeColumn(grid), 3);
  grid.SetCells(2, 0, kLoadDegreeTitle);
  EXPECT_EQ(LoadDegreeColumn(grid), 2);
  // Column 0 holds the running numbers and is never the load degree.
  grid.SetCells(0, 0, kLoadDegreeTitle);
  EXPECT_EQ(LoadDegreeColumn(grid), 2);
  GridModel untitled;
  untitled.SetColCount(18);
  untitled.SetRowCount(2);
  EXPECT_EQ(LoadDegreeColumn(untitled), -1);
}

TEST(RecordSearchTest, BoundsAndStampsReadTwoDigitParts) {
  EXPECT_EQ(Bound("31.12.04", "23:59:58"), (SearchStamp{4, 12, 31, 23, 59, 58}));
  // No range test: month 13 and hour 99 stay as they are.
  EXPECT_EQ(Bound("01.13.05", "99:00:00"), (SearchStamp{5, 13, 1, 99, 0, 0}));
  // An unfilled place is a blank; a leading blank still converts, a trailing one not.
  EXPECT_EQ(Bound(" 1.02.03", "00:00:00"), (SearchStamp{3, 2, 1, 0, 0, 0}));
  EXPECT_FALSE(SearchBound(u"1 .02.03", u"00:00:00").has_value());
  EXPECT_FALSE(SearchBound(u"01.02.03", u"0a:00:00").has_value());
  EXPECT_FALSE(SearchBound(u"", u"").has_value());

  EXPECT_EQ(RecordStamp(u"05.06.07 08:09:10"), (SearchStamp{7, 6, 5, 8, 9, 10}));
  EXPECT_FALSE(RecordStamp(u"").has_value());
  EXPECT_FALSE(RecordStamp(u"05.06.07").has_value());
}

TEST(RecordSearchTest, StampRangeIsInclusiveAndComparesFromTheYearDown) {
  GridModel records;
  Fill(records, {{"01.02.03 10:00:00", "1"},
                 {"01.02.03 10:00:01", "2"},
                 {"31.01.03 23:59:59", "3"},
                 {"01.01.04 00:00:00", "4"},
                 {"01.02.03 10:00:00", "5"}});
  auto picked = [&](const SearchStamp& from, const SearchStamp& to) {
    GridModel results;
    results.SetColCount(4);
    results.SetRowCount(1);
    CopyMatchingRows(records, results, StampWithin(from, to));
    return Column(results, 3);
  };
  // Both bounds the same second: exactly the records of that second.
  EXPECT_EQ(picked(Bound("01.02.03", "10:00:00"), Bound("01.02.03", "10:00:00")),
            (QStringList{"1", "5"}));
  // The day of the month counts less than the month.
  EXPECT_EQ(picked(Bound("31.01.03", "23:59:59"), Bound("01.02.03", "10:00:00")),
            (QStringList{"1", "3", "5"}));
  EXPECT_EQ(picked(Bound("01.01.00", "00:00:00"), Bound("31.12.99", "23:59:59")),
            (QStringList{"1", "2", "3", "4", "5"}));
  // Two-digit years compare as numbers: 99 lies after 04.
  EXPECT_TRUE(picked(Bound("01.01.99", "00:00:00"), Bound("31.12.04", "23:59:59")).isEmpty());
  // A reversed range picks nothing.
  EXPECT_TRUE(picked(Bound("01.01.04", "00:00:00"), Bound("01.01.03", "00:00:00")).isEmpty());
}

TEST(RecordSearchTest, CopiesEveryColumnOfTheRowsAtOrAboveTheThreshold) {
  GridModel records;
  Fill(records, {{"01.02.03 04:05:06", "83"},
                 {"02.02.03 04:05:06", "0"},
                 {"03.02.03 04:05:06", "100"},
                 {"04.02.03 04:05:06", "99"}});
  GridModel results;
  results.SetColCount(4);
  results.SetRowCount(7);  // a previous search's rows are dropped
  results.SetCells(3, 0, u"Мз");
  results.SetCells(1, 5, u"old");
  int steps = 0;

  EXPECT_EQ(CopyMatchingRows(records, results, LoadDegreeAtLeast(3, 99), [&] { ++steps; }), 2);
  EXPECT_EQ(steps, 4);
  ASSERT_EQ(results.RowCount(), 3);
  EXPECT_EQ(results.Cells(3, 0), "Мз");
  EXPECT_EQ(Column(results, 0), (QStringList{"3", "4"}));  // the record numbers stay
  EXPECT_EQ(Column(results, 1), (QStringList{"03.02.03 04:05:06", "04.02.03 04:05:06"}));
  EXPECT_EQ(Column(results, 2), (QStringList{"4.5", "6"}));  // numbers come as their texts
  EXPECT_EQ(Column(results, 3), (QStringList{"100", "99"}));

  EXPECT_EQ(CopyMatchingRows(records, results, LoadDegreeAtLeast(3, 0)), 4);
  EXPECT_EQ(CopyMatchingRows(records, results, LoadDegreeAtLeast(3, 255)), 0);
  EXPECT_EQ(results.RowCount(), 1);
}

TEST(RecordSearchTest, RowsThatDoNotConvertAreNotPicked) {
  // An empty table shows one empty data row.
  GridModel records;
  Fill(records, {{"", ""}});
  GridModel results;
  results.SetColCount(4);
  results.SetRowCount(1);
  EXPECT_EQ(CopyMatchingRows(records, results, LoadDegreeAtLeast(3, 0)), 0);
  EXPECT_EQ(
      CopyMatchingRows(records, results,
                       StampWithin(Bound("00.00.00", "00:00:00"), Bound("99.99.99", "99:99:99"))),
      0);
  // A bad row among good ones is passed over; the search goes on after it.
  Fill(records,
       {{"01.02.03 04:05:06", "5"}, {"xx.02.03 04:05:06", "x"}, {"02.02.03 04:05:06", "6"}});
  EXPECT_EQ(CopyMatchingRows(records, results, LoadDegreeAtLeast(3, 0)), 2);
  EXPECT_EQ(
      CopyMatchingRows(records, results,
                       StampWithin(Bound("00.00.00", "00:00:00"), Bound("99.99.99", "99:99:99"))),
      2);
  EXPECT_EQ(Column(results, 3), (QStringList{"5", "6"}));
}

TEST(RecordSearchTest, ConditionTexts) {
  EXPECT_EQ(DescribeCondition({}), "нет");
  EXPECT_EQ(DescribeCondition({1, 5, 0}), "равные 5");
  EXPECT_EQ(DescribeCondition({2, 2.5, 9}), "больше 2.5");
  EXPECT_EQ(DescribeCondition({3, -1, 0}), "меньше -1");
  EXPECT_EQ(DescribeCondition({4, 1, 12.75}), "от 1 до 12.75");
  EXPECT_EQ(DescribeCondition({5, 3, 4}), "Неисправность");
  EXPECT_EQ(DescribeCondition({9, 3, 4}), "нет");
}
