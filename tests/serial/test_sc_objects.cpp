#include "serial/sc_objects.h"

#include <gtest/gtest.h>
#include <thread>

TEST(ScObjectsTest, AWaitEventStaysSetUntilReset) {
  TScWaitEvent event;
  EXPECT_EQ(event.WaitFor(0), wrTimeout);
  std::thread setter([&] { event.SetEvent(); });
  EXPECT_EQ(event.WaitFor(INFINITE), wrSignaled);
  setter.join();
  EXPECT_EQ(event.WaitFor(10), wrSignaled);
  EXPECT_EQ(event.WaitFor(10), wrSignaled);
  event.ResetEvent();
  EXPECT_EQ(event.WaitFor(1), wrTimeout);
}
