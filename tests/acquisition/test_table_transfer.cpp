#include "acquisition/table_transfer.h"
#include "archive/cp1251.h"
#include "tests/acquisition/table_entries.h"
#include "tests/support/full_device.h"
#include "tests/support/test_files.h"
#include "tests/support/virtual_link.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 6, 14), QTime(10, 15, 42));

class TableTransferTest : public ::testing::Test {
 protected:
  TableTransferTest() : link(recorder) {}

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    header.CraneName = QStringLiteral("КБ-405.1А");
    header.CraneNumber = 1187;
    header.DeviceVariant = 10;
    header.DeviceNumber = 310457;
    header.ReadDate = QStringLiteral("14.06.2024");
    header.OperatorName = QStringLiteral("Петров");
  }

  // A fresh recorder and progress holding the two tables.
  void Tables(int type, RecorderTable operational, RecorderTable overload) {
    recorder = RecorderSimulator();
    progress = RecordingProgress();
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
  EXPECT_EQ(jwtest::ReadBytes(path),
            jwtest::ReadBytes(JW_TEST_DATA_DIR "/acquisition/readout_type2.bbi"));
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
  EXPECT_EQ(jwtest::ReadBytes(path),
            jwtest::ReadBytes(JW_TEST_DATA_DIR "/acquisition/readout_type4.bbi"));
}

// One block per 32 entries and at least one.
TEST_F(TableTransferTest, EmptyTableStillHasABlock) {
  Tables(2, Table(0, 0), Table(32, 0));
  ASSERT_TRUE(Run());
  EXPECT_EQ(recorder.CommandLetters(), "TWREORE");
  EXPECT_EQ(jwtest::ReadBytes(path).count("\r\n"), 25 + 32);
}

// Types 1 and 3 have no record layout: no column line, their blocks are fetched but dropped,
// and the file ends with the overload separator.
TEST_F(TableTransferTest, DeviceWithoutLayoutKeepsOnlyTheSeparator) {
  for (int type : {1, 3}) {
    SCOPED_TRACE(type);
    Tables(type, Table(40, 3), Table(2, 0));
    ASSERT_TRUE(Run());
    QStringList lines = DecodeCp1251(jwtest::ReadBytes(path)).split(QStringLiteral("\r\n"));
    lines.removeLast();
    ASSERT_EQ(lines.size(), 24);
    EXPECT_EQ(lines[3], QString::number(type));
    EXPECT_EQ(lines[21], u"ТПЧР : 00040");
    EXPECT_EQ(lines[22], u"ТП   : 00002");
    EXPECT_EQ(lines[23], u"-------- Таблица перегрузок -----------");
    EXPECT_EQ(recorder.CommandLetters(), "TWRSEORE");
  }
}

// Each failure stops at its command with its text and leaves no file; a bad entry stops its
// table unleft, a short block is never read past its end.
TEST_F(TableTransferTest, FailuresStopWithTheirTextAndLeaveNoFile) {
  struct Case {
    std::function<void(RecorderFaults&)> fault;
    int type;
    int entries;
    const char* commands;
    const char* text;
    int decoded = -1;
    bool secondLeave = false;
  };
  const Case cases[] = {
      {[](RecorderFaults& f) { f.WrongStatus = "W"; }, 2, 3, "TW", "Ошибка 0x01:Чтение данных"},
      {[](RecorderFaults& f) { f.WrongStatus = "E"; }, 2, 3, "TWRE", "Ошибка 0x02: Чтение данных"},
      {[](RecorderFaults& f) { f.WrongStatus = "O"; }, 2, 3, "TWREO", "Ошибка 0x03:Чтение данных"},
      {[](RecorderFaults&) {}, 2, 3, "TWREORE", "Ошибка 0x04:Чтение данных", -1, true},
      {[](RecorderFaults& f) {
         f.BadCheckFirstTry = "T";
         f.BadCheckTries = 2;
       },
       2, 3, "TT", "Ошибка данных"},
      // No answer at all: the empty data part passes the check but holds no sizes.
      {[](RecorderFaults& f) { f.SilentAfter = 'T'; }, 2, 3, "T", "Чтение данных о таблицах"},
      {[](RecorderFaults& f) {
         f.BadEntryTable = 'W';
         f.BadEntryIndex = 35;
       },
       2, 70, "TWRS", nullptr, 35},
      {[](RecorderFaults& f) { f.BlockShortBy = 10; }, 4, 20, "TWR", nullptr, 19},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commands);
    Tables(c.type, Table(c.entries, 1), Table(2, 0));
    c.fault(recorder.Faults());
    link.DuringWait = [&](char last) {
      if (c.secondLeave && last == 'O') recorder.Faults().WrongStatus = "E";
    };
    EXPECT_FALSE(Run());
    EXPECT_EQ(recorder.CommandLetters(), c.commands);
    if (c.text) {
      EXPECT_EQ(progress.Status.back(), QString::fromUtf8(c.text));
    }
    if (c.decoded >= 0) {
      EXPECT_EQ(context.EntryCounter, c.decoded);
    }
    EXPECT_TRUE(NoFiles());
  }
  link.DuringWait = nullptr;
}

TEST_F(TableTransferTest, FailedWritesFailTheReadoutAndKeepAnOlderFile) {
  const QString target = dir.filePath(QStringLiteral("д14м06г2024ч10м15c42_1187.bbi"));
  ASSERT_TRUE(jwtest::WriteBytes(target, "older reading\r\n"));
  // The disk fills up during the operational blocks, or has no room for the header: then the
  // table information is not even asked for.
  for (const auto& [room, commands] : {std::pair{3000, "TWR"}, std::pair{10, ""}}) {
    SCOPED_TRACE(room);
    Tables(2, Table(70, 3), Table(2, 0));
    FullDevice full(room);
    EXPECT_FALSE(Run(&full));
    EXPECT_EQ(recorder.CommandLetters(), commands);
    EXPECT_EQ(jwtest::ReadBytes(target), "older reading\r\n");
  }
  QFile::remove(target);

  // A data directory that cannot take the file fails the readout before any command.
  context.LinkOk = true;
  TableTransfer lost(context, readActive, {link, link, progress});
  lost.CreateDataFile(dir.path() + QStringLiteral("/missing"), kNow, header);
  EXPECT_FALSE(context.LinkOk);
  EXPECT_FALSE(lost.Finish());
  EXPECT_TRUE(NoFiles());
}

}  // namespace
