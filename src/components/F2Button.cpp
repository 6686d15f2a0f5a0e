#include "components/F2Button.h"

#include "components/ErrorBox.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Messages.h"

const char* const F2ButtonDuplicateText = "不能同时有两个 F2Button 指到同一个 Edit.";

TF2Button::TF2Button(TComponent* owner) : TGSpeedButton(owner) {
  SetFlat(true);
  SetGlyphIndex(8);
}

const TClass& TF2Button::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TF2Button> b;
    b.Property("AutoAlign", &TF2Button::AutoAlign, &TF2Button::SetAutoAlign)
        .Default(true)
        .Property("F2Control", &TF2Button::F2Control, &TF2Button::SetF2Control)
        .Property("Gap", &TF2Button::Gap, &TF2Button::SetGap)
        .Default(uint8_t{2})
        // A new button is flat with glyph 8: those values are its defaults,
        // so a resource keeps a button made plain or given glyph 0.
        .Property("Flat", &TF2Button::Flat, &TF2Button::SetFlat)
        .Default(true)
        .Property("GlyphIndex", &TF2Button::GlyphIndex, &TF2Button::SetGlyphIndex)
        .Default(int32_t{8});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TF2Button::SetAutoAlign(bool value) {
  FAutoAlign = value;
  AlignToControl();
}

void TF2Button::SetGap(uint8_t value) {
  if (value == FGap) return;
  FGap = value;
  AlignToControl();
}

void TF2Button::SetF2Control(TWinControl* value) {
  if (value != nullptr && Parent() != nullptr) {
    const TWinControl* parent = Parent();
    bool attachedHere = false;
    for (int i = 0; i < parent->ComponentCount(); ++i) {
      const auto* other = dynamic_cast<const TF2Button*>(parent->Components(i));
      if (other == nullptr || other->FF2Control != value) continue;
      if (other != this) {
        ShowErrorBox(F2ButtonDuplicateText);
        return;
      }
      attachedHere = true;
    }
    if (attachedHere) return;
  }
  if (FF2Control != nullptr && FF2Control != value) RemoveFreeNotification(FF2Control);
  FF2Control = value;
  if (value == nullptr) return;
  FreeNotification(value);
  AlignToControl();
}

void TF2Button::AlignToControl() {
  if (!FAutoAlign || FF2Control == nullptr) return;
  const TWinControl& c = *FF2Control;
  const int side = c.Height();
  SetBounds(c.Left() + c.Width() + FGap, c.Top(), side, side);
}

void TF2Button::Click() {
  TGSpeedButton::Click();
  // Read after OnClick: the handler may have detached or re-attached it.
  TWinControl* control = FF2Control;
  if (control == nullptr || !control->Enabled()) return;
  if (control->CanFocus()) control->SetFocus();
  if (!control->Focused()) return;
  auto* owner = dynamic_cast<TWinControl*>(control->Owner());
  if (owner == nullptr) return;
  SendMessage(owner->Handle(), UM_CONTROL, 0, reinterpret_cast<LPARAM>(static_cast<TComponent*>(control)));
}

void TF2Button::Notification(TComponent* component, TOperation operation) {
  TGSpeedButton::Notification(component, operation);
  if (operation == opRemove && component == FF2Control) FF2Control = nullptr;
}

void RegisterF2ButtonClasses() {
  RegisterGSpdBtnClasses();
  RegisterClasses({&TF2Button::StaticClass()});
}
