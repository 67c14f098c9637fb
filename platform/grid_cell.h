#pragma once
// How a string grid draws a plain cell: the item's own background and selection, and the
// text 2 pixels in from the cell's top-left corner, where the windows' columns were measured
// and where their own drawings over a cell put the same text again.

#include <QStyleOptionViewItem>

class QModelIndex;
class QPainter;

// Cell texts stand this far in from the cell's top-left corner.
inline constexpr int kCellTextMargin = 2;

void DrawPlainGridCell(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index);
