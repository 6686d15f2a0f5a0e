#include "platform/rtl/NumConv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "platform/rtl/Exceptions.h"

namespace {

// ---- Integers ----

struct TIntRow {
  const char* Name;
  std::string Text;
  std::optional<int64_t> Int32;  // nullopt: TryStrToInt refuses it
  std::optional<int64_t> Int64;  // nullopt: TryStrToInt64 refuses it
};

class NumConvIntTest : public ::testing::TestWithParam<TIntRow> {};

// Guards the integer grammar (leading spaces only, sign, "$"/"0x" hex) and
// both range checks, including the values at the very edge of each type.
TEST_P(NumConvIntTest, ParsesPerTheIntegerRules) {
  const TIntRow& row = GetParam();
  int32_t v32 = 12345;
  bool ok32 = TryStrToInt(row.Text, v32);
  EXPECT_EQ(ok32, row.Int32.has_value());
  if (ok32 && row.Int32) {
    EXPECT_EQ(v32, *row.Int32);
  }
  if (!ok32) {
    EXPECT_EQ(v32, 12345) << "a refused text must leave the value alone";
  }

  int64_t v64 = 12345;
  bool ok64 = TryStrToInt64(row.Text, v64);
  EXPECT_EQ(ok64, row.Int64.has_value());
  if (ok64 && row.Int64) {
    EXPECT_EQ(v64, *row.Int64);
  }
}

const int64_t kMin64 = std::numeric_limits<int64_t>::min();
const int64_t kMax64 = std::numeric_limits<int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Table, NumConvIntTest,
    ::testing::Values(
        TIntRow{"Decimal", "123", 123, 123},
        TIntRow{"Negative", "-45", -45, -45},
        TIntRow{"Plus", "+7", 7, 7},
        TIntRow{"LeadingZeros", "000013", 13, 13},
        TIntRow{"LeadingSpaces", "  12", 12, 12},
        TIntRow{"TrailingSpace", "12 ", {}, {}},
        TIntRow{"LeadingTab", "\t12", {}, {}},
        TIntRow{"HexDollar", "$1F", 31, 31},
        TIntRow{"HexLowerCase", "$ff", 255, 255},
        TIntRow{"Hex0x", "0x1F", 31, 31},
        TIntRow{"NegativeHex", "-$10", -16, -16},
        TIntRow{"HexAllBits32", "$FFFFFFFF", {}, 4294967295LL},
        TIntRow{"HexMax64", "$7FFFFFFFFFFFFFFF", {}, kMax64},
        TIntRow{"HexPast64", "$8000000000000000", {}, {}},
        TIntRow{"Max32", "2147483647", 2147483647, 2147483647},
        TIntRow{"Min32", "-2147483648", -2147483648LL, -2147483648LL},
        TIntRow{"Past32", "2147483648", {}, 2147483648LL},
        TIntRow{"Below32", "-2147483649", {}, -2147483649LL},
        TIntRow{"Max64", "9223372036854775807", {}, kMax64},
        TIntRow{"Min64", "-9223372036854775808", {}, kMin64},
        TIntRow{"Past64", "9223372036854775808", {}, {}},
        TIntRow{"FarPast64", "99999999999999999999999", {}, {}},
        TIntRow{"Empty", "", {}, {}},
        TIntRow{"SpacesOnly", "   ", {}, {}},
        TIntRow{"SignOnly", "-", {}, {}},
        TIntRow{"DollarOnly", "$", {}, {}},
        TIntRow{"PrefixOnly", "0x", {}, {}},
        TIntRow{"DoubleSign", "--1", {}, {}},
        TIntRow{"DecimalPoint", "1.5", {}, {}},
        TIntRow{"Letters", "abc", {}, {}},
        TIntRow{"TrailingLetters", "12abc", {}, {}},
        TIntRow{"InnerSpace", "1 2", {}, {}},
        TIntRow{"HexDigitInDecimal", "1F", {}, {}},
        TIntRow{"EmbeddedNul", std::string("1\0" "2", 3), {}, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards the failure texts the user sees and the default variants.
TEST(NumConvTest, StrictParsersRaiseWithTheOriginalTexts) {
  try {
    StrToInt("abc");
    ADD_FAILURE() << "StrToInt accepted 'abc'";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt("2147483648"), EConvertError);
  EXPECT_EQ(StrToInt64("2147483648"), 2147483648LL);
  EXPECT_THROW(StrToInt64("1e3"), EConvertError);
  try {
    StrToFloat("x");
    ADD_FAILURE() << "StrToFloat accepted 'x'";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'x' is not a valid floating point value");
  }
  try {
    StrToBool("yes");
    ADD_FAILURE() << "StrToBool accepted 'yes'";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'yes' is not a valid boolean value");
  }
  EXPECT_EQ(StrToIntDef("abc", -1), -1);
  EXPECT_EQ(StrToIntDef(" 42", -1), 42);
  EXPECT_EQ(StrToInt64Def("", 7), 7);
  EXPECT_EQ(StrToFloatDef("1,5", 9.5), 9.5);
  EXPECT_EQ(StrToFloatDef("1.25", 9.5), 1.25);
}

TEST(NumConvTest, IntToStrCoversBothWidths) {
  EXPECT_EQ(IntToStr(int32_t{-2147483647 - 1}), "-2147483648");
  EXPECT_EQ(IntToStr(kMin64), "-9223372036854775808");
  EXPECT_EQ(IntToStr(int32_t{0}), "0");
}

// ---- Floating point ----

struct TFloatToStrRow {
  const char* Name;
  double Value;
  const char* Text;
};

class NumConvFloatToStrTest : public ::testing::TestWithParam<TFloatToStrRow> {};

// Guards the general format: 15 significant digits, "." always, no ".0" on
// whole numbers, exponent form from 1E15 up and below 0.0001.
TEST_P(NumConvFloatToStrTest, WritesTheGeneralFormat) {
  EXPECT_EQ(FloatToStr(GetParam().Value), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumConvFloatToStrTest,
    ::testing::Values(
        TFloatToStrRow{"Zero", 0.0, "0"},
        TFloatToStrRow{"NegativeZero", -0.0, "0"},
        TFloatToStrRow{"WholeNumber", 3.0, "3"},
        TFloatToStrRow{"Hundred", 100.0, "100"},
        TFloatToStrRow{"NegativeHalf", -2.5, "-2.5"},
        TFloatToStrRow{"Tenth", 0.1, "0.1"},
        TFloatToStrRow{"SumShowsRounded", 0.1 + 0.2, "0.3"},
        TFloatToStrRow{"Third", 1.0 / 3.0, "0.333333333333333"},
        TFloatToStrRow{"TwoThirdsRoundsUp", 2.0 / 3.0, "0.666666666666667"},
        TFloatToStrRow{"Mixed", 12345.678, "12345.678"},
        TFloatToStrRow{"FifteenDigits", 123456789012345.0, "123456789012345"},
        TFloatToStrRow{"E14Fixed", 1e14, "100000000000000"},
        TFloatToStrRow{"E15Exponent", 1e15, "1E15"},
        TFloatToStrRow{"RoundsIntoExponent", 999999999999999.9, "1E15"},
        TFloatToStrRow{"E20", 1e20, "1E20"},
        TFloatToStrRow{"LongMantissa", 1.23456789012345678e20, "1.23456789012346E20"},
        TFloatToStrRow{"TenThousandthFixed", 0.0001, "0.0001"},
        TFloatToStrRow{"HundredThousandth", 0.00001, "1E-5"},
        TFloatToStrRow{"SmallWithFraction", 1.5e-7, "1.5E-7"},
        TFloatToStrRow{"NegativeSmall", -1.5e-10, "-1.5E-10"},
        TFloatToStrRow{"Huge", 1.7976931348623157e308, "1.79769313486232E308"},
        TFloatToStrRow{"NaN", std::nan(""), "NAN"},
        TFloatToStrRow{"Infinity", std::numeric_limits<double>::infinity(), "INF"},
        TFloatToStrRow{"MinusInfinity", -std::numeric_limits<double>::infinity(), "-INF"}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TStrToFloatRow {
  const char* Name;
  const char* Text;
  std::optional<double> Value;  // nullopt: refused
};

class NumConvStrToFloatTest : public ::testing::TestWithParam<TStrToFloatRow> {};

// Guards the float grammar: "." only (never a locale's ","), spaces on both
// sides, and none of the extras std::from_chars would take on its own.
TEST_P(NumConvStrToFloatTest, ParsesPerTheFloatRules) {
  const TStrToFloatRow& row = GetParam();
  double value = 12345;
  bool ok = TryStrToFloat(row.Text, value);
  ASSERT_EQ(ok, row.Value.has_value());
  if (ok) {
    EXPECT_EQ(value, *row.Value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumConvStrToFloatTest,
    ::testing::Values(
        TStrToFloatRow{"Decimal", "1.5", 1.5},
        TStrToFloatRow{"Integer", "42", 42.0},
        TStrToFloatRow{"SpacesAround", "  1.5  ", 1.5},
        TStrToFloatRow{"Negative", "-0.25", -0.25},
        TStrToFloatRow{"Plus", "+3", 3.0},
        TStrToFloatRow{"NoIntegerPart", ".5", 0.5},
        TStrToFloatRow{"NoFraction", "5.", 5.0},
        TStrToFloatRow{"Exponent", "1E3", 1000.0},
        TStrToFloatRow{"NegativeExponent", "1.5e-7", 1.5e-7},
        TStrToFloatRow{"SignedExponent", "2E+2", 200.0},
        TStrToFloatRow{"Comma", "1,5", {}},
        TStrToFloatRow{"Thousands", "1,000", {}},
        TStrToFloatRow{"Inf", "inf", {}},
        TStrToFloatRow{"NaN", "nan", {}},
        TStrToFloatRow{"Infinity", "-Infinity", {}},
        TStrToFloatRow{"Empty", "", {}},
        TStrToFloatRow{"PointOnly", ".", {}},
        TStrToFloatRow{"ExponentOnly", "E5", {}},
        TStrToFloatRow{"BareExponent", "1E", {}},
        TStrToFloatRow{"OutOfRange", "1e400", {}},
        TStrToFloatRow{"DoubleSign", "--1", {}},
        TStrToFloatRow{"MixedSign", "+-1", {}},
        TStrToFloatRow{"Hex0x", "0x10", {}},
        TStrToFloatRow{"HexDollar", "$10", {}},
        TStrToFloatRow{"TrailingLetter", "1.5x", {}},
        TStrToFloatRow{"LeadingTab", "\t1.5", {}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards that what FloatToStr writes reads back as the same number.
TEST(NumConvTest, FloatTextReadsBack) {
  for (double value : {0.1, -2.5, 12345.678, 1e20, 1.5e-7, 123456789012345.0}) {
    SCOPED_TRACE(FloatToStr(value));
    EXPECT_EQ(StrToFloat(FloatToStr(value)), value);
  }
}

// ---- Hex ----

// Guards upper case, zero padding, no truncation and the two's complement
// of negative values at each width.
TEST(NumConvTest, IntToHexPadsAndShowsTwosComplement) {
  struct {
    int64_t Value;
    bool Wide;
    int Digits;
    const char* Text;
  } rows[] = {
      {255, false, 2, "FF"},          {255, false, 4, "00FF"},
      {0, false, 0, "0"},             {0xABC, false, 1, "ABC"},
      {31, false, -3, "1F"},          {-1, false, 8, "FFFFFFFF"},
      {-1, false, 2, "FFFFFFFF"},     {-1, true, 4, "FFFFFFFFFFFFFFFF"},
      {0xAFFFFF, false, 6, "AFFFFF"}, {0x123456789AB, true, 12, "0123456789AB"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    AnsiString text = row.Wide ? IntToHex(row.Value, row.Digits)
                               : IntToHex(static_cast<int32_t>(row.Value), row.Digits);
    EXPECT_EQ(text, row.Text);
  }
  EXPECT_EQ(IntToHex(int32_t{1}, 255).size(), 255u);
  EXPECT_THROW(IntToHex(int32_t{1}, 256), EConvertError);
}

// ---- Booleans ----

TEST(NumConvTest, BoolToStrHasBothForms) {
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_EQ(BoolToStr(false, true), "False");
}

// Guards the boolean texts: names in any case, any number (non-zero true),
// and a refusal rather than "false" for anything else.
TEST(NumConvTest, StrToBoolReadsNamesAndNumbers) {
  struct {
    const char* Text;
    std::optional<bool> Value;
  } rows[] = {
      {"True", true},  {"true", true},   {"FALSE", false}, {"fAlSe", false},
      {"1", true},     {"-1", true},     {"0", false},     {"0.0", false},
      {" 2 ", true},   {"0.5", true},    {"yes", {}},      {"", {}},
      {"Truee", {}},   {" True", {}},    {"T", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    bool value = false;
    ASSERT_EQ(TryStrToBool(row.Text, value), row.Value.has_value());
    if (row.Value) {
      EXPECT_EQ(value, *row.Value);
      EXPECT_EQ(StrToBool(row.Text), *row.Value);
    }
  }
  // The written forms read back.
  EXPECT_TRUE(StrToBool(BoolToStr(true)));
  EXPECT_FALSE(StrToBool(BoolToStr(false, true)));
}

}  // namespace
