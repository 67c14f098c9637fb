#pragma once
// Conversion of a handheld computer's database file, which keeps the recorder's replies one
// per record, into a new data file with the same block decoders as the serial readout.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class QIODevice;

// The record list of the handheld file is held in a table of this many entries, and a record
// is read into a buffer of this many bytes; longer lists and records are refused.
inline constexpr int kPalmRecordTableSize = 500;
inline constexpr int kReadBufferSize = 1000;

// The first Count bytes of a record read into ReadBuffer, one character per byte with every
// byte value kept; empty for a Count of 0 or less, never more than the buffer holds.
QByteArray BufferToString(const QByteArray& ReadBuffer, qint32 Count);

// The records of a handheld database file (a Palm OS database, numbers big-endian). Only the
// record count at offset 76 and the record offsets of the list at 78 are used; every read is
// checked against the record's own bytes and the end of the file.
class PalmDatabase {
 public:
  // Reads the record list from device (open for reading). False when the file is empty, too
  // short for its list or lists more records than the table holds.
  bool Open(QIODevice& device);

  int RecordCount() const { return int(PalmRecordTable.size()); }
  // Next offset minus own offset; nothing for the last record or one not listed.
  std::optional<qint64> RecordLength(int index) const;
  // The first count bytes of record index, exactly; nothing when the record is shorter than
  // count, has no length above 0, count exceeds the read buffer or the file ends early.
  std::optional<QByteArray> ReadRecord(int index, qint64 count) const;

 private:
  QIODevice* device_ = nullptr;
  QList<quint32> PalmRecordTable;
};

// What the user adds in the conversion window.
struct HandheldFormTexts {
  QString ReadDate;      // CB_Data as shown
  QString OperatorName;  // CB_Operator
  QString CraneNumber;   // CB_NomCran: a header line and the file-name suffix
  QString DeviceNumber;  // CB_NomUstr
  QString Comment;       // CB_Coment
};

// The conversion window's progress bar and its waits.
class HandheldProgress {
 public:
  virtual ~HandheldProgress() = default;
  virtual void SetProgressMax(int max) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Waits while the window's messages are processed.
  virtual void Delay(int milliseconds) = 0;
};

struct HandheldResult {
  bool Ok = false;
  QString FileName;  // the data file's bare name
  QString FilePath;  // in the data directory; holds a file only when Ok
};

// Reads the handheld file at sourcePath and writes a new data file named from now and the
// crane number into dataDirectory. The file appears only when every step succeeded; any
// failure leaves nothing behind. outputDevice, for tests, takes the data file's bytes in
// place of a file on disk.
HandheldResult ConvertHandheldFile(const QString& sourcePath, const QString& dataDirectory,
                                   const QDateTime& now, const HandheldFormTexts& texts,
                                   HandheldProgress& progress, QIODevice* outputDevice = nullptr);
