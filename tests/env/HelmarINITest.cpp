#include "env/HelmarINI.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "env/GeneratorLog.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/win/Paths.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/TempDir.h"

namespace {

// An installation in a temporary folder: a registry file that KULR_REGISTRY
// points at, the installation folder "helmar/" with its profiles, and a
// temporary folder of its own so that nothing lands in the real one.
class THelmarInstall : public ::testing::Test {
protected:
  THelmarInstall()
      : FRegistry("KULR_REGISTRY", FDir / "registry.ini"),
        FTemp("TMPDIR", FDir / "tmp"),
        FCodePage(936),
        FBase(FDir / "helmar/") {
    RestoreDefaultFormatSettings();
    SetTestClock(ComposeDateTime(EncodeDate(2026, 12, 11), EncodeTime(10, 20, 30, 0)));
  }
  ~THelmarInstall() override { ClearTestClock(); }

  // The key with the given value lines ("ClientPath=…"); no lines at all
  // leaves the key out of the registry.
  void WriteRegistry(const std::vector<std::string>& lines) {
    std::string text = "[HKEY_LOCAL_MACHINE\\Software\\Other]\nx=1\n";
    if (!lines.empty()) text += "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\n";
    for (const std::string& line : lines) text += line + "\n";
    FDir.WriteFile("registry.ini", text);
  }
  void InstallClient(const std::string& profile, const std::string& profileType = "0") {
    WriteRegistry({"ClientPath=" + FBase, "ProfileType=" + profileType});
    FDir.WriteFile("helmar/HelmarC.ini", profile);
  }
  void InstallServer(const std::string& profile) {
    WriteRegistry({"ServerPath=" + FBase});
    FDir.WriteFile("helmar/HelmarS.ini", profile);
  }
  std::string LogFile() const { return FBase + "Log/Alert_BriskGenerator_20261211.log"; }

  TTempDir FDir;
  TScopedEnv FRegistry;
  TScopedEnv FTemp;
  TScopedCodePage FCodePage;
  const std::string FBase;  // with its trailing "/"
};

using HelmarINITest = THelmarInstall;

// A test name from a row's index and the letters and digits of its value.
std::string RowName(size_t index, std::string_view value) {
  std::string name = "Row" + std::to_string(index);
  for (char c : value)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) name += c;
  return name;
}

std::vector<AnsiString> Lines(const TStrings& list) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

// The server list as (host, port) pairs, checking its shape on the way.
std::vector<std::pair<AnsiString, int>> Servers(const Variant& list) {
  std::vector<std::pair<AnsiString, int>> servers;
  if (list.IsEmpty()) return servers;
  EXPECT_EQ(VarArrayDimCount(list), 2);
  EXPECT_EQ(VarArrayLowBound(list, 1), 0);
  EXPECT_EQ(VarArrayHighBound(list, 1), 1);
  EXPECT_EQ(VarArrayLowBound(list, 2), 0);
  for (int i = 0; i <= VarArrayHighBound(list, 2); ++i) {
    EXPECT_NE(list(0, i).GetIf<AnsiString>(), nullptr) << "host " << i << " is not a byte string";
    EXPECT_NE(list(1, i).GetIf<int32_t>(), nullptr) << "port " << i << " is not an integer";
    servers.emplace_back(list(0, i).AsString(), list(1, i).AsInteger());
  }
  return servers;
}

// ---- ResolvePath ----

struct TResolveRow {
  const char* Name;
  const char* Folder;
  const char* Base;
  const char* Expected;
};

void PrintTo(const TResolveRow& row, std::ostream* os) { *os << row.Name; }

class ResolvePathTest : public ::testing::TestWithParam<TResolveRow> {};

// Guards against absolute folders being glued to the base, and "\Sub" being
// taken for the root instead of the installation folder.
TEST_P(ResolvePathTest, MakesFolderAbsoluteAgainstBase) {
  const TResolveRow& row = GetParam();
  EXPECT_EQ(ResolvePath(row.Folder, row.Base), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResolvePathTest,
    ::testing::Values(
        TResolveRow{"DriveBackslash", "D:\\Work\\", "C:\\Helmar\\", "D:\\Work\\"},
        TResolveRow{"DriveLowerCase", "d:lib", "/opt/helmar/", "d:lib"},
        TResolveRow{"DriveOnly", "D:", "/opt/helmar/", "D:"},
        TResolveRow{"WindowsShare", "\\\\srv\\share\\", "/opt/helmar/", "\\\\srv\\share\\"},
        TResolveRow{"PosixShare", "//srv/share/", "/opt/helmar/", "//srv/share/"},
        TResolveRow{"PosixAbsolute", "/usr/lib/", "/opt/helmar/", "/usr/lib/"},
        TResolveRow{"PosixRoot", "/", "/opt/helmar/", "/"},
        TResolveRow{"LeadingBackslashIsBaseRelative", "\\Sub\\", "/opt/helmar/",
                    "/opt/helmar/Sub\\"},
        TResolveRow{"LoneBackslashIsBase", "\\", "C:\\Helmar\\", "C:\\Helmar\\"},
        TResolveRow{"Relative", "Sub/", "C:\\Helmar\\", "C:\\Helmar\\Sub/"},
        TResolveRow{"RelativeDotDot", "..\\x", "/opt/helmar/", "/opt/helmar/..\\x"},
        TResolveRow{"BaseWithoutDelimiterGetsOne", "Sub", "/opt/helmar", "/opt/helmar/Sub"},
        TResolveRow{"EmptyFolderIsBase", "", "/opt/helmar/", "/opt/helmar/"},
        TResolveRow{"EmptyBaseKeepsRelative", "Sub", "", "Sub"},
        TResolveRow{"ColonLaterIsNoDrive", "ab:c", "/b/", "/b/ab:c"},
        // "\x95\x5C" is one GBK character whose trail byte is "\": not a share.
        TResolveRow{"TrailByteBackslashIsNoShare", "\\\x95\x5C", "/b/", "/b/\x95\x5C"}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Password scrambling ----

struct TScrambleRow {
  const char* Name;
  std::string Plain;
  std::string Stored;
};

void PrintTo(const TScrambleRow& row, std::ostream* os) { *os << row.Name; }

class ScramblePasswordTest : public ::testing::TestWithParam<TScrambleRow> {};

// Guards against a wrong rotation direction or amount, and position 8 (no
// rotation) or bytes above 0x7F going wrong.
TEST_P(ScramblePasswordTest, ScramblesAndUnscramblesBothWays) {
  const TScrambleRow& row = GetParam();
  EXPECT_EQ(ScramblePassword(row.Plain), row.Stored);
  EXPECT_EQ(UnscramblePassword(row.Stored), row.Plain);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScramblePasswordTest,
    ::testing::Values(
        TScrambleRow{"Abc", "abc", "b0986c"},
        // Position 8 and 16 are not rotated: "h" (0x68) and "p" (0x70) stay.
        TScrambleRow{"NineBytes", "abcdefghi", "b0986c462b99ce68b4"},
        TScrambleRow{"SixteenBytes", "aaaaaaaaaaaaaaaa",
                     "b0582c160b85c261b0582c160b85c261"},
        // "中" in GBK: 0xD6 0xD0 -> ror 1 = 0x6B, ror 2 = 0x34.
        TScrambleRow{"DoubleByte", "\xD6\xD0", "6b34"},
        TScrambleRow{"AllBitsAndNone", std::string("\xFF\x00", 2), "ff00"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against an empty password being stored as "" (which reads back as
// "no password set") or the marker coming back as the password.
TEST(ScramblePasswordTest, EmptyPasswordTravelsAsTheMarker) {
  EXPECT_EQ(ScramblePassword(""), ScramblePassword(HelmarEmptyPasswordMarker));
  EXPECT_EQ(ScramblePassword("").size(), 2 * std::string(HelmarEmptyPasswordMarker).size());
  EXPECT_EQ(UnscramblePassword(ScramblePassword("")), "");
  EXPECT_EQ(UnscramblePassword(""), "");
}

struct TUnscrambleRow {
  const char* Name;
  const char* Stored;
  const char* Plain;
};

void PrintTo(const TUnscrambleRow& row, std::ostream* os) { *os << row.Name; }

class UnscramblePasswordTest : public ::testing::TestWithParam<TUnscrambleRow> {};

// Guards against an odd digit being read as a half byte and against upper
// case digits (as other tools write them) being refused.
TEST_P(UnscramblePasswordTest, ReadsStoredForm) {
  EXPECT_EQ(UnscramblePassword(GetParam().Stored), GetParam().Plain);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnscramblePasswordTest,
    ::testing::Values(TUnscrambleRow{"TrailingDigitIgnored", "b0986", "ab"},
                      TUnscrambleRow{"SingleDigitOnly", "b", ""},
                      TUnscrambleRow{"UpperCaseDigits", "B0986C", "abc"},
                      TUnscrambleRow{"MixedCaseDigits", "b0986C", "abc"}),
    [](const auto& info) { return std::string(info.param.Name); });

class UnscramblePasswordErrorTest : public THelmarInstall,
                                    public ::testing::WithParamInterface<const char*> {};

// Guards against a broken stored form raising out of the profile reader or
// coming back as a half-decoded password, and against a missing log entry.
TEST_P(UnscramblePasswordErrorTest, GivesErrorTextAndLogsOneEntry) {
  WriteRegistry({"ClientPath=" + FBase});
  EXPECT_EQ(UnscramblePassword(GetParam()), HelmarPasswordError);
  const AnsiString log = ReadFileBytes(LogFile());
  EXPECT_NE(log.find("Exception is EConvertError\r\n"), AnsiString::npos);
  size_t entries = 0;
  for (size_t at = 0; (at = log.find(" on ", at)) != AnsiString::npos; ++at) ++entries;
  EXPECT_EQ(entries, 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, UnscramblePasswordErrorTest,
                         ::testing::Values("zz", "b0zz6c", " b", "0x", "-1", "b0986g"),
                         [](const auto& info) { return RowName(info.index, info.param); });

// Guards against the entry losing its layout: where is the scrambled form of
// "DecodeSQLSa", the text the programmer's GBK message.
TEST_F(HelmarINITest, UnscrambleErrorWritesGeneratorLogEntry) {
  WriteRegistry({"ClientPath=" + FBase});
  ASSERT_EQ(UnscramblePassword("zz"), HelmarPasswordError);
  const std::string stamp = "[2026/12/11 10:20:30] ";
  const std::string dashes = "----------------------------------";
  // "讯息信息" and "解析 Sa 时发生错误" in GBK.
  const std::string expected =
      stamp + dashes + " on " + ScramblePassword("DecodeSQLSa") + " " + dashes + "\r\n" +
      stamp + "\xD1\xB6\xCF\xA2\xD0\xC5\xCF\xA2:\r\n" +
      stamp + "Exception is EConvertError\r\nMessage 01: '$zz' is not a valid integer value\r\n" +
      stamp + "ErrorMessage Count: 1\r\n" +
      stamp + "Programer Message: \xBD\xE2\xCE\xF6 Sa \xCA\xB1\xB7\xA2\xC9\xFA\xB4\xED\xCE\xF3!\r\n";
  EXPECT_EQ(ReadFileBytes(LogFile()), expected);
}

// ---- Per-user profile folder ----

struct TUserFolderRow {
  const char* Name;
  std::string Logon;
  const char* Expected;
};

void PrintTo(const TUserFolderRow& row, std::ostream* os) { *os << row.Name; }

class PerUserProfileFolderTest : public ::testing::TestWithParam<TUserFolderRow> {};

// Guards against a name from the environment leading outside the profile
// folder and against long names being cut into another user's folder.
TEST_P(PerUserProfileFolderTest, NamesOneFolderBelowProfile) {
  TScopedCodePage codePage(936);
  EXPECT_EQ(PerUserProfileFolder("/opt/helmar/", GetParam().Logon), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PerUserProfileFolderTest,
    ::testing::Values(
        TUserFolderRow{"Plain", "alice", "/opt/helmar/Profile/alice/"},
        TUserFolderRow{"LongNameUsedWhole", std::string(40, 'u'),
                       "/opt/helmar/Profile/uuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuu/"},
        TUserFolderRow{"Empty", "", ""}, TUserFolderRow{"Dot", ".", ""},
        TUserFolderRow{"DotDot", "..", ""}, TUserFolderRow{"Slash", "../x", ""},
        TUserFolderRow{"Backslash", "a\\b", ""},
        // "\x95\x5C" is one GBK character: its trail byte is no delimiter.
        TUserFolderRow{"TrailByteBackslash", "\x95\x5C", "/opt/helmar/Profile/\x95\x5C/"}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Client profile: registry and location ----

// Guards against a missing key raising, or leaving code pages and modes unset.
TEST_F(HelmarINITest, ClientWithoutRegistryKeyKeepsResetValues) {
  WriteRegistry({});
  const THelmarIniC ini;
  EXPECT_EQ(ini.LastError(), "E;000015");
  EXPECT_EQ(ini.ClientPath(), "");
  EXPECT_EQ(ini.ProfilePath(), "");
  EXPECT_EQ(ini.ProfileFile(), "");
  EXPECT_EQ(ini.ProfileType(), "0");
  EXPECT_EQ(ini.UserName(), "Default");
  EXPECT_EQ(ini.SystemCodePage(), "936");
  EXPECT_EQ(ini.UICodePage(), "936");
  EXPECT_EQ(ini.DBCodePage(), "936");
  EXPECT_FALSE(ini.SupportCallBack());
  EXPECT_TRUE(ini.ServerList().IsEmpty());
  EXPECT_EQ(ini.WorkDLLPaths().Count(), 0);
}

// Guards against a missing registry file being taken for an error of its own.
TEST_F(HelmarINITest, ClientWithoutRegistryFileReportsMissingKey) {
  const THelmarIniC ini;
  EXPECT_EQ(ini.LastError(), "E;000015");
}

// Guards against a broken registry file passing for a missing key: the
// reader raises the registry's error, which names the file and line.
TEST_F(HelmarINITest, BrokenRegistryFileRaisesReadError) {
  FDir.WriteFile("registry.ini", "ClientPath=/before/any/section\n");
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "client" : "server");
    try {
      if (pass == 0) THelmarIniC();
      else THelmarIniS();
      ADD_FAILURE() << "no error raised";
    } catch (const EReadError& e) {
      EXPECT_NE(e.Message().find("registry.ini"), AnsiString::npos) << e.Message();
    }
  }
}

// Guards against an empty installation folder reading a profile from the
// current folder or reporting an error code.
TEST_F(HelmarINITest, ClientWithEmptyClientPathStopsSilently) {
  WriteRegistry({"ClientPath=", "ServerPath=" + FBase, "ProfileType=1"});
  FDir.WriteFile("helmar/HelmarC.ini", "[Client Components]\nLangType=CHS\n");
  const THelmarIniC ini;
  EXPECT_EQ(ini.LastError(), "");
  EXPECT_EQ(ini.ProfileFile(), "");
  EXPECT_EQ(ini.ProfileType(), "1");
  EXPECT_EQ(ini.LangType(), "");
  EXPECT_TRUE(ini.ServerList().IsEmpty());
}

// Guards against a folder without trailing delimiter being glued to the file name.
TEST_F(HelmarINITest, ClientPathGetsTrailingDelimiter) {
  WriteRegistry({"ClientPath=" + FDir / "helmar"});
  FDir.WriteFile("helmar/HelmarC.ini", "[Client Components]\nLangType=CHT\n");
  const THelmarIniC ini;
  EXPECT_EQ(ini.ClientPath(), FBase);
  EXPECT_EQ(ini.ProfileFile(), FBase + "HelmarC.ini");
  EXPECT_EQ(ini.LangType(), "CHT");
}

// Guards against a missing profile file raising or leaving fields without
// their documented defaults.
TEST_F(HelmarINITest, ClientWithoutProfileFileTakesDefaults) {
  WriteRegistry({"ClientPath=" + FBase});
  const THelmarIniC ini;
  EXPECT_EQ(ini.LastError(), "");
  EXPECT_EQ(ini.ProfileType(), "");
  EXPECT_EQ(ini.UserName(), "Default");
  EXPECT_EQ(ini.ProfilePath(), FBase);
  EXPECT_EQ(ini.ProfileFile(), FBase + "HelmarC.ini");
  EXPECT_EQ(ini.LangType(), "ENG");
  EXPECT_EQ(ini.ProductVersion(), "");
  EXPECT_EQ(ini.CreateGifBeforeSendEF(), "Y");
  EXPECT_EQ(ini.UICodePage(), "936");
  EXPECT_EQ(ini.DBCodePage(), "936");
  EXPECT_FALSE(ini.SupportCallBack());
  EXPECT_EQ(ini.AutoCheckNewMsg(), "1");
  EXPECT_EQ(ini.CheckInterval(), "1");
  EXPECT_EQ(ini.PopupMsg(), "1");
  EXPECT_EQ(ini.LoginCheck(), "0");
  EXPECT_EQ(Servers(ini.ServerList()),
            (std::vector<std::pair<AnsiString, int>>{{"127.0.0.1", 211}}));
  EXPECT_EQ(Lines(ini.WorkDLLPaths()), std::vector<AnsiString>{FBase + "C_PKG/"});
}

// Guards against keys being read from the wrong section or with the wrong
// name (names ignore case; values are trimmed).
TEST_F(HelmarINITest, ClientReadsEveryKey) {
  InstallClient(
      "; ComputerName=commented\r\n"
      "[client components]\r\nlangtype=CHS\r\n"
      "[ProductVersion]\r\nVersion= 7.10.2 \r\n"
      "[UserDefine]\r\nCreateGifBeforeSendEF=N\r\n"
      "[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n"
      "[Server Information]\r\nSupportCallBack=yes\r\nComputerName=srv1;srv2\r\n"
      "ServerPort=$D3\r\n"
      "[TaskMessageCenter Setting]\r\nAutoCheckNewMsg=0\r\nCheckInterval=5\r\n"
      "PopupMsg=0\r\nLoginCheck=1\r\n"
      "[WorkDLLPath]\r\nA=Lib\r\nB=/srv/lib\r\n");
  const THelmarIniC ini;
  EXPECT_EQ(ini.LastError(), "");
  EXPECT_EQ(ini.ProfileType(), "0");
  EXPECT_EQ(ini.LangType(), "CHS");
  EXPECT_EQ(ini.ProductVersion(), "7.10.2");
  EXPECT_EQ(ini.CreateGifBeforeSendEF(), "N");
  EXPECT_EQ(ini.UICodePage(), "950");
  EXPECT_EQ(ini.DBCodePage(), "936");
  EXPECT_EQ(ini.UIConvertMode(), 2);
  EXPECT_EQ(ini.DBConvertMode(), 2);
  EXPECT_TRUE(ini.SupportCallBack());
  EXPECT_EQ(Servers(ini.ServerList()),
            (std::vector<std::pair<AnsiString, int>>{{"srv1", 211}, {"srv2", 211}}));
  EXPECT_EQ(ini.AutoCheckNewMsg(), "0");
  EXPECT_EQ(ini.CheckInterval(), "5");
  EXPECT_EQ(ini.PopupMsg(), "0");
  EXPECT_EQ(ini.LoginCheck(), "1");
  EXPECT_EQ(Lines(ini.WorkDLLPaths()), (std::vector<AnsiString>{FBase + "Lib/", "/srv/lib/"}));
}

// Guards against the per-user file being ignored, or its absence leaving the
// reader on a folder that holds no profile.
TEST_F(HelmarINITest, ClientReadsPerUserProfileWhenPresent) {
  const AnsiString logon = GetLogonUserName();
  ASSERT_FALSE(logon.empty());
  InstallClient("[Client Components]\nLangType=SHARED\n", "1");
  FDir.WriteFile("helmar/Profile/" + logon + "/HelmarC.ini", "[Client Components]\nLangType=OWN\n");
  const THelmarIniC ini;
  EXPECT_EQ(ini.UserName(), logon);
  EXPECT_EQ(ini.ProfilePath(), FBase + "Profile/" + logon + "/");
  EXPECT_EQ(ini.ProfileFile(), FBase + "Profile/" + logon + "/HelmarC.ini");
  EXPECT_EQ(ini.LangType(), "OWN");
}

TEST_F(HelmarINITest, ClientFallsBackToSharedProfileWithoutPerUserFile) {
  const AnsiString logon = GetLogonUserName();
  InstallClient("[Client Components]\nLangType=SHARED\n", "1");
  const THelmarIniC ini;
  EXPECT_EQ(ini.UserName(), logon);
  EXPECT_EQ(ini.ProfilePath(), FBase);
  EXPECT_EQ(ini.ProfileFile(), FBase + "HelmarC.ini");
  EXPECT_EQ(ini.LangType(), "SHARED");
}

// Guards against "0" (or a blank "0") being taken for per-user profiles.
TEST_F(HelmarINITest, ClientProfileTypeZeroIgnoresPerUserFile) {
  const AnsiString logon = GetLogonUserName();
  for (const char* type : {"0", " 0 ", ""}) {
    SCOPED_TRACE(std::string("ProfileType=") + type);
    InstallClient("[Client Components]\nLangType=SHARED\n", type);
    FDir.WriteFile("helmar/Profile/" + logon + "/HelmarC.ini",
                   "[Client Components]\nLangType=OWN\n");
    const THelmarIniC ini;
    EXPECT_EQ(ini.UserName(), "Default");
    EXPECT_EQ(ini.ProfilePath(), FBase);
    EXPECT_EQ(ini.LangType(), "SHARED");
  }
}

// ---- Client profile: server list ----

struct TServerRow {
  const char* Name;
  const char* Lines;  // lines of [Server Information]
  std::vector<std::pair<AnsiString, int>> Expected;
  const char* LastError;
};

void PrintTo(const TServerRow& row, std::ostream* os) { *os << row.Name; }

class ClientServerListTest : public THelmarInstall,
                             public ::testing::WithParamInterface<TServerRow> {};

// Guards against pieces being trimmed or dropped, more than one trailing ";"
// being removed, and a host list of nothing passing as a server.
TEST_P(ClientServerListTest, SplitsComputerNameAtSemicolons) {
  const TServerRow& row = GetParam();
  InstallClient(std::string("[Server Information]\n") + row.Lines +
                "[WorkDLLPath]\nLib=\\Sub\n");
  const THelmarIniC ini;
  EXPECT_EQ(ini.LastError(), row.LastError);
  EXPECT_EQ(Servers(ini.ServerList()), row.Expected);
  // Without a server the folder lines stay as the section gave them.
  EXPECT_EQ(Lines(ini.WorkDLLPaths()),
            std::vector<AnsiString>{row.Expected.empty() ? "Lib=\\Sub" : FBase + "Sub/"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClientServerListTest,
    ::testing::Values(
        TServerRow{"TwoHostsTrailingSemicolon", "ComputerName=hostA;hostB;\nServerPort=300\n",
                   {{"hostA", 300}, {"hostB", 300}}, ""},
        TServerRow{"OneHost", "ComputerName=hostA\nServerPort=300\n", {{"hostA", 300}}, ""},
        TServerRow{"PiecesKeepBlanks", "ComputerName=hostA; hostB \n",
                   {{"hostA", 211}, {" hostB", 211}}, ""},
        TServerRow{"EmptyPieceKept", "ComputerName=a;;b\n", {{"a", 211}, {"", 211}, {"b", 211}},
                   ""},
        TServerRow{"OnlyOneTrailingSemicolonRemoved", "ComputerName=a;;\n",
                   {{"a", 211}, {"", 211}}, ""},
        TServerRow{"MissingKeyIsLocalHost", "ServerPort=212\n", {{"127.0.0.1", 212}}, ""},
        TServerRow{"BadPortIsDefault", "ComputerName=h\nServerPort=2x1\n", {{"h", 211}}, ""},
        TServerRow{"BlankSemicolonBlank", "ComputerName= ; \n", {}, "E;000016"},
        TServerRow{"EmptyValue", "ComputerName=\n", {}, "E;000016"},
        TServerRow{"TwoSemicolons", "ComputerName=;;\n", {{"", 211}, {"", 211}}, ""}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Code pages and conversion modes ----

struct TCodePageRow {
  const char* Name;
  int SystemCodePage;
  const char* Lines;  // lines of [CodePage]
  const char* System;
  const char* UI;
  const char* DB;
  int UIMode;
  int DBMode;
};

void PrintTo(const TCodePageRow& row, std::ostream* os) { *os << row.Name; }

class ClientCodePageTest : public THelmarInstall,
                           public ::testing::WithParamInterface<TCodePageRow> {};

// Guards against the wrong mode for a combination and against the UI code
// page defaulting to something other than the system's.
TEST_P(ClientCodePageTest, DerivesConvertModes) {
  const TCodePageRow& row = GetParam();
  TScopedCodePage codePage(row.SystemCodePage);
  InstallClient(std::string("[CodePage]\n") + row.Lines);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "client" : "server");
    std::unique_ptr<THelmarIni> ini;
    if (pass == 0) {
      ini = std::make_unique<THelmarIniC>();
    } else {
      InstallServer(std::string("[CodePage]\n") + row.Lines);
      ini = std::make_unique<THelmarIniS>();
    }
    EXPECT_EQ(ini->SystemCodePage(), row.System);
    EXPECT_EQ(ini->UICodePage(), row.UI);
    EXPECT_EQ(ini->DBCodePage(), row.DB);
    EXPECT_EQ(ini->UIConvertMode(), row.UIMode);
    EXPECT_EQ(ini->DBConvertMode(), row.DBMode);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClientCodePageTest,
    ::testing::Values(
        TCodePageRow{"Western", 1252, "", "437", "437", "936", 0, 0},
        TCodePageRow{"WesternWithChineseUI", 1252, "UICodePage=936\n", "437", "936", "936", 0, 0},
        TCodePageRow{"Simplified", 936, "", "936", "936", "936", 0, 0},
        TCodePageRow{"TraditionalSystemDefault", 950, "", "950", "950", "936", 2, 2},
        TCodePageRow{"SimplifiedUIOnTraditional", 950, "UICodePage=936\n", "950", "936", "936",
                     4, 0},
        TCodePageRow{"SimplifiedUIOnTraditionalWithTraditionalDB", 950,
                     "UICodePage=936\nDBCodePage=950\n", "950", "936", "950", 4, 1},
        TCodePageRow{"TraditionalUISimplifiedDB", 936, "UICodePage=950\nDBCodePage=936\n", "936",
                     "950", "936", 2, 2},
        TCodePageRow{"SimplifiedUITraditionalDB", 936, "UICodePage=936\nDBCodePage=950\n", "936",
                     "936", "950", 0, 1},
        TCodePageRow{"TraditionalBoth", 950, "UICodePage=950\nDBCodePage=950\n", "950", "950",
                     "950", 2, 0},
        TCodePageRow{"OtherUI", 936, "UICodePage=437\nDBCodePage=950\n", "936", "437", "950", 0,
                     0}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against the modes being computed only after a file was read: a
// missing key still leaves modes that match the reset code pages.
TEST_F(HelmarINITest, ModesFollowSystemCodePageWithoutRegistryKey) {
  TScopedCodePage codePage(950);
  WriteRegistry({});
  const THelmarIniC client;
  EXPECT_EQ(client.UICodePage(), "950");
  EXPECT_EQ(client.UIConvertMode(), 2);
  EXPECT_EQ(client.DBConvertMode(), 2);
  const THelmarIniS server;
  EXPECT_EQ(server.LastError(), "E;000015");
  EXPECT_EQ(server.UIConvertMode(), 2);
  EXPECT_EQ(server.DBConvertMode(), 2);
}

// ---- SupportCallBack ----

using TFlagRow = std::pair<std::string, bool>;

class SupportCallBackTest : public THelmarInstall,
                            public ::testing::WithParamInterface<TFlagRow> {};

// Guards against a case-sensitive compare and against any non-zero value
// counting as true.
TEST_P(SupportCallBackTest, TrueOnlyForYesWords) {
  const auto& [value, expected] = GetParam();
  InstallClient("[Server Information]\nSupportCallBack=" + value + "\n");
  EXPECT_EQ(THelmarIniC().SupportCallBack(), expected);
  InstallServer("[DBPasswordCtrl]\nSupportCallBack=" + value + "\n");
  EXPECT_EQ(THelmarIniS().SupportCallBack(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SupportCallBackTest,
    ::testing::Values(TFlagRow{"1", true}, TFlagRow{"y", true}, TFlagRow{"Yes", true},
                      TFlagRow{"yes", true}, TFlagRow{"TRUE", true}, TFlagRow{" true ", true},
                      TFlagRow{"2", false}, TFlagRow{"0", false}, TFlagRow{"N", false},
                      TFlagRow{"", false}, TFlagRow{"YESS", false}, TFlagRow{"-1", false}),
    [](const auto& info) { return RowName(info.index, info.param.first); });

// ---- Work-library folders ----

struct TWorkRow {
  const char* Name;
  const char* Line;
  const char* Expected;  // "~" stands for the installation folder
};

void PrintTo(const TWorkRow& row, std::ostream* os) { *os << row.Name; }

class WorkDLLPathTest : public THelmarInstall, public ::testing::WithParamInterface<TWorkRow> {};

// Guards against folders losing their trailing delimiter, "\Sub" escaping to
// the root, and absolute folders being glued to the installation folder.
TEST_P(WorkDLLPathTest, ResolvesAgainstInstallationFolder) {
  const TWorkRow& row = GetParam();
  std::string expected = row.Expected;
  if (expected.starts_with("~")) expected = FBase + expected.substr(1);
  InstallClient(std::string("[WorkDLLPath]\n") + row.Line + "\n");
  EXPECT_EQ(Lines(THelmarIniC().WorkDLLPaths()), std::vector<AnsiString>{expected});
  InstallServer(std::string("[WorkDLLPath]\n") + row.Line + "\n");
  EXPECT_EQ(Lines(THelmarIniS().WorkDLLPaths()), std::vector<AnsiString>{expected});
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkDLLPathTest,
    ::testing::Values(TWorkRow{"Drive", "Lib=D:\\Work", "D:\\Work/"},
                      TWorkRow{"DriveWithDelimiter", "Lib=D:\\Work\\", "D:\\Work\\"},
                      TWorkRow{"LeadingBackslash", "Lib=\\Sub", "~Sub/"},
                      TWorkRow{"Relative", "Lib=Sub", "~Sub/"},
                      TWorkRow{"RelativeWithBackslash", "Lib=Sub\\", "~Sub\\"},
                      TWorkRow{"PosixAbsolute", "Lib=/srv/lib", "/srv/lib/"},
                      TWorkRow{"WindowsShare", "Lib=\\\\srv\\lib", "\\\\srv\\lib/"},
                      TWorkRow{"PosixShare", "Lib=//srv/lib/", "//srv/lib/"},
                      TWorkRow{"EmptyFolderIsInstallation", "Lib=", "~"},
                      TWorkRow{"ValueWithEquals", "Lib=a=b", "~a=b/"},
                      // "\x95\x5C" is one GBK character: its trail byte "\" ends nothing.
                      TWorkRow{"TrailByteBackslash", "Lib=\x95\x5C", "~\x95\x5C/"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against folders being reordered or the default being added to
// folders the profile lists.
TEST_F(HelmarINITest, WorkDLLPathsKeepProfileOrder) {
  InstallClient("[WorkDLLPath]\nZ=Last\nA=/first\nM=\\Mid\nA=dup\n");
  EXPECT_EQ(Lines(THelmarIniC().WorkDLLPaths()),
            (std::vector<AnsiString>{FBase + "Last/", "/first/", FBase + "Mid/"}));
}

// ---- Server profile ----

// Guards against cells being filled from the wrong key or left out, and
// against unlisted cells holding anything.
TEST_F(HelmarINITest, ServerWithoutProfileFileTakesDefaults) {
  WriteRegistry({"ServerPath=" + FBase});
  const THelmarIniS ini;
  EXPECT_EQ(ini.LastError(), "");
  EXPECT_EQ(ini.ServerPath(), FBase);
  EXPECT_EQ(ini.ProfileFile(), FBase + "HelmarS.ini");
  const Variant& db = ini.DBSettings();
  ASSERT_EQ(VarArrayDimCount(db), 2);
  EXPECT_EQ(VarArrayHighBound(db, 1), 3);
  EXPECT_EQ(VarArrayHighBound(db, 2), 7);
  const std::vector<std::vector<Variant>> expected = {
      {"Tamsel", "sa", "", "MSSQL", "", "", int32_t{300}, int32_t{3000}},
      {"TamselTemp", "sa", "", "PARADOX", "", "PostgreSQL", int32_t{300}, int32_t{3000}},
      {"", int32_t{211}, int32_t{1024}, "Chinese_Taiwan_Stroke_BIN", {}, {}, {}, {}},
      {"EDIDATA", "sa", "", {}, {}, {}, {}, {}}};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 8; ++col) {
      SCOPED_TRACE(::testing::Message() << "cell (" << row << "," << col << ")");
      const Variant& want = expected[row][col];
      const Variant& got = db(row, col);
      EXPECT_EQ(VarType(got), VarType(want));
      EXPECT_EQ(VarToStr(got), VarToStr(want));
    }
  }
  EXPECT_EQ(ini.DBKind(), dbkOther);
  EXPECT_EQ(ini.SystemControlAddress(), "");
  EXPECT_EQ(ini.OtherSystemControlAddress(), "");
  EXPECT_FALSE(ini.SupportCallBack());
  EXPECT_EQ(Lines(ini.WorkDLLPaths()), std::vector<AnsiString>{FBase + "S_PKG/"});
}

// Guards against passwords staying scrambled (or the exchange password being
// unscrambled), addresses ignoring their own keys, and port texts as text.
TEST_F(HelmarINITest, ServerReadsEveryCell) {
  InstallServer(
      "[ProductVersion]\nVersion=7.1\n"
      "[DBE Setting]\nMainAlias=Main\nMainUserName=boss\nXXXXXX=b0986c\nMainDBType=oracle\n"
      "MainDBName=erp\nMainServerName=dbhost\nMainConnectionTimeOut=30\nMainCommandTimeOut=60\n"
      "SystemControlAddress=ctl1\nOtherSystemControlAddress= \n"
      "TempAlias=Tmp\nTempUserName=tmpuser\nTempPassword=b0986\nTempDBType=SQLITE\n"
      "TempDBName=tmp.db\nTempDriverName=SQLite3\nTempConnectionTimeOut=31\n"
      "TempCommandTimeOut=61\nDataBaseCodeOrder=Chinese_PRC_BIN\n"
      "EctAlias=Ect\nEctUserName=ectuser\nEctPassword=b0986c\n"
      "[DBPasswordCtrl]\nComputerName= pwhost \nServerPort=212\nClientSocketPort=2048\n"
      "SupportCallBack=Y\n"
      "[WorkDLLPath]\nS=Server\n");
  const THelmarIniS ini;
  EXPECT_EQ(ini.LastError(), "");
  EXPECT_EQ(ini.ProductVersion(), "7.1");
  const Variant& db = ini.DBSettings();
  const std::vector<std::vector<Variant>> expected = {
      {"Main", "boss", "abc", "oracle", "erp", "dbhost", int32_t{30}, int32_t{60}},
      {"Tmp", "tmpuser", "ab", "SQLITE", "tmp.db", "SQLite3", int32_t{31}, int32_t{61}},
      {"pwhost", int32_t{212}, int32_t{2048}, "Chinese_PRC_BIN", {}, {}, {}, {}},
      {"Ect", "ectuser", "b0986c", {}, {}, {}, {}, {}}};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 8; ++col) {
      SCOPED_TRACE(::testing::Message() << "cell (" << row << "," << col << ")");
      EXPECT_EQ(VarType(db(row, col)), VarType(expected[row][col]));
      EXPECT_EQ(VarToStr(db(row, col)), VarToStr(expected[row][col]));
    }
  }
  EXPECT_EQ(ini.DBKind(), dbkOracle);
  EXPECT_EQ(ini.SystemControlAddress(), "ctl1");
  EXPECT_EQ(ini.OtherSystemControlAddress(), "dbhost");
  EXPECT_TRUE(ini.SupportCallBack());
  EXPECT_EQ(Lines(ini.WorkDLLPaths()), std::vector<AnsiString>{FBase + "Server/"});
}

// Guards against a stored marker coming back as the password, and a broken
// password stopping the reader or hiding from the log.
TEST_F(HelmarINITest, ServerPasswordsEmptyMarkerAndError) {
  InstallServer("[DBE Setting]\nXXXXXX=" + ScramblePassword("") +
                "\nTempPassword=zz\nMainDBType=Db2\n");
  const THelmarIniS ini;
  EXPECT_EQ(ini.LastError(), "");
  EXPECT_EQ(ini.DBSettings()(0, 2).AsString(), "");
  EXPECT_EQ(ini.DBSettings()(1, 2).AsString(), HelmarPasswordError);
  EXPECT_EQ(ini.DBSettings()(1, 3).AsString(), "PARADOX");  // reading went on
  EXPECT_EQ(ini.DBKind(), dbkDB2);
  EXPECT_NE(ReadFileBytes(LogFile()).find("Exception is EConvertError"), AnsiString::npos);
}

using TKindRow = std::pair<std::string, int>;

class ServerDBKindTest : public THelmarInstall,
                         public ::testing::WithParamInterface<TKindRow> {};

// Guards against a case-sensitive compare and prefix matches.
TEST_P(ServerDBKindTest, ComesFromMainDBType) {
  InstallServer(std::string("[DBE Setting]\nMainDBType=") + GetParam().first + "\n");
  EXPECT_EQ(THelmarIniS().DBKind(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Table, ServerDBKindTest,
                         ::testing::Values(TKindRow{"ORACLE", 1}, TKindRow{"Oracle", 1},
                                           TKindRow{"DB2", 2}, TKindRow{"db2", 2},
                                           TKindRow{"MSSQL", 0}, TKindRow{"ORACLE8", 0},
                                           TKindRow{"", 0}),
                         [](const auto& info) { return RowName(info.index, info.param.first); });

// Guards against the server reader looking at "ClientPath" or building an
// empty array when reading stops early.
TEST_F(HelmarINITest, ServerStopsOnMissingKeyOrEmptyServerPath) {
  for (const bool keyPresent : {false, true}) {
    SCOPED_TRACE(keyPresent ? "empty ServerPath" : "no key");
    if (keyPresent) {
      WriteRegistry({"ClientPath=" + FBase, "ServerPath="});
    } else {
      WriteRegistry({});
    }
    FDir.WriteFile("helmar/HelmarS.ini", "[DBE Setting]\nMainAlias=Main\n");
    const THelmarIniS ini;
    EXPECT_EQ(ini.LastError(), keyPresent ? "" : "E;000015");
    EXPECT_EQ(ini.ServerPath(), "");
    EXPECT_EQ(ini.ProfileFile(), "");
    ASSERT_EQ(VarArrayDimCount(ini.DBSettings()), 2);
    EXPECT_TRUE(ini.DBSettings()(0, 0).IsEmpty());
    EXPECT_EQ(ini.WorkDLLPaths().Count(), 0);
  }
}

// Guards against the caller's list keeping old lines or sharing storage.
TEST_F(HelmarINITest, GetWorkDLLPathsReplacesCallersList) {
  InstallServer("[WorkDLLPath]\nA=/a\nB=/b\n");
  const THelmarIniS ini;
  TStringList list;
  list.Add("old");
  ini.GetWorkDLLPaths(list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"/a/", "/b/"}));
  list.Clear();
  EXPECT_EQ(ini.WorkDLLPaths().Count(), 2);
}

// Guards against profile reading depending on anything but the current
// files: a second reader sees a changed profile.
TEST_F(HelmarINITest, EveryReaderReadsAgain) {
  InstallClient("[Client Components]\nLangType=CHS\n");
  EXPECT_EQ(THelmarIniC().LangType(), "CHS");
  InstallClient("[Client Components]\nLangType=CHT\n");
  EXPECT_EQ(THelmarIniC().LangType(), "CHT");
}

}  // namespace
