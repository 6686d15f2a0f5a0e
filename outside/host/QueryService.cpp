#include "host/QueryService.h"

#include "host/HostQueries.h"
#include "platform/rtl/SysUtils.h"

THostQueryService::THostQueryService(std::shared_ptr<TCompanyDb> db, std::shared_ptr<THostScript> script)
    : FDb(std::move(db)), FScript(std::move(script)) {}

const TDispatchTable& THostQueryService::DispatchTable() const {
  static const TDispatchTable table =
      TDispatchTableBuilder<THostQueryService>("THostQueryService")
          .AddMethod("QueryData", &THostQueryService::QueryData)
          .AddMethod("CheckValue", &THostQueryService::CheckValue)
          .AddProperty("ProductID", &THostQueryService::GetProductID, &THostQueryService::SetProductID)
          .AddProperty("BaseLimited", &THostQueryService::GetBaseLimited, &THostQueryService::SetBaseLimited)
          .Build();
  return table;
}

void THostQueryService::SetBaseLimited(const Variant& value) {
  FBaseLimited = HostText(HostArgText(value, "BaseLimited"));
}

std::vector<THostRow> THostQueryService::Run(const char* member, const Variant& table, const Variant& code,
                                             const Variant& database, const Variant& args) {
  const AnsiString tableName = HostText(HostArgText(table, member));
  const AnsiString queryCode = HostText(HostArgText(code, member));
  FDb->CheckDatabase(database, member);
  const THostQuery* query = FindDataQuery(tableName, queryCode);
  if (!query) {
    AnsiString known;
    for (const AnsiString& name : DataQueryNames()) known += (known.empty() ? "" : ", ") + name;
    throw EHostError(AnsiString(member) + ": no query " + tableName + "/" + queryCode + " (known: " + known + ")");
  }
  std::vector<std::string> params = HostQueryArgs(args, member);
  if (static_cast<int>(params.size()) != query->ArgCount)
    throw EHostError(AnsiString(member) + ": query " + tableName + "/" + queryCode + " takes " +
                     std::to_string(query->ArgCount) + " argument(s) (" + query->ArgNames + "), " +
                     std::to_string(params.size()) + " given");
  return FDb->Select(query->Sql, params);
}

namespace {
AnsiString QueryArgsText(const Variant& table, const Variant& code, const Variant& database,
                         const Variant& args) {
  return DescribeVariant(table) + ", " + DescribeVariant(code) + ", " + DescribeVariant(database) + ", " +
         DescribeVariant(args);
}
}  // namespace

bool THostQueryService::QueryData(const Variant& table, const Variant& code, const Variant& database,
                                  const Variant& args, Variant& result) {
  return FScript->Journaled("QueryData", QueryArgsText(table, code, database, args), [&](AnsiString& answer) {
    std::vector<THostRow> rows = Run("QueryData", table, code, database, args);
    result = rows.empty() ? Variant() : HostRowsToVariant(rows);
    answer = DescribeVariant(result);
    return !rows.empty();
  });
}

bool THostQueryService::CheckValue(const Variant& table, const Variant& code, const Variant& database,
                                   const Variant& args, Variant& result) {
  return FScript->Journaled("CheckValue", QueryArgsText(table, code, database, args), [&](AnsiString& answer) {
    std::vector<THostRow> rows = Run("CheckValue", table, code, database, args);
    result = rows.empty() ? Variant() : HostRowToVariant(rows.front());
    answer = DescribeVariant(result);
    return !rows.empty();
  });
}

std::vector<std::string> HostQueryArgs(const Variant& args, const char* what) {
  const Variant& v = args.Deref();
  std::vector<std::string> texts;
  if (v.IsEmpty() || v.IsNull()) return texts;
  if (const TVarArray* array = v.GetIf<TVarArray>()) {
    if (array->DimCount() != 1)
      throw EHostError(AnsiString(what) + ": the arguments must be a one-dimensional array");
    for (const Variant& element : array->Elements()) {
      if (element.Deref().IsArray())
        throw EHostError(AnsiString(what) + ": an argument is itself an array");
      texts.push_back(HostArgText(element, what));
    }
    return texts;
  }
  texts.push_back(HostArgText(v, what));
  return texts;
}

Variant HostRowToVariant(const THostRow& row) {
  std::vector<Variant> columns(row.begin(), row.end());
  return VarArrayOf(std::move(columns));
}

Variant HostRowsToVariant(const std::vector<THostRow>& rows) {
  std::vector<Variant> list;
  list.reserve(rows.size());
  for (const THostRow& row : rows) list.push_back(HostRowToVariant(row));
  return VarArrayOf(std::move(list));
}
