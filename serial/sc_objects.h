// Small synchronisation helpers the serial component is built from: a manual-reset
// event, a critical section, a monotonic tick timer and a bit test.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

inline constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

enum TScWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// Manual-reset event: stays set until ResetEvent.
class TScEvent {
 public:
  TScEvent() = default;
  TScEvent(const TScEvent&) = delete;
  TScEvent& operator=(const TScEvent&) = delete;
  void SetEvent();
  void ResetEvent();
  bool IsSet() const;

 protected:
  mutable std::mutex Mutex_;
  std::condition_variable Signal_;
  bool Set_ = false;
};

// Created clear. WaitFor(ms) with INFINITE waits without limit.
class TScWaitEvent : public TScEvent {
 public:
  TScWaitResult WaitFor(std::uint32_t Timeout);
  // errno of the last failed wait; std primitives do not fail, so it stays 0.
  int LastError = 0;
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
