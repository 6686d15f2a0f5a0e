// The report server object as a client sees it: every member called
// late-bound with OleCall, on an object created through the in-process server
// module (as the form does) and on one built directly; the shapes of the
// answers, the scheme provider, jobs stored whole, and bad arguments answered
// with texts.
#include "appserver/ReportServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AppServerTestSupport.h"
#include "platform/com/OleCall.h"
#include "platform/com/OleTestSupport.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TextSupport.h"
#include "platform/rtl/VariantPrint.h"
#include "platform/rtl/VariantStream.h"

namespace {

// 方案 in GBK
const AnsiString kGbkName = "\xB7\xBD\xB0\xB8";

class ReportServerTest : public ::testing::TestWithParam<TCreation> {
protected:
  ReportServerTest() : FServer(FInstall.Create(GetParam(), ReportServerProgId)) {}

  Variant NewServer() const { return FInstall.Create(GetParam(), ReportServerProgId); }

  // A second connection to the same file, to look behind the object.
  TAppServerStore Peek() const { return TAppServerStore(FInstall.Config()); }

  // InsertConTable's argument array.
  static Variant SchemeArgs(const Variant& name, const AnsiString& values, bool replace,
                            const AnsiString& user = "boss") {
    return VarArrayOf({name, user, "20261211", "KULR31", "sp01.style;ed01.text", values, replace});
  }

  // The provider rows as [name, values] pairs, read through the protocol.
  std::vector<std::pair<AnsiString, AnsiString>> ProviderRows(const Variant& server) {
    const Variant packet = OleCall(server, "AS_GetRecords", {"pvdConSave"});
    std::vector<std::pair<AnsiString, AnsiString>> rows;
    const Variant& list = packet[1];
    for (int32_t i = VarArrayLowBound(list, 1); i <= VarArrayHighBound(list, 1); ++i)
      rows.emplace_back(list[i][0].AsString(), list[i][4].AsString());
    return rows;
  }

  TAppServerInstall FInstall;
  Variant FServer;
};

INSTANTIATE_TEST_SUITE_P(Creation, ReportServerTest,
                         ::testing::Values(TCreation::Direct, TCreation::InProcServer),
                         CreationName);

// Guards against SQLType working only as a method or only as a property
// (callers cannot know which), and against a non-integer kind.
TEST_P(ReportServerTest, SQLTypeIsAnIntegerEitherWay) {
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(int32_t{ReportServerSQLType}),
                      OleCall(FServer, "SQLType"));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(int32_t{ReportServerSQLType}),
                      OleGet(FServer, "sqltype"));
}

// The data-limit text the form's LoadRights builds from a rights record:
// element 4, #3, the count, #3, then each item and #3.
AnsiString BaseLimit(const Variant& rights) {
  AnsiString text = VarToStr(rights[4]) + "\x03" + VarToStr(rights[5][0]) + "\x03";
  for (int32_t i = 1; i <= rights[5][0].AsInteger(); ++i) text += VarToStr(rights[5][i]) + "\x03";
  return text;
}

// The fourth of the six comma-separated parts of element 1: the mask.
AnsiString RightsMask(const Variant& rights) {
  AnsiString text = rights[1].AsString();
  std::vector<AnsiString> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != AnsiString::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  EXPECT_EQ(parts.size(), 6u) << text;
  return parts.size() >= 4 ? parts[3] : AnsiString();
}

// Guards against a rights record the form cannot read (too short, a mask
// with "N" at 7 or 8 for a user with full rights, a count that does not match
// the items), and against the rights table being ignored.
TEST_P(ReportServerTest, GetPowerAnswersFullRightsOrTheTablesRow) {
  const Variant full = OleCall(FServer, "GetPower", {VarArrayOf({"ERP", "boss", "KULR31", ""})});
  ASSERT_EQ(VarArrayLowBound(full, 1), 0);
  ASSERT_EQ(VarArrayHighBound(full, 1), 5);
  const AnsiString mask = RightsMask(full);
  ASSERT_GE(mask.size(), 8u);
  EXPECT_EQ(mask.find('N'), AnsiString::npos) << mask;
  EXPECT_EQ(BaseLimit(full), "\x03" "0\x03");
  EXPECT_EQ(VarArrayHighBound(full[5], 1), 0);
  EXPECT_EQ(VarToStr(full[0]), "boss");

  Peek().SetRights("clerk", "*", {"Y,Y,Y,YYYYYYNY,Y,Y", "DEPT", "D01;D02"});
  Variant request = VarArrayOf({"ERP", "clerk", "KULR31", ""});
  const Variant limited = OleCall(FServer, "GetPower", {Variant::ByRef(request)});
  EXPECT_EQ(RightsMask(limited), "YYYYYYNY");
  EXPECT_EQ(BaseLimit(limited), "DEPT\x03" "2\x03" "D01\x03" "D02\x03");
}

// Guards against a crash or a made-up record on a request the server cannot
// read: the caller gets an automation error saying why.
TEST_P(ReportServerTest, GetPowerRaisesOnBadRequests) {
  const std::vector<std::pair<Variant, const char*>> rows = {
      {"boss", "must be an array"},
      {VarArrayOf({"ERP", "boss"}), "has 2 elements, 3 needed"},
      {VarArrayOf({"ERP", Variant::Null(), "KULR31", ""}), "the user id (element 1) is Null"},
      {VarArrayOf({"ERP", "boss", "", ""}), "the program code (element 2) is empty"},
  };
  for (const auto& [request, fragment] : rows) {
    SCOPED_TRACE(fragment);
    const EOleException e = CatchOle([&] { OleCall(FServer, "GetPower", {request}); });
    EXPECT_EQ(e.Kind(), TOleErrorKind::Exception);
    EXPECT_NE(e.Description().find(fragment), std::string::npos) << e.Description();
  }
  Peek().SetRights("odd", "KULR31", {"YYYY", "", ""});
  const EOleException e =
      CatchOle([&] { OleCall(FServer, "GetPower", {VarArrayOf({"ERP", "odd", "KULR31", ""})}); });
  EXPECT_NE(e.Description().find("six comma-separated parts"), std::string::npos)
      << e.Description();
}

// ---- Schemes ----

// Guards against any step of the scheme list's life going wrong: insert,
// refused duplicate, replace, rename, delete, each seen through the provider
// on the same object, with the arguments passed by reference as the form
// passes them.
TEST_P(ReportServerTest, SchemeLifeAsTheProviderShowsIt) {
  using TRows = std::vector<std::pair<AnsiString, AnsiString>>;
  Variant selection = VarArrayOf({"boss", "KULR31"});
  OleCall(FServer, "LoadTable", {Variant::ByRef(selection)});
  EXPECT_EQ(ProviderRows(FServer), TRows{});

  Variant args = SchemeArgs(kGbkName, "v1\r\n", false);
  EXPECT_EQ(VarToStr(OleCall(FServer, "InsertConTable", {Variant::ByRef(args)})), "");
  EXPECT_EQ(ProviderRows(FServer), (TRows{{kGbkName, "v1\r\n"}}));

  args = SchemeArgs(kGbkName, "v2\r\n", false);
  const AnsiString refused = VarToStr(OleCall(FServer, "InsertConTable", {Variant::ByRef(args)}));
  EXPECT_NE(refused.find("already exists"), std::string::npos) << refused;
  EXPECT_EQ(ProviderRows(FServer), (TRows{{kGbkName, "v1\r\n"}}));

  args = SchemeArgs(kGbkName, "v2\r\n", true);
  EXPECT_EQ(VarToStr(OleCall(FServer, "InsertConTable", {Variant::ByRef(args)})), "");
  EXPECT_EQ(ProviderRows(FServer), (TRows{{kGbkName, "v2\r\n"}}));

  Variant from = VarArrayOf({kGbkName, "boss", "KULR31"});
  Variant to = VarArrayOf({"new", "boss", "KULR31"});
  EXPECT_EQ(VarToStr(OleCall(FServer, "ChangeConName",
                             {Variant::ByRef(from), Variant::ByRef(to)})),
            "");
  EXPECT_EQ(ProviderRows(FServer), (TRows{{"new", "v2\r\n"}}));

  EXPECT_EQ(VarToStr(OleCall(FServer, "DeleteConTable", {Variant::ByRef(to)})), "");
  EXPECT_EQ(ProviderRows(FServer), TRows{});
  const AnsiString again = VarToStr(OleCall(FServer, "DeleteConTable", {Variant::ByRef(to)}));
  EXPECT_NE(again.find("no scheme"), std::string::npos) << again;
}

// Guards against schemes that vanish with the server object, and against
// LoadTable state shared between objects (each connection has its own).
TEST_P(ReportServerTest, SchemesOutliveTheObjectAndSelectionIsPerObject) {
  EXPECT_EQ(VarToStr(OleCall(FServer, "InsertConTable", {SchemeArgs("mine", "m\r\n", false)})), "");
  EXPECT_EQ(VarToStr(OleCall(FServer, "InsertConTable",
                             {SchemeArgs("theirs", "t\r\n", false, "clerk")})),
            "");
  FServer = Variant();

  Variant boss = NewServer();
  Variant clerk = NewServer();
  Variant fresh = NewServer();
  OleCall(boss, "LoadTable", {VarArrayOf({"boss", "KULR31"})});
  OleCall(clerk, "LoadTable", {VarArrayOf({"clerk", "KULR31"})});
  using TRows = std::vector<std::pair<AnsiString, AnsiString>>;
  EXPECT_EQ(ProviderRows(boss), (TRows{{"mine", "m\r\n"}}));
  EXPECT_EQ(ProviderRows(clerk), (TRows{{"theirs", "t\r\n"}}));
  EXPECT_EQ(ProviderRows(fresh), TRows{});
}

// Guards against a wide text (as a converted record would carry) being
// stored as UTF-16 bytes instead of the storage code page.
TEST_P(ReportServerTest, WideTextsAreStoredInTheStorageCodePage) {
  EXPECT_EQ(VarToStr(OleCall(FServer, "InsertConTable",
                             {SchemeArgs(WideString(u"\u65B9\u6848"), "v\r\n", false)})),
            "");
  OleCall(FServer, "LoadTable", {VarArrayOf({WideString(u"boss"), "KULR31"})});
  const auto rows = ProviderRows(FServer);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_PRED_FORMAT2(AssertSameBytes, kGbkName, rows[0].first);
}

struct TFieldRow {
  const char* Name;
  const char* Type;
  int32_t Size;
};

// Guards against a data packet the client data set would misread: the
// fields in order with their types and sizes, and rows with one value per
// field.
TEST_P(ReportServerTest, ProviderPacketFollowsTheProtocol) {
  OleCall(FServer, "InsertConTable", {SchemeArgs("a", "v\r\n", false)});
  OleCall(FServer, "LoadTable", {VarArrayOf({"boss", "KULR31"})});
  const Variant packet = OleCall(FServer, "AS_GetRecords", {"PVDCONSAVE"});
  ASSERT_EQ(VarArrayLowBound(packet, 1), 0);
  ASSERT_EQ(VarArrayHighBound(packet, 1), 1);
  const TFieldRow expected[] = {{"NCONDITION", "String", 20}, {"CREATOR", "String", 20},
                                {"PROGRAMME", "String", 20},  {"SCONDITION", "Memo", 0},
                                {"VCONDITION", "Memo", 0},    {"CREATE_DATE", "String", 8}};
  const Variant& fields = packet[0];
  ASSERT_EQ(VarArrayHighBound(fields, 1), 5);
  for (int32_t i = 0; i <= 5; ++i) {
    SCOPED_TRACE(expected[i].Name);
    EXPECT_EQ(VarArrayHighBound(fields[i], 1), 3);
    EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(AnsiString(expected[i].Name)), fields[i][0]);
    EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(AnsiString(expected[i].Type)), fields[i][1]);
    EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(expected[i].Size), fields[i][2]);
    EXPECT_FALSE(VarToStr(fields[i][3]).empty());
  }
  const Variant& row = packet[1][0];
  EXPECT_PRED_FORMAT2(AssertSameVariant,
                      VarArrayOf({"a", "boss", "KULR31", "sp01.style;ed01.text", "v\r\n",
                                  "20261211"}),
                      row);
  const Variant names = OleCall(FServer, "AS_GetProviderNames");
  EXPECT_PRED_FORMAT2(AssertSameVariant, VarArrayOf({"pvdConSave"}), names);
}

// Guards against an unknown provider answering with an empty packet, which
// a client would show as an empty list instead of an error.
TEST_P(ReportServerTest, UnknownProviderRaisesNamingIt) {
  const EOleException e = CatchOle([&] { OleCall(FServer, "AS_GetRecords", {"pvdNothing"}); });
  EXPECT_EQ(e.Kind(), TOleErrorKind::Exception);
  EXPECT_NE(e.Description().find("pvdNothing"), std::string::npos) << e.Description();
  const EOleException e2 = CatchOle([&] { OleCall(FServer, "LoadTable", {"boss"}); });
  EXPECT_NE(e2.Description().find("must be an array"), std::string::npos) << e2.Description();
}

struct TBadCall {
  const char* Member;
  std::vector<Variant> Args;
  const char* Fragment;
};

// Guards against a crash, a failed call or a stored half-scheme on arguments
// of the wrong shape or type: each is answered with a text saying why, and
// nothing changes.
TEST_P(ReportServerTest, BadSchemeArgumentsAreAnsweredWithTexts) {
  OleCall(FServer, "InsertConTable", {SchemeArgs("keep", "k\r\n", false)});
  OleCall(FServer, "InsertConTable", {SchemeArgs("other", "o\r\n", false)});
  auto with = [](int index, Variant value) {
    Variant args = SchemeArgs("new", "n\r\n", false);
    args[index] = std::move(value);
    return args;
  };
  const Variant keep = VarArrayOf({"keep", "boss", "KULR31"});
  const std::vector<TBadCall> rows = {
      {"InsertConTable", {"text"}, "the scheme must be an array, not String"},
      {"InsertConTable", {Variant()}, "the scheme must be an array, not Empty"},
      {"InsertConTable", {VarArrayOf({"a", "boss"})}, "has 2 elements, 7 needed"},
      {"InsertConTable", {VarArrayCreate({0, 6, 0, 0})}, "one-dimensional"},
      {"InsertConTable", {with(0, Variant::Null())}, "the scheme name (the scheme element 0) is Null"},
      {"InsertConTable", {with(0, "")}, "the scheme name (the scheme element 0) is empty"},
      {"InsertConTable", {with(0, "   ")}, "blank"},
      // ten GBK characters and a letter: 21 bytes
      {"InsertConTable",
       {with(0, "\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBDx")},
       "longer than 20 bytes"},
      {"InsertConTable", {with(0, WideString(u"\u0E01"))}, "code page 936 cannot hold"},
      {"InsertConTable", {with(1, int32_t{5})}, "the user id (the scheme element 1) must be a text, not Integer"},
      {"InsertConTable", {with(2, "2026-12-1")}, "YYYYMMDD"},
      {"InsertConTable", {with(2, "20260230")}, "YYYYMMDD"},
      {"InsertConTable", {with(3, VarArrayOf({"KULR31"}))}, "the program code (the scheme element 3) must be a text"},
      {"InsertConTable", {with(5, Variant::Null())}, "the value text (element 5) is Null"},
      {"InsertConTable", {with(6, Variant::Null())}, "the replace flag (element 6) is Null"},
      {"InsertConTable", {with(6, "maybe")}, "the replace flag (element 6) must be a flag"},
      {"InsertConTable", {with(0, "keep"), "extra"}, "takes 1 argument, not 2"},
      {"DeleteConTable", {VarArrayOf({"keep", "boss", ""})}, "the program code (the scheme element 2) is empty"},
      {"DeleteConTable", {VarArrayOf({"gone", "boss", "KULR31"})}, "no scheme named \"gone\""},
      {"ChangeConName", {keep}, "takes 2 arguments, not 1"},
      {"ChangeConName", {keep, VarArrayOf({"x", "clerk", "KULR31"})}, "cannot change the user id"},
      {"ChangeConName", {keep, VarArrayOf({"", "boss", "KULR31"})}, "the scheme name (the new scheme element 0) is empty"},
      {"ChangeConName", {keep, VarArrayOf({"other", "boss", "KULR31"})}, "\"other\" already exists"},
      {"ChangeConName", {VarArrayOf({"gone", "boss", "KULR31"}), VarArrayOf({"x", "boss", "KULR31"})}, "no scheme named \"gone\""},
  };
  for (const TBadCall& row : rows) {
    SCOPED_TRACE(std::string(row.Member) + ": " + row.Fragment);
    std::vector<Variant> args = row.Args;
    const Variant answer = OleInvoke(FServer, row.Member, TInvokeKind::Method, args);
    ASSERT_TRUE(answer.GetIf<AnsiString>()) << ::testing::PrintToString(answer);
    EXPECT_NE(answer.GetIf<AnsiString>()->find(row.Fragment), std::string::npos)
        << *answer.GetIf<AnsiString>();
  }
  OleCall(FServer, "LoadTable", {VarArrayOf({"boss", "KULR31"})});
  using TRows = std::vector<std::pair<AnsiString, AnsiString>>;
  EXPECT_EQ(ProviderRows(FServer), (TRows{{"keep", "k\r\n"}, {"other", "o\r\n"}}));
}

// ---- Jobs ----

// A job record as the form sends it after the wire conversion: wide texts,
// environment 1..14, conditions 1..2.
Variant JobRecord() {
  Variant env = VarArrayCreate({1, 14});
  env[1] = WideString(u"KULR31");
  env[2] = int32_t{14};
  env[3] = int32_t{2};
  env[4] = WideString(u"01");
  env[5] = WideString(u"\u7BA1\u7406");  // 管理
  env[6] = WideString(u"ERP");
  env[7] = TDateTime(46367.5);
  env[8] = WideString(u"KULR31S.Class1");
  env[9] = WideString(u"R");
  env[10] = int32_t{0};
  env[11] = TDateTime(46367.5);
  env[12] = WideString(u"");
  env[13] = int32_t{1};
  env[14] = WideString(u"A");
  Variant texts = VarArrayCreate({1, 2});
  texts[1] = VarArrayOf({WideString(u"\u65E5\u671F"), WideString(u"sp01")});
  texts[2] = Variant::Null();
  Variant values = VarArrayCreate({1, 2});
  values[1] = VarArrayOf({WideString(u"\x04"), WideString(u"20261201"), WideString(u"20261231")});
  return VarArrayOf({env, texts, values});
}

bool IsJobNumber(const AnsiString& text) { return TAppServerStore::ParseJobNumber(text).has_value(); }

// Guards against a job record losing anything on the way into the store
// (bounds from 1, wide texts, dates), and against two jobs sharing a number
// or a key (its first eight characters).
TEST_P(ReportServerTest, RequestsStoreTheWholeRecordUnderNewNumbers) {
  const Variant record = JobRecord();
  const AnsiString queued = VarToStr(OleCall(FServer, "Request", {record}));
  const AnsiString registered = VarToStr(OleCall(FServer, "Request1", {record, "PC-01"}));
  ASSERT_TRUE(IsJobNumber(queued)) << queued;
  ASSERT_TRUE(IsJobNumber(registered)) << registered;
  EXPECT_NE(queued.substr(0, 8), registered.substr(0, 8));
  EXPECT_EQ(VarToStr(OleCall(FServer, "ErrorDescript")), "");

  TAppServerStore store = Peek();
  const std::optional<TJobRow> a = store.FindJob(queued);
  const std::optional<TJobRow> b = store.FindJob(registered);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(Hex(a->RecordBytes), Hex(SaveVariant(record)));
  EXPECT_PRED_FORMAT2(AssertSameVariant, record, LoadVariant(b->RecordBytes));
  EXPECT_EQ(a->Programme, "KULR31");
  EXPECT_PRED_FORMAT2(AssertSameBytes, "\xB9\xDC\xC0\xED", a->Creator);  // 管理
  EXPECT_EQ(a->Status, jsQueued);
  EXPECT_EQ(a->Workstation, "");
  EXPECT_EQ(b->Status, jsRegistered);
  EXPECT_EQ(b->Workstation, "PC-01");

  FServer = Variant();
  const AnsiString later = VarToStr(OleCall(NewServer(), "Request", {record}));
  EXPECT_GT(later, registered);
}

// A record with one element replaced (path of indices into the record).
Variant RecordWith(std::initializer_list<int32_t> path, Variant value) {
  Variant record = JobRecord();
  Variant* at = &record;
  for (int32_t i : path) at = &(*at)[i];
  *at = std::move(value);
  return record;
}

// Guards against a crash or a stored half-record on a broken job record:
// "ERROR", with ErrorDescript saying what is wrong.
TEST_P(ReportServerTest, BadJobRecordsAnswerErrorWithReason) {
  Variant periodic = JobRecord();
  VarArrayRedim(periodic, 4);
  periodic[3] = "not a schedule";
  periodic[4] = VarArrayOf({int32_t{0}});
  Variant shifted = VarArrayCreate({1, 3});
  const std::vector<TBadCall> rows = {
      {"Request", {"record"}, "the job record must be an array, not String"},
      {"Request", {Variant::Null()}, "the job record must be an array, not Null"},
      {"Request", {shifted}, "bounds 0..2, or 0..4 for a periodic job, not 1..3"},
      {"Request", {VarArrayOf({1, 2, 3, 4})}, "not 0..3"},
      {"Request", {RecordWith({0}, VarArrayOf({"KULR31"}))}, "bounds 1..n with n at least 5, not 0..0"},
      {"Request", {RecordWith({0, 5}, Variant::Null())}, "the user id (environment element 5) is Null"},
      {"Request", {RecordWith({0, 1}, "")}, "the program code (environment element 1) is empty"},
      {"Request", {RecordWith({2}, VarArrayCreate({1, 3}))}, "do not match"},
      {"Request", {RecordWith({1}, int32_t{1})}, "the condition texts (job record element 1) must be an array"},
      {"Request", {periodic}, "the schedule (job record element 3) must be an array"},
      {"Request", {RecordWith({2, 2}, FServer)}, "cannot be stored"},
      {"Request", {}, "Request takes 1 argument, not 0"},
      {"Request1", {JobRecord()}, "Request1 takes 2 arguments, not 1"},
      {"Request1", {JobRecord(), Variant::Null()}, "the workstation name is Null"},
  };
  for (const TBadCall& row : rows) {
    SCOPED_TRACE(std::string(row.Member) + ": " + row.Fragment);
    std::vector<Variant> args = row.Args;
    const Variant answer = OleInvoke(FServer, row.Member, TInvokeKind::Method, args);
    EXPECT_EQ(VarToStr(answer), "ERROR");
    const AnsiString why = VarToStr(OleCall(FServer, "ErrorDescript"));
    EXPECT_NE(why.find(row.Fragment), std::string::npos) << why;
  }
  // Nothing was stored: the next number is the first.
  EXPECT_EQ(VarToStr(OleCall(FServer, "Request", {JobRecord()})), "00000001");
}

// Guards against a client report getting lost or landing on another job,
// and against an unknown number passing for success.
TEST_P(ReportServerTest, UpdateStatus1RecordsTheClientsReport) {
  Variant number = OleCall(FServer, "Request1", {JobRecord(), "PC-01"});
  OleCall(FServer, "UpdateStatus1",
          {Variant::ByRef(number), "I;000004;00000001", TDateTime(46367.75)});
  const std::optional<TJobRow> job = Peek().FindJob(VarToStr(number));
  ASSERT_TRUE(job);
  EXPECT_EQ(job->Status, jsReported);
  EXPECT_EQ(job->Messages, "I;000004;00000001");
  EXPECT_EQ(job->Updated.value_or(TDateTime(0)).Value, 46367.75);

  Variant error = "ERROR";
  const EOleException e = CatchOle(
      [&] { OleCall(FServer, "UpdateStatus1", {Variant::ByRef(error), "", TDateTime(1)}); });
  EXPECT_NE(e.Description().find("no job \"ERROR\""), std::string::npos) << e.Description();
  const EOleException e2 =
      CatchOle([&] { OleCall(FServer, "UpdateStatus1", {number, "", Variant::Null()}); });
  EXPECT_NE(e2.Description().find("the date and time is Null"), std::string::npos)
      << e2.Description();
}

// ---- Creation through the in-process server ----

// Guards against a module that answers ids it does not serve, and against a
// missing installation passing for an empty store in the current folder.
TEST(ReportServerCreationTest, ModuleServesOnlyItsIdsAndNeedsTheInstallation) {
  TAppServerInstall install;
  const EOleException notServed = CatchOle([] { CreateOleObject("KulrTest.NotServed"); });
  EXPECT_EQ(notServed.Kind(), TOleErrorKind::CreationFailed);

  install.WriteRegistry(false);
  const EOleException noPath = CatchOle([] { CreateOleObject(ReportServerProgId); });
  EXPECT_EQ(noPath.Kind(), TOleErrorKind::CreationFailed);
  EXPECT_NE(noPath.Message().find("ServerPath"), std::string::npos) << noPath.Message();
}

// Guards against the module ignoring the profile's database name.
TEST(ReportServerCreationTest, ModuleOpensTheDatabaseTheProfileNames) {
  TAppServerInstall install("jobs.db");
  Variant server = CreateOleObject("derezarozududa.DMREPORTCOUNTER");
  EXPECT_EQ(VarToStr(OleCall(server, "Request", {JobRecord()})), "00000001");
  EXPECT_TRUE(std::filesystem::exists(install.FServerPath + "jobs.db"));
  EXPECT_FALSE(std::filesystem::exists(install.DatabasePath()));
}

}  // namespace
