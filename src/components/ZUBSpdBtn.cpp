#include "components/ZUBSpdBtn.h"

#include "components/GSpdBtn.h"
#include "platform/vcl/ClassBuilder.h"

TZUBSpdBtn::TZUBSpdBtn(TComponent* owner) : TSpeedButton(owner) {}

const TClass& TZUBSpdBtn::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TZUBSpdBtn> b;
    b.Property("Glyph", &TZUBSpdBtn::Glyph, &TZUBSpdBtn::SetGlyph)
        .Stored(false)
        .Property("GlyphIndex", &TZUBSpdBtn::GlyphIndex, &TZUBSpdBtn::SetGlyphIndex)
        .Default(0)
        .Property("HintIndex", &TZUBSpdBtn::HintIndex, &TZUBSpdBtn::SetHintIndex)
        .Default(0);
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TZUBSpdBtn::SetGlyphIndex(int32_t value) {
  if (value == FGlyphIndex) return;
  FGlyphIndex = value;
  ApplyGlyphIndex(*this, value);
}

void RegisterZUBSpdBtnClasses() { RegisterClasses({&TZUBSpdBtn::StaticClass()}); }
