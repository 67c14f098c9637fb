#include "mainwindow/cell_painting.h"

#include "archive/number_text.h"
#include "platform/grid_model.h"

#include <QPainter>
#include <QPalette>
#include <QRect>
#include <cmath>

namespace {

enum class Rule {
  None,
  Above90,
  AbsAbove180,
  Above250,
  Above500,
  LoadOverDegree,
  Plain,
  BelowMin,
  Degree
};

Rule RuleOf(int deviceType, int col) {
  if (deviceType == 2) {
    switch (col) {
      case 2:
      case 3:
        return Rule::Above90;
      case 4:
        return Rule::AbsAbove180;
      case 5:
      case 6:
        return Rule::Above250;
      default:
        break;
    }
  } else if (deviceType == 4) {
    switch (col) {
      case 2:
      case 3:
      case 4:
      case 5:
        return Rule::Above90;
      case 6:
        return Rule::AbsAbove180;
      case 9:
        return Rule::Above500;
      default:
        break;
    }
  } else {
    return Rule::None;
  }
  switch (col) {
    case 10:
      return Rule::LoadOverDegree;
    case 11:
    case 12:
      return Rule::Plain;
    case 13:
      return Rule::BelowMin;
    case 14:
      return Rule::Degree;
    default:
      return Rule::None;
  }
}

constexpr int kDegreeColumn = 14;

CellLook AlarmIf(bool alarm) {
  return alarm ? CellLook::Alarm : CellLook::Normal;
}

}  // namespace

CellLook LimitLook(int deviceType, const GridModel& grid, int col, int row) {
  const Rule rule = RuleOf(deviceType, col);
  if (rule == Rule::None) return CellLook::GridOwn;
  if (rule == Rule::Plain) return CellLook::Normal;
  const int tested = rule == Rule::LoadOverDegree ? kDegreeColumn : col;
  const auto value = TextToFloat(grid.Cells(tested, row));
  if (!value) return CellLook::GridOwn;
  const double v = *value;
  switch (rule) {
    case Rule::Above90:
      return AlarmIf(v > 90);
    case Rule::AbsAbove180:
      return AlarmIf(std::fabs(v) > 180);
    case Rule::Above250:
      return AlarmIf(v > 250);
    case Rule::Above500:
      return AlarmIf(v > 500);
    case Rule::LoadOverDegree:
      return AlarmIf(v > 100);
    case Rule::BelowMin:
      return AlarmIf(v < 0.1);
    case Rule::Degree:
      if (v >= 90 && v < 105) return CellLook::Warning;
      return AlarmIf(!(v < 105));
    case Rule::None:
    case Rule::Plain:
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
