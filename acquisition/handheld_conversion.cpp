#include "acquisition/handheld_conversion.h"

#include "acquisition/record_decoder.h"
#include "acquisition/recorder_replies.h"
#include "acquisition/ring_store.h"
#include "acquisition/table_transfer.h"
#include "archive/cp1251.h"
#include "archive/data_file.h"
#include "archive/duty_class.h"
#include "archive/number_text.h"
#include "archive/text_file.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <memory>

namespace {

constexpr qint64 kRecordCountOffset = 76;
constexpr qint64 kRecordListOffset = 78;
constexpr qint64 kRecordListEntrySize = 8;

// Records of the handheld file: one recorder reply each, in the order of a readout.
constexpr int kIdentRecord = 0;
constexpr int kNameRecord = 1;
constexpr int kMaximaRecord = 2;
constexpr int kClockRecord = 3;
constexpr int kCyclesRecord = 4;
constexpr int kTableInfoRecord = 5;
constexpr int kFirstBlockRecord = 7;  // record 6 holds the answer to entering the table
// Between the tables: the answers to leaving the first and entering the second.
constexpr int kRecordsBetweenTables = 2;

// The stored ring positions count from here.
constexpr int kRingPositionBase = 33;
constexpr int kRenewWaitMs = 200;

// Any failure abandons the conversion; the steps after it have nothing to do.
struct ConversionFailed {};

QString Number(qint64 value) {
  return QString::number(value);
}

int BlockCount(int records) {
  return (records + kEntriesPerBlock - 1) / kEntriesPerBlock;
}

class Conversion {
 public:
  Conversion(const PalmDatabase& database, HandheldProgress& progress)
      : database_(database), progress_(progress) {}

  void Run(TextLineWriter& output, const HandheldFormTexts& texts) {
    output_ = &output;

    const QByteArray identRecord = Read(kIdentRecord, 3);
    const TIdentReply ident = Parsed(TIdentReply::Parse(QByteArrayView(identRecord).sliced(1)));

    // The name follows the reply's first byte; a short record gives a shorter name.
    const QByteArray record = Header(kNameRecord);
    const QString craneName =
        Parsed(TCraneNameReply::Parse(BufferToString(record, qint32(record.size())).mid(1))).Text();

    const QString maxima = MaximaLine(Header(kMaximaRecord).mid(1));
    const TClockReply clock = Parsed(TClockReply::Parse(Header(kClockRecord).mid(1)));
    const QString recorderClock = DecodePackedDateTime(clock.Clock);

    ReadoutHeader longTerm;
    DutyClassTexts duty;
    TakeCyclesReply(Parsed(TCyclesReply::Parse(Header(kCyclesRecord).mid(1))), longTerm, duty);

    const TTableInfoReply tables = Parsed(TTableInfoReply::Parse(Header(kTableInfoRecord).mid(1)));
    const int deviceType = ident.DeviceTypeCode;
    const int operationalCount = tables.OperationalCount;
    const int overloadCount = tables.OverloadCount;
    progress_.SetProgressMax((operationalCount + overloadCount) / kEntriesPerBlock + 5);
    const int operationalBlocks = BlockCount(operationalCount);
    const QStringList operational = Table(deviceType, kFirstBlockRecord, operationalCount,
                                          tables.OperationalRingPosition - kRingPositionBase);
    progress_.Delay(kRenewWaitMs);
    const QStringList overload =
        Table(deviceType, kFirstBlockRecord + operationalBlocks + kRecordsBetweenTables,
              overloadCount, tables.OverloadRingPosition - kRingPositionBase);
    // A bad entry is left out with the rest of its block; the counts then tell the lines
    // that are there, so that the file still opens.
    const bool hasLines = DataFile::HasRecords(deviceType);

    WriteLine(DataFile::kMagic);
    WriteLine(craneName);
    WriteLine(texts.CraneNumber);
    WriteLine(Number(deviceType));
    WriteLine(Number(ident.DeviceVariant));
    WriteLine(texts.DeviceNumber);
    WriteLine(texts.ReadDate);
    WriteLine(texts.OperatorName);
    WriteLine(texts.Comment);
    WriteLine(recorderClock);
    WriteLine(maxima);
    WriteLine(QString());
    for (const QString* line :
         {&longTerm.SpectrumLine, &longTerm.CyclesLine, &longTerm.MotoHoursLine,
          &longTerm.CharNumberLine, &longTerm.SpectrumClassLine, &longTerm.MaintenanceLine})
      WriteLine(*line);
    WriteLine(DataFile::kLabelUsageClass + duty.UsageClassText);
    WriteLine(DataFile::kLabelSpectrumFactor + duty.SpectrumFactorText);
    WriteLine(DataFile::kLabelGroup + duty.DutyGroupText);
    WriteLine(DataFile::kLabelCountTPCR +
              PadZeros(Number(hasLines ? operational.size() : operationalCount), 5));
    WriteLine(DataFile::kLabelCountTP +
              PadZeros(Number(hasLines ? overload.size() : overloadCount), 5));
    if (deviceType == 2) WriteLine(DataFile::kHandheldColumnsType2);
    if (deviceType == 4) WriteLine(DataFile::kHandheldColumnsType4);
    for (const QString& line : operational) WriteLine(line);
    WriteLine(DataFile::kSeparator);
    for (const QString& line : overload) WriteLine(line);
  }

 private:
  QByteArray Read(int index, qint64 count) {
    std::optional<QByteArray> bytes = database_.ReadRecord(index, count);
    if (!bytes) throw ConversionFailed{};
    return *std::move(bytes);
  }

  // A header record without its last byte, the reply's check.
  QByteArray Header(int index) {
    const std::optional<qint64> length = database_.RecordLength(index);
    if (!length) throw ConversionFailed{};
    return Read(index, *length - 1);
  }

  // The whole parts of the maxima (the high bytes of their 16-bit values). A reply too short
  // for the fourth gives 0 there, so the line always has the four fields readers need.
  static QString MaximaLine(const QByteArray& data) {
    QString line;
    for (quint16 value : Parsed(TMaximaReply::Parse(data, 3)).Values)
      line += PadZeros(Number(value >> 8), 8) + u';';
    return line;
  }

  template <typename Reply>
  static Reply Parsed(std::optional<Reply> reply) {
    if (!reply) throw ConversionFailed{};
    return *std::move(reply);
  }

  void WriteLine(const QString& line) {
    output_->WriteLine(line);
    if (!output_->Ok()) throw ConversionFailed{};
  }

  // The record lines of one table from its block records, oldest first.
  QStringList Table(int deviceType, int firstRecord, int count, int ringSplit) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TextLineWriter lines(&buffer);
    RingStore temp;
    DecoderContext context;
    context.OutputFile = &lines;
    context.TempFile = &temp;
    context.TableRecordCount = count;
    context.RingSplit = ringSplit;
    for (int k = 0; k < BlockCount(count); ++k) {
      progress_.SetProgressPosition(++progressCounter_);
      const int index = firstRecord + k;
      const std::optional<qint64> length = database_.RecordLength(index);
      if (!length) throw ConversionFailed{};
      const QByteArray block = Read(index, *length).mid(1);
      // Entries are numbered by their place in the table, not by the lines written: a bad
      // entry drops only the rest of its block, and the padding after the table's last entry
      // is never decoded. A block cut short ends the conversion.
      context.EntryCounter = k * kEntriesPerBlock;
      bool ok = true;
      if (deviceType == 2) ok = DecodeRecordBlockType2(block, context);
      if (deviceType == 4) ok = DecodeRecordBlockType4(block, context);
      if (!ok) throw ConversionFailed{};
    }
    if (!temp.AppendTo(lines)) throw ConversionFailed{};
    return DecodeCp1251(buffer.data()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  }

  const PalmDatabase& database_;
  HandheldProgress& progress_;
  TextLineWriter* output_ = nullptr;
  int progressCounter_ = 0;
};

}  // namespace

QByteArray BufferToString(const QByteArray& ReadBuffer, qint32 Count) {
  if (Count <= 0) return {};
  return ReadBuffer.left(std::min<qsizetype>(Count, kReadBufferSize));
}

bool PalmDatabase::Open(QIODevice& device) {
  device_ = &device;
  PalmRecordTable.clear();
  if (device.size() <= 0 || !device.seek(kRecordCountOffset)) return false;
  const QByteArray countBytes = device.read(2);
  if (countBytes.size() != 2) return false;
  const int count =
      static_cast<unsigned char>(countBytes[0]) << 8 | static_cast<unsigned char>(countBytes[1]);
  if (count > kPalmRecordTableSize) return false;
  for (int i = 0; i < count; ++i) {
    if (!device.seek(kRecordListOffset + kRecordListEntrySize * i)) return false;
    const QByteArray entry = device.read(4);
    if (entry.size() != 4) return false;
    quint32 offset = 0;
    for (char c : entry) offset = offset << 8 | static_cast<unsigned char>(c);
    PalmRecordTable.append(offset);
  }
  return true;
}

std::optional<qint64> PalmDatabase::RecordLength(int index) const {
  if (index < 0 || index + 1 >= RecordCount()) return std::nullopt;
  return qint64(PalmRecordTable[index + 1]) - qint64(PalmRecordTable[index]);
}

std::optional<QByteArray> PalmDatabase::ReadRecord(int index, qint64 count) const {
  const std::optional<qint64> length = RecordLength(index);
  if (!device_ || !length || *length <= 0 || count < 0 || count > *length ||
      count > kReadBufferSize)
    return std::nullopt;
  if (!device_->seek(PalmRecordTable[index])) return std::nullopt;
  QByteArray bytes = device_->read(count);
  if (bytes.size() != count) return std::nullopt;
  return bytes;
}

HandheldResult ConvertHandheldFile(const QString& sourcePath, const QString& dataDirectory,
                                   const QDateTime& now, const HandheldFormTexts& texts,
                                   HandheldProgress& progress, QIODevice* outputDevice) {
  HandheldResult result;
  result.FileName = DataFile::FileName(now, texts.CraneNumber);
  result.FilePath = dataDirectory + u'/' + result.FileName;

  auto output = outputDevice ? std::make_unique<TextLineWriter>(outputDevice)
                             : std::make_unique<TextLineWriter>();
  if (!outputDevice && !output->Open(result.FilePath)) return result;

  QFile source(sourcePath);
  PalmDatabase database;
  if (!source.open(QIODevice::ReadOnly) || !database.Open(source)) {
    output->Discard();
    return result;
  }
  try {
    Conversion(database, progress).Run(*output, texts);
  } catch (const ConversionFailed&) {
    output->Discard();
    return result;
  }
  result.Ok = output->Commit();
  return result;
}
