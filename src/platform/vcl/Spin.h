// The spin controls: TSpinButton, a pair of up and down arrows in one
// window, and TSpinEdit, an edit for a whole number with such a button as
// its child, stepping the number with the arrows and the Up/Down keys and
// keeping it within its limits.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/StdCtrls.h"

// ---- TSpinButton ----

// Two arrows stacked in one windowed control: the upper half is the up
// arrow, the lower half the down arrow. A user click raises OnUpClick or
// OnDownClick for the half that was pressed (there is no OnClick and no
// repeat while held). A left press first focuses FocusControl when that is
// a tab stop that can take the focus, else the button itself when it is a
// tab stop (it is none by default). Keys when it has the focus: Up and
// Down click the arrows, Space the last pressed one.
class TSpinButton : public TWinControl {
  KULR_CLASS(TSpinButton, TWinControl)
  explicit TSpinButton(TComponent* owner);

  // Cleared when that control is freed.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* control);

  const TNotifyEvent& OnUpClick() const { return FOnUpClick; }
  void SetOnUpClick(const TNotifyEvent& handler) { FOnUpClick = handler; }
  const TNotifyEvent& OnDownClick() const { return FOnDownClick; }
  void SetOnDownClick(const TNotifyEvent& handler) { FOnDownClick = handler; }

  // The upper half (the up arrow), the lower half (the down arrow).
  TRect UpRect() const { return Rect(0, 0, Width(), Height() / 2); }
  TRect DownRect() const { return Rect(0, Height() / 2, Width(), Height()); }

  // Raise OnUpClick / OnDownClick.
  void UpClick();
  void DownClick();
  // The click of the arrow pressed last (the up arrow at first).
  void Click() override;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  TWinControl* FFocusControl = nullptr;
  bool FDownPressed = false;  // the down arrow was pressed last
  TNotifyEvent FOnUpClick;
  TNotifyEvent FOnDownClick;
};

// ---- TSpinEdit ----

// An edit holding a whole number. Its TSpinButton is a real child (so
// ControlCount is 1), owned by the edit, sitting at its right edge over the
// full height, 15 pixels wide; its arrows and the Up and Down keys step
// Value by Increment (nothing while ReadOnly).
//
// Limits: MinValue and MaxValue both 0 means no limit; otherwise a value
// below MinValue becomes MinValue and one above MaxValue becomes MaxValue
// (with MinValue above MaxValue, MinValue wins). Changing the limits
// leaves the text as it is; leaving the edit corrects a number outside
// them.
//
// Typing: only digits, "+" and "-" are taken, and control keys other than
// Enter (Backspace among them); a refused key raises no OnKeyPress. With
// EditorEnabled false the user cannot change the text at all, only step it.
//
// The text is not published: resources store Value, and a required-field
// check that looks for a published Text skips a spin edit.
// A new spin edit shows "0".
class TSpinEdit : public TCustomEdit {
  KULR_CLASS(TSpinEdit, TCustomEdit)
  explicit TSpinEdit(TComponent* owner);

  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t value) { FMinValue = value; }
  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t value) { FMaxValue = value; }
  // The text read as a whole number (MinValue when it is none), within
  // the limits.
  int32_t Value() const;
  // Sets the text to the value within the limits (raising OnChange when
  // the text changes, as any text set by code does).
  void SetValue(int32_t value);
  int32_t Increment() const { return FIncrement; }
  void SetIncrement(int32_t value) { FIncrement = value; }
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool value) { FEditorEnabled = value; }

  TSpinButton* Button() const { return FButton; }
  // value within the limits (see above).
  int32_t CheckValue(int32_t value) const;

  // Step Value up or down by Increment, unless ReadOnly (the sum saturates
  // at the 32-bit range).
  void UpClick(TObject* sender);
  void DownClick(TObject* sender);

  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

protected:
  bool IsValidChar(char key) const override;
  bool CanModify() const override;
  void WMSize() override;

private:
  void PlaceButton();

  TSpinButton* FButton = nullptr;
  int32_t FMinValue = 0;
  int32_t FMaxValue = 0;
  int32_t FIncrement = 1;
  bool FEditorEnabled = true;
};

// Registers TSpinButton and TSpinEdit. Idempotent.
void RegisterSpinClasses();
