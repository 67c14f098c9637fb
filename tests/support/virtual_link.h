#pragma once
// The readout's link and waits over a RecorderSimulator with a virtual clock in
// milliseconds: a wait only moves the clock, so a readout of many seconds runs at once.
// The reply-complete timer is modelled tick by tick (200 ms).

#include "acquisition/readout_io.h"
#include "tests/support/recorder_simulator.h"

#include <QList>
#include <QStringList>

#include <functional>

class VirtualRecorderLink : public RecorderLink, public ReadoutWaits {
 public:
  explicit VirtualRecorderLink(RecorderSimulator& recorder) : recorder_(recorder) {}

  void WriteText(QByteArrayView bytes) override;
  int InQueueCount() override;
  QByteArray ReadText() override;
  void PurgeAll() override;

  void Delay(int milliseconds) override;
  void WaitProcessingMessages(int milliseconds) override;

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
  void Arrive();

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
