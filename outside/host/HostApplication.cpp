#include "host/HostApplication.h"

#include <cctype>

#include "host/LookupService.h"
#include "host/QueryService.h"
#include "host/SystemService.h"
#include "platform/rtl/SysUtils.h"

TDispatchRef THostApplication::Create(std::shared_ptr<TCompanyDb> db, THostOptions options) {
  return TDispatchRef(new THostApplication(std::move(db), options));
}

THostApplication::THostApplication(std::shared_ptr<TCompanyDb> db, THostOptions options)
    : FDb(std::move(db)), FScript(std::make_shared<THostScript>()), FOptions(options) {
  if (!FDb) throw EHostError("THostApplication: no company database");
  // The services share the database and the script but not the application
  // object, so no reference cycle keeps anything alive.
  FSystemService = TDispatchRef(new THostSystemService(FDb, FScript));
  FQueryService = TDispatchRef(new THostQueryService(FDb, FScript));
  FLookupService = TDispatchRef(new THostLookupService(FDb, FScript));
}

const TDispatchTable& THostApplication::DispatchTable() const {
  static const TDispatchTable table =
      TDispatchTableBuilder<THostApplication>("THostApplication")
          .AddMethod("VersionType", &THostApplication::VersionType)
          .AddMethod("ProductID", &THostApplication::ProductID)
          .AddMethod("GetMessage", &THostApplication::GetMessage)
          .AddMethod("CallHelp", &THostApplication::CallHelp)
          .AddMethod("GetFileList", &THostApplication::GetFileList)
          .AddMethod("Com_Counter", &THostApplication::ComCounter)
          .AddMethod("Com_Validator", &THostApplication::ComValidator)
          .AddMethod("Com_F2Window", &THostApplication::ComF2Window)
          .AddMethod("ScriptDatePick", &THostApplication::ScriptDatePickMember)
          .AddMethod("ScriptLookup", &THostApplication::ScriptLookupMember)
          .AddMethod("ScriptPhrase", &THostApplication::ScriptPhraseMember)
          .AddProperty("JournalText", &THostApplication::JournalTextMember)
          .Build();
  return table;
}

int32_t THostApplication::VersionType() {
  FScript->Record("VersionType", "", std::to_string(FOptions.VersionType));
  return FOptions.VersionType;
}

int32_t THostApplication::ProductID() {
  FScript->Record("ProductID", "", std::to_string(FOptions.ProductID));
  return FOptions.ProductID;
}

namespace {
bool AllDigits(const AnsiString& text) {
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The elements of a one-dimensional array argument; EHostError otherwise.
std::vector<Variant> ArrayArg(const Variant& value, size_t count, const char* what, const char* shape) {
  const Variant& v = value.Deref();
  const TVarArray* array = v.GetIf<TVarArray>();
  if (!array || array->DimCount() != 1 || array->Elements().size() != count)
    throw EHostError(AnsiString(what) + ": the argument is " + shape + ", got " + DescribeVariant(v));
  return std::vector<Variant>(array->Elements().begin(), array->Elements().end());
}
}  // namespace

AnsiString THostApplication::GetMessage(const Variant& type, const Variant& number) {
  const AnsiString argsText = DescribeVariant(type) + ", " + DescribeVariant(number);
  return FScript->Journaled("GetMessage", argsText, [&](AnsiString& answer) {
    const AnsiString t = HostText(HostArgText(type, "GetMessage type"));
    const AnsiString n = HostText(HostArgText(number, "GetMessage number"));
    if (t.size() != 1 || !std::isalpha(static_cast<unsigned char>(t[0])))
      throw EHostError("GetMessage: the message type is one letter, got '" + t + "'");
    if (n.size() != 6 || !AllDigits(n))
      throw EHostError("GetMessage: the message number is six digits, got '" + n + "'");
    std::vector<THostRow> rows =
        FDb->Select("SELECT TEXT FROM MESSAGES WHERE MSGTYPE = UPPER(?1) AND MSGID = ?2", {t, n});
    if (rows.empty()) {
      // "Message not found" (a GBK literal) with the code and no
      // placeholder, so that the caller's arguments cannot be mistaken for
      // its text.
      answer = "missing";
      return AnsiString("消息不存在: ") + t + ";" + n;
    }
    answer = "\"" + rows.front().front() + "\"";
    return rows.front().front();
  });
}

void THostApplication::CallHelp(const Variant& request) {
  FScript->Journaled("CallHelp", DescribeVariant(request), [&](AnsiString& answer) {
    std::vector<Variant> parts = ArrayArg(request, 2, "CallHelp", "[module, topic]");
    const std::string module = HostArgText(parts[0], "CallHelp module");
    const std::string topic = HostArgText(parts[1], "CallHelp topic");
    std::vector<THostRow> rows = FDb->Select(
        "SELECT TITLE FROM HELPTOPICS WHERE UPPER(MODULE) = UPPER(?1) AND TOPIC = ?2", {module, topic});
    answer = rows.empty() ? AnsiString("no such topic") : "\"" + rows.front().front() + "\"";
  });
}

AnsiString THostApplication::GetFileList(const Variant& request) {
  return FScript->Journaled("GetFileList", DescribeVariant(request), [&](AnsiString& answer) {
    std::vector<Variant> parts = ArrayArg(request, 1, "GetFileList", "[file name]");
    const std::string name = HostArgText(parts[0], "GetFileList file name");
    std::vector<THostRow> rows =
        FDb->Select("SELECT NAME, MODIFY, PATH FROM FILES WHERE NAME = LOWER(?1)", {name});
    if (rows.empty()) {
      answer = "\"\"";
      return AnsiString();
    }
    const THostRow& row = rows.front();
    AnsiString description = "<File><Name>" + row[0] + "</Name><Modify>" + row[1] + "</Modify><Path>" +
                             row[2] + "</Path></File>";
    answer = "\"" + description + "\"";
    return description;
  });
}

TDispatchRef THostApplication::ComCounter() {
  FScript->Record("Com_Counter", "", "<object>");
  return FSystemService;
}

TDispatchRef THostApplication::ComValidator() {
  FScript->Record("Com_Validator", "", "<object>");
  return FQueryService;
}

TDispatchRef THostApplication::ComF2Window() {
  FScript->Record("Com_F2Window", "", "<object>");
  return FLookupService;
}

void THostApplication::ScriptDatePickMember(const AnsiString& answer) { FScript->ScriptDatePick(answer); }
void THostApplication::ScriptLookupMember(const Variant& answer) { FScript->ScriptLookup(answer); }
void THostApplication::ScriptPhraseMember(const AnsiString& answer) { FScript->ScriptPhrase(answer); }
AnsiString THostApplication::JournalTextMember() { return FScript->JournalText(); }
