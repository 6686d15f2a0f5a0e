// The generator log: errors that low-level services catch and cannot show to
// anybody go to "Log/Alert_BriskGenerator_YYYYMMDD.log" under the client
// installation, one record per line (CR LF), each stamped with the local date
// and time in the short date and long time format of FormatSettings. Writing
// it never raises: a log that cannot be written is lost.
#pragma once

#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// What a database engine error offers the log: its list of sub-errors. The
// database layer's error class implements it next to Exception; the log finds
// it by a cross cast, so this unit needs nothing from that layer.
class IDBEngineErrorInfo {
public:
  virtual ~IDBEngineErrorInfo();
  virtual int ErrorCount() const = 0;
  // index is 0-based, 0 <= index < ErrorCount().
  virtual int SubErrorCode(int index) const = 0;
  virtual AnsiString SubErrorMessage(int index) const = 0;
};

// The folder the log goes under: the registry's "ClientPath" (key
// HKEY_LOCAL_MACHINE\Software\ORLAN\Helmar), else its "ServerPath", else the
// temporary folder, else "/tmp/". A registry that cannot be read counts as
// one without the key.
AnsiString GetGeneratorLogFolder();

// The log file for the date: folder + "Log/Alert_BriskGenerator_" +
// "YYYYMMDD" + ".log" (folder as GetGeneratorLogFolder gives it, the host
// executable's folder when that is empty).
AnsiString GetGeneratorLogFile(TDateTime date);

// Appends "[" + date and time + "] " + text to the log, creating its folder
// and file when missing. text is written as it is ("%" stays, a CR LF inside
// breaks the record over two lines). False when the log cannot be written.
bool WriteGeneratorLog(std::string_view text);

// Writes one entry: a separator naming where (when it is not blank), then,
// for an error, a header, its class and code lines and their count, then the
// programmer's message when it is not blank. error may be null. Raises
// nothing.
void LogGeneratorError(const Exception* error, std::string_view where,
                       std::string_view programmerMessage);
