#include "mainwindow/cell_painting.h"

#include "archive/number_text.h"
#include "mainwindow/record_tables.h"
#include "platform/grid_model.h"

#include <QPainter>
#include <QPalette>
#include <QRect>

#include <cmath>

namespace {

CellLook AlarmIf(bool alarm) {
  return alarm ? CellLook::Alarm : CellLook::Normal;
}

}  // namespace

CellLook LimitLook(int deviceType, const GridModel& grid, int col, int row) {
  const ColumnAlarm alarm = RecordColumnAlarm(deviceType, col);
  if (alarm.test == AlarmTest::None) return CellLook::GridOwn;
  if (alarm.test == AlarmTest::Plain) return CellLook::Normal;
  const int tested = alarm.test == AlarmTest::DegreeAbove ? kDegreeColumn : col;
  const auto value = TextToFloat(grid.Cells(tested, row));
  if (!value) return CellLook::GridOwn;
  const double v = *value;
  switch (alarm.test) {
    case AlarmTest::Above:
    case AlarmTest::DegreeAbove:
      return AlarmIf(v > alarm.limit);
    case AlarmTest::AbsAbove:
      return AlarmIf(std::fabs(v) > alarm.limit);
    case AlarmTest::Below:
      return AlarmIf(v < alarm.limit);
    case AlarmTest::Degree:
      if (v >= alarm.warnFrom && v < alarm.limit) return CellLook::Warning;
      return AlarmIf(!(v < alarm.limit));
    case AlarmTest::None:
    case AlarmTest::Plain:
      break;
  }
  return CellLook::GridOwn;
}

bool RememberedRowShown(RecordGrid which, bool conditionFilterOn) {
  return which == RecordGrid::Find || !conditionFilterOn;
}

SystemColours SystemColoursFrom(const QPalette& palette) {
  return {palette.color(QPalette::Active, QPalette::Base),
          palette.color(QPalette::Active, QPalette::Text),
          palette.color(QPalette::Active, QPalette::Highlight),
          palette.color(QPalette::Active, QPalette::HighlightedText)};
}

std::optional<CellColours> ColoursOf(CellLook look, const SystemColours& system) {
  switch (look) {
    case CellLook::GridOwn:
      return std::nullopt;
    case CellLook::Normal:
      return CellColours{system.window, system.windowText, 0};
    case CellLook::Warning:
      return CellColours{QColor(0xFF, 0xFF, 0x00), QColor(0, 0, 0), 0};
    case CellLook::Alarm:
      return CellColours{QColor(0xFF, 0x00, 0x00), QColor(0, 0, 0), 0};
    case CellLook::RememberedRow:
      return CellColours{system.activeCaption, system.captionText, 2};
  }
  return std::nullopt;
}

void PaintCellLook(QPainter& Canvas, CellLook look, const QRect& Rect, const QString& text,
                   const SystemColours& system) {
  const std::optional<CellColours> colours = ColoursOf(look, system);
  if (!colours) return;
  Canvas.fillRect(Rect, colours->background);
  Canvas.setPen(colours->text);
  const QRect textRect = Rect.adjusted(colours->textMargin, colours->textMargin, 0, 0);
  Canvas.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void PaintRecordCellType2(QPainter& Canvas, const GridModel& Grid, int ACol, int ARow,
                          const QRect& Rect, const SystemColours& system) {
  PaintCellLook(Canvas, LimitLook(2, Grid, ACol, ARow), Rect, Grid.Cells(ACol, ARow), system);
}

void PaintRecordCellType4(QPainter& Canvas, const GridModel& Grid, int ACol, int ARow,
                          const QRect& Rect, const SystemColours& system) {
  PaintCellLook(Canvas, LimitLook(4, Grid, ACol, ARow), Rect, Grid.Cells(ACol, ARow), system);
}

void DrawRecordCell(QPainter& Canvas, const GridModel& Grid, int deviceType, RecordGrid which,
                    int ACol, int ARow, const QRect& Rect, int rememberedRow,
                    bool conditionFilterOn, const SystemColours& system) {
  if (ACol < 1 || ARow < 1) return;
  if (deviceType == 2) PaintRecordCellType2(Canvas, Grid, ACol, ARow, Rect, system);
  if (deviceType == 4) PaintRecordCellType4(Canvas, Grid, ACol, ARow, Rect, system);
  if (ARow == rememberedRow && RememberedRowShown(which, conditionFilterOn))
    PaintCellLook(Canvas, CellLook::RememberedRow, Rect, Grid.Cells(ACol, ARow), system);
}
