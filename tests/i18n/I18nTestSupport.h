// Shared by the multi-language tests: an installation in a temporary folder
// (registry file, client profile with its code pages, language folders) with
// the system code page of the case, and the byte texts the cases compare.
#pragma once

#include <string>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TextSupport.h"
#include "platform/win/TempDir.h"

// Big5 bytes of a traditional text, for expectations.
inline AnsiString Big5(std::u16string_view text) { return WideToCodePage(950, text); }
// GBK bytes of a simplified text.
inline AnsiString Gbk(std::u16string_view text) { return WideToCodePage(936, text); }

class TInstallation {
public:
  // systemCodePage: what the system runs; codePageLines: the lines of the
  // profile's [CodePage] section ("UICodePage=950\n").
  TInstallation(int systemCodePage, const std::string& codePageLines)
      : FRegistry("KULR_REGISTRY", FDir / "registry.ini"),
        FTemp("TMPDIR", FDir / "tmp"),
        FCodePage(systemCodePage),
        FBase(FDir / "helmar/") {
    FDir.WriteFile("registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\nClientPath=" + FBase +
                                       "\nServerPath=" + FBase + "\nProfileType=0\n");
    FDir.WriteFile("helmar/HelmarC.ini", "[CodePage]\n" + codePageLines);
    FDir.WriteFile("helmar/HelmarS.ini", "[CodePage]\n" + codePageLines);
  }

  // Writes a file under the installation folder ("MultiLanguage/CHS/x.Lng").
  std::string Write(const std::string& name, const std::string& bytes) { return FDir.WriteFile("helmar/" + name, bytes); }
  const std::string& Base() const { return FBase; }

private:
  TTempDir FDir;
  TScopedEnv FRegistry;
  TScopedEnv FTemp;
  TScopedCodePage FCodePage;
  const std::string FBase;
};
