#include "controls/xc_mouse_tracking.h"

#include "controls/ctl_utils.h"
#include "controls/xc_types.h"

#include <QEnterEvent>

TXcMouseTrackingWidget::TXcMouseTrackingWidget(QWidget* parent) : QWidget(parent) {}

void TXcMouseTrackingWidget::MouseEnter() {
  emit OnMouseEnter(this);
}

void TXcMouseTrackingWidget::MouseLeave() {
  emit OnMouseLeave(this);
}

void TXcMouseTrackingWidget::SetMouseInside(bool value) {
  mouseInside_ = value;
  if (value)
    MouseEnter();
  else
    MouseLeave();
}

void TXcMouseTrackingWidget::UpdateTracking() {
  const bool inside = Xc::IsMouseOverControl(this);
  if (inside != mouseInside_) SetMouseInside(inside);
}

void TXcMouseTrackingWidget::enterEvent(QEnterEvent* e) {
  QWidget::enterEvent(e);
  if (!mouseInside_ && isEnabled() && IsAppForeground()) SetMouseInside(true);
}

void TXcMouseTrackingWidget::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  if (mouseInside_ && isEnabled() && !PressHeld()) SetMouseInside(false);
}

void TXcMouseTrackingWidget::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  UpdateTracking();
}
