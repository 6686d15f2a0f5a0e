#include "platform/win/SystemInfo.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Paths.h"
#include "platform/win/Registry.h"

namespace {

constexpr size_t kComputerNameLength = 15;

std::string ReadLink(const char* link) {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    const ssize_t n = ::readlink(link, buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::string NativeHostExecutable() {
  std::string path = ReadLink("/proc/self/exe");
  if (path.empty())
    throw EOSError(AnsiString("Cannot read /proc/self/exe: ") + std::strerror(errno), errno);
  return path;
}

std::string CurrentFolder() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace

AnsiString GetComputerName() {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return "Unknown";
  std::string name(buffer);
  // A fully qualified name reports its host part, as the machine's own name.
  name = name.substr(0, name.find('.'));
  if (name.size() > kComputerNameLength) name.resize(kComputerNameLength);
  if (name.empty()) return "Unknown";
  return FromNativePath(name);
}

AnsiString GetLogonUserName() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  int error;
  while ((error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) ==
             ERANGE &&
         buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  if (error == 0 && found != nullptr && found->pw_name != nullptr && *found->pw_name != '\0')
    return FromNativePath(found->pw_name);
  for (const char* variable : {"USER", "LOGNAME"})
    if (const char* value = std::getenv(variable); value != nullptr && *value != '\0')
      return FromNativePath(value);
  return AnsiString();
}

AnsiString GetTempPath() {
  const char* folder = std::getenv("TMPDIR");
  if (folder == nullptr || *folder == '\0') folder = "/tmp";
  return IncludeTrailingPathDelimiter(FromNativePath(folder));
}

AnsiString GetModuleFileName(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (address == nullptr ||
      ::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
      info.dli_fname == nullptr)
    throw EOSError("GetModuleFileName: no loaded module holds the address", EINVAL);
  // The executable's entry has an empty name in the link map, and dladdr
  // reports it as the program was started (possibly a bare name).
  if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0')
    return FromNativePath(NativeHostExecutable());
  std::string path = info.dli_fname;
  // A library loaded by a relative path keeps it; the full path is what the
  // callers derive names and folders from. Symbolic links stay as loaded: the
  // file name is part of the module's identity.
  if (!path.empty() && path[0] != '/') path = CurrentFolder() + "/" + path;
  return FromNativePath(path);
}

AnsiString GetHostExecutable() { return FromNativePath(NativeHostExecutable()); }

AnsiString GetHostExeDir() { return ExtractFilePath(GetHostExecutable()); }

AnsiString GetOSVersionText() {
  utsname name{};
  int parts[3] = {0, 0, 0};
  if (::uname(&name) == 0) {
    const char* p = name.release;
    for (int i = 0; i < 3; ++i) {
      if (*p < '0' || *p > '9') break;
      long value = 0;
      while (*p >= '0' && *p <= '9') {
        if (value < 1000000) value = value * 10 + (*p - '0');
        ++p;
      }
      parts[i] = static_cast<int>(value);
      if (*p != '.') break;
      ++p;
    }
  }
  return IntToStr(parts[0]) + "." + IntToStr(parts[1]) + "." + IntToStr(parts[2]);
}

AnsiString GetLastCommandLineArg() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  if (!file) return AnsiString();
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // Every argument ends with a NUL; the last one may be "" itself.
  if (!text.empty() && text.back() == '\0') text.pop_back();
  const size_t start = text.rfind('\0');
  return FromNativePath(start == std::string::npos ? text : text.substr(start + 1));
}

int GetACP() { return SystemCodePage(); }

int RegistryCodePage() {
  try {
    const auto file = TRegistryFile::Load();
    const TRegistryFile::TKey* key =
        file->FindKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage");
    if (key == nullptr) return 0;
    const TRegistryFile::TValue* value = TRegistryFile::FindValue(*key, "ACP");
    int32_t codePage = 0;
    if (value == nullptr || !TryStrToInt(Trim(value->Data), codePage)) return 0;
    return codePage > 0 && IsCodePageSupported(codePage) ? codePage : 0;
  } catch (const Exception&) {
    return 0;
  }
}
