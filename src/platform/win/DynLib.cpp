#include "platform/win/DynLib.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>
#include <unistd.h>

#include "platform/rtl/CodePage.h"
#include "platform/win/Paths.h"
#include "platform/win/SystemInfo.h"

namespace fs = std::filesystem;

namespace {

struct TLoaded {
  void* Dl = nullptr;
  AnsiString Path;
  int Loads = 0;
};

std::mutex GMutex;
std::map<uintptr_t, TLoaded> GModules;       // by handle token
std::map<void*, uintptr_t> GTokenByDl;       // one handle per loaded object
uintptr_t GNextToken = 1;
std::vector<AnsiString> GSearchFolders;

thread_local AnsiString GLastLoadError;

// Handles are tokens, never addresses: a freed handle can never come back to
// life as a different library, and a stale or forged one is refused instead
// of reaching dlclose.
HMODULE ToHandle(uintptr_t token) { return reinterpret_cast<HMODULE>(token); }
uintptr_t ToToken(HMODULE module) { return reinterpret_cast<uintptr_t>(module); }

AnsiString Quoted(const AnsiString& text) { return "\"" + text + "\""; }

bool SameTextAscii(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
           return lower(x) == lower(y);
         });
}

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The exact name first; otherwise the first entry (in byte order, so the
// choice does not depend on directory order) that differs only in ASCII case.
std::optional<fs::path> FindInFolder(const fs::path& folder, const std::string& name) {
  fs::path exact = folder / name;
  if (IsFile(exact)) return exact;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  if (ec) return std::nullopt;
  std::optional<std::string> best;
  for (const fs::directory_entry& entry : it) {
    std::string candidate = entry.path().filename().string();
    if (SameTextAscii(candidate, name) && IsFile(entry.path()) && (!best || candidate < *best))
      best = candidate;
  }
  if (!best) return std::nullopt;
  return folder / *best;
}

// A folder or name as the file system spells it; nothing when the bytes are
// not valid in the system code page (such a name can name no file).
std::optional<fs::path> Native(const AnsiString& path) {
  try {
    return fs::path(ToNativePath(path));
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

std::optional<fs::path> HostExeFolder() {
  try {
    return Native(GetHostExeDir());
  } catch (const Exception&) {
    return std::nullopt;
  }
}

HMODULE Fail(AnsiString text) {
  GLastLoadError = std::move(text);
  return nullptr;
}

AnsiString DlErrorText() {
  const char* text = dlerror();
  return text ? AnsiString(text) : AnsiString("unknown loader error");
}

// dlopen and account for the handle. Same object, same token. On failure the
// error names the request, the context (what was searched) and dlerror's text.
HMODULE Open(const AnsiString& request, const char* file, unsigned flags,
             const AnsiString& context = "") {
  int mode = RTLD_NOW | RTLD_LOCAL;
  if (flags & LOAD_KEEP_LOADED) mode |= RTLD_NODELETE;
  dlerror();
  void* dl = dlopen(file, mode);
  if (!dl) return Fail("LoadLibrary(" + Quoted(request) + "): " + context + DlErrorText());
  std::string native = file;
  if (link_map* map = nullptr; dlinfo(dl, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name &&
                               map->l_name[0])
    native = map->l_name;
  AnsiString path = FromNativePath(native);
  std::lock_guard lock(GMutex);
  auto found = GTokenByDl.find(dl);
  uintptr_t token;
  if (found != GTokenByDl.end()) {
    token = found->second;
  } else {
    token = GNextToken++;
    GTokenByDl[dl] = token;
    GModules[token] = TLoaded{dl, path, 0};
  }
  ++GModules[token].Loads;
  GLastLoadError.clear();
  return ToHandle(token);
}

bool ValidName(const AnsiString& name, const char* call) {
  if (name.empty()) {
    GLastLoadError = AnsiString(call) + ": empty name";
    return false;
  }
  if (name.find('\0') != AnsiString::npos) {
    GLastLoadError = AnsiString(call) + "(" + Quoted(name.c_str()) + "...): name contains NUL";
    return false;
  }
  return true;
}

}  // namespace

HMODULE LoadLibrary(const AnsiString& name, unsigned flags) {
  return LoadLibrary(name, {}, flags);
}

HMODULE LoadLibrary(const AnsiString& name, const std::vector<AnsiString>& callerFolders,
                    unsigned flags) {
  if (!ValidName(name, "LoadLibrary")) return nullptr;
  std::optional<fs::path> nativeName = Native(name);
  if (!nativeName)
    return Fail("LoadLibrary(" + Quoted(name) + "): the name is not valid in code page " +
                std::to_string(SystemCodePage()));

  // "\" is a delimiter too: the Windows form "libs\x.dll" names "libs/x.dll".
  if (nativeName->string().find('/') != std::string::npos) {
    const fs::path& given = *nativeName;
    std::optional<fs::path> found;
    if (IsFile(given))
      found = given;
    else if (!given.filename().empty())
      found = FindInFolder(given.parent_path(), given.filename().string());
    if (!found) return Fail("LoadLibrary(" + Quoted(name) + "): no such file");
    std::error_code ec;
    fs::path full = fs::absolute(*found, ec);
    return Open(name, (ec ? *found : full).c_str(), flags);
  }

  std::vector<fs::path> folders;
  for (const AnsiString& folder : callerFolders)
    if (std::optional<fs::path> native = Native(folder)) folders.push_back(*native);
  for (const AnsiString& folder : LibrarySearchFolders())
    if (std::optional<fs::path> native = Native(folder)) folders.push_back(*native);
  if (std::optional<fs::path> exeFolder = HostExeFolder()) folders.push_back(*exeFolder);
  std::error_code ec;
  if (fs::path cwd = fs::current_path(ec); !ec) folders.push_back(cwd);

  AnsiString searched;
  for (const fs::path& folder : folders) {
    if (folder.empty()) continue;
    if (std::optional<fs::path> found = FindInFolder(folder, nativeName->string())) {
      fs::path full = fs::absolute(*found, ec);
      return Open(name, (ec ? *found : full).c_str(), flags);
    }
    searched += (searched.empty() ? "" : ", ") + FromNativePath(folder.string());
  }

  // Last the system's own search; its message names the name it tried.
  return Open(name, nativeName->c_str(), flags,
              "not found in " + (searched.empty() ? AnsiString("(no folders)") : searched) +
                  "; system search: ");
}

void AddLibrarySearchFolder(const AnsiString& folder) {
  if (folder.empty()) return;
  std::lock_guard lock(GMutex);
  if (std::find(GSearchFolders.begin(), GSearchFolders.end(), folder) == GSearchFolders.end())
    GSearchFolders.push_back(folder);
}

void RemoveLibrarySearchFolder(const AnsiString& folder) {
  std::lock_guard lock(GMutex);
  std::erase(GSearchFolders, folder);
}

std::vector<AnsiString> LibrarySearchFolders() {
  std::lock_guard lock(GMutex);
  return GSearchFolders;
}

void* GetProcAddress(HMODULE module, const AnsiString& name) {
  void* dl = nullptr;
  AnsiString path;
  {
    std::lock_guard lock(GMutex);
    auto found = GModules.find(ToToken(module));
    if (found == GModules.end()) {
      GLastLoadError = "GetProcAddress(" + Quoted(name) + "): invalid module handle";
      return nullptr;
    }
    dl = found->second.Dl;
    path = found->second.Path;
  }
  if (!ValidName(name, "GetProcAddress")) return nullptr;
  dlerror();
  void* address = dlsym(dl, name.c_str());
  if (!address) {
    const char* text = dlerror();
    GLastLoadError = "GetProcAddress(" + Quoted(name) + "): " +
                     (text ? AnsiString(text) : "symbol has a null address in " + path);
    return nullptr;
  }
  // dlsym also searches the module's dependencies; an entry point the module
  // does not export itself must count as missing, or an optional entry would
  // silently resolve to some other library's function of the same name.
  link_map* own = nullptr;
  link_map* owner = nullptr;
  Dl_info info{};
  if (dlinfo(dl, RTLD_DI_LINKMAP, &own) != 0 ||
      dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
      owner != own) {
    GLastLoadError = "GetProcAddress(" + Quoted(name) + "): not exported by " + path +
                     (info.dli_fname ? AnsiString(" (found in ") + info.dli_fname + ")" : "");
    return nullptr;
  }
  GLastLoadError.clear();
  return address;
}

bool FreeLibrary(HMODULE module) {
  void* dl = nullptr;
  AnsiString path;
  {
    std::lock_guard lock(GMutex);
    auto found = GModules.find(ToToken(module));
    if (found == GModules.end()) {
      GLastLoadError = "FreeLibrary: invalid module handle";
      return false;
    }
    dl = found->second.Dl;
    path = found->second.Path;
    if (--found->second.Loads == 0) {
      GTokenByDl.erase(dl);
      GModules.erase(found);
    }
  }
  dlerror();
  if (dlclose(dl) != 0) {
    GLastLoadError = "FreeLibrary(" + Quoted(path) + "): " + DlErrorText();
    return false;
  }
  GLastLoadError.clear();
  return true;
}

AnsiString GetModulePath(HMODULE module) {
  std::lock_guard lock(GMutex);
  auto found = GModules.find(ToToken(module));
  return found == GModules.end() ? AnsiString() : found->second.Path;
}

const AnsiString& GetLastLoadError() { return GLastLoadError; }

TDynLib::TDynLib(const AnsiString& name, unsigned flags)
    : FModule(LoadLibrary(name, flags)), FError(FModule ? AnsiString() : GetLastLoadError()) {}

TDynLib::TDynLib(const AnsiString& name, const std::vector<AnsiString>& callerFolders,
                 unsigned flags)
    : FModule(LoadLibrary(name, callerFolders, flags)),
      FError(FModule ? AnsiString() : GetLastLoadError()) {}

TDynLib::~TDynLib() { Free(); }

TDynLib::TDynLib(TDynLib&& other) noexcept
    : FModule(std::exchange(other.FModule, nullptr)), FError(std::move(other.FError)) {}

TDynLib& TDynLib::operator=(TDynLib&& other) noexcept {
  if (this != &other) {
    Free();
    FModule = std::exchange(other.FModule, nullptr);
    FError = std::move(other.FError);
  }
  return *this;
}

bool TDynLib::Free() {
  if (!FModule) return false;
  return FreeLibrary(std::exchange(FModule, nullptr));
}
