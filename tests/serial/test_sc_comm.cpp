#include <gtest/gtest.h>
#include <termios.h>

#include <QMetaProperty>
#include <QTest>
#include <cstdlib>

#include "pty_pair.h"
#include "serial/sc_comm.h"

namespace {

const QString kOpenText = QStringLiteral("Can't perform this operation while port is open");

// The settings the readout window gives its port.
void UseReadoutSettings(TScComm& Comm, const QString& Device) {
  Comm.SetDeviceName(Device);
  Comm.SetBaudrate(br9600);
  Comm.SetStopbits(sb2);
  Comm.EventChars().SetEventChar('?');
  Comm.EventChars().SetEofChar('?');
  Comm.SetMonitorEvents({});
}

template <typename F>
QString ErrorText(F&& Call) {
  try {
    Call();
  } catch (const EScCommError& e) {
    return e.Message();
  }
  return QStringLiteral("<no error>");
}

}  // namespace

TEST(ScCommOpen, RefusesMissingAndBusyDevices) {
  TScComm comm;
  EXPECT_EQ(comm.DeviceName(), "COM%d");
  EXPECT_EQ(comm.PortNum(), 0);
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), "Specified device not found (COM0).");
  EXPECT_FALSE(comm.IsOpen());

  comm.SetDeviceName(QStringLiteral("/dev/jw-no-such-port%d"));
  comm.SetPortNum(7);
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), "Specified device not found (/dev/jw-no-such-port7).");

  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm first;
  first.SetDeviceName(pty.SlavePath);
  first.Open();
  TScComm second;
  second.SetDeviceName(pty.SlavePath);
  EXPECT_EQ(ErrorText([&] { second.Open(); }), "Can't open specified device " + pty.SlavePath +
                                                   " (Error 16, Device or resource busy)");
  first.Close();
  second.Open();  // exclusive access ends with the close
  EXPECT_TRUE(second.IsOpen());
}

TEST(ScCommOpen, ComNamesGoThroughThePortMap) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  comm.SetPortNum(2);
  TScCustomComm::SetPortResolver([&](int n) { return n == 2 ? pty.SlavePath : QString(); });
  comm.Open();
  EXPECT_TRUE(comm.IsOpen());
  comm.Close();
  TScComm busy;
  busy.SetPortNum(2);
  comm.Open();
  EXPECT_EQ(ErrorText([&] { busy.Open(); }),
            "Can't open specified device COM2 (Error 16, Device or resource busy)");
  comm.Close();

  // Without a map: the environment, then the numbered system port.
  TScCustomComm::SetPortResolver(nullptr);
  setenv("JIBWARDEN_COM2", pty.SlavePath.toLocal8Bit().constData(), 1);
  comm.Open();
  EXPECT_TRUE(comm.IsOpen());
  comm.Close();
  unsetenv("JIBWARDEN_COM2");
  comm.SetDeviceName(QStringLiteral("COM%d0"));  // "%d" is replaced as text: COM20
  EXPECT_NE(ErrorText([&] { comm.Open(); }), "<no error>");
  EXPECT_FALSE(comm.IsOpen());
}

TEST(ScCommOpen, GuardedSettersRefuseWhileOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  comm.SetDeviceName(pty.SlavePath);
  comm.Open();
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetPortNum(3); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetDeviceName("COM%d"); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetMonitorEvents({ceRxFlag}); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetDirectWrite(true); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetUpdateDCB(false); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetBuffers(TScBuffers()); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.Buffers().SetReadSize(64); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.Buffers().SetXonLimit(5); }), kOpenText);
  // A refused change is not kept for the next opening.
  EXPECT_EQ(comm.Buffers().ReadSize(), 4096);
  EXPECT_EQ(comm.Buffers().XonLimit(), 1024);
  EXPECT_EQ(comm.PortNum(), 0);
  EXPECT_EQ(comm.DeviceName(), pty.SlavePath);
  EXPECT_EQ(comm.MonitorEvents(), (TScCommEvents{ceError, ceRxChar, ceTxEmpty}));
  comm.Buffers().SetWriteTimeout(10);
  EXPECT_EQ(comm.Buffers().WriteTimeout(), 10);
}

TEST(ScCommLine, ReadoutSettingsReachTheLineAndChangeAtOnce) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  UseReadoutSettings(comm, pty.SlavePath);
  comm.Open();
  comm.SetDTR(false);
  comm.SetRTS(false);

  termios t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(cfgetispeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_FALSE(t.c_cflag & (PARENB | CRTSCTS));
  EXPECT_TRUE(t.c_cflag & CREAD);
  EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | PARMRK | INPCK | ISTRIP | ICRNL));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(t.c_oflag & OPOST);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);

  // A pseudo-terminal keeps 8 bits without parity, so those are left out here.
  comm.SetBaudrate(br57600);
  comm.FlowControl().SetXonXoffOut(true);
  comm.EventChars().SetXonChar(0x21);
  comm.SetOptions({coParityCheck});
  t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), B57600);
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_TRUE(t.c_iflag & INPCK);
  EXPECT_EQ(t.c_cc[VSTART], 0x21);

  comm.SetUserBaudrate(14400);  // no B constant: the free-rate interface
  EXPECT_EQ(comm.Baudrate(), brUser);
  t = pty.Attributes();
  EXPECT_NE(cfgetospeed(&t), B57600);
  comm.SetBaudrate(br9600);
  EXPECT_EQ(comm.UserBaudrate(), 0);
  EXPECT_EQ(cfgetospeed(&(t = pty.Attributes())), B9600);

  // Settings the line cannot take are refused, yet stay stored.
  EXPECT_EQ(ErrorText([&] { comm.SetDatabits(db4); }), "Error writing dcb (22), Invalid argument");
  EXPECT_EQ(comm.Databits(), db4);
  comm.Close();
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), "Error writing dcb (22), Invalid argument");
  EXPECT_FALSE(comm.IsOpen());
  comm.SetDatabits(db8);
  comm.Open();
  EXPECT_EQ(cfgetospeed(&(t = pty.Attributes())), B9600);
}

TEST(ScCommLine, ModemLinesAndTheirHandshakeGuards) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  comm.SetDeviceName(pty.SlavePath);
  comm.FlowControl().SetControlDtr(dtrEnabled);
  comm.Open();
  comm.SetDTR(true);  // a pseudo-terminal has no modem lines: not an error
  comm.SetRTS(true);
  comm.EscapeFunction(SETBREAK);
  comm.EscapeFunction(CLRBREAK);
  EXPECT_EQ(ErrorText([&] { comm.EscapeFunction(99); }),
            "Error calling comm function (22), Invalid argument");

  comm.FlowControl().SetControlDtr(dtrHandshake);
  comm.FlowControl().SetControlRts(rtsToggle);
  EXPECT_EQ(ErrorText([&] { comm.SetDTR(false); }),
            "DTR line updates not allowed when flowcontrol is set to Handshake.");
  EXPECT_EQ(ErrorText([&] { comm.SetRTS(false); }),
            "RTS line updates not allowed when flowcontrol is set to Handshake or Toggle.");
  comm.FlowControl().SetControlRts(rtsHandshake);
  EXPECT_TRUE(pty.Attributes().c_cflag & CRTSCTS);
  EXPECT_EQ(ErrorText([&] { comm.SetRTS(true); }),
            "RTS line updates not allowed when flowcontrol is set to Handshake or Toggle.");
}

TEST(ScCommData, EveryByteValuePassesUnchangedBothWays) {
  const QByteArray bytes("\x00\x11\x13\x3F\xFF\x0D\x0A\x7F", 8);
  for (const TScCommEvents events : {TScCommEvents{}, TScCommEvents{ceRxChar, ceRxFlag}}) {
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    TScComm comm;
    UseReadoutSettings(comm, pty.SlavePath);
    comm.SetMonitorEvents(events);
    comm.Open();

    ASSERT_TRUE(pty.Send(bytes));
    EXPECT_TRUE(QTest::qWaitFor([&] { return comm.InQueue() == bytes.size(); }, 5000));
    QByteArray got;
    comm.ReadText(got);
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(comm.InQueue(), 0);
    comm.ReadText(got);
    EXPECT_EQ(got, QByteArray());

    EXPECT_TRUE(comm.WriteText(bytes));
    EXPECT_EQ(pty.Receive(static_cast<int>(bytes.size())), bytes);
  }
}

TEST(ScCommData, DirectWritesAndPartialReads) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  comm.SetDeviceName(pty.SlavePath);
  comm.SetDirectWrite(true);
  comm.SetMonitorEvents({ceTxEmpty});
  int txEmpty = 0;
  comm.OnTxEmpty = [&](QObject*) { ++txEmpty; };
  comm.Open();
  EXPECT_EQ(comm.EventMask(), EV_TXEMPTY);
  EXPECT_EQ(comm.WriteBuf("hello", 5), 5);
  EXPECT_EQ(pty.Receive(5), "hello");
  EXPECT_TRUE(QTest::qWaitFor([&] { return txEmpty == 1; }, 5000));

  ASSERT_TRUE(pty.Send("abcdef"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return comm.InQueue() == 6; }, 5000));
  char part[4] = {};
  EXPECT_EQ(comm.ReadBuf(part, 4), 4);
  EXPECT_EQ(QByteArray(part, 4), "abcd");
  comm.PurgeRead();
  EXPECT_EQ(comm.InQueue(), 0);
}

TEST(ScCommClosed, EveryOperationIsQuietWhileClosed) {
  TScComm comm;
  int closes = 0;
  comm.OnClose = [&](QObject*) { ++closes; };
  EXPECT_EQ(comm.InQueue(), 0);
  TScCommStatus status;
  status.Errors = 7;
  comm.GetStatus(status);
  EXPECT_EQ(status.Errors, 0u);
  EXPECT_EQ(status.InQue, 0u);
  EXPECT_EQ(status.OutQue, 0u);
  comm.PurgeAll();
  comm.EscapeFunction(SETDTR);
  comm.Close();
  EXPECT_EQ(closes, 0);
  EXPECT_EQ(comm.WriteBuf("x", 1), 0);
  char c;
  EXPECT_EQ(comm.ReadBuf(&c, 1), 0);
  QByteArray text("old");
  comm.ReadText(text);
  EXPECT_EQ(text, QByteArray());
  EXPECT_FALSE(comm.CheckErrors());
  EXPECT_EQ(comm.Handle(), -1);
}

TEST(ScCommOpen, OpenAndCloseNotifyAndAFailedOpenLeavesThePortClosed) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  comm.SetDeviceName(pty.SlavePath);
  QStringList log;
  comm.OnOpen = [&](QObject* sender) {
    log << "open";
    EXPECT_EQ(sender, &comm);
    throw std::runtime_error("handler failed");  // reported, the port stays open
  };
  comm.OnClose = [&](QObject*) { log << "close"; };
  std::vector<QString> reported;
  TScCustomComm::SetExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      reported.push_back(QString::fromUtf8(x.what()));
    }
  });
  comm.Open();
  EXPECT_TRUE(comm.IsOpen());
  comm.Close();
  TScCustomComm::SetExceptionHandler(nullptr);
  EXPECT_EQ(log, QStringList({"open", "close"}));
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "handler failed");

  comm.Buffers().SetWriteSize(0);
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), "Error initializing buffers (22), Invalid argument");
  EXPECT_FALSE(comm.IsOpen());
  comm.Buffers().SetWriteSize(16);
  comm.Open();  // the failed attempt left no exclusive lock behind
  EXPECT_TRUE(comm.IsOpen());
}

TEST(ScCommOpen, DefaultsAndTheEventMaskTheyGive) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  EXPECT_FALSE(comm.AutoOpen());
  EXPECT_EQ(comm.Baudrate(), br1200);
  EXPECT_EQ(comm.Parity(), paNone);
  EXPECT_EQ(comm.Databits(), db8);
  EXPECT_EQ(comm.Stopbits(), sb1);
  EXPECT_TRUE(comm.Options().IsEmpty());
  EXPECT_EQ(comm.EventPriority(), tpNormal);
  EXPECT_EQ(comm.WritePriority(), tpHighest);
  EXPECT_FALSE(comm.DirectWrite());
  EXPECT_TRUE(comm.UpdateDCB());
  EXPECT_EQ(comm.UserBaudrate(), 0);
  EXPECT_TRUE(comm.LinksEnabled);
  EXPECT_EQ(comm.Display(), nullptr);
  EXPECT_EQ(comm.Buffers().ReadTimeout(), 1000);
  EXPECT_EQ(comm.Buffers().WriteTimeout(), 1000);
  EXPECT_EQ(comm.Buffers().XoffLimit(), 1024);
  EXPECT_EQ(comm.EventChars().ErrorChar(), 0);
  EXPECT_EQ(comm.EventChars().EofChar(), 0);
  TScFlowControl& flow = comm.FlowControl();
  EXPECT_FALSE(flow.OutCtsFlow() || flow.OutDsrFlow() || flow.XonXoffOut() || flow.XonXoffIn() ||
               flow.DsrSensitivity() || flow.TxContinueOnXoff());
  EXPECT_EQ(flow.ControlDtr(), dtrDisabled);
  EXPECT_EQ(flow.ControlRts(), rtsDisabled);

  // The write thread reports the empty queue, so the line's own transmit-empty is left out.
  comm.SetDeviceName(pty.SlavePath);
  comm.Loaded();  // without AutoOpen nothing opens
  EXPECT_FALSE(comm.IsOpen());
  comm.SetAutoOpen(true);
  comm.Loaded();
  ASSERT_TRUE(comm.IsOpen());
  EXPECT_EQ(comm.EventMask(), EV_ERR | EV_RXCHAR);
  comm.Close();
  comm.SetDirectWrite(true);
  comm.Open();
  EXPECT_EQ(comm.EventMask(), EV_ERR | EV_RXCHAR | EV_TXEMPTY);
}

// A form storage reaches every published property by name through the meta-object.
TEST(ScCommProperties, PublishedPropertiesRoundTripThroughTheMetaObject) {
  TScComm comm;
  const struct {
    const char* name;
    QVariant value;
  } rows[] = {
      {"AutoOpen", true},
      {"Baudrate", QVariant::fromValue(br9600)},
      {"Parity", QVariant::fromValue(paEven)},
      {"Databits", QVariant::fromValue(db7)},
      {"Stopbits", QVariant::fromValue(sb2)},
      {"Options", (1 << coErrorChar) | (1 << coParityCheck)},
      {"PortNum", 3},
      {"DeviceName", QStringLiteral("/dev/ttyUSB%d")},
      {"MonitorEvents", 1 << ceRxFlag},
      {"EventPriority", QVariant::fromValue(tpLower)},
      {"WritePriority", QVariant::fromValue(tpNormal)},
      {"DirectWrite", true},
      {"UpdateDCB", false},
      {"UserBaudrate", 250000},
  };
  const QMetaObject* meta = comm.metaObject();
  for (const auto& row : rows) {
    const QMetaProperty property = meta->property(meta->indexOfProperty(row.name));
    ASSERT_TRUE(property.isValid()) << row.name;
    EXPECT_TRUE(property.isStored()) << row.name;
    EXPECT_TRUE(property.write(&comm, row.value)) << row.name;
    EXPECT_EQ(property.read(&comm), row.value) << row.name;
  }
  EXPECT_EQ(comm.Baudrate(), brUser);  // set by UserBaudrate
  EXPECT_TRUE(comm.Options().Contains(coParityCheck));
  EXPECT_EQ(comm.MonitorEvents(), TScCommEvents({ceRxFlag}));
  // Enumerations are stored by name as well.
  EXPECT_TRUE(comm.setProperty("Parity", "paOdd"));
  EXPECT_EQ(comm.Parity(), paOdd);

  // The three groups are nested objects with properties of their own; writing a group
  // assigns its values.
  comm.property("Buffers").value<TScBuffers*>()->setProperty("ReadSize", 512);
  EXPECT_EQ(comm.Buffers().ReadSize(), 512);
  comm.property("EventChars").value<TScEventChars*>()->setProperty("EventChar", '?');
  EXPECT_EQ(comm.EventChars().EventChar(), '?');
  TScFlowControl flow;
  flow.SetXonXoffIn(true);
  flow.SetControlDtr(dtrEnabled);
  EXPECT_TRUE(comm.setProperty("FlowControl", QVariant::fromValue(&flow)));
  EXPECT_TRUE(comm.FlowControl().XonXoffIn());
  EXPECT_EQ(comm.FlowControl().property("ControlDtr").value<TScControlDtr>(), dtrEnabled);
}
