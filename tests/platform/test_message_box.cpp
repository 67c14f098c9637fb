#include "platform/message_box.h"
#include "platform/scripted_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

TEST(MessageBoxTest, TheInnermostResponderAnswersWithLineBreaksAsNewlines) {
  ScriptedMessageBox outer{MsgResult::Cancel};
  {
    ScriptedMessageBox inner{MsgResult::No};
    EXPECT_EQ(MessageBox::Show("a\rb\r\nc", "Подтверждение", MsgButtons::YesNo), MsgResult::No);
    EXPECT_EQ(inner.Boxes().value(0).text, "a\nb\nc");
  }
  EXPECT_EQ(MessageBox::Show("x", "y", MsgButtons::OkCancel), MsgResult::Cancel);
}

TEST(MessageBoxTest, TheRealBoxHasRussianButtonsAndReturnsThePressedOne) {
  QStringList texts;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    for (QAbstractButton* b : box->buttons()) {
      texts += b->text();
      if (b->text() == "Нет") b->click();
    }
  });
  EXPECT_EQ(MessageBoxService::Default().Show(
                {"Удалить файл ?", "Предупреждение", MsgButtons::YesNoCancel, MsgIcon::Warning}),
            MsgResult::No);
  texts.sort();
  EXPECT_EQ(texts, (QStringList{"Да", "Нет", "Отмена"}));
}
