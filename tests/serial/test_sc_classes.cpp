#include <fcntl.h>
#include <gtest/gtest.h>

#include <thread>

#include "serial/sc_classes.h"
#include "serial/sc_objects.h"

TEST(ScPropertyGroups, NotifyOnlyOutsideAnUpdateAndOnlyWhereTheValueMatters) {
  TScFlowControl flow;
  int flowChanges = 0;
  flow.OnChange = [&](TScPersistent*) { ++flowChanges; };
  flow.SetXonXoffOut(false);  // unchanged
  flow.SetControlRts(rtsToggle);
  EXPECT_EQ(flowChanges, 1);
  flow.BeginUpdate();
  flow.SetOutCtsFlow(true);
  flow.SetXonXoffIn(true);
  EXPECT_EQ(flowChanges, 1);
  flow.EndUpdate();
  EXPECT_EQ(flowChanges, 2);
  flow.EndUpdate();  // no update running: still one notification
  EXPECT_EQ(flow.UpdateCount, 0);
  EXPECT_EQ(flowChanges, 3);

  TScFlowControl source;
  source.SetControlDtr(dtrHandshake);
  flow.Assign(source);
  EXPECT_EQ(flowChanges, 4);
  EXPECT_EQ(flow.ControlDtr(), dtrHandshake);
  EXPECT_FALSE(flow.OutCtsFlow());
  EXPECT_EQ(flow.ControlRts(), rtsDisabled);

  TScEventChars chars;
  int charChanges = 0;
  chars.OnChange = [&](TScPersistent*) { ++charChanges; };
  EXPECT_EQ(chars.XonChar(), 17);
  EXPECT_EQ(chars.XoffChar(), 19);
  chars.SetEofChar('?');
  chars.SetEofChar('?');  // every store notifies
  EXPECT_EQ(charChanges, 2);
  EXPECT_EQ(chars.EofChar(), '?');
  EXPECT_EQ(chars.EventChar(), 0);

  TScBuffers buffers;
  int bufferChanges = 0;
  buffers.OnChange = [&](TScPersistent*) { ++bufferChanges; };
  EXPECT_EQ(buffers.ReadSize(), 4096);
  EXPECT_EQ(buffers.WriteSize(), 2048);
  EXPECT_EQ(buffers.XonLimit(), 1024);
  buffers.SetReadTimeout(50);
  buffers.SetWriteTimeout(60);
  EXPECT_EQ(bufferChanges, 0);
  buffers.SetWriteSize(2048);
  EXPECT_EQ(bufferChanges, 0);
  buffers.SetXoffLimit(10);
  EXPECT_EQ(bufferChanges, 1);
  TScBuffers other;
  buffers.Assign(other);  // one notification, all six values copied
  EXPECT_EQ(bufferChanges, 2);
  EXPECT_EQ(buffers.XoffLimit(), 1024);
  EXPECT_EQ(buffers.ReadTimeout(), 1000);
}

TEST(ScPropertyGroups, ARefusedBufferChangeIsNotStored) {
  TScBuffers buffers;
  buffers.OnChanging = [](TScBuffers*) { throw std::runtime_error("refused"); };
  EXPECT_THROW(buffers.SetReadSize(16), std::runtime_error);
  EXPECT_EQ(buffers.ReadSize(), 4096);
  TScBuffers other;
  other.SetWriteSize(8);
  EXPECT_THROW(buffers.Assign(other), std::runtime_error);
  EXPECT_EQ(buffers.WriteSize(), 2048);
  EXPECT_EQ(buffers.UpdateCount, 0);
  buffers.SetWriteTimeout(5);  // time-outs change freely
  EXPECT_EQ(buffers.WriteTimeout(), 5);
}

TEST(ScSets, MembersAreOrdinalBits) {
  TScCommEvents events{ceRxFlag, ceError};
  EXPECT_TRUE(events.Contains(ceRxFlag));
  EXPECT_FALSE(events.Contains(ceRxChar));
  EXPECT_EQ(events.ToBits(), (1u << ceRxFlag) | (1u << ceError));
  events.Exclude(ceRxFlag);
  events.Exclude(ceError);
  EXPECT_TRUE(events.IsEmpty());
  EXPECT_EQ(events, TScCommEvents{});
}

TEST(ScObjects, WaitEventTimerAndBitTest) {
  int handle = -1;
  {
    TScWaitEvent closed;
    handle = closed.Handle;
  }
  EXPECT_GE(handle, 0);
  EXPECT_EQ(::fcntl(handle, F_GETFD), -1) << "the event's descriptor outlived it";

  TScWaitEvent event;
  EXPECT_FALSE(event.IsSet());
  EXPECT_EQ(event.WaitFor(0), wrTimeout);
  std::thread setter([&] { event.SetEvent(); });
  EXPECT_EQ(event.WaitFor(INFINITE), wrSignaled);
  setter.join();
  EXPECT_EQ(event.WaitFor(10), wrSignaled);  // manual reset: stays set
  event.ResetEvent();
  EXPECT_EQ(event.WaitFor(1), wrTimeout);

  TScTimer timer;
  StartTimer(timer, 1000000);
  EXPECT_FALSE(TimerExpired(timer));
  timer.Start -= std::chrono::milliseconds(1000001);
  EXPECT_TRUE(TimerExpired(timer));

  EXPECT_TRUE(TestBit(0x82, 0x2));
  EXPECT_FALSE(TestBit(0x80, 0x2));
  EXPECT_FALSE(TestBit(0x80000000u, 0x80000000u));  // compared as signed
}
