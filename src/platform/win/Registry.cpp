#include "platform/win/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace {

struct TRootName {
  HKEY Root;
  std::string_view Long;
  std::string_view Short;
};

constexpr TRootName kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_USERS, "HKEY_USERS", "HKU"},
};

// Names in the file are UTF-8, which has no trail bytes below 0x80: folding
// ASCII letters byte by byte is exact there.
bool SameName(std::string_view a, std::string_view b) { return SameText(a, b, CP_UTF8); }

bool IsValidUtf8(std::string_view text) {
  return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0) != 0;
}

// Components separated by "\", empty ones dropped, joined again.
std::string NormalizeKeyPath(std::string_view path) {
  std::string result;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (!result.empty()) result += '\\';
      result.append(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return result;
}

bool FindRoot(std::string_view name, HKEY& root) {
  for (const TRootName& r : kRoots) {
    if (SameName(name, r.Long) || SameName(name, r.Short)) {
      root = r.Root;
      return true;
    }
  }
  return false;
}

std::string_view Unquote(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

class TParseError {
public:
  TParseError(const std::string& fileName, int line) : FFileName(fileName), FLine(line) {}
  [[noreturn]] void Raise(const std::string& problem, std::string_view text) const {
    std::string shown(text.substr(0, 80));
    if (text.size() > 80) shown += "...";
    throw EReadError(FFileName + ":" + std::to_string(FLine) + ": " + problem + ": \"" + shown +
                     "\"");
  }

private:
  const std::string& FFileName;
  int FLine;
};

// Values come out in the system code page, like every byte string here.
AnsiString ToSystem(std::string_view utf8) {
  return WideToCodePage(CP_ACP, Utf8ToWide(utf8));
}

std::string ToUtf8(std::string_view bytes) {
  return WideToUtf8(CodePageToWide(CP_ACP, bytes));
}

}  // namespace

// ---- TRegistryFile ----

std::string TRegistryFile::Location() {
  if (const char* file = std::getenv("KULR_REGISTRY"); file != nullptr && *file != '\0')
    return file;
  // XDG: a relative XDG_CONFIG_HOME is invalid and must be ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
    return std::string(config) + "/kulr31/registry.ini";
  std::string home;
  if (const char* value = std::getenv("HOME"); value != nullptr && *value != '\0') {
    home = value;
  } else {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
      home = found->pw_dir;
  }
  if (home.empty()) return std::string();
  return home + "/.config/kulr31/registry.ini";
}

std::shared_ptr<const TRegistryFile> TRegistryFile::Load() { return LoadFrom(Location()); }

std::shared_ptr<const TRegistryFile> TRegistryFile::LoadFrom(const std::string& fileName) {
  if (fileName.empty()) return std::make_shared<TRegistryFile>();
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // No file is an empty registry; a file that is there but cannot be read
    // is an error, not a registry without keys.
    if (errno == ENOENT || errno == ENOTDIR) return std::make_shared<TRegistryFile>();
    throw EReadError("Cannot read registry file " + fileName + ": " + std::strerror(errno));
  }
  std::string text;
  char buffer[16384];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      throw EReadError("Cannot read registry file " + fileName + ": " + std::strerror(error));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return Parse(text, fileName);
}

std::shared_ptr<const TRegistryFile> TRegistryFile::Parse(std::string_view text,
                                                          const std::string& fileName) {
  auto file = std::make_shared<TRegistryFile>();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  TKey* current = nullptr;
  int lineNumber = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    const TParseError error(fileName, lineNumber);
    if (!IsValidUtf8(raw)) error.Raise("text is not UTF-8", raw);
    const AnsiString line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;

    if (line[0] == '[') {
      if (line.back() != ']') error.Raise("section line without \"]\"", line);
      std::string_view inner = std::string_view(line).substr(1, line.size() - 2);
      const size_t slash = inner.find('\\');
      HKEY root = 0;
      if (!FindRoot(inner.substr(0, slash), root))
        error.Raise("section does not start with a root key such as HKEY_LOCAL_MACHINE", line);
      const std::string path = NormalizeKeyPath(
          slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1));
      current = nullptr;
      for (TKey& key : file->FKeys)
        if (key.Root == root && SameName(key.Path, path)) current = &key;
      if (current == nullptr) {
        file->FKeys.push_back(TKey{root, path, {}});
        current = &file->FKeys.back();
      }
      continue;
    }

    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      error.Raise("line is neither a section, a comment nor name=value", line);
    if (current == nullptr) error.Raise("value before the first section", line);
    std::string name(Unquote(Trim(std::string_view(line).substr(0, equals))));
    if (name == "@") name.clear();
    if (FindValue(*current, name) != nullptr)
      error.Raise("value \"" + name + "\" given twice in the key", line);
    std::string data(Unquote(Trim(std::string_view(line).substr(equals + 1))));
    current->Values.push_back(TValue{std::move(name), std::move(data)});
  }
  return file;
}

const TRegistryFile::TKey* TRegistryFile::FindKey(HKEY root, std::string_view path) const {
  const std::string wanted = NormalizeKeyPath(path);
  for (const TKey& key : FKeys)
    if (key.Root == root && SameName(key.Path, wanted)) return &key;
  return nullptr;
}

bool TRegistryFile::KeyExists(HKEY root, std::string_view path) const {
  const std::string wanted = NormalizeKeyPath(path);
  if (wanted.empty()) return true;  // a root always exists
  for (const TKey& key : FKeys) {
    if (key.Root != root || key.Path.size() < wanted.size()) continue;
    if (!SameName(std::string_view(key.Path).substr(0, wanted.size()), wanted)) continue;
    if (key.Path.size() == wanted.size() || key.Path[wanted.size()] == '\\') return true;
  }
  return false;
}

const TRegistryFile::TValue* TRegistryFile::FindValue(const TKey& key, std::string_view name) {
  for (const TValue& value : key.Values)
    if (SameName(value.Name, name)) return &value;
  return nullptr;
}

// ---- TRegistry ----

TRegistry::TRegistry() : TRegistry(HKEY_CURRENT_USER) {}

TRegistry::TRegistry(HKEY rootKey) : FRootKey(rootKey) {}

void TRegistry::SetRootKey(HKEY rootKey) {
  if (rootKey == FRootKey) return;
  CloseKey();
  FRootKey = rootKey;
}

std::string TRegistry::Resolve(std::string_view key) const {
  // Split after converting: in the system code page a trail byte may be 0x5C.
  const std::string utf8 = ToUtf8(key);
  if (!FOpen || (!utf8.empty() && utf8[0] == '\\')) return NormalizeKeyPath(utf8);
  return NormalizeKeyPath(FPath + "\\" + utf8);
}

bool TRegistry::OpenKeyReadOnly(std::string_view key) {
  const std::string path = Resolve(key);
  std::shared_ptr<const TRegistryFile> file = TRegistryFile::Load();
  if (!file->KeyExists(FRootKey, path)) return false;
  FFile = std::move(file);
  FKey = FFile->FindKey(FRootKey, path);
  FPath = path;
  FOpen = true;
  return true;
}

bool TRegistry::KeyExists(std::string_view key) {
  return TRegistryFile::Load()->KeyExists(FRootKey, Resolve(key));
}

void TRegistry::CloseKey() {
  FKey = nullptr;
  FFile.reset();
  FPath.clear();
  FOpen = false;
}

AnsiString TRegistry::CurrentPath() const { return ToSystem(FPath); }

AnsiString TRegistry::ReadString(std::string_view name) const {
  if (FKey == nullptr) return AnsiString();
  const TRegistryFile::TValue* value = TRegistryFile::FindValue(*FKey, ToUtf8(name));
  return value != nullptr ? ToSystem(value->Data) : AnsiString();
}

bool TRegistry::ValueExists(std::string_view name) const {
  return FKey != nullptr && TRegistryFile::FindValue(*FKey, ToUtf8(name)) != nullptr;
}

std::vector<AnsiString> TRegistry::GetValueNames() const {
  std::vector<AnsiString> names;
  if (FKey != nullptr)
    for (const TRegistryFile::TValue& value : FKey->Values) names.push_back(ToSystem(value.Name));
  return names;
}

void TRegistry::GetValueNames(TStrings& strings) const {
  const std::vector<AnsiString> names = GetValueNames();
  strings.BeginUpdate();
  try {
    strings.Clear();
    for (const AnsiString& name : names) strings.Add(name);
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}
