// The form-description parser: every value kind, string runs, the object
// structure with positions, and the exact "file:line:column: message" of
// syntax errors. GBK bytes come from Python's codecs ("中".encode("gbk") ==
// b"\xD6\xD0"); code points from unicodedata.
#include "platform/vcl/DfmParser.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextSupport.h"

namespace {


// The value of "P" in a one-property object.
TDfmValue ParseValueText(const std::string& valueText) {
  TDfmDocument doc = ParseDfm("object A: TA\n  P = " + valueText + "\nend\n", "v.dfm");
  EXPECT_EQ(doc.Root.Properties.size(), 1u);
  return doc.Root.Properties.at(0).Value;
}

// ---- Scalars ----

struct TScalarRow {
  const char* Name;
  std::string Text;
  TDfmValueKind Kind;
  int64_t Int;
  double Float;
  std::string Str;  // identifier name or string bytes
};

void PrintTo(const TScalarRow& row, std::ostream* os) { *os << row.Name; }

class DfmParserScalarTest : public testing::TestWithParam<TScalarRow> {};

// Guards against mis-lexed numbers (sign, hex with the high bit of a system
// colour, int64 edges), strings that lose quotes or codes, and identifiers
// cut at the dot of a component reference.
TEST_P(DfmParserScalarTest, ParsesValue) {
  const TScalarRow& row = GetParam();
  TDfmValue v = ParseValueText(row.Text);
  ASSERT_EQ(DfmValueKindName(v.Kind), std::string(DfmValueKindName(row.Kind)));
  switch (row.Kind) {
    case TDfmValueKind::Integer: EXPECT_EQ(v.Int, row.Int); break;
    case TDfmValueKind::Float: EXPECT_DOUBLE_EQ(v.Float, row.Float); break;
    default: EXPECT_EQ(Hex(v.Str), Hex(row.Str)); break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, DfmParserScalarTest,
    testing::Values(
        TScalarRow{"Decimal", "12", TDfmValueKind::Integer, 12, 0, ""},
        TScalarRow{"Negative", "-13", TDfmValueKind::Integer, -13, 0, ""},
        TScalarRow{"Zero", "0", TDfmValueKind::Integer, 0, 0, ""},
        TScalarRow{"Hex", "$00AFFFFF", TDfmValueKind::Integer, 0xAFFFFF, 0, ""},
        TScalarRow{"HexSystemColour", "$80000005", TDfmValueKind::Integer, 0x80000005LL, 0, ""},
        TScalarRow{"NegativeHex", "-$10", TDfmValueKind::Integer, -16, 0, ""},
        TScalarRow{"HexSixteenDigits", "$FFFFFFFFFFFFFFFF", TDfmValueKind::Integer, -1, 0, ""},
        TScalarRow{"Int64Max", "9223372036854775807", TDfmValueKind::Integer, INT64_MAX, 0, ""},
        TScalarRow{"Int64Min", "-9223372036854775808", TDfmValueKind::Integer, INT64_MIN, 0, ""},
        TScalarRow{"Float", "1.5", TDfmValueKind::Float, 0, 1.5, ""},
        TScalarRow{"FloatExponent", "1.5E3", TDfmValueKind::Float, 0, 1500.0, ""},
        TScalarRow{"FloatNegativeExponent", "-2.5e-1", TDfmValueKind::Float, 0, -0.25, ""},
        TScalarRow{"IntegerExponent", "2E2", TDfmValueKind::Float, 0, 200.0, ""},
        TScalarRow{"Identifier", "clRed", TDfmValueKind::Identifier, 0, 0, "clRed"},
        TScalarRow{"DottedReference", "Form1.Edit1", TDfmValueKind::Identifier, 0, 0, "Form1.Edit1"},
        TScalarRow{"Boolean", "True", TDfmValueKind::Identifier, 0, 0, "True"},
        TScalarRow{"Empty", "''", TDfmValueKind::String, 0, 0, ""},
        TScalarRow{"DoubledQuote", "'it''s'", TDfmValueKind::String, 0, 0, "it's"},
        TScalarRow{"OnlyQuote", "''''", TDfmValueKind::String, 0, 0, "'"},
        TScalarRow{"CodesBetweenPieces", "'abc'#13#10'def'", TDfmValueKind::String, 0, 0, "abc\r\ndef"},
        TScalarRow{"OnlyCodes", "#65#$42", TDfmValueKind::String, 0, 0, "AB"},
        TScalarRow{"NulCode", "'a'#0'b'", TDfmValueKind::String, 0, 0, std::string("a\0b", 3)},
        TScalarRow{"PlusAcrossLines", "'ab' +\n    'cd'+'e' +\r\n  #33", TDfmValueKind::String, 0, 0, "abcde!"},
        // 中 as literal GBK bytes and as its code point U+4E2D
        TScalarRow{"GbkLiteral", "'\xD6\xD0'", TDfmValueKind::String, 0, 0, "\xD6\xD0"},
        TScalarRow{"CodePointToGbk", "#20013", TDfmValueKind::String, 0, 0, "\xD6\xD0"},
        // a GBK character whose trail byte is 0x5C, a backslash
        TScalarRow{"TrailByteBackslash", "'\x81\x5C'", TDfmValueKind::String, 0, 0, "\x81\x5C"}),
    [](const auto& info) { return info.param.Name; });

// Guards against a wide form built from the bytes as if they were Latin-1,
// and against code points taken as bytes of the code page.
TEST(DfmParserTest, StringKeepsWideForm) {
  // '中'#25991 = "中文"; #8364 is the euro sign, which GBK holds as 0x80
  TDfmValue v = ParseValueText("'\xD6\xD0'#25991'x'#8364");
  EXPECT_EQ(v.Wide, u"\u4E2D\u6587x\u20AC");
  EXPECT_EQ(Hex(v.Str), Hex("\xD6\xD0\xCE\xC4x\x80"));
  EXPECT_TRUE(v.BytesExact);
}

// Guards against silently storing "?" for a code GBK cannot hold: the
// byte form is marked inexact with the code's position, the wide form keeps it.
TEST(DfmParserTest, CodeWithoutGbkFormMarksBytesInexact) {
  // U+D55C (Hangul) has no GBK form; U+1F600 is written as a surrogate pair
  TDfmValue v = ParseValueText("'a'#54620 + #55357#56832");
  EXPECT_EQ(v.Wide, u"a\uD55C\U0001F600");
  EXPECT_FALSE(v.BytesExact);
  EXPECT_EQ(v.UnmappablePos.Line, 2);
  EXPECT_EQ(v.UnmappablePos.Column, 10);
}

// ---- Compound values ----

// Guards against lost or merged elements and against the empty forms.
TEST(DfmParserTest, ParsesSetsListsBinary) {
  TDfmValue set = ParseValueText("[akLeft, akTop ,akRight]");
  ASSERT_EQ(set.Kind, TDfmValueKind::Set);
  ASSERT_EQ(set.Items.size(), 3u);
  EXPECT_EQ(set.Items[0].Str, "akLeft");
  EXPECT_EQ(set.Items[2].Str, "akRight");
  EXPECT_EQ(set.Items[1].Pos.Column, 16);

  EXPECT_TRUE(ParseValueText("[]").Items.empty());

  // Adjacent quoted strings separated by blanks are separate items.
  TDfmValue list = ParseValueText("(\n    'a'\n    'b''c' + 'd'\n    #65 1 $10 x.y)");
  ASSERT_EQ(list.Kind, TDfmValueKind::List);
  ASSERT_EQ(list.Items.size(), 6u);
  EXPECT_EQ(list.Items[0].Str, "a");
  EXPECT_EQ(list.Items[1].Str, "b'cd");
  EXPECT_EQ(list.Items[2].Str, "A");
  EXPECT_EQ(list.Items[3].Int, 1);
  EXPECT_EQ(list.Items[4].Int, 16);
  EXPECT_EQ(list.Items[5].Str, "x.y");
  EXPECT_EQ(list.Items[1].Pos.Line, 4);
  EXPECT_TRUE(ParseValueText("()").Items.empty());

  TDfmValue bin = ParseValueText("{\n    0A1bFF\n    00 7f}");
  ASSERT_EQ(bin.Kind, TDfmValueKind::Binary);
  EXPECT_EQ(Hex(bin.Str), "0A 1B FF 00 7F");
  EXPECT_TRUE(ParseValueText("{}").Str.empty());
}

// Guards against items that swallow the next item's properties and against
// dotted paths inside items.
TEST(DfmParserTest, ParsesCollections) {
  TDfmValue v = ParseValueText(
      "<\n"
      "    item\n"
      "      Caption = 'x'\n"
      "      Width = 40\n"
      "    end\n"
      "    item\n"
      "      Font.Style = [fsBold]\n"
      "    end>");
  ASSERT_EQ(v.Kind, TDfmValueKind::Collection);
  ASSERT_EQ(v.CollectionItems.size(), 2u);
  const TDfmItem& first = v.CollectionItems[0];
  ASSERT_EQ(first.Properties.size(), 2u);
  EXPECT_EQ(first.Properties[0].Name, "Caption");
  EXPECT_EQ(first.Properties[0].Value.Str, "x");
  EXPECT_EQ(first.Properties[1].Value.Int, 40);
  EXPECT_EQ(first.Pos.Line, 3);
  EXPECT_EQ(first.Pos.Column, 5);
  EXPECT_EQ(v.CollectionItems[1].Properties[0].Name, "Font.Style");
  EXPECT_TRUE(ParseValueText("<>").CollectionItems.empty());
}

// ---- Structure ----

// Guards against children attached to the wrong parent, properties out of
// file order, and wrong positions on the nodes the reader reports.
TEST(DfmParserTest, ParsesNestedObjectsInFileOrder) {
  const char* text =
      "inherited frmTest: TfrmTest\n"
      "  Caption = 'Test'\n"
      "  object Panel1: TPanel\n"
      "    Align = alTop\n"
      "    object Edit1: TEdit\n"
      "      Font.Height = -13\n"
      "      Text = ''\n"
      "    end\n"
      "    INLINE Frame1: TFrame1\n"
      "    End\n"
      "  end\n"
      "  Left = 8\n"
      "  inherited btnOk: TButton\n"
      "  end\n"
      "  object TTimer\n"
      "  end\n"
      "end";
  TDfmDocument doc = ParseDfm(text, "t.dfm");
  EXPECT_EQ(doc.FileName, "t.dfm");
  const TDfmObject& root = doc.Root;
  EXPECT_EQ(root.Kind, TDfmObjectKind::Inherited);
  EXPECT_EQ(root.Name, "frmTest");
  EXPECT_EQ(root.ClassName, "TfrmTest");
  ASSERT_EQ(root.Properties.size(), 2u);
  EXPECT_EQ(root.Properties[0].Name, "Caption");
  EXPECT_EQ(root.Properties[1].Name, "Left");
  EXPECT_EQ(root.Properties[1].Pos.Line, 12);
  ASSERT_EQ(root.Children.size(), 3u);

  const TDfmObject& panel = root.Children[0];
  EXPECT_EQ(panel.Kind, TDfmObjectKind::Object);
  EXPECT_EQ(panel.Name, "Panel1");
  EXPECT_EQ(panel.Pos.Line, 3);
  EXPECT_EQ(panel.Pos.Column, 3);
  ASSERT_EQ(panel.Children.size(), 2u);
  const TDfmObject& edit = panel.Children[0];
  EXPECT_EQ(edit.ClassName, "TEdit");
  ASSERT_EQ(edit.Properties.size(), 2u);
  EXPECT_EQ(edit.Properties[0].Name, "Font.Height");
  EXPECT_EQ(edit.Properties[0].Value.Int, -13);
  EXPECT_EQ(edit.Properties[0].Pos.Line, 6);
  EXPECT_EQ(edit.Properties[0].Pos.Column, 7);
  EXPECT_EQ(edit.Properties[0].Value.Pos.Column, 21);
  EXPECT_EQ(panel.Children[1].Kind, TDfmObjectKind::Inline);

  EXPECT_EQ(root.Children[1].Kind, TDfmObjectKind::Inherited);
  EXPECT_EQ(root.Children[1].Name, "btnOk");
  // An object without a name keeps its class.
  EXPECT_EQ(root.Children[2].Name, "");
  EXPECT_EQ(root.Children[2].ClassName, "TTimer");
}

// Guards against a double-byte character counted as two columns, which
// would point every later error of the line at the wrong place.
TEST(DfmParserTest, ColumnsCountCharacters) {
  // '中文' then a stray '?': the quote is column 13, '?' column 18, not 20
  try {
    ParseDfm("object A: TA\n  Caption = '\xD6\xD0\xCE\xC4' ?\nend", "c.dfm");
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "c.dfm:2:18: expected a property, a nested object or 'end' but found '?'");
  }
}

// Guards against reading past the end or crashing on damaged input: every
// cut of a resource using each construct, and every single-byte change of
// it, either parses or raises EReadError with a position.
TEST(DfmParserTest, DamagedInputRaisesReadErrorOnly) {
  const std::string text =
      "object frmTest: TfrmTest\r\n"
      "  Caption = '\xD6\xD0'#13#10'x' +\n"
      "    'y'\n"
      "  Left = -$1F\n"
      "  Ratio = 1.5E-3\n"
      "  Anchors = [akLeft, akTop]\n"
      "  Items.Strings = ('a' 1 x.y)\n"
      "  Columns = <item Width = 1 end>\n"
      "  Data = {0A 1B}\n"
      "  inherited Edit1: TEdit\n"
      "  end\n"
      "end\n";
  ASSERT_NO_THROW(ParseDfm(text, "d.dfm"));
  auto parsesOrReports = [](const std::string& input) {
    try {
      ParseDfm(input, "d.dfm");
    } catch (const EReadError& e) {
      if (e.Message().rfind("d.dfm:", 0) != 0) ADD_FAILURE() << "no position: " << e.Message();
    }
  };
  for (size_t n = 0; n < text.size(); ++n) parsesOrReports(text.substr(0, n));
  const char replacements[] = {'\'', '#', '+', '$', '[', '(', '<', '{', '\xD6', '\0', ' ', 'e'};
  for (size_t n = 0; n < text.size(); ++n) {
    for (char c : replacements) {
      std::string damaged = text;
      damaged[n] = c;
      parsesOrReports(damaged);
    }
  }
}

// ---- Errors ----

struct TErrorRow {
  const char* Name;
  std::string Text;
  std::string Message;  // without the "e.dfm:" prefix
};

void PrintTo(const TErrorRow& row, std::ostream* os) { *os << row.Name; }

class DfmParserErrorTest : public testing::TestWithParam<TErrorRow> {};

// Guards against a syntax error that passes silently, reports the wrong
// place, or crashes on a cut-off text.
TEST_P(DfmParserErrorTest, RaisesReadErrorWithPosition) {
  const TErrorRow& row = GetParam();
  try {
    ParseDfm(row.Text, "e.dfm");
    FAIL() << "no error for " << row.Name;
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "e.dfm:" + row.Message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, DfmParserErrorTest,
    testing::Values(
        TErrorRow{"EmptyText", "", "1:1: expected 'object', 'inherited' or 'inline' but found end of text"},
        TErrorRow{"NoObjectKeyword", "objects A: TA\nend", "1:1: expected 'object', 'inherited' or 'inline' but found 'objects'"},
        TErrorRow{"MissingClassName", "object A:\nend", "2:1: expected a class name but found 'end'"},
        TErrorRow{"MissingEnd", "object A: TA\n  Left = 1\n", "3:1: expected a property, a nested object or 'end' but found end of text"},
        TErrorRow{"TextAfterEnd", "object A: TA\nend\nend", "3:1: expected end of text after the final 'end' but found 'end'"},
        TErrorRow{"SecondRoot", "object A: TA\nend\nobject B: TB\nend", "3:1: expected end of text after the final 'end' but found 'object'"},
        TErrorRow{"MissingEquals", "object A: TA\n  Left 1\nend", "2:8: expected '=' after property Left but found '1'"},
        TErrorRow{"MissingValue", "object A: TA\n  Left =\nend", "3:1: expected a value but found 'end'"},
        TErrorRow{"BadValueChar", "object A: TA\n  Left = ?\nend", "2:10: expected a value but found '?'"},
        TErrorRow{"CrLfLineBreaks", "object A: TA\r\n\r\n  Left = ?\r\nend", "3:10: expected a value but found '?'"},
        TErrorRow{"LoneCrLineBreaks", "object A: TA\r\r  Left = ?\rend", "3:10: expected a value but found '?'"},
        TErrorRow{"TabIsOneColumn", "object A: TA\n\tLeft = ?\nend", "2:9: expected a value but found '?'"},
        TErrorRow{"TrailingDot", "object A: TA\n  Font. = 1\nend", "2:8: expected a name after '.' but found ' '"},
        TErrorRow{"ControlCharacter", "object A: TA\n\x01\nend", "2:1: expected a property, a nested object or 'end' but found character $01"},
        TErrorRow{"NonAsciiOutsideString", "object A: TA\n  \xD6\xD0 = 1\nend", "2:3: expected a property, a nested object or 'end' but found character $D6"},
        TErrorRow{"UnterminatedString", "object A: TA\n  Caption = 'abc\nend", "2:13: unterminated string"},
        TErrorRow{"UnterminatedAtEnd", "object A: TA\n  Caption = 'ab", "2:13: unterminated string"},
        TErrorRow{"PlusWithoutString", "object A: TA\n  Caption = 'a' +\nend", "3:1: expected a string after '+' but found 'end'"},
        TErrorRow{"HashWithoutDigits", "object A: TA\n  Caption = #x\nend", "2:14: expected a character code after '#' but found 'x'"},
        TErrorRow{"CodeAboveUnicode", "object A: TA\n  Caption = #1114112\nend", "2:14: character code out of range (above 1114111)"},
        TErrorRow{"LoneLowSurrogate", "object A: TA\n  Caption = 'a'#56832\nend", "2:16: character code is a lone low surrogate"},
        TErrorRow{"HighSurrogateAlone", "object A: TA\n  Caption = #55357'x'\nend", "2:13: character code is a high surrogate without its low half"},
        TErrorRow{"SpaceBetweenPieces", "object A: TA\n  Caption = 'a' #13\nend", "2:17: expected a property, a nested object or 'end' but found '#'"},
        TErrorRow{"MinusAlone", "object A: TA\n  Left = - 1\nend", "2:11: expected a number after '-' but found ' '"},
        TErrorRow{"HexWithoutDigits", "object A: TA\n  Left = $G\nend", "2:11: expected hexadecimal digits after '$' but found 'G'"},
        TErrorRow{"HexTooLong", "object A: TA\n  Left = $10000000000000000\nend", "2:11: hexadecimal number has more than 16 digits"},
        TErrorRow{"DecimalOverflow", "object A: TA\n  Left = 9223372036854775808\nend", "2:10: integer out of range"},
        TErrorRow{"NegativeOverflow", "object A: TA\n  Left = -9223372036854775809\nend", "2:10: integer out of range"},
        TErrorRow{"LetterInNumber", "object A: TA\n  Left = 12px\nend", "2:12: unexpected 'px' in a number"},
        TErrorRow{"DotWithoutDigits", "object A: TA\n  Left = 1.\nend", "2:12: expected digits after the decimal point but found character $0A"},
        TErrorRow{"ExponentWithoutDigits", "object A: TA\n  Left = 1E+\nend", "2:13: expected the exponent's digits but found character $0A"},
        TErrorRow{"SetMissingComma", "object A: TA\n  Anchors = [akLeft akTop]\nend", "2:21: expected ',' or ']' in a set but found 'akTop'"},
        TErrorRow{"SetTrailingComma", "object A: TA\n  Anchors = [akLeft,]\nend", "2:21: expected a set element name but found ']'"},
        TErrorRow{"SetNumber", "object A: TA\n  Anchors = [1]\nend", "2:14: expected a set element name but found '1'"},
        TErrorRow{"UnterminatedList", "object A: TA\n  Items = (\n  'a'\n", "2:11: unterminated list: expected ')'"},
        TErrorRow{"CollectionWithoutItem", "object A: TA\n  Cols = <\n  x>\nend", "3:3: expected 'item' or '>' in a collection but found 'x'"},
        TErrorRow{"CollectionItemUnclosed", "object A: TA\n  Cols = <item\n  Width = 1>\nend", "3:12: expected a property or 'end' in a collection item but found '>'"},
        TErrorRow{"BinaryOddDigits", "object A: TA\n  Data = {0A1\n  }\nend", "2:13: binary data has an odd number of hexadecimal digits"},
        TErrorRow{"BinaryBadDigit", "object A: TA\n  Data = {0G}\nend", "2:12: expected a hexadecimal digit or '}' in binary data but found 'G'"},
        TErrorRow{"BinaryUnterminated", "object A: TA\n  Data = {00", "2:10: unterminated binary data: expected '}'"},
        TErrorRow{"OrderIndexNotSupported", "object A: TA [1]\nend", "1:14: expected a property, a nested object or 'end' but found '['"},
        TErrorRow{"CutDoubleByteAtEnd", "object A: TA\n  Caption = '\xD6", "2:13: unterminated string"}),
    [](const auto& info) { return info.param.Name; });

}  // namespace
