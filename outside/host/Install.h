// The demo installation: lays out, in one folder, everything the plug-in,
// the host and the in-process application server read on this platform, so
// that the whole chain runs on one machine after one command. The folder
// gets the registry file (installation paths, the system code page, the
// server module for both program ids), the client and server profiles, the
// language, library and log folders, and the company database seeded from
// the repository; the application server creates its store there on first
// use. Running it again over its own installation rewrites the registry and
// the profiles but keeps both stores unless a reseed is asked for.
//
// Names handed in and out are file-system names (UTF-8). The profiles name
// their folders relative to the installation folder, so they stay plain
// ASCII and readable whatever the system code page; only the registry file
// (UTF-8) holds absolute paths.
#pragma once

#include <string>
#include <vector>

#include "host/CompanyDb.h"

// A demo installation that cannot be laid out, or a bad install command line;
// the message names the folder or file concerned and what would get past it.
class EInstallError : public EHostError {
public:
  using EHostError::EHostError;
  const char* ClassName() const override { return "EInstallError"; }
};

// The files of an installation, inside its folder.
inline constexpr char InstallMarkerFileName[] = "kulr31-demo.txt";
inline constexpr char InstallRegistryFileName[] = "registry.ini";
inline constexpr char InstallClientProfileName[] = "HelmarC.ini";
inline constexpr char InstallServerProfileName[] = "HelmarS.ini";
inline constexpr char InstallCompanyDbName[] = "company.db";
inline constexpr char InstallServerStoreName[] = "appserver.db";
// The in-process server module, looked for next to the running program.
inline constexpr char InstallServerModuleName[] = "kulr31-appserver-objects.so";

// The folders an installation holds, relative to its folder.
const std::vector<std::string>& InstallFolders();

struct TInstallOptions {
  std::string Folder;        // created when missing
  std::string ServerModule;  // "" : InstallServerModuleName next to the running program
  std::string SeedFile;      // the company database's seed script
  bool Force = false;        // lay out over a non-empty folder that holds no demo installation
  bool Reseed = false;       // build the company database again and drop the server store
};

struct TInstallResult {
  std::string Folder;        // absolute, with a trailing "/"
  std::string RegistryFile;  // what KULR_REGISTRY must name
  std::string ServerModule;  // absolute, symbolic links resolved
  bool Refreshed = false;    // the folder held a demo installation before
  // One line per thing made or kept, for the person who ran the command.
  std::vector<std::string> Made;
};

// Lays out the installation. Everything that can be checked is checked
// before the first file is written: the folder (not a file; empty, a demo
// installation, or Force), the names (UTF-8 without control characters,
// each character with a code page 936 form, since the registry hands paths
// out as bytes of that code page), the server module (an ELF file), the
// seed, and stores that are to be kept (a company database that opens, a
// server store that is an SQLite file). Files are replaced whole, each
// through a temporary file renamed over it. Raises EInstallError (or the
// company database's EHostError while seeding).
TInstallResult InstallDemo(const TInstallOptions& options);

// The shell line that points the runtime at the installation, the path
// quoted when the shell would split or expand it.
std::string InstallUseLine(const TInstallResult& result);
// What the command prints: the lines of Made, then how to use it.
std::string FormatInstallReport(const TInstallResult& result);

// The install command's arguments (after "install"):
//   DIR [--force] [--reseed] [--server-module PATH] [--seed FILE]
// options in any order; seedFile is the seed when --seed is not given.
// Raises EInstallError for anything else.
TInstallOptions ParseInstallArgs(const std::vector<std::string>& args,
                                 const std::string& seedFile);

// The command: parses, installs, prints the report to standard output.
// Returns the exit code: 0 done, 1 the installation failed, 2 a bad command
// line; failures are printed to standard error.
int RunInstallCommand(const std::vector<std::string>& args, const std::string& seedFile);

// The usage lines of the command, for the host's help text.
extern const char* const InstallUsage;
