#include "acquisition/recorder_readout.h"

#include "acquisition/readout_step.h"
#include "acquisition/recorder_replies.h"
#include "archive/data_file.h"
#include "archive/number_text.h"

#include <array>

namespace {

constexpr std::array<int, 5> kRates = {9600, 19200, 38400, 57600, 115200};
constexpr int kMaxSpeedIndex = 4;

constexpr char kProbe = '\xAA';
constexpr unsigned char kProbeAnswer = 0x55;
constexpr unsigned char kEndOfLinkStatus = 0xFF;

constexpr int kProbeWaitMs = 1000;
constexpr int kDetectedWaitMs = 300;
constexpr int kSpeedWaitMs = 1000;
constexpr int kLinkCheckWaitMs = 1000;
constexpr int kCommandWaitMs = 500;
constexpr int kOutcomeWaitMs = 1000;

}  // namespace

QString SpeedText(int speedIndex) {
  return QStringLiteral("Скорость %1 бит/с").arg(SpeedRate(speedIndex));
}

int SpeedRate(int speedIndex) {
  return kRates[static_cast<std::size_t>(qBound(0, speedIndex, kMaxSpeedIndex))];
}

RecorderReadout::RecorderReadout(RecorderLink& link, ReadoutWaits& waits, ReadoutProgress& progress,
                                 ReadoutWindow& window)
    : link_(link), waits_(waits), progress_(progress), window_(window) {}

void RecorderReadout::Arm() {
  ReadActive = true;
  ReadoutStarted = false;
}

void RecorderReadout::Cancel() {
  Context.LinkOk = false;
  ReadActive = false;
}

QByteArray RecorderReadout::Ask(QByteArrayView command, int waitMs) {
  link_.WriteText(command);
  waits_.Delay(waitMs);
  return link_.ReadText();
}

bool RecorderReadout::ProbeAnswered(const QByteArray& reply) {
  return reply.size() >= 2 && static_cast<unsigned char>(reply[1]) == kProbeAnswer;
}

bool RecorderReadout::Run() {
  if (running_) return false;
  running_ = true;
  ReadoutStarted = true;
  Context.LinkOk = true;

  Detect();
  if (Guard()) {
    Step(Context, [&] {
      NegotiateSpeed();
      CheckLink();
    });
  }
  if (Guard()) window_.StartElapsedTime();

  ReadoutHeader header;
  ReadHeaderItems(header);

  TableTransfer transfer(Context, ReadActive, Io());
  const ReadoutFileChoices choices = window_.FileChoices();
  header.ReadDate = choices.ReadDate;
  header.OperatorName = choices.OperatorName;
  header.Comment = choices.Comment;
  header.DeviceVariant = DeviceVariant;
  header.Duty = Duty;
  transfer.CreateDataFile(choices.DataDirectory, choices.Now, header);
  FilePath = transfer.FilePath();
  transfer.ReadTableInfo();
  transfer.TransferTables();

  EndLink();
  try {
    window_.CleanUp();
  } catch (const std::exception&) {
    // The end of a readout goes on whatever failed.
  }
  // Closing the window on success clears ReadActive, so the result is taken here.
  const bool kept = Outcome(transfer);
  running_ = false;
  window_.ReadoutEnded();
  return kept;
}

void RecorderReadout::Detect() {
  Step(Context, [&] {
    link_.PurgeAll();
    QByteArray reply = Ask(QByteArrayView(&kProbe, 1), kProbeWaitMs);
    if (reply.isEmpty()) Context.LinkOk = false;
    if (Guard()) {
      if (ProbeAnswered(reply)) {
        progress_.SetStatusText(ReadoutText::Detected);
        waits_.Delay(kDetectedWaitMs);
      } else {
        Context.LinkOk = false;
      }
      window_.ReopenWithoutEvents();
    }
    if (Guard()) return;
    // A second probe, also after a cancel during the first one.
    link_.PurgeAll();
    reply = Ask(QByteArrayView(&kProbe, 1), kProbeWaitMs);
    if (ProbeAnswered(reply)) {
      Context.LinkOk = true;
      progress_.SetStatusText(ReadoutText::Detected);
      waits_.Delay(kDetectedWaitMs);
      window_.ReopenWithoutEvents();
    } else {
      Context.LinkOk = false;
      if (!reply.isEmpty()) window_.ReopenWithoutEvents();
    }
  });
}

void RecorderReadout::NegotiateSpeed() {
  int choice = window_.BaudrateChoice();
  if (choice < 0 || choice > kMaxSpeedIndex + 1) choice = 0;
  if (choice > 0) {
    // A fixed speed is never tested: a recorder that did not follow fails the link check.
    const char command[] = {'B', char(choice - 1)};
    Ask(QByteArrayView(command, 2), kSpeedWaitMs);
    SpeedIndex = choice - 1;
    window_.SetSpeed(SpeedIndex);
    return;
  }
  SpeedIndex = 0;
  int n = 1;
  for (; n <= kMaxSpeedIndex; ++n) {
    window_.ProcessMessages();
    link_.PurgeAll();
    const char command[] = {'B', char(n)};
    const QByteArray reply = Ask(QByteArrayView(command, 2), kSpeedWaitMs);
    if (reply.size() < 3 || static_cast<unsigned char>(reply[2]) != kProbeAnswer) break;
    window_.SetSpeed(n);
  }
  SpeedIndex = n - 1;
  window_.SetSpeed(SpeedIndex);
}

void RecorderReadout::CheckLink() {
  if (!Guard()) return;
  link_.PurgeAll();
  const QByteArray data = DataPart(Ask("I", kLinkCheckWaitMs));
  // An empty data part XORs to 0 too, but a silent recorder must not pass.
  if (!data.isEmpty() && IsXorBlockValid(data)) {
    window_.SetBaudText(SpeedText(SpeedIndex));
  } else {
    Context.LinkOk = false;
    progress_.SetStatusText(ReadoutText::NoLink);
  }
}

void RecorderReadout::ReadHeaderItems(ReadoutHeader& header) {
  const auto item = [&](char command, const char* status, const char* error, auto take) {
    const std::optional<QByteArray> data = ReadHeaderItem(
        Io(), Context, ReadActive, command, QString::fromUtf8(status), QString::fromUtf8(error));
    if (data) Step(Context, [&] { take(*data); });
  };
  item('I', "Чтение типа устройства", "Ошибка чтения типа устройства", [&](const QByteArray& data) {
    const TIdentReply reply = Parsed(TIdentReply::Parse(data));
    header.DeviceTypeCode = reply.DeviceTypeCode;
    DeviceVariant = reply.DeviceVariant;
  });
  item('N', "Чтение названия крана", "Ошибка чтения названия устройства",
       [&](const QByteArray& data) {
         header.CraneName = Parsed(TCraneNameReply::Parse(data)).Text();
       });
  item('P', "Чтение номера крана", "Ошибка чтения номера крана", [&](const QByteArray& data) {
    const TNumberReply reply = Parsed(TNumberReply::Parse(data));
    header.DeviceNumber = qint32(reply.DeviceNumber);
    header.CraneNumber = qint32(reply.CraneNumber);
  });
  item('M', "Чтение максимальных значений", "Ошибка чтения максимальных значений",
       [&](const QByteArray& data) {
         QString line;
         for (quint16 value : Parsed(TMaximaReply::Parse(data)).Values)
           line += FieldNumber(value / 256.0, 8) + u';';
         header.MaximaLine = line;
       });
  item('D', "Чтение даты", "Ошибка чтения даты", [&](const QByteArray& data) {
    header.RecorderClock = DecodePackedDateTime(Parsed(TClockReply::Parse(data)).Clock);
  });
  item('C', "Чтение характеристик", "Ошибка характеристик", [&](const QByteArray& data) {
    TakeCyclesReply(Parsed(TCyclesReply::Parse(data)), header, Duty);
  });
}

void RecorderReadout::EndLink() {
  if (!Guard()) {
    try {
      Ask("E", kCommandWaitMs);
    } catch (const std::exception&) {
      // The link is ended whatever the recorder says.
    }
  }
  try {
    const QByteArray data = DataPart(Ask("F", kCommandWaitMs));
    // Without a status byte there is nothing to check and no second "F".
    if (data.isEmpty()) return;
    if (static_cast<unsigned char>(data[0]) != kEndOfLinkStatus) Context.LinkOk = false;
    if (!Context.LinkOk) {
      link_.WriteText("F");
      waits_.Delay(kCommandWaitMs);
    }
  } catch (const std::exception&) {
  }
}

bool RecorderReadout::Outcome(TableTransfer& transfer) {
  const bool kept = transfer.Finish();
  waits_.Delay(kOutcomeWaitMs);
  // A cancel stays a cancel even when a later reply set LinkOk again.
  if (!ReadActive) {
    progress_.SetStatusText(ReadoutText::Cancelled);
  } else if (!Context.LinkOk) {
    progress_.SetStatusText(ReadoutText::Failed);
  } else {
    progress_.SetStatusText(ReadoutText::Done);
    window_.CloseWindow();
  }
  return kept;
}
