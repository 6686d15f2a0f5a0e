// Dispatch objects and late-bound calls: member look-up, argument binding,
// by-reference arguments, errors and reference counting.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/com/ComObj.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"
#include "platform/com/OleTestSupport.h"

namespace {

// An object with one member of each shape the callers rely on.
class TProbe : public TDispatchObject {
public:
  static inline std::atomic<int> Live{0};
  TProbe() { ++Live; }
  ~TProbe() override { --Live; }

  int32_t SQLType() { return 2; }                      // a method without arguments
  int32_t GetComCounter() const { return 7; }          // a read-only property
  int32_t GetProductID() const { return FProductID; }  // a read-write property
  void SetProductID(int32_t value) { FProductID = value; }
  Variant GetItem(int32_t index) const { return FItems.at(index); }  // indexed
  void SetItem(int32_t index, const Variant& value) { FItems.at(index) = value; }
  int32_t Add(int32_t a, int32_t b) { return a + b; }
  // The company id comes in by reference and is replaced by "中文" (GBK).
  AnsiString GetSysInfo(AnsiString& companyId) {
    AnsiString old = companyId;
    companyId = "\xD6\xD0\xCE\xC4";
    return old;
  }
  void Overwrite(Variant value) { value = "changed"; }
  void SetSecond(Variant& array) { array[1] = "second"; }
  void ReplaceArray(Variant& target) { target = VarArrayOf({"a", "b", "c"}); }
  Variant Count(std::span<Variant> args) { return static_cast<int32_t>(args.size()); }
  Variant CounterOf(TDispatchRef other) { return OleGet(other, "Com_Counter"); }
  Variant Relay(const Variant& other, const AnsiString& member) { return OleCall(other, member); }
  void Fail() { throw EConvertError("inner message"); }
  // Clears the caller's variable that holds this very object, then tells
  // whether the object is still alive.
  bool DropSelf(Variant& holder) {
    holder = Variant();
    return Live > 0 && FProductID == 11;
  }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table =
        TDispatchTableBuilder<TProbe>("TProbe")
            .AddMethod("SQLType", &TProbe::SQLType)
            .AddProperty("Com_Counter", &TProbe::GetComCounter)
            .AddProperty("ProductID", &TProbe::GetProductID, &TProbe::SetProductID)
            .AddProperty("Item", &TProbe::GetItem, &TProbe::SetItem)
            .AddMethod("Add", &TProbe::Add)
            .AddMethod("GetSysInfo", &TProbe::GetSysInfo)
            .AddMethod("Overwrite", &TProbe::Overwrite)
            .AddMethod("SetSecond", &TProbe::SetSecond)
            .AddMethod("ReplaceArray", &TProbe::ReplaceArray)
            .AddMethod("Count", &TProbe::Count)
            .AddMethod("CounterOf", &TProbe::CounterOf)
            .AddMethod("Relay", &TProbe::Relay)
            .AddMethod("Fail", &TProbe::Fail)
            .AddMethod("DropSelf", &TProbe::DropSelf)
            .Build();
    return table;
  }

private:
  int32_t FProductID = 11;
  std::vector<Variant> FItems{Variant(), Variant(), Variant()};
};

class DispatchTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(TProbe::Live, 0) << "an earlier test leaked a TProbe";
    Obj = Variant(TDispatchRef(new TProbe));
  }
  void TearDown() override {
    Obj = Variant();
    EXPECT_EQ(TProbe::Live, 0) << "a TProbe outlived its last reference";
  }
  Variant Obj;
};


// ---- Look-up ----

// Guards against case-sensitive look-up: callers spell members in any case.
TEST_F(DispatchTest, FindsMembersIgnoringCase) {
  for (const char* name : {"SQLType", "sqltype", "SQLTYPE", "SqlType"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(OleCall(Obj, name).AsInteger(), 2);
  }
  for (const char* name : {"com_counter", "COM_COUNTER"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(OleGet(Obj, name).AsInteger(), 7);
  }
  OlePut(Obj, "productid", int32_t(5));
  EXPECT_EQ(OleGet(Obj, "PRODUCTID").AsInteger(), 5);
}

// Guards against a call failing because the caller guessed method where the
// object has a property, or the other way round.
TEST_F(DispatchTest, CallWithoutArgumentsReachesMethodOrProperty) {
  struct TCase {
    const char* Name;
    TInvokeKind Kind;
    int32_t Expected;
  } cases[] = {
      {"SQLType", TInvokeKind::Method, 2},
      {"SQLType", TInvokeKind::PropertyGet, 2},
      {"Com_Counter", TInvokeKind::Method, 7},
      {"Com_Counter", TInvokeKind::PropertyGet, 7},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name + std::string(c.Kind == TInvokeKind::Method ? " as method" : " as get"));
    EXPECT_EQ(OleInvoke(Obj, c.Name, c.Kind, {}).AsInteger(), c.Expected);
  }
}

// ---- Properties ----

// Guards against a put that does not reach the setter or converts wrongly.
TEST_F(DispatchTest, PropertyPutReachesSetterWithConvertedValue) {
  OlePut(Obj, "ProductID", "42");  // a text that is a number, as a wide or byte string arrives
  EXPECT_EQ(OleGet(Obj, "ProductID").AsInteger(), 42);
  // An indexed property: index first, value last.
  OlePut(Obj, "Item", {2}, "two");
  EXPECT_EQ(OleGet(Obj, "Item", {2}).AsString(), "two");
  EXPECT_TRUE(OleGet(Obj, "Item", {1}).IsEmpty());
}

// ---- Arguments ----

// Guards against typed parameters not converting with Variant's rules.
TEST_F(DispatchTest, ConvertsArgumentsToParameterTypes) {
  EXPECT_EQ(OleCall(Obj, "Add", {"2", 3.0}).AsInteger(), 5);
  EXPECT_EQ(VarType(OleCall(Obj, "Add", {1, 1})), varInteger);
}

// Guards against a fixed argument count on a member that takes the list as it comes.
TEST_F(DispatchTest, SpanMemberTakesAnyNumberOfArguments) {
  EXPECT_EQ(OleCall(Obj, "Count").AsInteger(), 0);
  EXPECT_EQ(OleCall(Obj, "Count", {1, "a", Null()}).AsInteger(), 3);
}

// Guards against a lost write-back, or one that turns the byte string into
// another kind of string.
TEST_F(DispatchTest, ByReferenceByteStringIsWrittenBack) {
  Variant companyId = AnsiString("01");
  Variant old = OleCall(Obj, "GetSysInfo", {Variant::ByRef(companyId)});
  EXPECT_EQ(old.AsString(), "01");
  EXPECT_EQ(VarType(companyId), varString);
  ASSERT_NE(companyId.GetIf<AnsiString>(), nullptr);
  EXPECT_EQ(*companyId.GetIf<AnsiString>(), "\xD6\xD0\xCE\xC4");  // 中文 in GBK
}

// Guards against changes to an array argument not reaching the caller's array.
TEST_F(DispatchTest, ByReferenceArrayIsWrittenBack) {
  Variant array = VarArrayOf({"first", 1});
  OleCall(Obj, "SetSecond", {Variant::ByRef(array)});
  EXPECT_EQ(array[0].AsString(), "first");
  EXPECT_EQ(array[1].AsString(), "second");

  OleCall(Obj, "ReplaceArray", {Variant::ByRef(array)});
  ASSERT_TRUE(array.IsArray());
  EXPECT_EQ(VarArrayHighBound(array, 1), 2);
  EXPECT_EQ(array[2].AsString(), "c");
}

// Guards against a by-value argument (or an array sharing storage) leaking the
// callee's writes into the caller's variable.
TEST_F(DispatchTest, ByValueArgumentsAreNotWrittenBack) {
  Variant text = "original";
  OleCall(Obj, "Overwrite", {text});
  EXPECT_EQ(text.AsString(), "original");

  Variant companyId = "01";
  OleCall(Obj, "GetSysInfo", {companyId});  // a typed reference parameter, passed by value
  EXPECT_EQ(companyId.AsString(), "01");

  Variant array = VarArrayOf({"first", "untouched"});
  OleCall(Obj, "SetSecond", {array});
  EXPECT_EQ(array[1].AsString(), "untouched");
}

// Guards against dispatch references not travelling as arguments.
TEST_F(DispatchTest, DispatchReferenceArgumentReachesTheOtherObject) {
  Variant other = Variant(TDispatchRef(new TProbe));
  EXPECT_EQ(OleCall(Obj, "CounterOf", {other}).AsInteger(), 7);
  EXPECT_EQ(CatchOle([&] { OleCall(Obj, "CounterOf", {"not an object"}); }).Kind(),
            TOleErrorKind::TypeMismatch);
}

// ---- Errors ----

struct TErrorCase {
  const char* Label;
  const char* Member;
  TInvokeKind Kind;
  std::vector<Variant> Args;
  TOleErrorKind Expected;
  const char* Source;  // "Class.Member" that the message starts with
};

// Guards against failures that do not say which object and member failed, or
// that surface as something other than an automation error.
TEST_F(DispatchTest, FailuresNameClassAndMember) {
  using K = TInvokeKind;
  using E = TOleErrorKind;
  // clang-format off
  const TErrorCase cases[] = {
      {"unknown member",                 "NoSuchMember", K::Method,      {},          E::UnknownMember, "TProbe.NoSuchMember"},
      {"too few arguments",              "Add",          K::Method,      {1},         E::BadArgCount,   "TProbe.Add"},
      {"too many arguments",             "SQLType",      K::Method,      {1},         E::BadArgCount,   "TProbe.SQLType"},
      {"argument that does not convert", "add",          K::Method,      {1, "abc"},  E::TypeMismatch,  "TProbe.Add"},
      {"Null for a text parameter",      "GetSysInfo",   K::Method,      {Null()},    E::TypeMismatch,  "TProbe.GetSysInfo"},
      {"put on a read-only property",    "Com_Counter",  K::PropertyPut, {1},         E::ReadOnly,      "TProbe.Com_Counter"},
      {"put on a method",                "SQLType",      K::PropertyPut, {1},         E::ReadOnly,      "TProbe.SQLType"},
      {"exception inside the member",    "Fail",         K::Method,      {},          E::Exception,     "TProbe.Fail"},
  };
  // clang-format on
  for (const TErrorCase& c : cases) {
    SCOPED_TRACE(c.Label);
    std::vector<Variant> args = c.Args;
    EOleException e = CatchOle([&] { OleInvoke(Obj, c.Member, c.Kind, args); });
    EXPECT_EQ(e.Kind(), c.Expected) << OleErrorKindName(e.Kind());
    EXPECT_EQ(e.Source(), c.Source);
    EXPECT_EQ(e.Message().rfind(AnsiString(c.Source) + ": ", 0), 0u) << e.Message();
  }
}

// Guards against losing the member's own message, which callers re-raise
// and show.
TEST_F(DispatchTest, ExceptionInsideMemberKeepsInnerMessage) {
  EOleException e = CatchOle([&] { OleCall(Obj, "Fail"); });
  EXPECT_EQ(e.Description(), "inner message");
  EXPECT_EQ(e.Message(), "TProbe.Fail: inner message");
  // Caught as the general kind, as the callers' exception frames do.
  EXPECT_THROW(OleCall(Obj, "Fail"), Exception);
}

// Guards against a failure in a nested call escaping unwrapped or losing its
// own source.
TEST_F(DispatchTest, NestedFailureNamesBothMembers) {
  Variant other = Variant(TDispatchRef(new TProbe));
  EOleException e = CatchOle([&] { OleCall(Obj, "Relay", {other, "NoSuchMember"}); });
  EXPECT_EQ(e.Kind(), TOleErrorKind::Exception);
  EXPECT_EQ(e.Message(), "TProbe.Relay: TProbe.NoSuchMember: unknown member");
}

// Guards against a typed argument error that does not say which argument.
TEST_F(DispatchTest, TypeMismatchNamesTheArgument) {
  EOleException e = CatchOle([&] { OleCall(Obj, "Add", {1, "abc"}); });
  EXPECT_EQ(e.Description().rfind("argument 2: ", 0), 0u) << e.Description();
}

// Guards against a call on a missing service crashing or passing silently:
// callers rely on it raising.
TEST(OleCallTest, TargetWithoutObjectRaisesNamingMember) {
  struct TCase {
    const char* Label;
    Variant Target;
  } cases[] = {
      {"Empty", Variant()},
      {"Null", Null()},
      {"text", Variant("TProbe")},
      {"integer", Variant(int32_t(1))},
      {"null reference", Variant(TDispatchRef())},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    for (TInvokeKind kind :
         {TInvokeKind::Method, TInvokeKind::PropertyGet, TInvokeKind::PropertyPut}) {
      Variant args[1] = {1};
      EOleException e = CatchOle([&] {
        OleInvoke(c.Target, "GetSysInfo", kind,
                  std::span<Variant>(args, kind == TInvokeKind::PropertyPut ? 1 : 0));
      });
      EXPECT_EQ(e.Kind(), TOleErrorKind::NotAnObject);
      EXPECT_NE(e.Message().find("GetSysInfo"), AnsiString::npos) << e.Message();
      EXPECT_NE(e.Message().find("is not an automation object"), AnsiString::npos) << e.Message();
    }
  }
  EXPECT_THROW(OleCall(TDispatchRef(), "SQLType"), EOleError);
}

// Guards against OleCall refusing a by-reference Variant that refers to an object.
TEST_F(DispatchTest, TargetMayBeByReference) {
  Variant ref = Variant::ByRef(Obj);
  EXPECT_EQ(OleCall(ref, "SQLType").AsInteger(), 2);
}

// ---- Lifetime ----

// Guards against leaks and early frees: the object lives exactly as long as
// some Variant or reference holds it, and copies share it.
TEST_F(DispatchTest, LastClearedVariantDestroysObject) {
  Obj = Variant();
  ASSERT_EQ(TProbe::Live, 0);

  auto* raw = new TProbe;
  EXPECT_EQ(raw->RefCount(), 0);
  Variant first = Variant(TDispatchRef(raw));
  EXPECT_EQ(raw->RefCount(), 1);
  Variant copy = first;
  EXPECT_EQ(raw->RefCount(), 2);
  EXPECT_EQ(*copy.GetIf<TDispatchRef>(), *first.GetIf<TDispatchRef>());
  OlePut(copy, "ProductID", 99);  // one object, seen through both
  EXPECT_EQ(OleGet(first, "ProductID").AsInteger(), 99);

  first = Variant();
  EXPECT_EQ(TProbe::Live, 1);
  EXPECT_EQ(raw->RefCount(), 1);
  copy = Variant();
  EXPECT_EQ(TProbe::Live, 0);
}

// Guards against a use after free when a call clears the caller's last
// reference to the object being called.
TEST_F(DispatchTest, ObjectOutlivesCallThatClearsItsLastReference) {
  EXPECT_TRUE(OleCall(Obj, "DropSelf", {Variant::ByRef(Obj)}).AsBoolean());
  EXPECT_TRUE(Obj.IsEmpty());
  EXPECT_EQ(TProbe::Live, 0);

  // The same through the interface itself, as a transport calls it: no
  // helper holds a reference of its own then.
  Obj = Variant(TDispatchRef(new TProbe));
  IDispatch* raw = Obj.GetIf<TDispatchRef>()->Get();
  Variant args[1] = {Variant::ByRef(Obj)};
  EXPECT_TRUE(raw->Invoke("DropSelf", TInvokeKind::Method, args).AsBoolean());
  EXPECT_EQ(TProbe::Live, 0);
}

// Guards against a non-atomic count: copies dropped on several threads at
// once must neither free the object early nor leak it.
TEST_F(DispatchTest, ReferenceCountIsThreadSafe) {
  const TDispatchRef shared = Obj.AsDispatch();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([shared] {
      for (int i = 0; i < 20000; ++i) {
        TDispatchRef copy = shared;
        Variant holder = Variant(copy);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(static_cast<TDispatchObject*>(shared.Get())->RefCount(), 2);  // Obj and shared
}

// ---- Tables ----

// Guards against two members that a case-insensitive caller cannot tell
// apart, and names no caller can spell.
TEST(DispatchTableTest, BuilderRejectsDuplicateAndInvalidNames) {
  EXPECT_THROW(TDispatchTableBuilder<TProbe>("TProbe")
                   .AddMethod("SQLType", &TProbe::SQLType)
                   .AddProperty("sqltype", &TProbe::GetComCounter),
               std::logic_error);
  for (const char* name : {"", "1st", "Com Counter", "\xD6\xD0"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(TDispatchTableBuilder<TProbe>("TProbe").AddMethod(name, &TProbe::SQLType),
                 std::logic_error);
  }
}

}  // namespace
