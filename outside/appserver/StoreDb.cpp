#include "appserver/StoreDb.h"

#include <sqlite3.h>
#include <unistd.h>

#include <utility>

namespace {

// Long enough for another server object's transaction to finish; a store
// that stays locked longer is reported, not waited on forever.
constexpr int kBusyTimeoutMs = 10000;
constexpr int kWalRetryMs = 5;

}  // namespace

// ---- TStoreDb ----

TStoreDb::TStoreDb(std::string nativePath) : FPath(std::move(nativePath)) {
  const int code = sqlite3_open_v2(FPath.c_str(), &FDb,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                       SQLITE_OPEN_FULLMUTEX,
                                   nullptr);
  if (code != SQLITE_OK) {
    const std::string message = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(code);
    sqlite3_close(FDb);
    FDb = nullptr;
    throw EStoreError("application server store " + FPath + ": cannot open: " + message, code);
  }
  sqlite3_extended_result_codes(FDb, 1);
  sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
  try {
    // A job number handed out must survive a crash: the log is written and
    // synchronised before COMMIT returns.
    // Switching a fresh file to WAL takes an exclusive lock, and SQLite
    // answers "database is locked" at once, without the busy handler, while
    // another connection is doing the same: retry within the busy timeout.
    for (int waited = 0;; waited += kWalRetryMs) {
      try {
        ExecFixed("PRAGMA journal_mode=WAL");
        break;
      } catch (const EStoreError& e) {
        if ((e.ErrorCode() & 0xFF) != SQLITE_BUSY || waited >= kBusyTimeoutMs) throw;
        usleep(kWalRetryMs * 1000);
      }
    }
    ExecFixed("PRAGMA synchronous=FULL");
  } catch (...) {
    sqlite3_close(FDb);
    FDb = nullptr;
    throw;
  }
}

TStoreDb::~TStoreDb() { sqlite3_close(FDb); }

void TStoreDb::ExecFixed(const char* sql) {
  char* error = nullptr;
  const int code = sqlite3_exec(FDb, sql, nullptr, nullptr, &error);
  if (code != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errstr(code);
    sqlite3_free(error);
    throw EStoreError("application server store " + FPath + ": " + sql + ": " + message, code);
  }
}

int64_t TStoreDb::LastInsertId() const { return sqlite3_last_insert_rowid(FDb); }

void TStoreDb::Fail(int code, std::string_view what) const {
  throw EStoreError("application server store " + FPath + ": " + std::string(what) + ": " +
                        sqlite3_errmsg(FDb),
                    code);
}

// ---- TStoreStatement ----

TStoreStatement::TStoreStatement(TStoreDb& db, const char* sql) : FDb(db) {
  const int code = sqlite3_prepare_v2(db.Handle(), sql, -1, &FStmt, nullptr);
  if (code != SQLITE_OK) db.Fail(code, std::string("cannot prepare ") + sql);
}

TStoreStatement::~TStoreStatement() { sqlite3_finalize(FStmt); }

TStoreStatement& TStoreStatement::BindBlob(int index, std::string_view bytes) {
  // A zero-length BLOB, not NULL, for an empty text: "" is a value here.
  const int code = bytes.empty()
                       ? sqlite3_bind_zeroblob(FStmt, index, 0)
                       : sqlite3_bind_blob64(FStmt, index, bytes.data(), bytes.size(),
                                             SQLITE_TRANSIENT);
  if (code != SQLITE_OK) FDb.Fail(code, "cannot bind a value");
  return *this;
}

TStoreStatement& TStoreStatement::BindInt(int index, int64_t value) {
  const int code = sqlite3_bind_int64(FStmt, index, value);
  if (code != SQLITE_OK) FDb.Fail(code, "cannot bind a value");
  return *this;
}

TStoreStatement& TStoreStatement::BindDouble(int index, double value) {
  const int code = sqlite3_bind_double(FStmt, index, value);
  if (code != SQLITE_OK) FDb.Fail(code, "cannot bind a value");
  return *this;
}

bool TStoreStatement::Step() {
  const int code = sqlite3_step(FStmt);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  FDb.Fail(code, std::string("cannot run ") + sqlite3_sql(FStmt));
}

void TStoreStatement::Run() {
  while (Step()) {
  }
}

int TStoreStatement::Changes() const { return sqlite3_changes(FDb.Handle()); }

AnsiString TStoreStatement::Bytes(int column) const {
  // sqlite3_column_blob first, then the size: the order SQLite asks for.
  const void* data = sqlite3_column_blob(FStmt, column);
  const int size = sqlite3_column_bytes(FStmt, column);
  if (data == nullptr || size <= 0) return AnsiString();
  return AnsiString(static_cast<const char*>(data), static_cast<size_t>(size));
}

int64_t TStoreStatement::Int(int column) const { return sqlite3_column_int64(FStmt, column); }

double TStoreStatement::Double(int column) const { return sqlite3_column_double(FStmt, column); }

bool TStoreStatement::IsNull(int column) const {
  return sqlite3_column_type(FStmt, column) == SQLITE_NULL;
}

// ---- TStoreTransaction ----

TStoreTransaction::TStoreTransaction(TStoreDb& db) : FDb(db) {
  // IMMEDIATE takes the write lock now, so two server objects never both
  // read a state and then collide on writing it.
  FDb.ExecFixed("BEGIN IMMEDIATE");
}

TStoreTransaction::~TStoreTransaction() {
  if (FDone) return;
  // Nothing may escape a destructor; a failed rollback leaves SQLite to undo
  // the transaction when the connection closes.
  sqlite3_exec(FDb.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TStoreTransaction::Commit() {
  FDb.ExecFixed("COMMIT");
  FDone = true;
}
