// TF2Button: the small glyph button that sits right beside an edit (its
// F2Control) and, when clicked, asks the edit's form to run its F2 action
// for that edit, exactly as if the user had pressed F2 in it. The request
// is the form message UM_CONTROL (WM_USER + 10) with the control in lParam,
// which the form hands to its ControlMessage. A button without F2Control is
// a plain glyph button.
#pragma once

#include <cstdint>

#include "components/GSpdBtn.h"

// The message of the error box that refuses a second button for a control.
extern const char* const F2ButtonDuplicateText;

class TF2Button : public TGSpeedButton {
  KULR_CLASS(TF2Button, TGSpeedButton)
  // A new button is flat and shows glyph 8.
  explicit TF2Button(TComponent* owner);

  // Keep the button square and directly right of F2Control. Setting it
  // (True) aligns the button at once. There is no designer here, so a
  // control that moves later is not followed: the owner re-aligns by
  // setting AutoAlign again.
  bool AutoAlign() const { return FAutoAlign; }
  void SetAutoAlign(bool value);
  // The control the button belongs to. Setting a control first looks
  // through the components owned by the button's parent control: another
  // TF2Button already attached to that control refuses the assignment with
  // the error box F2ButtonDuplicateText; this very button already attached
  // makes it a silent no-op. A button without a parent, or on a parent
  // that owns nothing (a panel), is not checked. Null detaches. The
  // reference is dropped when the control is freed, so a click never
  // reaches a dead control.
  TWinControl* F2Control() const { return FF2Control; }
  void SetF2Control(TWinControl* value);
  // Horizontal distance in pixels between F2Control and the button.
  uint8_t Gap() const { return FGap; }
  // Aligns again only when the value changes.
  void SetGap(uint8_t value);

  // With AutoAlign and a control: Height = the control's height, Width =
  // that height, Top = the control's top, Left = the control's right edge
  // + Gap. Otherwise nothing.
  void AlignToControl();

  // OnClick first; then, for an enabled F2Control, the control is focused
  // when it can take the focus and, if it then has the focus, UM_CONTROL
  // with lParam = the control goes (sent, so the F2 action has run when
  // Click returns) to the window of the control's owner. An owner that is
  // no windowed control gets nothing.
  void Click() override;

  void Notification(TComponent* component, TOperation operation) override;

private:
  bool FAutoAlign = true;
  TWinControl* FF2Control = nullptr;
  uint8_t FGap = 2;
};

// Registers TF2Button (and the TGSpeedButton it derives from) for form
// resources; calling it again is harmless.
void RegisterF2ButtonClasses();
