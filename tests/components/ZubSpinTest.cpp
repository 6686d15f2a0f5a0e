// The forms' spin edit: the sign filter on typed and coded text, the one
// change notification with the filtered text, the caret kept through the
// filter, and the class record.
#include "components/ZubSpin.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/TestDriver.h"

namespace {

class ZubSpinTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterZubSpinClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmSpin");
    Form->SetBounds(0, 0, 300, 200);
    Spin = NewObject<TZubSpinEdit>(Form);
    Spin->SetName("seHour");
    Spin->SetParent(Form);
    Spin->SetOnChange(TNotifyEvent::FromFunction([this](TObject*) { Seen.push_back(Spin->Text()); }));
    Form->Show();
  }
  void TearDown() override {
    Free(Form);
    Application().ProcessMessages();
  }

  TForm* Form = nullptr;
  TZubSpinEdit* Spin = nullptr;
  std::vector<std::string> Seen;  // the text at each OnChange
};

struct TSignCase {
  const char* Name;
  const char* Typed;
  const char* Expected;
  friend void PrintTo(const TSignCase& c, std::ostream* os) { *os << c.Name; }
};

class ZubSpinSignTest : public ZubSpinTest, public ::testing::WithParamInterface<TSignCase> {};

// Guards against a stray sign staying in the number, a leading sign being
// taken for a stray one, letters getting through, and the filter cutting a
// digit typed after the sign.
TEST_P(ZubSpinSignTest, TypedSignsAfterTheFirstCharacterAreDropped) {
  const TSignCase& c = GetParam();
  Spin->SetText("");
  Seen.clear();
  TTestDriver(Form).TypeText("seHour", c.Typed);
  EXPECT_EQ(Spin->Text(), c.Expected);
  for (const std::string& text : Seen) {
    SCOPED_TRACE(text);
    EXPECT_EQ(TZubSpinEdit::FilterSigns(text), text);  // OnChange never sees a stray sign
    EXPECT_FALSE(text.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Signs, ZubSpinSignTest,
                         ::testing::Values(TSignCase{"PlusAtTheEnd", "12+", "12"},
                                           TSignCase{"MinusAtTheEnd", "12-", "12"},
                                           TSignCase{"MinusFirstIsNegative", "-12", "-12"},
                                           TSignCase{"PlusFirstStays", "+7", "+7"},
                                           TSignCase{"SecondSignDropped", "--5", "-5"},
                                           TSignCase{"DigitsAfterTheSignKept", "1+2-3", "123"},
                                           TSignCase{"LettersRefused", "4a5", "45"}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TCodeCase {
  const char* Name;
  const char* Text;
  const char* Expected;
  int Notifications;
};

// Guards against the filter running only for typing, the notification
// raised for an empty or blank text, and a notification per pass of the
// filter instead of one per change.
TEST_F(ZubSpinTest, TextSetByCodeIsFilteredAndNotifiedOnce) {
  const TCodeCase cases[] = {
      {"Clean", "42", "42", 1},
      {"StraySigns", "1+2-", "12", 1},
      {"LeadingMinus", "-8", "-8", 1},
      {"Empty", "", "", 0},
      {"Blank", "  ", "  ", 0},
      {"OnlyASign", "+", "+", 1},
  };
  for (const TCodeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Spin->SetText("0");
    Seen.clear();
    Spin->SetText(c.Text);
    EXPECT_EQ(Spin->Text(), c.Expected);
    EXPECT_EQ(static_cast<int>(Seen.size()), c.Notifications);
  }
}

// Guards against the filter's own text change sending the caret home (the
// next digit would land in front) or clearing Modified after a user edit.
TEST_F(ZubSpinTest, FilterKeepsTheCaretAndTheUserEdit) {
  Spin->SetText("");
  TTestDriver driver(Form);
  driver.TypeText("seHour", "12");
  driver.PressKey(VK_LEFT);
  driver.TypeText("+");
  EXPECT_EQ(Spin->Text(), "12");
  EXPECT_EQ(Spin->SelStart(), 1);
  EXPECT_TRUE(Spin->Modified());
  driver.TypeText("3");
  EXPECT_EQ(Spin->Text(), "132");
}

// Guards against the class missing from the registry or not being a spin
// edit (the forms' required-field walk treats spin edits specially).
TEST_F(ZubSpinTest, RegisteredAsASpinEdit) {
  const TClass* record = FindClass("TZubSpinEdit");
  ASSERT_EQ(record, &TZubSpinEdit::StaticClass());
  EXPECT_TRUE(record->InheritsFrom(TSpinEdit::StaticClass()));
  EXPECT_TRUE(IsPublishedProp(Spin, "Value"));
  EXPECT_FALSE(IsPublishedProp(Spin, "Text"));
}

}  // namespace
