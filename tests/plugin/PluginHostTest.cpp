// The plug-in as a host meets it: Kulr31C.so loaded by name, GetController,
// and every operation called through the contract header (by position). The
// library is driven with a report form class of this test's own, registered
// in the shared runtime and installed through the library's test hook.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "kulr31/DLLBaseCtrller.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Forms.h"
#include "platform/win/DynLib.h"
#include "plugin/ReportFormContract.h"

// A report form that records what the controller does to it.
class TTestReportForm : public TReportFormBase {
  KULR_CLASS(TTestReportForm, TReportFormBase)

  explicit TTestReportForm(TComponent* owner) : TReportFormBase(owner) {
    Live = this;
    FVersion = "880730-0.00.01";
    SetOnShow(TNotifyEvent::FromFunction([this](TObject*) { ++OwnShows; }));
    SetOnHide(TNotifyEvent::FromFunction([this](TObject*) { ++OwnHides; }));
    SetOnDestroy(TNotifyEvent::FromFunction([this](TObject*) { ++OwnDestroys; }));
    SetOnClose(TCloseEvent::FromFunction([](TObject*, TCloseAction& action) { action = caFree; }));
  }
  ~TTestReportForm() override {
    if (Live == this) Live = nullptr;
  }

  // As the report form does: once only, reading user and company.
  bool Initialize(const Variant& params) override {
    ++Initializations;
    if (!FCompanyID.empty()) return false;
    if (VarToStr(params[0]) == "raise") throw Exception("initialisation failed");
    FUserID = VarToStr(params[0]);
    FCompanyID = VarToStr(params[1]);
    FProgramID = "KULR31";
    FProgramName = "Report";
    return true;
  }
  void HandleRunRequest(const Variant& request) override {
    if (request.IsString() && VarToStr(request) == "raise") throw Exception("bad request");
    Requests.push_back(request);
  }

  static inline TTestReportForm* Live = nullptr;
  int OwnShows = 0;
  int OwnHides = 0;
  int OwnDestroys = 0;
  int Initializations = 0;
  std::vector<Variant> Requests;
};

const TClass& TTestReportForm::StaticClass() {
  static const TClass& record = TClassBuilder<TTestReportForm>().Factory().Build();
  return record;
}

namespace {

using TSetClassHook = bool (*)(const char*);

const char* const NoControllerClass =
    "ORLAN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible";
const char* const NoFormClass = "ORLAN DLL Internal Error :\rNot Assign \"frmBaseGeneClass\" varible";

Variant HostParams() {
  return VarArrayOf({Variant("U01"), Variant("C01"), Variant("DB"), Variant(int32_t{0}),
                     Variant()});
}

// A run request: mode, [by-name flag, condition set].
Variant RunRequest(int32_t mode) {
  return VarArrayOf({Variant(mode), VarArrayOf({Variant(true), Variant("cond")})});
}

// Whether request is RunRequest(mode) (arrays do not compare with ==).
bool IsRunRequest(const Variant& request, int32_t mode) {
  return request.IsArray() && request[0].AsInteger() == mode && request[1].IsArray() &&
         request[1][0].AsBoolean() && VarToStr(request[1][1]) == "cond";
}

class PluginHost : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Library = new TDynLib("Kulr31C.so");
    ASSERT_TRUE(Library->Loaded()) << Library->Error();
    GetControllerProc = Library->ProcAs<TGetControllerProc>("GetController");
    SetControllerClass = Library->ProcAs<TSetClassHook>("KulrTestSetControllerClass");
    SetFormClass = Library->ProcAs<TSetClassHook>("KulrTestSetFormClass");
    ASSERT_NE(GetControllerProc, nullptr);
    ASSERT_NE(SetControllerClass, nullptr) << "library built without KULR_PLUGIN_TEST_HOOKS";
    ASSERT_NE(SetFormClass, nullptr);
    RegisterClass(TTestReportForm::StaticClass());
  }

  // Frees the loader's handle; the library itself stays mapped (nodelete).
  static void TearDownTestSuite() {
    delete Library;
    Library = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(SetControllerClass("TDLLRPCtrller"));
    ASSERT_TRUE(SetFormClass("TTestReportForm"));
    Application().ClearJournal();
    Controller = GetControllerProc();
    ASSERT_NE(Controller, nullptr);
    Controller->HostObject = Variant("host application");
    Controller->OnEvent = TDLLEvent::FromFunction([this](int32_t code, TObject* sender) {
      Events.push_back(code);
      EXPECT_EQ(sender, Controller);
      if (code == DLLEVENT_FORMDESTROY) {
        CodeAtDestroy = Controller->ResultCode;
        DataAtDestroy = Controller->ResultData;
      }
      if (OnHostEvent) OnHostEvent(code);
    });
  }

  void TearDown() override {
    delete Controller;
    Application().ProcessMessages();
    EXPECT_EQ(TTestReportForm::Live, nullptr) << "a form outlived its controller";
  }

  TTestReportForm* CreateTestForm() {
    EXPECT_EQ(Controller->CreateForm(HostParams()), 0);
    return TTestReportForm::Live;
  }

  static inline TDynLib* Library = nullptr;
  static inline TGetControllerProc GetControllerProc = nullptr;
  static inline TSetClassHook SetControllerClass = nullptr;
  static inline TSetClassHook SetFormClass = nullptr;

  TDLLBaseController* Controller = nullptr;
  std::vector<int32_t> Events;
  int32_t CodeAtDestroy = -99;
  Variant DataAtDestroy;
  std::function<void(int32_t)> OnHostEvent;
};

}  // namespace

// Guards against a null controller or a crash when the library is not set
// up: the host catches the shared runtime's Exception with the exact text.
TEST_F(PluginHost, GetControllerWithoutControllerClassRaisesTheInternalError) {
  ASSERT_TRUE(SetControllerClass(nullptr));
  try {
    delete GetControllerProc();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), NoControllerClass);
  }
  // A name that is not a controller class is refused and changes nothing.
  EXPECT_FALSE(SetControllerClass("TTestReportForm"));
  EXPECT_FALSE(SetControllerClass("TNoSuchClass"));
  EXPECT_THROW(delete GetControllerProc(), Exception);
}

// Guards against CreateForm making something (or crashing) without a form
// class: the internal error escapes and no form is held.
TEST_F(PluginHost, CreateFormWithoutFormClassRaisesTheInternalError) {
  ASSERT_TRUE(SetFormClass(nullptr));
  try {
    Controller->CreateForm(HostParams());
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), NoFormClass);
  }
  EXPECT_TRUE(Controller->IsFormFreed());
  EXPECT_TRUE(Events.empty());
  // Only report form classes are accepted.
  EXPECT_FALSE(SetFormClass("TForm"));
}

// Guards against operations that touch a missing form: each returns its
// no-form value and leaves its out argument alone.
TEST_F(PluginHost, OperationsWithoutFormReturnTheirNoFormValues) {
  EXPECT_EQ(Controller->ShowModal().AsInteger(), 2);
  EXPECT_EQ(Controller->GetVisible(), 0);
  EXPECT_EQ(Controller->GetHandle(), HWND(0));
  Variant info = Variant("untouched");
  EXPECT_EQ(Controller->GetProgramInfo(info), -1);
  EXPECT_EQ(info.AsString(), "untouched");
  EXPECT_TRUE(Controller->IsFormFreed());
  EXPECT_TRUE(Controller->GetVersion().empty());
  EXPECT_EQ(Controller->ExecuteCommand(VarArrayOf({Variant(0), RunRequest(1)})), -1);
  EXPECT_EQ(Controller->ReceiveMessage(5, 0, RunRequest(1)), -1);
  Controller->SetVisible(-1);
  Controller->FreeForm();
  Controller->Reserved();
  EXPECT_TRUE(Events.empty());
  EXPECT_TRUE(Application().Journal().empty());
}

// Guards against the form missing its set-up: HostObject and the library's
// full path reach the form before 0x100, and the facts come back.
TEST_F(PluginHost, CreateFormHandsTheFormHostObjectAndLibraryPath) {
  OnHostEvent = [&](int32_t code) {
    if (code != DLLEVENT_FORMCREATE) return;
    ASSERT_NE(TTestReportForm::Live, nullptr);
    EXPECT_EQ(TTestReportForm::Live->Initializations, 0) << "0x100 comes before Initialize";
    EXPECT_EQ(VarToStr(TTestReportForm::Live->FHostObject), "host application");
  };
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->ModulePath(), GetModulePath(Library->Handle()));
  EXPECT_EQ(form->ModulePath().substr(form->ModulePath().rfind('/')), "/Kulr31C.so");
  EXPECT_EQ(Events, std::vector<int32_t>{DLLEVENT_FORMCREATE});
  EXPECT_FALSE(Controller->IsFormFreed());
  EXPECT_EQ(Controller->GetVersion(), u"880730-0.00.01");
  EXPECT_EQ(FindForm(Controller->GetHandle()), form);

  Variant info;
  ASSERT_EQ(Controller->GetProgramInfo(info), 0);
  ASSERT_EQ(VarArrayLowBound(info, 1), 0);
  ASSERT_EQ(VarArrayHighBound(info, 1), 3);
  const std::vector<std::u16string> expected = {u"U01", u"C01", u"KULR31", u"Report"};
  for (int i = 0; i <= 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(info[i].VarType(), varOleStr);
    EXPECT_EQ(info[i].AsWideString(), expected[i]);
  }
}

// Guards against a second form or doubled hooks: a second CreateForm
// returns -1, and a show still runs the form's own handler and 0x110 once.
TEST_F(PluginHost, SecondCreateFormKeepsTheFormAndItsHooks) {
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Controller->CreateForm(HostParams()), -1);
  EXPECT_EQ(TTestReportForm::Live, form);
  EXPECT_EQ(form->Initializations, 2);

  Controller->SetVisible(1);
  EXPECT_EQ(form->OwnShows, 1);
  EXPECT_EQ(Controller->GetVisible(), -1);
  Controller->SetVisible(0);
  EXPECT_EQ(form->OwnHides, 1);
  EXPECT_EQ(Controller->GetVisible(), 0);
  EXPECT_EQ(Events, (std::vector<int32_t>{DLLEVENT_FORMCREATE, DLLEVENT_FORMSHOW, DLLEVENT_FORMHIDE}));
}

// Guards against an exception leaving CreateForm: a failing Initialize
// gives -1 with the form kept, and the error is shown, not raised.
TEST_F(PluginHost, FailingInitializeReturnsMinusOne) {
  Variant params = HostParams();
  params[0] = Variant("raise");
  EXPECT_EQ(Controller->CreateForm(params), -1);
  EXPECT_FALSE(Controller->IsFormFreed());
  ASSERT_EQ(Application().Journal().size(), 1u);
  EXPECT_NE(Application().Journal()[0].Text.find("initialisation failed"), AnsiString::npos);
}

// Guards against hooking a form the host freed from its 0x100 handler.
TEST_F(PluginHost, HostMayFreeTheFormInsideTheCreateEvent) {
  OnHostEvent = [&](int32_t code) {
    if (code == DLLEVENT_FORMCREATE) Controller->FreeForm();
  };
  EXPECT_EQ(Controller->CreateForm(HostParams()), -1);
  EXPECT_TRUE(Controller->IsFormFreed());
  EXPECT_EQ(TTestReportForm::Live, nullptr);
  EXPECT_EQ(Controller->GetVisible(), 0);
}

// Guards against a visible but minimised form staying minimised or behind.
TEST_F(PluginHost, SetVisibleRestoresAMinimisedFormAndActivatesIt) {
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  Controller->SetVisible(-1);
  form->SetWindowState(wsMinimized);
  Controller->SetVisible(2);  // any non-zero value is true
  EXPECT_EQ(form->WindowState(), wsNormal);
  EXPECT_EQ(Screen().ActiveForm(), form);
  EXPECT_EQ(Controller->GetVisible(), -1);
  EXPECT_EQ(form->OwnShows, 1) << "showing a shown form raises no second OnShow";
}

// Guards against a wrong modal result or an escaping error when the form
// cannot go modal.
TEST_F(PluginHost, ShowModalReturnsTheModalResultInAVariant) {
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  auto previous = Application().SetModalDriver([](TCustomForm& f) { f.SetModalResult(mrOk); });
  const Variant result = Controller->ShowModal();
  EXPECT_EQ(result.VarType(), varInteger);
  EXPECT_EQ(result.AsInteger(), mrOk);
  // Already shown: refused with the error box and the cancel result.
  Controller->SetVisible(-1);
  Application().ClearJournal();
  EXPECT_EQ(Controller->ShowModal().AsInteger(), mrCancel);
  EXPECT_EQ(Application().Journal().size(), 1u);
  Application().SetModalDriver(std::move(previous));
}

struct TCommandCase {
  const char* Name;
  std::function<Variant()> Data;
  int32_t Expected;
};

// Guards against run requests taken from unsuitable data, or a failure in
// the form escaping: only an array's element 1 is forwarded.
TEST_F(PluginHost, ExecuteCommandForwardsElementOneOfAnArray) {
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  const std::vector<TCommandCase> cases = {
      {"Null", [] { return Null(); }, -1},
      {"Empty", [] { return Variant(); }, -1},
      {"Scalar", [] { return Variant(int32_t{3}); }, -1},
      {"String", [] { return Variant("1"); }, -1},
      {"ArrayWithoutElementOne", [] { return VarArrayOf({Variant(0)}); }, -1},
      {"FormRaises", [] { return VarArrayOf({Variant(0), Variant("raise")}); }, -1},
      {"RunRequest", [] { return VarArrayOf({Variant(0), RunRequest(1)}); }, 0},
  };
  for (const TCommandCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const size_t before = form->Requests.size();
    EXPECT_EQ(Controller->ExecuteCommand(c.Data()), c.Expected);
    EXPECT_EQ(form->Requests.size(), before + (c.Expected == 0 ? 1 : 0));
  }
  ASSERT_EQ(form->Requests.size(), 1u);
  EXPECT_TRUE(IsRunRequest(form->Requests[0], 1));
  EXPECT_TRUE(Application().Journal().empty()) << "ExecuteCommand swallows silently";
}

// Guards against other kinds reaching the form: only 5 and 9 forward the
// Data itself; a failure in the form gives -1.
TEST_F(PluginHost, ReceiveMessageForwardsKindsFiveAndNineOnly) {
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  const std::vector<std::pair<int32_t, int32_t>> kinds = {{5, 0}, {9, 0}, {1, -1}, {0, -1}, {6, -1}};
  size_t forwarded = 0;
  for (const auto& [kind, expected] : kinds) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(Controller->ReceiveMessage(kind, 12345, RunRequest(kind)), expected);
    if (expected == 0) {
      ++forwarded;
      ASSERT_EQ(form->Requests.size(), forwarded);
      EXPECT_TRUE(IsRunRequest(form->Requests.back(), kind));
    }
    EXPECT_EQ(form->Requests.size(), forwarded);
  }
  EXPECT_EQ(Controller->ReceiveMessage(5, 0, Variant("raise")), -1);
}

// Guards against the event operations misbehaving when the host calls them
// itself: DoNotify is raised only then, DoFormShow chains the form's own
// handler, and DoEvent always names the controller as Sender.
TEST_F(PluginHost, EventOperationsCalledByTheHost) {
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  Controller->SetVisible(-1);
  Controller->SetVisible(0);
  EXPECT_EQ(std::count(Events.begin(), Events.end(), DLLEVENT_NOTIFY), 0);
  Events.clear();
  Controller->DoNotify();
  Controller->DoFormShow(form);
  Controller->DoFormHide(form);
  Controller->DoEvent(0x555, nullptr);  // the sender check is in the fixture's handler
  Controller->Reserved();
  EXPECT_EQ(Events, (std::vector<int32_t>{DLLEVENT_NOTIFY, DLLEVENT_FORMSHOW, DLLEVENT_FORMHIDE, 0x555}));
  EXPECT_EQ(form->OwnShows, 2);
  EXPECT_EQ(form->OwnHides, 2);
  Controller->DoFormCreate(nullptr);
  EXPECT_EQ(Events.back(), DLLEVENT_FORMCREATE);
}

enum class TFreeWay { FreeForm, ControllerDestructor, FreeOnClose };

const char* FreeWayName(TFreeWay way) {
  switch (way) {
    case TFreeWay::FreeForm: return "FreeForm";
    case TFreeWay::ControllerDestructor: return "ControllerDestructor";
    case TFreeWay::FreeOnClose: return "FreeOnClose";
  }
  return "Unknown";
}
void PrintTo(TFreeWay way, std::ostream* os) { *os << FreeWayName(way); }

class PluginFormFreed : public PluginHost, public ::testing::WithParamInterface<TFreeWay> {};

// Guards against a way of destroying the form that skips or doubles
// DoFormDestroy, loses the results, or leaves Form dangling.
TEST_P(PluginFormFreed, RunsDoFormDestroyOnceWithResultsReadable) {
  TTestReportForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  Controller->SetVisible(-1);
  form->FJobStatus = DLLRESULT_SUBMITTED;
  form->FJobResult = Variant("J000123");
  int ownDestroys = 0;
  OnHostEvent = [&](int32_t code) {
    if (code == DLLEVENT_FORMDESTROY) ownDestroys = form->OwnDestroys;
  };

  switch (GetParam()) {
    case TFreeWay::FreeForm:
      Controller->FreeForm();
      Controller->FreeForm();  // nothing left to free
      break;
    case TFreeWay::ControllerDestructor:
      delete Controller;
      Controller = nullptr;
      break;
    case TFreeWay::FreeOnClose:
      form->Close();
      EXPECT_EQ(TTestReportForm::Live, form) << "freed from the message loop, not at once";
      Application().ProcessMessages();
      break;
  }

  EXPECT_EQ(TTestReportForm::Live, nullptr);
  EXPECT_EQ(ownDestroys, 1) << "the form's own OnDestroy runs first, once";
  EXPECT_EQ(std::count(Events.begin(), Events.end(), DLLEVENT_FORMDESTROY), 1);
  EXPECT_EQ(CodeAtDestroy, DLLRESULT_SUBMITTED);
  EXPECT_EQ(VarToStr(DataAtDestroy), "J000123");
  OnHostEvent = nullptr;  // it refers to the freed form
  if (Controller == nullptr) return;
  EXPECT_TRUE(Controller->IsFormFreed());
  EXPECT_EQ(Controller->ResultCode, DLLRESULT_SUBMITTED);
  // A new CreateForm makes a new form.
  Events.clear();
  EXPECT_EQ(Controller->CreateForm(HostParams()), 0);
  EXPECT_NE(TTestReportForm::Live, nullptr);
  EXPECT_EQ(Events, std::vector<int32_t>{DLLEVENT_FORMCREATE});
}

INSTANTIATE_TEST_SUITE_P(ThreeWays, PluginFormFreed,
                         ::testing::Values(TFreeWay::FreeForm, TFreeWay::ControllerDestructor,
                                           TFreeWay::FreeOnClose),
                         [](const ::testing::TestParamInfo<TFreeWay>& info) {
                           return std::string(FreeWayName(info.param));
                         });

// Guards against a use-after-free when the host frees the controller from
// its own 0x130 handler (the controller is not touched afterwards).
TEST_F(PluginHost, HostMayFreeTheControllerInsideTheDestroyEvent) {
  CreateTestForm();
  OnHostEvent = [&](int32_t code) {
    if (code != DLLEVENT_FORMDESTROY) return;
    EXPECT_TRUE(Controller->IsFormFreed());
    delete Controller;
    Controller = nullptr;
  };
  TTestReportForm::Live->Close();
  Application().ProcessMessages();
  EXPECT_EQ(Controller, nullptr);
  EXPECT_EQ(TTestReportForm::Live, nullptr);
}
