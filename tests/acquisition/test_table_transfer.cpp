#include "acquisition/table_transfer.h"
#include "archive/cp1251.h"
#include "tests/acquisition/table_entries.h"
#include "tests/support/full_device.h"
#include "tests/support/virtual_link.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

namespace {

const QDateTime kNow(QDate(2024, 6, 14), QTime(10, 15, 42));

class TableTransferTest : public ::testing::Test {
 protected:
  TableTransferTest() : link(recorder) {}

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    header.CraneName = QStringLiteral("КБ-405.1А");
    header.CraneNumber = 1187;
    header.DeviceTypeCode = 2;
    header.DeviceVariant = 10;
    header.DeviceNumber = 310457;
    header.ReadDate = QStringLiteral("14.06.2024");
    header.OperatorName = QStringLiteral("Петров");
  }

  void Tables(int type, RecorderTable operational, RecorderTable overload) {
    header.DeviceTypeCode = quint8(type);
    recorder.Model().DeviceType = quint8(type);
    recorder.Model().Operational = std::move(operational);
    recorder.Model().Overload = std::move(overload);
  }

  // Steps 12 to 21 and the keeping of the file; true when the file was kept.
  bool Run(QIODevice* device = nullptr) {
    context.LinkOk = true;
    TableTransfer transfer(context, readActive, {link, link, progress}, device);
    transfer.CreateDataFile(dir.path(), kNow, header);
    path = transfer.FilePath();
    transfer.ReadTableInfo();
    transfer.TransferTables();
    return transfer.Finish();
  }

  QStringList Lines() const {
    QStringList lines = DecodeCp1251(FileBytes(path)).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
  }
  // The time-stamp numbers of the record lines after the column line.
  QList<int> Numbers(int from, int count) const {
    QList<int> numbers;
    const QStringList lines = Lines();
    for (int i = from; i < from + count && i < lines.size(); ++i)
      numbers.append(lines[i].mid(12, 2).toInt() * 60 + lines[i].mid(15, 2).toInt());
    return numbers;
  }
  bool NoFiles() const { return QDir(dir.path()).entryList(QDir::Files).isEmpty(); }

  QTemporaryDir dir;
  RecorderSimulator recorder;
  VirtualRecorderLink link;
  RecordingProgress progress;
  DecoderContext context;
  bool readActive = true;
  ReadoutHeader header;
  QString path;
};

TEST_F(TableTransferTest, WritesType2FileByteForByte) {
  header.Comment = QStringLiteral("Плановая\r\nпроверка");
  header.OperatorName = QStringLiteral("Петров ✓");
  header.RecorderClock = QStringLiteral("14.06.24 09:30:05");
  header.MaximaLine = QStringLiteral("000025.5;00000028;00040.25;00000034;");
  header.SpectrumLine = QStringLiteral("Ci   : 00012034;00005120;00002210;00000640;00000035;");
  header.CyclesLine = QStringLiteral("Csum : 20039");
  header.MotoHoursLine = QStringLiteral("Mch  : 1843");
  header.CharNumberLine = QStringLiteral("Np   : 211");
  header.SpectrumClassLine = QStringLiteral("Km   : 2");
  header.MaintenanceLine = QStringLiteral("T0   : 45");
  header.Duty = {QStringLiteral("U1"), QStringLiteral("0.25"), QStringLiteral("A1")};
  Tables(2, {{kType2A, kType2B, QByteArray()}, 1}, {{kType2Worked, kType2A}, 0});

  ASSERT_TRUE(Run());
  EXPECT_EQ(progress.FileName, u"д14м06г2024ч10м15c42_1187.bbi");
  EXPECT_EQ(path, dir.path() + QStringLiteral("/д14м06г2024ч10м15c42_1187.bbi"));
  EXPECT_EQ(FileBytes(path), FileBytes(JW_TEST_DATA_DIR "/acquisition/readout_type2.bbi"));
  EXPECT_EQ(recorder.CommandLetters(), "TWREORE");
}

TEST_F(TableTransferTest, WritesType4FileByteForByte) {
  header.CraneName = QStringLiteral("ЭКСКАВАТОР ЭК-14");
  header.CraneNumber = 4402;
  header.DeviceVariant = 2;
  header.DeviceNumber = 220931;
  header.ReadDate = QStringLiteral("20.06.2024");
  header.OperatorName = QStringLiteral("Сидорова");
  header.RecorderClock = QStringLiteral("20.06.24 08:00:00");
  header.MaximaLine = QStringLiteral("00000016;00000030;00000045;00000050;");
  header.SpectrumLine = QStringLiteral("Ci   : 00000001;00000002;00000003;00000004;00000005;");
  header.CyclesLine = QStringLiteral("Csum : 4000001");
  header.MotoHoursLine = QStringLiteral("Mch  : 65535");
  header.CharNumberLine = QStringLiteral("Np   : 16777215");
  header.SpectrumClassLine = QStringLiteral("Km   : 5");
  header.MaintenanceLine = QStringLiteral("T0   : 255");
  ComputeDutyClass(5, 4000001, header.Duty);
  Tables(4, {{kType4F, kType4G, QByteArray()}, 2}, {{kType4G}, 5});

  ASSERT_TRUE(Run());
  EXPECT_EQ(FileBytes(path), FileBytes(JW_TEST_DATA_DIR "/acquisition/readout_type4.bbi"));
}

TEST_F(TableTransferTest, PutsEachTableOldestFirst) {
  Tables(2, Table(5, 2), Table(5, 0));
  ASSERT_TRUE(Run());
  EXPECT_EQ(Numbers(24, 5), QList<int>({2, 3, 4, 0, 1}));
  EXPECT_EQ(Lines()[29], u"-------- Таблица перегрузок -----------");
  EXPECT_EQ(Numbers(30, 5), QList<int>({0, 1, 2, 3, 4}));

  for (int ring : {5, 9}) {
    Tables(4, Table(3, ring), Table(40, 0));
    ASSERT_TRUE(Run());
    EXPECT_EQ(Numbers(24, 3), QList<int>({0, 1, 2}));
    EXPECT_EQ(Numbers(28, 40).size(), 40);
    EXPECT_EQ(Numbers(28, 40).back(), 39);
    EXPECT_EQ(Lines().size(), 68);
  }
  // The overload table of 40 with ring 9 crosses a block boundary.
  Tables(4, Table(0, 0), Table(40, 9));
  ASSERT_TRUE(Run());
  const QList<int> overload = Numbers(25, 40);
  EXPECT_EQ(overload.front(), 9);
  EXPECT_EQ(overload[30], 39);
  EXPECT_EQ(overload[31], 0);
  EXPECT_EQ(overload.back(), 8);
}

TEST_F(TableTransferTest, RequestsOneBlockPer32EntriesAndAtLeastOne) {
  Tables(2, Table(0, 0), Table(32, 0));
  ASSERT_TRUE(Run());
  EXPECT_EQ(recorder.CommandLetters(), "TWREORE");
  EXPECT_EQ(Lines().size(), 25 + 32);

  recorder = RecorderSimulator();
  Tables(2, Table(33, 0), Table(0, 0));
  qsizetype before = link.Waits().size();
  ASSERT_TRUE(Run());
  EXPECT_EQ(recorder.CommandLetters(), "TWRSEORE");
  EXPECT_EQ(Numbers(24, 33).back(), 32);
  // The operational table waits 6000 ms for its first block and 10000 ms for the next;
  // a reply that stops growing ends the wait at a timer tick.
  QList<int> limits;
  for (const auto& w : link.Waits().mid(before))
    if (w.Processing) {
      limits.append(w.LimitMs);
      EXPECT_EQ(w.TookMs, 400);
    }
  EXPECT_EQ(limits, QList<int>({6000, 10000, 6000}));

  recorder = RecorderSimulator();
  Tables(2, Table(0, 0), Table(70, 0));
  before = link.Waits().size();
  ASSERT_TRUE(Run());
  EXPECT_EQ(recorder.CommandLetters(), "TWREORSSE");
  for (qsizetype i = before; i < link.Waits().size(); ++i)
    if (link.Waits()[i].Processing) {
      EXPECT_EQ(link.Waits()[i].LimitMs, 6000);
    }
}

TEST_F(TableTransferTest, WaitsAfterEveryCommandInOrder) {
  Tables(2, Table(33, 0), Table(1, 0));
  ASSERT_TRUE(Run());
  QStringList waits;
  for (const auto& w : link.Waits())
    waits.append(QStringLiteral("%1%2 %3")
                     .arg(w.AfterCommand)
                     .arg(w.Processing ? QStringLiteral("~") : QString())
                     .arg(w.LimitMs));
  // 500 ms after each short command, the block waits, 200 ms before the scratch store is
  // renewed and 100 ms before the file is kept.
  EXPECT_EQ(waits, QStringList({"T 500", "W 500", "R~ 6000", "S~ 10000", "E 500", "E 200", "O 500",
                                "R~ 6000", "E 500", "E 100"}));
}

TEST_F(TableTransferTest, ShowsProgressPerFurtherBlock) {
  Tables(2, Table(100, 0), Table(50, 0));
  ASSERT_TRUE(Run());
  EXPECT_EQ(progress.Max, 4);
  EXPECT_EQ(progress.Positions, QList<int>({1, 2, 3, 4}));
  EXPECT_EQ(progress.Remaining,
            QStringList({"Считано : 25 %", "Считано : 50 %", "Считано : 75 %", "Считано : 100 %"}));
  EXPECT_EQ(progress.Status,
            QStringList({"Чтение данных о таблицах", "Чтение данных", "Чтение данных"}));
}

TEST_F(TableTransferTest, DeviceWithoutLayoutKeepsOnlyTheSeparator) {
  for (int type : {1, 3}) {
    recorder = RecorderSimulator();
    Tables(type, Table(40, 3), Table(2, 0));
    ASSERT_TRUE(Run()) << type;
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 24) << type;
    EXPECT_EQ(lines[3], QString::number(type));
    EXPECT_EQ(lines[21], u"ТПЧР : 00040");
    EXPECT_EQ(lines[22], u"ТП   : 00002");
    EXPECT_EQ(lines[23], u"-------- Таблица перегрузок -----------");
    EXPECT_EQ(recorder.CommandLetters(), "TWRSEORE");
  }
}

TEST_F(TableTransferTest, WrongStatusBytesFailWithTheirTexts) {
  struct Case {
    const char* wrong;
    bool secondLeaveOnly;
    const char* text;
    const char* commands;
  };
  const Case cases[] = {
      {"W", false, "Ошибка 0x01:Чтение данных", "TW"},
      {"E", false, "Ошибка 0x02: Чтение данных", "TWRE"},
      {"O", false, "Ошибка 0x03:Чтение данных", "TWREO"},
      {"E", true, "Ошибка 0x04:Чтение данных", "TWREORE"},
  };
  for (const Case& c : cases) {
    recorder = RecorderSimulator();
    progress = RecordingProgress();
    Tables(2, Table(3, 1), Table(2, 0));
    if (c.secondLeaveOnly) {
      link.DuringWait = [&](char last) {
        if (last == 'O') recorder.Faults().WrongStatus = "E";
      };
    } else {
      recorder.Faults().WrongStatus = c.wrong;
    }
    EXPECT_FALSE(Run()) << c.text;
    link.DuringWait = nullptr;
    EXPECT_FALSE(context.LinkOk);
    EXPECT_EQ(progress.Status.back(), QString::fromUtf8(c.text));
    EXPECT_EQ(recorder.CommandLetters(), c.commands) << c.text;
    EXPECT_TRUE(NoFiles()) << c.text;
  }

  // A status reply without its byte fails without a text.
  recorder = RecorderSimulator();
  progress = RecordingProgress();
  Tables(2, Table(3, 1), Table(2, 0));
  recorder.Faults().SilentAfter = 'W';
  EXPECT_FALSE(Run());
  EXPECT_EQ(progress.Status.back(), u"Чтение данных");
  EXPECT_TRUE(NoFiles());
}

TEST_F(TableTransferTest, TableInfoIsAskedAgainOnceAfterABadCheck) {
  Tables(2, Table(3, 0), Table(0, 0));
  recorder.Faults().BadCheckFirstTry = "T";
  ASSERT_TRUE(Run());
  EXPECT_EQ(progress.Status.mid(0, 2), QStringList({"Чтение данных о таблицах", "Повтор чтения"}));
  EXPECT_EQ(recorder.CommandLetters(), "TTWREORE");
  QFile::remove(path);

  // Bad twice: the step's error text, and nothing is left.
  recorder = RecorderSimulator();
  progress = RecordingProgress();
  Tables(2, Table(3, 0), Table(0, 0));
  recorder.Faults().BadCheckFirstTry = "T";
  recorder.Faults().BadCheckTries = 2;
  EXPECT_FALSE(Run());
  EXPECT_EQ(progress.Status.back(), u"Ошибка данных");
  EXPECT_EQ(recorder.CommandLetters(), "TT");
  EXPECT_TRUE(NoFiles());

  // No answer at all: the empty data part passes the check but holds no sizes.
  recorder = RecorderSimulator();
  progress = RecordingProgress();
  Tables(2, Table(3, 0), Table(0, 0));
  recorder.Faults().SilentAfter = 'T';
  EXPECT_FALSE(Run());
  EXPECT_EQ(progress.Status.back(), u"Чтение данных о таблицах");
  EXPECT_EQ(recorder.CommandLetters(), "T");
  EXPECT_TRUE(NoFiles());
}

TEST_F(TableTransferTest, BadEntryInTheSecondBlockStopsTheTable) {
  Tables(2, Table(70, 0), Table(2, 0));
  recorder.Faults().BadEntryTable = 'W';
  recorder.Faults().BadEntryIndex = 35;
  EXPECT_FALSE(Run());
  EXPECT_FALSE(context.LinkOk);
  EXPECT_EQ(context.EntryCounter, 35);
  // The third block is never asked for and the table is not left here.
  EXPECT_EQ(recorder.CommandLetters(), "TWRS");
  EXPECT_TRUE(NoFiles());
}

TEST_F(TableTransferTest, ShortBlockFailsWithoutReadingPastIt) {
  Tables(4, Table(20, 0), Table(0, 0));
  recorder.Faults().BlockShortBy = 10;
  EXPECT_FALSE(Run());
  EXPECT_EQ(context.EntryCounter, 19);
  EXPECT_EQ(recorder.CommandLetters(), "TWR");
  EXPECT_TRUE(NoFiles());
}

TEST_F(TableTransferTest, CancelDuringABlockWait) {
  // Cancel after the first "S": that block gets its extra "R" and is not decoded.
  Tables(2, Table(70, 0), Table(2, 0));
  link.DuringWait = [&](char last) {
    if (last == 'S') {
      context.LinkOk = false;
      readActive = false;
    }
  };
  EXPECT_FALSE(Run());
  EXPECT_EQ(recorder.CommandLetters(), "TWRSR");
  EXPECT_EQ(context.EntryCounter, 32);
  const auto lastBlockWait = std::find_if(link.Waits().rbegin(), link.Waits().rend(),
                                          [](const auto& w) { return w.Processing; });
  EXPECT_EQ(lastBlockWait->LimitMs, 10000);
  EXPECT_EQ(lastBlockWait->AfterCommand, 'R');
  EXPECT_TRUE(NoFiles());

  // Cancel while the first block is awaited: nothing of it is decoded.
  recorder = RecorderSimulator();
  Tables(2, Table(70, 0), Table(2, 0));
  readActive = true;
  link.DuringWait = [&](char last) {
    if (last == 'R') {
      context.LinkOk = false;
      readActive = false;
    }
  };
  EXPECT_FALSE(Run());
  EXPECT_EQ(recorder.CommandLetters(), "TWR");
  EXPECT_EQ(context.EntryCounter, 0);
  EXPECT_TRUE(NoFiles());
}

TEST_F(TableTransferTest, FailedWritesFailTheReadout) {
  Tables(2, Table(70, 3), Table(2, 0));
  ASSERT_TRUE(Run());
  const QByteArray whole = FileBytes(path);
  const qsizetype columnLine = whole.indexOf("DATA ");
  QFile::remove(path);

  // The disk fills up during the operational blocks.
  recorder = RecorderSimulator();
  Tables(2, Table(70, 3), Table(2, 0));
  FullDevice full(columnLine + 2000);
  EXPECT_FALSE(Run(&full));
  EXPECT_FALSE(context.LinkOk);
  EXPECT_EQ(recorder.CommandLetters(), "TWR");

  // No room for the column line.
  recorder = RecorderSimulator();
  progress = RecordingProgress();
  Tables(2, Table(70, 3), Table(2, 0));
  FullDevice noColumns(columnLine);
  EXPECT_FALSE(Run(&noColumns));
  EXPECT_EQ(progress.Status.back(), u"Ошибка 0x00:Запись данных");
  EXPECT_EQ(recorder.CommandLetters(), "T");

  // No room for the header: the table information is not even asked for.
  recorder = RecorderSimulator();
  FullDevice none(10);
  EXPECT_FALSE(Run(&none));
  EXPECT_TRUE(recorder.CommandLetters().isEmpty());
  EXPECT_TRUE(NoFiles());
}

TEST_F(TableTransferTest, FailureKeepsAnOlderFileOfTheSameName) {
  Tables(2, Table(3, 0), Table(0, 0));
  const QString target = dir.path() + QStringLiteral("/д14м06г2024ч10м15c42_1187.bbi");
  {
    QFile older(target);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older reading\r\n");
  }
  recorder.Faults().WrongStatus = "O";
  EXPECT_FALSE(Run());
  EXPECT_EQ(FileBytes(target), "older reading\r\n");

  // A readout that failed before the header still names and drops its file.
  recorder = RecorderSimulator();
  progress = RecordingProgress();
  QFile::remove(target);
  context.LinkOk = false;
  TableTransfer transfer(context, readActive, {link, link, progress});
  transfer.CreateDataFile(dir.path(), kNow, header);
  transfer.ReadTableInfo();
  transfer.TransferTables();
  EXPECT_FALSE(transfer.Finish());
  EXPECT_EQ(progress.FileName, u"д14м06г2024ч10м15c42_1187.bbi");
  EXPECT_TRUE(recorder.CommandLetters().isEmpty());
  EXPECT_TRUE(NoFiles());

  // A data directory that cannot take the file fails the readout before any command.
  context.LinkOk = true;
  TableTransfer lost(context, readActive, {link, link, progress});
  lost.CreateDataFile(dir.path() + QStringLiteral("/missing"), kNow, header);
  EXPECT_FALSE(context.LinkOk);
  lost.ReadTableInfo();
  EXPECT_TRUE(recorder.CommandLetters().isEmpty());
  EXPECT_FALSE(lost.Finish());
}

}  // namespace
