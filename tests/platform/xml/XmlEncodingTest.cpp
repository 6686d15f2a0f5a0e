// How XML documents meet byte strings: text given by a caller is kept byte
// for byte (GBK and Big5, trail bytes that look like ASCII included), files
// are converted from their byte order mark or declared encoding into the
// document's code page, character references become bytes of that code page,
// and saving writes UTF-8. Byte data from Python's codecs:
// "中".encode("gbk") = D6 D0, .encode("cp950") = A4 A4, .encode("utf-8") =
// E4 B8 AD, .encode("utf-16-le") = 2D 4E; "功" in cp950 = A5 5C (trail byte
// "\"), in GBK B9 A6; "丂" in GBK = 81 40 (trail byte "@"); "한" (U+D55C) has
// no GBK or Big5 form.
#include "platform/xml/XmlEncoding.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/ExpectThrow.h"
#include "platform/rtl/TextSupport.h"
#include "platform/win/Paths.h"
#include "platform/win/TempDir.h"
#include "platform/xml/XmlDom.h"

namespace {

using namespace std::string_view_literals;

// ---- Names and declarations ----

// Guards against declarations read with the wrong code page and names that
// silently fall back to something else.
TEST(XmlEncodingNameTest, MapsEncodingNamesToCodePages) {
  struct TRow {
    const char* Name;
    int CodePage;
  };
  const TRow rows[] = {{"GB2312", 936},        {"gbk", 936},          {"Big5", 950},
                       {"cp950", 950},         {"UTF-8", CP_UTF8},    {"utf8", CP_UTF8},
                       {"windows-1252", 1252}, {"ISO-8859-1", 28591}, {"GB18030", 54936},
                       {"UTF-16", 0},          {"x-klingon", 0},      {"windows-99999", 0}};
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(XmlEncodingCodePage(row.Name), row.CodePage);
  }
}

// Guards against an encoding taken from outside the declaration (an
// attribute of the root, a stylesheet instruction) and "encoding =" with
// blanks not being recognised.
TEST(XmlEncodingNameTest, ReadsTheDeclaredEncoding) {
  struct TRow {
    const char* Name;
    std::string_view Text;
    const char* Encoding;
  };
  const TRow rows[] = {
      {"Plain", "<?xml version=\"1.0\" encoding=\"GB2312\"?><R/>", "GB2312"},
      {"BlanksAndSingleQuotes", "<?xml version='1.0' encoding = 'utf-8' ?><R/>", "utf-8"},
      {"AfterUtf8Bom", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"Big5\"?><R/>", "Big5"},
      {"NoEncoding", "<?xml version=\"1.0\"?><R encoding=\"x\"/>", ""},
      {"NoDeclaration", "<R encoding=\"x\"/>", ""},
      {"OtherInstruction", "<?xml-stylesheet encoding=\"x\"?><R/>", ""},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(DeclaredXmlEncoding(row.Text), row.Encoding);
  }
}

// ---- Text given by the caller ----

struct TTextRow {
  const char* Name;
  int CodePage;
  std::string_view Text;
  std::string_view Value;  // the attribute v of the root
};

void PrintTo(const TTextRow& row, std::ostream* os) { *os << row.Name; }

class XmlTextBytesTest : public testing::TestWithParam<TTextRow> {};

// Guards against declarations that relabel the caller's bytes, trail bytes
// taken for markup, and character references that come out as UTF-8 in a
// GBK or Big5 document (mixed encodings in one text).
TEST_P(XmlTextBytesTest, KeepsTheCallersBytes) {
  const TTextRow& row = GetParam();
  TXmlDocument doc(row.CodePage);
  ASSERT_TRUE(doc.LoadXml(row.Text)) << doc.ParseError().Reason;
  EXPECT_EQ(Hex(doc.DocumentElement().GetAttribute("v")), Hex(row.Value));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, XmlTextBytesTest,
    testing::Values(
        TTextRow{"Gbk", 936, "<R v=\"\xD6\xD0\x81\x40\"/>", "\xD6\xD0\x81\x40"},
        TTextRow{"GbkUnderUtf8Label", 936,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><R v=\"\xD6\xD0\"/>", "\xD6\xD0"},
        TTextRow{"Big5TrailBackslash", 950, "<R v=\"\xA5\x5C\"/>", "\xA5\x5C"},
        TTextRow{"Big5UnderGb2312Label", 950,
                 "<?xml version=\"1.0\" encoding=\"GB2312\"?><R v=\"\xA4\xA4\xA5\x5C\"/>",
                 "\xA4\xA4\xA5\x5C"},
        TTextRow{"HexReferenceInGbk", 936, "<R v=\"&#x4E2D;\"/>", "\xD6\xD0"},
        TTextRow{"DecimalReferenceInBig5", 950, "<R v=\"&#20013;\"/>", "\xA4\xA4"},
        TTextRow{"ReferenceIn1252", 1252, "<R v=\"&#x4E2D;&#xE9;\"/>", "?\xE9"},
        TTextRow{"ReferenceWithoutForm", 936, "<R v=\"&#xD55C;\"/>", "?"},
        TTextRow{"AsciiReferenceAndEntities", 936, "<R v=\"&#65;&amp;&lt;\"/>", "A&<"},
        TTextRow{"Utf8ByteOrderMark", 936, "\xEF\xBB\xBF<R v=\"\xE4\xB8\xAD\"/>", "\xD6\xD0"}));

// Guards against references resolved inside CDATA and comments (they are
// literal there) and against element names and XPath with double-byte names.
TEST(XmlTextBytesTest, DoubleByteNamesAndLiteralSections) {
  TXmlDocument doc(936);
  ASSERT_TRUE(doc.LoadXml(
      "<\xD6\xD0 \xCE\xC4=\"\xB9\xA6\"><!--&#x4E2D;--><![CDATA[&#x4E2D;]]>&#x4E2D;</\xD6\xD0>"))
      << doc.ParseError().Reason;
  const TXmlNode root = doc.DocumentElement();
  EXPECT_EQ(Hex(root.NodeName()), "D6 D0");
  EXPECT_EQ(root.ChildNodes()[0].Text(), "&#x4E2D;");
  EXPECT_EQ(Hex(root.Text()), Hex("&#x4E2D;\xD6\xD0"));
  EXPECT_EQ(Hex(doc.SelectSingleNode("//\xD6\xD0/@\xCE\xC4").Text()), "B9 A6");
  EXPECT_EQ(Hex(doc.SelectSingleNode("//*[@\xCE\xC4='\xB9\xA6']").NodeName()), "D6 D0");
}

// Guards against the system code page being read once and for all: a
// document of CP_ACP follows the code page in force.
TEST(XmlTextBytesTest, SystemCodePageDocumentResolvesReferencesInIt) {
  TScopedCodePage big5(950);
  TXmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<R v=\"&#x4E2D;\"/>"));
  EXPECT_EQ(Hex(doc.DocumentElement().GetAttribute("v")), "A4 A4");
}

// ---- Files ----

struct TFileRow {
  const char* Name;
  int CodePage;
  std::string_view Bytes;
  std::string_view Value;  // the attribute v of the root
};

void PrintTo(const TFileRow& row, std::ostream* os) { *os << row.Name; }

class XmlFileLoadTest : public testing::TestWithParam<TFileRow> {};

// Guards against a file read in the wrong encoding: a UTF-8 language file
// shown as mojibake, UTF-16 not recognised, a GB2312 file left as GBK bytes
// in a Big5 document.
TEST_P(XmlFileLoadTest, ConvertsIntoTheDocumentsCodePage) {
  const TFileRow& row = GetParam();
  TTempDir dir;
  const std::string path = dir.WriteFile("t.Lng", row.Bytes);
  TXmlDocument doc(row.CodePage);
  ASSERT_TRUE(doc.Load(path)) << doc.ParseError().Reason;
  EXPECT_EQ(Hex(doc.DocumentElement().GetAttribute("v")), Hex(row.Value));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, XmlFileLoadTest,
    testing::Values(
        TFileRow{"Utf8DeclaredInto936", 936,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<R v=\"\xE4\xB8\xAD\xE5\x8A\x9F\"/>",
                 "\xD6\xD0\xB9\xA6"},
        TFileRow{"Utf8DeclaredInto950", 950,
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?><R v=\"\xE4\xB8\xAD\xE5\x8A\x9F\"/>",
                 "\xA4\xA4\xA5\x5C"},
        TFileRow{"Utf8BomWithoutDeclaration", 950, "\xEF\xBB\xBF<R v=\"\xE4\xB8\xAD\"/>",
                 "\xA4\xA4"},
        TFileRow{"Utf8WithoutDeclaration", 936, "<R v=\"\xE4\xB8\xAD\"/>", "\xD6\xD0"},
        TFileRow{"Utf16LeWithBom", 936, "\xFF\xFE<\0R\0 \0v\0=\0\"\0\x2D\x4E\"\0/\0>\0"sv,
                 "\xD6\xD0"},
        TFileRow{"Utf16BeWithoutBom", 936,
                 "\0<\0?\0x\0m\0l\0 \0v\0e\0r\0s\0i\0o\0n\0=\0\"\0\x31\0\"\0?\0>"
                 "\0<\0R\0 \0v\0=\0\"\x4E\x2D\0\"\0/\0>"sv,
                 "\xD6\xD0"},
        TFileRow{"Gb2312DeclaredInto950", 950,
                 "<?xml version=\"1.0\" encoding=\"GB2312\"?><R v=\"\xD6\xD0\xB9\xA6\"/>",
                 "\xA4\xA4\xA5\x5C"},
        TFileRow{"Big5DeclaredInto936", 936,
                 "<?xml version=\"1.0\" encoding=\"big5\"?><R v=\"\xA4\xA4\xA5\x5C\"/>",
                 "\xD6\xD0\xB9\xA6"},
        TFileRow{"GbkBytesWithoutDeclaration", 936, "<R v=\"\xD6\xD0\"/>", "\xD6\xD0"},
        TFileRow{"CharacterWithoutForm", 936,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><R v=\"a\xED\x95\x9C\"/>", "a?"}));

struct TBadFileRow {
  const char* Name;
  std::string_view Bytes;  // empty: no file at all
  TXmlErrorCode Code;
  const char* ReasonPart;
};

void PrintTo(const TBadFileRow& row, std::ostream* os) { *os << row.Name; }

class XmlBadFileTest : public testing::TestWithParam<TBadFileRow> {};

// Guards against bytes that are not what the file claims being passed on as
// text, and a load failure without the file's name or the position.
TEST_P(XmlBadFileTest, ReportsWhyAndWhere) {
  const TBadFileRow& row = GetParam();
  TTempDir dir;
  const std::string path = row.Bytes.empty() ? dir / "missing.Lng" : dir.WriteFile("bad.Lng", row.Bytes);
  TXmlDocument doc(936);
  EXPECT_FALSE(doc.Load(path));
  EXPECT_EQ(doc.ParseError().ErrorCode, row.Code);
  EXPECT_EQ(doc.ParseError().Url, path);
  EXPECT_NE(doc.ParseError().Reason.find(path), std::string::npos) << doc.ParseError().Reason;
  EXPECT_NE(doc.ParseError().Reason.find(row.ReasonPart), std::string::npos) << doc.ParseError().Reason;
  EXPECT_TRUE(doc.DocumentElement().IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, XmlBadFileTest,
    testing::Values(
        TBadFileRow{"Missing", "", xeFileNotFound, "cannot be found"},
        TBadFileRow{"GbkBytesDeclaredUtf8",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<R v=\"\xD6\xD0\"/>", xeEncoding,
                    "line 2, column 7: a byte sequence that is not valid UTF-8"},
        TBadFileRow{"UnknownEncoding", "<?xml version=\"1.0\" encoding=\"x-klingon\"?><R/>",
                    xeEncoding, "x-klingon"},
        TBadFileRow{"Utf16OddLength", "\xFF\xFE<\0R\0/\0>"sv, xeEncoding, "odd number"},
        TBadFileRow{"NotWellFormed", "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<R>\n<A></R>",
                    xeSyntax, "line 3"}));

// ---- Saving ----

// Guards against a saved file whose declaration still names the old code
// page over UTF-8 bytes, and against losing bytes on the way back.
TEST(XmlSaveTest, WritesUtf8AndLoadsBackIntoAnyCodePage) {
  TTempDir dir;
  const std::string path = dir / "out.xml";
  TXmlDocument doc(936);
  ASSERT_TRUE(doc.LoadXml("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\"?>"
                          "<!--\xB9\xA6--><Root v=\"\xD6\xD0\"/>"));
  doc.Save(path);
  EXPECT_EQ(ReadFileBytes(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
            "<!--\xE5\x8A\x9F--><Root v=\"\xE4\xB8\xAD\"/>");
  TXmlDocument big5(950);
  ASSERT_TRUE(big5.Load(path)) << big5.ParseError().Reason;
  EXPECT_EQ(Hex(big5.DocumentElement().GetAttribute("v")), "A4 A4");
  TXmlDocument plain(936);
  ASSERT_TRUE(plain.LoadXml("<R/>"));
  plain.Save(path);
  EXPECT_EQ(ReadFileBytes(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><R/>");
}

// Guards against writing a file that cannot be loaded again (no root) and
// against bytes that are no text in the code page turning into U+FFFD.
TEST(XmlSaveTest, RefusesWhatCannotBeWrittenFaithfully) {
  TTempDir dir;
  TXmlDocument empty(936);
  ExpectThrowWith<EXmlError>([&] { empty.Save(dir / "a.xml"); }, "without a top-level element");
  TXmlDocument broken(936);
  ASSERT_TRUE(broken.LoadXml("<R/>"));
  broken.DocumentElement().SetAttribute("v", "a\x81");  // a lead byte cut off
  ExpectThrowWith<EXmlError>([&] { broken.Save(dir / "b.xml"); }, "not valid code page 936");
  ExpectThrowWith<EInOutError>([&] { broken.DocumentElement().SetAttribute("v", "a");
                                     broken.Save(dir / "no/such/folder/c.xml"); },
                               "cannot write");
}

}  // namespace
