#include "platform/win/SystemInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Paths.h"
#include "platform/win/Platform.h"
#include "platform/win/Registry.h"
#include "platform/win/TempDir.h"

// Guards against over-long names (the original's buffer holds 15
// characters) and a domain part passing for the machine's name.
TEST(SystemInfoTest, ComputerNameIsShortHostPart) {
  const AnsiString name = GetComputerName();
  ASSERT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
  EXPECT_EQ(name.find('.'), AnsiString::npos);
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') {
    std::string expected(host);
    expected = expected.substr(0, expected.find('.')).substr(0, 15);
    EXPECT_EQ(name, expected);
  }
}

// Guards against temporary paths without a separator: callers append a file
// name directly.
TEST(SystemInfoTest, TempPathEndsWithSlash) {
  const struct {
    const char* Name;
    std::optional<std::string> TmpDir;
    AnsiString Expected;
  } rows[] = {
      {"unset", std::nullopt, "/tmp/"},
      {"empty", "", "/tmp/"},
      {"without slash", "/var/tmp", "/var/tmp/"},
      {"with slash", "/var/tmp/", "/var/tmp/"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TScopedEnv tmp("TMPDIR", row.TmpDir);
    EXPECT_EQ(GetTempPath(), row.Expected);
  }
}

// Guards against the executable's path being given where the runtime
// library's is asked for (the program code is derived from it).
TEST(SystemInfoTest, ModuleFileNameNamesTheModuleOfTheAddress) {
  const AnsiString runtime = GetModuleFileName(reinterpret_cast<const void*>(&GetComputerName));
  EXPECT_EQ(ExtractFileName(runtime), "libkulrrt.so");
  EXPECT_EQ(runtime.front(), '/');
  EXPECT_TRUE(FileExists(runtime));

  static int local = 0;
  EXPECT_EQ(GetModuleFileName(&local), GetHostExecutable());
  EXPECT_THROW(GetModuleFileName(nullptr), EOSError);
}

// Guards against a host folder without its trailing "/" or pointing at the
// current folder instead of the executable's.
TEST(SystemInfoTest, HostExecutableAndFolder) {
  const AnsiString exe = GetHostExecutable();
  EXPECT_EQ(ExtractFileName(exe), "win_tests");
  EXPECT_EQ(GetHostExeDir(), ExtractFilePath(exe));
  EXPECT_EQ(GetHostExeDir().back(), '/');
}

// Guards against a version text that is not three numbers.
TEST(SystemInfoTest, OSVersionIsThreeNumbers) {
  const AnsiString version = GetOSVersionText();
  int dots = 0;
  for (char c : version) {
    if (c == '.') ++dots;
    else EXPECT_TRUE(c >= '0' && c <= '9') << version;
  }
  EXPECT_EQ(dots, 2) << version;
  EXPECT_NE(version, "0.0.0");
}

// Guards against reading the first argument instead of the last, or an
// empty answer for a process without arguments.
TEST(SystemInfoTest, LastCommandLineArgIsNotEmpty) {
  const AnsiString last = GetLastCommandLineArg();
  // The test runner passes --gtest_filter or nothing: either way the answer
  // is the last element, which for no arguments is the program itself.
  EXPECT_FALSE(last.empty());
  if (last.rfind("--", 0) != 0) {
    EXPECT_EQ(ExtractFileName(last), "win_tests");
  }
}

// Guards against a user name that is empty when the user database answers.
TEST(SystemInfoTest, LogonUserNameIsKnown) { EXPECT_FALSE(GetLogonUserName().empty()); }

namespace {

class CodePageSettingTest : public testing::Test {
protected:
  void Write(std::string_view acp) {
    FDir.WriteFile("registry.ini",
                   "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage]\n"
                   "ACP=" + std::string(acp) + "\n");
  }

  TTempDir FDir;
  TScopedEnv FRegistry{"KULR_REGISTRY", FDir / "registry.ini"};
  TScopedEnv FLocale{"LC_ALL", "zh_CN.GBK"};
  TScopedCodePage FRestore{SystemCodePage()};
};

}  // namespace

// Guards against a wrong or unusable code page from the registry winning,
// and against a broken registry stopping every text conversion.
TEST_F(CodePageSettingTest, RegistryCodePageAcceptsSupportedNumbersOnly) {
  const struct {
    const char* Name;
    std::string Acp;
    int Expected;
  } rows[] = {
      {"big5", "950", 950},        {"latin", " 1252 ", 1252},   {"not a number", "abc", 0},
      {"unknown page", "99999", 0}, {"negative", "-936", 0},     {"empty", "", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Write(row.Acp);
    EXPECT_EQ(RegistryCodePage(), row.Expected);
  }
  FDir.WriteFile("registry.ini", "no section here\n");
  EXPECT_EQ(RegistryCodePage(), 0);
  std::filesystem::remove(FDir / "registry.ini");
  EXPECT_EQ(RegistryCodePage(), 0);
}

// Guards against InitializePlatform leaving the locale's code page in force
// when the registry names another, or failing to fall back when it names none.
TEST_F(CodePageSettingTest, InitializePlatformResolvesFromTheRegistry) {
  Write("950");
  InitializePlatform();
  EXPECT_EQ(GetACP(), 950);

  Write("x");
  InitializePlatform();
  EXPECT_EQ(GetACP(), 936);  // LC_ALL zh_CN.GBK
  SetSystemCodePageResolver(nullptr);
}
