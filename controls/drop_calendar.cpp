#include "controls/drop_calendar.h"

#include "controls/set_if_changed.h"
#include "controls/str_utils.h"

#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

using namespace Cal;

QString DateResString(int id) {
  switch (id) {
    case SPrevMonth:
      return QStringLiteral("Предыдущий месяц|");
    case SPrevYear:
      return QStringLiteral("Предыдущий год|");
    case SNextMonth:
      return QStringLiteral("Следующий месяц|");
    case SNextYear:
      return QStringLiteral("Следующий год|");
    case SDateDlgTitle:
      return QStringLiteral("Выбор даты");
    default:
      return QString();
  }
}

QPixmap NavigationGlyph(const QString& name) {
  // 8 x 6, black on white; white, the lower-left pixel, is the transparent colour, so the
  // outer columns stay white in every picture.
  QImage image(8, 6, QImage::Format_RGB32);
  image.fill(Qt::white);
  const bool next = name.startsWith(QStringLiteral("NEXT"));
  const bool twice = name.endsWith(u'2');
  for (int row = 0; row < 6; ++row) {
    const int depth = std::abs(2 * row - 5) / 2;  // 2, 1, 0, 0, 1, 2
    auto triangle = [&](int tip, int base) {
      for (int x = tip + depth; x <= base; ++x) image.setPixel(next ? 7 - x : x, row, 0);
    };
    if (twice) {
      triangle(1, 3);
      triangle(4, 6);
    } else {
      triangle(2, 5);
    }
  }
  return QPixmap::fromImage(image);
}

TXcTimerSpeedButton::TXcTimerSpeedButton(QWidget* parent) : TXcSpeedButton(parent) {
  SetStyle(Xc::bsWin31);
  SetAllowTimer(true);
}

// --- TXcCalendar ---

namespace {
// 1 Sunday to 7 Saturday.
int DayOfWeek(const QDate& date) {
  return date.dayOfWeek() % 7 + 1;
}
}  // namespace

TXcCalendar::TXcCalendar(QWidget* parent) : QWidget(parent), date_(Today()) {
  setFocusPolicy(Qt::StrongFocus);
  UpdateCalendar();
}

int TXcCalendar::Day() const {
  return DateTimeToQDate(date_).day();
}
int TXcCalendar::Month() const {
  return DateTimeToQDate(date_).month();
}
int TXcCalendar::Year() const {
  return DateTimeToQDate(date_).year();
}
int TXcCalendar::DaysThisMonth() const {
  return DaysPerMonth(Year(), Month());
}

void TXcCalendar::ChangeDate(int year, int month, int day, bool dayChanged) {
  date_ = EncodeDate(year, month, day);
  useCurrentDate_ = false;
  CalendarUpdate(dayChanged);
  Change();
}

void TXcCalendar::SetCalendarDate(TDateTime value) {
  // A value that is no date would leave the grid without a month to show.
  if (value == date_ || !ValidDateValue(value)) return;
  date_ = value;
  UpdateCalendar();
  Change();
}

void TXcCalendar::SetYear(int value) {
  if (value < 1 || value > 9999 || value == Year()) return;
  ChangeDate(value, Month(), Day(), false);
}

void TXcCalendar::SetMonth(int value) {
  if (value < 1 || value > 12 || value == Month()) return;
  ChangeDate(Year(), value, qMin(Day(), DaysPerMonth(Year(), value)), false);
}

void TXcCalendar::SetDay(int value) {
  if (value < 1 || value > DaysThisMonth() || value == Day()) return;
  ChangeDate(Year(), Month(), value, true);
}

void TXcCalendar::SetStartOfWeek(TDayOfWeekName value) {
  if (SetIfChanged(startOfWeek_, value)) UpdateCalendar();
}

void TXcCalendar::SetWeekends(int value) {
  if (value == weekends_) return;
  weekends_ = static_cast<TDaysOfWeek>(value);
  UpdateCalendar();
}

void TXcCalendar::SetWeekendColor(const QColor& value) {
  if (SetIfChanged(weekendColor_, value)) update();
}

void TXcCalendar::SetUseCurrentDate(bool value) {
  if (!SetIfChanged(useCurrentDate_, value)) return;
  if (value) {
    date_ = Today();
    UpdateCalendar();
  }
}

void TXcCalendar::CalendarUpdate(bool dayOnly) {
  updating_ = true;
  const QDate first = QDate(Year(), Month(), 1);
  monthOffset_ = 2 - ((DayOfWeek(first) - startOfWeek_ + 7) % 7);
  if (monthOffset_ == 2) monthOffset_ = -5;
  const int cell = Day() - monthOffset_;
  col_ = cell % 7;
  row_ = cell / 7 + 1;
  if (dayOnly)
    repaint();
  else
    update();
  updating_ = false;
}

QString TXcCalendar::CellText(int col, int row) const {
  if (col < 0 || col > 6 || row < 0 || row > 6) return QString();
  if (row == 0) return SystemDateSettings().ShortDayNames.value((startOfWeek_ + col) % 7);
  const int day = monthOffset_ + col + (row - 1) * 7;
  return day >= 1 && day <= DaysThisMonth() ? QString::number(day) : QString();
}

bool TXcCalendar::IsWeekend(int col) const {
  return weekends_ & (1u << ((startOfWeek_ + col) % 7));
}

bool TXcCalendar::SelectCell(int col, int row) const {
  if (!updating_ && readOnly_) return false;
  return row > 0 && !CellText(col, row).isEmpty();
}

QRect TXcCalendar::CellRect(int col, int row) const {
  const int vline = verticalLines_ ? 1 : 0;
  const int cw = (width() - 6 * vline) / 7;
  const int rh = (height() - 6) / 7;
  return QRect(col * (cw + vline), row * (rh + 1), cw, rh);
}

bool TXcCalendar::MouseToCell(const QPoint& pos, int& col, int& row) const {
  for (int r = 0; r < 7; ++r)
    for (int c = 0; c < 7; ++c)
      if (CellRect(c, r).contains(pos)) {
        col = c;
        row = r;
        return true;
      }
  return false;
}

void TXcCalendar::MoveSelection(int col, int row) {
  col_ = col;
  row_ = row;
  SetDay(CellText(col, row).toInt());
  update();
}

void TXcCalendar::ChangeMonth(int delta) {
  const int curDay = Day();
  const QDate date = DateTimeToQDate(date_);
  const QDate edge = delta > 0 ? QDate(date.year(), date.month(), date.daysInMonth())
                               : QDate(date.year(), date.month(), 1);
  const QDate reached = edge.addDays(delta);
  if (!reached.isValid() || reached.year() < 1 || reached.year() > 9999) return;
  SetCalendarDate(EncodeDate(reached.year(), reached.month(),
                             qMin(curDay, DaysPerMonth(reached.year(), reached.month()))));
}

void TXcCalendar::NextYear() {
  if (IsLeapYear(Year()) && Month() == 2 && Day() == 29) SetDay(28);
  SetYear(Year() + 1);
}

void TXcCalendar::PrevYear() {
  if (IsLeapYear(Year()) && Month() == 2 && Day() == 29) SetDay(28);
  SetYear(Year() - 1);
}

void TXcCalendar::CalendarKeyDown(int& key, Qt::KeyboardModifiers shift) {
  const bool plain = (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
  if (plain && (key == 37 || key == 109)) {
    if (Day() > 1)
      SetDay(Day() - 1);
    else
      SetCalendarDate(date_ - 1);
    key = 0;
  } else if (plain && (key == 39 || key == 107)) {
    if (Day() < DaysThisMonth())
      SetDay(Day() + 1);
    else
      SetCalendarDate(date_ + 1);
    key = 0;
  } else if (key == 38 || key == 40) {
    const int row = row_ + (key == 38 ? -1 : 1);
    if (SelectCell(col_, row)) MoveSelection(col_, row);
    key = 0;
  }
}

void TXcCalendar::CalendarKeyPress(QChar& key) {
  if (key == u'T' || key == u't') {
    SetCalendarDate(Today());
    key = QChar(0);
  }
}

void TXcCalendar::keyPressEvent(QKeyEvent* e) {
  int key = Combo::VirtualKey(*e);
  if (key != 0) {
    CalendarKeyDown(key, e->modifiers());
    if (key == 0) return;
  }
  QChar ch = e->text().isEmpty() ? QChar() : e->text()[0];
  if (!ch.isNull()) {
    CalendarKeyPress(ch);
    if (ch.isNull()) return;
  }
  QWidget::keyPressEvent(e);
}

void TXcCalendar::mousePressEvent(QMouseEvent* e) {
  int col = 0, row = 0;
  if (e->button() == Qt::LeftButton && MouseToCell(e->position().toPoint(), col, row) &&
      SelectCell(col, row))
    MoveSelection(col, row);
  e->accept();
}

void TXcCalendar::mouseReleaseEvent(QMouseEvent* e) {
  e->accept();
  emit MouseUp(e->button(), e->modifiers(), e->position().toPoint());
}

void TXcCalendar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(backgroundRole()));
  for (int row = 0; row < 7; ++row)
    for (int col = 0; col < 7; ++col) {
      const QRect r = CellRect(col, row);
      const bool selected = row > 0 && col == col_ && row == row_;
      if (row == 0) p.fillRect(r, palette().color(QPalette::Button));
      if (selected) p.fillRect(r, palette().color(QPalette::Highlight));
      DrawCell(p, col, row, r, selected);
    }
  p.setPen(palette().color(QPalette::Dark));
  const int under = CellRect(0, 0).bottom() + 1;
  p.drawLine(0, under, width() - 1, under);
  if (verticalLines_) {
    for (int row = 1; row < 7; ++row) {
      const int y = CellRect(0, row).bottom() + 1;
      p.drawLine(0, y, width() - 1, y);
    }
    for (int col = 1; col < 7; ++col) {
      const int x = CellRect(col, 0).left() - 1;
      p.drawLine(x, 0, x, height() - 1);
    }
  }
}

void TXcCalendar::DrawCell(QPainter& p, int col, int row, const QRect& rect, bool selected) {
  const QString text = CellText(col, row);
  QColor color = palette().color(selected ? QPalette::HighlightedText : QPalette::WindowText);
  if (IsWeekend(col) && !selected) color = weekendColor_;
  p.save();
  p.setClipRect(rect);
  p.setPen(color);
  const QFontMetrics fm = p.fontMetrics();
  p.drawText(rect.left() + (rect.width() - fm.horizontalAdvance(text)) / 2,
             rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent(), text);
  p.restore();
}

// --- TLocCalendar ---

TLocCalendar::TLocCalendar(QWidget* parent) : TXcCalendar(parent) {
  // Keys come from the date edit; the grid must never take its focus.
  setFocusPolicy(Qt::NoFocus);
  SetShowVerticalLines(false);
  SetCalendarDate(Today());
  SetUseCurrentDate(false);
}

void TLocCalendar::DrawCell(QPainter& p, int col, int row, const QRect& rect, bool selected) {
  TXcCalendar::DrawCell(p, col, row, rect, selected);
  const QDate today = QDate::currentDate();
  if (row == 0 || Year() != today.year() || Month() != today.month() ||
      CellText(col, row) != QString::number(today.day()))
    return;
  p.save();
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(rect.topLeft(), rect.topRight());
  p.drawLine(rect.topLeft(), rect.bottomLeft());
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(rect.bottomLeft(), rect.bottomRight());
  p.drawLine(rect.topRight(), rect.bottomRight());
  p.restore();
}

// --- TPopupCalendar ---

namespace {

// The title row of the drop-down and of the date dialog.
constexpr int kTitleRowHeight = 18;

TXcTimerSpeedButton* NavButton(QWidget* parent, const char* name, const QRect& bounds,
                               const QString& glyph, int hint) {
  auto* button = new TXcTimerSpeedButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(bounds);
  button->SetGlyph(NavigationGlyph(glyph));
  button->SetHint(DateResString(hint));
  return button;
}

}  // namespace

TPopupCalendar::TPopupCalendar(QWidget* owner) : TPopupWindow(owner) {
  setFixedSize(qMax(PopupCalendarSize.width(), 180), qMax(PopupCalendarSize.height(), 120));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Button));
  setPalette(pal);
  setAutoFillBackground(true);
  QFont f = font();
  FontSetDefault(f);
  setFont(f);

  auto* back = new QFrame(this);
  back->setObjectName(QStringLiteral("BackPanel"));
  // Clicks on the panels are no clicks on the popup itself.
  back->setAttribute(Qt::WA_NoMousePropagation);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->addWidget(back);
  auto* backLayout = new QVBoxLayout(back);
  backLayout->setContentsMargins(1, 1, 1, 1);
  backLayout->setSpacing(0);

  auto* top = new QFrame(back);
  top->setObjectName(QStringLiteral("TopPanel"));
  top->setFixedSize(width() - 4, kTitleRowHeight);
  backLayout->addWidget(top);
  calendar_ = new TLocCalendar(back);
  calendar_->setObjectName(QStringLiteral("Calendar"));
  backLayout->addWidget(calendar_, 1);
  connect(calendar_, &TXcCalendar::OnChange, this, [this] { CalendarChange(); });
  connect(calendar_, &TXcCalendar::MouseUp, this, &TPopupCalendar::CalendarMouseUp);

  const int w = top->width();
  buttons_[0] = ::NavButton(top, "PrevYearBtn", {-1, -1, 14, 14}, "PREV2", SPrevYear);
  buttons_[1] = ::NavButton(top, "PrevMonthBtn", {12, -1, 14, 14}, "PREV1", SPrevMonth);
  title_ = new QLabel(top);
  title_->setObjectName(QStringLiteral("TitleLabel"));
  title_->setAlignment(Qt::AlignCenter);
  title_->setGeometry(29, 1, w - 58, 14);
  title_->installEventFilter(this);
  buttons_[2] = ::NavButton(top, "NextMonthBtn", {w - 26, -1, 14, 14}, "NEXT1", SNextMonth);
  buttons_[3] = ::NavButton(top, "NextYearBtn", {w - 13, -1, 14, 14}, "NEXT2", SNextYear);
  connect(buttons_[0], &TXcSpeedButton::OnClick, calendar_, &TXcCalendar::PrevYear);
  connect(buttons_[1], &TXcSpeedButton::OnClick, calendar_, &TXcCalendar::PrevMonth);
  connect(buttons_[2], &TXcSpeedButton::OnClick, calendar_, &TXcCalendar::NextMonth);
  connect(buttons_[3], &TXcSpeedButton::OnClick, calendar_, &TXcCalendar::NextYear);
  CalendarChange();
}

bool TPopupCalendar::eventFilter(QObject* watched, QEvent* e) {
  if (watched == title_ && e->type() == QEvent::MouseButtonDblClick)
    calendar_->SetCalendarDate(Today());
  return TPopupWindow::eventFilter(watched, e);
}

void TPopupCalendar::CalendarChange() {
  title_->setText(FormatDateTime(QStringLiteral("MMMM, YYYY"), calendar_->CalendarDate()));
}

QVariant TPopupCalendar::GetValue() {
  return QVariant(calendar_->CalendarDate());
}

void TPopupCalendar::SetValue(const QVariant& value) {
  TDateTime date = Today();
  try {
    if (value.isValid() && !value.isNull()) {
      if (value.typeId() == QMetaType::QString) {
        const QString s = value.toString();
        const QString bare =
            ReplaceStr(s, QString(SystemDateSettings().DateSeparator), QString()).trimmed();
        if (!bare.isEmpty()) date = StrToDateFmt(DefDateFormat(FourDigitYear()), s);
      } else {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (ok && ValidDateValue(d)) date = d;
      }
    }
  } catch (const EConvertError&) {
    date = Today();
  }
  calendar_->SetCalendarDate(date);
  CalendarChange();
}

void TPopupCalendar::PopupKeyDown(int& key, Qt::KeyboardModifiers shift) {
  const bool ctrl = shift & Qt::ControlModifier;
  if (key == 34) {
    ctrl ? calendar_->NextYear() : calendar_->NextMonth();
    key = 0;
  } else if (key == 33) {
    ctrl ? calendar_->PrevYear() : calendar_->PrevMonth();
    key = 0;
  } else {
    calendar_->CalendarKeyDown(key, shift);
  }
}

void TPopupCalendar::PopupKeyPress(QChar& key) {
  if (!key.isNull()) calendar_->CalendarKeyPress(key);
}

void TPopupCalendar::CalendarMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift,
                                     const QPoint& pos) {
  if (button != Qt::LeftButton ||
      (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
    return;
  int col = 0, row = 0;
  if (calendar_->MouseToCell(pos, col, row) && row > 0 && !calendar_->CellText(col, row).isEmpty())
    CloseUp(true);
}

TPopupCalendar* CreatePopupCalendar(QWidget* owner, Qt::LayoutDirection direction) {
  // Qt scales for the screen's resolution itself.
  auto* popup = new TPopupCalendar(owner);
  popup->setLayoutDirection(direction);
  return popup;
}

void SetupPopupCalendar(TPopupWindow* popup, TDayOfWeekName startOfWeek, TDaysOfWeek weekends,
                        const QColor& weekendColor, const QStringList* hints) {
  auto* calendar = qobject_cast<TPopupCalendar*>(popup);
  if (!calendar || !calendar->Calendar()) return;
  calendar->Calendar()->SetStartOfWeek(startOfWeek);
  calendar->Calendar()->SetWeekendColor(weekendColor);
  calendar->Calendar()->SetWeekends(weekends);
  if (!hints) return;
  for (int i = 0; i <= qMin(static_cast<int>(hints->size()) - 1, 3); ++i)
    if (!hints->at(i).isEmpty()) calendar->NavButton(i)->SetHint(hints->at(i));
}

void FontSetDefault(QFont& font) {
  font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

// --- TSelectDateDlg ---

TSelectDateDlg::TSelectDateDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("SelectDateDlg"));
  setWindowTitle(DateResString(SDateDlgTitle));
  setFixedSize(222, 154);
  // The title row as high as the drop-down's, the calendar's panel under it and the
  // buttons along the bottom.
  auto* top = new QFrame(this);
  top->setObjectName(QStringLiteral("TopPanel"));
  top->setGeometry(0, 0, 222, kTitleRowHeight);
  const int w = top->width();
  auto* prevYear = ::NavButton(top, "PrevYearBtn", {2, 1, 16, 16}, "PREV2", SPrevYear);
  auto* prevMonth = ::NavButton(top, "PrevMonthBtn", {18, 1, 16, 16}, "PREV1", SPrevMonth);
  TitleLabel = new QLabel(top);
  TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
  TitleLabel->setAlignment(Qt::AlignCenter);
  TitleLabel->setGeometry(36, 1, w - 72, 16);
  TitleLabel->installEventFilter(this);
  auto* nextMonth = ::NavButton(top, "NextMonthBtn", {w - 34, 1, 16, 16}, "NEXT1", SNextMonth);
  auto* nextYear = ::NavButton(top, "NextYearBtn", {w - 18, 1, 16, 16}, "NEXT2", SNextYear);
  auto* back = new QFrame(this);
  back->setObjectName(QStringLiteral("CalendarPanel"));
  back->setGeometry(0, kTitleRowHeight, 222, 2 + 113 + 2);
  Calendar = new TXcCalendar(back);
  Calendar->setObjectName(QStringLiteral("Calendar"));
  Calendar->setGeometry(2, 2, 218, 113);
  Calendar->installEventFilter(this);
  const int buttonsTop = back->geometry().bottom() + 1;
  const int buttonsHeight = height() - buttonsTop;
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OkBtn"));
  ok->setGeometry(64, buttonsTop, 75, buttonsHeight);
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  cancel->setGeometry(143, buttonsTop, 75, buttonsHeight);
  for (QPushButton* b : {ok, cancel}) b->setFocusPolicy(Qt::NoFocus);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(prevYear, &TXcSpeedButton::OnClick, this, &TSelectDateDlg::PrevYearBtnClick);
  connect(prevMonth, &TXcSpeedButton::OnClick, this, &TSelectDateDlg::PrevMonthBtnClick);
  connect(nextMonth, &TXcSpeedButton::OnClick, this, &TSelectDateDlg::NextMonthBtnClick);
  connect(nextYear, &TXcSpeedButton::OnClick, this, &TSelectDateDlg::NextYearBtnClick);
  connect(Calendar, &TXcCalendar::OnChange, this, &TSelectDateDlg::CalendarChange);
  Calendar->setFocus();
  CalendarChange();
}

void TSelectDateDlg::CalendarChange() {
  TitleLabel->setText(FormatDateTime(QStringLiteral("MMMM, YYYY"), Calendar->CalendarDate()));
}

void TSelectDateDlg::PrevMonthBtnClick() {
  Calendar->PrevMonth();
}

void TSelectDateDlg::NextMonthBtnClick() {
  Calendar->NextMonth();
}

void TSelectDateDlg::PrevYearBtnClick() {
  Calendar->PrevYear();
}

void TSelectDateDlg::NextYearBtnClick() {
  Calendar->NextYear();
}

void TSelectDateDlg::CalendarDblClick() {
  accept();
}

void TSelectDateDlg::TopPanelDblClick() {
  Calendar->SetCalendarDate(Today());
}

bool TSelectDateDlg::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonDblClick) {
    if (watched == Calendar) {
      CalendarDblClick();
      return true;
    }
    if (watched == TitleLabel) TopPanelDblClick();
  }
  return QDialog::eventFilter(watched, e);
}

bool TSelectDateDlg::focusNextPrevChild(bool next) {
  next ? Calendar->NextMonth() : Calendar->PrevMonth();
  return true;
}

void TSelectDateDlg::keyPressEvent(QKeyEvent* e) {
  int key = e->key();
  FormKeyDown(key, e->modifiers());
  if (key != 0) QDialog::keyPressEvent(e);
}

void TSelectDateDlg::FormKeyDown(int& Key, Qt::KeyboardModifiers Shift) {
  const bool ctrl = Shift & Qt::ControlModifier;
  switch (Key) {
    case Qt::Key_PageDown:
      ctrl ? Calendar->NextYear() : Calendar->NextMonth();
      break;
    case Qt::Key_PageUp:
      ctrl ? Calendar->PrevYear() : Calendar->PrevMonth();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      break;
    default:
      return;
  }
  Key = 0;
}

bool SelectDate(QWidget* parent, TDateTime& date, const QString& title, TDayOfWeekName startOfWeek,
                TDaysOfWeek weekends, const QColor& weekendColor, const QStringList* hints) {
  TSelectDateDlg dialog(parent);
  if (!title.isEmpty()) dialog.setWindowTitle(title);
  if (const QScreen* screen = dialog.screen())
    dialog.move(screen->geometry().center() - dialog.rect().center());
  dialog.Calendar->SetCalendarDate(date == NullDate ? Today() : date);
  dialog.Calendar->SetStartOfWeek(startOfWeek);
  dialog.Calendar->SetWeekendColor(weekendColor);
  dialog.Calendar->SetWeekends(weekends);
  if (hints) {
    const char* names[4] = {"PrevYearBtn", "PrevMonthBtn", "NextMonthBtn", "NextYearBtn"};
    for (int i = 0; i <= qMin(static_cast<int>(hints->size()) - 1, 3); ++i)
      if (!hints->at(i).isEmpty())
        if (auto* b = dialog.findChild<TXcSpeedButton*>(QLatin1String(names[i])))
          b->SetHint(hints->at(i));
  }
  if (dialog.exec() != QDialog::Accepted) return false;
  date = dialog.Calendar->CalendarDate();
  return true;
}
