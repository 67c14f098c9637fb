#include "controls/bm_shadow_button.h"

#include "controls/set_if_changed.h"

#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace {

Qt::Alignment AlignmentOf(TBmTextAlignment align) {
  switch (align) {
    case TBmTextAlignment::btaLeft:
      return Qt::AlignLeft | Qt::AlignVCenter;
    case TBmTextAlignment::btaCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case TBmTextAlignment::btaRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case TBmTextAlignment::btaTopLeft:
      return Qt::AlignLeft | Qt::AlignTop;
    case TBmTextAlignment::btaTop:
      return Qt::AlignHCenter | Qt::AlignTop;
    case TBmTextAlignment::btaTopRight:
      return Qt::AlignRight | Qt::AlignTop;
    case TBmTextAlignment::btaBottomLeft:
      return Qt::AlignLeft | Qt::AlignBottom;
    case TBmTextAlignment::btaBottom:
      return Qt::AlignHCenter | Qt::AlignBottom;
    case TBmTextAlignment::btaBottomRight:
      return Qt::AlignRight | Qt::AlignBottom;
  }
  return Qt::AlignHCenter | Qt::AlignVCenter;
}

QRect Shrunk(const QRect& r, int by) {
  return r.adjusted(by, by, -by, -by);
}

}  // namespace

TBmShadowButton::TBmShadowButton(QWidget* Parent) : TBmGraphicImageControl(Parent) {
  SetParentColor(true);
  resize(110, 30);
}

void TBmShadowButton::SetCaption(const QString& Value) {
  if (!SetIfChanged(Caption_, Value)) return;
  UpdateAccelerator();
  TextChanged();
  RepaintControl();
}

void TBmShadowButton::SetBrush(const QBrush& Value) {
  if (SetIfChanged(Brush_, Value)) RepaintControl();
}

void TBmShadowButton::SetPen(const QPen& Value) {
  if (SetIfChanged(Pen_, Value)) RepaintControl();
}

void TBmShadowButton::SetDepth(int Value) {
  if (Value < 3) return;
  if (SetIfChanged(Depth_, Value)) RepaintControl();
}

QColor TBmShadowButton::ShadowColor() const {
  return ShadowColor_.isValid() ? ShadowColor_ : palette().color(QPalette::Dark);
}

void TBmShadowButton::SetShadowColor(const QColor& Value) {
  if (SetIfChanged(ShadowColor_, Value)) RepaintControl();
}

QColor TBmShadowButton::ShadowOutline() const {
  return ShadowOutline_.isValid() ? ShadowOutline_ : palette().color(QPalette::Dark);
}

void TBmShadowButton::SetShadowOutline(const QColor& Value) {
  if (SetIfChanged(ShadowOutline_, Value)) RepaintControl();
}

void TBmShadowButton::SetStyle(TBmShadowButtonStyle Value) {
  if (SetIfChanged(Style_, Value)) RepaintControl();
}

void TBmShadowButton::SetDirection(TBmShadowDirection Value) {
  if (SetIfChanged(Direction_, Value)) RepaintControl();
}

void TBmShadowButton::SetTextAlign(TBmTextAlignment Value) {
  if (SetIfChanged(TextAlign_, Value)) RepaintControl();
}

QColor TBmShadowButton::DisabledTextColor() const {
  return DisabledTextColor_.isValid() ? DisabledTextColor_
                                      : palette().color(QPalette::Disabled, QPalette::Text);
}

void TBmShadowButton::SetDisabledTextColor(const QColor& Value) {
  if (SetIfChanged(DisabledTextColor_, Value)) RepaintControl();
}

void TBmShadowButton::SetFontColor(const QColor& Value) {
  if (SetIfChanged(FontColor_, Value)) RepaintControl();
}

QPoint TBmShadowButton::DirectionSign() const {
  switch (Direction_) {
    case TBmShadowDirection::sdTopLeft:
      return {-1, -1};
    case TBmShadowDirection::sdTopRight:
      return {1, -1};
    case TBmShadowDirection::sdBottomLeft:
      return {-1, 1};
    case TBmShadowDirection::sdBottomRight:
      break;
  }
  return {1, 1};
}

// The text box of the face: the client area less the pen on every side, Depth on the
// shadow's sides, moved into the shadow while pressed, less the pen once more.
QRect TBmShadowButton::ComputeFaceRect(bool pressed) const {
  const int pen = Pen_.width();
  const QPoint sign = DirectionSign();
  QRect r = Shrunk(rect(), pen);
  if (sign.x() < 0)
    r.setLeft(r.left() + Depth_);
  else
    r.setRight(r.right() - Depth_);
  if (sign.y() < 0)
    r.setTop(r.top() + Depth_);
  else
    r.setBottom(r.bottom() - Depth_);
  if (pressed) r.translate(sign * DepthAdjust_);
  return Shrunk(r, pen);
}

void TBmShadowButton::Paint(QPainter& Canvas) {
  ClearImage(Canvas);
  const int pen = Pen_.width();
  const QPoint sign = DirectionSign();
  const int shape = Style_ == TBmShadowButtonStyle::ssRectangle ? 0 : 2;
  QRect r = Shrunk(ComputeFaceRect(false), -pen);

  QRect shadow = r.translated(sign * Depth_);
  if (Pressed_) shadow.translate(-sign * DepthAdjust_);
  Canvas.setPen(QPen(ShadowOutline(), 1, Qt::SolidLine));
  Canvas.setBrush(QBrush(ShadowColor(), Qt::SolidPattern));
  DrawShape(Canvas, shape, shadow.x(), shadow.y(), shadow.width(), shadow.height());

  if (Pressed_) r.translate(sign * DepthAdjust_);
  Canvas.setBrush(Brush_);
  Canvas.setPen(Pen_);
  Canvas.setFont(font());
  DrawShape(Canvas, shape, r.x(), r.y(), r.width(), r.height());

  r = Shrunk(r, pen);
  Canvas.setBrush(Qt::NoBrush);
  Canvas.setPen(isEnabled() ? FontColor_ : DisabledTextColor());
  Canvas.drawText(r, AlignmentOf(TextAlign_) | Qt::TextSingleLine | Qt::TextShowMnemonic, Caption_);
}

void TBmShadowButton::UpdateAccelerator() {
  if (ShortcutId_ != 0) releaseShortcut(ShortcutId_);
  ShortcutId_ = 0;
  const QKeySequence key = QKeySequence::mnemonic(Caption_);
  if (!key.isEmpty()) ShortcutId_ = grabShortcut(key);
}

bool TBmShadowButton::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut &&
      static_cast<QShortcutEvent*>(event)->shortcutId() == ShortcutId_ && ShortcutId_ != 0) {
    if (isEnabled()) emit OnClick(this);
    return true;
  }
  return TBmGraphicImageControl::event(event);
}

void TBmShadowButton::changeEvent(QEvent* event) {
  TBmGraphicImageControl::changeEvent(event);
  if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
    RepaintControl();
}

void TBmShadowButton::Press(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !FaceRect().contains(event->position().toPoint()))
    return;
  Tracking_ = true;
  Pressed_ = true;
  RepaintControl();
}

void TBmShadowButton::mousePressEvent(QMouseEvent* event) {
  Press(event);
}

// Double clicks count as presses: the button takes no double clicks.
void TBmShadowButton::mouseDoubleClickEvent(QMouseEvent* event) {
  Press(event);
}

void TBmShadowButton::mouseMoveEvent(QMouseEvent* event) {
  if (!Tracking_) return;
  const bool inside = FaceRect().contains(event->position().toPoint());
  if (inside == Pressed_) return;
  Pressed_ = inside;
  RepaintControl();
}

void TBmShadowButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool click = Tracking_ && Pressed_;
  Tracking_ = false;
  Pressed_ = false;
  if (!click) return;
  RepaintControl();
  emit OnClick(this);
}
