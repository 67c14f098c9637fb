#include "tests/acquisition/handheld_fixture.h"

namespace {

constexpr int kHeaderSize = 78;
constexpr int kListEntrySize = 8;
constexpr int kEntriesPerBlock = 32;

int Blocks(qsizetype entries) {
  return int((entries + kEntriesPerBlock - 1) / kEntriesPerBlock);
}

}  // namespace

void PutBigEndian(QByteArray& file, int at, quint32 value, int size) {
  for (int i = 0; i < size; ++i) file[at + i] = char((value >> (8 * (size - 1 - i))) & 0xFF);
}

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
  PutBigEndian(file, 76, quint32(records.size()), 2);
  file.append(QByteArray(kListEntrySize * records.size() + 2, '\0'));
  for (int i = 0; i < records.size(); ++i) {
    PutBigEndian(file, kHeaderSize + kListEntrySize * i, quint32(file.size()), 4);
    PutBigEndian(file, kHeaderSize + kListEntrySize * i + 5, quint32(i + 1), 3);
    file.append(records[i]);
  }
  return file;
}
