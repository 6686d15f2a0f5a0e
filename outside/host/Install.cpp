#include "host/Install.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "appserver/QueueManager.h"
#include "appserver/ReportServer.h"
#include "env/HelmarINI.h"
#include "platform/rtl/CodePage.h"

namespace fs = std::filesystem;

namespace {

// The first line of the marker file: what tells a demo installation from a
// folder that belongs to somebody else.
constexpr char kMarkerFirstLine[] = "kulr31 demo installation";
// The code page every path in the registry must have a form in: the
// installation makes it the system code page, and the registry hands its
// values out in that code page.
constexpr int kInstallCodePage = 936;
constexpr char kServerAddress[] = "127.0.0.1";
constexpr char kServerPort[] = "211";

// A file-system name inside an error message, which holds 936 bytes like
// every text the host prints.
AnsiString Shown(const std::string& name) {
  return WideToCodePage(HostCodePage, Utf8ToWide(name));
}

[[noreturn]] void Fail(const AnsiString& message) { throw EInstallError(message); }

// A name that goes into the registry must survive the trip: UTF-8 in the
// file, system-code-page bytes when read. A control character would break
// the line it is written on.
void CheckName(const std::string& name, const char* what) {
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
      Fail(AnsiString(what) + " " + Shown(name) + " holds a control character");
  const WideString wide = Utf8ToWide(name);
  if (WideToUtf8(wide) != name) Fail(AnsiString(what) + " " + Shown(name) + " is not UTF-8");
  bool lossy = false;
  WideToCodePage(kInstallCodePage, wide, &lossy);
  if (lossy)
    Fail(AnsiString(what) + " " + Shown(name) +
         " holds a character code page 936 cannot hold; the installation could not name it");
}

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// The first bytes of a file ("" when it cannot be read).
std::string FileHead(const std::string& path, size_t count) {
  std::ifstream file(path, std::ios::binary);
  std::string head(count, '\0');
  file.read(head.data(), static_cast<std::streamsize>(count));
  head.resize(static_cast<size_t>(file.gcount()));
  return head;
}

bool IsDemoInstallation(const std::string& folder) {
  const std::string head = FileHead(folder + InstallMarkerFileName, sizeof kMarkerFirstLine);
  return head == std::string(kMarkerFirstLine) + "\n";
}

// Replaces a file whole: the text goes to a temporary file beside it, which
// is renamed over the file only once it is complete on disk, so an
// interrupted install never leaves a half registry behind.
void WriteWhole(const std::string& path, std::string_view bytes) {
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) Fail("cannot write " + Shown(path) + ": " + std::strerror(errno));
  int error = ::fchmod(fd, 0644) == 0 ? 0 : errno;
  for (size_t done = 0; error == 0 && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<size_t>(n);
    else if (n == 0) error = EIO;
    else if (errno != EINTR) error = errno;
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    Fail("cannot write " + Shown(path) + ": " + std::strerror(error));
  }
}

// Registry values are quoted: the reader trims blanks and removes one pair
// of quotes, so a path with blanks at either end comes back whole.
std::string RegistryValue(std::string_view name, const std::string& data) {
  return std::string(name) + "=\"" + data + "\"\n";
}

std::string RegistryText(const std::string& folder, const std::string& module) {
  std::string text =
      "; The registry of a demo installation, written by \"kulr31-host install\";\n"
      "; installing again over this folder writes it again.\n";
  text += "[HKEY_LOCAL_MACHINE\\" + std::string(HelmarRegistryKey) + "]\n";
  text += RegistryValue("ClientPath", folder);
  text += RegistryValue("ServerPath", folder);
  text += RegistryValue("ProfileType", "0");
  text += "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage]\n";
  text += RegistryValue("ACP", std::to_string(kInstallCodePage));
  for (const char* progId : {ReportServerProgId, QueueManagerProgId}) {
    text += "[HKEY_CLASSES_ROOT\\" + std::string(progId) + "\\InprocServer32]\n";
    text += RegistryValue("@", module);
  }
  return text;
}

// Profile files keep the line ends the original writes.
std::string IniText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Folders are named relative to the installation folder, which the readers
// resolve them against.
std::string ClientProfileText() {
  return IniText({
      "; Client profile of the demo installation (written by \"kulr31-host install\").",
      "[Client Components]",
      "LangType=CHS",
      "[CodePage]",
      "UICodePage=936",
      "DBCodePage=936",
      "[Server Information]",
      std::string("ComputerName=") + kServerAddress,
      std::string("ServerPort=") + kServerPort,
      "SupportCallBack=0",
      "[WorkDLLPath]",
      "C_PKG=C_PKG/",
  });
}

std::string ServerProfileText() {
  // The SQLite store needs no password; an empty one is still written in
  // its scrambled form, as the profile never holds a plain one.
  const std::string password = ScramblePassword("");
  return IniText({
      "; Server profile of the demo installation (written by \"kulr31-host install\").",
      "[CodePage]",
      "UICodePage=936",
      "DBCodePage=936",
      "[DBE Setting]",
      "MainAlias=Tamsel",
      "MainUserName=sa",
      "XXXXXX=" + password,
      "MainDBType=SQLITE",
      std::string("MainDBName=") + InstallServerStoreName,
      std::string("MainServerName=") + kServerAddress,
      "TempAlias=TamselTemp",
      "TempUserName=sa",
      "TempPassword=" + password,
      "TempDBType=SQLITE",
      "EctPassword=" + password,
      "[DBPasswordCtrl]",
      std::string("ComputerName=") + kServerAddress,
      std::string("ServerPort=") + kServerPort,
      "[WorkDLLPath]",
      "S_PKG=S_PKG/",
  });
}

std::string MarkerText() {
  return std::string(kMarkerFirstLine) +
         "\n"
         "This folder was laid out by \"kulr31-host install\". Installing again over it\n"
         "rewrites the registry file and the profiles and keeps company.db and\n"
         "appserver.db (\"--reseed\" builds them again).\n";
}

// The module the registry names, made absolute; raises unless it is there
// and is a shared object at all.
std::string LocateServerModule(const std::string& given) {
  std::error_code ec;
  fs::path path;
  if (given.empty()) {
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec) Fail(AnsiString("cannot find the running program: ") + ec.message());
    path = program.parent_path() / InstallServerModuleName;
    if (!fs::is_regular_file(path, ec))
      Fail("the application server module " + Shown(path.string()) +
           " is not there: build the target kulr31-appserver-objects, or name the module "
           "with --server-module PATH");
  } else {
    path = fs::absolute(given, ec);
    if (ec || !fs::is_regular_file(path, ec))
      Fail("the application server module " + Shown(given) + " is not a file");
  }
  const fs::path resolved = fs::canonical(path, ec);
  if (ec) Fail("cannot resolve " + Shown(path.string()) + ": " + ec.message());
  if (FileHead(resolved.string(), 4) != "\x7F" "ELF")
    Fail("the application server module " + Shown(resolved.string()) +
         " is not a shared object");
  return resolved.string();
}

// Checks a store that the install is to keep, so that a broken one is
// reported now rather than by the first program that opens it.
void CheckKeptCompanyDb(const std::string& path) {
  try {
    TCompanyDb db(path);
  } catch (const EHostError& e) {
    Fail(Shown(path) + " cannot be kept (" + e.Message() +
         "); --reseed builds it again from the seed");
  }
}

void CheckKeptServerStore(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec))
    Fail(Shown(path) + " is not a file; the server could not keep its store there");
  const std::string head = FileHead(path, 16);
  // SQLite takes an empty file for an empty database.
  if (!head.empty() && head != std::string("SQLite format 3\0", 16))
    Fail(Shown(path) + " is not an SQLite database; --reseed lets the server start a new one");
}

bool IsShellSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("/._-+,:@%=", c) != nullptr;
}

std::string ShellQuoted(const std::string& text) {
  bool safe = !text.empty();
  for (const char c : text) safe = safe && IsShellSafe(c);
  if (safe) return text;
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// 936 bytes of an error message for the UTF-8 terminal.
std::string ForTerminal(const AnsiString& bytes) {
  return WideToUtf8(CodePageToWide(HostCodePage, bytes));
}

}  // namespace

const std::vector<std::string>& InstallFolders() {
  static const std::vector<std::string> folders = {
      "MultiLanguage/CHS", "MultiLanguage/CHT", "MultiLanguage/ENG", "C_PKG", "S_PKG", "Log"};
  return folders;
}

TInstallResult InstallDemo(const TInstallOptions& options) {
  if (options.Folder.empty()) Fail("no installation folder given");
  std::error_code ec;
  const fs::path absolute = fs::absolute(options.Folder, ec);
  if (ec) Fail("cannot make " + Shown(options.Folder) + " absolute: " + ec.message());
  TInstallResult result;
  result.Folder = WithSlash(absolute.lexically_normal().string());
  const std::string& folder = result.Folder;
  CheckName(folder, "the installation folder");
  // Without its trailing "/": a file of that name is then found as a file.
  const std::string named = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;

  // ---- Checks: nothing is written before all of them passed ----
  const fs::file_status status = fs::status(named, ec);
  if (ec && ec != std::errc::no_such_file_or_directory)
    Fail("cannot look at " + Shown(named) + ": " + ec.message());
  if (fs::exists(status)) {
    if (!fs::is_directory(status)) Fail(Shown(named) + " is not a folder");
    const fs::directory_iterator entries(folder, ec);
    if (ec) Fail("cannot read the folder " + Shown(folder) + ": " + ec.message());
    const bool empty = entries == fs::directory_iterator();
    result.Refreshed = !empty && IsDemoInstallation(folder);
    if (!empty && !result.Refreshed && !options.Force)
      Fail(Shown(folder) + " is not empty and holds no demo installation; --force lays one "
                           "out over it (files of the same names are replaced)");
  }

  result.ServerModule = LocateServerModule(options.ServerModule);
  CheckName(result.ServerModule, "the application server module");
  if (options.SeedFile.empty() || !fs::is_regular_file(options.SeedFile, ec))
    Fail("the seed script " + Shown(options.SeedFile) + " is not a file");

  const std::string companyDb = folder + InstallCompanyDbName;
  const std::string serverStore = folder + InstallServerStoreName;
  const bool companyDbThere = fs::exists(fs::symlink_status(companyDb, ec));
  const bool serverStoreThere = fs::exists(fs::symlink_status(serverStore, ec));
  if (!options.Reseed) {
    if (companyDbThere) CheckKeptCompanyDb(companyDb);
    if (serverStoreThere) CheckKeptServerStore(serverStore);
  }

  // ---- Laying out ----
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder))
    Fail("cannot create the folder " + Shown(folder) + (ec ? ": " + ec.message() : ""));
  // The marker goes first: an install that stops half-way can be run again.
  WriteWhole(folder + InstallMarkerFileName, MarkerText());
  result.Made.push_back(std::string(result.Refreshed ? "refreshed the demo installation in "
                                                     : "laid out a demo installation in ") +
                        folder);

  std::string folderList;
  for (const std::string& name : InstallFolders()) {
    const std::string path = folder + name;
    fs::create_directories(path, ec);
    if (ec || !fs::is_directory(path))
      Fail("cannot create the folder " + Shown(path) + (ec ? ": " + ec.message() : ""));
    folderList += (folderList.empty() ? "" : ", ") + name;
  }
  result.Made.push_back("  folders        " + folderList);

  if (options.Reseed || !companyDbThere) {
    TCompanyDb::CreateFromSeed(companyDb, options.SeedFile);
    result.Made.push_back("  " + std::string(InstallCompanyDbName) + "     company database, " +
                          (companyDbThere ? "built again" : "created") + " from " +
                          options.SeedFile);
  } else {
    result.Made.push_back("  " + std::string(InstallCompanyDbName) + "     company database, kept");
  }

  if (options.Reseed && serverStoreThere) {
    // SQLite's side files go too: a journal left behind would be played
    // into the new store.
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
      fs::remove(serverStore + suffix, ec);
      if (ec) Fail("cannot remove " + Shown(serverStore + suffix) + ": " + ec.message());
    }
    result.Made.push_back("  " + std::string(InstallServerStoreName) +
                          "   server store, removed; the server starts a new one on first use");
  } else {
    result.Made.push_back("  " + std::string(InstallServerStoreName) + "   server store, " +
                          (serverStoreThere ? "kept" : "made by the server on first use"));
  }

  result.RegistryFile = folder + InstallRegistryFileName;
  WriteWhole(folder + InstallClientProfileName, ClientProfileText());
  result.Made.push_back("  " + std::string(InstallClientProfileName) +
                        "    client profile: server " + kServerAddress + ":" + kServerPort +
                        ", code pages 936/936, libraries in C_PKG/");
  WriteWhole(folder + InstallServerProfileName, ServerProfileText());
  result.Made.push_back("  " + std::string(InstallServerProfileName) + "    server profile: store " +
                        InstallServerStoreName + ", libraries in S_PKG/");
  // The registry last: it is what makes the installation visible.
  WriteWhole(result.RegistryFile, RegistryText(folder, result.ServerModule));
  result.Made.push_back("  " + std::string(InstallRegistryFileName) +
                        "   installation paths, system code page 936, " + ReportServerProgId +
                        " and " + QueueManagerProgId + " served by " + result.ServerModule);
  return result;
}

std::string InstallUseLine(const TInstallResult& result) {
  return "export KULR_REGISTRY=" + ShellQuoted(result.RegistryFile);
}

std::string FormatInstallReport(const TInstallResult& result) {
  std::string text;
  for (const std::string& line : result.Made) text += line + "\n";
  return text + "to use it:\n  " + InstallUseLine(result) + "\n";
}

TInstallOptions ParseInstallArgs(const std::vector<std::string>& args,
                                 const std::string& seedFile) {
  TInstallOptions options;
  options.SeedFile = seedFile;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&](const char* option) {
      if (i + 1 >= args.size() || args[i + 1].empty())
        Fail(AnsiString(option) + " needs a value");
      return args[++i];
    };
    if (arg == "--force") {
      options.Force = true;
    } else if (arg == "--reseed") {
      options.Reseed = true;
    } else if (arg == "--server-module") {
      options.ServerModule = value("--server-module");
    } else if (arg == "--seed") {
      options.SeedFile = value("--seed");
    } else if (!arg.empty() && arg[0] == '-') {
      Fail("unknown option " + Shown(arg));
    } else if (!options.Folder.empty()) {
      Fail("one installation folder only, not " + Shown(options.Folder) + " and " + Shown(arg));
    } else if (arg.empty()) {
      Fail("the installation folder is empty");
    } else {
      options.Folder = arg;
    }
  }
  if (options.Folder.empty()) Fail("no installation folder given");
  return options;
}

int RunInstallCommand(const std::vector<std::string>& args, const std::string& seedFile) {
  for (const std::string& arg : args)
    if (arg == "--help" || arg == "-h") {
      std::fputs(InstallUsage, stdout);
      return 0;
    }
  TInstallOptions options;
  try {
    options = ParseInstallArgs(args, seedFile);
  } catch (const EInstallError& e) {
    std::fprintf(stderr, "kulr31-host install: %s\n%s", ForTerminal(e.Message()).c_str(),
                 InstallUsage);
    return 2;
  }
  try {
    const TInstallResult result = InstallDemo(options);
    std::fputs(FormatInstallReport(result).c_str(), stdout);
    return 0;
  } catch (const Exception& e) {
    std::fprintf(stderr, "kulr31-host install: %s\n", ForTerminal(e.Message()).c_str());
    return 1;
  }
}

const char* const InstallUsage =
    "usage: kulr31-host install DIR [--force] [--reseed] [--server-module PATH] [--seed SEED]\n"
    "\n"
    "Lays out a demo installation in DIR (created when missing): the registry file\n"
    "registry.ini, the profiles HelmarC.ini and HelmarS.ini, the folders\n"
    "MultiLanguage/CHS, MultiLanguage/CHT, MultiLanguage/ENG, C_PKG, S_PKG and Log,\n"
    "and the company database company.db; the application server keeps its store\n"
    "appserver.db there. Run again over its own installation, it writes the\n"
    "registry file and the profiles again and keeps both databases.\n"
    "\n"
    "  --force               lay it out over a folder that holds other files\n"
    "                        (files of the same names are replaced)\n"
    "  --reseed              build the company database again from the seed and\n"
    "                        drop the server store\n"
    "  --server-module PATH  the application server module the registry names\n"
    "                        (default: kulr31-appserver-objects.so next to this program)\n"
    "  --seed SEED           the company database's seed script\n"
    "                        (default: the repository's seed/company.sql)\n";
