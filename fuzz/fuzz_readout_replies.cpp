// Any bytes as the recorder's replies to a whole readout, through the readout's link with no
// waiting: the readout never crashes, keeps a file exactly when it says so, and keeps it only
// when every table block it read checked out. For a device type with a record layout that is:
// as many blocks as the table sizes ask, each holding the entries still due whole and with a
// good check, and the file's record lines are those entries in ring order. Other device types
// keep no record lines.
#include "acquisition/record_decoder.h"
#include "acquisition/recorder_readout.h"
#include "archive/cp1251.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/readout_fakes.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace {

// A reply the readout read, with the command it answered.
struct Reply {
  char command;
  QByteArray bytes;
};

// The recorder's side: each command takes the next reply of the input.
class ReplayLink : public RecorderLink, public ReadoutWaits {
 public:
  explicit ReplayLink(QByteArrayView input) : input_(input) {}

  void WriteText(QByteArrayView bytes) override {
    command_ = bytes.isEmpty() ? '\0' : bytes.front();
    if (input_.size() < 2) {
      input_ = {};
      pending_.clear();
      return;
    }
    const int length = uchar(input_[0]) | (uchar(input_[1]) << 8);
    input_ = input_.sliced(2);
    if (length == kPortFailure) throw std::runtime_error("port failed");
    const QByteArrayView reply = input_.first(std::min<qsizetype>(length, input_.size()));
    input_ = input_.sliced(reply.size());
    pending_ = reply.toByteArray();
  }
  int InQueueCount() override { return int(pending_.size()); }
  QByteArray ReadText() override {
    Read.append({command_, pending_});
    return std::exchange(pending_, {});
  }
  void PurgeAll() override { pending_.clear(); }
  void Delay(int) override {}
  void WaitProcessingMessages(int) override {}

  QList<Reply> Read;

 private:
  QByteArrayView input_;
  QByteArray pending_;
  char command_ = '\0';
};

int Word(const QByteArray& data, int at) {
  return uchar(data[at]) | (uchar(data[at + 1]) << 8);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  JW_CHECK(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

struct Table {
  int count = 0;
  int split = 0;
  QList<QByteArray> blocks;  // data parts of the "R" and "S" replies
};

// The record lines the table's blocks give, in ring order; every block checks out.
QStringList CheckedLines(const Table& table, bool type4) {
  const int blocks = table.count <= 0 ? 1 : (table.count + kEntriesPerBlock - 1) / kEntriesPerBlock;
  JW_CHECK(table.blocks.size() == blocks);
  QStringList entries;
  for (const QByteArray& block : table.blocks) {
    const int due = std::min<int>(kEntriesPerBlock, table.count - int(entries.size()));
    JW_CHECK(block.size() >= qsizetype(due) * kEntrySize);
    for (int k = 0; k < due; ++k) {
      const QByteArrayView entry = QByteArrayView(block).sliced(k * kEntrySize, kEntrySize);
      JW_CHECK(IsXorBlockValid(entry));
      entries << (type4 ? RecordLineType4(entry) : RecordLineType2(entry));
    }
  }
  const int split = std::min(table.split, table.count);
  return entries.mid(split) + entries.first(split);
}

void CheckKeptFile(const QString& path, const QList<Reply>& replies) {
  QStringList lines = DecodeCp1251(ReadAll(path)).split(QStringLiteral("\r\n"));
  JW_CHECK(lines.size() >= 25 && lines.last().isEmpty());
  lines.removeLast();
  const int type = lines[3].toInt();
  if (type != 2 && type != 4) {
    JW_CHECK(lines.size() == 24);
    return;
  }
  // The table sizes come from the last "T" reply; the blocks between "W" or "O" and "E".
  QByteArray info;
  Table tables[2];
  Table* current = nullptr;
  for (const Reply& reply : replies) {
    const QByteArray data = reply.bytes.mid(1);
    switch (reply.command) {
      case 'T':
        info = data;
        break;
      case 'W':
        current = &tables[0];
        break;
      case 'O':
        current = &tables[1];
        break;
      case 'E':
        current = nullptr;
        break;
      case 'R':
      case 'S':
        JW_CHECK(current);
        current->blocks << data;
        break;
      default:
        break;
    }
  }
  JW_CHECK(info.size() >= 8);
  tables[0].count = Word(info, 0);
  tables[0].split = Word(info, 4);
  tables[1].count = Word(info, 2);
  tables[1].split = Word(info, 6);
  const QStringList operational = CheckedLines(tables[0], type == 4);
  const QStringList overload = CheckedLines(tables[1], type == 4);
  JW_CHECK(lines.size() == 25 + operational.size() + overload.size());
  JW_CHECK(lines.mid(24, operational.size()) == operational);
  JW_CHECK(lines.mid(25 + operational.size()) == overload);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  FuzzFolder(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const QByteArrayView in(data, qsizetype(size));
  ReplayLink link(in.sliced(1));
  SilentProgress progress;
  FixedWindow window(uchar(in[0]) % 7, FuzzFolder().path());
  RecorderReadout readout(link, link, progress, window);
  readout.Arm();
  const bool kept = readout.Run();
  const QString path = readout.FilePath;
  JW_CHECK(kept == QFile::exists(path));
  if (kept) CheckKeptFile(path, link.Read);
  // Nothing else is ever left in the folder.
  QFile::remove(path);
  JW_CHECK(QDir(FuzzFolder().path()).isEmpty());
  return 0;
}
