#include "platform/vcl/Spin.h"

#include <algorithm>
#include <limits>

#include "platform/rtl/NumConv.h"
#include "platform/vcl/ClassBuilder.h"

// Sections: TSpinButton; TSpinEdit; class records and registration.

namespace {
constexpr int kButtonWidth = 15;
}

// ---- TSpinButton ----

TSpinButton::TSpinButton(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 20, 25); }

void TSpinButton::SetFocusControl(TWinControl* control) {
  if (control == FFocusControl) return;
  if (FFocusControl != nullptr) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = control;
  if (control != nullptr) control->FreeNotification(this);
}

void TSpinButton::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FFocusControl) FFocusControl = nullptr;
}

void TSpinButton::UpClick() {
  if (FOnUpClick) FOnUpClick(this);
}

void TSpinButton::DownClick() {
  if (FOnDownClick) FOnDownClick(this);
}

void TSpinButton::Click() {
  if (FDownPressed)
    DownClick();
  else
    UpClick();
}

void TSpinButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    FDownPressed = y >= Height() / 2;
    // The arrows work on the control they belong to: it gets the focus,
    // so its exit check runs before the value steps.
    if (FFocusControl != nullptr && FFocusControl->TabStop() && FFocusControl->CanFocus()) {
      if (!FFocusControl->Focused()) FFocusControl->SetFocus();
    } else if (TabStop() && CanFocus() && !Focused()) {
      SetFocus();
    }
  }
  TWinControl::MouseDown(button, shift, x, y);
}

void TSpinButton::KeyDown(uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  switch (key) {
    case VK_UP:
      FDownPressed = false;
      UpClick();
      break;
    case VK_DOWN:
      FDownPressed = true;
      DownClick();
      break;
    case VK_SPACE:
      Click();
      break;
    default:
      break;
  }
}

// ---- TSpinEdit ----

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner) {
  FButton = NewObject<TSpinButton>(this);
  FButton->SetFocusControl(this);
  FButton->SetOnUpClick(TNotifyEvent(this, &TSpinEdit::UpClick));
  FButton->SetOnDownClick(TNotifyEvent(this, &TSpinEdit::DownClick));
  FButton->SetParent(this);
  PlaceButton();
  SetText("0");
}

void TSpinEdit::PlaceButton() {
  if (FButton == nullptr) return;
  const TRect client = ClientRect();
  FButton->SetBounds(client.Width() - kButtonWidth, 0, kButtonWidth, client.Height());
}

void TSpinEdit::WMSize() {
  TCustomEdit::WMSize();
  PlaceButton();
}

void TSpinEdit::Loaded() {
  TCustomEdit::Loaded();
  PlaceButton();
}

void TSpinEdit::Notification(TComponent* component, TOperation operation) {
  TCustomEdit::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FButton) FButton = nullptr;
}

int32_t TSpinEdit::CheckValue(int32_t value) const {
  if (FMinValue == 0 && FMaxValue == 0) return value;
  // MinValue last, so that crossed limits still give one stable answer.
  if (value > FMaxValue) value = FMaxValue;
  if (value < FMinValue) value = FMinValue;
  return value;
}

int32_t TSpinEdit::Value() const {
  int32_t value = 0;
  if (!TryStrToInt(Text(), value)) value = FMinValue;
  return CheckValue(value);
}

void TSpinEdit::SetValue(int32_t value) { SetText(IntToStr(CheckValue(value))); }

namespace {
int32_t SaturatingAdd(int32_t a, int64_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}
}  // namespace

void TSpinEdit::UpClick(TObject*) {
  if (ReadOnly()) return;
  SetValue(SaturatingAdd(Value(), FIncrement));
}

void TSpinEdit::DownClick(TObject*) {
  if (ReadOnly()) return;
  SetValue(SaturatingAdd(Value(), -static_cast<int64_t>(FIncrement)));
}

void TSpinEdit::KeyDown(uint16_t& key, TShiftState shift) {
  // The step comes first and the key goes on, so OnKeyDown still sees it.
  if (key == VK_UP)
    UpClick(this);
  else if (key == VK_DOWN)
    DownClick(this);
  TCustomEdit::KeyDown(key, shift);
}

bool TSpinEdit::IsValidChar(char key) const {
  const auto byte = static_cast<unsigned char>(key);
  if (byte >= '0' && byte <= '9') return true;
  if (key == '+' || key == '-') return true;
  return byte < 0x20 && byte != '\r';
}

bool TSpinEdit::CanModify() const { return TCustomEdit::CanModify() && FEditorEnabled; }

void TSpinEdit::KeyPress(char& key) {
  // Refused before anyone sees it: OnKeyPress gets only what may be typed.
  if (!IsValidChar(key)) {
    key = 0;
    return;
  }
  TCustomEdit::KeyPress(key);
}

void TSpinEdit::DoExit() {
  TCustomEdit::DoExit();
  int32_t typed = 0;
  if (TryStrToInt(Text(), typed) && CheckValue(typed) != typed) SetValue(typed);
}

// ---- Class records and registration ----

const TClass& TSpinButton::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TSpinButton> b;
    TControl::PublishInherited<TSpinButton>(b, {"Align", "Anchors", "Enabled"});
    b.Property("FocusControl", &TSpinButton::FocusControl, &TSpinButton::SetFocusControl);
    TControl::PublishInherited<TSpinButton>(
        b, {"ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible"});
    b.Property("OnDownClick", &TSpinButton::OnDownClick, &TSpinButton::SetOnDownClick);
    TControl::PublishInherited<TSpinButton>(b, {"OnEnter", "OnExit"});
    b.Property("OnUpClick", &TSpinButton::OnUpClick, &TSpinButton::SetOnUpClick);
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TSpinEdit::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TSpinEdit> b;
    TControl::PublishInherited<TSpinEdit>(b, {"Anchors"});
    b.Property("AutoSelect", &TSpinEdit::AutoSelect, &TSpinEdit::SetAutoSelect).Default(true);
    TControl::PublishInherited<TSpinEdit>(b, {"Color"});
    b.Property("EditorEnabled", &TSpinEdit::EditorEnabled, &TSpinEdit::SetEditorEnabled).Default(true);
    TControl::PublishInherited<TSpinEdit>(b, {"Enabled", "Font"});
    b.Property("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement)
        .Default(1)
        .Property("MaxLength", &TSpinEdit::MaxLength, &TSpinEdit::SetMaxLength)
        .Default(0)
        .Property("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue)
        .Property("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue);
    TControl::PublishInherited<TSpinEdit>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TSpinEdit>(b, {"ParentFont", "ParentShowHint", "PopupMenu"});
    b.Property("ReadOnly", &TSpinEdit::ReadOnly, &TSpinEdit::SetReadOnly).Default(false);
    TControl::PublishInherited<TSpinEdit>(b, {"ShowHint", "TabOrder"});
    TControl::PublishInherited<TSpinEdit>(b, {"TabStop"}).Default(true);
    // Value after the limits, so that a resource's value is kept within them.
    b.Property("Value", &TSpinEdit::Value, &TSpinEdit::SetValue);
    TControl::PublishInherited<TSpinEdit>(b, {"Visible"});
    b.Property("OnChange", &TSpinEdit::OnChange, &TSpinEdit::SetOnChange);
    TControl::PublishInherited<TSpinEdit>(b, {"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown",
                                              "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
                                              "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void RegisterSpinClasses() { RegisterClasses({&TSpinButton::StaticClass(), &TSpinEdit::StaticClass()}); }
