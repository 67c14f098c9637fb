#include "tests/support/recorder_simulator.h"

namespace {

constexpr int kEntrySize = 28;
constexpr int kEntriesPerBlock = 32;

void PutLittle(QByteArray& out, quint32 value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.append(char((value >> (8 * i)) & 0xFF));
}

char Xor(QByteArrayView bytes) {
  unsigned char x = 0;
  for (char c : bytes) x ^= static_cast<unsigned char>(c);
  return char(x);
}

}  // namespace

QByteArray PackDateTime(int day, int month, int year, int hour, int minute, int second) {
  QByteArray b(4, '\0');
  b[0] = char((year & 0x3F) | ((month / 4) & 3) << 6);
  b[1] = char((second & 0x3F) | (month % 4) << 6);
  b[2] = char((minute & 0x3F) | ((day / 8) & 3) << 6);
  b[3] = char((hour & 0x1F) | (day % 8) << 5);
  return b;
}

QByteArray SealEntry(QByteArray entry) {
  entry.resize(kEntrySize, '\0');
  entry[kEntrySize - 1] = 0;
  entry[kEntrySize - 1] = Xor(entry);
  return entry;
}

QByteArray WithCheck(QByteArray data) {
  data.append(Xor(data));
  return data;
}

QByteArray RecorderSimulator::Receive(QByteArrayView bytes) {
  pending_.append(bytes.data(), bytes.size());
  QByteArray out;
  while (!pending_.isEmpty()) {
    // The speed command carries its index in a second byte.
    const int length = pending_.front() == 'B' ? 2 : 1;
    if (pending_.size() < length) break;
    const QByteArray command = pending_.left(length);
    pending_.remove(0, length);
    commands_.append(command);
    if (faults_.SilentAfter != 0 && command.front() == faults_.SilentAfter) silent_ = true;
    QByteArray reply = Answer(command);
    QByteArrayList& scripted = faults_.ScriptedReplies[command.front()];
    if (!scripted.isEmpty()) reply = scripted.takeFirst();
    if (!silent_) out += reply;
  }
  return out;
}

QByteArray RecorderSimulator::CheckedReply(char command, QByteArray data) {
  QByteArray reply = WithCheck(std::move(data));
  if (faults_.BadCheckFirstTry.contains(command) &&
      answered_.count(command) < faults_.BadCheckTries)
    reply.back() = char(reply.back() ^ 0x5A);
  answered_.append(command);
  return command + reply;
}

QByteArray RecorderSimulator::Block(char command) const {
  QByteArray reply(1, command);
  if (table_ == 0) return reply;  // no table selected
  const RecorderTable& table = table_ == 'W' ? model_.Operational : model_.Overload;
  const int first = block_ * kEntriesPerBlock;
  for (int i = first; i < first + kEntriesPerBlock && i < table.Entries.size(); ++i) {
    QByteArray entry = SealEntry(table.Entries[i]);
    if (table_ == faults_.BadEntryTable && i == faults_.BadEntryIndex)
      entry[5] = char(entry[5] ^ 1);
    reply += entry;
  }
  if (faults_.BlockShortBy > 0) reply.chop(qMin<qsizetype>(faults_.BlockShortBy, reply.size() - 1));
  return reply;
}

QByteArray RecorderSimulator::Answer(const QByteArray& command) {
  const char c = command.front();
  QByteArray data;
  switch (c) {
    case '\xAA':
      return QByteArray("\xAA\x55", 2);
    case 'B': {
      const int n = static_cast<unsigned char>(command[1]);
      if (n >= faults_.RefuseSpeedFrom || n > 4) return QByteArray("B\0\0", 3);
      speed_ = n;
      return QByteArray("B") + command[1] + '\x55';
    }
    case 'I':
      PutLittle(data, model_.DeviceType | model_.DeviceVariant << 8, 2);
      return CheckedReply(c, data);
    case 'N':
      return CheckedReply(c, model_.CraneName.leftJustified(16, ' ', true));
    case 'P':
      PutLittle(data, model_.DeviceNumber, 3);
      PutLittle(data, model_.CraneNumber, 3);
      return CheckedReply(c, data);
    case 'M':
      for (quint16 v : model_.Maxima) PutLittle(data, v, 2);
      return CheckedReply(c, data);
    case 'D':
      return CheckedReply(c, model_.Clock.leftJustified(4, '\0', true));
    case 'C':
      for (quint32 v : model_.Bands) PutLittle(data, v, 3);
      PutLittle(data, model_.TotalCycles, 3);
      PutLittle(data, model_.MotoHours, 2);
      PutLittle(data, model_.NpCounter, 3);
      PutLittle(data, model_.SpectrumClass | model_.Maintenance << 8, 2);
      return CheckedReply(c, data);
    case 'T':
      PutLittle(data, quint32(model_.Operational.Entries.size()), 2);
      PutLittle(data, quint32(model_.Overload.Entries.size()), 2);
      PutLittle(data, model_.Operational.RingPosition, 2);
      PutLittle(data, model_.Overload.RingPosition, 2);
      return CheckedReply(c, data);
    case 'W':
    case 'O':
    case 'E':
    case 'F': {
      if (c != 'F') {
        table_ = c == 'E' ? 0 : c;  // "E" ends the table
        block_ = 0;
      }
      const char status = "\x01\x02\x03\xFF"[QByteArrayView("WOEF").indexOf(c)];
      return QByteArray(1, c) + (faults_.WrongStatus.contains(c) ? char(status ^ 0x40) : status);
    }
    case 'R':
      return Block(c);
    case 'S':
      ++block_;
      return Block(c);
    default:
      return {};
  }
}
