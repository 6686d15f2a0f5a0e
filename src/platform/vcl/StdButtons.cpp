#include "platform/vcl/StdButtons.h"

#include "platform/vcl/ClassBuilder.h"

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

const TClass& TButton::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TButton> b;
    TControl::PublishInherited<TButton>(
        b, {"Anchors", "Caption", "Enabled", "Font", "ParentFont", "ParentShowHint", "PopupMenu",
            "ShowHint", "TabOrder", "Visible", "OnClick", "OnEnter", "OnExit", "OnKeyDown",
            "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    TControl::PublishInherited<TButton>(b, {"TabStop"}).Default(true);
    b.Property("Cancel", &TButton::Cancel, &TButton::SetCancel)
        .Default(false)
        .Property("Default", &TButton::Default, &TButton::SetDefault)
        .Default(false)
        .Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
        .Default(0)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterStdButtonsClasses() { RegisterClass(TButton::StaticClass()); }

void TButton::Click() {
  // The result is set first, so that OnClick may still change it (a check
  // that fails puts mrNone back and keeps the dialog open).
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TWinControl::Click();
}

void TButton::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == ' ') {
    key = 0;
    Click();
  }
}
