#pragma once

#include <QColor>
#include <QObject>
#include <QString>

class QWidget;

// Pictures side by side in a speed button's glyph bitmap: 1 to 5.
using TXcNumGlyphs = int;
inline constexpr TXcNumGlyphs kMaxNumGlyphs = 5;

// Enumerations of the extended label and speed button, with element names for property
// storage.
namespace Xc {
Q_NAMESPACE

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

enum TTextLayout { tlTop, tlCenter, tlBottom };
Q_ENUM_NS(TTextLayout)

enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };
Q_ENUM_NS(TShadowPosition)

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
Q_ENUM_NS(TButtonLayout)

enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
Q_ENUM_NS(TButtonStyle)

enum TXcDropDownMenuPos { dmpBottom, dmpRight };
Q_ENUM_NS(TXcDropDownMenuPos)

// Paint states of a button, also the order of the pictures in a glyph strip.
enum TButtonPaintState : unsigned char {
  bpsUp = 0,
  bpsDisabled = 1,
  bpsDown = 2,
  bpsExclusive = 3,  // held down as the pressed member of a group
  bpsInactive = 4,   // flat button without the mouse over it
};
Q_ENUM_NS(TButtonPaintState)

// System colours the controls draw with, from the application palette.
QColor BtnFaceColor();
QColor BtnShadowColor();
QColor BtnHighlightColor();
QColor WindowFrameColor();
QColor BtnTextColor();
QColor GrayTextColor();

// The mouse is over `control`, which is enabled, and the application is in front.
bool IsMouseOverControl(const QWidget* control);
// The tool tip is the hint's part before "|". The part after it is no Qt status tip: a window
// writes its status line by its own rules, and the platform would show a status tip beside them.
void ApplyHint(QWidget* control, const QString& hint);
// Whether `control` shows its tool tip; with parentShowHint the parent's "ShowHint"
// property decides (shown when the parent has none).
bool HintAllowed(const QWidget* control, bool showHint, bool parentShowHint);

// This platform always draws controls in the new look.
constexpr bool kNewControlLook = true;

// The group message a button broadcasts to its siblings when it goes down or its
// AllowAllUp changes.
constexpr int kButtonGroupMessage = 0xB051;

}  // namespace Xc
