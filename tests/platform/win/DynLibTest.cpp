#include "platform/win/DynLib.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

// Built next to the tests by tests/platform/win/CMakeLists.txt; exports
// ProbeAnswer() = 42 and ProbeNextCount() = 1, 2, 3... from a static counter.
const fs::path ProbePath = KULR_DYNLIB_PROBE;

using TAnswer = int (*)();

class DynLibTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* base = std::getenv("KULR_TEST_OUTPUT");
    fs::path parent = base ? fs::path(base) : fs::temp_directory_path();
    fs::create_directories(parent);
    std::string pattern = (parent / "dynlib-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Dir = pattern;
    OldCwd = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(OldCwd);
    for (const AnsiString& folder : LibrarySearchFolders()) RemoveLibrarySearchFolder(folder);
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  // A copy of the probe under another name: a separate library to the loader.
  fs::path Copy(const fs::path& relative) {
    fs::path target = Dir / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(ProbePath, target, fs::copy_options::overwrite_existing);
    return target;
  }
  static int Answer(HMODULE module) {
    TAnswer answer = GetProcAddressAs<TAnswer>(module, "ProbeAnswer");
    return answer ? answer() : -1;
  }

  fs::path Dir;
  fs::path OldCwd;
};

// Guards against a plain full path failing or the handle not reaching the entry point.
TEST_F(DynLibTest, LoadsByFullPathAndFindsEntryPoint) {
  HMODULE module = LoadLibrary(ProbePath.string());
  ASSERT_NE(module, nullptr) << GetLastLoadError();
  EXPECT_EQ(GetLastLoadError(), "");
  EXPECT_EQ(Answer(module), 42);
  EXPECT_TRUE(fs::equivalent(GetModulePath(module), ProbePath));
  EXPECT_TRUE(FreeLibrary(module)) << GetLastLoadError();
}

enum class TWhere { CallerFolder, ProcessFolder, CurrentFolder };

struct TSearchRow {
  const char* Name;
  const char* OnDisk;     // copies of the probe, relative to the temp folder
  const char* Requested;  // the name given to LoadLibrary
  TWhere Where;           // how the temp folder is made known
};

void PrintTo(const TSearchRow& row, std::ostream* os) { *os << row.Name; }

class DynLibSearchTest : public DynLibTest, public ::testing::WithParamInterface<TSearchRow> {};

// Guards against the search missing a folder, or Windows-style names that
// differ from the file only in case not being found (the installation's
// names are upper case, the code's are not).
TEST_P(DynLibSearchTest, FindsBareNamesInTheSearchFolders) {
  const TSearchRow& row = GetParam();
  fs::path expected = Copy(row.OnDisk);
  std::vector<AnsiString> callerFolders;
  switch (row.Where) {
    case TWhere::CallerFolder: callerFolders.push_back(Dir.string()); break;
    case TWhere::ProcessFolder: AddLibrarySearchFolder(Dir.string()); break;
    case TWhere::CurrentFolder: fs::current_path(Dir); break;
  }
  HMODULE module = LoadLibrary(row.Requested, callerFolders);
  ASSERT_NE(module, nullptr) << GetLastLoadError();
  EXPECT_EQ(Answer(module), 42);
  EXPECT_TRUE(fs::equivalent(GetModulePath(module), expected)) << GetModulePath(module);
  EXPECT_TRUE(FreeLibrary(module));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DynLibSearchTest,
    ::testing::Values(
        TSearchRow{"CallerFolder", "probe.so", "probe.so", TWhere::CallerFolder},
        TSearchRow{"CallerFolderOtherCase", "Zublanguage.dll", "ZUBLANGUAGE.DLL",
                   TWhere::CallerFolder},
        TSearchRow{"ProcessFolder", "probe.so", "probe.so", TWhere::ProcessFolder},
        TSearchRow{"ProcessFolderOtherCase", "KULR31S.DLL", "Kulr31S.dll", TWhere::ProcessFolder},
        TSearchRow{"CurrentFolder", "probe.so", "probe.so", TWhere::CurrentFolder},
        TSearchRow{"CurrentFolderOtherCase", "Probe.So", "probe.so", TWhere::CurrentFolder},
        TSearchRow{"RelativePath", "sub/probe.so", "sub/probe.so", TWhere::CurrentFolder},
        TSearchRow{"RelativePathOtherCase", "sub/Probe.DLL", "sub/PROBE.dll",
                   TWhere::CurrentFolder}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against the wrong copy winning when several folders hold the name:
// the caller's folders first, then the process's, and the current folder
// only after those (a library planted in the current folder must not
// shadow the installation's), exact spelling before another case.
TEST_F(DynLibTest, SearchOrderPrefersCallerThenProcessFoldersOverCurrentFolder) {
  fs::path caller = Copy("caller/lib.so");
  fs::path process = Copy("process/lib.so");
  fs::path current = Copy("current/lib.so");
  fs::path exact = Copy("both/LIB.so");
  Copy("both/lib.so");
  AddLibrarySearchFolder((Dir / "process").string());
  fs::current_path(Dir / "current");

  struct Row {
    const char* Name;
    std::vector<AnsiString> CallerFolders;
    const char* Requested;
    fs::path Expected;
  } rows[] = {
      {"caller before process", {(Dir / "caller").string()}, "lib.so", caller},
      {"process before current", {}, "lib.so", process},
      {"exact case first", {(Dir / "both").string()}, "LIB.so", exact},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    HMODULE module = LoadLibrary(row.Requested, row.CallerFolders);
    ASSERT_NE(module, nullptr) << GetLastLoadError();
    EXPECT_TRUE(fs::equivalent(GetModulePath(module), row.Expected)) << GetModulePath(module);
    FreeLibrary(module);
  }
  RemoveLibrarySearchFolder((Dir / "process").string());
  HMODULE module = LoadLibrary("lib.so");
  ASSERT_NE(module, nullptr) << GetLastLoadError();
  EXPECT_TRUE(fs::equivalent(GetModulePath(module), current));
  FreeLibrary(module);
}

// Guards against a failed load crashing, returning a handle, or leaving the
// caller without a reason that names the library and where it was looked for.
TEST_F(DynLibTest, FailedLoadsGiveNullAndSayWhy) {
  std::ofstream(Dir / "notalib.so") << "this is text, not a shared object";
  fs::create_directories(Dir / "folder.so");
  struct Row {
    const char* Name;
    AnsiString Requested;
    std::vector<const char*> Expected;
  } rows[] = {
      {"missing bare name", "kulr_no_such_library.so",
       {"kulr_no_such_library.so", "system search", "cannot open shared object file"}},
      {"missing path", "/kulr/no/such/folder/lib.so", {"/kulr/no/such/folder/lib.so", "no such file"}},
      {"not a shared object", "notalib.so", {"notalib.so", "LoadLibrary"}},
      {"a folder, not a file", "folder.so", {"folder.so", "not found"}},
      {"empty name", "", {"empty name"}},
      {"embedded NUL", AnsiString("lib\0.so", 7), {"NUL"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(LoadLibrary(row.Requested, {Dir.string()}), nullptr);
    for (const char* part : row.Expected) EXPECT_THAT(GetLastLoadError(), HasSubstr(part));
  }
  // The folder searched is named too.
  LoadLibrary("kulr_no_such_library.so", {Dir.string()});
  EXPECT_THAT(GetLastLoadError(), HasSubstr(Dir.string()));
}

// Guards against a missing entry point crashing or resolving to a function of
// another library (dlsym also searches the library's dependencies), and
// against calls through invalid handles.
TEST_F(DynLibTest, MissingEntryPointsAndInvalidHandlesGiveNull) {
  HMODULE module = LoadLibrary(ProbePath.string());
  ASSERT_NE(module, nullptr) << GetLastLoadError();
  struct Row {
    const char* Name;
    HMODULE Module;
    AnsiString Entry;
    const char* Expected;
  } rows[] = {
      {"absent", module, "SaveOrder", "SaveOrder"},
      {"exported by a dependency", module, "malloc", "not exported by"},
      {"empty name", module, "", "empty name"},
      {"null handle", nullptr, "ProbeAnswer", "invalid module handle"},
      {"forged handle", reinterpret_cast<HMODULE>(uintptr_t(0xDEAD)), "ProbeAnswer",
       "invalid module handle"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(GetProcAddress(row.Module, row.Entry), nullptr);
    EXPECT_THAT(GetLastLoadError(), HasSubstr(row.Expected));
  }
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetProcAddress(module, "ProbeAnswer"), nullptr) << "the freed handle still works";
  EXPECT_FALSE(FreeLibrary(module)) << "freed twice";
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(GetModulePath(module), "");
}

// Guards against a second load of the same library being a different handle,
// or the first FreeLibrary unloading what the second load still uses.
TEST_F(DynLibTest, LoadingTwiceGivesTheSameHandleAndNeedsTwoFrees) {
  HMODULE first = LoadLibrary(ProbePath.string());
  HMODULE second = LoadLibrary(ProbePath.string());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(Answer(second), 42);
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_EQ(GetProcAddress(second, "ProbeAnswer"), nullptr);
}

// Guards against FreeLibrary not unloading (state would leak into the next
// load), and against the keep-loaded flag not keeping a library's static
// state alive after its last FreeLibrary.
TEST_F(DynLibTest, UnloadResetsStaticStateUnlessKeptLoaded) {
  struct Row {
    const char* File;
    unsigned Flags;
    int CountAfterReload;
  } rows[] = {{"unloaded.so", 0, 1}, {"kept.so", LOAD_KEEP_LOADED, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.File);
    fs::path file = Copy(row.File);
    HMODULE module = LoadLibrary(file.string(), row.Flags);
    ASSERT_NE(module, nullptr) << GetLastLoadError();
    auto next = GetProcAddressAs<TAnswer>(module, "ProbeNextCount");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(next(), 2);
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetProcAddress(module, "ProbeNextCount"), nullptr) << "handle outlived its library";

    module = LoadLibrary(file.string());
    ASSERT_NE(module, nullptr) << GetLastLoadError();
    EXPECT_EQ(GetProcAddressAs<TAnswer>(module, "ProbeNextCount")(), row.CountAfterReload);
    FreeLibrary(module);
  }
}

// Guards against the wrapper leaking its load, freeing twice after a move, or
// hiding why it failed.
TEST_F(DynLibTest, WrapperFreesOnceAndKeepsTheError) {
  fs::path file = Copy("raii.so");
  {
    TDynLib lib(file.string());
    ASSERT_TRUE(lib.Loaded()) << lib.Error();
    TDynLib moved = std::move(lib);
    EXPECT_FALSE(lib.Loaded());
    EXPECT_EQ(moved.ProcAs<TAnswer>("ProbeNextCount")(), 1);
  }
  TDynLib again(file.string());
  ASSERT_TRUE(again.Loaded()) << again.Error();
  EXPECT_EQ(again.ProcAs<TAnswer>("ProbeNextCount")(), 1) << "the first load was never freed";
  EXPECT_TRUE(again.Free());
  EXPECT_FALSE(again.Free());

  TDynLib missing("kulr_no_such_library.so", {Dir.string()});
  EXPECT_FALSE(missing.Loaded());
  EXPECT_THAT(missing.Error(), HasSubstr("kulr_no_such_library.so"));
  EXPECT_EQ(missing.Proc("ProbeAnswer"), nullptr);
}

}  // namespace
