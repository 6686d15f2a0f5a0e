// The combo box: ItemIndex and Text set by code (silent), the typing rule
// of the editable styles (exact match or -1, the typed text kept), typing
// in the list styles, keys and the drop-down list as a user uses them, the
// styles, and a selection that stays on its item when Items change.
//
// GBK data: 香 CF E3, 蕉 BD B6, 中 D6 D0 (iconv -t GBK).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/rtl/TextSupport.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/TextMetrics.h"

namespace {

constexpr const char* kBanana = "\xCF\xE3\xBD\xB6";  // 香蕉

class ComboBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterStandardClasses();
    RegisterStdCtrlsClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmCombo");
    Combo = MakeControl<TComboBox>(Form, Form, "cboKind");
    Combo->Items()->Add("Apple");
    Combo->Items()->Add("Banana");
    Combo->Items()->Add(kBanana);
    Combo->Items()->Add("apricot");
    Combo->SetOnChange(Logger("change"));
    Combo->SetOnSelect(Logger("select"));
    Combo->SetOnClick(Logger("click"));
    Combo->SetOnDropDown(Logger("dropdown"));
    Combo->SetOnCloseUp(Logger("closeup"));
  }
  void TearDown() override { Free(Form); }

  TNotifyEvent Logger(const std::string& line) {
    return Notify([this, line](TObject*) { Log.push_back(line + " " + std::to_string(Combo->ItemIndex())); });
  }
  void Start() {
    Form->Show();
    Combo->SetFocus();
    Log.clear();
  }

  TCleanApplication App;
  TForm* Form = nullptr;
  TComboBox* Combo = nullptr;
  TEventLog Log;
};

// Guards against ItemIndex by code raising OnChange (the original raised
// nothing), a text that does not follow the index, and indexes out of
// range accepted.
TEST_F(ComboBoxTest, ItemIndexByCodeIsSilent) {
  Combo->SetItemIndex(1);
  EXPECT_EQ(Combo->Text(), "Banana");
  Combo->SetItemIndex(-1);
  EXPECT_EQ(Combo->Text(), "");
  Combo->SetText("anything");
  EXPECT_EQ(Combo->ItemIndex(), -1);
  Combo->SetText("banana");
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Combo->Text(), "banana") << "an editable combo keeps the text given";
  EXPECT_TRUE(Log.empty());
  EXPECT_THROW(Combo->SetItemIndex(4), EListError);
  EXPECT_THROW(Combo->SetItemIndex(-2), EListError);
  EXPECT_EQ(Combo->ItemIndex(), 1);
}

struct TTypedCase {
  const char* Name;
  std::string Typed;
  int ItemIndex;
};

class ComboTypingTest : public ComboBoxTest, public ::testing::WithParamInterface<TTypedCase> {};

// Guards against auto-completion changing what the user typed, a partial
// text taken for an item, case folding of double-byte characters, and a
// typed text matching no item leaving an old index behind.
TEST_P(ComboTypingTest, TypedTextSelectsOnlyAnExactMatch) {
  const TTypedCase& c = GetParam();
  Combo->SetItemIndex(1);
  Start();
  TTestDriver driver(Form);
  driver.TypeText(c.Typed);  // replaces the selected text
  EXPECT_EQ(Hex(Combo->Text()), Hex(c.Typed)) << "the typed text is never altered";
  EXPECT_EQ(Combo->ItemIndex(), c.ItemIndex);
  EXPECT_EQ(Log.size(), c.Typed.size() - std::count_if(c.Typed.begin(), c.Typed.end(), [](char ch) {
                                             return static_cast<unsigned char>(ch) >= 0x80;
                                           }) / 2)
      << "one OnChange per typed character";
  EXPECT_EQ(Log.back(), "change " + std::to_string(c.ItemIndex));
}

INSTANTIATE_TEST_SUITE_P(Cases, ComboTypingTest,
                         ::testing::Values(TTypedCase{"ExactTextGivesItsIndex", "Apple", 0},
                                           TTypedCase{"AsciiLettersWithoutCase", "APRICOT", 3},
                                           TTypedCase{"PrefixIsNoMatch", "Appl", -1},
                                           TTypedCase{"LongerTextIsNoMatch", "Bananas", -1},
                                           TTypedCase{"DoubleByteItem", kBanana, 2},
                                           TTypedCase{"UnknownTextGivesMinusOne", "Cherry", -1}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Guards against a byte limit that splits a double-byte character in the
// combo's edit part, and Backspace re-matching an item.
TEST_F(ComboBoxTest, EditPartKeepsTheEditRules) {
  Combo->SetMaxLength(3);
  Start();
  TTestDriver driver(Form);
  driver.TypeText(std::string("a") + kBanana);
  EXPECT_EQ(Hex(Combo->Text()), Hex("a\xCF\xE3"));
  Combo->SetMaxLength(0);
  driver.TypeText("\b");  // the whole of 香
  driver.TypeText("pple");
  EXPECT_EQ(Combo->Text(), "apple");
  EXPECT_EQ(Combo->ItemIndex(), 0);
  driver.TypeText("\b");
  EXPECT_EQ(Combo->ItemIndex(), -1);
  EXPECT_EQ(Combo->SelStart(), 4);
}

// Guards against arrow keys that move silently, raise events without a
// move, or fire them in another order than click, change, select.
TEST_F(ComboBoxTest, ArrowKeysSelectAsTheUser) {
  Combo->SetItemIndex(0);
  Start();
  TTestDriver driver(Form);
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(Combo->Text(), "Banana");
  EXPECT_EQ(Log, (TEventLog{"click 1", "change 1", "select 1"}));
  Log.clear();
  driver.PressKey(VK_UP);
  driver.PressKey(VK_UP);  // at the top: nothing more
  EXPECT_EQ(Log, (TEventLog{"click 0", "change 0", "select 0"}));
}

// Guards against Alt+Down not opening the list, a click on the list that
// leaves it open or selects silently, and Enter on an open list pressing
// the default button.
TEST_F(ComboBoxTest, DropDownListOpensAndChooses) {
  auto* ok = MakeControl<TButton>(Form, Form, "btnOk");
  ok->SetDefault(true);
  int okClicks = 0;
  ok->SetOnClick(Notify([&okClicks](TObject*) { ++okClicks; }));
  Start();
  TTestDriver driver(Form);
  driver.PressKey(VK_DOWN, {ssAlt});
  EXPECT_TRUE(Combo->DroppedDown());
  Combo->ClickItem(2);
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(Hex(Combo->Text()), Hex(kBanana));
  EXPECT_EQ(Log, (TEventLog{"dropdown -1", "closeup -1", "click 2", "change 2", "select 2"}));
  EXPECT_THROW(Combo->ClickItem(0), EInvalidOperation) << "the list is closed";
  Log.clear();
  driver.PressKey(VK_F4);
  driver.PressKey(VK_RETURN);
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(okClicks, 0);
  EXPECT_EQ(Log, (TEventLog{"dropdown 2", "closeup 2"}));
  Combo->SetStyle(csSimple);
  Combo->SetDroppedDown(true);
  EXPECT_FALSE(Combo->DroppedDown()) << "a simple combo's list is always shown, never dropped";
}

// Guards against a list style that takes typed text, typing that does not
// move to the next item with that initial, and a user click on the control
// raising OnClick without a selection.
TEST_F(ComboBoxTest, ListStyleTypingSelectsByInitial) {
  Combo->SetStyle(csDropDownList);
  Start();
  TTestDriver driver(Form);
  struct TStep {
    std::string Typed;
    int ItemIndex;
  };
  for (const TStep& step : std::vector<TStep>{{"a", 0}, {"A", 3}, {"a", 0}, {"b", 1}, {"\xCF\xE3", 2}, {"z", 2}}) {
    SCOPED_TRACE(step.Typed);
    driver.TypeText(step.Typed);
    EXPECT_EQ(Combo->ItemIndex(), step.ItemIndex);
    EXPECT_EQ(Combo->Text(), Combo->Items()->Get(step.ItemIndex));
  }
  Log.clear();
  driver.Click("cboKind");
  EXPECT_TRUE(Combo->DroppedDown());
  EXPECT_EQ(Log, (TEventLog{"dropdown 2"}));
}

struct TStyleCase {
  const char* Name;
  TComboBoxStyle Style;
  bool Editable;
  std::string TextAfterFreeText;  // SetText("Cherry")
};

class ComboStyleTest : public ComboBoxTest, public ::testing::WithParamInterface<TStyleCase> {};

// Guards against a list style holding a text that is no item, and an
// editable style losing a free text.
TEST_P(ComboStyleTest, TextByCodeFollowsTheStyle) {
  const TStyleCase& c = GetParam();
  Combo->SetStyle(c.Style);
  EXPECT_EQ(Combo->IsEditable(), c.Editable);
  Combo->SetText("Cherry");
  EXPECT_EQ(Combo->Text(), c.TextAfterFreeText);
  EXPECT_EQ(Combo->ItemIndex(), -1);
  Combo->SetText("BANANA");
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Combo->Text(), c.Editable ? "BANANA" : "Banana");
  EXPECT_TRUE(Log.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ComboStyleTest,
                         ::testing::Values(TStyleCase{"DropDown", csDropDown, true, "Cherry"},
                                           TStyleCase{"Simple", csSimple, true, "Cherry"},
                                           TStyleCase{"DropDownList", csDropDownList, false, ""},
                                           TStyleCase{"OwnerDrawFixed", csOwnerDrawFixed, false, ""},
                                           TStyleCase{"OwnerDrawVariable", csOwnerDrawVariable, false, ""}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Guards against switching to a list style keeping a typed text, and a
// selection left on an index whose item moved or went.
TEST_F(ComboBoxTest, SelectionFollowsItsItem) {
  Combo->SetText("free");
  Combo->SetStyle(csDropDownList);
  EXPECT_EQ(Combo->Text(), "");
  Combo->SetItemIndex(1);  // Banana
  Combo->Items()->Insert(0, "Zero");
  EXPECT_EQ(Combo->ItemIndex(), 2);
  Combo->SetSorted(true);
  EXPECT_EQ(Combo->Items()->Get(Combo->ItemIndex()), "Banana");
  Combo->Items()->Delete(Combo->ItemIndex());
  EXPECT_EQ(Combo->ItemIndex(), -1);
  EXPECT_EQ(Combo->Text(), "");
  Combo->SetItemIndex(0);
  Combo->Items()->SetText("x\ny");  // a new list: the selection is gone
  EXPECT_EQ(Combo->ItemIndex(), -1);
  EXPECT_EQ(Combo->Text(), "");
  EXPECT_TRUE(Log.empty());
}

// Guards against owner-drawn items drawn with heights other than the
// measured ones, and the drawing hook not told which item is selected.
TEST_F(ComboBoxTest, OwnerDrawVariableUsesMeasuredHeights) {
  Combo->SetStyle(csOwnerDrawVariable);
  Combo->SetOnMeasureItem(TMeasureItemEvent::FromFunction([](TWinControl*, int index, int& height) {
    height = 12 + index;
  }));
  std::vector<std::string> drawn;
  Combo->SetOnDrawItem(TDrawItemEvent::FromFunction([&](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
    drawn.push_back(std::to_string(index) + "@" + std::to_string(rect.Top) + "+" + std::to_string(rect.Height()) +
                    (state.Contains(odSelected) ? " selected" : "") + (state.Contains(odComboBoxEdit) ? " edit" : ""));
  }));
  Combo->SetItemIndex(1);
  Combo->SetDroppedDown(true);
  Combo->Repaint();
  const int top = Combo->Height();
  EXPECT_EQ(drawn, (std::vector<std::string>{"1@0+" + std::to_string(Combo->Height()) + " edit",
                                             "0@" + std::to_string(top) + "+12",
                                             "1@" + std::to_string(top + 12) + "+13 selected",
                                             "2@" + std::to_string(top + 25) + "+14",
                                             "3@" + std::to_string(top + 39) + "+15"}));
  Combo->SetStyle(csDropDown);
  EXPECT_EQ(Combo->ItemRect(1).Height(), GetTextMetrics().TextHeight(*Combo->Font(), "0"));
}

}  // namespace
