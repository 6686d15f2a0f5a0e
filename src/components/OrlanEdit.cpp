#include "components/OrlanEdit.h"

#include <string>

#include "platform/vcl/ClassBuilder.h"

TPoint AttachedLabelPos(const TRect& edit, int labelWidth, int labelHeight, TLabelPosition position,
                        int spacing) {
  const int centredTop = edit.Top + (edit.Height() - labelHeight) / 2;
  switch (position) {
    case lpAbove: return Point(edit.Left, edit.Top - labelHeight - spacing);
    case lpBelow: return Point(edit.Left, edit.Bottom + spacing);
    case lpLeft: return Point(edit.Left - labelWidth - spacing, centredTop);
    case lpRight: return Point(edit.Right + spacing, centredTop);
  }
  throw EConvertError("AttachedLabelPos: " + std::to_string(static_cast<int>(position)) +
                      " is not a TLabelPosition value");
}

TZubEdit::TZubEdit(TComponent* owner) : TEdit(owner) {
  FEditLabel = NewObject<TLabel>(this);
  FEditLabel->SetName("EditLabel");
  FEditLabel->SetFocusControl(this);
}

AnsiString TZubEdit::Caption() const { return FEditLabel != nullptr ? FEditLabel->Caption() : AnsiString(); }

void TZubEdit::SetCaption(const AnsiString& value) {
  if (FEditLabel == nullptr) return;
  FEditLabel->SetCaption(value);
  PlaceLabel();
}

void TZubEdit::SetLabelPosition(TLabelPosition value) {
  if (value < lpAbove || value > lpRight)
    throw EConvertError(Name() + ".LabelPosition: " + std::to_string(static_cast<int>(value)) +
                        " is not a TLabelPosition value");
  FLabelPosition = value;
  PlaceLabel();
}

void TZubEdit::SetLabelSpacing(int value) {
  if (value < 0) return;
  FLabelSpacing = value;
  PlaceLabel();
}

void TZubEdit::PlaceLabel() {
  if (FEditLabel == nullptr) return;
  const TPoint at =
      AttachedLabelPos(BoundsRect(), FEditLabel->Width(), FEditLabel->Height(), FLabelPosition, FLabelSpacing);
  FEditLabel->SetBounds(at.X, at.Y, FEditLabel->Width(), FEditLabel->Height());
}

void TZubEdit::SetBounds(int left, int top, int width, int height) {
  TEdit::SetBounds(left, top, width, height);
  PlaceLabel();
}

void TZubEdit::SetParent(TWinControl* parent) {
  TEdit::SetParent(parent);
  if (FEditLabel == nullptr || ComponentState().Contains(csDestroying)) return;
  FEditLabel->SetParent(parent);
  PlaceLabel();
}

void TZubEdit::Loaded() {
  TEdit::Loaded();
  PlaceLabel();
}

void TZubEdit::EnabledChanged() {
  TEdit::EnabledChanged();
  if (FEditLabel != nullptr) FEditLabel->SetEnabled(Enabled());
}

void TZubEdit::VisibleChanged() {
  TEdit::VisibleChanged();
  if (FEditLabel != nullptr) FEditLabel->SetVisible(Visible());
}

void TZubEdit::Notification(TComponent* component, TOperation operation) {
  TEdit::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FEditLabel) FEditLabel = nullptr;
}

const TClass& TZubEdit::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TZubEdit> b;
    b.Property("Caption", &TZubEdit::Caption, &TZubEdit::SetCaption)
        .Property("LabelPosition", &TZubEdit::LabelPosition, &TZubEdit::SetLabelPosition)
        .Default(lpLeft)
        .Property("LabelSpacing", &TZubEdit::LabelSpacing, &TZubEdit::SetLabelSpacing)
        .Default(4)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterOrlanEditClasses() { RegisterClass(TZubEdit::StaticClass()); }
