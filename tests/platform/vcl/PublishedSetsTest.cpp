// Which standard class publishes which of the properties and events that
// other code looks up by name (the required-field check reads "Text" and
// "EditMask", colour walks read "Color", the converter "Caption", "Items",
// "Lines", "Style", "Font", the language files any of them, handlers are
// taken over through "OnEnter", "OnExit", "OnClick"). Publishing one more
// or one fewer of these changes behaviour, so the sets are fixed here in
// one table.
#include <gtest/gtest.h>

#include <string>

#include "platform/vcl/Object.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/TypInfo.h"

namespace {

// The names probed, in the order the table lists them.
const char* const kProbed[] = {"Text",  "Caption", "Color", "Font",  "EditMask", "ImeName", "Items",
                               "Lines", "Style",   "Panels", "Tabs", "ItemIndex", "Checked", "OnEnter",
                               "OnExit", "OnClick"};

struct TPublishedRow {
  const char* ClassName;
  const char* Published;  // the probed names the class publishes, in probe order
};

const TPublishedRow kTable[] = {
    {"TLabel", "Caption Color Font OnClick"},
    {"TEdit", "Text Color Font ImeName OnEnter OnExit OnClick"},
    {"TMaskEdit", "Text Color Font EditMask ImeName OnEnter OnExit OnClick"},
    {"TMemo", "Color Font ImeName Lines OnEnter OnExit OnClick"},
    {"TListBox", "Color Font Items Style OnEnter OnExit OnClick"},
    {"TComboBox", "Text Color Font ImeName Items Style ItemIndex OnEnter OnExit OnClick"},
    {"TGroupBox", "Caption Color Font OnEnter OnExit OnClick"},
    {"TCheckBox", "Caption Color Font Checked OnEnter OnExit OnClick"},
    {"TRadioButton", "Caption Color Font Checked OnEnter OnExit OnClick"},
    {"TButton", "Caption Font OnEnter OnExit OnClick"},
    {"TBitBtn", "Caption Font OnEnter OnExit OnClick"},
    {"TSpeedButton", "Caption Font OnClick"},
    {"TPanel", "Caption Color Font OnEnter OnExit OnClick"},
    {"TRadioGroup", "Caption Color Font Items ItemIndex OnEnter OnExit OnClick"},
    // The value is published, not the text: a spin edit never counts as an
    // empty required field.
    {"TSpinEdit", "Color Font OnEnter OnExit OnClick"},
    {"TSpinButton", "OnEnter OnExit"},
    {"TPageControl", "Font Style OnEnter OnExit"},
    {"TTabSheet", "Caption Font OnEnter OnExit"},
    {"TTabSet", "Font Style Tabs OnClick"},
    {"TTreeView", "Color Font Items OnEnter OnExit OnClick"},
    {"TStatusBar", "Color Font Panels OnClick"},
    {"TListView", "Color Font Items OnEnter OnExit OnClick"},
    {"TStringGrid", "Color Font OnEnter OnExit OnClick"},
    {"TDrawGrid", "Color Font OnEnter OnExit OnClick"},
    {"TToolBar", "Caption Color Font OnEnter OnExit OnClick"},
    {"TToolButton", "Caption Style OnClick"},
    {"TMenuItem", "Caption Checked OnClick"},
    {"TMainMenu", ""},
    {"TPopupMenu", ""},
    {"TSplitter", "Color"},
    {"TAnimate", "Color"},
    {"TImageList", ""},
    {"TTimer", ""},
};

class PublishedSetsTest : public ::testing::TestWithParam<TPublishedRow> {
protected:
  static void SetUpTestSuite() { RegisterStandardClasses(); }
};

TEST_P(PublishedSetsTest, PublishesExactlyTheTablesNames) {
  const TPublishedRow& row = GetParam();
  const TClass* aClass = FindClass(row.ClassName);
  ASSERT_NE(aClass, nullptr) << row.ClassName << " is not registered";
  std::string published;
  for (const char* name : kProbed) {
    const TPropInfo* prop = GetPropInfo(*aClass, name);
    if (prop == nullptr) continue;
    if (!published.empty()) published += ' ';
    published += name;
  }
  EXPECT_EQ(published, row.Published);
}

INSTANTIATE_TEST_SUITE_P(Table, PublishedSetsTest, ::testing::ValuesIn(kTable),
                         [](const auto& info) { return std::string(info.param.ClassName); });

}  // namespace
