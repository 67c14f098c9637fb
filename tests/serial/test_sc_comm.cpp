#include "serial/sc_comm.h"
#include "tests/support/pty_pair.h"

#include <QDir>
#include <QMetaProperty>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kOpenText = QStringLiteral("Can't perform this operation while port is open");

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

TEST(ScCommTest, OpenFindsTheDeviceRefusesMissingAndBusyOnesAndGuardsWhileOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  // Closed, every operation is quiet.
  EXPECT_EQ(comm.WriteBuf("x", 1), 0);
  QByteArray text("old");
  comm.ReadText(text);
  EXPECT_EQ(text, QByteArray());
  comm.PurgeAll();
  EXPECT_FALSE(comm.CheckErrors());

  EXPECT_EQ(ErrorText([&] { comm.Open(); }), "Specified device not found (COM0).");
  comm.SetDeviceName(QStringLiteral("/dev/jw-no-such-port%d"));
  comm.SetPortNum(7);
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), "Specified device not found (/dev/jw-no-such-port7).");
  EXPECT_EQ(comm.DevicePath(), "/dev/jw-no-such-port7");

  // "COM2" goes through the port map; the texts keep the name.
  comm.SetDeviceName(QStringLiteral("COM%d"));
  comm.SetPortNum(2);
  comm.FlowControl().SetControlDtr(dtrEnabled);
  TScCustomComm::SetPortResolver([&](int n) { return n == 2 ? pty.SlavePath : QString(); });
  comm.Open();
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetPortNum(3); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetDeviceName("x"); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetMonitorEvents({ceRxFlag}); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetDirectWrite(true); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetUpdateDCB(false); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.SetBuffers(TScBuffers()); }), kOpenText);
  EXPECT_EQ(ErrorText([&] { comm.Buffers().SetXonLimit(5); }), kOpenText);
  // A refused change is not kept for the next opening.
  EXPECT_EQ(comm.Buffers().XonLimit(), 1024);
  EXPECT_EQ(comm.MonitorEvents(), (TScCommEvents{ceError, ceRxChar, ceTxEmpty}));

  comm.SetDTR(true);  // a pseudo-terminal has no modem lines: not an error
  comm.EscapeFunction(SETBREAK);
  EXPECT_EQ(ErrorText([&] { comm.EscapeFunction(99); }),
            "Error calling comm function (22), Invalid argument");
  comm.FlowControl().SetControlDtr(dtrHandshake);
  comm.FlowControl().SetControlRts(rtsToggle);
  EXPECT_EQ(ErrorText([&] { comm.SetDTR(false); }),
            "DTR line updates not allowed when flowcontrol is set to Handshake.");
  EXPECT_EQ(ErrorText([&] { comm.SetRTS(false); }),
            "RTS line updates not allowed when flowcontrol is set to Handshake or Toggle.");
  comm.FlowControl().SetControlRts(rtsHandshake);
  EXPECT_NE(ErrorText([&] { comm.SetRTS(true); }), "<no error>");

  TScComm busy;
  busy.SetPortNum(2);
  EXPECT_EQ(ErrorText([&] { busy.Open(); }),
            "Can't open specified device COM2 (Error 16, Device or resource busy)");
  EXPECT_EQ(busy.DevicePath(), pty.SlavePath);
  comm.Close();
  busy.Open();  // exclusive access ends with the close
  TScCustomComm::SetPortResolver(nullptr);
}

TEST(ScCommTest, OpenAndCloseNotifyAFailedOpenLeavesThePortClosedAndEventsGiveTheirMaskBits) {
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  comm.SetDeviceName(pty.SlavePath);
  QStringList log;
  comm.OnOpen = [&](QObject*) {
    log << "open";
    throw std::runtime_error("handler failed");  // reported, the port stays open
  };
  comm.OnClose = [&](QObject*) { log << "close"; };
  QString reported;
  TScCustomComm::SetExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      reported = QString::fromUtf8(x.what());
    }
  });
  const auto openFiles = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
  const auto filesBefore = openFiles();
  comm.Loaded();  // without AutoOpen nothing opens
  EXPECT_TRUE(log.isEmpty());
  comm.SetAutoOpen(true);
  comm.Loaded();
  // The write thread reports the empty queue, so the line's own transmit-empty is left out.
  EXPECT_EQ(comm.EventMask(), EV_ERR | EV_RXCHAR);
  comm.Close();
  TScCustomComm::SetExceptionHandler(nullptr);
  EXPECT_EQ(log, QStringList({"open", "close"}));
  EXPECT_EQ(reported, "handler failed");

  comm.Buffers().SetWriteSize(0);
  EXPECT_EQ(ErrorText([&] { comm.Open(); }), "Error initializing buffers (22), Invalid argument");
  EXPECT_FALSE(comm.IsOpen());
  comm.Buffers().SetWriteSize(16);
  comm.OnOpen = nullptr;
  comm.Open();  // the failed attempt left no exclusive lock behind
  EXPECT_TRUE(comm.IsOpen());

  // Each monitored event gives its mask bit.
  const struct {
    TScCommEvent event;
    std::uint32_t bit;
  } rows[] = {{ceBreak, 0x40},   {ceCts, 0x8},    {ceDsr, 0x10},       {ceError, 0x80},
              {ceRing, 0x100},   {ceRlsd, 0x20},  {ceRxChar, 0x1},     {ceTxEmpty, 0x4},
              {ceRxFlag, 0x2},   {cePErr, 0x200}, {ceRx80Full, 0x400}, {ceEvent1, 0x800},
              {ceEvent2, 0x1000}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.event);
    comm.Close();
    comm.SetDirectWrite(true);  // keeps the transmit-empty bit
    comm.SetMonitorEvents({row.event});
    comm.Open();
    EXPECT_EQ(comm.EventMask(), row.bit);
  }
  // Every opening's descriptors go with its close.
  comm.Close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return openFiles() == filesBefore; }, 5000));
}

// The published properties with their defaults; a form storage reaches them by name.
TEST(ScCommTest, PublishedPropertiesAndTheirDefaults) {
  TScComm comm;
  const struct {
    const char* name;
    QVariant initial;
    QVariant value;
  } rows[] = {
      {"AutoOpen", false, true},
      {"Baudrate", QVariant::fromValue(br1200), QVariant::fromValue(br9600)},
      {"Parity", QVariant::fromValue(paNone), QVariant::fromValue(paEven)},
      {"Databits", QVariant::fromValue(db8), QVariant::fromValue(db7)},
      {"Stopbits", QVariant::fromValue(sb1), QVariant::fromValue(sb2)},
      {"Options", QVariant::fromValue(Sc::TScCommOptionFlags()),
       QVariant::fromValue(Sc::TScCommOptionFlag::coErrorChar |
                           Sc::TScCommOptionFlag::coParityCheck)},
      {"PortNum", 0, 3},
      {"DeviceName", QStringLiteral("COM%d"), QStringLiteral("/dev/ttyUSB%d")},
      {"MonitorEvents",
       QVariant::fromValue(Sc::TScCommEventFlag::ceError | Sc::TScCommEventFlag::ceRxChar |
                           Sc::TScCommEventFlag::ceTxEmpty),
       QVariant::fromValue(Sc::TScCommEventFlags(Sc::TScCommEventFlag::ceRxFlag))},
      {"EventPriority", QVariant::fromValue(tpNormal), QVariant::fromValue(tpLower)},
      {"WritePriority", QVariant::fromValue(tpHighest), QVariant::fromValue(tpNormal)},
      {"DirectWrite", false, true},
      {"UpdateDCB", true, false},
      {"UserBaudrate", 0, 250000},
  };
  const QMetaObject* meta = comm.metaObject();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QMetaProperty property = meta->property(meta->indexOfProperty(row.name));
    ASSERT_TRUE(property.isValid());
    EXPECT_EQ(property.read(&comm), row.initial);
    EXPECT_TRUE(property.write(&comm, row.value));
    EXPECT_EQ(property.read(&comm), row.value);
  }
  EXPECT_EQ(comm.MonitorEvents(), TScCommEvents({ceRxFlag}));
  EXPECT_EQ(comm.Options(), (TScCommOptions{coErrorChar, coParityCheck}));
  // Writing a group assigns its values into the owned one.
  TScFlowControl flow;
  flow.SetControlDtr(dtrEnabled);
  EXPECT_TRUE(comm.setProperty("FlowControl", QVariant::fromValue(&flow)));
  EXPECT_EQ(comm.FlowControl().ControlDtr(), dtrEnabled);
}

// The two sets are published as sets: the meta-object names their members, reads them and
// takes them back by name.
TEST(ScCommTest, SetsPublishedAsSets) {
  const struct {
    const char* name;
    const char* initial;
    const char* written;
  } rows[] = {
      {"Options", "", "coErrorChar|coParityCheck"},
      {"MonitorEvents", "ceError|ceRxChar|ceTxEmpty", "ceRxFlag"},
  };
  TScComm comm;
  const QMetaObject* meta = comm.metaObject();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QMetaProperty property = meta->property(meta->indexOfProperty(row.name));
    ASSERT_TRUE(property.isValid());
    ASSERT_TRUE(property.isFlagType());
    const QMetaEnum set = property.enumerator();
    ASSERT_TRUE(set.isFlag());
    const auto keys = [&] { return QByteArray(set.valueToKeys(property.read(&comm).toInt())); };
    EXPECT_EQ(keys(), row.initial);
    EXPECT_TRUE(property.write(&comm, QString::fromLatin1(row.written)));
    EXPECT_EQ(keys(), row.written);
  }
  EXPECT_EQ(comm.Options(), (TScCommOptions{coErrorChar, coParityCheck}));
  EXPECT_EQ(comm.MonitorEvents(), TScCommEvents({ceRxFlag}));
}
