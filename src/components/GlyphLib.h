// The installation's glyph library ("Ostrell.dll"): glyphs by number for the
// glyph buttons and the named default pictures of the bit check box. The
// library is loaded by name on first use and then kept, so the plug-in
// loads and runs without it (its buttons then show their numbers and the
// glyph error box); a failed load is retried at the next use. Its C
// interface (return codes, who owns the bitmap) is described once in
// outside/libs/Ostrell.h; the types below repeat its signatures, since the
// plug-in never links the library. User-interface thread only.
#pragma once

#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

class TBitmap;

inline constexpr const char* GlyphLibraryName = "Ostrell.dll";

// The library cannot be loaded, lacks an entry point, or reports a failure
// (a code below 0) for a call.
class EGlyphLibraryError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EGlyphLibraryError"; }
};

// The highest glyph number the library holds.
int32_t GlyphLibraryMaxID();
// Loads glyph `id` into `bitmap` in place: true when the bitmap now holds
// it, false when the library has no glyph of that number (the bitmap is
// then unchanged).
bool LoadLibraryGlyph(TBitmap& bitmap, int32_t id);
// Loads the named picture ("CHECKED", "UNCHECKED", "GRAYED") into bitmap;
// false when the library has no picture of that name.
bool LoadLibraryBitmap(TBitmap& bitmap, const AnsiString& name);

// Releases the loaded library (the plug-in's unload path); the next use
// loads it again, searching afresh.
void ReleaseGlyphLibrary();

// The text of the error box every glyph loading failure shows.
extern const char* const GlyphLoadErrorText;
// Shows that text in the components' error box (ErrorBox.h).
void ShowGlyphLoadError();
