// The F2 button: its place beside the control (set, AutoAlign, Gap, and
// what a run-time move does not do), a click with usable, disabled, hidden
// and unfocusable controls (only a control that got the focus sends the
// request, and the form receives it with that control), a second button
// for one control refused on the form and allowed on a panel or without a
// parent, a freed control dropped, and a form resource that names the
// control below the button.
#include "components/F2Button.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "GlyphTestSupport.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/FormWriter.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/FormsTestSupport.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"

namespace {

// A form that logs the F2 requests it receives.
class TF2Form : public TForm {
public:
  using TForm::TForm;
  TEventLog* Log = nullptr;

protected:
  LRESULT ControlMessage(TControl* control, WPARAM wParam) override {
    Log->push_back("F2 " + NameOf(control) + " w" + std::to_string(wParam));
    return 1;
  }
};

class F2ButtonTest : public testing::Test {
public:
  // Public: the rows of the parameterised tests prepare the fixture.
  void SetUp() override {
    RegisterStandardClasses();
    RegisterF2ButtonClasses();
    Form = NewObject<TF2Form>(nullptr);
    Form->SetName("frmF2");
    Form->Log = &Log;
    edCode = MakeControl<TEdit>(Form, Form, "edCode");
    edCode->SetBounds(100, 50, 120, 21);
    edOther = MakeControl<TEdit>(Form, Form, "edOther");
    btnF2 = MakeControl<TF2Button>(Form, Form, "btnF2");
    btnF2->SetOnClick(Notify([this](TObject*) { Log.push_back("click"); }));
  }
  void TearDown() override { Free(Form); }

  TCleanApplication App;
  TEventLog Log;
  TF2Form* Form = nullptr;
  TEdit* edCode = nullptr;
  TEdit* edOther = nullptr;
  TF2Button* btnF2 = nullptr;
};

// Guards against a new button that is not the flat lookup button.
TEST_F(F2ButtonTest, NewButtonIsFlatWithTheLookupGlyph) {
  EXPECT_TRUE(btnF2->Flat());
  EXPECT_EQ(btnF2->GlyphIndex(), 8);
  EXPECT_EQ(btnF2->Glyph()->Width(), 16);
  EXPECT_EQ(btnF2->Caption(), "");
  EXPECT_TRUE(btnF2->AutoAlign());
  EXPECT_EQ(btnF2->Gap(), 2);
  EXPECT_EQ(btnF2->F2Control(), nullptr);
}

// ---- Alignment ----

struct TAlignRow {
  const char* Name;
  std::function<void(TF2Button&, TEdit&)> Steps;
  TRect Expected;  // the button's bounds
};

// The edit lies at (100, 50), 120 x 21; a new button at (0, 0), 23 x 22.
const TAlignRow kAlignRows[] = {
    // Guards against a button left where it was, or not made square.
    {"AttachPlacesItSquareRightOfTheControl", [](TF2Button& b, TEdit& e) { b.SetF2Control(&e); },
     Bounds(100 + 120 + 2, 50, 21, 21)},
    {"GapChangeMovesIt",
     [](TF2Button& b, TEdit& e) {
       b.SetF2Control(&e);
       b.SetGap(6);
     },
     Bounds(100 + 120 + 6, 50, 21, 21)},
    // Guards against AutoAlign False being ignored.
    {"WithoutAutoAlignAttachLeavesIt",
     [](TF2Button& b, TEdit& e) {
       b.SetAutoAlign(false);
       b.SetF2Control(&e);
     },
     Bounds(0, 0, 23, 22)},
    {"AutoAlignOnAlignsAtOnce",
     [](TF2Button& b, TEdit& e) {
       b.SetAutoAlign(false);
       b.SetF2Control(&e);
       b.SetAutoAlign(true);
     },
     Bounds(222, 50, 21, 21)},
    // Outside design mode the control is not followed...
    {"RunTimeMoveIsNotFollowed",
     [](TF2Button& b, TEdit& e) {
       b.SetF2Control(&e);
       e.SetBounds(10, 20, 60, 24);
     },
     Bounds(222, 50, 21, 21)},
    // ...the same Gap again does not re-align (only a change does)...
    {"SameGapDoesNotRealign",
     [](TF2Button& b, TEdit& e) {
       b.SetF2Control(&e);
       e.SetBounds(10, 20, 60, 24);
       b.SetGap(2);
     },
     Bounds(222, 50, 21, 21)},
    // ...but setting AutoAlign does, with the new height.
    {"AutoAlignAgainFollowsTheMove",
     [](TF2Button& b, TEdit& e) {
       b.SetF2Control(&e);
       e.SetBounds(10, 20, 60, 24);
       b.SetAutoAlign(true);
     },
     Bounds(10 + 60 + 2, 20, 24, 24)},
    {"DetachKeepsThePlace",
     [](TF2Button& b, TEdit& e) {
       b.SetF2Control(&e);
       b.SetF2Control(nullptr);
       b.SetGap(9);
     },
     Bounds(222, 50, 21, 21)},
};

TEST_F(F2ButtonTest, Alignment) {
  for (const TAlignRow& row : kAlignRows) {
    SCOPED_TRACE(row.Name);
    auto* button = NewObject<TF2Button>(Form);
    auto* edit = NewObject<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(100, 50, 120, 21);
    row.Steps(*button, *edit);
    EXPECT_EQ(button->BoundsRect(), row.Expected);
    Free(button);
    Free(edit);
  }
}

// ---- Clicks ----

struct TClickRow {
  const char* Name;
  std::function<void(F2ButtonTest&)> Prepare;
  std::vector<std::string> Log;  // after the user's click
  const char* FocusedAfter;       // the form's active control
};
void PrintTo(const TClickRow& row, std::ostream* os) { *os << row.Name; }

class F2ButtonClickTest : public F2ButtonTest, public testing::WithParamInterface<TClickRow> {};

TEST_P(F2ButtonClickTest, UserClick) {
  btnF2->SetF2Control(edCode);
  Form->Show();
  edOther->SetFocus();
  GetParam().Prepare(*this);
  Log.clear();
  TTestDriver driver(Form);
  driver.Click("btnF2");
  EXPECT_EQ(Log, GetParam().Log);
  EXPECT_EQ(NameOf(Form->ActiveControl()), GetParam().FocusedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, F2ButtonClickTest,
    testing::Values(
        // Guards against the request going out before OnClick, or without
        // the control, or to another window than the control's form.
        TClickRow{"UsableControlIsFocusedAndRequested", [](F2ButtonTest&) {}, {"click", "F2 edCode w0"}, "edCode"},
        // Guards against the request for a control the user cannot use.
        TClickRow{"DisabledControlOnlyClicks", [](F2ButtonTest& t) { t.edCode->SetEnabled(false); }, {"click"},
                  "edOther"},
        TClickRow{"HiddenControlOnlyClicks", [](F2ButtonTest& t) { t.edCode->SetVisible(false); }, {"click"},
                  "edOther"},
        // A control inside a hidden panel cannot take the focus either.
        TClickRow{"ControlOnAHiddenPanelOnlyClicks",
                  [](F2ButtonTest& t) {
                    auto* panel = MakeControl<TPanel>(t.Form, t.Form, "pnlHidden");
                    t.edCode->SetParent(panel);
                    panel->SetVisible(false);
                  },
                  {"click"}, "edOther"},
        // Guards against sending when an exit handler kept the focus away.
        TClickRow{"FocusRefusedByAnExitHandlerSendsNothing",
                  [](F2ButtonTest& t) {
                    t.edOther->SetOnExit(Notify([&t](TObject*) {
                      t.Log.push_back("exit edOther");
                      t.edOther->SetFocus();
                    }));
                  },
                  {"click", "exit edOther"}, "edOther"},
        TClickRow{"DetachedButtonOnlyClicks", [](F2ButtonTest& t) { t.btnF2->SetF2Control(nullptr); }, {"click"},
                  "edOther"},
        // Guards against reading F2Control before OnClick ran.
        TClickRow{"OnClickThatDetachesSendsNothing",
                  [](F2ButtonTest& t) {
                    t.btnF2->SetOnClick(Notify([&t](TObject*) {
                      t.Log.push_back("click");
                      t.btnF2->SetF2Control(nullptr);
                    }));
                  },
                  {"click"}, "edOther"}),
    [](const testing::TestParamInfo<TClickRow>& info) { return std::string(info.param.Name); });

// Guards against a request to an owner that has no window (T-21): the
// control is focused, nothing is sent and nothing crashes.
TEST_F(F2ButtonTest, ControlOwnedByNoWindowGetsNoRequest) {
  TComponent* keeper = NewObject<TComponent>(nullptr);
  auto* edLoose = NewObject<TEdit>(keeper);
  edLoose->SetParent(Form);
  btnF2->SetF2Control(edLoose);
  Form->Show();
  btnF2->Click();
  EXPECT_EQ(Log, (TEventLog{"click"}));
  EXPECT_TRUE(edLoose->Focused());
  Free(edLoose);
  Free(keeper);
}

// Guards against a dangling reference: a freed control is dropped, and a
// later click only clicks.
TEST_F(F2ButtonTest, FreedControlIsDropped) {
  btnF2->SetF2Control(edCode);
  Free(edCode);
  edCode = nullptr;
  EXPECT_EQ(btnF2->F2Control(), nullptr);
  Form->Show();
  btnF2->Click();
  EXPECT_EQ(Log, (TEventLog{"click"}));
}

// ---- A second button for one control ----

struct TDuplicateRow {
  const char* Name;
  // Where both buttons lie: "form", "panel" (a parent that owns nothing),
  // or "none" (no parent).
  const char* Parent;
  bool SecondAttached;
  size_t Boxes;
};
void PrintTo(const TDuplicateRow& row, std::ostream* os) { *os << row.Name; }

class F2ButtonDuplicateTest : public F2ButtonTest, public testing::WithParamInterface<TDuplicateRow> {};

TEST_P(F2ButtonDuplicateTest, SecondButtonForOneControl) {
  const TDuplicateRow& row = GetParam();
  TWinControl* parent = nullptr;
  if (std::string(row.Parent) == "form") parent = Form;
  if (std::string(row.Parent) == "panel") parent = MakeControl<TPanel>(Form, Form, "pnlButtons");
  auto* first = NewObject<TF2Button>(Form);
  auto* second = NewObject<TF2Button>(Form);
  first->SetParent(parent);
  second->SetParent(parent);
  first->SetF2Control(edCode);
  second->SetBounds(5, 6, 23, 22);
  second->SetF2Control(edCode);
  EXPECT_EQ(first->F2Control(), edCode);
  EXPECT_EQ(second->F2Control(), row.SecondAttached ? edCode : nullptr);
  if (!row.SecondAttached) {
    EXPECT_EQ(second->BoundsRect(), Bounds(5, 6, 23, 22)) << "a refused button moved";
  }
  std::vector<std::string> expected(row.Boxes,
                                    // "不能同时有两个 F2Button 指到同一个 Edit."
                                    "\xB2\xBB\xC4\xDC\xCD\xAC\xCA\xB1\xD3\xD0\xC1\xBD\xB8\xF6 F2Button "
                                    "\xD6\xB8\xB5\xBD\xCD\xAC\xD2\xBB\xB8\xF6 Edit.");
  EXPECT_EQ(ErrorBoxTexts(), expected);
  if (row.Boxes > 0) {
    EXPECT_EQ(Application().Journal().back().Kind, dkErrorBox);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Parents, F2ButtonDuplicateTest,
    testing::Values(
        // Guards against two buttons sending F2 for one edit.
        TDuplicateRow{"OnTheOwningFormRefused", "form", false, 1},
        // A panel owns no components: nothing to compare against.
        TDuplicateRow{"OnAPanelNotChecked", "panel", true, 0},
        // Guards against a crash on a button made in code without a parent.
        TDuplicateRow{"WithoutParentNotChecked", "none", true, 0}),
    [](const testing::TestParamInfo<TDuplicateRow>& info) { return std::string(info.param.Name); });

// Guards against the button's own attachment counting as a duplicate, and
// against a same-control assignment re-aligning on the form.
TEST_F(F2ButtonTest, SameControlAgainIsASilentNoOp) {
  btnF2->SetF2Control(edCode);
  edCode->SetBounds(0, 0, 50, 30);
  btnF2->SetF2Control(edCode);
  EXPECT_TRUE(ErrorBoxTexts().empty());
  EXPECT_EQ(btnF2->BoundsRect(), Bounds(222, 50, 21, 21));
}

// ---- Form resources ----

// Guards against a reference resolved before the control below the button
// was read (the button would align to nothing or to unfinished bounds),
// and against the new button's own values being written as changes.
TEST_F(F2ButtonTest, ResourceNamesTheControlBelowTheButton) {
  const char* text =
      "object frmF2: TForm\n"
      "  object btnDate: TF2Button\n"
      "    F2Control = edDate\n"
      "    Gap = 3\n"
      "    GlyphIndex = 9\n"
      "  end\n"
      "  object edDate: TEdit\n"
      "    Left = 40\n"
      "    Top = 12\n"
      "    Width = 80\n"
      "    Height = 24\n"
      "  end\n"
      "end\n";
  TForm* form = NewObject<TForm>(nullptr);
  ReadRootComponent(form, ParseDfm(text, "frmF2.dfm"));
  auto* button = dynamic_cast<TF2Button*>(form->FindComponent("btnDate"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->F2Control(), form->FindComponent("edDate"));
  EXPECT_EQ(button->BoundsRect(), Bounds(40 + 80 + 3, 12, 24, 24));
  EXPECT_EQ(button->GlyphIndex(), 9);

  button->SetGlyphIndex(8);
  const AnsiString written = WriteComponentResource(form);
  EXPECT_EQ(written.find("GlyphIndex"), std::string::npos) << written;
  EXPECT_EQ(written.find("Flat"), std::string::npos) << written;
  EXPECT_NE(written.find("F2Control = edDate"), std::string::npos) << written;
  button->SetGlyphIndex(0);
  button->SetFlat(false);
  const AnsiString plain = WriteComponentResource(form);
  EXPECT_NE(plain.find("GlyphIndex = 0"), std::string::npos) << plain;
  EXPECT_NE(plain.find("Flat = False"), std::string::npos) << plain;
  Free(form);
}

}  // namespace
