// The host's query service (Com_Validator): named queries on the company's
// tables. QueryData answers every matching row (an array of row arrays),
// CheckValue the first one (an array of columns); both write the answer
// back through the by-reference result argument and return true, or leave
// the result Empty and return false when no row matches. A table and code
// the host does not know, or the wrong number of arguments, raise EHostError.
// ProductID and BaseLimited are kept as the caller sets them; the demo's
// data is not limited by them.
#pragma once

#include <memory>

#include "host/CompanyDb.h"
#include "host/HostScript.h"
#include "platform/com/DispatchObject.h"

class THostQueryService : public TDispatchObject {
public:
  THostQueryService(std::shared_ptr<TCompanyDb> db, std::shared_ptr<THostScript> script);

  bool QueryData(const Variant& table, const Variant& code, const Variant& database,
                 const Variant& args, Variant& result);
  bool CheckValue(const Variant& table, const Variant& code, const Variant& database,
                  const Variant& args, Variant& result);

  int32_t GetProductID() const { return FProductID; }
  void SetProductID(int32_t value) { FProductID = value; }
  AnsiString GetBaseLimited() const { return FBaseLimited; }
  void SetBaseLimited(const Variant& value);

protected:
  const TDispatchTable& DispatchTable() const override;

private:
  std::vector<THostRow> Run(const char* member, const Variant& table, const Variant& code,
                            const Variant& database, const Variant& args);

  std::shared_ptr<TCompanyDb> FDb;
  std::shared_ptr<THostScript> FScript;
  int32_t FProductID = 0;
  AnsiString FBaseLimited;
};

// The arguments of a query as UTF-8 texts: an array gives its elements, a
// single value one argument, Empty and Null none. EHostError for a nested
// array or an object.
std::vector<std::string> HostQueryArgs(const Variant& args, const char* what);
// Rows as the Variant callers read: an array (0..n-1) of row arrays (0..m-1).
Variant HostRowsToVariant(const std::vector<THostRow>& rows);
Variant HostRowToVariant(const THostRow& row);
