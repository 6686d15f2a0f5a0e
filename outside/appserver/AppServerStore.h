// AppServerStore: what the application server keeps between calls, in one
// SQLite file: the users' condition schemes, the jobs handed in, the rights
// table and the log of report-open requests. Texts are byte strings in the
// store's code page and are kept as BLOBs, byte for byte. Each writing call is
// one transaction, committed to disk before it returns. One store may be
// used from several threads; each object opens its own connection, and
// several connections may share the file.
//
// Tables:
//   schemes  NCONDITION, CREATOR, PROGRAMME (the key), SCONDITION,
//            VCONDITION, CREATE_DATE ("YYYYMMDD")
//   jobs     JOBID (AUTOINCREMENT: a number is never handed out twice, not
//            even after deletes), JOBRECORD (SaveVariant bytes of the whole
//            record), PROGRAMME, CREATOR, WORKSTATION, STATUS, MESSAGES,
//            CREATED and UPDATED (day counts)
//   rights   CREATOR, PROGRAMME ("*" = every program), RIGHTS (six
//            comma-separated parts, the fourth the mask), LIMITKIND, LIMITITEMS
//            (items separated by ";"). Seeded empty: a user without a row
//            has full rights.
//   open_requests  one row per report-open request and its result code
//
// Job numbers are eight decimal digits, "00000001" upwards: the client keys
// a job by the first eight characters of its number, so the whole number
// must fit in them.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "appserver/StoreDb.h"
#include "platform/rtl/Types.h"

// Where the store is and how it turns wide texts into bytes.
struct TAppServerConfig {
  std::string DatabasePath;  // file-system name (UTF-8)
  int CodePage = 936;        // the storage code page

  // From the server profile (HelmarS.ini, found through the registry):
  // DBSettings cell (0,4) "MainDBName" resolved against ServerPath, or
  // ServerPath + "appserver.db" when it is empty; the code page is the
  // profile's DBCodePage. Raises EStoreError when the registry names no
  // server installation.
  static TAppServerConfig FromProfile();
};

// Job states as the STATUS column holds them.
inline constexpr int jsQueued = 0;      // handed in with Request: the server produces it
inline constexpr int jsRegistered = 1;  // registered with Request1: the client runs it
inline constexpr int jsReported = 2;    // the client reported back with UpdateStatus1

// The highest job number eight digits hold.
inline constexpr int64_t MaxJobId = 99999999;

struct TSchemeKey {
  AnsiString Name;       // NCONDITION
  AnsiString Creator;    // CREATOR
  AnsiString Programme;  // PROGRAMME
};

struct TSchemeRecord {
  TSchemeKey Key;
  AnsiString Props;       // SCONDITION
  AnsiString Values;      // VCONDITION
  AnsiString CreateDate;  // CREATE_DATE
};

struct TJobRow {
  AnsiString JobNumber;
  AnsiString RecordBytes;  // SaveVariant bytes
  AnsiString Programme;
  AnsiString Creator;
  AnsiString Workstation;
  int Status = jsQueued;
  AnsiString Messages;
  TDateTime Created;
  std::optional<TDateTime> Updated;
};

struct TRightsRow {
  AnsiString Rights;      // six comma-separated parts
  AnsiString LimitKind;
  AnsiString LimitItems;  // ";"-separated
};

struct TOpenRequest {
  AnsiString JobNumber;
  AnsiString JobKey;
  AnsiString Creator;
  int64_t Product = 0;
  int Result = 0;
  TDateTime Requested;
};

enum class TRenameResult { Renamed, NotFound, NewNameTaken };

class TAppServerStore {
public:
  // Opens the database, creating the file and its tables when missing.
  // Raises EStoreError when it cannot, or when the file was written by a
  // newer store.
  explicit TAppServerStore(TAppServerConfig config);

  const TAppServerConfig& Config() const { return FConfig; }

  // ---- Schemes ----
  // False (and nothing written) when the key exists and replace is false.
  bool SaveScheme(const TSchemeRecord& scheme, bool replace);
  // False when there is no such scheme.
  bool DeleteScheme(const TSchemeKey& key);
  TRenameResult RenameScheme(const TSchemeKey& key, const AnsiString& newName);
  // One user's schemes of one program, ordered by name (bytes).
  std::vector<TSchemeRecord> Schemes(const AnsiString& creator, const AnsiString& programme);

  // ---- Jobs ----
  // Stores a job and returns its new number, once committed. Raises
  // EStoreError when the numbers are used up.
  AnsiString AddJob(const AnsiString& recordBytes, const AnsiString& programme,
                    const AnsiString& creator, const AnsiString& workstation, int status,
                    TDateTime created);
  // False when no job has that number.
  bool ReportJob(const AnsiString& jobNumber, const AnsiString& messages, TDateTime when);
  std::optional<TJobRow> FindJob(const AnsiString& jobNumber);

  // ---- Rights ----
  // The row for the user and program, else the user's "*" row.
  std::optional<TRightsRow> FindRights(const AnsiString& creator, const AnsiString& programme);
  // For tests and administration.
  void SetRights(const AnsiString& creator, const AnsiString& programme, const TRightsRow& row);

  // ---- Report-open requests ----
  void LogOpenRequest(const TOpenRequest& request);
  std::vector<TOpenRequest> OpenRequests();

  // "00000042" for 42.
  static AnsiString FormatJobNumber(int64_t id);
  // The id of a job number in that form; nullopt for anything else.
  static std::optional<int64_t> ParseJobNumber(const AnsiString& jobNumber);

private:
  void CreateSchema();

  TAppServerConfig FConfig;
  std::mutex FLock;  // one call at a time on the connection
  TStoreDb FDb;
};
