// The host's run command as a person meets it: the session script's parser
// (good lines, and bad lines named by their line number), and whole runs in
// this process against the built Kulr31C.so over a temporary demo
// installation, once as the library ships (no report form yet: the internal
// error) and once with a small report form of this test's own installed
// through the library's test hook.
#include "host/HostRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/Install.h"
#include "kulr31/DLLBaseCtrller.h"
#include "platform/rtl/CodePage.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/StdButtons.h"
#include "platform/win/DynLib.h"
#include "platform/win/Platform.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/TempDir.h"
#include "HostTestSupport.h"

// The test's form class derives from the plug-in's form base, whose unit the
// build compiles into this test program (the plug-in recognises the base by
// class name).
#include "plugin/ReportFormContract.h"

#ifndef KULR_APPSERVER_MODULE_PATH
#error "the build passes the server module's path in KULR_APPSERVER_MODULE_PATH"
#endif

// A report form with one button that asks for confirmation, records a job
// and closes the form (freed on close), as the real form does after a
// submission.
class THostRunTestForm : public TReportFormBase {
  KULR_CLASS(THostRunTestForm, TReportFormBase)

  explicit THostRunTestForm(TComponent* owner) : TReportFormBase(owner) {
    SetBounds(0, 0, 300, 200);
    auto* button = new TButton(this);
    button->SetName("btnSubmit");
    button->SetParent(this);
    button->SetBounds(10, 10, 75, 25);
    button->SetOnClick(TNotifyEvent::FromFunction([this](TObject*) {
      // "提交?" (submit?) in code page 936, from iconv -t GBK.
      if (MessageDlg("\xCC\xE1\xBD\xBB?", mtConfirmation, {mbYes, mbNo}) != mrYes) return;
      FJobStatus = DLLRESULT_SUBMITTED;
      FJobResult = Variant("J0001");
      Close();
    }));
    SetOnClose(TCloseEvent::FromFunction([](TObject*, TCloseAction& action) { action = caFree; }));
  }

  bool Initialize(const Variant& params) override {
    if (VarToStr(params[0]) == "fail") throw Exception("initialisation failed");
    FUserID = VarToStr(params[0]);
    FCompanyID = VarToStr(params[1]);
    FProgramID = "KULR31";
    return true;
  }
  void HandleRunRequest(const Variant&) override {}
};

const TClass& THostRunTestForm::StaticClass() {
  static const TClass& record = TClassBuilder<THostRunTestForm>().Factory().Build();
  return record;
}

namespace {

// ---- The script parser ----

struct TGoodLine {
  const char* Name;
  const char* Line;
  THostScriptOp Op;
  const char* Path;
  AnsiString Text;
  uint16_t Key;
  TShiftState Shift;
  std::vector<int> Answers;
};

// Guards against commands read into the wrong fields, modifiers or key
// names lost, and typed text not converted to the form's code page.
TEST(HostRunScript, ParsesEachCommand) {
  const std::vector<TGoodLine> rows = {
      {"focus", "focus sp01.edBegin", THostScriptOp::Focus, "sp01.edBegin", "", 0, {}, {}},
      {"click_any_case", "CLICK btnOk", THostScriptOp::Click, "btnOk", "", 0, {}, {}},
      // "中文 x" from UTF-8 to code page 936 (iconv -t GBK): D6 D0 CE C4 20 78.
      {"type_keeps_inner_blanks_and_converts", "type edName \xE4\xB8\xAD\xE6\x96\x87 x",
       THostScriptOp::Type, "edName", "\xD6\xD0\xCE\xC4 x", 0, {}, {}},
      {"key_plain", "key Enter", THostScriptOp::Key, "", "", VK_RETURN, {}, {}},
      {"key_function", "key F12", THostScriptOp::Key, "", "", VK_F12, {}, {}},
      {"key_modifiers", "key Ctrl+Shift+s", THostScriptOp::Key, "", "", 'S', {ssCtrl, ssShift}, {}},
      {"key_alt_digit", "key alt+7", THostScriptOp::Key, "", "", '7', {ssAlt}, {}},
      {"answer_several", "answer mrYes mrno  mrCancel", THostScriptOp::Answer, "", "", 0, {},
       {mrYes, mrNo, mrCancel}},
      {"pump_with_blanks", "  pump  ", THostScriptOp::Pump, "", "", 0, {}, {}},
      {"close_crlf", "close\r", THostScriptOp::Close, "", "", 0, {}, {}},
  };
  for (const TGoodLine& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string text = std::string("# a comment\n\n") + row.Line + "\n";
    std::vector<THostScriptCommand> commands = ParseHostScript(text);
    ASSERT_EQ(commands.size(), 1u);
    const THostScriptCommand& c = commands[0];
    EXPECT_EQ(c.Line, 3);
    EXPECT_EQ(c.Op, row.Op);
    EXPECT_EQ(c.Path, row.Path);
    EXPECT_EQ(c.Text, row.Text);
    EXPECT_EQ(c.Key, row.Key);
    EXPECT_TRUE(c.Shift == row.Shift);
    EXPECT_EQ(c.Answers, row.Answers);
  }
}

struct TBadLine {
  const char* Name;
  const char* Script;
  const char* Message;  // the whole message, "script:LINE: ..."
};

// Guards against a bad script running half-way or blaming the wrong line:
// the first bad line is named with its number and what is wrong with it.
TEST(HostRunScript, RefusesBadLinesWithTheirNumbers) {
  const std::vector<TBadLine> rows = {
      {"unknown_command", "pump\nfly away\n", "script:2: unknown command \"fly\""},
      {"missing_path", "# c\nclick\n", "script:2: click needs a control's name path"},
      {"bad_path", "focus sp01..edBegin", "script:1: bad name path \"sp01..edBegin\""},
      {"extra_argument", "focus a b", "script:1: focus takes no more than that: \"b\""},
      {"type_without_text", "\n\n\ntype edName  ", "script:4: type needs a text after the name path"},
      // Thai "ก" (U+0E01) has no code page 936 form.
      {"type_unmappable", "type edName \xE0\xB8\x81",
       "script:1: the text is not UTF-8 that code page 936 can hold"},
      {"type_invalid_utf8", "type edName \xFF", "script:1: the text is not UTF-8 that code page 936 can hold"},
      {"unknown_key", "key F13", "script:1: unknown key \"F13\""},
      {"unknown_modifier", "key Meta+A", "script:1: unknown modifier \"Meta\" in \"Meta+A\""},
      {"empty_modifier", "key Ctrl++", "script:1: unknown modifier \"\" in \"Ctrl++\""},
      {"key_missing", "key", "script:1: key needs a key name"},
      {"answer_empty", "answer", "script:1: answer needs at least one modal result"},
      {"answer_unknown", "answer mrOk mrMaybe", "script:1: unknown modal result \"mrMaybe\""},
      {"pump_argument", "pump 3", "script:1: pump takes no more than that: \"3\""},
  };
  for (const TBadLine& row : rows) {
    SCOPED_TRACE(row.Name);
    try {
      ParseHostScript(row.Script);
      ADD_FAILURE() << "no error";
    } catch (const EHostRunError& e) {
      EXPECT_EQ(e.Message(), row.Message);
    }
  }
}

// Guards against options silently ignored or taken for each other.
TEST(HostRunArgs, ReadsOptionsAndRefusesBadOnes) {
  THostRunOptions options = ParseRunArgs(
      {"--script", "s.txt", "--user", "U01", "--plugin", "/x/K.so", "--company", "C9", "--db", "D"});
  EXPECT_EQ(options.PluginPath, "/x/K.so");
  EXPECT_EQ(options.ScriptFile, "s.txt");
  EXPECT_EQ(options.User, "U01");
  EXPECT_EQ(options.Company, "C9");
  EXPECT_EQ(options.Database, "D");

  const std::vector<std::vector<std::string>> bad = {
      {"--user"}, {"--user", ""}, {"--colour", "red"}, {"extra"}, {"--db", "a", "--db", "b"}};
  for (const auto& args : bad) {
    SCOPED_TRACE(args[0]);
    EXPECT_THROW(ParseRunArgs(args), EHostRunError);
  }
}

// ---- Whole runs ----

using TSetClassHook = bool (*)(const char*);

class HostRunTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Folder = new std::string(HostScratchFolder());
    TInstallOptions install;
    install.Folder = *Folder + "/demo";
    install.ServerModule = KULR_APPSERVER_MODULE_PATH;
    install.SeedFile = KULR_HOST_SEED_FILE;
    Registry = new std::string(InstallDemo(install).RegistryFile);
    // The same library the run command loads (one handle, never unloaded).
    Library = new TDynLib(GetHostExeDir() + HostPluginFileName);
    ASSERT_TRUE(Library->Loaded()) << Library->Error();
    SetControllerClass = Library->ProcAs<TSetClassHook>("KulrTestSetControllerClass");
    SetFormClass = Library->ProcAs<TSetClassHook>("KulrTestSetFormClass");
    ASSERT_NE(SetFormClass, nullptr) << "library built without KULR_PLUGIN_TEST_HOOKS";
    RegisterClass(THostRunTestForm::StaticClass());
  }

  void SetUp() override {
    ASSERT_NE(SetFormClass, nullptr);
    ASSERT_TRUE(SetControllerClass("TDLLRPCtrller"));
    FOldCodePage = GetACP();
    FEnv = std::make_unique<TScopedEnv>("KULR_REGISTRY", *Registry);
    InitializePlatform();
  }
  void TearDown() override {
    SetFormClass(nullptr);
    FEnv.reset();
    SetSystemCodePage(FOldCodePage);
  }

  std::string WriteScript(const std::string& text) {
    std::string path = *Folder + "/session.txt";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  static inline std::string* Folder = nullptr;
  static inline std::string* Registry = nullptr;
  static inline TDynLib* Library = nullptr;
  static inline TSetClassHook SetControllerClass = nullptr;
  static inline TSetClassHook SetFormClass = nullptr;

  std::unique_ptr<TScopedEnv> FEnv;
  int FOldCodePage = 0;
};

// Guards against the plug-in's internal error escaping, crashing the host or
// passing for success: it is printed on one line and gives exit code 3.
TEST_F(HostRunTest, ReportsTheMissingFormClassWithExitCode3) {
  ASSERT_TRUE(SetFormClass(nullptr));
  std::ostringstream out;
  EXPECT_EQ(HostRun({}, out), HostRunPluginFailed);
  const std::string text = out.str();
  EXPECT_NE(text.find("loaded "), std::string::npos) << text;
  EXPECT_NE(text.find("kulr31-host: the plug-in raised: ORLAN DLL Internal Error : | Not Assign "
                      "\"frmBaseGeneClass\" varible\n"),
            std::string::npos)
      << text;
  // Nothing was created, so no event came before the error.
  EXPECT_EQ(text.find("event "), std::string::npos) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos) << "a bare CR would overwrite the line";
}

// Guards against a full session losing an event, the result or a dialog:
// the form is made and shown, the script answers the confirmation and clicks
// the button that submits and closes, and 0x130 carries the result.
TEST_F(HostRunTest, PlaysAScriptToTheEndAndPrintsTheResult) {
  ASSERT_TRUE(SetFormClass("THostRunTestForm"));
  THostRunOptions options;
  options.User = "U01";
  options.ScriptFile = WriteScript(
      "# submit and confirm\n"
      "answer mrYes\n"
      "click btnSubmit\n"
      "pump\n");
  std::ostringstream out;
  EXPECT_EQ(HostRun(options, out), HostRunOk);
  const std::string text = out.str();
  const std::vector<std::string> inOrder = {
      "CreateForm [U01, ",
      "event 0x100 (form created)\n",
      "CreateForm returned 0\n",
      "event 0x110 (form shown)\n",
      "> answer\n",
      "> click btnSubmit\n",
      "event 0x130 (form destroyed): ResultCode=1 ResultData=\"J0001\"\n",
      // "提交?" decoded for the terminal.
      "(TMessageForm) \"Confirm\": \xE6\x8F\x90\xE4\xBA\xA4? -> 6 (driver)\n",
  };
  size_t at = 0;
  for (const std::string& part : inOrder) {
    SCOPED_TRACE(part);
    const size_t found = text.find(part, at);
    ASSERT_NE(found, std::string::npos) << text;
    at = found + part.size();
  }
}

// Guards against a failed form passing for success or the script playing on
// it: CreateForm -1 gives exit code 1, the error box is printed, and the
// controller still frees the form it kept.
TEST_F(HostRunTest, AFormThatFailsGivesExitCode1) {
  ASSERT_TRUE(SetFormClass("THostRunTestForm"));
  THostRunOptions options;
  options.User = "fail";
  options.ScriptFile = WriteScript("click btnSubmit\n");
  std::ostringstream out;
  EXPECT_EQ(HostRun(options, out), HostRunFormFailed);
  const std::string text = out.str();
  EXPECT_NE(text.find("CreateForm returned -1\nthe script is not played"), std::string::npos) << text;
  EXPECT_EQ(text.find("> click"), std::string::npos) << text;
  EXPECT_NE(text.find("event 0x130 (form destroyed): ResultCode=0 ResultData=Empty"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("initialisation failed"), std::string::npos) << text;
}

// Guards against a script that names a missing control passing for success,
// and against anything running when the script has a bad line.
TEST_F(HostRunTest, ScriptFailuresGiveExitCode2) {
  ASSERT_TRUE(SetFormClass("THostRunTestForm"));
  THostRunOptions options;
  options.ScriptFile = WriteScript("click btnNothing\n");
  std::ostringstream out;
  EXPECT_EQ(HostRun(options, out), HostRunBadInput);
  EXPECT_NE(out.str().find("script:1: "), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("event 0x130"), std::string::npos) << "the controller is freed";

  options.ScriptFile = WriteScript("pump\nclick\n");
  std::ostringstream refused;
  EXPECT_EQ(HostRun(options, refused), HostRunBadInput);
  EXPECT_EQ(refused.str(), "kulr31-host: script:2: click needs a control's name path\n");
}

// Guards against running without an installation: a clear message and code
// 2 before the plug-in is loaded.
TEST_F(HostRunTest, RefusesToRunWithoutAnInstallation) {
  const std::string empty = *Folder + "/empty-registry.ini";
  std::ofstream(empty) << "; nothing\n";
  TScopedEnv env("KULR_REGISTRY", empty);
  InitializePlatform();
  std::ostringstream out;
  EXPECT_EQ(HostRun({}, out), HostRunBadInput);
  EXPECT_NE(out.str().find("no demo installation"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("loaded"), std::string::npos);
}

// Guards against a missing or wrong library passing silently.
TEST_F(HostRunTest, APluginThatCannotBeLoadedGivesExitCode3) {
  THostRunOptions options;
  options.PluginPath = *Folder + "/no-such-plugin.so";
  std::ostringstream out;
  EXPECT_EQ(HostRun(options, out), HostRunPluginFailed);
  EXPECT_NE(out.str().find("cannot load the plug-in"), std::string::npos) << out.str();
}

}  // namespace
