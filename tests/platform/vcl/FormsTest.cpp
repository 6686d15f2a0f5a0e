// Forms: showing and hiding with their events, modal results through the
// modal driver and without one, closing with close queries and actions,
// the release that waits for handlers and nested loops, posted close
// requests, the control message, OnDestroy whichever way a form goes, the
// error box for exceptions from handlers, position and the active form.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Resources.h"
#include "platform/vcl/TestDriver.h"

// A designed form read from an inline resource.
class TfrmResTest : public TForm {
  KULR_CLASS(TfrmResTest, TForm)
  explicit TfrmResTest(TComponent* owner) : TForm(owner) {}

  TButton* btnOk = nullptr;
  std::vector<std::string> Seen;
  void FormCreate(TObject*) {
    Seen.push_back("create " + (btnOk != nullptr ? std::string(btnOk->Caption()) : "without btnOk"));
  }
  void btnOkClick(TObject*) { Seen.push_back("click"); }
};

const TClass& TfrmResTest::StaticClass() {
  static const TClass& record = TClassBuilder<TfrmResTest>()
                                    .Field("btnOk", &TfrmResTest::btnOk)
                                    .Method("FormCreate", &TfrmResTest::FormCreate)
                                    .Method("btnOkClick", &TfrmResTest::btnOkClick)
                                    .Factory()
                                    .Build();
  return record;
}

namespace {

TEventLog* gLog = nullptr;

// A form that logs its control messages and its destructor, so a test sees
// OnDestroy run before any destructor body.
class TLogForm : public TForm {
public:
  using TForm::TForm;
  ~TLogForm() override {
    if (gLog != nullptr) gLog->push_back("~" + NameOf(this));
  }

protected:
  LRESULT ControlMessage(TControl* control, WPARAM wParam) override {
    gLog->push_back("control " + NameOf(control) + " " + std::to_string(wParam));
    return 1;
  }
};

class FormsTest : public ::testing::Test {
protected:
  void SetUp() override { gLog = &Log; }
  void TearDown() override {
    for (TLogForm*& form : Forms) {
      if (form != nullptr) Free(form);
    }
    Application().ProcessMessages();
    gLog = nullptr;
  }

  // A logging form with btnOk (mrOk, Default) and btnCancel (mrCancel,
  // Cancel); slot is cleared when the form is freed, however that happens.
  TLogForm*& MakeForm(const char* name, TComponent* owner = nullptr) {
    Forms.push_back(nullptr);
    TLogForm*& slot = Forms.back();
    auto* form = NewObject<TLogForm>(owner);
    slot = form;
    form->SetName(name);
    form->SetBounds(0, 0, 400, 300);
    std::string n = name;
    form->SetOnShow(Notify([this, n](TObject*) { Log.push_back("show " + n); }));
    form->SetOnHide(Notify([this, n](TObject*) { Log.push_back("hide " + n); }));
    form->SetOnActivate(Notify([this, n](TObject*) { Log.push_back("activate " + n); }));
    form->SetOnDestroy(Notify([this, n, form, &slot](TObject*) {
      Log.push_back("destroy " + n + (form->FindComponent("btnOk") != nullptr ? " whole" : " partly"));
      slot = nullptr;
    }));
    form->SetOnClose(TCloseEvent::FromFunction([this, n](TObject*, TCloseAction& action) {
      Log.push_back("close " + n);
      action = CloseAction;
    }));
    auto* ok = MakeControl<TButton>(form, form, "btnOk");
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    auto* cancel = MakeControl<TButton>(form, form, "btnCancel");
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    return slot;
  }

  TCleanApplication App;
  TEventLog Log;
  std::deque<TLogForm*> Forms;  // deque: slots keep their address
  TCloseAction CloseAction = caHide;
};

// ---- Showing and hiding ----

// Guards against OnHide for a form that was never shown (the controller
// reports an error for it), and against repeated show or hide events.
TEST_F(FormsTest, HideRaisesOnHideOnlyAfterAShow) {
  TLogForm* form = MakeForm("frmA");
  form->Hide();
  form->SetVisible(false);
  EXPECT_TRUE(Log.empty());
  form->Show();
  form->Show();
  form->Hide();
  form->Hide();
  EXPECT_EQ(Log, (TEventLog{"show frmA", "activate frmA", "hide frmA"}));
  EXPECT_FALSE(form->Visible());
}

// Guards against a centred form placed by its designed position.
TEST_F(FormsTest, ScreenCenterPlacesTheFormOnShow) {
  TLogForm* form = MakeForm("frmA");
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->BoundsRect(), Bounds((1024 - 400) / 2, (768 - 300) / 2, 400, 300));
}

// Guards against keys going to a hidden form: the active form is the last
// one shown that is still shown.
TEST_F(FormsTest, ActiveFormFollowsShowAndHide) {
  TLogForm* a = MakeForm("frmA");
  TLogForm* b = MakeForm("frmB");
  a->Show();
  b->Show();
  EXPECT_EQ(Screen().ActiveForm(), b);
  b->Hide();
  EXPECT_EQ(Screen().ActiveForm(), a);
  EXPECT_EQ(Log, (TEventLog{"show frmA", "activate frmA", "show frmB", "activate frmB", "hide frmB", "activate frmA"}));
}

// Guards against OnCreate running before the resource is read (fields
// unbound), against the published form properties not reaching the form,
// and against a designed default button that Enter does not press.
TEST_F(FormsTest, DesignedFormIsReadBeforeOnCreateAndRunsModally) {
  RegisterFormsLayerClasses();
  RegisterResource("TfrmResTest",
                   "object frmResTest: TfrmResTest\n"
                   "  Caption = 'Res'\n"
                   "  Width = 300\n"
                   "  Height = 200\n"
                   "  KeyPreview = True\n"
                   "  Position = poScreenCenter\n"
                   "  BorderStyle = bsDialog\n"
                   "  ActiveControl = btnOk\n"
                   "  OnCreate = FormCreate\n"
                   "  object btnOk: TButton\n"
                   "    Caption = 'OK'\n"
                   "    Default = True\n"
                   "    ModalResult = 1\n"
                   "    OnClick = btnOkClick\n"
                   "  end\n"
                   "end\n",
                   "FormsTest.inline.dfm");
  auto* form = NewObject<TfrmResTest>(nullptr);
  UnregisterResource("TfrmResTest");
  EXPECT_EQ(form->Seen, (std::vector<std::string>{"create OK"}));
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->ActiveControl(), form->btnOk);
  EXPECT_FALSE(form->Visible());
  Application().SetModalDriver([](TCustomForm&) { Application().PressKey(VK_RETURN); });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(form->Seen, (std::vector<std::string>{"create OK", "click"}));
  EXPECT_EQ(form->Left(), (1024 - 300) / 2);
  Free(form);
}

// ---- Modal forms ----

struct TModalCase {
  const char* Name;
  std::function<void(TCustomForm&)> Driver;
  TModalResult Expected;
};

class ModalTest : public FormsTest, public ::testing::WithParamInterface<TModalCase> {};

// Guards against ShowModal ignoring what the driver did, looping forever
// when it did nothing, or leaving the form shown, modal or unjournalled.
TEST_P(ModalTest, ReturnsTheResultTheDriverBringsAbout) {
  TLogForm* form = MakeForm("frmModal");
  Application().SetModalDriver(GetParam().Driver);
  EXPECT_EQ(form->ShowModal(), GetParam().Expected);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->Modal());
  EXPECT_EQ(Application().ModalLevel(), 0);
  ASSERT_EQ(Application().Journal().size(), 1u);
  const TDialogRecord& entry = Application().Journal()[0];
  EXPECT_EQ(entry.Kind, dkModalForm);
  EXPECT_EQ(entry.FormName, "frmModal");
  EXPECT_EQ(entry.Result, GetParam().Expected);
  EXPECT_EQ(entry.AnsweredBy, "driver");
  EXPECT_EQ(Log.front(), "show frmModal");
  EXPECT_EQ(Log.back(), "hide frmModal");
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, ModalTest,
    ::testing::Values(
        TModalCase{"ClicksOk", [](TCustomForm&) { TTestDriver().Click("btnOk"); }, mrOk},
        TModalCase{"PressesEnter", [](TCustomForm&) { TTestDriver().PressKey(VK_RETURN); }, mrOk},
        TModalCase{"PressesEsc", [](TCustomForm&) { TTestDriver().PressKey(VK_ESCAPE); }, mrCancel},
        TModalCase{"SetsModalResult", [](TCustomForm& f) { f.SetModalResult(mrRetry); }, mrRetry},
        TModalCase{"PostsACloseRequest", [](TCustomForm& f) { PostMessage(f.Handle(), WM_CLOSE); }, mrCancel},
        TModalCase{"DoesNothing", [](TCustomForm&) {}, mrCancel}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against a modal form that blocks or fails without a driver: it is
// cancelled at once, and the journal says nobody answered.
TEST_F(FormsTest, ModalFormWithoutDriverReturnsCancel) {
  TLogForm* form = MakeForm("frmModal");
  EXPECT_EQ(form->ShowModal(), mrCancel);
  ASSERT_EQ(Application().Journal().size(), 1u);
  EXPECT_EQ(Application().Journal()[0].AnsweredBy, "default");
  EXPECT_EQ(Application().Journal()[0].Result, mrCancel);
}

// Guards against a refused close ending the loop anyway, and against a
// loop that never gives the driver another go.
TEST_F(FormsTest, RefusedCloseKeepsTheModalFormOpenForAnotherDriverRound) {
  TLogForm* form = MakeForm("frmModal");
  int queries = 0;
  form->SetOnCloseQuery(TCloseQueryEvent::FromFunction([&queries](TObject*, bool& canClose) {
    canClose = ++queries > 1;
  }));
  int rounds = 0;
  Application().SetModalDriver([&rounds](TCustomForm&) {
    ++rounds;
    TTestDriver().Click("btnOk");
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(rounds, 2);
  EXPECT_EQ(queries, 2);
}

// Guards against an endless loop (or a silent success) when nothing can
// close the form: the caller gets an error and the form is left hidden.
TEST_F(FormsTest, ModalFormThatRefusesEveryCloseRaises) {
  TLogForm* form = MakeForm("frmModal");
  form->SetOnCloseQuery(TCloseQueryEvent::FromFunction([](TObject*, bool& canClose) { canClose = false; }));
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->Modal());
  EXPECT_EQ(Application().ModalLevel(), 0);
}

// Guards against a failing driver leaving the form shown and modal, or the
// application counting a modal loop that has ended.
TEST_F(FormsTest, DriverErrorLeavesShowModalCleanly) {
  TLogForm* form = MakeForm("frmModal");
  Application().SetModalDriver([](TCustomForm&) { TTestDriver().Click("btnMissing"); });
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->Modal());
  EXPECT_EQ(Application().ModalLevel(), 0);
  Application().SetModalDriver(nullptr);
  EXPECT_EQ(form->ShowModal(), mrCancel);  // the form can be shown again
}

// Guards against showing a form modally that the host already made visible.
TEST_F(FormsTest, ShowModalOnAVisibleFormRaises) {
  TLogForm* form = MakeForm("frmModal");
  form->Show();
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
  EXPECT_TRUE(form->Visible());
}

// ---- Closing and release ----

// Guards against freeing a form under its own running handler: a close
// with caFree from a button's OnClick, even with the loop pumped inside
// the handler, frees the form only after the handler returned.
TEST_F(FormsTest, ReleaseWaitsUntilTheHandlerHasReturned) {
  TLogForm*& form = MakeForm("frmA");
  CloseAction = caFree;
  form->Show();
  auto* ok = static_cast<TButton*>(form->FindComponent("btnOk"));
  TLogForm* self = form;
  ok->SetOnClick(Notify([this, self](TObject*) {
    self->Close();
    Application().ProcessMessages();
    Log.push_back(std::string("handler ends, released ") + (self->Releasing() ? "yes" : "no"));
  }));
  TTestDriver(form).Click("btnOk");
  EXPECT_EQ(Log.back(), "handler ends, released yes");
  ASSERT_NE(form, nullptr);
  Application().ProcessMessages();
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(Log.back(), "~frmA");
}

// Guards against a nested modal loop freeing a form whose code waits
// below it: the close request it had posted is handled inside the loop,
// but the release waits until the loop has ended.
TEST_F(FormsTest, NestedModalLoopDoesNotFreeTheFormBelowIt) {
  TLogForm*& form = MakeForm("frmA");
  TLogForm* dialog = MakeForm("frmDialog");
  CloseAction = caFree;
  form->Show();
  PostMessage(form->Handle(), WM_CLOSE);
  Application().SetModalDriver([](TCustomForm&) {});
  dialog->ShowModal();
  EXPECT_NE(std::find(Log.begin(), Log.end(), "close frmA"), Log.end());
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->Releasing());
  Application().ProcessMessages();
  EXPECT_EQ(form, nullptr);
}

struct TCloseCase {
  const char* Name;
  TCloseAction Action;
  bool Visible;
  bool Freed;
  TWindowState State;
};

class PostedCloseTest : public FormsTest, public ::testing::WithParamInterface<TCloseCase> {};

// Guards against a posted close request acting before the loop runs, or
// ignoring the close action.
TEST_P(PostedCloseTest, RunsCloseFromTheMessageLoop) {
  TLogForm*& form = MakeForm("frmA");
  CloseAction = GetParam().Action;
  form->Show();
  PostMessage(form->Handle(), WM_CLOSE);
  EXPECT_EQ(std::find(Log.begin(), Log.end(), "close frmA"), Log.end());
  Application().ProcessMessages();
  EXPECT_NE(std::find(Log.begin(), Log.end(), "close frmA"), Log.end());
  EXPECT_EQ(form == nullptr, GetParam().Freed);
  if (form != nullptr) {
    EXPECT_EQ(form->Visible(), GetParam().Visible);
    EXPECT_EQ(form->WindowState(), GetParam().State);
  }
}

INSTANTIATE_TEST_SUITE_P(Actions, PostedCloseTest,
                         ::testing::Values(TCloseCase{"Hide", caHide, false, false, wsNormal},
                                           TCloseCase{"None", caNone, true, false, wsNormal},
                                           TCloseCase{"Minimize", caMinimize, true, false, wsMinimized},
                                           TCloseCase{"Free", caFree, false, true, wsNormal}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Guards against a message posted to a freed form reaching anything, and
// against a second close of a form already being released.
TEST_F(FormsTest, CloseRequestsAfterTheReleaseAreHarmless) {
  TLogForm*& form = MakeForm("frmA");
  CloseAction = caFree;
  form->Show();
  const HWND handle = form->Handle();
  PostMessage(handle, WM_CLOSE);
  PostMessage(handle, WM_CLOSE);
  Application().ProcessMessages();
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(std::count(Log.begin(), Log.end(), "close frmA"), 1);
  EXPECT_EQ(FindForm(handle), nullptr);
  EXPECT_FALSE(PostMessage(handle, WM_CLOSE));
}

// ---- Messages by handle ----

// Guards against trusting lParam: only a live component of this form is
// handed to the form; another form's control and a made-up address are
// dropped without being touched.
TEST_F(FormsTest, ControlMessageTakesOnlyTheFormsOwnComponents) {
  TLogForm* form = MakeForm("frmA");
  TLogForm* other = MakeForm("frmB");
  EXPECT_EQ(FindForm(form->Handle()), form);
  auto lparam = [](TComponent* c) { return static_cast<LPARAM>(reinterpret_cast<uintptr_t>(c)); };
  EXPECT_EQ(SendMessage(form->Handle(), UM_CONTROL, 7, lparam(form->FindComponent("btnOk"))), 1);
  EXPECT_EQ(SendMessage(form->Handle(), UM_CONTROL, 8, lparam(other->FindComponent("btnOk"))), 0);
  EXPECT_EQ(SendMessage(form->Handle(), UM_CONTROL, 9, static_cast<LPARAM>(0x1230)), 0);
  PostMessage(form->Handle(), UM_CONTROL, 10, lparam(form->FindComponent("btnCancel")));
  Application().ProcessMessages();
  EXPECT_EQ(Log, (TEventLog{"control btnOk 7", "control btnCancel 10"}));
}

// ---- Destruction ----

struct TDestroyCase {
  const char* Name;
  std::function<void(TLogForm*, TComponent* owner)> Destroy;
};

class DestroyTest : public FormsTest, public ::testing::WithParamInterface<TDestroyCase> {};

// Guards against OnDestroy running twice, not at all, or after a
// destructor body (when the form is no longer whole).
TEST_P(DestroyTest, OnDestroyRunsOnceBeforeAnyDestructor) {
  auto* owner = NewObject<TComponent>(nullptr);
  TLogForm*& form = MakeForm("frmA", owner);
  GetParam().Destroy(form, owner);
  Application().ProcessMessages();
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(Log, (TEventLog{"destroy frmA whole", "~frmA"}));
  if (std::string(GetParam().Name) != "ByOwner") Free(owner);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DestroyTest,
    ::testing::Values(TDestroyCase{"Free", [](TLogForm* f, TComponent*) { Free(f); }},
                      TDestroyCase{"ByOwner", [](TLogForm*, TComponent* owner) { Free(owner); }},
                      TDestroyCase{"Release", [](TLogForm* f, TComponent*) { f->Release(); }},
                      TDestroyCase{"PostedCloseWithCaFree",
                                   [](TLogForm* f, TComponent*) {
                                     f->SetOnClose(TCloseEvent::FromFunction(
                                         [](TObject*, TCloseAction& a) { a = caFree; }));
                                     PostMessage(f->Handle(), WM_CLOSE);
                                   }}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Exceptions from handlers ----

struct TErrorCase {
  const char* Name;
  std::function<void()> Raise;
  size_t Boxes;
};

class ErrorBoxTest : public FormsTest, public ::testing::WithParamInterface<TErrorCase> {};

// Guards against an exception from a handler escaping the input door or
// the message loop, against it going unseen, and against a silent abort
// being shown.
TEST_P(ErrorBoxTest, HandlerExceptionsShowTheStandardErrorBox) {
  TLogForm* form = MakeForm("frmA");
  form->Show();
  static_cast<TButton*>(form->FindComponent("btnOk"))->SetOnClick(Notify([this](TObject*) { GetParam().Raise(); }));
  form->SetOnClose(TCloseEvent::FromFunction([this](TObject*, TCloseAction&) { GetParam().Raise(); }));
  Application().SetTitle("Kulr");
  EXPECT_NO_THROW(TTestDriver(form).Click("btnOk"));
  PostMessage(form->Handle(), WM_CLOSE);
  EXPECT_NO_THROW(Application().ProcessMessages());
  ASSERT_EQ(Application().Journal().size(), GetParam().Boxes);
  for (const TDialogRecord& box : Application().Journal()) {
    EXPECT_EQ(box.Kind, dkErrorBox);
    EXPECT_EQ(box.DlgType, mtError);
    EXPECT_EQ(box.Caption, "Kulr");
    EXPECT_EQ(box.Owner, "frmA");
    EXPECT_EQ(box.Text, "E;000038 boom");
    ASSERT_EQ(box.Buttons.size(), 1u);
    EXPECT_EQ(box.Buttons[0].Name, "OK");
    EXPECT_EQ(box.Result, mrOk);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ErrorBoxTest,
    ::testing::Values(TErrorCase{"Exception", [] { throw EConvertError("E;000038 boom"); }, 2},
                      TErrorCase{"StdException", [] { throw std::runtime_error("E;000038 boom"); }, 2},
                      TErrorCase{"SilentAbort", [] { throw EAbort("E;000038 boom"); }, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
