// The mask edit as code and the user drive it: date masks under the format
// settings' separator, texts placed and read back (trimmed texts written
// back, the required-field check's mask switching through the type
// information), change events from code, typing through the test driver,
// and the exit check for required positions against the form's focus.
//
// GBK data: 中 D6 D0 (iconv -t GBK).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextSupport.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/FormWriter.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/TypInfo.h"

namespace {

constexpr const char* kZhong = "\xD6\xD0";  // 中
const AnsiString kDateMask = "9999/99/99;1; ";
const AnsiString kEmptyDate = "    /  /  ";

// Puts the format settings' date separator back after a test changes it.
class TScopedDateSeparator {
public:
  explicit TScopedDateSeparator(char separator) : FOld(FormatSettings.DateSeparator) {
    FormatSettings.DateSeparator = separator;
  }
  ~TScopedDateSeparator() { FormatSettings.DateSeparator = FOld; }

private:
  char FOld;
};

class MaskEditTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterStandardClasses();
    RegisterStdCtrlsClasses();
    RegisterMaskClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmMask");
    Form->SetBounds(0, 0, 400, 300);
    meDate = MakeControl<TMaskEdit>(Form, Form, "meDate");
    edOther = MakeControl<TEdit>(Form, Form, "edOther");
    meDate->SetOnChange(Notify([this](TObject*) { ++Changes; }));
    meDate->SetOnExit(Notify([this](TObject*) { Log.push_back("exit meDate"); }));
    edOther->SetOnEnter(Notify([this](TObject*) { Log.push_back("enter edOther"); }));
  }
  void TearDown() override { Free(Form); }

  TCleanApplication App;
  TForm* Form = nullptr;
  TMaskEdit* meDate = nullptr;
  TEdit* edOther = nullptr;
  int Changes = 0;
  TEventLog Log;
};

// ---- Date masks and the separator ----

// Guards the shown literal: "/" in a mask is the format settings' date
// separator, for the shown text, the saved text and the empty text alike.
TEST_F(MaskEditTest, DateMaskFollowsTheDateSeparator) {
  for (char separator : {'/', '-', '.'}) {
    SCOPED_TRACE(std::string(1, separator));
    TScopedDateSeparator scope(separator);
    const std::string sep(1, separator);
    meDate->SetEditMask("");
    meDate->SetText("");
    meDate->SetEditMask(kDateMask);
    EXPECT_EQ(meDate->EditText(), "    " + sep + "  " + sep + "  ");
    EXPECT_EQ(meDate->Text(), "    " + sep + "  " + sep + "  ");
    meDate->SetText("2006/01/05");
    EXPECT_EQ(meDate->EditText(), "2006" + sep + "01" + sep + "05");
    EXPECT_EQ(meDate->Text(), "2006" + sep + "01" + sep + "05");
    EXPECT_EQ(meDate->MaxLength(), 10);
  }
}

// ---- Texts placed and read back ----

struct TTextRow {
  const char* Name;
  AnsiString Mask;
  AnsiString Set;
  AnsiString Text;
  AnsiString EditText;
};

// Guards the text setter and getter: valid masked texts round-trip, texts
// written back trimmed (a panel's exit) land in their positions, and a
// mask without literals saved reads without them.
TEST_F(MaskEditTest, PlacesTextsAndReadsThemBack) {
  const std::vector<TTextRow> rows = {
      {"FullDate", kDateMask, "2006/01/05", "2006/01/05", "2006/01/05"},
      {"PartlyBlankDate", kDateMask, "2006/1 /5 ", "2006/1 /5 ", "2006/1 /5 "},
      {"TrimmedPartlyBlankDate", kDateMask, "2006/1 /5", "2006/1 /5 ", "2006/1 /5 "},
      {"TrimmedEmptyDate", kDateMask, "/  /", kEmptyDate, kEmptyDate},
      {"ClearedDate", kDateMask, "", kEmptyDate, kEmptyDate},
      {"DateWithoutLiterals", kDateMask, "20060105", "2006/01/05", "2006/01/05"},
      {"NotSavingLiterals", "9999/99/99;0; ", "2006/01/05", "20060105", "2006/01/05"},
      {"NotSavingLiteralsBlank", "9999/99/99;0;_", "", "        ", "____/__/__"},
      {"PlainEdit", "", "any text", "any text", "any text"},
  };
  for (const TTextRow& row : rows) {
    SCOPED_TRACE(row.Name);
    meDate->SetEditMask(row.Mask);
    meDate->SetText(row.Set);
    EXPECT_EQ(meDate->Text(), row.Text);
    EXPECT_EQ(meDate->EditText(), row.EditText);
    // What a select panel does on exit: the trimmed text written back
    // reads as the same text.
    meDate->SetText(Trim(meDate->Text()));
    EXPECT_EQ(meDate->Text(), row.Text);
  }
}

// The required-field check reads the empty text of a date field through the
// type information: switch the mask to not saving literals, clear, switch
// back, read, and put the old text back. Guards against a mask setter that
// drops or shifts the text.
TEST_F(MaskEditTest, RequiredCheckFindsTheEmptyTextByMaskSwitching) {
  meDate->SetEditMask(kDateMask);
  meDate->SetText("2006/01/05");
  const AnsiString mask = GetStrProp(meDate, "EditMask");
  const AnsiString before = GetStrProp(meDate, "Text");
  AnsiString notSaving = mask;
  notSaving[mask.find(';') + 1] = '0';
  SetStrProp(meDate, "EditMask", notSaving);
  EXPECT_EQ(GetStrProp(meDate, "Text"), "20060105");
  SetStrProp(meDate, "Text", "");
  SetStrProp(meDate, "EditMask", mask);
  const AnsiString empty = GetStrProp(meDate, "Text");
  SetStrProp(meDate, "Text", before);
  EXPECT_EQ(empty, kEmptyDate);
  EXPECT_EQ(meDate->Text(), "2006/01/05");
  EXPECT_EQ(meDate->EditMask(), kDateMask);
}

// Guards the mask setter on a plain text and back: the text is placed into
// the new mask, and the plain edit keeps the text with its literals and its
// own byte limit.
TEST_F(MaskEditTest, ChangingTheMaskKeepsTheText) {
  meDate->SetMaxLength(4);
  meDate->SetText("2006/1/5");
  meDate->SetEditMask(kDateMask);
  EXPECT_EQ(meDate->Text(), "2006/1 /5 ");
  EXPECT_TRUE(meDate->IsMasked());
  EXPECT_EQ(meDate->MaxLength(), 10);
  meDate->SetEditMask("9999/99/99;0;_");
  EXPECT_EQ(meDate->EditText(), "2006/1_/5_") << "every character keeps its position";
  EXPECT_EQ(meDate->Text(), "20061 5 ");
  meDate->SetEditMask("");
  EXPECT_FALSE(meDate->IsMasked());
  EXPECT_EQ(meDate->Text(), "2006/1 /5 ") << "the literals stay, the blanks become spaces";
  EXPECT_EQ(meDate->MaxLength(), 4);
}

// ---- Change events from code ----

struct TChangeRow {
  const char* Name;
  void (*Action)(TMaskEdit*);
  int Changes;
};

// Guards OnChange by code: raised when the shown text changes (text or
// mask), never for the same text set again in another spelling.
TEST_F(MaskEditTest, RaisesChangeOnlyWhenTheShownTextChanges) {
  const std::vector<TChangeRow> rows = {
      {"NewText", [](TMaskEdit* e) { e->SetText("2007/02/03"); }, 1},
      {"SameText", [](TMaskEdit* e) { e->SetText("2006/1 /5 "); }, 0},
      {"SameTextTrimmed", [](TMaskEdit* e) { e->SetText("2006/1/5"); }, 0},
      {"Cleared", [](TMaskEdit* e) { e->SetText(""); }, 1},
      {"MaskNotSavingLiterals", [](TMaskEdit* e) { e->SetEditMask("9999/99/99;0; "); }, 0},
      {"MaskWithOtherBlank", [](TMaskEdit* e) { e->SetEditMask("9999/99/99;1;_"); }, 1},
      {"SameMask", [](TMaskEdit* e) { e->SetEditMask(kDateMask); }, 0},
  };
  for (const TChangeRow& row : rows) {
    SCOPED_TRACE(row.Name);
    meDate->SetEditMask(kDateMask);
    meDate->SetText("2006/1 /5 ");
    Changes = 0;
    row.Action(meDate);
    EXPECT_EQ(Changes, row.Changes);
  }
}

// ---- The user ----

// Guards typing through the input door: literals skipped, refused
// characters ignored, Backspace blanks without shifting, each change
// raises OnChange.
TEST_F(MaskEditTest, UserTypesOverTheMask) {
  meDate->SetEditMask(kDateMask);
  Form->Show();
  TTestDriver driver(Form);
  driver.Focus("meDate");  // selects all: the first key overwrites from the start
  Changes = 0;
  driver.TypeText("2006x0105");
  EXPECT_EQ(meDate->Text(), "2006/01/05");
  EXPECT_EQ(Changes, 8) << "the refused x changed nothing";
  EXPECT_TRUE(meDate->Modified());
  driver.TypeText("\b\b\b");
  EXPECT_EQ(meDate->Text(), "2006/0 /  ");
  EXPECT_EQ(meDate->SelStart(), 6);
  driver.PressKey(VK_LEFT);
  EXPECT_EQ(meDate->SelStart(), 5);
  driver.PressKey(VK_LEFT);
  EXPECT_EQ(meDate->SelStart(), 3) << "the literal is skipped";
  driver.PressKey(VK_DELETE);
  EXPECT_EQ(meDate->Text(), "200 /0 /  ");
  driver.PressKey(VK_HOME);
  driver.TypeText("1");
  EXPECT_EQ(meDate->Text(), "100 /0 /  ");
  // A pasted date: its literals are skipped, the rest of the line dropped.
  meDate->SelectAll();
  meDate->PasteText("2007/02/03\r\n2008");
  EXPECT_EQ(meDate->Text(), "2007/02/03");
}

// Guards double-byte input arriving a byte at a time: taken whole where
// two any-character positions follow, refused whole elsewhere.
TEST_F(MaskEditTest, UserTypesDoubleByteCharactersWholeOrNotAtAll) {
  Form->Show();
  TTestDriver driver(Form);
  meDate->SetEditMask("cc-cc;1;_");
  driver.Focus("meDate");
  driver.TypeText(std::string(kZhong) + "a");
  EXPECT_EQ(Hex(meDate->EditText()), Hex(std::string(kZhong) + "-a_"));
  meDate->SetEditMask(kDateMask);
  meDate->SetText("");
  driver.Focus("edOther");
  driver.Focus("meDate");
  Changes = 0;
  driver.TypeText(std::string(kZhong) + "7");
  EXPECT_EQ(meDate->EditText(), "7   /  /  ");
  EXPECT_EQ(Changes, 1);
}

// Guards the selection edits by code against shifting the mask: they
// blank and type in place.
TEST_F(MaskEditTest, SelectionEditsKeepTheMask) {
  meDate->SetEditMask(kDateMask);
  meDate->SetText("2006/01/05");
  meDate->SetSelStart(5);
  meDate->SetSelLength(2);
  meDate->SetSelText("1");
  EXPECT_EQ(meDate->Text(), "2006/1 /05");
  meDate->SetSelStart(0);
  meDate->SetSelLength(4);
  meDate->ClearSelection();
  EXPECT_EQ(meDate->Text(), "    /1 /05");
  meDate->SetSelStart(8);
  meDate->SetSelText("7");
  EXPECT_EQ(meDate->Text(), "    /1 /75");
}

// ---- Leaving the edit ----

// Guards against an exit error for blank optional positions (every date
// mask of the forms).
TEST_F(MaskEditTest, LeavingWithOptionalBlanksRaisesNothing) {
  meDate->SetEditMask(kDateMask);
  Form->Show();
  TTestDriver driver(Form);
  driver.TypeText("meDate", "2006");
  EXPECT_NO_THROW(driver.Focus("edOther"));
  EXPECT_EQ(Form->ActiveControl(), edOther);
  EXPECT_EQ(Log, (TEventLog{"exit meDate", "enter edOther"}));
  EXPECT_TRUE(driver.Journal().empty());
}

// Guards the exit check for required positions: the error reaches the
// user's error box (or the code that moved the focus), the focus stays in
// the edit with the caret on the blank, OnExit is not raised, and the
// form's focus machinery keeps working afterwards.
TEST_F(MaskEditTest, LeavingWithRequiredBlankKeepsTheFocus) {
  meDate->SetEditMask("0000/00/00;1;_");
  Form->Show();
  TTestDriver driver(Form);
  driver.TypeText("meDate", "2006");
  driver.PressKey(VK_TAB);
  ASSERT_EQ(driver.Journal().size(), 1u);
  EXPECT_EQ(driver.Journal()[0].DlgType, mtError);
  EXPECT_NE(driver.Journal()[0].Text.find("Invalid input value"), AnsiString::npos);
  EXPECT_EQ(Form->ActiveControl(), meDate);
  EXPECT_TRUE(meDate->Focused());
  EXPECT_EQ(meDate->SelStart(), 5);
  EXPECT_TRUE(Log.empty());

  EXPECT_THROW(edOther->SetFocus(), EDBEditError);
  EXPECT_EQ(Form->ActiveControl(), meDate);

  driver.TypeText("0105");
  driver.PressKey(VK_TAB);
  EXPECT_EQ(driver.Journal().size(), 1u);
  EXPECT_EQ(Form->ActiveControl(), edOther);
  EXPECT_EQ(Log, (TEventLog{"exit meDate", "enter edOther"}));
  EXPECT_EQ(meDate->Text(), "2006/01/05");
}

// Guards the focus machinery against an exit error from an edit that is
// being disabled or hidden: it cannot keep the focus, so nothing raises.
TEST_F(MaskEditTest, DisablingOrHidingSkipsTheRequiredCheck) {
  meDate->SetEditMask("0000/00/00;1;_");
  Form->Show();
  for (void (*takeAway)(TMaskEdit*) : {+[](TMaskEdit* e) { e->SetEnabled(false); },
                                        +[](TMaskEdit* e) { e->SetVisible(false); }}) {
    meDate->SetEnabled(true);
    meDate->SetVisible(true);
    meDate->SetFocus();
    Log.clear();
    EXPECT_NO_THROW(takeAway(meDate));
    EXPECT_NE(Form->ActiveControl(), meDate);
    EXPECT_EQ(Log, TEventLog{"exit meDate"});
  }
}

// ---- Type information ----

// Guards the resource order and the stored flags: the mask is written
// before the text (so reading places the text into it), and MaxLength is
// not written under a mask, so reading never turns it into a plain limit.
TEST_F(MaskEditTest, FormResourceRoundTripKeepsMaskAndText) {
  // The writer stores published methods only: the fixture's lambdas go.
  meDate->SetOnChange(TNotifyEvent());
  meDate->SetOnExit(TNotifyEvent());
  edOther->SetOnEnter(TNotifyEvent());
  meDate->SetEditMask(kDateMask);
  meDate->SetText("2006/1/5");
  const AnsiString text = WriteComponentResource(Form);
  const size_t mask = text.find("EditMask = '9999/99/99;1; '");
  const size_t value = text.find("Text = '2006/1 /5 '");
  ASSERT_NE(mask, AnsiString::npos) << text;
  ASSERT_NE(value, AnsiString::npos) << text;
  EXPECT_LT(mask, value);
  EXPECT_EQ(text.find("MaxLength"), AnsiString::npos) << text;

  TForm* copy = NewObject<TForm>(nullptr);
  ReadRootComponent(copy, ParseDfm(text, "MaskEditTest.dfm"));
  auto* read = dynamic_cast<TMaskEdit*>(copy->FindComponent("meDate"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->EditMask(), kDateMask);
  EXPECT_EQ(read->Text(), "2006/1 /5 ");
  EXPECT_EQ(read->MaxLength(), 10);
  Free(copy);
}

// Guards the published set the forms look up by name, the stored flag of
// MaxLength under a mask, and the registration.
TEST_F(MaskEditTest, PublishesTheMaskEditProperties) {
  RegisterMaskClasses();  // a second time is harmless
  ASSERT_EQ(FindClass("TMaskEdit"), &TMaskEdit::StaticClass());
  ASSERT_EQ(FindClass("TCustomMaskEdit"), &TCustomMaskEdit::StaticClass());
  EXPECT_TRUE(TCustomMaskEdit::StaticClass().IsAbstract());
  EXPECT_TRUE(TCustomMaskEdit::StaticClass().DeclaredProperties().empty());
  for (const char* name : {"EditMask", "Text", "Color", "ImeName", "OnEnter", "OnExit", "OnChange", "OnClick",
                           "MaxLength", "ReadOnly"})
    EXPECT_TRUE(IsPublishedProp(meDate, name)) << name;
  EXPECT_FALSE(IsPublishedProp(meDate, "Caption"));
  const TPropInfo* maxLength = GetPropInfo(TMaskEdit::StaticClass(), "MaxLength");
  ASSERT_NE(maxLength, nullptr);
  meDate->SetMaxLength(6);
  EXPECT_TRUE(IsStoredProp(meDate, *maxLength));
  meDate->SetEditMask(kDateMask);
  EXPECT_FALSE(IsStoredProp(meDate, *maxLength));
  EXPECT_EQ(GetOrdProp(meDate, "MaxLength"), 10);
}

}  // namespace
