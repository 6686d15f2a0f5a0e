#include "platform/vcl/Application.h"

#include "platform/vcl/Menus.h"

#include <algorithm>
#include <typeinfo>

#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/StdButtons.h"
#include "platform/win/SystemInfo.h"

// Sections: singletons and registration; TApplication settings, message
// loop and exceptions; the input door; drivers and journal; TScreen.

// ---- Singletons and registration ----

TApplication& Application() {
  // Never freed: forms alive at exit may still ask for it.
  static TApplication* app = new TApplication(nullptr);
  return *app;
}

TScreen& Screen() {
  static TScreen* screen = new TScreen(nullptr);
  return *screen;
}

const TClass& TApplication::StaticClass() {
  static const TClass& record = TClassBuilder<TApplication>().Build();
  return record;
}

const TClass& TScreen::StaticClass() {
  static const TClass& record = TClassBuilder<TScreen>().Build();
  return record;
}

void RegisterFormsLayerClasses() {
  RegisterFormsClasses();
  RegisterDialogsClasses();
  RegisterStdButtonsClasses();
}

// ---- TApplication: settings ----

namespace {

AnsiString DefaultTitle() {
  try {
    AnsiString exe = GetHostExecutable();
    size_t slash = exe.find_last_of('/');
    if (slash != AnsiString::npos) exe.erase(0, slash + 1);
    size_t dot = exe.find_last_of('.');
    if (dot != AnsiString::npos && dot > 0) exe.erase(dot);
    return exe;
  } catch (const Exception&) {
    return AnsiString();
  }
}

}  // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner), FTitle(DefaultTitle()) {
  SetMessageExceptionHandler([this](std::exception_ptr error) { HandleException(error); });
}

TApplication::~TApplication() { SetMessageExceptionHandler(nullptr); }

void TApplication::Watch(TComponent*& slot, TComponent* value) {
  if (slot == value) return;
  if (slot != nullptr) slot->RemoveFreeNotification(this);
  slot = value;
  if (slot != nullptr) slot->FreeNotification(this);
}

void TApplication::SetMainForm(TCustomForm* form) {
  TComponent* slot = FMainForm;
  Watch(slot, form);
  FMainForm = form;
}

TCustomForm* TApplication::ActiveForm() const { return Screen().ActiveForm(); }

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FMainForm) FMainForm = nullptr;
  if (component == FMouseDownControl) FMouseDownControl = nullptr;
}

// ---- TApplication: message loop and exceptions ----

void TApplication::ProcessMessages() {
  // Until the queue is empty, as the platform's loop does: a close request
  // posts the release, and both run in one call. Passes are capped so that
  // a handler that posts to itself every time cannot hold the caller.
  const int kMaxPasses = 64;
  ::ProcessMessages();
  TMsg msg;
  for (int pass = 1; pass < kMaxPasses && PeekMessage(msg); ++pass) ::ProcessMessages();
}

bool TApplication::HandleMessage() { return ::HandleMessage(); }

void TApplication::HandleException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;
  AnsiString text = error.what();
  if (FInHandleException) return;  // the error box itself failed: never recurse
  FInHandleException = true;
  try {
    TMessageForm* box = CreateMessageDialog(text.empty() ? AnsiString("Unknown error") : text, mtError,
                                            TMsgDlgButtons{mbOK});
    box->SetCaption(FTitle);
    box->SetErrorBox(true);
    try {
      box->ShowModal();
    } catch (...) {
      Free(box);
      throw;
    }
    Free(box);
  } catch (...) {
    // A driver that rejects the error box has its failure in the journal
    // entry (no answer); nothing may leave the handler of last resort.
  }
  FInHandleException = false;
}

void TApplication::HandleException(std::exception_ptr error) {
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("Unknown exception"));
  }
}

void TApplication::Guard(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

// ---- TApplication: the input door ----

namespace {

// The form that takes input for control now, or null: a control on a form
// below the innermost modal form gets nothing, as a disabled window would.
TCustomForm* InputForm(TControl* control) {
  TCustomForm* form = GetParentForm(control);
  if (form == nullptr || !form->Visible()) return nullptr;
  TCustomForm* active = Screen().ActiveForm();
  if (active != nullptr && active->Modal() && active != form) return nullptr;
  return form;
}

}  // namespace

bool TApplication::DispatchKeyDown(uint16_t key, TShiftState shift) {
  TCustomForm* form = Screen().ActiveForm();
  if (form == nullptr) return false;
  bool dialogKey = false;
  Guard([&] { dialogKey = form->DispatchKeyDown(key, shift); });
  return dialogKey;
}

bool TApplication::DispatchKeyPress(char key) {
  TCustomForm* form = Screen().ActiveForm();
  if (form == nullptr) return false;
  Guard([&] { form->DispatchKeyPress(key); });
  return true;
}

bool TApplication::DispatchKeyUp(uint16_t key, TShiftState shift) {
  TCustomForm* form = Screen().ActiveForm();
  if (form == nullptr) return false;
  Guard([&] { form->DispatchKeyUp(key, shift); });
  return true;
}

char TApplication::KeyChar(uint16_t key, TShiftState shift) {
  const bool upper = shift.Contains(ssShift);
  if (key >= 'A' && key <= 'Z') return static_cast<char>(upper ? key : key - 'A' + 'a');
  if (key >= '0' && key <= '9' && !upper) return static_cast<char>(key);
  switch (key) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return 27;
    case VK_TAB: return '\t';
    case VK_BACK: return 8;
    default: return 0;
  }
}

void TApplication::PressKey(uint16_t key, TShiftState shift) {
  // Each step finds the active form anew: a key may close a dialog or move
  // the focus to another form.
  const bool usedByDialogKey = DispatchKeyDown(key, shift);
  const char ch = KeyChar(key, shift);
  if (!usedByDialogKey && ch != 0 && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) DispatchKeyPress(ch);
  DispatchKeyUp(key, shift);
}

bool TApplication::DispatchMouseDown(TControl* control, TMouseButton button, TShiftState shift, int x, int y) {
  if (control == nullptr) return false;
  TCustomForm* form = InputForm(control);
  if (form == nullptr) return false;
  bool reached = false;
  Watch(FMouseDownControl, nullptr);
  Guard([&] {
    TCustomForm::THandlerScope scope(form);
    if (button == mbLeft) {
      auto* windowed = dynamic_cast<TWinControl*>(control);
      if (windowed != nullptr && windowed != form && windowed->TabStop() && windowed->CanFocus()) {
        windowed->SetFocus();
        // An exit handler that moved the focus elsewhere swallows the press,
        // as a real button that loses the focus while pressed does.
        if (form->ActiveControl() != windowed) return;
      }
    }
    reached = true;
    Watch(FMouseDownControl, control);
    control->MouseDown(button, shift, x, y);
  });
  return reached;
}

bool TApplication::DispatchMouseUp(TControl* control, TMouseButton button, TShiftState shift, int x, int y) {
  if (control == nullptr) return false;
  TCustomForm* form = InputForm(control);
  const bool paired = FMouseDownControl == control;
  Watch(FMouseDownControl, nullptr);
  if (form == nullptr) return false;
  Guard([&] {
    TCustomForm::THandlerScope scope(form);
    control->MouseUp(button, shift, x, y);
    if (paired && button == mbLeft && control->Enabled() && control->Visible()) control->Click();
    // A right click pops up the nearest automatic pop-up menu.
    if (paired && button == mbRight && control->Enabled()) PopupControlMenu(control, x, y);
  });
  return true;
}

bool TApplication::UserClick(TControl* control) {
  if (control == nullptr) return false;
  const int x = control->Width() / 2;
  const int y = control->Height() / 2;
  if (!DispatchMouseDown(control, mbLeft, TShiftState{ssLeft}, x, y)) return false;
  // The press may have freed the control; the release only goes to it
  // when it is still the pressed one.
  if (FMouseDownControl != control) return false;
  return DispatchMouseUp(control, mbLeft, TShiftState{}, x, y);
}

// ---- TApplication: drivers and journal ----

TApplication::TModalDriver TApplication::SetModalDriver(TModalDriver driver) {
  std::swap(FModalDriver, driver);
  return driver;
}

TApplication::TDialogDriver TApplication::SetDialogDriver(TDialogDriver driver) {
  std::swap(FDialogDriver, driver);
  return driver;
}

void TApplication::EnterModal() { ++FModalLevel; }

void TApplication::LeaveModal() {
  if (FModalLevel > 0) --FModalLevel;
}

void TApplication::ClearJournal() { FJournal.clear(); }

uint64_t TApplication::JournalOpen(TDialogRecord& record) {
  record.Serial = FNextSerial++;
  TDialogRecord copy = record;
  copy.Form = nullptr;
  copy.Result = mrNone;
  copy.AnsweredBy.clear();
  FJournal.push_back(std::move(copy));
  return record.Serial;
}

void TApplication::JournalClose(uint64_t serial, TModalResult result, const AnsiString& answeredBy) {
  for (TDialogRecord& entry : FJournal) {
    if (entry.Serial != serial) continue;
    entry.Result = result;
    entry.AnsweredBy = answeredBy;
    return;
  }
}

TModalResult TApplication::DefaultAnswer(const TDialogRecord& record) {
  auto resultAt = [&record](int index) {
    return index >= 0 && index < static_cast<int>(record.Buttons.size()) ? record.Buttons[index].Result : mrNone;
  };
  TModalResult answer = resultAt(record.DefaultButton);
  if (answer == mrNone) answer = resultAt(record.CancelButton);
  for (size_t i = 0; answer == mrNone && i < record.Buttons.size(); ++i) answer = record.Buttons[i].Result;
  return answer;
}

TModalResult TApplication::AnswerDialog(const TDialogRecord& record, AnsiString& answeredBy) {
  TModalResult answer = mrNone;
  if (FDialogDriver) {
    answer = FDialogDriver(record);
    answeredBy = "driver";
  } else {
    answer = DefaultAnswer(record);
    answeredBy = "default";
  }
  if (!record.HasResult(answer))
    throw EInvalidOperation("The answer " + std::to_string(answer) + " to the dialog \"" + record.Caption +
                            "\" (\"" + record.Text + "\") is not the result of any of its buttons");
  return answer;
}

// ---- TScreen ----

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), FIconFont(new TFont), FHintFont(new TFont), FMenuFont(new TFont) {}

TScreen::~TScreen() {
  Free(FIconFont);
  Free(FHintFont);
  Free(FMenuFont);
}

void TScreen::SetSize(int width, int height) {
  if (width < 1 || height < 1)
    throw EInvalidOperation("Invalid screen size " + std::to_string(width) + " x " + std::to_string(height));
  FWidth = width;
  FHeight = height;
}

TCustomForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FForms[static_cast<size_t>(index)];
}

TWinControl* TScreen::ActiveControl() const {
  return FActiveForm != nullptr ? FActiveForm->ActiveControl() : nullptr;
}

void TScreen::AddForm(TCustomForm* form) {
  if (form != nullptr && std::find(FForms.begin(), FForms.end(), form) == FForms.end()) FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
  auto it = std::find(FForms.begin(), FForms.end(), form);
  if (it == FForms.end()) return;
  FForms.erase(it);
  if (FActiveForm == form) {
    FActiveForm = nullptr;
    for (TCustomForm* f : FForms)
      if (f->Visible()) {
        FActiveForm = f;
        break;
      }
  }
}

void TScreen::ActivateForm(TCustomForm* form) {
  if (form == nullptr || form == FActiveForm) return;
  // A modal form keeps the input until its loop ends.
  if (FActiveForm != nullptr && FActiveForm->Modal() && !form->Modal() && FActiveForm->Visible()) return;
  auto it = std::find(FForms.begin(), FForms.end(), form);
  if (it == FForms.end()) return;
  std::rotate(FForms.begin(), it, it + 1);
  TCustomForm* old = FActiveForm;
  FActiveForm = form;
  if (old != nullptr) Application().Guard([old] { old->Deactivate(); });
  if (FActiveForm == form) form->Activate();
}

void TScreen::FormHidden(TCustomForm* form) {
  if (form != FActiveForm) return;
  FActiveForm = nullptr;
  form->Deactivate();
  for (TCustomForm* f : FForms)
    if (f != form && f->Visible()) {
      ActivateForm(f);
      break;
    }
}
