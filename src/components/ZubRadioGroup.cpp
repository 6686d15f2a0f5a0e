#include "components/ZubRadioGroup.h"

#include "platform/vcl/ClassBuilder.h"

TZubGroupButton::TZubGroupButton(TComponent* owner) : TZubRadioButton(owner) {}

TZubRadioGroup::TZubRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}

TRadioButton* TZubRadioGroup::CreateButton() { return NewObject<TZubGroupButton>(this); }

const TClass& TZubGroupButton::StaticClass() {
  static const TClass& record = TClassBuilder<TZubGroupButton>().Factory().Build();
  return record;
}

const TClass& TZubRadioGroup::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TZubRadioGroup> b;
    TControl::PublishInherited<TZubRadioGroup>(b, {"Align", "Anchors", "Caption", "Color"});
    b.Property("Columns", &TZubRadioGroup::Columns, &TZubRadioGroup::SetColumns).Default(1);
    TControl::PublishInherited<TZubRadioGroup>(b, {"Enabled", "Font"});
    // ItemIndex before Items, as resources write them; Loaded joins them.
    b.Property("ItemIndex", &TZubRadioGroup::ItemIndex, &TZubRadioGroup::SetItemIndex)
        .Default(-1)
        .Property("Items", &TZubRadioGroup::Items, &TZubRadioGroup::SetItems);
    TControl::PublishInherited<TZubRadioGroup>(
        b, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop",
            "Visible", "OnClick", "OnEnter", "OnExit"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void RegisterZubRadioGroupClasses() {
  RegisterClasses({&TZubRadioGroup::StaticClass(), &TZubGroupButton::StaticClass()});
}
