#include "platform/win/Timers.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include <time.h>

namespace {

struct TTimer {
  int64_t Interval;
  int64_t Due;
  uint64_t Order;  // breaks ties between timers due at the same moment
};

std::mutex GMutex;
std::map<std::pair<HWND, UINT_PTR>, TTimer> GTimers;
uint64_t GNextOrder = 1;
TMessageClock GClock;

// The monotonic clock behind steady_clock, read directly: <chrono> does not
// compile with the GBK execution character set (its "µs" suffix).
int64_t SteadyNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

int64_t MessageClockNow() {
  TMessageClock clock;
  {
    std::lock_guard lock(GMutex);
    clock = GClock;
  }
  return clock ? clock() : SteadyNow();
}

void SetMessageClock(TMessageClock clock) {
  std::lock_guard lock(GMutex);
  GClock = std::move(clock);
}

TTestClock::TTestClock(int64_t startMs) : FNow(startMs) {
  SetMessageClock([this] { return FNow; });
}

TTestClock::~TTestClock() { SetMessageClock(nullptr); }

void TTestClock::Advance(int64_t ms) { FNow += ms; }

bool SetTimer(HWND window, UINT_PTR id, UINT intervalMs) {
  if (!IsWindow(window)) return false;
  int64_t interval = std::max<int64_t>(intervalMs, USER_TIMER_MINIMUM);
  int64_t now = MessageClockNow();
  std::lock_guard lock(GMutex);
  GTimers[{window, id}] = TTimer{interval, now + interval, GNextOrder++};
  return true;
}

bool KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard lock(GMutex);
  return GTimers.erase({window, id}) > 0;
}

std::optional<TMsg> TakeDueTimer(int64_t now) {
  std::lock_guard lock(GMutex);
  auto next = GTimers.end();
  for (auto it = GTimers.begin(); it != GTimers.end(); ++it) {
    const TTimer& t = it->second;
    if (t.Due > now) continue;
    if (next == GTimers.end() || t.Due < next->second.Due ||
        (t.Due == next->second.Due && t.Order < next->second.Order))
      next = it;
  }
  if (next == GTimers.end()) return std::nullopt;
  next->second.Due = now + next->second.Interval;
  return TMsg{next->first.first, WM_TIMER, next->first.second, 0};
}

void KillWindowTimers(HWND window) {
  std::lock_guard lock(GMutex);
  std::erase_if(GTimers, [window](const auto& entry) { return entry.first.first == window; });
}
