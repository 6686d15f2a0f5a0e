// Dynamic libraries: load a shared object by name the way the plug-in's
// libraries expect to be found, look up its entry points and unload it.
// Windows names are case-insensitive and found next to the program; dlopen
// is neither, so the search below is done here, folder by folder.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/Types.h"

// An opaque module handle (a token, never dereferenced); null means "not
// loaded". Loading the same library twice gives the same handle and needs two
// FreeLibrary calls. Handles are never reused, so a freed one stays invalid.
struct TModuleRecord;
using HMODULE = TModuleRecord*;

// Keep the library mapped after its last FreeLibrary, for libraries whose
// static state (exit handlers, thread-local storage, C++ singletons) makes
// unloading unsafe. The handle still becomes invalid.
inline constexpr unsigned LOAD_KEEP_LOADED = 0x1;

// Search order for a name without "/":
//   1. the caller's folders (the explicit list given to LoadLibrary), in order;
//   2. the process-wide search folders (AddLibrarySearchFolder), in order;
//   3. the host executable's folder;
//   4. the current folder;
//   5. the system's own search (LD_LIBRARY_PATH, RUNPATH, the cache).
// In folders 1-4 the exact name is tried first, then a name that differs
// only in ASCII case. A name with "/" is used as given (relative to the
// current folder), falling back to a case-insensitive match of its last
// component in its folder. The first file found is the one loaded: when it
// fails to load, the search stops with that file's error rather than quietly
// loading a different library of the same name.
HMODULE LoadLibrary(const AnsiString& name, unsigned flags = 0);
HMODULE LoadLibrary(const AnsiString& name, const std::vector<AnsiString>& callerFolders,
                    unsigned flags = 0);

// Process-wide folders searched after the caller's own. The plug-in adds its
// own folder when it is loaded. Adding a folder twice keeps one entry.
void AddLibrarySearchFolder(const AnsiString& folder);
void RemoveLibrarySearchFolder(const AnsiString& folder);
std::vector<AnsiString> LibrarySearchFolders();

// The address of an entry point exported by this very module (not by one of
// the libraries it depends on); null when absent or the handle is not valid.
void* GetProcAddress(HMODULE module, const AnsiString& name);

// Typed look-up: GetProcAddressAs<int (*)()>(module, "GetMaxBmpID").
template <typename TFunction>
TFunction GetProcAddressAs(HMODULE module, const AnsiString& name) {
  return reinterpret_cast<TFunction>(GetProcAddress(module, name));
}

// False for a null or unknown handle (and for one already freed).
bool FreeLibrary(HMODULE module);

// The full path of the file a handle was loaded from ("" for an invalid one).
AnsiString GetModulePath(HMODULE module);

// Why the last LoadLibrary, GetProcAddress or FreeLibrary of this thread
// failed: the name, where it was looked for and the loader's own text. Empty
// after a call that succeeded.
const AnsiString& GetLastLoadError();

// Owns one load of a library; frees it on destruction. Move-only.
class TDynLib {
public:
  TDynLib() = default;
  explicit TDynLib(const AnsiString& name, unsigned flags = 0);
  TDynLib(const AnsiString& name, const std::vector<AnsiString>& callerFolders,
          unsigned flags = 0);
  ~TDynLib();
  TDynLib(TDynLib&& other) noexcept;
  TDynLib& operator=(TDynLib&& other) noexcept;
  TDynLib(const TDynLib&) = delete;
  TDynLib& operator=(const TDynLib&) = delete;

  bool Loaded() const { return FModule != nullptr; }
  HMODULE Handle() const { return FModule; }
  // The loader's text when the constructor failed to load.
  const AnsiString& Error() const { return FError; }
  void* Proc(const AnsiString& name) const { return GetProcAddress(FModule, name); }
  template <typename TFunction>
  TFunction ProcAs(const AnsiString& name) const {
    return reinterpret_cast<TFunction>(Proc(name));
  }
  // Frees the library now; true when it was loaded.
  bool Free();

private:
  HMODULE FModule = nullptr;
  AnsiString FError;
};
