#pragma once
// The readout of a recorder from its "?" to the outcome: detection, speed, link check, the
// header items, the table transfer, the end of the link and keeping or dropping the file.
// Every step runs only while LinkOk and ReadActive both hold; the window's cancel and close
// clear them during any wait.

#include "acquisition/readout_io.h"
#include "acquisition/table_transfer.h"

#include <QDateTime>
#include <QString>

// The readout's texts as the window shows them.
namespace ReadoutText {
inline const QString Searching = QStringLiteral("Поиск устройства ...");
inline const QString Detected = QStringLiteral("Обнаружено устройство");
inline const QString NoLink = QStringLiteral("Нет связи с устройством");
inline const QString Done = QStringLiteral("Чтение данных завершено");
inline const QString Failed = QStringLiteral(" Ошибка. Чтение завершено");
inline const QString Cancelled = QStringLiteral(" Процесс отменен пользователем");
inline const QString CancelledWhileArmed = QStringLiteral("Процесс отменен пользователем");
inline const QString Finishing = QStringLiteral("Подождите. Идет завершение считывания");
}  // namespace ReadoutText

// "Скорость 9600 бит/с" .. "Скорость 115200 бит/с" for speed index 0..4.
QString SpeedText(int speedIndex);
// The line rate of speed index 0..4.
int SpeedRate(int speedIndex);

// What the user chose for the data file, taken when the file is created.
struct ReadoutFileChoices {
  QString ReadDate;
  QString OperatorName;
  QString Comment;
  QString DataDirectory;
  QDateTime Now;  // names the file
};

// The window and port work of the readout beyond the link, the waits and the progress texts.
class ReadoutWindow {
 public:
  virtual ~ReadoutWindow() = default;
  // Close; no event notifications; Open; DTR and RTS low.
  virtual void ReopenWithoutEvents() = 0;
  // The port takes the rate of speed index 0..4 at once.
  virtual void SetSpeed(int speedIndex) = 0;
  // Lets pending window messages run.
  virtual void ProcessMessages() = 0;
  // 0 = "Авто", 1..5 = 9600..115200.
  virtual int BaudrateChoice() = 0;
  virtual ReadoutFileChoices FileChoices() = 0;
  virtual void SetBaudText(const QString& text) = 0;  // ST_Baud
  virtual void StartElapsedTime() = 0;
  // Elapsed time and progress reset, button and animation back, reply timer stopped, port
  // closed without events.
  virtual void CleanUp() = 0;
  // After a good readout.
  virtual void CloseWindow() = 0;
  // At the very end of every readout: the archive list rebuilt, the button enabled.
  virtual void ReadoutEnded() = 0;
};

class RecorderReadout {
 public:
  RecorderReadout(RecorderLink& link, ReadoutWaits& waits, ReadoutProgress& progress,
                  ReadoutWindow& window);

  // The start button: a readout may begin with the next "?".
  void Arm();
  // The cancel button and closing the window: every later step skips.
  void Cancel();
  // Armed by the start button and neither cancelled nor begun.
  bool Armed() const { return ReadActive && !ReadoutStarted && !running_; }
  bool Running() const { return running_; }

  // The whole readout, run on the recorder's "?". True when the data file was kept.
  bool Run();

  // State of the readout, kept between readouts as the window shows it.
  DecoderContext Context;  // LinkOk and the table state
  bool ReadActive = false;
  bool ReadoutStarted = false;
  int SpeedIndex = 0;
  qint32 DeviceVariant = 0;
  DutyClassTexts Duty;
  QString FilePath;  // the last readout's data file

 private:
  bool Guard() const { return Context.LinkOk && ReadActive; }
  ReadoutIo Io() { return {link_, waits_, progress_}; }
  QByteArray Ask(QByteArrayView command, int waitMs);
  bool ProbeAnswered(const QByteArray& reply);
  void Detect();
  void NegotiateSpeed();
  void CheckLink();
  void ReadHeaderItems(ReadoutHeader& header);
  void EndLink();
  bool Outcome(TableTransfer& transfer);

  RecorderLink& link_;
  ReadoutWaits& waits_;
  ReadoutProgress& progress_;
  ReadoutWindow& window_;
  bool running_ = false;
};
