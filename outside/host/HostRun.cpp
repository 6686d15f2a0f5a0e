#include "host/HostRun.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

#include "env/HelmarINI.h"
#include "host/HostApplication.h"
#include "host/Install.h"
#include "kulr31/DLLBaseCtrller.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/TestDriver.h"
#include "platform/win/DynLib.h"
#include "platform/win/Registry.h"
#include "platform/win/SystemInfo.h"

const char* const HostRunUsage =
    "  run [options]          load the plug-in and drive its form; options:\n"
    "                           --plugin PATH   the library (default: Kulr31C.so\n"
    "                                           next to this program)\n"
    "                           --script FILE   a session script, one command a line:\n"
    "                                           focus PATH, type PATH TEXT, key NAME\n"
    "                                           (Enter, Esc, Tab, F2, Ctrl+S, ...),\n"
    "                                           click PATH, answer mrOk mrNo ...,\n"
    "                                           pump, close; \"#\" starts a comment\n"
    "                           --user U --company C --db D   the host parameters\n"
    "                         the installation comes from KULR_REGISTRY (see install);\n"
    "                         exit 0 form made, 1 form failed, 2 bad input,\n"
    "                         3 the plug-in could not be loaded or raised\n";

namespace {

// The host's texts are GBK bytes; the terminal reads UTF-8.
std::string ForTerminal(std::string_view bytes) {
  return WideToUtf8(CodePageToWide(HostCodePage, bytes));
}

// UTF-8 from the command line or a script to code page 936 bytes; nullopt
// when something cannot be written in that code page (or is not UTF-8).
std::optional<AnsiString> ToHostBytes(std::string_view utf8) {
  bool lost = false;
  AnsiString bytes = WideToCodePage(HostCodePage, Utf8ToWide(utf8), &lost);
  if (lost) return std::nullopt;
  return bytes;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// ---- Script parsing ----

struct TNamedValue {
  const char* Name;
  int Value;
};

const TNamedValue ModalResults[] = {
    {"mrOk", mrOk},   {"mrCancel", mrCancel}, {"mrAbort", mrAbort}, {"mrRetry", mrRetry},
    {"mrIgnore", mrIgnore}, {"mrYes", mrYes}, {"mrNo", mrNo},       {"mrAll", mrAll},
    {"mrNoToAll", mrNoToAll}, {"mrYesToAll", mrYesToAll}};

const TNamedValue KeyNames[] = {
    {"Enter", VK_RETURN}, {"Return", VK_RETURN}, {"Esc", VK_ESCAPE},   {"Escape", VK_ESCAPE},
    {"Tab", VK_TAB},      {"Space", VK_SPACE},   {"Backspace", VK_BACK}, {"Delete", VK_DELETE},
    {"Insert", VK_INSERT}, {"Home", VK_HOME},    {"End", VK_END},      {"PageUp", VK_PRIOR},
    {"PageDown", VK_NEXT}, {"Up", VK_UP},        {"Down", VK_DOWN},    {"Left", VK_LEFT},
    {"Right", VK_RIGHT}};

class TLineError {
public:
  explicit TLineError(std::string message) : Message(std::move(message)) {}
  std::string Message;
};

// Splits off the next blank-separated word; rest keeps what follows it,
// without the blanks in between.
std::string_view NextWord(std::string_view& rest) {
  size_t start = rest.find_first_not_of(" \t");
  if (start == std::string_view::npos) {
    rest = {};
    return {};
  }
  size_t end = rest.find_first_of(" \t", start);
  std::string_view word = rest.substr(start, end == std::string_view::npos ? rest.npos : end - start);
  rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
  size_t next = rest.find_first_not_of(" \t");
  rest = next == std::string_view::npos ? std::string_view{} : rest.substr(next);
  return word;
}

// "sp01.edBegin": names of letters, digits and "_" joined by dots.
std::string ParsePath(std::string_view word, std::string_view command) {
  if (word.empty()) throw TLineError(std::string(command) + " needs a control's name path");
  bool atStart = true;
  for (char c : word) {
    const bool nameChar = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '_';
    if (c == '.' && !atStart) {
      atStart = true;
    } else if (nameChar) {
      atStart = false;
    } else {
      throw TLineError("bad name path \"" + std::string(word) + "\"");
    }
  }
  if (atStart) throw TLineError("bad name path \"" + std::string(word) + "\"");
  return std::string(word);
}

void NoMore(std::string_view rest, std::string_view command) {
  if (!rest.empty())
    throw TLineError(std::string(command) + " takes no more than that: \"" + std::string(rest) +
                     "\"");
}

uint16_t ParseKeyName(std::string_view name) {
  if (name.size() == 1) {
    char c = name[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<uint16_t>(c);
  }
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    int n = 0;
    bool digits = name.size() <= 3;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') digits = false;
      n = n * 10 + (c - '0');
    }
    if (digits && n >= 1 && n <= 12) return static_cast<uint16_t>(VK_F1 + n - 1);
  }
  for (const TNamedValue& key : KeyNames)
    if (SameText(name, key.Name)) return static_cast<uint16_t>(key.Value);
  throw TLineError("unknown key \"" + std::string(name) + "\"");
}

void ParseKey(std::string_view word, THostScriptCommand& command) {
  if (word.empty()) throw TLineError("key needs a key name");
  std::string_view rest = word;
  for (;;) {
    size_t plus = rest.find('+');
    // A lone "+" at the end is not a key we know; an empty part is a typo.
    if (plus == std::string_view::npos) break;
    std::string_view modifier = rest.substr(0, plus);
    if (SameText(modifier, "Ctrl")) {
      command.Shift.Include(ssCtrl);
    } else if (SameText(modifier, "Shift")) {
      command.Shift.Include(ssShift);
    } else if (SameText(modifier, "Alt")) {
      command.Shift.Include(ssAlt);
    } else {
      throw TLineError("unknown modifier \"" + std::string(modifier) + "\" in \"" +
                       std::string(word) + "\"");
    }
    rest = rest.substr(plus + 1);
  }
  command.Key = ParseKeyName(rest);
}

int ParseModalResult(std::string_view word) {
  for (const TNamedValue& result : ModalResults)
    if (SameText(word, result.Name)) return result.Value;
  throw TLineError("unknown modal result \"" + std::string(word) + "\"");
}

THostScriptCommand ParseLine(std::string_view line) {
  std::string_view rest = line;
  std::string_view verb = NextWord(rest);
  THostScriptCommand command;
  if (SameText(verb, "focus") || SameText(verb, "click")) {
    command.Op = SameText(verb, "focus") ? THostScriptOp::Focus : THostScriptOp::Click;
    command.Path = ParsePath(NextWord(rest), verb);
    NoMore(rest, verb);
  } else if (SameText(verb, "type")) {
    command.Op = THostScriptOp::Type;
    command.Path = ParsePath(NextWord(rest), verb);
    if (rest.empty()) throw TLineError("type needs a text after the name path");
    std::optional<AnsiString> bytes = ToHostBytes(rest);
    if (!bytes) throw TLineError("the text is not UTF-8 that code page 936 can hold");
    command.Text = std::move(*bytes);
  } else if (SameText(verb, "key")) {
    command.Op = THostScriptOp::Key;
    ParseKey(NextWord(rest), command);
    NoMore(rest, verb);
  } else if (SameText(verb, "answer")) {
    command.Op = THostScriptOp::Answer;
    while (!rest.empty()) command.Answers.push_back(ParseModalResult(NextWord(rest)));
    if (command.Answers.empty()) throw TLineError("answer needs at least one modal result");
  } else if (SameText(verb, "pump") || SameText(verb, "close")) {
    command.Op = SameText(verb, "pump") ? THostScriptOp::Pump : THostScriptOp::Close;
    NoMore(rest, verb);
  } else {
    throw TLineError("unknown command \"" + std::string(verb) + "\"");
  }
  return command;
}

const char* OpName(THostScriptOp op) {
  switch (op) {
    case THostScriptOp::Focus: return "focus";
    case THostScriptOp::Type: return "type";
    case THostScriptOp::Key: return "key";
    case THostScriptOp::Click: return "click";
    case THostScriptOp::Answer: return "answer";
    case THostScriptOp::Pump: return "pump";
    case THostScriptOp::Close: return "close";
  }
  return "?";
}

// ---- Running ----

// The installation's company database, from the registry's ClientPath.
std::string CompanyDbPath() {
  TRegistry registry(HKEY_LOCAL_MACHINE);
  AnsiString folder;
  if (registry.OpenKeyReadOnly(HelmarRegistryKey)) folder = registry.ReadString("ClientPath");
  if (folder.empty())
    throw EHostRunError(
        "no demo installation: the registry has no ClientPath under HKEY_LOCAL_MACHINE\\" +
        std::string(HelmarRegistryKey) +
        " (lay one out with \"kulr31-host install DIR\" and point KULR_REGISTRY at its "
        "registry.ini)");
  // The registry hands paths out as bytes of the system code page.
  std::string path = WideToUtf8(CodePageToWide(CP_ACP, folder));
  if (path.back() != '/' && path.back() != '\\') path += '/';
  return path + InstallCompanyDbName;
}

std::string ResultDataText(const Variant& data) {
  if (data.IsEmpty()) return "Empty";
  if (data.IsNull()) return "Null";
  try {
    return "\"" + ForTerminal(VarToStr(data)) + "\"";
  } catch (const std::exception&) {
    return "(a value with no text form)";
  }
}

const char* EventName(int32_t code) {
  switch (code) {
    case DLLEVENT_FORMCREATE: return "form created";
    case DLLEVENT_FORMSHOW: return "form shown";
    case DLLEVENT_FORMHIDE: return "form hidden";
    case DLLEVENT_FORMDESTROY: return "form destroyed";
    case DLLEVENT_NOTIFY: return "notify";
  }
  return "unknown";
}

// A message text for one line: the platform's line breaks ("\r", "\r\n")
// would make the terminal overwrite what came before.
std::string OneLine(const AnsiString& text) {
  std::string shown = ForTerminal(text);
  std::string result;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\r' || shown[i] == '\n') {
      if (shown[i] == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
      result += " | ";
    } else {
      result += shown[i];
    }
  }
  return result;
}

void PrintDialog(std::ostream& out, const TDialogRecord& record) {
  out << "dialog " << record.Serial << " (" << ForTerminal(record.FormClass) << ") \""
      << OneLine(record.Caption) << "\": " << OneLine(record.Text) << " -> " << record.Result;
  if (!record.AnsweredBy.empty()) out << " (" << ForTerminal(record.AnsweredBy) << ")";
  out << "\n";
}

// Plays the commands on the form; false (the failure written) when one
// could not be carried out.
bool PlayScript(const std::vector<THostScriptCommand>& commands, TDLLBaseController& controller,
                TCustomForm& form, TTestDriver& driver, std::ostream& out) {
  for (const THostScriptCommand& command : commands) {
    out << "> " << OpName(command.Op);
    if (!command.Path.empty()) out << " " << command.Path;
    out << "\n";
    try {
      const bool needsForm = command.Op == THostScriptOp::Focus ||
                             command.Op == THostScriptOp::Type ||
                             command.Op == THostScriptOp::Click || command.Op == THostScriptOp::Close;
      // The driver's root is the form: once it is freed, nothing may reach it.
      if (needsForm && controller.IsFormFreed())
        throw EHostRunError("the plug-in's form is already freed");
      switch (command.Op) {
        case THostScriptOp::Focus: driver.Focus(command.Path); break;
        case THostScriptOp::Type: driver.TypeText(command.Path, command.Text); break;
        case THostScriptOp::Key: driver.PressKey(command.Key, command.Shift); break;
        case THostScriptOp::Click: driver.Click(command.Path); break;
        case THostScriptOp::Answer:
          for (int answer : command.Answers) driver.AnswerNextDialogs({answer});
          break;
        case THostScriptOp::Pump: driver.Pump(); break;
        case THostScriptOp::Close: form.Close(); break;
      }
    } catch (const Exception& e) {
      out << "script:" << command.Line << ": " << OneLine(e.Message()) << "\n";
      return false;
    } catch (const std::exception& e) {
      out << "script:" << command.Line << ": " << e.what() << "\n";
      return false;
    }
  }
  return true;
}

std::vector<THostScriptCommand> ReadScript(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw EHostRunError("cannot read the script " + file);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw EHostRunError("cannot read the script " + file);
  return ParseHostScript(text.str(), "script");
}

}  // namespace

std::vector<THostScriptCommand> ParseHostScript(std::string_view text, const std::string& source) {
  std::vector<THostScriptCommand> commands;
  int lineNumber = 0;
  while (!text.empty() || lineNumber == 0) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    try {
      THostScriptCommand command = ParseLine(line.substr(first));
      command.Line = lineNumber;
      commands.push_back(std::move(command));
    } catch (const TLineError& e) {
      throw EHostRunError(source + ":" + std::to_string(lineNumber) + ": " + e.Message);
    }
  }
  return commands;
}

THostRunOptions ParseRunArgs(const std::vector<std::string>& args) {
  THostRunOptions options;
  bool seen[5] = {};
  for (size_t i = 0; i < args.size(); ++i) {
    static const char* const names[] = {"--plugin", "--script", "--user", "--company", "--db"};
    int which = -1;
    for (int n = 0; n < 5; ++n)
      if (args[i] == names[n]) which = n;
    if (which < 0) throw EHostRunError("run: unknown argument \"" + args[i] + "\"");
    if (seen[which]) throw EHostRunError(std::string("run: ") + names[which] + " given twice");
    seen[which] = true;
    if (i + 1 >= args.size()) throw EHostRunError(std::string("run: ") + names[which] + " needs a value");
    const std::string& value = args[++i];
    if (value.empty()) throw EHostRunError(std::string("run: ") + names[which] + " needs a value");
    if (which == 0) {
      options.PluginPath = value;
    } else if (which == 1) {
      options.ScriptFile = value;
    } else {
      std::optional<AnsiString> bytes = ToHostBytes(value);
      if (!bytes)
        throw EHostRunError(std::string("run: ") + names[which] +
                            " is not UTF-8 that code page 936 can hold");
      (which == 2 ? options.User : which == 3 ? options.Company : options.Database) = *bytes;
    }
  }
  return options;
}

int HostRun(const THostRunOptions& options, std::ostream& out) {
  // Everything the user gave is checked before the plug-in is touched.
  std::vector<THostScriptCommand> script;
  std::shared_ptr<TCompanyDb> db;
  try {
    if (!options.ScriptFile.empty()) script = ReadScript(options.ScriptFile);
    db = std::make_shared<TCompanyDb>(CompanyDbPath());
  } catch (const Exception& e) {
    out << "kulr31-host: " << OneLine(e.Message()) << "\n";
    return HostRunBadInput;
  }

  // File names from the command line are UTF-8; the loader takes names in
  // the system code page.
  const AnsiString pluginName =
      options.PluginPath.empty()
          ? GetHostExeDir() + HostPluginFileName
          : WideToCodePage(CP_ACP, Utf8ToWide(options.PluginPath));
  TDynLib library(pluginName);
  if (!library.Loaded()) {
    out << "kulr31-host: cannot load the plug-in: " << OneLine(library.Error()) << "\n";
    return HostRunPluginFailed;
  }
  auto getController = library.ProcAs<TGetControllerProc>("GetController");
  if (!getController) {
    out << "kulr31-host: " << ForTerminal(pluginName) << " exports no GetController\n";
    return HostRunPluginFailed;
  }
  out << "loaded " << ForTerminal(GetModulePath(library.Handle())) << "\n";

  const size_t journalStart = Application().Journal().size();
  auto printJournal = [&] {
    const auto& journal = Application().Journal();
    for (size_t i = journalStart <= journal.size() ? journalStart : 0; i < journal.size(); ++i)
      PrintDialog(out, journal[i]);
  };

  std::unique_ptr<TDLLBaseController> controller;
  int32_t created = -1;
  try {
    controller.reset(getController());
    if (!controller) throw Exception("GetController returned no controller");
    controller->HostObject = Variant(THostApplication::Create(db));
    TDLLBaseController* self = controller.get();
    controller->OnEvent = TDLLEvent::FromFunction([&out, self](int32_t code, TObject*) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(code));
      out << "event " << hex << " (" << EventName(code) << ")";
      if (code == DLLEVENT_FORMDESTROY)
        out << ": ResultCode=" << self->ResultCode << " ResultData=" << ResultDataText(self->ResultData);
      out << "\n";
    });
    const AnsiString user = options.User.empty() ? AnsiString("DS") : options.User;
    const AnsiString company = options.Company.empty() ? db->CompanyId() : options.Company;
    const AnsiString database = options.Database.empty() ? db->DatabaseName() : options.Database;
    out << "CreateForm [" << ForTerminal(user) << ", " << ForTerminal(company) << ", "
        << ForTerminal(database) << ", 0, Empty]\n";
    created = controller->CreateForm(VarArrayOf(
        {Variant(user), Variant(company), Variant(database), Variant(int32_t{0}), Variant()}));
  } catch (const Exception& e) {
    out << "kulr31-host: the plug-in raised: " << OneLine(e.Message()) << "\n";
    controller.reset();
    Application().ProcessMessages();
    printJournal();
    return HostRunPluginFailed;
  } catch (const std::exception& e) {
    out << "kulr31-host: the plug-in raised: " << e.what() << "\n";
    controller.reset();
    return HostRunPluginFailed;
  }
  out << "CreateForm returned " << created << "\n";

  int code = created == 0 ? HostRunOk : HostRunFormFailed;
  {
    // Installed before the form shows: its OnShow may already ask something.
    TTestDriver driver(nullptr);
    if (created != 0 && !script.empty()) out << "the script is not played: the form failed\n";
    if (created == 0) {
      controller->SetVisible(-1);
      Application().ProcessMessages();
      TCustomForm* form = controller->IsFormFreed() ? nullptr : FindForm(controller->GetHandle());
      if (!form) {
        if (!script.empty()) {
          out << "kulr31-host: the plug-in shows no form to play the script on\n";
          code = HostRunBadInput;
        }
      } else {
        TTestDriver formDriver(form);
        if (!PlayScript(script, *controller, *form, formDriver, out)) code = HostRunBadInput;
        Application().ProcessMessages();
      }
    }
    controller.reset();
    Application().ProcessMessages();
  }
  printJournal();
  return code;
}
