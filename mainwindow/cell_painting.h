#pragma once
// Colours of the record grids' data cells: the alarm rules of the record columns
// (record_tables.h) and the remembered row, decided from the cell texts at every paint.

#include <QColor>

#include <optional>

class GridModel;
class QPainter;
class QPalette;
class QRect;
class QString;

enum class CellLook {
  GridOwn,  // left as the grid draws it
  Normal,
  Warning,
  Alarm,
  RememberedRow,
};

enum class RecordGrid { TPCR, TP, Find };

// The limit rule of a data cell (col >= 1, row >= 1) for the file's device type.
CellLook LimitLook(int deviceType, const GridModel& grid, int col, int row);

// Whether a grid shows its remembered row: SG_TPCR and SG_TP not while ConditionFilterOn.
bool RememberedRowShown(RecordGrid which, bool conditionFilterOn);

struct SystemColours {
  QColor window = Qt::white;
  QColor windowText = Qt::black;
  QColor activeCaption = QColor(0x00, 0x00, 0x80);
  QColor captionText = Qt::white;
};
SystemColours SystemColoursFrom(const QPalette& palette);

struct CellColours {
  QColor background;
  QColor text;
  // Left and top offset of the text: the limit colours write it at the corner, the
  // remembered row with the grid's own margin.
  int textMargin = 0;
};

// The colours of a look; none for GridOwn.
std::optional<CellColours> ColoursOf(CellLook look, const SystemColours& system = {});

// Fills rect with the look's background and writes text in its colour; GridOwn paints
// nothing.
void PaintCellLook(QPainter& Canvas, CellLook look, const QRect& Rect, const QString& text,
                   const SystemColours& system);

// The limit painters of device types 2 and 4: paint data cell (ACol, ARow) of Grid over what
// the grid drew; a cell without a rule or a number is left as it is.
void PaintRecordCellType2(QPainter& Canvas, const GridModel& Grid, int ACol, int ARow,
                          const QRect& Rect, const SystemColours& system);
void PaintRecordCellType4(QPainter& Canvas, const GridModel& Grid, int ACol, int ARow,
                          const QRect& Rect, const SystemColours& system);

// The draw-cell work of a record grid: titles and running numbers are left alone; a data cell
// gets the painter of the device type, then the remembered row over it.
void DrawRecordCell(QPainter& Canvas, const GridModel& Grid, int deviceType, RecordGrid which,
                    int ACol, int ARow, const QRect& Rect, int rememberedRow,
                    bool conditionFilterOn, const SystemColours& system);
