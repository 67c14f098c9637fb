// One opening of a port and its two worker threads; private to the serial library.
#pragma once

#include "serial/sc_classes.h"
#include "serial/sc_objects.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <linux/serial.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TScCustomComm;

// Everything an opening shares with its threads. The threads keep it alive, so a
// closed port's threads never touch a later opening: they re-check Stopped under a lock
// before every use of the descriptor, and Stop closes it under both locks.
class TScCommSession : public std::enable_shared_from_this<TScCommSession> {
 public:
  TScCommSession(int Fd, TScCustomComm* Comm, std::size_t ReadCapacity);
  ~TScCommSession();
  TScCommSession(const TScCommSession&) = delete;
  TScCommSession& operator=(const TScCommSession&) = delete;

  // GUI thread: ends the opening and closes the descriptor.
  void Stop();
  // Wakes the event thread to look again at its input room and pending transmit.
  void Nudge();
  // Hands events to the GUI thread through PostEvent: the event thread waits until they
  // have been handled or the session stops, the write thread does not wait. The caller
  // holds no lock.
  void Post(std::uint32_t Events, bool FromEventThread);
  // GUI thread, when PostEvent is set: runs the posted events in order.
  void Deliver();
  // Under ReadLock: folds new driver error counts into Errors; returns EV_ERR/EV_BREAK.
  std::uint32_t CollectLineErrors();

  int Fd;
  TScEvent StopEvent;   // set once by Stop, never reset: a permanent wake-up
  TScEvent NudgeEvent;  // reset by the event thread
  TScEvent PostEvent;   // reset by the GUI thread
  std::atomic<bool> Stopped{false};
  TScCriticalSection ReadLock;   // Input, line error counts, reads; taken before WriteLock
  TScCriticalSection WriteLock;  // the write queue and writes
  std::vector<std::uint8_t> Input;
  const std::size_t ReadCapacity;
  std::atomic<std::uint32_t> Errors{0};  // CE_ bits since the last GetStatus
  std::atomic<std::uint32_t> Mask{0};
  std::atomic<char> EventChar{0};
  std::atomic<bool> TxPending{false};  // a direct write awaits its transmit-empty
  bool HasICount = false;
  serial_icounter_struct LastCount{};

  // GUI thread only.
  TScCustomComm* Comm;

 private:
  struct Posting {
    std::uint32_t Events;
    bool FromEventThread;
    std::uint64_t Ticket;
  };
  std::mutex PostLock_;  // the mailbox and the counters; never held with another lock
  std::condition_variable Answered_;
  std::vector<Posting> Mailbox_;
  std::uint64_t Posted_ = 0;
  std::uint64_t Done_ = 0;  // the event thread's last handled posting
};

class TScCommBuffer {
 public:
  explicit TScCommBuffer(std::size_t Capacity) : Data(Capacity) {}
  // The caller checks the capacity.
  void Append(const std::uint8_t* Bytes, std::size_t n);
  void Delete(std::size_t n);
  void Clear() { Count = 0; }
  std::size_t Capacity() const { return Data.size(); }

  std::vector<std::uint8_t> Data;
  std::size_t Count = 0;
};

class TScCommEventThread {
 public:
  explicit TScCommEventThread(std::shared_ptr<TScCommSession> Session);
  ~TScCommEventThread();
  // Returns once the thread runs, so ThreadId is known.
  void Start();
  // The kernel's id of the running thread.
  int ThreadId() const { return ThreadId_; }
  // Never waits: Close runs inside handlers this thread is waiting for.
  void Stop();

 private:
  static void Execute(const std::shared_ptr<TScCommSession>& S);
  std::shared_ptr<TScCommSession> Session_;
  std::thread Thread_;
  int ThreadId_ = 0;
};

class TScCommWriteThread {
 public:
  TScCommWriteThread(std::shared_ptr<TScCommSession> Session, std::size_t Capacity);
  ~TScCommWriteThread();
  // Returns once the thread runs, so ThreadId is known.
  void Start();
  int ThreadId() const { return ThreadId_; }
  // After the session has stopped; the thread never waits for the GUI thread, so it is
  // joined.
  void Stop();
  // Waits up to Timeout ms for room; false when none came.
  bool Queue(const std::uint8_t* Data, std::size_t n, std::uint32_t Timeout);
  // Drops the queued bytes.
  void Flush();
  std::size_t Count();
  // The errno when the system gave no event to wait on (the thread could never be woken),
  // else 0.
  int EventError() const { return DataEvent_.Handle < 0 ? DataEvent_.LastError : 0; }

 private:
  void Execute();
  bool AfterWrite(std::size_t n);
  void NotifyTxEmpty();
  void NotifyError();

  std::shared_ptr<TScCommSession> Session_;
  TScCommBuffer Buffer_;    // under WriteLock
  TScWaitEvent DataEvent_;  // set while bytes wait to be written
  std::condition_variable_any Room_;
  bool Failed_ = false;  // under WriteLock: wait for new data, a purge or a close
  std::thread Thread_;
  int ThreadId_ = 0;
};

// The nice value for a priority, around the process's own (0).
int NiceForPriority(TThreadPriority Priority);
