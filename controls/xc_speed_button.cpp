#include "controls/xc_speed_button.h"

#include "controls/ctl_utils.h"
#include "controls/set_if_changed.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace Xc;

TXcButtonGroupEvent::TXcButtonGroupEvent(int groupIndex, TXcSpeedButton* sender)
    : QEvent(EventType()), groupIndex_(groupIndex), sender_(sender) {}

TXcSpeedButton::TXcSpeedButton(QWidget* parent) : TXcMouseTrackingWidget(parent) {
  setGeometry(0, 0, 25, 25);
  setAttribute(Qt::WA_OpaquePaintEvent);
  glyph_.OnChange = [this] { update(); };
}

TXcSpeedButton::~TXcSpeedButton() {
  glyph_.OnChange = nullptr;
}

void TXcSpeedButton::SetAction(QAction* value) {
  if (value == action_) return;
  if (actionLink_) disconnect(actionLink_);
  action_ = value;
  if (!value) return;
  actionLink_ = connect(value, &QAction::changed, this, [this] { ActionChanged(false); });
  ActionChanged(true);
}

void TXcSpeedButton::ActionChanged(bool checkDefaults) {
  QAction* action = action_;
  if (!action) return;
  setEnabled(action->isEnabled());
  SetCaption(action->text());
  SetHint(action->toolTip());
  setVisible(action->isVisible());
  // When linking, a button already down keeps its state.
  if (groupIndex_ != 0 && !(checkDefaults && down_)) SetDown(action->isChecked());
  if (glyph_.Glyph().isNull() && !action->icon().isNull()) {
    const QList<QSize> sizes = action->icon().availableSizes();
    const QSize size = sizes.isEmpty() ? QSize(16, 16) : sizes.first();
    const QColor fuchsia(0xFF, 0x00, 0xFF);
    QPixmap picture(size);
    picture.fill(fuchsia);
    {
      QPainter p(&picture);
      // The icon's pixels of scale 1: on a scaled screen the button enlarges the glyph
      // with its face, and the icon's drawing for more pixels may be another picture.
      p.drawPixmap(0, 0, action->icon().pixmap(size, 1.0));
    }
    glyph_.SetGlyph(picture);
    glyph_.SetTransparentColor(fuchsia);
  }
}

void TXcSpeedButton::SetAlignment(TAlignment value) {
  if (value == glyph_.Alignment()) return;
  glyph_.SetAlignment(value);
  update();
}

void TXcSpeedButton::SetAllowAllUp(bool value) {
  if (SetIfChanged(allowAllUp_, value)) UpdateExclusive();
}

void TXcSpeedButton::SetAllowTimer(bool value) {
  allowTimer_ = value;
  if (!value && repeatTimer_) {
    repeatTimer_->stop();
    delete repeatTimer_;
    repeatTimer_ = nullptr;
  }
}

void TXcSpeedButton::SetGroupIndex(int value) {
  if (SetIfChanged(groupIndex_, value)) UpdateExclusive();
}

void TXcSpeedButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = value;
  if (value) {
    if (state_ == bpsUp) update();
    state_ = bpsExclusive;
  } else {
    state_ = bpsUp;
  }
  repaint();
  if (value) UpdateExclusive();
  update();
}

void TXcSpeedButton::SetDropDownMenu(QMenu* value) {
  dropDownMenu_ = value;
  if (markDropDown_) update();
}

void TXcSpeedButton::SetCaption(const QString& value) {
  if (!SetIfChanged(caption_, value)) return;
  UpdateShortcut();
  update();
}

void TXcSpeedButton::SetFlat(bool value) {
  if (SetIfChanged(flat_, value)) update();
}

void TXcSpeedButton::SetGlyph(const QPixmap& value) {
  glyph_.Invalidate();
  glyph_.SetGlyph(value);
  update();
}

void TXcSpeedButton::SetGrayedInactive(bool value) {
  if (SetIfChanged(grayedInactive_, value)) update();
}

void TXcSpeedButton::SetHint(const QString& value) {
  hint_ = value;
  ApplyHint(this, value);
}

void TXcSpeedButton::SetLayout(TButtonLayout value) {
  if (SetIfChanged(layout_, value)) update();
}

void TXcSpeedButton::SetMargin(int value) {
  if (value < -1) return;
  if (SetIfChanged(margin_, value)) update();
}

void TXcSpeedButton::SetMarkDropDown(bool value) {
  if (SetIfChanged(markDropDown_, value)) update();
}

void TXcSpeedButton::SetNumGlyphs(TXcNumGlyphs value) {
  value = std::clamp(value, 0, kMaxNumGlyphs);
  if (value == glyph_.NumGlyphs()) return;
  glyph_.SetNumGlyphs(value);
  update();
}

bool TXcSpeedButton::ParentFont() const {
  return !testAttribute(Qt::WA_SetFont);
}

void TXcSpeedButton::SetParentFont(bool value) {
  if (value == ParentFont()) return;
  setFont(value ? QFont() : font());
}

void TXcSpeedButton::SetSpacing(int value) {
  if (SetIfChanged(spacing_, value)) update();
}

void TXcSpeedButton::SetStyle(TButtonStyle value) {
  if (SetIfChanged(style_, value)) update();
}

void TXcSpeedButton::SetTransparent(bool value) {
  if (SetIfChanged(transparent_, value)) update();
}

void TXcSpeedButton::SetWordWrap(bool value) {
  if (value == glyph_.WordWrap()) return;
  glyph_.SetWordWrap(value);
  update();
}

void TXcSpeedButton::UpdateShortcut() {
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
}

void TXcSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !parentWidget()) return;
  const QObjectList siblings = parentWidget()->children();
  for (QObject* sibling : siblings) {
    TXcButtonGroupEvent message(groupIndex_, this);
    QCoreApplication::sendEvent(sibling, &message);
  }
}

void TXcSpeedButton::MouseEnter() {
  if (flat_) repaint();
  TXcMouseTrackingWidget::MouseEnter();
}

void TXcSpeedButton::MouseLeave() {
  if (flat_) update();
  TXcMouseTrackingWidget::MouseLeave();
}

bool TXcSpeedButton::InsideForClick(const QPoint& pos) const {
  // The bottom edge still counts, the right edge does not.
  return pos.x() >= 0 && pos.x() < width() && pos.y() >= 0 && pos.y() <= height();
}

QPoint TXcSpeedButton::DropDownMenuPoint(TXcDropDownMenuPos position, Qt::Alignment menuAlignment,
                                         const QSize& buttonSize) {
  const int w = buttonSize.width();
  const int h = buttonSize.height();
  if (menuAlignment & Qt::AlignHCenter) return QPoint(w / 2, h);
  const bool right = (menuAlignment & Qt::AlignRight) != 0;
  if (position == dmpBottom) return right ? QPoint(w + 1, h) : QPoint(-1, h);
  return right ? QPoint(-1, -1) : QPoint(w, -1);
}

bool TXcSpeedButton::CheckMenuDropDown() {
  QMenu* menu = dropDownMenu_;
  if (!menu) return false;
  // The menu says how it is aligned to its point through the "Alignment" property.
  const QVariant alignmentValue = menu->property("Alignment");
  const Qt::Alignment alignment =
      alignmentValue.isValid() ? Qt::Alignment(alignmentValue.toInt()) : Qt::AlignLeft;
  QPoint at = mapToGlobal(DropDownMenuPoint(menuPosition_, alignment, size()));
  const int menuWidth = menu->sizeHint().width();
  if (alignment & Qt::AlignHCenter)
    at.rx() -= menuWidth / 2;
  else if (alignment & Qt::AlignRight)
    at.rx() -= menuWidth;
  menu->exec(at);
  return true;
}

void TXcSpeedButton::Click() {
  QPointer<TXcSpeedButton> self(this);
  if (auto* dialog = qobject_cast<QDialog*>(window()); dialog && modalResult_ != 0)
    dialog->done(modalResult_);
  if (!self) return;
  if (action_ && !isSignalConnected(QMetaMethod::fromSignal(&TXcSpeedButton::OnClick)))
    action_->trigger();
  else
    emit OnClick(this);
}

bool TXcSpeedButton::event(QEvent* e) {
  if (e->type() == TXcButtonGroupEvent::EventType()) {
    auto* message = static_cast<TXcButtonGroupEvent*>(e);
    TXcSpeedButton* sender = message->Sender();
    if (message->GroupIndex() == groupIndex_ && sender != this && sender) {
      if (sender->Down() && down_) {
        down_ = false;
        state_ = bpsUp;
        repaint();
      }
      allowAllUp_ = sender->AllowAllUp();
    }
    return true;
  }
  if (e->type() == QEvent::Shortcut) {
    auto* shortcut = static_cast<QShortcutEvent*>(e);
    if (shortcut->shortcutId() == shortcutId_ && isEnabled()) {
      Click();
      return true;
    }
  }
  if (e->type() == QEvent::ToolTip) {
    if (!HintAllowed(this, showHint_, parentShowHint_)) {
      e->ignore();
      return true;
    }
  }
  return TXcMouseTrackingWidget::event(e);
}

void TXcSpeedButton::PaintGlyph(QPainter& canvas, const QRect& rect, TButtonPaintState state,
                                bool drawMark) {
  int flags = Qt::AlignHCenter;
  if (glyph_.Alignment() == taLeftJustify) flags = Qt::AlignLeft;
  if (glyph_.Alignment() == taRightJustify) flags = Qt::AlignRight;
  glyph_.DrawEx(canvas, rect, caption_, layout_, margin_, spacing_, drawMark, nullptr, -1, state,
                flags);
}

namespace {

// The two-colour dither of a button held down. The platform draws its pattern brushes in
// device pixels, finer on a scaled screen; a texture of one pattern cell scales with the
// face, so the face looks the same at any scale.
QBrush DitherBrush() {
  QPixmap cell(2, 2);
  cell.fill(BtnFaceColor());
  QPainter p(&cell);
  p.fillRect(cell.rect(), QBrush(BtnHighlightColor(), Qt::Dense4Pattern));
  p.end();
  return QBrush(cell);
}

}  // namespace

void TXcSpeedButton::paintEvent(QPaintEvent*) {
  if (!isEnabled()) {
    state_ = bpsDisabled;
    pressing_ = false;
  } else if (state_ == bpsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? bpsExclusive : bpsUp;
  }
  const TButtonPaintState drawState = flat_ && !MouseInside() ? bpsInactive : state_;

  const qreal ratio = devicePixelRatioF();
  if (image_.size() != size() * ratio) {
    image_ = QPixmap(size() * ratio);
    image_.setDevicePixelRatio(ratio);
  }
  QPainter p(&image_);
  p.setFont(font());
  p.fillRect(rect(), BtnFaceColor());
  if (transparent_) CopyParentImage(this, p);
  QRect r = rect();
  if (drawState != bpsInactive || state_ == bpsExclusive)
    r = DrawButtonFrame(p, r, state_ == bpsDown || state_ == bpsExclusive, flat_, style_);
  else
    r.adjust(2, 2, -2, -2);
  if (state_ == bpsExclusive && !transparent_ && (!flat_ || drawState == bpsInactive)) {
    // Between whole scales a pattern cell covers a pixel and a half: blended, not uneven.
    p.setRenderHint(QPainter::SmoothPixmapTransform, ratio != std::floor(ratio));
    p.fillRect(r.adjusted(-1, -1, 1, 1), DitherBrush());
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  }
  if (state_ == bpsDown || state_ == bpsExclusive) r.translate(1, 1);
  const TButtonPaintState glyphState =
      state_ == bpsDisabled || !grayedInactive_ ? state_ : drawState;
  PaintGlyph(p, r, glyphState, markDropDown_ && dropDownMenu_);
  p.end();
  QPainter screen(this);
  screen.drawPixmap(0, 0, image_);
}

void TXcSpeedButton::mousePressEvent(QMouseEvent* e) {
  if (menuTracking_) return;
  const QPoint pos = e->position().toPoint();
  emit OnMouseDown(this, e->button(), e->modifiers(), pos.x(), pos.y());
  if (e->button() == Qt::RightButton) UpdateTracking();
  if (!isEnabled()) return;
  if (!MouseInside()) {
    MarkMouseInside(true);
    repaint();
  }
  if (e->button() != Qt::LeftButton) return;
  if (!down_) {
    state_ = bpsDown;
    repaint();
  }
  pressing_ = true;
  menuTracking_ = true;
  QPointer<TXcSpeedButton> self(this);
  if (CheckMenuDropDown()) {
    if (!self) return;
    DoMouseUp(Qt::LeftButton, pos);
    // The press that closed the menu on this button must not press it again.
    RemovePendingMessage(this, QEvent::MouseButtonPress);
    RemovePendingMessage(this, QEvent::MouseButtonDblClick);
  }
  if (!self) return;
  menuTracking_ = false;
  if (allowTimer_) {
    if (!repeatTimer_) {
      repeatTimer_ = new QTimer(this);
      connect(repeatTimer_, &QTimer::timeout, this, &TXcSpeedButton::TimerExpired);
    }
    repeatTimer_->start(initPause_);
  }
}

void TXcSpeedButton::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  emit OnMouseMove(this, e->modifiers(), pos.x(), pos.y());
  if (!pressing_) return;
  TButtonPaintState next;
  if (down_)
    next = bpsExclusive;
  else
    next = InsideForClick(pos) ? bpsDown : bpsUp;
  if (next != state_) {
    state_ = next;
    repaint();
  }
}

void TXcSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  QPointer<TXcSpeedButton> self(this);
  emit OnMouseUp(this, e->button(), e->modifiers(), pos.x(), pos.y());
  if (!self) return;
  DoMouseUp(e->button(), pos);
  if (self && repeatTimer_) repeatTimer_->stop();
}

void TXcSpeedButton::DoMouseUp(Qt::MouseButton button, const QPoint& pos) {
  if (button == Qt::RightButton) {
    UpdateTracking();
    return;
  }
  if (button != Qt::LeftButton || !pressing_) return;
  pressing_ = false;
  const bool click = InsideForClick(pos);
  if (groupIndex_ == 0) {
    state_ = bpsUp;
    MarkMouseInside(false);
    if (click)
      repaint();
    else
      update();
  } else if (click) {
    SetDown(!down_);
    if (down_) repaint();
  } else if (down_) {
    state_ = bpsExclusive;
    repaint();
  }
  QPointer<TXcSpeedButton> self(this);
  if (click && !menuTracking_) Click();
  if (self) UpdateTracking();
}

void TXcSpeedButton::mouseDoubleClickEvent(QMouseEvent* e) {
  if (menuTracking_) return;
  QPointer<TXcSpeedButton> self(this);
  mousePressEvent(e);
  if (self && down_) emit OnDblClick(this);
}

void TXcSpeedButton::TimerExpired() {
  repeatTimer_->setInterval(repeatInterval_);
  if (state_ != bpsDown || !pressing_) return;
  try {
    Click();
  } catch (...) {
    if (repeatTimer_) repeatTimer_->stop();
    throw;
  }
}

void TXcSpeedButton::changeEvent(QEvent* e) {
  TXcMouseTrackingWidget::changeEvent(e);
  switch (e->type()) {
    case QEvent::EnabledChange:
      // Made now so the first paint in the new state does not wait for it.
      glyph_.CreateButtonGlyph(isEnabled() ? (flat_ ? bpsInactive : bpsUp) : bpsDisabled);
      UpdateTracking();
      repaint();
      break;
    case QEvent::ApplicationPaletteChange:
      glyph_.Invalidate();
      update();
      break;
    case QEvent::FontChange:
      update();
      break;
    default:
      break;
  }
}
