#pragma once
// A combo edit for one date: the text follows the locale's order of day, month and year
// under an edit mask; the button opens the drop-down calendar or the date dialog.

#include "controls/combo_edit.h"
#include "controls/date_routines.h"
#include "controls/drop_calendar.h"

#include <functional>

namespace DateEditTypes {
Q_NAMESPACE
enum TYearDigits { dyDefault, dyFour, dyTwo };
Q_ENUM_NS(TYearDigits)
enum TCalendarStyle { csPopup, csDialog };
Q_ENUM_NS(TCalendarStyle)
}  // namespace DateEditTypes

// Our own drawing of "DEDITBMP": a calendar sheet, normal and disabled, 14 x 12 each.
QPixmap DateEditBitmap();
// The platform's input mask for a mask such as "!99/99/9999;1; ".
QString QtInputMask(const QString& dateMask, QChar separator);

// May change a date chosen in the calendar or the dialog, or refuse it (Action false).
using TExecDateDialog = std::function<void(QObject* Sender, TDateTime& ADate, bool& Action)>;

class TCustomDateEdit : public TCustomComboEdit {
  Q_OBJECT
  Q_PROPERTY(QChar BlanksChar READ BlanksChar WRITE SetBlanksChar)
  Q_PROPERTY(QStringList CalendarHints READ CalendarHints WRITE SetCalendarHints)
  Q_PROPERTY(DateEditTypes::TCalendarStyle CalendarStyle READ CalendarStyle WRITE SetCalendarStyle)
  Q_PROPERTY(bool CheckOnExit READ CheckOnExit WRITE SetCheckOnExit)
  Q_PROPERTY(double Date READ Date WRITE SetDate)
  Q_PROPERTY(QString DateFormat READ DateFormat)
  Q_PROPERTY(bool DefaultToday READ DefaultToday WRITE SetDefaultToday)
  Q_PROPERTY(QString DialogTitle READ DialogTitle WRITE SetDialogTitle)
  Q_PROPERTY(QColor PopupColor READ PopupColor WRITE SetPopupColor)
  Q_PROPERTY(Cal::TDayOfWeekName StartOfWeek READ StartOfWeek WRITE SetStartOfWeek)
  Q_PROPERTY(QColor WeekendColor READ WeekendColor WRITE SetWeekendColor)
  Q_PROPERTY(int Weekends READ Weekends WRITE SetWeekends)
  Q_PROPERTY(DateEditTypes::TYearDigits YearDigits READ YearDigits WRITE SetYearDigits)

 public:
  explicit TCustomDateEdit(QWidget* parent = nullptr);
  ~TCustomDateEdit() override;

  TExecDateDialog OnAcceptDate;

  QChar BlanksChar() const { return blanksChar_; }
  void SetBlanksChar(QChar value);
  QStringList CalendarHints() const { return calendarHints_; }
  void SetCalendarHints(const QStringList& value);  // at most 4 lines remain
  DateEditTypes::TCalendarStyle CalendarStyle() const;
  void SetCalendarStyle(DateEditTypes::TCalendarStyle value);
  bool CheckOnExit() const { return checkOnExit_; }
  void SetCheckOnExit(bool value) { checkOnExit_ = value; }
  TDateTime Date() const { return GetDate(); }
  void SetDate(TDateTime value);
  QString DateFormat() const { return dateFormat_; }
  bool DefaultToday() const { return defaultToday_; }
  void SetDefaultToday(bool value) { defaultToday_ = value; }
  QString DialogTitle() const { return dialogTitle_; }
  void SetDialogTitle(const QString& value) { dialogTitle_ = value; }
  QColor PopupColor() const;
  void SetPopupColor(const QColor& value);
  Cal::TDayOfWeekName StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(Cal::TDayOfWeekName value);
  QColor WeekendColor() const { return weekendColor_; }
  void SetWeekendColor(const QColor& value);
  Cal::TDaysOfWeek Weekends() const { return weekends_; }
  void SetWeekends(int value);
  DateEditTypes::TYearDigits YearDigits() const { return yearDigits_; }
  void SetYearDigits(DateEditTypes::TYearDigits value);
  bool Formatting() const { return formatting_; }

  // The text with every mask position kept, unfilled ones shown as BlanksChar (the
  // platform's text() drops them, shifting the later characters).
  QString Text() const { return displayText(); }
  TDateTime GetDate() const;
  // Strict reading of the text; raises EConvertError and takes the focus back.
  void CheckValidDate();
  // The text holds more than an unfilled mask.
  bool TextStored() const;
  bool IsFourDigitYear() const;
  QString GetDateMask() const;
  // The mask in force, in the form GetDateMask gives.
  QString EditMask() const { return editMask_; }

  virtual void ApplyDate(TDateTime value);
  virtual void UpdateFormat();
  void ButtonClick() override;

 protected:
  QPixmap GetDefaultBitmap(bool& destroyNeeded) override;
  bool AcceptPopup(QVariant& value) override;
  void AcceptValue(const QVariant& value) override;
  void SetPopupValue(const QVariant& value) override;
  void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
  void KeyPress(QChar& key) override;
  void Change() override;
  void showEvent(QShowEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool event(QEvent* e) override;
  // The system's date format changed: the mask and the text follow.
  void FormatSettingsChange();

 private:
  void RefreshDateFormat();
  // A separator typed inside a part of the date moves on to the next part; false when the
  // key goes on to the platform.
  bool LeadingBlanks();
  // The mask's "!": every part but Keep (-1 for none) shows its unfilled positions first
  // and its digits at its right end.
  void JustifyParts(int keep);
  // The part of the date the cursor stands in; the end of a part, before its separator,
  // still counts as that part.
  int CursorPart() const;
  void UpdatePopup();
  void CalendarHintsChanged();
  void CreateCalendar();

  QString dialogTitle_;
  bool defaultToday_ = false;
  bool checkOnExit_ = false;
  QChar blanksChar_ = u' ';
  QStringList calendarHints_;
  Cal::TDayOfWeekName startOfWeek_ = Cal::Mon;
  Cal::TDaysOfWeek weekends_ = Cal::DaySet(Cal::Sun);
  QColor weekendColor_ = Qt::red;
  QColor popupColor_;
  DateEditTypes::TYearDigits yearDigits_ = DateEditTypes::dyDefault;
  QString dateFormat_;
  QString editMask_;
  bool formatting_ = false;
  bool shownOnce_ = false;
};

class TDateEdit : public TCustomDateEdit {
  Q_OBJECT
 public:
  explicit TDateEdit(QWidget* parent = nullptr);
};
