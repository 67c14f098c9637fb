#include "controls/str_utils.h"

#include <gtest/gtest.h>

namespace {

// Every routine of the unit, one call a row; counts and flags compare as text.
TEST(StrUtilsTest, RoutinesTable) {
  const QString words = ",,a,,b,";
  const struct {
    const char* call;
    QString actual;
    QString expected;
  } rows[] = {
      {"IsEmptyStr blanks", QString::number(IsEmptyStr(u"  \t", u" \t")), "1"},
      {"IsEmptyStr other", QString::number(IsEmptyStr(u" x ", u" ")), "0"},
      {"ReplaceStr overlapping", ReplaceStr("aaa", "aa", "b"), "ba"},
      {"ReplaceStr empty search", ReplaceStr("abc", "", "x"), "abc"},
      {"ReplaceStr not rescanned", ReplaceStr("a.b.c", ".", ".."), "a..b..c"},
      {"MakeStr -2", MakeStr(u'0', -2), ""},
      {"WordCount", QString::number(WordCount(words, u", ")), "2"},
      {"WordCount empty", QString::number(WordCount(u"", u",")), "0"},
      {"WordPosition 2", QString::number(WordPosition(2, words, u", ")), "6"},
      {"WordPosition 3", QString::number(WordPosition(3, words, u", ")), "0"},
      {"WordPosition 0", QString::number(WordPosition(0, words, u", ")), "0"},
      {"ExtractWord 3", ExtractWord(3, words, u", "), ""},
      {"ExtractWord last", ExtractWord(3, u"10, 20 ,300", u", "), "300"},
      {"XorEncode empty key", XorEncode("", "abc"), "616263"},
      {"XorEncode key repeats", XorEncode("kzv", "aaaa"), "0a1b170a"},
      {"XorEncode long key", XorEncode("kzvxyz", "a"), "0a"},
      {"XorDecode upper case", XorDecode("", "4A"), "J"},
      {"XorDecode odd digit", XorDecode("", "6"), ""},
      {"XorDecode not hex", XorDecode("", "zz"), " "},
      {"XorDecode odd tail", XorDecode("", "61z"), "a"},
      {"XorDecode key", XorDecode("kzv", "0a1b170a"), "aaaa"},
      {"XorDecode beyond a byte", XorDecode("kzv", XorEncode("kzv", "Ия")), "Ия"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.call);
    EXPECT_EQ(row.actual, row.expected);
  }
}

}  // namespace
