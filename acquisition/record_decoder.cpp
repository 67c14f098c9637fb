#include "acquisition/record_decoder.h"

#include "acquisition/ring_store.h"
#include "archive/cp1251.h"
#include "archive/number_text.h"
#include "archive/text_file.h"

#include <algorithm>
#include <array>

namespace {

// Display codes A0h..C7h and E0h..E6h as Windows-1251 bytes.
constexpr std::array<unsigned char, 40> kDisplayA0 = {
    0xC1, 0xC3, 0xA8, 0xC6, 0xC7, 0xC8, 0xC9, 0xCB, 0xCF, 0xD3, 0xD4, 0xD7, 0xD8, 0xDA,
    0xDB, 0xDD, 0xDE, 0xDF, 0xE1, 0xE2, 0xE3, 0xB8, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB,
    0xEC, 0xED, 0xEF, 0xF2, 0xF7, 0xF8, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
constexpr std::array<unsigned char, 7> kDisplayE0 = {0xC4, 0xD6, 0xD9, 0xE4, 0xF4, 0xF1, 0xF9};

unsigned char DisplayToCp1251(unsigned char c) {
  if (c >= 0x21 && c <= 0x7A) return c;
  if (c >= 0xA0 && c <= 0xC7) return kDisplayA0[c - 0xA0];
  if (c >= 0xE0 && c <= 0xE6) return kDisplayE0[c - 0xE0];
  return 0x20;
}

// Bytes past the end of a short entry read as zero rather than past the buffer.
int Byte(QByteArrayView e, int i) {
  return i < e.size() ? static_cast<unsigned char>(e[i]) : 0;
}

QChar Bit(QByteArrayView e, int i, int bit) {
  return (Byte(e, i) >> bit) & 1 ? u'1' : u'0';
}

// A 16-bit word whose high byte keeps only the bits of mask.
int Word(QByteArrayView e, int low, int highMask = 0xFF) {
  return (Byte(e, low + 1) & highMask) * 256 + Byte(e, low);
}

QString Scaled(double value) {
  return FieldNumber(value, 7) + u';';
}

QString Integer(int value, int width) {
  return PadZeros(QString::number(value), width) + u';';
}

QString Azimuth(QByteArrayView e, int magnitude, int sign) {
  return QChar(Byte(e, sign) & 1 ? u'-' : u'+') + PadZeros(QString::number(Byte(e, magnitude)), 3) +
         u';';
}

using LineBuilder = QString (*)(QByteArrayView);

bool DecodeBlock(QByteArrayView block, DecoderContext& context, LineBuilder build) {
  context.LinkOk = true;
  const RecordBlock records(block);
  for (int i = 0; i < kEntriesPerBlock; ++i) {
    if (!context.LinkOk || context.EntryCounter >= context.TableRecordCount) continue;
    // An entry cut short by the end of the reply is never taken for a good one.
    if (i >= records.Count()) {
      context.LinkOk = false;
      return false;
    }
    const TRecorderRecord entry = records.Entry(i);
    if (!entry.IsValid()) {
      context.LinkOk = false;
      continue;
    }
    const QString line = build(entry.View());
    bool written = false;
    if (context.EntryCounter < context.RingSplit) {
      if (context.TempFile) {
        context.TempFile->WriteLine(line);
        written = true;
      }
    } else if (context.OutputFile) {
      context.OutputFile->WriteLine(line);
      written = context.OutputFile->Ok();
    }
    if (!written) {
      context.LinkOk = false;
      return false;
    }
    ++context.EntryCounter;
  }
  return true;
}

}  // namespace

bool TRecorderRecord::IsValid() const {
  return IsXorBlockValid(View());
}

int RecordBlock::Count() const {
  return static_cast<int>(std::min<qsizetype>(Data_.size() / kEntrySize, kEntriesPerBlock));
}

TRecorderRecord RecordBlock::Entry(int Index) const {
  TRecorderRecord record;
  if (Index < 0 || Index >= Count()) return record;
  const QByteArrayView bytes = Data_.sliced(qsizetype(Index) * kEntrySize, kEntrySize);
  std::copy(bytes.begin(), bytes.end(), record.Bytes.begin());
  return record;
}

bool IsXorBlockValid(QByteArrayView text) {
  unsigned char x = 0;
  for (char c : text) x ^= static_cast<unsigned char>(c);
  return x == 0;
}

QString ConvertDeviceText(QByteArrayView text) {
  QString result;
  result.reserve(text.size());
  for (char c : text) result.append(Cp1251ToChar(DisplayToCp1251(static_cast<unsigned char>(c))));
  return result;
}

QString RecordLineType2(QByteArrayView e) {
  QString line = DecodePackedDateTime(e) + u';';
  line += Scaled(Word(e, 4, 0x7F) / 256.0);
  line += Scaled(Word(e, 6, 0x3F) / 256.0);
  line += Azimuth(e, 8, 9);
  line += Scaled(Word(e, 10, 0x7F) / 256.0 * 6.25);
  line += Scaled(Word(e, 12, 0x7F) / 256.0 * 6.25);
  line += Integer(Byte(e, 14) & 0x0F, 2);
  line += Integer(Byte(e, 14) >> 4, 2);
  line += Integer(Byte(e, 15) & 0x07, 2);
  line += Scaled(Word(e, 16) / 256.0);
  line += Scaled(Word(e, 18) / 256.0);
  line += Scaled(Word(e, 20) / 256.0);
  line += Scaled(Word(e, 22) / 256.0);
  line += Integer(Byte(e, 24), 3);
  // Flags, outputs and inputs, each signal at its own bit.
  line += Bit(e, 25, 7);
  line += Bit(e, 25, 6);
  line += Bit(e, 25, 5);
  line += Bit(e, 25, 4);
  line += Bit(e, 15, 5);
  line += u'_';
  for (int bit = 3; bit >= 0; --bit) line += Bit(e, 25, bit);
  line += Bit(e, 15, 7);
  line += Bit(e, 15, 6);
  line += u'_';
  line += Bit(e, 15, 4);
  line += Bit(e, 15, 3);
  line += Bit(e, 13, 7);
  line += Bit(e, 11, 7);
  for (int bit = 7; bit >= 1; --bit) line += Bit(e, 9, bit);
  line += Bit(e, 7, 7);
  line += Bit(e, 7, 6);
  line += Bit(e, 5, 7);
  line += u';';
  return line;
}

QString RecordLineType4(QByteArrayView e) {
  QString line = DecodePackedDateTime(e) + u';';
  line += Scaled(Word(e, 4, 0x7F) / 256.0);
  line += Scaled(Word(e, 6, 0x7F) / 256.0);
  line += Scaled(Word(e, 8, 0x3F) / 256.0);
  line += Scaled(Byte(e, 10) & 0x7F);
  line += Azimuth(e, 12, 13);
  line += Integer((Byte(e, 13) >> 1) & 0x0F, 2);
  line += Integer((Byte(e, 13) >> 5) & 0x03, 2);
  line += Scaled(Word(e, 14) / 128.0);
  line += Scaled(Word(e, 16) / 256.0);
  line += Scaled(Word(e, 18) / 256.0);
  line += Scaled(Word(e, 20) / 256.0);
  line += Scaled(Word(e, 22) / 256.0);
  line += Integer(Byte(e, 24), 3);
  // Inputs, outputs and flags: the reverse group order of type 2.
  line += Bit(e, 11, 0);
  line += Bit(e, 9, 7);
  line += Bit(e, 9, 6);
  line += Bit(e, 7, 7);
  line += Bit(e, 5, 7);
  line += u'_';
  line += Bit(e, 11, 3);
  line += Bit(e, 11, 2);
  line += u'_';
  line += Bit(e, 13, 7);
  for (int bit = 7; bit >= 4; --bit) line += Bit(e, 11, bit);
  line += Bit(e, 11, 1);
  line += u';';
  return line;
}

bool DecodeRecordBlockType2(QByteArrayView Block, DecoderContext& context) {
  return DecodeBlock(Block, context, RecordLineType2);
}

bool DecodeRecordBlockType4(QByteArrayView Block, DecoderContext& context) {
  return DecodeBlock(Block, context, RecordLineType4);
}
