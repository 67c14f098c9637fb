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
const QStringList kFailed = {"pause 500", kReadError};

TEST_F(ReaderTest, Type2FileFillsHeadingLongTermAndSpectrum) {
  FileSpec spec;
  spec.maxima = "00012,50;00020.00;00025.00;00030.00;";
  ASSERT_TRUE(Read(spec));
  EXPECT_EQ(data.CraneType, "КС-45717");
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
  const Type2Record type2{.a = "0012.50", .g = "-012", .pp = "0000.00"};
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
  }
}

TEST_F(ReaderTest, RecordsBecomeRowsAndGraphPointsOfBothTypes) {
  const Type2Record first{.a = "0012.50", .g = "-012", .pp = "0000.00"};
  const Type2Record zero{.stamp = "00.00.00 00:00:00", .a = "garbage"};  // skipped, unconverted
  const Type2Record second{.stamp = "02.02.03 04:05:06", .m = "000"};    // load 0 is kept
  FileSpec spec;
  spec.operational = {first.Line(), zero.Line(), second.Line()};
  // An overload line with load degree 0 is skipped.
  spec.overload = {Type2Record{.m = "000"}.Line(), Type2Record{.m = "112"}.Line()};
  ASSERT_TRUE(Read(spec));
  ASSERT_EQ(tpcr.RowCount(), 3);
  EXPECT_EQ(tpcr.Cells(1, 2), "02.02.03 04:05:06");
  ASSERT_EQ(tp.RowCount(), 2);
  EXPECT_EQ(tp.Cells(14, 1), "112");

  // Series_G1 .. G10 in percent of their full scales, X = k - 1, the time as label.
  const double expected[] = {
      12.5 / 90 * 100, 12.0 / 40 * 100, -12.0 / 180 * 100, 0, 50.0 / 250 * 100, 10.0 / 20 * 100,
      8.0 / 10 * 100,  20.0 / 30 * 100, 12.0 / 20 * 100,   83};
  for (int k = 1; k <= 10; ++k) {
    ASSERT_EQ(G(k).Count(), 2) << k;
    EXPECT_DOUBLE_EQ(G(k).YValue(0), expected[k - 1]) << k;
  }
  // Progress after every line, kept or skipped: 3 + 2 lines.
  EXPECT_EQ(log, (QStringList{"progress 20", "progress 40", "progress 60", "progress 80",
                              "progress 100", "pause 500"}));
}

TEST_F(ReaderTest, HeaderFieldsAndCountsThatDoNotConvertFailTheRead) {
  const struct {
    QString FileSpec::*field;
    QString text;
  } cases[] = {
      {&FileSpec::variant, "десять"},
      {&FileSpec::maxima, "00020.00;00010.00;00030.00;"},
      {&FileSpec::spectrum, "Ci   : 00000001;00000002;0000000x;00000004;00000005;"},
      {&FileSpec::countTP, "-0001"},
      {&FileSpec::countTP, "100000"},
      {&FileSpec::countTPCR, "abc"},
      {&FileSpec::type, "5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    FileSpec spec;
    spec.type = "0";
    spec.stopAfterCounts = true;
    spec.*c.field = c.text;
    EXPECT_FALSE(Read(spec));
    EXPECT_EQ(log, kFailed);
  }
  FileSpec spec;
  spec.type = "0";
  spec.stopAfterCounts = true;
  spec.countTPCR = "99999";
  EXPECT_TRUE(Read(spec));
}

// A line that fails half way leaves no partial row and no extra graph points; a rated
// maximum of 0 gives points at 0.
TEST_F(ReaderTest, BadLinesKeepOnlyWholeRowsAndZeroMaximaGiveZeroPoints) {
  FileSpec spec;
  spec.maxima = "00000.00;00000.00;00000.00;00000.00;";
  spec.operational = {Type2Record().Line(), Type2Record{.q = "0010.0x"}.Line()};
  EXPECT_FALSE(Read(spec));
  EXPECT_EQ(tpcr.RowCount(), 2);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(G(k).Count(), 1) << k;
  EXPECT_EQ(G(2).YValue(0), 0);
}

TEST_F(ReaderTest, EveryReadStartsFromEmptyPages) {
  FileSpec spec;
  spec.operational = {Type2Record().Line()};
  spec.overload = {Type2Record().Line()};
  ASSERT_TRUE(Read(spec));
  find.SetRowCount(5);

  QStringList broken = FileLines(spec).mid(0, 5);  // ends in the header
  broken[4] = "x";
  EXPECT_FALSE(ReadLines(broken));
  EXPECT_EQ(data.LongTerm.ST_Csum, kNoValueText);
  EXPECT_EQ(spectrum.Count(), 0);
  for (GridModel* grid : {&tpcr, &tp, &find}) {
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "");
  }
  EXPECT_EQ(G(1).Count(), 0);
}

}  // namespace
