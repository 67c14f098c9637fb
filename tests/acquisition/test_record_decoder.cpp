#include "acquisition/record_decoder.h"
#include "acquisition/ring_store.h"
#include "archive/text_file.h"
#include "tests/support/full_device.h"
#include "tests/support/recorder_simulator.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

QByteArray Entry(std::initializer_list<std::pair<int, int>> bytes) {
  QByteArray e(28, '\0');
  for (auto [index, value] : bytes) e[index] = char(value);
  return SealEntry(e);
}

// An entry told apart by its seconds field.
QByteArray Numbered(int n) {
  return SealEntry(PackDateTime(1, 1, 24, 0, n / 60, n % 60));
}

// A decoder context writing into a buffer, or into device when one is given.
struct Sink {
  QBuffer buffer;
  TextLineWriter writer;
  RingStore ring;
  DecoderContext context;

  explicit Sink(int count, int ringSplit = 0, QIODevice* device = nullptr)
      : writer(device ? device : &buffer) {
    buffer.open(QIODevice::WriteOnly);
    context.OutputFile = &writer;
    context.TempFile = &ring;
    context.TableRecordCount = count;
    context.RingSplit = ringSplit;
  }
};

QByteArray Block(int first, int count) {
  QByteArray block;
  for (int i = first; i < first + count; ++i) block += Numbered(i);
  return block;
}

}  // namespace

TEST(RecordDecodingTest, DisplayCharacters) {
  EXPECT_EQ(ConvertDeviceText(QByteArray("~\xA0\xC8\xE7\x7B", 5)), u" Б   ");
  QByteArray all;
  for (int c = 0xA0; c <= 0xC7; ++c) all.append(char(c));
  for (int c = 0xE0; c <= 0xE6; ++c) all.append(char(c));
  EXPECT_EQ(ConvertDeviceText(all), u"БГЁЖЗИЙЛПУФЧШЪЫЭЮЯбвгёжзийклмнптчшъыьэюяДЦЩдфсщ");
}

TEST(RecordDecodingTest, FieldsScalesAndSignalBits) {
  // Bits that carry no value of their own stay out of the values.
  EXPECT_EQ(RecordLineType2(Entry({{4, 0x80}, {5, 0x0C}, {9, 0x81}, {14, 0x23}})),
            u"00.00.00 00:00:00;00012.5;0000000;-000;0000000;0000000;03;02;00;0000000;0000000;"
            u"0000000;0000000;000;00000_000000_00001000000000;");
  // A short entry is never read past its end.
  EXPECT_EQ(RecordLineType2(QByteArray(3, '\xFF')),
            RecordLineType2(Entry({{0, 0xFF}, {1, 0xFF}, {2, 0xFF}})));
  // 12.99609375 is cut, never rounded.
  EXPECT_EQ(RecordLineType2(Entry({{16, 0xFF}, {17, 0x0C}})).mid(64, 7), u"0012.99");

  // Each signal bit alone lands in its own character and touches no value.
  auto checkSignals = [](QString (*build)(QByteArrayView), int start,
                         const QList<std::pair<int, int>>& bits, int first, int second) {
    for (int k = 0; k < bits.size(); ++k) {
      QString expected(bits.size(), u'0');
      expected[k] = u'1';
      expected.insert(first + second, u'_').insert(first, u'_');
      const auto [byte, bit] = bits[k];
      const QString line = build(Entry({{byte, 1 << bit}}));
      EXPECT_EQ(line.mid(start, bits.size() + 2), expected) << byte << ":" << bit;
      EXPECT_EQ(line.left(start), build(Entry({})).left(start)) << byte << ":" << bit;
    }
  };
  checkSignals(RecordLineType2, 100,
               {{25, 7}, {25, 6}, {25, 5}, {25, 4}, {15, 5}, {25, 3}, {25, 2}, {25, 1}, {25, 0},
                {15, 7}, {15, 6}, {15, 4}, {15, 3}, {13, 7}, {11, 7}, {9, 7},  {9, 6},  {9, 5},
                {9, 4},  {9, 3},  {9, 2},  {9, 1},  {7, 7},  {7, 6},  {5, 7}},
               5, 6);
  const QList<std::pair<int, int>> type4Bits = {{11, 0}, {9, 7},  {9, 6},  {7, 7},  {5, 7},
                                                {11, 3}, {11, 2}, {13, 7}, {11, 7}, {11, 6},
                                                {11, 5}, {11, 4}, {11, 1}};
  checkSignals(RecordLineType4, 105, type4Bits, 5, 2);
}

TEST(RecordDecodingTest, BadShortOrUnwrittenEntriesEndTheBlock) {
  Sink bad(10);
  QByteArray block = Block(0, 5);
  block[2 * 28 + 6] = char(block[2 * 28 + 6] ^ 0x10);
  EXPECT_TRUE(DecodeRecordBlockType2(block, bad.context));
  EXPECT_FALSE(bad.context.LinkOk);
  EXPECT_EQ(bad.context.EntryCounter, 2);
  EXPECT_EQ(bad.buffer.data().count("\r\n"), 2);
  // The next block starts with the link set again.
  EXPECT_TRUE(DecodeRecordBlockType2(Block(2, 8), bad.context));
  EXPECT_TRUE(bad.context.LinkOk);
  EXPECT_EQ(bad.context.EntryCounter, 10);

  // A reply that ends inside an expected entry is never read past its end, even when the
  // piece happens to pass the check.
  Sink partial(3);
  QByteArray cut = Block(0, 2) + QByteArray(10, '\0');
  EXPECT_FALSE(
      DecodeRecordBlockType2(QByteArrayView(cut.constData(), cut.size()), partial.context));
  EXPECT_FALSE(partial.context.LinkOk);
  EXPECT_EQ(partial.context.EntryCounter, 2);

  // A line that cannot be written fails the block.
  FullDevice full(200);
  Sink unwritten(5, 0, &full);
  EXPECT_FALSE(DecodeRecordBlockType2(Block(0, 5), unwritten.context));
  EXPECT_EQ(unwritten.context.EntryCounter, 1);
}
