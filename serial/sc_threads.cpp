#include "serial/sc_threads.h"

#include "serial/sc_comm.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// How often modem lines and a pending transmit are looked at; the kernel cannot wake a
// poll on either.
constexpr int kLinePollMs = 20;

}  // namespace

TScCommSession::TScCommSession(int Fd_, TScCustomComm* Comm_, std::size_t ReadCapacity_)
    : Fd(Fd_), ReadCapacity(ReadCapacity_), Comm(Comm_) {
  HasICount = ::ioctl(Fd, TIOCGICOUNT, &LastCount) == 0;
  Input.reserve(ReadCapacity);
}

TScCommSession::~TScCommSession() = default;

void TScCommSession::Stop() {
  Comm = nullptr;
  {
    std::lock_guard<TScCriticalSection> read(ReadLock);
    std::lock_guard<TScCriticalSection> write(WriteLock);
    Stopped = true;
    StopEvent.SetEvent();
    if (Fd >= 0) {
      ::ioctl(Fd, TIOCNXCL);
      ::close(Fd);
      Fd = -1;
    }
  }
  std::lock_guard<std::mutex> post(PostLock_);
  Answered_.notify_all();
}

void TScCommSession::Nudge() {
  NudgeEvent.SetEvent();
}

void TScCommSession::Post(std::uint32_t Events, bool FromEventThread) {
  std::unique_lock<std::mutex> lock(PostLock_);
  if (Stopped) return;
  const std::uint64_t ticket = ++Posted_;
  Mailbox_.push_back(Posting{Events, FromEventThread, ticket});
  PostEvent.SetEvent();
  if (FromEventThread) Answered_.wait(lock, [&] { return Stopped || Done_ >= ticket; });
}

void TScCommSession::Deliver() {
  PostEvent.ResetEvent();
  std::vector<Posting> postings;
  {
    std::lock_guard<std::mutex> lock(PostLock_);
    postings.swap(Mailbox_);
  }
  for (const Posting& p : postings) {
    // A handler may close the port; later postings of this opening are then dropped.
    if (!Stopped && Comm) Comm->DoEvents(p.Events, p.FromEventThread);
    // Only the event thread waits. A write-thread posting delivered in a handler's
    // nested event loop must not release it while that handler still runs.
    if (!p.FromEventThread) continue;
    std::lock_guard<std::mutex> lock(PostLock_);
    Done_ = p.Ticket;
    Answered_.notify_all();
  }
}

std::uint32_t TScCommSession::CollectLineErrors() {
  if (!HasICount || Fd < 0) return 0;
  serial_icounter_struct now{};
  if (::ioctl(Fd, TIOCGICOUNT, &now) != 0) return 0;
  std::uint32_t errors = 0;
  if (now.frame != LastCount.frame) errors |= CE_FRAME;
  if (now.overrun != LastCount.overrun) errors |= CE_OVERRUN;
  if (now.parity != LastCount.parity) errors |= CE_RXPARITY;
  if (now.buf_overrun != LastCount.buf_overrun) errors |= CE_RXOVER;
  if (now.brk != LastCount.brk) errors |= CE_BREAK;
  LastCount = now;
  Errors |= errors;
  std::uint32_t events = 0;
  if (errors & ~CE_BREAK) events |= EV_ERR;
  if (errors & CE_BREAK) events |= EV_BREAK;
  return events;
}

void TScCommBuffer::Append(const std::uint8_t* Bytes, std::size_t n) {
  std::memcpy(Data.data() + Count, Bytes, n);
  Count += n;
}

void TScCommBuffer::Delete(std::size_t n) {
  n = std::min(n, Count);
  std::memmove(Data.data(), Data.data() + n, Count - n);
  Count -= n;
}

// --- event thread ---

TScCommEventThread::TScCommEventThread(std::shared_ptr<TScCommSession> Session)
    : Session_(std::move(Session)) {}

TScCommEventThread::~TScCommEventThread() {
  if (Thread_.joinable()) Thread_.detach();
}

namespace {

// Starts Body on a new thread and waits until it runs; returns the thread's kernel id.
template <typename Body>
int StartThread(std::thread& Thread, Body&& body) {
  std::promise<int> started;
  std::future<int> id = started.get_future();
  Thread = std::thread([&started, body = std::forward<Body>(body)]() mutable {
    started.set_value(static_cast<int>(gettid()));
    body();
  });
  return id.get();
}

}  // namespace

int NiceForPriority(TThreadPriority Priority) {
  static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};
  return kNice[std::min<int>(Priority, tpTimeCritical)];
}

void TScCommEventThread::Start() {
  ThreadId_ = StartThread(Thread_, [S = Session_] { Execute(S); });
}

void TScCommEventThread::Stop() {
  if (Thread_.joinable()) Thread_.detach();
}

void TScCommEventThread::Execute(const std::shared_ptr<TScCommSession>& S) {
  const std::uint32_t mask = S->Mask;
  const bool wantInput = mask & (EV_RXCHAR | EV_RXFLAG | EV_RX80FULL);
  const bool wantModem = mask & (EV_CTS | EV_DSR | EV_RING | EV_RLSD);
  const std::size_t fullMark = std::max<std::size_t>(1, S->ReadCapacity * 8 / 10);
  int modem = 0;
  bool hasModem = false;
  {
    std::lock_guard<TScCriticalSection> lock(S->ReadLock);
    if (S->Stopped) return;
    hasModem = wantModem && ::ioctl(S->Fd, TIOCMGET, &modem) == 0;
  }
  bool hungUp = false;
  for (;;) {
    pollfd fds[3] = {
        {S->StopEvent.Handle, POLLIN, 0}, {S->NudgeEvent.Handle, POLLIN, 0}, {-1, 0, 0}};
    {
      std::lock_guard<TScCriticalSection> lock(S->ReadLock);
      if (S->Stopped) return;
      fds[2].fd = hungUp ? -1 : S->Fd;  // poll skips a negative descriptor
      if (wantInput && S->Input.size() < S->ReadCapacity) fds[2].events = POLLIN;
    }
    const int timeout = !hungUp && (hasModem || S->TxPending) ? kLinePollMs : -1;
    if (::poll(fds, 3, timeout) < 0 && errno != EINTR) hungUp = true;
    if (fds[0].revents) return;
    if (fds[1].revents & POLLIN) S->NudgeEvent.ResetEvent();

    std::uint32_t events = 0;
    {
      std::lock_guard<TScCriticalSection> lock(S->ReadLock);
      if (S->Stopped) return;
      bool hangUp = false;
      if (fds[2].revents & POLLIN) {
        const std::size_t before = S->Input.size();
        const char flag = S->EventChar;
        bool sawFlag = false;
        while (S->Input.size() < S->ReadCapacity) {
          std::uint8_t chunk[512];
          const std::size_t want = std::min(sizeof chunk, S->ReadCapacity - S->Input.size());
          const ssize_t n = ::read(S->Fd, chunk, want);
          if (n > 0) {
            sawFlag = sawFlag || std::memchr(chunk, static_cast<unsigned char>(flag),
                                             static_cast<std::size_t>(n)) != nullptr;
            S->Input.insert(S->Input.end(), chunk, chunk + n);
            continue;
          }
          if (n < 0 && errno == EINTR) continue;
          if (n < 0 && errno != EAGAIN) hangUp = true;
          break;
        }
        if (S->Input.size() > before) events |= EV_RXCHAR;
        if (sawFlag) events |= EV_RXFLAG;
        if (before < fullMark && S->Input.size() >= fullMark) events |= EV_RX80FULL;
      }
      if (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) hangUp = true;
      if (hangUp && !hungUp) {
        // Reported once; the descriptor is not polled again, so a vanished device
        // neither spins nor floods the GUI thread.
        hungUp = true;
        S->Errors |= CE_IOE;
        events |= EV_ERR;
      }
      if (!hungUp) {
        events |= S->CollectLineErrors();
        int now = 0;
        if (hasModem && ::ioctl(S->Fd, TIOCMGET, &now) == 0) {
          const int changed = now ^ modem;
          if (changed & TIOCM_CTS) events |= EV_CTS;
          if (changed & TIOCM_DSR) events |= EV_DSR;
          if (changed & TIOCM_CD) events |= EV_RLSD;
          if (changed & now & TIOCM_RNG) events |= EV_RING;
          modem = now;
        }
        int outQueue = 0;
        if (S->TxPending && ::ioctl(S->Fd, TIOCOUTQ, &outQueue) == 0 && outQueue == 0) {
          S->TxPending = false;
          events |= EV_TXEMPTY;
        }
      }
    }
    events &= mask;
    if (events) S->Post(events, true);
  }
}

// --- write thread ---

TScCommWriteThread::TScCommWriteThread(std::shared_ptr<TScCommSession> Session,
                                       std::size_t Capacity)
    : Session_(std::move(Session)), Buffer_(Capacity) {}

TScCommWriteThread::~TScCommWriteThread() {
  Stop();
}

void TScCommWriteThread::Start() {
  ThreadId_ = StartThread(Thread_, [this] { Execute(); });
}

void TScCommWriteThread::Stop() {
  DataEvent_.SetEvent();
  if (Thread_.joinable()) Thread_.join();
}

std::size_t TScCommWriteThread::Count() {
  std::lock_guard<TScCriticalSection> lock(Session_->WriteLock);
  return Buffer_.Count;
}

bool TScCommWriteThread::Queue(const std::uint8_t* Data, std::size_t n, std::uint32_t Timeout) {
  TScCommSession& s = *Session_;
  std::unique_lock<TScCriticalSection> lock(s.WriteLock);
  TScTimer timer;
  StartTimer(timer, Timeout);
  const auto deadline = timer.Start + std::chrono::milliseconds(Timeout);
  while (Buffer_.Count + n > Buffer_.Capacity()) {
    if (s.Stopped || TimerExpired(timer)) return false;
    Room_.wait_until(lock, deadline);
  }
  if (s.Stopped) return false;
  Buffer_.Append(Data, n);
  Failed_ = false;
  DataEvent_.SetEvent();
  return true;
}

void TScCommWriteThread::Flush() {
  std::lock_guard<TScCriticalSection> lock(Session_->WriteLock);
  Buffer_.Clear();
  Failed_ = false;
  DataEvent_.ResetEvent();
  Room_.notify_all();
}

bool TScCommWriteThread::AfterWrite(std::size_t n) {
  // Runs under WriteLock, so bytes queued meanwhile keep DataEvent set.
  Buffer_.Delete(n);
  Room_.notify_all();
  if (Buffer_.Count > 0) return false;
  DataEvent_.ResetEvent();
  return true;
}

void TScCommWriteThread::NotifyTxEmpty() {
  Session_->Post(EV_TXEMPTY, false);
}

void TScCommWriteThread::NotifyError() {
  Session_->Post(EV_ERR, false);
}

void TScCommWriteThread::Execute() {
  TScCommSession& s = *Session_;
  for (;;) {
    DataEvent_.WaitFor(INFINITE);
    std::unique_lock<TScCriticalSection> lock(s.WriteLock);
    if (s.Stopped) return;
    if (Buffer_.Count == 0 || Failed_) {
      DataEvent_.ResetEvent();
      continue;
    }
    const ssize_t n = ::write(s.Fd, Buffer_.Data.data(), Buffer_.Count);
    if (n > 0) {
      const bool empty = AfterWrite(static_cast<std::size_t>(n));
      lock.unlock();
      if (empty) NotifyTxEmpty();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || errno == EAGAIN) {
      // The stop descriptor also wakes this wait, should the port close meanwhile. A flush
      // of the line need not wake a writer waiting for room (a pseudo-terminal's does not),
      // and bytes queued after a purge must still go out, so the wait is bounded.
      pollfd fds[2] = {{s.Fd, POLLOUT, 0}, {s.StopEvent.Handle, POLLIN, 0}};
      lock.unlock();
      ::poll(fds, 2, kLinePollMs);
      continue;
    }
    // Reported once; the bytes stay queued until new data, a purge or a close.
    Failed_ = true;
    DataEvent_.ResetEvent();
    s.Errors |= CE_IOE;
    lock.unlock();
    NotifyError();
  }
}
