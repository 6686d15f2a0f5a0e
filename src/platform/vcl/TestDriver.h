// The driver tests and hosts use to act on forms as a user would: find a
// control by its name path, focus it, type, press keys, click, queue the
// answers of the next message dialogs, read the journal and pump the
// message loop. Every action goes through the application's input door, so
// handlers run exactly as they do for a person at the keyboard.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"

class TTestDriver {
public:
  // Installs itself as the application's dialog driver until destroyed
  // (the previous driver comes back then). root, when given, is where name
  // paths start; otherwise they start at the active form.
  explicit TTestDriver(TCustomForm* root = nullptr, TApplication& app = Application());
  ~TTestDriver();
  TTestDriver(const TTestDriver&) = delete;
  TTestDriver& operator=(const TTestDriver&) = delete;

  // "sp01.edBegin": each name is a component owned by the previous one or a
  // control inside it (ignoring ASCII case); the first may also name a form
  // of the screen. EInvalidOperation naming the path when nothing matches.
  TControl& Find(std::string_view path) const;
  TComponent& FindComponent(std::string_view path) const;

  // SetFocus on the windowed control (exits and enters run).
  void Focus(std::string_view path);
  // One key press (character) per byte, to the focused control.
  void TypeText(std::string_view text);
  // Focuses the control first.
  void TypeText(std::string_view path, std::string_view text);
  void PressKey(uint16_t key, TShiftState shift = {});
  // A user click: press (which focuses a windowed tab stop) and release.
  // EInvalidOperation when the click could not reach the control.
  void Click(std::string_view path);
  // A right click in the middle of the control: press and release of the
  // right button (the control's automatic pop-up menu opens).
  // EInvalidOperation when the click could not reach the control.
  void RightClick(std::string_view path);

  // The next message dialogs get these answers, in order. In strict mode a
  // dialog with no queued answer is a failure: it raises EInvalidOperation
  // (and is kept in Failures()); otherwise it gets its default button.
  void AnswerNextDialogs(std::initializer_list<int> answers);
  void SetStrict(bool strict) { FStrict = strict; }
  size_t PendingAnswers() const { return FAnswers.size(); }
  // What went wrong in the dialog driver, in order.
  const std::vector<AnsiString>& Failures() const { return FFailures; }

  const std::vector<TDialogRecord>& Journal() const { return FApp.Journal(); }
  void ClearJournal() { FApp.ClearJournal(); }
  void Pump() { FApp.ProcessMessages(); }

private:
  int Answer(const TDialogRecord& record);
  TComponent* Root() const;

  TApplication& FApp;
  TCustomForm* FRoot;
  TApplication::TDialogDriver FPrevious;
  std::deque<int> FAnswers;
  bool FStrict = false;
  std::vector<AnsiString> FFailures;
};
