#include "reports/print_ranges.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using Ranges = std::vector<std::pair<int, int>>;

Ranges Stored(const PrintRanges& r) {
  Ranges out;
  for (int i = 1; i <= r.PrintRangeCount; ++i)
    out.emplace_back(r.PrintRangeFrom[std::size_t(i)], r.PrintRangeTo[std::size_t(i)]);
  return out;
}

// An error stops the reading at once and keeps the ranges read before it; each reading
// starts afresh.
TEST(PrintRangesTest, ReadsRangesAndStopsAtTheFirstError) {
  const struct {
    const char* text;
    int lastRow;
    int result;
    Ranges ranges;
  } rows[] = {
      {"1,3,5-12", 40, kRangesRead, {{1, 1}, {3, 3}, {5, 12}}},
      {"5-", 40, kRangesRead, {{5, 40}}},
      {"2,", 40, kRangesRead, {{2, 2}}},
      {"1-", 7, kRangesRead, {{1, 7}}},  // "Все": every data row
      {"0", 7, kRangesRead, {{0, 0}}},   // no lower bound: the title row may be asked for
      {"  $A,0x2", 40, kRangesRead, {{10, 10}, {2, 2}}},
      {"", 40, kRangesEmpty, {}},
      {"5-,7", 40, kRangeNotNumber, {}},
      {"12-5", 40, kRangeDescending, {}},
      {"1,x", 40, kRangeNotNumber, {{1, 1}}},
      {"41", 40, kRangeAboveLastRow, {}},
      {"3-41", 40, kRangeAboveLastRow, {}},
      {"3 ", 40, kRangeNotNumber, {}},
      {"99999999999", 40, kRangeNotNumber, {}},  // too large for 32 bits: not a huge row
      {"1-", 0, kRangeAboveLastRow, {}},         // a title row only: nothing for "Все"
  };
  PrintRanges r;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParsePrintRanges(row.text, row.lastRow, r), row.result);
    EXPECT_EQ(Stored(r), row.ranges);
  }
}

TEST(PrintRangesTest, TwentyItemsAtMost) {
  QString text;
  for (int i = 1; i <= 21; ++i) text += QString::number(i) + QLatin1Char(',');
  text += QStringLiteral("x");
  PrintRanges r;
  EXPECT_EQ(ParsePrintRanges(text, 40, r), kRangesRead);
  ASSERT_EQ(r.PrintRangeCount, 20);
  EXPECT_EQ(r.PrintRangeFrom[20], 20);
}

}  // namespace
