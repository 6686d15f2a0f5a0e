#include "platform/rtl/VariantStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextSupport.h"
#include "platform/rtl/VariantPrint.h"

namespace {

// ---- Values used by several tests ----

Variant Array1(int32_t low, std::vector<Variant> values) {
  Variant v = VarArrayCreate({low, low + static_cast<int32_t>(values.size()) - 1});
  for (size_t i = 0; i < values.size(); ++i) v[low + static_cast<int32_t>(i)] = values[i];
  return v;
}

// A job record as the report form sends it: environment 1..14 with wide
// texts, a date and integers; conditions 1..2; a periodic schedule with
// nested 0-based arrays.
Variant JobRecord() {
  Variant env = VarArrayCreate({1, 14});
  env[1] = WideString(u"KULR31");
  env[2] = int32_t{14};
  env[3] = int32_t{2};
  env[4] = WideString(u"01");
  env[5] = WideString(u"\u7BA1\u7406\u5458");  // 管理员
  env[6] = WideString(u"ERP");
  env[7] = TDateTime(46367.4310763889);
  env[8] = WideString(u"KULR31S.Class1");
  env[9] = WideString(u"r");
  env[10] = int32_t{2};
  env[11] = TDateTime(46368.25);
  env[12] = WideString(u"");
  env[13] = int32_t{5};
  env[14] = WideString(u"A");
  Variant texts = Array1(1, {VarArrayOf({WideString(u"\u65E5\u671F"), WideString(u"sp01")}),
                             Variant::Null()});
  Variant values = Array1(1, {VarArrayOf({WideString(u"\x04"), WideString(u"20261201"),
                                          WideString(u"20261231")}),
                              Variant()});
  Variant schedule = VarArrayOf(
      {WideString(u"Y"), WideString(u"08:30"),
       VarArrayOf({int32_t{2}, VarArrayOf({int32_t{1}, int32_t{2}})}),
       VarArrayOf({TDateTime(46368), int32_t{1}, WideString(u"3")})});
  Variant dynamic = VarArrayOf({int32_t{0}});
  return VarArrayOf({env, texts, values, schedule, dynamic});
}

// Every scalar type once, in a 0-based array.
Variant Scalars() {
  return VarArrayOf({Variant(), Variant::Null(), int16_t{-32768}, int32_t{-123456789},
                     int64_t{0x123456789ABCDEF0}, true, false, 3.25, TDateTime(36526.5),
                     AnsiString("\xD6\xD0\x00z", 4),  // 中, NUL, z
                     WideString(u"\u4E2D\xD83D\xDE00")});  // 中 and a surrogate pair
}

// A two-dimensional [0..1, 1..3] array, as the system settings come.
Variant Matrix() {
  Variant m = VarArrayCreate({0, 1, 1, 3});
  for (int32_t j = 1; j <= 3; ++j) {
    m(0, j) = AnsiString("name") + static_cast<char>('0' + j);
    m(1, j) = int32_t{j * 10};
  }
  return m;
}

// Nested one-element arrays, depth levels deep, around an Integer.
Variant Nested(int levels) {
  Variant v = int32_t{7};
  for (int i = 0; i < levels; ++i) v = VarArrayOf({v});
  return v;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int b : values) out.push_back(static_cast<char>(b));
  return out;
}

// ---- Round trips ----

struct TRoundTrip {
  const char* Name;
  Variant Value;
};

void PrintTo(const TRoundTrip& row, std::ostream* os) { *os << row.Name; }

class VariantStreamRoundTripTest : public ::testing::TestWithParam<TRoundTrip> {};

// Guards against a type tag, a bound or a bit of a value lost on the way:
// the loaded Variant must be identical (not merely equal) and write the same
// bytes again.
TEST_P(VariantStreamRoundTripTest, KeepsTypeValueAndShape) {
  const Variant& original = GetParam().Value;
  const AnsiString bytes = SaveVariant(original);
  const Variant loaded = LoadVariant(bytes);
  EXPECT_PRED_FORMAT2(AssertSameVariant, original, loaded);
  EXPECT_EQ(Hex(SaveVariant(loaded)), Hex(bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Values, VariantStreamRoundTripTest,
    ::testing::Values(
        TRoundTrip{"Empty", Variant()}, TRoundTrip{"Null", Variant::Null()},
        TRoundTrip{"SmallIntMin", int16_t{-32768}}, TRoundTrip{"SmallIntOne", int16_t{1}},
        TRoundTrip{"IntegerOne", int32_t{1}},
        TRoundTrip{"IntegerMax", std::numeric_limits<int32_t>::max()},
        TRoundTrip{"Int64Min", std::numeric_limits<int64_t>::min()},
        TRoundTrip{"BooleanTrue", true}, TRoundTrip{"BooleanFalse", false},
        TRoundTrip{"DoubleOne", 1.0}, TRoundTrip{"DoubleNegativeZero", -0.0},
        TRoundTrip{"DoubleNaN", std::numeric_limits<double>::quiet_NaN()},
        TRoundTrip{"DoubleInfinity", -std::numeric_limits<double>::infinity()},
        TRoundTrip{"DateOne", TDateTime(1.0)}, TRoundTrip{"DateBefore1899", TDateTime(-700.75)},
        TRoundTrip{"ByteStringEmpty", AnsiString()},
        // 中文 in GBK, then a NUL and a byte that is no GBK character at all
        TRoundTrip{"ByteStringGbkNulAndBadByte", AnsiString("\xD6\xD0\xCE\xC4\x00\xFF", 6)},
        TRoundTrip{"WideStringEmpty", WideString()},
        TRoundTrip{"WideStringLoneSurrogate", WideString(u"a\xDC80" u"b")},
        TRoundTrip{"ArrayFromOne", Array1(1, {int32_t{1}, AnsiString("x"), Variant::Null()})},
        TRoundTrip{"ArrayNegativeBounds", Array1(-2, {int16_t{1}, int16_t{2}})},
        TRoundTrip{"ArrayEmpty", VarArrayCreate({0, -1})},
        TRoundTrip{"ArrayEmptyFromFive", VarArrayCreate({5, 4})},
        TRoundTrip{"ArrayTwoDimensions", Matrix()},
        TRoundTrip{"ArrayTwoDimensionsEmpty", VarArrayCreate({0, 1, 0, -1})},
        TRoundTrip{"AllScalars", Scalars()}, TRoundTrip{"JobRecord", JobRecord()},
        TRoundTrip{"NestedToTheLimit", Nested(VariantStreamMaxDepth)}),
    [](const ::testing::TestParamInfo<TRoundTrip>& info) { return std::string(info.param.Name); });

// Guards against a Double and a Date, or a byte and a wide string, being
// written alike: values that compare equal loosely must still differ here.
TEST(VariantStreamTest, LooselyEqualValuesStayApart) {
  const std::vector<std::pair<Variant, Variant>> pairs = {
      {Variant(), Variant::Null()},
      {int16_t{5}, int32_t{5}},
      {int32_t{5}, int64_t{5}},
      {2.0, TDateTime(2.0)},
      {AnsiString("ab"), WideString(u"ab")},
      {int32_t{-1}, true},
      {Array1(0, {int32_t{1}}), Array1(1, {int32_t{1}})},
  };
  for (const auto& [a, b] : pairs) {
    SCOPED_TRACE(::testing::PrintToString(a) + " / " + ::testing::PrintToString(b));
    EXPECT_NE(Hex(SaveVariant(a)), Hex(SaveVariant(b)));
    EXPECT_FALSE(SameVariant(LoadVariant(SaveVariant(a)), b));
  }
}

// Guards against a by-reference argument being written as a reference (a
// pointer into the other process) instead of the value it refers to.
TEST(VariantStreamTest, ByReferenceIsWrittenAsItsValue) {
  Variant target = Array1(1, {WideString(u"x")});
  Variant ref = Variant::ByRef(target);
  Variant holder = VarArrayOf({ref});
  EXPECT_EQ(Hex(SaveVariant(ref)), Hex(SaveVariant(target)));
  const Variant loaded = LoadVariant(SaveVariant(holder));
  EXPECT_FALSE(loaded[0].IsByRef());
  EXPECT_PRED_FORMAT2(AssertSameVariant, target, loaded[0]);
}

// A dispatch object that answers nothing; only its reference is needed.
class TNoDispatch : public IDispatch {
public:
  void AddRef() noexcept override {}
  void Release() noexcept override {}
  AnsiString DispatchClassName() const override { return "TNoDispatch"; }
  Variant Invoke(const AnsiString&, TInvokeKind, std::span<Variant>) override { return {}; }
};

// Guards against a dispatch reference being written as a pointer value, and
// against an error that does not say where in a record it sits.
TEST(VariantStreamTest, RefusesDispatchReferenceNamingItsPlace) {
  static TNoDispatch object;
  Variant inner = VarArrayCreate({0, 1});
  inner[1] = TDispatchRef(&object);
  const Variant value = Array1(1, {int32_t{1}, inner});
  try {
    SaveVariant(value);
    FAIL() << "no exception";
  } catch (const EVariantError& e) {
    EXPECT_NE(e.Message().find("dispatch reference"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("[2][1]"), std::string::npos) << e.Message();
  }
}

// Guards against writing a stream that LoadVariant would then refuse.
TEST(VariantStreamTest, RefusesToSaveNestingBeyondTheLimit) {
  EXPECT_THROW(SaveVariant(Nested(VariantStreamMaxDepth + 1)), EVariantError);
}

// ---- Golden files: the format cannot change silently ----

std::filesystem::path GoldenFolder() {
  return std::filesystem::path(__FILE__).parent_path() / "golden";
}

struct TGolden {
  const char* File;
  Variant (*Make)();
};

void PrintTo(const TGolden& row, std::ostream* os) { *os << row.File; }

class VariantStreamGoldenTest : public ::testing::TestWithParam<TGolden> {};

// Guards against any change of the stored format: old job records and a
// peer of the previous build must stay readable. With KULR_WRITE_GOLDEN=1
// the test writes the files instead (see golden/README).
TEST_P(VariantStreamGoldenTest, MatchesCommittedBytes) {
  const std::filesystem::path file = GoldenFolder() / GetParam().File;
  const Variant value = GetParam().Make();
  const AnsiString bytes = SaveVariant(value);
  if (std::getenv("KULR_WRITE_GOLDEN")) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    GTEST_SKIP() << "wrote " << file;
  }
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << "missing golden file " << file;
  const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Hex(bytes), Hex(golden));
  EXPECT_PRED_FORMAT2(AssertSameVariant, value, LoadVariant(golden));
}

INSTANTIATE_TEST_SUITE_P(Files, VariantStreamGoldenTest,
                         ::testing::Values(TGolden{"scalars.kvs", &Scalars},
                                           TGolden{"matrix.kvs", &Matrix},
                                           TGolden{"jobrecord.kvs", &JobRecord}),
                         [](const ::testing::TestParamInfo<TGolden>& info) {
                           std::string name = info.param.File;
                           return name.substr(0, name.find('.'));
                         });

// The smallest stream spelled out, so that the layout itself is pinned
// here too: signature, version, array tag, one dimension 1..2, an Integer
// and a wide string.
TEST(VariantStreamTest, WritesTheDocumentedLayout) {
  const Variant value = Array1(1, {int32_t{258}, WideString(u"A")});
  EXPECT_EQ(Hex(SaveVariant(value)),
            Hex(Bytes({'K', 'V', 1, 0x20, 1, 1, 0, 0, 0, 2, 0, 0, 0, 0x03, 2, 1, 0, 0, 0x08, 1, 0,
                       0, 0, 'A', 0})));
}

// ---- Broken and hostile input ----

struct TBroken {
  const char* Name;
  std::string Bytes;
  const char* Message;  // a piece of the expected message
};

void PrintTo(const TBroken& row, std::ostream* os) { *os << row.Name << ": " << Hex(row.Bytes); }

class VariantStreamBrokenTest : public ::testing::TestWithParam<TBroken> {};

// Guards against a crash, an unbounded allocation or a silently wrong value
// on bytes from a broken or hostile peer: each must raise EReadError saying
// what and where.
TEST_P(VariantStreamBrokenTest, RaisesReadErrorWithOffset) {
  try {
    const Variant v = LoadVariant(GetParam().Bytes);
    FAIL() << "loaded " << ::testing::PrintToString(v);
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find(GetParam().Message), std::string::npos) << e.Message();
    EXPECT_EQ(e.Message().rfind("variant stream: ", 0), 0u) << e.Message();
  }
}

std::string Header() { return Bytes({'K', 'V', 1}); }

INSTANTIATE_TEST_SUITE_P(
    Inputs, VariantStreamBrokenTest,
    ::testing::Values(
        TBroken{"Nothing", "", "truncated at byte 0"},
        TBroken{"OnlySignature", "KV", "truncated at byte 0"},
        TBroken{"BadSignature", "XV" + Bytes({1, 0}), "(bad signature) at byte 0"},
        TBroken{"FutureVersion", Bytes({'K', 'V', 2, 0}), "unsupported version 2 at byte 2"},
        TBroken{"NoValue", Header(), "truncated at byte 3"},
        TBroken{"UnknownTag", Header() + Bytes({0x33}), "unknown type tag 0x33 at byte 3"},
        TBroken{"ByRefTag", Header() + Bytes({0x4C}), "unknown type tag 0x4C at byte 3"},
        TBroken{"IntegerCut", Header() + Bytes({0x03, 1, 2}),
                "truncated at byte 4 (4 bytes needed, 2 left)"},
        TBroken{"DoubleCut", Header() + Bytes({0x05, 0, 0, 0, 0, 0, 0, 0}), "truncated at byte 4"},
        TBroken{"BadBoolean", Header() + Bytes({0x0B, 5}), "bad Boolean byte 0x05 at byte 4"},
        TBroken{"TrailingBytes", Header() + Bytes({0x00, 0x00, 0x00}),
                "2 bytes after the value at byte 4"},
        TBroken{"HugeByteString", Header() + Bytes({0x10, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}),
                "does not fit the 1 bytes left at byte 4"},
        TBroken{"ByteStringCut", Header() + Bytes({0x10, 3, 0, 0, 0, 'a', 'b'}),
                "does not fit the 2 bytes left at byte 4"},
        // 2 units need 4 bytes; 3 are there
        TBroken{"WideStringOddBytes", Header() + Bytes({0x08, 2, 0, 0, 0, 'a', 0, 'b'}),
                "does not fit the 3 bytes left at byte 4"},
        TBroken{"HugeWideString", Header() + Bytes({0x08, 0xFF, 0xFF, 0xFF, 0x7F}),
                "does not fit the 0 bytes left"},
        TBroken{"ThreeDimensions", Header() + Bytes({0x20, 3}),
                "an array of 3 dimensions at byte 4"},
        TBroken{"NoDimensions", Header() + Bytes({0x20, 0}), "an array of 0 dimensions at byte 4"},
        TBroken{"HighBelowLowMinusOne", Header() + Bytes({0x20, 1, 5, 0, 0, 0, 2, 0, 0, 0}),
                "bounds 5..2 at byte 5"},
        TBroken{"BoundsCut", Header() + Bytes({0x20, 1, 0, 0, 0, 0, 9}), "truncated at byte 9"},
        // 0..0x7FFFFFFF: two thousand million elements
        TBroken{"HugeCount", Header() + Bytes({0x20, 1, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}),
                "more than 16777216 elements at byte 3"},
        // two dimensions of 65536 each: each fits alone, the product does not
        TBroken{"HugeProduct",
                Header() + Bytes({0x20, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0,
                                  0}),
                "more than 16777216 elements at byte 3"},
        // 0..999 within the limit, but only two bytes follow
        TBroken{"CountBeyondTheBytesLeft",
                Header() + Bytes({0x20, 1, 0, 0, 0, 0, 0xE7, 0x03, 0, 0, 0, 0}),
                "an array of 1000 elements does not fit the 2 bytes left at byte 3"},
        // [1..2] holding an Integer and then nothing
        TBroken{"ElementMissing",
                Header() + Bytes({0x20, 1, 1, 0, 0, 0, 2, 0, 0, 0, 0x03, 1, 0, 0, 0}),
                "truncated at byte 18"},
        TBroken{"TooDeep", SaveVariant(Nested(VariantStreamMaxDepth)).insert(3, "\x20\x01\x00\x00\x00\x00\x00\x00\x00\x00", 10),
                "arrays nested deeper than 32 at byte"}),
    [](const ::testing::TestParamInfo<TBroken>& info) { return std::string(info.param.Name); });

// Guards against a crash or a wrong value from a stream cut anywhere: every
// proper prefix of a real record must be refused.
TEST(VariantStreamTest, EveryCutOfARecordIsRefused) {
  const AnsiString bytes = SaveVariant(JobRecord());
  for (size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE("length " + std::to_string(length));
    EXPECT_THROW(LoadVariant(std::string_view(bytes).substr(0, length)), EReadError);
  }
}

// Guards against a crash on a damaged byte anywhere in a record: each
// single-byte change either still reads as some Variant or raises
// EReadError, nothing else.
TEST(VariantStreamTest, DamagedBytesLoadOrRaiseReadError) {
  const AnsiString bytes = SaveVariant(JobRecord());
  for (size_t i = 0; i < bytes.size(); ++i) {
    for (int flip : {0x01, 0x80, 0xFF}) {
      AnsiString damaged = bytes;
      damaged[i] = static_cast<char>(damaged[i] ^ flip);
      try {
        LoadVariant(damaged);
      } catch (const EReadError&) {
      } catch (const std::exception& e) {
        ADD_FAILURE() << "byte " << i << " ^ " << flip << ": " << e.what();
      }
    }
  }
}

}  // namespace
