#include "host/SystemService.h"

#include "host/HostQueries.h"
#include "host/QueryService.h"
#include "platform/rtl/SysUtils.h"

THostSystemService::THostSystemService(std::shared_ptr<TCompanyDb> db, std::shared_ptr<THostScript> script)
    : FDb(std::move(db)), FScript(std::move(script)) {}

const TDispatchTable& THostSystemService::DispatchTable() const {
  static const TDispatchTable table = TDispatchTableBuilder<THostSystemService>("THostSystemService")
                                          .AddMethod("GetSysInfo", &THostSystemService::GetSysInfo)
                                          .AddMethod("GetCounter", &THostSystemService::GetCounter)
                                          .Build();
  return table;
}

Variant THostSystemService::GetSysInfo(const Variant& companyId) {
  return FScript->Journaled("GetSysInfo", DescribeVariant(companyId), [&](AnsiString& answer) {
    FDb->CheckCompany(companyId, "GetSysInfo");
    std::vector<THostRow> rows = FDb->Select("SELECT MA001, MA003 FROM ORLANINTMA ORDER BY MA001", {});
    Variant info = VarArrayCreate({0, 1, 0, static_cast<int32_t>(rows.size()) - 1});
    for (size_t i = 0; i < rows.size(); ++i) {
      info(0, static_cast<int32_t>(i)) = rows[i][0];
      info(1, static_cast<int32_t>(i)) = rows[i][1];
    }
    answer = std::to_string(rows.size()) + " settings";
    return info;
  });
}

Variant THostSystemService::GetCounter(const Variant& command, const Variant& args, const Variant& context) {
  const AnsiString argsText =
      DescribeVariant(command) + ", " + DescribeVariant(args) + ", " + DescribeVariant(context);
  return FScript->Journaled("GetCounter", argsText, [&](AnsiString& answer) -> Variant {
    const AnsiString name = HostText(HostArgText(command, "GetCounter"));
    // [company id, database name]; either may be missing.
    std::vector<std::string> where = HostQueryArgs(context, "GetCounter");
    if (where.size() > 2) throw EHostError("GetCounter: the context is [company id, database name]");
    if (where.size() > 0) FDb->CheckCompany(Variant(HostText(where[0])), "GetCounter");
    if (where.size() > 1) FDb->CheckDatabase(Variant(HostText(where[1])), "GetCounter");

    if (!SameText(name, "SIMPLESQL"))
      throw EHostError("GetCounter: unknown command '" + name + "' (this host knows SIMPLESQL)");
    std::vector<std::string> params = HostQueryArgs(args, "GetCounter SIMPLESQL");
    if (params.size() != 2)
      throw EHostError("GetCounter SIMPLESQL: the arguments are [query text, column name]");
    std::optional<TSimpleSqlMatch> match = MatchSimpleSql(params[0], params[1]);
    if (!match)
      throw EHostError("GetCounter SIMPLESQL: query not allowed (only the host's named setting "
                       "look-ups are answered): " +
                       HostText(params[0]));
    std::vector<THostRow> rows = FDb->Select(match->Sql, {match->Value});
    Variant result = rows.empty() ? Variant() : HostRowsToVariant(rows);
    answer = DescribeVariant(result);
    return result;
  });
}
