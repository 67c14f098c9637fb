#include "archive/cp1251.h"
#include "archive/number_text.h"

#include <QLocale>

#include <clocale>
#include <gtest/gtest.h>

TEST(NumberTextTest, PaddingAndCutting) {
  EXPECT_EQ(PadZeros("7", 2), "07");
  EXPECT_EQ(PadZeros("", 3), "000");

  EXPECT_EQ(PadTwoDigits(""), "");

  EXPECT_EQ(TruncateToTwoDecimals("12.999"), "12.99");  // cut, not rounded
  EXPECT_EQ(TruncateToTwoDecimals("12,345"), "12,34");

  EXPECT_EQ(NormalizeDecimalSeparator("1,5"), "1.5");
}

TEST(NumberTextTest, PackedDateTime) {
  const char stamp[] = {char(0xC4), char(0x1E), char(0xED), char(0x2D)};
  EXPECT_EQ(DecodePackedDateTime(QByteArrayView(stamp, 4)), "25.12.04 13:45:30");
  // Out-of-range parts are shown as they are.
  const char odd[] = {char(0xFF), char(0xFF), char(0xFF), char(0xFF)};
  EXPECT_EQ(DecodePackedDateTime(QByteArrayView(odd, 4)), "31.15.63 31:63:63");
  // Shorter input never reads past its end: the missing bytes count as zero.
  EXPECT_EQ(DecodePackedDateTime(QByteArrayView(stamp, 2)), "00.12.04 00:00:30");
  // The same bytes read through the Windows-1251 codec.
  EXPECT_EQ(DecodePackedDateTime(QStringView(DecodeCp1251(QByteArrayView(stamp, 4)))),
            "25.12.04 13:45:30");
}

TEST(NumberTextTest, IntegerConversion) {
  EXPECT_EQ(TextToInt(u"00042"), 42);
  EXPECT_EQ(TextToInt(u"  -7"), -7);
  EXPECT_EQ(TextToInt(u"-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(TextToInt(u"2147483648"));
  EXPECT_FALSE(TextToInt(u"12 "));
  EXPECT_FALSE(TextToInt(u"-"));
  EXPECT_FALSE(TextToInt(u"０"));  // a full-width digit is no digit here
}

TEST(NumberTextTest, FloatConversion) {
  EXPECT_DOUBLE_EQ(*TextToFloat(u"00012.50"), 12.5);
  EXPECT_DOUBLE_EQ(*TextToFloat(u"00012,50"), 12.5);
  EXPECT_DOUBLE_EQ(*TextToFloat(u" -3"), -3);
  EXPECT_DOUBLE_EQ(*TextToFloat(u"1E3"), 1000);
  for (const char16_t* bad : {u"nan", u"inf", u"-inf", u"0x1p3", u"1.5 ", u"", u".", u"1e",
                              u"1.2.3", u"1,2.3", u"abc", u"1e999"})
    EXPECT_FALSE(TextToFloat(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(NumberTextTest, FloatText) {
  EXPECT_EQ(FloatToText(12.5), "12.5");
  EXPECT_EQ(FloatToText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FloatToText(1.5e20), "1.5E20");
  EXPECT_EQ(FieldNumber(12.5, 7), "00012.5");
  EXPECT_EQ(FieldNumber(255.99609375, 8), "00255.99");
}

// Numbers must not follow a locale that writes a decimal comma.
TEST(NumberTextTest, IndependentOfLocale) {
  const char* saved = std::setlocale(LC_ALL, nullptr);
  const std::string restore = saved ? saved : "C";
  const char* found = nullptr;
  for (const char* name : {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8", "de_DE.utf8"})
    if ((found = std::setlocale(LC_ALL, name))) break;
  if (!found)
    GTEST_SKIP() << "no locale with a decimal comma is installed (ru_RU.UTF-8 or de_DE.UTF-8)";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  EXPECT_EQ(FloatToText(12.5), "12.5");
  EXPECT_DOUBLE_EQ(*TextToFloat(u"12.5"), 12.5);
  QLocale::setDefault(QLocale::c());
  std::setlocale(LC_ALL, restore.c_str());
}
