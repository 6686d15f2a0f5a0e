#include "env/GeneratorLog.h"

#include <initializer_list>

#include "env/HelmarINI.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Paths.h"
#include "platform/win/Registry.h"
#include "platform/win/SystemInfo.h"

IDBEngineErrorInfo::~IDBEngineErrorInfo() = default;

namespace {

constexpr char kSeparator[] = "----------------------------------";

AnsiString ReadInstallationFolder() {
  TRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(HelmarRegistryKey)) return "";
  AnsiString folder = registry.ReadString("ClientPath");
  if (folder.empty()) folder = registry.ReadString("ServerPath");
  return folder;
}

// The record lines of one error and their count.
int WriteErrorLines(const Exception& error) {
  if (const auto* engine = dynamic_cast<const IDBEngineErrorInfo*>(&error)) {
    const int count = engine->ErrorCount();
    for (int i = 0; i < count; ++i)
      WriteGeneratorLog(Format("EDBEngineError Error %.2d: Code: %d, Message: ",
                               {Variant(i + 1), Variant(engine->SubErrorCode(i))}) +
                        engine->SubErrorMessage(i));
    return count;
  }
  // The message is appended, never formatted: it may hold "%".
  const char* layout = nullptr;
  if (dynamic_cast<const EOSError*>(&error) != nullptr)
    layout = "EWin32Error Error %.2d: Code: %d, Message: ";
  else if (dynamic_cast<const EInOutError*>(&error) != nullptr)
    layout = "EInOutError Error %.2d: Code: %d, Message: ";
  if (layout != nullptr) {
    const int code = static_cast<const ECodedError&>(error).ErrorCode();
    WriteGeneratorLog(Format(layout, {Variant(1), Variant(code)}) + error.Message());
  } else {
    WriteGeneratorLog(Format("Exception is %s\r\nMessage %.2d: ",
                             {Variant(AnsiString(error.ClassName())), Variant(1)}) +
                      error.Message());
  }
  return 1;
}

}  // namespace

AnsiString GetGeneratorLogFolder() {
  AnsiString folder;
  try {
    folder = ReadInstallationFolder();
  } catch (...) {
    // A broken registry file must not stop an error from being logged.
    folder.clear();
  }
  if (folder.empty()) folder = GetTempPath();
  if (folder.empty()) folder = "/tmp/";
  return folder;
}

AnsiString GetGeneratorLogFile(TDateTime date) {
  AnsiString folder = GetGeneratorLogFolder();
  if (folder.empty()) folder = GetHostExeDir();
  return IncludeTrailingPathDelimiter(folder) + "Log/Alert_BriskGenerator_" +
         FormatDateTime("yyyymmdd", date) + ".log";
}

bool WriteGeneratorLog(std::string_view text) {
  try {
    // One reading of the clock, so that a record written at midnight lands
    // in the file of the day its stamp names.
    const TDateTime now = Now();
    const AnsiString file = GetGeneratorLogFile(now);
    if (!ForceDirectories(ExtractFilePath(file))) return false;
    // The time is always written, midnight too, so every record has one layout.
    const AnsiString stamp = FormatDateTime(
        FormatSettings.ShortDateFormat + " " + FormatSettings.LongTimeFormat, now);
    AppendLine(file, "[" + stamp + "] " + AnsiString(text));
    return true;
  } catch (...) {
    // Losing a record is the lesser harm: the caller is already handling an
    // error and has nobody to report this one to.
    return false;
  }
}

void LogGeneratorError(const Exception* error, std::string_view where,
                       std::string_view programmerMessage) {
  try {
    AnsiString separator = kSeparator;
    if (!Trim(where).empty()) separator += " on " + AnsiString(where) + " ";
    separator += kSeparator;
    WriteGeneratorLog(separator);
    if (error != nullptr) {
      WriteGeneratorLog("讯息信息:");
      const int count = WriteErrorLines(*error);
      WriteGeneratorLog(Format("ErrorMessage Count: %d", {Variant(count)}));
    }
    if (!Trim(programmerMessage).empty())
      WriteGeneratorLog("Programer Message: " + AnsiString(programmerMessage));
  } catch (...) {
    // An error object whose own accessors fail is dropped with the rest of
    // its entry.
  }
}
