#include "tests/acquisition/handheld_fixture.h"

#include <QtEndian>

namespace {

constexpr int kHeaderSize = 78;
constexpr int kListEntrySize = 8;
constexpr int kEntriesPerBlock = 32;

int Blocks(qsizetype entries) {
  return int((entries + kEntriesPerBlock - 1) / kEntriesPerBlock);
}

void PutBig(QByteArray& out, int at, quint32 value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + i] = char((value >> (8 * (bytes - 1 - i))) & 0xFF);
}

}  // namespace

QList<QByteArray> HandheldRecords(const RecorderModel& model) {
  RecorderSimulator recorder(model);
  QList<QByteArray> records;
  for (const char* command : {"I", "N", "M", "D", "C", "T", "W"})
    records.append(recorder.Receive(command));
  const auto table = [&](qsizetype entries) {
    for (int k = 0; k < Blocks(entries); ++k) records.append(recorder.Receive(k == 0 ? "R" : "S"));
  };
  table(model.Operational.Entries.size());
  records.append(recorder.Receive("E"));
  records.append(recorder.Receive("O"));
  table(model.Overload.Entries.size());
  records.append(recorder.Receive("E"));
  records.append(recorder.Receive("F"));
  return records;
}

QByteArray PalmDatabaseBytes(const QList<QByteArray>& records) {
  QByteArray file(kHeaderSize, '\0');
  file.replace(0, 10, "KvarelRead");
  file.replace(60, 8, "DataJwhd");
  PutBig(file, 76, quint32(records.size()), 2);
  file.append(QByteArray(kListEntrySize * records.size() + 2, '\0'));
  for (int i = 0; i < records.size(); ++i) {
    PutBig(file, kHeaderSize + kListEntrySize * i, quint32(file.size()), 4);
    PutBig(file, kHeaderSize + kListEntrySize * i + 5, quint32(i + 1), 3);
    file.append(records[i]);
  }
  return file;
}

quint32 RecordOffset(const QByteArray& file, int index) {
  return qFromBigEndian<quint32>(file.constData() + kHeaderSize + kListEntrySize * index);
}

void SetRecordOffset(QByteArray& file, int index, quint32 offset) {
  PutBig(file, kHeaderSize + kListEntrySize * index, offset, 4);
}

void SetRecordCount(QByteArray& file, int count) {
  PutBig(file, 76, quint32(count), 2);
}
