// The serial port component on termios.
//
// Line settings that termios cannot express are stored and read back but do not reach
// the line: OutDsrFlow, DsrSensitivity, TxContinueOnXoff, dtrHandshake (DTR stays
// raised), rtsToggle (RTS stays raised), the XON/XOFF limits, ErrorChar, EofChar and the
// options coErrorChar and coNullStrip. OutCtsFlow and rtsHandshake both mean CRTSCTS;
// sb15 and sb2 both mean CSTOPB. db4, a zero rate and a zero buffer size are refused
// (errno EINVAL). EventPriority and WritePriority become the threads' nice values around
// the process's own; a value the process may not take (a higher priority without the
// right to it) is kept and reported once as not applied.
//
// The event character has no termios equivalent, so while the event thread runs it
// moves arriving bytes into a user-space input buffer of ReadSize bytes; InQueue counts
// that buffer plus the kernel's queue, and reads drain the buffer first. ceRx80Full fires
// when that count reaches 80 % of ReadSize. Modem events are polled every 20 ms on a
// device with modem lines; ceError and ceBreak come from the driver's error counters
// and from a hang-up; cePErr, ceEvent1 and ceEvent2 never fire.
#pragma once

#include "serial/sc_classes.h"
#include "serial/sc_objects.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// Event bits, as a wake-up reports them.
inline constexpr std::uint32_t EV_RXCHAR = 0x1;
inline constexpr std::uint32_t EV_RXFLAG = 0x2;
inline constexpr std::uint32_t EV_TXEMPTY = 0x4;
inline constexpr std::uint32_t EV_CTS = 0x8;
inline constexpr std::uint32_t EV_DSR = 0x10;
inline constexpr std::uint32_t EV_RLSD = 0x20;
inline constexpr std::uint32_t EV_BREAK = 0x40;
inline constexpr std::uint32_t EV_ERR = 0x80;
inline constexpr std::uint32_t EV_RING = 0x100;
inline constexpr std::uint32_t EV_PERR = 0x200;
inline constexpr std::uint32_t EV_RX80FULL = 0x400;
inline constexpr std::uint32_t EV_EVENT1 = 0x800;
inline constexpr std::uint32_t EV_EVENT2 = 0x1000;

// Error mask bits of GetStatus and OnError.
inline constexpr std::uint32_t CE_RXOVER = 0x1;
inline constexpr std::uint32_t CE_OVERRUN = 0x2;
inline constexpr std::uint32_t CE_RXPARITY = 0x4;
inline constexpr std::uint32_t CE_FRAME = 0x8;
inline constexpr std::uint32_t CE_BREAK = 0x10;
inline constexpr std::uint32_t CE_IOE = 0x400;  // failed write or hang-up

// Purge flags.
inline constexpr std::uint32_t PURGE_TXABORT = 0x1;
inline constexpr std::uint32_t PURGE_RXABORT = 0x2;
inline constexpr std::uint32_t PURGE_TXCLEAR = 0x4;
inline constexpr std::uint32_t PURGE_RXCLEAR = 0x8;

// EscapeFunction codes.
inline constexpr std::uint32_t SETXOFF = 1;
inline constexpr std::uint32_t SETXON = 2;
inline constexpr std::uint32_t SETRTS = 3;
inline constexpr std::uint32_t CLRRTS = 4;
inline constexpr std::uint32_t SETDTR = 5;
inline constexpr std::uint32_t CLRDTR = 6;
inline constexpr std::uint32_t RESETDEV = 7;
inline constexpr std::uint32_t SETBREAK = 8;
inline constexpr std::uint32_t CLRBREAK = 9;

class EScCommError : public std::runtime_error {
 public:
  explicit EScCommError(const QString& Message, const QString& Reason = QString());
  QString Message() const { return QString::fromUtf8(what()); }
  // The system's text for the call that failed; empty where no system call failed.
  QString Reason() const { return Reason_; }

 private:
  QString Reason_;
};

// 16 bytes: error mask, then flags, input and output queue counts.
struct TScCommStatus {
  std::uint32_t Errors = 0;
  std::uint32_t Flags = 0;
  std::uint32_t InQue = 0;
  std::uint32_t OutQue = 0;
};
static_assert(sizeof(TScCommStatus) == 16);

class TScCustomComm;
class TScCommSession;
class TScCommEventThread;
class TScCommWriteThread;

using PScData = const std::uint8_t*;
using TScNotifyEvent = std::function<void(QObject* Sender)>;
using TScCommErrorEvent = std::function<void(QObject* Sender, int Errors)>;
using TScCommRxCharEvent = std::function<void(QObject* Sender, int Count)>;
using TScCommRxBufEvent = std::function<void(QObject* Sender, PScData Data, int Count)>;

// A control that shows the port's state; told first on every event dispatch.
class TScDisplay {
 public:
  virtual ~TScDisplay() = default;
  virtual void UpdateComm(TScCustomComm* Comm) = 0;
};
#define TScDisplay_iid "jibwarden.TScDisplay"
Q_DECLARE_INTERFACE(TScDisplay, TScDisplay_iid)

// Receiver of a link: every event and, instead of OnRxChar, the received bytes.
class TScCommLinkTarget {
 public:
  virtual ~TScCommLinkTarget() = default;
  virtual void CommEvent(std::uint32_t Events) = 0;
  virtual void CommData(PScData Data, int Count) = 0;
};

struct TScCommLink {
  bool Active = true;
  TScCustomComm* Comm = nullptr;
  TScCommLinkTarget* Target = nullptr;
};

class TScComponent : public QObject {
  Q_OBJECT
 public:
  explicit TScComponent(QObject* Owner = nullptr) : QObject(Owner) {}
};

class TScCustomComm : public TScComponent {
  Q_OBJECT
 public:
  explicit TScCustomComm(QObject* Owner = nullptr);
  ~TScCustomComm() override;

  // "COMn" names go through this map; app/ installs the full one. Without it (or after
  // resetting it with nullptr) COMn is $JIBWARDEN_COMn for n 1..4 when set, else
  // /dev/ttyS(n-1). An empty result means there is no such device.
  using TScPortResolver = std::function<QString(int PortNumber)>;
  static void SetPortResolver(TScPortResolver Resolver);
  // Exceptions of event handlers end here instead of unwinding through Qt; by default
  // they are logged.
  using TScExceptionHandler = std::function<void(std::exception_ptr Error)>;
  static void SetExceptionHandler(TScExceptionHandler Handler);

  void Open();
  void Close();
  bool IsOpen() const { return Handle_ >= 0; }
  // The device the last Open tried: the name with its number put in, a port name resolved.
  QString DevicePath() const { return DevicePath_; }
  void CheckClosed() const;
  // The AutoOpen step after the owner has set the properties.
  virtual void Loaded();

  int WriteBuf(const void* Buf, int Count);
  int ReadBuf(void* Buf, int Count);
  bool WriteText(const QByteArray& S);
  void ReadText(QByteArray& S);
  void GetStatus(TScCommStatus& Status);
  int InQueue();
  void Purge(std::uint32_t Flags);
  void PurgeRead() { Purge(PURGE_RXABORT | PURGE_RXCLEAR); }
  void PurgeAll() { Purge(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR); }
  void EscapeFunction(std::uint32_t Func);
  void SetDTR(bool Value);
  void SetRTS(bool Value);
  bool CheckErrors();

  void AddLink(TScCommLinkTarget* Target);
  void RemoveLink(TScCommLinkTarget* Target);
  const std::vector<TScCommLink>& Links() const { return Links_; }
  bool LinksEnabled = true;

  // The port's descriptor, -1 while closed.
  int Handle() const { return Handle_; }
  std::uint32_t EventMask() const { return EventMask_; }

  bool AutoOpen() const { return AutoOpen_; }
  void SetAutoOpen(bool Value) { AutoOpen_ = Value; }
  TScBaudrate Baudrate() const { return Baudrate_; }
  void SetBaudrate(TScBaudrate Value);
  TScParity Parity() const { return Parity_; }
  void SetParity(TScParity Value) { SetLineSetting(Parity_, Value); }
  TScDatabits Databits() const { return Databits_; }
  void SetDatabits(TScDatabits Value) { SetLineSetting(Databits_, Value); }
  TScStopbits Stopbits() const { return Stopbits_; }
  void SetStopbits(TScStopbits Value) { SetLineSetting(Stopbits_, Value); }
  TScEventChars& EventChars() { return EventChars_; }
  void SetEventChars(const TScEventChars& Value) { EventChars_.Assign(Value); }
  TScFlowControl& FlowControl() { return FlowControl_; }
  void SetFlowControl(const TScFlowControl& Value) { FlowControl_.Assign(Value); }
  TScCommOptions Options() const { return Options_; }
  void SetOptions(TScCommOptions Value) { SetLineSetting(Options_, Value); }
  TScPortInt PortNum() const { return PortNum_; }
  void SetPortNum(TScPortInt Value);
  QString DeviceName() const { return DeviceName_; }
  void SetDeviceName(const QString& Value);
  TScCommEvents MonitorEvents() const { return MonitorEvents_; }
  void SetMonitorEvents(TScCommEvents Value);
  TScBuffers& Buffers() { return Buffers_; }
  void SetBuffers(const TScBuffers& Value);
  TThreadPriority EventPriority() const { return EventPriority_; }
  // Also given to a running thread.
  void SetEventPriority(TThreadPriority Value);
  TThreadPriority WritePriority() const { return WritePriority_; }
  void SetWritePriority(TThreadPriority Value);
  bool DirectWrite() const { return DirectWrite_; }
  void SetDirectWrite(bool Value);
  bool UpdateDCB() const { return UpdateDCB_; }
  void SetUpdateDCB(bool Value);
  int UserBaudrate() const { return UserBaudrate_; }
  void SetUserBaudrate(int Value);
  // A QObject implementing TScDisplay; forgotten when it is destroyed.
  QObject* Display() const { return Display_; }
  void SetDisplay(QObject* Value);

  TScNotifyEvent OnOpen;
  TScNotifyEvent OnClose;
  TScNotifyEvent OnCts;
  TScNotifyEvent OnDsr;
  TScNotifyEvent OnRlsd;
  TScNotifyEvent OnRing;
  TScNotifyEvent OnBreak;
  TScCommErrorEvent OnError;
  TScCommRxCharEvent OnRxChar;
  TScCommRxBufEvent OnRxBuf;
  TScNotifyEvent OnRxFlag;
  TScNotifyEvent OnTxEmpty;
  TScNotifyEvent OnPErr;
  TScNotifyEvent OnRx80Full;
  TScNotifyEvent OnEvent1;
  TScNotifyEvent OnEvent2;

 protected:
  virtual void CreateHandle();
  virtual void CreateThreads();
  virtual void HandleRxChar();
  virtual void HandleEvents(std::uint32_t Events);
  virtual void NotifyLinksEvent(std::uint32_t Events);
  virtual void NotifyLinksData(PScData Data, int Count);

  void ApplyDCB();
  void ApplyBufferSizes();
  void ApplyTimeouts();
  void ApplyEventMask();
  void DoOpen();
  void DoClose();
  void UpdateDisplay();

 private:
  friend class TScCommSession;
  // Runs on the GUI thread for every hand-over of a worker thread.
  void DoEvents(std::uint32_t Events, bool FromEventThread);
  // A change of the buffer group is refused before it is stored while the port is open;
  // BuffersChanged follows every change that was stored.
  void BuffersChanging();
  void BuffersChanged(TScPersistent* Sender);
  // A group's value changed: the control block is applied again.
  void FlowControlChanged(TScPersistent* Sender);
  void EventCharsChanged(TScPersistent* Sender);
  template <typename T>
  void SetLineSetting(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    ApplyDCB();
  }
  void EndSession();
  void ReportException();
  void ApplyPriority(int ThreadId, TThreadPriority Value);

  int Handle_ = -1;
  std::shared_ptr<TScCommSession> Session_;
  std::shared_ptr<TScCommEventThread> EventThread_;
  std::shared_ptr<TScCommWriteThread> WriteThread_;
  std::uint32_t EventMask_ = 0;
  bool AutoOpen_ = false;
  TScPortInt PortNum_ = 0;
  QString DeviceName_ = QStringLiteral("COM%d");
  QString DevicePath_;
  TScCommEvents MonitorEvents_{ceError, ceRxChar, ceTxEmpty};
  TScBuffers Buffers_;
  TThreadPriority EventPriority_ = tpNormal;
  TThreadPriority WritePriority_ = tpHighest;
  bool DirectWrite_ = false;
  std::vector<TScCommLink> Links_;
  TScBaudrate Baudrate_ = br1200;
  TScParity Parity_ = paNone;
  TScDatabits Databits_ = db8;
  TScStopbits Stopbits_ = sb1;
  TScCommOptions Options_;
  TScFlowControl FlowControl_;
  TScEventChars EventChars_;
  bool UpdateDCB_ = true;
  int UserBaudrate_ = 0;
  QObject* Display_ = nullptr;
  QSocketNotifier* Notifier_ = nullptr;
  QMetaObject::Connection DisplayGone_;
  bool Destroying_ = false;
  bool PriorityReported_ = false;
};

class TScComm : public TScCustomComm {
  Q_OBJECT
  Q_PROPERTY(bool AutoOpen READ AutoOpen WRITE SetAutoOpen)
  Q_PROPERTY(Sc::TScBaudrate Baudrate READ Baudrate WRITE SetBaudrate)
  Q_PROPERTY(Sc::TScParity Parity READ Parity WRITE SetParity)
  Q_PROPERTY(Sc::TScDatabits Databits READ Databits WRITE SetDatabits)
  Q_PROPERTY(Sc::TScStopbits Stopbits READ Stopbits WRITE SetStopbits)
  Q_PROPERTY(TScEventChars* EventChars READ EventCharsGroup WRITE SetEventCharsGroup)
  Q_PROPERTY(TScFlowControl* FlowControl READ FlowControlGroup WRITE SetFlowControlGroup)
  Q_PROPERTY(Sc::TScCommOptionFlags Options READ OptionFlags WRITE SetOptionFlags)
  Q_PROPERTY(int PortNum READ PortNum WRITE SetPortNum)
  Q_PROPERTY(QString DeviceName READ DeviceName WRITE SetDeviceName)
  Q_PROPERTY(Sc::TScCommEventFlags MonitorEvents READ MonitorEventFlags WRITE SetMonitorEventFlags)
  Q_PROPERTY(TScBuffers* Buffers READ BuffersGroup WRITE SetBuffersGroup)
  Q_PROPERTY(Sc::TThreadPriority EventPriority READ EventPriority WRITE SetEventPriority)
  Q_PROPERTY(Sc::TThreadPriority WritePriority READ WritePriority WRITE SetWritePriority)
  Q_PROPERTY(bool DirectWrite READ DirectWrite WRITE SetDirectWrite)
  Q_PROPERTY(bool UpdateDCB READ UpdateDCB WRITE SetUpdateDCB)
  Q_PROPERTY(int UserBaudrate READ UserBaudrate WRITE SetUserBaudrate)

 public:
  using TScCustomComm::TScCustomComm;

  // The owned groups; writing one assigns its values into the owned group.
  TScEventChars* EventCharsGroup() { return &EventChars(); }
  void SetEventCharsGroup(TScEventChars* Value) {
    if (Value) SetEventChars(*Value);
  }
  TScFlowControl* FlowControlGroup() { return &FlowControl(); }
  void SetFlowControlGroup(TScFlowControl* Value) {
    if (Value) SetFlowControl(*Value);
  }
  TScBuffers* BuffersGroup() { return &Buffers(); }
  void SetBuffersGroup(TScBuffers* Value) {
    if (Value) SetBuffers(*Value);
  }
  // The sets as the meta-object reads and writes them.
  Sc::TScCommOptionFlags OptionFlags() const {
    return Sc::TScCommOptionFlags::fromInt(Options().ToBits());
  }
  void SetOptionFlags(Sc::TScCommOptionFlags Value) {
    SetOptions(TScCommOptions::FromBits(static_cast<std::uint8_t>(Value.toInt())));
  }
  Sc::TScCommEventFlags MonitorEventFlags() const {
    return Sc::TScCommEventFlags::fromInt(MonitorEvents().ToBits());
  }
  void SetMonitorEventFlags(Sc::TScCommEventFlags Value) {
    SetMonitorEvents(TScCommEvents::FromBits(static_cast<std::uint16_t>(Value.toInt())));
  }
};
