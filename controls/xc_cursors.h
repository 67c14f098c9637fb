#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

// Cursors registered by number and resource name, as the controls look them up.
constexpr int kHandCursor = 14000;  // "XC_HANDCUR"
constexpr int kDragCursor = 14001;  // "XC_DRAGCUR"

class CursorRegistry {
 public:
  // Registers (or replaces) a cursor picture; the image must have an alpha channel.
  static void Register(int number, const QString& name, const QImage& picture,
                       const QPoint& hotSpot);
  static bool Contains(int number);
  // The registered cursor, the arrow for an unknown number or name.
  static QCursor ByNumber(int number);
  static QCursor ByName(const QString& name);
  static QString NameOf(int number);  // empty when unknown
};

// Registers XC_HANDCUR and XC_DRAGCUR; repeated calls change nothing.
void RegisterControlCursors();
