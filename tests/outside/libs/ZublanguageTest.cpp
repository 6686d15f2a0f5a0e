// "Zublanguage.dll" loaded by name, as the plug-in's translator loads it:
// phrase conversion both ways, the text rules (ASCII, CR LF, "?" for what
// Big5 lacks, empty text) and the calling contract of Zublanguage.h (size
// query, buffer too small, invalid input, bad arguments). GBK data are
// written as Chinese literals (the sources are compiled to GBK); Big5 bytes
// come from Python's "...".encode("cp950").
#include "libs/Zublanguage.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/rtl/TextSupport.h"
#include "platform/win/DynLib.h"

namespace {

using namespace std::string_view_literals;

class ZublanguageTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Lib = new TDynLib("Zublanguage.dll");
    ASSERT_TRUE(Lib->Loaded()) << Lib->Error();
    GbToBig5 = Lib->ProcAs<TZubConvertProc>("GBtoBIG5");
    Big5ToGb = Lib->ProcAs<TZubConvertProc>("BIG5toGB");
    ErrorText = Lib->ProcAs<TZubErrorTextProc>("ZubLanguageErrorText");
  }
  static void TearDownTestSuite() {
    delete Lib;
    Lib = nullptr;
  }

  // A whole conversion as a caller does it: size query, then the fetch.
  static std::string Convert(TZubConvertProc proc, std::string_view src) {
    const int32_t need = proc(src.data(), static_cast<int32_t>(src.size()), nullptr, 0);
    EXPECT_GE(need, 0) << ErrorText(need);
    if (need < 0) return "<error " + std::to_string(need) + ">";
    std::string out(static_cast<size_t>(need) + 1, '\x7F');
    const int32_t got = proc(src.data(), static_cast<int32_t>(src.size()), out.data(),
                             static_cast<int32_t>(out.size()));
    EXPECT_EQ(got, need);
    EXPECT_EQ(out[static_cast<size_t>(need)], '\0') << "no NUL after the result";
    out.resize(static_cast<size_t>(need));
    return out;
  }

  static inline TDynLib* Lib = nullptr;
  static inline TZubConvertProc GbToBig5 = nullptr;
  static inline TZubConvertProc Big5ToGb = nullptr;
  static inline TZubErrorTextProc ErrorText = nullptr;
};

// Guards against the library not being found by its Windows name, and
// against placeholder exports: only what does real work is exported.
TEST_F(ZublanguageTest, LoadsByNameWithTheTwoConversionFunctions) {
  EXPECT_NE(GetModulePath(Lib->Handle()).find("/Zublanguage.dll"), std::string::npos);
  EXPECT_NE(GbToBig5, nullptr);
  EXPECT_NE(Big5ToGb, nullptr);
  EXPECT_NE(ErrorText, nullptr);
  for (const char* absent : {"GetBIG5Data", "GetGBData", "SaveOrder"}) EXPECT_EQ(Lib->Proc(absent), nullptr) << absent;
}

struct TConvertRow {
  const char* Name;
  bool ToBig5;
  std::string_view Source;
  std::string_view Result;
};

void PrintTo(const TConvertRow& row, std::ostream* os) { *os << row.Name; }

class ZublanguageConvertTest : public ZublanguageTest, public testing::WithParamInterface<TConvertRow> {};

// Guards against character-by-character conversion (软件 must become the
// Taiwan term), variant forms Big5 cannot hold (为 -> 爲 would print "?"),
// touched ASCII or line ends, and trail bytes that look like "\".
TEST_P(ZublanguageConvertTest, ConvertsPhrasesAndKeepsAscii) {
  const TConvertRow& row = GetParam();
  EXPECT_EQ(Hex(Convert(row.ToBig5 ? GbToBig5 : Big5ToGb, row.Source)), Hex(row.Result));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZublanguageConvertTest,
    testing::Values(
        TConvertRow{"Software", true, "软件", "\xB3\x6E\xC5\xE9"},                     // 軟體
        TConvertRow{"SimplifiedChinese", true, "简体中文", "\xC2\xB2\xC5\xE9\xA4\xA4\xA4\xE5"},  // 簡體中文
        TConvertRow{"TaiwanVariants", true, "为了着众人",
                    "\xAC\xB0\xA4\x46\xB5\xDB\xB2\xB3\xA4\x48"},  // 為了著眾人
        TConvertRow{"MixedWithCrLf", true, "ID=7\r\n软件 x\r\n\tEnd",
                    "ID=7\r\n\xB3\x6E\xC5\xE9 x\r\n\tEnd"},
        TConvertRow{"NoBig5Form", true, "a傈b", "a?b"},  // 傈 (GBK C0 FC) has no Big5 code
        TConvertRow{"AsciiOnly", true, "Name=\"x\" \\ 100% {ok}\r\n", "Name=\"x\" \\ 100% {ok}\r\n"},
        TConvertRow{"BackToSoftware", false, "\xB3\x6E\xC5\xE9", "软件"},
        TConvertRow{"BackToSimplified", false, "\xC2\xB2\xC5\xE9\xA4\xA4\xA4\xE5", "简体中文"},
        TConvertRow{"Big5TrailBackslash", false, "\xA5\x5C\\\r\n", "功\\\r\n"},  // 功 = A5 5C
        TConvertRow{"AsciiOnlyBack", false, "a\r\nb", "a\r\nb"},
        TConvertRow{"NulKept", true, "软件\0软件"sv, "\xB3\x6E\xC5\xE9\0\xB3\x6E\xC5\xE9"sv}));

// Guards against a pair of dictionaries that do not meet: the designed
// texts of the forms must come back as they were after GB -> Big5 -> GB.
TEST_F(ZublanguageTest, RoundTripsTheFormsTexts) {
  const char* texts[] = {"软件", "简体中文", "数据库", "打印机", "系统用户", "被通知人",
                         "确定", "取消", "收件人", "手机号码", "邮箱地址", "鼠标",
                         "信息", "网络", "后台", "头发", "1.系统用户\r\n5.Portal用户\r\n"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const std::string big5 = Convert(GbToBig5, text);
    EXPECT_NE(big5, text);
    EXPECT_EQ(Hex(Convert(Big5ToGb, big5)), Hex(text));
  }
}

// Guards against writing past the caller's buffer, a partial write on
// failure, and a size query that writes.
TEST_F(ZublanguageTest, HonoursTheBufferContract) {
  const std::string src = "简体中文";
  std::string buffer(16, 'x');
  EXPECT_EQ(GbToBig5(src.data(), static_cast<int32_t>(src.size()), nullptr, 0), 8);
  EXPECT_EQ(GbToBig5(src.data(), -1, nullptr, 0), 8) << "NUL-terminated source";
  EXPECT_EQ(GbToBig5(src.data(), static_cast<int32_t>(src.size()), buffer.data(), 7),
            ZUBLANG_E_BUFFER_TOO_SMALL);
  EXPECT_EQ(buffer, std::string(16, 'x'));
  // Exactly the length: written, and no NUL past it.
  EXPECT_EQ(GbToBig5(src.data(), static_cast<int32_t>(src.size()), buffer.data(), 8), 8);
  EXPECT_EQ(Hex(buffer), Hex("\xC2\xB2\xC5\xE9\xA4\xA4\xA4\xE5xxxxxxxx"));
  // Empty source: length 0, with or without a pointer, and a NUL when there is room.
  EXPECT_EQ(GbToBig5(nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(Big5ToGb("", -1, buffer.data(), 16), 0);
  EXPECT_EQ(buffer[0], '\0');
}

// Guards against guessing at broken input (a cut lead byte would swallow the
// next character) and against crashes on bad arguments.
TEST_F(ZublanguageTest, RefusesInvalidInputAndArguments) {
  struct TRow {
    const char* Name;
    TZubConvertProc* Proc;
    const char* Src;
    int32_t SrcLen;
    bool WithBuffer;
    int32_t DstSize;
    int32_t Code;
  };
  const TRow rows[] = {
      {"GbkLeadCutAtEnd", &GbToBig5, "ab\xD6", 3, true, 16, ZUBLANG_E_INVALID_INPUT},
      {"GbkLeadBeforeBlank", &GbToBig5, "\xD6 x", 3, true, 16, ZUBLANG_E_INVALID_INPUT},
      {"Big5LeadCutAtEnd", &Big5ToGb, "\xA4\xA4\xA4", 3, true, 16, ZUBLANG_E_INVALID_INPUT},
      {"NullSourceWithLength", &GbToBig5, nullptr, 3, true, 16, ZUBLANG_E_ARGUMENT},
      {"LengthBelowMinusOne", &GbToBig5, "a", -2, true, 16, ZUBLANG_E_ARGUMENT},
      {"NegativeBufferSize", &GbToBig5, "a", 1, true, -1, ZUBLANG_E_ARGUMENT},
      {"NullBufferWithSize", &Big5ToGb, "a", 1, false, 4, ZUBLANG_E_ARGUMENT},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    std::string buffer(16, 'x');
    EXPECT_EQ((*row.Proc)(row.Src, row.SrcLen, row.WithBuffer ? buffer.data() : nullptr, row.DstSize),
              row.Code);
    EXPECT_EQ(buffer, std::string(16, 'x'));
    EXPECT_STRNE(ErrorText(row.Code), "unknown error");
  }
}

// Guards against one thread's cached result leaking into another's and
// against unsynchronised use of the shared converters.
TEST_F(ZublanguageTest, ConvertsTheSameFromManyThreads) {
  const std::vector<std::string> texts{"软件", "简体中文", "数据库", "打印机"};
  std::vector<std::string> expected;
  for (const std::string& t : texts) expected.push_back(Convert(GbToBig5, t));
  std::vector<std::vector<std::string>> got(4);
  std::vector<std::thread> threads;
  for (size_t k = 0; k < got.size(); ++k) {
    threads.emplace_back([&, k] {
      for (int round = 0; round < 50; ++round)
        for (size_t i = 0; i < texts.size(); ++i) {
          const std::string& t = texts[(i + k) % texts.size()];
          char out[64];
          const int32_t n = GbToBig5(t.data(), static_cast<int32_t>(t.size()), out, sizeof out);
          got[k].push_back(n < 0 ? "error" : std::string(out, static_cast<size_t>(n)));
        }
    });
  }
  for (std::thread& t : threads) t.join();
  for (size_t k = 0; k < got.size(); ++k)
    for (size_t j = 0; j < got[k].size(); ++j)
      ASSERT_EQ(got[k][j], expected[(j % texts.size() + k) % texts.size()]) << "thread " << k;
}

}  // namespace
