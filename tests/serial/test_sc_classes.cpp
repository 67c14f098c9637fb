#include "serial/sc_classes.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ScClassesTest, GroupsNotifyOnlyOutsideAnUpdateAndOnlyWhereTheValueMatters) {
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
  chars.SetEofChar('?');
  chars.SetEofChar('?');  // every store notifies
  EXPECT_EQ(charChanges, 2);
  EXPECT_EQ(chars.EofChar(), '?');
  EXPECT_EQ(chars.EventChar(), 0);

  TScBuffers buffers;
  int bufferChanges = 0;
  buffers.OnChange = [&](TScPersistent*) { ++bufferChanges; };
  buffers.SetReadTimeout(50);
  buffers.SetWriteTimeout(60);
  buffers.SetWriteSize(buffers.WriteSize());
  EXPECT_EQ(bufferChanges, 0);
  buffers.SetXoffLimit(10);
  EXPECT_EQ(bufferChanges, 1);
  TScBuffers other;
  buffers.Assign(other);  // one notification, all six values copied
  EXPECT_EQ(bufferChanges, 2);
  EXPECT_EQ(buffers.XoffLimit(), other.XoffLimit());
  EXPECT_EQ(buffers.ReadTimeout(), other.ReadTimeout());
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
  buffers.SetWriteTimeout(5);  // time-outs change freely
  EXPECT_EQ(buffers.WriteTimeout(), 5);
}
