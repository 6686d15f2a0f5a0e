// Shell execute: hand an address or a file to the desktop's opener. The host
// may take the requests itself (a handler); otherwise an opener program
// (xdg-open unless configured) is started with the target as its single
// argument, never through a command interpreter, and not waited for.
//
// Only two kinds of target are passed on: http and https addresses (plain
// ASCII, no blanks, no control characters) and files or folders that exist.
// Anything else (file:, javascript:, mailto:, ...) is refused, because an
// opener turns any text it is given into some action on this machine.
#pragma once

#include <functional>

#include "platform/rtl/Types.h"

// Takes every checked request instead of the opener: true when it handled it.
using TShellHandler = std::function<bool(const AnsiString& verb, const AnsiString& target)>;
// An empty function restores the opener program.
void SetShellHandler(TShellHandler handler);
// The program that opens targets when no handler is set: a path, or a name
// looked up in PATH. Empty restores "xdg-open".
void SetShellOpener(const AnsiString& program);

// Checks the target, then passes it to the handler or the opener. The verb
// is matched without regard to case; "" means "open". The opener program
// only knows "open"; other verbs ("properties") need a handler. A file is
// handed on as an absolute path, so a name starting with "-" cannot pass for
// an option. True when the handler accepted it or the opener was started;
// false with the reason in GetLastShellError().
bool ShellExecute(const AnsiString& verb, const AnsiString& target);
inline bool ShellOpen(const AnsiString& target) { return ShellExecute("open", target); }

// Why the last ShellExecute of this thread returned false; empty after success.
const AnsiString& GetLastShellError();
