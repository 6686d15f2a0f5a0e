// The application server's store: schemes and jobs kept across a reopen,
// job numbers never handed out twice, the rights table, and where the store
// file comes from.
#include "appserver/AppServerStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "AppServerTestSupport.h"
#include "platform/rtl/VariantPrint.h"

namespace {

// Runs fixed SQL on the file through a connection of its own, as another
// tool would.
void ExecOnFile(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int code = sqlite3_exec(db, sql, nullptr, nullptr, &error);
  EXPECT_EQ(code, SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

class AppServerStoreTest : public ::testing::Test {
protected:
  TAppServerInstall FInstall;
};

TSchemeRecord Scheme(const AnsiString& name, const AnsiString& creator,
                     const AnsiString& programme) {
  return TSchemeRecord{{name, creator, programme}, "sp01.style;ed01.text", "sp_Range\x03" "a\x03" "b\r\n",
                       "20261211"};
}

// Guards against schemes living only in memory, or a changed byte in a GBK
// name or value text on the way through the database.
TEST_F(AppServerStoreTest, SchemesSurviveReopenByteForByte) {
  // 方案一 in GBK, and a value text with the #1, #3 and #4 separators
  const AnsiString name = "\xB7\xBD\xB0\xB8\xD2\xBB";
  TSchemeRecord scheme = Scheme(name, "boss", "KULR31");
  scheme.Values = AnsiString("sp_Discrete\x03" "A\x01" "a1\x04\r\n\x00\xFF", 21);
  {
    TAppServerStore store(FInstall.Config());
    ASSERT_TRUE(store.SaveScheme(scheme, false));
    ASSERT_TRUE(store.SaveScheme(Scheme("other", "boss", "KULR31"), false));
    ASSERT_EQ(store.RenameScheme({"other", "boss", "KULR31"}, "renamed"), TRenameResult::Renamed);
  }
  TAppServerStore store(FInstall.Config());
  const std::vector<TSchemeRecord> rows = store.Schemes("boss", "KULR31");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Key.Name, "renamed");  // ordered by name bytes: 0x72 < 0xB7
  EXPECT_PRED_FORMAT2(AssertSameBytes, name, rows[1].Key.Name);
  EXPECT_PRED_FORMAT2(AssertSameBytes, scheme.Values, rows[1].Values);
  EXPECT_EQ(rows[1].Props, scheme.Props);
  EXPECT_EQ(rows[1].CreateDate, "20261211");
  EXPECT_TRUE(store.DeleteScheme({"renamed", "boss", "KULR31"}));
  TAppServerStore again(FInstall.Config());
  EXPECT_EQ(again.Schemes("boss", "KULR31").size(), 1u);
}

// Guards against a save that silently overwrites, a rename onto an existing
// name, and schemes of one user or program leaking into another's list.
TEST_F(AppServerStoreTest, SchemeKeysAreNameUserAndProgram) {
  TAppServerStore store(FInstall.Config());
  ASSERT_TRUE(store.SaveScheme(Scheme("a", "boss", "KULR31"), false));
  ASSERT_TRUE(store.SaveScheme(Scheme("a", "clerk", "KULR31"), false));
  ASSERT_TRUE(store.SaveScheme(Scheme("a", "boss", "KULR32"), false));
  ASSERT_TRUE(store.SaveScheme(Scheme("b", "boss", "KULR31"), false));
  TSchemeRecord changed = Scheme("a", "boss", "KULR31");
  changed.Values = "changed\r\n";
  EXPECT_FALSE(store.SaveScheme(changed, false));
  EXPECT_EQ(store.Schemes("boss", "KULR31")[0].Values, Scheme("a", "", "").Values);
  EXPECT_TRUE(store.SaveScheme(changed, true));
  EXPECT_EQ(store.Schemes("boss", "KULR31")[0].Values, "changed\r\n");
  EXPECT_EQ(store.RenameScheme({"a", "boss", "KULR31"}, "b"), TRenameResult::NewNameTaken);
  EXPECT_EQ(store.RenameScheme({"zz", "boss", "KULR31"}, "c"), TRenameResult::NotFound);
  EXPECT_FALSE(store.DeleteScheme({"a", "nobody", "KULR31"}));
  EXPECT_EQ(store.Schemes("boss", "KULR31").size(), 2u);
  EXPECT_EQ(store.Schemes("clerk", "KULR31").size(), 1u);
  EXPECT_EQ(store.Schemes("boss", "KULR32").size(), 1u);
  EXPECT_EQ(store.Schemes("boss", "kulr31").size(), 0u);
}

// Guards against a number handed out twice: after a reopen, and after the
// newest jobs were deleted (max + 1 would hand their numbers out again).
TEST_F(AppServerStoreTest, JobNumbersAreNeverReused) {
  std::set<AnsiString> numbers;
  AnsiString last;
  {
    TAppServerStore store(FInstall.Config());
    for (int i = 0; i < 3; ++i) {
      last = store.AddJob("record", "KULR31", "boss", "", jsQueued, TDateTime(46367.5));
      EXPECT_TRUE(numbers.insert(last).second) << last;
    }
  }
  ExecOnFile(FInstall.DatabasePath(), "DELETE FROM jobs");
  TAppServerStore store(FInstall.Config());
  const AnsiString next = store.AddJob("record", "KULR31", "boss", "", jsQueued, TDateTime(46367.5));
  EXPECT_TRUE(numbers.insert(next).second) << next;
  EXPECT_GT(next, last);
  EXPECT_EQ(next, "00000004");
}

// Guards against two server objects (two connections, as two clients have)
// handing out the same number, or one of them failing on the other's lock.
TEST_F(AppServerStoreTest, ConcurrentSubmittersGetDistinctNumbers) {
  constexpr int kPerThread = 15;
  std::vector<AnsiString> numbers[2];
  std::vector<std::string> errors[2];
  auto submit = [&](int t) {
    try {
      TAppServerStore store(FInstall.Config());
      for (int i = 0; i < kPerThread; ++i)
        numbers[t].push_back(store.AddJob("r", "KULR31", "boss", "", jsQueued, TDateTime(1)));
    } catch (const std::exception& e) {
      errors[t].push_back(e.what());
    }
  };
  std::thread first(submit, 0);
  std::thread second(submit, 1);
  first.join();
  second.join();
  EXPECT_EQ(errors[0], std::vector<std::string>{});
  EXPECT_EQ(errors[1], std::vector<std::string>{});
  std::set<AnsiString> all(numbers[0].begin(), numbers[0].end());
  all.insert(numbers[1].begin(), numbers[1].end());
  EXPECT_EQ(all.size(), size_t{2 * kPerThread});
}

// Guards against a job number whose first eight characters (the client's job
// key) are shared by several jobs, and against numbers that parse loosely.
TEST(AppServerStoreJobNumberTest, FormatsAndParsesEightDigits) {
  EXPECT_EQ(TAppServerStore::FormatJobNumber(1), "00000001");
  EXPECT_EQ(TAppServerStore::FormatJobNumber(MaxJobId), "99999999");
  const struct {
    const char* Text;
    std::optional<int64_t> Id;
  } rows[] = {{"00000042", 42},  {"99999999", MaxJobId}, {"00000000", std::nullopt},
              {"0000042", std::nullopt}, {"000000042", std::nullopt}, {"ERROR", std::nullopt},
              {"0000004a", std::nullopt}, {" 0000042", std::nullopt}, {"", std::nullopt}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    EXPECT_EQ(TAppServerStore::ParseJobNumber(row.Text), row.Id);
  }
}

// Guards against handing out a ninth digit, which would break the job key.
TEST_F(AppServerStoreTest, RefusesJobsBeyondEightDigits) {
  {
    TAppServerStore store(FInstall.Config());
  }
  ExecOnFile(FInstall.DatabasePath(),
             "INSERT OR REPLACE INTO sqlite_sequence (name, seq) VALUES ('jobs', 99999999)");
  TAppServerStore store(FInstall.Config());
  EXPECT_THROW(store.AddJob("r", "P", "U", "", jsQueued, TDateTime(1)), EStoreError);
  ExecOnFile(FInstall.DatabasePath(), "UPDATE sqlite_sequence SET seq = 99999998");
  EXPECT_EQ(store.AddJob("r", "P", "U", "", jsQueued, TDateTime(1)), "99999999");
}

// Guards against a client report landing on the wrong job or being lost.
TEST_F(AppServerStoreTest, ReportJobUpdatesOnlyThatJob) {
  TAppServerStore store(FInstall.Config());
  const AnsiString a = store.AddJob("ra", "KULR31", "boss", "PC1", jsRegistered, TDateTime(10));
  const AnsiString b = store.AddJob("rb", "KULR31", "boss", "PC2", jsRegistered, TDateTime(11));
  EXPECT_TRUE(store.ReportJob(a, "E;000013;\xB4\xED", TDateTime(12.5)));  // 错
  EXPECT_FALSE(store.ReportJob("ERROR", "x", TDateTime(12)));
  EXPECT_FALSE(store.ReportJob("00000099", "x", TDateTime(12)));
  const std::optional<TJobRow> jobA = store.FindJob(a);
  const std::optional<TJobRow> jobB = store.FindJob(b);
  ASSERT_TRUE(jobA && jobB);
  EXPECT_EQ(jobA->Status, jsReported);
  EXPECT_EQ(jobA->Messages, "E;000013;\xB4\xED");
  EXPECT_EQ(jobA->Updated.value_or(TDateTime(0)).Value, 12.5);
  EXPECT_EQ(jobA->Workstation, "PC1");
  EXPECT_EQ(jobB->Status, jsRegistered);
  EXPECT_FALSE(jobB->Updated.has_value());
  EXPECT_EQ(jobB->RecordBytes, "rb");
}

// Guards against a hand-edited rights row (texts typed as TEXT, not BLOB)
// being missed, and against the "*" row winning over the program's own.
TEST_F(AppServerStoreTest, RightsRowForProgramThenForEveryProgram) {
  {
    TAppServerStore store(FInstall.Config());
  }
  ExecOnFile(FInstall.DatabasePath(),
             "INSERT INTO rights VALUES ('clerk', '*', 'Y,Y,Y,YYYYYYNN,Y,Y', 'DEPT', 'D01;;D02');"
             "INSERT INTO rights VALUES ('clerk', 'KULR31', 'Y,Y,Y,YYYYYYYN,Y,Y', '', '');");
  TAppServerStore store(FInstall.Config());
  EXPECT_FALSE(store.FindRights("boss", "KULR31").has_value());
  const std::optional<TRightsRow> own = store.FindRights("clerk", "KULR31");
  ASSERT_TRUE(own);
  EXPECT_EQ(own->Rights, "Y,Y,Y,YYYYYYYN,Y,Y");
  const std::optional<TRightsRow> any = store.FindRights("clerk", "KULR99");
  ASSERT_TRUE(any);
  EXPECT_EQ(any->LimitKind, "DEPT");
  EXPECT_EQ(any->LimitItems, "D01;;D02");
}

// Guards against a newer server's file being misread (and then written) by
// this one.
TEST_F(AppServerStoreTest, RefusesAStoreOfANewerSchema) {
  {
    TAppServerStore store(FInstall.Config());
  }
  ExecOnFile(FInstall.DatabasePath(), "PRAGMA user_version = 2");
  try {
    TAppServerStore store(FInstall.Config());
    FAIL() << "opened";
  } catch (const EStoreError& e) {
    EXPECT_NE(e.Message().find("newer server"), std::string::npos) << e.Message();
  }
}

// Guards against a store that cannot be opened passing for an empty one.
TEST_F(AppServerStoreTest, UnopenableFileRaisesNamingIt) {
  const std::string path = FInstall.FDir / "missing-folder/x.db";
  try {
    TAppServerStore store(TAppServerConfig{path, 936});
    FAIL() << "opened";
  } catch (const EStoreError& e) {
    EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
  }
}

// ---- Where the store is ----

struct TProfileRow {
  const char* Name;
  std::string MainDBName;
  std::string Expected;  // below the server folder, or absolute when it starts with "/"
};

void PrintTo(const TProfileRow& row, std::ostream* os) { *os << "MainDBName=" << row.MainDBName; }

class AppServerConfigTest : public ::testing::TestWithParam<TProfileRow> {};

// Guards against the store landing somewhere the profile did not say.
TEST_P(AppServerConfigTest, DatabaseComesFromTheServerProfile) {
  TAppServerInstall install(GetParam().MainDBName);
  const TAppServerConfig config = TAppServerConfig::FromProfile();
  const std::string expected = GetParam().Expected.starts_with("/")
                                   ? GetParam().Expected
                                   : install.FServerPath + GetParam().Expected;
  EXPECT_EQ(config.DatabasePath, expected);
  EXPECT_EQ(config.CodePage, 936);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, AppServerConfigTest,
    ::testing::Values(TProfileRow{"Empty", "", "appserver.db"},
                      TProfileRow{"Blank", "   ", "appserver.db"},
                      TProfileRow{"Relative", "jobs.db", "jobs.db"},
                      TProfileRow{"BelowServerFolder", "\\data\\jobs.db", "data/jobs.db"},
                      TProfileRow{"Absolute", "/var/lib/kulr/jobs.db", "/var/lib/kulr/jobs.db"}),
    [](const ::testing::TestParamInfo<TProfileRow>& info) { return std::string(info.param.Name); });

// Guards against a missing installation being taken for the current folder.
TEST(AppServerConfigMissingTest, NoServerPathRaises) {
  TAppServerInstall install;
  install.WriteRegistry(false);
  try {
    TAppServerConfig::FromProfile();
    FAIL() << "no exception";
  } catch (const EStoreError& e) {
    EXPECT_NE(e.Message().find("ServerPath"), std::string::npos) << e.Message();
  }
}

}  // namespace
