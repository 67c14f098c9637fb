#include "controls/date_routines.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QString kDmy4 = QStringLiteral("DD/MM/YYYY");

struct DateRoutinesTest : ::testing::Test {
  DateRoutinesTest() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
  ~DateRoutinesTest() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(DateRoutinesTest, MonthLengthsTable) {
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) {
    SCOPED_TRACE(month);
    EXPECT_EQ(DaysPerMonth(2023, month), lengths[month - 1]);
    EXPECT_EQ(DaysPerMonth(2024, month), lengths[month - 1] + (month == 2));
  }
  EXPECT_FALSE(ValidDate(1900, 2, 29));
  EXPECT_FALSE(ValidDate(2024, static_cast<quint16>(-1), 1));
  // Values far outside the calendar are no dates, never a crash.
  EXPECT_FALSE(ValidDateValue(1e300));
  EXPECT_FALSE(ValidDateValue(std::nan("")));
}

TEST_F(DateRoutinesTest, ReadsTypedDates) {
  const int year = CurrentYear();
  const int blankYear = ExpandYear(-1);
  const struct {
    QString format, text;
    QDate expected;  // invalid: not a date
  } rows[] = {
      {kDmy4, "29.02.2024", QDate(2024, 2, 29)},      {kDmy4, "29.02.2023", QDate()},
      {kDmy4, "1.2.03", QDate(ExpandYear(3), 2, 1)},  {kDmy4, "5.12", QDate(year, 12, 5)},
      {kDmy4, "12.05.    ", QDate(blankYear, 5, 12)}, {kDmy4, "12.05", QDate(blankYear, 5, 12)},
      {"DD/MM/YY", "12.05.2026", QDate(2026, 5, 12)}, {kDmy4, "12.05.20266", QDate()},
      {"MM/DD/YYYY", "5.12", QDate(year, 5, 12)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text.toStdString());
    if (row.expected.isValid())
      EXPECT_EQ(DateTimeToQDate(StrToDateFmt(row.format, row.text)), row.expected);
    else
      EXPECT_THROW(StrToDateFmt(row.format, row.text), EConvertError);
  }
  EXPECT_GE(ExpandYear(0), CurrentYear() - CenturyOffset);  // the two-digit century window
  try {
    StrToDateFmt(kDmy4, QStringLiteral("29.02.2023"));
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "''29.02.2023'' is not a valid date");
  }
  EXPECT_EQ(StrToDateFmtDef(kDmy4, QStringLiteral("31.04.2026"), -5.75), -5.0);
}

// The default format and edit mask by the system's date order, cell by cell.
TEST_F(DateRoutinesTest, DefaultFormatAndMaskTable) {
  const struct {
    QLocale locale;
    QString format4, format2, mask4, mask2;
  } rows[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), "MM/DD/YYYY", "MM/DD/YY",
       "!99/99/9999;1;_", "!99/99/99;1;_"},
      {QLocale(QLocale::Russian, QLocale::Russia), "DD/MM/YYYY", "DD/MM/YY", "!99/99/9999;1;_",
       "!99/99/99;1;_"},
      {QLocale(QLocale::Japanese, QLocale::Japan), "YYYY/MM/DD", "YY/MM/DD", "!9999/99/99;1;_",
       "!99/99/99;1;_"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.format4.toStdString());
    QLocale::setDefault(row.locale);
    EXPECT_EQ(DefDateFormat(true), row.format4);
    EXPECT_EQ(DefDateFormat(false), row.format2);
    EXPECT_EQ(DefDateMask(u'_', true), row.mask4);
    EXPECT_EQ(DefDateMask(u'_', false), row.mask2);
  }
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  EXPECT_EQ(FormatDateTime(QStringLiteral("DD/MM/YY"), EncodeDate(2026, 12, 5) + 0.6), u"05.12.26");
  EXPECT_EQ(FormatDateTime(QStringLiteral("MMMM, YYYY"), EncodeDate(2026, 12, 5)),
            u"Декабрь, 2026");
}

}  // namespace
