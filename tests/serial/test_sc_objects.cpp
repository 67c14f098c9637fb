#include "serial/sc_objects.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>

TEST(ScObjectsTest, AWaitEventStaysSetUntilResetAndClosesItsDescriptor) {
  int handle = -1;
  {
    TScWaitEvent closed;
    handle = closed.Handle;
  }
  EXPECT_GE(handle, 0);
  EXPECT_EQ(::fcntl(handle, F_GETFD), -1) << "the event's descriptor outlived it";

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
