#include "components/GlyphLib.h"

#include "components/ErrorBox.h"
#include "platform/vcl/Bitmap.h"
#include "platform/win/DynLib.h"

const char* const GlyphLoadErrorText = "读取 BMP 发生错误";

namespace {

// The library's entry points (see outside/libs/Ostrell.h): 1 = loaded,
// 0 = not held, below 0 = a failure whose text OstrellErrorText gives.
using TGetMaxBmpIDProc = int32_t (*)();
using TLoadBmpProc = int32_t (*)(void* bitmap, int32_t id);
using TLoadNamedBmpProc = int32_t (*)(void* bitmap, const char* name);
using TErrorTextProc = const char* (*)(int32_t code);

struct TGlyphLibrary {
  HMODULE Module = nullptr;
  TGetMaxBmpIDProc GetMaxBmpID = nullptr;
  TLoadBmpProc LoadBmp = nullptr;
  TLoadNamedBmpProc LoadNamedBmp = nullptr;
  TErrorTextProc ErrorText = nullptr;
};

// Never destroyed: the handle must not be freed during the process's own
// teardown, when the loader's bookkeeping may already be gone.
TGlyphLibrary& State() {
  static TGlyphLibrary* state = new TGlyphLibrary;
  return *state;
}

const TGlyphLibrary& Library() {
  TGlyphLibrary& lib = State();
  if (lib.Module != nullptr) return lib;
  HMODULE module = LoadLibrary(GlyphLibraryName);
  if (module == nullptr)
    throw EGlyphLibraryError(AnsiString("Cannot load the glyph library ") + GlyphLibraryName + ": " +
                             GetLastLoadError());
  TGlyphLibrary loaded;
  loaded.Module = module;
  loaded.GetMaxBmpID = GetProcAddressAs<TGetMaxBmpIDProc>(module, "GetMaxBmpID");
  loaded.LoadBmp = GetProcAddressAs<TLoadBmpProc>(module, "LoadBmp");
  loaded.LoadNamedBmp = GetProcAddressAs<TLoadNamedBmpProc>(module, "LoadNamedBmp");
  loaded.ErrorText = GetProcAddressAs<TErrorTextProc>(module, "OstrellErrorText");
  if (loaded.GetMaxBmpID == nullptr || loaded.LoadBmp == nullptr || loaded.LoadNamedBmp == nullptr) {
    const AnsiString path = GetModulePath(module);
    FreeLibrary(module);
    throw EGlyphLibraryError(AnsiString("The glyph library ") + path +
                             " lacks GetMaxBmpID, LoadBmp or LoadNamedBmp");
  }
  lib = loaded;
  return lib;
}

// 1 -> true, 0 -> false, anything else raises with the library's text.
bool Outcome(const TGlyphLibrary& lib, int32_t code, const AnsiString& what) {
  if (code == 1) return true;
  if (code == 0) return false;
  AnsiString reason = "code " + std::to_string(code);
  if (lib.ErrorText != nullptr) {
    if (const char* text = lib.ErrorText(code)) reason += AnsiString(" (") + text + ")";
  }
  throw EGlyphLibraryError("The glyph library failed to load " + what + ": " + reason);
}

}  // namespace

int32_t GlyphLibraryMaxID() { return Library().GetMaxBmpID(); }

bool LoadLibraryGlyph(TBitmap& bitmap, int32_t id) {
  const TGlyphLibrary& lib = Library();
  return Outcome(lib, lib.LoadBmp(&bitmap, id), "glyph " + std::to_string(id));
}

bool LoadLibraryBitmap(TBitmap& bitmap, const AnsiString& name) {
  const TGlyphLibrary& lib = Library();
  return Outcome(lib, lib.LoadNamedBmp(&bitmap, name.c_str()), "the picture \"" + name + "\"");
}

void ReleaseGlyphLibrary() {
  TGlyphLibrary& lib = State();
  if (lib.Module == nullptr) return;
  FreeLibrary(lib.Module);
  lib = TGlyphLibrary();
}

void ShowGlyphLoadError() { ShowErrorBox(GlyphLoadErrorText); }
