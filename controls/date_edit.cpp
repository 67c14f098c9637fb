#include "controls/date_edit.h"

#include "controls/set_if_changed.h"
#include "controls/str_utils.h"
#include "platform/exception_guard.h"

#include <QEvent>
#include <QFocusEvent>
#include <QPainter>

#include <cmath>

using namespace DateEditTypes;

QPixmap DateEditBitmap() {
  QImage image(28, 12, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));  // the transparent colour, as in the lower-left pixel
  QPainter p(&image);
  for (int picture = 0; picture < 2; ++picture) {
    const bool disabled = picture == 1;
    const int x = picture * 14;
    const QColor frame = disabled ? QColor(128, 128, 128) : QColor(0, 0, 0);
    const QColor head = disabled ? QColor(192, 192, 192) : QColor(128, 0, 0);
    p.fillRect(x + 1, 1, 12, 10, disabled ? QColor(224, 224, 224) : Qt::white);
    p.fillRect(x + 1, 1, 12, 3, head);
    p.setPen(frame);
    p.drawRect(x + 1, 1, 11, 9);
    // The days of the sheet as dots.
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 4; ++col)
        p.drawPoint(x + 3 + col * 2 + (col > 1 ? 1 : 0), 5 + row * 2);
  }
  p.end();
  return QPixmap::fromImage(image);
}

QString QtInputMask(const QString& dateMask, QChar separator) {
  const QString body = dateMask.section(u';', 0, 0);
  const QString blank = dateMask.section(u';', 2);
  QString mask;
  for (QChar c : body) {
    if (c == u'!') continue;  // the platform's mask has no leading blanks: the edit keeps them
    if (c == u'9')
      mask += u'0';  // an optional digit
    else if (c == u'/') {
      mask += u'\\';
      mask += separator;
    } else
      mask += c;
  }
  return mask + u';' + (blank.isEmpty() ? QChar(u' ') : blank[0]);
}

TCustomDateEdit::TCustomDateEdit(QWidget* parent)
    : TCustomComboEdit(parent), dialogTitle_(DateResString(SDateDlgTitle)) {
  popupColor_ = palette().color(QPalette::Button);
  SetDefNumGlyphs(2);
  SetCreating(true);
  RefreshDateFormat();
  CreateCalendar();
  SetGlyphKind(Combo::gkDefault);
  SetCreating(false);
}

TCustomDateEdit::~TCustomDateEdit() {
  if (TPopupWindow* popup = Popup()) {
    popup->disconnect(this);
    delete popup;
  }
}

void TCustomDateEdit::CreateCalendar() {
  TPopupCalendar* calendar = CreatePopupCalendar(this, layoutDirection());
  connect(calendar, &TPopupWindow::OnCloseUp, this,
          [this](QObject* sender, bool accept) { PopupCloseUp(sender, accept); });
  QPalette pal = calendar->palette();
  pal.setColor(QPalette::Window, popupColor_);
  calendar->setPalette(pal);
  SetPopup(calendar);
}

QPixmap TCustomDateEdit::GetDefaultBitmap(bool& destroyNeeded) {
  destroyNeeded = false;
  return DateEditBitmap();
}

bool TCustomDateEdit::IsFourDigitYear() const {
  switch (yearDigits_) {
    case dyFour:
      return true;
    case dyTwo:
      return false;
    default:
      return FourDigitYear();
  }
}

void TCustomDateEdit::RefreshDateFormat() {
  dateFormat_ = DefDateFormat(IsFourDigitYear()).left(10);
}

QString TCustomDateEdit::GetDateMask() const {
  return DefDateMask(blanksChar_, IsFourDigitYear());
}

void TCustomDateEdit::UpdateFormat() {
  const TDateTime date = GetDate();
  const QString oldFormat = dateFormat_;
  RefreshDateFormat();
  if (GetDateMask() != editMask_ || oldFormat != dateFormat_) {
    setInputMask(QString());
    editMask_ = GetDateMask();
    setInputMask(QtInputMask(editMask_, SystemDateSettings().DateSeparator));
  }
  UpdatePopup();
  SetDate(date);
}

void TCustomDateEdit::UpdatePopup() {
  if (Popup()) SetupPopupCalendar(Popup(), startOfWeek_, weekends_, weekendColor_, &calendarHints_);
}

TDateTime TCustomDateEdit::GetDate() const {
  return StrToDateFmtDef(dateFormat_, Text(), defaultToday_ ? Today() : NullDate);
}

void TCustomDateEdit::SetDate(TDateTime value) {
  if (!ValidDateValue(value) || value == NullDate) value = defaultToday_ ? Today() : NullDate;
  const TDateTime old = GetDate();
  setText(value == NullDate ? QString() : FormatDateTime(dateFormat_, value));
  setModified(GetDate() != old);
}

void TCustomDateEdit::ApplyDate(TDateTime value) {
  SetDate(value);
  SelectAll();
}

bool TCustomDateEdit::TextStored() const {
  const QString ignored =
      QString(QChar(0)) + u' ' + SystemDateSettings().DateSeparator + blanksChar_;
  return !IsEmptyStr(Text(), ignored);
}

void TCustomDateEdit::CheckValidDate() {
  if (!TextStored()) return;
  formatting_ = true;
  try {
    SetDate(StrToDateFmt(dateFormat_, Text()));
    formatting_ = false;
  } catch (...) {
    formatting_ = false;
    if (isEnabled() && isVisible()) setFocus(Qt::OtherFocusReason);
    throw;
  }
}

void TCustomDateEdit::focusOutEvent(QFocusEvent* e) {
  TCustomComboEdit::focusOutEvent(e);
  // Leaving the field leaves the part being typed into; a menu or another window taking
  // the focus for a while does not, and typing goes on where it stopped.
  if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason)
    JustifyParts(-1);
  // An exception must not leave the handler: it is reported like any failed handler.
  if (checkOnExit_) RunGuarded([this] { CheckValidDate(); });
}

void TCustomDateEdit::Change() {
  if (!formatting_) TCustomComboEdit::Change();
}

void TCustomDateEdit::showEvent(QShowEvent* e) {
  TCustomComboEdit::showEvent(e);
  // The first showing stands for the window's creation: a stored text is re-read and
  // written back in the current format.
  if (!shownOnce_) {
    shownOnce_ = true;
    UpdateFormat();
  }
}

void TCustomDateEdit::changeEvent(QEvent* e) {
  TCustomComboEdit::changeEvent(e);
  if (e->type() == QEvent::LocaleChange) FormatSettingsChange();
}

void TCustomDateEdit::FormatSettingsChange() {
  UpdateFormat();
}

void TCustomDateEdit::SetBlanksChar(QChar value) {
  if (value.unicode() < 32) value = u' ';
  if (SetIfChanged(blanksChar_, value)) UpdateFormat();
}

void TCustomDateEdit::SetYearDigits(TYearDigits value) {
  if (SetIfChanged(yearDigits_, value)) UpdateFormat();
}

void TCustomDateEdit::SetCalendarHints(const QStringList& value) {
  calendarHints_ = value;
  CalendarHintsChanged();
}

void TCustomDateEdit::CalendarHintsChanged() {
  // The calendar has room for four hints.
  while (calendarHints_.size() > 4) calendarHints_.removeLast();
  UpdatePopup();
}

void TCustomDateEdit::SetStartOfWeek(Cal::TDayOfWeekName value) {
  if (SetIfChanged(startOfWeek_, value)) UpdatePopup();
}

void TCustomDateEdit::SetWeekends(int value) {
  if (value == weekends_) return;
  weekends_ = static_cast<Cal::TDaysOfWeek>(value);
  UpdatePopup();
}

void TCustomDateEdit::SetWeekendColor(const QColor& value) {
  if (SetIfChanged(weekendColor_, value)) UpdatePopup();
}

QColor TCustomDateEdit::PopupColor() const {
  return Popup() ? Popup()->palette().color(QPalette::Window) : popupColor_;
}

void TCustomDateEdit::SetPopupColor(const QColor& value) {
  if (value == PopupColor()) return;
  if (TPopupWindow* popup = Popup()) {
    QPalette pal = popup->palette();
    pal.setColor(QPalette::Window, value);
    popup->setPalette(pal);
  }
  popupColor_ = value;
}

TCalendarStyle TCustomDateEdit::CalendarStyle() const {
  return Popup() ? csPopup : csDialog;
}

void TCustomDateEdit::SetCalendarStyle(TCalendarStyle value) {
  if (value == CalendarStyle()) return;
  if (value == csPopup) {
    CreateCalendar();
    UpdatePopup();
  } else {
    TPopupWindow* popup = Popup();
    SetPopup(nullptr);
    popup->disconnect(this);
    delete popup;
  }
}

void TCustomDateEdit::SetPopupValue(const QVariant& value) {
  const TDateTime date = StrToDateFmtDef(dateFormat_, value.toString(), Today());
  // An empty text reads as no date; the calendar then opens on today.
  TCustomComboEdit::SetPopupValue(QVariant(NvlDate(date, Today())));
}

bool TCustomDateEdit::AcceptPopup(QVariant& value) {
  if (!OnAcceptDate) return true;
  TDateTime date = NullDate;
  if (value.isValid() && !value.isNull() && !value.toString().isEmpty()) {
    bool ok = false;
    date = value.toDouble(&ok);
    if (!ok) date = defaultToday_ ? Today() : NullDate;
  }
  bool action = true;
  OnAcceptDate(this, date, action);
  if (action) value = QVariant(date);
  return action;
}

void TCustomDateEdit::AcceptValue(const QVariant& value) {
  SetDate(value.toDouble());
  UpdatePopupVisible();
  if (isModified()) TCustomComboEdit::Change();
}

void TCustomDateEdit::ButtonClick() {
  TCustomComboEdit::ButtonClick();
  if (Popup()) return;
  TDateTime date = GetDate();
  bool action =
      SelectDate(this, date, dialogTitle_, startOfWeek_, weekends_, weekendColor_, &calendarHints_);
  if (isEnabled() && isVisible()) setFocus(Qt::OtherFocusReason);
  if (!action) return;
  if (OnAcceptDate) OnAcceptDate(this, date, action);
  if (!action) return;
  SetDate(date);
  if (hasFocus()) SelectAll();
}

void TCustomDateEdit::KeyDown(int& key, Qt::KeyboardModifiers shift) {
  const bool navigation =
      key == 33 || key == 34 || (key >= 37 && key <= 40) || key == 107 || key == 109;
  // The click key closes the calendar although it is a navigation key too.
  if (navigation && PopupVisible() && Combo::ShortCutOf(key, shift) != ClickKey()) {
    Popup()->PopupKeyDown(key, shift);
    key = 0;
    return;
  }
  const bool plain = (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
  if (plain && DirectInput() && (key == 107 || key == 109)) {
    ApplyDate(NvlDate(GetDate(), Now()) + (key == 107 ? 1 : -1));
    key = 0;
    return;
  }
  TCustomComboEdit::KeyDown(key, shift);
}

void TCustomDateEdit::KeyPress(QChar& key) {
  const bool ours = key == u'+' || key == u'-' || key == u'T' || key == u't';
  if (ours && PopupVisible()) {
    Popup()->PopupKeyPress(key);
    key = QChar(0);
    return;
  }
  if (ours && DirectInput()) {
    if (key == u'T' || key == u't') ApplyDate(std::trunc(Now()));
    key = QChar(0);
    return;
  }
  if (key == SystemDateSettings().DateSeparator && LeadingBlanks()) {
    key = QChar(0);
    return;
  }
  TCustomComboEdit::KeyPress(key);
}

bool TCustomDateEdit::LeadingBlanks() {
  // So "5." goes on to the month; the event that ends here puts the day's blank first.
  if (!editMask_.startsWith(u'!') || isReadOnly() || hasSelectedText()) return false;
  const QString shown = displayText();
  const QChar separator = SystemDateSettings().DateSeparator;
  const int pos = cursorPosition();
  const int end = static_cast<int>(shown.indexOf(separator, pos));
  int start = pos;
  while (start > 0 && shown[start - 1] != separator) --start;
  if (end < 0 || pos == start) return false;  // the platform's own handling does the rest
  setCursorPosition(end + 1);
  return true;
}

int TCustomDateEdit::CursorPart() const {
  return static_cast<int>(
      displayText().left(cursorPosition()).count(SystemDateSettings().DateSeparator));
}

void TCustomDateEdit::JustifyParts(int keep) {
  if (!editMask_.startsWith(u'!') || isReadOnly()) return;
  // A selection may reach back into the part being typed; what it covers stays put.
  if (keep >= 0 && hasSelectedText()) return;
  const QString shown = displayText();
  const QChar separator = SystemDateSettings().DateSeparator;
  QStringList parts = shown.split(separator);
  for (int i = 0; i < parts.size(); ++i) {
    if (i == keep) continue;
    QString typed = parts[i];
    typed.remove(blanksChar_);
    parts[i] = QString(parts[i].size() - typed.size(), blanksChar_) + typed;
  }
  const QString justified = parts.join(separator);
  if (justified == shown) return;
  // The text keeps its length, so the cursor and the selection keep their places.
  const int cursor = cursorPosition();
  const int selStart = selectionStart();
  const int selEnd = selectionEnd();
  const bool modified = isModified();
  setText(justified);
  if (selStart < 0)
    setCursorPosition(cursor);
  else if (cursor == selStart)
    setSelection(selEnd, selStart - selEnd);
  else
    setSelection(selStart, selEnd - selStart);
  setModified(modified);
}

bool TCustomDateEdit::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::InputMethod: {
      // Whatever the user did, a part the cursor is no longer in has been left.
      const bool handled = TCustomComboEdit::event(e);
      JustifyParts(CursorPart());
      return handled;
    }
    default:
      return TCustomComboEdit::event(e);
  }
}

TDateEdit::TDateEdit(QWidget* parent) : TCustomDateEdit(parent) {
  UpdateFormat();
}
