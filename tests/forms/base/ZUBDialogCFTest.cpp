#include "forms/base/ZUBDialogCF.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BaseFormTestForms.h"
#include "i18n/I18nTestSupport.h"
#include "platform/vcl/FormsTestSupport.h"
#include "platform/vcl/TestDriver.h"

namespace {

class ZUBDialogTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterBaseFormTestClasses(); }
  ZUBDialogTest() : FInstall(936, "UICodePage=936\n") {}
  ~ZUBDialogTest() override {
    FDriver.reset();
    Free(FDialog);
    Free(FOther);
  }
  // Shows the dialog and focuses the control named start.
  TTestDriver& Open(const char* start) {
    FDialog = NewObject<TTestDialog>(nullptr);
    FDialog->Show();
    FDriver = std::make_unique<TTestDriver>(FDialog);
    FDriver->Focus(start);
    return *FDriver;
  }
  std::string Focused() const { return NameOf(FDialog->ActiveControl()); }

  TInstallation FInstall;
  TCleanApplication FClean;
  TTestDialog* FDialog = nullptr;
  TForm* FOther = nullptr;
  std::unique_ptr<TTestDriver> FDriver;
};

// ---- Enter ----

struct TEnterRow {
  const char* Name;
  const char* Start;
  const char* Focused;  // after Enter
  bool LineBreak;       // the memo got one
};

class DialogEnterTest : public ZUBDialogTest, public ::testing::WithParamInterface<TEnterRow> {};

// Guards against Enter staying in an edit (data entry moves on), and
// against Enter taken from the controls that need it.
TEST_P(DialogEnterTest, EnterMovesOnExceptInMemosAndGrids) {
  const TEnterRow& row = GetParam();
  TTestDriver& driver = Open(row.Start);
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(Focused(), row.Focused);
  EXPECT_EQ(FDialog->meNote->Text().find("\r\n") != AnsiString::npos, row.LineBreak);
}

INSTANTIATE_TEST_SUITE_P(Table, DialogEnterTest,
                         ::testing::Values(TEnterRow{"EditToNextEdit", "edFirst", "edSecond", false},
                                           TEnterRow{"EditToMemo", "edSecond", "meNote", false},
                                           TEnterRow{"MemoBreaksTheLine", "meNote", "meNote", true},
                                           TEnterRow{"GridKeepsIt", "grList", "grList", false}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- F2, F3, F4 ----

struct TKeyRow {
  const char* Name;
  uint16_t Key;
  const char* Logged;  // "" when no action runs
};

class DialogKeyTest : public ZUBDialogTest, public ::testing::WithParamInterface<TKeyRow> {};

// Guards against a function key reaching the wrong action or another
// control, and against other keys running an action.
TEST_P(DialogKeyTest, FunctionKeysCallTheirActionWithTheActiveControl) {
  const TKeyRow& row = GetParam();
  TTestDriver& driver = Open("edFirst");
  driver.PressKey(row.Key);
  EXPECT_EQ(FDialog->Log, *row.Logged ? std::vector<std::string>{row.Logged} : std::vector<std::string>{});
  EXPECT_EQ(Focused(), "edFirst");
}

INSTANTIATE_TEST_SUITE_P(Table, DialogKeyTest,
                         ::testing::Values(TKeyRow{"F2", VK_F2, "F2 edFirst"}, TKeyRow{"F3", VK_F3, "F3 edFirst"},
                                           TKeyRow{"F4", VK_F4, "F4 edFirst"}, TKeyRow{"F5", VK_F5, ""}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- The private messages ----

// Guards against using an address from the message queue that is no
// control of this dialog (another form's control, any other address, nil),
// and against a message reaching the wrong action.
TEST_F(ZUBDialogTest, MessagesActOnlyOnOwnControls) {
  Open("edFirst");
  FOther = NewObject<TForm>(nullptr);
  auto* foreign = MakeControl<TEdit>(FOther, FOther, "edForeign");
  int notAComponent = 0;
  const HWND handle = FDialog->Handle();
  struct TMessageRow {
    UINT Message;
    const char* Action;
  };
  for (const TMessageRow& m : {TMessageRow{1034, "F2"}, TMessageRow{1035, "F3"}, TMessageRow{1036, "F4"}}) {
    SCOPED_TRACE(m.Action);
    FDialog->Log.clear();
    FDriver->Focus("edFirst");
    for (LPARAM unsafe : {reinterpret_cast<LPARAM>(static_cast<TComponent*>(foreign)),
                          reinterpret_cast<LPARAM>(&notAComponent), LPARAM{0}}) {
      SendMessage(handle, m.Message, 0, unsafe);
    }
    EXPECT_TRUE(FDialog->Log.empty());
    SendMessage(handle, m.Message, 0, reinterpret_cast<LPARAM>(static_cast<TComponent*>(FDialog->edSecond)));
    EXPECT_EQ(FDialog->Log, std::vector<std::string>{std::string(m.Action) + " edSecond"});
    EXPECT_EQ(Focused(), "edSecond") << "the base action focuses the control";
  }
}

// ---- Creation ----

// Guards against a dialog shown in simplified texts on a traditional
// interface, against a second conversion garbling them, and against the
// owner's caption being lost (or taken from a non-form owner).
TEST(ZUBDialogCreationTest, ConvertedAtCreationWithTheOwnersCaption) {
  RegisterBaseFormTestClasses();
  TInstallation install(950, "");  // mode 2
  TCleanApplication clean;
  TForm* owner = NewObject<TForm>(nullptr);
  owner->SetCaption("Owner caption");
  auto* dialog = NewObject<TTestDialog>(owner);
  EXPECT_EQ(dialog->lblTitle->Caption(), Big5(u"軟體"));
  EXPECT_EQ(dialog->Caption(), "Owner caption");
  EXPECT_TRUE(dialog->Converted());
  dialog->ConvertOnce();
  EXPECT_EQ(dialog->lblTitle->Caption(), Big5(u"軟體"));
  EXPECT_EQ(dialog->BorderStyle(), bsDialog);
  EXPECT_EQ(dialog->ClientWidth(), 394);
  EXPECT_EQ(dialog->ClientHeight(), 322);
  EXPECT_TRUE(dialog->KeyPreview());
  Free(owner);

  auto* alone = NewObject<TTestDialog>(nullptr);
  EXPECT_EQ(alone->Caption(), Big5(u"軟體")) << "without an owner form the designed caption, converted";
  Free(alone);
}

}  // namespace
