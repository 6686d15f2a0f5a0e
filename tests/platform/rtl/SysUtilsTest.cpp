// Text helpers on byte strings. The GBK and Big5 data come from Python's
// codecs (b"\xB0\x61".decode("gbk") == "癮"); characters are chosen so that
// their trail byte is an ASCII letter or a backslash, the bytes a byte-wise
// helper would corrupt.
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextSupport.h"

namespace {

using namespace std::string_view_literals;


// GBK characters whose trail byte looks like something else.
constexpr std::string_view Yin = "\xB0\x61";   // 癮, trail 'a'
constexpr std::string_view Fei = "\xB0\x41";   // 癈, trail 'A'
constexpr std::string_view Sheng = "\x95\x4E"; // 昇, trail 'N'
constexpr std::string_view Cheng = "\x81\x5C"; // 乗, trail '\'
constexpr std::string_view Zhong = "\xD6\xD0"; // 中

std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out += part;
  return out;
}

// ---- Trimming ----

// Guards against trimming only spaces (the list separators #1, #3, #4 and
// NUL must go too) and against trimming GBK bytes >= 0x80.
TEST(SysUtilsTest, TrimRemovesEveryByteUpToSpace) {
  struct TRow {
    std::string_view In, Left, Right, Both;
  };
  const TRow rows[] = {
      {"  abc  ", "abc  ", "  abc", "abc"},
      {"\x01\x03\x04" "a b\r\n\t", "a b\r\n\t", "\x01\x03\x04" "a b", "a b"},
      {"\0a\0"sv, "a\0"sv, "\0a"sv, "a"},
      // 　x　 (ideographic spaces are not blanks)
      {"\xA1\xA1x\xA1\xA1", "\xA1\xA1x\xA1\xA1", "\xA1\xA1x\xA1\xA1", "\xA1\xA1x\xA1\xA1"},
      {"\x80 \xFF", "\x80 \xFF", "\x80 \xFF", "\x80 \xFF"},
      {" \x7F ", "\x7F ", " \x7F", "\x7F"},
      {"   ", "", "", ""},
      {"", "", "", ""},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(Hex(row.In));
    EXPECT_EQ(Hex(TrimLeft(row.In)), Hex(row.Left));
    EXPECT_EQ(Hex(TrimRight(row.In)), Hex(row.Right));
    EXPECT_EQ(Hex(Trim(row.In)), Hex(row.Both));
  }
}

// ---- ASCII case ----

struct TCaseRow {
  const char* Name;
  int CodePage;
  std::string In;
  std::string Upper;
  std::string Lower;
};

void PrintTo(const TCaseRow& row, std::ostream* os) { *os << row.Name << " " << Hex(row.In); }

class SysUtilsCaseTest : public testing::TestWithParam<TCaseRow> {};

// Guards against a byte-wise toupper that turns 癮 into 癈 (trail 'a' -> 'A'),
// and against locale letters changing in the ASCII-only helpers.
TEST_P(SysUtilsCaseTest, MapsAsciiLettersOnly) {
  const TCaseRow& row = GetParam();
  EXPECT_EQ(Hex(UpperCase(row.In, row.CodePage)), Hex(row.Upper));
  EXPECT_EQ(Hex(LowerCase(row.In, row.CodePage)), Hex(row.Lower));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SysUtilsCaseTest,
    testing::Values(
        TCaseRow{"Ascii", 936, "aBc1_z", "ABC1_Z", "abc1_z"},
        TCaseRow{"Gbk_TrailLetters", 936, Cat({Yin, "a", Sheng, "N"}), Cat({Yin, "A", Sheng, "N"}),
                 Cat({Yin, "a", Sheng, "n"})},
        TCaseRow{"Gbk_CutLeadAtEnd", 936, "a\xB0", "A\xB0", "a\xB0"},
        TCaseRow{"Gbk_LeadBeforeDigit", 936, "\xB0" "1a", "\xB0" "1A", "\xB0" "1a"},
        TCaseRow{"Big5_TrailLetter", 950, "\xA4\x61" "a", "\xA4\x61" "A", "\xA4\x61" "a"},  // 兀
        TCaseRow{"Cp1252_LatinUntouched", 1252, "\xE4" "a\xC4" "B", "\xE4" "A\xC4" "B",
                 "\xE4" "a\xC4" "b"},
        TCaseRow{"Empty", 936, "", "", ""}),
    [](const testing::TestParamInfo<TCaseRow>& info) { return std::string(info.param.Name); });

// ---- Comparison ----

// Guards against signed bytes (0x80 sorting before 'a') and against a
// prefix sorting after the longer text.
TEST(SysUtilsTest, CompareStrIsUnsignedByteOrder) {
  struct TRow {
    std::string_view A, B;
    int Sign;
  };
  const TRow rows[] = {
      {"a", "b", -1}, {"b", "a", 1},     {"abc", "abc", 0}, {"A", "a", -1},
      {"\x80", "a", 1}, {"ab", "a", 1},  {"", "a", -1},     {"a\0b"sv, "a\0c"sv, -1},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(Hex(row.A) + " vs " + Hex(row.B));
    EXPECT_EQ(CompareStr(row.A, row.B), row.Sign);
    EXPECT_EQ(SameStr(row.A, row.B), row.Sign == 0);
  }
}

// Guards against two different Chinese characters comparing equal because
// their trail bytes differ only in ASCII case, and against folding to lower
// case ('_' sorts after the letters only when folding to upper case).
TEST(SysUtilsTest, CompareTextIgnoresAsciiCaseOnly) {
  struct TRow {
    std::string A, B;
    int Sign;
  };
  const TRow rows[] = {
      {"abc", "ABC", 0},
      {"a", "B", -1},
      {"_", "a", 1},
      {"ab", "ABC", -1},
      {"", "", 0},
      {"\xFF", "a", 1},
      {std::string(Yin), std::string(Fei), 1},
      {Cat({Zhong, "abc"}), Cat({Zhong, "ABC"}), 0},
      {"\xE4", "\xC4", 1},  // ä and Ä in 1252 bytes: not ASCII, not folded
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(Hex(row.A) + " vs " + Hex(row.B));
    EXPECT_EQ(CompareText(row.A, row.B, 936), row.Sign);
    EXPECT_EQ(CompareText(row.B, row.A, 936), -row.Sign);
    EXPECT_EQ(SameText(row.A, row.B, 936), row.Sign == 0);
  }
}

// ---- Locale case ----

struct TLocaleCaseRow {
  const char* Name;
  int CodePage;
  std::string In;
  std::string Upper;
  std::string Lower;
};

void PrintTo(const TLocaleCaseRow& row, std::ostream* os) {
  *os << row.Name << " " << Hex(row.In);
}

class SysUtilsLocaleCaseTest : public testing::TestWithParam<TLocaleCaseRow> {};

// Guards against byte-wise mapping (trail bytes), against losing a
// character whose other case the code page lacks, and against invalid bytes
// turning into "?".
TEST_P(SysUtilsLocaleCaseTest, MapsEveryLetterTheCodePageHolds) {
  const TLocaleCaseRow& row = GetParam();
  EXPECT_EQ(Hex(AnsiUpperCase(row.In, row.CodePage)), Hex(row.Upper));
  EXPECT_EQ(Hex(AnsiLowerCase(row.In, row.CodePage)), Hex(row.Lower));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SysUtilsLocaleCaseTest,
    testing::Values(
        TLocaleCaseRow{"Gbk_Fullwidth", 936, "a\xA3\xE1", "A\xA3\xC1", "a\xA3\xE1"},  // ａ Ａ
        TLocaleCaseRow{"Gbk_Greek", 936, "\xA6\xD8", "\xA6\xB8", "\xA6\xD8"},         // ω Ω
        TLocaleCaseRow{"Gbk_Cyrillic", 936, "\xA7\xA5", "\xA7\xA5", "\xA7\xD5"},      // Д д
        TLocaleCaseRow{"Gbk_OtherCaseMissing", 936, "\xA8\xA3", "\xA8\xA3", "\xA8\xA3"},  // ǎ
        TLocaleCaseRow{"Gbk_TrailLetters", 936, Cat({Yin, "a", Sheng}), Cat({Yin, "A", Sheng}),
                       Cat({Yin, "a", Sheng})},
        TLocaleCaseRow{"Gbk_InvalidBytesKept", 936, "\xFF" "a\xD6", "\xFF" "A\xD6", "\xFF" "a\xD6"},
        // äÿ -> ÄŸ
        TLocaleCaseRow{"Cp1252_Latin", 1252, "\xE4\xFF" "a", "\xC4\x9F" "A", "\xE4\xFF" "a"},
        TLocaleCaseRow{"Cp1252_SharpS", 1252, "\xDF", "\xDF", "\xDF"},                       // ß
        TLocaleCaseRow{"Utf8", CP_UTF8, "\xC3\xA4\xE4\xB8\xAD", "\xC3\x84\xE4\xB8\xAD",
                       "\xC3\xA4\xE4\xB8\xAD"}),  // ä中
    [](const testing::TestParamInfo<TLocaleCaseRow>& info) {
      return std::string(info.param.Name);
    });

// Guards against ASCII-only folding in the locale comparison, and against
// two different invalid bytes comparing equal (both decode to U+FFFD).
TEST(SysUtilsTest, AnsiCompareTextFoldsEveryScript) {
  struct TRow {
    int CodePage;
    std::string A, B;
    int Sign;
  };
  const TRow rows[] = {
      {936, "\xA3\xE1", "\xA3\xC1", 0},  // ａ Ａ
      {936, "\xA6\xD8", "\xA6\xB8", 0},  // ω Ω
      {936, "abc", "ABC", 0},
      {936, "a", "B", -1},
      {936, std::string(Yin), std::string(Fei), 1},
      {936, "\x81", "\x82", -1},
      {936, Cat({Zhong, "x"}), Cat({Zhong, "X"}), 0},
      {1252, "\xE4", "\xC4", 0},         // ä Ä
      {1252, "\xE4", "b", 1},            // code-point order, not a dictionary's
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(Hex(row.A) + " vs " + Hex(row.B));
    EXPECT_EQ(AnsiCompareText(row.A, row.B, row.CodePage), row.Sign);
    EXPECT_EQ(AnsiCompareText(row.B, row.A, row.CodePage), -row.Sign);
    EXPECT_EQ(AnsiSameText(row.A, row.B, row.CodePage), row.Sign == 0);
  }
}

// ---- Searching and copying ----

// Guards against 0-based results, a hit for the empty text, and (AnsiPos)
// a match that starts on a trail byte or ends inside a character.
TEST(SysUtilsTest, PosFindsOneBasedBytePositions) {
  struct TRow {
    std::string Sub, S;
    int Pos, AnsiPos;
  };
  const TRow rows[] = {
      {"b", "abc", 2, 2},
      {"bc", "abcbc", 2, 2},
      {"", "abc", 0, 0},
      {"x", "abc", 0, 0},
      {"abc", "ab", 0, 0},
      {"a", Cat({Yin, "a"}), 2, 3},
      {"a\xD6", Cat({"a", Zhong}), 1, 0},
      {std::string(Zhong), Cat({"x", Zhong}), 2, 2},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(Hex(row.Sub) + " in " + Hex(row.S));
    EXPECT_EQ(Pos(row.Sub, row.S), row.Pos);
    EXPECT_EQ(AnsiPos(row.Sub, row.S, 936), row.AnsiPos);
  }
}

// Guards against reading past the end, a negative count, and an index below
// 1 shortening the count (the original starts at 1 and keeps the count).
TEST(SysUtilsTest, CopyClampsLikeTheOriginal) {
  struct TRow {
    int Index, Count;
    std::string_view Result;
  };
  const TRow rows[] = {
      {2, 3, "bcd"},   {1, 5, "abcde"}, {0, 2, "ab"},         {-5, 2, "ab"},
      {4, 10, "de"},   {5, 1, "e"},     {6, 1, ""},           {1, 0, ""},
      {1, -1, ""},     {2, INT_MAX, "bcde"}, {INT_MAX, INT_MAX, ""}, {INT_MIN, 1, "a"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "Copy(\"abcde\", " << row.Index << ", " << row.Count << ")");
    EXPECT_EQ(Copy("abcde", row.Index, row.Count), row.Result);
  }
}

// ---- Replacing ----

// Guards against endless loops (empty pattern, a replacement containing the
// pattern), replacing a trail byte, and case-insensitive matching that
// equates two Chinese characters.
TEST(SysUtilsTest, StringReplaceHonoursFlagsAndCharacters) {
  struct TRow {
    const char* Name;
    std::string S, Old, New;
    TReplaceFlags Flags;
    std::string Result;
  };
  const TRow rows[] = {
      {"FirstOnly", "a.b.c", ".", "-", 0, "a-b.c"},
      {"All", "a.b.c", ".", "-", rfReplaceAll, "a-b-c"},
      {"CaseSensitiveMiss", "ABC", "b", "x", rfReplaceAll, "ABC"},
      {"IgnoreCase", "ABC abc", "b", "x", rfReplaceAll | rfIgnoreCase, "AxC axc"},
      {"IgnoreCaseFirst", "ABC abc", "b", "x", rfIgnoreCase, "AxC abc"},
      {"EmptyPattern", "abc", "", "x", rfReplaceAll, "abc"},
      {"ReplacementHoldsPattern", "aaa", "a", "aa", rfReplaceAll, "aaaaaa"},
      {"Delete", "a, b, c", ", ", "", rfReplaceAll, "abc"},
      {"Gbk_TrailByteKept", Cat({Yin, "a"}), "a", "b", rfReplaceAll, Cat({Yin, "b"})},
      {"Gbk_OtherCharacterKept", Cat({Fei, "x"}), std::string(Yin), "!",
       rfReplaceAll | rfIgnoreCase, Cat({Fei, "x"})},
      {"Gbk_Whole", Cat({Zhong, "a", Zhong}), std::string(Zhong), "z", rfReplaceAll, "zaz"},
      {"Gbk_HalfCharacterKept", Cat({Zhong}), "\xD6", "z", rfReplaceAll, std::string(Zhong)},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(Hex(StringReplace(row.S, row.Old, row.New, row.Flags, 936)), Hex(row.Result));
  }
}

// ---- Small builders and tests ----

// Guards against quotes left single (the text would end early when read back).
TEST(SysUtilsTest, QuotedStrDoublesQuotes) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(QuotedStr("''"), "''''''");
  EXPECT_EQ(Hex(QuotedStr(Zhong)), Hex(Cat({"'", Zhong, "'"})));
}

// Guards against a negative count reaching the string constructor.
TEST(SysUtilsTest, StringOfCharRepeats) {
  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('x', 0), "");
  EXPECT_EQ(StringOfChar('x', -1), "");
}

// Guards against taking the trail byte of 乗 (0x5C) or 功 (0x5C in Big5) for
// a path separator.
TEST(SysUtilsTest, DelimitersNeverMatchTrailBytes) {
  const std::string gbk = Cat({"a\\", Cheng, "\\", Cheng});  // a\乗\乗
  EXPECT_EQ(LastDelimiter("\\", gbk, 936), 5);
  EXPECT_EQ(LastDelimiter("/\\", "a/b", 936), 2);
  EXPECT_EQ(LastDelimiter("\\", "abc", 936), 0);
  EXPECT_EQ(LastDelimiter("\\", "dir\\\xA5\x5C", 950), 4);  // dir\功
  EXPECT_EQ(LastDelimiter("\\", "dir\\\xA5\x5C", 1252), 6);

  // Index 0 and 8 lie outside; 4 and 7 are the trail bytes.
  const bool expected[] = {false, false, true, false, false, true, false, false, false};
  for (int index = 0; index <= 8; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(IsDelimiter("\\", gbk, index, 936), expected[index]);
  }
  EXPECT_FALSE(IsDelimiter("\\", gbk, 100, 936));
}

// Guards against an unknown code page walking silently as single-byte.
TEST(SysUtilsTest, UnknownCodePageIsAnError) {
  EXPECT_THROW(UpperCase("a", 12345), EConvertError);
  EXPECT_THROW(CompareText("a", "b", 12345), EConvertError);
  EXPECT_THROW(AnsiUpperCase("a", 12345), EConvertError);
  EXPECT_THROW(StringReplace("a", "a", "b", 0, 12345), EConvertError);
  EXPECT_THROW(LastDelimiter("\\", "a", 12345), EConvertError);
}

// Forces the system code page for the defaults and puts it back.
class SysUtilsSystemCodePageTest : public testing::Test {
protected:
  void SetUp() override { FSaved = SystemCodePage(); }
  void TearDown() override { SetSystemCodePage(FSaved); }

private:
  int FSaved = 0;
};

// Guards against the defaults ignoring the system code page: on a 936 system
// the trail bytes are safe, on a 1252 system the same bytes are letters.
TEST_F(SysUtilsSystemCodePageTest, DefaultsFollowTheSystemCodePage) {
  const std::string text = Cat({Yin, "a"});
  SetSystemCodePage(936);
  EXPECT_EQ(Hex(UpperCase(text)), Hex(Cat({Yin, "A"})));
  EXPECT_FALSE(SameText(Yin, Fei));
  SetSystemCodePage(1252);
  EXPECT_EQ(Hex(UpperCase(text)), Hex("\xB0" "AA"));
  EXPECT_TRUE(SameText(Yin, Fei));
}

}  // namespace
