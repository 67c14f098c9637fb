#include "controls/delay.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(DelayTest, ZeroOrNegativeProcessesPendingEventsOnceAndReturns) {
  for (int msecs : {0, -1, -100000}) {
    int handled = 0;
    QTimer::singleShot(0, [&] { ++handled; });
    const auto start = Clock::now();
    Delay(msecs);
    EXPECT_EQ(handled, 1) << msecs;
    EXPECT_LT(Clock::now() - start, milliseconds(200)) << msecs;
  }
}

TEST(DelayTest, LastsAtLeastItsTimeAndHandlesEventsMeanwhile) {
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(50);
  bool late = false;
  QTimer::singleShot(300, [&] { late = true; });

  const auto start = Clock::now();
  Delay(500);
  const auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, milliseconds(500));
  EXPECT_TRUE(late);
  EXPECT_GE(ticks, 5);
}

TEST(DelayTest, WaitsWithoutSpinning) {
  const std::clock_t cpuStart = std::clock();
  Delay(400);
  const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  // A busy loop would burn about 400 ms of processor time.
  EXPECT_LT(cpuMs, 150.0);
}

TEST(WaitUntilTest, EndsAsSoonAsAHandlerCompletesTheWait) {
  bool complete = false;
  QTimer::singleShot(100, [&] { complete = true; });
  const auto start = Clock::now();
  EXPECT_TRUE(WaitUntil(5000, [&] { return complete; }));
  EXPECT_LT(Clock::now() - start, milliseconds(2500));

  // Already done: the pending events are still processed once.
  int handled = 0;
  QTimer::singleShot(0, [&] { ++handled; });
  EXPECT_TRUE(WaitUntil(1000, [] { return true; }));
  EXPECT_EQ(handled, 1);
}

TEST(WaitUntilTest, TimesOutWhenNeverDone) {
  const auto start = Clock::now();
  EXPECT_FALSE(WaitUntil(150, [] { return false; }));
  EXPECT_GE(Clock::now() - start, milliseconds(150));
}

TEST(WaitUntilTest, NestedWaitsBothEnd) {
  bool innerReturned = false;
  QTimer::singleShot(20, [&] {
    WaitUntil(100, [] { return false; });
    innerReturned = true;
  });
  const auto start = Clock::now();
  Delay(200);
  EXPECT_TRUE(innerReturned);
  EXPECT_GE(Clock::now() - start, milliseconds(200));
}

}  // namespace
