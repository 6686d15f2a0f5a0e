// StoreDb: the thin layer between the application server's store and
// SQLite. It opens a database file, runs prepared statements with bound
// parameters (texts go in as BLOBs so that code-page bytes are stored
// exactly) and wraps writes in transactions. Every SQLite failure raises
// EStoreError with the database file and SQLite's own message; nothing here
// ever builds SQL out of input text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

struct sqlite3;
struct sqlite3_stmt;

// A store that cannot be opened, read or written.
class EStoreError : public EInOutError {
public:
  EStoreError(AnsiString message, int errorCode) : EInOutError(std::move(message), errorCode) {}
  const char* ClassName() const override { return "EStoreError"; }
};

class TStoreDb {
public:
  // Opens (creating when missing) the database at nativePath (a UTF-8 file
  // name), with write-ahead logging, full synchronisation and a busy wait so
  // that several server objects can share one file.
  explicit TStoreDb(std::string nativePath);
  ~TStoreDb();
  TStoreDb(const TStoreDb&) = delete;
  TStoreDb& operator=(const TStoreDb&) = delete;

  const std::string& Path() const { return FPath; }
  sqlite3* Handle() const { return FDb; }

  // Runs SQL text that the program itself holds (schema, pragmas); never
  // input text.
  void ExecFixed(const char* sql);
  // The rowid of the last row this connection inserted.
  int64_t LastInsertId() const;

  // Raises EStoreError for code, naming what was being done.
  [[noreturn]] void Fail(int code, std::string_view what) const;

private:
  std::string FPath;
  sqlite3* FDb = nullptr;
};

// One prepared statement. Parameters are numbered from 1.
class TStoreStatement {
public:
  TStoreStatement(TStoreDb& db, const char* sql);
  ~TStoreStatement();
  TStoreStatement(const TStoreStatement&) = delete;
  TStoreStatement& operator=(const TStoreStatement&) = delete;

  TStoreStatement& BindBlob(int index, std::string_view bytes);
  TStoreStatement& BindInt(int index, int64_t value);
  TStoreStatement& BindDouble(int index, double value);

  // Steps once: true when a row is ready to read, false when done.
  bool Step();
  // Steps to the end, for statements that return no rows.
  void Run();
  // Rows changed by the last Run.
  int Changes() const;

  // Column values of the current row; a column that is NULL reads as "" / 0.
  AnsiString Bytes(int column) const;
  int64_t Int(int column) const;
  double Double(int column) const;
  bool IsNull(int column) const;

private:
  TStoreDb& FDb;
  sqlite3_stmt* FStmt = nullptr;
};

// BEGIN IMMEDIATE on construction; rolled back unless Commit ran. A
// committed transaction is on disk when Commit returns.
class TStoreTransaction {
public:
  explicit TStoreTransaction(TStoreDb& db);
  ~TStoreTransaction();
  TStoreTransaction(const TStoreTransaction&) = delete;
  TStoreTransaction& operator=(const TStoreTransaction&) = delete;

  void Commit();

private:
  TStoreDb& FDb;
  bool FDone = false;
};
