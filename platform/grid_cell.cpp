#include "platform/grid_cell.h"

#include <QApplication>
#include <QModelIndex>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// The style's drawing of an item without its text.
class ItemBackground : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::initStyleOption;
};

}  // namespace

void DrawPlainGridCell(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) {
  QStyleOptionViewItem cell = option;
  ItemBackground().initStyleOption(&cell, index);
  const QString text = cell.text;
  cell.text.clear();
  const QWidget* view = option.widget;
  QStyle* style = view ? view->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);
  painter->save();
  painter->setFont(cell.font);
  painter->setPen(option.palette.color(
      option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
  painter->drawText(option.rect.adjusted(kCellTextMargin, kCellTextMargin, 0, 0),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  painter->restore();
}
