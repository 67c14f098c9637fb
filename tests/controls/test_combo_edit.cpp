#include "controls/combo_edit.h"

#include <QDialog>
#include <QGuiApplication>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The caret's columns and its tallest run of rows in the text area of a grab.
QSize DrawnCaret(const QImage& image, const QRect& area) {
  int left = -1, right = -1, height = 0;
  for (int x = area.left(); x <= area.right(); ++x) {
    int run = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      run = qGray(image.pixel(x, y)) < 96 ? run + 1 : 0;
      height = qMax(height, run);
      if (run > 0) {
        if (left < 0) left = x;
        right = x;
      }
    }
  }
  return left < 0 ? QSize() : QSize(right - left + 1, height);
}

// The caret is as wide as the font's strokes: 1 pixel, 2 with a bold font; as high as
// the text height.
TEST(ComboEditTest, CaretFollowsTheFont) {
  // No blinking, so the caret shows whenever the edit is grabbed.
  const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
  QGuiApplication::styleHints()->setCursorFlashTime(0);
  const struct {
    bool bold;
    int width;
  } rows[] = {{false, 1}, {true, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bold);
    QDialog window;
    auto* edit = new TCustomComboEdit(&window);
    QFont font = edit->font();
    font.setBold(row.bold);
    edit->setFont(font);
    edit->setGeometry(4, 4, 120, 24);
    window.resize(128, 32);
    window.show();
    window.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->CaretSize(), QSize(row.width, edit->GetTextHeight()));

    const QImage image = edit->grab().toImage();
    const QRect textArea(2, 3, edit->ButtonHost()->x() - 4, edit->height() - 6);
    EXPECT_EQ(DrawnCaret(image, textArea), QSize(row.width, edit->GetTextHeight()));

    edit->clearFocus();  // no caret without the focus
    EXPECT_EQ(edit->CaretSize(), QSize());
    EXPECT_EQ(DrawnCaret(edit->grab().toImage(), textArea), QSize());
  }
  QGuiApplication::styleHints()->setCursorFlashTime(flashTime);
}

}  // namespace
