#include "mainwindow/record_tables.h"

#include "archive/number_text.h"
#include "archive/text_file.h"
#include "platform/chart_series.h"
#include "platform/grid_model.h"

#include <cmath>

namespace {

enum class Conversion { Running, Text, Number, Integer };

struct ColumnSpec {
  const char16_t* title;
  const char16_t* description;
  DataFile::Field field;
  Conversion conversion;
  int series;        // Series_G<series> gets a point, 0 for none
  double fullScale;  // graph full scale when ratedMax is 0
  int ratedMax;      // 1 .. 4: RatedMax[ratedMax] is the full scale
};

constexpr DataFile::Field kNoField{0, 0};

using Layout = std::array<ColumnSpec, kRecordColumns>;

const Layout kType2 = {{
    {u"№", u"Номер точки", kNoField, Conversion::Running, 0, 0, 0},
    {u"Дата и время", u"Дата и время, дд.мм.гг чч:мм:сс", DataFile::Type2::kStamp, Conversion::Text,
     0, 0, 0},
    {u"a", u"Угол наклона стрелы, град.", DataFile::Type2::kAngle, Conversion::Number, 1, 90, 0},
    {u"L", u"Длина стрелы, м", DataFile::Type2::kLength, Conversion::Number, 2, 0, 4},
    {u"g", u"Угол азимута, град.", DataFile::Type2::kAzimuth, Conversion::Integer, 3, 180, 0},
    {u"Pп", u"Давление в поршневой полости, атм.", DataFile::Type2::kPistonPressure,
     Conversion::Number, 4, 250, 0},
    {u"Pш", u"Давление в штоковой полости, атм.", DataFile::Type2::kRodPressure, Conversion::Number,
     5, 250, 0},
    {u"Nп", u"Кратность запасовки полиспаста", DataFile::Type2::kReeving, Conversion::Integer, 0, 0,
     0},
    {u"C", u"Код стрелового оборудования", DataFile::Type2::kEquipment, Conversion::Integer, 0, 0,
     0},
    {u"K", u"Код опорного контура", DataFile::Type2::kContour, Conversion::Integer, 0, 0, 0},
    {u"Q", u"Масса груза, т", DataFile::Type2::kLoad, Conversion::Number, 6, 0, 1},
    {u"R", u"Вылет, м", DataFile::Type2::kRadius, Conversion::Number, 7, 0, 2},
    {u"H", u"Высота подъема оголовка, м", DataFile::Type2::kHeight, Conversion::Number, 8, 0, 3},
    {u"Qmax", u"Максимально-допустимая масса груза, т", DataFile::Type2::kMaxLoad,
     Conversion::Number, 9, 0, 1},
    {u"Мз", u"Степень загрузки, %", DataFile::Type2::kDegree, Conversion::Integer, 10, 100, 0},
    {u"Флаги", u"х - х - Rmax - Rmin - ЛЭП", DataFile::Type2::kFlags, Conversion::Text, 0, 0, 0},
    {u"Выходы", u"х - х - х - х - Реле КЗ - Реле ЗП", DataFile::Type2::kOutputs, Conversion::Text,
     0, 0, 0},
    {u"Входы",
     u"ДУА180-ДДС15-ДЛ220-контр.расф.сек.ст-пов.вл-пов.впр-под.гр-оп.гр-огр.смат.кан-втяг.сек."
     u"ст-опуск.ст-выдв.сек.ст-уск.раб-под.ст",
     DataFile::Type2::kInputs, Conversion::Text, 0, 0, 0},
}};

// The line holds inputs first, but the grid shows the signal groups in the order of
// device type 2: flags, outputs, inputs.
const Layout kType4 = {{
    {u"№", u"Номер точки", kNoField, Conversion::Running, 0, 0, 0},
    {u"Дата и время", u"Дата и время, дд.мм.гг чч:мм:сс", DataFile::Type4::kStamp, Conversion::Text,
     0, 0, 0},
    {u"a", u"Угол подъема стрелы (башни), град.", DataFile::Type4::kAngle1, Conversion::Number, 1,
     90, 0},
    {u"b", u"Угол подъема гуська (маневрового гуська), м", DataFile::Type4::kAngle2,
     Conversion::Number, 2, 90, 0},
    {u"L1", u"Длина стрелы (башни), м", DataFile::Type4::kLength1, Conversion::Number, 3, 63.99, 0},
    {u"L2", u"Длина гуська (меневрового гуська), м", DataFile::Type4::kLength2, Conversion::Number,
     4, 63.0, 0},
    {u"g", u"Угол азимута, град.", DataFile::Type4::kAzimuth, Conversion::Integer, 5, 180, 0},
    {u"Nп", u"Кратность запасовки полиспаста", DataFile::Type4::kReeving, Conversion::Integer, 0, 0,
     0},
    {u"K", u"Код опорного контура", DataFile::Type4::kContour, Conversion::Integer, 0, 0, 0},
    {u"F", u"Усилие, т", DataFile::Type4::kForce, Conversion::Number, 0, 0, 0},
    {u"Q", u"Масса груза, т", DataFile::Type4::kLoad, Conversion::Number, 6, 0, 1},
    {u"R", u"Вылет, м", DataFile::Type4::kRadius, Conversion::Number, 7, 0, 2},
    {u"H", u"Высота подъема оголовка, м", DataFile::Type4::kHeight, Conversion::Number, 8, 0, 3},
    {u"Qmax", u"Максимально-допустимая масса груза, т", DataFile::Type4::kMaxLoad,
     Conversion::Number, 9, 0, 1},
    {u"Мз", u"Степень загрузки, %", DataFile::Type4::kDegree, Conversion::Integer, 10, 100, 0},
    {u"Флаги", u"Осн/всп.под.-Rmax-Rmin-стр/баш-крюк/грейфер-ЛЭП", DataFile::Type4::kFlags,
     Conversion::Text, 0, 0, 0},
    {u"Выходы", u"Реле КЗ - Реле ЗП", DataFile::Type4::kOutputs, Conversion::Text, 0, 0, 0},
    {u"Входы", u"ДЛ220-оп.гр-огр.смат.кан-уск.раб-под.ст", DataFile::Type4::kInputs,
     Conversion::Text, 0, 0, 0},
}};

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
    if (spec.series > 0) {
      const double scale =
          spec.ratedMax > 0 ? ratedMax[std::size_t(spec.ratedMax - 1)] : spec.fullScale;
      row.points[std::size_t(spec.series - 1)] = Percent(cell.value, scale);
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
    const QStringView stamp = DataFile::FieldAt(line, layout[1].field);
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
  const DataFile::Field degreeField = layout[14].field;
  for (int i = 1; i <= source.CountTP && result.ok; ++i) {
    const QString line = source.input.ReadLine();
    const auto degree = TextToInt(DataFile::FieldAt(line, degreeField));
    if (!degree) {
      result.ok = false;
      break;
    }
    const QStringView stamp = DataFile::FieldAt(line, layout[1].field);
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

const std::array<int, kRecordColumns>& RecordColumnWidths() {
  // Columns 0 and 9 are wider than the windows were laid out with, so that the highest record
  // number and a force of "0000.00" are not cut off.
  static const std::array<int, kRecordColumns> widths = {34, 100, 45, 45, 45, 45, 45, 30, 30,
                                                         43, 45,  45, 45, 45, 30, 40, 45, 90};
  return widths;
}

int SeriesColumn(int k) {
  if (k >= 1 && k <= 5) return k + 1;
  if (k >= 6 && k <= 10) return k + 4;
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
