#include "serial/sc_classes.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ScClassesTest, GroupsNotifyOnlyOutsideAnUpdateAndOnlyWhereTheValueMatters) {
  TScFlowControl flow;
  int flowChanges = 0;
  flow.OnChange = [&](TScPersistent*) { ++flowChanges; };
  flow.SetXonXoffOut(false);  // unchanged
  flow.BeginUpdate();
  flow.SetOutCtsFlow(true);
  flow.SetXonXoffIn(true);
  EXPECT_EQ(flowChanges, 0);
  flow.EndUpdate();
  flow.EndUpdate();  // no update running: still one notification
  EXPECT_EQ(flow.UpdateCount, 0);
  EXPECT_EQ(flowChanges, 2);
  TScFlowControl source;
  source.SetControlDtr(dtrHandshake);
  flow.Assign(source);
  EXPECT_EQ(flowChanges, 3);
  EXPECT_EQ(flow.ControlDtr(), dtrHandshake);

  TScBuffers buffers;
  int bufferChanges = 0;
  buffers.OnChange = [&](TScPersistent*) { ++bufferChanges; };
  buffers.SetReadTimeout(50);
  buffers.SetWriteSize(buffers.WriteSize());
  EXPECT_EQ(bufferChanges, 0);
  buffers.SetXoffLimit(10);
  buffers.Assign(TScBuffers());  // one notification, all six values copied
  EXPECT_EQ(bufferChanges, 2);
  EXPECT_EQ(buffers.ReadTimeout(), 1000);
}

TEST(ScClassesTest, ARefusedBufferChangeIsNotStored) {
  TScBuffers buffers;
  buffers.OnChanging = [](TScBuffers*) { throw std::runtime_error("refused"); };
  EXPECT_THROW(buffers.SetReadSize(16), std::runtime_error);
  EXPECT_EQ(buffers.ReadSize(), 4096);
  TScBuffers other;
  other.SetWriteSize(8);
  EXPECT_THROW(buffers.Assign(other), std::runtime_error);
  EXPECT_EQ(buffers.WriteSize(), 2048);
  EXPECT_EQ(buffers.UpdateCount, 0);
}
