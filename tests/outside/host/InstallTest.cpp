// The demo installation as its users meet it: laid out in a temporary
// folder, then read through the registry file it wrote by the profile
// readers, the code-page resolver and object creation by program id, the
// way the plug-in and the application server read it; run again over itself
// and over folders that are not its own; and refusing bad input before it
// writes anything.
#include "host/Install.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "appserver/QueueManager.h"
#include "appserver/ReportServer.h"
#include "env/HelmarINI.h"
#include "platform/com/ComObj.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/ExpectThrow.h"
#include "platform/win/IniFiles.h"
#include "platform/win/Paths.h"
#include "platform/win/Platform.h"
#include "platform/win/Registry.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/TempDir.h"

#ifndef KULR_APPSERVER_MODULE_PATH
#error "the build passes the server module's path in KULR_APPSERVER_MODULE_PATH"
#endif

namespace fs = std::filesystem;

namespace {

// Points the runtime at an installation for one scope: its registry file and
// the system code page that registry names (resolved again, as a program
// that starts under the installation resolves it).
class TUseInstallation {
public:
  explicit TUseInstallation(const TInstallResult& install)
      : FRegistry("KULR_REGISTRY", install.RegistryFile), FOldCodePage(GetACP()) {
    InitializePlatform();
  }
  ~TUseInstallation() { SetSystemCodePage(FOldCodePage); }

private:
  TScopedEnv FRegistry;
  int FOldCodePage;
};

// Runs one statement on an SQLite file, creating it when missing.
void Exec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
            SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

// Whether an SQLite file exists and has the table.
bool HasTable(const std::string& path, const std::string& table) {
  if (!fs::exists(path)) return false;
  sqlite3* db = nullptr;
  bool found = false;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE name = ?1", -1, &query,
                           nullptr) == SQLITE_OK) {
      sqlite3_bind_text(query, 1, table.c_str(), -1, SQLITE_TRANSIENT);
      found = sqlite3_step(query) == SQLITE_ROW;
    }
    sqlite3_finalize(query);
  }
  sqlite3_close(db);
  return found;
}

std::vector<std::string> EntriesOf(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class InstallTest : public ::testing::Test {
protected:
  // Options for an installation in the named folder below the temporary one,
  // registering the module the build made.
  TInstallOptions Options(const std::string& name = "demo") const {
    TInstallOptions options;
    options.Folder = FDir / name;
    options.ServerModule = KULR_APPSERVER_MODULE_PATH;
    options.SeedFile = KULR_HOST_SEED_FILE;
    return options;
  }

  TTempDir FDir;
};

// Guards against registry values or profile keys that the readers do not
// find where the installation puts them (wrong key, section or file name),
// and against a system code page that stays the locale's.
TEST_F(InstallTest, ReadersFindProfilesAndCodePageThroughTheRegistry) {
  const TInstallResult install = InstallDemo(Options());
  const std::string folder = FDir / "demo/";
  EXPECT_EQ(install.Folder, folder);
  EXPECT_EQ(install.RegistryFile, folder + "registry.ini");
  TUseInstallation use(install);

  EXPECT_EQ(RegistryCodePage(), 936);
  EXPECT_EQ(GetACP(), 936);

  const THelmarIniC client;
  EXPECT_EQ(client.LastError(), "");
  EXPECT_EQ(client.ClientPath(), folder);
  EXPECT_EQ(client.ProfileFile(), folder + "HelmarC.ini");
  ASSERT_TRUE(VarIsArray(client.ServerList()));
  EXPECT_EQ(VarArrayHighBound(client.ServerList(), 2), 0);
  EXPECT_EQ(client.ServerList()(0, 0).AsString(), "127.0.0.1");
  EXPECT_EQ(client.ServerList()(1, 0).AsInteger(), 211);
  EXPECT_EQ(client.UICodePage(), "936");
  EXPECT_EQ(client.DBCodePage(), "936");
  EXPECT_EQ(client.SystemCodePage(), "936");
  EXPECT_EQ(client.UIConvertMode(), 0);
  EXPECT_EQ(client.DBConvertMode(), 0);
  EXPECT_EQ(client.LangType(), "CHS");
  EXPECT_EQ(client.WorkDLLPaths().Text(), folder + "C_PKG/\r\n");

  const THelmarIniS server;
  EXPECT_EQ(server.LastError(), "");
  EXPECT_EQ(server.ServerPath(), folder);
  EXPECT_EQ(server.DBCodePage(), "936");
  EXPECT_EQ(server.DBSettings()(0, 4).AsString(), "appserver.db");
  EXPECT_EQ(ResolvePath(server.DBSettings()(0, 4).AsString(), server.ServerPath()),
            folder + "appserver.db");
  EXPECT_EQ(server.DBSettings()(0, 2).AsString(), "");
  EXPECT_EQ(server.DBSettings()(1, 2).AsString(), "");
  EXPECT_EQ(server.DBKind(), dbkOther);
  EXPECT_EQ(server.WorkDLLPaths().Text(), folder + "S_PKG/\r\n");
  // The profile never holds a plain password, not even an empty one.
  const TIniFile profile(folder + "HelmarS.ini");
  EXPECT_EQ(profile.ReadString("DBE Setting", "XXXXXX", "missing"), ScramblePassword(""));
  EXPECT_EQ(profile.ReadString("DBE Setting", "TempPassword", "missing"), ScramblePassword(""));
}

// Guards against a registry that names the server module wrongly (relative,
// or under another key), and against a store that lands elsewhere than the
// server profile says.
TEST_F(InstallTest, ServerObjectsAreCreatedFromTheInstalledRegistry) {
  const TInstallResult install = InstallDemo(Options());
  EXPECT_EQ(install.ServerModule, fs::canonical(KULR_APPSERVER_MODULE_PATH).string());
  TUseInstallation use(install);
  ASSERT_FALSE(fs::exists(install.Folder + "appserver.db"));

  const Variant server = CreateOleObject(ReportServerProgId);
  EXPECT_EQ(OleCall(server, "SQLType").AsInteger(), ReportServerSQLType);
  EXPECT_TRUE(fs::is_regular_file(install.Folder + "appserver.db"));
  const Variant queue = CreateOleObject(QueueManagerProgId);
  const Variant request =
      VarArrayOf({VarArrayOf({"00000999", "000009990001", "boss", int32_t{3}}), "boss", true});
  EXPECT_EQ(OleCall(queue, "OpenReport", {request}).AsInteger(), orNoSuchJob);
}

// Guards against looking for the module anywhere but beside the running
// program when none is named.
TEST_F(InstallTest, FindsTheServerModuleNextToTheProgram) {
  TInstallOptions options = Options();
  options.ServerModule.clear();
  const TInstallResult install = InstallDemo(options);
  EXPECT_EQ(install.ServerModule, fs::canonical(KULR_APPSERVER_MODULE_PATH).string());
  TUseInstallation use(install);
  TRegistry registry(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(registry.OpenKeyReadOnly("VivarIzivozuD.Class1\\InprocServer32"));
  EXPECT_EQ(registry.ReadString(""), install.ServerModule);
}

// Guards against a folder the readers or the logs expect but the install
// forgets, against missing parents, and against an unusable company database.
TEST_F(InstallTest, LaysOutEveryFolderAndTheCompanyDatabase) {
  const TInstallResult install = InstallDemo(Options("parent/child/demo"));
  for (const char* name : {"MultiLanguage/CHS", "MultiLanguage/CHT", "MultiLanguage/ENG", "C_PKG",
                           "S_PKG", "Log"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(fs::is_directory(install.Folder + name));
  }
  for (const char* name : {"registry.ini", "HelmarC.ini", "HelmarS.ini", "company.db"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(fs::is_regular_file(install.Folder + name));
  }
  const TCompanyDb company(install.Folder + "company.db");
  EXPECT_EQ(company.CompanyId(), "DEMO");
  EXPECT_FALSE(install.Refreshed);
  EXPECT_NE(FormatInstallReport(install).find("export KULR_REGISTRY=" + install.RegistryFile),
            std::string::npos);
}

// Guards against a refresh that loses the stores (schemes, jobs, the
// company's data) or keeps a profile someone broke, and against a reseed
// that keeps what it should replace.
TEST_F(InstallTest, RunAgainKeepsTheStoresUnlessReseeded) {
  const TInstallResult first = InstallDemo(Options());
  const std::string companyDb = first.Folder + "company.db";
  const std::string serverStore = first.Folder + "appserver.db";
  {
    TUseInstallation use(first);
    CreateOleObject(ReportServerProgId);  // makes the server store
  }
  Exec(companyDb, "CREATE TABLE kept_probe (x)");
  Exec(serverStore, "CREATE TABLE kept_probe (x)");
  FDir.WriteFile("demo/HelmarC.ini", "[Server Information]\nComputerName=\nServerPort=999\n");

  const TInstallResult second = InstallDemo(Options());
  EXPECT_TRUE(second.Refreshed);
  EXPECT_TRUE(HasTable(companyDb, "kept_probe"));
  EXPECT_TRUE(HasTable(serverStore, "kept_probe"));
  {
    TUseInstallation use(second);
    const THelmarIniC client;
    EXPECT_EQ(client.LastError(), "");
    EXPECT_EQ(VarToStr(client.ServerList()(1, 0)), "211");
  }

  TInstallOptions reseed = Options();
  reseed.Reseed = true;
  InstallDemo(reseed);
  EXPECT_FALSE(HasTable(companyDb, "kept_probe"));
  EXPECT_EQ(TCompanyDb(companyDb).CompanyId(), "DEMO");
  EXPECT_FALSE(fs::exists(serverStore));
}

// Guards against laying out over somebody's folder unasked, and against a
// forced install that deletes what it does not replace.
TEST_F(InstallTest, RefusesAForeignFolderUnlessForced) {
  FDir.WriteFile("mine/notes.txt", "keep me");
  ExpectThrowWith<EInstallError>([&] { InstallDemo(Options("mine")); }, "--force");
  EXPECT_EQ(EntriesOf(FDir / "mine"), std::vector<std::string>{"notes.txt"});

  TInstallOptions forced = Options("mine");
  forced.Force = true;
  const TInstallResult install = InstallDemo(forced);
  EXPECT_FALSE(install.Refreshed);
  EXPECT_TRUE(fs::is_regular_file(install.RegistryFile));
  EXPECT_EQ(ReadFileBytes(FDir / "mine/notes.txt"), "keep me");
  // Now it is a demo installation: no force needed any more.
  EXPECT_TRUE(InstallDemo(Options("mine")).Refreshed);
}

// Guards against a bad folder, module, seed or store that is found only
// after half the installation is written, and against paths the registry
// would hand out garbled.
TEST_F(InstallTest, BadInputIsRefusedBeforeAnythingIsWritten) {
  struct TCase {
    const char* Name;
    std::function<void(TInstallOptions&, const TTempDir&)> Setup;
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {"folder is a file",
       [](TInstallOptions&, const TTempDir& dir) { dir.WriteFile("demo", "x"); },
       "is not a folder"},
      {"module missing",
       [](TInstallOptions& o, const TTempDir& dir) { o.ServerModule = dir / "nosuch.so"; },
       "is not a file"},
      {"module not a shared object",
       [](TInstallOptions& o, const TTempDir& dir) {
         o.ServerModule = dir.WriteFile("module.so", "not ELF");
       },
       "is not a shared object"},
      {"seed missing",
       [](TInstallOptions& o, const TTempDir& dir) { o.SeedFile = dir / "nosuch.sql"; },
       "seed script"},
      {"control character in the folder",
       [](TInstallOptions& o, const TTempDir& dir) { o.Folder = dir / "de\nmo"; },
       "control character"},
      {"folder name not UTF-8",
       [](TInstallOptions& o, const TTempDir& dir) { o.Folder = dir / "de\xFFmo"; },
       "not UTF-8"},
      // U+1F600 in UTF-8: no code page 936 form.
      {"folder name without a 936 form",
       [](TInstallOptions& o, const TTempDir& dir) { o.Folder = dir / "\xF0\x9F\x98\x80"; },
       "code page 936"},
      {"kept company database broken",
       [](TInstallOptions& o, const TTempDir& dir) {
         dir.WriteFile("demo/company.db", "junk");
         o.Force = true;
       },
       "--reseed"},
      {"kept server store broken",
       [](TInstallOptions& o, const TTempDir& dir) {
         dir.WriteFile("demo/appserver.db", "junk that is no database");
         o.Force = true;
       },
       "not an SQLite database"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir dir;
    TInstallOptions options = Options();
    options.Folder = dir / "demo";
    c.Setup(options, dir);
    ExpectThrowWith<EInstallError>([&] { InstallDemo(options); }, c.Message);
    EXPECT_FALSE(fs::exists(options.Folder + "/registry.ini"));
    EXPECT_FALSE(fs::exists(options.Folder + "/" + InstallMarkerFileName));
  }
}

// Guards against a folder name outside ASCII that reaches the readers as
// UTF-8 bytes instead of the system code page's, and against a use line the
// shell would split at the blank.
TEST_F(InstallTest, ChineseFolderNameReachesTheReadersInCodePage936) {
  // "示范 demo" in UTF-8, the file-system name.
  const TInstallResult install = InstallDemo(Options("\xE7\xA4\xBA\xE8\x8C\x83 demo"));
  EXPECT_EQ(InstallUseLine(install), "export KULR_REGISTRY='" + install.RegistryFile + "'");
  TUseInstallation use(install);
  const THelmarIniC client;
  // 示范 in GBK.
  EXPECT_EQ(client.ClientPath(), FDir.Path() + "/\xCA\xBE\xB7\xB6 demo/");
  const Variant server = CreateOleObject(ReportServerProgId);
  EXPECT_TRUE(fs::is_regular_file(install.Folder + "appserver.db"));
}

// Guards against options that are dropped or swallow the folder, and against
// a command line that is accepted half-understood.
TEST(InstallArgsTest, ParsesOptionsInAnyOrderAndRefusesTheRest) {
  const TInstallOptions all =
      ParseInstallArgs({"--reseed", "d", "--server-module", "m.so", "--force", "--seed", "s.sql"},
                       "default.sql");
  EXPECT_EQ(all.Folder, "d");
  EXPECT_EQ(all.ServerModule, "m.so");
  EXPECT_EQ(all.SeedFile, "s.sql");
  EXPECT_TRUE(all.Force);
  EXPECT_TRUE(all.Reseed);
  const TInstallOptions plain = ParseInstallArgs({"d"}, "default.sql");
  EXPECT_EQ(plain.SeedFile, "default.sql");
  EXPECT_EQ(plain.ServerModule, "");
  EXPECT_FALSE(plain.Force || plain.Reseed);

  const std::vector<std::pair<std::vector<std::string>, const char*>> bad = {
      {{}, "no installation folder"},
      {{"d", "e"}, "one installation folder only"},
      {{"d", "--server-module"}, "--server-module needs a value"},
      {{"d", "--seed", ""}, "--seed needs a value"},
      {{"d", "--frce"}, "unknown option --frce"},
  };
  for (const auto& [args, message] : bad) {
    SCOPED_TRACE(message);
    ExpectThrowWith<EInstallError>([&] { ParseInstallArgs(args, "default.sql"); }, message);
  }
}

}  // namespace
