// The host's application object and its three services, called late-bound
// the way the plug-in calls them: argument shapes, by-reference results,
// the demo data the report relies on, the SIMPLESQL whitelist, scripted
// answers and the journal.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "HostTestSupport.h"
#include "host/HostApplication.h"
#include "platform/com/ComObj.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/Variant.h"
#include "platform/com/OleTestSupport.h"

namespace {


class HostServicesTest : public ::testing::Test {
protected:
  void SetUp() override {
    FAppRef = THostApplication::Create(DemoCompanyDb());
    FApp = Variant(FAppRef);
    FSystem = OleCall(FApp, "Com_Counter");
    FQuery = OleCall(FApp, "Com_Validator");
    FLookup = OleCall(FApp, "Com_F2Window");
  }
  THostApplication& App() { return static_cast<THostApplication&>(*FAppRef.Get()); }

  // The lookup request as the plug-in builds it (bounds 0..18).
  Variant Request(const AnsiString& table, const AnsiString& code, const Variant& args, bool listMode,
                  const AnsiString& current, int32_t high = 18) {
    Variant r = VarArrayCreate({0, high});
    r[0] = table;
    r[1] = code;
    r[2] = args;
    r[3] = listMode;
    r[4] = current;
    r[5] = "DEMO";
    r[6] = "DEMO";
    r[7] = int32_t{4711};
    r[8] = int32_t{1};
    r[9] = false;
    r[10] = int32_t{1};
    r[11] = r[12] = r[13] = "";
    r[14] = u"";
    r[15] = r[16] = "";
    if (high == 18) {
      r[17] = FApp;
      r[18] = "DS";
    }
    return r;
  }

  // CheckValue/QueryData as QueryTable calls them: every argument by reference.
  bool Query(const char* member, AnsiString table, AnsiString code, Variant args, Variant& result) {
    Variant t = table, c = code, db = AnsiString("DEMO");
    return OleCall(FQuery, member,
                   {Variant::ByRef(t), Variant::ByRef(c), Variant::ByRef(db), Variant::ByRef(args),
                    Variant::ByRef(result)})
        .AsBoolean();
  }

  TDispatchRef FAppRef;
  Variant FApp, FSystem, FQuery, FLookup;
};

// ---- Application object ----

// Every message code the plug-in reports or looks up, with the number of
// %s placeholders its callers fill. A missing code shows the user a "not
// found" text instead of the message; a wrong count loses an argument or
// makes formatting fail.
struct TMessageRow {
  const char* Type;
  const char* Number;
  int Placeholders;
};
const TMessageRow MessageCodes[] = {
    {"E", "000001", 1}, {"E", "000005", 2}, {"E", "000006", 0}, {"E", "000013", 1},
    {"E", "000015", 0}, {"E", "000016", 0}, {"E", "000030", 1}, {"E", "000036", 0},
    {"E", "000037", 0}, {"E", "000038", 0}, {"E", "100082", 2}, {"I", "000003", 1},
    {"I", "000004", 1}, {"I", "000005", 0}, {"I", "000008", 0}, {"I", "000009", 0},
    {"I", "000010", 0}, {"I", "000011", 0}, {"W", "000002", 3}, {"W", "000003", 3},
    {"W", "000004", 1}, {"W", "000014", 0}, {"R", "100235", 0}, {"R", "100236", 0},
};

int CountPlaceholders(const AnsiString& text) {
  int count = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && text[i + 1] == 's') ++count;
  return count;
}

TEST_F(HostServicesTest, EveryMessageCodeHasItsTextAndPlaceholders) {
  for (const TMessageRow& row : MessageCodes) {
    SCOPED_TRACE(std::string(row.Type) + ";" + row.Number);
    Variant text = OleCall(FApp, "GetMessage", {row.Type, row.Number});
    ASSERT_NE(text.GetIf<AnsiString>(), nullptr);
    EXPECT_EQ(text.AsString().find("\xCF\xFB\xCF\xA2\xB2\xBB\xB4\xE6\xD4\xDA"), std::string::npos)
        << "reported as missing";  // 消息不存在
    EXPECT_EQ(CountPlaceholders(text.AsString()), row.Placeholders);
  }
}

// The lookup must not depend on how the caller spells the type or whether
// it passes wide strings.
TEST_F(HostServicesTest, GetMessageTakesLowerCaseTypeAndWideStrings) {
  Variant upper = OleCall(FApp, "GetMessage", {"R", "100235"});
  EXPECT_EQ(upper.AsString(), "\xD7\xA2\xBD\xC5\xB1\xE0\xBA\xC5");  // 注脚编号
  EXPECT_EQ(OleCall(FApp, "GetMessage", {u"r", u"100235"}).AsString(), upper.AsString());
}

// An unknown code must tell the user which message was meant, and must not
// contain a placeholder that would swallow the caller's arguments.
TEST_F(HostServicesTest, GetMessageOfUnknownCodeNamesIt) {
  AnsiString text = OleCall(FApp, "GetMessage", {"W", "999999"}).AsString();
  EXPECT_NE(text.find("W;999999"), std::string::npos) << text;
  EXPECT_EQ(CountPlaceholders(text), 0);
}

// A malformed code is the caller's fault and gets a clear error naming it.
TEST_F(HostServicesTest, GetMessageRefusesMalformedCodes) {
  const std::pair<Variant, Variant> bad[] = {
      {"W", "4"}, {"W", "00000A"}, {"WW", "000004"}, {"", "000004"}, {"W", VarArrayOf({"000004"})}};
  for (const auto& [type, number] : bad) {
    SCOPED_TRACE(DescribeVariant(type) + ", " + DescribeVariant(number));
    EOleException e = CatchOle([&] { OleCall(FApp, "GetMessage", {type, number}); });
    EXPECT_EQ(e.Kind(), TOleErrorKind::Exception);
    EXPECT_NE(e.Message().find("GetMessage"), std::string::npos) << e.Message();
  }
}

// The initialisation reads these; a failing VersionType fails the form.
TEST_F(HostServicesTest, VersionTypeAndProductIdAreIntegers) {
  EXPECT_EQ(VarType(OleCall(FApp, "VersionType")), varInteger);
  EXPECT_EQ(OleCall(FApp, "ProductID").AsInteger(), 1);
  EXPECT_EQ(OleGet(FApp, "ProductID").AsInteger(), 1);
}

// The services are the same objects on every call (the plug-in may read
// them more than once), and all three are automation objects.
TEST_F(HostServicesTest, ServicesAreStableObjects) {
  EXPECT_TRUE(VarEquals(OleCall(FApp, "Com_Counter"), FSystem));
  EXPECT_TRUE(VarEquals(OleGet(FApp, "Com_Validator"), FQuery));
  EXPECT_TRUE(VarEquals(OleCall(FApp, "Com_F2Window"), FLookup));
  EXPECT_FALSE(VarEquals(FSystem, FQuery));
  EXPECT_NE(FLookup.GetIf<TDispatchRef>(), nullptr);
}

// Help is recorded with its topic's title; a request of the wrong shape is
// refused instead of being recorded as a help call.
TEST_F(HostServicesTest, CallHelpIsRecordedAndChecksItsShape) {
  OleCall(FApp, "CallHelp", {VarArrayOf({"KUL", "12310000"})});
  auto journal = App().Script().Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back().Member, "CallHelp");
  EXPECT_EQ(journal.back().Arguments, "[\"KUL\", \"12310000\"]");
  EXPECT_EQ(journal.back().Answer, "\"\xCE\xAF\xCD\xE2\xD1\xE9\xCD\xCB\xC3\xF7\xCF\xB8\xB1\xED\"");  // 委外验退明细表
  EXPECT_NO_THROW(OleCall(FApp, "CallHelp", {VarArrayOf({"KUL", "19990000"})}));
  EXPECT_EQ(App().Script().Journal().back().Answer, "no such topic");
  EXPECT_THROW(OleCall(FApp, "CallHelp", {"KUL"}), EOleException);
  EXPECT_THROW(OleCall(FApp, "CallHelp", {VarArrayOf({"KUL"})}), EOleException);
  EXPECT_NE(App().Script().Journal().back().Answer.find("error: "), std::string::npos);
}

// The updater reads the stamp between <Modify> tags and the folder from the
// <Path> tags; an unknown file has no description.
TEST_F(HostServicesTest, GetFileListDescribesKnownFiles) {
  AnsiString text = OleCall(FApp, "GetFileList", {VarArrayOf({"kulr31s.dll"})}).AsString();
  EXPECT_NE(text.find("<Modify>2024-01-15 10:30:00</Modify>"), std::string::npos) << text;
  EXPECT_NE(text.find("<Path>\\\\demo-server\\workdll\\KUL\\KULR31S.DLL</Path>"), std::string::npos) << text;
  EXPECT_EQ(OleCall(FApp, "GetFileList", {VarArrayOf({"KULR31S.DLL"})}).AsString(), text);
  EXPECT_EQ(OleCall(FApp, "GetFileList", {VarArrayOf({"nosuch.dll"})}).AsString(), "");
  EXPECT_THROW(OleCall(FApp, "GetFileList", {"kulr31s.dll"}), EOleException);
}

// ---- System service ----

// The framework loads every pair from row 0 and row 1 of a [0..1, 0..n]
// array; the demo must answer the settings the report layers read.
TEST_F(HostServicesTest, GetSysInfoAnswersNamesAndValues) {
  Variant company = AnsiString("DEMO");
  Variant info = OleCall(FSystem, "GetSysInfo", {Variant::ByRef(company)});
  ASSERT_EQ(VarArrayDimCount(info), 2);
  EXPECT_EQ(VarArrayLowBound(info, 1), 0);
  EXPECT_EQ(VarArrayHighBound(info, 1), 1);
  EXPECT_EQ(VarArrayLowBound(info, 2), 0);
  EXPECT_EQ(company.AsString(), "DEMO");  // the caller's variable is left alone
  std::map<std::string, std::string> settings;
  for (int32_t i = 0; i <= VarArrayHighBound(info, 2); ++i) settings[info(0, i).AsString()] = info(1, i).AsString();
  const std::pair<const char*, const char*> expected[] = {
      {"Sys001", "1"},  {"Sys002", "/"}, {"ORLAN002", "\xCA\xBE\xB7\xB6\xBE\xAB\xC3\xDC"},  // 示范精密
      {"SYS010", ""},   {"SYS026", "1"}, {"SYS181", "Y"},
      {"StartupPortal", "N"}};
  for (const auto& [name, value] : expected) {
    SCOPED_TRACE(name);
    ASSERT_EQ(settings.count(name), 1u);
    EXPECT_EQ(settings[name], value);
  }
  for (const char* name : {"SYS007", "SYS008", "SYS009", "Portal WS"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(settings.count(name), 1u);
    EXPECT_FALSE(settings[name].empty());
  }
}

// Another company's settings must not be answered from this database.
TEST_F(HostServicesTest, GetSysInfoRefusesAnotherCompany) {
  EXPECT_NO_THROW(OleCall(FSystem, "GetSysInfo", {u"demo"}));
  EXPECT_NO_THROW(OleCall(FSystem, "GetSysInfo", {""}));
  EOleException e = CatchOle([&] { OleCall(FSystem, "GetSysInfo", {"ACME"}); });
  EXPECT_NE(e.Message().find("ACME"), std::string::npos) << e.Message();
}

Variant SimpleSql(const Variant& system, const Variant& query, const Variant& column) {
  Variant args = VarArrayOf({query, column});
  return OleCall(system, "GetCounter",
                 {"SIMPLESQL", Variant::ByRef(args), VarArrayOf({"DEMO", "DEMO"})});
}

// The generation options read element 0 of row 0 of these two look-ups.
TEST_F(HostServicesTest, SimpleSqlAnswersWhitelistedSettingLookups) {
  struct {
    const char* Query;
    const char* Value;
  } rows[] = {
      {"SELECT MA003 FROM ORLANINTMA WHERE MA001='StartupPortal' ", "N"},
      {"SELECT MA003 FROM ORLANINTMA WHERE MA001='Portal WS' ",
       "http://127.0.0.1:8088/portal/services/PortalService"},
      {"  select  ma003 from OrlanIntMa where ma001 = 'startupportal'", "N"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Query);
    Variant result = SimpleSql(FSystem, row.Query, "MA003");
    ASSERT_TRUE(result.IsArray());
    EXPECT_EQ(result[0][0].AsString(), row.Value);
  }
  EXPECT_TRUE(SimpleSql(FSystem, "SELECT MA003 FROM ORLANINTMA WHERE MA001='NoSuch'", "MA003").IsEmpty());
}

// The query text comes from outside: nothing but the whitelisted shapes may
// run, whatever is appended or quoted inside them.
TEST_F(HostServicesTest, SimpleSqlRefusesAnyOtherText) {
  const std::pair<const char*, const char*> refused[] = {
      {"SELECT * FROM ORLANINTMA", "MA003"},
      {"DELETE FROM ORLANINTMA", "MA003"},
      {"SELECT MA003 FROM ORLANINTMA WHERE MA001='x' OR '1'='1'", "MA003"},
      {"SELECT MA003 FROM ORLANINTMA WHERE MA001='x'; DROP TABLE ORLANINTMA", "MA003"},
      {"SELECT MA003 FROM ORLANINTMA WHERE MA001='it''s'", "MA003"},
      {"SELECT MA003 FROM ORLANMA WHERE MA001='DS'", "MA003"},
      {"SELECT MA003 FROM ORLANINTMA WHERE MA001='Sys001'", "MA001"},
      {"", ""},
  };
  for (const auto& [query, column] : refused) {
    SCOPED_TRACE(query);
    EOleException e = CatchOle([&] { SimpleSql(FSystem, query, column); });
    EXPECT_NE(e.Message().find("not allowed"), std::string::npos) << e.Message();
  }
  // The table is still there.
  EXPECT_FALSE(SimpleSql(FSystem, "SELECT MA003 FROM ORLANINTMA WHERE MA001='Sys001'", "MA003").IsEmpty());
}

// An unknown command or a wrong argument shape is an error naming it, not
// a silent Empty that the caller would take for "no value".
TEST_F(HostServicesTest, GetCounterRefusesUnknownCommandsAndShapes) {
  Variant args = VarArrayOf({"x", "y"});
  EOleException e = CatchOle([&] { OleCall(FSystem, "GetCounter", {"NEXTNUMBER", args, VarArrayOf({"DEMO", "DEMO"})}); });
  EXPECT_NE(e.Message().find("NEXTNUMBER"), std::string::npos) << e.Message();
  EXPECT_THROW(OleCall(FSystem, "GetCounter", {"SIMPLESQL", VarArrayOf({"x"}), VarArrayOf({"DEMO", "DEMO"})}),
               EOleException);
  EXPECT_THROW(OleCall(FSystem, "GetCounter", {"SIMPLESQL", args, VarArrayOf({"ACME", "DEMO"})}),
               EOleException);
}

// ---- Query service ----

// The rows the plug-in's QueryTable reads, one per table and query code it
// uses, with the element it reads and the value the demo must give.
struct TCheckRow {
  const char* Name;
  const char* Table;
  const char* Code;
  std::vector<const char*> Args;
  bool Found;
  int32_t Index;       // element read from the row
  const char* Value;
  int32_t HighBound;   // of the row
};
const TCheckRow CheckRows[] = {
    {"ProgramName", "ADMMB", "01", {"KULR31"}, true, 0,
     "\xCE\xAF\xCD\xE2\xD1\xE9\xCD\xCB\xC3\xF7\xCF\xB8\xB1\xED", 7},  // 委外验退明细表
    {"ProgramLogFlag", "ADMMB", "01", {"kulr31"}, true, 4, "Y", 7},
    {"ProgramEnglishName", "ADMMB", "01", {"KULR31"}, true, 7, "Subcontract Return Detail Report", 7},
    {"DirectQueryAllowed", "ADMMB", "11", {"KULR31"}, true, 3, "N", 3},
    {"DirectQueryDisabled", "ADMMB", "11", {"KULR07"}, true, 3, "Y", 3},
    {"UnknownProgram", "ADMMB", "01", {"XXXR99"}, false, 0, "", 0},
    {"SchemeExists", "GENES", "01", {"\xB1\xBE\xD4\xC2\xD1\xE9\xCD\xCB", "DS", "KULR31"}, true, 0,
     "\xB1\xBE\xD4\xC2\xD1\xE9\xCD\xCB", 2},  // 本月验退
    {"SchemeOfOtherUser", "GENES", "01", {"\xB1\xBE\xD4\xC2\xD1\xE9\xCD\xCB", "A001", "KULR31"}, false, 0, "", 0},
    {"WebSite", "CMSMA", "02", {""}, true, 0, "http://127.0.0.1:8080/webreport/", 1},
    {"FooterCode", "CMSMT", "01", {"KULR31"}, true, 0, "01", 11},
    {"FooterMayChange", "CMSMT", "01", {"KULR31"}, true, 1, "Y", 11},
    {"FooterLine1", "CMSMT", "01", {"KULR31"}, true, 3,
     "\xB1\xBE\xB1\xA8\xB1\xED\xBD\xF6\xB9\xA9\xC4\xDA\xB2\xBF\xCA\xB9\xD3\xC3", 11},  // 本报表仅供内部使用
    {"SignOffMayChange", "CMSMT", "01", {"KULR31"}, true, 7, "Y", 11},
    {"SignOffLine3", "CMSMT", "01", {"KULR31"}, true, 11, "\xD6\xC6\xB1\xED:", 11},  // 制表:
    {"NoteLine1", "CMSMS", "01", {"1", "01"}, true, 1,
     "\xB1\xBE\xB1\xA8\xB1\xED\xBD\xF6\xB9\xA9\xC4\xDA\xB2\xBF\xCA\xB9\xD3\xC3", 4},
    {"NoteOfWrongKind", "CMSMS", "01", {"2", "03"}, false, 0, "", 0},
};

// Rows show by name in test output.
void PrintTo(const TCheckRow& row, std::ostream* out) { *out << row.Name; }

class HostCheckValueTest : public HostServicesTest, public ::testing::WithParamInterface<TCheckRow> {};

// CheckValue writes the row back through the caller's by-reference result
// and answers whether it was found.
TEST_P(HostCheckValueTest, AnswersTheRowTheCallerReads) {
  const TCheckRow& row = GetParam();
  std::vector<Variant> args(row.Args.begin(), row.Args.end());
  Variant result = "untouched";
  bool found = Query("CheckValue", row.Table, row.Code, VarArrayOf(args), result);
  EXPECT_EQ(found, row.Found);
  if (!row.Found) {
    EXPECT_TRUE(result.IsEmpty());
    return;
  }
  ASSERT_EQ(VarArrayDimCount(result), 1);
  EXPECT_EQ(VarArrayHighBound(result, 1), row.HighBound);
  EXPECT_EQ(result[row.Index].AsString(), row.Value);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostCheckValueTest, ::testing::ValuesIn(CheckRows),
                         [](const auto& info) { return std::string(info.param.Name); });

// QueryData answers every row (rows of columns), written back by reference.
TEST_F(HostServicesTest, QueryDataAnswersRowsByReference) {
  Variant result;
  ASSERT_TRUE(Query("QueryData", "CMSMS", "01", VarArrayOf({"2", "01"}), result));
  ASSERT_EQ(VarArrayHighBound(result, 1), 0);
  EXPECT_EQ(result[0][0].AsString(), "01");
  EXPECT_EQ(result[0][3].AsString(), "\xD6\xC6\xB1\xED:");  // 制表:
  Variant none = "untouched";
  EXPECT_FALSE(Query("QueryData", "ADMMB", "11", VarArrayOf({"NOSUCH"}), none));
  EXPECT_TRUE(none.IsEmpty());
}

// The plug-in may pass wide strings, a single value instead of an array,
// and no by-reference wrapper at all; the answer must not depend on that.
TEST_F(HostServicesTest, QueryArgumentsConvertFromAnyTextForm) {
  Variant result;
  Variant answer = OleCall(FQuery, "CheckValue",
                           {u"admmb", u"01", u"DEMO", Variant(u"KULR31"), Variant::ByRef(result)});
  EXPECT_TRUE(answer.AsBoolean());
  EXPECT_EQ(result[4].AsString(), "Y");
}

// A query the host does not have, a wrong argument count or another
// database must raise (QueryTable turns it into false), never run anything.
TEST_F(HostServicesTest, QueryServiceRefusesUnknownQueriesAndBadArguments) {
  Variant result;
  struct {
    const char* Table;
    const char* Code;
    Variant Args;
    const char* Database;
    const char* Mentions;
  } bad[] = {
      {"PURMA", "99", VarArrayOf({"x"}), "DEMO", "PURMA/99"},
      {"ADMMB", "01", VarArrayOf({"KULR31", "extra"}), "DEMO", "takes 1"},
      {"GENES", "01", VarArrayOf({"a"}), "DEMO", "takes 3"},
      {"ADMMB", "01", VarArrayOf({VarArrayOf({"KULR31"})}), "DEMO", "array"},
      {"ADMMB", "01", VarArrayOf({"KULR31"}), "OTHERDB", "OTHERDB"},
  };
  for (auto& row : bad) {
    SCOPED_TRACE(row.Mentions);
    Variant t = row.Table, c = row.Code, db = row.Database;
    EOleException e = CatchOle([&] {
      OleCall(FQuery, "CheckValue", {Variant::ByRef(t), Variant::ByRef(c), Variant::ByRef(db),
                                     Variant::ByRef(row.Args), Variant::ByRef(result)});
    });
    EXPECT_NE(e.Message().find(row.Mentions), std::string::npos) << e.Message();
  }
}

// QueryTable puts these before every call; a put that fails is ignored by
// the caller, so they must simply be kept.
TEST_F(HostServicesTest, ProductIdAndBaseLimitedAreWritable) {
  OlePut(FQuery, "ProductID", int32_t{3});
  OlePut(FQuery, "BaseLimited", u"A01,A02");
  EXPECT_EQ(OleGet(FQuery, "ProductID").AsInteger(), 3);
  EXPECT_EQ(OleGet(FQuery, "BaseLimited").AsString(), "A01,A02");
}

// ---- Lookup service ----

// The supplier lookup of the report fills a list with rows of columns.
TEST_F(HostServicesTest, F2GetDataAnswersSupplierRows) {
  Variant rows = OleCall(FLookup, "F2GetData", {Request("PURMA", "01", VarArrayOf({""}), true, "")});
  ASSERT_TRUE(rows.IsArray());
  EXPECT_EQ(VarArrayHighBound(rows, 1), 11);
  EXPECT_EQ(rows[0][0].AsString(), "S001");
  EXPECT_EQ(rows[0][1].AsString(), "\xBB\xAA\xB6\xAB\xB5\xE7\xD7\xD3");  // 华东电子
  EXPECT_EQ(VarArrayHighBound(rows[0], 1), 5);
}

// The default answer is filtered by the request's arguments and current
// text; nothing matching means nothing chosen (Empty).
TEST_F(HostServicesTest, F2GetDataFiltersByArgumentsAndCurrentText) {
  struct {
    const char* Name;
    const char* Table;
    const char* Code;
    Variant Args;
    const char* Current;
    int32_t Rows;
    const char* FirstKey;
  } cases[] = {
      {"kind 2 suppliers", "PURMA", "01", VarArrayOf({"2"}), "", 5, "S004"},
      {"current text", "PURMA", "01", VarArrayOf({""}), "s01", 3, "S010"},
      {"footers", "CMSMS", "01", VarArrayOf({"1"}), "", 2, "01"},
      {"users without arguments", "ORLANMA", "04", Variant(), "", 4, "A001"},
      {"users with [\"\"]", "ORLANMA", "04", VarArrayOf({""}), "D", 1, "DS"},
      {"nothing matches", "PURMA", "01", VarArrayOf({""}), "ZZ", 0, ""},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Variant rows = OleCall(FLookup, "F2GetData", {Request(c.Table, c.Code, c.Args, false, c.Current)});
    if (c.Rows == 0) {
      EXPECT_TRUE(rows.IsEmpty());
      continue;
    }
    ASSERT_TRUE(rows.IsArray());
    EXPECT_EQ(VarArrayHighBound(rows, 1) + 1, c.Rows);
    EXPECT_EQ(rows[0][0].AsString(), c.FirstKey);
  }
}

// The note lookup row differs from the note query row: code, name, then the
// three lines at 2..4, as the F2 handler reads them.
TEST_F(HostServicesTest, F2GetDataNoteRowsHaveLinesAtTwoToFour) {
  Variant rows = OleCall(FLookup, "F2GetData", {Request("CMSMS", "01", VarArrayOf({"1"}), false, "")});
  EXPECT_EQ(rows[0][1].AsString(), "\xB1\xEA\xD7\xBC\xD7\xA2\xBD\xC5");  // 标准注脚
  EXPECT_EQ(rows[0][2].AsString(), "\xB1\xBE\xB1\xA8\xB1\xED\xBD\xF6\xB9\xA9\xC4\xDA\xB2\xBF\xCA\xB9\xD3\xC3");
}

// The edition 7 plug-in sends 17 elements; anything else is malformed.
TEST_F(HostServicesTest, F2GetDataChecksTheRequestShape) {
  EXPECT_TRUE(OleCall(FLookup, "F2GetData", {Request("PURMA", "01", VarArrayOf({""}), true, "", 16)}).IsArray());
  const Variant bad[] = {
      Variant("PURMA"),
      VarArrayCreate({0, 17}),
      VarArrayCreate({1, 19}),
      Request("NOSUCH", "01", Variant(), true, ""),
      Request("PURMA", "01", VarArrayOf({"1", "2"}), true, ""),
  };
  for (const Variant& request : bad) {
    SCOPED_TRACE(DescribeVariant(request).substr(0, 60));
    EOleException e = CatchOle([&] { OleCall(FLookup, "F2GetData", {request}); });
    EXPECT_NE(e.Message().find("F2GetData"), std::string::npos) << e.Message();
  }
  Variant otherCompany = Request("PURMA", "01", Variant(), true, "");
  otherCompany[5] = "ACME";
  EXPECT_THROW(OleCall(FLookup, "F2GetData", {otherCompany}), EOleException);
}

// Scripted answers come first, in order, each used once; then the default.
TEST_F(HostServicesTest, ScriptedLookupAnswersComeFirst) {
  Variant chosen = VarArrayOf({VarArrayOf({"S009", "x"})});
  OleCall(FApp, "ScriptLookup", {chosen});
  OleCall(FApp, "ScriptLookup", {Null()});
  Variant request = Request("PURMA", "01", VarArrayOf({""}), false, "");
  EXPECT_EQ(OleCall(FLookup, "F2GetData", {request})[0][0].AsString(), "S009");
  EXPECT_TRUE(OleCall(FLookup, "F2GetData", {request}).IsNull());
  EXPECT_EQ(OleCall(FLookup, "F2GetData", {request})[0][0].AsString(), "S001");
  EXPECT_EQ(App().Script().PendingCount(), 0u);
}

// The date picker: a scripted pick, a scripted cancel, then the start date.
TEST_F(HostServicesTest, ShowInputDayAnswersScriptThenStartDate) {
  OleCall(FApp, "ScriptDatePick", {"20240131"});
  OleCall(FApp, "ScriptDatePick", {""});
  Variant request = VarArrayOf({true, "20240215", "DEMO"});
  EXPECT_EQ(OleCall(FLookup, "ShowInputDay", {request}).AsString(), "20240131");
  EXPECT_EQ(OleCall(FLookup, "ShowInputDay", {request}).AsString(), "");
  EXPECT_EQ(OleCall(FLookup, "ShowInputDay", {request}).AsString(), "20240215");
}

// The plug-in passes any eight characters it finds in the edit; a start
// that is no date is answered as a cancelled picker, never echoed back.
TEST_F(HostServicesTest, ShowInputDayWithUnreadableStartAnswersEmpty) {
  for (const char* start : {"2024/01/", "20240230", "abcdefgh", ""}) {
    SCOPED_TRACE(start);
    EXPECT_EQ(OleCall(FLookup, "ShowInputDay", {VarArrayOf({false, start, "DEMO"})}).AsString(), "");
  }
}

// Malformed requests and scripted answers that are no date are refused.
TEST_F(HostServicesTest, ShowInputDayAndScriptRefuseBadShapes) {
  EXPECT_THROW(OleCall(FLookup, "ShowInputDay", {"20240101"}), EOleException);
  EXPECT_THROW(OleCall(FLookup, "ShowInputDay", {VarArrayOf({false, "20240101"})}), EOleException);
  EXPECT_THROW(OleCall(FLookup, "ShowInputDay", {VarArrayOf({"maybe", "20240101", "DEMO"})}), EOleException);
  EXPECT_THROW(OleCall(FLookup, "ShowInputDay", {VarArrayOf({false, "20240101", "OTHER"})}), EOleException);
  EXPECT_THROW(OleCall(FApp, "ScriptDatePick", {"2024-01-31"}), EOleException);
  EXPECT_THROW(OleCall(FApp, "ScriptDatePick", {"20241301"}), EOleException);
  EXPECT_EQ(App().Script().PendingCount(), 0u);
}

// The phrase: scripted first, else the user's first phrase, else "".
TEST_F(HostServicesTest, GetPhraseAnswersScriptThenFirstPhrase) {
  Variant user = "DS", db = "DEMO";
  OleCall(FApp, "ScriptPhrase", {"abc"});
  EXPECT_EQ(OleCall(FLookup, "GetPhrase", {Variant::ByRef(user), Variant::ByRef(db), int32_t{7}}).AsString(),
            "abc");
  EXPECT_EQ(OleCall(FLookup, "GetPhrase", {Variant::ByRef(user), Variant::ByRef(db), int32_t{7}}).AsString(),
            "\xC7\xEB\xD3\xDA\xB1\xBE\xD6\xDC\xCE\xE5\xC7\xB0\xBB\xD8\xB8\xB4");  // 请于本周五前回复
  EXPECT_EQ(OleCall(FLookup, "GetPhrase", {"A003", "DEMO", int32_t{7}}).AsString(), "");
}

// ---- Journal ----

// Every call is journaled in order with its arguments and answer, failures
// included, so a demo run can show what the plug-in asked.
TEST_F(HostServicesTest, JournalRecordsCallsInOrder) {
  App().Script().ClearJournal();
  OleCall(FApp, "GetMessage", {"I", "000005"});
  Variant result;
  Query("CheckValue", "ADMMB", "11", VarArrayOf({"KULR07"}), result);
  EXPECT_THROW(OleCall(FSystem, "GetCounter", {"NOPE", Variant(), Variant()}), EOleException);
  auto journal = App().Script().Journal();
  ASSERT_EQ(journal.size(), 3u);
  EXPECT_EQ(journal[0].Member, "GetMessage");
  EXPECT_EQ(journal[0].Arguments, "\"I\", \"000005\"");
  EXPECT_EQ(journal[1].Member, "CheckValue");
  EXPECT_EQ(journal[1].Arguments, "\"ADMMB\", \"11\", \"DEMO\", [\"KULR07\"]");
  EXPECT_NE(journal[1].Answer.find("\"Y\""), std::string::npos) << journal[1].Answer;
  EXPECT_EQ(journal[2].Answer.rfind("error: ", 0), 0u) << journal[2].Answer;
  AnsiString text = OleGet(FApp, "JournalText").AsString();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
  EXPECT_EQ(text.rfind("GetMessage(\"I\", \"000005\") -> ", 0), 0u) << text;
}

}  // namespace
