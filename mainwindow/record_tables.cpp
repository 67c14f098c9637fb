#include "mainwindow/record_tables.h"

#include "archive/number_text.h"
#include "archive/text_file.h"
#include "platform/chart_series.h"
#include "platform/grid_model.h"

#include <cmath>

namespace {

enum class Conversion { Running, Text, Number, Integer };

// The graph a column feeds: Series_G<series> (0 for none).
struct GraphFeed {
  int series = 0;
  double fullScale = 0;
  int ratedMax = 0;
};

// Everything a record column is: its place, what the grid shows of it, where its value stands
// in the record line, how it is coloured and graphed.
struct ColumnSpec {
  int column;  // Type2Column / Type4Column
  const char16_t* title;
  const char16_t* description;
  DataFile::Field field;
  Conversion conversion;
  int width;
  ColumnAlarm alarm = {};
  GraphFeed graph = {};
};

constexpr DataFile::Field kNoField{0, 0};

constexpr ColumnAlarm Plain() {
  return {AlarmTest::Plain};
}
constexpr ColumnAlarm Above(double limit) {
  return {AlarmTest::Above, limit};
}
constexpr ColumnAlarm AbsAbove(double limit) {
  return {AlarmTest::AbsAbove, limit};
}
constexpr ColumnAlarm Below(double limit) {
  return {AlarmTest::Below, limit};
}
constexpr ColumnAlarm DegreeAbove(double limit) {
  return {AlarmTest::DegreeAbove, limit};
}
// Series_G<series> gets the value as a percent of fullScale, or of RatedMax[ratedMax] (1 .. 4).
constexpr GraphFeed Graph(int series, double fullScale) {
  return {series, fullScale, 0};
}
constexpr GraphFeed GraphRated(int series, int ratedMax) {
  return {series, 0, ratedMax};
}
// The load degree itself: a warning from 90, an alarm from 105 (an overload).
constexpr ColumnAlarm kDegreeAlarm{AlarmTest::Degree, 105, 90};

using Layout = std::array<ColumnSpec, kRecordColumns>;

namespace C2 = Type2Column;
namespace F2 = DataFile::Type2;
namespace C4 = Type4Column;
namespace F4 = DataFile::Type4;

// Both layouts give the grid the same widths. Columns 0 and 9 are wider than the windows were
// laid out with, so that the highest record number and a force of "0000.00" are not cut off.
constexpr Layout kType2 = {{
    {C2::kNumber, u"№", u"Номер точки", kNoField, Conversion::Running, 34},
    {C2::kStamp, u"Дата и время", u"Дата и время, дд.мм.гг чч:мм:сс", F2::kStamp, Conversion::Text,
     100},
    {C2::kAngle, u"a", u"Угол наклона стрелы, град.", F2::kAngle, Conversion::Number, 45, Above(90),
     Graph(1, 90)},
    {C2::kLength, u"L", u"Длина стрелы, м", F2::kLength, Conversion::Number, 45, Above(90),
     GraphRated(2, 4)},
    {C2::kAzimuth, u"g", u"Угол азимута, град.", F2::kAzimuth, Conversion::Integer, 45,
     AbsAbove(180), Graph(3, 180)},
    {C2::kPistonPressure, u"Pп", u"Давление в поршневой полости, атм.", F2::kPistonPressure,
     Conversion::Number, 45, Above(250), Graph(4, 250)},
    {C2::kRodPressure, u"Pш", u"Давление в штоковой полости, атм.", F2::kRodPressure,
     Conversion::Number, 45, Above(250), Graph(5, 250)},
    {C2::kReeving, u"Nп", u"Кратность запасовки полиспаста", F2::kReeving, Conversion::Integer, 30},
    {C2::kEquipment, u"C", u"Код стрелового оборудования", F2::kEquipment, Conversion::Integer, 30},
    {C2::kContour, u"K", u"Код опорного контура", F2::kContour, Conversion::Integer, 43},
    {C2::kLoad, u"Q", u"Масса груза, т", F2::kLoad, Conversion::Number, 45, DegreeAbove(100),
     GraphRated(6, 1)},
    {C2::kRadius, u"R", u"Вылет, м", F2::kRadius, Conversion::Number, 45, Plain(),
     GraphRated(7, 2)},
    {C2::kHeight, u"H", u"Высота подъема оголовка, м", F2::kHeight, Conversion::Number, 45, Plain(),
     GraphRated(8, 3)},
    {C2::kMaxLoad, u"Qmax", u"Максимально-допустимая масса груза, т", F2::kMaxLoad,
     Conversion::Number, 45, Below(0.1), GraphRated(9, 1)},
    {C2::kDegree, u"Мз", u"Степень загрузки, %", F2::kDegree, Conversion::Integer, 30, kDegreeAlarm,
     Graph(10, 100)},
    {C2::kFlags, u"Флаги", u"х - х - Rmax - Rmin - ЛЭП", F2::kFlags, Conversion::Text, 40},
    {C2::kOutputs, u"Выходы", u"х - х - х - х - Реле КЗ - Реле ЗП", F2::kOutputs, Conversion::Text,
     45},
    {C2::kInputs, u"Входы",
     u"ДУА180-ДДС15-ДЛ220-контр.расф.сек.ст-пов.вл-пов.впр-под.гр-оп.гр-огр.смат.кан-втяг.сек."
     u"ст-опуск.ст-выдв.сек.ст-уск.раб-под.ст",
     F2::kInputs, Conversion::Text, 90},
}};

// The line holds inputs first, but the grid shows the signal groups in the order of
// device type 2: flags, outputs, inputs. The lengths are alarmed above 90, not above their
// graph full scales.
constexpr Layout kType4 = {{
    {C4::kNumber, u"№", u"Номер точки", kNoField, Conversion::Running, 34},
    {C4::kStamp, u"Дата и время", u"Дата и время, дд.мм.гг чч:мм:сс", F4::kStamp, Conversion::Text,
     100},
    {C4::kAngle1, u"a", u"Угол подъема стрелы (башни), град.", F4::kAngle1, Conversion::Number, 45,
     Above(90), Graph(1, 90)},
    {C4::kAngle2, u"b", u"Угол подъема гуська (маневрового гуська), м", F4::kAngle2,
     Conversion::Number, 45, Above(90), Graph(2, 90)},
    {C4::kLength1, u"L1", u"Длина стрелы (башни), м", F4::kLength1, Conversion::Number, 45,
     Above(90), Graph(3, 63.99)},
    {C4::kLength2, u"L2", u"Длина гуська (меневрового гуська), м", F4::kLength2, Conversion::Number,
     45, Above(90), Graph(4, 63.0)},
    {C4::kAzimuth, u"g", u"Угол азимута, град.", F4::kAzimuth, Conversion::Integer, 45,
     AbsAbove(180), Graph(5, 180)},
    {C4::kReeving, u"Nп", u"Кратность запасовки полиспаста", F4::kReeving, Conversion::Integer, 30},
    {C4::kContour, u"K", u"Код опорного контура", F4::kContour, Conversion::Integer, 30},
    {C4::kForce, u"F", u"Усилие, т", F4::kForce, Conversion::Number, 43, Above(500)},
    {C4::kLoad, u"Q", u"Масса груза, т", F4::kLoad, Conversion::Number, 45, DegreeAbove(100),
     GraphRated(6, 1)},
    {C4::kRadius, u"R", u"Вылет, м", F4::kRadius, Conversion::Number, 45, Plain(),
     GraphRated(7, 2)},
    {C4::kHeight, u"H", u"Высота подъема оголовка, м", F4::kHeight, Conversion::Number, 45, Plain(),
     GraphRated(8, 3)},
    {C4::kMaxLoad, u"Qmax", u"Максимально-допустимая масса груза, т", F4::kMaxLoad,
     Conversion::Number, 45, Below(0.1), GraphRated(9, 1)},
    {C4::kDegree, u"Мз", u"Степень загрузки, %", F4::kDegree, Conversion::Integer, 30, kDegreeAlarm,
     Graph(10, 100)},
    {C4::kFlags, u"Флаги", u"Осн/всп.под.-Rmax-Rmin-стр/баш-крюк/грейфер-ЛЭП", F4::kFlags,
     Conversion::Text, 40},
    {C4::kOutputs, u"Выходы", u"Реле КЗ - Реле ЗП", F4::kOutputs, Conversion::Text, 45},
    {C4::kInputs, u"Входы", u"ДЛ220-оп.гр-огр.смат.кан-уск.раб-под.ст", F4::kInputs,
     Conversion::Text, 90},
}};

// Row i of a layout describes column i.
constexpr bool InColumnOrder(const Layout& layout) {
  for (int c = 0; c < kRecordColumns; ++c)
    if (layout[std::size_t(c)].column != c) return false;
  return true;
}
static_assert(InColumnOrder(kType2) && InColumnOrder(kType4));

// The grids keep one set of widths and one column per graph series whatever the type.
constexpr bool SameWidthsAndSeries(const Layout& a, const Layout& b) {
  for (std::size_t c = 0; c < a.size(); ++c)
    if (a[c].width != b[c].width || a[c].graph.series != b[c].graph.series) return false;
  return true;
}
static_assert(SameWidthsAndSeries(kType2, kType4));

// Series_G1 .. Series_G<kFedSeries> are fed by one column each.
constexpr bool FeedsEachSeriesOnce(const Layout& layout) {
  for (int k = 1; k <= kFedSeries; ++k) {
    int feeding = 0;
    for (const ColumnSpec& spec : layout) feeding += spec.graph.series == k ? 1 : 0;
    if (feeding != 1) return false;
  }
  for (const ColumnSpec& spec : layout)
    if (spec.graph.series < 0 || spec.graph.series > kFedSeries) return false;
  return true;
}
static_assert(FeedsEachSeriesOnce(kType2));

const Layout* LayoutOf(int deviceType) {
  if (deviceType == 2) return &kType2;
  if (deviceType == 4) return &kType4;
  return nullptr;
}

// One record converted before anything of it is shown, so a line that fails half way
// leaves neither a partial row nor graph points out of step with the rows.
struct PendingRow {
  struct Cell {
    QStringView text;
    double value = 0;
    bool isText = false;
  };
  std::array<Cell, kRecordColumns> cells;
  std::array<double, kFedSeries> points{};
};

double Percent(double value, double fullScale) {
  const double percent = value / fullScale * 100;
  return std::isfinite(percent) ? percent : 0;
}

bool ConvertRecord(const Layout& layout, QStringView line, const std::array<double, 4>& ratedMax,
                   PendingRow& row) {
  for (int c = 1; c < kRecordColumns; ++c) {
    const ColumnSpec& spec = layout[std::size_t(c)];
    const QStringView field = DataFile::FieldAt(line, spec.field);
    PendingRow::Cell& cell = row.cells[std::size_t(c)];
    switch (spec.conversion) {
      case Conversion::Text:
        cell.text = field;
        cell.isText = true;
        break;
      case Conversion::Number:
      case Conversion::Integer: {
        std::optional<double> value;
        if (spec.conversion == Conversion::Number) {
          value = TextToFloat(field);
        } else if (const auto integer = TextToInt(field)) {
          value = double(*integer);
        }
        if (!value) return false;
        cell.value = *value;
        cell.isText = false;
        break;
      }
      case Conversion::Running:
        break;
    }
    if (const GraphFeed& graph = spec.graph; graph.series > 0) {
      const double scale =
          graph.ratedMax > 0 ? ratedMax[std::size_t(graph.ratedMax - 1)] : graph.fullScale;
      row.points[std::size_t(graph.series - 1)] = Percent(cell.value, scale);
    }
  }
  return true;
}

void StoreRow(GridModel& grid, int n, const PendingRow& row) {
  if (grid.RowCount() <= n) grid.SetRowCount(n + 1);
  grid.SetNumber(0, n, n);
  for (int c = 1; c < kRecordColumns; ++c) {
    const PendingRow::Cell& cell = row.cells[std::size_t(c)];
    if (cell.isText)
      grid.SetCells(c, n, cell.text);
    else
      grid.SetNumber(c, n, cell.value);
  }
}

// Step 10 and 13: the title row plus the kept records, or one empty data row.
void FinishGrid(GridModel& grid, int n) {
  grid.SetRowCount(n < 2 ? 2 : n);
  if (n < 2) grid.ClearRow(1);
  grid.Squeeze();
}

class Progress {
 public:
  Progress(const ReadHooks& hooks, int total) : hooks_(hooks), total_(total) {}
  void At(int done) {
    const int percent = int(qint64(done) * 100 / total_);
    if (percent != last_ && hooks_.progress) hooks_.progress(percent);
    last_ = percent;
  }

 private:
  const ReadHooks& hooks_;
  int total_;
  int last_ = -1;
};

FillResult FillTables(int deviceType, const RecordSource& source, const RecordTargets& targets,
                      const ReadHooks& hooks) {
  const Layout& layout = *LayoutOf(deviceType);
  FillResult result;
  result.descriptions = RecordColumnDescriptions(deviceType);

  GridModel scratchTPCR, scratchTP;
  GridModel& tpcr = targets.SG_TPCR ? *targets.SG_TPCR : scratchTPCR;
  GridModel& tp = targets.SG_TP ? *targets.SG_TP : scratchTP;
  for (GridModel* grid : {&tpcr, &tp}) {
    grid->BeginUpdate();
    grid->SetNumberFormat(&FloatToText);
    grid->SetRowCount(1);
    LayoutRecordGrid(*grid, deviceType);
  }
  if (targets.SG_TPCR_Find) {
    targets.SG_TPCR_Find->SetRowCount(1);
    targets.SG_TPCR_Find->SetNumberFormat(&FloatToText);
    LayoutRecordGrid(*targets.SG_TPCR_Find, deviceType);
  }
  for (ChartSeries* series : targets.graphs)
    if (series) series->Clear();
  if (hooks.layout) hooks.layout(RecordColumnTitles(deviceType), result.descriptions);

  source.input.ReadLine();  // column line
  Progress progress(hooks, source.CountTPCR + source.CountTP);
  PendingRow row;

  int n = 1;
  for (int i = 1; i <= source.CountTPCR && result.ok; ++i) {
    const QString line = source.input.ReadLine();
    const QStringView stamp = DataFile::FieldAt(line, layout[kStampColumn].field);
    if (stamp != kEmptyStamp) {
      if (ConvertRecord(layout, line, source.RatedMax, row)) {
        StoreRow(tpcr, n, row);
        for (int k = 0; k < kFedSeries; ++k) {
          if (ChartSeries* series = targets.graphs[std::size_t(k)])
            series->Add(row.points[std::size_t(k)], stamp);
        }
        ++n;
      } else {
        result.ok = false;
        if (deviceType == 4 && hooks.message)
          hooks.message(QString(), kFailedHereCaption, BoxIcon::None);
        break;
      }
    }
    progress.At(i);
  }
  FinishGrid(tpcr, n);

  source.input.ReadLine();  // separator line
  n = 1;
  const DataFile::Field degreeField = layout[kDegreeColumn].field;
  for (int i = 1; i <= source.CountTP && result.ok; ++i) {
    const QString line = source.input.ReadLine();
    const auto degree = TextToInt(DataFile::FieldAt(line, degreeField));
    if (!degree) {
      result.ok = false;
      break;
    }
    const QStringView stamp = DataFile::FieldAt(line, layout[kStampColumn].field);
    if (stamp != kEmptyStamp && *degree != 0) {
      if (!ConvertRecord(layout, line, source.RatedMax, row)) {
        result.ok = false;
        break;
      }
      StoreRow(tp, n, row);
      ++n;
    }
    progress.At(source.CountTPCR + i);
  }
  FinishGrid(tp, n);
  tpcr.EndUpdate();
  tp.EndUpdate();
  return result;
}

}  // namespace

QStringList RecordColumnTitles(int deviceType) {
  QStringList titles;
  if (const Layout* layout = LayoutOf(deviceType)) {
    for (const ColumnSpec& spec : *layout) titles.append(QString::fromUtf16(spec.title));
  }
  return titles;
}

ColumnDescriptionList RecordColumnDescriptions(int deviceType) {
  ColumnDescriptionList descriptions;
  if (const Layout* layout = LayoutOf(deviceType)) {
    for (std::size_t c = 0; c < layout->size(); ++c)
      descriptions[c] = QString::fromUtf16((*layout)[c].description);
  }
  return descriptions;
}

ColumnAlarm RecordColumnAlarm(int deviceType, int col) {
  const Layout* layout = LayoutOf(deviceType);
  if (!layout || col < 0 || col >= kRecordColumns) return {};
  return (*layout)[std::size_t(col)].alarm;
}

const std::array<int, kRecordColumns>& RecordColumnWidths() {
  static const std::array<int, kRecordColumns> widths = [] {
    std::array<int, kRecordColumns> w{};
    for (std::size_t c = 0; c < w.size(); ++c) w[c] = kType2[c].width;
    return w;
  }();
  return widths;
}

int SeriesColumn(int k) {
  for (const ColumnSpec& spec : kType2)
    if (k >= 1 && spec.graph.series == k) return spec.column;
  return -1;
}

void LayoutRecordGrid(GridModel& grid, int deviceType) {
  const QStringList titles = RecordColumnTitles(deviceType);
  grid.SetColCount(kRecordColumns);
  if (grid.RowCount() < 1) grid.SetRowCount(1);
  for (int c = 0; c < kRecordColumns; ++c) {
    grid.SetCells(c, 0, c < titles.size() ? titles[c] : QString());
    grid.SetColWidth(c, RecordColumnWidths()[std::size_t(c)]);
  }
  grid.SetDefaultRowHeight(kRecordRowHeight);
}

void ClearRecordGrid(GridModel& grid) {
  grid.BeginUpdate();
  if (grid.ColCount() < kRecordColumns) grid.SetColCount(kRecordColumns);
  grid.SetRowCount(1);
  grid.SetRowCount(2);
  grid.Squeeze();
  grid.EndUpdate();
}

FillResult FillTablesType2(const RecordSource& source, const RecordTargets& targets,
                           const ReadHooks& hooks) {
  return FillTables(2, source, targets, hooks);
}

FillResult FillTablesType4(const RecordSource& source, const RecordTargets& targets,
                           const ReadHooks& hooks) {
  return FillTables(4, source, targets, hooks);
}
