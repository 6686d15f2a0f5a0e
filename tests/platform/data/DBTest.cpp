#include "platform/data/DB.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/data/DataTestSupport.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ExpectThrow.h"

namespace {

// One field of each type; the first row holds values, the second Nulls.
class TFieldTest : public TDataSetTest {
protected:
  void SetUp() override {
    TScriptedServer& server = ConnectScripted();
    server.Packet = Packet(
        {FieldDef("NAME", "String", 10, "Name"), FieldDef("NOTE", "Memo", 0, ""),
         FieldDef("QTY", "Integer", 0, ""), FieldDef("DAY", "Date", 0, ""),
         FieldDef("STAMP", "DateTime", 0, ""), FieldDef("PRICE", "Float", 0, ""),
         FieldDef("OK", "Boolean", 0, "")},
        {VarArrayOf({Variant("abc"), Variant("long text"), Variant(int32_t{42}),
                     Variant(EncodeDate(2026, 1, 5)),
                     Variant(TDateTime(EncodeDate(2026, 1, 5) + EncodeTime(13, 30, 0, 0))),
                     Variant(2.5), Variant(true)}),
         VarArrayOf({Null(), Null(), Null(), Null(), Null(), Null(), Null()})});
    FDataSet->Open();
  }
};

// Each field type must read its value in every As... form, and a Null as
// the empty value of that form.
TEST_F(TFieldTest, ReadsValuesAndNullsByType) {
  struct TCase {
    const char* Field;
    TFieldType Type;
    const char* Text;
  };
  const TCase cases[] = {
      {"NAME", ftString, "abc"},          {"NOTE", ftMemo, "long text"},
      {"QTY", ftInteger, "42"},           {"DAY", ftDate, "2026/01/05"},
      {"STAMP", ftDateTime, "2026/01/05 13:30:00"}, {"PRICE", ftFloat, "2.5"},
      {"OK", ftBoolean, "True"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Field);
    TField* field = FDataSet->FieldByName(c.Field);
    EXPECT_EQ(field->DataType(), c.Type);
    FDataSet->First();
    EXPECT_FALSE(field->IsNull());
    EXPECT_EQ(field->AsString(), c.Text);
    EXPECT_EQ(field->Text(), c.Text);
    FDataSet->Next();
    EXPECT_TRUE(field->IsNull());
    EXPECT_TRUE(VarIsNull(field->Value()));
    EXPECT_EQ(field->AsString(), "");
    EXPECT_EQ(field->AsInteger(), 0);
    EXPECT_EQ(field->AsFloat(), 0.0);
    EXPECT_FALSE(field->AsBoolean());
  }
  FDataSet->First();
  EXPECT_EQ(FDataSet->FieldByName("QTY")->AsInteger(), 42);
  EXPECT_EQ(FDataSet->FieldByName("PRICE")->AsFloat(), 2.5);
  EXPECT_TRUE(FDataSet->FieldByName("OK")->AsBoolean());
  EXPECT_EQ(double(FDataSet->FieldByName("DAY")->AsDateTime()), double(EncodeDate(2026, 1, 5)));
  EXPECT_EQ(VarType(FDataSet->FieldByName("QTY")->Value()), varInteger);
  // A text that is no number cannot be read as one, and the error says where.
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->FieldByName("NAME")->AsInteger(); },
                                  "Field 'NAME'");
}

// Setting by text must convert to the field's type; "" clears non-text
// fields; a bad text raises and keeps the value.
TEST_F(TFieldTest, SetsValuesFromTextByType) {
  FDataSet->Edit();
  struct TCase {
    const char* Field;
    const char* Text;
    const char* Shown;  // nullptr: refused
  };
  const TCase cases[] = {
      {"QTY", " 7", "7"},       {"QTY", "x", nullptr},   {"QTY", "", ""},
      {"PRICE", "1.25", "1.25"}, {"PRICE", "1,5", nullptr},
      {"DAY", "2026/02/03", "2026/02/03"}, {"DAY", "2026/02/30", nullptr},
      {"OK", "false", "False"}, {"OK", "maybe", nullptr},
      {"NAME", "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Field) + " := '" + c.Text + "'");
    TField* field = FDataSet->FieldByName(c.Field);
    const AnsiString before = field->AsString();
    if (c.Shown == nullptr) {
      EXPECT_THROW(field->SetAsString(c.Text), EDatabaseError);
      EXPECT_EQ(field->AsString(), before);
    } else {
      field->SetAsString(c.Text);
      EXPECT_EQ(field->AsString(), c.Shown);
    }
  }
  // A text field keeps "" as a value, other fields become Null.
  EXPECT_FALSE(FDataSet->FieldByName("NAME")->IsNull());
  EXPECT_TRUE(FDataSet->FieldByName("QTY")->IsNull());
  FDataSet->FieldByName("QTY")->SetAsInteger(9);
  FDataSet->FieldByName("PRICE")->SetAsVariant(Variant("3"));
  FDataSet->Post();
  EXPECT_EQ(FDataSet->FieldByName("QTY")->AsInteger(), 9);
  EXPECT_EQ(VarType(FDataSet->FieldByName("PRICE")->Value()), varDouble);
}

// Text and DisplayText go through OnGetText (starting from "" and telling
// which one is asked); AsString never does. Text writes go through OnSetText.
TEST_F(TFieldTest, TextGoesThroughTheHandlers) {
  TField* name = FDataSet->FieldByName("NAME");
  std::vector<bool> asked;
  name->OnGetText = TFieldGetTextEvent::FromFunction([&](TField* sender, AnsiString& text, bool display) {
    EXPECT_EQ(sender, name);
    EXPECT_EQ(text, "");
    asked.push_back(display);
    text = "<" + sender->AsString() + (display ? ">d" : ">e");
  });
  name->OnSetText = TFieldSetTextEvent::FromFunction([&](TField* sender, const AnsiString& text) {
    sender->SetAsString("[" + text + "]");
  });
  EXPECT_EQ(name->AsString(), "abc");
  EXPECT_EQ(name->Text(), "<abc>e");
  EXPECT_EQ(name->DisplayText(), "<abc>d");
  EXPECT_EQ(asked, (std::vector<bool>{false, true}));
  FDataSet->Edit();
  name->SetText("xy");
  EXPECT_EQ(name->AsString(), "[xy]");
  // Without a handler SetText stores the text itself.
  FDataSet->FieldByName("NOTE")->SetText("plain");
  EXPECT_EQ(FDataSet->FieldByName("NOTE")->AsString(), "plain");
  FDataSet->Post();
}

// Display settings: the label defaults to the field name; the width to the
// size of a text field or a width of the type.
TEST_F(TFieldTest, DisplaySettingsHaveDefaults) {
  TField* name = FDataSet->FieldByName("NAME");
  TField* qty = FDataSet->FieldByName("QTY");
  EXPECT_EQ(name->DisplayLabel(), "Name");
  EXPECT_EQ(qty->DisplayLabel(), "QTY");
  EXPECT_EQ(name->DisplayWidth(), 10);
  EXPECT_EQ(qty->DisplayWidth(), 10);
  EXPECT_EQ(FDataSet->FieldByName("OK")->DisplayWidth(), 5);
  qty->SetDisplayWidth(3);
  EXPECT_EQ(qty->DisplayWidth(), 3);
  EXPECT_TRUE(qty->Visible());
  EXPECT_EQ(qty->Index(), 2);
  qty->SetIndex(0);  // the look-up combo moves a field to the first column
  EXPECT_EQ(FDataSet->Fields(0), qty);
  EXPECT_EQ(name->Index(), 1);
  qty->SetIndex(99);
  EXPECT_EQ(FDataSet->Fields(FDataSet->FieldCount() - 1), qty);
}

// Fields made before Open must keep their handlers and settings across
// Close and Open (the form prepares them while the data set is closed),
// and be the only fields shown.
TEST_F(TFieldTest, PersistentFieldsSurviveCloseAndOpen) {
  FDataSet->Close();
  auto* name = NewObject<TStringField>(&FOwner);
  name->SetFieldName("name");
  name->SetSize(10);
  name->SetDisplayLabel("Label");
  name->OnGetText = TFieldGetTextEvent::FromFunction(
      [](TField* sender, AnsiString& text, bool) { text = "*" + sender->AsString(); });
  name->SetDataSet(FDataSet);
  FDataSet->Open();
  ASSERT_EQ(FDataSet->FieldCount(), 1);
  EXPECT_EQ(FDataSet->FieldByName("NAME"), name);
  EXPECT_EQ(name->Text(), "*abc");
  FDataSet->Close();
  EXPECT_EQ(FDataSet->FieldCount(), 1);
  FDataSet->Open();
  EXPECT_EQ(name->DisplayLabel(), "Label");
  EXPECT_EQ(name->Text(), "*abc");
  ExpectThrowWith<EDatabaseError>([&] { name->SetDataSet(nullptr); }, "while the data set is open");

  // A persistent field the provider lacks, or of another type, fails the open.
  FDataSet->Close();
  auto* missing = NewObject<TIntegerField>(&FOwner);
  missing->SetFieldName("NOPE");
  missing->SetDataSet(FDataSet);
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->Open(); }, "Field 'NOPE' not found");
  missing->SetFieldName("NAME");
  ExpectThrowWith<EDatabaseError>([&] { FDataSet->Open(); },
                                  "Type mismatch for field 'NAME', expecting: Integer actual: String");
  EXPECT_FALSE(FDataSet->Active());
  Free(missing);  // leaves the data set
  FDataSet->Open();
  EXPECT_EQ(FDataSet->FieldCount(), 1);
}

// The filter handler must hide records from the count and the cursor.
TEST_F(TFieldTest, FilterHidesRejectedRecords) {
  FDataSet->OnFilterRecord = TFilterRecordEvent::FromFunction([](TDataSet* ds, bool& accept) {
    accept = !ds->FieldByName("QTY")->IsNull();
  });
  EXPECT_EQ(FDataSet->RecordCount(), 2);
  FDataSet->SetFiltered(true);
  EXPECT_EQ(FDataSet->RecordCount(), 1);
  EXPECT_EQ(FDataSet->FieldByName("QTY")->AsInteger(), 42);
  FDataSet->SetFiltered(false);
  EXPECT_EQ(FDataSet->RecordCount(), 2);
}

// DisableControls/EnableControls nest; an extra EnableControls does not
// underflow the counter.
TEST_F(TFieldTest, DisableControlsCounts) {
  FDataSet->DisableControls();
  FDataSet->DisableControls();
  FDataSet->EnableControls();
  EXPECT_TRUE(FDataSet->ControlsDisabled());
  FDataSet->EnableControls();
  FDataSet->EnableControls();
  EXPECT_FALSE(FDataSet->ControlsDisabled());
  FDataSet->DisableControls();
  EXPECT_TRUE(FDataSet->ControlsDisabled());
}

// A broken data packet from another process must be refused with a reason,
// never crash or half-open.
TEST_F(TDataSetTest, MalformedPacketsAreRefused) {
  TScriptedServer& server = ConnectScripted();
  const Variant name = FieldDef("NAME", "String", 10, "");
  struct TCase {
    const char* Name;
    Variant Packet;
    const char* Message;
  };
  const TCase cases[] = {
      {"not an array", Variant("x"), "not a pair"},
      {"one part", VarArrayOf({VarArrayOf({})}), "not a pair"},
      {"definitions not an array", VarArrayOf({Variant(1), VarArrayOf({})}), "field definitions are not an array"},
      {"short definition", Packet({VarArrayOf({Variant("A")})}, {}), "not [name, type, size, label]"},
      {"unknown type", Packet({FieldDef("A", "Blob", 0, "")}, {}), "unknown type \"Blob\""},
      {"unnamed field", Packet({FieldDef("", "String", 1, "")}, {}), "has no name"},
      {"negative size", Packet({FieldDef("A", "String", -1, "")}, {}), "negative size"},
      {"field twice", Packet({name, FieldDef("name", "Memo", 0, "")}, {}), "appears twice"},
      {"short row", Packet({name}, {VarArrayOf({})}), "row 0 does not have 1 values"},
      {"row not an array", Packet({name}, {Variant("abc")}), "row 0 does not have 1 values"},
      {"value of another type", Packet({FieldDef("N", "Integer", 0, "")}, {VarArrayOf({Variant("x")})}),
       "row 0, field 'N'"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    server.Packet = c.Packet;
    ExpectThrowWith<EDatabaseError>([&] { FDataSet->Open(); }, c.Message);
    EXPECT_FALSE(FDataSet->Active());
    EXPECT_EQ(FDataSet->FieldCount(), 0);
  }
  EXPECT_EQ(server.LastProvider, "pvdConSave");
}

// TDataSource follows its data set's state and forgets a freed one.
TEST_F(TDataSetTest, DataSourceFollowsItsDataSet) {
  auto* source = NewObject<TDataSource>(&FOwner);
  EXPECT_EQ(source->State(), dsInactive);
  source->SetDataSet(FDataSet);
  ConnectScripted().Packet = Packet({FieldDef("A", "String", 1, "")}, {VarArrayOf({Variant("x")})});
  FDataSet->Open();
  EXPECT_EQ(source->State(), dsBrowse);
  FDataSet->Edit();
  EXPECT_EQ(source->State(), dsEdit);
  FreeAndNil(FDataSet);
  EXPECT_EQ(source->DataSet(), nullptr);
}

}  // namespace
