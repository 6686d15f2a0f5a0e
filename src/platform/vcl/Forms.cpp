#include "platform/vcl/Forms.h"

#include <algorithm>

#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/StdCtrls.h"

// Sections: class records; lifetime; showing; closing and release; focus;
// keys; messages; helpers.

// ---- Class records ----

TMainMenu* TCustomForm::Menu() const { return GetFormMenu(this); }

void TCustomForm::SetMenu(TMainMenu* menu) { SetFormMenu(this, menu); }

const TClass& TCustomForm::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomForm>().Build();
  return record;
}

const TClass& TForm::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TForm> b;
    TControl::PublishInherited<TForm>(b, {"Caption", "Color", "Font", "ClientWidth", "ClientHeight",
                                          "Enabled", "ShowHint", "PopupMenu", "OnClick",
                                          "OnDblClick", "OnMouseDown", "OnMouseUp", "OnMouseMove",
                                          "OnResize", "OnKeyDown", "OnKeyUp", "OnKeyPress"});
    TControl::PublishInherited<TForm>(b, {"Visible"}).Default(false);
    b.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl)
        .Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize})
        .Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle)
        .Default(bsSizeable)
        .Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview)
        .Default(false)
        .Property("Menu", &TForm::Menu, &TForm::SetMenu)
        .Property("Position", &TForm::Position, &TForm::SetPosition)
        .Default(poDesigned)
        .Property("WindowState", &TForm::WindowState, &TForm::SetWindowState)
        .Default(wsNormal)
        .Property("OnActivate", &TForm::OnActivate, &TForm::SetOnActivate)
        .Property("OnClose", &TForm::OnClose, &TForm::SetOnClose)
        .Property("OnCloseQuery", &TForm::OnCloseQuery, &TForm::SetOnCloseQuery)
        .Property("OnCreate", &TForm::OnCreate, &TForm::SetOnCreate)
        .Property("OnDeactivate", &TForm::OnDeactivate, &TForm::SetOnDeactivate)
        .Property("OnDestroy", &TForm::OnDestroy, &TForm::SetOnDestroy)
        .Property("OnHide", &TForm::OnHide, &TForm::SetOnHide)
        .Property("OnShow", &TForm::OnShow, &TForm::SetOnShow)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterFormsClasses() { RegisterClasses({&TCustomForm::StaticClass(), &TForm::StaticClass()}); }

// ---- Lifetime ----

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  // A form starts hidden; set the flag before anything can watch it.
  TWinControl::SetVisible(false);
  FModalLevelAtCreation = Application().ModalLevel();
  Screen().AddForm(this);
}

TCustomForm::~TCustomForm() {
  // A form on the stack (never freed through Free) still leaves the screen.
  Screen().RemoveForm(this);
  if (FModalAlive != nullptr) *FModalAlive = false;
}

void TCustomForm::AfterConstruction() {
  TWinControl::AfterConstruction();
  InitInheritedComponent(this);
  DoCreate();
}

void TCustomForm::BeforeDestruction() {
  if (FModalAlive != nullptr) *FModalAlive = false;
  FModalAlive = nullptr;
  if (!FDestroyRaised) {
    FDestroyRaised = true;
    Destroying();
    // The form must go whatever OnDestroy does, so its error is shown, not
    // passed on half-way through the teardown.
    try {
      DoDestroy();
    } catch (...) {
      Application().HandleException(std::current_exception());
    }
  }
  Screen().RemoveForm(this);
  FActiveControl = nullptr;
  FFocusedControl = nullptr;
  FExiting.clear();
  TWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
  THandlerScope scope(this);
  if (FOnCreate) FOnCreate(this);
}

void TCustomForm::DoDestroy() {
  THandlerScope scope(this);
  if (FOnDestroy) FOnDestroy(this);
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  // A resource that says Visible = True shows the form once it is whole.
  if (Visible() && !FShown) ShowForm();
}

TCustomForm::THandlerScope::THandlerScope(TCustomForm* form) : FForm(form) {
  if (FForm != nullptr) ++FForm->FHandlerDepth;
}

TCustomForm::THandlerScope::~THandlerScope() {
  if (FForm != nullptr) --FForm->FHandlerDepth;
}

// ---- Showing ----

void TCustomForm::SetVisible(bool value) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
    TWinControl::SetVisible(value);
    return;
  }
  if (value) {
    if (!Visible() || !FShown) ShowForm();
  } else {
    if (Visible() || FShown) HideForm();
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
  Screen().ActivateForm(this);
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::ShowForm() {
  THandlerScope scope(this);
  TWinControl::SetVisible(true);
  ApplyPosition();
  FShown = true;
  DoShow();
  if (!Visible()) return;  // OnShow hid it again
  Screen().ActivateForm(this);
  if (Screen().ActiveForm() != this || !FShown) return;
  // The enters of a focus recorded while the form was hidden run now.
  TWinControl* target = FActiveControl;
  if (target == nullptr || !target->CanFocus())
    target = FindNextControl(nullptr, true, true, false);
  if (target != nullptr && target != FFocusedControl) ChangeFocus(target);
}

void TCustomForm::HideForm() {
  THandlerScope scope(this);
  const bool wasShown = FShown;
  TWinControl::SetVisible(false);
  FShown = false;
  if (wasShown) DoHide();
  Screen().FormHidden(this);
}

void TCustomForm::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCustomForm::DoHide() {
  if (FOnHide) FOnHide(this);
}

void TCustomForm::Activate() {
  THandlerScope scope(this);
  if (FOnActivate) FOnActivate(this);
}

void TCustomForm::Deactivate() {
  THandlerScope scope(this);
  if (FOnDeactivate) FOnDeactivate(this);
}

void TCustomForm::SetPosition(TPosition value) {
  if (value < poDesigned || value > poOwnerFormCenter)
    throw EConvertError("TCustomForm.Position: " + std::to_string(static_cast<int>(value)) +
                        " is not a TPosition");
  FPosition = value;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value < bsNone || value > bsSizeToolWin)
    throw EConvertError("TCustomForm.BorderStyle: " + std::to_string(static_cast<int>(value)) +
                        " is not a TFormBorderStyle");
  FBorderStyle = value;
}

void TCustomForm::SetWindowState(TWindowState value) {
  if (value < wsNormal || value > wsMaximized)
    throw EConvertError("TCustomForm.WindowState: " + std::to_string(static_cast<int>(value)) +
                        " is not a TWindowState");
  FWindowState = value;
}

void TCustomForm::ApplyPosition() {
  if (FWindowState != wsNormal) return;
  TRect area = Rect(0, 0, Screen().Width(), Screen().Height());
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* centre = FPosition == poMainFormCenter ? Application().MainForm()
                                                          : dynamic_cast<TCustomForm*>(Owner());
      if (centre != nullptr && centre != this) area = centre->BoundsRect();
      break;
    }
    default:
      return;
  }
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2,
            Width(), Height());
}

int TCustomForm::ShowModal() {
  if (FModal || Visible())
    throw EInvalidOperation("Cannot make a visible window modal (" + ClassName() + " " + Name() + ")");
  if (FReleasing)
    throw EInvalidOperation("Cannot show a released form modally (" + ClassName() + " " + Name() + ")");
  TApplication& app = Application();
  bool alive = true;
  // The record shows the form as the caller left it (a dialog's rewritten
  // captions included), journalled before OnShow can show anything else.
  TDialogRecord record;
  const bool dialog = DescribeDialog(record);
  if (!dialog) {
    record.Kind = dkModalForm;
    record.DlgType = mtCustom;
    record.FormClass = ClassName();
    record.FormName = Name();
    record.Caption = Caption();
    record.FontName = Font()->Name();
    record.FontCharset = Font()->Charset();
    record.FontHeight = Font()->Height();
  }
  TCustomForm* over = Screen().ActiveForm();
  record.Owner = over != nullptr && over != this ? over->Name() : AnsiString();
  const uint64_t serial = app.JournalOpen(record);
  AnsiString answeredBy;
  auto finish = [&] {
    app.LeaveModal();
    if (!alive) return;
    FModalAlive = nullptr;
    FModal = false;
    if (Visible() || FShown) HideForm();
  };
  FModalAlive = &alive;
  FModal = true;
  FModalResult = mrNone;
  app.EnterModal();
  try {
    Show();
    if (dialog) {
      record.Form = this;
      TModalResult answer = app.AnswerDialog(record, answeredBy);
      if (alive) {
        FModalResult = answer;
        CloseModal();
        if (FModalResult == mrNone) FModalResult = answer;  // a dialog always ends
      }
    } else {
      // Rounds: let queued messages run, let the driver act, check.
      const int kMaxRounds = 100;
      for (int round = 0;; ++round) {
        app.ProcessMessages();
        if (!alive) break;
        bool driven = false;
        if (FModalResult == mrNone && FShown) {
          if (app.ModalDriver()) {
            app.ModalDriver()(*this);
            driven = true;
            if (!alive) break;
            app.ProcessMessages();
            if (!alive) break;
            answeredBy = "driver";
          } else {
            answeredBy = "default";
          }
        }
        bool forced = false;
        if (FModalResult == mrNone) {
          // Closed or hidden by a handler, left open by the driver, or no
          // driver at all: the form is cancelled, as closing its window does.
          FModalResult = mrCancel;
          forced = true;
        }
        if (CloseModal()) break;
        if (forced || !driven || round + 1 >= kMaxRounds)
          throw EInvalidOperation("The modal form " + ClassName() + " " + Name() +
                                  " refused to close (OnCloseQuery or OnClose kept it open)");
      }
    }
  } catch (...) {
    finish();
    app.JournalClose(serial, mrNone, AnsiString());
    throw;
  }
  finish();
  const TModalResult result = alive ? FModalResult : mrCancel;
  app.JournalClose(serial, result, answeredBy);
  return result;
}

bool TCustomForm::DescribeDialog(TDialogRecord&) const { return false; }

bool TCustomForm::CloseModal() {
  THandlerScope scope(this);
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  switch (action) {
    case caNone:
      FModalResult = mrNone;
      return false;
    case caFree:
      Release();
      break;
    case caMinimize:
      FWindowState = wsMinimized;
      break;
    default:
      break;
  }
  return true;
}

// ---- Closing and release ----

bool TCustomForm::CloseQuery() {
  THandlerScope scope(this);
  bool canClose = true;
  if (FOnCloseQuery) FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (FOnClose) FOnClose(this, action);
}

void TCustomForm::Close() {
  if (FReleasing) return;
  THandlerScope scope(this);
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Release() {
  if (FReleasing) return;
  FReleasing = true;
  PostMessage(Handle(), CM_RELEASE);
}

bool TCustomForm::DeferMessage(UINT msg, WPARAM, LPARAM) {
  if (msg != CM_RELEASE) return false;
  // Freed only with none of its handlers on the stack, and not from a
  // modal loop that began after the form was made: code of this form may
  // be waiting below that loop.
  return FHandlerDepth > 0 || FModal || Application().ModalLevel() > FModalLevelAtCreation;
}

// ---- Focus ----

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control != nullptr && GetParentFormControl(control) != this)
    throw EInvalidOperation("Invalid active control: " + control->Name() + " is not on " + Name());
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
    Track(control);
    FActiveControl = control;
    return;
  }
  FormFocusControl(control != nullptr ? control : this);
}

void TCustomForm::SelectFirst() {
  if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
}

void TCustomForm::FormFocusControl(TWinControl* control) {
  if (control == nullptr) control = this;
  if (GetParentFormControl(control) != this)
    throw EInvalidOperation("Invalid active control: " + control->Name() + " is not on " + Name());
  TWinControl* target = control == this ? nullptr : control;
  if (!FShown || !Visible()) {
    // Nothing has the focus on a hidden form: remember where it goes.
    Track(target);
    FActiveControl = target;
    return;
  }
  if (target != nullptr && !target->CanFocus())
    throw EInvalidOperation("Cannot focus a disabled or invisible window (" + target->Name() + ")");
  if (target == FActiveControl && target == FFocusedControl) return;
  ChangeFocus(target);
}

TWinControl* TCustomForm::FormFocusedControl() const { return FShown ? FActiveControl : nullptr; }

void TCustomForm::FormDefocusControl(TWinControl* control, bool removing) {
  if (control == nullptr || control == this) return;
  const bool holdsActive = control->ContainsControl(FActiveControl);
  const bool holdsFocused = control->ContainsControl(FFocusedControl);
  if (removing) {
    // A control leaving or dying gets no exit: its handlers may not be safe
    // to run any more. The focus chain continues above it.
    FExiting.erase(std::remove_if(FExiting.begin(), FExiting.end(),
                                  [control](TWinControl* c) { return control->ContainsControl(c); }),
                   FExiting.end());
    if (holdsFocused) FFocusedControl = FocusParent(control);
    if (holdsActive) FActiveControl = FFocusedControl;
    return;
  }
  if (!holdsActive && !holdsFocused) return;
  if (FShown && Visible() && !ComponentState().Contains(csDestroying)) {
    // Hiding or disabling the focused control moves the focus to the form:
    // the exits of the controls it leaves run.
    ChangeFocus(nullptr);
  } else if (holdsActive) {
    FActiveControl = nullptr;
  }
}

TWinControl* TCustomForm::FocusParent(const TWinControl* control) const {
  TWinControl* parent = control->Parent();
  return parent == this ? nullptr : parent;
}

bool TCustomForm::IsExiting(const TWinControl* control) const {
  return std::find(FExiting.begin(), FExiting.end(), control) != FExiting.end();
}

void TCustomForm::Track(TWinControl* control) {
  if (control != nullptr) control->FreeNotification(this);
}

void TCustomForm::ChangeFocus(TWinControl* target) {
  THandlerScope scope(this);
  const uint64_t serial = ++FFocusSerial;
  TWinControl* const oldActive = FActiveControl;
  TWinControl* const oldFocused = FFocusedControl;
  Track(target);
  FActiveControl = target;

  // Exits, innermost first, up to the control that also contains the target.
  for (TWinControl* node = FFocusedControl; node != nullptr && node != this;) {
    if (target != nullptr && node->ContainsControl(target)) break;
    TWinControl* parent = FocusParent(node);
    if (!IsExiting(node)) {
      FExiting.push_back(node);
      try {
        node->DoExit();
      } catch (...) {
        std::erase(FExiting, node);
        if (serial == FFocusSerial) {
          // An exit that raises keeps the focus where it was.
          FActiveControl = oldActive;
          FFocusedControl = oldFocused;
        }
        throw;
      }
      std::erase(FExiting, node);
      if (serial != FFocusSerial) return;  // a focus change in the handler won
    }
    FFocusedControl = parent;
    node = parent;
  }

  FocusChanged(target);
  if (serial != FFocusSerial) return;

  // Enters, outermost first, below the control that stays entered.
  std::vector<TWinControl*> path;
  for (TWinControl* node = target; node != nullptr && node != this && node != FFocusedControl;
       node = FocusParent(node))
    path.push_back(node);
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    FFocusedControl = *it;
    Track(*it);
    (*it)->DoEnter();
    if (serial != FFocusSerial) return;
  }
}

void TCustomForm::FocusChanged(TWinControl*) {}

// ---- Keys ----

bool TCustomForm::DispatchKeyDown(uint16_t& key, TShiftState shift) {
  THandlerScope scope(this);
  if (FKeyPreview) {
    KeyDown(key, shift);
    if (key == 0) return false;
  }
  // The menu bar's short cuts come before the focused control.
  if (DispatchMenuShortCut(this, key, shift)) {
    key = 0;
    return true;
  }
  if (FActiveControl != nullptr && FShown) {
    FActiveControl->KeyDown(key, shift);
    if (key == 0) return false;
    // Keys the focused control left are offered to the controls that
    // contain it (a page control turns pages on Ctrl+Tab).
    for (TWinControl* c = FActiveControl->Parent(); c != nullptr && c != this; c = c->Parent())
      if (c->DialogKey(key, shift)) {
        key = 0;
        return true;
      }
  }
  // Alt with a letter or digit: the control whose caption has it as its
  // accelerator ("&Save").
  if (shift.Contains(ssAlt) && !shift.Contains(ssCtrl) &&
      ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))) {
    if (DispatchAccelerator(this, static_cast<char>(key))) {
      key = 0;
      return true;
    }
  }
  const bool plain = !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  if (key == VK_TAB && plain) {
    SelectNext(FActiveControl, !shift.Contains(ssShift), true);
    return true;
  }
  if ((key == VK_RETURN || key == VK_ESCAPE) && shift.Empty()) return PressDialogButton(key);
  return false;
}

bool TCustomForm::PressDialogButton(uint16_t key) {
  // Enter: the focused button, else the default button; Esc: the cancel
  // button. Only a button that could take the focus answers.
  if (key == VK_RETURN) {
    if (auto* focused = dynamic_cast<TButton*>(FActiveControl); focused != nullptr && focused->CanFocus()) {
      focused->Click();
      return true;
    }
  }
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  for (TWinControl* c : list) {
    auto* button = dynamic_cast<TButton*>(c);
    if (button == nullptr || !button->CanFocus()) continue;
    if ((key == VK_RETURN && button->Default()) || (key == VK_ESCAPE && button->Cancel())) {
      button->Click();
      return true;
    }
  }
  return false;
}

void TCustomForm::DispatchKeyPress(char& key) {
  THandlerScope scope(this);
  if (FKeyPreview) {
    KeyPress(key);
    if (key == 0) return;
  }
  if (FActiveControl != nullptr && FShown) FActiveControl->KeyPress(key);
}

void TCustomForm::DispatchKeyUp(uint16_t& key, TShiftState shift) {
  THandlerScope scope(this);
  if (FKeyPreview) {
    KeyUp(key, shift);
    if (key == 0) return;
  }
  if (FActiveControl != nullptr && FShown) FActiveControl->KeyUp(key, shift);
}

// ---- Messages ----

LRESULT TCustomForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case CM_RELEASE:
      Free(this);  // nothing of this form may be touched after this
      return 0;
    case WM_CLOSE: {
      THandlerScope scope(this);
      Close();
      return 0;
    }
    case UM_CONTROL: {
      THandlerScope scope(this);
      if (!IsOwnComponent(static_cast<uintptr_t>(lParam))) return 0;
      auto* control = dynamic_cast<TControl*>(reinterpret_cast<TComponent*>(lParam));
      return control != nullptr ? ControlMessage(control, wParam) : 0;
    }
    default: {
      THandlerScope scope(this);
      return TWinControl::WndProc(msg, wParam, lParam);
    }
  }
}

LRESULT TCustomForm::ControlMessage(TControl*, WPARAM) { return 0; }

namespace {

bool OwnsAddress(const TComponent* owner, uintptr_t value) {
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    const TComponent* c = owner->Components(i);
    if (reinterpret_cast<uintptr_t>(c) == value || OwnsAddress(c, value)) return true;
  }
  return false;
}

bool ParentsAddress(const TWinControl* parent, uintptr_t value) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    const TControl* c = parent->Controls(i);
    if (reinterpret_cast<uintptr_t>(static_cast<const TComponent*>(c)) == value) return true;
    if (auto* w = dynamic_cast<const TWinControl*>(c); w != nullptr && ParentsAddress(w, value)) return true;
  }
  return false;
}

}  // namespace

bool TCustomForm::IsOwnComponent(uintptr_t value) const {
  if (value == 0) return false;
  return OwnsAddress(this, value) || ParentsAddress(this, value);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FActiveControl) FActiveControl = nullptr;
  if (component == FFocusedControl) {
    auto* control = static_cast<TWinControl*>(FFocusedControl);
    TWinControl* parent = FocusParent(control);
    FFocusedControl = parent != nullptr && !parent->ComponentState().Contains(csDestroying) ? parent : nullptr;
  }
  FExiting.erase(std::remove_if(FExiting.begin(), FExiting.end(),
                                [component](TWinControl* c) { return c == component; }),
                 FExiting.end());
}

// ---- Helpers ----

TCustomForm* FindForm(HWND handle) {
  TWinControl* control = FindControl(handle);
  return control != nullptr ? control->AsForm() : nullptr;
}
