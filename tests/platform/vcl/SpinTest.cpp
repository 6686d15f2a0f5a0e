// The spin edit: its child button (the only child, owned, no tab stop),
// Value against the limits, the key filter, the Up/Down keys and the
// button's arrows, the correction on exit, the overridable change
// notification, and a spin edit read from forms/ButtonsTestForm.dfm. Keys
// and clicks go through the test driver and the application's input door.
#include "platform/vcl/Spin.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ButtonsTestForm.h"
#include "FormsTestSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"
#include "platform/win/Timers.h"

namespace {

// A descendant that watches the change notification, as the forms' spin
// edit filters its text there.
class TCountingSpinEdit : public TSpinEdit {
public:
  using TSpinEdit::TSpinEdit;
  int Changes = 0;

protected:
  void Change() override {
    ++Changes;
    TSpinEdit::Change();
  }
};

class SpinTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterButtonsTestClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmSpin");
    Form->SetBounds(0, 0, 300, 200);
    Spin = MakeControl<TCountingSpinEdit>(Form, Form, "seValue");
    Other = MakeControl<TEdit>(Form, Form, "edOther");
    Spin->SetOnKeyPress(TKeyPressEvent::FromFunction([this](TObject*, char&) { ++KeyPresses; }));
    Form->Show();
  }
  void TearDown() override { Free(Form); }

  TCleanApplication App;
  TTestClock Clock;
  TForm* Form = nullptr;
  TCountingSpinEdit* Spin = nullptr;
  TEdit* Other = nullptr;
  int KeyPresses = 0;
};

// Guards against a button that is not a real child (colour walks would
// then descend into the edit), not owned by the edit, a tab stop of its
// own, or left behind when the edit is resized; and against a published
// Text (resources store Value).
TEST_F(SpinTest, ButtonIsTheOnlyChild) {
  ASSERT_EQ(Spin->ControlCount(), 1);
  EXPECT_EQ(Spin->Controls(0), Spin->Button());
  EXPECT_EQ(Spin->Button()->Owner(), Spin);
  EXPECT_FALSE(Spin->Button()->TabStop());
  EXPECT_EQ(Spin->Text(), "0");
  Spin->SetBounds(10, 10, 100, 30);
  EXPECT_EQ(Spin->Button()->BoundsRect(), Rect(Spin->ClientWidth() - 15, 0, Spin->ClientWidth(), Spin->ClientHeight()));
  EXPECT_FALSE(IsPublishedProp(Spin, "Text"));
  EXPECT_TRUE(IsPublishedProp(Spin, "Value"));
  EXPECT_EQ(FindClass("TSpinEdit"), &TSpinEdit::StaticClass());
}

struct TLimitCase {
  const char* Name;
  int32_t Min;
  int32_t Max;
  const char* Text;
  int32_t Expected;
  friend void PrintTo(const TLimitCase& c, std::ostream* os) { *os << c.Name; }
};

class SpinLimitTest : public SpinTest, public ::testing::WithParamInterface<TLimitCase> {};

// Guards against limits applied when both are 0, not applied when they
// are equal, a text that is no number read as 0 instead of MinValue, and
// a number too big for 32 bits read as anything but none.
TEST_P(SpinLimitTest, ValueIsTheTextWithinTheLimits) {
  const TLimitCase& c = GetParam();
  Spin->SetMinValue(c.Min);
  Spin->SetMaxValue(c.Max);
  Spin->SetText(c.Text);
  EXPECT_EQ(Spin->Value(), c.Expected);
  EXPECT_EQ(Spin->Text(), c.Text);  // reading the value changes nothing
  Spin->SetValue(Spin->Value());
  EXPECT_EQ(Spin->Text(), std::to_string(c.Expected));
}

INSTANTIATE_TEST_SUITE_P(Limits, SpinLimitTest,
                         ::testing::Values(TLimitCase{"NoLimits", 0, 0, "12345", 12345},
                                           TLimitCase{"NoLimitsNegative", 0, 0, "-7", -7},
                                           TLimitCase{"NotANumberGivesMin", 10, 20, "abc", 10},
                                           TLimitCase{"EmptyGivesMin", 10, 20, "", 10},
                                           TLimitCase{"AboveMax", -99, 99, "150", 99},
                                           TLimitCase{"BelowMin", -99, 99, "-150", -99},
                                           TLimitCase{"EqualLimitsAreLimits", 5, 5, "7", 5},
                                           TLimitCase{"MinAboveMaxMinWins", 10, 0, "5", 10},
                                           TLimitCase{"TooBigIsNoNumber", 0, 0, "99999999999", 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TTypingCase {
  const char* Name;
  const char* Start;
  bool EditorEnabled;
  const char* Typed;
  const char* Expected;
  int KeyPresses;  // OnKeyPress calls: only the keys taken
  friend void PrintTo(const TTypingCase& c, std::ostream* os) { *os << c.Name; }
};

class SpinTypingTest : public SpinTest, public ::testing::WithParamInterface<TTypingCase> {};

// Guards against letters, double-byte characters or Enter getting into the
// number, refused keys reaching OnKeyPress, Backspace refused, and typing
// that still edits when the editor is disabled.
TEST_P(SpinTypingTest, OnlyDigitsAndSignsAreTyped) {
  const TTypingCase& c = GetParam();
  Spin->SetText(c.Start);
  Spin->SetEditorEnabled(c.EditorEnabled);
  TTestDriver(Form).TypeText("seValue", c.Typed);
  EXPECT_EQ(Spin->Text(), c.Expected);
  EXPECT_EQ(KeyPresses, c.KeyPresses);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SpinTypingTest,
    ::testing::Values(TTypingCase{"DigitsAndSigns", "", true, "-12+", "-12+", 4},
                      TTypingCase{"LettersRefused", "", true, "1a2b", "12", 2},
                      TTypingCase{"DoubleByteRefused", "", true, "\xD6\xD0" "3", "3", 1},  // 中
                      TTypingCase{"EnterRefused", "", true, "4\r", "4", 1},
                      TTypingCase{"BackspaceTaken", "", true, "12\b", "1", 3},
                      TTypingCase{"EditorDisabledTypesNothing", "5", false, "1\b", "5", 2}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TStepCase {
  const char* Name;
  int32_t Min;
  int32_t Max;
  int32_t Increment;
  int32_t Start;
  std::vector<uint16_t> Keys;
  bool ReadOnly;
  const char* Expected;
  friend void PrintTo(const TStepCase& c, std::ostream* os) { *os << c.Name; }
};

class SpinStepTest : public SpinTest, public ::testing::WithParamInterface<TStepCase> {};

// Guards against steps that ignore Increment, pass the limits, step a
// read-only edit, or overflow at the ends of the 32-bit range.
TEST_P(SpinStepTest, UpAndDownKeysStepTheValue) {
  const TStepCase& c = GetParam();
  Spin->SetMinValue(c.Min);
  Spin->SetMaxValue(c.Max);
  Spin->SetIncrement(c.Increment);
  Spin->SetValue(c.Start);
  Spin->SetReadOnly(c.ReadOnly);
  TTestDriver driver(Form);
  driver.Focus("seValue");
  for (uint16_t key : c.Keys) driver.PressKey(key);
  EXPECT_EQ(Spin->Text(), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SpinStepTest,
    ::testing::Values(TStepCase{"UpByOne", 0, 0, 1, 5, {VK_UP, VK_UP}, false, "7"},
                      TStepCase{"DownByIncrement", 0, 0, 5, 5, {VK_DOWN}, false, "0"},
                      TStepCase{"StopsAtMax", -99, 99, 10, 95, {VK_UP}, false, "99"},
                      TStepCase{"StopsAtMin", -99, 99, 10, -95, {VK_DOWN, VK_DOWN}, false, "-99"},
                      TStepCase{"ReadOnlyDoesNotStep", 0, 0, 1, 5, {VK_UP}, true, "5"},
                      TStepCase{"SaturatesAtTheTop", 0, 0, 10, 2147483640, {VK_UP}, false, "2147483647"},
                      TStepCase{"SaturatesAtTheBottom", 0, 0, 10, -2147483647 - 1 + 5, {VK_DOWN}, false,
                                "-2147483648"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against arrows that step the wrong way, and a press on the button
// that leaves the focus (and so the exit check) where it was or gives it to
// the button.
TEST_F(SpinTest, ButtonArrowsStepAndFocusTheEdit) {
  Spin->SetValue(5);
  Other->SetFocus();
  TSpinButton* button = Spin->Button();
  const TRect up = button->UpRect();
  const TRect down = button->DownRect();
  auto click = [button](const TRect& r) {
    const int x = (r.Left + r.Right) / 2;
    const int y = (r.Top + r.Bottom) / 2;
    ASSERT_TRUE(Application().DispatchMouseDown(button, mbLeft, TShiftState{ssLeft}, x, y));
    ASSERT_TRUE(Application().DispatchMouseUp(button, mbLeft, TShiftState{}, x, y));
  };
  click(up);
  EXPECT_EQ(Form->ActiveControl(), Spin);
  EXPECT_EQ(Spin->Value(), 6);
  click(down);
  click(down);
  EXPECT_EQ(Spin->Value(), 4);
  EXPECT_EQ(Form->ActiveControl(), Spin);
}

// Guards against a number outside the limits that stays in the field after
// the user leaves it, and a text that is no number replaced on exit.
TEST_F(SpinTest, LeavingCorrectsANumberOutsideTheLimits) {
  Spin->SetMinValue(-99);
  Spin->SetMaxValue(99);
  TTestDriver driver(Form);
  driver.TypeText("seValue", "500");
  EXPECT_EQ(Spin->Text(), "500");
  driver.Focus("edOther");
  EXPECT_EQ(Spin->Text(), "99");
  driver.TypeText("seValue", "-");
  driver.Focus("edOther");
  EXPECT_EQ(Spin->Text(), "-");
}

// Guards against a change notification that a descendant cannot watch for
// each way the text changes: by code, by a step, by typing.
TEST_F(SpinTest, ChangeIsRaisedThroughTheOverridableHook) {
  int onChange = 0;
  Spin->SetOnChange(Notify([&onChange](TObject*) { ++onChange; }));
  Spin->SetValue(3);
  TTestDriver driver(Form);
  driver.Focus("seValue");
  driver.PressKey(VK_UP);
  driver.TypeText("7");
  EXPECT_EQ(Spin->Changes, 3);
  EXPECT_EQ(onChange, 3);
}

// Guards against a resource spin edit whose value is lost or read before
// its limits.
TEST_F(SpinTest, SpinEditFromResource) {
  auto* form = NewObject<TButtonsTestForm>(nullptr);
  TSpinEdit* spin = form->seCount;
  EXPECT_EQ(spin->MinValue(), -99);
  EXPECT_EQ(spin->MaxValue(), 99);
  EXPECT_EQ(spin->Value(), 5);
  EXPECT_EQ(spin->Text(), "5");
  EXPECT_EQ(spin->ControlCount(), 1);
  Free(form);
}

}  // namespace
