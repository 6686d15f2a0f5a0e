// Glyph buttons: TBitBtn, a push button with a picture and a kind that
// gives it a stock caption and modal result, and TSpeedButton, the flat
// tool-bar button that never takes the focus and can stay down alone or in
// a group of buttons that release each other. Both keep their picture as a
// strip of up to four equal images (up, disabled, pressed, stays down);
// TButtonGlyph says which image a state shows, so a painter and the glyph
// rules of the forms read the same answer.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/StdButtons.h"

KULR_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
// The state a button is painted in: bsDown while the mouse holds it,
// bsExclusive while it stays down.
KULR_ENUM(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)
KULR_ENUM(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore,
          bkAll)

// The picture of a glyph button: a copy of the bitmap it was given, cut
// into NumGlyphs images of equal width, left to right: up, disabled,
// pressed, stays down.
class TButtonGlyph {
public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // The button's own bitmap; code may draw into it or load it in place
  // (NumGlyphs then stays what it was).
  TBitmap* Glyph() const { return FGlyph; }
  // Copies value (null empties the glyph). When the width is a multiple of
  // the height, NumGlyphs becomes width / height if that is 1..4.
  void SetGlyph(const TBitmap* value);
  int NumGlyphs() const { return FNumGlyphs; }
  // EInvalidOperation outside 1..4.
  void SetNumGlyphs(int value);

  // The image a state shows, as its index in the strip, or -1 without a
  // glyph. A state whose own image is missing shows the up image (0);
  // bsDisabled without its own image also shows image 0, which the painter
  // greys (DisabledImageGenerated).
  int ImageIndex(TButtonState state) const;
  bool DisabledImageGenerated(TButtonState state) const { return state == bsDisabled && FNumGlyphs < 2; }
  // Where that image lies in the glyph bitmap; empty without a glyph.
  TRect ImageRect(TButtonState state) const;

private:
  TBitmap* FGlyph;
  int FNumGlyphs = 1;
};

// ---- TBitBtn ----

class TBitBtn : public TButton {
  KULR_CLASS(TBitBtn, TButton)
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;

  TBitmap* Glyph() const { return FGlyph.Glyph(); }
  // Copies the bitmap (null empties it); NumGlyphs follows a strip's
  // shape. A glyph set (or drawn into) after a kind makes the button a
  // custom one.
  void SetGlyph(TBitmap* value);
  int NumGlyphs() const { return FGlyph.NumGlyphs(); }
  void SetNumGlyphs(int value);
  const TButtonGlyph& ButtonGlyph() const { return FGlyph; }

  // A kind other than bkCustom sets Default (bkOK, bkYes), Cancel
  // (bkCancel, bkNo), ModalResult and the kind's caption ("OK", "Cancel",
  // "&Help", "&Yes", "&No", "&Close", "Abort", "&Retry", "&Ignore",
  // "&All"); while the button is read from a resource the caption is only
  // set when none was read before. The kind reads bkCustom again once
  // Default, Cancel, ModalResult or the glyph no longer match it. There are
  // no stock pictures here: the glyph stays as it is.
  TBitBtnKind Kind() const;
  // EConvertError for a value outside TBitBtnKind.
  void SetKind(TBitBtnKind value);

  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  // Distance of the glyph from the edge of its side; -1 centres it.
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  // Distance between glyph and caption.
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);

  // bkClose closes the parent form instead of raising OnClick (without a
  // form it raises OnClick); every other kind is a TButton click, modal
  // result first.
  void Click() override;

private:
  void GlyphChange(TObject* sender);

  TButtonGlyph FGlyph;
  TBitBtnKind FKind = bkCustom;
  bool FModifiedGlyph = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
};

// ---- TSpeedButton ----

// A graphic button: clicking it moves no focus and runs no exit check.
//
// Groups: speed buttons with the same non-zero GroupIndex under the same
// parent form a group in which at most one is down. A user click on an up
// button of a group puts it down and the others up; a user click on the
// down button puts it up only when AllowAllUp. Either way the click raises
// OnClick. A button with GroupIndex 0 only goes down while the mouse holds
// it. A disabled button ignores the mouse.
class TSpeedButton : public TGraphicControl {
  KULR_CLASS(TSpeedButton, TGraphicControl)
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  int GroupIndex() const { return FGroupIndex; }
  // 0 puts the button up; joining a group while down puts the group's
  // other buttons up. A negative index raises EInvalidOperation.
  void SetGroupIndex(int value);
  bool Down() const { return FDown; }
  // Set by code: raises nothing (no OnClick). Down puts the other buttons
  // of the group up. Ignored with GroupIndex 0 (the button stays up), and
  // up is refused for a down button whose group does not allow all up, so
  // that a group always keeps one button down.
  void SetDown(bool value);
  // Shared by the group: setting it on one button sets it on every button
  // of the group.
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);

  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);

  TBitmap* Glyph() const { return FGlyph.Glyph(); }
  // Copies the bitmap (null empties it); NumGlyphs follows a strip's shape.
  void SetGlyph(TBitmap* value);
  int NumGlyphs() const { return FGlyph.NumGlyphs(); }
  void SetNumGlyphs(int value);
  const TButtonGlyph& ButtonGlyph() const { return FGlyph; }

  // The state the button shows now: bsDisabled when disabled, bsDown while
  // the mouse holds it, bsExclusive while it stays down, else bsUp.
  TButtonState State() const;
  // The glyph image that state shows (TButtonGlyph::ImageIndex).
  int GlyphImageIndex() const { return FGlyph.ImageIndex(State()); }

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  // A left release inside the button after its press: a group button
  // toggles (see above). The input door then raises the click.
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
  void EnabledChanged() override;

private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }
  // The other buttons of this button's group under the same parent.
  template <class F>
  void ForEachInGroup(F&& action);
  void UpdateExclusive();
  void GlyphChange(TObject* sender);

  TButtonGlyph FGlyph;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  bool FTransparent = true;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  bool FPressed = false;   // the left button went down here and is held
  bool FHeldDown = false;  // ... and the pointer is over the button
};

// Registers TBitBtn and TSpeedButton.
void RegisterButtonsClasses();
