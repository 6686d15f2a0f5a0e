// The forms' radio button: exclusivity among the buttons of this class with
// the same parent, the tab stop following the check, the click by code, and
// the caption painted at the offset that grows with the font's point size.
#include "components/ZubRadioButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/Application.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/TextMetrics.h"

namespace {

class ZubRadioButtonTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterZubRadioButtonClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    Free(Form);
    Application().ProcessMessages();
  }

  template <class T>
  T* Make(TWinControl* parent, const char* name) {
    T* control = NewObject<T>(Form);
    control->SetName(name);
    control->SetParent(parent);
    return control;
  }

  TForm* Form = nullptr;
};

// Guards against a check that leaves its panel-mates checked, reaches into
// another panel, or unchecks a plain radio button that is no part of this
// group; and against the tab stop not following the check.
TEST_F(ZubRadioButtonTest, CheckingUnchecksTheOthersOfTheSameParentOnly) {
  auto* panelA = Make<TPanel>(Form, "pnA");
  auto* panelB = Make<TPanel>(Form, "pnB");
  auto* a1 = Make<TZubRadioButton>(panelA, "rbA1");
  auto* a2 = Make<TZubRadioButton>(panelA, "rbA2");
  auto* a3 = Make<TZubRadioButton>(panelA, "rbA3");
  auto* plain = Make<TRadioButton>(panelA, "rbPlain");
  auto* b1 = Make<TZubRadioButton>(panelB, "rbB1");
  a1->SetChecked(true);
  a2->SetChecked(true);
  plain->SetChecked(true);
  b1->SetChecked(true);

  a3->SetChecked(true);

  const struct {
    TRadioButton* Button;
    bool Checked;
  } expected[] = {{a1, false}, {a2, false}, {a3, true}, {plain, true}, {b1, true}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.Button->Name());
    EXPECT_EQ(e.Button->Checked(), e.Checked);
  }
  EXPECT_TRUE(a3->TabStop());
  EXPECT_FALSE(a1->TabStop());
  EXPECT_FALSE(a2->TabStop());
}

// Guards against checking by code raising no click, or raising one while
// clicks are disabled (how a group checks its buttons quietly).
TEST_F(ZubRadioButtonTest, CheckingByCodeClicksUnlessClicksAreDisabled) {
  auto* button = Make<TZubRadioButton>(Form, "rbOne");
  int clicks = 0;
  button->SetOnClick(TNotifyEvent::FromFunction([&clicks](TObject*) { ++clicks; }));
  button->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  button->SetChecked(false);
  button->SetClicksDisabled(true);
  button->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(button->Checked());
}

// Guards against a wrong band edge in the offset table (the table is what
// keeps large captions clear of the mark).
TEST(ZubRadioButtonOffsetTest, OffsetFollowsThePointSize) {
  const struct {
    int Size;
    int Offset;
  } rows[] = {{1, 17},  {8, 17},  {9, 19},  {15, 19}, {16, 20}, {17, 20}, {18, 21}, {23, 21},
              {24, 23}, {29, 23}, {30, 25}, {35, 25}, {36, 27}, {41, 27}, {42, 29}, {43, 29},
              {44, 31}, {60, 31}, {61, 39}, {80, 39}, {81, 44}, {0, 44},  {-3, 44}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Size);
    EXPECT_EQ(TZubRadioButton::CaptionOffsetForSize(row.Size), row.Offset);
  }
}

// Guards against the offset taken from the pixel height instead of the
// point size (the designed -13 pixels is 10 points, not 9), a caption not
// starting at the offset or not centred vertically, and a fill that misses
// the system's caption.
TEST_F(ZubRadioButtonTest, CaptionIsPaintedAtTheOffsetForItsFont) {
  const struct {
    const char* Name;
    int Height;  // 0: set the size instead
    int Size;
    int Offset;
  } rows[] = {{"DesignedFont", -13, 0, 19}, {"NinePoints", 0, 9, 19}, {"EightPoints", 0, 8, 17},
              {"TwentyPoints", 0, 20, 21}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    auto* button = Make<TZubRadioButton>(Form, "");
    button->SetCaption("&Yes");
    if (row.Height != 0)
      button->Font()->SetHeight(row.Height);
    else
      button->Font()->SetSize(row.Size);
    button->Repaint();
    EXPECT_EQ(button->CaptionOffset(), row.Offset);
    EXPECT_EQ(button->CaptionArea(), Rect(row.Offset - 4, -4, 113 + 4, 17 + 4));
    ASSERT_EQ(button->Canvas().Texts().size(), 1u);
    const TCanvasText& text = button->Canvas().Texts()[0];
    EXPECT_EQ(text.Text, "Yes");
    EXPECT_EQ(text.X, row.Offset);
    EXPECT_EQ(text.Y, (17 - GetTextMetrics().TextHeight(*button->Font(), "Yes")) / 2);
    EXPECT_EQ(text.FontHeight, button->Font()->Height());
    Free(button);
  }
}

// Guards against a disabled button keeping its old enabled-looking paint.
TEST_F(ZubRadioButtonTest, EnablingAndDisablingRepaints) {
  auto* button = Make<TZubRadioButton>(Form, "rbPaint");
  button->SetCaption("A");
  EXPECT_TRUE(button->Canvas().Texts().empty());
  button->SetEnabled(false);
  EXPECT_EQ(button->Canvas().Texts().size(), 1u);
  button->Canvas().ClearTexts();
  button->SetEnabled(true);
  EXPECT_EQ(button->Canvas().Texts().size(), 1u);
}

// Guards against a record that forgets the radio button's published set
// or its defaults (113 x 17, unchecked, caption on the right).
TEST_F(ZubRadioButtonTest, RegisteredWithTheRadioButtonsProperties) {
  ASSERT_EQ(FindClass("TZubRadioButton"), &TZubRadioButton::StaticClass());
  auto* button = static_cast<TZubRadioButton*>(FindClass("TZubRadioButton")->Create(Form));
  EXPECT_EQ(button->BoundsRect(), Rect(0, 0, 113, 17));
  EXPECT_FALSE(button->Checked());
  EXPECT_EQ(button->Alignment(), taRightJustify);
  for (const char* name : {"Alignment", "Caption", "Checked", "OnClick", "OnDblClick", "TabStop"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsPublishedProp(button, name));
  }
}

}  // namespace
