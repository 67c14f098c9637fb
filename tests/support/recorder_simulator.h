#pragma once
// A scripted recorder: answers every command of the serial protocol from a model of a
// recorder, with knobs for the faults a readout must survive. It serves the fake link of the
// unit tests and, through jw_recorder_sim, a pseudo-terminal.

#include <QByteArray>
#include <QHash>
#include <QList>

#include <array>

struct RecorderTable {
  QList<QByteArray> Entries;  // 28 bytes each, in the recorder's own numbering
  quint16 RingPosition = 0;
};

struct RecorderModel {
  quint8 DeviceType = 2;
  quint8 DeviceVariant = 10;
  QByteArray CraneName = QByteArray(16, ' ');  // display character set
  quint32 DeviceNumber = 0;                    // 24 bits
  quint32 CraneNumber = 0;                     // 24 bits
  std::array<quint16, 4> Maxima{};             // 1/256 units
  QByteArray Clock = QByteArray(4, '\0');      // packed date and time
  std::array<quint32, 5> Bands{};              // 24 bits each
  quint32 TotalCycles = 0;
  quint16 MotoHours = 0;
  quint32 NpCounter = 0;
  quint8 SpectrumClass = 0;
  quint8 Maintenance = 0;
  RecorderTable Operational;
  RecorderTable Overload;
};

struct RecorderFaults {
  QByteArray BadCheckFirstTry;  // commands whose first replies fail their XOR check
  int BadCheckTries = 1;        // how many of their replies fail
  QByteArray WrongStatus;       // of "W", "O", "E", "F": answered with a wrong status byte
  char BadEntryTable = 0;       // 'W' (operational) or 'O' (overload)
  int BadEntryIndex = -1;       // that entry is sent with a broken check
  char SilentAfter = 0;         // this command and every later one get no answer
  int RefuseSpeedFrom = 5;      // "B" n is refused for n >= this
  int ReplyDelayMs = 0;         // time from a command to its reply
  int BlockShortBy = 0;         // block replies lose this many bytes at their end
  // Replies given in place of the model's, one per command of that letter, in order.
  QHash<char, QByteArrayList> ScriptedReplies;
};

class RecorderSimulator {
 public:
  explicit RecorderSimulator(RecorderModel model = {}, RecorderFaults faults = {})
      : model_(std::move(model)), faults_(std::move(faults)) {}

  // Bytes from the line; gives what the recorder sends back (empty when nothing).
  QByteArray Receive(QByteArrayView bytes);

  // Every command received, as its bytes ("R", "B\x02", "\xAA").
  const QList<QByteArray>& Commands() const { return commands_; }
  QByteArray CommandLetters() const {  // the commands' first bytes in order
    QByteArray letters;
    for (const QByteArray& c : commands_) letters.append(c.front());
    return letters;
  }
  int SpeedIndex() const { return speed_; }
  RecorderModel& Model() { return model_; }
  RecorderFaults& Faults() { return faults_; }

 private:
  QByteArray Answer(const QByteArray& command);
  QByteArray CheckedReply(char command, QByteArray data);
  QByteArray Block(char command) const;

  RecorderModel model_;
  RecorderFaults faults_;
  QByteArray pending_;
  QList<QByteArray> commands_;
  QByteArray answered_;  // one letter per reply given
  bool silent_ = false;
  char table_ = 0;
  int block_ = 0;
  int speed_ = 0;
};

// The packed time stamp of a date and time (year within the century).
QByteArray PackDateTime(int day, int month, int year, int hour, int minute, int second);
// Sets byte 27 so that the 28 bytes of an entry XOR to 0 (the entry is padded to 28).
QByteArray SealEntry(QByteArray entry);
// data followed by the byte that makes the whole XOR to 0.
QByteArray WithCheck(QByteArray data);
