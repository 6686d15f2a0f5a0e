// ReportServer: the report server object "DerezaRozududA.dmReportCounter",
// the application server object behind a condition form's connection. It
// keeps the users' condition schemes, takes report jobs and hands out their
// numbers, answers rights and the database kind, and publishes the scheme
// provider "pvdConSave" through the provider calls (see Provider.h).
//
// Members, all late-bound by name:
//   SQLType                       0: the kind of database the server stores in,
//                                 numbered as the server profile's main
//                                 database types (0 other, 1 Oracle, 2 DB2);
//                                 this server stores in SQLite, kind 0.
//   GetPower([db, user, program, ""])  the rights record [0..5]:
//                                 [0] user id, [1] six comma-separated parts
//                                 (the fourth the rights mask), [2] program code,
//                                 [3] database name, [4] the data-limit kind,
//                                 [5] [count, item 1 .. item count]. Without a
//                                 row in the rights table: full rights,
//                                 DefaultRights, no data limit.
//   LoadTable([user, program])    chooses the schemes "pvdConSave" returns next
//   InsertConTable([name, user, "YYYYMMDD", program, props, values, replace])
//   DeleteConTable([name, user, program])
//   ChangeConName([old name, user, program], [new name, user, program])
//                                 "" on success, otherwise why not
//   Request(record), Request1(record, workstation)
//                                 stores the whole job record and returns its
//                                 number ("00000042"); "ERROR" on any failure,
//                                 with ErrorDescript saying why
//   ErrorDescript                 the last failure of Request/Request1
//   UpdateStatus1(job number, message texts, date-time)
//                                 records what the client's run reported
//   AS_GetProviderNames, AS_GetRecords(provider)   the provider protocol
//
// Bad arguments of the scheme and job members are answered with a text, not
// a failed call. LoadTable, GetPower, UpdateStatus1 and AS_GetRecords raise
// (the caller sees an EOleException with the reason), as their callers catch
// failures. One object serves one connection, one call at a time: the scheme
// selection and the last error belong to it.
#pragma once

#include <memory>
#include <span>

#include "appserver/AppServerStore.h"
#include "appserver/SchemeProvider.h"
#include "platform/com/DispatchObject.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

inline constexpr char ReportServerProgId[] = "DerezaRozududA.dmReportCounter";
inline constexpr int32_t ReportServerSQLType = 0;
// Full rights: six parts, the fourth a mask without any "N".
inline constexpr char DefaultRights[] = "Y,Y,Y,YYYYYYYYYY,Y,Y";
// What Request and Request1 answer on failure.
inline constexpr char JobRequestFailed[] = "ERROR";

class TReportServer : public TDispatchObject {
public:
  // Opens a store of its own on the configured database.
  explicit TReportServer(TAppServerConfig config);
  ~TReportServer() override;

  int32_t SQLType() const;
  Variant GetPower(const Variant& args);
  void LoadTable(const Variant& args);
  AnsiString InsertConTable(std::span<Variant> args);
  AnsiString DeleteConTable(std::span<Variant> args);
  AnsiString ChangeConName(std::span<Variant> args);
  AnsiString Request(std::span<Variant> args);
  AnsiString Request1(std::span<Variant> args);
  AnsiString ErrorDescript() const;
  void UpdateStatus1(const Variant& jobNumber, const Variant& messages, const Variant& when);
  Variant AS_GetProviderNames() const;
  Variant AS_GetRecords(const Variant& providerName);

  TAppServerStore& Store() { return *FStore; }

protected:
  const TDispatchTable& DispatchTable() const override;

private:
  AnsiString SubmitJob(std::span<Variant> args, bool withWorkstation);
  TProvider& FindProvider(const AnsiString& name);

  std::unique_ptr<TAppServerStore> FStore;
  TSchemeProvider FSchemes;
  AnsiString FLastError;
};
