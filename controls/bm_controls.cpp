#include "controls/bm_controls.h"

#include "controls/ctl_utils.h"
#include "controls/set_if_changed.h"
#include "controls/xc_cursors.h"

#include <QEnterEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

void RegisterBmCursors() {
  if (CursorRegistry::Contains(kBmHandPointCursor)) return;
  // The same pointing hand as the other controls, under this library's number.
  RegisterControlCursors();
  const QCursor hand = CursorRegistry::ByNumber(kHandCursor);
  CursorRegistry::Register(kBmHandPointCursor, QStringLiteral("BMCURSORHANDPOINT"),
                           hand.pixmap().toImage(), hand.hotSpot());
}

void DrawShape(QPainter& Canvas, int Shape, int X, int Y, int W, int H) {
  if (Shape < 0 || Shape > 5) return;
  if (Canvas.pen().width() == 0) {
    --W;
    --H;
  }
  const int S = std::min(W, H);
  if (Shape == 1 || Shape == 3 || Shape == 5) {
    X += (W - S) / 2;
    Y += (H - S) / 2;
    W = S;
    H = S;
  }
  if (W <= 0 || H <= 0) return;
  // Qt's outline covers one pixel more than its size, so the box shrinks by one
  // to cover exactly W x H pixels.
  const QRect box(X, Y, W - 1, H - 1);
  switch (Shape) {
    case 0:
    case 1:
      Canvas.drawRect(box);
      break;
    case 2:
    case 3: {
      const qreal radius = (S / 4) / 2.0;  // the corner size is S / 4 on both axes
      Canvas.drawRoundedRect(box, radius, radius);
      break;
    }
    default:
      Canvas.drawEllipse(box);
      break;
  }
}

TBmGraphicControl::TBmGraphicControl(QWidget* Parent) : QWidget(Parent) {}

void TBmGraphicControl::SetAutoSize(bool Value) {
  if (SetIfChanged(AutoSize_, Value)) AdjustSizeAndRepaint();
}

QColor TBmGraphicControl::Color() const {
  if (ParentColor_ && parentWidget() != nullptr) {
    if (const auto* control = qobject_cast<const TBmGraphicControl*>(parentWidget()))
      return control->Color();
    return parentWidget()->palette().color(parentWidget()->backgroundRole());
  }
  return Color_.isValid() ? Color_ : palette().color(QPalette::Button);
}

void TBmGraphicControl::SetColor(const QColor& Value) {
  const QColor old = Color();
  Color_ = Value;
  ParentColor_ = false;
  if (Color() != old) RepaintControl();
}

void TBmGraphicControl::SetParentColor(bool Value) {
  if (SetIfChanged(ParentColor_, Value)) RepaintControl();
}

void TBmGraphicControl::RepaintControl() {
  update();
}

void TBmGraphicControl::ApplyAutoSize() {
  const QSize old = size();
  int w = width(), h = height();
  if (AutoSize_ && CanAutoSize(w, h)) resize(w, h);
  // A new size repaints by itself.
  if (size() == old) RepaintControl();
}

void TBmGraphicControl::AdjustSizeAndRepaint() {
  if (AutoSize_)
    ApplyAutoSize();
  else
    RepaintControl();
}

void TBmGraphicControl::ForceAdjustSizeAndRepaint() {
  ApplyAutoSize();
}

void TBmGraphicControl::MouseEntered() {
  emit OnMouseEnter(this);
}

void TBmGraphicControl::MouseLeft() {
  emit OnMouseLeave(this);
}

void TBmGraphicControl::FontChanged() {
  emit OnFontChanged(this);
}

void TBmGraphicControl::TextChanged() {
  emit OnTextChanged(this);
}

bool TBmGraphicControl::CanAutoSize(int&, int&) {
  return false;
}

void TBmGraphicControl::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  MouseEntered();
}

void TBmGraphicControl::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  MouseLeft();
}

void TBmGraphicControl::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) FontChanged();
}

TBmGraphicImageControl::TBmGraphicImageControl(QWidget* Parent) : TBmGraphicControl(Parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TBmGraphicImageControl::SetTransparent(bool Value) {
  if (!SetIfChanged(Transparent_, Value)) return;
  setAttribute(Qt::WA_OpaquePaintEvent, !Value);
  CaptureNeeded_ = true;
  RepaintControl();
}

void TBmGraphicImageControl::RepaintControl() {
  // A repaint of the control itself keeps the background it captured last.
  if (Transparent_ && !BackgroundImage_.isNull() && BackgroundImage_.size() == size()) {
    CaptureNeeded_ = false;
    setAttribute(Qt::WA_OpaquePaintEvent, true);
  }
  TBmGraphicControl::RepaintControl();
}

void TBmGraphicImageControl::ClearImage(QPainter& Canvas) {
  if (!Transparent_) {
    Canvas.fillRect(QRect(QPoint(0, 0), DrawingImage_.size()), Color());
    return;
  }
  if (CaptureNeeded_ || BackgroundImage_.size() != size()) {
    BackgroundImage_ = QImage(size(), QImage::Format_RGB32);
    BackgroundImage_.fill(Color());
    QPainter capture(&BackgroundImage_);
    CopyParentImage(this, capture);
  }
  Canvas.drawImage(0, 0, BackgroundImage_);
}

void TBmGraphicImageControl::paintEvent(QPaintEvent*) {
  if (DrawingImage_.size() != size()) DrawingImage_ = QImage(size(), QImage::Format_RGB32);
  if (DrawingImage_.isNull()) return;
  {
    QPainter canvas(&DrawingImage_);
    Paint(canvas);
  }
  QPainter screen(this);
  screen.drawImage(0, 0, DrawingImage_);
  if (Transparent_) {
    CaptureNeeded_ = true;
    setAttribute(Qt::WA_OpaquePaintEvent, false);
  }
}
