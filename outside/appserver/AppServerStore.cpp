#include "appserver/AppServerStore.h"

#include <cstdio>
#include <utility>

#include "env/HelmarINI.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"
#include "platform/win/Paths.h"

namespace {

// The schema this build writes; a file of a later version is refused rather
// than misread.
constexpr int kSchemaVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS schemes (
  NCONDITION  BLOB NOT NULL,
  CREATOR     BLOB NOT NULL,
  PROGRAMME   BLOB NOT NULL,
  SCONDITION  BLOB NOT NULL,
  VCONDITION  BLOB NOT NULL,
  CREATE_DATE BLOB NOT NULL,
  PRIMARY KEY (NCONDITION, CREATOR, PROGRAMME));
CREATE TABLE IF NOT EXISTS jobs (
  JOBID       INTEGER PRIMARY KEY AUTOINCREMENT,
  JOBRECORD   BLOB NOT NULL,
  PROGRAMME   BLOB NOT NULL,
  CREATOR     BLOB NOT NULL,
  WORKSTATION BLOB NOT NULL,
  STATUS      INTEGER NOT NULL,
  MESSAGES    BLOB NOT NULL,
  CREATED     REAL NOT NULL,
  UPDATED     REAL);
CREATE TABLE IF NOT EXISTS rights (
  CREATOR     BLOB NOT NULL,
  PROGRAMME   BLOB NOT NULL,
  RIGHTS      BLOB NOT NULL,
  LIMITKIND   BLOB NOT NULL DEFAULT x'',
  LIMITITEMS  BLOB NOT NULL DEFAULT x'',
  PRIMARY KEY (CREATOR, PROGRAMME));
CREATE TABLE IF NOT EXISTS open_requests (
  ID          INTEGER PRIMARY KEY AUTOINCREMENT,
  REQUESTED   REAL NOT NULL,
  JOBNUMBER   BLOB NOT NULL,
  JOBKEY      BLOB NOT NULL,
  CREATOR     BLOB NOT NULL,
  PRODUCT     INTEGER NOT NULL,
  RESULT      INTEGER NOT NULL);
)sql";

}  // namespace

// ---- TAppServerConfig ----

TAppServerConfig TAppServerConfig::FromProfile() {
  const THelmarIniS ini;
  if (ini.ServerPath().empty())
    throw EStoreError("application server store: the registry names no server installation "
                      "(HKEY_LOCAL_MACHINE\\" + AnsiString(HelmarRegistryKey) + ", ServerPath)" +
                          (ini.LastError().empty() ? "" : ", " + ini.LastError()),
                      0);
  TAppServerConfig config;
  const AnsiString name = Trim(VarToStr(ini.DBSettings()(0, 4)));
  const AnsiString path = name.empty() ? ini.ServerPath() + "appserver.db"
                                       : ResolvePath(name, ini.ServerPath());
  config.DatabasePath = ToNativePath(path);
  int codePage = 0;
  if (TryStrToInt(ini.DBCodePage(), codePage) && codePage > 0) config.CodePage = codePage;
  return config;
}

// ---- TAppServerStore ----

TAppServerStore::TAppServerStore(TAppServerConfig config)
    : FConfig(std::move(config)), FDb(FConfig.DatabasePath) {
  CreateSchema();
}

void TAppServerStore::CreateSchema() {
  TStoreTransaction transaction(FDb);
  int version = 0;
  {
    TStoreStatement query(FDb, "PRAGMA user_version");
    if (query.Step()) version = static_cast<int>(query.Int(0));
  }
  if (version > kSchemaVersion)
    throw EStoreError("application server store " + FDb.Path() + ": written by a newer server "
                      "(schema " + std::to_string(version) + ", this server knows " +
                          std::to_string(kSchemaVersion) + ")",
                      0);
  FDb.ExecFixed(kSchema);
  if (version < kSchemaVersion) FDb.ExecFixed("PRAGMA user_version = 1");
  transaction.Commit();
}

// ---- Schemes ----

bool TAppServerStore::SaveScheme(const TSchemeRecord& scheme, bool replace) {
  std::lock_guard lock(FLock);
  TStoreTransaction transaction(FDb);
  // INSERT OR REPLACE would also do, but it deletes and inserts: a plain
  // UPDATE keeps the row where it is.
  TStoreStatement update(FDb,
                         "UPDATE schemes SET SCONDITION = ?4, VCONDITION = ?5, CREATE_DATE = ?6 "
                         "WHERE NCONDITION = ?1 AND CREATOR = ?2 AND PROGRAMME = ?3");
  TStoreStatement exists(FDb,
                         "SELECT 1 FROM schemes "
                         "WHERE NCONDITION = ?1 AND CREATOR = ?2 AND PROGRAMME = ?3");
  exists.BindBlob(1, scheme.Key.Name).BindBlob(2, scheme.Key.Creator).BindBlob(3, scheme.Key.Programme);
  if (exists.Step()) {
    if (!replace) return false;
    update.BindBlob(1, scheme.Key.Name)
        .BindBlob(2, scheme.Key.Creator)
        .BindBlob(3, scheme.Key.Programme)
        .BindBlob(4, scheme.Props)
        .BindBlob(5, scheme.Values)
        .BindBlob(6, scheme.CreateDate);
    update.Run();
  } else {
    TStoreStatement insert(FDb, "INSERT INTO schemes VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    insert.BindBlob(1, scheme.Key.Name)
        .BindBlob(2, scheme.Key.Creator)
        .BindBlob(3, scheme.Key.Programme)
        .BindBlob(4, scheme.Props)
        .BindBlob(5, scheme.Values)
        .BindBlob(6, scheme.CreateDate);
    insert.Run();
  }
  transaction.Commit();
  return true;
}

bool TAppServerStore::DeleteScheme(const TSchemeKey& key) {
  std::lock_guard lock(FLock);
  TStoreTransaction transaction(FDb);
  TStoreStatement del(FDb,
                      "DELETE FROM schemes WHERE NCONDITION = ?1 AND CREATOR = ?2 AND PROGRAMME = ?3");
  del.BindBlob(1, key.Name).BindBlob(2, key.Creator).BindBlob(3, key.Programme);
  del.Run();
  const bool deleted = del.Changes() > 0;
  transaction.Commit();
  return deleted;
}

TRenameResult TAppServerStore::RenameScheme(const TSchemeKey& key, const AnsiString& newName) {
  std::lock_guard lock(FLock);
  TStoreTransaction transaction(FDb);
  TStoreStatement find(FDb,
                       "SELECT 1 FROM schemes "
                       "WHERE NCONDITION = ?1 AND CREATOR = ?2 AND PROGRAMME = ?3");
  find.BindBlob(1, key.Name).BindBlob(2, key.Creator).BindBlob(3, key.Programme);
  if (!find.Step()) return TRenameResult::NotFound;
  if (newName == key.Name) return TRenameResult::Renamed;
  TStoreStatement taken(FDb,
                        "SELECT 1 FROM schemes "
                        "WHERE NCONDITION = ?1 AND CREATOR = ?2 AND PROGRAMME = ?3");
  taken.BindBlob(1, newName).BindBlob(2, key.Creator).BindBlob(3, key.Programme);
  if (taken.Step()) return TRenameResult::NewNameTaken;
  TStoreStatement rename(FDb,
                         "UPDATE schemes SET NCONDITION = ?4 "
                         "WHERE NCONDITION = ?1 AND CREATOR = ?2 AND PROGRAMME = ?3");
  rename.BindBlob(1, key.Name).BindBlob(2, key.Creator).BindBlob(3, key.Programme).BindBlob(4, newName);
  rename.Run();
  transaction.Commit();
  return TRenameResult::Renamed;
}

std::vector<TSchemeRecord> TAppServerStore::Schemes(const AnsiString& creator,
                                                    const AnsiString& programme) {
  std::lock_guard lock(FLock);
  TStoreStatement query(FDb,
                        "SELECT NCONDITION, CREATOR, PROGRAMME, SCONDITION, VCONDITION, CREATE_DATE "
                        "FROM schemes WHERE CREATOR = ?1 AND PROGRAMME = ?2 ORDER BY NCONDITION");
  query.BindBlob(1, creator).BindBlob(2, programme);
  std::vector<TSchemeRecord> rows;
  while (query.Step()) {
    TSchemeRecord row;
    row.Key.Name = query.Bytes(0);
    row.Key.Creator = query.Bytes(1);
    row.Key.Programme = query.Bytes(2);
    row.Props = query.Bytes(3);
    row.Values = query.Bytes(4);
    row.CreateDate = query.Bytes(5);
    rows.push_back(std::move(row));
  }
  return rows;
}

// ---- Jobs ----

AnsiString TAppServerStore::FormatJobNumber(int64_t id) {
  char text[24];
  std::snprintf(text, sizeof text, "%08lld", static_cast<long long>(id));
  return text;
}

std::optional<int64_t> TAppServerStore::ParseJobNumber(const AnsiString& jobNumber) {
  if (jobNumber.size() != 8) return std::nullopt;
  int64_t id = 0;
  for (char c : jobNumber) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + (c - '0');
  }
  if (id == 0) return std::nullopt;
  return id;
}

AnsiString TAppServerStore::AddJob(const AnsiString& recordBytes, const AnsiString& programme,
                                   const AnsiString& creator, const AnsiString& workstation,
                                   int status, TDateTime created) {
  std::lock_guard lock(FLock);
  TStoreTransaction transaction(FDb);
  TStoreStatement insert(FDb,
                         "INSERT INTO jobs (JOBRECORD, PROGRAMME, CREATOR, WORKSTATION, STATUS, "
                         "MESSAGES, CREATED) VALUES (?1, ?2, ?3, ?4, ?5, x'', ?6)");
  insert.BindBlob(1, recordBytes)
      .BindBlob(2, programme)
      .BindBlob(3, creator)
      .BindBlob(4, workstation)
      .BindInt(5, status)
      .BindDouble(6, created.Value);
  insert.Run();
  const int64_t id = FDb.LastInsertId();
  if (id > MaxJobId)
    throw EStoreError("application server store " + FDb.Path() +
                          ": the eight-digit job numbers are used up",
                      0);  // the transaction rolls back: no number is handed out
  transaction.Commit();
  return FormatJobNumber(id);
}

bool TAppServerStore::ReportJob(const AnsiString& jobNumber, const AnsiString& messages,
                                TDateTime when) {
  const std::optional<int64_t> id = ParseJobNumber(jobNumber);
  if (!id) return false;
  std::lock_guard lock(FLock);
  TStoreTransaction transaction(FDb);
  TStoreStatement update(FDb,
                         "UPDATE jobs SET STATUS = ?2, MESSAGES = ?3, UPDATED = ?4 WHERE JOBID = ?1");
  update.BindInt(1, *id).BindInt(2, jsReported).BindBlob(3, messages).BindDouble(4, when.Value);
  update.Run();
  const bool found = update.Changes() > 0;
  transaction.Commit();
  return found;
}

std::optional<TJobRow> TAppServerStore::FindJob(const AnsiString& jobNumber) {
  const std::optional<int64_t> id = ParseJobNumber(jobNumber);
  if (!id) return std::nullopt;
  std::lock_guard lock(FLock);
  TStoreStatement query(FDb,
                        "SELECT JOBRECORD, PROGRAMME, CREATOR, WORKSTATION, STATUS, MESSAGES, "
                        "CREATED, UPDATED FROM jobs WHERE JOBID = ?1");
  query.BindInt(1, *id);
  if (!query.Step()) return std::nullopt;
  TJobRow row;
  row.JobNumber = FormatJobNumber(*id);
  row.RecordBytes = query.Bytes(0);
  row.Programme = query.Bytes(1);
  row.Creator = query.Bytes(2);
  row.Workstation = query.Bytes(3);
  row.Status = static_cast<int>(query.Int(4));
  row.Messages = query.Bytes(5);
  row.Created = TDateTime(query.Double(6));
  if (!query.IsNull(7)) row.Updated = TDateTime(query.Double(7));
  return row;
}

// ---- Rights ----

std::optional<TRightsRow> TAppServerStore::FindRights(const AnsiString& creator,
                                                      const AnsiString& programme) {
  std::lock_guard lock(FLock);
  // The table is meant to be edited by hand, where texts come in as TEXT:
  // compared as BLOBs, 'abc' and x'616263' are the same key.
  TStoreStatement query(FDb,
                        "SELECT RIGHTS, LIMITKIND, LIMITITEMS FROM rights "
                        "WHERE CAST(CREATOR AS BLOB) = ?1 "
                        "AND CAST(PROGRAMME AS BLOB) IN (?2, CAST('*' AS BLOB)) "
                        "ORDER BY CAST(PROGRAMME AS BLOB) = CAST('*' AS BLOB) LIMIT 1");
  query.BindBlob(1, creator).BindBlob(2, programme);
  if (!query.Step()) return std::nullopt;
  TRightsRow row;
  row.Rights = query.Bytes(0);
  row.LimitKind = query.Bytes(1);
  row.LimitItems = query.Bytes(2);
  return row;
}

void TAppServerStore::SetRights(const AnsiString& creator, const AnsiString& programme,
                                const TRightsRow& row) {
  std::lock_guard lock(FLock);
  TStoreTransaction transaction(FDb);
  TStoreStatement upsert(FDb, "INSERT OR REPLACE INTO rights VALUES (?1, ?2, ?3, ?4, ?5)");
  upsert.BindBlob(1, creator)
      .BindBlob(2, programme)
      .BindBlob(3, row.Rights)
      .BindBlob(4, row.LimitKind)
      .BindBlob(5, row.LimitItems);
  upsert.Run();
  transaction.Commit();
}

// ---- Report-open requests ----

void TAppServerStore::LogOpenRequest(const TOpenRequest& request) {
  std::lock_guard lock(FLock);
  TStoreTransaction transaction(FDb);
  TStoreStatement insert(FDb,
                         "INSERT INTO open_requests (REQUESTED, JOBNUMBER, JOBKEY, CREATOR, "
                         "PRODUCT, RESULT) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
  insert.BindDouble(1, request.Requested.Value)
      .BindBlob(2, request.JobNumber)
      .BindBlob(3, request.JobKey)
      .BindBlob(4, request.Creator)
      .BindInt(5, request.Product)
      .BindInt(6, request.Result);
  insert.Run();
  transaction.Commit();
}

std::vector<TOpenRequest> TAppServerStore::OpenRequests() {
  std::lock_guard lock(FLock);
  TStoreStatement query(FDb,
                        "SELECT REQUESTED, JOBNUMBER, JOBKEY, CREATOR, PRODUCT, RESULT "
                        "FROM open_requests ORDER BY ID");
  std::vector<TOpenRequest> rows;
  while (query.Step()) {
    TOpenRequest row;
    row.Requested = TDateTime(query.Double(0));
    row.JobNumber = query.Bytes(1);
    row.JobKey = query.Bytes(2);
    row.Creator = query.Bytes(3);
    row.Product = query.Int(4);
    row.Result = static_cast<int>(query.Int(5));
    rows.push_back(std::move(row));
  }
  return rows;
}
