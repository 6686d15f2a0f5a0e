#include "components/DBLabel.h"

#include <algorithm>
#include <string>

#include "platform/data/DB.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Dialogs.h"

namespace {
bool IsLoading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }
}  // namespace

TDBLabel::TDBLabel(TComponent* owner) : TLabel(owner) { SetCaption("挂靠标签"); }

void TDBLabel::SetFocusControl(TWinControl* control) {
  if (control != nullptr && Parent() != nullptr) {
    TWinControl* parent = Parent();
    for (int i = 0; i < parent->ComponentCount(); ++i) {
      auto* label = dynamic_cast<TDBLabel*>(parent->Components(i));
      if (label == nullptr || label->FocusControl() != control) continue;
      if (label != this) MessageDlg("不能同时有两个 DBLabel 指到同一个 Control.", mtError, TMsgDlgButtons{mbOK});
      return;
    }
  }
  TLabel::SetFocusControl(control);
  if (control != nullptr) Refresh();
}

void TDBLabel::SetAutoAlign(bool value) {
  FAutoAlign = value;
  Refresh();
}

void TDBLabel::SetAutoCaption(bool value) {
  FAutoCaption = value;
  Refresh();
}

void TDBLabel::SetGap(uint8_t value) {
  if (value == FGap) return;
  FGap = value;
  Refresh();
}

void TDBLabel::SetPos(TPos value) {
  if (value < psTop || value > psBottom)
    throw EConvertError(Name() + ".Pos: " + std::to_string(static_cast<int>(value)) + " is not a TPos value");
  if (value == FPos) return;
  FPos = value;
  Refresh();
}

void TDBLabel::Refresh() {
  if (IsLoading(this)) return;
  UpdateCaption();
  UpdatePosition();
}

void TDBLabel::Loaded() {
  TLabel::Loaded();
  UpdateCaption();
  UpdatePosition();
}

void TDBLabel::UpdateCaption() {
  TWinControl* control = FocusControl();
  if (!FAutoCaption || control == nullptr) return;
  try {
    const TPropInfo* sourceProp = GetPropInfo(control, "DataSource");
    const TPropInfo* fieldProp = GetPropInfo(control, "DataField");
    if (sourceProp == nullptr || fieldProp == nullptr) return;
    if (sourceProp->PropType().Kind() != tkClass || fieldProp->PropType().Kind() != tkString) return;
    auto* source = dynamic_cast<TDataSource*>(GetObjectProp(control, *sourceProp));
    if (source == nullptr || source->DataSet() == nullptr) return;
    TField* field = source->DataSet()->FindField(GetStrProp(control, *fieldProp));
    if (field == nullptr) return;
    SetCaption(field->DisplayLabel());
  } catch (const Exception&) {
    // A control whose data binding cannot be read keeps the caption it has.
  }
}

void TDBLabel::UpdatePosition() {
  TWinControl* control = FocusControl();
  if (!FAutoAlign || control == nullptr) return;
  const int l = control->Left();
  const int t = control->Top();
  const int w = control->Width();
  const int h = control->Height();
  const int centredTop = Height() == h ? t : t + h / 2 - Height() / 2;
  int left = l;
  int top = t;
  switch (FPos) {
    case psTop: top = t - Height() - FGap; break;
    case psBottom: top = t + h + FGap; break;
    case psLeft:
      left = l - Width() - FGap;
      top = centredTop;
      break;
    case psRight:
      left = l + w + FGap;
      top = centredTop;
      break;
  }
  SetBounds(std::max(left, 0), std::max(top, 0), Width(), Height());
}

const TClass& TDBLabel::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TDBLabel> b;
    b.Property("FocusControl", &TDBLabel::FocusControl, &TDBLabel::SetFocusControl)
        .Property("AutoAlign", &TDBLabel::AutoAlign, &TDBLabel::SetAutoAlign)
        .Default(true)
        .Property("AutoCaption", &TDBLabel::AutoCaption, &TDBLabel::SetAutoCaption)
        .Default(true)
        .Property("Gap", &TDBLabel::Gap, &TDBLabel::SetGap)
        .Default(uint8_t{4})
        .Property("Pos", &TDBLabel::Pos, &TDBLabel::SetPos)
        .Default(psLeft)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterDBLabelClasses() { RegisterClass(TDBLabel::StaticClass()); }
