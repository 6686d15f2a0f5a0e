#include "platform/data/DBClient.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform/data/DataTestSupport.h"
#include "platform/rtl/ExpectThrow.h"
#include "platform/rtl/TextSupport.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/Registration.h"

namespace {

using TClientDataSetTest = TDataSetTest;

// Opening must show exactly the schemes LoadTable selected on the same
// server object, with the provider's field definitions.
TEST_F(TClientDataSetTest, OpensTheSchemesLoadTableSelected) {
  ConnectReportServer();
  InsertScheme("B", "b\r\n", "20260102");
  InsertScheme("A", "a\r\n", "20260101");
  InsertScheme("X", "x\r\n", "20260101", "OTHER");
  LoadTable();

  FDataSet->Open();
  EXPECT_EQ(FDataSet->State(), dsBrowse);
  ASSERT_EQ(FDataSet->RecordCount(), 2);
  // The server delivers its schemes ordered by name.
  EXPECT_EQ(Column("NCONDITION"), (std::vector<AnsiString>{"A", "B"}));
  EXPECT_EQ(Column("CREATE_DATE"), (std::vector<AnsiString>{"20260101", "20260102"}));
  EXPECT_EQ(Column("VCONDITION"), (std::vector<AnsiString>{"a\r\n", "b\r\n"}));
}

// Field definitions (names, types, sizes, labels) must come across as the
// provider declares them, in its order.
TEST_F(TClientDataSetTest, FieldsCarryTheProviderDefinitions) {
  ConnectReportServer();
  FDataSet->Open();
  struct TRow {
    const char* Name;
    TFieldType Type;
    int32_t Size;
    const char* Label;
  };
  const TRow expected[] = {
      {"NCONDITION", ftString, 20, "\xB7\xBD\xB0\xB8\xC3\xFB\xB3\xC6"},  // 方案名称
      {"CREATOR", ftString, 20, "\xBD\xA8\xC1\xA2\xD5\xDF"},             // 建立者
      {"PROGRAMME", ftString, 20, "\xB3\xCC\xD0\xF2\xB4\xFA\xBA\xC5"},   // 程序代号
      {"SCONDITION", ftMemo, 0, "\xCC\xF5\xBC\xFE\xCA\xF4\xD0\xD4"},     // 条件属性
      {"VCONDITION", ftMemo, 0, "\xCC\xF5\xBC\xFE\xD6\xB5"},             // 条件值
      {"CREATE_DATE", ftString, 8, "\xBD\xA8\xC1\xA2\xC8\xD5\xC6\xDA"},  // 建立日期
  };
  ASSERT_EQ(FDataSet->FieldCount(), 6);
  for (int i = 0; i < 6; ++i) {
    const TRow& row = expected[i];
    SCOPED_TRACE(row.Name);
    TField* field = FDataSet->Fields(i);
    EXPECT_EQ(field->FieldName(), row.Name);
    EXPECT_EQ(field->DataType(), row.Type);
    EXPECT_EQ(field->Size(), row.Size);
    EXPECT_EQ(Hex(field->DisplayLabel()), Hex(row.Label));
    EXPECT_EQ(field->Index(), i);
    EXPECT_EQ(field->DataSet(), FDataSet);
    EXPECT_TRUE(field->IsNull());  // no scheme selected: no current record
  }
}

// Look-ups by name ignore case; a missing name is an error naming it.
TEST_F(TClientDataSetTest, FieldByNameIgnoresCaseAndNamesAMissingField) {
  ConnectReportServer();
  FDataSet->Open();
  EXPECT_EQ(FDataSet->FieldByName("ncondition"), FDataSet->Fields(0));
  EXPECT_EQ(FDataSet->FindField("Create_Date"), FDataSet->Fields(5));
  EXPECT_EQ(FDataSet->FindField("NOPE"), nullptr);
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->FieldByName("NOPE"); },
                                  "ClientDataSet1: Field 'NOPE' not found");
  ExpectThrowWith<EListError>([&] { FDataSet->Fields(6); }, "out of bounds (6)");
}

// Walking record count times with Next must visit each record once and end
// on Eof; Bof/RecNo must follow the cursor.
TEST_F(TClientDataSetTest, NavigationVisitsEveryRecordOnce) {
  ConnectReportServer();
  for (const char* name : {"A", "B", "C"}) InsertScheme(name, "");
  LoadTable();
  FDataSet->Open();
  EXPECT_TRUE(FDataSet->Bof());
  EXPECT_FALSE(FDataSet->Eof());
  EXPECT_EQ(FDataSet->RecNo(), 1);
  FDataSet->Next();
  EXPECT_FALSE(FDataSet->Bof());
  EXPECT_EQ(FDataSet->RecNo(), 2);
  FDataSet->Next();
  EXPECT_FALSE(FDataSet->Eof());
  FDataSet->Next();  // past the last
  EXPECT_TRUE(FDataSet->Eof());
  EXPECT_EQ(FDataSet->RecNo(), 3);
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "C");
  FDataSet->Prior();
  EXPECT_EQ(FDataSet->RecNo(), 2);
  FDataSet->First();
  EXPECT_TRUE(FDataSet->Bof());
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "A");
}

// An empty table is Bof and Eof at once, with no current record to read.
TEST_F(TClientDataSetTest, EmptyTableIsBofAndEof) {
  ConnectReportServer();
  LoadTable();
  FDataSet->Open();
  EXPECT_EQ(FDataSet->RecordCount(), 0);
  EXPECT_TRUE(FDataSet->Bof());
  EXPECT_TRUE(FDataSet->Eof());
  EXPECT_EQ(FDataSet->RecNo(), 0);
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "");
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->Edit(); }, "empty");
}

// Close must drop records and the fields Open made, and a second Open
// fetches again (the server's answer may have changed).
TEST_F(TClientDataSetTest, CloseAndOpenFetchesAgain) {
  ConnectReportServer();
  InsertScheme("A", "");
  LoadTable();
  FDataSet->Open();
  EXPECT_EQ(FDataSet->RecordCount(), 1);
  FDataSet->Close();
  EXPECT_EQ(FDataSet->State(), dsInactive);
  EXPECT_EQ(FDataSet->FieldCount(), 0);
  EXPECT_EQ(FDataSet->RecordCount(), 0);
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->First(); }, "closed dataset");
  InsertScheme("B", "");
  FDataSet->Open();
  EXPECT_EQ(FDataSet->RecordCount(), 2);
}

class TIndexTest : public TDataSetTest {
protected:
  void SetUp() override {
    ConnectReportServer();
    // Byte order: "a" sorts after "B"; the GBK name after every ASCII one.
    const std::pair<const char*, const char*> schemes[] = {
        {"b", "20260105"}, {"\xB7\xBD\xB0\xB8" /* 方案 */, "20260101"}, {"B", "20260103"},
        {"a", "20260102"}, {"C", "20260104"}};
    for (const auto& [name, date] : schemes) InsertScheme(name, name, date);
    LoadTable();
    FDataSet->AddIndex("ByDate", "CREATE_DATE;NCONDITION");
    FDataSet->AddIndex("Index1", "NCONDITION;CREATOR;PROGRAMME");
    FDataSet->SetIndexName("Index1");
    FDataSet->Open();
  }
};

// Records must follow the index's fields in byte order, case-sensitively.
TEST_F(TIndexTest, KeepsRecordsOrderedByTheIndexFields) {
  EXPECT_EQ(Column("NCONDITION"),
            (std::vector<AnsiString>{"B", "C", "a", "b", "\xB7\xBD\xB0\xB8"}));
  // Switching the index reorders at once and keeps the current record.
  ASSERT_TRUE(FDataSet->FindKey({Variant("C")}));
  FDataSet->SetIndexName("ByDate");
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "C");
  EXPECT_EQ(FDataSet->RecNo(), 4);
  EXPECT_EQ(Column("NCONDITION"),
            (std::vector<AnsiString>{"\xB7\xBD\xB0\xB8", "a", "B", "C", "b"}));
  ASSERT_TRUE(FDataSet->FindKey({Variant("20260102")}));
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "a");
  // An index set before Open orders the records from the start.
  FDataSet->Close();
  FDataSet->Open();
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "\xB7\xBD\xB0\xB8");
}

// FindKey must land on the exact key and leave the cursor alone when it
// finds nothing (the rename path posts to the found record only).
TEST_F(TIndexTest, FindKeyMovesToTheExactKey) {
  struct TCase {
    const char* Name;
    std::vector<Variant> Key;
    bool Found;
  };
  const TCase cases[] = {
      {"full key", {Variant("a"), Variant(TestUser), Variant(TestProgram)}, true},
      {"GBK name", {Variant("\xB7\xBD\xB0\xB8"), Variant(TestUser), Variant(TestProgram)}, true},
      {"prefix of the key", {Variant("C")}, true},
      {"other case", {Variant("c"), Variant(TestUser), Variant(TestProgram)}, false},
      {"other user", {Variant("a"), Variant("U02"), Variant(TestProgram)}, false},
      {"padded name", {Variant("a ")}, false},
      {"Null", {Null()}, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    FDataSet->Last();
    const int before = FDataSet->RecNo();
    EXPECT_EQ(FDataSet->FindKey(c.Key), c.Found);
    if (c.Found)
      EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), c.Key[0].AsString());
    else
      EXPECT_EQ(FDataSet->RecNo(), before);
  }
}

// Misuse of indexes must be an error, never a silent wrong answer.
TEST_F(TIndexTest, IndexMisuseRaises) {
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->SetIndexName("Index2"); }, "Index 'Index2' not found");
  EXPECT_EQ(FDataSet->IndexName(), "Index1");
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->FindKey({}); }, "FindKey takes 1 to 3 values");
  ExpectThrowWith<EDatabaseError>(
      [&] { FDataSet->FindKey({Variant("a"), Variant("b"), Variant("c"), Variant("d")}); },
      "not 4");
  // An index on a field the table lacks fails to switch and keeps the old one.
  FDataSet->AddIndex("Bad", "NCONDITION;NOPE");
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->SetIndexName("Bad"); }, "Field 'NOPE' not found");
  EXPECT_EQ(FDataSet->IndexName(), "Index1");
  FDataSet->SetIndexName("");
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->FindKey({Variant("a")}); }, "No index currently active");
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->AddIndex("", "A"); }, "needs a name");
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->AddIndex("I", " ; "); }, "names no fields");
}

// A renamed scheme must move to its new place in the index, stay current,
// and exist only in the local copy (the server is never written).
TEST_F(TIndexTest, EditAndPostChangeOnlyTheLocalCopy) {
  ASSERT_TRUE(FDataSet->FindKey({Variant("B"), Variant(TestUser), Variant(TestProgram)}));
  FDataSet->Edit();
  EXPECT_EQ(FDataSet->State(), dsEdit);
  FDataSet->FieldByName("NCONDITION")->SetAsString("Z");
  // The edit buffer is what the fields show until Post.
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "Z");
  FDataSet->Post();
  EXPECT_EQ(FDataSet->State(), dsBrowse);
  EXPECT_EQ(FDataSet->FieldByName("NCONDITION")->AsString(), "Z");
  EXPECT_EQ(FDataSet->FieldByName("VCONDITION")->AsString(), "B");
  EXPECT_EQ(FDataSet->RecNo(), 2);
  EXPECT_EQ(Column("NCONDITION"), (std::vector<AnsiString>{"C", "Z", "a", "b", "\xB7\xBD\xB0\xB8"}));
  EXPECT_TRUE(FDataSet->FindKey({Variant("Z")}));
  EXPECT_FALSE(FDataSet->FindKey({Variant("B")}));

  FDataSet->Close();
  FDataSet->Open();
  EXPECT_TRUE(FDataSet->FindKey({Variant("B")}));
  EXPECT_FALSE(FDataSet->FindKey({Variant("Z")}));
}

// Cancel must drop the edit; moving the cursor posts it, as the platform does.
TEST_F(TIndexTest, CancelDropsAndMovingPostsAnEdit) {
  ASSERT_TRUE(FDataSet->FindKey({Variant("a")}));
  FDataSet->Edit();
  FDataSet->FieldByName("VCONDITION")->SetAsString("changed");
  FDataSet->Cancel();
  EXPECT_EQ(FDataSet->State(), dsBrowse);
  EXPECT_EQ(FDataSet->FieldByName("VCONDITION")->AsString(), "a");

  FDataSet->Edit();
  FDataSet->FieldByName("VCONDITION")->SetAsString("kept");
  FDataSet->First();
  EXPECT_EQ(FDataSet->State(), dsBrowse);
  ASSERT_TRUE(FDataSet->FindKey({Variant("a")}));
  EXPECT_EQ(FDataSet->FieldByName("VCONDITION")->AsString(), "kept");
}

// Writing outside the edit state, to a read-only field, or more bytes than
// the field holds must raise and change nothing (cutting could split a
// double-byte character).
TEST_F(TIndexTest, RefusedWritesChangeNothing) {
  ASSERT_TRUE(FDataSet->FindKey({Variant("a")}));
  TField* name = FDataSet->FieldByName("NCONDITION");
  ExpectThrowWith<EDatabaseError>([&] { name->SetAsString("x"); }, "not in edit or insert mode");
  FDataSet->Edit();
  // 10 double-byte characters are 20 bytes and fit; one byte more does not.
  const AnsiString twenty = "\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD\xB7\xBD";
  name->SetAsString(twenty);
  EXPECT_EQ(name->AsString(), twenty);
  ExpectThrowWith<EDatabaseError>([&] { name->SetAsString(twenty + "x"); },
                                  "Field 'NCONDITION' cannot hold 21 bytes (at most 20)");
  EXPECT_EQ(name->AsString(), twenty);
  name->SetReadOnly(true);
  ExpectThrowWith<EDatabaseError>([&] { name->SetAsString("y"); }, "Field 'NCONDITION' cannot be modified");
  FDataSet->Cancel();
}

// Each way of opening without a reachable provider must fail clearly and
// leave the data set closed.
TEST_F(TClientDataSetTest, OpenFailuresLeaveTheDataSetClosed) {
  struct TCase {
    const char* Name;
    std::function<void()> Arrange;
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {"not connected", [] {}, "ClientDataSet1: The connection SocketConnection1 is not connected"},
      {"no remote server", [this] { FDataSet->SetRemoteServer(nullptr); }, "Missing remote server"},
      {"no provider name", [this] { FDataSet->SetProviderName(""); }, "Missing provider name"},
      {"unknown provider",
       [this] {
         ConnectReportServer();
         FDataSet->SetProviderName("pvdNone");
       },
       "Cannot open provider \"pvdNone\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    FConnection->Close();
    FDataSet->SetRemoteServer(FConnection);
    FDataSet->SetProviderName("pvdConSave");
    c.Arrange();
    ExpectThrowWith<EDatabaseError>([&] { FDataSet->Open(); }, c.Message);
    EXPECT_FALSE(FDataSet->Active());
    EXPECT_EQ(FDataSet->FieldCount(), 0);
  }
  // The provider's own reason reaches the message.
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->Open(); }, "pvdNone");
}

// Disconnecting must close the data sets that read through the server
// object, and freeing the connection must clear RemoteServer.
TEST_F(TClientDataSetTest, ConnectionLifetimeClosesAndClearsTheDataSet) {
  ConnectReportServer();
  FDataSet->Open();
  FConnection->Close();
  EXPECT_FALSE(FDataSet->Active());
  FConnection->SetAppServer(FServer);
  FDataSet->Open();
  FreeAndNil(FConnection);
  EXPECT_FALSE(FDataSet->Active());
  EXPECT_EQ(FDataSet->RemoteServer(), nullptr);
}

// Classes must be creatable by name for form resources.
TEST(DataClassesTest, RegisteredByName) {
  RegisterStandardClasses();
  RegisterDataClasses();
  for (const char* name : {"TClientDataSet", "TSocketConnection", "TSimpleObjectBroker", "TDataSource",
                           "TStringField", "TMemoField", "TIntegerField", "TDateField",
                           "TDateTimeField", "TFloatField", "TBooleanField"}) {
    SCOPED_TRACE(name);
    const TClass* cls = FindClass(name);
    ASSERT_NE(cls, nullptr);
    TObject* obj = cls->Create(nullptr);
    EXPECT_EQ(obj->ClassName(), name);
    Free(obj);
  }
  EXPECT_EQ(FindClass("TField"), nullptr);  // abstract, made through its typed classes
}

// A form resource must be able to declare the connection, the data set,
// its persistent fields and its index name in any order; the index is
// checked when the data set opens.
TEST(DataClassesTest, ReadFromAFormResource) {
  RegisterStandardClasses();
  RegisterDataClasses();
  const char* text =
      "object Module: TComponent\n"
      "  object ClientDataSet1: TClientDataSet\n"
      "    IndexName = 'Index1'\n"
      "    ProviderName = 'pvdConSave'\n"
      "    RemoteServer = SocketConnection1\n"
      "    object ClientDataSet1NAME: TStringField\n"
      "      FieldName = 'NAME'\n"
      "      DisplayLabel = 'Scheme'\n"
      "      Size = 4\n"
      "    end\n"
      "  end\n"
      "  object SocketConnection1: TSocketConnection\n"
      "    Address = '127.0.0.1'\n"
      "    ServerName = 'DerezaRozududA.dmReportCounter'\n"
      "    SupportCallbacks = False\n"
      "  end\n"
      "end\n";
  TComponent* root = NewObject<TComponent>(nullptr);
  ReadRootComponent(root, ParseDfm(text, "inline.dfm"));
  auto* connection = dynamic_cast<TSocketConnection*>(root->FindComponent("SocketConnection1"));
  auto* dataSet = dynamic_cast<TClientDataSet*>(root->FindComponent("ClientDataSet1"));
  ASSERT_NE(connection, nullptr);
  ASSERT_NE(dataSet, nullptr);
  EXPECT_EQ(dataSet->RemoteServer(), connection);
  EXPECT_FALSE(connection->SupportCallbacks());
  EXPECT_EQ(connection->Port(), 211);
  ASSERT_EQ(dataSet->FieldCount(), 1);
  EXPECT_EQ(dataSet->Fields(0)->DisplayLabel(), "Scheme");

  auto* server = new TScriptedServer;
  server->Packet = Packet({FieldDef("NAME", "String", 4, ""), FieldDef("OTHER", "Integer", 0, "")},
                          {VarArrayOf({Variant("b"), Variant(1)}), VarArrayOf({Variant("a"), Variant(2)})});
  connection->SetAppServer(Variant(TDispatchRef(server)));
  ExpectThrowWith<EDatabaseError>([&] { dataSet->Open(); }, "Index 'Index1' not found");
  EXPECT_FALSE(dataSet->Active());
  dataSet->AddIndex("Index1", "NAME");
  dataSet->Open();
  EXPECT_EQ(dataSet->FieldCount(), 1);  // only the declared field
  EXPECT_EQ(dataSet->Fields(0)->AsString(), "a");
  Free(root);
}

}  // namespace
