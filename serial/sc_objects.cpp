#include "serial/sc_objects.h"

void TScEvent::SetEvent() {
  {
    std::lock_guard<std::mutex> lock(Mutex_);
    Set_ = true;
  }
  Signal_.notify_all();
}

void TScEvent::ResetEvent() {
  std::lock_guard<std::mutex> lock(Mutex_);
  Set_ = false;
}

bool TScEvent::IsSet() const {
  std::lock_guard<std::mutex> lock(Mutex_);
  return Set_;
}

TScWaitResult TScWaitEvent::WaitFor(std::uint32_t Timeout) {
  std::unique_lock<std::mutex> lock(Mutex_);
  if (Timeout == INFINITE) {
    Signal_.wait(lock, [this] { return Set_; });
    return wrSignaled;
  }
  return Signal_.wait_for(lock, std::chrono::milliseconds(Timeout), [this] { return Set_; })
             ? wrSignaled
             : wrTimeout;
}

void StartTimer(TScTimer& Timer, std::uint32_t Timeout) {
  Timer.Start = std::chrono::steady_clock::now();
  Timer.Timeout = Timeout;
}

bool TimerExpired(const TScTimer& Timer) {
  return std::chrono::steady_clock::now() - Timer.Start > std::chrono::milliseconds(Timer.Timeout);
}
