// kulr31-host: the demo host program. It prepares the company database,
// lays out a demo installation, and loads and drives the plug-in (run).
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "host/CompanyDb.h"
#include "host/HostApplication.h"
#include "host/HostRun.h"
#include "host/Install.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/CodePage.h"
#include "platform/win/Platform.h"

namespace {

// The run command's lines go between the two parts.
const char* const UsageHead =
    "usage: kulr31-host <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  seed DATABASE [SEED]   create the company database from the seed script\n"
    "                         when it does not exist yet (SEED defaults to the\n"
    "                         repository's seed/company.sql)\n"
    "  reseed DATABASE [SEED] create it again, replacing an existing file\n"
    "  settings DATABASE      print the company's settings as GetSysInfo answers them\n"
    "  install DIR [options]  lay out a demo installation in DIR (install --help)\n";
const char* const UsageTail = "  --help                 show this text\n";

void PrintUsage(std::FILE* to) {
  std::fputs(UsageHead, to);
  std::fputs(HostRunUsage, to);
  std::fputs(UsageTail, to);
}

// The host's texts are GBK bytes; the terminal reads UTF-8.
std::string ForTerminal(const AnsiString& bytes) {
  return WideToUtf8(CodePageToWide(HostCodePage, bytes));
}

int PrintSettings(const std::string& path) {
  auto db = std::make_shared<TCompanyDb>(path);
  TDispatchRef app = THostApplication::Create(db);
  Variant system = OleCall(Variant(app), "Com_Counter");
  Variant info = OleCall(system, "GetSysInfo", {db->CompanyId()});
  std::printf("company %s, database %s\n", ForTerminal(db->CompanyId()).c_str(),
              ForTerminal(db->DatabaseName()).c_str());
  for (int32_t i = 0; i <= VarArrayHighBound(info, 2); ++i)
    std::printf("  %s=%s\n", ForTerminal(info(0, i).AsString()).c_str(),
                ForTerminal(info(1, i).AsString()).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any text is converted: the system code page comes from the
  // installation's registry.
  InitializePlatform();
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  try {
    if ((command == "seed" || command == "reseed") && (argc == 3 || argc == 4)) {
      const std::string seed = argc == 4 ? argv[3] : KULR_HOST_SEED_FILE;
      if (command == "reseed") {
        TCompanyDb::CreateFromSeed(argv[2], seed);
        std::printf("created %s from %s\n", argv[2], seed.c_str());
      } else if (TCompanyDb::EnsureCreated(argv[2], seed)) {
        std::printf("created %s from %s\n", argv[2], seed.c_str());
      } else {
        std::printf("%s exists; left as it is\n", argv[2]);
      }
      return 0;
    }
    if (command == "settings" && argc == 3) return PrintSettings(argv[2]);
    if (command == "run") {
      THostRunOptions options;
      try {
        options = ParseRunArgs(std::vector<std::string>(argv + 2, argv + argc));
      } catch (const EHostRunError& e) {
        std::fprintf(stderr, "kulr31-host: %s\n", ForTerminal(e.Message()).c_str());
        return HostRunBadInput;
      }
      const int code = HostRun(options, std::cout);
      std::cout.flush();
      return code;
    }
    if (command == "install")
      return RunInstallCommand(std::vector<std::string>(argv + 2, argv + argc), KULR_HOST_SEED_FILE);
  } catch (const Exception& e) {
    std::fprintf(stderr, "kulr31-host: %s\n", ForTerminal(e.Message()).c_str());
    return 1;
  }
  std::fprintf(stderr, "kulr31-host: bad command line\n");
  PrintUsage(stderr);
  return 2;
}
