#include "controls/window_family.h"

#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <gtest/gtest.h>

namespace {

// What the window manager is told: the stay-on-top flag of the platform window, not the widget's.
bool AskedOnTop(const QWidget& window) {
  return window.windowHandle() && window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
}

const QWindow* TransientParent(const QWidget& window) {
  return window.windowHandle() ? window.windowHandle()->transientParent() : nullptr;
}

// Runs `whileUp` once `dialog` is up in its own event loop, then closes it.
void ExecWith(QDialog& dialog, const std::function<void()>& whileUp) {
  QTimer::singleShot(0, &dialog, [&] {
    whileUp();
    dialog.reject();
  });
  dialog.exec();
}

class WindowFamilyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    head_.resize(400, 300);
    head_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&head_));
  }
  QMainWindow head_;
  WindowFamily family_{&head_};
};

// Every window shown belongs to the head or the window that made it, so that the window manager
// minimises and restores them with it.
TEST_F(WindowFamilyTest, EveryWindowIsTransientForTheHeadOrItsOwner) {
  QDialog free(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
  QDialog tool(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  QDialog owned(&free);
  for (QDialog* window : {&free, &tool, &owned}) window->show();
  EXPECT_EQ(TransientParent(free), head_.windowHandle());
  EXPECT_EQ(TransientParent(tool), head_.windowHandle());
  EXPECT_EQ(TransientParent(owned), free.windowHandle());
  EXPECT_EQ(TransientParent(head_), nullptr);
}

// A modal window, and a box it opens, stack above the family's stay-on-top windows while they
// are up; those keep their own flag and go back on top when the last modal window closes. A
// stay-on-top window shown meanwhile waits below too.
TEST_F(WindowFamilyTest, ModalWindowsStackAboveTheStayOnTopWindowsWhileTheyAreUp) {
  QDialog helper(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
  QDialog later(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
  helper.show();
  ASSERT_TRUE(AskedOnTop(helper));
  QDialog modal;
  bool ranBox = false;
  ExecWith(modal, [&] {
    EXPECT_FALSE(AskedOnTop(helper));
    EXPECT_TRUE(helper.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(TransientParent(modal), head_.windowHandle());
    later.show();
    EXPECT_FALSE(AskedOnTop(later));
    QMessageBox box(QMessageBox::Critical, "Ошибка", "Введите имя оператора", QMessageBox::Ok,
                    &modal);
    ExecWith(box, [&] {
      ranBox = true;
      EXPECT_EQ(TransientParent(box), modal.windowHandle());
      EXPECT_FALSE(AskedOnTop(helper));
    });
    // The readout window is still up.
    EXPECT_FALSE(AskedOnTop(helper));
  });
  EXPECT_TRUE(ranBox);
  EXPECT_TRUE(AskedOnTop(helper));
  EXPECT_TRUE(AskedOnTop(later));
  EXPECT_TRUE(helper.isVisible());
}

// A helper window the user minimised comes back on the screen where it was left.
TEST_F(WindowFamilyTest, AMinimisedHelperComesBackWhereItWasLeft) {
  QDialog helper(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
  helper.move(120, 80);
  helper.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&helper));
  const QPoint at = helper.pos();
  helper.setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(QTest::qWaitFor([&] { return helper.isMinimized(); }));
  EXPECT_FALSE(OnScreen(&helper));
  BringBack(&helper);
  EXPECT_TRUE(QTest::qWaitFor([&] { return OnScreen(&helper); }));
  EXPECT_FALSE(helper.windowHandle()->windowStates().testFlag(Qt::WindowMinimized));
  EXPECT_EQ(helper.pos(), at);
}

}  // namespace
