#include "controls/combo_edit.h"

#include "controls/ctl_utils.h"
#include "controls/set_if_changed.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>

namespace Combo {

int VirtualKey(int qtKey) {
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
    return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      return 0;
  }
}

int VirtualKey(const QKeyEvent& e) {
  if (e.modifiers() & Qt::KeypadModifier) {
    if (e.key() == Qt::Key_Plus) return 107;
    if (e.key() == Qt::Key_Minus) return 109;
  }
  return VirtualKey(e.key());
}

quint16 ShortCutOf(int virtualKey, Qt::KeyboardModifiers shift) {
  quint16 code = static_cast<quint16>(virtualKey & 0xFF);
  if (shift & Qt::ShiftModifier) code |= scShift;
  if (shift & Qt::ControlModifier) code |= scCtrl;
  if (shift & Qt::AltModifier) code |= scAlt;
  return code;
}

}  // namespace Combo

using namespace Combo;

namespace {

QStyle* EditStyle() {
  // One for every edit; the application frees it after the last window.
  static QPointer<QStyle> style;
  if (!style) {
    // Without the platform's text cursor: the edit draws its own caret.
    style = NewMetricStyle(QStyle::PM_TextCursorWidth, 0);
    style->setParent(qApp);
  }
  return style;
}

}  // namespace

// --- TPopupWindow ---

TPopupWindow::TPopupWindow(QWidget* owner)
    : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  QFrame::setVisible(false);
}

void TPopupWindow::CloseUp(bool accept) {
  emit OnCloseUp(this, accept);
}

void TPopupWindow::Show(const QPoint& origin) {
  move(origin);
  QFrame::setVisible(true);
  raise();
}

void TPopupWindow::Hide() {
  QFrame::setVisible(false);
}

void TPopupWindow::PopupKeyDown(int&, Qt::KeyboardModifiers) {}
void TPopupWindow::PopupKeyPress(QChar&) {}

void TPopupWindow::mouseReleaseEvent(QMouseEvent* e) {
  QFrame::mouseReleaseEvent(e);
  PopupMouseUp(e->button(), e->position().toPoint());
}

void TPopupWindow::PopupMouseUp(Qt::MouseButton button, const QPoint& pos) {
  if (button == Qt::LeftButton) CloseUp(rect().contains(pos));
}

// --- TEditButton ---

TEditButton::TEditButton(TCustomComboEdit* combo, QWidget* parent)
    : TXcSpeedButton(parent), combo_(combo) {
  SetParentShowHint(true);
}

void TEditButton::Click() {
  if (noAction_) {
    noAction_ = false;
    return;
  }
  TXcSpeedButton::Click();
}

void TEditButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && combo_) {
    noAction_ = combo_->PopupVisible();
    if (noAction_) {
      combo_->PopupCloseUp(combo_->Popup(), true);
    } else if ((combo_->focusPolicy() & Qt::TabFocus) && combo_->isEnabled() &&
               !combo_->hasFocus()) {
      combo_->setFocus(Qt::MouseFocusReason);
    }
  }
  TXcSpeedButton::mousePressEvent(e);
}

void TEditButton::paintEvent(QPaintEvent* e) {
  TXcSpeedButton::paintEvent(e);
  if (PaintState() == Xc::bpsDown || PaintState() == Xc::bpsExclusive) return;
  // A separator on the left edge sets the button off from the text.
  QPainter p(this);
  p.setPen(palette().color(QPalette::Button));
  p.drawLine(0, 0, 0, height() - 1);
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(1, 1, 1, height() - 2);
}

// --- TCustomComboEdit ---

TCustomComboEdit::TCustomComboEdit(QWidget* parent)
    : QLineEdit(parent), host_(new QWidget(this)), button_(new TEditButton(this, host_)) {
  host_->setObjectName(QStringLiteral("ButtonHost"));
  host_->resize(21, 17);
  host_->setVisible(true);
  button_->setObjectName(QStringLiteral("Button"));
  button_->setGeometry(0, 0, host_->width(), host_->height());
  button_->setVisible(true);
  connect(button_, &TXcSpeedButton::OnClick, this, [this] { EditButtonClick(); });
  connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
  setStyle(EditStyle());
  setMinimumHeight(GetMinHeight());
  resize(width(), qMax(21, GetMinHeight()));
  UpdateBtnBounds();
}

TCustomComboEdit::~TCustomComboEdit() {
  button_->disconnect(this);
}

int TCustomComboEdit::GetTextHeight() const {
  return qMin(QFontMetrics(QApplication::font()).height(), fontMetrics().height());
}

int TCustomComboEdit::GetMinHeight() const {
  return GetTextHeight() + 4 * 1 + 1;
}

void TCustomComboEdit::UpdateBtnBounds() {
  if (hasFrame())
    host_->setGeometry(width() - buttonWidth_ - 2, 2, buttonWidth_, qMax(0, height() - 4));
  else
    host_->setGeometry(width() - buttonWidth_, 0, buttonWidth_, height());
  button_->setGeometry(0, 0, host_->width(), host_->height());
  SetEditRect();
}

void TCustomComboEdit::SetShowCaret() {
  caretSize_ = QSize(font().bold() ? 2 : 1, GetTextHeight());
  caretShown_ = true;
  caretOn_ = true;
  const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
  if (flashTime > 0)
    caretBlink_.start(flashTime / 2, this);
  else
    caretBlink_.stop();
  update();
}

void TCustomComboEdit::HideCaret() {
  caretShown_ = false;
  caretBlink_.stop();
  update();
}

void TCustomComboEdit::timerEvent(QTimerEvent* e) {
  if (e->timerId() != caretBlink_.timerId()) {
    QLineEdit::timerEvent(e);
    return;
  }
  caretOn_ = !caretOn_;
  update();
}

void TCustomComboEdit::paintEvent(QPaintEvent* e) {
  QLineEdit::paintEvent(e);
  if (!caretShown_ || !caretOn_ || !hasFocus()) return;
  // cursorRect() spans 5 pixels either side of the cursor and the line's height plus one.
  const QRect line = cursorRect();
  const int y = line.top() + qMax(0, (line.height() - 1 - caretSize_.height()) / 2);
  QPainter p(this);
  p.fillRect(QRect(QPoint(line.left() + 5, y), caretSize_), palette().color(QPalette::Text));
}

void TCustomComboEdit::SetEditRect() {
  // The text never runs under the button.
  setTextMargins(0, 0, host_->isHidden() ? 0 : host_->width() + 2, 0);
}

void TCustomComboEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  if (height() < GetMinHeight()) {
    resize(width(), GetMinHeight());
    return;
  }
  UpdateBtnBounds();
}

void TCustomComboEdit::changeEvent(QEvent* e) {
  QLineEdit::changeEvent(e);
  switch (e->type()) {
    case QEvent::FontChange:
      setMinimumHeight(GetMinHeight());
      SetEditRect();
      break;
    case QEvent::EnabledChange:
      button_->setEnabled(isEnabled());
      break;
    case QEvent::LayoutDirectionChange:
      if (popup_) popup_->setLayoutDirection(layoutDirection());
      break;
    default:
      break;
  }
}

void TCustomComboEdit::SetButtonWidth(int value) {
  if (value == buttonWidth_) return;
  host_->setVisible(value > 1);
  if (creating_) {
    buttonWidth_ = value;
    RecreateGlyph();
  } else if (value < width()) {
    buttonWidth_ = value;
    RecreateGlyph();
  }
  UpdateBtnBounds();
}

void TCustomComboEdit::SetGlyph(const QPixmap& value) {
  button_->SetGlyph(value);
  glyphKind_ = gkCustom;
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind value) {
  if (!SetIfChanged(glyphKind_, value)) return;
  RecreateGlyph();
  if (glyphKind_ == gkDefault && !button_->Glyph().isNull()) {
    SetButtonWidth(
        qMax(button_->Glyph().width() / qMax(1, button_->NumGlyphs()) + 6, button_->width()));
  } else if (glyphKind_ == gkDropDown) {
    SetButtonWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
  }
}

void TCustomComboEdit::SetNumGlyphs(int value) {
  switch (glyphKind_) {
    case gkDropDown:
    case gkEllipsis:
      button_->SetNumGlyphs(1);
      break;
    case gkDefault:
      button_->SetNumGlyphs(defNumGlyphs_);
      break;
    case gkCustom:
      button_->SetNumGlyphs(value);
      break;
  }
}

void TCustomComboEdit::RecreateGlyph() {
  switch (glyphKind_) {
    case gkDefault: {
      bool destroyNeeded = false;
      const QPixmap bitmap = GetDefaultBitmap(destroyNeeded);
      if (!bitmap.isNull()) {
        button_->SetGlyph(bitmap);
        button_->SetNumGlyphs(defNumGlyphs_);
      }
      break;
    }
    case gkDropDown:
      button_->SetGlyph(CreateDropDownGlyph());
      button_->SetNumGlyphs(1);
      break;
    case gkEllipsis:
      button_->SetGlyph(CreateEllipsisGlyph());
      button_->SetNumGlyphs(1);
      break;
    case gkCustom:
      break;
  }
}

QPixmap TCustomComboEdit::CreateEllipsisGlyph() const {
  const int width = qMax(1, button_->width() - 6);
  QPixmap bitmap(width, 4);
  bitmap.fill(Qt::white);
  QPainter p(&bitmap);
  const int w = qMin(qMax((width - 6) / 2, 1), 3);
  const int x = (width - 6 - 2 * w) / 2;
  for (int left : {x, x + w + 2, x + 2 * w + 4}) p.fillRect(left, 1, 2, 2, Qt::black);
  return bitmap;
}

QPixmap TCustomComboEdit::CreateDropDownGlyph() const {
  // Our own drawing of a combo box's arrow: a 7 x 4 triangle on a transparent white.
  QPixmap bitmap(7, 4);
  bitmap.fill(Qt::white);
  QPainter p(&bitmap);
  p.setPen(Qt::black);
  for (int row = 0; row < 4; ++row) p.drawLine(row, row, 6 - row, row);
  return bitmap;
}

QPixmap TCustomComboEdit::GetDefaultBitmap(bool& destroyNeeded) {
  destroyNeeded = false;
  return QPixmap();
}

void TCustomComboEdit::SetReadOnly(bool value) {
  if (SetIfChanged(readOnly_, value)) ApplyEditReadOnly();
}

void TCustomComboEdit::SetDirectInput(bool value) {
  directInput_ = value;
  ApplyEditReadOnly();
}

void TCustomComboEdit::ApplyEditReadOnly() {
  QLineEdit::setReadOnly(readOnly_ || !directInput_);
}

void TCustomComboEdit::SelectAll() {
  if (directInput_) selectAll();
}

void TCustomComboEdit::EditButtonClick() {
  if (readOnly_ && !alwaysEnable_) return;
  ButtonClick();
}

void TCustomComboEdit::ButtonClick() {
  emit OnButtonClick(this);
  if (!popup_) return;
  if (PopupVisible())
    PopupCloseUp(popup_, true);
  else
    PopupDropDown(true);
}

void TCustomComboEdit::PopupDropDown(bool disableEdit) {
  if (!popup_ || GetReadOnly() || popupVisible_) return;
  QPoint p = mapToGlobal(QPoint(0, 0));
  const QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect area = scr ? scr->geometry() : QRect(0, 0, 800, 600);
  const int screenRight = area.x() + area.width();
  const int screenBottom = area.y() + area.height();
  int y = p.y() + height();
  if (y + popup_->height() > screenBottom) y = p.y() - popup_->height();
  if (popupAlign_ == epaRight) {
    const int shifted = p.x() - (popup_->width() - width());
    if (shifted >= area.x()) p.setX(shifted);
  } else if (p.x() + popup_->width() > screenRight) {
    p.setX(p.x() - (popup_->width() - width()));
  }
  if (p.x() < area.x())
    p.setX(area.x());
  else if (p.x() + popup_->width() > screenRight)
    p.setX(screenRight - popup_->width());
  SetPopupValue(text().isEmpty() ? QVariant() : QVariant(text()));
  if (!hasFocus()) setFocus(Qt::OtherFocusReason);
  ShowPopup(QPoint(p.x(), y));
  popupVisible_ = true;
  qApp->installEventFilter(this);
  if (disableEdit) {
    QLineEdit::setReadOnly(true);
    HideCaret();
  }
}

void TCustomComboEdit::SetPopup(TPopupWindow* popup) {
  if (popup != popup_ && PopupVisible()) PopupCloseUp(popup_, false);
  popup_ = popup;
}

void TCustomComboEdit::ShowPopup(const QPoint& origin) {
  popup_->Show(origin);
}
void TCustomComboEdit::HidePopup() {
  popup_->Hide();
}
bool TCustomComboEdit::AcceptPopup(QVariant&) {
  return true;
}

void TCustomComboEdit::AcceptValue(const QVariant& value) {
  if (text() != value.toString()) {
    setText(value.toString());
    setModified(true);
    UpdatePopupVisible();
    DoChange();
  }
}

void TCustomComboEdit::SetPopupValue(const QVariant& value) {
  if (popup_) popup_->SetValue(value);
}

QVariant TCustomComboEdit::GetPopupValue() {
  return popup_ ? popup_->GetValue() : QVariant(QString());
}

void TCustomComboEdit::UpdatePopupVisible() {
  popupVisible_ = popup_ && popup_->isVisible();
}

void TCustomComboEdit::PopupCloseUp(QObject*, bool accept) {
  if (!popup_ || !popupVisible_) return;
  // The flag falls whatever happens below.
  struct Lower {
    TCustomComboEdit& edit;
    ~Lower() {
      edit.popupVisible_ = false;
      qApp->removeEventFilter(&edit);
    }
  } lower{*this};
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  QVariant value = GetPopupValue();
  HidePopup();
  if (!losingFocus_ && isEnabled() && isVisible() && !hasFocus()) setFocus(Qt::OtherFocusReason);
  if (hasFocus()) SetShowCaret();
  ApplyEditReadOnly();
  update();
  if (accept && AcceptPopup(value) && EditCanModify()) {
    AcceptValue(value);
    if (focused_) selectAll();
  }
}

void TCustomComboEdit::CancelMode(QWidget* sender) {
  if (!popup_ || sender == this || isAncestorOf(sender) || sender == popup_ ||
      popup_->isAncestorOf(sender))
    return;
  PopupCloseUp(popup_, false);
}

bool TCustomComboEdit::eventFilter(QObject* watched, QEvent* e) {
  // The press goes on to its widget afterwards, as it would with the popup closed.
  if ((e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) &&
      watched->isWidgetType() && PopupVisible())
    CancelMode(static_cast<QWidget*>(watched));
  // The popup is a window of its own: it would stay behind when the edit's window moves, also
  // by the keyboard, or stand over another program's window once the edit's window is left.
  if (watched == window() && PopupVisible() &&
      (e->type() == QEvent::Move ||
       (e->type() == QEvent::WindowDeactivate && QApplication::activeWindow() != popup_)))
    PopupCloseUp(popup_, false);
  return QLineEdit::eventFilter(watched, e);
}

void TCustomComboEdit::DoChange() {
  emit OnChange(this);
}

void TCustomComboEdit::Change() {
  if (PopupVisible())
    PopupChanged();
  else
    DoChange();
}

void TCustomComboEdit::KeyDown(int& key, Qt::KeyboardModifiers shift) {
  if (key != 0 && ShortCutOf(key, shift) == clickKey_ && buttonWidth_ > 0) {
    EditButtonClick();
    key = 0;
  }
}

void TCustomComboEdit::KeyPress(QChar& key) {
  if ((key == QChar(13) || key == QChar(27)) && PopupVisible()) {
    PopupCloseUp(popup_, key == QChar(13));
    key = QChar(0);
  }
}

void TCustomComboEdit::keyPressEvent(QKeyEvent* e) {
  int key = VirtualKey(*e);
  const Qt::KeyboardModifiers shift = e->modifiers() & ~Qt::KeypadModifier;
  if (key != 0) {
    KeyDown(key, shift);
    if (key == 0) {
      e->accept();
      return;
    }
  }
  QChar ch;
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
    ch = QChar(13);
  else if (e->key() == Qt::Key_Escape)
    ch = QChar(27);
  else if (!e->text().isEmpty() && e->text()[0].isPrint())
    ch = e->text()[0];
  if (!ch.isNull()) {
    KeyPress(ch);
    if (ch.isNull()) {
      e->accept();
      return;
    }
  }
  // Enter and Esc go on to the window's default and cancel buttons from here.
  QLineEdit::keyPressEvent(e);
  // Typing shows the caret at once, as the platform's cursor does.
  if (caretShown_ && !caretOn_) {
    caretOn_ = true;
    update();
  }
}

void TCustomComboEdit::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && popup_) {
    if (!hasFocus() && focusPolicy() != Qt::NoFocus && isEnabled()) setFocus(Qt::MouseFocusReason);
    if (!hasFocus()) return;
    if (PopupVisible()) PopupCloseUp(popup_, false);
  }
  QLineEdit::mousePressEvent(e);
}

void TCustomComboEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  focused_ = true;
  SetShowCaret();
}

void TCustomComboEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // The popup window never takes the activation, but a window manager might give it.
  if (e->reason() == Qt::ActiveWindowFocusReason && popup_ &&
      QApplication::activeWindow() == popup_)
    return;
  focused_ = false;
  HideCaret();
  // The focus went where the user sent it (a press on another control, a tab): it stays there.
  const QScopedValueRollback<bool> losing(losingFocus_, true);
  PopupCloseUp(popup_, false);
}
