#include "controls/drop_calendar.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The date dialog: its client area, the calendar's place and the navigation buttons;
// nothing reaches beyond the client area.
TEST(SelectDateDlgTest, Layout) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  TSelectDateDlg dialog;
  dialog.Calendar->SetCalendarDate(EncodeDate(2026, 9, 30));  // the longest month name
  const auto button = [&dialog](const char* name) {
    return dialog.findChild<TXcSpeedButton*>(QLatin1String(name))->geometry();
  };
  const struct {
    const char* what;
    QRect actual;
    QRect expected;
  } rows[] = {
      {"client area", dialog.rect(), QRect(0, 0, 222, 154)},
      {"calendar", QRect(dialog.Calendar->pos(), QSize(dialog.Calendar->width(), 0)),
       QRect(2, 2, 218, 0)},
      {"previous year", QRect(QPoint(), button("PrevYearBtn").size()), QRect(0, 0, 16, 16)},
      {"previous month", QRect(QPoint(), button("PrevMonthBtn").size()), QRect(0, 0, 16, 16)},
      {"next month", QRect(QPoint(), button("NextMonthBtn").size()), QRect(0, 0, 16, 16)},
      {"next year", QRect(QPoint(), button("NextYearBtn").size()), QRect(0, 0, 16, 16)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.actual, row.expected);
  }
  for (QWidget* child : dialog.findChildren<QWidget*>()) {
    SCOPED_TRACE(child->objectName().toStdString());
    const QRect inDialog(child->mapTo(&dialog, QPoint()), child->size());
    EXPECT_TRUE(dialog.rect().contains(inDialog));
  }
  // The title and the buttons' texts are not cut.
  const QLabel* title = dialog.TitleLabel;
  EXPECT_LE(title->fontMetrics().horizontalAdvance(title->text()), title->width());
  for (const QPushButton* b : dialog.findChildren<QPushButton*>())
    EXPECT_LE(b->fontMetrics().height() + 4, b->height()) << b->text().toStdString();
  QLocale::setDefault(QLocale::c());
}

}  // namespace
