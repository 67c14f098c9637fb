#include "reports/print_ranges.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<int, int>> Stored(const PrintRanges& r) {
  std::vector<std::pair<int, int>> out;
  for (int i = 1; i <= r.PrintRangeCount; ++i)
    out.emplace_back(r.PrintRangeFrom[std::size_t(i)], r.PrintRangeTo[std::size_t(i)]);
  return out;
}

using Ranges = std::vector<std::pair<int, int>>;

TEST(ParsePrintRanges, ReadsSinglesRangesOpenEndAndTrailingComma) {
  PrintRanges r;
  EXPECT_EQ(ParsePrintRanges("1,3,5-12", 40, r), kRangesRead);
  EXPECT_EQ(Stored(r), (Ranges{{1, 1}, {3, 3}, {5, 12}}));
  EXPECT_EQ(ParsePrintRanges("5-", 40, r), kRangesRead);
  EXPECT_EQ(Stored(r), (Ranges{{5, 40}}));
  EXPECT_EQ(ParsePrintRanges("2,", 40, r), kRangesRead);
  EXPECT_EQ(Stored(r), (Ranges{{2, 2}}));
  // "Все" writes "1-": every data row.
  EXPECT_EQ(ParsePrintRanges("1-", 7, r), kRangesRead);
  EXPECT_EQ(Stored(r), (Ranges{{1, 7}}));
  // No lower bound: the title row may be asked for.
  EXPECT_EQ(ParsePrintRanges("0", 7, r), kRangesRead);
  EXPECT_EQ(Stored(r), (Ranges{{0, 0}}));
  EXPECT_EQ(ParsePrintRanges("  $A,0x2", 40, r), kRangesRead);
  EXPECT_EQ(Stored(r), (Ranges{{10, 10}, {2, 2}}));
}

TEST(ParsePrintRanges, ErrorsStopAtOnceAndKeepEarlierRanges) {
  PrintRanges r;
  EXPECT_EQ(ParsePrintRanges("", 40, r), kRangesEmpty);
  EXPECT_EQ(r.PrintRangeCount, 0);
  EXPECT_EQ(ParsePrintRanges("5-,7", 40, r), kRangeNotNumber);
  EXPECT_EQ(ParsePrintRanges("12-5", 40, r), kRangeDescending);
  EXPECT_EQ(ParsePrintRanges("1,x", 40, r), kRangeNotNumber);
  EXPECT_EQ(Stored(r), (Ranges{{1, 1}}));
  EXPECT_EQ(ParsePrintRanges("41", 40, r), kRangeAboveLastRow);
  EXPECT_EQ(ParsePrintRanges("3-41", 40, r), kRangeAboveLastRow);
  EXPECT_EQ(ParsePrintRanges("3 ", 40, r), kRangeNotNumber);
  EXPECT_EQ(ParsePrintRanges("-3", 40, r), kRangeNotNumber);
  // Too large for a 32-bit number is not a number, not a huge row.
  EXPECT_EQ(ParsePrintRanges("99999999999", 40, r), kRangeNotNumber);
  // A grid with only its title row has nothing for "Все".
  EXPECT_EQ(ParsePrintRanges("1-", 0, r), kRangeAboveLastRow);
}

TEST(ParsePrintRanges, TwentyItemsAtMost) {
  QString text;
  for (int i = 1; i <= 21; ++i) text += QString::number(i) + QLatin1Char(',');
  text += QStringLiteral("x");
  PrintRanges r;
  EXPECT_EQ(ParsePrintRanges(text, 40, r), kRangesRead);
  ASSERT_EQ(r.PrintRangeCount, 20);
  EXPECT_EQ(r.PrintRangeFrom[20], 20);
}

}  // namespace
