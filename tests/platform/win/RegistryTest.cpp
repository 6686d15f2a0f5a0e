#include "platform/win/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/win/TempDir.h"

namespace {

// The registry file is UTF-8; narrow literals are compiled to GBK, so its
// Chinese text is written as escapes.
#define UTF8_ZHONGWEN "\xE4\xB8\xAD\xE6\x96\x87"  // 中文
#define UTF8_BING "\xE6\x98\x9E"                   // 昞

class RegistryTest : public testing::Test {
protected:
  // Points the registry at a file of this test, which need not exist yet.
  void Write(std::string_view text) { FDir.WriteFile("registry.ini", text); }
  std::string FileName() const { return FDir / "registry.ini"; }

  TTempDir FDir;
  TScopedEnv FRegistry{"KULR_REGISTRY", FDir / "registry.ini"};
  TScopedCodePage FCodePage{936};
};

constexpr std::string_view kHelmar =
    "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\n"
    "ClientPath=/opt/helmar/client/\n"
    "ServerPath = /opt/helmar/server/ \n"
    "ProfileType=1\n";

}  // namespace

// Guards against case-sensitive look-ups: the original's key paths and value
// names ignore case, and callers spell them in different ways.
TEST_F(RegistryTest, ReadsValuesIgnoringCaseOfKeysAndNames) {
  Write(kHelmar);
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\orlan\\helmar"));
  EXPECT_EQ(reg.ReadString("clientpath"), "/opt/helmar/client/");
  EXPECT_EQ(reg.ReadString("ServerPath"), "/opt/helmar/server/");  // trimmed
  EXPECT_TRUE(reg.ValueExists("PROFILETYPE"));
  reg.CloseKey();
  EXPECT_EQ(reg.ReadString("ClientPath"), "");
}

// Guards against a missing value or key reading as anything but "" / false,
// and against a failed open dropping the key that was open.
TEST_F(RegistryTest, MissingKeysFailAndMissingValuesReadEmpty) {
  Write(kHelmar);
  TRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\ORLAN\\Helmar"));
  EXPECT_EQ(reg.ReadString("NoSuchValue"), "");
  EXPECT_FALSE(reg.ValueExists("NoSuchValue"));
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\PELK\\Wendrel"));
  EXPECT_EQ(reg.ReadString("ProfileType"), "1");

  TRegistry user(HKEY_CURRENT_USER);  // same path, other root
  EXPECT_FALSE(user.OpenKeyReadOnly("Software\\ORLAN\\Helmar"));
}

// Guards against parents of a written key being reported missing, and a
// name prefix ("ORL" of "ORLAN") being taken for a parent.
TEST_F(RegistryTest, KeysExistAboveWrittenKeysOnly) {
  Write(kHelmar);
  TRegistry reg(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(reg.KeyExists("Software"));
  EXPECT_TRUE(reg.KeyExists("software\\ORLAN\\"));
  EXPECT_FALSE(reg.KeyExists("Software\\ORL"));
  EXPECT_FALSE(reg.KeyExists("Software\\ORLAN\\Helmar\\Sub"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\ORLAN"));  // implied key: open, no values
  EXPECT_TRUE(reg.GetValueNames().empty());
}

// Guards against relative paths being taken from the root while a key is
// open, which would open the wrong key.
TEST_F(RegistryTest, RelativePathsStartAtTheOpenKey) {
  Write(kHelmar);
  TRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("ORLAN\\Helmar"));
  EXPECT_EQ(reg.CurrentPath(), "Software\\ORLAN\\Helmar");
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software"));  // relative: ...\Helmar\Software
  EXPECT_TRUE(reg.OpenKeyReadOnly("\\Software"));
  EXPECT_EQ(reg.CurrentPath(), "Software");
}

// Guards against the default value being unreachable: object creation reads
// InprocServer32's default value; "@" and an empty name both write it.
TEST_F(RegistryTest, DefaultValueHasTheEmptyName) {
  Write("[HKCR\\Demo.Server\\InprocServer32]\n"
        "@=/opt/lib/libdemo.so\n"
        "ThreadingModel=Apartment\n"
        "[HKCR\\Other\\InprocServer32]\n"
        "=/opt/lib/libother.so\n");
  TRegistry reg(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Demo.Server\\InprocServer32"));
  EXPECT_EQ(reg.ReadString(""), "/opt/lib/libdemo.so");
  EXPECT_EQ(reg.GetValueNames(), (std::vector<AnsiString>{"", "ThreadingModel"}));
  TStringList names;
  reg.GetValueNames(names);
  EXPECT_EQ(names.Count(), 2);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Other\\InprocServer32"));
  EXPECT_EQ(reg.ReadString(""), "/opt/lib/libother.so");
}

// Guards against comment and quote handling that cuts values: ";" inside a
// value is data, only a line that starts with ";" or "#" is a comment.
TEST_F(RegistryTest, ReadsCommentsQuotesBomAndCrLf) {
  Write("\xEF\xBB\xBF; the registry of this machine\r\n"
        "\r\n"
        "  [HKEY_LOCAL_MACHINE\\Software\\X]  \r\n"
        "# a comment\r\n"
        "List=a;b;#c\r\n"
        "Padded=\"  kept  \"\r\n"
        "\"Quoted Name\"=1\r\n");
  TRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\X"));
  EXPECT_EQ(reg.ReadString("List"), "a;b;#c");
  EXPECT_EQ(reg.ReadString("Padded"), "  kept  ");
  EXPECT_EQ(reg.ReadString("Quoted Name"), "1");
  EXPECT_EQ(reg.GetValueNames().size(), 3u);
}

// Guards against UTF-8 bytes from the file reaching callers that expect the
// system code page (a Chinese folder would name the wrong folder), and a
// key path being split at the 0x5C trail byte of a GBK character.
TEST_F(RegistryTest, ValuesComeOutInTheSystemCodePage) {
  Write("[HKLM\\Software\\ORLAN\\Helmar]\n"
        "ClientPath=/opt/" UTF8_ZHONGWEN "/\n"
        "[HKLM\\Software\\" UTF8_BING "\\Sub]\n"
        UTF8_ZHONGWEN "=x\n");
  TRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\ORLAN\\Helmar"));
  EXPECT_EQ(reg.ReadString("ClientPath"), "/opt/\xD6\xD0\xCE\xC4/");  // GBK 中文
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\\x95\x5C\\Sub"));   // GBK 昞
  EXPECT_EQ(reg.GetValueNames(), std::vector<AnsiString>{"\xD6\xD0\xCE\xC4"});
  EXPECT_EQ(reg.ReadString("\xD6\xD0\xCE\xC4"), "x");
}

// Guards against a broken file being half read (keys after the fault would
// read as missing) or crashing; the error must name the file and the line.
TEST_F(RegistryTest, MalformedFileNamesFileAndLine) {
  struct TRow {
    const char* Name;
    std::string Text;
    int Line;
  } rows[] = {
      {"value before any section", "Name=1\n[HKLM\\A]\n", 1},
      {"line without =", "[HKLM\\A]\nok=1\njust text\n", 3},
      {"unknown root", "; c\n[HKEY_NOWHERE\\A]\n", 2},
      {"empty section", "[]\n", 1},
      {"section without ]", "[HKLM\\A\n", 1},
      {"value given twice", "[HKLM\\A]\nX=1\nx=2\n", 3},
      {"value twice over two sections", "[HKLM\\A]\nX=1\n[HKLM\\a]\nX=2\n", 4},
      {"not UTF-8", "[HKLM\\A]\nX=\xD6\xD0\n", 2},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    Write(row.Text);
    TRegistry reg(HKEY_LOCAL_MACHINE);
    try {
      reg.OpenKeyReadOnly("A");
      ADD_FAILURE() << "no exception";
    } catch (const EReadError& e) {
      const std::string where = FileName() + ":" + std::to_string(row.Line) + ":";
      EXPECT_NE(e.Message().find(where), std::string::npos) << e.Message();
    }
  }
}

// Guards against a missing file being an error (a machine without settings
// is normal) and an unreadable one passing for an empty registry.
TEST_F(RegistryTest, MissingFileIsEmptyButUnreadableFileRaises) {
  TRegistry reg(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software"));
  EXPECT_TRUE(reg.KeyExists(""));  // the root itself

  TScopedEnv folder("KULR_REGISTRY", FDir.Path());  // a folder, not a file
  EXPECT_THROW(reg.OpenKeyReadOnly("Software"), EReadError);
}

// Guards against a cached copy hiding a change to the file.
TEST_F(RegistryTest, ChangesShowAtTheNextOpen) {
  Write("[HKLM\\A]\nX=1\n");
  TRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("A"));
  Write("[HKLM\\A]\nX=2\n");
  EXPECT_EQ(reg.ReadString("X"), "1");  // the open key keeps what it read
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\A"));
  EXPECT_EQ(reg.ReadString("X"), "2");
}

// Guards against the configuration folder being ignored when KULR_REGISTRY
// is not set.
TEST_F(RegistryTest, FindsTheFileInTheConfigurationFolder) {
  TScopedEnv unset("KULR_REGISTRY", std::nullopt);
  TScopedEnv config("XDG_CONFIG_HOME", FDir.Path());
  FDir.WriteFile("kulr31/registry.ini", "[HKLM\\A]\nX=xdg\n");
  EXPECT_EQ(TRegistryFile::Location(), FDir / "kulr31/registry.ini");
  TRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("A"));
  EXPECT_EQ(reg.ReadString("X"), "xdg");

  TScopedEnv relative("XDG_CONFIG_HOME", "relative/folder");  // invalid: ignored
  TScopedEnv home("HOME", FDir.Path());
  EXPECT_EQ(TRegistryFile::Location(), FDir / ".config/kulr31/registry.ini");
}
