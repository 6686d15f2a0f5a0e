// Window handles and the message queue, without a display: anything that
// implements IWindowTarget can own a handle, receive sent messages at once and
// posted messages when the message loop is pumped. Handles are 32-bit, never
// 0 and never reused while the process runs, so a message posted to a window
// that has since been freed is dropped rather than delivered to a stranger.
//
// The loop belongs to one thread (the UI thread); PostMessage may also be
// called from other threads.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

using UINT = uint32_t;

// The usual Windows numbers, so that values stored or sent as integers keep
// their meaning.
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_USER = 0x0400;

inline constexpr UINT PM_NOREMOVE = 0;
inline constexpr UINT PM_REMOVE = 1;

// Misuse of the window functions (a null target, handles exhausted).
class EWindowError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EWindowError"; }
};

class IWindowTarget {
public:
  virtual ~IWindowTarget() = default;
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // Asked before a posted message is delivered. True keeps the message in the
  // queue, in its place, and it is asked again at the next pump. A form holds
  // back its own release this way while one of its handlers is running, so a
  // nested dialog loop cannot free it under its own feet. Sent messages and
  // timers are never held back.
  virtual bool DeferMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }
};

struct TMsg {
  HWND Window = 0;
  UINT Message = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
};

// A new handle for the target; raises EWindowError for a null target. The
// caller keeps ownership of the target and must deallocate the handle before
// the target dies.
HWND AllocateHWnd(IWindowTarget* target);
// Forgets the handle, its queued messages and its timers. False when the
// handle is not a live window.
bool DeallocateHWnd(HWND window);
bool IsWindow(HWND window);
// The target behind a live handle, null otherwise.
IWindowTarget* FindWindowTarget(HWND window);

// Queues the message; false (and nothing queued) for a handle that is not a
// live window.
bool PostMessage(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Calls the window's WndProc now and returns its result; 0 for a handle that
// is not a live window. Exceptions of the handler reach the sender.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Delivers every message that was queued when the call began, oldest first,
// then the timers that are due. Messages posted while it runs wait for the
// next call, so a handler that posts to itself cannot keep the loop running
// forever. Messages whose window was freed are dropped; held-back messages
// (IWindowTarget::DeferMessage) stay queued. A nested call from inside a
// handler (a modal loop) delivers what is queued by then; nothing is
// delivered twice.
void ProcessMessages();
// One step: the oldest deliverable queued message, or else one due timer.
// False when there was nothing to do.
bool HandleMessage();

// The oldest queued message for the window (0: any window) whose number lies
// in [filterMin, filterMax] (both 0: any number); PM_REMOVE takes it out of
// the queue. Held-back messages are seen too.
bool PeekMessage(TMsg& msg, HWND window = 0, UINT filterMin = 0, UINT filterMax = 0,
                 UINT remove = PM_NOREMOVE);
// Delivers a message taken with PeekMessage; 0 when its window is gone.
// Exceptions of the handler reach the caller.
LRESULT DispatchMessage(const TMsg& msg);

// Where exceptions thrown by handlers of posted messages and timers go. The
// application installs one that shows the error box; the loop then goes on.
// Without one (empty function) the exception leaves ProcessMessages or
// HandleMessage, after the message was taken off the queue; the rest stays
// queued.
using TMessageExceptionHandler = std::function<void(std::exception_ptr)>;
void SetMessageExceptionHandler(TMessageExceptionHandler handler);
