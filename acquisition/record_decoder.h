#pragma once
// Decoding of the recorder's table entries into record lines of the data file, and the two
// small routines the writers share: the XOR check of replies and the display character set.

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>

class TextLineWriter;
class RingStore;

// The state that the readout and the handheld conversion share with the block decoders while
// a data file is being written. Only one writer runs at a time.
struct DecoderContext {
  TextLineWriter* OutputFile = nullptr;  // the new data file
  RingStore* TempFile = nullptr;         // lines numbered below RingSplit
  qint32 EntryCounter = 0;               // lines written so far for the current table
  qint32 TableRecordCount = 0;           // entries of the current table
  qint32 RingSplit = 0;
  qint32 OverloadCount = 0;  // kept until the overload table starts
  qint32 OverloadRingSplit = 0;
  bool LinkOk = false;  // set at the start of each block, cleared by a bad entry
};

inline constexpr int kEntrySize = 28;
inline constexpr int kEntriesPerBlock = 32;

// One table entry as the recorder keeps it: the packed time stamp in bytes 0-3, the values,
// and bytes that only take part in the check.
struct TRecorderRecord {
  std::array<quint8, kEntrySize> Bytes{};

  // The XOR of all 28 bytes is 0.
  bool IsValid() const;
  QByteArrayView View() const {
    return QByteArrayView(reinterpret_cast<const char*>(Bytes.data()), kEntrySize);
  }
};

// The data part of one block reply ("R"/"S" without its first byte): up to 32 entries back
// to back.
class RecordBlock {
 public:
  explicit RecordBlock(QByteArrayView Data) : Data_(Data) {}
  // Whole entries the block holds, at most 32; a cut-off entry is not counted.
  int Count() const;
  // Entry Index (0-based) of the block; Index below Count().
  TRecorderRecord Entry(int Index) const;

 private:
  QByteArrayView Data_;
};

// True when the XOR of all bytes is 0 (an empty text too).
bool IsXorBlockValid(QByteArrayView text);

// The recorder's display characters as text, one character per byte.
QString ConvertDeviceText(QByteArrayView text);

// The record line of one 28-byte entry (without line end); bytes missing from a shorter
// entry count as zero.
QString RecordLineType2(QByteArrayView entry);
QString RecordLineType4(QByteArrayView entry);

// Decode the data part of one block reply ("R"/"S" without its first byte) into record lines.
// A bad entry clears LinkOk and ends the block (the result stays true). The result is false
// when a line could not be written or the block ends before an entry the table still expects
// (LinkOk is then cleared too); the lines written before stay.
bool DecodeRecordBlockType2(QByteArrayView Block, DecoderContext& context);
bool DecodeRecordBlockType4(QByteArrayView Block, DecoderContext& context);
