#pragma once
// What the readout's steps need from the outside world, kept small so that the steps run
// against the serial port and the readout window as well as against a scripted recorder
// with a virtual clock.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The serial line to the recorder. Any method may throw a std::exception (a port error);
// the step that called it then fails.
class RecorderLink {
 public:
  virtual ~RecorderLink() = default;
  // Queue raw bytes for sending.
  virtual void WriteText(QByteArrayView bytes) = 0;
  // Bytes now waiting in the input queue.
  virtual int InQueueCount() = 0;
  // Every byte now in the input queue (empty when none); the queue is emptied.
  virtual QByteArray ReadText() = 0;
  // Empties both directions.
  virtual void PurgeAll() = 0;
};

// Waits that keep the window's messages flowing, so the cancel button works during them.
class ReadoutWaits {
 public:
  virtual ~ReadoutWaits() = default;
  virtual void Delay(int milliseconds) = 0;
  // Ends after the given time or as soon as the reply-complete timer sees the input queue
  // stop growing, whichever comes first.
  virtual void WaitProcessingMessages(int milliseconds) = 0;
};

// The readout window's texts and progress bar.
class ReadoutProgress {
 public:
  virtual ~ReadoutProgress() = default;
  virtual void SetStatusText(const QString& text) = 0;     // ST_StatusRead
  virtual void SetFileNameText(const QString& text) = 0;   // ST_NameFile
  virtual void SetRemainingText(const QString& text) = 0;  // ST_Ost
  virtual void SetProgressMax(int max) = 0;                // ProgressBar1.Max
  virtual void SetProgressPosition(int position) = 0;      // ProgressBar1.Position, 0..max
};

struct ReadoutIo {
  RecorderLink& Link;
  ReadoutWaits& Waits;
  ReadoutProgress& Progress;
};
