#include "data_file_builder.h"
#include "mainwindow/data_file_reader.h"
#include "platform/chart_series.h"
#include "platform/grid_model.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace {

class ReaderTest : public ::testing::Test {
 protected:
  ReaderTest() {
    for (std::size_t k = 0; k < kGraphSeries; ++k) {
      series[k] = std::make_unique<ChartSeries>();
      targets.records.graphs[k] = series[k].get();
    }
    targets.Series1 = &spectrum;
    targets.records.SG_TPCR = &tpcr;
    targets.records.SG_TP = &tp;
    targets.records.SG_TPCR_Find = &find;
    hooks.progress = [this](int percent) { log << QString("progress %1").arg(percent); };
    hooks.pause = [this](int ms) { log << QString("pause %1").arg(ms); };
    hooks.message = [this](const QString& text, const QString& caption, BoxIcon icon) {
      log << QString("box '%1' '%2' %3")
                 .arg(text, caption, icon == BoxIcon::Error ? "error" : "none");
    };
  }

  bool Read(const FileSpec& spec) { return ReadLines(FileLines(spec)); }
  bool ReadLines(const QStringList& lines) {
    log.clear();
    return ReadDataFile(WriteDataFile(dir.path(), "д01м02г2023ч10м11c12_123.bbi", lines), data,
                        targets, hooks);
  }
  QStringList Row(const GridModel& grid, int row) const {
    QStringList cells;
    for (int c = 0; c < grid.ColCount(); ++c) cells << grid.Cells(c, row);
    return cells;
  }
  ChartSeries& G(int k) { return *series[std::size_t(k - 1)]; }

  QTemporaryDir dir;
  GridModel tpcr, tp, find;
  ChartSeries spectrum{SeriesKind::HorizontalBar};
  std::array<std::unique_ptr<ChartSeries>, kGraphSeries> series;
  ReadTargets targets;
  ReadHooks hooks;
  OpenFileData data;
  QStringList log;
};

const QString kReadError = "box 'Ошибка чтения файла' 'Ошибка' error";

TEST_F(ReaderTest, Type2FileFillsHeadingLongTermAndSpectrum) {
  FileSpec spec;
  spec.maxima = "00012,50;00020.00;00025.00;00030.00;";
  ASSERT_TRUE(Read(spec));
  EXPECT_EQ(data.CraneType, "КС-45717");
  EXPECT_EQ(data.CraneNumber, "123");
  EXPECT_EQ(data.DeviceNumber, "4567");
  EXPECT_EQ(data.ReadDate, "01.02.2023");
  EXPECT_EQ(data.OperatorName, "Иванов");
  EXPECT_EQ(data.Comment, "примечание");
  EXPECT_EQ(data.DeviceTypeText, "2");
  EXPECT_EQ(data.DeviceTypeCode, 2);
  EXPECT_EQ(data.DeviceVariant, 1);
  EXPECT_EQ(data.RatedMax, (std::array<double, 4>{12.5, 20, 25, 30}));
  ASSERT_EQ(spectrum.Count(), 5);
  const char* labels[] = {"(0...12,5)%", "(12,5...25)%", "(25...50)%", "(50...100)%", "(>100)%"};
  const QRgb colours[] = {0x0000FF, 0x00FF00, 0x008000, 0xFFFF00, 0xFF0000};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(spectrum.Label(i), labels[i]);
    EXPECT_EQ(spectrum.YValue(i), i + 1);
    EXPECT_EQ(spectrum.PointColour(i).rgb() & 0xFFFFFF, colours[i]);
  }
  EXPECT_EQ(log, QStringList{"pause 500"});
  EXPECT_EQ(ReadPanelText(dir.path() + "/д01м02г2023ч10м11c12_123.bbi"),
            "Чтение файла :  д01м02г2023ч10м11c12_123.bbi");

  spec.variant = "2";
  ASSERT_TRUE(Read(spec));
  EXPECT_EQ(data.DeviceVariant, 2);
  spec.variant = "3";
  ASSERT_TRUE(Read(spec));
  EXPECT_EQ(data.DeviceVariant, 0);
}

// Column by column and for both device types: the title in every grid, the description, the
// width and the cell of a record.
TEST_F(ReaderTest, RecordColumnsOfBothDeviceTypes) {
  const char* const kDegree = "Степень загрузки, %";
  const struct {
    const char *title2, *description2, *cell2, *title4, *description4, *cell4;
    int width;
  } columns[kRecordColumns] = {
      {"№", "Номер точки", "1", "№", "Номер точки", "1", 34},
      {"Дата и время", "Дата и время, дд.мм.гг чч:мм:сс", "01.02.03 04:05:06", "Дата и время",
       "Дата и время, дд.мм.гг чч:мм:сс", "01.02.03 04:05:06", 100},
      {"a", "Угол наклона стрелы, град.", "12.5", "a", "Угол подъема стрелы (башни), град.", "45",
       45},
      {"L", "Длина стрелы, м", "12", "b", "Угол подъема гуська (маневрового гуська), м", "30", 45},
      {"g", "Угол азимута, град.", "-12", "L1", "Длина стрелы (башни), м", "31.99", 45},
      {"Pп", "Давление в поршневой полости, атм.", "0", "L2",
       "Длина гуська (меневрового гуська), м", "21", 45},
      {"Pш", "Давление в штоковой полости, атм.", "50", "g", "Угол азимута, град.", "-90", 45},
      {"Nп", "Кратность запасовки полиспаста", "4", "Nп", "Кратность запасовки полиспаста", "2",
       30},
      {"C", "Код стрелового оборудования", "1", "K", "Код опорного контура", "3", 30},
      {"K", "Код опорного контура", "2", "F", "Усилие, т", "100", 43},
      {"Q", "Масса груза, т", "10", "Q", "Масса груза, т", "10", 45},
      {"R", "Вылет, м", "8", "R", "Вылет, м", "8", 45},
      {"H", "Высота подъема оголовка, м", "20", "H", "Высота подъема оголовка, м", "20", 45},
      {"Qmax", "Максимально-допустимая масса груза, т", "12", "Qmax",
       "Максимально-допустимая масса груза, т", "12", 45},
      {"Мз", kDegree, "83", "Мз", kDegree, "83", 30},
      {"Флаги", "х - х - Rmax - Rmin - ЛЭП", "10000", "Флаги",
       "Осн/всп.под.-Rmax-Rmin-стр/баш-крюк/грейфер-ЛЭП", "101010", 40},
      {"Выходы", "х - х - х - х - Реле КЗ - Реле ЗП", "000001", "Выходы", "Реле КЗ - Реле ЗП", "01",
       45},
      {"Входы",
       "ДУА180-ДДС15-ДЛ220-контр.расф.сек.ст-пов.вл-пов.впр-под.гр-оп.гр-огр.смат.кан-втяг.сек."
       "ст-опуск.ст-выдв.сек.ст-уск.раб-под.ст",
       "10000000000001", "Входы", "ДЛ220-оп.гр-огр.смат.кан-уск.раб-под.ст", "11000", 90},
  };
  Type2Record type2;
  type2.a = "0012.50";
  type2.g = "-012";
  type2.pp = "0000.00";
  for (const char* type : {"2", "4"}) {
    const bool four = QString(type) == "4";
    FileSpec spec;
    spec.type = type;
    spec.operational = {four ? Type4Record().Line() : type2.Line()};
    spec.overload = spec.operational;
    ASSERT_TRUE(Read(spec)) << type;
    for (int c = 0; c < kRecordColumns; ++c) {
      SCOPED_TRACE(QString("type %1 column %2").arg(type).arg(c).toStdString());
      const auto& col = columns[c];
      for (GridModel* grid : {&tpcr, &tp, &find}) {
        EXPECT_EQ(grid->Cells(c, 0), four ? col.title4 : col.title2);
        EXPECT_EQ(grid->ColWidth(c), col.width);
      }
      EXPECT_EQ(data.ColumnDescriptions[std::size_t(c)],
                four ? col.description4 : col.description2);
      EXPECT_EQ(tpcr.Cells(c, 1), four ? col.cell4 : col.cell2);
      EXPECT_EQ(tp.Cells(c, 1), four ? col.cell4 : col.cell2);
    }
    EXPECT_EQ(data.ColumnDescriptions[18], "");
    EXPECT_EQ(tpcr.DefaultRowHeight(), 17);
  }
}

TEST_F(ReaderTest, Type2RecordsBecomeRowsAndGraphPoints) {
  FileSpec spec;
  Type2Record first;
  first.g = "-012";
  first.a = "0012.50";
  first.pp = "0000.00";
  Type2Record zero;
  zero.stamp = "00.00.00 00:00:00";
  zero.a = "garbage";  // a skipped line is not converted
  Type2Record second;
  second.stamp = "02.02.03 04:05:06";
  second.g = "+000";
  second.m = "000";  // an operational line with load degree 0 is kept
  spec.operational = {first.Line(), zero.Line(), second.Line()};
  Type2Record overloadSkipped;
  overloadSkipped.m = "000";
  Type2Record overloadKept;
  overloadKept.m = "112";
  spec.overload = {overloadSkipped.Line(), overloadKept.Line()};
  ASSERT_TRUE(Read(spec));
  EXPECT_TRUE(data.TablesFilled);
  EXPECT_EQ(data.CountTPCR, 3);
  EXPECT_EQ(data.CountTP, 2);

  ASSERT_EQ(tpcr.RowCount(), 3);
  EXPECT_EQ(tpcr.Cells(0, 2), "2");
  EXPECT_EQ(tpcr.Cells(1, 2), "02.02.03 04:05:06");
  EXPECT_EQ(tpcr.Cells(4, 2), "0");
  EXPECT_EQ(tpcr.Cells(14, 2), "0");
  ASSERT_EQ(tp.RowCount(), 2);
  EXPECT_EQ(tp.Cells(0, 1), "1");
  EXPECT_EQ(tp.Cells(14, 1), "112");
  EXPECT_EQ(find.RowCount(), 1);

  // Series_G1 .. G10 in percent of their full scales, X = k - 1, the time as label.
  const double expected[] = {
      12.5 / 90 * 100, 12.0 / 40 * 100, -12.0 / 180 * 100, 0, 50.0 / 250 * 100, 10.0 / 20 * 100,
      8.0 / 10 * 100,  20.0 / 30 * 100, 12.0 / 20 * 100,   83};
  for (int k = 1; k <= 10; ++k) {
    ASSERT_EQ(G(k).Count(), 2) << k;
    EXPECT_DOUBLE_EQ(G(k).YValue(0), expected[k - 1]) << k;
    EXPECT_EQ(G(k).XValue(1), 1);
    EXPECT_EQ(G(k).Label(1), "02.02.03 04:05:06");
    EXPECT_TRUE(G(k).FollowsSeriesColour(0));
  }
  EXPECT_EQ(G(11).Count(), 0);

  // Progress after every line, kept or skipped: 3 + 2 lines.
  EXPECT_EQ(log, (QStringList{"progress 20", "progress 40", "progress 60", "progress 80",
                              "progress 100", "pause 500"}));
}

TEST_F(ReaderTest, Type4GraphScalesAndProgress) {
  FileSpec spec;
  spec.type = "4";
  Type4Record rec;
  spec.operational = {rec.Line(), rec.Line(), rec.Line()};
  spec.overload = {rec.Line()};
  ASSERT_TRUE(Read(spec));
  EXPECT_EQ(tpcr.Cells(0, 3), "3");
  EXPECT_DOUBLE_EQ(G(2).YValue(0), 30.0 / 90 * 100);
  EXPECT_DOUBLE_EQ(G(3).YValue(0), 31.99 / 63.99 * 100);
  EXPECT_DOUBLE_EQ(G(4).YValue(0), 21.0 / 63.0 * 100);
  EXPECT_DOUBLE_EQ(G(5).YValue(0), -50);
  EXPECT_EQ(
      log, (QStringList{"progress 25", "progress 50", "progress 75", "progress 100", "pause 500"}));
}

TEST_F(ReaderTest, TablesWithoutKeptRecordsShowOneEmptyRow) {
  FileSpec spec;
  Type2Record zero;
  zero.stamp = "00.00.00 00:00:00";
  spec.operational = {zero.Line(), zero.Line()};
  ASSERT_TRUE(Read(spec));
  ASSERT_EQ(tpcr.RowCount(), 2);
  EXPECT_EQ(Row(tpcr, 1), QStringList(18, QString()));
  ASSERT_EQ(tp.RowCount(), 2);
  EXPECT_EQ(Row(tp, 1), QStringList(18, QString()));
  EXPECT_EQ(G(1).Count(), 0);
}

TEST_F(ReaderTest, DeviceTypesWithoutRecordsAndBadCodes) {
  FileSpec full;
  full.operational = {Type2Record().Line()};
  ASSERT_TRUE(Read(full));
  ASSERT_EQ(G(1).Count(), 1);

  // Types 0, 1 and 3 open without tables; nothing of the previous file stays.
  for (const char* type : {"0", "1", "3"}) {
    FileSpec spec;
    spec.type = type;
    spec.stopAfterCounts = true;
    spec.countTPCR = "5";
    spec.spectrum = "Ci   : 00000009;00000008;00000007;00000006;00000005;";
    ASSERT_TRUE(Read(spec)) << type;
    EXPECT_EQ(data.DeviceTypeCode, QString(type).toInt());
    EXPECT_FALSE(data.TablesFilled);
    EXPECT_EQ(data.CountTPCR, 5);
    EXPECT_EQ(log, QStringList{"pause 500"});
    EXPECT_EQ(tpcr.RowCount(), 2);
    EXPECT_EQ(tpcr.Cells(0, 1), "");
    EXPECT_EQ(tpcr.Cells(1, 0), "Дата и время");
    EXPECT_EQ(tp.RowCount(), 2);
    EXPECT_EQ(G(1).Count(), 0);
    EXPECT_EQ(spectrum.YValue(0), 9);
  }

  // 258 is kept in 8 bits: type 2.
  full.type = "258";
  ASSERT_TRUE(Read(full));
  EXPECT_EQ(data.DeviceTypeCode, 2);
  EXPECT_EQ(tpcr.RowCount(), 2);
  EXPECT_EQ(tpcr.Cells(0, 1), "1");

  // Codes 5 to 255 fail after the header and long-term lines are read.
  for (const char* type : {"5", "7", "255", "-1"}) {
    FileSpec spec;
    spec.type = type;
    spec.operational = {Type2Record().Line()};
    EXPECT_FALSE(Read(spec)) << type;
    EXPECT_EQ(data.LongTerm.ST_Rezim, "A3");
    EXPECT_EQ(data.CountTPCR, 0);
    EXPECT_EQ(tpcr.Cells(0, 1), "");
    EXPECT_EQ(log, (QStringList{"pause 500", kReadError}));
  }
}

TEST_F(ReaderTest, HeaderFieldsThatDoNotConvertFailTheRead) {
  FileSpec spec;
  spec.variant = "десять";
  EXPECT_FALSE(Read(spec));
  EXPECT_EQ(data.LongTerm.ST_Csum, kNoValueText);
  EXPECT_EQ(log, (QStringList{"pause 500", kReadError}));

  spec = FileSpec();
  spec.maxima = "00020.00;00010.00;00030.00;";
  EXPECT_FALSE(Read(spec));

  spec = FileSpec();
  spec.spectrum = "Ci   : 00000001;00000002;0000000x;00000004;00000005;";
  EXPECT_FALSE(Read(spec));
  EXPECT_EQ(spectrum.Count(), 2);

  spec = FileSpec();
  spec.type = "zwei";
  EXPECT_FALSE(Read(spec));
  EXPECT_EQ(data.DeviceTypeText, "zwei");

  log.clear();
  EXPECT_FALSE(ReadDataFile(dir.path() + "/missing.bbi", data, targets, hooks));
  EXPECT_EQ(log, (QStringList{"pause 500", kReadError}));
}

TEST_F(ReaderTest, UntrustedCountsFailTheRead) {
  for (const char* count : {"-0001", "100000", "abc"}) {
    FileSpec spec;
    spec.type = "0";
    spec.stopAfterCounts = true;
    spec.countTP = count;
    EXPECT_FALSE(Read(spec)) << count;
    EXPECT_EQ(log, (QStringList{"pause 500", kReadError}));
  }
  FileSpec spec;
  spec.type = "0";
  spec.stopAfterCounts = true;
  spec.countTPCR = "99999";
  EXPECT_TRUE(Read(spec));
  EXPECT_EQ(data.CountTPCR, 99999);
}

TEST_F(ReaderTest, ShortFilesFailKeepingOnlyWholeRows) {
  FileSpec spec;
  Type2Record rec;
  spec.operational = {rec.Line(), rec.Line()};
  spec.countTPCR = "4";
  spec.countTP = "1";
  EXPECT_FALSE(Read(spec));
  // Line 3 is the separator, which does not convert; nothing after it is read.
  EXPECT_EQ(log, (QStringList{"progress 20", "progress 40", "pause 500", kReadError}));
  EXPECT_EQ(tpcr.RowCount(), 3);
  EXPECT_EQ(tp.RowCount(), 2);
  EXPECT_EQ(G(1).Count(), 2);
  EXPECT_FALSE(data.TablesFilled);

  // A line that fails half way leaves no partial row and no extra graph points.
  Type2Record half;
  half.q = "0010.0x";
  spec = FileSpec();
  spec.operational = {rec.Line(), half.Line()};
  EXPECT_FALSE(Read(spec));
  EXPECT_EQ(tpcr.RowCount(), 2);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(G(k).Count(), 1) << k;

  // Type 4 shows its own box once before the read error.
  FileSpec type4;
  type4.type = "4";
  type4.operational = {Type4Record().Line()};
  type4.countTPCR = "3";
  type4.stopAfterCounts = false;
  EXPECT_FALSE(Read(type4));
  EXPECT_EQ(log, (QStringList{"progress 33", "box '' 'Ошибка произошла здесь' none", "pause 500",
                              kReadError}));

  // A type-2 or type-4 file ending after line 23 fails; an overload line failing shows no box.
  type4.stopAfterCounts = true;
  EXPECT_FALSE(Read(type4));
  Type4Record badOverload;
  badOverload.m = "x12";
  type4 = FileSpec();
  type4.type = "4";
  type4.overload = {badOverload.Line()};
  EXPECT_FALSE(Read(type4));
  EXPECT_EQ(log, (QStringList{"pause 500", kReadError}));
}

TEST_F(ReaderTest, ZeroRatedMaximumGivesZeroPercentPoints) {
  FileSpec spec;
  spec.maxima = "00000.00;00000.00;00000.00;00000.00;";
  spec.operational = {Type2Record().Line()};
  ASSERT_TRUE(Read(spec));
  EXPECT_EQ(G(2).YValue(0), 0);
  EXPECT_EQ(G(6).YValue(0), 0);
  EXPECT_EQ(G(9).YValue(0), 0);
  EXPECT_DOUBLE_EQ(G(1).YValue(0), 45.5 / 90 * 100);
  EXPECT_EQ(tpcr.Cells(10, 1), "10");
}

TEST_F(ReaderTest, EveryReadStartsFromEmptyPages) {
  FileSpec spec;
  spec.operational = {Type2Record().Line()};
  spec.overload = {Type2Record().Line()};
  ASSERT_TRUE(Read(spec));
  find.SetRowCount(5);
  find.SetCells(3, 4, u"found");

  QStringList broken = FileLines(spec).mid(0, 5);  // ends in the header
  broken[4] = "x";
  EXPECT_FALSE(ReadLines(broken));
  EXPECT_EQ(data.LongTerm.ST_Csum, kNoValueText);
  EXPECT_EQ(data.LongTerm.ST_TO, kNoValueText);
  EXPECT_EQ(spectrum.Count(), 0);
  for (GridModel* grid : {&tpcr, &tp, &find}) {
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(Row(*grid, 1), QStringList(18, QString()));
  }
  for (int k = 1; k <= kGraphSeries; ++k) EXPECT_EQ(G(k).Count(), 0);
}

TEST_F(ReaderTest, FreshGridsGetTheRecordColumnsAndOneEmptyRow) {
  FileSpec spec;
  spec.type = "1";
  spec.stopAfterCounts = true;
  GridModel fresh;
  ReadTargets only;
  only.records.SG_TPCR = &fresh;
  ASSERT_TRUE(
      ReadDataFile(WriteDataFile(dir.path(), "a.bbi", FileLines(spec)), data, only, ReadHooks()));
  EXPECT_EQ(fresh.ColCount(), kRecordColumns);
  EXPECT_EQ(fresh.RowCount(), 2);
}

}  // namespace
