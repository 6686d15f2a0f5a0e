// A window for the message and timer tests: it owns a handle for its
// lifetime and writes every message it receives into a shared log as
// "name:message:wParam", so a test compares whole sequences.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win/Messages.h"

using TMessageLog = std::vector<std::string>;

inline std::string MessageName(UINT msg) {
  switch (msg) {
    case WM_CLOSE: return "close";
    case WM_TIMER: return "timer";
    case WM_USER: return "user";
    default: return std::to_string(msg);
  }
}

class TTestWindow : public IWindowTarget {
public:
  TTestWindow(std::string name, TMessageLog& log)
      : FName(std::move(name)), FLog(log), Handle(AllocateHWnd(this)) {}
  ~TTestWindow() override { DeallocateHWnd(Handle); }

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    FLog.push_back(FName + ":" + MessageName(msg) + ":" + std::to_string(wParam));
    return OnMessage ? OnMessage(msg, wParam, lParam) : 0;
  }
  bool DeferMessage(UINT msg, WPARAM, LPARAM) override { return Busy && msg == HeldBack; }

  // Runs after the message is logged; its result is the WndProc result.
  std::function<LRESULT(UINT, WPARAM, LPARAM)> OnMessage;
  // While Busy, posted messages numbered HeldBack stay queued.
  bool Busy = false;
  UINT HeldBack = WM_USER + 99;

private:
  std::string FName;
  TMessageLog& FLog;

public:
  const HWND Handle;
};
