// TGSpeedButton: a speed button whose glyph is chosen by number from the
// installation's glyph library (GlyphLib.h) rather than stored with the
// form. The caption shows the number while no glyph is loaded, so a button
// whose glyph the library lacks still says which one it wants.
#pragma once

#include <cstdint>

#include "platform/vcl/Buttons.h"

// The GlyphIndex rule shared by every glyph-numbered button (this one,
// TZUBSpdBtn and the F2 button): after the stored number changed to `index`,
// the caption becomes the number; 0 or a number above the library's highest
// releases the glyph; otherwise the library loads it into the button's
// glyph, and on success the caption is emptied and NumGlyphs becomes width
// div height. A number the library does not hold leaves no glyph and the
// number as caption. Any failure (no library, a strip of an impossible
// shape) leaves no glyph and shows the glyph error box; it never raises.
void ApplyGlyphIndex(TSpeedButton& button, int32_t index);

class TGSpeedButton : public TSpeedButton {
  KULR_CLASS(TGSpeedButton, TSpeedButton)
  explicit TGSpeedButton(TComponent* owner);

  int32_t GlyphIndex() const { return FGlyphIndex; }
  // Nothing happens when the number is the current one; otherwise it is
  // stored and ApplyGlyphIndex runs.
  void SetGlyphIndex(int32_t value);
  // Kept for the form resources; nothing reads it.
  int32_t HintIndex() const { return FHintIndex; }
  void SetHintIndex(int32_t value) { FHintIndex = value; }

private:
  int32_t FGlyphIndex = 0;
  int32_t FHintIndex = 0;
};

// Registers TGSpeedButton for form resources; calling it again is harmless.
void RegisterGSpdBtnClasses();
