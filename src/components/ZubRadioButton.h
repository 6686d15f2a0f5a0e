// The forms' radio button: a radio button that paints its own caption over
// the system's, at an offset from its left edge that grows with the font's
// point size, so that large fonts do not run into the mark. Its group is
// the other buttons of this class with the same parent.
#pragma once

#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"

// A new button is 113 x 17, unchecked, caption right of the mark.
// Checking it (by code or by the user) unchecks every other TZubRadioButton
// of the same parent (other radio buttons are left alone) and makes it the
// tab stop; by code it raises OnClick unless ClicksDisabled. A user click
// checks it, a double click raises OnDblClick, the caption's accelerator
// focuses and checks it.
//
// Painting (Repaint, recorded on Canvas): with the client rectangle
// (l, t, r, b) and d = CaptionOffset(font size in points), the area
// (l + d - 4, t - 4, r + 4, b + 4) is filled with Color (brush and pen),
// then the caption (accelerator marks removed) is drawn in the button's
// font on one line from x = l + d, vertically centred. Enabling or
// disabling repaints.
class TZubRadioButton : public TRadioButton {
  KULR_CLASS(TZubRadioButton, TRadioButton)
  explicit TZubRadioButton(TComponent* owner);

  // d for a font of pointSize points: 1-8: 17, 9-15: 19, 16-17: 20,
  // 18-23: 21, 24-29: 23, 30-35: 25, 36-41: 27, 42-43: 29, 44-60: 31,
  // 61-80: 39, anything else (0, negative, above 80): 44.
  static int CaptionOffsetForSize(int pointSize);
  // d for the button's own font (the designed -13 pixels is 10 points: 19).
  int CaptionOffset() const;
  // The rectangle painting fills before the caption.
  TRect CaptionArea() const;

  TCanvas& Canvas() { return FCanvas; }
  void Repaint() override;

protected:
  void TurnSiblingsOff() override;
  void EnabledChanged() override;
  virtual void Paint();

private:
  TCanvas FCanvas;
};

// Registers TZubRadioButton for form resources. Idempotent.
void RegisterZubRadioButtonClasses();
