#include "controls/delay.h"

#include <QTimer>

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A nested wait inside a handler ends too, and the outer one waits without spinning.
TEST(DelayTest, LastsItsTimeHandlingEventsWithoutSpinning) {
  bool innerEnded = false;
  QTimer::singleShot(20, [&] { innerEnded = !WaitUntil(100, [] { return false; }); });
  const std::clock_t cpuStart = std::clock();
  auto start = Clock::now();
  Delay(400);
  EXPECT_GE(Clock::now() - start, milliseconds(400));
  EXPECT_TRUE(innerEnded);
  // A busy loop would burn about 400 ms of processor time.
  EXPECT_LT(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC, 150.0);

  bool handled = false;  // no time: pending events are handled once
  QTimer::singleShot(0, [&] { handled = true; });
  Delay(-100000);
  EXPECT_TRUE(handled);
  QTimer::singleShot(100, [&] { handled = false; });
  EXPECT_TRUE(WaitUntil(5000, [&] { return !handled; }));
}

}  // namespace
