#pragma once

#include "controls/frame_settling.h"

#include <QColor>
#include <QEvent>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStyle>

#include <functional>

class QFontMetrics;
class QObject;
class QPainter;
class QWidget;

// Rectangles follow Qt: left() and top() are the first pixel, the right and bottom
// edges are left() + width() and top() + height().

void SwapValues(int& a, int& b);
int MaxOf(int a, int b);
int MinOf(int a, int b);
int WidthOf(const QRect& r);
int HeightOf(const QRect& r);
// Both edges included on each axis.
bool PointInRectInclusive(const QPoint& p, const QRect& r);

// Moves r, size kept, so it lies on `screen` (the primary screen when not given): left
// when it passes the right edge, right when it starts left of it; the same vertically.
void KeepRectOnScreen(QRect& r, const QRect& screen);
void KeepRectOnScreen(QRect& r);

// Centres a window on its screen, kept on the screen, without resizing, raising or
// activating it.
void CenterWindow(QWidget* window);

// The program's main window: its main window that is shown, else the active window.
QWidget* MainApplicationWindow();
// Places `window`'s frame at the corner `place` gives for the frame's outer size. The frame is
// the one the window system last gave the window, else that of `like` (a window already shown,
// whose frame is likely the same). When the window shows, it is placed once more by the same rule
// if the frame the window system then settles on is another (FrameSettling), so that every
// showing puts it at one place.
void PlaceFrame(QWidget* window, const QWidget* like, const FramePlacement& place);
// Centres `window`'s frame on `area`, (area - frame) / 2 rounded toward zero, by PlaceFrame.
void CentreFrameOn(QWidget* window, const QRect& area, const QWidget* like);

// A new copy of the application's style that answers `metric` with `value` and every other
// question as the application's style does; the caller owns it.
QStyle* NewMetricStyle(QStyle::PixelMetric metric, int value);

// `s`, or its head followed by "..." cut until it fits maxWidth in `metrics` (a text
// that never fits ends as "...").
QString ShortenText(const QString& s, const QFontMetrics& metrics, int maxWidth);

// A disabled-looking copy of `bitmap`: pixels of outlineColor or fully transparent
// count as background; the rest is painted in highlightColor at (1, 1) when
// drawHighlight, then in shadowColor at (0, 0), over backColor.
QPixmap MakeDisabledBitmapWithColors(const QPixmap& bitmap, const QColor& outlineColor,
                                     const QColor& backColor, const QColor& highlightColor,
                                     const QColor& shadowColor, bool drawHighlight);
// The same with the palette's button face, light and dark colours.
QPixmap MakeDisabledBitmap(const QPixmap& bitmap, const QColor& outlineColor);

// Draws image `index` of `images` as its opaque shape: in highlightColor at
// (x + 1, y + 1) when drawHighlight, then in grayColor at (x, y). An index outside the
// list draws nothing. The painter's state is restored.
void DrawDisabledImage(QPainter& canvas, const QList<QPixmap>& images, int x, int y, int index,
                       const QColor& highlightColor, const QColor& grayColor, bool drawHighlight);

// Inverts a one-pixel frame `width` times, shrinking r by 1 each time; drawing it
// again restores what was there.
void DrawInvertFrame(QPainter& canvas, const QRect& r, int width);

// Paints into `dest` (in control coordinates) what lies under the control: the
// parent's background and its own painting, then every visible sibling that comes
// before the control and intersects it.
void CopyParentImage(QWidget* control, QPainter& dest);

// Removes the pending posted events of `type` for `receiver`. A quit request is never
// removed.
void RemovePendingMessage(QObject* receiver, QEvent::Type type);

// True when the active window belongs to this application.
bool IsAppForeground();
