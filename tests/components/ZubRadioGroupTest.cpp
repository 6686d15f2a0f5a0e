// The forms' radio group: its buttons are TZubGroupButtons owned by the
// group and laid in it, they stay exclusive, and the group's record
// publishes the radio group's properties with their defaults.
#include "components/ZubRadioGroup.h"

#include <gtest/gtest.h>

#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"

namespace {

class ZubRadioGroupTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterZubRadioGroupClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetBounds(0, 0, 400, 300);
    Group = NewObject<TZubRadioGroup>(Form);
    Group->SetName("rgKind");
    Group->SetParent(Form);
    Group->SetBounds(10, 10, 200, 100);
    Group->SetOnClick(TNotifyEvent::FromFunction([this](TObject*) { ++Clicks; }));
  }
  void TearDown() override {
    Free(Form);
    Application().ProcessMessages();
  }

  TForm* Form = nullptr;
  TZubRadioGroup* Group = nullptr;
  int Clicks = 0;
};

// Guards against buttons of the platform's class (they would not paint
// their captions), buttons owned by the form (the form could then not tell
// which group a focused button belongs to) or placed outside the group.
TEST_F(ZubRadioGroupTest, ButtonsAreGroupButtonsOwnedByTheGroup) {
  Group->Items()->Add("A");
  Group->Items()->Add("B");
  Group->Items()->Add("C");
  ASSERT_EQ(Group->ButtonCount(), 3);
  for (int i = 0; i < Group->ButtonCount(); ++i) {
    SCOPED_TRACE(i);
    TRadioButton* button = Group->Buttons(i);
    EXPECT_NE(dynamic_cast<TZubGroupButton*>(button), nullptr);
    EXPECT_EQ(button->Owner(), Group);
    EXPECT_EQ(button->Parent(), Group);
  }
  EXPECT_EQ(Group->Buttons(1)->Caption(), "B");
}

// Guards against ItemIndex and the checked button drifting apart, and a
// user's choice that leaves the old button checked or raises no OnClick.
TEST_F(ZubRadioGroupTest, ItemIndexAndUserClicksKeepOneButtonChecked) {
  for (const char* item : {"A", "B", "C"}) Group->Items()->Add(item);
  Form->Show();
  Group->SetItemIndex(1);
  EXPECT_TRUE(Group->Buttons(1)->Checked());
  const int clicksBefore = Clicks;
  ASSERT_TRUE(Application().UserClick(Group->Buttons(2)));
  EXPECT_EQ(Group->ItemIndex(), 2);
  EXPECT_FALSE(Group->Buttons(1)->Checked());
  EXPECT_TRUE(Group->Buttons(2)->Checked());
  EXPECT_EQ(Clicks, clicksBefore + 1);
}

// Guards against a record that cannot be created by name or lacks the
// group's published properties and defaults.
TEST_F(ZubRadioGroupTest, RegisteredWithTheRadioGroupsProperties) {
  ASSERT_EQ(FindClass("TZubRadioGroup"), &TZubRadioGroup::StaticClass());
  EXPECT_EQ(FindClass("TZubGroupButton"), &TZubGroupButton::StaticClass());
  EXPECT_TRUE(TZubGroupButton::StaticClass().InheritsFrom(TZubRadioButton::StaticClass()));
  auto* group = static_cast<TZubRadioGroup*>(FindClass("TZubRadioGroup")->Create(Form));
  EXPECT_EQ(group->Columns(), 1);
  EXPECT_EQ(group->ItemIndex(), -1);
  for (const char* name : {"Columns", "ItemIndex", "Items", "Caption", "OnClick"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsPublishedProp(group, name));
  }
}

}  // namespace
