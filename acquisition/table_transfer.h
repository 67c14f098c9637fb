#pragma once
// The second half of a readout: the new data file and its header, the table information,
// both tables block by block in ring order, and keeping or dropping the file at the end.
// Every step runs only while LinkOk and ReadActive both hold and fails on its own: a failure
// clears LinkOk, so the later steps skip.

#include "acquisition/readout_io.h"
#include "acquisition/record_decoder.h"
#include "acquisition/recorder_replies.h"
#include "acquisition/ring_store.h"
#include "archive/duty_class.h"
#include "archive/text_file.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

// Values the earlier readout steps collected for the header lines 2 to 21.
struct ReadoutHeader {
  QString CraneName;
  qint32 CraneNumber = 0;
  quint8 DeviceTypeCode = 0;
  qint32 DeviceVariant = 0;
  qint32 DeviceNumber = 0;
  QString ReadDate;  // the date field's text as shown
  QString OperatorName;
  QString Comment;
  QString RecorderClock;  // "dd.mm.yy hh:mm:ss"
  QString MaximaLine;     // line 11
  // Lines 13 to 18, labels included.
  QString SpectrumLine;
  QString CyclesLine;
  QString MotoHoursLine;
  QString CharNumberLine;
  QString SpectrumClassLine;
  QString MaintenanceLine;
  DutyClassTexts Duty;
};

// Lines 13 to 18 from a "C" reply, and the duty classes of Km and the total into `duty`.
void TakeCyclesReply(const TCyclesReply& reply, ReadoutHeader& header, DutyClassTexts& duty);

// One item of the header pattern: the status text (shown also when the step is skipped), the
// command, 500 ms, the XOR check of the data part and one repeat after "Повтор чтения". Gives
// the data part when it passed (LinkOk set again); otherwise clears LinkOk, shows errorText
// and gives nothing. Gives nothing without a word when the guard fails.
std::optional<QByteArray> ReadHeaderItem(ReadoutIo io, DecoderContext& context, bool readActive,
                                         char command, const QString& statusText,
                                         const QString& errorText);

class TableTransfer {
 public:
  // readActive is the readout's flag, which the cancel button may clear during any wait.
  // outputDevice, for tests, takes the data file's bytes in place of a file on disk.
  TableTransfer(DecoderContext& context, const bool& readActive, ReadoutIo io,
                QIODevice* outputDevice = nullptr);
  ~TableTransfer();
  TableTransfer(const TableTransfer&) = delete;
  TableTransfer& operator=(const TableTransfer&) = delete;

  // Names the file from the computer's clock and the crane number, shows the name, opens the
  // file (also after a failure or cancel, so it is dropped at the end) and writes lines 1 to
  // 21 when LinkOk holds.
  void CreateDataFile(const QString& dataDirectory, const QDateTime& now,
                      const ReadoutHeader& header);
  // The "T" item: table sizes and ring positions, lines 22 and 23, the progress range.
  void ReadTableInfo();
  // Column line, both tables with their enter and leave commands, the separator line.
  void TransferTables();
  // The file work of the readout's end: waits 100 ms, then makes the file appear under its
  // name when LinkOk and ReadActive both hold, else drops it. True when the file was kept; a
  // failed commit clears LinkOk.
  bool Finish();

  const QString& FileName() const { return fileName_; }
  const QString& FilePath() const { return filePath_; }

 private:
  bool Guard() const { return context_.LinkOk && readActive_; }
  void WriteLine(const QString& line);
  QByteArray Command(char command);
  QByteArray RequestBlock(char command, int waitMs);
  bool StatusReply(char command, char expected, const QString& errorText);
  void TransferBlocks(int count, int firstWaitMs, int nextWaitMs, const QString& zeroText);
  bool DecodeBlock(QByteArrayView block);
  void AppendRingStore();

  DecoderContext& context_;
  const bool& readActive_;
  ReadoutIo io_;
  QIODevice* outputDevice_;
  std::unique_ptr<TextLineWriter> output_;
  RingStore temp_;
  QString fileName_;
  QString filePath_;
  quint8 deviceType_ = 0;
  int progressMax_ = 0;
  int blockCounter_ = 0;
};
