// A label that attaches itself to a control: it keeps itself beside the
// control (above, left, right or below, a gap away) and can take its
// caption from the display label of the control's data field, so a form
// designer places and names the control once.
#pragma once

#include <cstdint>

#include "platform/vcl/StdCtrls.h"

KULR_ENUM(TPos, psTop, psLeft, psRight, psBottom)

// A new label reads "挂靠标签", is auto-sized, attached to nothing, with
// AutoAlign and AutoCaption on, Gap 4 and Pos psLeft.
//
// Caption (only with AutoCaption and a FocusControl): when the control
// publishes an object property "DataSource" holding a TDataSource with a
// data set, and a string property "DataField", the caption becomes the
// display label of that field; anything missing or failing on the way
// (no such field) leaves the caption as it is. Read by name, so any
// data-aware control will do.
//
// Position (only with AutoAlign and a FocusControl), every coordinate at
// least 0; with the control at (L, T), W x H, the label w x h, gap g:
// - psTop: (L, T - h - g); psBottom: (L, T + H + g);
// - psLeft: (L - w - g, top c); psRight: (L + W + g, top c), where
//   c = T when h = H, otherwise T + H div 2 - h div 2.
//
// Caption, then position, are redone when FocusControl, AutoAlign or
// AutoCaption is set, and when Gap or Pos changes. While the label is read
// from a form resource this waits for Loaded, when the control's bounds
// and the label's own size are final.
class TDBLabel : public TLabel {
  KULR_CLASS(TDBLabel, TLabel)
  explicit TDBLabel(TComponent* owner);

  // Attaching: among the components owned by the label's parent, another
  // TDBLabel already attached to control refuses the assignment with the
  // error box "不能同时有两个 DBLabel 指到同一个 Control." (OK only); the
  // label itself found there makes it a silent no-op. A label without a
  // parent, or whose parent owns nothing (a panel), is not checked.
  // Cleared when the control is freed.
  TWinControl* FocusControl() const { return TLabel::FocusControl(); }
  void SetFocusControl(TWinControl* control);
  bool AutoAlign() const { return FAutoAlign; }
  void SetAutoAlign(bool value);
  bool AutoCaption() const { return FAutoCaption; }
  void SetAutoCaption(bool value);
  uint8_t Gap() const { return FGap; }
  void SetGap(uint8_t value);
  // EConvertError outside the enumeration.
  TPos Pos() const { return FPos; }
  void SetPos(TPos value);

  // Caption, then position, as described above.
  void UpdateCaption();
  void UpdatePosition();

  void Loaded() override;

private:
  void Refresh();

  bool FAutoAlign = true;
  bool FAutoCaption = true;
  uint8_t FGap = 4;
  TPos FPos = psLeft;
};

// Registers TDBLabel for form resources. Idempotent.
void RegisterDBLabelClasses();
