// The forms' labelled edit: an edit that makes and owns its caption label
// ("EditLabel") and keeps it beside itself, above, below, left or right,
// LabelSpacing pixels away, through every move, resize and re-parenting.
#pragma once

#include "platform/vcl/StdCtrls.h"

KULR_ENUM(TLabelPosition, lpAbove, lpBelow, lpLeft, lpRight)

// Where the attached label of an edit at (L, T), W x H goes, for a label
// w x h and spacing s (integer division rounds toward zero):
// lpAbove (L, T - h - s); lpBelow (L, T + H + s);
// lpLeft (L - w - s, T + (H - h) div 2); lpRight (L + W + s, same top).
TPoint AttachedLabelPos(const TRect& edit, int labelWidth, int labelHeight, TLabelPosition position,
                        int spacing);

// The label is a TLabel named "EditLabel", owned by the edit, empty, with
// the edit as its FocusControl (its accelerator focuses the edit). It lies
// in the edit's parent, is enabled and visible with the edit, and is
// placed again whenever the edit's bounds, Caption, LabelPosition or
// LabelSpacing change. When the label is freed first, the edit forgets it
// (Caption is then empty and setting it does nothing).
//
// Caption here is the label's text: the published "Caption" and this
// class's Caption()/SetCaption() (which hide the control's own caption,
// the edit's text, on purpose) are both the label's.
class TZubEdit : public TEdit {
  KULR_CLASS(TZubEdit, TEdit)
  explicit TZubEdit(TComponent* owner);

  TLabel* EditLabel() const { return FEditLabel; }

  AnsiString Caption() const;
  void SetCaption(const AnsiString& value);
  // EConvertError outside the enumeration.
  TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(TLabelPosition value);
  // Pixels between edit and label; a negative value is ignored (the
  // spacing stays).
  int LabelSpacing() const { return FLabelSpacing; }
  void SetLabelSpacing(int value);

  // Moves the label to its place (see AttachedLabelPos).
  void PlaceLabel();

  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* parent) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

protected:
  void EnabledChanged() override;
  void VisibleChanged() override;

private:
  TLabel* FEditLabel = nullptr;
  TLabelPosition FLabelPosition = lpLeft;
  int FLabelSpacing = 4;
};

// Registers TZubEdit for form resources. Idempotent.
void RegisterOrlanEditClasses();
