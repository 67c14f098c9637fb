#include "acquisition/table_transfer.h"

#include "acquisition/readout_step.h"
#include "archive/data_file.h"
#include "archive/number_text.h"

namespace {

const QString kStatusRepeat = QStringLiteral("Повтор чтения");
const QString kStatusTableInfo = QStringLiteral("Чтение данных о таблицах");
const QString kErrorTableInfo = QStringLiteral("Ошибка данных");
const QString kStatusReading = QStringLiteral("Чтение данных");
const QString kErrorColumns = QStringLiteral("Ошибка 0x00:Запись данных");
const QString kErrorEnterTable = QStringLiteral("Ошибка 0x01:Чтение данных");
const QString kErrorLeaveTable = QStringLiteral("Ошибка 0x02: Чтение данных");
const QString kErrorEnterOverload = QStringLiteral("Ошибка 0x03:Чтение данных");
const QString kErrorLeaveOverload = QStringLiteral("Ошибка 0x04:Чтение данных");
const QString kProgressPrefix = QStringLiteral("Считано : ");

constexpr int kCommandWaitMs = 500;
constexpr int kFirstBlockWaitMs = 6000;
constexpr int kNextBlockWaitMs = 10000;
constexpr int kRenewWaitMs = 200;
constexpr int kOutcomeWaitMs = 100;

}  // namespace

std::optional<QByteArray> ReadHeaderItem(ReadoutIo io, DecoderContext& context, bool readActive,
                                         char command, const QString& statusText,
                                         const QString& errorText) {
  io.Progress.SetStatusText(statusText);
  if (!context.LinkOk || !readActive) return std::nullopt;
  std::optional<QByteArray> result;
  Step(context, [&] {
    auto ask = [&] {
      io.Link.WriteText(QByteArrayView(&command, 1));
      io.Waits.Delay(kCommandWaitMs);
      return DataPart(io.Link.ReadText());
    };
    QByteArray data = ask();
    if (!IsXorBlockValid(data)) {
      io.Progress.SetStatusText(kStatusRepeat);
      data = ask();
    }
    if (IsXorBlockValid(data)) {
      context.LinkOk = true;
      result = data;
    } else {
      context.LinkOk = false;
      io.Progress.SetStatusText(errorText);
    }
  });
  return result;
}

TableTransfer::TableTransfer(DecoderContext& context, const bool& readActive, ReadoutIo io,
                             QIODevice* outputDevice)
    : context_(context),
      readActive_(readActive),
      io_(io),
      outputDevice_(outputDevice),
      output_(outputDevice ? std::make_unique<TextLineWriter>(outputDevice)
                           : std::make_unique<TextLineWriter>()) {
  context_.OutputFile = output_.get();
  context_.TempFile = &temp_;
}

TableTransfer::~TableTransfer() {
  if (context_.OutputFile == output_.get()) context_.OutputFile = nullptr;
  if (context_.TempFile == &temp_) context_.TempFile = nullptr;
}

void TableTransfer::WriteLine(const QString& line) {
  output_->WriteLine(line);
  if (!output_->Ok()) throw StepFailed{};
}

void TableTransfer::CreateDataFile(const QString& dataDirectory, const QDateTime& now,
                                   const ReadoutHeader& header) {
  deviceType_ = header.DeviceTypeCode;
  fileName_ = DataFile::FileName(now, QString::number(header.CraneNumber));
  filePath_ = dataDirectory + u'/' + fileName_;
  io_.Progress.SetFileNameText(fileName_);
  temp_.Clear();
  if (!outputDevice_ && !output_->Open(filePath_)) context_.LinkOk = false;
  if (!context_.LinkOk) return;
  Step(context_, [&] {
    WriteLine(DataFile::kMagic);
    WriteLine(header.CraneName);
    WriteLine(QString::number(header.CraneNumber));
    WriteLine(QString::number(header.DeviceTypeCode));
    WriteLine(QString::number(header.DeviceVariant));
    WriteLine(QString::number(header.DeviceNumber));
    WriteLine(header.ReadDate);
    WriteLine(header.OperatorName);
    WriteLine(header.Comment);
    WriteLine(header.RecorderClock);
    WriteLine(header.MaximaLine);
    WriteLine(QString());
    WriteLine(header.SpectrumLine);
    WriteLine(header.CyclesLine);
    WriteLine(header.MotoHoursLine);
    WriteLine(header.CharNumberLine);
    WriteLine(header.SpectrumClassLine);
    WriteLine(header.MaintenanceLine);
    WriteLine(DataFile::kLabelUsageClass + header.Duty.UsageClassText);
    WriteLine(DataFile::kLabelSpectrumFactor + header.Duty.SpectrumFactorText);
    WriteLine(DataFile::kLabelGroup + header.Duty.DutyGroupText);
  });
}

void TableTransfer::ReadTableInfo() {
  const std::optional<QByteArray> data =
      ReadHeaderItem(io_, context_, readActive_, 'T', kStatusTableInfo, kErrorTableInfo);
  if (!data) return;
  Step(context_, [&] {
    const TTableInfoReply reply = Parsed(TTableInfoReply::Parse(*data));
    context_.TableRecordCount = reply.OperationalCount;
    context_.OverloadCount = reply.OverloadCount;
    context_.RingSplit = reply.OperationalRingPosition;
    context_.OverloadRingSplit = reply.OverloadRingPosition;
    WriteLine(DataFile::kLabelCountTPCR + PadZeros(QString::number(context_.TableRecordCount), 5));
    WriteLine(DataFile::kLabelCountTP + PadZeros(QString::number(context_.OverloadCount), 5));
    progressMax_ = (context_.TableRecordCount + context_.OverloadCount) / kEntriesPerBlock;
    io_.Progress.SetProgressMax(progressMax_);
    blockCounter_ = 0;
  });
}

QByteArray TableTransfer::Command(char command) {
  io_.Link.WriteText(QByteArrayView(&command, 1));
  io_.Waits.Delay(kCommandWaitMs);
  return DataPart(io_.Link.ReadText());
}

QByteArray TableTransfer::RequestBlock(char command, int waitMs) {
  io_.Link.WriteText(QByteArrayView(&command, 1));
  io_.Waits.WaitProcessingMessages(waitMs);
  return DataPart(io_.Link.ReadText());
}

// "W", "O" and "E" answer with one status byte; a reply without it fails without a text.
bool TableTransfer::StatusReply(char command, char expected, const QString& errorText) {
  const QByteArray data = Command(command);
  if (data.isEmpty()) throw StepFailed{};
  if (data[0] == expected) return true;
  context_.LinkOk = false;
  io_.Progress.SetStatusText(errorText);
  return false;
}

bool TableTransfer::DecodeBlock(QByteArrayView block) {
  if (deviceType_ == 2) return DecodeRecordBlockType2(block, context_);
  if (deviceType_ == 4) return DecodeRecordBlockType4(block, context_);
  return true;  // no record layout: the block is dropped
}

void TableTransfer::TransferBlocks(int count, int firstWaitMs, int nextWaitMs,
                                   const QString& zeroText) {
  const int blocks = count <= 0 ? 1 : (count + kEntriesPerBlock - 1) / kEntriesPerBlock;
  if (Guard()) {
    const QByteArray block = RequestBlock('R', firstWaitMs);
    if (context_.LinkOk && !DecodeBlock(block)) throw StepFailed{};
  }
  for (int k = 1; k < blocks; ++k) {
    if (!Guard()) continue;
    ++blockCounter_;
    // The bar shows at most its maximum.
    const int shown = qBound(0, blockCounter_, progressMax_);
    io_.Progress.SetProgressPosition(shown);
    io_.Progress.SetRemainingText(
        shown == 0
            ? zeroText
            : kProgressPrefix + QString::number(shown * 100 / progressMax_) + QStringLiteral(" %"));
    QByteArray block = RequestBlock('S', nextWaitMs);
    // A cancel during the wait: the recorder still gets its "R", nothing is decoded.
    if (!context_.LinkOk) block = RequestBlock('R', nextWaitMs);
    if (context_.LinkOk && !DecodeBlock(block)) throw StepFailed{};
  }
}

void TableTransfer::AppendRingStore() {
  if (!Guard()) return;
  Step(context_, [&] {
    if (!temp_.AppendTo(*output_)) throw StepFailed{};
  });
}

void TableTransfer::TransferTables() {
  if (Guard()) {
    Step(context_, [&] {
      if (deviceType_ == 2) output_->WriteLine(DataFile::kColumnsType2);
      if (deviceType_ == 4) output_->WriteLine(DataFile::kColumnsType4);
      if (!output_->Ok()) {
        io_.Progress.SetStatusText(kErrorColumns);
        throw StepFailed{};
      }
    });
  }

  if (Guard()) {
    Step(context_, [&] {
      io_.Progress.SetStatusText(kStatusReading);
      if (StatusReply('W', 0x01, kErrorEnterTable)) context_.EntryCounter = 0;
    });
  }
  if (Guard()) {
    Step(context_, [&] {
      TransferBlocks(context_.TableRecordCount, kFirstBlockWaitMs, kNextBlockWaitMs,
                     kProgressPrefix + QStringLiteral("0 %"));
    });
  }
  if (Guard()) Step(context_, [&] { StatusReply('E', 0x03, kErrorLeaveTable); });

  AppendRingStore();
  if (Guard()) {
    Step(context_, [&] {
      io_.Waits.Delay(kRenewWaitMs);
      temp_.Clear();
    });
  }

  if (Guard()) {
    Step(context_, [&] {
      io_.Progress.SetStatusText(kStatusReading);
      if (StatusReply('O', 0x02, kErrorEnterOverload)) context_.EntryCounter = 0;
    });
  }
  context_.TableRecordCount = context_.OverloadCount;
  context_.RingSplit = context_.OverloadRingSplit;

  if (Guard()) {
    Step(context_, [&] {
      WriteLine(DataFile::kSeparator);
      TransferBlocks(context_.OverloadCount, kFirstBlockWaitMs, kFirstBlockWaitMs,
                     kProgressPrefix + QStringLiteral("0"));
    });
  }

  AppendRingStore();
  if (Guard()) Step(context_, [&] { StatusReply('E', 0x03, kErrorLeaveOverload); });
}

bool TableTransfer::Finish() {
  temp_.Clear();
  io_.Waits.Delay(kOutcomeWaitMs);
  if (context_.LinkOk && readActive_) {
    if (output_->Commit()) return true;
    context_.LinkOk = false;
    return false;
  }
  output_->Discard();
  return false;
}

void TakeCyclesReply(const TCyclesReply& reply, ReadoutHeader& header, DutyClassTexts& duty) {
  QString spectrum = DataFile::kLabelSpectrum;
  for (quint32 band : reply.Bands) spectrum += PadZeros(QString::number(band), 8) + u';';
  header.SpectrumLine = spectrum;
  header.CyclesLine = DataFile::kLabelCycles + QString::number(reply.TotalCycles);
  header.MotoHoursLine = DataFile::kLabelMotoHours + QString::number(reply.MotoHours);
  header.CharNumberLine = DataFile::kLabelCharNumber + QString::number(reply.Np);
  header.SpectrumClassLine = DataFile::kLabelSpectrumClass + QString::number(reply.Km);
  header.MaintenanceLine = DataFile::kLabelMaintenance + QString::number(reply.T0);
  ComputeDutyClass(reply.Km, int(reply.TotalCycles), duty);
}
