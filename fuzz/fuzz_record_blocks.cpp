// Any bytes as a table block reply: the decoders write the record line of each entry they
// take, in order, never more than the table holds; then any record row reaches the decoded-record
// routine, which stops at its first bad cell and leaves the later parts unset; with no bad
// cell every part is set.
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

// Byte 0: device type (bit 0), table size and ring split (bits 1-7); the rest is the block.
void DecodeBlock(QByteArrayView in) {
  const bool type4 = in[0] & 1;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  TextLineWriter writer(&buffer);
  RingStore ring;
  DecoderContext context;
  context.OutputFile = &writer;
  context.TempFile = &ring;
  context.TableRecordCount = (uchar(in[0]) >> 1) % 40;
  context.RingSplit = (uchar(in[0]) >> 3) % 8;
  const QByteArrayView block = in.sliced(1);
  const bool ok =
      type4 ? DecodeRecordBlockType4(block, context) : DecodeRecordBlockType2(block, context);
  JW_CHECK(ok || !context.LinkOk);
  // Entries are taken in order from the first: those below the ring split into the ring.
  QStringList lines = ring.Lines();
  JW_CHECK(lines.size() == std::min(context.EntryCounter, context.RingSplit));
  QStringList written = DecodeCp1251(buffer.data()).split(QStringLiteral("\r\n"));
  written.removeLast();
  lines += written;
  JW_CHECK(lines.size() == context.EntryCounter);
  JW_CHECK(context.EntryCounter <= context.TableRecordCount);
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
