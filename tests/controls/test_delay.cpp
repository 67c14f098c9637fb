#include "controls/delay.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(DelayTest, ZeroOrNegativeProcessesPendingEventsOnceAndReturns) {
  for (int msecs : {0, -100000}) {
    int handled = 0;
    QTimer::singleShot(0, [&] { ++handled; });
    const auto start = Clock::now();
    Delay(msecs);
    EXPECT_EQ(handled, 1) << msecs;
    EXPECT_LT(Clock::now() - start, milliseconds(200)) << msecs;
  }
}

// A nested wait inside a handler ends too, and the outer one waits without spinning.
TEST(DelayTest, LastsItsTimeHandlingEventsWithoutSpinning) {
  bool innerReturned = false;
  QTimer::singleShot(20, [&] {
    WaitUntil(100, [] { return false; });
    innerReturned = true;
  });
  const std::clock_t cpuStart = std::clock();
  const auto start = Clock::now();
  Delay(400);
  EXPECT_GE(Clock::now() - start, milliseconds(400));
  EXPECT_TRUE(innerReturned);
  // A busy loop would burn about 400 ms of processor time.
  EXPECT_LT(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC, 150.0);
}

TEST(DelayTest, WaitUntilEndsWhenDoneOrTimesOut) {
  bool complete = false;
  QTimer::singleShot(100, [&] { complete = true; });
  auto start = Clock::now();
  EXPECT_TRUE(WaitUntil(5000, [&] { return complete; }));
  EXPECT_LT(Clock::now() - start, milliseconds(2500));
  start = Clock::now();
  EXPECT_FALSE(WaitUntil(150, [] { return false; }));
  EXPECT_GE(Clock::now() - start, milliseconds(150));
}

}  // namespace
