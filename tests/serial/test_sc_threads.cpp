#include "serial/sc_comm.h"
#include "tests/support/pty_pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <ctime>
#include <gtest/gtest.h>

namespace {

struct Port {
  explicit Port(TScCommEvents Events) {
    EXPECT_TRUE(pty.IsValid());
    comm.SetDeviceName(pty.SlavePath);
    comm.EventChars().SetEventChar('?');
    comm.SetMonitorEvents(Events);
  }
  PtyPair pty;
  TScComm comm;
};

}  // namespace

TEST(ScThreadsTest, EveryByteValuePassesUnchangedQueuedOrDirect) {
  const QByteArray bytes("\x00\x11\x13\x3F\xFF\x0D\x0A\x7F", 8);
  const struct {
    TScCommEvents events;
    bool directWrite;
  } rows[] = {{{}, false}, {{ceRxChar, ceRxFlag}, false}, {{ceTxEmpty}, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.events.ToBits());
    Port port(row.events);
    TScComm& comm = port.comm;
    comm.SetDirectWrite(row.directWrite);
    int txEmpty = 0;
    comm.OnTxEmpty = [&](QObject*) { ++txEmpty; };
    comm.Open();

    ASSERT_TRUE(port.pty.Send(bytes + "x"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return comm.InQueue() == bytes.size() + 1; }, 5000));
    char part[4] = {};
    EXPECT_EQ(comm.ReadBuf(part, 4), 4);
    QByteArray got;
    comm.ReadText(got);
    EXPECT_EQ(QByteArray(part, 4) + got, bytes + "x");
    ASSERT_TRUE(port.pty.Send("y"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return comm.InQueue() == 1; }, 5000));
    comm.PurgeRead();
    EXPECT_EQ(comm.InQueue(), 0);

    EXPECT_TRUE(comm.WriteText(bytes));
    EXPECT_EQ(port.pty.Receive(static_cast<int>(bytes.size())), bytes);
    EXPECT_TRUE(QTest::qWaitFor([&] { return txEmpty == 1; }, 5000));
  }
}

TEST(ScThreadsTest, AHandlerWaitingInANestedLoopHoldsTheEventThreadAndMayClose) {
  Port port({ceRxFlag});
  TScComm& comm = port.comm;
  int txEmpty = 0;
  comm.OnTxEmpty = [&](QObject*) { ++txEmpty; };
  int closes = 0;
  comm.OnClose = [&](QObject*) { ++closes; };
  int flags = 0;
  QByteArray seen;
  comm.OnRxFlag = [&](QObject*) {
    ++flags;
    EXPECT_EQ(QThread::currentThread(), qApp->thread());
    QByteArray text;
    comm.ReadText(text);
    seen += text;
    if (flags == 1) {
      // The readout writes and waits like this; the write thread's notification comes
      // in meanwhile, yet the event thread stays with this wake-up until it returns.
      EXPECT_TRUE(comm.WriteText("C"));
      EXPECT_TRUE(QTest::qWaitFor([&] { return txEmpty == 1; }, 5000));
      EXPECT_TRUE(port.pty.Send("AB?"));
      QTest::qWait(200);
      EXPECT_EQ(flags, 1);  // the second flag waits for this handler
    } else {
      comm.Close();  // the event thread is waiting for this very handler
    }
  };
  comm.Open();
  ASSERT_TRUE(port.pty.Send("?"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return flags == 2 && !comm.IsOpen(); }, 5000));
  EXPECT_EQ(seen, "?AB?");
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(port.pty.Receive(1), "C");

  comm.SetMonitorEvents({});
  comm.Open();
  // The stopped thread of the first opening must not take the new opening's bytes.
  ASSERT_TRUE(port.pty.Send("?"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return comm.InQueue() == 1; }, 5000));
  QTest::qWait(50);
  QByteArray text;
  comm.ReadText(text);
  EXPECT_EQ(text, "?");
  EXPECT_EQ(flags, 2);
}

TEST(ScThreadsTest, QueueRoomTransmitEmptyAndPurges) {
  Port port({});
  TScComm& comm = port.comm;
  comm.Buffers().SetWriteSize(16);
  comm.Buffers().SetWriteTimeout(100);
  int txEmpty = 0;
  comm.OnTxEmpty = [&](QObject*) { ++txEmpty; };
  comm.Open();

  const QByteArray exact(16, 'a');
  EXPECT_EQ(comm.WriteBuf(exact.constData(), 16), 16);
  EXPECT_EQ(port.pty.Receive(16), exact);
  ASSERT_TRUE(QTest::qWaitFor([&] { return txEmpty == 1; }, 5000));

  QElapsedTimer waited;
  waited.start();
  try {
    comm.WriteText(QByteArray(17, 'b'));
    ADD_FAILURE() << "a write larger than the queue was accepted";
  } catch (const EScCommError& e) {
    EXPECT_EQ(e.Message(), "Output buffer is full. Please check comm status.");
  }
  EXPECT_GE(waited.elapsed(), 100);
  EXPECT_TRUE(port.pty.Receive(1, 100).isEmpty());

  // No events are processed here, so room must come without the GUI thread; every
  // byte appended while the write thread drains must still go out, in order.
  comm.Buffers().SetWriteTimeout(2000);
  QByteArray expected;
  for (int i = 0; i < 300; ++i) {
    const QByteArray chunk(1 + i % 16, static_cast<char>('a' + i % 26));
    ASSERT_TRUE(comm.WriteText(chunk)) << i;
    expected += chunk;
  }
  EXPECT_EQ(port.pty.Receive(static_cast<int>(expected.size())), expected);
  EXPECT_TRUE(QTest::qWaitFor([&] { return txEmpty >= 2; }, 5000));

  // PurgeAll drops unsent bytes and PurgeRead keeps them.
  comm.Close();
  const int size = 1 << 20;  // far beyond what the kernel takes while nobody reads
  comm.Buffers().SetWriteSize(size);
  comm.Open();
  const QByteArray data(size, 'q');
  ASSERT_TRUE(comm.WriteText(data));
  TScCommStatus status;
  comm.PurgeRead();
  comm.GetStatus(status);
  EXPECT_GT(status.OutQue, static_cast<std::uint32_t>(size / 2));

  // Any other purge empties the queue first, even one of the input side alone; what
  // is left is the kernel's own output queue.
  comm.Purge(PURGE_RXCLEAR);
  comm.GetStatus(status);
  EXPECT_LT(status.OutQue, static_cast<std::uint32_t>(size / 2));

  // The kernel may still be moving a pseudo-terminal's last bytes for a moment after its
  // flush; the megabyte that was queued must be gone at once all the same.
  ASSERT_TRUE(comm.WriteText(data));
  comm.PurgeAll();
  comm.GetStatus(status);
  EXPECT_LT(status.OutQue, static_cast<std::uint32_t>(size / 2));
  EXPECT_LT(port.pty.Receive(size, 300).size(), size);

  // The port goes on working after the purge.
  EXPECT_TRUE(comm.WriteText("after"));
  EXPECT_TRUE(port.pty.Receive(size, 1000).endsWith("after"));
}

TEST(ScThreadsTest, AVanishedDeviceReportsOnceAndDoesNotSpin) {
  Port port({ceError, ceRxChar});
  TScComm& comm = port.comm;
  std::vector<int> errors;
  comm.OnError = [&](QObject*, int mask) { errors.push_back(mask); };
  comm.Open();
  port.pty.CloseMaster();
  ASSERT_TRUE(QTest::qWaitFor([&] { return errors.size() == 1; }, 5000));
  EXPECT_EQ(errors[0], static_cast<int>(CE_IOE));

  // The write thread reports its failed write once and keeps the bytes.
  EXPECT_TRUE(comm.WriteText("lost?"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return errors.size() == 2; }, 5000));

  const std::clock_t cpuBefore = std::clock();
  QTest::qWait(1000);
  EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC * 3 / 10);
  EXPECT_EQ(errors.size(), 2u);
  TScCommStatus status;
  comm.GetStatus(status);
  EXPECT_EQ(status.OutQue, 5u);
}

namespace {

class RecordingLink : public TScCommLinkTarget {
 public:
  void CommEvent(std::uint32_t Events) override { events |= Events; }
  void CommData(PScData Data, int Count) override {
    data.append(reinterpret_cast<const char*>(Data), Count);
  }
  std::uint32_t events = 0;
  QByteArray data;
};

class RecordingDisplay : public QObject, public TScDisplay {
  Q_OBJECT
  Q_INTERFACES(TScDisplay)
 public:
  void UpdateComm(TScCustomComm*) override { ++updates; }
  int updates = 0;
};

}  // namespace

TEST(ScThreadsTest, LinksTakeTheBytesTheDisplayIsToldFirstAndTheBufferFillsUp) {
  Port port({ceRxChar, ceRxFlag, ceRx80Full});
  TScComm& comm = port.comm;
  comm.Buffers().SetReadSize(10);
  RecordingLink link;
  comm.AddLink(&link);
  int rxChars = 0;
  comm.OnRxChar = [&](QObject*, int) { ++rxChars; };  // the link takes the bytes instead
  int full = 0;
  comm.OnRx80Full = [&](QObject*) { ++full; };  // eight of ten bytes
  auto display = std::make_unique<RecordingDisplay>();
  int updatesAtFlag = -1;
  QByteArray dataAtFlag;  // the received bytes are handed on before the flag
  comm.OnRxFlag = [&](QObject*) {
    updatesAtFlag = display->updates;
    dataAtFlag = link.data;
  };
  comm.SetDisplay(display.get());
  comm.Open();

  ASSERT_TRUE(port.pty.Send("12345678?"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return updatesAtFlag >= 1 && full == 1; }, 5000));
  EXPECT_EQ(dataAtFlag, "12345678?");
  EXPECT_EQ(rxChars, 0);
  EXPECT_TRUE(link.events & EV_RXFLAG);
  display.reset();  // a freed display is forgotten
  EXPECT_EQ(comm.Display(), nullptr);
}

#include "test_sc_threads.moc"
