#include "controls/str_utils.h"

#include <gtest/gtest.h>

namespace {

TEST(StrUtilsTest, XorEncodingIsLowerCaseHexAndReversible) {
  EXPECT_EQ(XorEncode("", "abc"), "616263");
  EXPECT_EQ(XorDecode("", "616263"), "abc");
  EXPECT_EQ(XorDecode("", "4A"), "J");
  EXPECT_EQ(XorEncode("kzv", ""), "");
  EXPECT_EQ(XorDecode("", "6"), "");    // an odd last digit is ignored
  EXPECT_EQ(XorDecode("", "zz"), " ");  // not hexadecimal: a blank
  EXPECT_EQ(XorDecode("", "61z"), "a");
  // 'a' ^ 'k' = 0x0a; the key repeats from its first character.
  EXPECT_EQ(XorEncode("kzv", "aaaa"), "0a1b170a");
  EXPECT_EQ(XorEncode("kzvxyz", "a"), "0a");  // a longer key uses its head
  const QString texts[] = {"0", "Иванов П.С.", QString(QChar(0)) + "я", "kzv"};
  for (const QString& text : texts) {
    const QString encoded = XorEncode("kzv", text);
    EXPECT_EQ(encoded.size(), text.size() * 2);
    EXPECT_EQ(encoded, encoded.toLower());
    EXPECT_EQ(XorDecode("kzv", encoded), text);
  }
}

TEST(StrUtilsTest, ReplaceAndMake) {
  EXPECT_EQ(ReplaceStr("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceStr("a.b.c", ".", ".."), "a..b..c");  // replacements not rescanned
  EXPECT_EQ(MakeStr(u'0', 3), "000");
  EXPECT_EQ(MakeStr(u'0', 0), "");
  EXPECT_EQ(MakeStr(u'0', -2), "");
  EXPECT_TRUE(IsEmptyStr(u"", u""));
  EXPECT_TRUE(IsEmptyStr(u"  \t", u" \t"));
  EXPECT_FALSE(IsEmptyStr(u" x ", u" "));
}

TEST(StrUtilsTest, Words) {
  const QString text = ",,a,,b,";
  EXPECT_EQ(WordCount(text, u", "), 2);
  EXPECT_EQ(WordPosition(1, text, u", "), 3);
  EXPECT_EQ(WordPosition(2, text, u", "), 6);
  EXPECT_EQ(WordPosition(3, text, u", "), 0);
  EXPECT_EQ(WordPosition(0, text, u", "), 0);
  EXPECT_EQ(ExtractWord(3, text, u", "), "");
  EXPECT_EQ(ExtractWord(2, u"10, 20 ,300", u", "), "20");
  EXPECT_EQ(ExtractWord(3, u"10, 20 ,300", u", "), "300");
  EXPECT_EQ(WordCount(u"", u","), 0);
}

}  // namespace
