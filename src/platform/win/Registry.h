// The registry, read-only, kept in a text file. Sections name key paths under
// a root ("[HKEY_LOCAL_MACHINE\Software\ORLAN\Helmar]"), lines below them are
// "name=value"; ";" or "#" at the start of a line opens a comment. Key paths
// and value names ignore ASCII case, as on the original platform.
//
// The file lives where KULR_REGISTRY says, else in
// $XDG_CONFIG_HOME/kulr31/registry.ini (else ~/.config/kulr31/registry.ini).
// It is UTF-8 (a leading BOM is skipped); values come out as bytes of the
// system code page, like every other byte string of the runtime, so that a
// folder read from here and handed to ToNativePath names the folder written
// in the file. The file is read again on every open, so a change shows at
// once and tests can point KULR_REGISTRY at a file of their own. A character
// the system code page cannot hold reads as "?", as the original's byte-string
// reads did.
//
// A missing file is an empty registry. A malformed one raises EReadError
// naming the file and line at the open that reads it: a value line before any
// section, a line that is neither section, comment, blank nor name=value, a
// section under an unknown root, a value given twice in one key, text that is
// not UTF-8. A half-read registry would answer "missing" for keys that are in
// the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

class TStrings;

using HKEY = uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

// The parsed file. Names and data are kept as the file holds them (UTF-8);
// TRegistry converts. The code-page resolver reads through this class
// directly, because converting would ask for the code page it is resolving.
class TRegistryFile {
public:
  struct TValue {
    std::string Name;  // "" for the key's default value ("@" in the file)
    std::string Data;
  };
  struct TKey {
    HKEY Root = 0;
    std::string Path;  // below the root, components joined by "\", no ends
    std::vector<TValue> Values;
  };

  // Where the registry file is looked for now (a UTF-8 file-system name).
  static std::string Location();
  // Reads Location(); a missing file gives an empty registry.
  static std::shared_ptr<const TRegistryFile> Load();
  // Reads one file; fileName is also the name errors give.
  static std::shared_ptr<const TRegistryFile> LoadFrom(const std::string& fileName);
  // Parses file text; fileName only names the file in errors.
  static std::shared_ptr<const TRegistryFile> Parse(std::string_view text,
                                                    const std::string& fileName);

  // path is UTF-8, components separated by "\" (empty ones ignored).
  const TKey* FindKey(HKEY root, std::string_view path) const;
  // A key exists when a section names it or a section lies below it.
  bool KeyExists(HKEY root, std::string_view path) const;
  static const TValue* FindValue(const TKey& key, std::string_view name);

private:
  std::vector<TKey> FKeys;
};

class TRegistry {
public:
  // The root starts as HKEY_CURRENT_USER, as on the original platform.
  TRegistry();
  explicit TRegistry(HKEY rootKey);

  HKEY RootKey() const { return FRootKey; }
  // Changing the root closes the open key.
  void SetRootKey(HKEY rootKey);

  // Opens key for reading: a path starting with "\" (or with nothing open)
  // is taken from the root, any other from the open key. False when the key
  // does not exist; the key open before stays open then.
  bool OpenKeyReadOnly(std::string_view key);
  // Whether a key exists, with the same rule for relative paths.
  bool KeyExists(std::string_view key);
  void CloseKey();
  // The open key's path below the root ("" when none).
  AnsiString CurrentPath() const;

  // The open key's value by name ("" for the default value); "" when no key
  // is open or the value is missing.
  AnsiString ReadString(std::string_view name) const;
  bool ValueExists(std::string_view name) const;
  // The open key's value names in file order; the default value as "".
  std::vector<AnsiString> GetValueNames() const;
  // The same names into strings (cleared first).
  void GetValueNames(TStrings& strings) const;

private:
  std::string Resolve(std::string_view key) const;

  HKEY FRootKey;
  std::shared_ptr<const TRegistryFile> FFile;  // the snapshot the open key came from
  const TRegistryFile::TKey* FKey = nullptr;     // null for a key implied by a sub-key
  bool FOpen = false;
  std::string FPath;  // UTF-8
};
