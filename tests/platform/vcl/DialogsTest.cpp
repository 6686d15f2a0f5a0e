// Message dialogs: the form CreateMessageDialog builds (named buttons in
// display order, default and cancel buttons), what the journal records
// after a caller rewrote captions and font, the answers of the dialog
// driver (an answer that is no shown button included), the unattended
// default, and the test driver's queue of answers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/TestDriver.h"

namespace {

using TDialogPtr = std::unique_ptr<TMessageForm, void (*)(TMessageForm*)>;

TDialogPtr Make(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
  return TDialogPtr(CreateMessageDialog(msg, type, buttons), [](TMessageForm* f) { Free(f); });
}

std::vector<std::string> Names(const TDialogRecord& r) {
  std::vector<std::string> names;
  for (const TDialogButton& b : r.Buttons) names.push_back(b.Name);
  return names;
}

class DialogsTest : public ::testing::Test {
protected:
  TCleanApplication App;
};

struct TButtonsCase {
  const char* Name;
  TMsgDlgButtons Buttons;
  std::vector<std::string> Expected;
  const char* Default;  // "" for none
  const char* Cancel;
  TModalResult Unattended;
};

class DialogButtonsTest : public DialogsTest, public ::testing::WithParamInterface<TButtonsCase> {};

// Guards against buttons in set order instead of display order, wrong
// component names (callers localise captions by name), a wrong default or
// cancel button, and an unattended answer other than the default button.
TEST_P(DialogButtonsTest, BuildsNamedButtonsInDisplayOrder) {
  const TButtonsCase& c = GetParam();
  TDialogPtr form = Make("text", mtConfirmation, c.Buttons);
  TDialogRecord record;
  ASSERT_TRUE(form->DescribeDialog(record));
  EXPECT_EQ(Names(record), c.Expected);
  EXPECT_EQ(record.DefaultButton < 0 ? "" : record.Buttons[record.DefaultButton].Name, c.Default);
  EXPECT_EQ(record.CancelButton < 0 ? "" : record.Buttons[record.CancelButton].Name, c.Cancel);
  for (const TDialogButton& b : record.Buttons)
    EXPECT_NE(dynamic_cast<TButton*>(form->FindComponent(b.Name)), nullptr) << b.Name;
  EXPECT_EQ(form->ShowModal(), c.Unattended);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, DialogButtonsTest,
    ::testing::Values(
        TButtonsCase{"YesNoCancel", mbYesNoCancel, {"Yes", "No", "Cancel"}, "Yes", "Cancel", mrYes},
        TButtonsCase{"CancelGivenBeforeOk", TMsgDlgButtons{mbCancel, mbOK}, {"OK", "Cancel"}, "OK", "Cancel", mrOk},
        TButtonsCase{"AbortRetryIgnore", mbAbortRetryIgnore, {"Abort", "Retry", "Ignore"}, "Retry", "", mrRetry},
        TButtonsCase{"YesNo", TMsgDlgButtons{mbNo, mbYes}, {"Yes", "No"}, "Yes", "No", mrYes},
        TButtonsCase{"AllKinds",
                     TMsgDlgButtons{mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                                    mbYesToAll, mbHelp},
                     {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"},
                     "OK", "Cancel", mrOk},
        TButtonsCase{"IgnoreAndHelp", TMsgDlgButtons{mbHelp, mbIgnore}, {"Ignore", "Help"}, "Ignore", "", mrIgnore}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against a dialog nothing could close (no button but Help).
TEST_F(DialogsTest, DialogWithoutAnAnsweringButtonIsRefused) {
  EXPECT_THROW(CreateMessageDialog("text", mtWarning, TMsgDlgButtons{}), EInvalidOperation);
  EXPECT_THROW(CreateMessageDialog("text", mtWarning, TMsgDlgButtons{mbHelp}), EInvalidOperation);
}

// Guards against the journal recording the English captions or the default
// font when the caller localised the dialog before showing it, and against
// text bytes being changed on the way.
TEST_F(DialogsTest, JournalRecordsTheDialogAsShownAfterRewriting) {
  const AnsiString text = "E;000038 \xB1\xA8\xB1\xED";  // "报表" in GBK
  TDialogPtr form = Make(text, mtWarning, mbOKCancel);
  form->SetCaption("frmBaseGene");
  static_cast<TButton*>(form->FindComponent("OK"))->SetCaption("\xC8\xB7\xB6\xA8");        // 确定
  static_cast<TButton*>(form->FindComponent("Cancel"))->SetCaption("\xC8\xA1\xCF\xFB");    // 取消
  form->Font()->SetName("SimSun");
  form->Font()->SetCharset(GB2312_CHARSET);
  TDialogRecord seen;
  Application().SetDialogDriver([&seen](const TDialogRecord& r) {
    seen = r;
    EXPECT_NE(r.Form, nullptr);
    return mrCancel;
  });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  ASSERT_EQ(Application().Journal().size(), 1u);
  const TDialogRecord& entry = Application().Journal()[0];
  EXPECT_EQ(entry.Kind, dkMessage);
  EXPECT_EQ(entry.DlgType, mtWarning);
  EXPECT_EQ(entry.Caption, "frmBaseGene");
  EXPECT_EQ(entry.Text, text);
  EXPECT_EQ(entry.Buttons, (std::vector<TDialogButton>{{"OK", "\xC8\xB7\xB6\xA8", mrOk},
                                                       {"Cancel", "\xC8\xA1\xCF\xFB", mrCancel}}));
  EXPECT_EQ(entry.DefaultButton, 0);
  EXPECT_EQ(entry.CancelButton, 1);
  EXPECT_EQ(entry.FontName, "SimSun");
  EXPECT_EQ(entry.FontCharset, 134);
  EXPECT_EQ(entry.Result, mrCancel);
  EXPECT_EQ(entry.AnsweredBy, "driver");
  EXPECT_EQ(entry.Form, nullptr);
  EXPECT_EQ(seen.Buttons, entry.Buttons);
  EXPECT_EQ(seen.Serial, entry.Serial);
}

// Guards against accepting an answer no shown button gives (a test or a
// script would go on with an impossible result), and against the dialog
// form leaking when that happens.
TEST_F(DialogsTest, DriverAnswerThatIsNoShownButtonRaises) {
  const int forms = Screen().FormCount();
  Application().SetDialogDriver([](const TDialogRecord&) { return mrOk; });
  try {
    MessageDlg("Delete?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo});
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_NE(std::string(e.Message()).find("Delete?"), std::string::npos);
  }
  EXPECT_EQ(Screen().FormCount(), forms);
  EXPECT_EQ(Application().ModalLevel(), 0);
  ASSERT_EQ(Application().Journal().size(), 1u);
  EXPECT_EQ(Application().Journal()[0].Result, mrNone);
}

// Guards against MessageDlg returning something other than the driver's
// answer, and ShowMessage not being a custom OK box under the title.
TEST_F(DialogsTest, MessageDlgReturnsTheDriversAnswer) {
  Application().SetTitle("Kulr");
  Application().SetDialogDriver([](const TDialogRecord& r) { return r.HasResult(mrNo) ? mrNo : mrOk; });
  EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, mbYesNoCancel), mrNo);
  ShowMessage("Done");
  ASSERT_EQ(Application().Journal().size(), 2u);
  EXPECT_EQ(Application().Journal()[0].Caption, "Confirm");
  EXPECT_EQ(Application().Journal()[1].DlgType, mtCustom);
  EXPECT_EQ(Application().Journal()[1].Caption, "Kulr");
  EXPECT_EQ(Names(Application().Journal()[1]), (std::vector<std::string>{"OK"}));
  EXPECT_EQ(Application().Journal()[1].Result, mrOk);
}

// Guards against queued answers going to the wrong dialog, and a strict
// driver answering a dialog nobody expected instead of failing loudly.
TEST_F(DialogsTest, TestDriverAnswersFromItsQueueAndFailsWhenStrictAndEmpty) {
  TTestDriver driver;
  driver.AnswerNextDialogs({mrYes, mrCancel});
  EXPECT_EQ(MessageDlg("first", mtConfirmation, mbYesNoCancel), mrYes);
  EXPECT_EQ(MessageDlg("second", mtWarning, mbOKCancel), mrCancel);
  EXPECT_EQ(driver.PendingAnswers(), 0u);
  EXPECT_EQ(MessageDlg("third", mtWarning, mbOKCancel), mrOk);  // not strict: the default
  driver.SetStrict(true);
  EXPECT_THROW(MessageDlg("fourth", mtError, TMsgDlgButtons{mbOK}), EInvalidOperation);
  ASSERT_EQ(driver.Failures().size(), 1u);
  EXPECT_NE(std::string(driver.Failures()[0]).find("fourth"), std::string::npos);
  EXPECT_EQ(driver.Journal().size(), 4u);
}

// Guards against the error box of a strict driver's failure escaping the
// handler of last resort.
TEST_F(DialogsTest, HandleExceptionNeverRaisesEvenWhenTheDriverFails) {
  TTestDriver driver;
  driver.SetStrict(true);
  EXPECT_NO_THROW(Application().HandleException(EConvertError("boom")));
  EXPECT_EQ(driver.Failures().size(), 1u);
  ASSERT_EQ(driver.Journal().size(), 1u);
  EXPECT_EQ(driver.Journal()[0].Kind, dkErrorBox);
  EXPECT_EQ(driver.Journal()[0].AnsweredBy, "");
}

}  // namespace
