// The company database: built from the seed, reopened, and refused when the
// seed or the file is broken.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include <fstream>

#include "host/CompanyDb.h"
#include "HostTestSupport.h"

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    closedir(dir);
  }
  return names;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Runs f and returns the message of the EHostError it raises.
template <class F>
std::string HostErrorOf(F f) {
  try {
    f();
  } catch (const EHostError& e) {
    return e.Message();
  }
  ADD_FAILURE() << "no EHostError raised";
  return {};
}

// Guards against re-seeding (and so losing) an existing database, and
// against a created file that cannot be opened again.
TEST(CompanyDbTest, CreatedFromSeedOnceAndReopened) {
  std::string path = HostScratchFolder() + "/company.db";
  EXPECT_TRUE(TCompanyDb::EnsureCreated(path, KULR_HOST_SEED_FILE));
  EXPECT_FALSE(TCompanyDb::EnsureCreated(path, KULR_HOST_SEED_FILE));
  TCompanyDb db(path);
  EXPECT_EQ(db.CompanyId(), "DEMO");
  EXPECT_EQ(db.DatabaseName(), "DEMO");
  // Texts leave the database as GBK bytes: 示范精密.
  auto rows = db.Select("SELECT MA003 FROM ORLANINTMA WHERE MA001 = ?1", {"ORLAN002"});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "\xCA\xBE\xB7\xB6\xBE\xAB\xC3\xDC");
}

// A broken seed must name its line and leave neither the database nor the
// temporary file behind (a half database would be opened next time).
TEST(CompanyDbTest, BrokenSeedNamesLineAndLeavesNothing) {
  std::string folder = HostScratchFolder();
  std::string seed = folder + "/bad.sql";
  WriteFile(seed,
            "CREATE TABLE COMPANY (ID TEXT, DBNAME TEXT, NAME TEXT);\n"
            "INSERT INTO COMPANY VALUES ('X', 'X', 'x');\n"
            "INSERT INTO NOSUCH VALUES (1);\n");
  std::string path = folder + "/company.db";
  std::string message = HostErrorOf([&] { TCompanyDb::CreateFromSeed(path, seed); });
  EXPECT_NE(message.find("bad.sql:3:"), std::string::npos) << message;
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"bad.sql"});
}

// Texts are promised to callers as code page 936: a seed text without a GBK
// form must fail at seeding, not turn into "?" in front of a user.
TEST(CompanyDbTest, SeedTextWithoutGbkFormIsRefused) {
  std::string folder = HostScratchFolder();
  std::string seed = folder + "/emoji.sql";
  WriteFile(seed,
            "CREATE TABLE COMPANY (ID TEXT, DBNAME TEXT, NAME TEXT);\n"
            "INSERT INTO COMPANY VALUES ('X', 'X', 'smile \xF0\x9F\x98\x80');\n");
  std::string message = HostErrorOf([&] { TCompanyDb::CreateFromSeed(folder + "/c.db", seed); });
  EXPECT_NE(message.find("COMPANY"), std::string::npos) << message;
  EXPECT_NE(message.find("936"), std::string::npos) << message;
  EXPECT_FALSE(Exists(folder + "/c.db"));
}

// A seed without its company record would give a database no caller can use.
TEST(CompanyDbTest, SeedWithoutCompanyRowIsRefused) {
  std::string folder = HostScratchFolder();
  std::string seed = folder + "/empty.sql";
  WriteFile(seed, "CREATE TABLE COMPANY (ID TEXT, DBNAME TEXT, NAME TEXT);\n");
  std::string message = HostErrorOf([&] { TCompanyDb::CreateFromSeed(folder + "/c.db", seed); });
  EXPECT_NE(message.find("exactly one row"), std::string::npos) << message;
}

// Opening what is not a company database must be a clear error, not a
// crash on the first query.
TEST(CompanyDbTest, OpeningMissingOrForeignFileRaises) {
  std::string folder = HostScratchFolder();
  EXPECT_NE(HostErrorOf([&] { TCompanyDb db(folder + "/none.db"); }).find("not found"), std::string::npos);
  WriteFile(folder + "/text.db", "this is not a database");
  EXPECT_NE(HostErrorOf([&] { TCompanyDb db(folder + "/text.db"); }).find("text.db"), std::string::npos);
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open((folder + "/other.db").c_str(), &raw), SQLITE_OK);
  sqlite3_exec(raw, "CREATE TABLE T (A TEXT)", nullptr, nullptr, nullptr);
  sqlite3_close(raw);
  EXPECT_NE(HostErrorOf([&] { TCompanyDb db(folder + "/other.db"); }).find("not a company database"),
            std::string::npos);
}

// Texts from the plug-in arrive as GBK bytes or as wide strings; both must
// reach SQLite as the same UTF-8 text.
TEST(CompanyDbTest, ArgumentTextsDecodeFromGbkAndUtf16) {
  EXPECT_EQ(HostArgText(Variant(AnsiString("\xCA\xBE\xB7\xB6")), "t"), "\xE7\xA4\xBA\xE8\x8C\x83");  // 示范
  EXPECT_EQ(HostArgText(Variant(u"\u793A\u8303"), "t"), "\xE7\xA4\xBA\xE8\x8C\x83");
  EXPECT_EQ(HostArgText(Variant(), "t"), "");
  EXPECT_EQ(HostArgText(Null(), "t"), "");
  EXPECT_EQ(HostArgText(Variant(int32_t{12}), "t"), "12");
  EXPECT_THROW(HostArgText(VarArrayOf({"a"}), "t"), EHostError);
}

}  // namespace
