#pragma once
// The month calendar that drops down under a date edit, its navigation buttons and the
// modal date dialog of the edit's dialog style.

#include "controls/combo_edit.h"
#include "controls/date_routines.h"

#include <QDialog>
#include <QStringList>

class QLabel;

// The controls library's string table entries of the date controls, by number.
QString DateResString(int id);
inline constexpr int SPrevMonth = 61258;
inline constexpr int SPrevYear = 61259;
inline constexpr int SNextMonth = 61260;
inline constexpr int SNextYear = 61261;
inline constexpr int SDateDlgTitle = 61262;

namespace Cal {
Q_NAMESPACE
enum TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };
Q_ENUM_NS(TDayOfWeekName)
// A set of weekdays, bit n for TDayOfWeekName n.
using TDaysOfWeek = quint8;
constexpr TDaysOfWeek DaySet(TDayOfWeekName d) {
  return static_cast<TDaysOfWeek>(1u << d);
}
}  // namespace Cal

// Our own drawings of the navigation pictures "PREV2", "PREV1", "NEXT1", "NEXT2".
QPixmap NavigationGlyph(const QString& name);

// A speed button whose held press repeats its click.
class TXcTimerSpeedButton : public TXcSpeedButton {
  Q_OBJECT
 public:
  explicit TXcTimerSpeedButton(QWidget* parent = nullptr);
};

// The month grid: a row of weekday names over six week rows.
class TXcCalendar : public QWidget {
  Q_OBJECT
  Q_PROPERTY(double CalendarDate READ CalendarDate WRITE SetCalendarDate)
  Q_PROPERTY(int Day READ Day WRITE SetDay)
  Q_PROPERTY(int Month READ Month WRITE SetMonth)
  Q_PROPERTY(int Year READ Year WRITE SetYear)
  Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
  Q_PROPERTY(Cal::TDayOfWeekName StartOfWeek READ StartOfWeek WRITE SetStartOfWeek)
  Q_PROPERTY(bool UseCurrentDate READ UseCurrentDate WRITE SetUseCurrentDate)
  Q_PROPERTY(QColor WeekendColor READ WeekendColor WRITE SetWeekendColor)
  Q_PROPERTY(int Weekends READ Weekends WRITE SetWeekends)

 public:
  explicit TXcCalendar(QWidget* parent = nullptr);

  TDateTime CalendarDate() const { return date_; }
  void SetCalendarDate(TDateTime value);
  int Day() const;
  void SetDay(int value);
  int Month() const;
  void SetMonth(int value);
  int Year() const;
  // Raises EConvertError from 29 February into a year that is not a leap year.
  void SetYear(int value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  Cal::TDayOfWeekName StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(Cal::TDayOfWeekName value);
  bool UseCurrentDate() const { return useCurrentDate_; }
  void SetUseCurrentDate(bool value);
  QColor WeekendColor() const { return weekendColor_; }
  void SetWeekendColor(const QColor& value);
  Cal::TDaysOfWeek Weekends() const { return weekends_; }
  void SetWeekends(int value);

  int MonthOffset() const { return monthOffset_; }
  int DaysThisMonth() const;
  QString CellText(int col, int row) const;
  bool IsWeekend(int col) const;
  int Col() const { return col_; }
  int Row() const { return row_; }
  QRect CellRect(int col, int row) const;
  // False when the point lies on no cell.
  bool MouseToCell(const QPoint& pos, int& col, int& row) const;

  void PrevMonth() { ChangeMonth(-1); }
  void NextMonth() { ChangeMonth(1); }
  void PrevYear();
  void NextYear();
  void UpdateCalendar() { CalendarUpdate(false); }

  // The grid's key handling; a consumed key is set to 0.
  void CalendarKeyDown(int& key, Qt::KeyboardModifiers shift);
  void CalendarKeyPress(QChar& key);

 signals:
  void OnChange(QObject* sender);
  void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);

 protected:
  virtual void Change() { emit OnChange(this); }
  virtual void DrawCell(QPainter& p, int col, int row, const QRect& rect, bool selected);
  bool SelectCell(int col, int row) const;
  void SetShowVerticalLines(bool value) { verticalLines_ = value; }

  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ChangeMonth(int delta);
  void CalendarUpdate(bool dayOnly);
  void ChangeDate(int year, int month, int day, bool dayChanged);
  void MoveSelection(int col, int row);

  TDateTime date_;
  int monthOffset_ = 0;
  bool readOnly_ = false;
  Cal::TDayOfWeekName startOfWeek_ = Cal::Mon;
  bool updating_ = false;
  bool useCurrentDate_ = true;
  Cal::TDaysOfWeek weekends_ = Cal::DaySet(Cal::Sun);
  QColor weekendColor_ = Qt::red;
  int col_ = 0;
  int row_ = 1;
  bool verticalLines_ = true;
};

// The grid as it sits in the drop-down: no focus of its own, today framed.
class TLocCalendar : public TXcCalendar {
  Q_OBJECT
 public:
  explicit TLocCalendar(QWidget* parent = nullptr);

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, bool selected) override;
};

inline constexpr QSize PopupCalendarSize(187, 124);

class TPopupCalendar : public TPopupWindow {
  Q_OBJECT
 public:
  explicit TPopupCalendar(QWidget* owner);

  QVariant GetValue() override;
  void SetValue(const QVariant& value) override;
  void PopupKeyDown(int& key, Qt::KeyboardModifiers shift) override;
  void PopupKeyPress(QChar& key) override;

  TLocCalendar* Calendar() const { return calendar_; }
  QLabel* TitleLabel() const { return title_; }
  TXcTimerSpeedButton* NavButton(int index) const { return buttons_[index]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void CalendarChange();
  void CalendarMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);

  TLocCalendar* calendar_ = nullptr;
  QLabel* title_ = nullptr;
  TXcTimerSpeedButton* buttons_[4] = {};
};

// The modal dialog of the date edit's dialog style.
class TSelectDateDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TSelectDateDlg(QWidget* parent = nullptr);
  TXcCalendar* Calendar = nullptr;
  QLabel* TitleLabel = nullptr;

 public slots:
  void PrevMonthBtnClick();
  void NextMonthBtnClick();
  void PrevYearBtnClick();
  void NextYearBtnClick();
  void CalendarChange();
  // A double click on the calendar is OK; on the title it selects today.
  void CalendarDblClick();
  void TopPanelDblClick();
  // PgUp/PgDn step a month (a year with Ctrl), Enter is OK; a handled key becomes 0.
  void FormKeyDown(int& Key, Qt::KeyboardModifiers Shift);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  bool focusNextPrevChild(bool next) override;
};

TPopupCalendar* CreatePopupCalendar(QWidget* owner, Qt::LayoutDirection direction);
void SetupPopupCalendar(TPopupWindow* popup, Cal::TDayOfWeekName startOfWeek,
                        Cal::TDaysOfWeek weekends, const QColor& weekendColor,
                        const QStringList* hints);
bool SelectDate(QWidget* parent, TDateTime& date, const QString& title,
                Cal::TDayOfWeekName startOfWeek, Cal::TDaysOfWeek weekends,
                const QColor& weekendColor, const QStringList* hints);
void FontSetDefault(QFont& font);
