#include "platform/rtl/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/VariantPrint.h"

namespace {

// A dispatch object that counts its references and answers nothing.
class TFakeDispatch : public IDispatch {
public:
  int Refs = 0;
  void AddRef() noexcept override { ++Refs; }
  void Release() noexcept override { --Refs; }
  AnsiString DispatchClassName() const override { return "TFakeDispatch"; }
  Variant Invoke(const AnsiString&, TInvokeKind, std::span<Variant>) override { return {}; }
};

// Table rows hold references to this object until the process ends, after
// every ordinary static is gone, so it is never destroyed.
TFakeDispatch& TableObject() {
  static TFakeDispatch* object = new TFakeDispatch;
  return *object;
}

// Byte-string <-> wide-string conversions go through the system code page;
// the tests fix it at 936 and the format settings at their defaults.
class VariantRulesTest : public ::testing::Test {
protected:
  void SetUp() override {
    FSavedCodePage = SystemCodePage();
    SetSystemCodePage(936);
    RestoreDefaultFormatSettings();
  }
  void TearDown() override { SetSystemCodePage(FSavedCodePage); }

private:
  int FSavedCodePage = 0;
};

// ---- Conversion table ----

enum class TTarget { SmallInt, Integer, Int64, Boolean, Double, Date, String, Wide };
enum class TOutcome { Value, CastError, Overflow };

struct TConvRow {
  std::string Name;
  Variant Source;
  TTarget Target;
  TOutcome Outcome;
  Variant Expected;
};

void PrintTo(const TConvRow& row, std::ostream* os) {
  *os << row.Name << ": " << ::testing::PrintToString(row.Source);
}

Variant Convert(const Variant& v, TTarget target) {
  switch (target) {
    case TTarget::SmallInt: return Variant(v.AsSmallInt());
    case TTarget::Integer: return Variant(v.AsInteger());
    case TTarget::Int64: return Variant(v.AsInt64());
    case TTarget::Boolean: return Variant(v.AsBoolean());
    case TTarget::Double: return Variant(v.AsDouble());
    case TTarget::Date: return Variant(v.AsDateTime());
    case TTarget::String: return Variant(v.AsString());
    case TTarget::Wide: return Variant(v.AsWideString());
  }
  return {};
}

TConvRow Ok(std::string name, Variant source, TTarget target, Variant expected) {
  return {std::move(name), std::move(source), target, TOutcome::Value, std::move(expected)};
}
TConvRow Cast(std::string name, Variant source, TTarget target) {
  return {std::move(name), std::move(source), target, TOutcome::CastError, {}};
}
TConvRow Overflow(std::string name, Variant source, TTarget target) {
  return {std::move(name), std::move(source), target, TOutcome::Overflow, {}};
}

std::vector<TConvRow> ConversionRows() {
  using T = TTarget;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Variant array = VarArrayOf({1});
  const Variant object{TDispatchRef(&TableObject())};
  return {
      // Double and Date to Integer: half to even, then the range.
      Ok("IntFromDoubleMinus1_5", -1.5, T::Integer, -2),
      Ok("IntFromDoubleMinus0_5", -0.5, T::Integer, 0),
      Ok("IntFromDouble0_5", 0.5, T::Integer, 0),
      Ok("IntFromDouble1_5", 1.5, T::Integer, 2),
      Ok("IntFromDouble2_5", 2.5, T::Integer, 2),
      Ok("IntFromDoubleMinus2_5", -2.5, T::Integer, -2),
      Ok("IntFromDouble2_51", 2.51, T::Integer, 3),
      Ok("IntFromDoubleMinus2_49", -2.49, T::Integer, -2),
      Ok("IntFromDoubleJustBelowMax", 2147483647.4, T::Integer, 2147483647),
      Overflow("IntFromDoubleRoundsPastMax", 2147483647.5, T::Integer),
      Ok("IntFromDoubleRoundsToMin", -2147483648.5, T::Integer, -2147483647 - 1),
      Overflow("IntFromDoubleBelowMin", -2147483649.0, T::Integer),
      Overflow("IntFromNaN", nan, T::Integer),
      Overflow("IntFromInfinity", inf, T::Integer),
      Ok("IntFromDateHalfToEven", TDateTime(45000.5), T::Integer, 45000),
      Ok("IntFromDateHalfUp", TDateTime(45001.5), T::Integer, 45002),
      // Integers, Booleans, Empty, Null to Integer.
      Ok("IntFromSmallInt", int16_t{-5}, T::Integer, -5),
      Ok("IntFromInt64InRange", int64_t{-7}, T::Integer, -7),
      Overflow("IntFromInt64TooBig", int64_t{1} << 31, T::Integer),
      Ok("IntFromTrue", true, T::Integer, -1),
      Ok("IntFromFalse", false, T::Integer, 0),
      Ok("IntFromEmpty", Variant(), T::Integer, 0),
      Cast("IntFromNull", Null(), T::Integer),
      // Text to Integer.
      Ok("IntFromText", "42", T::Integer, 42),
      Ok("IntFromTextWithBlanks", "  42  ", T::Integer, 42),
      Ok("IntFromTextWithControlBlanks", "\t42\r\n", T::Integer, 42),
      Ok("IntFromHexDollar", "$1F", T::Integer, 31),
      Ok("IntFromHex0x", "0x1F", T::Integer, 31),
      Ok("IntFromDecimalText", "1.5", T::Integer, 2),
      Ok("IntFromDecimalTextHalfToEven", "2.5", T::Integer, 2),
      Ok("IntFromTrueText", "True", T::Integer, -1),
      Ok("IntFromFalseTextAnyCase", "fALSE", T::Integer, 0),
      Cast("IntFromLetters", "abc", T::Integer),
      Cast("IntFromEmptyText", "", T::Integer),
      Cast("IntFromTrailingLetters", "12abc", T::Integer),
      Cast("IntFromCommaDecimal", "1,5", T::Integer),
      Overflow("IntFromTextPastMax", "2147483648", T::Integer),
      Overflow("IntFromHugeDecimalText", "99999999999999999999", T::Integer),
      Ok("IntFromWide", u"42", T::Integer, 42),
      Cast("IntFromWideChinese", u"\u4E2D", T::Integer),
      Cast("IntFromDispatch", object, T::Integer),
      Cast("IntFromArray", array, T::Integer),
      // SmallInt range.
      Ok("SmallFromMax", 32767, T::SmallInt, int16_t{32767}),
      Overflow("SmallFromPastMax", 32768, T::SmallInt),
      Ok("SmallFromMin", -32768, T::SmallInt, int16_t{-32768}),
      Overflow("SmallFromBelowMin", -32769, T::SmallInt),
      Overflow("SmallFromDoubleRoundsPastMax", 32767.5, T::SmallInt),
      Ok("SmallFromText", "-32768", T::SmallInt, int16_t{-32768}),
      Ok("SmallFromTrue", true, T::SmallInt, int16_t{-1}),
      // Int64 range.
      Ok("Int64FromMaxText", "9223372036854775807", T::Int64,
         std::numeric_limits<int64_t>::max()),
      Ok("Int64FromMinText", "-9223372036854775808", T::Int64,
         std::numeric_limits<int64_t>::min()),
      Ok("Int64FromMinDouble", -9223372036854775808.0, T::Int64,
         std::numeric_limits<int64_t>::min()),
      Overflow("Int64FromDoublePastMax", 9223372036854775808.0, T::Int64),
      Overflow("Int64FromDouble1E19", 1e19, T::Int64),
      Ok("Int64FromHexBeyond32Bits", "$FFFFFFFF", T::Int64, int64_t{4294967295LL}),
      Ok("Int64FromInteger", 5, T::Int64, int64_t{5}),
      // Boolean.
      Ok("BoolFromZero", 0, T::Boolean, false),
      Ok("BoolFromTwo", 2, T::Boolean, true),
      Ok("BoolFromMinusOne", int16_t{-1}, T::Boolean, true),
      Ok("BoolFromDoubleZero", 0.0, T::Boolean, false),
      Ok("BoolFromSmallFraction", 0.1, T::Boolean, true),
      Ok("BoolFromTrueText", "True", T::Boolean, true),
      Ok("BoolFromTrueTextAnyCase", "tRUE", T::Boolean, true),
      Ok("BoolFromFalseText", "FALSE", T::Boolean, false),
      Ok("BoolFromTrueTextWithBlanks", " True ", T::Boolean, true),
      Ok("BoolFromNumberText", "1", T::Boolean, true),
      Ok("BoolFromZeroText", "0", T::Boolean, false),
      Ok("BoolFromZeroDecimalText", "0.0", T::Boolean, false),
      Ok("BoolFromWideTrue", u"true", T::Boolean, true),
      Cast("BoolFromYes", "yes", T::Boolean),
      Cast("BoolFromEmptyText", "", T::Boolean),
      Ok("BoolFromEmpty", Variant(), T::Boolean, false),
      Cast("BoolFromNull", Null(), T::Boolean),
      Ok("BoolFromDateZero", TDateTime(0), T::Boolean, false),
      Cast("BoolFromDispatch", object, T::Boolean),
      // Double.
      Ok("DoubleFromInteger", 3, T::Double, 3.0),
      Ok("DoubleFromInt64", int64_t{1} << 40, T::Double, 1099511627776.0),
      Ok("DoubleFromText", "1.5", T::Double, 1.5),
      Ok("DoubleFromExponentTextWithBlanks", " -2.5E3 ", T::Double, -2500.0),
      Ok("DoubleFromHexText", "$10", T::Double, 16.0),
      Cast("DoubleFromCommaDecimal", "1,5", T::Double),
      Cast("DoubleFromInfText", "INF", T::Double),
      Ok("DoubleFromTrue", true, T::Double, -1.0),
      Ok("DoubleFromDate", TDateTime(1.25), T::Double, 1.25),
      Ok("DoubleFromEmpty", Variant(), T::Double, 0.0),
      Cast("DoubleFromNull", Null(), T::Double),
      // Date: the day count, or a date text by the format settings.
      Ok("DateFromDouble", 45000.25, T::Date, TDateTime(45000.25)),
      Ok("DateFromInteger", 2, T::Date, TDateTime(2)),
      Ok("DateFromEmpty", Variant(), T::Date, TDateTime(0)),
      Ok("DateFromDateText", "2023/03/15", T::Date, TDateTime(45000)),
      Ok("DateFromDateTimeText", "2023/03/15 12:00:00", T::Date, TDateTime(45000.5)),
      Ok("DateFromWideDateText", u"2026/12/11", T::Date, TDateTime(46367)),
      Cast("DateFromLetters", "abc", T::Date),
      Cast("DateFromNull", Null(), T::Date),
      Cast("DateFromArray", array, T::Date),
      // Text.
      Ok("TextFromInteger", 42, T::String, "42"),
      Ok("TextFromSmallInt", int16_t{-1}, T::String, "-1"),
      Ok("TextFromInt64", int64_t{-9000000000LL}, T::String, "-9000000000"),
      Ok("TextFromTrue", true, T::String, "True"),
      Ok("TextFromFalse", false, T::String, "False"),
      Ok("TextFromDouble", 1.5, T::String, "1.5"),
      Ok("TextFromWholeDouble", 3.0, T::String, "3"),
      Ok("TextFromLargeDouble", 1e20, T::String, "1E20"),
      Ok("TextFromSmallDouble", 1.5e-7, T::String, "1.5E-7"),
      Ok("TextFromDate", TDateTime(45000), T::String, "2023/03/15"),
      Ok("TextFromDateTime", TDateTime(45000.5), T::String, "2023/03/15 12:00:00"),
      Ok("TextFromEmpty", Variant(), T::String, ""),
      Cast("TextFromNull", Null(), T::String),
      Ok("TextFromBytesUnchanged", "\xD6\xD0\x41", T::String, "\xD6\xD0\x41"),  // 中A
      Ok("TextFromWideChinese", u"\u4E2D", T::String, "\xD6\xD0"),              // 中
      Ok("TextFromWideUnmappable", u"\u0E01", T::String, "?"),                   // Thai ko kai
      Cast("TextFromDispatch", object, T::String),
      Cast("TextFromArray", array, T::String),
      // Wide text.
      Ok("WideFromGbkBytes", "\xD6\xD0", T::Wide, u"\u4E2D"),  // 中
      Ok("WideFromInteger", 5, T::Wide, u"5"),
      Ok("WideFromTrue", true, T::Wide, u"True"),
      Ok("WideFromEmpty", Variant(), T::Wide, u""),
      Cast("WideFromNull", Null(), T::Wide),
  };
}

class VariantConvertTest : public VariantRulesTest,
                           public ::testing::WithParamInterface<TConvRow> {};

// Guards every conversion rule of the table: the value and its exact type,
// or the exact exception class (a cast error is not an overflow).
TEST_P(VariantConvertTest, FollowsTheConversionRules) {
  const TConvRow& row = GetParam();
  switch (row.Outcome) {
    case TOutcome::Value:
      EXPECT_PRED_FORMAT2(AssertSameVariant, row.Expected, Convert(row.Source, row.Target));
      // Through a reference the same rules apply.
      {
        Variant source = row.Source;
        EXPECT_PRED_FORMAT2(AssertSameVariant, row.Expected,
                            Convert(Variant::ByRef(source), row.Target));
      }
      break;
    case TOutcome::CastError:
      EXPECT_THROW(Convert(row.Source, row.Target), EVariantTypeCastError);
      break;
    case TOutcome::Overflow:
      EXPECT_THROW(Convert(row.Source, row.Target), EVariantOverflowError);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, VariantConvertTest, ::testing::ValuesIn(ConversionRows()),
                         [](const auto& info) { return info.param.Name; });

// Guards the error texts: they name the source and the target type as the
// original does, for byte and wide strings alike.
TEST_F(VariantRulesTest, ConversionErrorsNameBothTypes) {
  struct {
    Variant Source;
    TTarget Target;
    const char* Message;
  } rows[] = {
      {"abc", TTarget::Integer, "Could not convert variant of type (String) into type (Integer)"},
      {u"abc", TTarget::Double, "Could not convert variant of type (OleStr) into type (Double)"},
      {Null(), TTarget::String, "Could not convert variant of type (Null) into type (String)"},
      {VarArrayOf({1}), TTarget::Boolean,
       "Could not convert variant of type (Array Variant) into type (Boolean)"},
      {2147483647.5, TTarget::Integer,
       "Overflow while converting variant of type (Double) into type (Integer)"},
      {40000, TTarget::SmallInt,
       "Overflow while converting variant of type (Integer) into type (Smallint)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Message);
    try {
      Convert(row.Source, row.Target);
      ADD_FAILURE() << "no exception";
    } catch (const EVariantError& e) {
      EXPECT_EQ(e.Message(), row.Message);
    }
  }
  try {
    Variant("x").AsDispatch();
    ADD_FAILURE() << "AsDispatch accepted a string";
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(e.Message(), "Could not convert variant of type (String) into type (Dispatch)");
  }
}

// Guards VarToStr's leniency (Null and Empty read as "") against AsString's
// strictness on Null.
TEST_F(VariantRulesTest, VarToStrReadsNullAsEmptyText) {
  EXPECT_EQ(VarToStr(Null()), "");
  EXPECT_EQ(VarToStr(Variant()), "");
  EXPECT_EQ(VarToStr(7), "7");
  EXPECT_EQ(VarToWideStr(Null()), u"");
  EXPECT_EQ(VarToWideStr("\xD6\xD0"), u"\u4E2D");  // 中
  EXPECT_THROW(VarToStr(VarArrayOf({})), EVariantTypeCastError);
}

// ---- Types ----

// Guards that the C++ type decides the Variant type, with no silent
// widening (a 16-bit value stays Smallint, a date stays Date, bytes stay
// bytes) and a null dispatch reference reading as Empty.
TEST(VariantTest, ConstructorTypeDecidesVarType) {
  struct {
    const char* Name;
    Variant Value;
    TVarType Type;
  } rows[] = {
      {"Empty", Variant(), varEmpty},
      {"Null", Null(), varNull},
      {"SmallInt", int16_t{1}, varSmallint},
      {"Integer", 1, varInteger},
      {"Int64", int64_t{1}, varInt64},
      {"LongLong", 1LL, varInt64},
      {"Boolean", true, varBoolean},
      {"Double", 1.0, varDouble},
      {"Date", TDateTime(1.0), varDate},
      {"Literal", "a", varString},
      {"NullCharPointer", static_cast<const char*>(nullptr), varString},
      {"AnsiString", AnsiString("a"), varString},
      {"WideLiteral", u"a", varOleStr},
      {"WideString", WideString(u"a"), varOleStr},
      {"NullDispatch", TDispatchRef(), varEmpty},
      {"Dispatch", TDispatchRef(&TableObject()), varDispatch},
      {"Array", VarArrayCreate({0, 1}), varArray | varVariant},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(row.Value.VarType(), row.Type);
    EXPECT_EQ(VarType(row.Value), row.Type);
  }
  EXPECT_EQ(*Variant(static_cast<const char*>(nullptr)).GetIf<AnsiString>(), "");
}

TEST(VariantTest, VarTypeAsTextNamesTypes) {
  struct {
    TVarType Type;
    const char* Text;
  } rows[] = {
      {varEmpty, "Empty"},       {varNull, "Null"},
      {varSmallint, "Smallint"}, {varInteger, "Integer"},
      {varInt64, "Int64"},       {varDouble, "Double"},
      {varDate, "Date"},         {varBoolean, "Boolean"},
      {varString, "String"},     {varOleStr, "OleStr"},
      {varDispatch, "Dispatch"}, {varArray | varVariant, "Array Variant"},
      {varByRef | varVariant, "ByRef Variant"}, {0x0042, "$0042"},
  };
  for (const auto& row : rows) EXPECT_EQ(VarTypeAsText(row.Type), row.Text) << row.Type;
}

// Guards the line between strict and converting access: GetIf never
// converts, not even between integer widths or Date and Double.
TEST(VariantTest, StrictAccessNeverConverts) {
  Variant small(int16_t{5});
  EXPECT_EQ(small.GetIf<int32_t>(), nullptr);
  ASSERT_NE(small.GetIf<int16_t>(), nullptr);
  EXPECT_EQ(*small.GetIf<int16_t>(), 5);
  Variant date(TDateTime(2.0));
  EXPECT_EQ(date.GetIf<double>(), nullptr);
  EXPECT_NE(date.GetIf<TDateTime>(), nullptr);
  EXPECT_EQ(Variant("1").GetIf<WideString>(), nullptr);
  EXPECT_EQ(Variant(1).GetIf<TVarArray>(), nullptr);
  EXPECT_NE(VarArrayOf({1}).GetIf<TVarArray>(), nullptr);
  // Writable in place.
  *small.GetIf<int16_t>() = 9;
  EXPECT_EQ(small.AsInteger(), 9);
}

// Guards that a moved-from Variant is Empty, not a half-moved string.
TEST(VariantTest, MovedFromIsEmpty) {
  Variant text("abc");
  Variant taken(std::move(text));
  EXPECT_TRUE(text.IsEmpty());  // NOLINT(bugprone-use-after-move)
  Variant other;
  other = std::move(taken);
  EXPECT_TRUE(taken.IsEmpty());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(other.AsString(), "abc");
}

TEST(VariantTest, TypeTestsSeeEmptyNullStringArray) {
  EXPECT_TRUE(VarIsClear(Variant()));
  EXPECT_TRUE(VarIsClear(Null()));
  EXPECT_FALSE(VarIsClear(""));
  EXPECT_TRUE(VarIsStr(u"") && VarIsStr(""));
  EXPECT_FALSE(VarIsStr(1));
  EXPECT_TRUE(VarIsEmpty(Variant()) && !VarIsEmpty(Null()));
  EXPECT_TRUE(VarIsNull(Null()) && !VarIsNull(Variant()));
  EXPECT_TRUE(VarIsArray(VarArrayOf({})) && !VarIsArray(""));
}

// ---- Dispatch references ----

// Guards the reference count: copies hold a reference, dropping every
// Variant gives it back, and AsDispatch hands out the same object.
TEST(VariantTest, DispatchReferenceIsCounted) {
  TFakeDispatch object;
  {
    Variant v{TDispatchRef(&object)};
    EXPECT_EQ(object.Refs, 1);
    Variant copy = v;
    EXPECT_EQ(object.Refs, 2);
    TDispatchRef ref = copy.AsDispatch();
    EXPECT_EQ(ref.Get(), &object);
    EXPECT_EQ(object.Refs, 3);
    Variant inArray = VarArrayOf({v});
    Variant arrayCopy = inArray;
    EXPECT_EQ(object.Refs, 5);
  }
  EXPECT_EQ(object.Refs, 0);
  EXPECT_THROW(Variant().AsDispatch(), EVariantTypeCastError);
  EXPECT_THROW(Null().AsDispatch(), EVariantTypeCastError);
}

// ---- Arrays ----

// Guards bounds that do not start at 0 (job arrays are 1..N): both ends are
// reachable, one past either end raises.
TEST(VariantArrayTest, HonoursLowerBoundOne) {
  Variant env = VarArrayCreate({1, 14});
  EXPECT_EQ(VarArrayDimCount(env), 1);
  EXPECT_EQ(VarArrayLowBound(env, 1), 1);
  EXPECT_EQ(VarArrayHighBound(env, 1), 14);
  for (int32_t i = 1; i <= 14; ++i) EXPECT_TRUE(env[i].IsEmpty());
  env[1] = "KULR31";
  env[14] = 7;
  EXPECT_EQ(env[1].AsString(), "KULR31");
  EXPECT_EQ(env.Array().Elements().front().AsString(), "KULR31");
  EXPECT_EQ(env[14].AsInteger(), 7);
  EXPECT_THROW(env[0], EVariantBadIndexError);
  try {
    env[15];
    ADD_FAILURE() << "index 15 of 1..14 accepted";
  } catch (const EVariantBadIndexError& e) {
    EXPECT_EQ(e.Message(), "Variant or safe array index out of bounds: [15] in [1..14]");
  }
  EXPECT_THROW(env[std::numeric_limits<int32_t>::min()], EVariantBadIndexError);
  EXPECT_THROW(VarArrayLowBound(env, 2), EVariantBadIndexError);
  EXPECT_THROW(VarArrayHighBound(env, 0), EVariantBadIndexError);
}

// Guards the two-dimensional layout [0..1, 0..n]: every cell is its own,
// bounds are per dimension, and wrong index counts raise.
TEST(VariantArrayTest, TwoDimensionalCellsAreDistinct) {
  const int32_t n = 3;
  Variant info = VarArrayCreate({0, 1, 0, n});
  EXPECT_EQ(VarArrayDimCount(info), 2);
  EXPECT_EQ(VarArrayHighBound(info, 1), 1);
  EXPECT_EQ(VarArrayHighBound(info, 2), n);
  for (int32_t i = 0; i <= 1; ++i) {
    for (int32_t j = 0; j <= n; ++j) info(i, j) = i * 10 + j;
  }
  for (int32_t i = 0; i <= 1; ++i) {
    for (int32_t j = 0; j <= n; ++j) EXPECT_EQ(info(i, j).AsInteger(), i * 10 + j);
  }
  // Storage order: the first index varies fastest.
  EXPECT_EQ(info.Array().Elements()[1].AsInteger(), 10);
  EXPECT_THROW(info(2, 0), EVariantBadIndexError);
  EXPECT_THROW(info(0, n + 1), EVariantBadIndexError);
  EXPECT_THROW(info(-1, 0), EVariantBadIndexError);
  EXPECT_THROW(info[0], EVariantBadIndexError);
  EXPECT_THROW(VarArrayOf({1})(0, 0), EVariantBadIndexError);

  Variant shifted = VarArrayCreate({1, 2, 5, 6});
  shifted(2, 6) = "last";
  EXPECT_EQ(shifted.Array().Elements().back().AsString(), "last");
}

// Guards that bad shapes are refused with EVariantArrayCreateError before
// anything is allocated (bounds can come from another process).
TEST(VariantArrayTest, RefusesBadShapes) {
  struct {
    const char* Name;
    std::initializer_list<int32_t> Bounds;
  } rows[] = {
      {"NoBounds", {}},
      {"OddCount", {1}},
      {"ThreeDimensions", {0, 1, 0, 1, 0, 1}},
      {"HighBelowLowMinusOne", {5, 3}},
      {"TooManyElements", {0, 1 << 30}},
      {"TooManyCells", {0, 1 << 14, 0, 1 << 14}},
      {"FullRange", {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_THROW(VarArrayCreate(row.Bounds), EVariantArrayCreateError);
  }
  Variant empty = VarArrayCreate({1, 0});
  EXPECT_EQ(VarArrayHighBound(empty, 1), 0);
  EXPECT_TRUE(empty.Array().Elements().empty());
  EXPECT_THROW(empty[1], EVariantBadIndexError);
}

// Guards the scalar case: element and bound access on a non-array raise
// EVariantNotAnArrayError, while the dimension count is simply 0.
TEST(VariantArrayTest, ScalarIsNotAnArray) {
  Variant scalar = 5;
  EXPECT_EQ(VarArrayDimCount(scalar), 0);
  EXPECT_EQ(VarArrayDimCount(Variant()), 0);
  EXPECT_THROW(scalar[0], EVariantNotAnArrayError);
  EXPECT_THROW(scalar(0, 0), EVariantNotAnArrayError);
  EXPECT_THROW(VarArrayLowBound(scalar, 1), EVariantNotAnArrayError);
  EXPECT_THROW(VarArrayHighBound(Null(), 1), EVariantNotAnArrayError);
  EXPECT_THROW(VarArrayRedim(scalar, 3), EVariantNotAnArrayError);
  const Variant constScalar = "x";
  EXPECT_THROW(constScalar.Array(), EVariantNotAnArrayError);
}

// Guards value semantics: a copy (constructed or assigned) owns its
// elements, nested arrays included, so changing it leaves the original.
TEST(VariantArrayTest, CopyIsDeep) {
  Variant original = VarArrayCreate({1, 2});
  original[1] = "caption";
  original[2] = VarArrayOf({"row", 1});

  Variant constructed(original);
  Variant assigned;
  assigned = original;
  for (Variant* copy : {&constructed, &assigned}) {
    (*copy)[1] = "changed";
    (*copy)[2][0] = "changed";
    VarArrayRedim((*copy)[2], 5);
  }
  Variant expected = VarArrayCreate({1, 2});
  expected[1] = "caption";
  expected[2] = VarArrayOf({"row", 1});
  EXPECT_PRED_FORMAT2(AssertSameVariant, expected, original);
  EXPECT_EQ(constructed[2][0].AsString(), "changed");
  EXPECT_EQ(VarArrayHighBound(assigned[2], 1), 5);
}

// Guards assignment from an element of the Variant's own array: the array
// is dropped only after the element was taken.
TEST(VariantArrayTest, AssignFromOwnElementIsSafe) {
  Variant rows = VarArrayOf({VarArrayOf({"a", "b"}), 2});
  rows = rows[0];
  EXPECT_PRED_FORMAT2(AssertSameVariant, VarArrayOf({"a", "b"}), rows);
  rows = std::move(rows[1]);
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant("b"), rows);
  Variant self = VarArrayOf({1});
  self = self;  // NOLINT(clang-diagnostic-self-assign-overloaded)
  EXPECT_EQ(self[0].AsInteger(), 1);
}

// Guards redim on the last dimension: kept elements keep their values and
// places, new ones are Empty, the lower bound stays.
TEST(VariantArrayTest, RedimKeepsElements) {
  Variant job = VarArrayCreate({0, 2});
  job[0] = "J1";
  job[1] = 1;
  job[2] = true;
  VarArrayRedim(job, 4);
  Variant grown = VarArrayOf({"J1", 1, true, Variant(), Variant()});
  EXPECT_PRED_FORMAT2(AssertSameVariant, grown, job);
  VarArrayRedim(job, 0);
  EXPECT_PRED_FORMAT2(AssertSameVariant, VarArrayOf({"J1"}), job);

  Variant env = VarArrayCreate({1, 2});
  env[1] = "a";
  env[2] = "b";
  VarArrayRedim(env, 3);
  EXPECT_EQ(VarArrayLowBound(env, 1), 1);
  EXPECT_EQ(env[2].AsString(), "b");
  EXPECT_TRUE(env[3].IsEmpty());
  EXPECT_THROW(VarArrayRedim(env, -1), EVariantArrayCreateError);
  EXPECT_EQ(VarArrayHighBound(env, 1), 3) << "a refused redim must leave the array";
  VarArrayRedim(env, 0);
  EXPECT_TRUE(env.Array().Elements().empty());

  Variant grid = VarArrayCreate({0, 1, 0, 1});
  for (int32_t i = 0; i <= 1; ++i) {
    for (int32_t j = 0; j <= 1; ++j) grid(i, j) = i * 10 + j;
  }
  VarArrayRedim(grid, 2);
  EXPECT_EQ(VarArrayHighBound(grid, 1), 1);
  EXPECT_EQ(VarArrayHighBound(grid, 2), 2);
  for (int32_t i = 0; i <= 1; ++i) {
    for (int32_t j = 0; j <= 1; ++j) EXPECT_EQ(grid(i, j).AsInteger(), i * 10 + j);
    EXPECT_TRUE(grid(i, 2).IsEmpty());
  }
}

// Guards VarArrayOf's bounds (0..n-1, also for no values) and nested
// access in the R[0][0] form.
TEST(VariantArrayTest, VarArrayOfIsZeroBasedAndNests) {
  Variant r = VarArrayOf({VarArrayOf({"code", "name"}), VarArrayOf({"c2", "n2"})});
  EXPECT_EQ(VarArrayLowBound(r, 1), 0);
  EXPECT_EQ(VarArrayHighBound(r, 1), 1);
  EXPECT_EQ(r[0][0].AsString(), "code");
  EXPECT_EQ(r[1][1].AsString(), "n2");
  r[1][1] = "renamed";
  EXPECT_EQ(r[1][1].AsString(), "renamed");
  Variant none = VarArrayOf({});
  EXPECT_EQ(VarArrayLowBound(none, 1), 0);
  EXPECT_EQ(VarArrayHighBound(none, 1), -1);
}

// ---- By-reference Variants ----

// A callee of a late-bound call: writes its by-reference arguments.
void Callee(std::span<Variant> args) {
  args[0].Assign("written");
  args[1].Assign(VarArrayOf({1, 2}));
}

// Guards the write-back of call arguments: Assign through a reference
// changes the caller's variable, array elements included, and the argument
// stays a reference.
TEST(VariantByRefTest, AssignWritesCallersVariable) {
  Variant info;
  Variant list = VarArrayCreate({1, 2});
  std::vector<Variant> args = {Variant::ByRef(info), Variant::ByRef(list[2])};
  Callee(args);
  EXPECT_EQ(info.AsString(), "written");
  EXPECT_PRED_FORMAT2(AssertSameVariant, VarArrayOf({1, 2}), list[2]);
  EXPECT_TRUE(list[1].IsEmpty());
  EXPECT_TRUE(args[0].IsByRef());
  EXPECT_EQ(args[0].VarType(), varByRef | varVariant);

  // Without a reference, Assign is plain assignment.
  Variant plain = 1;
  plain.Assign("two");
  EXPECT_EQ(plain.AsString(), "two");
}

// Guards that reads look through a reference: type tests, strict and
// converting access, arrays, comparisons.
TEST(VariantByRefTest, ReadsLookThrough) {
  Variant target = VarArrayOf({"5"});
  Variant ref = Variant::ByRef(target);
  EXPECT_TRUE(ref.IsArray());
  EXPECT_FALSE(ref.IsEmpty());
  EXPECT_EQ(VarArrayHighBound(ref, 1), 0);
  EXPECT_EQ(ref[0].AsInteger(), 5);
  ref[0] = "6";  // element access goes to the caller's array
  EXPECT_EQ(target[0].AsString(), "6");

  Variant text = "abc";
  Variant textRef = Variant::ByRef(text);
  EXPECT_TRUE(textRef.IsString());
  ASSERT_NE(textRef.GetIf<AnsiString>(), nullptr);
  EXPECT_EQ(*textRef.GetIf<AnsiString>(), "abc");
  EXPECT_TRUE(VarEquals(textRef, "abc"));
  EXPECT_TRUE(VarSameText(textRef, "ABC"));
  Variant null = Null();
  EXPECT_TRUE(Variant::ByRef(null).IsNull());
  EXPECT_EQ(VarToStr(Variant::ByRef(null)), "");
}

// Guards reference chains and copies: a reference to a reference points at
// the variable itself; a copied reference still refers to it; Assign from a
// reference stores the value, never the reference.
TEST(VariantByRefTest, ReferencesNeverChain) {
  Variant target = 1;
  Variant ref = Variant::ByRef(target);
  Variant refToRef = Variant::ByRef(ref);
  EXPECT_EQ(&refToRef.Deref(), &target);
  Variant copied = ref;
  copied.Assign(2);
  EXPECT_EQ(target.AsInteger(), 2);

  Variant stored;
  stored.Assign(ref);
  EXPECT_FALSE(stored.IsByRef());
  target = 3;
  EXPECT_EQ(stored.AsInteger(), 2);

  ref.Assign(ref);  // writing a variable onto itself changes nothing
  EXPECT_EQ(target.AsInteger(), 3);
  ref = 4;  // operator= replaces the reference, not the target
  EXPECT_FALSE(ref.IsByRef());
  EXPECT_EQ(target.AsInteger(), 3);
}

// ---- Comparisons ----

struct TEqualsRow {
  std::string Name;
  Variant A;
  Variant B;
  bool Equal;
};

void PrintTo(const TEqualsRow& row, std::ostream* os) {
  *os << row.Name << ": " << ::testing::PrintToString(row.A) << " vs "
      << ::testing::PrintToString(row.B);
}

std::vector<TEqualsRow> EqualsRows() {
  TDispatchRef object(&TableObject());
  static TFakeDispatch* other = new TFakeDispatch;  // see TableObject
  return {
      {"NullVsY", Null(), "Y", false},
      {"NullVsNull", Null(), Null(), true},
      {"NullVsEmpty", Null(), Variant(), false},
      {"NullVsZero", Null(), 0, false},
      {"EmptyVsEmpty", Variant(), Variant(), true},
      {"EmptyVsEmptyText", Variant(), "", true},
      {"EmptyVsEmptyWide", Variant(), u"", true},
      {"EmptyVsZero", Variant(), 0, true},
      {"EmptyVsFalse", Variant(), false, true},
      {"EmptyVsZeroText", Variant(), "0", false},
      {"EmptyVsOne", Variant(), 1, false},
      {"ZeroTextVsZero", "0", 0, true},
      {"DecimalTextVsInteger", "1.0", 1, true},
      {"BlankedTextVsInteger", " 1 ", 1, true},
      {"HexTextVsInteger", "$10", 16, true},
      {"WordVsZero", "abc", 0, false},
      {"SameText", "Y", "Y", true},
      {"TextCaseDiffers", "Y", "y", false},
      {"NumericTextsCompareAsTexts", "1", "1.0", false},
      {"BytesVsWide", "abc", u"abc", true},
      {"GbkVsWide", "\xD6\xD0", u"\u4E2D", true},  // 中
      {"IntegerVsDouble", 1, 1.0, true},
      {"SmallIntVsInt64", int16_t{-3}, int64_t{-3}, true},
      {"Int64VsNearbyDouble", int64_t{9007199254740993LL}, 9007199254740992.0, false},
      {"IntegerVsFraction", 2, 2.5, false},
      {"DateVsDouble", TDateTime(2.0), 2.0, true},
      {"TrueVsMinusOne", true, -1, true},
      {"TrueVsOne", true, 1, false},
      {"TrueVsTrueText", true, "True", true},
      {"FalseVsFalseTextAnyCase", false, "false", true},
      {"TrueVsYes", true, "yes", false},
      {"DoubleVsItsText", 1.5, "1.5", true},
      {"DateVsItsText", TDateTime(45000), "2023/03/15", true},
      {"ArrayVsCopy", VarArrayOf({1}), VarArrayOf({1}), false},
      {"ArrayVsEmpty", VarArrayOf({}), Variant(), false},
      {"SameDispatch", Variant(object), Variant(object), true},
      {"OtherDispatch", Variant(object), Variant(TDispatchRef(other)), false},
      {"DispatchVsEmpty", Variant(object), Variant(), false},
      {"DispatchVsText", Variant(object), "TFakeDispatch", false},
  };
}

class VariantEqualsTest : public VariantRulesTest,
                          public ::testing::WithParamInterface<TEqualsRow> {};

// Guards the loose comparison rules in both orders, and that comparing never
// raises, whatever the two sides hold.
TEST_P(VariantEqualsTest, ComparesLoosely) {
  const TEqualsRow& row = GetParam();
  EXPECT_EQ(VarEquals(row.A, row.B), row.Equal);
  EXPECT_EQ(VarEquals(row.B, row.A), row.Equal);
  EXPECT_EQ(row.A == row.B, row.Equal);
  EXPECT_EQ(row.A != row.B, !row.Equal);
}

INSTANTIATE_TEST_SUITE_P(Table, VariantEqualsTest, ::testing::ValuesIn(EqualsRows()),
                         [](const auto& info) { return info.param.Name; });

// Guards VarSameText: ASCII case only, never across the trail byte of a
// double-byte character, false for Null and for what has no text.
TEST_F(VariantRulesTest, VarSameTextIgnoresAsciiCaseOnly) {
  struct {
    const char* Name;
    Variant A;
    Variant B;
    bool Same;
  } rows[] = {
      {"AsciiCase", "ERROR", "error", true},
      {"Different", "ERROR", "ERRORS", false},
      {"EmptyVsEmptyText", Variant(), "", true},
      {"NullVsEmptyText", Null(), "", false},
      {"NullVsNull", Null(), Null(), false},
      {"NumberVsItsText", 5, "5", true},
      {"WideVsBytes", u"Error", "ERROR", true},
      // 0x81 0x41 and 0x81 0x61 are two different GBK characters whose trail
      // bytes happen to be 'A' and 'a'.
      {"GbkTrailBytesDiffer", "\x81\x41", "\x81\x61", false},
      {"GbkSame", "\xD6\xD0x", "\xD6\xD0X", true},  // 中x / 中X
      {"ArrayHasNoText", VarArrayOf({"a"}), "a", false},
      {"DispatchHasNoText", Variant(TDispatchRef(&TableObject())), "", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(VarSameText(row.A, row.B), row.Same);
    EXPECT_EQ(VarSameText(row.B, row.A), row.Same);
  }
}

// ---- The test printer ----

// Guards the helper the other suites rely on: types, bounds, nesting and
// GBK bytes are readable in a failure message.
TEST(VariantPrintTest, ShowsTypesBoundsAndGbk) {
  Variant grid = VarArrayCreate({0, 1, 1, 1});
  grid(0, 1) = 1;
  grid(1, 1) = "\xD6\xD0";  // 中
  EXPECT_EQ(::testing::PrintToString(grid),
            "Array[0..1, 1..1] {[0,1]=Integer 1, [1,1]=String \"\\xD6\\xD0\" (GBK: \xE4\xB8\xAD)}");
  Variant nested = VarArrayOf({Null(), VarArrayOf({true, 1.5})});
  EXPECT_EQ(::testing::PrintToString(nested),
            "Array[0..1] {Null, Array[0..1] {Boolean True, Double 1.5}}");
  Variant target = u"a\u4E2D";
  EXPECT_EQ(::testing::PrintToString(Variant::ByRef(target)), "ByRef -> OleStr u\"a\\u4E2D\"");
  EXPECT_FALSE(AssertSameVariant("a", "b", Variant(1), Variant(1.0)));
  EXPECT_FALSE(AssertSameBytes("a", "b", "\x81\x41", "\x81\x61"));
}

}  // namespace
