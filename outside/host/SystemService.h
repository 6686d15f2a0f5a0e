// The host's system service (Com_Counter): the company's settings as a
// two-row array, and named commands. The one command it knows is
// "SIMPLESQL" [query text, column name], answered only for the query texts
// on the host's whitelist (HostQueries.h); an unknown command or a query
// text that is not on the list raises EHostError naming it. The text is
// never run as SQL.
#pragma once

#include <memory>

#include "host/CompanyDb.h"
#include "host/HostScript.h"
#include "platform/com/DispatchObject.h"

class THostSystemService : public TDispatchObject {
public:
  THostSystemService(std::shared_ptr<TCompanyDb> db, std::shared_ptr<THostScript> script);

  // [0..1, 0..n-1]: row 0 the setting names, row 1 their values. The
  // company id comes by reference and is left as it is.
  Variant GetSysInfo(const Variant& companyId);
  // "SIMPLESQL": args [query text, column name], context [company id,
  // database name]; rows as an array of one-column row arrays, Empty when
  // nothing matches.
  Variant GetCounter(const Variant& command, const Variant& args, const Variant& context);

protected:
  const TDispatchTable& DispatchTable() const override;

private:
  std::shared_ptr<TCompanyDb> FDb;
  std::shared_ptr<THostScript> FScript;
};
