// Test helpers for code that touches files and process settings: a temporary
// folder removed with everything in it when the test ends, an environment
// variable and a system code page set for the length of a test.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/TextSupport.h"

class TTempDir {
public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kulr-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot create a temporary folder from " + pattern);
    FPath = pattern;
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder's file-system name (UTF-8), without a trailing "/".
  const std::string& Path() const { return FPath; }
  // The name of an entry inside the folder ("a/b" for nested ones).
  std::string operator/(std::string_view name) const { return FPath + "/" + std::string(name); }

  // Writes bytes to a file inside the folder, creating its parents; returns
  // the file's name.
  std::string WriteFile(std::string_view name, std::string_view bytes) const {
    const std::string path = *this / name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
    return path;
  }

private:
  std::string FPath;
};

// Sets (or with std::nullopt unsets) an environment variable and puts the
// old value back when the scope ends.
class TScopedEnv {
public:
  TScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = ::getenv(name)) FOld = old;
    Apply(value);
  }
  ~TScopedEnv() { Apply(FOld); }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
  void Apply(const std::optional<std::string>& value) {
    if (value) ::setenv(FName.c_str(), value->c_str(), 1);
    else ::unsetenv(FName.c_str());
  }

  std::string FName;
  std::optional<std::string> FOld;
};

