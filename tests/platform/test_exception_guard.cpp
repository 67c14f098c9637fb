#include "platform/exception_guard.h"
#include "platform/scripted_services.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ExceptionGuardTest, AnExceptionLeavingAHandlerIsShownAndTheProgramGoesOn) {
  ScriptedMessageBox boxes;
  EXPECT_FALSE(RunGuarded([] { throw std::runtime_error("Порт не открыт"); }));
  EXPECT_FALSE(RunGuarded([] { throw 42; }));
  EXPECT_TRUE(RunGuarded([] {}));
  ASSERT_EQ(boxes.Boxes().size(), 2);
  EXPECT_EQ(boxes.Boxes()[0].text, "Порт не открыт");
  EXPECT_EQ(boxes.Boxes()[0].caption, "Ошибка");
  EXPECT_EQ(boxes.Boxes()[0].icon, MsgIcon::Error);
  EXPECT_FALSE(boxes.Boxes()[1].text.isEmpty());
}
