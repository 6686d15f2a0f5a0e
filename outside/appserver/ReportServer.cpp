#include "appserver/ReportServer.h"

#include <utility>
#include <vector>

#include "appserver/ServerArgs.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/VariantStream.h"

namespace {

std::string Bounds(const TVarArray& array) {
  std::string text;
  for (int d = 1; d <= array.DimCount(); ++d) {
    if (d > 1) text += ", ";
    text += std::to_string(array.LowBound(d)) + ".." + std::to_string(array.HighBound(d));
  }
  return text;
}

const TVarArray& OneDimArray(const Variant& v, const std::string& what) {
  const TVarArray* array = v.Deref().GetIf<TVarArray>();
  if (array == nullptr) throw EServerArgError(what + " must be an array");
  if (array->DimCount() != 1) throw EServerArgError(what + " must be a one-dimensional array");
  return *array;
}

// The key of a scheme from the elements of an argument array; where[i] is
// the element's index, for the error texts.
TSchemeKey SchemeKey(const std::vector<const Variant*>& e, const std::string& what,
                     const int (&where)[3], int codePage) {
  auto name = [&](const char* field, int i) {
    return std::string(field) + " (" + what + " element " + std::to_string(where[i]) + ")";
  };
  TSchemeKey key;
  key.Name = ArgText(*e[where[0]], name("the scheme name", 0), codePage, false);
  key.Creator = ArgText(*e[where[1]], name("the user id", 1), codePage, false);
  key.Programme = ArgText(*e[where[2]], name("the program code", 2), codePage, false);
  // The same limits as the provider's field sizes: a longer value could not
  // be shown or found again by the client.
  if (Trim(key.Name).empty()) throw EServerArgError("the scheme name is blank");
  if (key.Name.size() > SchemeNameSize)
    throw EServerArgError("the scheme name is longer than " + std::to_string(SchemeNameSize) +
                          " bytes");
  if (key.Creator.size() > SchemeCreatorSize)
    throw EServerArgError("the user id is longer than " + std::to_string(SchemeCreatorSize) +
                          " bytes");
  if (key.Programme.size() > SchemeProgrammeSize)
    throw EServerArgError("the program code is longer than " +
                          std::to_string(SchemeProgrammeSize) + " bytes");
  return key;
}

// [name, user, program]
TSchemeKey SchemeKey(const Variant& arg, const std::string& what, int codePage) {
  static constexpr int kWhere[3] = {0, 1, 2};
  return SchemeKey(ArgElements(arg, what, 3), what, kWhere, codePage);
}

// "YYYYMMDD" naming a real date.
void CheckDateText(const AnsiString& text) {
  bool digits = text.size() == 8;
  for (char c : text) digits = digits && c >= '0' && c <= '9';
  TDateTime date;
  if (!digits || !TryEncodeDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                                std::stoi(text.substr(6, 2)), date))
    throw EServerArgError("the date (element 2) must be a date as \"YYYYMMDD\", not \"" + text +
                          "\"");
}

void RequireArgCount(std::span<Variant> args, size_t count, const char* member) {
  if (args.size() != count)
    throw EServerArgError(std::string(member) + " takes " + std::to_string(count) +
                          (count == 1 ? " argument, not " : " arguments, not ") +
                          std::to_string(args.size()));
}

// What Request and Request1 keep of a job record besides its bytes.
struct TJobFacts {
  AnsiString Programme;
  AnsiString Creator;
};

// Checks the shape the client sends: [environment 1..n, texts, values] or,
// periodic, [.., schedule, dynamic fields]; program code and user id are
// environment elements 1 and 5.
TJobFacts CheckJobRecord(const Variant& record, int codePage) {
  const Variant& r = record.Deref();
  if (!r.IsArray())
    throw EServerArgError("the job record must be an array, not " +
                          VarTypeAsText(VarType(r)));
  const TVarArray& job = OneDimArray(r, "the job record");
  if (job.LowBound(1) != 0 || (job.HighBound(1) != 2 && job.HighBound(1) != 4))
    throw EServerArgError("the job record must have bounds 0..2, or 0..4 for a periodic job, "
                          "not " + Bounds(job));
  const TVarArray& env = OneDimArray(job.At(0), "the environment (job record element 0)");
  if (env.LowBound(1) != 1 || env.HighBound(1) < 5)
    throw EServerArgError("the environment (job record element 0) must have bounds 1..n with "
                          "n at least 5, not " + Bounds(env));
  const TVarArray& texts = OneDimArray(job.At(1), "the condition texts (job record element 1)");
  const TVarArray& values = OneDimArray(job.At(2), "the condition values (job record element 2)");
  if (texts.Bounds() != values.Bounds())
    throw EServerArgError("the condition texts (" + Bounds(texts) + ") and values (" +
                          Bounds(values) + ") of the job record do not match");
  if (job.HighBound(1) == 4) {
    OneDimArray(job.At(3), "the schedule (job record element 3)");
    OneDimArray(job.At(4), "the dynamic date fields (job record element 4)");
  }
  TJobFacts facts;
  facts.Programme = ArgText(env.At(1), "the program code (environment element 1)", codePage, false);
  facts.Creator = ArgText(env.At(5), "the user id (environment element 5)", codePage, false);
  return facts;
}

}  // namespace

TReportServer::TReportServer(TAppServerConfig config)
    : FStore(std::make_unique<TAppServerStore>(std::move(config))), FSchemes(*FStore) {}

TReportServer::~TReportServer() = default;

const TDispatchTable& TReportServer::DispatchTable() const {
  static const TDispatchTable table =
      TDispatchTableBuilder<TReportServer>("TReportServer")
          .AddProperty("SQLType", &TReportServer::SQLType)
          .AddMethod("GetPower", &TReportServer::GetPower)
          .AddMethod("LoadTable", &TReportServer::LoadTable)
          .AddMethod("InsertConTable", &TReportServer::InsertConTable)
          .AddMethod("DeleteConTable", &TReportServer::DeleteConTable)
          .AddMethod("ChangeConName", &TReportServer::ChangeConName)
          .AddMethod("Request", &TReportServer::Request)
          .AddMethod("Request1", &TReportServer::Request1)
          .AddProperty("ErrorDescript", &TReportServer::ErrorDescript)
          .AddMethod("UpdateStatus1", &TReportServer::UpdateStatus1)
          .AddMethod("AS_GetProviderNames", &TReportServer::AS_GetProviderNames)
          .AddMethod("AS_GetRecords", &TReportServer::AS_GetRecords)
          .Build();
  return table;
}

int32_t TReportServer::SQLType() const { return ReportServerSQLType; }

// ---- Rights ----

Variant TReportServer::GetPower(const Variant& args) {
  const int cp = FStore->Config().CodePage;
  const std::vector<const Variant*> e = ArgElements(args, "the rights request", 3);
  const AnsiString database = ArgText(*e[0], "the database name (element 0)", cp, true);
  const AnsiString user = ArgText(*e[1], "the user id (element 1)", cp, false);
  const AnsiString programme = ArgText(*e[2], "the program code (element 2)", cp, false);

  TRightsRow rights{DefaultRights, "", ""};
  if (std::optional<TRightsRow> row = FStore->FindRights(user, programme)) {
    // A row that does not have the six parts would hand the client a wrong
    // mask; it is refused instead.
    size_t commas = 0;
    for (char c : row->Rights) commas += c == ',';
    if (commas != 5)
      throw EStoreError("the rights table's row for user \"" + user + "\" holds \"" + row->Rights +
                            "\", not six comma-separated parts",
                        0);
    rights = std::move(*row);
  }
  std::vector<Variant> limits{int32_t{0}};
  size_t start = 0;
  const AnsiString& items = rights.LimitItems;
  while (start <= items.size()) {
    size_t end = items.find(';', start);
    if (end == AnsiString::npos) end = items.size();
    if (end > start) limits.push_back(items.substr(start, end - start));
    start = end + 1;
  }
  limits[0] = static_cast<int32_t>(limits.size() - 1);
  return VarArrayOf({user, rights.Rights, programme, database, rights.LimitKind,
                     VarArrayOf(std::move(limits))});
}

// ---- Schemes ----

void TReportServer::LoadTable(const Variant& args) {
  const int cp = FStore->Config().CodePage;
  const std::vector<const Variant*> e = ArgElements(args, "the scheme selection", 2);
  AnsiString user = ArgText(*e[0], "the user id (element 0)", cp, false);
  AnsiString programme = ArgText(*e[1], "the program code (element 1)", cp, false);
  FSchemes.Select(std::move(user), std::move(programme));
}

AnsiString TReportServer::InsertConTable(std::span<Variant> args) {
  try {
    RequireArgCount(args, 1, "InsertConTable");
    const int cp = FStore->Config().CodePage;
    const std::vector<const Variant*> e = ArgElements(args[0], "the scheme", 7);
    TSchemeRecord scheme;
    static constexpr int kWhere[3] = {0, 1, 3};
    scheme.Key = SchemeKey(e, "the scheme", kWhere, cp);
    scheme.CreateDate = ArgText(*e[2], "the date (element 2)", cp, false);
    CheckDateText(scheme.CreateDate);
    scheme.Props = ArgText(*e[4], "the property list (element 4)", cp, true);
    scheme.Values = ArgText(*e[5], "the value text (element 5)", cp, true);
    const bool replace = ArgBoolean(*e[6], "the replace flag (element 6)");
    if (!FStore->SaveScheme(scheme, replace))
      return "a scheme named \"" + scheme.Key.Name + "\" already exists";
    return "";
  } catch (const Exception& e) {
    return e.Message();
  }
}

AnsiString TReportServer::DeleteConTable(std::span<Variant> args) {
  try {
    RequireArgCount(args, 1, "DeleteConTable");
    const TSchemeKey key = SchemeKey(args[0], "the scheme", FStore->Config().CodePage);
    if (!FStore->DeleteScheme(key)) return "there is no scheme named \"" + key.Name + "\"";
    return "";
  } catch (const Exception& e) {
    return e.Message();
  }
}

AnsiString TReportServer::ChangeConName(std::span<Variant> args) {
  try {
    RequireArgCount(args, 2, "ChangeConName");
    const int cp = FStore->Config().CodePage;
    const TSchemeKey from = SchemeKey(args[0], "the old scheme", cp);
    const TSchemeKey to = SchemeKey(args[1], "the new scheme", cp);
    // A rename that moved a scheme to another user or program would be a
    // way round whatever rights guard those; only the name changes.
    if (from.Creator != to.Creator || from.Programme != to.Programme)
      return "a rename cannot change the user id or the program code";
    switch (FStore->RenameScheme(from, to.Name)) {
      case TRenameResult::Renamed: return "";
      case TRenameResult::NotFound: return "there is no scheme named \"" + from.Name + "\"";
      case TRenameResult::NewNameTaken:
        return "a scheme named \"" + to.Name + "\" already exists";
    }
    return "";
  } catch (const Exception& e) {
    return e.Message();
  }
}

// ---- Jobs ----

AnsiString TReportServer::Request(std::span<Variant> args) { return SubmitJob(args, false); }

AnsiString TReportServer::Request1(std::span<Variant> args) { return SubmitJob(args, true); }

AnsiString TReportServer::SubmitJob(std::span<Variant> args, bool withWorkstation) {
  FLastError.clear();
  try {
    RequireArgCount(args, withWorkstation ? 2 : 1, withWorkstation ? "Request1" : "Request");
    const int cp = FStore->Config().CodePage;
    const TJobFacts facts = CheckJobRecord(args[0], cp);
    const AnsiString workstation =
        withWorkstation ? ArgText(args[1], "the workstation name", cp, true) : AnsiString();
    AnsiString bytes;
    try {
      bytes = SaveVariant(args[0].Deref());
    } catch (const EVariantError& e) {
      throw EServerArgError("the job record cannot be stored: " + e.Message());
    }
    return FStore->AddJob(bytes, facts.Programme, facts.Creator, workstation,
                          withWorkstation ? jsRegistered : jsQueued, Now());
  } catch (const Exception& e) {
    FLastError = e.Message();
    return JobRequestFailed;
  }
}

AnsiString TReportServer::ErrorDescript() const { return FLastError; }

void TReportServer::UpdateStatus1(const Variant& jobNumber, const Variant& messages,
                                  const Variant& when) {
  const int cp = FStore->Config().CodePage;
  const AnsiString number = ArgText(jobNumber, "the job number", cp, false);
  const AnsiString texts = ArgText(messages, "the message texts", cp, true);
  const TDateTime time = ArgDateTime(when, "the date and time");
  if (!FStore->ReportJob(number, texts, time))
    throw EServerArgError("there is no job \"" + number + "\"");
}

// ---- Providers ----

Variant TReportServer::AS_GetProviderNames() const {
  return VarArrayOf({AnsiString(SchemeProviderName)});
}

TProvider& TReportServer::FindProvider(const AnsiString& name) {
  if (SameText(name, SchemeProviderName, FStore->Config().CodePage)) return FSchemes;
  throw EServerArgError("the application server has no provider \"" + name + "\"");
}

Variant TReportServer::AS_GetRecords(const Variant& providerName) {
  const AnsiString name =
      ArgText(providerName, "the provider name", FStore->Config().CodePage, false);
  return FindProvider(name).GetRecords();
}
