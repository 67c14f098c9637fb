#include "acquisition/record_decoder.h"

#include "acquisition/ring_store.h"
#include "archive/cp1251.h"
#include "archive/data_file.h"
#include "archive/number_text.h"
#include "archive/text_file.h"

#include <algorithm>
#include <array>
#include <initializer_list>

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

// One signal of a group: a bit of an entry byte.
struct BitAt {
  int byte;
  int bit;
};
constexpr BitAt Bit(int byte, int bit) {
  return {byte, bit};
}
constexpr int kMaxSignals = 14;

enum class Encoding { Stamp, Scaled, Integer, Azimuth, Signals };

// One field of a record line: its place from data_file.h and the entry bytes that give it.
struct FieldCode {
  DataFile::Field field;
  Encoding encoding;
  int byte = 0;        // Scaled: the low byte; Integer: the byte; Azimuth: the magnitude
  int lowMask = 0xFF;  // Scaled and Integer (after the shift)
  int highMask = 0;    // Scaled: bits of the byte after `byte` taken as the high byte
  int shift = 0;       // Integer
  double divisor = 1;  // Scaled
  double factor = 1;   // Scaled
  int signalCount = 0;
  std::array<BitAt, kMaxSignals> bits{};
};

constexpr FieldCode Stamp(DataFile::Field f) {
  return {f, Encoding::Stamp};
}
// ((b[low+1] and highMask) * 256 + b[low]) / divisor * factor.
constexpr FieldCode Word(DataFile::Field f, int low, int highMask, double divisor,
                         double factor = 1) {
  return {f, Encoding::Scaled, low, 0xFF, highMask, 0, divisor, factor};
}
// A value of one byte's masked bits, printed like the scaled values.
constexpr FieldCode ByteValue(DataFile::Field f, int byte, int mask) {
  return {f, Encoding::Scaled, byte, mask};
}
constexpr FieldCode Integer(DataFile::Field f, int byte, int shift = 0, int mask = 0xFF) {
  return {f, Encoding::Integer, byte, mask, 0, shift};
}
// Magnitude byte, the sign in bit 0 of the byte after it.
constexpr FieldCode Azimuth(DataFile::Field f, int magnitude) {
  return {f, Encoding::Azimuth, magnitude};
}
constexpr FieldCode Signals(DataFile::Field f, std::initializer_list<BitAt> list) {
  FieldCode code{f, Encoding::Signals};
  for (BitAt b : list) code.bits[std::size_t(code.signalCount++)] = b;
  return code;
}

namespace F2 = DataFile::Type2;
namespace F4 = DataFile::Type4;

// The record lines: the fields of data_file.h in line order, each with the entry bytes that
// give it (the order and the widths are checked below).
constexpr std::array kType2Line = {
    Stamp(F2::kStamp),
    Word(F2::kAngle, 4, 0x7F, 256),
    Word(F2::kLength, 6, 0x3F, 256),
    Azimuth(F2::kAzimuth, 8),
    Word(F2::kPistonPressure, 10, 0x7F, 256, 6.25),
    Word(F2::kRodPressure, 12, 0x7F, 256, 6.25),
    Integer(F2::kReeving, 14, 0, 0x0F),
    Integer(F2::kEquipment, 14, 4),
    Integer(F2::kContour, 15, 0, 0x07),
    Word(F2::kLoad, 16, 0xFF, 256),
    Word(F2::kRadius, 18, 0xFF, 256),
    Word(F2::kHeight, 20, 0xFF, 256),
    Word(F2::kMaxLoad, 22, 0xFF, 256),
    Integer(F2::kDegree, 24),
    Signals(F2::kFlags, {Bit(25, 7), Bit(25, 6), Bit(25, 5), Bit(25, 4), Bit(15, 5)}),
    Signals(F2::kOutputs, {Bit(25, 3), Bit(25, 2), Bit(25, 1), Bit(25, 0), Bit(15, 7), Bit(15, 6)}),
    Signals(F2::kInputs,
            {Bit(15, 4), Bit(15, 3), Bit(13, 7), Bit(11, 7), Bit(9, 7), Bit(9, 6), Bit(9, 5),
             Bit(9, 4), Bit(9, 3), Bit(9, 2), Bit(9, 1), Bit(7, 7), Bit(7, 6), Bit(5, 7)}),
};

// Inputs, outputs and flags: the reverse group order of type 2.
constexpr std::array kType4Line = {
    Stamp(F4::kStamp),
    Word(F4::kAngle1, 4, 0x7F, 256),
    Word(F4::kAngle2, 6, 0x7F, 256),
    Word(F4::kLength1, 8, 0x3F, 256),
    ByteValue(F4::kLength2, 10, 0x7F),
    Azimuth(F4::kAzimuth, 12),
    Integer(F4::kReeving, 13, 1, 0x0F),
    Integer(F4::kContour, 13, 5, 0x03),
    Word(F4::kForce, 14, 0xFF, 128),
    Word(F4::kLoad, 16, 0xFF, 256),
    Word(F4::kRadius, 18, 0xFF, 256),
    Word(F4::kHeight, 20, 0xFF, 256),
    Word(F4::kMaxLoad, 22, 0xFF, 256),
    Integer(F4::kDegree, 24),
    Signals(F4::kInputs, {Bit(11, 0), Bit(9, 7), Bit(9, 6), Bit(7, 7), Bit(5, 7)}),
    Signals(F4::kOutputs, {Bit(11, 3), Bit(11, 2)}),
    Signals(F4::kFlags, {Bit(13, 7), Bit(11, 7), Bit(11, 6), Bit(11, 5), Bit(11, 4), Bit(11, 1)}),
};

// Signal groups follow one another joined by "_"; every other field ends with ";".
template <std::size_t N>
constexpr bool JoinedToNext(const std::array<FieldCode, N>& codes, std::size_t i) {
  return codes[i].encoding == Encoding::Signals && i + 1 < N &&
         codes[i + 1].encoding == Encoding::Signals;
}

// The codes stand in line order, each field right after the separator of the one before, a
// group with one signal per character, and the last separator closes the line.
template <std::size_t N>
constexpr bool FollowsLineLayout(const std::array<FieldCode, N>& codes, int lineLength) {
  int pos = 1;
  for (const FieldCode& code : codes) {
    if (code.field.pos != pos) return false;
    if (code.encoding == Encoding::Signals && code.signalCount != code.field.width) return false;
    pos += code.field.width + 1;
  }
  return pos == lineLength + 1;
}
static_assert(FollowsLineLayout(kType2Line, F2::kLineLength));
static_assert(FollowsLineLayout(kType4Line, F4::kLineLength));

QString FieldText(QByteArrayView e, const FieldCode& code) {
  const int width = code.field.width;
  switch (code.encoding) {
    case Encoding::Stamp:
      return DecodePackedDateTime(e);
    case Encoding::Scaled: {
      const int raw =
          (Byte(e, code.byte + 1) & code.highMask) * 256 + (Byte(e, code.byte) & code.lowMask);
      return FieldNumber(raw / code.divisor * code.factor, width);
    }
    case Encoding::Integer:
      return PadZeros(QString::number((Byte(e, code.byte) >> code.shift) & code.lowMask), width);
    case Encoding::Azimuth:
      return QChar(Byte(e, code.byte + 1) & 1 ? u'-' : u'+') +
             PadZeros(QString::number(Byte(e, code.byte)), width - 1);
    case Encoding::Signals: {
      QString group(width, u'0');
      for (int k = 0; k < code.signalCount; ++k) {
        const BitAt at = code.bits[std::size_t(k)];
        if ((Byte(e, at.byte) >> at.bit) & 1) group[k] = u'1';
      }
      return group;
    }
  }
  return QString();
}

template <std::size_t N>
QString BuildLine(QByteArrayView e, const std::array<FieldCode, N>& codes, int lineLength) {
  QString line;
  line.reserve(lineLength);
  for (std::size_t i = 0; i < N; ++i) {
    line += FieldText(e, codes[i]);
    line += JoinedToNext(codes, i) ? u'_' : u';';
  }
  return line;
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
  return BuildLine(e, kType2Line, F2::kLineLength);
}

QString RecordLineType4(QByteArrayView e) {
  return BuildLine(e, kType4Line, F4::kLineLength);
}

bool DecodeRecordBlockType2(QByteArrayView Block, DecoderContext& context) {
  return DecodeBlock(Block, context, RecordLineType2);
}

bool DecodeRecordBlockType4(QByteArrayView Block, DecoderContext& context) {
  return DecodeBlock(Block, context, RecordLineType4);
}
