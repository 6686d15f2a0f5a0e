#include "host/CompanyDb.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Closes a connection on every path out of a function.
struct TDbCloser {
  sqlite3* Db = nullptr;
  ~TDbCloser() {
    if (Db) sqlite3_close(Db);
  }
};

struct TStmt {
  sqlite3_stmt* Stmt = nullptr;
  ~TStmt() {
    if (Stmt) sqlite3_finalize(Stmt);
  }
};

AnsiString DbError(sqlite3* db, const std::string& path, const std::string& what) {
  return path + ": " + what + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
}

// 1-based line of the byte at offset in text.
int LineAt(const std::string& text, size_t offset) {
  int line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i)
    if (text[i] == '\n') ++line;
  return line;
}

// Where the next statement starts: past blanks and comments.
size_t SkipBlanksAndComments(const std::string& text, size_t offset) {
  while (offset < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[offset]))) {
      ++offset;
    } else if (text.compare(offset, 2, "--") == 0) {
      size_t end = text.find('\n', offset);
      offset = end == std::string::npos ? text.size() : end + 1;
    } else if (text.compare(offset, 2, "/*") == 0) {
      size_t end = text.find("*/", offset + 2);
      offset = end == std::string::npos ? text.size() : end + 2;
    } else {
      break;
    }
  }
  return offset;
}

// A text column as UTF-8 ("" for NULL).
std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  if (!text) return {};
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
}

// Every text of every table must have a 936 form: checked once when seeding,
// so that no answer can fail later. Table names come from the new database's
// own catalogue and are quoted as identifiers.
void CheckTextsFitCodePage(sqlite3* db, const std::string& seedPath) {
  std::vector<std::string> tables;
  {
    TStmt list;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1,
                           &list.Stmt, nullptr) != SQLITE_OK)
      throw EHostError(DbError(db, seedPath, "listing tables"));
    while (sqlite3_step(list.Stmt) == SQLITE_ROW) tables.push_back(ColumnText(list.Stmt, 0));
  }
  for (const std::string& table : tables) {
    std::string quoted = "\"";
    for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    TStmt rows;
    std::string sql = "SELECT * FROM " + quoted;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &rows.Stmt, nullptr) != SQLITE_OK)
      throw EHostError(DbError(db, seedPath, "reading table " + table));
    int row = 0;
    while (sqlite3_step(rows.Stmt) == SQLITE_ROW) {
      ++row;
      for (int c = 0; c < sqlite3_column_count(rows.Stmt); ++c) {
        if (sqlite3_column_type(rows.Stmt, c) != SQLITE_TEXT) continue;
        try {
          HostText(ColumnText(rows.Stmt, c));
        } catch (const EHostError& e) {
          throw EHostError(seedPath + ": table " + table + ", row " + std::to_string(row) +
                           ", column " + sqlite3_column_name(rows.Stmt, c) + ": " + e.Message());
        }
      }
    }
  }
}

AnsiString ReadCompanyField(sqlite3* db, const std::string& path, const char* sql) {
  TStmt stmt;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt.Stmt, nullptr) != SQLITE_OK)
    throw EHostError(DbError(db, path, "not a company database"));
  if (sqlite3_step(stmt.Stmt) != SQLITE_ROW)
    throw EHostError(path + ": not a company database: the COMPANY table has no row");
  return HostText(ColumnText(stmt.Stmt, 0));
}

void CheckName(const Variant& given, const AnsiString& own, const char* what, const char* kind) {
  AnsiString text = HostText(HostArgText(given, what));
  if (text.empty() || SameText(text, own)) return;
  throw EHostError(AnsiString(what) + ": " + kind + " '" + text + "' is not served here (this host serves '" +
                   own + "')");
}

}  // namespace

// ---- Text conversions ----

std::string HostArgText(const Variant& value, const char* what) {
  const Variant& v = value.Deref();
  if (v.IsEmpty() || v.IsNull()) return {};
  if (const AnsiString* bytes = v.GetIf<AnsiString>())
    return WideToUtf8(CodePageToWide(HostCodePage, *bytes));
  if (const WideString* wide = v.GetIf<WideString>()) return WideToUtf8(*wide);
  if (v.IsArray() || v.GetIf<TDispatchRef>())
    throw EHostError(AnsiString(what) + ": a text was expected, not " + VarTypeAsText(v.VarType()));
  return v.AsString();  // numbers, Booleans and dates: ASCII texts
}

AnsiString HostText(std::string_view utf8) {
  bool lossy = false;
  AnsiString bytes = WideToCodePage(HostCodePage, Utf8ToWide(utf8), &lossy);
  if (lossy)
    throw EHostError("text has no code page 936 form: " + std::string(utf8));
  return bytes;
}

// ---- TCompanyDb ----

TCompanyDb::TCompanyDb(const std::string& path) : FPath(path) {
  if (!FileExists(path)) throw EHostError(path + ": company database not found");
  int rc = sqlite3_open_v2(path.c_str(), &FDb, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    AnsiString message = DbError(FDb, path, "cannot open");
    sqlite3_close(FDb);
    FDb = nullptr;
    throw EHostError(message);
  }
  try {
    FCompanyId = ReadCompanyField(FDb, path, "SELECT ID FROM COMPANY");
    FDatabaseName = ReadCompanyField(FDb, path, "SELECT DBNAME FROM COMPANY");
  } catch (...) {
    sqlite3_close(FDb);
    FDb = nullptr;
    throw;
  }
}

TCompanyDb::~TCompanyDb() {
  if (FDb) sqlite3_close(FDb);
}

void TCompanyDb::CreateFromSeed(const std::string& path, const std::string& seedPath) {
  std::ifstream in(seedPath, std::ios::binary);
  if (!in) throw EHostError(seedPath + ": seed file not found");
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string script = buffer.str();

  const std::string temp = path + ".seeding-" + std::to_string(::getpid());
  std::remove(temp.c_str());
  try {
    TDbCloser db;
    if (sqlite3_open_v2(temp.c_str(), &db.Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
      throw EHostError(DbError(db.Db, path, "cannot create"));
    if (sqlite3_exec(db.Db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
      throw EHostError(DbError(db.Db, path, "cannot start the seed"));
    // The seed is the repository's own script: its statements are prepared
    // and run one by one, so that an error names its line.
    const char* tail = script.c_str();
    const char* end = script.c_str() + script.size();
    while (tail < end) {
      TStmt stmt;
      const char* start = tail;
      const int line = LineAt(script, SkipBlanksAndComments(script, static_cast<size_t>(start - script.c_str())));
      if (sqlite3_prepare_v2(db.Db, start, static_cast<int>(end - start), &stmt.Stmt, &tail) != SQLITE_OK)
        throw EHostError(seedPath + ":" + std::to_string(line) + ": " + sqlite3_errmsg(db.Db));
      if (!stmt.Stmt) continue;  // blanks and comments only
      int rc;
      while ((rc = sqlite3_step(stmt.Stmt)) == SQLITE_ROW) {
      }
      if (rc != SQLITE_DONE)
        throw EHostError(seedPath + ":" + std::to_string(line) + ": " + sqlite3_errmsg(db.Db));
    }
    CheckTextsFitCodePage(db.Db, seedPath);
    if (sqlite3_exec(db.Db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      throw EHostError(DbError(db.Db, path, "cannot commit the seed"));
    {
      TStmt check;
      if (sqlite3_prepare_v2(db.Db, "SELECT COUNT(*) FROM COMPANY", -1, &check.Stmt, nullptr) != SQLITE_OK ||
          sqlite3_step(check.Stmt) != SQLITE_ROW || sqlite3_column_int(check.Stmt, 0) != 1)
        throw EHostError(seedPath + ": the seed must create table COMPANY with exactly one row");
    }
  } catch (...) {
    std::remove(temp.c_str());
    throw;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    throw EHostError(path + ": cannot move the new database into place");
  }
}

bool TCompanyDb::EnsureCreated(const std::string& path, const std::string& seedPath) {
  if (FileExists(path)) return false;
  CreateFromSeed(path, seedPath);
  return true;
}

std::vector<THostRow> TCompanyDb::Select(const char* sql, const std::vector<std::string>& params) const {
  std::lock_guard<std::mutex> guard(FLock);
  TStmt stmt;
  if (sqlite3_prepare_v2(FDb, sql, -1, &stmt.Stmt, nullptr) != SQLITE_OK)
    throw EHostError(DbError(FDb, FPath, "cannot prepare a host query"));
  if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(stmt.Stmt))
    throw EHostError(FPath + ": host query takes " +
                     std::to_string(sqlite3_bind_parameter_count(stmt.Stmt)) + " parameters, " +
                     std::to_string(params.size()) + " given");
  for (size_t i = 0; i < params.size(); ++i)
    sqlite3_bind_text(stmt.Stmt, static_cast<int>(i + 1), params[i].data(),
                      static_cast<int>(params[i].size()), SQLITE_TRANSIENT);
  std::vector<THostRow> rows;
  int rc;
  while ((rc = sqlite3_step(stmt.Stmt)) == SQLITE_ROW) {
    THostRow row;
    for (int c = 0; c < sqlite3_column_count(stmt.Stmt); ++c)
      row.push_back(HostText(ColumnText(stmt.Stmt, c)));
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) throw EHostError(DbError(FDb, FPath, "host query failed"));
  return rows;
}

void TCompanyDb::CheckCompany(const Variant& companyId, const char* what) const {
  CheckName(companyId, FCompanyId, what, "company");
}

void TCompanyDb::CheckDatabase(const Variant& databaseName, const char* what) const {
  CheckName(databaseName, FDatabaseName, what, "database");
}
