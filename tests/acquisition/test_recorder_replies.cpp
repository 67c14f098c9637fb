#include "acquisition/recorder_replies.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray bytes;
  for (int v : values) bytes.append(char(v));
  return bytes;
}

// Every reply parses from its shortest data part and refuses one byte less, with the bytes
// it holds read as little-endian numbers.
TEST(RecorderReplies, ParseNeedsTheMinimumLengthOfEachReply) {
  struct Case {
    const char* name;
    qsizetype minSize;
    std::function<bool(QByteArrayView)> parses;
  };
  const Case cases[] = {
      {"I", TIdentReply::MinSize, [](QByteArrayView d) { return bool(TIdentReply::Parse(d)); }},
      {"N", TCraneNameReply::MinSize,
       [](QByteArrayView d) { return bool(TCraneNameReply::Parse(d)); }},
      {"P", TNumberReply::MinSize, [](QByteArrayView d) { return bool(TNumberReply::Parse(d)); }},
      {"M", TMaximaReply::MinSize, [](QByteArrayView d) { return bool(TMaximaReply::Parse(d)); }},
      {"M of three", 6, [](QByteArrayView d) { return bool(TMaximaReply::Parse(d, 3)); }},
      {"D", TClockReply::MinSize, [](QByteArrayView d) { return bool(TClockReply::Parse(d)); }},
      {"C", TCyclesReply::MinSize, [](QByteArrayView d) { return bool(TCyclesReply::Parse(d)); }},
      {"T", TTableInfoReply::MinSize,
       [](QByteArrayView d) { return bool(TTableInfoReply::Parse(d)); }},
  };
  const QByteArray bytes(64, '\x01');
  for (const Case& c : cases) {
    // A view of exactly the length tested, so a read past it is out of bounds.
    EXPECT_TRUE(c.parses(QByteArrayView(bytes).first(c.minSize))) << c.name;
    if (c.minSize > 0) {
      EXPECT_FALSE(c.parses(QByteArrayView(bytes).first(c.minSize - 1))) << c.name;
    }
  }

  EXPECT_EQ(TIdentReply::Parse(Bytes({4}))->DeviceVariant, 0);
  EXPECT_EQ(TIdentReply::Parse(Bytes({4, 10}))->DeviceVariant, 10);
  EXPECT_EQ(TCraneNameReply::Parse(bytes)->Name.size(), 16);
  const TNumberReply number = *TNumberReply::Parse(Bytes({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(number.DeviceNumber, 0x030201u);
  EXPECT_EQ(number.CraneNumber, 0x060504u);
  const TMaximaReply three = *TMaximaReply::Parse(Bytes({0, 12, 0, 25, 0, 3, 0}), 3);
  EXPECT_EQ(three.Values, (std::array<quint16, 4>{0x0C00, 0x1900, 0x0300, 0}));
  const TTableInfoReply info = *TTableInfoReply::Parse(Bytes({100, 0, 50, 0, 2, 0, 0, 1}));
  EXPECT_EQ(info.OperationalCount, 100);
  EXPECT_EQ(info.OverloadCount, 50);
  EXPECT_EQ(info.OperationalRingPosition, 2);
  EXPECT_EQ(info.OverloadRingPosition, 256);
}

}  // namespace
