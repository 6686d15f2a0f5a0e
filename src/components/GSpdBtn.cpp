#include "components/GSpdBtn.h"

#include "components/GlyphLib.h"
#include "platform/rtl/NumConv.h"
#include "platform/vcl/ClassBuilder.h"

void ApplyGlyphIndex(TSpeedButton& button, int32_t index) {
  button.SetCaption(IntToStr(index));
  TBitmap& glyph = *button.Glyph();
  try {
    // 0 never needs the library: a button can always be emptied.
    if (index == 0 || index > GlyphLibraryMaxID()) {
      glyph.Clear();
      return;
    }
    // A number the library does not hold is shown as the number alone, not
    // beside the picture of the previous number.
    if (!LoadLibraryGlyph(glyph, index)) {
      glyph.Clear();
      return;
    }
    const int count = glyph.Height() > 0 ? glyph.Width() / glyph.Height() : 0;
    button.SetNumGlyphs(count);  // EInvalidOperation outside 1..4
    button.SetCaption(AnsiString());
  } catch (const std::exception&) {
    glyph.Clear();
    button.SetCaption(IntToStr(index));
    ShowGlyphLoadError();
  }
}

TGSpeedButton::TGSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

const TClass& TGSpeedButton::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TGSpeedButton> b;
    // The glyph always comes from the library, so the form never keeps it.
    b.Property("Glyph", &TGSpeedButton::Glyph, &TGSpeedButton::SetGlyph)
        .Stored(false)
        .Property("GlyphIndex", &TGSpeedButton::GlyphIndex, &TGSpeedButton::SetGlyphIndex)
        .Default(0)
        .Property("HintIndex", &TGSpeedButton::HintIndex, &TGSpeedButton::SetHintIndex)
        .Default(0);
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TGSpeedButton::SetGlyphIndex(int32_t value) {
  if (value == FGlyphIndex) return;
  FGlyphIndex = value;
  ApplyGlyphIndex(*this, value);
}

void RegisterGSpdBtnClasses() { RegisterClasses({&TGSpeedButton::StaticClass()}); }
