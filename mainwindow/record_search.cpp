#include "mainwindow/record_search.h"

#include "archive/number_text.h"
#include "mainwindow/record_tables.h"
#include "platform/grid_model.h"

namespace {

// Two characters at a one-based position as an integer.
std::optional<int> Part(QStringView text, int position) {
  return TextToInt(text.mid(position - 1, 2));
}

std::optional<SearchStamp> StampOf(QStringView text, const std::array<int, 6>& positions) {
  SearchStamp stamp{};
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const std::optional<int> value = Part(text, positions[i]);
    if (!value) return std::nullopt;
    stamp[i] = *value;
  }
  return stamp;
}

}  // namespace

std::optional<int> MzThreshold(QStringView text) {
  const std::optional<int> value = TextToInt(text);
  if (!value || *value < kMzThresholdMin || *value > kMzThresholdMax) return std::nullopt;
  return value;
}

int LoadDegreeColumn(const GridModel& grid) {
  for (int c = 1; c < grid.ColCount(); ++c) {
    if (grid.Cells(c, 0) == kLoadDegreeTitle) return c;
  }
  return -1;
}

std::optional<SearchStamp> SearchBound(QStringView date, QStringView time) {
  const std::optional<SearchStamp> day = StampOf(date, {7, 4, 1, 7, 4, 1});
  const std::optional<SearchStamp> clock = StampOf(time, {1, 4, 7, 1, 4, 7});
  if (!day || !clock) return std::nullopt;
  return SearchStamp{(*day)[0], (*day)[1], (*day)[2], (*clock)[0], (*clock)[1], (*clock)[2]};
}

std::optional<SearchStamp> RecordStamp(QStringView stamp) {
  return StampOf(stamp, {7, 4, 1, 10, 13, 16});
}

RowTest LoadDegreeAtLeast(int column, int threshold) {
  return [column, threshold](const GridModel& grid, int row) {
    const std::optional<int> value = TextToInt(grid.Cells(column, row));
    return value && *value >= threshold;
  };
}

RowTest StampWithin(const SearchStamp& from, const SearchStamp& to) {
  return [from, to](const GridModel& grid, int row) {
    const std::optional<SearchStamp> stamp = RecordStamp(grid.Cells(kStampColumn, row));
    return stamp && *stamp >= from && *stamp <= to;
  };
}

int CopyMatchingRows(const GridModel& records, GridModel& results, const RowTest& test,
                     const std::function<void()>& step) {
  // One reset of the views at the end instead of one per appended row.
  results.BeginUpdate();
  results.SetRowCount(1);
  const int columns = std::min(records.ColCount(), results.ColCount());
  int found = 0;
  for (int r = 1; r < records.RowCount(); ++r) {
    if (step) step();
    if (!test(records, r)) continue;
    const int target = results.RowCount();
    results.SetRowCount(target + 1);
    for (int c = 0; c < columns; ++c) results.SetCells(c, target, records.Cells(c, r));
    ++found;
  }
  results.EndUpdate();
  return found;
}

QString DescribeCondition(const SearchCondition& condition) {
  switch (ConditionType(condition.type)) {
    case ConditionType::Equal:
      return QStringLiteral("равные ") + FloatToText(condition.from);
    case ConditionType::Greater:
      return QStringLiteral("больше ") + FloatToText(condition.from);
    case ConditionType::Less:
      return QStringLiteral("меньше ") + FloatToText(condition.from);
    case ConditionType::Between:
      return QStringLiteral("от ") + FloatToText(condition.from) + QStringLiteral(" до ") +
             FloatToText(condition.to);
    case ConditionType::Fault:
      return QStringLiteral("Неисправность");
    case ConditionType::None:
      break;
  }
  return QStringLiteral("нет");
}
