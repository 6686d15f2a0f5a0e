#include "env/GeneratorLog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/win/Paths.h"
#include "platform/win/TempDir.h"

namespace {

const std::string kDashes = "----------------------------------";
// "讯息信息:" in GBK.
const std::string kHeader = "\xD1\xB6\xCF\xA2\xD0\xC5\xCF\xA2:";

// A database engine error as the data layer will raise it.
class ETestDBEngineError : public Exception, public IDBEngineErrorInfo {
public:
  ETestDBEngineError(std::vector<std::pair<int, AnsiString>> errors)
      : Exception("engine failed"), FErrors(std::move(errors)) {}
  const char* ClassName() const override { return "EDBEngineError"; }
  int ErrorCount() const override { return static_cast<int>(FErrors.size()); }
  int SubErrorCode(int index) const override { return FErrors.at(index).first; }
  AnsiString SubErrorMessage(int index) const override { return FErrors.at(index).second; }

private:
  std::vector<std::pair<int, AnsiString>> FErrors;
};

// The client installation "client/" in a temporary folder, named by a
// registry file of its own, and a frozen clock.
class TGeneratorLogInstall : public ::testing::Test {
protected:
  TGeneratorLogInstall()
      : FRegistry("KULR_REGISTRY", FDir / "registry.ini"),
        FTemp("TMPDIR", FDir / "tmp"),
        FCodePage(936),
        FClient(FDir / "client/") {
    RestoreDefaultFormatSettings();
    SetTestClock(ComposeDateTime(EncodeDate(2026, 12, 11), EncodeTime(10, 20, 30, 0)));
    WriteRegistry("ClientPath=" + FClient + "\n");
  }
  ~TGeneratorLogInstall() override {
    ClearTestClock();
    RestoreDefaultFormatSettings();
  }

  void WriteRegistry(const std::string& values) {
    FDir.WriteFile("registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\n" + values);
  }
  std::string LogFile(const std::string& folder = "", const char* date = "20261211") const {
    return (folder.empty() ? FClient : folder) + "Log/Alert_BriskGenerator_" + date + ".log";
  }
  // Each line with the stamp of the frozen clock and CR LF.
  static std::string Records(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "[2026/12/11 10:20:30] " + line + "\r\n";
    return text;
  }

  TTempDir FDir;
  TScopedEnv FRegistry;
  TScopedEnv FTemp;
  TScopedCodePage FCodePage;
  const std::string FClient;
};

using GeneratorLogTest = TGeneratorLogInstall;

// ---- LogGeneratorError: one entry per error class ----

struct TEntryRow {
  const char* Name;
  std::function<std::unique_ptr<Exception>()> MakeError;  // null: no error
  const char* Where;
  const char* ProgrammerMessage;
  std::vector<std::string> Lines;
};

void PrintTo(const TEntryRow& row, std::ostream* os) { *os << row.Name; }

class LogGeneratorErrorTest : public TGeneratorLogInstall,
                              public ::testing::WithParamInterface<TEntryRow> {};

// Guards against a changed layout (texts, numbering, counts, the CR LF inside
// the general line) and against messages being used as format strings.
TEST_P(LogGeneratorErrorTest, WritesEntryByteForByte) {
  const TEntryRow& row = GetParam();
  const std::unique_ptr<Exception> error = row.MakeError ? row.MakeError() : nullptr;
  LogGeneratorError(error.get(), row.Where, row.ProgrammerMessage);
  EXPECT_EQ(ReadFileBytes(LogFile()), Records(row.Lines));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LogGeneratorErrorTest,
    ::testing::Values(
        TEntryRow{"ConversionError",
                  [] { return std::make_unique<EConvertError>("'abc' is not a valid integer value"); },
                  "x", "y",
                  {kDashes + " on x " + kDashes, kHeader,
                   "Exception is EConvertError\r\nMessage 01: 'abc' is not a valid integer value",
                   "ErrorMessage Count: 1", "Programer Message: y"}},
        TEntryRow{"PercentWrittenUnchanged",
                  [] { return std::make_unique<Exception>("100% of %s and %d"); }, "at %s",
                  "%.2d%%",
                  {kDashes + " on at %s " + kDashes, kHeader,
                   "Exception is Exception\r\nMessage 01: 100% of %s and %d",
                   "ErrorMessage Count: 1", "Programer Message: %.2d%%"}},
        TEntryRow{"InOutError",
                  [] { return std::make_unique<EInOutError>("Disk full %d", 112); }, "Save", "",
                  {kDashes + " on Save " + kDashes, kHeader,
                   "EInOutError Error 01: Code: 112, Message: Disk full %d",
                   "ErrorMessage Count: 1"}},
        TEntryRow{"OSErrorIsWindowsError",
                  [] { return std::make_unique<EOSError>("Access denied", 5); }, "", "",
                  {kDashes + kDashes, kHeader, "EWin32Error Error 01: Code: 5, Message: Access denied",
                   "ErrorMessage Count: 1"}},
        TEntryRow{"NegativeCode",
                  [] { return std::make_unique<EOSError>("odd", -2147467259); }, "", "",
                  {kDashes + kDashes, kHeader,
                   "EWin32Error Error 01: Code: -2147467259, Message: odd",
                   "ErrorMessage Count: 1"}},
        TEntryRow{"DerivedClassNamesItself",
                  [] { return std::make_unique<EPathConvertError>("bad path"); }, "", "",
                  {kDashes + kDashes, kHeader, "Exception is EPathConvertError\r\nMessage 01: bad path",
                   "ErrorMessage Count: 1"}},
        TEntryRow{"EngineErrorListsSubErrors",
                  [] {
                    return std::make_unique<ETestDBEngineError>(
                        std::vector<std::pair<int, AnsiString>>{{10024, "Lock %s"}, {9, "gone"}});
                  },
                  "Open", "",
                  {kDashes + " on Open " + kDashes, kHeader,
                   "EDBEngineError Error 01: Code: 10024, Message: Lock %s",
                   "EDBEngineError Error 02: Code: 9, Message: gone", "ErrorMessage Count: 2"}},
        TEntryRow{"EngineErrorWithoutSubErrors",
                  [] {
                    return std::make_unique<ETestDBEngineError>(
                        std::vector<std::pair<int, AnsiString>>{});
                  },
                  "", "", {kDashes + kDashes, kHeader, "ErrorMessage Count: 0"}},
        TEntryRow{"NoErrorOnlySeparatorAndMessage", nullptr, "Where", "Why",
                  {kDashes + " on Where " + kDashes, "Programer Message: Why"}},
        TEntryRow{"WhereOfBlanksLeavesOutOn", nullptr, "   ", "m",
                  {kDashes + kDashes, "Programer Message: m"}},
        TEntryRow{"WhereKeptUntrimmed", nullptr, " w ", "", {kDashes + " on  w  " + kDashes}},
        TEntryRow{"BlankProgrammerMessageLeftOut", nullptr, "", " \t ", {kDashes + kDashes}},
        TEntryRow{"GbkTextsKept",
                  // "中文" in GBK, in where, message and programmer message.
                  [] { return std::make_unique<Exception>("\xD6\xD0\xCE\xC4"); }, "\xD6\xD0",
                  "\xCE\xC4",
                  {kDashes + " on \xD6\xD0 " + kDashes, kHeader,
                   "Exception is Exception\r\nMessage 01: \xD6\xD0\xCE\xC4", "ErrorMessage Count: 1",
                   "Programer Message: \xCE\xC4"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- WriteGeneratorLog ----

// Guards against records overwriting each other and against a missing
// CR LF between them.
TEST_F(GeneratorLogTest, AppendsRecordsAndCreatesFolders) {
  EXPECT_TRUE(WriteGeneratorLog("first"));
  EXPECT_TRUE(WriteGeneratorLog(""));
  EXPECT_TRUE(WriteGeneratorLog("line\r\nbreak"));
  EXPECT_EQ(ReadFileBytes(LogFile()), Records({"first", "", "line\r\nbreak"}));
}

// Guards against the stamp ignoring the format settings, leaving out the
// time at midnight, or the file name using anything but the local date.
TEST_F(GeneratorLogTest, StampFollowsFormatSettingsAndDateNamesFile) {
  FormatSettings.DateSeparator = '-';
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.TimeSeparator = '.';
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  SetTestClock(EncodeDate(2027, 1, 2));
  EXPECT_TRUE(WriteGeneratorLog("midnight"));
  EXPECT_EQ(ReadFileBytes(LogFile("", "20270102")), "[02-01-2027 00.00.00] midnight\r\n");
}

// Guards against an unwritable log raising into a caller that is already
// handling an error.
TEST_F(GeneratorLogTest, UnwritableLogGivesFalseAndRaisesNothing) {
  // The installation folder is a file: no "Log" folder can be made below it.
  FDir.WriteFile("client", "not a folder");
  EXPECT_FALSE(WriteGeneratorLog("lost"));
  const EInOutError error("x", 1);
  EXPECT_NO_THROW(LogGeneratorError(&error, "w", "p"));
}

// Guards against a log folder that holds a file named like the log.
TEST_F(GeneratorLogTest, LogFileThatIsAFolderGivesFalse) {
  ASSERT_TRUE(ForceDirectories(LogFile()));
  EXPECT_FALSE(WriteGeneratorLog("lost"));
}

// ---- The log folder ----

struct TFolderRow {
  const char* Name;
  std::optional<std::string> Registry;  // file text; "~" stands for the temporary folder
  const char* Expected;                 // "~" likewise
};

void PrintTo(const TFolderRow& row, std::ostream* os) { *os << row.Name; }

class GeneratorLogFolderTest : public ::testing::TestWithParam<TFolderRow> {
protected:
  TTempDir FDir;
  TScopedEnv FRegistry{"KULR_REGISTRY", FDir / "registry.ini"};
  TScopedEnv FTemp{"TMPDIR", FDir / "tmp"};
};

std::string Expand(const std::string& text, const std::string& dir) {
  std::string result;
  for (char c : text) result += c == '~' ? dir : std::string(1, c);
  return result;
}

// Guards against the fallbacks being taken in the wrong order and against a
// broken registry stopping the log.
TEST_P(GeneratorLogFolderTest, FallsBackInOrder) {
  const TFolderRow& row = GetParam();
  if (row.Registry) FDir.WriteFile("registry.ini", Expand(*row.Registry, FDir.Path()));
  const std::string expected = Expand(row.Expected, FDir.Path());
  EXPECT_EQ(GetGeneratorLogFolder(), expected);
  TScopedCodePage codePage(936);
  SetTestClock(EncodeDate(2026, 12, 11));
  EXPECT_TRUE(WriteGeneratorLog("x"));
  ClearTestClock();
  EXPECT_TRUE(FileExists(IncludeTrailingPathDelimiter(expected) +
                         "Log/Alert_BriskGenerator_20261211.log"));
}

const char kKey[] = "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\n";

INSTANTIATE_TEST_SUITE_P(
    Table, GeneratorLogFolderTest,
    ::testing::Values(
        TFolderRow{"ClientPath", std::string(kKey) + "ClientPath=~/c/\nServerPath=~/s/\n",
                   "~/c/"},
        TFolderRow{"ClientPathWithoutDelimiter", std::string(kKey) + "ClientPath=~/c\n", "~/c"},
        TFolderRow{"ServerPathWhenClientPathEmpty",
                   std::string(kKey) + "ClientPath=\nServerPath=~/s/\n", "~/s/"},
        TFolderRow{"TempFolderWhenBothEmpty", std::string(kKey) + "ClientPath=\n", "~/tmp/"},
        TFolderRow{"TempFolderWithoutKey", "[HKEY_LOCAL_MACHINE\\Software]\nx=1\n", "~/tmp/"},
        TFolderRow{"TempFolderWithoutRegistryFile", std::nullopt, "~/tmp/"},
        TFolderRow{"TempFolderWhenRegistryBroken", "no section line\n", "~/tmp/"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against an unset temporary folder giving "" (a log in the current
// folder) instead of the system's.
TEST(GeneratorLogFolderFallbackTest, WithoutKeyOrTmpDirIsSlashTmp) {
  TTempDir dir;
  TScopedEnv registry("KULR_REGISTRY", dir / "none.ini");
  TScopedEnv temp("TMPDIR", std::nullopt);
  EXPECT_EQ(GetGeneratorLogFolder(), "/tmp/");
}

}  // namespace
