// The forms' spin edit: the platform spin edit with a filter on its text,
// so that a "+" or "-" standing anywhere but first never reaches the
// number, and a change notification only for a text that holds something.
#pragma once

#include "platform/vcl/Spin.h"

// Keys: as the spin edit (digits, "+", "-" and control keys only).
//
// Text filter, run on every change of the text (typed, pasted or set by
// code): every "+" after the first character is removed, then every "-"
// after it. So a sign typed at the end of "12" is dropped again ("12"), and
// a "-" typed first gives a negative number. The stray sign itself goes,
// never a digit: "1+2" becomes "12". The caret stays where the user left it
// (less what was removed before it).
//
// OnChange: raised once per change, after the filter, with the final text,
// and only when that text trimmed is not empty.
class TZubSpinEdit : public TSpinEdit {
  KULR_CLASS(TZubSpinEdit, TSpinEdit)
  explicit TZubSpinEdit(TComponent* owner);

  // The text with stray signs removed (see above).
  static AnsiString FilterSigns(const AnsiString& text);

protected:
  void Change() override;

private:
  bool FFiltering = false;  // the filter is setting the text
};

// Registers TZubSpinEdit for form resources. Idempotent.
void RegisterZubSpinClasses();
