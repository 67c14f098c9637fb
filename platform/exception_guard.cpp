#include "platform/exception_guard.h"

#include "platform/message_box.h"

QString ExceptionText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
  }
  return QStringLiteral("Unknown exception");
}

bool RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (...) {
    const QString text = ExceptionText(std::current_exception());
    try {
      MessageBox::Error(text);
    } catch (...) {
      // A failing report must not unwind through Qt either.
    }
  }
  return false;
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunGuarded([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}
