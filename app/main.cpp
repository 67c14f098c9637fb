#include "app/start_up.h"
#include "controls/controls_init.h"
#include "platform/exception_guard.h"

int main(int argc, char** argv) {
  GuardedApplication app(argc, argv);
  GuardedApplication::setApplicationName(QStringLiteral("jibwarden"));
  SetUpApplication();
  InitControlsLibrary();
  ShowSplash(std::chrono::milliseconds(1000));
  std::unique_ptr<AppWindows> windows = CreateApplicationWindows(
      GuardedApplication::arguments().mid(1), GuardedApplication::applicationFilePath());
  QObject::connect(windows->Form_main.get(), &TForm_main::Closed, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  return GuardedApplication::exec();
}
