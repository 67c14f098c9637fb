#pragma once
// The record tables of an open data file: what each column of each device type is (title,
// field of the record line, width, alarm rule, graph), and the fillers that turn the record
// lines into grid rows and graph points in one pass.

#include "archive/data_file.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class ChartSeries;
class GridModel;
class TextLineReader;

inline constexpr int kRecordColumns = 18;

// The grid columns of the record tables of each device type, in the order of the layout's
// rows. Column 0 holds the running number.
namespace Type2Column {
enum Column : int {
  kNumber,
  kStamp,
  kAngle,
  kLength,
  kAzimuth,
  kPistonPressure,
  kRodPressure,
  kReeving,
  kEquipment,
  kContour,
  kLoad,
  kRadius,
  kHeight,
  kMaxLoad,
  kDegree,
  kFlags,
  kOutputs,
  kInputs,
};
}  // namespace Type2Column

namespace Type4Column {
enum Column : int {
  kNumber,
  kStamp,
  kAngle1,
  kAngle2,
  kLength1,
  kLength2,
  kAzimuth,
  kReeving,
  kContour,
  kForce,
  kLoad,
  kRadius,
  kHeight,
  kMaxLoad,
  kDegree,
  kFlags,
  kOutputs,
  kInputs,
};
}  // namespace Type4Column

// Columns at the same place in both layouts.
inline constexpr int kStampColumn = Type2Column::kStamp;
inline constexpr int kDegreeColumn = Type2Column::kDegree;
static_assert(kStampColumn == int(Type4Column::kStamp) &&
              kDegreeColumn == int(Type4Column::kDegree));

// How a data cell of a record grid is judged by its value.
enum class AlarmTest {
  None,         // left as the grid draws it
  Plain,        // always the normal colours
  Above,        // own value above limit
  AbsAbove,     // absolute value above limit
  Below,        // own value below limit
  DegreeAbove,  // the load degree of the row above limit
  Degree,       // own value: limit or more is an alarm, warnFrom up to limit a warning
};

struct ColumnAlarm {
  AlarmTest test = AlarmTest::None;
  double limit = 0;
  double warnFrom = 0;
};

// The alarm rule of column col of a device type's record grid; none for a type without
// records or a column outside the layout.
ColumnAlarm RecordColumnAlarm(int deviceType, int col);
inline constexpr int kRecordRowHeight = 17;
// Series_G1 .. Series_G10 receive points; Series_G11 .. Series_G13 stay empty.
inline constexpr int kFedSeries = 10;
inline constexpr int kGraphSeries = 13;
// Trusted record counts of lines 22 and 23.
inline constexpr int kMaxRecordCount = 99999;
inline const QString kEmptyStamp = QStringLiteral("00.00.00 00:00:00");
inline const QString kFailedHereCaption = QStringLiteral("Ошибка произошла здесь");

using ColumnDescriptionList = std::array<QString, 20>;

enum class BoxIcon { None, Error };

// The three record grids and the graph series Series_G1 .. Series_G13 (any may be null).
struct RecordTargets {
  GridModel* SG_TPCR = nullptr;
  GridModel* SG_TP = nullptr;
  GridModel* SG_TPCR_Find = nullptr;
  std::array<ChartSeries*, kGraphSeries> graphs{};
};

// What a running read tells its window: progress in percent (PB_Read) and message boxes.
struct ReadHooks {
  std::function<void(int percent)> progress;
  std::function<void(int milliseconds)> pause;
  std::function<void(const QString& text, const QString& caption, BoxIcon icon)> message;
  // The filler has laid out its grids: the graph page's windows take the column titles and
  // descriptions before any record is read.
  std::function<void(const QStringList& titles, const ColumnDescriptionList& descriptions)> layout;
};

// The record file being read, after the line with the overload count.
struct RecordSource {
  TextLineReader& input;
  int CountTPCR = 0;
  int CountTP = 0;
  std::array<double, 4> RatedMax{};  // RatedMax[1] .. RatedMax[4]
};

// Column titles (row 0), long descriptions (indices 0 to 17 set) and widths; empty
// lists for a device type without records.
QStringList RecordColumnTitles(int deviceType);
ColumnDescriptionList RecordColumnDescriptions(int deviceType);
const std::array<int, kRecordColumns>& RecordColumnWidths();
// The grid column whose values feed Series_G<k> (k = 1 .. 10).
int SeriesColumn(int k);

// Grid layout of a filling: columns, titles of row 0, widths and row height.
void LayoutRecordGrid(GridModel& grid, int deviceType);
// The title row kept, then one wholly empty data row (at least the 18 record columns).
void ClearRecordGrid(GridModel& grid);

// A filler's result; ok false when a record line did not convert (ReadOk is cleared).
struct FillResult {
  bool ok = true;
  ColumnDescriptionList descriptions;
};

FillResult FillTablesType2(const RecordSource& source, const RecordTargets& targets,
                           const ReadHooks& hooks);
FillResult FillTablesType4(const RecordSource& source, const RecordTargets& targets,
                           const ReadHooks& hooks);
