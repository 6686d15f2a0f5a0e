#include "env/HelmarINI.h"

#include <cstddef>
#include <vector>

#include "env/GeneratorLog.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/IniFiles.h"
#include "platform/win/Paths.h"
#include "platform/win/Registry.h"
#include "platform/win/SystemInfo.h"

namespace {

uint8_t RotateRight(uint8_t byte, unsigned bits) {
  bits &= 7u;
  return bits == 0 ? byte : static_cast<uint8_t>((byte >> bits) | (byte << (8u - bits)));
}

uint8_t RotateLeft(uint8_t byte, unsigned bits) { return RotateRight(byte, 8u - (bits & 7u)); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "1", "Y", "YES" or "TRUE" in any case of ASCII letters.
bool IsTrueFlag(std::string_view value) {
  const AnsiString upper = UpperCase(value);
  return upper == "1" || upper == "Y" || upper == "YES" || upper == "TRUE";
}

AnsiString SystemCodePageText() {
  const int codePage = GetACP();
  if (codePage == 936) return "936";
  if (codePage == 950) return "950";
  return "437";
}

uint8_t UIConvertModeOf(const AnsiString& ui, const AnsiString& system) {
  if (ui == "950") return 2;
  if (ui == "936" && system == "950") return 4;
  return 0;
}

uint8_t DBConvertModeOf(const AnsiString& ui, const AnsiString& db) {
  if (ui == "950" && db == "936") return 2;
  if (ui == "936" && db == "950") return 1;
  return 0;
}

}  // namespace

AnsiString ResolvePath(std::string_view folder, std::string_view base) {
  const bool share = IsPathDelimiter(folder, 1) && IsPathDelimiter(folder, 2);
  const bool drive = folder.size() >= 2 && IsAsciiLetter(folder[0]) && folder[1] == ':';
  if (share || drive || (!folder.empty() && folder[0] == '/')) return AnsiString(folder);
  if (!folder.empty() && folder[0] == '\\') folder.remove_prefix(1);
  const AnsiString root = base.empty() ? AnsiString() : IncludeTrailingPathDelimiter(base);
  return root + AnsiString(folder);
}

AnsiString ScramblePassword(std::string_view text) {
  if (text.empty()) text = HelmarEmptyPasswordMarker;
  static constexpr char kDigits[] = "0123456789abcdef";
  AnsiString result;
  result.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t byte = RotateRight(static_cast<uint8_t>(text[i]), static_cast<unsigned>(i + 1));
    result += kDigits[byte >> 4];
    result += kDigits[byte & 0x0F];
  }
  return result;
}

AnsiString UnscramblePassword(std::string_view text) {
  AnsiString plain;
  for (size_t a = 1; 2 * a <= text.size(); ++a) {
    const char high = text[2 * a - 2];
    const char low = text[2 * a - 1];
    if (HexDigit(high) < 0 || HexDigit(low) < 0) {
      const EConvertError error("'$" + AnsiString{high, low} + "' is not a valid integer value");
      LogGeneratorError(&error, ScramblePassword("DecodeSQLSa"), "解析 Sa 时发生错误!");
      return HelmarPasswordError;
    }
    const auto byte = static_cast<uint8_t>(HexDigit(high) * 16 + HexDigit(low));
    plain += static_cast<char>(RotateLeft(byte, static_cast<unsigned>(a)));
  }
  if (plain == HelmarEmptyPasswordMarker) return "";
  return plain;
}

AnsiString PerUserProfileFolder(std::string_view base, std::string_view logonName) {
  // A name from the environment could climb out of the profile folder.
  if (logonName.empty() || logonName == "." || logonName == ".." ||
      LastDelimiter("/\\", logonName) != 0)
    return "";
  return IncludeTrailingPathDelimiter(base) + "Profile/" + AnsiString(logonName) + "/";
}

// ---- THelmarIni ----

THelmarIni::THelmarIni() : FSystemCodePage(SystemCodePageText()) {
  FUICodePage = FSystemCodePage;
  ComputeConvertModes();
}

THelmarIni::~THelmarIni() = default;

void THelmarIni::GetWorkDLLPaths(TStrings& list) const { list.Assign(FWorkDLLPaths); }

bool THelmarIni::LocateProfile(const char* pathValue, const char* fileName, AnsiString& base) {
  TRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(HelmarRegistryKey)) {
    FLastError = HelmarErrNoRegistryKey;
    return false;
  }
  base = registry.ReadString(pathValue);
  FProfileType = registry.ReadString("ProfileType");
  registry.CloseKey();
  if (base.empty()) return false;
  base = IncludeTrailingPathDelimiter(base);

  FProfilePath = base;
  const AnsiString profileType = Trim(FProfileType);
  if (!profileType.empty() && profileType != "0") {
    const AnsiString logonName = GetLogonUserName();
    const AnsiString userFolder = PerUserProfileFolder(base, logonName);
    if (!userFolder.empty()) {
      FProfilePath = userFolder;
      FUserName = logonName;
    }
  }
  FProfileFile = FProfilePath + fileName;
  if (!FileExists(FProfileFile)) {
    FProfilePath = base;
    FProfileFile = base + fileName;
  }
  return true;
}

void THelmarIni::ComputeConvertModes() {
  FUIConvertMode = UIConvertModeOf(FUICodePage, FSystemCodePage);
  FDBConvertMode = DBConvertModeOf(FUICodePage, FDBCodePage);
}

void THelmarIni::ResolveWorkDLLPaths(const AnsiString& base, const char* defaultFolder) {
  if (FWorkDLLPaths.Count() == 0) {
    FWorkDLLPaths.Add(base + defaultFolder);
    return;
  }
  for (int i = 0; i < FWorkDLLPaths.Count(); ++i) {
    // Resolved before the delimiter is added: an empty folder then means the
    // installation folder itself, not the root "/".
    FWorkDLLPaths.Put(i, IncludeTrailingPathDelimiter(
                             ResolvePath(FWorkDLLPaths.ValueFromIndex(i), base)));
  }
}

// ---- THelmarIniC ----

THelmarIniC::THelmarIniC() {
  if (!LocateProfile("ClientPath", "HelmarC.ini", FClientPath)) return;

  const TIniFile ini(FProfileFile);
  FLangType = ini.ReadString("Client Components", "LangType", "ENG");
  FProductVersion = ini.ReadString("ProductVersion", "Version", "");
  FCreateGifBeforeSendEF = ini.ReadString("UserDefine", "CreateGifBeforeSendEF", "Y");
  FUICodePage = ini.ReadString("CodePage", "UICodePage", FSystemCodePage);
  FDBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
  FSupportCallBack = IsTrueFlag(ini.ReadString("Server Information", "SupportCallBack", "0"));
  AnsiString hosts = Trim(ini.ReadString("Server Information", "ComputerName", "127.0.0.1"));
  const int port = ini.ReadInteger("Server Information", "ServerPort", 211);
  ini.ReadSectionValues("WorkDLLPath", FWorkDLLPaths);
  FAutoCheckNewMsg = ini.ReadString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
  FCheckInterval = ini.ReadString("TaskMessageCenter Setting", "CheckInterval", "1");
  FPopupMsg = ini.ReadString("TaskMessageCenter Setting", "PopupMsg", "1");
  FLoginCheck = ini.ReadString("TaskMessageCenter Setting", "LoginCheck", "0");
  ComputeConvertModes();

  if (!hosts.empty() && hosts.back() == ';') hosts.pop_back();
  if (hosts.empty()) {
    FLastError = HelmarErrNoServerAddress;
    return;
  }
  // Pieces keep their blanks and empty pieces stay: the list is the
  // profile's, in its order.
  std::vector<AnsiString> pieces;
  size_t start = 0;
  for (size_t semicolon; (semicolon = hosts.find(';', start)) != AnsiString::npos;
       start = semicolon + 1)
    pieces.push_back(hosts.substr(start, semicolon - start));
  pieces.push_back(hosts.substr(start));
  FServerList = VarArrayCreate({0, 1, 0, static_cast<int32_t>(pieces.size()) - 1});
  for (size_t i = 0; i < pieces.size(); ++i) {
    FServerList(0, static_cast<int32_t>(i)) = pieces[i];
    FServerList(1, static_cast<int32_t>(i)) = port;
  }

  ResolveWorkDLLPaths(FClientPath, "C_PKG/");
}

// ---- THelmarIniS ----

THelmarIniS::THelmarIniS() : FDBSettings(VarArrayCreate({0, 3, 0, 7})) {
  if (!LocateProfile("ServerPath", "HelmarS.ini", FServerPath)) return;

  const TIniFile ini(FProfileFile);
  constexpr char kDBE[] = "DBE Setting";
  constexpr char kPasswordCtrl[] = "DBPasswordCtrl";
  Variant& db = FDBSettings;
  const auto text = [&](const char* section, const char* key, const char* defaultValue) {
    return Variant(ini.ReadString(section, key, defaultValue));
  };
  const auto number = [&](const char* section, const char* key, int defaultValue) {
    return Variant(static_cast<int32_t>(ini.ReadInteger(section, key, defaultValue)));
  };

  FProductVersion = ini.ReadString("ProductVersion", "Version", "");
  FUICodePage = ini.ReadString("CodePage", "UICodePage", FSystemCodePage);
  FDBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");

  db(0, 0) = text(kDBE, "MainAlias", "Tamsel");
  db(0, 1) = text(kDBE, "MainUserName", "sa");
  // "XXXXXX" is the literal key of the main password.
  db(0, 2) = UnscramblePassword(ini.ReadString(kDBE, "XXXXXX", ""));
  db(0, 3) = text(kDBE, "MainDBType", "MSSQL");
  db(0, 4) = text(kDBE, "MainDBName", "");
  db(0, 5) = text(kDBE, "MainServerName", "");
  db(0, 6) = number(kDBE, "MainConnectionTimeOut", 300);
  db(0, 7) = number(kDBE, "MainCommandTimeOut", 3000);
  FSystemControlAddress = ini.ReadString(kDBE, "SystemControlAddress", "");
  if (Trim(FSystemControlAddress).empty()) FSystemControlAddress = db(0, 5).AsString();
  FOtherSystemControlAddress = ini.ReadString(kDBE, "OtherSystemControlAddress", "");
  if (Trim(FOtherSystemControlAddress).empty()) FOtherSystemControlAddress = db(0, 5).AsString();

  db(1, 0) = text(kDBE, "TempAlias", "TamselTemp");
  db(1, 1) = text(kDBE, "TempUserName", "sa");
  db(1, 2) = UnscramblePassword(ini.ReadString(kDBE, "TempPassword", ""));
  db(1, 3) = text(kDBE, "TempDBType", "PARADOX");
  db(1, 4) = text(kDBE, "TempDBName", "");
  db(1, 5) = text(kDBE, "TempDriverName", "PostgreSQL");
  db(1, 6) = number(kDBE, "TempConnectionTimeOut", 300);
  db(1, 7) = number(kDBE, "TempCommandTimeOut", 3000);

  db(2, 0) = Variant(Trim(ini.ReadString(kPasswordCtrl, "ComputerName", "")));
  db(2, 1) = number(kPasswordCtrl, "ServerPort", 211);
  db(2, 2) = number(kPasswordCtrl, "ClientSocketPort", 1024);
  FSupportCallBack = IsTrueFlag(ini.ReadString(kPasswordCtrl, "SupportCallBack", "0"));
  db(2, 3) = text(kDBE, "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN");

  db(3, 0) = text(kDBE, "EctAlias", "EDIDATA");
  db(3, 1) = text(kDBE, "EctUserName", "sa");
  // The exchange database's password stays in its stored form.
  db(3, 2) = text(kDBE, "EctPassword", "");

  ini.ReadSectionValues("WorkDLLPath", FWorkDLLPaths);
  ComputeConvertModes();

  const AnsiString dbType = db(0, 3).AsString();
  if (SameText(dbType, "ORACLE")) FDBKind = dbkOracle;
  else if (SameText(dbType, "DB2")) FDBKind = dbkDB2;

  ResolveWorkDLLPaths(FServerPath, "S_PKG/");
}
