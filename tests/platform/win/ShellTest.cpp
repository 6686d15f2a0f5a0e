#include "platform/win/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

struct TRequest {
  AnsiString Verb;
  AnsiString Target;
  bool operator==(const TRequest&) const = default;
};

// Polls for something another process does; gives up after ten seconds so a
// broken opener fails the test instead of hanging it.
template <typename TPredicate>
bool WaitFor(TPredicate done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    usleep(10 * 1000);
  }
  return done();
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ShellTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* base = std::getenv("KULR_TEST_OUTPUT");
    fs::path parent = base ? fs::path(base) : fs::temp_directory_path();
    fs::create_directories(parent);
    std::string pattern = (parent / "shell-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Dir = pattern;
    OldCwd = fs::current_path();
    // Records every request instead of opening anything.
    SetShellHandler([this](const AnsiString& verb, const AnsiString& target) {
      Requests.push_back({verb, target});
      return Accept;
    });
  }
  void TearDown() override {
    SetShellHandler(nullptr);
    SetShellOpener("");
    fs::current_path(OldCwd);
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  // A stand-in for xdg-open: lists its open files, writes its pid, its
  // argument count and each argument on a line of its own, then waits until the test releases it
  // through a FIFO (so a ShellOpen that waited for its child would hang).
  fs::path WriteFakeOpener() {
    fs::path script = Dir / "fake-opener";
    std::ofstream(script) << "#!/bin/sh\n"
                          << "for f in /proc/$$/fd/*; do readlink \"$f\"; done > '"
                          << (Dir / "fds").string() << "'\n"
                          << "printf '%s\\n' \"$$\" \"$#\" \"$@\" > '" << (Dir / "args.tmp").string()
                          << "'\n"
                          << "mv '" << (Dir / "args.tmp").string() << "' '"
                          << (Dir / "args").string() << "'\n"
                          << "cat '" << (Dir / "release").string() << "' > /dev/null\n";
    fs::permissions(script, fs::perms::owner_all);
    EXPECT_EQ(mkfifo((Dir / "release").c_str(), 0600), 0);
    return script;
  }

  fs::path Dir;
  fs::path OldCwd;
  std::vector<TRequest> Requests;
  bool Accept = true;
};

struct TRejectRow {
  const char* Name;
  AnsiString Target;
  const char* Reason;
};

void PrintTo(const TRejectRow& row, std::ostream* os) { *os << row.Name; }

class ShellRejectTest : public ShellTest, public ::testing::WithParamInterface<TRejectRow> {};

// Guards against targets other than plain http(s) addresses and existing
// files reaching the opener, which would act on them (local files, scripts,
// other handlers, an argument split at a blank or a line break).
TEST_P(ShellRejectTest, RefusesTargetsThatAreNotWebAddressesOrExistingFiles) {
  const TRejectRow& row = GetParam();
  EXPECT_FALSE(ShellOpen(row.Target));
  EXPECT_THAT(GetLastShellError(), HasSubstr(row.Reason));
  EXPECT_EQ(GetLastShellError().find('\n'), AnsiString::npos) << "a line break reached the message";
  EXPECT_THAT(Requests, IsEmpty()) << "a refused target reached the handler";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShellRejectTest,
    ::testing::Values(
        TRejectRow{"FileScheme", "file:///etc/passwd", "only http and https"},
        TRejectRow{"JavaScript", "javascript:alert(1)", "only http and https"},
        TRejectRow{"Mailto", "mailto:someone@example.com", "only http and https"},
        TRejectRow{"Ftp", "ftp://example.com/file", "only http and https"},
        TRejectRow{"Blank", "https://example.com/a b", "blank"},
        TRejectRow{"Newline", "https://example.com/a\nhttps://evil.example", "control character"},
        TRejectRow{"Tab", "http://example.com/\tx", "control character"},
        // "中" as GBK bytes: an address must be percent-encoded before it is opened
        TRejectRow{"RawGbkBytes", "https://example.com/?q=\xD6\xD0", "percent-encoded"},
        TRejectRow{"NoHost", "https:///etc/passwd", "no host"},
        TRejectRow{"NoSlashes", "http:example.com", "no host"},
        TRejectRow{"SchemeOnly", "https://", "no host"},
        TRejectRow{"MissingFile", "/kulr/no/such/file.txt", "no such file"},
        TRejectRow{"Empty", "", "no target"},
        TRejectRow{"EmbeddedNul", AnsiString("https://example.com/\0x", 22), "NUL"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against accepted targets being altered, the verb not being passed
// on, or a relative file name that starts with "-" reaching the opener as an
// option.
TEST_F(ShellTest, PassesCheckedTargetsToTheHandler) {
  std::ofstream(Dir / "-report.txt") << "x";
  fs::current_path(Dir);
  const fs::path cwd = fs::current_path();  // as the system spells the folder
  EXPECT_TRUE(ShellOpen("https://example.com/a?b=c")) << GetLastShellError();
  EXPECT_TRUE(ShellExecute("", "HTTP://Example.com:8080/x#top")) << GetLastShellError();
  EXPECT_TRUE(ShellExecute("Properties", "-report.txt")) << GetLastShellError();
  EXPECT_TRUE(ShellOpen(Dir.string())) << "an existing folder opens too";
  EXPECT_EQ(GetLastShellError(), "");
  EXPECT_THAT(Requests, ElementsAre(TRequest{"open", "https://example.com/a?b=c"},
                                    TRequest{"open", "HTTP://Example.com:8080/x#top"},
                                    TRequest{"properties", (cwd / "-report.txt").string()},
                                    TRequest{"open", Dir.string()}));
}

// Guards against a refusal or an exception of the host's handler being reported as success.
TEST_F(ShellTest, HandlerRefusalOrFailureIsReported) {
  Accept = false;
  EXPECT_FALSE(ShellOpen("https://example.com/"));
  EXPECT_THAT(GetLastShellError(), HasSubstr("refused"));

  SetShellHandler([](const AnsiString&, const AnsiString&) -> bool {
    throw std::runtime_error("no browser");
  });
  EXPECT_FALSE(ShellOpen("https://example.com/"));
  EXPECT_THAT(GetLastShellError(), HasSubstr("no browser"));
}

// Guards against the address being split or quoted on its way to the opener,
// the opener being run through a shell, inheriting our descriptors, ShellOpen waiting for the opener to
// end, and the ended opener being left as a zombie.
TEST_F(ShellTest, OpenerGetsTheAddressAsOneArgumentAndIsNotWaitedFor) {
  SetShellHandler(nullptr);
  SetShellOpener(WriteFakeOpener().string());
  // A descriptor without close-on-exec, as a host's connection may be.
  const fs::path heldOpen = Dir / "held-open";
  std::ofstream(heldOpen) << "x";
  int held = open(heldOpen.c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  const AnsiString address = "https://example.com/a?b=c&d='e'$(f)";
  ASSERT_TRUE(ShellOpen(address)) << GetLastShellError();  // returns while the opener waits

  ASSERT_TRUE(WaitFor([&] { return fs::exists(Dir / "args"); }));
  std::istringstream lines(ReadFile(Dir / "args"));
  std::string pid, count, argument;
  std::getline(lines, pid);
  std::getline(lines, count);
  std::getline(lines, argument);
  EXPECT_EQ(count, "1");
  EXPECT_EQ(argument, address);
  EXPECT_THAT(ReadFile(Dir / "fds"), Not(HasSubstr("held-open"))) << "descriptor leaked";
  close(held);

  int release = open((Dir / "release").c_str(), O_WRONLY);
  ASSERT_GE(release, 0);
  close(release);
  // Reaped: the process disappears instead of staying behind as a zombie.
  EXPECT_TRUE(WaitFor([&] { return !fs::exists("/proc/" + pid); })) << "opener " << pid
                                                                      << " not reaped";
}

// Guards against a missing opener or a verb it cannot do being reported as success.
TEST_F(ShellTest, OpenerProblemsAreReported) {
  SetShellHandler(nullptr);
  SetShellOpener((Dir / "no-such-opener").string());
  EXPECT_FALSE(ShellOpen("https://example.com/"));
  EXPECT_THAT(GetLastShellError(), HasSubstr("cannot start"));

  std::ofstream(Dir / "file.txt") << "x";
  EXPECT_FALSE(ShellExecute("properties", (Dir / "file.txt").string()));
  EXPECT_THAT(GetLastShellError(), HasSubstr("needs a shell handler"));
}

}  // namespace
