// Focus, keys and mouse on a form: the order of enter and exit events
// (compared as whole logs), focus changes made from inside exit handlers,
// focus on a form that is not shown, key preview and consumed keys, Tab
// order, the default and cancel buttons, and user clicks against clicks
// from code.
//
// The form of the fixture:
//   frmFocus
//     edA                  tab stop
//     sp02                 container
//       pnRange            container
//         edBegin, edFinal tab stops
//     sp03                 container
//       edOther            tab stop
//     btnCancel            TButton, Cancel
//     btnOk                TButton, Default
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/TestDriver.h"

namespace {

// A form that also logs its focus-change notification.
class TLogForm : public TForm {
public:
  using TForm::TForm;
  TEventLog* Log = nullptr;

protected:
  void FocusChanged(TWinControl* control) override { Log->push_back("changed " + NameOf(control)); }
};

class FocusTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = NewObject<TLogForm>(nullptr);
    Form->SetName("frmFocus");
    Form->Log = &Log;
    Form->SetOnShow(Notify([this](TObject*) { Log.push_back("show"); }));
    edA = Edit("edA", Form);
    sp02 = Box("sp02", Form);
    pnRange = Box("pnRange", sp02);
    edBegin = Edit("edBegin", pnRange);
    edFinal = Edit("edFinal", pnRange);
    sp03 = Box("sp03", Form);
    edOther = Edit("edOther", sp03);
    btnCancel = Button("btnCancel");
    btnCancel->SetCancel(true);
    btnOk = Button("btnOk");
    btnOk->SetDefault(true);
  }
  void TearDown() override { Free(Form); }

  void Watch(TWinControl* c) {
    c->SetOnEnter(Notify([this, c](TObject*) { Log.push_back("enter " + NameOf(c)); }));
    c->SetOnExit(Notify([this, c](TObject*) { Log.push_back(ExitLine(c)); }));
  }
  // "exit edBegin [btnCancel]": the control and the form's ActiveControl at
  // the time its exit runs.
  std::string ExitLine(TWinControl* c) {
    return "exit " + NameOf(c) + " [" + NameOf(Form->ActiveControl()) + "]";
  }
  TWinControl* Edit(const char* name, TWinControl* parent) {
    auto* c = MakeControl<TWinControl>(Form, parent, name);
    c->SetTabStop(true);
    Watch(c);
    return c;
  }
  TWinControl* Box(const char* name, TWinControl* parent) {
    auto* c = MakeControl<TWinControl>(Form, parent, name);
    Watch(c);
    return c;
  }
  TButton* Button(const char* name) {
    auto* b = MakeControl<TButton>(Form, Form, name);
    Watch(b);
    b->SetOnClick(Notify([this, b](TObject*) { Log.push_back("click " + NameOf(b)); }));
    return b;
  }
  TWinControl* Control(const std::string& name) { return dynamic_cast<TWinControl*>(Form->FindComponent(name)); }
  // Shows the form, focuses c and forgets the events so far.
  void Start(TWinControl* c) {
    Form->Show();
    c->SetFocus();
    Log.clear();
  }

  TCleanApplication App;
  TEventLog Log;
  TLogForm* Form = nullptr;
  TWinControl *edA, *sp02, *pnRange, *edBegin, *edFinal, *sp03, *edOther;
  TButton *btnCancel, *btnOk;
};

// ---- Focus moves ----

struct TFocusMove {
  const char* Name;
  const char* From;
  const char* To;
  std::vector<std::string> Expected;
};

class FocusMoveTest : public FocusTest, public ::testing::WithParamInterface<TFocusMove> {};

// Guards against exits and enters in the wrong order or at the wrong depth,
// a second enter of a container the focus stays in, and an ActiveControl
// that is still the old control while the exits run.
TEST_P(FocusMoveTest, RaisesExitsUpAndEntersDownAroundTheCommonAncestor) {
  const TFocusMove& move = GetParam();
  Start(Control(move.From));
  Control(move.To)->SetFocus();
  EXPECT_EQ(Log, move.Expected);
  EXPECT_EQ(Form->ActiveControl(), Control(move.To));
  EXPECT_TRUE(Control(move.To)->Focused());
}

INSTANTIATE_TEST_SUITE_P(
    Moves, FocusMoveTest,
    ::testing::Values(
        TFocusMove{"BetweenSiblingsInsideAContainer", "edBegin", "edFinal",
                   {"exit edBegin [edFinal]", "changed edFinal", "enter edFinal"}},
        TFocusMove{"OutOfNestedContainers", "edBegin", "btnCancel",
                   {"exit edBegin [btnCancel]", "exit pnRange [btnCancel]", "exit sp02 [btnCancel]",
                    "changed btnCancel", "enter btnCancel"}},
        TFocusMove{"IntoNestedContainers", "btnCancel", "edFinal",
                   {"exit btnCancel [edFinal]", "changed edFinal", "enter sp02", "enter pnRange", "enter edFinal"}},
        TFocusMove{"BetweenContainers", "edBegin", "edOther",
                   {"exit edBegin [edOther]", "exit pnRange [edOther]", "exit sp02 [edOther]", "changed edOther",
                    "enter sp03", "enter edOther"}},
        TFocusMove{"OntoTheContainerItIsIn", "edBegin", "sp02",
                   {"exit edBegin [sp02]", "exit pnRange [sp02]", "changed sp02"}},
        TFocusMove{"ToTheControlThatHasIt", "edBegin", "edBegin", {}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against the rest of an interrupted change running after an exit
// handler refocused inside its own container, and against a second enter
// of that container (which would clear a failed check's flag).
TEST_F(FocusTest, ExitHandlerThatRefocusesInsideItsContainerWins) {
  Start(edBegin);
  sp02->SetOnExit(Notify([this](TObject*) {
    Log.push_back(ExitLine(sp02));
    edBegin->SetFocus();
  }));
  btnCancel->SetFocus();
  EXPECT_EQ(Log, (TEventLog{"exit edBegin [btnCancel]", "exit pnRange [btnCancel]", "exit sp02 [btnCancel]",
                            "changed edBegin", "enter pnRange", "enter edBegin"}));
  EXPECT_EQ(Form->ActiveControl(), edBegin);
  EXPECT_EQ(Form->FocusedControl(), edBegin);
  EXPECT_FALSE(btnCancel->Focused());
}

// Guards against a refused tab-out leaving the container "exited": the
// next move inside it must raise no enter of sp02, and leaving again must
// raise sp02's exit again.
TEST_F(FocusTest, TabOutRefusedByContainerExitThenMovesInsideWithoutReenter) {
  Start(edFinal);
  bool badDate = true;
  sp02->SetOnExit(Notify([this, &badDate](TObject*) {
    Log.push_back(ExitLine(sp02));
    if (badDate) edBegin->SetFocus();
  }));
  TTestDriver driver(Form);
  driver.PressKey(VK_TAB);
  EXPECT_EQ(Log, (TEventLog{"exit edFinal [edOther]", "exit pnRange [edOther]", "exit sp02 [edOther]",
                            "changed edBegin", "enter pnRange", "enter edBegin"}));
  Log.clear();
  driver.PressKey(VK_TAB);
  EXPECT_EQ(Log, (TEventLog{"exit edBegin [edFinal]", "changed edFinal", "enter edFinal"}));
  Log.clear();
  badDate = false;
  driver.PressKey(VK_TAB);
  EXPECT_EQ(Log, (TEventLog{"exit edFinal [edOther]", "exit pnRange [edOther]", "exit sp02 [edOther]",
                            "changed edOther", "enter sp03", "enter edOther"}));
}

// Guards against a control's exit running twice when its own handler sends
// the focus elsewhere.
TEST_F(FocusTest, InnermostExitHandlerRedirectsWithoutASecondExit) {
  Start(edBegin);
  edBegin->SetOnExit(Notify([this](TObject*) {
    Log.push_back(ExitLine(edBegin));
    edOther->SetFocus();
  }));
  btnCancel->SetFocus();
  EXPECT_EQ(Log, (TEventLog{"exit edBegin [btnCancel]", "exit pnRange [edOther]", "exit sp02 [edOther]",
                            "changed edOther", "enter sp03", "enter edOther"}));
  EXPECT_EQ(Form->ActiveControl(), edOther);
}

// Guards against a control that refocuses itself in its exit getting an
// enter it never lost, or the focus ending elsewhere. The form still hears
// that the focus is back on it (ActiveControl had moved on meanwhile).
TEST_F(FocusTest, ExitHandlerRefocusingItsOwnControlKeepsTheFocus) {
  Start(edBegin);
  edBegin->SetOnExit(Notify([this](TObject*) {
    Log.push_back(ExitLine(edBegin));
    edBegin->SetFocus();
  }));
  btnCancel->SetFocus();
  EXPECT_EQ(Log, (TEventLog{"exit edBegin [btnCancel]", "changed edBegin"}));
  EXPECT_EQ(Form->ActiveControl(), edBegin);
}

// Guards against a half-made change when an exit handler raises: the focus
// stays with the old control and the error reaches the caller.
TEST_F(FocusTest, ExitHandlerThatRaisesKeepsTheFocus) {
  Start(edBegin);
  edBegin->SetOnExit(Notify([](TObject*) { throw EConvertError("bad date"); }));
  EXPECT_THROW(btnCancel->SetFocus(), EConvertError);
  EXPECT_EQ(Form->ActiveControl(), edBegin);
  EXPECT_EQ(Form->FocusedControl(), edBegin);
}

// Guards against events on a form nobody sees, against losing the focus
// recorded there, and against a "cannot focus" error escaping to a host
// that prepares a form before showing it.
TEST_F(FocusTest, FocusOnAHiddenFormIsRecordedAndEnteredOnShow) {
  edFinal->SetFocus();
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Form->ActiveControl(), edFinal);
  EXPECT_FALSE(edFinal->Focused());
  edA->SetEnabled(false);
  EXPECT_NO_THROW(edA->SetFocus());
  edFinal->SetFocus();
  Form->Show();
  EXPECT_EQ(Log, (TEventLog{"show", "changed edFinal", "enter sp02", "enter pnRange", "enter edFinal"}));
  EXPECT_TRUE(edFinal->Focused());
}

// Guards against showing a form whose recorded control has since been
// hidden: the first control in tab order takes the focus instead.
TEST_F(FocusTest, ShowFallsBackToTheFirstTabStopWhenTheRecordedControlCannotFocus) {
  edOther->SetFocus();
  sp03->SetVisible(false);
  Form->Show();
  EXPECT_EQ(Log, (TEventLog{"show", "changed edA", "enter edA"}));
  EXPECT_EQ(Form->ActiveControl(), edA);
}

// Guards against focusing a hidden or disabled control of a shown form.
TEST_F(FocusTest, SetFocusOnAControlThatCannotFocusRaisesOnAShownForm) {
  Start(edBegin);
  edOther->SetEnabled(false);
  try {
    edOther->SetFocus();
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_NE(std::string(e.Message()).find("Cannot focus a disabled or invisible window"), std::string::npos);
  }
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Form->ActiveControl(), edBegin);
}

// Guards against a hidden control keeping the focus: its exits run and the
// form holds the focus.
TEST_F(FocusTest, HidingTheFocusedControlsContainerRunsTheirExits) {
  Start(edBegin);
  pnRange->SetVisible(false);
  EXPECT_EQ(Log, (TEventLog{"exit edBegin [nil]", "exit pnRange [nil]", "exit sp02 [nil]", "changed nil"}));
  EXPECT_EQ(Form->ActiveControl(), nullptr);
}

// Guards against exits run on a control being freed, and against the
// containers it was in losing their own exits later.
TEST_F(FocusTest, FreeingTheFocusedControlRunsNoExitButItsContainersStillExit) {
  Start(edBegin);
  Free(edBegin);
  edBegin = nullptr;
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Form->FocusedControl(), pnRange);
  btnCancel->SetFocus();
  EXPECT_EQ(Log, (TEventLog{"exit pnRange [btnCancel]", "exit sp02 [btnCancel]", "changed btnCancel",
                            "enter btnCancel"}));
}

// ---- Mouse ----

// Guards against a click that runs before the old control's exit, or with
// the old control still active (the "while btnCancel is the active control"
// checks depend on it).
TEST_F(FocusTest, UserClickFocusesTheButtonBeforeClickingIt) {
  Start(edBegin);
  TTestDriver driver(Form);
  driver.Click("btnCancel");
  EXPECT_EQ(Log, (TEventLog{"exit edBegin [btnCancel]", "exit pnRange [btnCancel]", "exit sp02 [btnCancel]",
                            "changed btnCancel", "enter btnCancel", "click btnCancel"}));
}

// Guards against code-driven clicks moving the focus (run requests press
// buttons from code).
TEST_F(FocusTest, ClickFromCodeMovesNoFocus) {
  Start(edBegin);
  btnCancel->Click();
  EXPECT_EQ(Log, (TEventLog{"click btnCancel"}));
  EXPECT_EQ(Form->ActiveControl(), edBegin);
}

// Guards against a button-up without its press (posted after every dialog)
// clicking anything.
TEST_F(FocusTest, LoneButtonUpClicksNothing) {
  Start(edBegin);
  EXPECT_TRUE(Application().DispatchMouseUp(btnCancel, mbLeft, {}, 1, 1));
  Application().DispatchMouseDown(edA, mbLeft, {}, 1, 1);
  Log.clear();
  Application().DispatchMouseUp(btnCancel, mbLeft, {}, 1, 1);
  PostMessage(btnCancel->Handle(), WM_LBUTTONUP, 0, PointToLParam(1, 1));
  Application().ProcessMessages();
  EXPECT_TRUE(Log.empty());
}

// Guards against clicking a button whose press was refused: the exit
// check sent the focus back, as a real button then stays unpressed.
TEST_F(FocusTest, ExitHandlerThatTakesTheFocusBackSwallowsTheClick) {
  Start(edBegin);
  sp02->SetOnExit(Notify([this](TObject*) { edBegin->SetFocus(); }));
  EXPECT_FALSE(Application().UserClick(btnCancel));
  EXPECT_EQ(std::count(Log.begin(), Log.end(), "click btnCancel"), 0);
  EXPECT_EQ(Form->ActiveControl(), edBegin);
}

// ---- The test driver ----

// Guards against name paths that miss controls nested in containers, that
// compare case, that accept a control outside the named container, or
// typing that does not go byte by byte to the focused control.
TEST_F(FocusTest, DriverFindsControlsByPathAndTypesBytes) {
  Form->Show();
  TTestDriver driver;
  EXPECT_EQ(&driver.Find("edBegin"), edBegin);
  EXPECT_EQ(&driver.Find("sp02.edFinal"), edFinal);
  EXPECT_EQ(&driver.Find("FRMFOCUS.SP03.EDOTHER"), edOther);
  EXPECT_THROW(driver.Find("sp03.edBegin"), EInvalidOperation);
  EXPECT_THROW(driver.Find("sp02..edBegin"), EInvalidOperation);
  std::string typed;
  edFinal->SetOnKeyPress(TKeyPressEvent::FromFunction([&typed](TObject*, char& key) { typed += key; }));
  driver.TypeText("sp02.pnRange.edFinal", "\xB1\xA8x");  // "报" in GBK, then x
  EXPECT_EQ(Form->ActiveControl(), edFinal);
  EXPECT_EQ(typed, "\xB1\xA8x");
}

// ---- Keys ----

struct TPreviewCase {
  const char* Name;
  bool Preview;
  bool FormConsumesDown;
  bool FormConsumesPress;
  std::vector<std::string> Expected;
};

class KeyPreviewTest : public FocusTest, public ::testing::WithParamInterface<TPreviewCase> {};

// Guards against the form missing keys with KeyPreview set, seeing them
// without it, a consumed key still reaching the control, and a consumed
// key-down swallowing its character (it does not on the platform).
TEST_P(KeyPreviewTest, FormSeesKeysFirstAndMayConsumeThem) {
  const TPreviewCase& c = GetParam();
  Start(edBegin);
  Form->SetKeyPreview(c.Preview);
  Form->SetOnKeyDown(TKeyEvent::FromFunction([this, &c](TObject*, uint16_t& key, TShiftState) {
    Log.push_back("form down " + std::to_string(key));
    if (c.FormConsumesDown) key = 0;
  }));
  Form->SetOnKeyPress(TKeyPressEvent::FromFunction([this, &c](TObject*, char& key) {
    Log.push_back(std::string("form press ") + key);
    if (c.FormConsumesPress) key = 0;
  }));
  edBegin->SetOnKeyDown(TKeyEvent::FromFunction([this](TObject*, uint16_t& key, TShiftState) {
    Log.push_back("edBegin down " + std::to_string(key));
  }));
  edBegin->SetOnKeyPress(TKeyPressEvent::FromFunction([this](TObject*, char& key) {
    Log.push_back(std::string("edBegin press ") + key);
  }));
  Application().PressKey('A');
  EXPECT_EQ(Log, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyPreviewTest,
    ::testing::Values(
        TPreviewCase{"PreviewOffControlOnly", false, true, true, {"edBegin down 65", "edBegin press a"}},
        TPreviewCase{"PreviewFormFirst", true, false, false,
                     {"form down 65", "edBegin down 65", "form press a", "edBegin press a"}},
        TPreviewCase{"FormConsumesDownOnly", true, true, false, {"form down 65", "form press a", "edBegin press a"}},
        TPreviewCase{"FormConsumesBoth", true, true, true, {"form down 65", "form press a"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against Tab skipping or stopping at the wrong controls (containers
// are no tab stops), not wrapping, Shift+Tab not going back, or moving when
// a handler consumed the key or Ctrl is held.
TEST_F(FocusTest, TabMovesThroughTabStopsInTabOrder) {
  Start(edA);
  TTestDriver driver(Form);
  std::vector<std::string> visited;
  for (int i = 0; i < 6; ++i) {
    driver.PressKey(VK_TAB);
    visited.push_back(NameOf(Form->ActiveControl()));
  }
  EXPECT_EQ(visited, (std::vector<std::string>{"edBegin", "edFinal", "edOther", "btnCancel", "btnOk", "edA"}));
  driver.PressKey(VK_TAB, TShiftState{ssShift});
  EXPECT_EQ(Form->ActiveControl(), btnOk);
  driver.PressKey(VK_TAB, TShiftState{ssCtrl});
  EXPECT_EQ(Form->ActiveControl(), btnOk);
  btnOk->SetOnKeyDown(TKeyEvent::FromFunction([](TObject*, uint16_t& key, TShiftState) { key = 0; }));
  driver.PressKey(VK_TAB);
  EXPECT_EQ(Form->ActiveControl(), btnOk);
}

struct TDialogKeyCase {
  const char* Name;
  const char* Focus;
  uint16_t Key;
  bool ControlConsumes;
  bool OkDisabled;
  std::vector<std::string> Expected;
};

class DialogKeyTest : public FocusTest, public ::testing::WithParamInterface<TDialogKeyCase> {};

// Guards against Enter and Esc pressing the wrong button, pressing one after
// a handler consumed the key, pressing a disabled one, or also delivering
// the character of a key a button used.
TEST_P(DialogKeyTest, EnterAndEscPressTheDefaultAndCancelButtons) {
  const TDialogKeyCase& c = GetParam();
  Start(Control(c.Focus));
  btnOk->SetEnabled(!c.OkDisabled);
  Log.clear();
  TWinControl* focused = Control(c.Focus);
  focused->SetOnKeyDown(TKeyEvent::FromFunction([&c](TObject*, uint16_t& key, TShiftState) {
    if (c.ControlConsumes) key = 0;
  }));
  focused->SetOnKeyPress(TKeyPressEvent::FromFunction([this, focused](TObject*, char& key) {
    Log.push_back("press " + NameOf(focused) + " " + std::to_string(static_cast<int>(key)));
  }));
  Application().PressKey(c.Key);
  EXPECT_EQ(Log, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogKeyTest,
    ::testing::Values(TDialogKeyCase{"EnterPressesDefault", "edBegin", VK_RETURN, false, false, {"click btnOk"}},
                      TDialogKeyCase{"EscPressesCancel", "edBegin", VK_ESCAPE, false, false, {"click btnCancel"}},
                      TDialogKeyCase{"EnterPressesTheFocusedButton", "btnCancel", VK_RETURN, false, false,
                                     {"click btnCancel"}},
                      TDialogKeyCase{"ConsumedEnterPressesNothing", "edBegin", VK_RETURN, true, false,
                                     {"press edBegin 13"}},
                      TDialogKeyCase{"DisabledDefaultLeavesTheCharacter", "edBegin", VK_RETURN, false, true,
                                     {"press edBegin 13"}}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
