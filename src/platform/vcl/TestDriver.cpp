#include "platform/vcl/TestDriver.h"

#include <algorithm>

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// A control inside parent (at any depth) with that name.
TComponent* FindChild(const TWinControl* parent, std::string_view name) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (SameName(c->Name(), name)) return c;
  }
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i)))
      if (TComponent* found = FindChild(w, name)) return found;
  return nullptr;
}

TComponent* Step(const TComponent* from, std::string_view name) {
  if (TComponent* owned = from->FindComponent(name)) return owned;
  if (auto* w = dynamic_cast<const TWinControl*>(from)) return FindChild(w, name);
  return nullptr;
}

}  // namespace

TTestDriver::TTestDriver(TCustomForm* root, TApplication& app) : FApp(app), FRoot(root) {
  FPrevious = FApp.SetDialogDriver([this](const TDialogRecord& record) { return Answer(record); });
}

TTestDriver::~TTestDriver() { FApp.SetDialogDriver(std::move(FPrevious)); }

TComponent* TTestDriver::Root() const {
  return FRoot != nullptr ? static_cast<TComponent*>(FRoot) : Screen().ActiveForm();
}

TComponent& TTestDriver::FindComponent(std::string_view path) const {
  TComponent* current = Root();
  size_t start = 0;
  bool first = true;
  while (true) {
    size_t dot = path.find('.', start);
    std::string_view name = path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (name.empty()) throw EInvalidOperation("Invalid control path \"" + AnsiString(path) + "\"");
    TComponent* next = current != nullptr ? Step(current, name) : nullptr;
    if (next == nullptr && first) {
      // The first name may be a form of the screen.
      for (int i = 0; i < Screen().FormCount() && next == nullptr; ++i)
        if (SameName(Screen().Forms(i)->Name(), name)) next = Screen().Forms(i);
    }
    if (next == nullptr)
      throw EInvalidOperation("No component \"" + AnsiString(name) + "\" on the path \"" + AnsiString(path) +
                              "\"" + (current != nullptr ? " under " + current->Name() : AnsiString(" (no active form)")));
    current = next;
    first = false;
    if (dot == std::string_view::npos) return *current;
    start = dot + 1;
  }
}

TControl& TTestDriver::Find(std::string_view path) const {
  TComponent& component = FindComponent(path);
  auto* control = dynamic_cast<TControl*>(&component);
  if (control == nullptr)
    throw EInvalidOperation("\"" + AnsiString(path) + "\" is a " + component.ClassName() + ", not a control");
  return *control;
}

void TTestDriver::Focus(std::string_view path) {
  auto* control = dynamic_cast<TWinControl*>(&Find(path));
  if (control == nullptr) throw EInvalidOperation("\"" + AnsiString(path) + "\" cannot take the focus");
  control->SetFocus();
}

void TTestDriver::TypeText(std::string_view text) {
  for (char ch : text) FApp.DispatchKeyPress(ch);
}

void TTestDriver::TypeText(std::string_view path, std::string_view text) {
  Focus(path);
  TypeText(text);
}

void TTestDriver::PressKey(uint16_t key, TShiftState shift) { FApp.PressKey(key, shift); }

void TTestDriver::Click(std::string_view path) {
  if (!FApp.UserClick(&Find(path)))
    throw EInvalidOperation("The click on \"" + AnsiString(path) + "\" did not reach it");
}

void TTestDriver::RightClick(std::string_view path) {
  TControl& control = Find(path);
  const int x = control.Width() / 2;
  const int y = control.Height() / 2;
  if (!FApp.DispatchMouseDown(&control, mbRight, TShiftState{ssRight}, x, y) ||
      !FApp.DispatchMouseUp(&control, mbRight, TShiftState{}, x, y))
    throw EInvalidOperation("The right click on \"" + AnsiString(path) + "\" did not reach it");
}

void TTestDriver::AnswerNextDialogs(std::initializer_list<int> answers) {
  FAnswers.insert(FAnswers.end(), answers.begin(), answers.end());
}

int TTestDriver::Answer(const TDialogRecord& record) {
  if (!FAnswers.empty()) {
    int answer = FAnswers.front();
    FAnswers.pop_front();
    if (!record.HasResult(answer))
      FFailures.push_back("answer " + std::to_string(answer) + " is no button of \"" + record.Text + "\"");
    return answer;
  }
  if (FStrict) {
    AnsiString failure = "no answer queued for the dialog \"" + record.Caption + "\": \"" + record.Text + "\"";
    FFailures.push_back(failure);
    throw EInvalidOperation(failure);
  }
  // Not strict: what an unattended run answers.
  return TApplication::DefaultAnswer(record);
}
