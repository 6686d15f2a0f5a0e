#include "platform/win/Shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/win/Paths.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::mutex GMutex;
TShellHandler GHandler;
AnsiString GOpener;

thread_local AnsiString GLastShellError;

const char* const DefaultOpener = "xdg-open";

// The target as it may appear in a message: control bytes shown as \xNN, so
// a line break in a hostile address cannot forge a line of a log.
AnsiString Printable(const AnsiString& target) {
  static const char Hex[] = "0123456789ABCDEF";
  AnsiString text;
  for (unsigned char c : target) {
    if (c < 0x20 || c == 0x7F) {
      text += "\\x";
      text += Hex[c >> 4];
      text += Hex[c & 15];
    } else {
      text += char(c);
    }
  }
  return text;
}

bool Fail(const AnsiString& target, const AnsiString& reason) {
  GLastShellError = "ShellExecute(\"" + Printable(target) + "\"): " + reason;
  return false;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

AnsiString LowerAscii(AnsiString text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The scheme of "scheme:rest" (letters, digits, "+", "-", "." after a
// letter), lower-cased; empty when the text does not start with one. A single
// letter is a drive ("C:\..."), not a scheme.
AnsiString SchemeOf(const AnsiString& target) {
  size_t colon = target.find(':');
  if (colon == AnsiString::npos || colon < 2) return {};
  auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isAlpha(target[0])) return {};
  for (size_t i = 1; i < colon; ++i) {
    char c = target[i];
    if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return {};
  }
  return LowerAscii(target.substr(0, colon));
}

// An http(s) address: "//" and a host after the scheme, printable ASCII only.
bool CheckAddress(const AnsiString& target, const AnsiString& scheme) {
  if (scheme != "http" && scheme != "https")
    return Fail(target, "only http and https addresses are opened, not \"" + scheme + ":\"");
  for (unsigned char c : target) {
    if (IsControl(c)) return Fail(target, "the address contains a control character");
    if (c == ' ') return Fail(target, "the address contains a blank");
    if (c >= 0x80) return Fail(target, "the address is not percent-encoded (byte above 0x7F)");
  }
  size_t rest = scheme.size() + 1;
  if (target.compare(rest, 2, "//") != 0 || rest + 2 >= target.size() ||
      target[rest + 2] == '/' || target[rest + 2] == '?' || target[rest + 2] == '#')
    return Fail(target, "the address has no host");
  return true;
}

// Reaps the opener when it ends, without making the caller wait for it.
void ReapLater(pid_t pid) {
  try {
    std::thread([pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: reap now if it is already done; a zombie is the
    // worst that remains.
    int status = 0;
    waitpid(pid, &status, WNOHANG);
  }
}

bool StartOpener(const AnsiString& display, const AnsiString& argument) {
  AnsiString program;
  {
    std::lock_guard lock(GMutex);
    program = GOpener.empty() ? AnsiString(DefaultOpener) : GOpener;
  }
  char* argv[] = {program.data(), const_cast<char*>(argument.c_str()), nullptr};
  // The opener (and the browser it starts) outlives us: it gets none of our
  // other descriptors (server connections, locked files) and a session of its
  // own, so a signal to the host's process group does not reach it.
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int error = program.find('/') != AnsiString::npos
                  ? posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ)
                  : posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0)
    return Fail(display, "cannot start \"" + program + "\": " + std::strerror(error));
  ReapLater(pid);
  return true;
}

}  // namespace

void SetShellHandler(TShellHandler handler) {
  std::lock_guard lock(GMutex);
  GHandler = std::move(handler);
}

void SetShellOpener(const AnsiString& program) {
  std::lock_guard lock(GMutex);
  GOpener = program;
}

bool ShellExecute(const AnsiString& verb, const AnsiString& target) {
  if (target.empty()) return Fail(target, "no target");
  if (target.find('\0') != AnsiString::npos) return Fail(target, "the target contains NUL");

  // The handler speaks system-code-page bytes like the rest of the runtime;
  // the opener program gets the name the file system uses.
  AnsiString forHandler;
  std::string forOpener;
  AnsiString scheme = SchemeOf(target);
  if (!scheme.empty()) {
    if (!CheckAddress(target, scheme)) return false;
    forHandler = forOpener = target;
  } else {
    for (unsigned char c : target)
      if (IsControl(c)) return Fail(target, "the file name contains a control character");
    std::string native;
    try {
      native = ToNativePath(target);
    } catch (const EConvertError& e) {
      return Fail(target, e.Message());
    }
    std::error_code ec;
    if (!fs::exists(fs::path(native), ec)) return Fail(target, "no such file");
    fs::path full = fs::absolute(fs::path(native), ec);
    if (ec) return Fail(target, "cannot make the path absolute: " + ec.message());
    forOpener = full.lexically_normal().string();
    forHandler = FromNativePath(forOpener);
  }

  AnsiString theVerb = verb.empty() ? AnsiString("open") : LowerAscii(verb);
  TShellHandler handler;
  {
    std::lock_guard lock(GMutex);
    handler = GHandler;
  }
  if (handler) {
    bool handled = false;
    try {
      handled = handler(theVerb, forHandler);
    } catch (const std::exception& e) {
      return Fail(target, AnsiString("the shell handler failed: ") + e.what());
    }
    if (!handled) return Fail(target, "the shell handler refused it");
  } else {
    if (theVerb != "open") return Fail(target, "verb \"" + theVerb + "\" needs a shell handler");
    if (!StartOpener(target, forOpener)) return false;
  }
  GLastShellError.clear();
  return true;
}

const AnsiString& GetLastShellError() { return GLastShellError; }
