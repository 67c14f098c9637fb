#include "serial/sc_comm.h"

#include "serial/sc_termios.h"
#include "serial/sc_threads.h"

#include <QMetaEnum>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// The system's own text, never translated by the user's locale.
QString SysText(int Error) {
  const char* text = strerrordesc_np(Error);
  return text ? QString::fromLatin1(text) : QStringLiteral("Unknown error %1").arg(Error);
}

[[noreturn]] void RaiseSys(const char* Format, int Error) {
  const QString reason = SysText(Error);
  throw EScCommError(QString::asprintf(Format, Error, reason.toLatin1().constData()), reason);
}

// A device without modem lines (a pseudo-terminal) has nothing to set.
bool NoSuchLine(int Error) {
  return Error == ENOTTY || Error == EINVAL;
}

int SetModemBits(int Fd, int Bits, bool On) {
  if (::ioctl(Fd, On ? TIOCMBIS : TIOCMBIC, &Bits) == 0) return 0;
  return NoSuchLine(errno) ? 0 : errno;
}

QString DefaultPortPath(int Number) {
  if (Number >= 1 && Number <= 4) {
    const QByteArray env = qgetenv(QStringLiteral("JIBWARDEN_COM%1").arg(Number).toLatin1());
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
  }
  return Number >= 1 ? QStringLiteral("/dev/ttyS%1").arg(Number - 1) : QString();
}

TScCustomComm::TScPortResolver& PortResolver() {
  static TScCustomComm::TScPortResolver resolver;
  return resolver;
}

TScCustomComm::TScExceptionHandler& ExceptionHandler() {
  static TScCustomComm::TScExceptionHandler handler;
  return handler;
}

constexpr std::uint32_t kEventBits[] = {EV_BREAK,    EV_CTS,    EV_DSR,    EV_ERR,     EV_RING,
                                        EV_RLSD,     EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY, EV_PERR,
                                        EV_RX80FULL, EV_EVENT1, EV_EVENT2};

constexpr std::uint32_t kRates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                    14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

}  // namespace

EScCommError::EScCommError(const QString& Message, const QString& Reason)
    : std::runtime_error(Message.toStdString()), Reason_(Reason) {}

void TScCustomComm::SetPortResolver(TScPortResolver Resolver) {
  PortResolver() = std::move(Resolver);
}

void TScCustomComm::SetExceptionHandler(TScExceptionHandler Handler) {
  ExceptionHandler() = std::move(Handler);
}

TScCustomComm::TScCustomComm(QObject* Owner) : TScComponent(Owner) {
  FlowControl_.OnChange = [this](TScPersistent* Sender) { FlowControlChanged(Sender); };
  EventChars_.OnChange = [this](TScPersistent* Sender) { EventCharsChanged(Sender); };
  Buffers_.OnChanging = [this](TScBuffers*) { BuffersChanging(); };
  Buffers_.OnChange = [this](TScPersistent* Sender) { BuffersChanged(Sender); };
}

TScCustomComm::~TScCustomComm() {
  Destroying_ = true;
  Close();
  while (!Links_.empty()) RemoveLink(Links_.back().Target);
}

void TScCustomComm::ReportException() {
  const std::exception_ptr error = std::current_exception();
  if (ExceptionHandler()) {
    ExceptionHandler()(error);
    return;
  }
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    qWarning("%s", e.what());
  } catch (...) {
    qWarning("Unknown exception in a serial port event handler");
  }
}

void TScCustomComm::CheckClosed() const {
  if (IsOpen())
    throw EScCommError(QStringLiteral("Can't perform this operation while port is open"));
}

void TScCustomComm::Loaded() {
  if (AutoOpen_) Open();
}

// --- opening and closing ---

void TScCustomComm::Open() {
  CheckClosed();
  CreateHandle();
  if (!IsOpen()) return;
  try {
    // Raw mode first: without UpdateDCB the line keeps its settings but never the
    // system's line editing or XON/XOFF.
    ApplyTimeouts();
    ApplyDCB();
    ApplyBufferSizes();
    ApplyEventMask();
    CreateThreads();
  } catch (...) {
    EndSession();
    throw;
  }
  DoOpen();
}

void TScCustomComm::CreateHandle() {
  QString name = DeviceName_;
  name.replace(QStringLiteral("%d"), QString::number(PortNum_));
  QString path = name;
  if (name.startsWith(QStringLiteral("COM")) && name.size() > 3) {
    bool numeric = false;
    const int number = name.mid(3).toInt(&numeric);
    if (numeric && name.mid(3).front().isDigit()) {
      path = PortResolver() ? PortResolver()(number) : DefaultPortPath(number);
    }
  }
  DevicePath_ = path;
  const QString notFound = QStringLiteral("Specified device not found (%1).").arg(name);
  const auto CantOpen = [&name](int Error) {
    const QString reason = SysText(Error);
    return EScCommError(
        QStringLiteral("Can't open specified device ") + name +
            QString::asprintf(" (Error %d, %s)", Error, reason.toLatin1().constData()),
        reason);
  };
  if (path.isEmpty()) throw EScCommError(notFound);

  const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno == EWOULDBLOCK ? EBUSY : errno;
  if (fd >= 0 && !error && ::ioctl(fd, TIOCEXCL) != 0) error = errno;
  if (error) {
    if (fd >= 0) ::close(fd);
    if (error == ENOENT) throw EScCommError(notFound, SysText(error));
    throw CantOpen(error);
  }
  auto session = std::make_shared<TScCommSession>(
      fd, this, static_cast<std::size_t>(std::max(Buffers_.ReadSize(), 0)));
  for (const TScEvent* event : {&session->StopEvent, &session->NudgeEvent, &session->PostEvent}) {
    if (event->Handle >= 0) continue;
    // Without its wake-up events a thread could never be stopped.
    error = event->LastError;
    session->Stop();
    throw CantOpen(error);
  }
  Handle_ = fd;
  Session_ = std::move(session);
  Notifier_ = new QSocketNotifier(Session_->PostEvent.Handle, QSocketNotifier::Read, this);
  connect(Notifier_, &QSocketNotifier::activated, Notifier_,
          [session = Session_] { session->Deliver(); });
}

void TScCustomComm::CreateThreads() {
  if (EventMask_ != 0) {
    EventThread_ = std::make_shared<TScCommEventThread>(Session_);
    EventThread_->Start();
    ApplyPriority(EventThread_->ThreadId(), EventPriority_);
  }
  if (!DirectWrite_) {
    WriteThread_ = std::make_shared<TScCommWriteThread>(
        Session_, static_cast<std::size_t>(Buffers_.WriteSize()));
    if (const int error = WriteThread_->EventError())
      RaiseSys("Error creating write thread (%d), %s", error);
    WriteThread_->Start();
    ApplyPriority(WriteThread_->ThreadId(), WritePriority_);
  }
}

void TScCustomComm::FlowControlChanged(TScPersistent*) {
  ApplyDCB();
}

void TScCustomComm::EventCharsChanged(TScPersistent*) {
  ApplyDCB();
}

void TScCustomComm::SetEventPriority(TThreadPriority Value) {
  if (Value == EventPriority_) return;
  EventPriority_ = Value;
  if (EventThread_) ApplyPriority(EventThread_->ThreadId(), Value);
}

void TScCustomComm::SetWritePriority(TThreadPriority Value) {
  if (Value == WritePriority_) return;
  WritePriority_ = Value;
  if (WriteThread_) ApplyPriority(WriteThread_->ThreadId(), Value);
}

void TScCustomComm::ApplyPriority(int ThreadId, TThreadPriority Value) {
  // Around the main thread's nice value; on Linux a thread id names that one thread.
  const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
  const int nice = std::clamp(base + NiceForPriority(Value), -20, 19);
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(ThreadId), nice) == 0) return;
  const int error = errno;
  if (PriorityReported_) return;
  PriorityReported_ = true;
  qWarning("Thread priority %s not applied (%s); the thread keeps its own",
           QMetaEnum::fromType<Sc::TThreadPriority>().valueToKey(Value),
           qPrintable(SysText(error)));
}

void TScCustomComm::DoOpen() {
  if (!OnOpen) return;
  try {
    OnOpen(this);
  } catch (...) {
    ReportException();
  }
}

void TScCustomComm::Close() {
  if (!IsOpen()) return;
  EndSession();
  DoClose();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

void TScCustomComm::EndSession() {
  Session_->Stop();
  if (WriteThread_) WriteThread_->Stop();
  // Not joined: Close may run inside a handler that the event thread is waiting for.
  if (EventThread_) EventThread_->Stop();
  WriteThread_.reset();
  EventThread_.reset();
  // The notifier keeps the session's descriptors alive until it is gone; it may be the
  // one delivering the event whose handler closes the port.
  Notifier_->setEnabled(false);
  Notifier_->deleteLater();
  Notifier_ = nullptr;
  Session_.reset();
  Handle_ = -1;
}

void TScCustomComm::DoClose() {
  if (OnClose && !Destroying_) OnClose(this);
}

// --- line settings ---

void TScCustomComm::ApplyDCB() {
  if (!IsOpen() || !UpdateDCB_) return;
  TScLineSettings line;
  line.BaudRate = Baudrate_ == brUser ? static_cast<std::uint32_t>(std::max(UserBaudrate_, 0))
                                      : kRates[Baudrate_];
  line.Databits = Databits_;
  line.Parity = Parity_;
  line.Stopbits = Stopbits_;
  line.RtsCtsFlow = FlowControl_.OutCtsFlow() || FlowControl_.ControlRts() == rtsHandshake;
  line.XonXoffOut = FlowControl_.XonXoffOut();
  line.XonXoffIn = FlowControl_.XonXoffIn();
  line.XonChar = EventChars_.XonChar();
  line.XoffChar = EventChars_.XoffChar();
  line.ParityCheck = Options_.Contains(coParityCheck);
  int error = ScApplyLineSettings(Handle_, line);
  if (!error) error = SetModemBits(Handle_, TIOCM_DTR, FlowControl_.ControlDtr() != dtrDisabled);
  if (!error && line.RtsCtsFlow == false)
    error = SetModemBits(Handle_, TIOCM_RTS, FlowControl_.ControlRts() != rtsDisabled);
  if (error) RaiseSys("Error writing dcb (%d), %s", error);
  Session_->EventChar = EventChars_.EventChar();
}

void TScCustomComm::ApplyBufferSizes() {
  if (Buffers_.ReadSize() <= 0 || Buffers_.WriteSize() <= 0)
    RaiseSys("Error initializing buffers (%d), %s", EINVAL);
}

void TScCustomComm::ApplyTimeouts() {
  if (const int error = ScApplyRawMode(Handle_)) RaiseSys("Error setting timeouts (%d), %s", error);
}

void TScCustomComm::ApplyEventMask() {
  std::uint32_t mask = 0;
  for (int member = ceBreak; member <= ceEvent2; ++member) {
    if (MonitorEvents_.Contains(static_cast<TScCommEvent>(member))) mask |= kEventBits[member];
  }
  // The write thread reports its own empty queue.
  if (!DirectWrite_) mask &= ~EV_TXEMPTY;
  EventMask_ = mask;
  if (IsOpen()) Session_->Mask = mask;
}

// --- reading and writing ---

int TScCustomComm::WriteBuf(const void* Buf, int Count) {
  if (!IsOpen() || Count <= 0) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(Buf);
  if (!DirectWrite_) {
    if (!WriteThread_->Queue(bytes, static_cast<std::size_t>(Count),
                             static_cast<std::uint32_t>(Buffers_.WriteTimeout())))
      throw EScCommError(QStringLiteral("Output buffer is full. Please check comm status."));
    return Count;
  }
  int written = 0;
  {
    std::lock_guard<TScCriticalSection> lock(Session_->WriteLock);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(Buffers_.ReadTimeout());
    while (written < Count) {
      const ssize_t n =
          ::write(Handle_, bytes + written, static_cast<std::size_t>(Count - written));
      if (n > 0) {
        written += static_cast<int>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) {
        if (written == 0) RaiseSys("Write error (%d), %s", errno);
        break;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd out{Handle_, POLLOUT, 0};
      ::poll(&out, 1, static_cast<int>(left.count()));
    }
  }
  if (written > 0 && (EventMask_ & EV_TXEMPTY)) {
    Session_->TxPending = true;
    Session_->Nudge();
  }
  return written;
}

int TScCustomComm::ReadBuf(void* Buf, int Count) {
  if (!IsOpen() || Count <= 0) return 0;
  auto* bytes = static_cast<std::uint8_t*>(Buf);
  TScCommSession& s = *Session_;
  std::lock_guard<TScCriticalSection> lock(s.ReadLock);
  const bool wasFull = s.Input.size() >= s.ReadCapacity;
  int taken =
      static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(Count), s.Input.size()));
  std::copy_n(s.Input.begin(), taken, bytes);
  s.Input.erase(s.Input.begin(), s.Input.begin() + taken);
  if (wasFull && taken > 0) s.Nudge();
  while (taken < Count) {
    const ssize_t n = ::read(Handle_, bytes + taken, static_cast<std::size_t>(Count - taken));
    if (n > 0) {
      taken += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // Bytes already taken are handed out rather than lost with the error.
    if (n < 0 && errno != EAGAIN && taken == 0) RaiseSys("Read error (%d), %s", errno);
    break;
  }
  return taken;
}

bool TScCustomComm::WriteText(const QByteArray& S) {
  return WriteBuf(S.constData(), static_cast<int>(S.size())) == S.size();
}

void TScCustomComm::ReadText(QByteArray& S) {
  const int n = InQueue();
  if (n < 1) {
    S.clear();
    return;
  }
  S.resize(n);
  S.resize(ReadBuf(S.data(), n));
}

void TScCustomComm::GetStatus(TScCommStatus& Status) {
  Status = TScCommStatus{};
  if (!IsOpen()) return;
  TScCommSession& s = *Session_;
  std::lock_guard<TScCriticalSection> lock(s.ReadLock);
  int kernelIn = 0;
  int kernelOut = 0;
  if (::ioctl(Handle_, FIONREAD, &kernelIn) != 0 || ::ioctl(Handle_, TIOCOUTQ, &kernelOut) != 0) {
    // A hung-up device has no queues left; its state is still reported, as an error bit.
    if (errno != EIO) RaiseSys("Error retrieving statistics (%d), %s", errno);
    kernelIn = kernelOut = 0;
    s.Errors |= CE_IOE;
  }
  s.CollectLineErrors();
  Status.Errors = s.Errors.exchange(0);
  Status.InQue = static_cast<std::uint32_t>(s.Input.size()) + static_cast<std::uint32_t>(kernelIn);
  Status.OutQue = static_cast<std::uint32_t>(kernelOut) +
                  static_cast<std::uint32_t>(WriteThread_ ? WriteThread_->Count() : 0);
}

int TScCustomComm::InQueue() {
  TScCommStatus status;
  GetStatus(status);
  return static_cast<int>(status.InQue);
}

void TScCustomComm::Purge(std::uint32_t Flags) {
  if (!IsOpen()) return;
  TScCommSession& s = *Session_;
  std::lock_guard<TScCriticalSection> lock(s.ReadLock);
  // Only a purge of exactly the input side keeps the write queue.
  if (WriteThread_ && Flags != (PURGE_RXABORT | PURGE_RXCLEAR)) WriteThread_->Flush();
  if (Flags & PURGE_RXCLEAR) {
    s.Input.clear();
    s.Nudge();
  }
  const bool rx = Flags & PURGE_RXCLEAR;
  const bool tx = Flags & PURGE_TXCLEAR;
  if ((rx || tx) && ::tcflush(Handle_, rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH) != 0)
    RaiseSys("Error clearing buffers (%d), %s", errno);
}

// --- lines ---

void TScCustomComm::EscapeFunction(std::uint32_t Func) {
  if (!IsOpen()) return;
  int error = 0;
  switch (Func) {
    case SETXOFF:
    case SETXON:
      if (::tcflow(Handle_, Func == SETXOFF ? TCOOFF : TCOON) != 0) error = errno;
      break;
    case SETRTS:
    case CLRRTS:
      error = SetModemBits(Handle_, TIOCM_RTS, Func == SETRTS);
      break;
    case SETDTR:
    case CLRDTR:
      error = SetModemBits(Handle_, TIOCM_DTR, Func == SETDTR);
      break;
    case RESETDEV:
      break;
    case SETBREAK:
    case CLRBREAK:
      if (::ioctl(Handle_, Func == SETBREAK ? TIOCSBRK : TIOCCBRK) != 0 && errno != ENOTTY)
        error = errno;
      break;
    default:
      error = EINVAL;
  }
  if (error) RaiseSys("Error calling comm function (%d), %s", error);
}

void TScCustomComm::SetDTR(bool Value) {
  if (FlowControl_.ControlDtr() == dtrHandshake)
    throw EScCommError(
        QStringLiteral("DTR line updates not allowed when flowcontrol is set to Handshake."));
  EscapeFunction(Value ? SETDTR : CLRDTR);
}

void TScCustomComm::SetRTS(bool Value) {
  if (FlowControl_.ControlRts() == rtsHandshake || FlowControl_.ControlRts() == rtsToggle)
    throw EScCommError(QStringLiteral(
        "RTS line updates not allowed when flowcontrol is set to Handshake or Toggle."));
  EscapeFunction(Value ? SETRTS : CLRRTS);
}

bool TScCustomComm::CheckErrors() {
  TScCommStatus status;
  GetStatus(status);
  if (status.Errors == 0) return false;
  if (OnError) {
    try {
      OnError(this, static_cast<int>(status.Errors));
    } catch (...) {
      ReportException();
    }
  }
  return true;
}

// --- event dispatch ---

void TScCustomComm::DoEvents(std::uint32_t Events, bool FromEventThread) {
  try {
    if (FromEventThread) {
      UpdateDisplay();
      // Received characters go before every other event of the same wake-up.
      if (TestBit(Events, EV_RXCHAR)) {
        HandleRxChar();
        Events &= ~EV_RXCHAR;
      }
    }
    if (Events) HandleEvents(Events);
  } catch (...) {
    ReportException();
  }
}

void TScCustomComm::UpdateDisplay() {
  if (auto* display = qobject_cast<TScDisplay*>(Display_)) display->UpdateComm(this);
}

void TScCustomComm::HandleRxChar() {
  const int n = InQueue();
  if (n <= 0) return;
  if (!Links_.empty()) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(n));
    const int read = ReadBuf(data.data(), n);
    NotifyLinksData(data.data(), read);
  } else if (OnRxChar) {
    OnRxChar(this, n);
  }
}

void TScCustomComm::HandleEvents(std::uint32_t Events) {
  if (TestBit(Events, EV_ERR)) CheckErrors();
  if (!Links_.empty()) NotifyLinksEvent(Events);
  const std::pair<std::uint32_t, TScNotifyEvent*> handlers[] = {
      {EV_RXFLAG, &OnRxFlag}, {EV_CTS, &OnCts},      {EV_DSR, &OnDsr},
      {EV_RING, &OnRing},     {EV_RLSD, &OnRlsd},    {EV_TXEMPTY, &OnTxEmpty},
      {EV_BREAK, &OnBreak},   {EV_PERR, &OnPErr},    {EV_RX80FULL, &OnRx80Full},
      {EV_EVENT1, &OnEvent1}, {EV_EVENT2, &OnEvent2}};
  for (const auto& [bit, handler] : handlers) {
    if (TestBit(Events, bit) && *handler) (*handler)(this);
  }
}

void TScCustomComm::NotifyLinksEvent(std::uint32_t Events) {
  if (!LinksEnabled) return;
  for (const TScCommLink& link : std::vector<TScCommLink>(Links_)) {
    if (link.Active && link.Target) link.Target->CommEvent(Events);
  }
}

void TScCustomComm::NotifyLinksData(PScData Data, int Count) {
  if (LinksEnabled) {
    for (const TScCommLink& link : std::vector<TScCommLink>(Links_)) {
      if (link.Active && link.Target) link.Target->CommData(Data, Count);
    }
  }
  if (OnRxBuf) OnRxBuf(this, Data, Count);
}

void TScCustomComm::AddLink(TScCommLinkTarget* Target) {
  if (Target) Links_.push_back(TScCommLink{true, this, Target});
}

void TScCustomComm::RemoveLink(TScCommLinkTarget* Target) {
  const auto it = std::find_if(Links_.begin(), Links_.end(),
                               [Target](const TScCommLink& l) { return l.Target == Target; });
  if (it == Links_.end()) return;
  it->Comm = nullptr;
  Links_.erase(it);
}

// --- properties ---

void TScCustomComm::SetBaudrate(TScBaudrate Value) {
  if (Value == Baudrate_) return;
  Baudrate_ = Value;
  if (Value != brUser) UserBaudrate_ = 0;
  ApplyDCB();
}

void TScCustomComm::SetUserBaudrate(int Value) {
  if (Value == UserBaudrate_) return;
  UserBaudrate_ = Value;
  Baudrate_ = brUser;
  ApplyDCB();
}

void TScCustomComm::SetPortNum(TScPortInt Value) {
  CheckClosed();
  PortNum_ = std::max(Value, 0);
}

void TScCustomComm::SetDeviceName(const QString& Value) {
  CheckClosed();
  DeviceName_ = Value;
}

void TScCustomComm::SetMonitorEvents(TScCommEvents Value) {
  CheckClosed();
  MonitorEvents_ = Value;
}

void TScCustomComm::SetBuffers(const TScBuffers& Value) {
  CheckClosed();
  Buffers_.Assign(Value);
}

void TScCustomComm::BuffersChanging() {
  CheckClosed();
}

void TScCustomComm::BuffersChanged(TScPersistent*) {
  // The sizes take effect at the next Open and the limits with the next control block,
  // so a stored change is only valid while the port is closed.
  CheckClosed();
}

void TScCustomComm::SetDirectWrite(bool Value) {
  CheckClosed();
  DirectWrite_ = Value;
}

void TScCustomComm::SetUpdateDCB(bool Value) {
  CheckClosed();
  UpdateDCB_ = Value;
}

void TScCustomComm::SetDisplay(QObject* Value) {
  if (Value == Display_) return;
  QObject::disconnect(DisplayGone_);
  Display_ = Value;
  if (Value) {
    DisplayGone_ = connect(Value, &QObject::destroyed, this, [this] { Display_ = nullptr; });
  }
}
