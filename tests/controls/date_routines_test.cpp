#include "controls/date_routines.h"

#include <gtest/gtest.h>
#include <QLocale>

namespace {

const QString kDmy4 = QStringLiteral("DD/MM/YYYY");

struct RussianLocale : ::testing::Test {
  RussianLocale() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
  ~RussianLocale() override { QLocale::setDefault(QLocale::c()); }
};

QDate Read(const QString& format, const QString& text) {
  return DateTimeToQDate(StrToDateFmt(format, text));
}

TEST(DateArithmetic, LeapYearsMonthsAndValidity) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysPerMonth(2024, 2), 29);
  EXPECT_EQ(DaysPerMonth(2023, 2), 28);
  EXPECT_TRUE(ValidDate(2000, 2, 29));
  EXPECT_FALSE(ValidDate(1900, 2, 29));
  EXPECT_FALSE(ValidDate(10000, 1, 1));
  EXPECT_FALSE(ValidDate(2024, static_cast<quint16>(-1), 1));
  EXPECT_TRUE(ValidDateValue(EncodeDate(2026, 12, 5)));
  // Values far outside the calendar are no dates, never a crash.
  EXPECT_FALSE(ValidDateValue(1e300));
  EXPECT_FALSE(ValidDateValue(-1e12));
  EXPECT_FALSE(ValidDateValue(std::nan("")));
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(DateTimeToQDate(EncodeDate(2026, 12, 5) + 0.6), QDate(2026, 12, 5));
}

TEST(DateArithmetic, OrderAndCenturyWindow) {
  EXPECT_EQ(GetDateOrder(QStringLiteral("yyyy-MM-dd")), doYMD);
  EXPECT_EQ(GetDateOrder(QString()), doDMY);
  EXPECT_EQ(GetDateOrder(QStringLiteral("M/d/yy")), doMDY);
  const int n = CurrentYear() - CenturyOffset;
  EXPECT_EQ(ExpandYear(100), 100);
  for (int y : {0, 3, 65, 66, 99, -1}) {
    SCOPED_TRACE(y);
    const int expanded = ExpandYear(y);
    EXPECT_GE(expanded, n);
    EXPECT_LE(expanded, n + 99);
    EXPECT_EQ(((expanded % 100) + 100) % 100, ((y % 100) + 100) % 100);
  }
}

TEST(DateArithmetic, Scanners) {
  int pos = 1, number = 0;
  EXPECT_TRUE(ScanNumber(QStringLiteral("  42x"), 10, pos, number));
  EXPECT_EQ(number, 42);
  EXPECT_EQ(pos, 5);
  pos = 1;
  EXPECT_TRUE(ScanNumber(QStringLiteral("123456"), 10, pos, number));
  EXPECT_EQ(number, 1234);  // the value stops growing at four digits
  EXPECT_EQ(pos, 5);
  pos = 1;
  number = 7;
  EXPECT_FALSE(ScanNumber(QStringLiteral("  "), 10, pos, number));
  EXPECT_EQ(number, 7);
  pos = 1;
  EXPECT_FALSE(ScanChar(QStringLiteral("  "), pos, u'.'));  // the end is no character
  EXPECT_EQ(pos, 3);
}

TEST_F(RussianLocale, ReadsTypedDates) {
  const int year = CurrentYear();
  EXPECT_EQ(Read(kDmy4, QStringLiteral("29.02.2024")), QDate(2024, 2, 29));
  try {
    StrToDateFmt(kDmy4, QStringLiteral("29.02.2023"));
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "''29.02.2023'' is not a valid date");
  }
  EXPECT_EQ(Read(kDmy4, QStringLiteral("1.2.03")), QDate(ExpandYear(3), 2, 1));
  EXPECT_EQ(Read(kDmy4, QStringLiteral("5.12")), QDate(year, 12, 5));
  EXPECT_EQ(Read(kDmy4, QStringLiteral("12.05.    ")), QDate(ExpandYear(-1), 5, 12));
  EXPECT_EQ(Read(kDmy4, QStringLiteral("12.05")), QDate(ExpandYear(-1), 5, 12));
  EXPECT_EQ(Read(QStringLiteral("DD/MM/YY"), QStringLiteral("12.05.2026")), QDate(2026, 5, 12));
  EXPECT_THROW(StrToDateFmt(kDmy4, QStringLiteral("12.05.20266")), EConvertError);
  EXPECT_EQ(Read(QStringLiteral("MM/DD/YYYY"), QStringLiteral("5.12")), QDate(year, 5, 12));
  EXPECT_EQ(StrToDateFmt(kDmy4, QString()), NullDate);
  EXPECT_EQ(StrToDateFmtDef(kDmy4, QString(), 5.75), NullDate);
  EXPECT_EQ(StrToDateFmtDef(kDmy4, QStringLiteral("xx"), 5.75), 5.0);
  EXPECT_EQ(StrToDateFmtDef(kDmy4, QStringLiteral("31.04.2026"), -5.75), -5.0);
}

TEST_F(RussianLocale, MonthNamesFormatsAndMasks) {
  EXPECT_EQ(MonthFromName(QStringLiteral("ДЕК"), 3), 12);
  EXPECT_EQ(MonthFromName(QString(), 0), 0);
  EXPECT_EQ(MonthFromName(QStringLiteral("xyz"), 3), 0);
  EXPECT_TRUE(FourDigitYear());
  EXPECT_EQ(DefDateFormat(true), kDmy4);
  EXPECT_EQ(DefDateFormat(false), u"DD/MM/YY");
  EXPECT_EQ(DefDateMask(u' ', true), u"!99/99/9999;1; ");
  EXPECT_EQ(DefDateMask(u'_', false), u"!99/99/99;1;_");
  EXPECT_EQ(FormatDateTime(kDmy4, EncodeDate(2026, 12, 5) + 0.6), u"05.12.2026");
  EXPECT_EQ(FormatDateTime(QStringLiteral("MMMM, YYYY"), EncodeDate(2026, 12, 5)),
            u"Декабрь, 2026");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(DefDateFormat(false), u"MM/DD/YY");
  EXPECT_EQ(FormatDateTime(QStringLiteral("MM/DD/YY"), EncodeDate(2026, 12, 5)), u"12/05/26");
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  EXPECT_EQ(DefDateFormat(true), u"YYYY/MM/DD");
  EXPECT_EQ(DefDateMask(u' ', true), u"!9999/99/99;1; ");
}

}  // namespace
