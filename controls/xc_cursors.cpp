#include "controls/xc_cursors.h"

#include <QPainter>
#include <QPainterPath>

#include <map>

namespace {

struct CursorEntry {
  QString name;
  QImage picture;  // kept as an image: it outlives the GUI application safely
  QPoint hotSpot;
};

std::map<int, CursorEntry>& Table() {
  static std::map<int, CursorEntry> table;
  return table;
}

QCursor MakeCursor(const CursorEntry& entry) {
  return QCursor(QPixmap::fromImage(entry.picture), entry.hotSpot.x(), entry.hotSpot.y());
}

// A pointing hand for XC_HANDCUR, a closed hand for XC_DRAGCUR.
QImage DrawHand(bool pointing) {
  QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath hand;
  if (pointing) {
    hand.addRoundedRect(QRectF(9, 1, 5, 14), 2.5, 2.5);  // index finger
  }
  const int fingerTop = pointing ? 10 : 8;
  for (int i = 0; i < 3; ++i)
    hand.addRoundedRect(QRectF(pointing ? 13.5 + 4.5 * i : 9 + 4.5 * i, fingerTop, 5, 9), 2.5, 2.5);
  if (!pointing) hand.addRoundedRect(QRectF(22.5, 10, 4.5, 8), 2.2, 2.2);
  hand.addRoundedRect(QRectF(8, 13, 19, 13), 4, 4);                                    // palm
  hand.addRoundedRect(QRectF(3, 13, 7, 5).translated(0, pointing ? 2 : 0), 2.5, 2.5);  // thumb
  hand = hand.simplified();
  p.setPen(QPen(Qt::black, 1.2));
  p.setBrush(Qt::white);
  p.drawPath(hand);
  return image;
}

}  // namespace

void CursorRegistry::Register(int number, const QString& name, const QImage& picture,
                              const QPoint& hotSpot) {
  Table()[number] = CursorEntry{name, picture, hotSpot};
}

bool CursorRegistry::Contains(int number) {
  return Table().count(number) != 0;
}

QCursor CursorRegistry::ByNumber(int number) {
  const auto it = Table().find(number);
  return it == Table().end() ? QCursor(Qt::ArrowCursor) : MakeCursor(it->second);
}

QCursor CursorRegistry::ByName(const QString& name) {
  for (const auto& [number, entry] : Table())
    if (entry.name.compare(name, Qt::CaseInsensitive) == 0) return MakeCursor(entry);
  return QCursor(Qt::ArrowCursor);
}

QString CursorRegistry::NameOf(int number) {
  const auto it = Table().find(number);
  return it == Table().end() ? QString() : it->second.name;
}

void RegisterControlCursors() {
  if (!CursorRegistry::Contains(kHandCursor))
    CursorRegistry::Register(kHandCursor, QStringLiteral("XC_HANDCUR"), DrawHand(true),
                             QPoint(11, 1));
  if (!CursorRegistry::Contains(kDragCursor))
    CursorRegistry::Register(kDragCursor, QStringLiteral("XC_DRAGCUR"), DrawHand(false),
                             QPoint(16, 16));
}
