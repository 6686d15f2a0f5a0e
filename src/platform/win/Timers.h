// Window timers: SetTimer/KillTimer deliver WM_TIMER (wParam = the timer id)
// from the message loop once the interval has passed. They read a replaceable
// millisecond clock, so that tests drive time by hand instead of waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/rtl/Types.h"
#include "platform/win/Messages.h"

using UINT_PTR = uintptr_t;

// Intervals below this are raised to it, as on Windows.
inline constexpr UINT USER_TIMER_MINIMUM = 10;

// Starts or restarts the window's timer with this id: the first WM_TIMER
// comes intervalMs after this call, then every intervalMs. A timer that fell
// behind fires once per pump, not once per missed interval, and its next
// turn is counted from that firing. False for a handle that is not a live
// window.
bool SetTimer(HWND window, UINT_PTR id, UINT intervalMs);
// False when the window has no timer with this id.
bool KillTimer(HWND window, UINT_PTR id);

// Milliseconds on the message clock: steady_clock unless replaced.
int64_t MessageClockNow();
// Replaces the clock; an empty function restores steady_clock. Install a
// clock before setting the timers that should follow it.
using TMessageClock = std::function<int64_t()>;
void SetMessageClock(TMessageClock clock);

// A clock that only moves when told to; installed for its lifetime.
class TTestClock {
public:
  explicit TTestClock(int64_t startMs = 0);
  ~TTestClock();
  TTestClock(const TTestClock&) = delete;
  TTestClock& operator=(const TTestClock&) = delete;

  void Advance(int64_t ms);
  int64_t Now() const { return FNow; }

private:
  int64_t FNow;
};

// ---- For the message loop ----
// The due timer that should fire next (earliest due first, then the oldest
// timer), its next turn already scheduled; nothing when no timer is due at
// `now`. Calling it until it gives nothing fires each due timer once, since a
// next turn always lies after `now`.
std::optional<TMsg> TakeDueTimer(int64_t now);
// Drops all timers of a window that is being freed.
void KillWindowTimers(HWND window);
