#include "platform/vcl/Buttons.h"

#include <string>

#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Forms.h"

// Sections: the glyph strip; TBitBtn; TSpeedButton; registration.

namespace {

AnsiString Describe(const TComponent* component) {
  if (component->Name().empty()) return "a " + component->ClassName();
  return component->Name() + " (" + component->ClassName() + ")";
}

// Layout and margin checks shared by the bit button and the speed button.
void CheckLayout(const TComponent* button, TButtonLayout value) {
  if (static_cast<int>(value) < blGlyphLeft || static_cast<int>(value) > blGlyphBottom)
    throw EConvertError(Describe(button) + ": " + std::to_string(static_cast<int>(value)) +
                        " is not a TButtonLayout value");
}

void CheckMargin(const TComponent* button, int value) {
  if (value < -1)
    throw EInvalidOperation(Describe(button) + ": Margin must be -1 or more, not " + std::to_string(value));
}

}  // namespace

// ---- The glyph strip ----

TButtonGlyph::TButtonGlyph() : FGlyph(new TBitmap) {}

TButtonGlyph::~TButtonGlyph() { Free(FGlyph); }

void TButtonGlyph::SetGlyph(const TBitmap* value) {
  FGlyph->Assign(value);
  if (value == nullptr || value->Height() <= 0 || value->Width() % value->Height() != 0) return;
  // A strip of square images tells its own count; a longer one is a
  // picture, not a strip, and keeps the count.
  const int count = value->Width() / value->Height();
  if (count >= 1 && count <= 4) FNumGlyphs = count;
}

void TButtonGlyph::SetNumGlyphs(int value) {
  if (value < 1 || value > 4)
    throw EInvalidOperation("NumGlyphs must lie in 1..4, not " + std::to_string(value));
  FNumGlyphs = value;
}

int TButtonGlyph::ImageIndex(TButtonState state) const {
  if (FGlyph->Empty()) return -1;
  const int own = static_cast<int>(state);
  return own < FNumGlyphs ? own : 0;
}

TRect TButtonGlyph::ImageRect(TButtonState state) const {
  const int index = ImageIndex(state);
  if (index < 0) return TRect{};
  const int width = FGlyph->Width() / FNumGlyphs;
  return Rect(index * width, 0, (index + 1) * width, FGlyph->Height());
}

// ---- TBitBtn ----

namespace {

struct TKindInfo {
  const char* Caption;
  TModalResult Result;
};

// Indexed by TBitBtnKind.
const TKindInfo kKinds[] = {
    {"", mrNone},          {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
    {"&Yes", mrYes},       {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
    {"&Retry", mrRetry},   {"&Ignore", mrIgnore}, {"&All", mrAll},
};

bool KindIsDefault(TBitBtnKind kind) { return kind == bkOK || kind == bkYes; }
bool KindIsCancel(TBitBtnKind kind) { return kind == bkCancel || kind == bkNo; }

}  // namespace

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
  FGlyph.Glyph()->SetOnChange(TNotifyEvent(this, &TBitBtn::GlyphChange));
}

TBitBtn::~TBitBtn() = default;

const TClass& TBitBtn::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TBitBtn> b;
    b.Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph)
        .Stored(false)
        .Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind)
        .Default(bkCustom)
        .Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout)
        .Default(blGlyphLeft)
        .Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin)
        .Default(-1)
        .Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs)
        .Default(1)
        .Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing)
        .Default(4)
        .Factory();
    return b.Build();
  }();
  return record;
}

void TBitBtn::GlyphChange(TObject*) {
  FModifiedGlyph = true;
  Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* value) {
  FGlyph.SetGlyph(value);
  FModifiedGlyph = true;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(int value) {
  if (value == FGlyph.NumGlyphs()) return;
  FGlyph.SetNumGlyphs(value);
  Invalidate();
}

TBitBtnKind TBitBtn::Kind() const {
  if (FKind == bkCustom) return bkCustom;
  const TKindInfo& info = kKinds[FKind];
  if (KindIsDefault(FKind) != Default() || KindIsCancel(FKind) != Cancel() || ModalResult() != info.Result ||
      FModifiedGlyph)
    return bkCustom;
  return FKind;
}

void TBitBtn::SetKind(TBitBtnKind value) {
  if (static_cast<int>(value) < bkCustom || static_cast<int>(value) > bkAll)
    throw EConvertError(Describe(this) + ": " + std::to_string(static_cast<int>(value)) +
                        " is not a TBitBtnKind value");
  if (value == Kind()) return;
  if (value != bkCustom) {
    SetDefault(KindIsDefault(value));
    SetCancel(KindIsCancel(value));
    SetModalResult(kKinds[value].Result);
    // A caption read before the kind is the designer's own and stays.
    if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(kKinds[value].Caption);
    FModifiedGlyph = false;
  }
  FKind = value;
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value) {
  CheckLayout(this, value);
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TBitBtn::SetMargin(int value) {
  CheckMargin(this, value);
  if (value == FMargin) return;
  FMargin = value;
  Invalidate();
}

void TBitBtn::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TBitBtn::Click() {
  if (Kind() == bkClose) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

// ---- TSpeedButton ----

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 23, 22);
  FGlyph.Glyph()->SetOnChange(TNotifyEvent(this, &TSpeedButton::GlyphChange));
}

TSpeedButton::~TSpeedButton() = default;

const TClass& TSpeedButton::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TSpeedButton> b;
    // AllowAllUp and GroupIndex come before Down, so that a resource puts a
    // button into its group before pressing it.
    b.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp)
        .Default(false);
    TControl::PublishInherited<TSpeedButton>(b, {"Anchors"});
    b.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex)
        .Default(0)
        .Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown)
        .Default(false);
    TControl::PublishInherited<TSpeedButton>(b, {"Caption", "Enabled"});
    b.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
    TControl::PublishInherited<TSpeedButton>(b, {"Font"});
    b.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph)
        .Stored(false)
        .Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout)
        .Default(blGlyphLeft)
        .Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin)
        .Default(-1)
        .Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs)
        .Default(1);
    TControl::PublishInherited<TSpeedButton>(b, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"});
    b.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing)
        .Default(4)
        .Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent)
        .Default(true);
    TControl::PublishInherited<TSpeedButton>(
        b, {"Visible", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TSpeedButton::GlyphChange(TObject*) { Invalidate(); }

void TSpeedButton::SetGlyph(TBitmap* value) {
  FGlyph.SetGlyph(value);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int value) {
  if (value == FGlyph.NumGlyphs()) return;
  FGlyph.SetNumGlyphs(value);
  Invalidate();
}

template <class F>
void TSpeedButton::ForEachInGroup(F&& action) {
  if (FGroupIndex == 0 || Parent() == nullptr) return;
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(parent->Controls(i));
    if (other != nullptr && other != this && other->FGroupIndex == FGroupIndex) action(*other);
  }
}

void TSpeedButton::UpdateExclusive() {
  ForEachInGroup([this](TSpeedButton& other) {
    if (FDown && other.FDown) {
      other.FDown = false;
      other.Invalidate();
    }
    other.FAllowAllUp = FAllowAllUp;
  });
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value < 0)
    throw EInvalidOperation(Describe(this) + ": GroupIndex must not be negative (" + std::to_string(value) + ")");
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  if (value == 0 && FDown) {
    FDown = false;
    Invalidate();
  }
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  // A group that may not be all up keeps its down button down.
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  FAllowAllUp = value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
  CheckLayout(this, value);
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TSpeedButton::SetMargin(int value) {
  CheckMargin(this, value);
  if (value == FMargin) return;
  FMargin = value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

TButtonState TSpeedButton::State() const {
  if (!Enabled()) return bsDisabled;
  if (FDown) return bsExclusive;
  if (FHeldDown) return bsDown;
  return bsUp;
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // A disabled button is not there for the mouse.
  if (!Enabled()) return;
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  FPressed = true;
  FHeldDown = true;
  Invalidate();
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  if (!Enabled()) return;
  TGraphicControl::MouseMove(shift, x, y);
  if (!FPressed) return;
  const bool over = Inside(x, y);
  if (over == FHeldDown) return;
  FHeldDown = over;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (!Enabled()) return;
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FPressed) return;
  FPressed = false;
  FHeldDown = false;
  Invalidate();
  if (FGroupIndex != 0 && Inside(x, y)) SetDown(!FDown);
}

void TSpeedButton::EnabledChanged() {
  TGraphicControl::EnabledChanged();
  FPressed = false;
  FHeldDown = false;
  Invalidate();
}

// ---- Registration ----

void RegisterButtonsClasses() {
  RegisterClasses({&TBitBtn::StaticClass(), &TSpeedButton::StaticClass()});
}
