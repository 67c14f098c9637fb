// Small synchronisation helpers the serial component is built from: a manual-reset
// event, a critical section, a monotonic tick timer and a bit test.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

inline constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

enum TScWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// Owns a descriptor and keeps the errno of its last failed call; closes it when destroyed.
class TScHandleObject {
 public:
  explicit TScHandleObject(int AHandle = -1) : Handle(AHandle) {}
  virtual ~TScHandleObject();
  TScHandleObject(const TScHandleObject&) = delete;
  TScHandleObject& operator=(const TScHandleObject&) = delete;

  int Handle = -1;
  int LastError = 0;
};

// Manual-reset event on an eventfd: readable, so a poll can wait on it with other
// descriptors, until ResetEvent. Handle is -1 when the system had none to give.
class TScEvent : public TScHandleObject {
 public:
  TScEvent();
  void SetEvent();
  void ResetEvent();
  bool IsSet() const;
};

// Created clear. WaitFor(ms) with INFINITE waits without limit; wrError without a handle.
class TScWaitEvent : public TScEvent {
 public:
  TScWaitResult WaitFor(std::uint32_t Timeout);
};

// A plain lock; BasicLockable so std::unique_lock and condition_variable_any take it.
class TScCriticalSection {
 public:
  void Enter() { Mutex_.lock(); }
  void Leave() { Mutex_.unlock(); }
  void lock() { Mutex_.lock(); }
  void unlock() { Mutex_.unlock(); }

 private:
  std::mutex Mutex_;
};

// Monotonic, so unlike a 32-bit tick count it never wraps.
struct TScTimer {
  std::chrono::steady_clock::time_point Start;
  std::uint32_t Timeout = 0;
};

void StartTimer(TScTimer& Timer, std::uint32_t Timeout);
bool TimerExpired(const TScTimer& Timer);

inline bool TestBit(std::uint32_t Mask, std::uint32_t Bit) {
  return static_cast<std::int32_t>(Mask & Bit) > 0;
}
