#include "controls/xc_label.h"

#include "controls/ctl_utils.h"
#include "controls/set_if_changed.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>

using namespace Xc;

TXcCustomLabel::TXcCustomLabel(QWidget* parent) : TXcMouseTrackingWidget(parent) {
  resize(65, 17);
  shadowColor_ = BtnHighlightColor();
  color_ = BtnFaceColor();
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

TXcCustomLabel::~TXcCustomLabel() = default;

void TXcCustomLabel::SetAlignment(TAlignment value) {
  if (SetIfChanged(alignment_, value)) update();
}

void TXcCustomLabel::SetAutoSize(bool value) {
  if (SetIfChanged(autoSize_, value)) AdjustBounds();
}

void TXcCustomLabel::SetCaption(const QString& value) {
  if (!SetIfChanged(caption_, value)) return;
  UpdateShortcut();
  update();
  AdjustBounds();
}

QColor TXcCustomLabel::Color() const {
  if (!parentColor_) return color_;
  const QWidget* parent = parentWidget();
  return parent ? parent->palette().color(parent->backgroundRole())
                : palette().color(QPalette::Window);
}

void TXcCustomLabel::SetColor(const QColor& value) {
  color_ = value;
  parentColor_ = false;
  update();
}

void TXcCustomLabel::SetParentColor(bool value) {
  if (value == parentColor_) return;
  if (!value) color_ = Color();
  parentColor_ = value;
  update();
}

void TXcCustomLabel::SetFocusControl(QWidget* value) {
  focusControl_ = value;
  UpdateShortcut();
  if (showFocus_) update();
}

void TXcCustomLabel::SetHint(const QString& value) {
  hint_ = value;
  ApplyHint(this, value);
}

void TXcCustomLabel::SetLayout(TTextLayout value) {
  if (SetIfChanged(layout_, value)) update();
}

bool TXcCustomLabel::ParentFont() const {
  return !testAttribute(Qt::WA_SetFont);
}

void TXcCustomLabel::SetParentFont(bool value) {
  if (value == ParentFont()) return;
  setFont(value ? QFont() : font());
}

void TXcCustomLabel::SetShadowColor(const QColor& value) {
  if (SetIfChanged(shadowColor_, value)) update();
}

void TXcCustomLabel::SetShadowSize(int value) {
  shadowSize_ = static_cast<quint8>(value);
  AdjustBounds();
  update();
}

void TXcCustomLabel::SetShadowPos(TShadowPosition value) {
  if (SetIfChanged(shadowPos_, value)) update();
}

void TXcCustomLabel::SetShowAccelChar(bool value) {
  if (!SetIfChanged(showAccelChar_, value)) return;
  UpdateShortcut();
  update();
}

void TXcCustomLabel::SetShowFocus(bool value) {
  if (SetIfChanged(showFocus_, value)) update();
}

void TXcCustomLabel::SetTransparent(bool value) {
  if (SetIfChanged(transparent_, value)) update();
}

void TXcCustomLabel::SetWordWrap(bool value) {
  if (SetIfChanged(wordWrap_, value)) AdjustBounds();
}

QColor TXcCustomLabel::GetTextColor() const {
  return palette().color(QPalette::Active, foregroundRole());
}

QString TXcCustomLabel::GetLabelText() const {
  return caption_;
}

int TXcCustomLabel::AlignmentFlags() const {
  switch (alignment_) {
    case taRightJustify:
      return Qt::AlignRight;
    case taCenter:
      return Qt::AlignHCenter;
    default:
      return Qt::AlignLeft;
  }
}

QRect TXcCustomLabel::DoDrawText(QPainter* canvas, const QRect& rect, int flags) const {
  QString text = GetLabelText();
  if ((!canvas && text.isEmpty()) || (showAccelChar_ && text == QLatin1String("&")))
    text += QLatin1Char(' ');
  if (showAccelChar_) flags |= Qt::TextShowMnemonic;
  QColor textColor = GetTextColor();
  int size = shadowSize_;
  TShadowPosition position = shadowPos_;
  QColor shadow = shadowColor_;
  if (!isEnabled()) {
    if (size == 0 && kNewControlLook) {
      position = spRightBottom;
      size = 1;
    }
    textColor = GrayTextColor();
    shadow = BtnHighlightColor();
  }
  const int dx = position == spRightBottom || position == spRightTop ? size : -size;
  const int dy = position == spLeftBottom || position == spRightBottom ? size : -size;
  const QRect shadowRect = rect.translated(dx, dy);
  if (!canvas) {
    // Measuring keeps the text at the rectangle's top-left corner.
    const int measureFlags = (flags & ~Qt::AlignHorizontal_Mask & ~Qt::AlignVertical_Mask) |
                             Qt::AlignLeft | Qt::AlignTop;
    const QFontMetrics metrics(font());
    const QRect own = metrics.boundingRect(rect, measureFlags, text);
    const QRect shadowed = metrics.boundingRect(shadowRect, measureFlags, text);
    return own.united(shadowed);
  }
  canvas->setFont(font());
  canvas->setPen(shadow);
  QRect shadowed;
  canvas->drawText(shadowRect, flags, text, &shadowed);
  canvas->setPen(textColor);
  QRect own;
  canvas->drawText(rect, flags, text, &own);
  return own.united(shadowed);
}

void TXcCustomLabel::AdjustBounds() {
  if (!autoSize_) return;
  const QRect client = QRect(0, 0, width(), height()).adjusted(1, 0, -1, 0);
  const int flags = (wordWrap_ ? Qt::TextWordWrap : 0) | Qt::TextExpandTabs;
  QRect measured = DoDrawText(nullptr, client, flags);
  measured.adjust(-1, 0, 1, 0);
  const int newWidth = measured.left() + measured.width();
  const int newHeight = measured.top() + measured.height();
  TAlignment alignment = alignment_;
  if (layoutDirection() == Qt::RightToLeft) {
    if (alignment == taLeftJustify)
      alignment = taRightJustify;
    else if (alignment == taRightJustify)
      alignment = taLeftJustify;
  }
  int left = x();
  if (alignment == taRightJustify) left += width() - newWidth;
  setGeometry(left, y(), std::max(newWidth, 0), std::max(newHeight, 0));
}

void TXcCustomLabel::paintEvent(QPaintEvent*) {
  if (!isEnabled()) pressed_ = false;
  QPainter p(this);
  if (!transparent_) p.fillRect(rect(), Color());
  p.setBrush(Qt::NoBrush);
  QRect r = rect().adjusted(1, 0, -1, 0);
  const int flags =
      (wordWrap_ ? Qt::TextWordWrap : 0) | Qt::TextExpandTabs | AlignmentFlags() | Qt::AlignTop;
  if (layout_ != tlTop) {
    const QRect measured = DoDrawText(nullptr, r, flags);
    const int bottom = measured.top() + measured.height();
    const int shift = layout_ == tlBottom ? height() - bottom : (height() - bottom) / 2;
    r = QRect(r.left(), measured.top() + shift, r.width(), measured.height());
  }
  QRect drawn = DoDrawText(&p, r, flags);
  if (showFocus_ && focusControl_ && focused_) {
    drawn.adjust(-1, 0, 1, 0);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = drawn;
    option.backgroundColor = Color();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
  }
}

void TXcCustomLabel::UpdateShortcut() {
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  if (!showAccelChar_ || !focusControl_) return;
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
}

void TXcCustomLabel::FocusChanged(QWidget* now) {
  const bool focused = focusControl_ && now == focusControl_;
  if (focused == focused_) return;
  focused_ = focused;
  if (showFocus_) update();
}

bool TXcCustomLabel::event(QEvent* e) {
  if (e->type() == QEvent::Shortcut) {
    auto* shortcut = static_cast<QShortcutEvent*>(e);
    if (shortcut->shortcutId() == shortcutId_) {
      QWidget* target = focusControl_;
      if (target && isEnabled() && showAccelChar_) {
        if (target->isEnabled() && target->isVisible() && target->focusPolicy() != Qt::NoFocus)
          target->setFocus(Qt::ShortcutFocusReason);
        return true;
      }
    }
  }
  if (e->type() == QEvent::ToolTip && !HintAllowed(this, showHint_, parentShowHint_)) {
    e->ignore();
    return true;
  }
  return TXcMouseTrackingWidget::event(e);
}

void TXcCustomLabel::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  emit OnMouseDown(this, e->button(), e->modifiers(), pos.x(), pos.y());
  if (e->button() == Qt::RightButton) UpdateTracking();
  if (e->button() == Qt::LeftButton && isEnabled()) pressed_ = true;
}

void TXcCustomLabel::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  emit OnMouseMove(this, e->modifiers(), pos.x(), pos.y());
}

void TXcCustomLabel::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const bool click = e->button() == Qt::LeftButton && pressed_ && rect().contains(pos);
  if (e->button() == Qt::LeftButton) pressed_ = false;
  QPointer<TXcCustomLabel> self(this);
  if (click) emit OnClick(this);
  if (!self) return;
  emit OnMouseUp(this, e->button(), e->modifiers(), pos.x(), pos.y());
  if (self) UpdateTracking();
}

void TXcCustomLabel::mouseDoubleClickEvent(QMouseEvent* e) {
  mousePressEvent(e);
  if (e->button() == Qt::LeftButton) emit OnDblClick(this);
}

void TXcCustomLabel::changeEvent(QEvent* e) {
  TXcMouseTrackingWidget::changeEvent(e);
  switch (e->type()) {
    case QEvent::FontChange:
      AdjustBounds();
      break;
    case QEvent::EnabledChange:
      UpdateTracking();
      update();
      break;
    default:
      break;
  }
}

TXcLabel::TXcLabel(QWidget* parent) : TXcCustomLabel(parent) {}
