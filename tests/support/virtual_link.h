#pragma once
// The readout's link and waits over a RecorderSimulator with a virtual clock in
// milliseconds: a wait only moves the clock, so a readout of many seconds runs at once.
// The reply-complete timer is modelled tick by tick (200 ms).

#include "acquisition/readout_io.h"
#include "tests/support/recorder_simulator.h"

#include <QStringList>

#include <functional>
#include <utility>

class VirtualRecorderLink : public RecorderLink, public ReadoutWaits {
 public:
  explicit VirtualRecorderLink(RecorderSimulator& recorder) : recorder_(recorder) {}

  void WriteText(QByteArrayView bytes) override {
    if (!bytes.isEmpty()) lastCommand_ = bytes.front();
    trace_ << QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
    const QByteArray reply = recorder_.Receive(bytes);
    if (!reply.isEmpty()) pending_.append({now_ + recorder_.Faults().ReplyDelayMs, reply});
    Arrive();
  }
  int InQueueCount() override {
    Arrive();
    return int(input_.size());
  }
  QByteArray ReadText() override {
    Arrive();
    return std::exchange(input_, {});
  }
  void PurgeAll() override {
    trace_ << QStringLiteral("purge");
    input_.clear();
    pending_.clear();
  }

  void Delay(int milliseconds) override {
    trace_ << QStringLiteral("delay %1").arg(milliseconds);
    now_ += milliseconds;
    Arrive();
    waits_.append({false, milliseconds, milliseconds, lastCommand_});
    if (DuringWait) DuringWait(lastCommand_);
  }
  void WaitProcessingMessages(int milliseconds) override {
    trace_ << QStringLiteral("wait %1").arg(milliseconds);
    const qint64 start = now_;
    int previous = -100;  // the first tick never completes
    bool complete = false;
    while (!complete && now_ - start < milliseconds) {
      const qint64 step = qMin<qint64>(kTimerTickMs, milliseconds - (now_ - start));
      now_ += step;
      if (step == kTimerTickMs) {
        const int count = InQueueCount();
        complete = count == previous;
        previous = count;
      }
      if (DuringWait) DuringWait(lastCommand_);
    }
    waits_.append({true, milliseconds, now_ - start, lastCommand_});
  }

  struct Wait {
    bool Processing;  // WaitProcessingMessages rather than Delay
    int LimitMs;
    qint64 TookMs;
    char AfterCommand;
  };
  const QList<Wait>& Waits() const { return waits_; }
  // Everything the readout did on the link, in order: "purge", the bytes sent in hex
  // ("42 03"), "delay 1000", "wait 6000" (WaitProcessingMessages).
  const QStringList& Trace() const { return trace_; }

  // Runs while a wait lets messages through (once per Delay, at every timer tick of
  // WaitProcessingMessages), with the last command sent; a test presses cancel here.
  std::function<void(char lastCommand)> DuringWait;

 private:
  static constexpr int kTimerTickMs = 200;

  void Arrive() {
    while (!pending_.isEmpty() && pending_.front().At <= now_) input_ += pending_.takeFirst().Bytes;
  }

  struct Pending {
    qint64 At;
    QByteArray Bytes;
  };
  RecorderSimulator& recorder_;
  qint64 now_ = 0;
  QByteArray input_;
  QList<Pending> pending_;
  QList<Wait> waits_;
  QStringList trace_;
  char lastCommand_ = 0;
};

// Keeps everything the readout shows.
class RecordingProgress : public ReadoutProgress {
 public:
  void SetStatusText(const QString& text) override { Status.append(text); }
  void SetFileNameText(const QString& text) override { FileName = text; }
  void SetRemainingText(const QString& text) override { Remaining.append(text); }
  void SetProgressMax(int max) override { Max = max; }
  void SetProgressPosition(int position) override { Positions.append(position); }

  QStringList Status;
  QStringList Remaining;
  QString FileName;
  int Max = -1;
  QList<int> Positions;
};
