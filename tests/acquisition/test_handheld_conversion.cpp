#include "acquisition/handheld_conversion.h"
#include "archive/cp1251.h"
#include "archive/data_file.h"
#include "archive/number_text.h"
#include "tests/acquisition/handheld_fixture.h"
#include "tests/acquisition/table_entries.h"
#include "tests/support/full_device.h"
#include "tests/support/test_files.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 6, 14), QTime(10, 15, 42));
constexpr int kFirstOperationalRecord = 7;

struct QuietProgress : HandheldProgress {
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
  void Delay(int) override {}
};

class HandheldConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("data"))));
    model.DeviceType = 2;
    model.DeviceVariant = 10;
    // "KC-45717 ГИДРО" with two characters the display set lacks.
    model.CraneName = QByteArray("KC-45717 \xA1\xA5\xE0PO\x7E\xC8", 16);
    model.Maxima = {0x1980, 0x1C00, 0x2840, 0x2200};
    model.Clock = PackDateTime(14, 6, 24, 9, 30, 5);
    model.Bands = {12034, 5120, 2210, 640, 35};
    model.TotalCycles = 20039;
    model.MotoHours = 1843;
    model.NpCounter = 211;
    model.SpectrumClass = 2;
    model.Maintenance = 45;
    texts = {QStringLiteral("14.06.2024"), QStringLiteral("Петров ✓"), QStringLiteral("1187"),
             QStringLiteral("310457"), QStringLiteral("первая\r\nстрока")};
  }

  QByteArray Database() const { return PalmDatabaseBytes(HandheldRecords(model)); }

  bool Convert(const QByteArray& database, QIODevice* device = nullptr) {
    const QString source = dir.filePath(QStringLiteral("handheld.pdb"));
    EXPECT_TRUE(jwtest::WriteBytes(source, database));
    result = ConvertHandheldFile(source, dir.filePath(QStringLiteral("data")), kNow, texts,
                                 progress, device);
    return result.Ok;
  }

  QStringList Lines() const {
    QStringList lines =
        DecodeCp1251(jwtest::ReadBytes(result.FilePath)).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
  }

  QStringList DataFiles() const {
    return QDir(dir.filePath(QStringLiteral("data"))).entryList(QDir::Files | QDir::Hidden);
  }

  QTemporaryDir dir;
  RecorderModel model;
  HandheldFormTexts texts;
  QuietProgress progress;
  HandheldResult result;
};

TEST_F(HandheldConversionTest, WritesType2FileByteForByte) {
  // Stored ring 34: entry 0 goes behind the others.
  model.Operational = {{kType2A, kType2B, kType2Worked}, 34};
  model.Overload = {{kType2Worked, kType2A}, 33};

  ASSERT_TRUE(Convert(Database()));
  EXPECT_EQ(jwtest::ReadBytes(result.FilePath),
            jwtest::ReadBytes(JW_TEST_DATA_DIR "/acquisition/handheld_type2.bbi"));

  // A maxima record without the fourth value still gives four fields.
  QList<QByteArray> records = HandheldRecords(model);
  records[2] = records[2].left(8);
  ASSERT_TRUE(Convert(PalmDatabaseBytes(records)));
  EXPECT_EQ(Lines()[DataFile::kLineMaxima - 1], u"00000025;00000028;00000040;00000000;");
}

TEST_F(HandheldConversionTest, WritesType4FileByteForByte) {
  model.DeviceType = 4;
  model.DeviceVariant = 2;
  model.CraneName = QByteArray("EK-14", 5);
  model.Maxima = {0x10FF, 0x1E00, 0x2D80, 0x3201};
  model.SpectrumClass = 5;
  model.TotalCycles = 4000001;
  model.Bands = {1, 2, 3, 4, 5};
  model.MotoHours = 65535;
  model.NpCounter = 16777215;
  model.Maintenance = 255;
  texts = {QStringLiteral("20.06.24"), QStringLiteral("Сидорова"), QStringLiteral("4402"),
           QString(), QString()};
  // Stored ring 35: entries 0 and 1 go behind; stored ring 0 sends everything straight.
  model.Operational = {{kType4F, kType4G, QByteArray()}, 35};
  model.Overload = {{kType4G}, 0};

  ASSERT_TRUE(Convert(Database()));
  EXPECT_EQ(jwtest::ReadBytes(result.FilePath),
            jwtest::ReadBytes(JW_TEST_DATA_DIR "/acquisition/handheld_type4.bbi"));
}

TEST_F(HandheldConversionTest, EmptyTablesAndTypesWithoutRecordLayout) {
  // Both counts 0: no block records; the list needs seven entries.
  QList<QByteArray> records = HandheldRecords(model);
  ASSERT_TRUE(Convert(PalmDatabaseBytes(records.first(7))));
  EXPECT_EQ(Lines().mid(23), QStringList({DataFile::kHandheldColumnsType2, DataFile::kSeparator}));
  EXPECT_FALSE(Convert(PalmDatabaseBytes(records.first(6))));

  // Type 3: the blocks are read but not decoded, and must be there.
  model.DeviceType = 3;
  model.Operational = Table(40, 0);
  records = HandheldRecords(model);
  ASSERT_TRUE(Convert(PalmDatabaseBytes(records)));
  EXPECT_EQ(Lines().size(), 24);
  records[8] = QByteArray(1001, '\0');  // longer than the read buffer
  EXPECT_FALSE(Convert(PalmDatabaseBytes(records)));
}

// An entry is numbered by its place in the table: a bad entry drops only the rest of its
// block, the padding after the last entry is never decoded, and the count tells the lines.
TEST_F(HandheldConversionTest, BadEntryDropsTheRestOfItsBlockOnly) {
  struct Case {
    int entries, bad, ring;
    bool padded;  // the last block filled up to 32 entries with equal bytes
    QList<int> numbers;
  };
  auto range = [](int from, int to) {
    QList<int> numbers;
    for (int n = from; n < to; ++n) numbers.append(n);
    return numbers;
  };
  const Case cases[] = {
      {70, 40, 33, true, range(0, 40) + range(64, 70)},
      {70, 40, 33, false, range(0, 40) + range(64, 70)},
      {96, 40, 33, false, range(0, 40) + range(64, 96)},
      {70, 3, 33, true, range(0, 3) + range(32, 70)},
      // The ring split counts places too: entries 0 to 4 go behind the others.
      {70, 2, 33 + 5, true, range(32, 70) + range(0, 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.entries << " entries, bad " << c.bad);
    model.Operational = Table(c.entries, c.ring);
    QList<QByteArray> records = HandheldRecords(model);
    const int block = kFirstOperationalRecord + c.bad / 32;
    const int at = 1 + (c.bad % 32) * 28 + 5;
    records[block][at] = char(records[block][at] ^ 1);
    QByteArray& last = records[kFirstOperationalRecord + (c.entries - 1) / 32];
    if (c.padded) last.append(QByteArray(1 + 32 * 28 - last.size(), '\xA5'));
    ASSERT_TRUE(Convert(PalmDatabaseBytes(records)));
    const QStringList lines = Lines();
    EXPECT_EQ(lines[21],
              QStringLiteral("ТПЧР : ") + PadZeros(QString::number(c.numbers.size()), 5));
    EXPECT_EQ(Numbers(lines, 24, int(c.numbers.size())), c.numbers);
    EXPECT_EQ(lines[24 + c.numbers.size()], DataFile::kSeparator);
  }
}

// Every refusal leaves no file behind and keeps an older file of the same name.
TEST_F(HandheldConversionTest, RefusesBrokenFilesAndLeavesNothing) {
  model.Operational = Table(40, 0);
  model.Overload = Table(3, 0);
  const QByteArray good = Database();
  const QString older = dir.filePath(QStringLiteral("data/д14м06г2024ч10м15c42_1187.bbi"));

  const QList<QByteArray> records = HandheldRecords(model);
  const auto withRecord = [&](int index, const QByteArray& bytes) {
    QList<QByteArray> changed = records;
    changed[index] = bytes;
    return PalmDatabaseBytes(changed);
  };
  // The file with a number of its header or record list changed.
  const auto withNumber = [&](int at, quint32 value, int size = 4) {
    QByteArray file = good;
    PutBigEndian(file, at, value, size);
    return file;
  };
  const QList<std::pair<const char*, QByteArray>> broken = {
      {"header only", good.left(76)},
      {"list cut short", good.left(78 + 8 * 13)},
      {"more records than the table", withNumber(76, 501, 2)},
      {"file ends inside a block", good.left(good.size() - 40)},
      {"offset past the end", withNumber(78 + 8 * 12, quint32(good.size() + 500))},
      {"negative length",
       withNumber(78 + 8 * 5, qFromBigEndian<quint32>(good.constData() + 78 + 8 * 3))},
      {"offset above 2^31", withNumber(78 + 8 * 7, 0xFFFFFFF0)},
      {"maxima record too short", withRecord(2, records[2].left(7))},
      {"table record too short", withRecord(5, records[5].left(9))},
      {"header record over the buffer", withRecord(1, QByteArray(1002, 'A'))},
      {"block cut inside an entry", withRecord(8, records[8].left(1 + 5 * 28 + 10))},
  };
  for (const auto& [name, bytes] : broken) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(jwtest::WriteBytes(older, "older"));
    EXPECT_FALSE(Convert(bytes));
    EXPECT_EQ(DataFiles(), QStringList{QFileInfo(older).fileName()});
    EXPECT_EQ(jwtest::ReadBytes(older), "older");
  }
  // Lengths just at the limits are good.
  EXPECT_TRUE(Convert(withRecord(1, QByteArray(1001, 'A'))));
  EXPECT_TRUE(Convert(withRecord(5, records[5].left(10))));
}

TEST_F(HandheldConversionTest, RefusesWhatCannotBeOpenedOrWritten) {
  // A crane number that a file name cannot hold.
  texts.CraneNumber = QStringLiteral("11/87");
  EXPECT_FALSE(Convert(Database()));
  EXPECT_TRUE(DataFiles().isEmpty());
  texts.CraneNumber = QStringLiteral("1187");

  // The disk fills up while the record lines are written.
  model.Operational = Table(40, 0);
  FullDevice full(2000);
  EXPECT_FALSE(Convert(Database(), &full));
  EXPECT_TRUE(DataFiles().isEmpty());
}

// The last record's length is not known: it is never read past the record list.
TEST(PalmDatabaseTest, TheLastRecordHasNoLength) {
  QBuffer buffer;
  buffer.setData(PalmDatabaseBytes({"abc", "defgh"}));
  ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
  PalmDatabase database;
  ASSERT_TRUE(database.Open(buffer));
  EXPECT_EQ(database.RecordLength(1), std::nullopt);
}

}  // namespace
