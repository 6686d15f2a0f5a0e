// The host's lookup service (Com_F2Window): the phrase list, the date
// picker and the lookup window. Headless, each answers from the script hook
// first (THostScript) and otherwise by default: the phrase is the user's
// first phrase ("" when the user has none); the date picker answers the date
// it was opened on ("" when that is not a valid "YYYYMMDD", as if the user
// cancelled); the lookup answers the rows of the lookup's table that match
// its arguments and whose first column starts with the current text, as an
// array of row arrays in both modes (a single edit takes row 0), and Empty
// when no row matches (nothing chosen).
#pragma once

#include <memory>

#include "host/CompanyDb.h"
#include "host/HostScript.h"
#include "platform/com/DispatchObject.h"

class THostLookupService : public TDispatchObject {
public:
  THostLookupService(std::shared_ptr<TCompanyDb> db, std::shared_ptr<THostScript> script);

  AnsiString GetPhrase(const Variant& userId, const Variant& database, int32_t window);
  // [Republic-era flag, "YYYYMMDD", database name]: "YYYYMMDD" (always of
  // the common era; the flag only changes how a real picker shows years) or
  // "" when cancelled.
  AnsiString ShowInputDay(const Variant& request);
  // The lookup request, bounds 0..18 (0..16 from an edition 7 plug-in).
  Variant F2GetData(const Variant& request);

protected:
  const TDispatchTable& DispatchTable() const override;

private:
  std::shared_ptr<TCompanyDb> FDb;
  std::shared_ptr<THostScript> FScript;
};
