#include "platform/win/IniFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/win/Paths.h"
#include "platform/win/TempDir.h"

// GBK bytes from iconv -f UTF-8 -t CP936: "\xB0\x41" is 癆 and "\xB0\x61" is
// 癮 (trail bytes "A" and "a": two different characters), "\x95\x5C" is 昞,
// "\xB0\x5D" is 癩 (trail byte "]"), "\xD6\xD0\xCE\xC4" is 中文.
namespace {

std::vector<AnsiString> Lines(const TStrings& strings) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < strings.Count(); ++i) lines.push_back(strings.Strings(i));
  return lines;
}

// One profile with every rule in it; CR LF and LF line ends mixed.
const char* const kProfile =
    "; leading comment\r\n"
    "Orphan=before any section\r\n"
    "[Server]\r\n"
    "ComputerName=hostA;hostB\r\n"
    "  ServerPort = 211 \r\n"
    ";Commented=1\n"
    "  ; indented comment\n"
    "Quoted=\"  spaced  \"\n"
    "HalfQuoted=\"abc\n"
    "Empty=\n"
    "Dup=first\n"
    "DUP=second\n"
    "garbage line without equals\n"
    "=no name\n"
    "\x01\x02\xFF\n"
    "[ server ]\n"
    "Extra=merged\n"
    "Dup=third\n"
    "[Broken\n"
    "Lost=1\n"
    "[Ports]\n"
    "Hex=$1F\n"
    "CHex=0x1f\n"
    "Neg=-5\n"
    "Bad=12abc\n"
    "Big=99999999999\n"
    "Bool1=1\n"
    "Bool0=0\n"
    "BoolT=TRUE\n"
    "BoolNo=no\n"
    "[\xD6\xD0\xCE\xC4]\n"
    "\xB0\x41=upper\n"
    "\xB0\x61=lower\n"
    "\x95\x5C=bing\n"
    "[\xB0\x5D] \n"
    "Trail=bracket\n"
    "[WorkDLLPath]\n"
    "A=/opt/a\n"
    "B = /opt/b\n";

class IniFilesTest : public testing::Test {
protected:
  TScopedCodePage FCodePage{936};
  TIniFile FIni = TIniFile::FromText(kProfile, "HelmarC.ini");
};

}  // namespace

// Guards against the classic profile-reading faults: ";" cutting a host list,
// case-sensitive names, untrimmed values, quotes kept, a later duplicate
// winning, lines of a broken section landing in the section above.
TEST_F(IniFilesTest, ReadStringFollowsTheProfileRules) {
  struct TRow {
    const char* Name;
    const char* Section;
    const char* Key;
    AnsiString Expected;
  } rows[] = {
      {"semicolon inside value", "Server", "ComputerName", "hostA;hostB"},
      {"names ignore case", "SERVER", "computername", "hostA;hostB"},
      {"name and value trimmed", "Server", "ServerPort", "211"},
      {"comment line", "Server", ";Commented", "<default>"},
      {"quotes stripped, blanks inside kept", "Server", "Quoted", "  spaced  "},
      {"one quote is data", "Server", "HalfQuoted", "\"abc"},
      {"empty value is a value", "Server", "Empty", ""},
      {"first duplicate wins", "Server", "Dup", "first"},
      {"repeated section continues the first", "Server", "Extra", "merged"},
      {"lines before any section ignored", "", "Orphan", "<default>"},
      {"broken section is no section", "Broken", "Lost", "<default>"},
      {"broken section lines not filed above", "Server", "Lost", "<default>"},
      {"empty name skipped", "Server", "", "<default>"},
      {"trail byte A is not a", "\xD6\xD0\xCE\xC4", "\xB0\x41", "upper"},
      {"trail byte a is not A", "\xD6\xD0\xCE\xC4", "\xB0\x61", "lower"},
      {"trail byte 0x5C in a key", "\xD6\xD0\xCE\xC4", "\x95\x5C", "bing"},
      {"trail byte ] in a section", "\xB0\x5D", "Trail", "bracket"},
      {"missing section", "Nowhere", "A", "<default>"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(FIni.ReadString(row.Section, row.Key, "<default>"), row.Expected);
  }
}

// Guards against lenient number parsing ("12abc" as 12), overflow wrapping,
// and the original's hex forms being refused.
TEST_F(IniFilesTest, ReadIntegerTakesDecimalAndHexElseDefault) {
  struct TRow {
    const char* Section;
    const char* Key;
    int Expected;
  } rows[] = {
      {"Server", "ServerPort", 211}, {"Ports", "Hex", 31},       {"Ports", "CHex", 31},
      {"Ports", "Neg", -5},          {"Ports", "Bad", 7},        {"Ports", "Big", 7},
      {"Server", "Empty", 7},        {"Ports", "Missing", 7},    {"Server", "ComputerName", 7},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Key);
    EXPECT_EQ(FIni.ReadInteger(row.Section, row.Key, 7), row.Expected);
  }
}

// Guards against unreadable booleans silently reading as false.
TEST_F(IniFilesTest, ReadBoolTakesNumbersAndTrueFalse) {
  EXPECT_TRUE(FIni.ReadBool("Ports", "Bool1", false));
  EXPECT_FALSE(FIni.ReadBool("Ports", "Bool0", true));
  EXPECT_TRUE(FIni.ReadBool("Ports", "BoolT", false));
  EXPECT_TRUE(FIni.ReadBool("Ports", "BoolNo", true));
  EXPECT_FALSE(FIni.ReadBool("Ports", "BoolNo", false));
  EXPECT_TRUE(FIni.ReadBool("Ports", "Missing", true));
}

// Guards against the section read losing the name=value form (the
// [WorkDLLPath] lines are used as "name=folder") or its order.
TEST_F(IniFilesTest, ReadsSectionsKeysAndNameValueLines) {
  TStringList list;
  FIni.ReadSectionValues("workdllpath", list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"A=/opt/a", "B=/opt/b"}));
  EXPECT_EQ(list.Values("B"), "/opt/b");

  FIni.ReadSection("Server", list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"ComputerName", "ServerPort", "Quoted",
                                                   "HalfQuoted", "Empty", "Dup", "Extra"}));
  FIni.ReadSections(list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"Server", "Ports", "\xD6\xD0\xCE\xC4",
                                                   "\xB0\x5D", "WorkDLLPath"}));
  FIni.ReadSection("Nowhere", list);
  EXPECT_EQ(list.Count(), 0);  // cleared, not left with the sections

  EXPECT_TRUE(FIni.SectionExists("ports"));
  EXPECT_FALSE(FIni.SectionExists("Broken"));
  EXPECT_TRUE(FIni.ValueExists("Server", "empty"));
  EXPECT_FALSE(FIni.ValueExists("Server", "Lost"));
}

// Guards against a missing or unreadable profile raising instead of reading
// as all defaults.
TEST_F(IniFilesTest, MissingOrUnreadableFileReadsDefaults) {
  TTempDir dir;
  for (const AnsiString& name : {FromNativePath(dir / "missing.ini"), FromNativePath(dir.Path()),
                                 AnsiString("\x81\x20.ini"), AnsiString()}) {
    SCOPED_TRACE(testing::PrintToString(name));
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("Server", "ServerPort", "x"), "x");
    EXPECT_EQ(ini.ReadInteger("Server", "ServerPort", 211), 211);
    EXPECT_FALSE(ini.SectionExists("Server"));
  }
}

// Guards against the file's bytes being converted when they are already in
// the system code page, and against a UTF-8 profile reaching callers as UTF-8.
TEST_F(IniFilesTest, ReadsTheFileInTheSystemCodePageOrUtf8WithBom) {
  TTempDir dir;
  const std::string ansi = dir.WriteFile("ansi.ini", "[A]\nPath=/opt/\xD6\xD0\xCE\xC4/\n");
  const std::string utf8 =
      dir.WriteFile("utf8.ini", "\xEF\xBB\xBF[A]\r\nPath=/opt/\xE4\xB8\xAD\xE6\x96\x87/\r\n");
  EXPECT_EQ(TIniFile(FromNativePath(ansi)).ReadString("A", "Path", ""), "/opt/\xD6\xD0\xCE\xC4/");
  EXPECT_EQ(TIniFile(FromNativePath(utf8)).ReadString("A", "Path", ""), "/opt/\xD6\xD0\xCE\xC4/");
}

// Guards against written values not reading back as written (blanks at the
// ends need quotes) and against an update losing other sections.
TEST_F(IniFilesTest, WritesAndReadsBack) {
  TTempDir dir;
  const AnsiString name = FromNativePath(dir / "out.ini");
  TIniFile ini = TIniFile::FromText("[Server]\nServerPort=211\n[Other]\nX=1\n", name);
  ini.WriteString("server", "SERVERPORT", "212");
  ini.WriteString("Server", "Padded", " a ");
  ini.WriteString("Server", "Quotes", "\"q\"");
  ini.WriteString("New", "\xD6\xD0", "\x95\x5C");
  ini.UpdateFile();

  TIniFile back(name);
  EXPECT_EQ(back.ReadInteger("Server", "ServerPort", 0), 212);
  EXPECT_EQ(back.ReadString("Server", "Padded", ""), " a ");
  EXPECT_EQ(back.ReadString("Server", "Quotes", ""), "\"q\"");
  EXPECT_EQ(back.ReadString("Other", "X", ""), "1");
  EXPECT_EQ(back.ReadString("new", "\xD6\xD0", ""), "\x95\x5C");

  TIniFile nowhere = TIniFile::FromText("", FromNativePath(dir / "no/such/folder.ini"));
  EXPECT_THROW(nowhere.UpdateFile(), EInOutError);
}
