#include "archive/cp1251.h"

#include <gtest/gtest.h>

TEST(Cp1251Test, EveryByteRoundTripsThroughOneCharacter) {
  QByteArray all;
  for (int b = 0; b < 256; ++b) all.append(char(b));
  const QString text = DecodeCp1251(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(EncodeCp1251(text), all);
  EXPECT_EQ(text[0xC0], QChar(u'А'));
  EXPECT_EQ(text[0xFF], QChar(u'я'));
  EXPECT_EQ(text[0xA8], QChar(u'Ё'));
  EXPECT_EQ(text[0xB9], QChar(u'№'));
  EXPECT_EQ(EncodeCp1251(u"a€b✓"), QByteArray("a\x88"
                                              "b?"));
  // A character outside the 16-bit range is still one character.
  EXPECT_EQ(EncodeCp1251(u"x\U0001F600y"), QByteArray("x?y"));
}
