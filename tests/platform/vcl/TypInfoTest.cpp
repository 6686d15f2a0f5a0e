// Type information and method pointers: property look-up by name through the
// parent chain, every property kind read and written by name and as a
// Variant, enumeration and set names, identifier mappings, type names,
// method entries found by name and made in code, halves saved and put back,
// signature checks on call, and the class registry. GBK bytes come from
// Python's codecs ("中".encode("gbk") == b"\xD6\xD0").
#include "platform/vcl/TypInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Method.h"
#include "platform/rtl/VariantPrint.h"
#include "platform/rtl/ExpectThrow.h"

// ---- The test classes (namespace scope: KULR_ENUM needs it) ----

KULR_ENUM(TRttiProbeStyle, ps_Range, ps_Discrete, ps_UserChoice)
KULR_SET(TRttiProbeStyles, TRttiProbeStyle);
KULR_INT_TYPE(TRttiProbeColor, int32_t)

class TRttiProbe : public TComponent {
  KULR_CLASS(TRttiProbe, TComponent)

  explicit TRttiProbe(TComponent* owner) : TComponent(owner) {}
  ~TRttiProbe() override { delete FLines; }

  int32_t Count() const { return FCount; }
  void SetCount(int32_t value) {
    FCount = value;
    ++FCountWrites;
  }
  AnsiString ReadOnlyText() const { return "fixed"; }
  TStringList* Lines() const { return FLines; }
  void SetLines(TStringList* lines) { FLines->Assign(*lines); }

  void Clicked(TObject* sender) { Log.push_back("Clicked by " + Who(sender)); }
  void KeyDown(TObject* sender, uint16_t& key, TShiftState shift) {
    Log.push_back("KeyDown " + std::to_string(key) + (shift.Contains(ssCtrl) ? " ctrl" : "") + " by " +
                  Who(sender));
    key = 0;
  }

  static std::string Who(TObject* sender) {
    auto* c = dynamic_cast<TComponent*>(sender);
    return c != nullptr ? c->Name() : std::string("?");
  }

  int32_t FCount = 0;
  int FCountWrites = 0;
  char FLetter = 'a';
  bool FChecked = false;
  TRttiProbeStyle FStyle = ps_Range;
  TRttiProbeStyles FStyles;
  double FRatio = 0;
  TDateTime FWhen;
  AnsiString FCaption;
  WideString FTitle;
  int64_t FBig = 0;
  TRttiProbeColor FColor = TRttiProbeColor(0);
  uint8_t FCharset = 0;
  TComponent* FBuddy = nullptr;
  TStringList* FLines = new TStringList;
  TNotifyEvent FOnClick;
  TKeyEvent FOnKeyDown;
  Variant FValue;
  std::vector<std::string> Log;
};

const TClass& TRttiProbe::StaticClass() {
  static const TClass& record = TClassBuilder<TRttiProbe>()
                                    .Property("Count", &TRttiProbe::Count, &TRttiProbe::SetCount)
                                    .Default(0)
                                    .Property("Letter", &TRttiProbe::FLetter, &TRttiProbe::FLetter)
                                    .Property("Checked", &TRttiProbe::FChecked, &TRttiProbe::FChecked)
                                    .Property("Style", &TRttiProbe::FStyle, &TRttiProbe::FStyle)
                                    .Property("Styles", &TRttiProbe::FStyles, &TRttiProbe::FStyles)
                                    .Property("Ratio", &TRttiProbe::FRatio, &TRttiProbe::FRatio)
                                    .Property("When", &TRttiProbe::FWhen, &TRttiProbe::FWhen)
                                    .Property("Caption", &TRttiProbe::FCaption, &TRttiProbe::FCaption)
                                    .Property("Title", &TRttiProbe::FTitle, &TRttiProbe::FTitle)
                                    .Property("Big", &TRttiProbe::FBig, &TRttiProbe::FBig)
                                    .Property("Color", &TRttiProbe::FColor, &TRttiProbe::FColor)
                                    .Property("Charset", &TRttiProbe::FCharset, &TRttiProbe::FCharset)
                                    .Property("Buddy", &TRttiProbe::FBuddy, &TRttiProbe::FBuddy)
                                    .Property("Lines", &TRttiProbe::Lines, &TRttiProbe::SetLines)
                                    .Property("Value", &TRttiProbe::FValue, &TRttiProbe::FValue)
                                    .Property("ReadOnlyText", &TRttiProbe::ReadOnlyText)
                                    .Event("OnClick", &TRttiProbe::FOnClick)
                                    .Event("OnKeyDown", &TRttiProbe::FOnKeyDown)
                                    .Method("Clicked", &TRttiProbe::Clicked)
                                    .Method("KeyDown", &TRttiProbe::KeyDown)
                                    .Factory()
                                    .Build();
  return record;
}

// A descendant that publishes nothing new of its own but one property.
class TRttiProbeChild : public TRttiProbe {
  KULR_CLASS(TRttiProbeChild, TRttiProbe)
  explicit TRttiProbeChild(TComponent* owner) : TRttiProbe(owner) {}
  int32_t Extra = 0;
};

const TClass& TRttiProbeChild::StaticClass() {
  static const TClass& record =
      TClassBuilder<TRttiProbeChild>().Property("Extra", &TRttiProbeChild::Extra, &TRttiProbeChild::Extra).Factory().Build();
  return record;
}

namespace {


class TypInfoTest : public ::testing::Test {
protected:
  TypInfoTest() { Probe.SetName("Probe"); }
  TRttiProbe Probe{nullptr};
};

// ---- Look-up by name ----

// Guards against case-sensitive look-up and look-ups that stop at the
// object's own class instead of walking to its ancestors.
TEST_F(TypInfoTest, FindsPropertiesIgnoringCaseThroughTheParentChain) {
  TRttiProbeChild child(nullptr);
  struct {
    const char* Name;
    const char* DeclaredBy;
  } rows[] = {{"extra", "TRttiProbeChild"}, {"COUNT", "TRttiProbe"}, {"caption", "TRttiProbe"},
              {"name", "TComponent"},   {"TAG", "TComponent"}, {"onclick", "TRttiProbe"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const TPropInfo* prop = GetPropInfo(&child, row.Name);
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(prop->DeclaringClass().ClassName(), row.DeclaredBy);
    EXPECT_TRUE(IsPublishedProp(TRttiProbeChild::StaticClass(), row.Name));
  }
  EXPECT_EQ(GetPropInfo(&child, "Nope"), nullptr);
  EXPECT_EQ(GetPropInfo(nullptr, "Count"), nullptr);
  EXPECT_FALSE(IsPublishedProp(&Probe, "Extra"));  // a child's property is not the parent's
  ExpectThrowWith<EPropertyError>([&] { FindPropInfo(&child, "Nope"); }, "TRttiProbeChild.Nope");
}

// Guards against a property list that loses the ancestors' properties or
// their order (the writer and the scheme code walk it in this order).
TEST_F(TypInfoTest, ListsPropertiesRootClassFirstInDeclarationOrder) {
  std::vector<std::string> names;
  for (const TPropInfo* prop : GetPropList(TRttiProbeChild::StaticClass())) names.push_back(prop->Name());
  std::vector<std::string> expected = {"Name",  "Tag",   "Count", "Letter", "Checked", "Style",
                                       "Styles", "Ratio", "When",  "Caption", "Title",   "Big",
                                       "Color", "Charset", "Buddy", "Lines",  "Value",   "ReadOnlyText",
                                       "OnClick", "OnKeyDown", "Extra"};
  EXPECT_EQ(names, expected);
}

// Guards against kinds or type names derived wrongly from the C++ types
// (the code converter tests "TStrings", "TFont"; schemes test the kind).
TEST_F(TypInfoTest, DerivesKindAndTypeNameFromTheCppType) {
  struct {
    const char* Name;
    TTypeKind Kind;
    const char* TypeName;
  } rows[] = {
      {"Count", tkInteger, "Integer"},      {"Letter", tkChar, "Char"},
      {"Checked", tkEnumeration, "Boolean"}, {"Style", tkEnumeration, "TRttiProbeStyle"},
      {"Styles", tkSet, "TRttiProbeStyles"},     {"Ratio", tkFloat, "Double"},
      {"When", tkFloat, "TDateTime"},        {"Caption", tkString, "AnsiString"},
      {"Title", tkWString, "WideString"},    {"Big", tkInt64, "Int64"},
      {"Color", tkInteger, "TRttiProbeColor"},   {"Charset", tkInteger, "Byte"},
      {"Buddy", tkClass, "TComponent"},      {"Lines", tkClass, "TStrings"},
      {"OnClick", tkMethod, "TNotifyEvent"}, {"OnKeyDown", tkMethod, "TKeyEvent"},
      {"Value", tkVariant, "Variant"},       {"Name", tkString, "TComponentName"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const TPropInfo& prop = FindPropInfo(&Probe, row.Name);
    EXPECT_EQ(prop.Kind(), row.Kind);
    EXPECT_EQ(prop.PropType().Name(), row.TypeName);
    EXPECT_TRUE(PropIsType(&Probe, row.Name, row.Kind));
  }
  EXPECT_EQ(FindPropInfo(&Probe, "Buddy").PropType().ClassType(), &TComponent::StaticClass());
  EXPECT_FALSE(FindPropInfo(&Probe, "ReadOnlyText").IsWritable());
  EXPECT_EQ(FindPropInfo(&Probe, "Count").Default(), std::optional<int64_t>(0));
  EXPECT_EQ(FindPropInfo(&Probe, "Caption").Default(), std::nullopt);
}

// ---- Values by name ----

// Guards against a kind whose Variant round trip loses or converts the
// value wrongly; every row writes through the real setter and reads back.
TEST_F(TypInfoTest, SetsAndGetsEveryKindThroughVariants) {
  struct {
    const char* Name;
    Variant Input;
    Variant Expected;
  } rows[] = {
      {"Count", Variant(int32_t{-1}), Variant(int32_t{-1})},
      {"Count", Variant("42"), Variant(int32_t{42})},
      {"Letter", Variant("Z"), Variant(int32_t{'Z'})},
      {"Letter", Variant(int32_t{0xD6}), Variant(int32_t{0xD6})},  // a lead byte stays unsigned
      {"Checked", Variant("true"), Variant("True")},
      {"Checked", Variant(true), Variant("True")},
      {"Checked", Variant(false), Variant("False")},
      {"Style", Variant("PS_DISCRETE"), Variant("ps_Discrete")},
      {"Style", Variant(int32_t{2}), Variant("ps_UserChoice")},
      {"Styles", Variant("[ps_UserChoice, ps_range]"), Variant("[ps_Range,ps_UserChoice]")},
      {"Styles", Variant("[]"), Variant("[]")},
      {"Styles", Variant(int32_t{2}), Variant("[ps_Discrete]")},
      {"Ratio", Variant(2.5), Variant(2.5)},
      {"Ratio", Variant("0.125"), Variant(0.125)},
      {"When", Variant(TDateTime(45000.5)), Variant(TDateTime(45000.5))},
      {"Caption", Variant("\xD6\xD0"), Variant("\xD6\xD0")},  // 中
      {"Title", Variant(u"\u4e2d"), Variant(u"\u4e2d")},
      {"Big", Variant(int64_t{1} << 40), Variant(int64_t{1} << 40)},
      {"Value", Variant(int16_t{7}), Variant(int16_t{7})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    SetPropValue(&Probe, row.Name, row.Input);
    EXPECT_PRED_FORMAT2(AssertSameVariant, row.Expected, GetPropValue(&Probe, row.Name));
  }
  EXPECT_EQ(Probe.FCountWrites, 2);  // the setter ran, not the field
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(int32_t{2}), GetPropValue(&Probe, "Style", false));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(false), GetPropValue(&Probe, "Checked", false));
}

// Guards against the typed accessors reading the wrong half or bypassing
// the setter.
TEST_F(TypInfoTest, TypedAccessorsReadAndWriteTheObject) {
  SetOrdProp(&Probe, "count", 7);
  EXPECT_EQ(Probe.Count(), 7);
  EXPECT_EQ(GetOrdProp(&Probe, "Count"), 7);

  SetEnumProp(&Probe, "Style", "ps_userchoice");
  EXPECT_EQ(Probe.FStyle, ps_UserChoice);
  EXPECT_EQ(GetEnumProp(&Probe, "Style"), "ps_UserChoice");
  SetEnumProp(&Probe, "Checked", "TRUE");
  EXPECT_TRUE(Probe.FChecked);
  EXPECT_EQ(GetOrdProp(&Probe, "Checked"), 1);

  SetSetProp(&Probe, "Styles", "ps_Discrete,ps_Range");
  EXPECT_EQ(Probe.FStyles, (TRttiProbeStyles{ps_Range, ps_Discrete}));
  EXPECT_EQ(GetSetProp(&Probe, "Styles"), "[ps_Range,ps_Discrete]");
  EXPECT_EQ(GetSetProp(&Probe, "Styles", false), "ps_Range,ps_Discrete");
  EXPECT_EQ(GetOrdProp(&Probe, "Styles"), 3);

  SetFloatProp(&Probe, "Ratio", 0.5);
  EXPECT_EQ(GetFloatProp(&Probe, "ratio"), 0.5);

  SetStrProp(&Probe, "Caption", "\xD6\xD0");  // 中
  EXPECT_EQ(Probe.FCaption, "\xD6\xD0");
  SetWideStrProp(&Probe, "Title", u"abc");
  EXPECT_EQ(GetStrProp(&Probe, "Title"), "abc");  // wide read as bytes
  // Byte strings are decoded in the system code page, whichever it is.
  EXPECT_EQ(GetWideStrProp(&Probe, "Caption"), CodePageToWide(CP_ACP, "\xD6\xD0"));

  TComponent buddy(nullptr);
  SetObjectProp(&Probe, "Buddy", &buddy);
  EXPECT_EQ(Probe.FBuddy, &buddy);
  EXPECT_EQ(GetObjectProp(&Probe, "buddy"), &buddy);
  SetObjectProp(&Probe, "Buddy", nullptr);
  EXPECT_EQ(Probe.FBuddy, nullptr);

  Probe.FLines->Add("x");
  EXPECT_EQ(GetStringsProp(&Probe, "Lines"), Probe.FLines);  // the owned list, edited in place

  SetVariantProp(&Probe, "Value", Variant("v"));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant("v"), GetVariantProp(&Probe, "Value"));
  EXPECT_EQ(GetStrProp(&Probe, "ReadOnlyText"), "fixed");
}

// Guards against bad input being stored (corrupt ordinals, a wrong object
// in a class property) or reported without naming class and property.
TEST_F(TypInfoTest, RefusesBadAccessWithPropertyErrors) {
  TObject plain;
  struct {
    const char* Case;
    std::function<void()> Action;
    const char* MessagePart;
  } rows[] = {
      {"unknown property", [&] { GetOrdProp(&Probe, "Nope"); }, "TRttiProbe.Nope does not exist"},
      {"read-only", [&] { SetStrProp(&Probe, "ReadOnlyText", "x"); }, "TRttiProbe.ReadOnlyText: the property is read-only"},
      {"read-only by Variant", [&] { SetPropValue(&Probe, "ReadOnlyText", Variant("x")); }, "read-only"},
      {"kind mismatch", [&] { GetOrdProp(&Probe, "Caption"); }, "TRttiProbe.Caption: is a tkString"},
      {"string on ordinal", [&] { SetStrProp(&Probe, "Count", "1"); }, "not a string"},
      {"unknown enum name", [&] { SetEnumProp(&Probe, "Style", "sp_Range"); }, "\"sp_Range\" is not a value of TRttiProbeStyle"},
      {"unknown enum by Variant", [&] { SetPropValue(&Probe, "Checked", Variant("yes")); }, "TRttiProbe.Checked"},
      {"enum ordinal out of range", [&] { SetOrdProp(&Probe, "Style", 3); }, "3 is out of range for TRttiProbeStyle (0..2)"},
      {"Boolean out of range", [&] { SetOrdProp(&Probe, "Checked", -1); }, "out of range for Boolean"},
      {"Byte out of range", [&] { SetOrdProp(&Probe, "Charset", 256); }, "out of range for Byte (0..255)"},
      {"Integer out of range", [&] { SetPropValue(&Probe, "Count", Variant(int64_t{1} << 40)); }, "out of range for Integer"},
      {"unknown set element", [&] { SetSetProp(&Probe, "Styles", "[ps_Range,bogus]"); }, "Invalid set element \"bogus\""},
      {"unclosed set", [&] { SetSetProp(&Probe, "Styles", "[ps_Range"); }, "Invalid set text"},
      {"set bits out of range", [&] { SetOrdProp(&Probe, "Styles", 8); }, "elements that TRttiProbeStyles does not have"},
      {"object of another class", [&] { SetObjectProp(&Probe, "Buddy", &plain); }, "a TObject is not a TComponent"},
      {"TStrings as TObject", [&] { GetObjectProp(&Probe, "Lines"); }, "not a TObject class"},
      {"nil object", [&] { GetStrProp(nullptr, "Caption"); }, "of nil"},
      {"property of another class", [&] { TComponent c(nullptr); GetOrdProp(&c, FindPropInfo(&Probe, "Count")); }, "belongs to TRttiProbe"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    ExpectThrowWith<EPropertyError>(row.Action, row.MessagePart);
  }
  EXPECT_EQ(Probe.FStyle, ps_Range);
  EXPECT_EQ(Probe.FBuddy, nullptr);
}

// Guards against a Variant that cannot become the property's type being
// passed on (or crashing) instead of raising with the property named.
TEST_F(TypInfoTest, RaisesConvertErrorsNamingTheProperty) {
  ExpectThrowWith<EPropertyConvertError>([&] { SetPropValue(&Probe, "Count", Variant("abc")); },
                                         "TRttiProbe.Count: cannot take");
  ExpectThrowWith<EPropertyConvertError>([&] { SetPropValue(&Probe, "Ratio", Variant::Null()); },
                                         "TRttiProbe.Ratio");
  ExpectThrowWith<EPropertyConvertError>([&] { GetPropValue(&Probe, "Buddy"); }, "has no Variant value");
  ExpectThrowWith<EPropertyConvertError>([&] { SetPropValue(&Probe, "OnClick", Variant(1)); },
                                         "cannot be set from a Variant");
  EXPECT_EQ(Probe.FCountWrites, 0);
}

// ---- Enumeration names and identifier mappings ----

// Guards against wrong value names, case-sensitive parsing, and unknown
// names mistaken for a value (stored schemes hold these names).
TEST(TypInfoEnumTest, MapsValueNamesBothWays) {
  const TTypeInfo& style = TypeInfoOf<TRttiProbeStyle>();
  EXPECT_EQ(style.EnumNames(), (std::vector<AnsiString>{"ps_Range", "ps_Discrete", "ps_UserChoice"}));
  struct {
    const char* Name;
    int64_t Value;
  } rows[] = {{"ps_Range", 0}, {"PS_USERCHOICE", 2}, {"ps_discrete", 1}, {"sp_Range", -1},
              {"", -1},        {"ps_Range ", -1},   {"1", -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(GetEnumValue(style, row.Name), row.Value);
  }
  EXPECT_EQ(GetEnumName(style, 1), "ps_Discrete");
  EXPECT_EQ(GetEnumName(style, 3), "");
  EXPECT_EQ(GetEnumName(style, -1), "");
  EXPECT_EQ(GetEnumName(BooleanTypeInfo(), 0), "False");
  EXPECT_EQ(GetEnumName(BooleanTypeInfo(), 1), "True");
  EXPECT_EQ(GetEnumValue(BooleanTypeInfo(), "true"), 1);
  EXPECT_EQ(GetEnumValue(BooleanTypeInfo(), "-1"), -1);
  EXPECT_EQ(StringToSet(TypeInfoOf<TRttiProbeStyles>(), " [ ps_Discrete ] "), 2u);
  EXPECT_EQ(SetToString(TypeInfoOf<TRttiProbeStyles>(), 5), "[ps_Range,ps_UserChoice]");
}

// Guards against identifier mappings that are not consulted when a text
// value is set, or that leak onto other integer types.
TEST_F(TypInfoTest, IntegerTypesUseTheirRegisteredIdentifiers) {
  static const TIdentMapEntry colors[] = {{0x0000FF, "clProbeRed"}, {0x00FF00, "clProbeLime"}};
  RegisterIntegerConsts(TypeInfoOf<TRttiProbeColor>(), colors);
  const TTypeInfo& color = TypeInfoOf<TRttiProbeColor>();
  EXPECT_TRUE(HasIntegerConsts(color));
  EXPECT_FALSE(HasIntegerConsts(TypeInfoOf<int32_t>()));
  EXPECT_EQ(GetEnumValue(color, "CLPROBERED"), 0x0000FF);
  EXPECT_EQ(GetEnumName(color, 0x00FF00), "clProbeLime");
  EXPECT_EQ(GetEnumName(color, 12), "12");

  SetPropValue(&Probe, "Color", Variant(" clProbeLime "));
  EXPECT_EQ(Probe.FColor, TRttiProbeColor(0x00FF00));
  SetPropValue(&Probe, "Color", Variant("255"));
  EXPECT_EQ(Probe.FColor, TRttiProbeColor(255));
  EXPECT_THROW(SetPropValue(&Probe, "Count", Variant("clProbeRed")), EPropertyConvertError);
  EXPECT_THROW(SetPropValue(&Probe, "Color", Variant("clNoSuchColor")), EPropertyConvertError);
}

// ---- Method pointers ----

// Guards against code halves that differ between a look-up by name and a
// method made in code: saved handlers would never compare equal.
TEST_F(TypInfoTest, MethodCodeHalfIsTheSameByNameAndInCode) {
  void* byName = Probe.MethodAddress("Clicked");
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(Probe.MethodAddress("CLICKED"), byName);
  EXPECT_EQ(TRttiProbe::StaticClass().MethodAddress("clicked"), byName);
  EXPECT_EQ(TRttiProbeChild::StaticClass().MethodAddress("Clicked"), byName);  // through the parent
  EXPECT_EQ(MakeMethod(&Probe, &TRttiProbe::Clicked).Code, byName);
  EXPECT_EQ(MethodName(byName), "Clicked");
  EXPECT_EQ(Probe.MethodAddress("Nope"), nullptr);
  EXPECT_EQ(Probe.MethodAddress(""), nullptr);
  EXPECT_NE(Probe.MethodAddress("KeyDown"), byName);

  TRttiProbe other(nullptr);
  EXPECT_EQ(TNotifyEvent(&Probe, &TRttiProbe::Clicked), TNotifyEvent(TMethod{byName, &Probe}));
  EXPECT_FALSE(TNotifyEvent(&Probe, &TRttiProbe::Clicked) == TNotifyEvent(&other, &TRttiProbe::Clicked));
}

// Guards against halves that cannot be stored apart (as objects of a string
// list) and put back into a method that still calls the handler.
TEST_F(TypInfoTest, MethodHalvesSavedApartStillCallTheHandler) {
  TRttiProbe target(nullptr);
  TRttiProbe sender(nullptr);
  sender.SetName("btnOk");
  SetMethodProp(&target, "OnClick", TMethod{Probe.MethodAddress("Clicked"), &Probe});

  TStringList saved;
  TMethod handler = GetMethodProp(&target, "onclick");
  saved.AddObject("btnOk.OnClick.Code", handler.Code);
  saved.AddObject("btnOk.OnClick.Data", handler.Data);
  SetMethodProp(&target, "OnClick", TMethod{});
  EXPECT_FALSE(target.FOnClick);

  TMethod restored{saved.Objects(0), static_cast<TObject*>(saved.Objects(1))};
  EXPECT_EQ(restored, handler);
  SetMethodProp(&target, "OnClick", restored);
  target.FOnClick(&sender);
  EXPECT_EQ(Probe.Log, std::vector<std::string>{"Clicked by btnOk"});
}

// Guards against a handler called with the wrong arguments: binding by name
// does not check, so the call must, and bad halves must raise, not crash.
TEST_F(TypInfoTest, CallingChecksSignatureAndHalves) {
  TRttiProbe sender(nullptr);
  sender.SetName("edit");
  // Binding a key handler to a click event is accepted...
  SetMethodProp(&Probe, "OnClick", TMethod{Probe.MethodAddress("KeyDown"), &Probe});
  // ...and refused when called.
  ExpectThrowWith<EInvalidOperation>([&] { Probe.FOnClick(&sender); }, "Method KeyDown of TRttiProbe");
  ExpectThrowWith<EInvalidOperation>([&] { Probe.FOnClick(&sender); }, "cannot be called as TNotifyEvent");

  TKeyEvent onKey(TMethod{Probe.MethodAddress("KeyDown"), &Probe});
  uint16_t key = 13;
  onKey(&sender, key, TShiftState{ssCtrl});
  EXPECT_EQ(key, 0);  // by-reference arguments reach the handler
  EXPECT_EQ(Probe.Log, std::vector<std::string>{"KeyDown 13 ctrl by edit"});

  TComponent notAProbe(nullptr);
  int notAnEntry = 0;
  struct {
    const char* Case;
    TNotifyEvent Event;
    const char* MessagePart;
  } rows[] = {
      {"unassigned", TNotifyEvent(), "unassigned TNotifyEvent"},
      {"data of another class", TNotifyEvent(TMethod{Probe.MethodAddress("Clicked"), &notAProbe}),
       "cannot run on a TComponent"},
      {"nil data", TNotifyEvent(TMethod{Probe.MethodAddress("Clicked"), nullptr}), "without an object"},
      {"made-up code half", TNotifyEvent(TMethod{&notAnEntry, &Probe}), "is not a method"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    ExpectThrowWith<EInvalidOperation>([&] { row.Event(&sender); }, row.MessagePart);
  }
}

// Guards against bound functions sharing a code half (a restore would call
// the wrong one) or being mistaken for published methods.
TEST(TypInfoMethodTest, BoundFunctionsHaveTheirOwnCodeHalf) {
  std::vector<int> calls;
  TNotifyEvent first = TNotifyEvent::FromFunction([&](TObject*) { calls.push_back(1); });
  TNotifyEvent second = TNotifyEvent::FromFunction([&](TObject*) { calls.push_back(2); });
  EXPECT_NE(first.Method().Code, second.Method().Code);
  EXPECT_EQ(MethodName(first.Method().Code), "");
  TNotifyEvent copy(TMethod{first.Method().Code, nullptr});
  copy(nullptr);
  second(nullptr);
  EXPECT_EQ(calls, (std::vector<int>{1, 2}));
  TKeyPressEvent wrong(first.Method());
  char key = 'a';
  EXPECT_THROW(wrong(nullptr, key), EInvalidOperation);
}

// ---- Class records and the registry ----

// Guards against class tables that publish a member twice, under a name the
// form reader cannot write, or give a default to the wrong property; an
// abandoned table must not leak its record.
TEST(TypInfoClassTest, BuilderRefusesMalformedTables) {
  TClassBuilder<TRttiProbe> b("TRttiProbeCopy");
  ExpectThrowWith<EInvalidOperation>([&] { b.Default(0); }, "modifier before any property");
  b.Property("Caption", &TRttiProbe::FCaption, &TRttiProbe::FCaption);
  ExpectThrowWith<EInvalidOperation>([&] { b.Default(0); }, "only ordinal properties have defaults");
  ExpectThrowWith<EInvalidOperation>([&] { b.Property("CAPTION", &TRttiProbe::FBig, &TRttiProbe::FBig); },
                                     "publishes CAPTION twice");
  ExpectThrowWith<EInvalidOperation>([&] { b.Method("Caption", &TRttiProbe::Clicked); }, "twice");
  ExpectThrowWith<EInvalidOperation>([&] { b.Property("On Click", &TRttiProbe::FOnClick, &TRttiProbe::FOnClick); },
                                     "is not a member name");
}

// Guards against class names, parents and "inherits from" taken from the
// wrong record, and "as" casts that let a wrong class through.
TEST(TypInfoClassTest, ReportsClassNamesAndAncestry) {
  TRttiProbeChild child(nullptr);
  EXPECT_EQ(child.ClassName(), "TRttiProbeChild");
  EXPECT_EQ(child.ClassParent(), &TRttiProbe::StaticClass());
  EXPECT_TRUE(child.InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(child.InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(TComponent::StaticClass().InheritsFrom(TRttiProbe::StaticClass()));
  EXPECT_FALSE(child.InheritsFrom(nullptr));
  EXPECT_TRUE(child.Is<TRttiProbe>());
  TComponent plain(nullptr);
  EXPECT_EQ(plain.As<TComponent>(), &plain);
  ExpectThrowWith<EInvalidCast>([&] { plain.As<TRttiProbe>(); }, "TComponent is not a TRttiProbe");
}

// Guards against a registry that is case-sensitive, overwrites a class with
// another of the same name, or creates abstract classes.
TEST(TypInfoClassTest, RegistryCreatesClassesByName) {
  RegisterClasses({&TRttiProbe::StaticClass(), &TRttiProbeChild::StaticClass()});
  RegisterClass(TRttiProbe::StaticClass());  // twice is harmless
  EXPECT_EQ(FindClass("trttiprobechild"), &TRttiProbeChild::StaticClass());
  EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);

  TComponent owner(nullptr);
  TObject* created = FindClass("TRttiProbeChild")->Create(&owner);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->ClassName(), "TRttiProbeChild");
  EXPECT_EQ(owner.Components(0), created);

  ExpectThrowWith<EInvalidOperation>([] { TPersistent::StaticClass().Create(nullptr); }, "abstract class TPersistent");
  UnRegisterClass(TRttiProbeChild::StaticClass());
  EXPECT_EQ(FindClass("TRttiProbeChild"), nullptr);
  UnRegisterClass(TRttiProbe::StaticClass());
}

}  // namespace
