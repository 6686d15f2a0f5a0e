// The forms' radio group: the platform radio group whose buttons are
// TZubGroupButtons, so that they paint their captions as TZubRadioButton
// does. The group owns its buttons (they are its components and children),
// which is how a form finds the group of a focused button.
#pragma once

#include "components/ZubRadioButton.h"
#include "platform/vcl/ExtCtrls.h"

// The button a TZubRadioGroup makes for each item.
class TZubGroupButton : public TZubRadioButton {
  KULR_CLASS(TZubGroupButton, TZubRadioButton)
  explicit TZubGroupButton(TComponent* owner);
};

// Items, Columns (1), ItemIndex (-1) and the layout, events and ownership
// rules of the platform radio group.
class TZubRadioGroup : public TCustomRadioGroup {
  KULR_CLASS(TZubRadioGroup, TCustomRadioGroup)
  explicit TZubRadioGroup(TComponent* owner);

protected:
  // A TZubGroupButton owned by the group.
  TRadioButton* CreateButton() override;
};

// Registers TZubRadioGroup and TZubGroupButton for form resources.
// Idempotent.
void RegisterZubRadioGroupClasses();
