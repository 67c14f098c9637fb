#include "controls/delay.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

bool WaitUntil(int msecs, const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (done()) return true;
  // Wakes the wait at the deadline; the loop below still checks the clock, as a
  // timer may fire a little early.
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  for (qint64 left = msecs - clock.elapsed(); left > 0; left = msecs - clock.elapsed()) {
    deadline.start(static_cast<int>(left));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (done()) return true;
  }
  return false;
}

void Delay(int msecs) {
  WaitUntil(msecs, [] { return false; });
}
