#include "controls/drop_calendar.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Text(const QRect& r) {
  return "(" + std::to_string(r.x()) + ", " + std::to_string(r.y()) + ") " +
         std::to_string(r.width()) + " x " + std::to_string(r.height());
}

// The date dialog: its client area, the title row as high as the drop-down's, the calendar
// at (2, 2) of its panel under that row, OK and Cancel whole along the bottom; nothing
// reaches beyond the client area and no text is cut.
TEST(SelectDateDlgTest, Layout) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  TSelectDateDlg dialog;
  dialog.Calendar->SetCalendarDate(EncodeDate(2026, 9, 30));  // the longest month name
  TPopupCalendar dropDown(nullptr);
  const auto child = [&dialog](const char* name) {
    return dialog.findChild<QWidget*>(QLatin1String(name));
  };
  const auto inDialog = [&dialog](const QWidget* w) {
    return QRect(w->mapTo(&dialog, QPoint()), w->size());
  };
  const int titleRow = dropDown.findChild<QWidget*>(QStringLiteral("TopPanel"))->height();
  const QRect panel = inDialog(child("CalendarPanel"));
  const struct {
    const char* what;
    QRect actual;
    QRect expected;
  } rows[] = {
      {"client area", dialog.rect(), QRect(0, 0, 222, 154)},
      {"title row", inDialog(child("TopPanel")), QRect(0, 0, 222, 18)},
      {"the drop-down's title row", QRect(0, 0, 0, titleRow), QRect(0, 0, 0, 18)},
      {"calendar in its panel", dialog.Calendar->geometry(), QRect(2, 2, 218, 113)},
      {"calendar panel under the title row", panel, QRect(0, 18, 222, 2 + 113 + 2)},
      {"previous year", QRect(QPoint(), child("PrevYearBtn")->size()), QRect(0, 0, 16, 16)},
      {"previous month", QRect(QPoint(), child("PrevMonthBtn")->size()), QRect(0, 0, 16, 16)},
      {"next month", QRect(QPoint(), child("NextMonthBtn")->size()), QRect(0, 0, 16, 16)},
      {"next year", QRect(QPoint(), child("NextYearBtn")->size()), QRect(0, 0, 16, 16)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Text(row.actual), Text(row.expected));
  }
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_TRUE(dialog.rect().contains(inDialog(w)));
  }
  for (const char* name : {"PrevYearBtn", "PrevMonthBtn", "NextMonthBtn", "NextYearBtn"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(child("TopPanel")->rect().contains(child(name)->geometry()));
  }
  // The title is not cut.
  const QLabel* title = dialog.TitleLabel;
  EXPECT_LE(QFontMetrics(title->font()).horizontalAdvance(title->text()), title->width());

  // OK and Cancel below the calendar's panel, ending at the client area's bottom, their
  // texts whole inside the style's room for them.
  const auto buttons = dialog.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 2);
  for (const QPushButton* b : buttons) {
    SCOPED_TRACE(b->text().toStdString());
    const QRect r = inDialog(b);
    EXPECT_TRUE(dialog.rect().contains(r));
    EXPECT_GT(r.top(), panel.bottom());
    EXPECT_EQ(r.bottom() + 1, 154);
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
    const QFontMetrics metrics(b->font());
    EXPECT_LE(metrics.horizontalAdvance(b->text()), room.width());
    EXPECT_LE(metrics.height(), room.height());
  }
  QLocale::setDefault(QLocale::c());
}

}  // namespace
