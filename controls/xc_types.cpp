#include "controls/xc_types.h"

#include "controls/ctl_utils.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace Xc {

QColor BtnFaceColor() {
  return QGuiApplication::palette().color(QPalette::Active, QPalette::Button);
}
QColor BtnShadowColor() {
  return QGuiApplication::palette().color(QPalette::Active, QPalette::Dark);
}
QColor BtnHighlightColor() {
  return QGuiApplication::palette().color(QPalette::Active, QPalette::Light);
}
QColor WindowFrameColor() {
  return QGuiApplication::palette().color(QPalette::Active, QPalette::Shadow);
}
QColor BtnTextColor() {
  return QGuiApplication::palette().color(QPalette::Active, QPalette::ButtonText);
}
QColor GrayTextColor() {
  return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
}

bool IsMouseOverControl(const QWidget* control) {
  return control->isEnabled() && QApplication::widgetAt(QCursor::pos()) == control &&
         IsAppForeground();
}

void ApplyHint(QWidget* control, const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  control->setToolTip(bar < 0 ? hint : hint.left(bar));
}

bool HintAllowed(const QWidget* control, bool showHint, bool parentShowHint) {
  if (!parentShowHint) return showHint;
  const QVariant parentShow =
      control->parentWidget() ? control->parentWidget()->property("ShowHint") : QVariant();
  return parentShow.isValid() ? parentShow.toBool() : true;
}

}  // namespace Xc
