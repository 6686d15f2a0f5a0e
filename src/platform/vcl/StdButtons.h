// TButton: the push button the forms and message dialogs need. A click
// sets the form's modal result (when the button has one) before OnClick;
// a Default button answers Enter and a Cancel button Esc (the form's key
// dispatch asks them). TBitBtn (Buttons.h) adds the picture and the
// kinds.
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

class TButton : public TWinControl {
  KULR_CLASS(TButton, TWinControl)
  explicit TButton(TComponent* owner);

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool value) { FDefault = value; }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }

  // Sets the parent form's ModalResult when the button has a result other
  // than mrNone, then raises OnClick.
  void Click() override;
  // Space clicks a focused button.
  void KeyPress(char& key) override;

private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
};

// Registers TButton.
void RegisterStdButtonsClasses();
