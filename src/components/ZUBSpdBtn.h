// TZUBSpdBtn: the glyph-numbered speed button of the labelled lookup combo.
// It behaves exactly as TGSpeedButton (GlyphIndex, HintIndex, a glyph never
// stored) but is a class of its own, a sibling rather than a descendant, so
// that rules chosen by class (the base form's disabled glyphs) can tell the
// two apart.
#pragma once

#include <cstdint>

#include "platform/vcl/Buttons.h"

class TZUBSpdBtn : public TSpeedButton {
  KULR_CLASS(TZUBSpdBtn, TSpeedButton)
  explicit TZUBSpdBtn(TComponent* owner);

  int32_t GlyphIndex() const { return FGlyphIndex; }
  // As TGSpeedButton::SetGlyphIndex (ApplyGlyphIndex in GSpdBtn.h).
  void SetGlyphIndex(int32_t value);
  int32_t HintIndex() const { return FHintIndex; }
  void SetHintIndex(int32_t value) { FHintIndex = value; }

private:
  int32_t FGlyphIndex = 0;
  int32_t FHintIndex = 0;
};

// Registers TZUBSpdBtn for form resources; calling it again is harmless.
void RegisterZUBSpdBtnClasses();
