#include "acquisition/recorder_replies.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

// Every reply parses from its shortest data part and refuses one byte less.
TEST(RecorderRepliesTest, ParseNeedsTheMinimumLengthOfEachReply) {
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
  // Optional parts are read only when there.
  EXPECT_EQ(TIdentReply::Parse(QByteArrayView(bytes).first(1))->DeviceVariant, 0);
  EXPECT_EQ(TCraneNameReply::Parse(QByteArrayView(bytes).first(3))->Name.size(), 3);
}

}  // namespace
