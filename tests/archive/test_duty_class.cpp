#include "archive/duty_class.h"

#include <climits>
#include <gtest/gtest.h>

// Every cell of the group table, at both ends of every usage class.
TEST(DutyClassTest, GroupTableCellByCell) {
  const int bounds[] = {0,      16000,   32000,   63000,   125000, 250000,
                        500000, 1000000, 2000000, 4000000, INT_MAX};
  const struct {
    int spectrumClass;
    const char* factor;
    const char* groups;  // group digit per usage class 0 to 9; none when undefined
  } rows[] = {
      {1, "0.125", "1112345678"},   {2, "0.25", "1123456788"},   {3, "0.5", "1234567888"},
      {4, "1.0", "2345678888"},     {0, "неопределен", nullptr}, {5, "неопределен", nullptr},
      {-1, "неопределен", nullptr},
  };
  for (const auto& row : rows) {
    for (int k = 0; k <= 9; ++k) {
      // A count equal to a bound falls in the lower class.
      for (const int count : {k == 0 ? 0 : bounds[k] + 1, bounds[k + 1]}) {
        SCOPED_TRACE(testing::Message() << row.spectrumClass << " " << count);
        DutyClassTexts t;
        ComputeDutyClass(row.spectrumClass, count, t);
        EXPECT_EQ(t.UsageClassText, "U" + QString::number(k));
        EXPECT_EQ(t.SpectrumFactorText, QString::fromUtf8(row.factor));
        EXPECT_EQ(t.DutyGroupText, row.groups
                                       ? QStringLiteral("A") + QChar::fromLatin1(row.groups[k])
                                       : QStringLiteral("неопределен"));
      }
    }
  }
  // A negative count leaves every text as it was.
  DutyClassTexts t{"U9", "1.0", "A8"};
  ComputeDutyClass(1, -1, t);
  EXPECT_EQ(t.UsageClassText, "U9");
  EXPECT_EQ(t.SpectrumFactorText, "1.0");
  EXPECT_EQ(t.DutyGroupText, "A8");
}
