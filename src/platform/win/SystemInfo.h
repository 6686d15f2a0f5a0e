// Facts about the machine and the process: computer and logon names, the
// temporary folder, module and executable file names, the system version,
// the command line, and the system code page. Names and paths come back as
// bytes of the system code page, like every byte string of the runtime, and
// folders end with "/".
#pragma once

#include "platform/rtl/Types.h"

// The host name up to its first "." and at most 15 bytes, as the system
// reports it (case kept); "Unknown" when it cannot be read.
AnsiString GetComputerName();
// The name of the effective user from the user database, else $USER, else
// $LOGNAME; "" when none is known.
AnsiString GetLogonUserName();
// $TMPDIR when set and not empty, else "/tmp"; always with a trailing "/".
AnsiString GetTempPath();
// The full path of the shared object or executable holding address (the
// executable's through /proc/self/exe). Raises EOSError when no loaded module
// holds the address.
AnsiString GetModuleFileName(const void* address);
// The process's executable, and its folder with a trailing "/". Raise
// EOSError when /proc/self/exe cannot be read.
AnsiString GetHostExecutable();
AnsiString GetHostExeDir();
// "major.minor.build" from the kernel release ("6.1.0-18-amd64" -> "6.1.0");
// missing parts are 0.
AnsiString GetOSVersionText();
// The last argument of the process's command line; the program path when
// there are no arguments; "" when the command line cannot be read.
AnsiString GetLastCommandLineArg();

// The process's system code page (what SystemCodePage() resolved).
int GetACP();
// The system code page the configuration asks for: the registry value
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Nls\CodePage\ACP when
// it is a number that names a code page the runtime can convert, else 0
// ("no setting"). Never raises: a broken registry file shows at the first
// registry open, not inside every text conversion.
int RegistryCodePage();
