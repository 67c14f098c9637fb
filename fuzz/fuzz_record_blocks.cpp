// Any bytes as a table block reply, at any place of a table of any size: the decoders write
// the record line of each entry they take, in order, those numbered below the ring split into
// the ring, never more than the table holds nor more than a block; then any record row reaches
// the decoded-record routine, which gives nothing for a row with a bad cell and sets every
// part otherwise.
#include "acquisition/record_decoder.h"
#include "acquisition/ring_store.h"
#include "archive/cp1251.h"
#include "archive/text_file.h"
#include "fuzz/fuzz_check.h"
#include "mainwindow/record_decoding.h"
#include "mainwindow/record_tables.h"
#include "platform/grid_model.h"

#include <QBuffer>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// Byte 0: device type (bit 0); then, two bytes each (little-endian), the table size, the ring
// split and the block's number in the table; the rest is the block.
constexpr qsizetype kBlockHeader = 7;

int Word(QByteArrayView in, qsizetype at) {
  return uchar(in[at]) | (uchar(in[at + 1]) << 8);
}

void DecodeBlock(QByteArrayView in) {
  if (in.size() < kBlockHeader) return;
  const bool type4 = in[0] & 1;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  TextLineWriter writer(&buffer);
  RingStore ring;
  DecoderContext context;
  context.OutputFile = &writer;
  context.TempFile = &ring;
  context.TableRecordCount = Word(in, 1);
  context.RingSplit = Word(in, 3);
  const int first = std::min(Word(in, 5) * kEntriesPerBlock, context.TableRecordCount);
  context.EntryCounter = first;
  const QByteArrayView block = in.sliced(kBlockHeader);
  const bool ok =
      type4 ? DecodeRecordBlockType4(block, context) : DecodeRecordBlockType2(block, context);
  JW_CHECK(ok || !context.LinkOk);
  const int taken = context.EntryCounter - first;
  JW_CHECK(taken >= 0 && taken <= kEntriesPerBlock);
  JW_CHECK(context.EntryCounter <= context.TableRecordCount);
  // Entries are taken in order from the block's first: those numbered below the ring split
  // into the ring.
  QStringList lines = ring.Lines();
  const int ringed =
      std::min(context.EntryCounter, context.RingSplit) - std::min(first, context.RingSplit);
  JW_CHECK(lines.size() == ringed);
  QStringList written = DecodeCp1251(buffer.data()).split(QStringLiteral("\r\n"));
  written.removeLast();
  lines += written;
  JW_CHECK(lines.size() == taken);
  for (qsizetype k = 0; k < lines.size(); ++k) {
    const QByteArrayView entry = block.sliced(k * kEntrySize, kEntrySize);
    JW_CHECK(lines[k] == (type4 ? RecordLineType4(entry) : RecordLineType2(entry)));
  }
}

// The rest as ";"-separated cells of record row 1.
void DecodeRow(QByteArrayView in) {
  GridModel grid;
  grid.SetColCount(kRecordColumns);
  grid.SetRowCount(2);
  const QStringList cells = QString::fromLatin1(in.sliced(1)).split(u';');
  for (int c = 0; c < kRecordColumns && c < cells.size(); ++c) grid.SetCells(c, 1, cells[c]);
  const int deviceType = in[0] & 4 ? 4 : 2;
  const std::optional<DecodedRecord> d = DecodeRecordRow(
      grid, 1, in[0] & 2 ? DecodedVariant::Variant02 : DecodedVariant::Variant10, deviceType);
  if (!d) return;  // a row that does not convert changes nothing
  JW_CHECK(d->MzText.startsWith(QStringLiteral("Мз=")) && d->MzText.endsWith(u'%'));
  JW_CHECK(d->QText.startsWith(QStringLiteral("Q=")) && d->RText.startsWith(QStringLiteral("R=")));
  // A row of another device type is never read as type-2 fields.
  if (deviceType != 2) {
    JW_CHECK(!d->TypeTwo && !d->RmaxOn && !d->RminOn && d->Equipment.isEmpty());
    JW_CHECK(d->Lamps.empty() && d->Messages.isEmpty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const QByteArrayView in(data, qsizetype(size));
  DecodeBlock(in);
  DecodeRow(in);
  return 0;
}
