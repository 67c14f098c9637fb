#pragma once

#include <QApplication>

#include <exception>
#include <functional>

// The text shown for an exception: what() of a standard exception (UTF-8), else a
// generic text.
QString ExceptionText(const std::exception_ptr& error);

// Runs an event handler; an exception leaving it is shown in a message box
// ("Ошибка", error icon) instead of unwinding through Qt. False when one was caught.
bool RunGuarded(const std::function<void()>& handler);

// The application object: every event goes through RunGuarded, so the program goes
// on after a failed handler.
class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};
