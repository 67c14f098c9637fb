#pragma once

#include <functional>

// Processes events until `done` returns true or `msecs` milliseconds have passed on
// the monotonic clock. Waiting pends in the event loop for the next event or the
// deadline, so it costs no processor time. Pending events are processed at least
// once, also for msecs <= 0. `done` is checked after each batch of events, so it
// should be changed by event handlers. Returns whether `done` became true.
bool WaitUntil(int msecs, const std::function<bool()>& done);

// Waits msecs milliseconds while processing events (WaitUntil that never finishes early).
void Delay(int msecs);
