// The demo host's company database: one SQLite file per company, created
// from the seed script in the repository and opened read-only by the host's
// services. Texts are stored as UTF-8 (the seed stays readable and editable)
// and leave this unit as code page 936 byte strings, which is what the
// plug-in expects from its host; texts coming in from the plug-in (GBK bytes
// or wide strings) are decoded before they are bound. Every statement is a
// fixed, prepared statement; caller texts only ever travel as bound values.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

struct sqlite3;

// A failure of the host's database or a call the host refuses; the message
// names the database file, the member or the value concerned.
class EHostError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EHostError"; }
};

// The code page of every text the host hands out.
inline constexpr int HostCodePage = 936;

// One result row: every column as a 936 byte string (NULL gives "").
using THostRow = std::vector<AnsiString>;

class TCompanyDb {
public:
  // Opens an existing database read-only; EHostError when the file is
  // missing, is not a database, or has no company record.
  explicit TCompanyDb(const std::string& path);
  ~TCompanyDb();
  TCompanyDb(const TCompanyDb&) = delete;
  TCompanyDb& operator=(const TCompanyDb&) = delete;

  // Builds a new database at path from the seed script (UTF-8 SQL). The
  // script runs in one transaction into a temporary file that replaces path
  // only when everything succeeded, so a broken seed never leaves a half
  // database behind. Every stored text must be representable in code page
  // 936. EHostError names the seed file and line of a failing statement.
  static void CreateFromSeed(const std::string& path, const std::string& seedPath);
  // Creates the database from the seed when path does not exist yet; true
  // when it did.
  static bool EnsureCreated(const std::string& path, const std::string& seedPath);

  const std::string& Path() const { return FPath; }
  // The company this database belongs to (936 bytes).
  const AnsiString& CompanyId() const { return FCompanyId; }
  const AnsiString& DatabaseName() const { return FDatabaseName; }

  // Runs one of the host's fixed statements with UTF-8 parameters bound as
  // ?1, ?2, ...; sql must come from the host's own tables, never from a
  // caller. Rows come back as 936 byte strings.
  std::vector<THostRow> Select(const char* sql, const std::vector<std::string>& params) const;

  // Raises EHostError unless companyId is empty or names this company
  // (ASCII case ignored); what names the call for the message.
  void CheckCompany(const Variant& companyId, const char* what) const;
  // The same for a database name.
  void CheckDatabase(const Variant& databaseName, const char* what) const;

private:
  std::string FPath;
  sqlite3* FDb = nullptr;
  mutable std::mutex FLock;
  AnsiString FCompanyId;
  AnsiString FDatabaseName;
};

// A caller's text as UTF-8: a byte string is decoded from code page 936, a
// wide string from UTF-16, Empty and Null give "", numbers and Booleans their
// text. Arrays and objects raise EHostError naming what.
std::string HostArgText(const Variant& value, const char* what);
// UTF-8 to code page 936 bytes; EHostError for a character 936 cannot hold.
AnsiString HostText(std::string_view utf8);
