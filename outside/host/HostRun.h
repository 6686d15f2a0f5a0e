// The host's "run" command: finds the demo installation through the
// registry, loads the plug-in by name, hands it the application object and an
// event handler, creates and shows its form, plays a session script on the
// form through the component model's test driver, pumps the message loop,
// prints every event and dialog, and frees the controller. The session
// script is a tiny line language, parsed whole before anything runs.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "host/CompanyDb.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Events.h"

// A bad run command line, session script or installation; the message says
// where ("script:3: ...") and what.
class EHostRunError : public EHostError {
public:
  using EHostError::EHostError;
  const char* ClassName() const override { return "EHostRunError"; }
};

// The plug-in's file name, looked for next to the host program.
inline constexpr char HostPluginFileName[] = "Kulr31C.so";

// Exit codes of the command.
inline constexpr int HostRunOk = 0;              // CreateForm returned 0
inline constexpr int HostRunFormFailed = 1;      // CreateForm returned -1
inline constexpr int HostRunBadInput = 2;        // command line, script or installation
inline constexpr int HostRunPluginFailed = 3;    // not loaded, or it raised

// ---- Session scripts ----
enum class THostScriptOp { Focus, Type, Key, Click, Answer, Pump, Close };

struct THostScriptCommand {
  int Line = 0;  // 1-based, in the script file
  THostScriptOp Op = THostScriptOp::Pump;
  std::string Path;          // focus, type, click: the control's name path
  AnsiString Text;           // type: code page 936 bytes
  uint16_t Key = 0;          // key
  TShiftState Shift;         // key
  std::vector<int> Answers;  // answer: modal results
};

// One command a line; blank lines and lines starting with "#" are skipped:
//   focus PATH | type PATH TEXT | key [Ctrl+][Shift+][Alt+]NAME | click PATH
//   answer RESULT... | pump | close
// TEXT is the rest of the line in UTF-8 (stored as code page 936 bytes);
// NAME is a letter, a digit, F1..F12, Enter, Esc, Tab, Space, Backspace,
// Delete, Insert, Home, End, PageUp, PageDown, Up, Down, Left, Right;
// RESULT is mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo, mrAll,
// mrNoToAll, mrYesToAll. Names and keywords ignore ASCII case. Raises
// EHostRunError "<source>:LINE: message" for the first bad line.
std::vector<THostScriptCommand> ParseHostScript(std::string_view text,
                                                const std::string& source = "script");

// ---- The command ----
struct THostRunOptions {
  std::string PluginPath;  // "": HostPluginFileName next to the host program
  std::string ScriptFile;  // "": no script
  AnsiString User;         // "": "DS", the demo company's administrator
  AnsiString Company;      // "": the company database's company id
  AnsiString Database;     // "": the company database's database name
};

// The arguments after "run":
//   [--plugin PATH] [--script FILE] [--user U] [--company C] [--db D]
// User, company and database are UTF-8 here and become 936 bytes. Raises
// EHostRunError for anything else.
THostRunOptions ParseRunArgs(const std::vector<std::string>& args);

// Runs the plug-in as described above, writing everything (UTF-8) to out,
// and returns one of the exit codes. Needs the platform initialised and
// KULR_REGISTRY naming a demo installation. Raises nothing: failures are
// written to out and given their code.
int HostRun(const THostRunOptions& options, std::ostream& out);

// The usage lines of the command, for the host's help text.
extern const char* const HostRunUsage;
