// ZUBDialogCF: the small dialog base of the plug-in. It converts itself when
// it is made (a dialog is complete after creation), takes the caption of
// the form that owns it, moves on to the next control with Enter as a data
// entry form does, and hands F2, F3 and F4 (and the private messages that
// ask for the same from a control) to three actions descendants replace.
//
// Showing it applies the language files as every base form does. The rule
// that, on showing, cut the selected item of the grid pack's data-aware
// combo boxes at its tab (display text, tab, stored value) has no class
// here: that combo box is not part of this component model.
#pragma once

#include <cstdint>

#include "forms/base/ZUBForm.h"
#include "platform/win/Messages.h"

// The private messages that ask for the F2, F3 and F4 action on the control
// whose address is in lParam (wParam unused).
inline constexpr UINT UM_DIALOG_F2 = WM_USER + 10;
inline constexpr UINT UM_DIALOG_F3 = WM_USER + 11;
inline constexpr UINT UM_DIALOG_F4 = WM_USER + 12;

class TfrmZUBDialog : public TZUBForm {
  KULR_CLASS(TfrmZUBDialog, TZUBForm)
  explicit TfrmZUBDialog(TComponent* owner);

  // OnCreate: the base form's creation step, the conversion of the whole
  // dialog (it counts as ConvertOnce: a later ConvertOnce does nothing),
  // then the owner form's caption.
  void FormCreate(TObject* sender);
  // OnKeyDown: F2, F3 and F4 call their action with the active control.
  void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift);
  // OnKeyPress: Enter moves the focus to the next control in tab order and
  // is swallowed, except in a memo (a line break) and in a grid or its cell
  // editor (the grid's own Enter).
  void FormKeyPress(TObject* sender, char& key);

  // The actions; control may be nil. Here: focus control when it can take
  // the focus.
  virtual void DoF2(uint16_t key, TControl* control);
  virtual void DoF3(uint16_t key, TControl* control);
  virtual void DoF4(uint16_t key, TControl* control);

  // UM_DIALOG_F2..F4: the action with the control in lParam, only when
  // lParam is the address of a live control of this form; anything else is
  // ignored (the value comes from a message queue anyone can post to).
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  void FocusIfPossible(TControl* control);
};

// Registers TfrmZUBDialog.
void RegisterZUBDialogClasses();
