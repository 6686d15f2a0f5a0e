#include "components/BtChkBox.h"

#include <string>

#include "components/GlyphLib.h"
#include "platform/vcl/ClassBuilder.h"

namespace {

// The library's picture of each state, by TCheckBoxState.
const char* const kDefaultNames[] = {"UNCHECKED", "CHECKED", "GRAYED"};

// Gap between the image and the caption.
constexpr int kCaptionSpacing = 4;

AnsiString Describe(const TComponent* c) {
  return c->Name().empty() ? AnsiString(c->ClassName()) : c->Name();
}

}  // namespace

TBitCheckBox::TBitCheckBox(TComponent* owner) : TCustomControl(owner) {
  for (TStateGlyph& glyph : FGlyphs) glyph.Bitmap = std::make_unique<TBitmap>();
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
  LoadDefaults({cbUnchecked, cbChecked, cbGrayed});
}

TBitCheckBox::~TBitCheckBox() = default;

const TClass& TBitCheckBox::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TBitCheckBox> b;
    b.Property("Alignment", &TBitCheckBox::Alignment, &TBitCheckBox::SetAlignment, LeftRightTypeInfo())
        .Default(taRightJustify)
        .Property("AllowGrayed", &TBitCheckBox::AllowGrayed, &TBitCheckBox::SetAllowGrayed)
        .Default(false);
    TControl::PublishInherited<TBitCheckBox>(b, {"Anchors", "Caption"});
    b.Property("Checked", &TBitCheckBox::Checked, &TBitCheckBox::SetChecked).Default(false);
    // The pictures come from the library or from code, never from a form.
    b.Property("CheckedGlyph", &TBitCheckBox::CheckedGlyph, &TBitCheckBox::SetCheckedGlyph)
        .Stored(false)
        .Property("CheckedNumGlyphs", &TBitCheckBox::CheckedNumGlyphs, &TBitCheckBox::SetCheckedNumGlyphs)
        .Default(1);
    TControl::PublishInherited<TBitCheckBox>(b, {"Color", "Enabled", "Font"});
    b.Property("GrayedGlyph", &TBitCheckBox::GrayedGlyph, &TBitCheckBox::SetGrayedGlyph)
        .Stored(false)
        .Property("GrayedNumGlyphs", &TBitCheckBox::GrayedNumGlyphs, &TBitCheckBox::SetGrayedNumGlyphs)
        .Default(1);
    TControl::PublishInherited<TBitCheckBox>(b, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu",
                                                 "ShowHint"});
    b.Property("State", &TBitCheckBox::State, &TBitCheckBox::SetState).Default(cbUnchecked);
    TControl::PublishInherited<TBitCheckBox>(b, {"TabOrder"});
    TControl::PublishInherited<TBitCheckBox>(b, {"TabStop"}).Default(true);
    b.Property("UncheckedGlyph", &TBitCheckBox::UncheckedGlyph, &TBitCheckBox::SetUncheckedGlyph)
        .Stored(false)
        .Property("UncheckedNumGlyphs", &TBitCheckBox::UncheckedNumGlyphs, &TBitCheckBox::SetUncheckedNumGlyphs)
        .Default(1);
    TControl::PublishInherited<TBitCheckBox>(b, {"Visible", "OnClick", "OnDblClick", "OnEnter", "OnExit",
                                                 "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown",
                                                 "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TBitCheckBox::CheckState(TCheckBoxState state) const {
  if (static_cast<int>(state) < cbUnchecked || static_cast<int>(state) > cbGrayed)
    throw EConvertError(Describe(this) + ": " + std::to_string(static_cast<int>(state)) +
                        " is not a TCheckBoxState value");
}

void TBitCheckBox::SetAlignment(TAlignment value) {
  if (value != taLeftJustify && value != taRightJustify)
    throw EConvertError(Describe(this) + ".Alignment: " + std::to_string(static_cast<int>(value)) +
                        " is not taLeftJustify or taRightJustify");
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TBitCheckBox::SetState(TCheckBoxState value) {
  CheckState(value);
  if (value == FState) return;
  FState = value;
  Invalidate();
}

TBitmap* TBitCheckBox::Glyph(TCheckBoxState state) const {
  CheckState(state);
  return FGlyphs[state].Bitmap.get();
}

void TBitCheckBox::SetGlyph(TCheckBoxState state, TBitmap* value) {
  CheckState(state);
  if (value == nullptr) {
    LoadDefaults({state});
    return;
  }
  TStateGlyph& glyph = FGlyphs[state];
  // Assigning a bitmap to itself is a no-op, not a self-copy.
  if (value != glyph.Bitmap.get()) glyph.Bitmap->Assign(value);
  const int w = glyph.Bitmap->Width();
  const int h = glyph.Bitmap->Height();
  if (w > 0 && h > 0 && w % h == 0) glyph.NumGlyphs = w / h;
  Invalidate();
}

int TBitCheckBox::NumGlyphs(TCheckBoxState state) const {
  CheckState(state);
  return FGlyphs[state].NumGlyphs;
}

void TBitCheckBox::SetNumGlyphs(TCheckBoxState state, int value) {
  CheckState(state);
  if (value < 1)
    throw EInvalidOperation(Describe(this) + ": a glyph count must be 1 or more, not " + std::to_string(value));
  if (value == FGlyphs[state].NumGlyphs) return;
  FGlyphs[state].NumGlyphs = value;
  Invalidate();
}

void TBitCheckBox::LoadDefaults(std::initializer_list<TCheckBoxState> states) {
  try {
    for (TCheckBoxState state : states) {
      TBitmap picture;
      // A picture the library lacks leaves the state without one.
      LoadLibraryBitmap(picture, kDefaultNames[state]);
      SetGlyph(state, &picture);
    }
  } catch (const std::exception&) {
    for (TCheckBoxState state : states) FGlyphs[state].Bitmap->Clear();
    Invalidate();
    ShowGlyphLoadError();
  }
}

TRect TBitCheckBox::ImageRect() const {
  const TStateGlyph& glyph = FGlyphs[FState];
  const TBitmap& bitmap = *glyph.Bitmap;
  if (bitmap.Empty()) return TRect();
  const int width = bitmap.Width() / glyph.NumGlyphs;
  // The disabled image when the strip has one; else the painter shows the
  // first image as it is.
  const int index = !Enabled() && glyph.NumGlyphs >= 2 ? 1 : 0;
  return Rect(index * width, 0, (index + 1) * width, bitmap.Height());
}

TRect TBitCheckBox::GlyphRect() const {
  const TRect image = ImageRect();
  if (image.Width() == 0) return TRect();
  const int top = (ClientHeight() - image.Height()) / 2;
  const int left = FAlignment == taRightJustify ? 0 : ClientWidth() - image.Width();
  return Bounds(left, top, image.Width(), image.Height());
}

TPoint TBitCheckBox::CaptionOrigin() {
  TCanvas& canvas = Canvas();
  canvas.Font().Assign(Font());
  const AnsiString text = StripAccelChars(Caption());
  const int imageWidth = ImageRect().Width();
  const int y = (ClientHeight() - canvas.TextHeight(text)) / 2;
  if (FAlignment == taRightJustify) return TPoint{imageWidth + kCaptionSpacing, y};
  return TPoint{ClientWidth() - imageWidth - kCaptionSpacing - canvas.TextWidth(text), y};
}

void TBitCheckBox::Paint() {
  TCanvas& canvas = Canvas();
  const TRect image = ImageRect();
  if (image.Width() > 0) canvas.CopyRect(GlyphRect(), FGlyphs[FState].Bitmap->Canvas(), image);
  const TPoint origin = CaptionOrigin();
  canvas.Brush().SetStyle(bsClear);
  canvas.TextOut(origin.X, origin.Y, StripAccelChars(Caption()));
}

void TBitCheckBox::Click() {
  switch (FState) {
    case cbUnchecked: FState = FAllowGrayed ? cbGrayed : cbChecked; break;
    case cbGrayed: FState = cbChecked; break;
    case cbChecked: FState = cbUnchecked; break;
  }
  Invalidate();
  TCustomControl::Click();
}

void TBitCheckBox::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (key != ' ') return;
  key = 0;
  Click();
}

void TBitCheckBox::EnabledChanged() {
  TCustomControl::EnabledChanged();
  Invalidate();
}

void TBitCheckBox::TextChanged() {
  TCustomControl::TextChanged();
  Invalidate();
}

void RegisterBtChkBoxClasses() { RegisterClasses({&TBitCheckBox::StaticClass()}); }
