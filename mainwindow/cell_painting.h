#pragma once
// Colours of the record grids' data cells: the limit rules of each device type and the
// remembered row, decided from the cell texts at every paint.

#include <QColor>
#include <optional>

class GridModel;
class QPalette;

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

// What the draw-cell handler of a grid paints over a cell: nothing for the titles and the
// running numbers, the remembered row over everything, else the limit rule.
CellLook CellLookFor(int deviceType, const GridModel& grid, RecordGrid which, int col, int row,
                     int rememberedRow, bool conditionFilterOn);

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
