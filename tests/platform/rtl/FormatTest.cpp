// Format: every type letter, widths, precisions, "*", indexes and the
// errors. Expected texts follow the published rules of the original's Format
// (minimum digits for %d and %x, upper-case hex, 15 significant digits for
// %e and %g, 2 decimals for %f/%n/%m, three exponent digits).
#include "platform/rtl/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"

namespace {

// Format's %s cuts and wide strings follow the system code page: fix it at
// GBK for the whole suite and put the old one back.
class FormatCodePageGuard {
public:
  FormatCodePageGuard() : FSaved(SystemCodePage()) { SetSystemCodePage(936); }
  ~FormatCodePageGuard() { SetSystemCodePage(FSaved); }

private:
  int FSaved;
};

struct TFormatRow {
  const char* Name;
  std::string Fmt;
  std::vector<Variant> Args;
  std::string Expected;
};

void PrintTo(const TFormatRow& row, std::ostream* os) {
  *os << row.Name << " \"" << row.Fmt << "\"";
}

class FormatTest : public testing::TestWithParam<TFormatRow> {};

// Each row guards the rule in its name; together they catch a printf
// pass-through (lower-case hex, "1.234500e+03", "inf", half-even rounding).
TEST_P(FormatTest, FormatsByTheOriginalRules) {
  const FormatCodePageGuard guard;
  const TFormatRow& row = GetParam();
  EXPECT_EQ(Format(row.Fmt, std::span<const Variant>(row.Args)), row.Expected);
}

const double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatTest,
    testing::Values(
        // ---- integers ----
        TFormatRow{"D_Plain", "%d", {int32_t(42)}, "42"},
        TFormatRow{"D_Negative", "[%d]", {int32_t(-42)}, "[-42]"},
        TFormatRow{"D_PrecisionPadsZeros", "%.2d", {int32_t(5)}, "05"},
        TFormatRow{"D_PrecisionAfterSign", "%.2d", {int32_t(-5)}, "-05"},
        TFormatRow{"D_DatePieces", "%.4d%s%.2d%s%.2d",
                   {int32_t(7), "/", int32_t(3), "/", int32_t(9)}, "0007/03/09"},
        TFormatRow{"D_WidthAndPrecision", "%6.3d", {int32_t(-7)}, "  -007"},
        TFormatRow{"D_NarrowWidthIgnored", "%1d", {int32_t(1234)}, "1234"},
        TFormatRow{"D_SmallInt", "%d", {int16_t(-3)}, "-3"},
        TFormatRow{"D_Int64Min", "%d", {std::numeric_limits<int64_t>::min()},
                   "-9223372036854775808"},
        TFormatRow{"U_Wraps32Bits", "%u", {int32_t(-1)}, "4294967295"},
        TFormatRow{"U_Wraps64Bits", "%u", {int64_t(-1)}, "18446744073709551615"},
        TFormatRow{"X_UpperCase", "%x", {int32_t(255)}, "FF"},
        TFormatRow{"X_Precision", "%.4x", {int32_t(255)}, "00FF"},
        TFormatRow{"X_Negative32", "%x", {int32_t(-1)}, "FFFFFFFF"},
        TFormatRow{"X_SmallIntAs32", "%x", {int16_t(-1)}, "FFFFFFFF"},
        TFormatRow{"X_Negative64", "%X", {int64_t(-2)}, "FFFFFFFFFFFFFFFE"},
        TFormatRow{"P_EightDigits", "%p", {int32_t(255)}, "000000FF"},
        // ---- strings ----
        TFormatRow{"S_Plain", "<%s>", {"abc"}, "<abc>"},
        TFormatRow{"S_Width", "%5s|", {"abc"}, "  abc|"},
        TFormatRow{"S_LeftAligned", "%-5s|", {"abc"}, "abc  |"},
        TFormatRow{"S_PrecisionCuts", "%.2s", {"abcdef"}, "ab"},
        TFormatRow{"S_CutKeepsWholeCharacter", "%.2s|%.3s", {"a\xD6\xD0", "a\xD6\xD0"},
                   "a|a\xD6\xD0"},  // a中
        TFormatRow{"S_WideInSystemCodePage", "%s", {u"\u4E2D"}, "\xD6\xD0"},  // 中
        TFormatRow{"S_GbkFormatText", "\xD6\xD0%s", {"x"}, "\xD6\xD0x"},
        TFormatRow{"S_EmptyWithWidth", "%3s|", {""}, "   |"},
        // ---- floats ----
        TFormatRow{"F_Default2", "%f", {1.0}, "1.00"},
        TFormatRow{"F_WidthPrecisionPercent", "%3.2f%%", {12.5}, "12.50%"},
        TFormatRow{"F_HalfAwayFromZero", "%.2f|%.0f|%.1f", {0.125, 2.5, -0.25}, "0.13|3|-0.3"},
        TFormatRow{"F_NegativeRoundsToZero", "%.2f", {-0.001}, "0.00"},
        TFormatRow{"F_CarryIntoNewDigit", "%.1f", {9.96}, "10.0"},
        TFormatRow{"F_Large", "%.1f", {1e20}, "100000000000000000000.0"},
        TFormatRow{"F_Small", "%.3f", {0.0004}, "0.000"},
        TFormatRow{"F_WidthNegative", "%8.3f", {-3.14159}, "  -3.142"},
        TFormatRow{"F_DateIsItsDayCount", "%.1f", {TDateTime(45000.5)}, "45000.5"},
        TFormatRow{"F_NonFinite", "%f|%5f|%f", {std::nan(""), Inf, -Inf}, "NAN|  INF|-INF"},
        TFormatRow{"N_Thousands", "%n", {1234567.891}, "1,234,567.89"},
        TFormatRow{"N_NegativeRounded", "%.0n", {-999.5}, "-1,000"},
        TFormatRow{"N_Small", "%n", {12.0}, "12.00"},
        TFormatRow{"M_Money", "%m|%m", {1234.5, -1234.5}, "$1,234.50|($1,234.50)"},
        TFormatRow{"E_Default15", "%e", {1234.5}, "1.23450000000000E+003"},
        TFormatRow{"E_Precision", "%.3e", {-0.00012345}, "-1.23E-004"},
        TFormatRow{"E_OneDigit", "%.1e", {9.96}, "1E+001"},
        TFormatRow{"E_Zero", "%.2e", {0.0}, "0.0E+000"},
        TFormatRow{"G_Fixed", "%g|%g|%g", {0.1, 123456.0, -2.5}, "0.1|123456|-2.5"},
        TFormatRow{"G_Scientific", "%g|%g", {1e20, 0.000001}, "1E020|1E-006"},
        TFormatRow{"G_SmallestFixed", "%g", {0.00001}, "0.00001"},
        TFormatRow{"G_Precision", "%.3g|%.3g", {1234.5, 12.345}, "1.23E003|12.3"},
        TFormatRow{"G_FifteenDigits", "%g", {1.0 / 3.0}, "0.333333333333333"},
        // ---- indexes, stars, escapes ----
        TFormatRow{"Index_Reorders", "%1:s %0:s", {"a", "b"}, "b a"},
        TFormatRow{"Index_MovesThePointer", "%d %d %0:d %d", {int32_t(10), int32_t(20)},
                   "10 20 10 20"},
        TFormatRow{"Index_WithAlignment", "%0:-4s|", {"ab"}, "ab  |"},
        TFormatRow{"Star_Width", "%*d", {int32_t(5), int32_t(42)}, "   42"},
        TFormatRow{"Star_LeftWidth", "%-*d|", {int32_t(4), int32_t(7)}, "7   |"},
        TFormatRow{"Star_NegativeWidthAlignsLeft", "%*d|", {int32_t(-4), int32_t(7)}, "7   |"},
        TFormatRow{"Star_Both", "%*.*f", {int32_t(8), int32_t(3), 3.14159}, "   3.142"},
        TFormatRow{"Percent", "100%% %%d", {}, "100% %d"},
        TFormatRow{"TypeLetterEitherCase", "%S %D %X", {"a", int32_t(1), int32_t(171)}, "a 1 AB"},
        TFormatRow{"SurplusIgnored", "%d", {int32_t(1), int32_t(2), "x"}, "1"},
        TFormatRow{"NoSpecifiers", "plain", {int32_t(1)}, "plain"}),
    [](const testing::TestParamInfo<TFormatRow>& info) { return std::string(info.param.Name); });

enum TErrorKind { Missing, Invalid };

struct TErrorRow {
  const char* Name;
  std::string Fmt;
  std::vector<Variant> Args;
  TErrorKind Kind;
  std::string Spec;  // the specifier the message quotes

  std::string Message() const {
    return Kind == Missing ? "No argument for format '" + Spec + "'"
                           : "Format '" + Spec + "' invalid or incompatible with argument";
  }
};

void PrintTo(const TErrorRow& row, std::ostream* os) {
  *os << row.Name << " \"" << row.Fmt << "\"";
}

class FormatErrorTest : public testing::TestWithParam<TErrorRow> {};

// Guards against a crash, a silent empty text, or a coercion the original
// refuses (a text into %d, an integer into %f).
TEST_P(FormatErrorTest, RaisesConvertError) {
  const TErrorRow& row = GetParam();
  try {
    const AnsiString result = Format(row.Fmt, std::span<const Variant>(row.Args));
    ADD_FAILURE() << "no exception; result \"" << result << "\"";
  } catch (const EConvertError& e) {
    const std::string expected = row.Message();
    EXPECT_EQ(e.Message().substr(0, expected.size()), expected) << e.Message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatErrorTest,
    testing::Values(
        TErrorRow{"MissingArgument", "%d", {}, Missing, "%d"},
        TErrorRow{"MissingSecond", "%d-%s", {int32_t(1)}, Missing, "%s"},
        TErrorRow{"IndexPastEnd", "%5:d", {int32_t(1)}, Missing, "%5:d"},
        TErrorRow{"TextForD", "%d", {"12"}, Invalid, "%d"},
        TErrorRow{"DoubleForD", "%.2d", {1.5}, Invalid, "%.2d"},
        TErrorRow{"BooleanForD", "%d", {true}, Invalid, "%d"},
        TErrorRow{"IntegerForF", "%3.2f", {int32_t(12)}, Invalid, "%3.2f"},
        TErrorRow{"IntegerForS", "%s", {int32_t(42)}, Invalid, "%s"},
        TErrorRow{"NullForS", "%s", {Variant::Null()}, Invalid, "%s"},
        TErrorRow{"EmptyForS", "%s", {Variant()}, Invalid, "%s"},
        TErrorRow{"UnknownType", "%z", {int32_t(1)}, Invalid, "%z"},
        TErrorRow{"TrailingPercent", "abc%", {}, Invalid, "%"},
        TErrorRow{"NoTypeLetter", "%5", {int32_t(1)}, Invalid, "%5"},
        TErrorRow{"StarTakesText", "%*d", {"x", int32_t(1)}, Invalid, "%*"},
        TErrorRow{"HugeWidth", "%999999999d", {int32_t(1)}, Invalid, "%999999999"}),
    [](const testing::TestParamInfo<TErrorRow>& info) { return std::string(info.param.Name); });

// Guards against a message that names the rule but not the argument: the
// caller must be able to find which argument was wrong.
TEST(FormatMessageTest, NamesTheOffendingArgument) {
  try {
    Format("%d %d", {int32_t(1), "two"});
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_NE(e.Message().find("argument 1"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("String"), std::string::npos) << e.Message();
  }
}

// Guards against the two overloads disagreeing.
TEST(FormatMessageTest, ListAndSpanAgree) {
  const std::vector<Variant> args = {"x", int32_t(2)};
  EXPECT_EQ(Format("%s=%d", std::span<const Variant>(args)), "x=2");
  EXPECT_EQ(Format("%s=%d", {"x", int32_t(2)}), "x=2");
  EXPECT_EQ(Format("none", {}), "none");
}

}  // namespace
