// Shared by the glyph button, F2 button and bit check box tests: a scope in
// which the glyph library cannot be loaded (a file named Ostrell.dll that is
// no library stands first in the search), and the error boxes the journal
// holds.
#pragma once

#include <string>
#include <vector>

#include "components/GlyphLib.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Dialogs.h"
#include "platform/win/DynLib.h"
#include "platform/win/TempDir.h"

class TBrokenGlyphLibrary {
public:
  TBrokenGlyphLibrary() {
    ReleaseGlyphLibrary();
    FFolder.WriteFile(GlyphLibraryName, "not a library");
    AddLibrarySearchFolder(FFolder.Path() + "/");
  }
  ~TBrokenGlyphLibrary() {
    RemoveLibrarySearchFolder(FFolder.Path() + "/");
    ReleaseGlyphLibrary();
  }
  TBrokenGlyphLibrary(const TBrokenGlyphLibrary&) = delete;
  TBrokenGlyphLibrary& operator=(const TBrokenGlyphLibrary&) = delete;

private:
  TTempDir FFolder;
};

// The texts of the error boxes journalled so far.
inline std::vector<std::string> ErrorBoxTexts() {
  std::vector<std::string> texts;
  for (const TDialogRecord& r : Application().Journal())
    if (r.DlgType == mtError) texts.push_back(r.Text);
  return texts;
}
