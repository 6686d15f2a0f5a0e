#include "host/LookupService.h"

#include "host/HostQueries.h"
#include "host/QueryService.h"
#include "platform/rtl/SysUtils.h"

THostLookupService::THostLookupService(std::shared_ptr<TCompanyDb> db, std::shared_ptr<THostScript> script)
    : FDb(std::move(db)), FScript(std::move(script)) {}

const TDispatchTable& THostLookupService::DispatchTable() const {
  static const TDispatchTable table = TDispatchTableBuilder<THostLookupService>("THostLookupService")
                                          .AddMethod("GetPhrase", &THostLookupService::GetPhrase)
                                          .AddMethod("ShowInputDay", &THostLookupService::ShowInputDay)
                                          .AddMethod("F2GetData", &THostLookupService::F2GetData)
                                          .Build();
  return table;
}

AnsiString THostLookupService::GetPhrase(const Variant& userId, const Variant& database, int32_t window) {
  const AnsiString argsText =
      DescribeVariant(userId) + ", " + DescribeVariant(database) + ", " + std::to_string(window);
  return FScript->Journaled("GetPhrase", argsText, [&](AnsiString& answer) {
    const std::string user = HostArgText(userId, "GetPhrase");
    FDb->CheckDatabase(database, "GetPhrase");
    if (std::optional<AnsiString> scripted = FScript->NextPhrase()) {
      answer = "scripted: \"" + *scripted + "\"";
      return *scripted;
    }
    std::vector<THostRow> rows =
        FDb->Select("SELECT TEXT FROM PHRASES WHERE UPPER(USERID) = UPPER(?1) ORDER BY SEQ LIMIT 1", {user});
    AnsiString phrase = rows.empty() ? AnsiString() : rows.front().front();
    answer = "\"" + phrase + "\"";
    return phrase;
  });
}

AnsiString THostLookupService::ShowInputDay(const Variant& request) {
  return FScript->Journaled("ShowInputDay", DescribeVariant(request), [&](AnsiString& answer) {
    const Variant& r = request.Deref();
    const TVarArray* array = r.GetIf<TVarArray>();
    if (!array || array->DimCount() != 1 || array->Elements().size() != 3)
      throw EHostError("ShowInputDay: the request is [Republic-era flag, \"YYYYMMDD\", database name], got " +
                       DescribeVariant(r));
    const Variant& flag = array->Elements()[0];
    try {
      flag.AsBoolean();
    } catch (const Exception& e) {
      throw EHostError("ShowInputDay: the Republic-era flag is not a Boolean: " + e.Message());
    }
    const AnsiString start = HostText(HostArgText(array->Elements()[1], "ShowInputDay"));
    FDb->CheckDatabase(array->Elements()[2], "ShowInputDay");
    if (std::optional<AnsiString> scripted = FScript->NextDatePick()) {
      answer = "scripted: \"" + *scripted + "\"";
      return *scripted;
    }
    // Unattended, the picker is confirmed on the day it opened on; a start
    // that is no date leaves nothing to confirm, as a cancelled picker.
    AnsiString picked = IsCompactDate(start) ? start : AnsiString();
    answer = "\"" + picked + "\"";
    return picked;
  });
}

Variant THostLookupService::F2GetData(const Variant& request) {
  return FScript->Journaled("F2GetData", DescribeVariant(request), [&](AnsiString& answer) -> Variant {
    const Variant& r = request.Deref();
    const TVarArray* array = r.GetIf<TVarArray>();
    if (!array || array->DimCount() != 1 || array->LowBound(1) != 0 ||
        (array->HighBound(1) != 18 && array->HighBound(1) != 16))
      throw EHostError("F2GetData: the lookup request is an array 0..18 (0..16 from edition 7)");
    const AnsiString table = HostText(HostArgText(array->At(0), "F2GetData table"));
    const AnsiString code = HostText(HostArgText(array->At(1), "F2GetData query code"));
    std::vector<std::string> params = HostQueryArgs(array->At(2), "F2GetData arguments");
    const std::string current = HostArgText(array->At(4), "F2GetData current text");
    FDb->CheckCompany(array->At(5), "F2GetData");
    FDb->CheckDatabase(array->At(6), "F2GetData");

    const THostQuery* query = FindLookupQuery(table, code);
    if (!query) {
      AnsiString known;
      for (const AnsiString& name : LookupQueryNames()) known += (known.empty() ? "" : ", ") + name;
      throw EHostError("F2GetData: no lookup " + table + "/" + code + " (known: " + known + ")");
    }
    // Callers send [""] where a lookup takes no argument: trailing empty
    // texts beyond the lookup's arguments are dropped, anything else is an error.
    while (static_cast<int>(params.size()) > query->ArgCount && params.back().empty()) params.pop_back();
    if (static_cast<int>(params.size()) > query->ArgCount)
      throw EHostError("F2GetData: lookup " + table + "/" + code + " takes " + std::to_string(query->ArgCount) +
                       " argument(s) (" + query->ArgNames + "), " + std::to_string(params.size()) + " given");
    // A missing argument counts as "" (all).
    params.resize(static_cast<size_t>(query->ArgCount));

    if (std::optional<Variant> scripted = FScript->NextLookup()) {
      answer = "scripted: " + DescribeVariant(*scripted);
      return *scripted;
    }
    params.push_back(current);
    std::vector<THostRow> rows = FDb->Select(query->Sql, params);
    Variant result = rows.empty() ? Variant() : HostRowsToVariant(rows);
    answer = DescribeVariant(result);
    return result;
  });
}
