// Code pages: the Windows tables through ICU, the Windows-style calls, lead
// bytes and the system code page. Byte data come from Python's codecs
// (b"\xD6\xD0".decode("gbk") and friends) and from the published Windows
// tables for the rows where those differ from glibc (0x80/0x81 in 1252, the
// user-defined area of 936).
#include "platform/rtl/CodePage.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextSupport.h"

namespace {



// ---- Decoding ----

struct TDecodeRow {
  const char* Name;
  int CodePage;
  std::string_view Bytes;
  std::u16string_view Text;
};

void PrintTo(const TDecodeRow& row, std::ostream* os) { *os << row.Name; }

class CodePageDecodeTest : public testing::TestWithParam<TDecodeRow> {};

// Guards against the wrong table (glibc's rejects 0xAAA1 and 0x81 in 1252),
// against losing the byte after a broken lead byte, and against cutting at NUL.
TEST_P(CodePageDecodeTest, DecodesWithTheWindowsTable) {
  const TDecodeRow& row = GetParam();
  EXPECT_EQ(Hex(CodePageToWide(row.CodePage, row.Bytes)), Hex(row.Text));
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Rows, CodePageDecodeTest,
    testing::Values(
        TDecodeRow{"Gbk_Zhong", 936, "\xD6\xD0"sv, u"\u4E2D"sv},                 // 中
        TDecodeRow{"Gbk_TrailIsLetter", 936, "\xB0\x61"sv, u"\u766E"sv},         // 癮
        TDecodeRow{"Gbk_UserDefinedArea", 936, "\xAA\xA1"sv, u"\uE000"sv},
        TDecodeRow{"Gbk_SingleByteEuro", 936, "\x80"sv, u"\u20AC"sv},
        TDecodeRow{"Gbk_CutAtEnd", 936, "A\xD6"sv, u"A\uFFFD"sv},
        TDecodeRow{"Gbk_LeadBeforeNewline", 936, "\xD6\nB"sv, u"\uFFFD\nB"sv},
        TDecodeRow{"Gbk_EmbeddedNul", 936, "a\0b"sv, u"a\0b"sv},
        TDecodeRow{"Big5_Zhong", 950, "\xA4\xA4"sv, u"\u4E2D"sv},                // 中
        TDecodeRow{"Big5_TrailIsBackslash", 950, "\xA5\x5C"sv, u"\u529F"sv},     // 功
        TDecodeRow{"Big5_CutAtEnd", 950, "\xA4"sv, u"\uFFFD"sv},
        TDecodeRow{"Cp1252_Euro", 1252, "\x80"sv, u"\u20AC"sv},
        TDecodeRow{"Cp1252_UndefinedPassesThrough", 1252, "\x81\x8D\x8F\x90\x9D"sv,
                   u"\u0081\u008D\u008F\u0090\u009D"sv},
        TDecodeRow{"Cp1252_Latin", 1252, "\xE4\xFF"sv, u"\u00E4\u00FF"sv},       // äÿ
        TDecodeRow{"Utf8_Zhong", CP_UTF8, "\xE4\xB8\xAD"sv, u"\u4E2D"sv},
        TDecodeRow{"Utf8_Invalid", CP_UTF8, "a\xFF"sv, u"a\uFFFD"sv},
        TDecodeRow{"Empty", 936, ""sv, u""sv}),
    [](const testing::TestParamInfo<TDecodeRow>& info) { return std::string(info.param.Name); });

// ---- Encoding ----

struct TEncodeRow {
  const char* Name;
  int CodePage;
  std::u16string_view Text;
  std::string_view Bytes;
  bool UsedDefault;
};

void PrintTo(const TEncodeRow& row, std::ostream* os) { *os << row.Name; }

class CodePageEncodeTest : public testing::TestWithParam<TEncodeRow> {};

// Guards against failing (or writing ICU's 0x1A) where Windows writes "?",
// and against a "?" that nobody is told about.
TEST_P(CodePageEncodeTest, EncodesWithDefaultCharacter) {
  const TEncodeRow& row = GetParam();
  bool usedDefault = !row.UsedDefault;
  EXPECT_EQ(Hex(WideToCodePage(row.CodePage, row.Text, &usedDefault)), Hex(row.Bytes));
  EXPECT_EQ(usedDefault, row.UsedDefault);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CodePageEncodeTest,
    testing::Values(
        TEncodeRow{"Gbk_Zhong", 936, u"\u4E2D"sv, "\xD6\xD0"sv, false},
        TEncodeRow{"Gbk_UserDefinedArea", 936, u"\uE000"sv, "\xAA\xA1"sv, false},
        TEncodeRow{"Gbk_Emoji", 936, u"a\U0001F600b"sv, "a?b"sv, true},
        TEncodeRow{"Gbk_LoneSurrogate", 936, u"\xD800"sv, "?"sv, true},
        TEncodeRow{"Big5_Zhong", 950, u"\u4E2D"sv, "\xA4\xA4"sv, false},
        TEncodeRow{"Big5_SimplifiedOnly", 950, u"\u4E2A"sv, "?"sv, true},        // 个
        TEncodeRow{"Cp1252_Euro", 1252, u"\u20AC\u0081"sv, "\x80\x81"sv, false},
        TEncodeRow{"Cp1252_Chinese", 1252, u"\u4E2D"sv, "?"sv, true},
        TEncodeRow{"Utf8_Emoji", CP_UTF8, u"\U0001F600"sv, "\xF0\x9F\x98\x80"sv, false},
        TEncodeRow{"EmbeddedNul", 936, u"a\0b"sv, "a\0b"sv, false}),
    [](const testing::TestParamInfo<TEncodeRow>& info) { return std::string(info.param.Name); });

// Guards against the euro sign or a user-defined character not surviving the
// trip between two double-byte pages through UTF-16.
TEST(CodePageTest, ConvertsBetweenCodePages) {
  EXPECT_EQ(Hex(ConvertCodePage(936, 950, "\xD6\xD0")), Hex("\xA4\xA4"));  // 中
  EXPECT_EQ(Hex(ConvertCodePage(1252, 936, "\x80")), Hex("\x80"));         // €
  EXPECT_EQ(Hex(ConvertCodePage(936, CP_UTF8, "\xD6\xD0")), Hex("\xE4\xB8\xAD"));
  EXPECT_EQ(WideToUtf8(u"\u4E2D\xD800"), "\xE4\xB8\xAD\xEF\xBF\xBD");
  EXPECT_EQ(Hex(Utf8ToWide("\xE4\xB8\xAD\xC0")), Hex(u"\u4E2D\uFFFD"));
}

// Guards against an unknown code page converting silently as Latin-1.
TEST(CodePageTest, UnknownCodePageIsAnError) {
  for (int codePage : {12345, -1, 1200, 70000}) {
    SCOPED_TRACE(codePage);
    EXPECT_FALSE(IsCodePageSupported(codePage));
    try {
      CodePageToWide(codePage, "a");
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find(std::to_string(codePage)), std::string::npos) << e.Message();
    }
    EXPECT_THROW(WideToCodePage(codePage, u"a"), EConvertError);
    char16_t wide[4] = {};
    char bytes[4] = {};
    EXPECT_EQ(MultiByteToWideChar(codePage, 0, "a", 1, wide, 4), 0);
    EXPECT_EQ(WideCharToMultiByte(codePage, 0, u"a", 1, bytes, 4, nullptr, nullptr), 0);
    EXPECT_FALSE(IsDBCSLeadByteEx(codePage, 0xD6));
  }
  EXPECT_TRUE(IsCodePageSupported(CP_ACP));
  EXPECT_TRUE(IsCodePageSupported(437));  // known to ICU by its IBM name
}

// ---- The Windows-style calls ----

// Guards against a size query that writes, a -1 length that drops the
// terminator, and a short buffer that reports success.
TEST(CodePageTest, MultiByteToWideCharFollowsTheWindowsContract) {
  const char* text = "A\xD6\xD0";  // A中
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, 3, nullptr, 0), 2);
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, -1, nullptr, 0), 3);

  char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, -1, buffer, 4), 3);
  EXPECT_EQ(Hex(std::u16string_view(buffer, 4)), Hex(u"A\u4E2D\0x"sv));

  char16_t small[2] = {u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, -1, small, 2), 0);
  EXPECT_EQ(Hex(std::u16string_view(small, 2)), Hex(u"xx"sv));

  EXPECT_EQ(MultiByteToWideChar(936, 0, text, 0, buffer, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(936, 0, nullptr, 3, buffer, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, 3, nullptr, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, -2, buffer, 4), 0);
}

// Guards against MB_ERR_INVALID_CHARS being ignored: the caller asked to
// hear about bad bytes instead of getting U+FFFD.
TEST(CodePageTest, MultiByteToWideCharCanRefuseInvalidBytes) {
  char16_t buffer[4] = {};
  EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "A\xD6", 2, buffer, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(936, 0, "A\xD6", 2, buffer, 4), 2);
  EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "\xD6\xD0", 2, buffer, 4), 1);
}

// Guards against the size query, the terminator and the default character of
// the byte-side call.
TEST(CodePageTest, WideCharToMultiByteFollowsTheWindowsContract) {
  const char16_t* text = u"A\u4E2D";
  EXPECT_EQ(WideCharToMultiByte(936, 0, text, 2, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(936, 0, text, -1, nullptr, 0, nullptr, nullptr), 4);

  char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
  bool used = true;
  EXPECT_EQ(WideCharToMultiByte(936, 0, text, -1, buffer, 5, nullptr, &used), 4);
  EXPECT_EQ(Hex(std::string_view(buffer, 5)), Hex("A\xD6\xD0\0x"sv));
  EXPECT_FALSE(used);

  char small[3] = {'x', 'x', 'x'};
  EXPECT_EQ(WideCharToMultiByte(936, 0, text, -1, small, 3, nullptr, nullptr), 0);
  EXPECT_EQ(std::string_view(small, 3), "xxx");

  EXPECT_EQ(WideCharToMultiByte(936, 0, u"\U0001F600!", 3, buffer, 5, "*", &used), 2);
  EXPECT_EQ(std::string_view(buffer, 2), "*!");
  EXPECT_TRUE(used);
  // A double-byte default character is written whole.
  EXPECT_EQ(WideCharToMultiByte(936, 0, u"\U0001F600", 2, buffer, 5, "\xA1\xF6", &used), 2);
  EXPECT_EQ(Hex(std::string_view(buffer, 2)), Hex("\xA1\xF6"));  // ■
}

// ---- Lead bytes ----

// Guards against treating 0x80 (the euro sign) or 0xFF as lead bytes of 936,
// and against lead bytes in single-byte pages.
TEST(CodePageTest, KnowsTheLeadBytesOfEachCodePage) {
  struct TRow {
    int CodePage;
    uint8_t Byte;
    bool Lead;
  };
  const TRow rows[] = {
      {936, 0x41, false}, {936, 0x80, false}, {936, 0x81, true}, {936, 0xD6, true},
      {936, 0xFE, true},  {936, 0xFF, false}, {950, 0x80, false}, {950, 0x81, true},
      {950, 0xA4, true},  {950, 0xFE, true},  {950, 0xFF, false}, {1252, 0x81, false},
      {1252, 0xD6, false}, {CP_UTF8, 0xE4, false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(testing::Message() << row.CodePage << " byte "
                                    << Hex(std::string(1, char(row.Byte))));
    EXPECT_EQ(IsDBCSLeadByteEx(row.CodePage, row.Byte), row.Lead);
  }
}

// Guards against a walk that splits a character, or that lets a cut lead
// byte swallow the newline or digit after it.
TEST(CodePageTest, CharLengthAtWalksCharacters) {
  const std::string_view text = "\xD6\xD0" "a\xB0\x61" "\xD6" "1\xD6";  // 中 a 癮 <cut>1 <cut>
  const int expected[] = {2, 0, 1, 2, 0, 1, 1, 1};
  for (size_t i = 0; i < text.size(); ++i) {
    if (expected[i] == 0) continue;  // trail bytes are not asked about
    SCOPED_TRACE(i);
    EXPECT_EQ(CharLengthAt(936, text, i), expected[i]);
  }
  EXPECT_EQ(CharLengthAt(1252, "\xD6\xD0", 0), 1);
  EXPECT_THROW(CharLengthAt(936, text, text.size()), EConvertError);
}

// ---- Threads ----

// Guards against one ICU converter shared between threads, whose state
// mixes the conversions of two threads.
TEST(CodePageTest, ConvertsFromManyThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      const int codePage = t % 2 == 0 ? 936 : 950;
      const std::string bytes = t % 2 == 0 ? "\xD6\xD0\xB0\x61" : "\xA4\xA4\xA5\x5C";
      const std::u16string text = t % 2 == 0 ? u"\u4E2D\u766E" : u"\u4E2D\u529F";
      for (int i = 0; i < 2000; ++i) {
        if (CodePageToWide(codePage, bytes) != text) ++failures[t];
        if (WideToCodePage(codePage, text) != bytes) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// ---- The system code page ----

// Saves and restores the locale variables and the system code page, which
// are process-wide.
class SystemCodePageTest : public testing::Test {
protected:
  void SetUp() override {
    FSaved = SystemCodePage();
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char* value = std::getenv(name);
      FEnv.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : FEnv) {
      if (value) setenv(name, value->c_str(), 1);
      else unsetenv(name);
    }
    SetSystemCodePageResolver(nullptr);
    SetSystemCodePage(FSaved);
  }

  // Forgets the resolved page so the next call reads the environment again.
  static int ResolveFresh() {
    SetSystemCodePageResolver(nullptr);
    return SystemCodePage();
  }

private:
  int FSaved = 0;
  std::vector<std::pair<const char*, std::optional<std::string>>> FEnv;
};

// Guards against a codeset spelling that is not recognised (lower case,
// dashes, GB18030) and against a locale without codeset.
TEST_F(SystemCodePageTest, ReadsTheCodesetOfTheLocale) {
  struct TRow {
    const char* Locale;
    int CodePage;
  };
  const TRow rows[] = {
      {"zh_CN.GBK", 936},        {"zh_CN.gbk", 936},         {"zh_CN.GB18030", 936},
      {"zh_CN.GB2312", 936},     {"zh_CN", 936},             {"zh_TW.BIG5", 950},
      {"zh_TW.Big5", 950},       {"zh_HK.BIG5-HKSCS", 950},  {"zh_TW", 950},
      {"zh_CN.UTF-8", 1252},     {"en_US.UTF-8", 1252},      {"C", 1252},
      {"de_DE.ISO-8859-1@euro", 1252},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Locale);
    setenv("LANG", row.Locale, 1);
    EXPECT_EQ(ResolveFresh(), row.CodePage);
  }
}

// Guards against reading LANG when LC_ALL or LC_CTYPE decide, and against
// an empty variable counting as set.
TEST_F(SystemCodePageTest, LocaleVariablesTakePrecedenceInOrder) {
  setenv("LANG", "zh_TW.BIG5", 1);
  EXPECT_EQ(ResolveFresh(), 950);
  setenv("LC_CTYPE", "zh_CN.GBK", 1);
  EXPECT_EQ(ResolveFresh(), 936);
  setenv("LC_ALL", "en_US.UTF-8", 1);
  EXPECT_EQ(ResolveFresh(), 1252);
  setenv("LC_ALL", "", 1);
  EXPECT_EQ(ResolveFresh(), 936);
  unsetenv("LC_ALL");
  unsetenv("LC_CTYPE");
  unsetenv("LANG");
  EXPECT_EQ(ResolveFresh(), 1252);
}

// Guards against changing the process's locale while finding the codeset.
TEST_F(SystemCodePageTest, LeavesTheProcessLocaleAlone) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  setenv("LANG", "zh_CN.GBK", 1);
  EXPECT_EQ(ResolveFresh(), 936);
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

// Guards against ignoring the resolver, trusting a resolver's unknown answer,
// or letting a failing resolver stop every conversion.
TEST_F(SystemCodePageTest, ResolverDecidesWhenItAnswersSoundly) {
  setenv("LANG", "zh_CN.GBK", 1);
  SetSystemCodePageResolver([] { return 950; });
  EXPECT_EQ(SystemCodePage(), 950);
  EXPECT_EQ(Hex(CodePageToWide(CP_ACP, "\xA4\xA4")), Hex(u"\u4E2D"));

  SetSystemCodePageResolver([] { return 12345; });
  EXPECT_EQ(SystemCodePage(), 936);
  SetSystemCodePageResolver([]() -> int { throw EConvertError("registry unreadable"); });
  EXPECT_EQ(SystemCodePage(), 936);
}

// Guards against asking the resolver (a registry read) on every conversion.
TEST_F(SystemCodePageTest, ResolverIsAskedOnce) {
  static int calls;
  calls = 0;
  SetSystemCodePageResolver([] {
    ++calls;
    return 950;
  });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SystemCodePage(), 950);
  EXPECT_EQ(Hex(WideToCodePage(CP_ACP, u"\u4E2D")), Hex("\xA4\xA4"));
  EXPECT_EQ(calls, 1);
  SetSystemCodePageResolver([] {
    ++calls;
    return 936;
  });
  EXPECT_EQ(SystemCodePage(), 936);
  EXPECT_EQ(calls, 2);
}

// Guards against endless recursion when the resolver itself converts text
// with CP_ACP (reading a registry file written in the system code page).
TEST_F(SystemCodePageTest, ResolverThatConvertsDoesNotRecurse) {
  setenv("LANG", "zh_TW.BIG5", 1);
  SetSystemCodePageResolver([] {
    return CodePageToWide(CP_ACP, "\xA4\xA4") == u"\u4E2D" ? 936 : 1252;
  });
  EXPECT_EQ(SystemCodePage(), 936);
}

// Guards against a forced page being lost, and against forcing an unknown one.
TEST_F(SystemCodePageTest, SetSystemCodePageForcesAKnownPage) {
  setenv("LANG", "en_US.UTF-8", 1);
  SetSystemCodePage(936);
  EXPECT_EQ(SystemCodePage(), 936);
  EXPECT_EQ(Hex(WideToCodePage(CP_ACP, u"\u4E2D")), Hex("\xD6\xD0"));
  EXPECT_TRUE(IsDBCSLeadByteEx(CP_ACP, 0xD6));
  EXPECT_THROW(SetSystemCodePage(12345), EConvertError);
  EXPECT_THROW(SetSystemCodePage(CP_ACP), EConvertError);
  EXPECT_EQ(SystemCodePage(), 936);
}

}  // namespace
