#include "platform/win/Messages.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <mutex>
#include <unordered_map>

#include "platform/win/Timers.h"

namespace {

struct TQueued {
  uint64_t Seq;  // posting order; the queue is sorted by it
  TMsg Msg;
};

std::mutex GMutex;
std::unordered_map<HWND, IWindowTarget*> GWindows;
HWND GNextHandle = 1;
std::deque<TQueued> GQueue;
uint64_t GNextSeq = 1;
TMessageExceptionHandler GExceptionHandler;

IWindowTarget* LookUp(HWND window) {
  auto found = GWindows.find(window);
  return found == GWindows.end() ? nullptr : found->second;
}

std::deque<TQueued>::iterator FirstAfter(uint64_t seq) {
  return std::upper_bound(GQueue.begin(), GQueue.end(), seq,
                          [](uint64_t s, const TQueued& q) { return s < q.Seq; });
}

// Removes the message with this sequence number; false when a nested loop
// already took it.
bool Take(uint64_t seq) {
  auto it = FirstAfter(seq - 1);
  if (it == GQueue.end() || it->Seq != seq) return false;
  GQueue.erase(it);
  return true;
}

// Runs a handler of a posted message or timer, routing what it throws.
void Deliver(IWindowTarget* target, const TMsg& msg) {
  try {
    target->WndProc(msg.Message, msg.WParam, msg.LParam);
  } catch (...) {
    TMessageExceptionHandler handler;
    {
      std::lock_guard lock(GMutex);
      handler = GExceptionHandler;
    }
    if (!handler) throw;
    handler(std::current_exception());
  }
}

// Delivers the oldest deliverable queued message with a sequence number in
// (after, cutoff); `after` moves past every message looked at. False when
// there is none.
bool DeliverNextPosted(uint64_t& after, uint64_t cutoff) {
  for (;;) {
    TQueued item;
    IWindowTarget* target;
    {
      std::lock_guard lock(GMutex);
      auto it = FirstAfter(after);
      if (it == GQueue.end() || it->Seq >= cutoff) return false;
      item = *it;
      after = item.Seq;
      target = LookUp(item.Msg.Window);
      if (!target) {
        GQueue.erase(it);
        continue;
      }
    }
    const TMsg& msg = item.Msg;
    if (target->DeferMessage(msg.Message, msg.WParam, msg.LParam)) continue;
    {
      std::lock_guard lock(GMutex);
      if (!Take(item.Seq)) continue;
      target = LookUp(msg.Window);  // DeferMessage may have freed the window
    }
    if (target) Deliver(target, msg);
    return true;
  }
}

bool DeliverNextTimer(int64_t now) {
  for (;;) {
    std::optional<TMsg> msg = TakeDueTimer(now);
    if (!msg) return false;
    IWindowTarget* target;
    {
      std::lock_guard lock(GMutex);
      target = LookUp(msg->Window);
    }
    if (!target) continue;
    Deliver(target, *msg);
    return true;
  }
}

}  // namespace

HWND AllocateHWnd(IWindowTarget* target) {
  if (!target) throw EWindowError("AllocateHWnd: the window target is null");
  std::lock_guard lock(GMutex);
  if (GNextHandle == std::numeric_limits<HWND>::max())
    throw EWindowError("AllocateHWnd: no window handles left");
  HWND window = GNextHandle++;
  GWindows[window] = target;
  return window;
}

bool DeallocateHWnd(HWND window) {
  {
    std::lock_guard lock(GMutex);
    if (GWindows.erase(window) == 0) return false;
    std::erase_if(GQueue, [window](const TQueued& q) { return q.Msg.Window == window; });
  }
  KillWindowTimers(window);
  return true;
}

bool IsWindow(HWND window) {
  std::lock_guard lock(GMutex);
  return LookUp(window) != nullptr;
}

IWindowTarget* FindWindowTarget(HWND window) {
  std::lock_guard lock(GMutex);
  return LookUp(window);
}

bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(GMutex);
  if (!LookUp(window)) return false;
  GQueue.push_back(TQueued{GNextSeq++, TMsg{window, msg, wParam, lParam}});
  return true;
}

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  IWindowTarget* target = FindWindowTarget(window);
  return target ? target->WndProc(msg, wParam, lParam) : 0;
}

void ProcessMessages() {
  uint64_t cutoff;
  {
    std::lock_guard lock(GMutex);
    cutoff = GNextSeq;
  }
  uint64_t after = 0;
  while (DeliverNextPosted(after, cutoff)) {
  }
  int64_t now = MessageClockNow();
  while (DeliverNextTimer(now)) {
  }
}

bool HandleMessage() {
  uint64_t after = 0;
  return DeliverNextPosted(after, std::numeric_limits<uint64_t>::max()) ||
         DeliverNextTimer(MessageClockNow());
}

bool PeekMessage(TMsg& msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  std::lock_guard lock(GMutex);
  bool anyNumber = filterMin == 0 && filterMax == 0;
  auto it = std::find_if(GQueue.begin(), GQueue.end(), [&](const TQueued& q) {
    return (window == 0 || q.Msg.Window == window) &&
           (anyNumber || (q.Msg.Message >= filterMin && q.Msg.Message <= filterMax));
  });
  if (it == GQueue.end()) return false;
  msg = it->Msg;
  if (remove & PM_REMOVE) GQueue.erase(it);
  return true;
}

LRESULT DispatchMessage(const TMsg& msg) { return SendMessage(msg.Window, msg.Message, msg.WParam, msg.LParam); }

void SetMessageExceptionHandler(TMessageExceptionHandler handler) {
  std::lock_guard lock(GMutex);
  GExceptionHandler = std::move(handler);
}
