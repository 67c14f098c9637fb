#pragma once
// Picking operational records for the search window: the threshold and date-time bounds
// the user typed, the row tests, and the copy of the matching rows into the results grid.

#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <optional>

class GridModel;

inline const QString kLoadDegreeTitle = QStringLiteral("Мз");
inline constexpr int kMzThresholdMin = 0;
inline constexpr int kMzThresholdMax = 255;

// (year, month, day, hour, minute, second), compared from the year down. Two-digit years
// compare as numbers.
using SearchStamp = std::array<int, 6>;

// The load-degree threshold typed by the user; none unless an integer of 0 to 255.
std::optional<int> MzThreshold(QStringView text);

// The first column from 1 upwards whose title (row 0) is "Мз"; -1 when there is none.
int LoadDegreeColumn(const GridModel& grid);

// A bound from the date "dd.mm.yy" and the time "hh:mm:ss" (two characters a part, the
// separators not looked at); none when a part is not an integer. Parts are not range
// checked: a month 13 is compared as it is.
std::optional<SearchStamp> SearchBound(QStringView date, QStringView time);

// The time stamp "dd.mm.yy hh:mm:ss" of a record row; none when a part is not an integer.
std::optional<SearchStamp> RecordStamp(QStringView stamp);

// Decides whether data row `row` of the records grid is picked.
using RowTest = std::function<bool(const GridModel& grid, int row)>;

// The row's load degree is at least the threshold.
RowTest LoadDegreeAtLeast(int column, int threshold);
// The row's time stamp (column 1) lies within both bounds, the bounds included.
RowTest StampWithin(const SearchStamp& from, const SearchStamp& to);

// Cuts `results` to its title row and appends a copy of every data row of `records` that
// passes the test, in order. A row whose value does not convert (the empty row of an
// empty table) is not picked. `step` runs once per data row. Returns the rows copied.
int CopyMatchingRows(const GridModel& records, GridModel& results, const RowTest& test,
                     const std::function<void()>& step = {});

// Per-column search conditions: a condition type and two values for each grid row.
enum class ConditionType { None = 0, Equal, Greater, Less, Between, Fault };
inline constexpr int kConditionTypeCount = 6;
inline constexpr int kConditionRows = 16;

struct SearchCondition {
  int type = 0;  // a ConditionType
  double from = 0.0;
  double to = 0.0;
};

// "нет", "равные 5", "больше 5", "меньше 5", "от 1 до 2.5" or "Неисправность".
QString DescribeCondition(const SearchCondition& condition);
