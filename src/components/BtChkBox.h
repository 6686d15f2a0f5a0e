// TBitCheckBox: a check box drawn from pictures instead of the system's
// box. Each state (unchecked, checked, grayed) has a picture strip of its
// own; a new box takes the glyph library's "UNCHECKED", "CHECKED" and
// "GRAYED" pictures, and a form may give it others. The pictures are never
// stored in a form: they come from the library or from code.
//
// A user's click (or Space) moves the state on and raises OnClick. Setting
// Checked or State by code raises no OnClick: the code that sets it already
// knows, and a handler that sets the box itself would otherwise run twice.
#pragma once

#include <array>
#include <initializer_list>
#include <memory>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/StdCtrls.h"

class TBitCheckBox : public TCustomControl {
  KULR_CLASS(TBitCheckBox, TCustomControl)
  // 97 x 17, a tab stop, with the library's pictures (a library that cannot
  // be loaded leaves the pictures empty and shows the glyph error box once).
  explicit TBitCheckBox(TComponent* owner);
  ~TBitCheckBox() override;

  // Which side the caption is on: taRightJustify (default) or
  // taLeftJustify; EConvertError for taCenter or a value out of range.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  // Whether a click passes through cbGrayed; turning it off keeps a grayed
  // state set by code.
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  bool Checked() const { return FState == cbChecked; }
  // False on a grayed box unchecks it. Raises no OnClick.
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  // EConvertError outside the enumeration. Raises no OnClick.
  void SetState(TCheckBoxState value);

  // The picture of each state. Setting one copies it; null loads the
  // library's picture again. When the width is a multiple of the height,
  // the state's glyph count becomes width / height.
  TBitmap* CheckedGlyph() const { return Glyph(cbChecked); }
  void SetCheckedGlyph(TBitmap* value) { SetGlyph(cbChecked, value); }
  TBitmap* UncheckedGlyph() const { return Glyph(cbUnchecked); }
  void SetUncheckedGlyph(TBitmap* value) { SetGlyph(cbUnchecked, value); }
  TBitmap* GrayedGlyph() const { return Glyph(cbGrayed); }
  void SetGrayedGlyph(TBitmap* value) { SetGlyph(cbGrayed, value); }
  // How many images each strip holds (1 or more; EInvalidOperation below
  // 1): the first is shown while the box is enabled, the second (when
  // there is one) while it is disabled.
  int CheckedNumGlyphs() const { return NumGlyphs(cbChecked); }
  void SetCheckedNumGlyphs(int value) { SetNumGlyphs(cbChecked, value); }
  int UncheckedNumGlyphs() const { return NumGlyphs(cbUnchecked); }
  void SetUncheckedNumGlyphs(int value) { SetNumGlyphs(cbUnchecked, value); }
  int GrayedNumGlyphs() const { return NumGlyphs(cbGrayed); }
  void SetGrayedNumGlyphs(int value) { SetNumGlyphs(cbGrayed, value); }

  TBitmap* Glyph(TCheckBoxState state) const;
  void SetGlyph(TCheckBoxState state, TBitmap* value);
  int NumGlyphs(TCheckBoxState state) const;
  void SetNumGlyphs(TCheckBoxState state, int value);

  // What the painter shows now: the image of the current state's strip
  // (its rectangle in that bitmap; empty without a picture), where it goes
  // in the box (vertically centred, at the left edge when the caption is on
  // the right, else at the right edge), and where the caption starts (4
  // pixels from the image, vertically centred by the font's text height).
  TRect ImageRect() const;
  TRect GlyphRect() const;
  TPoint CaptionOrigin();

  // A user's click: unchecked -> checked (-> grayed first with
  // AllowGrayed) -> unchecked, grayed -> checked; then OnClick.
  void Click() override;
  // Space clicks the box.
  void KeyPress(char& key) override;

protected:
  void Paint() override;
  void EnabledChanged() override;
  void TextChanged() override;

private:
  // Loads the library's picture of each state given; a failure empties
  // those pictures and shows the glyph error box once.
  void LoadDefaults(std::initializer_list<TCheckBoxState> states);
  void CheckState(TCheckBoxState state) const;

  struct TStateGlyph {
    std::unique_ptr<TBitmap> Bitmap;
    int NumGlyphs = 1;
  };
  std::array<TStateGlyph, 3> FGlyphs;  // by TCheckBoxState
  TAlignment FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  TCheckBoxState FState = cbUnchecked;
};

// Registers TBitCheckBox for form resources; calling it again is harmless.
void RegisterBtChkBoxClasses();
