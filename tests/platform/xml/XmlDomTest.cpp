// The XML document: loading and its errors, the node tree as the forms read
// it (all child nodes, attributes, XPath), building a document, the lifetime
// of node handles. Encodings and files are in XmlEncodingTest.cpp. Expected
// XML texts follow the serialisation rules of XmlDom.h (raw, no blank before
// "/>", & < " and line ends escaped in attribute values).
#include "platform/xml/XmlDom.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/ExpectThrow.h"
#include "platform/rtl/TextSupport.h"

namespace {

using namespace std::string_view_literals;

std::vector<std::string> Names(const TXmlNodeList& nodes) {
  std::vector<std::string> out;
  for (const TXmlNode& n : nodes) out.push_back(n.NodeName());
  return out;
}

std::vector<std::string> Texts(const TXmlNodeList& nodes) {
  std::vector<std::string> out;
  for (const TXmlNode& n : nodes) out.push_back(n.Text());
  return out;
}

// ---- Loading ----

struct TLoadRow {
  const char* Name;
  std::string_view Text;
  TXmlErrorCode Code;
  int Line;  // of the fault; 0 when not checked
};

void PrintTo(const TLoadRow& row, std::ostream* os) { *os << row.Name; }

class XmlLoadTest : public testing::TestWithParam<TLoadRow> {};

// Guards against a malformed text reported as loaded (pugixml alone accepts
// two top-level elements and text beside the root), against a failure without
// a reason, and against a failed load that keeps the previous content.
TEST_P(XmlLoadTest, ReportsTheFaultOrLoads) {
  const TLoadRow& row = GetParam();
  TXmlDocument doc(936);
  ASSERT_TRUE(doc.LoadXml("<Old/>"));
  const TXmlNode old = doc.DocumentElement();
  const bool ok = doc.LoadXml(row.Text);
  EXPECT_EQ(ok, row.Code == xeNone);
  EXPECT_EQ(doc.ParseError().ErrorCode, row.Code) << doc.ParseError().Reason;
  EXPECT_FALSE(old.IsValid()) << "a handle of the previous content still works";
  if (row.Code == xeNone) {
    EXPECT_TRUE(doc.ParseError().Reason.empty());
    EXPECT_FALSE(doc.DocumentElement().IsEmpty());
    return;
  }
  EXPECT_FALSE(doc.ParseError().Reason.empty());
  EXPECT_TRUE(doc.DocumentElement().IsEmpty()) << "a failed load leaves no root";
  if (row.Line > 0) {
    EXPECT_EQ(doc.ParseError().Line, row.Line);
    EXPECT_NE(doc.ParseError().Reason.find("line " + std::to_string(row.Line)), std::string::npos)
        << doc.ParseError().Reason;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, XmlLoadTest,
    testing::Values(
        TLoadRow{"WellFormed", "<Root a=\"1\"><R1/></Root>", xeNone, 0},
        TLoadRow{"DeclarationAndInternalSubset",
                 "<?xml version=\"1.0\" encoding=\"GB2312\"?><!DOCTYPE SC[<!ENTITY stdd "
                 "\"&amp;stdd;\">]><Root>&stdd;</Root>",
                 xeNone, 0},
        TLoadRow{"MismatchedTags", "<Root>\n<R1>\n</Root>", xeSyntax, 3},
        TLoadRow{"UnclosedRoot", "<Root><R1/>", xeSyntax, 0},
        TLoadRow{"Empty", "", xeNoRootElement, 0},
        TLoadRow{"PrologOnly", "<?xml version=\"1.0\"?><!--x-->", xeNoRootElement, 0},
        TLoadRow{"TwoTopLevelElements", "<A/>\n<B/>", xeMultipleRoots, 2},
        TLoadRow{"TextAfterRoot", "<A/>tail", xeTextOutsideRoot, 1},
        TLoadRow{"NulByte", "<A>\0</A>"sv, xeSyntax, 1},
        TLoadRow{"ReferenceToNul", "<A>&#0;</A>", xeEncoding, 1},
        TLoadRow{"MalformedReference", "<A>\n&#x4G;</A>", xeEncoding, 2}));

// ---- Reading the tree ----

class XmlTreeTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Doc.LoadXml(
        "<?xml version=\"1.0\"?><!--top--><Root>"
        "<!--c--><R1 ID=\"1\" Name=\"a\" Msg=\"YNN\"/><?pi data?>text<![CDATA[<raw>]]>"
        "<R2 ID=\"2\"><Field name=\"Id\" value=\"u1\"/><Field name=\"Name\" value=\"n1\"/></R2>"
        "<Status code=\"0\" Description=\"fine\"/>"
        "</Root>"))
        << Doc.ParseError().Reason;
  }
  TXmlDocument Doc{936};
};

// Guards against dropping comments and processing instructions: the
// recipient grid is sized from the root's child count.
TEST_F(XmlTreeTest, CountsEveryChildNode) {
  const TXmlNodeList children = Doc.DocumentElement().ChildNodes();
  EXPECT_EQ(Names(children), (std::vector<std::string>{"#comment", "R1", "pi", "#text",
                                                       "#cdata-section", "R2", "Status"}));
  const std::vector<TXmlNodeType> types{TXmlNodeType::Comment, TXmlNodeType::Element,
                                        TXmlNodeType::ProcessingInstruction, TXmlNodeType::Text,
                                        TXmlNodeType::CData, TXmlNodeType::Element,
                                        TXmlNodeType::Element};
  for (size_t i = 0; i < children.size(); ++i) EXPECT_EQ(children[i].NodeType(), types[i]) << i;
  // The document's own children: declaration, comment, root.
  EXPECT_EQ(Names(Doc.ChildNodes()), (std::vector<std::string>{"xml", "#comment", "Root"}));
  EXPECT_EQ(Doc.AsNode().NodeType(), TXmlNodeType::Document);
}

// Guards against text that takes comments along or misses CDATA.
TEST_F(XmlTreeTest, TextJoinsTextAndCDataBelowANode) {
  EXPECT_EQ(Doc.DocumentElement().Text(), "text<raw>");
  EXPECT_EQ(Doc.DocumentElement().ChildNodes()[0].Text(), "c");
  EXPECT_EQ(Doc.ChildNodes()[0].Text(), "version=\"1.0\"");
}

// Guards against attributes out of document order, an index past the end
// that crashes, and a lookup that ignores case (XML names are case-sensitive).
TEST_F(XmlTreeTest, ReadsAttributesByIndexAndByName) {
  const TXmlNode r1 = Doc.SelectSingleNode("//R1");
  ASSERT_TRUE(r1.HasAttributeMap());
  ASSERT_EQ(r1.AttributeCount(), 3);
  std::vector<std::string> pairs;
  for (int i = 0; i < r1.AttributeCount(); ++i) {
    const TXmlNode a = r1.Attribute(i);
    EXPECT_EQ(a.NodeType(), TXmlNodeType::Attribute);
    pairs.push_back(a.NodeName() + "=" + a.Text());
  }
  EXPECT_EQ(pairs, (std::vector<std::string>{"ID=1", "Name=a", "Msg=YNN"}));
  EXPECT_TRUE(r1.Attribute(3).IsEmpty());
  EXPECT_TRUE(r1.Attribute(-1).IsEmpty());
  EXPECT_EQ(r1.AttributeNode("Msg").Text(), "YNN");
  EXPECT_TRUE(r1.AttributeNode("msg").IsEmpty());
  EXPECT_TRUE(r1.HasAttribute("Name"));
  EXPECT_FALSE(r1.HasAttribute("Mob"));
  EXPECT_EQ(r1.GetAttribute("Mob"), "");
  const TXmlNode text = Doc.DocumentElement().ChildNodes()[3];
  EXPECT_FALSE(text.HasAttributeMap());
  EXPECT_EQ(text.AttributeCount(), 0);
}

struct TXPathRow {
  const char* Name;
  const char* Context;  // XPath of the context node from the document; "" for the document
  const char* XPath;
  std::vector<std::string> Texts;  // Text() of each node found, in order
};

void PrintTo(const TXPathRow& row, std::ostream* os) { *os << row.Name; }

class XmlXPathTest : public XmlTreeTest, public testing::WithParamInterface<TXPathRow> {};

// Guards against results out of document order, attribute nodes that come
// back as their elements, and relative paths evaluated from the document.
TEST_P(XmlXPathTest, SelectsInDocumentOrder) {
  const TXPathRow& row = GetParam();
  const TXmlNode context = *row.Context ? Doc.SelectSingleNode(row.Context) : Doc.AsNode();
  ASSERT_FALSE(context.IsEmpty());
  EXPECT_EQ(Texts(context.SelectNodes(row.XPath)), row.Texts);
  const TXmlNode first = context.SelectSingleNode(row.XPath);
  if (row.Texts.empty()) EXPECT_TRUE(first.IsEmpty());
  else EXPECT_EQ(first.Text(), row.Texts.front());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, XmlXPathTest,
    testing::Values(
        TXPathRow{"AnyElementByTag", "", "//R1", {""}},
        TXPathRow{"AttributeOfAnyElement", "", "//R1/@Msg", {"YNN"}},
        TXPathRow{"MissingAttribute", "", "//R1/@Mob", {}},
        TXPathRow{"ChildOfRoot", "/Root", "R2", {""}},
        TXPathRow{"WithAttribute", "", "//Status[@code]/@Description", {"fine"}},
        TXPathRow{"AttributeEquals", "//R2", "Field[@name='Name']/@value", {"n1"}},
        TXPathRow{"AllInOrder", "", "//Field/@value", {"u1", "n1"}},
        TXPathRow{"UnionInDocumentOrder", "", "//Status/@code | //R1/@ID", {"1", "0"}},
        TXPathRow{"FromAnAttribute", "//R1/@ID", "../@Name", {"a"}},
        TXPathRow{"CaseMatters", "", "//r1", {}}));

// Guards against a bad expression crashing or passing as "nothing found".
TEST_F(XmlTreeTest, BadXPathRaisesWithTheExpression) {
  ExpectThrowWith<EXmlError>([&] { Doc.SelectNodes("//["); }, "//[");
  ExpectThrowWith<EXmlError>([&] { Doc.SelectSingleNode("count(//R1)"); }, "count(//R1)");
}

// ---- Building ----

// Guards against attributes set after the append being lost (the element
// would be a copy), against a new attribute that reorders the others on
// overwrite, and against blanks or a declaration in the XML text.
TEST(XmlBuildTest, BuildsTheRecipientDocumentShape) {
  TXmlDocument doc(936);
  ASSERT_TRUE(doc.LoadXml("<?xml version=\"1.0\" encoding=\"GB2312\"?><Root/>"));
  TXmlNode root = doc.DocumentElement();
  TXmlNode r1 = doc.CreateElement("R1");
  r1.SetAttribute("ID", "0001");
  EXPECT_EQ(root.AppendChild(r1), r1);
  r1.SetAttribute("Name", "\xD5\xC5\xC8\xFD");  // 张三
  r1.SetAttribute("Msg", "YNN");
  r1.SetAttribute("ID", "0002");  // overwrite keeps the position
  TXmlNode r3 = root.AppendChild(doc.CreateElement("R3"));
  r3.SetAttribute("ID", "9");
  EXPECT_EQ(root.Xml(),
            "<Root><R1 ID=\"0002\" Name=\"\xD5\xC5\xC8\xFD\" Msg=\"YNN\"/><R3 ID=\"9\"/></Root>");
  EXPECT_EQ(doc.Xml(), "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + root.Xml());
  EXPECT_EQ(root.SelectSingleNode("R3/@ID").Text(), "9");
  EXPECT_EQ(r1.ParentNode(), root);
}

// Guards against broken XML from values holding markup characters (the
// original's string concatenation) and line ends lost to attribute
// normalisation on the way back.
TEST(XmlBuildTest, EscapesAttributeValuesAndReadsThemBack) {
  const std::string value = "a&b<c>d\"e'f\r\n\tg";
  TXmlDocument doc(936);
  ASSERT_TRUE(doc.LoadXml("<Root/>"));
  doc.DocumentElement().SetAttribute("v", value);
  const std::string xml = doc.DocumentElement().Xml();
  EXPECT_EQ(xml, "<Root v=\"a&amp;b&lt;c>d&quot;e'f&#13;&#10;&#09;g\"/>");
  EXPECT_EQ(doc.DocumentElement().AttributeNode("v").Xml(),
            "v=\"a&amp;b&lt;c>d&quot;e'f&#13;&#10;&#09;g\"");
  TXmlDocument back(936);
  ASSERT_TRUE(back.LoadXml(xml)) << back.ParseError().Reason;
  EXPECT_EQ(back.DocumentElement().GetAttribute("v"), value);
}

// Guards against created elements that show before they are placed (in the
// document's XML, its children, its root or an XPath search).
TEST(XmlBuildTest, UnplacedElementsStayOutOfTheDocument) {
  TXmlDocument doc(936);
  TXmlNode orphan = doc.CreateElement("Root");
  orphan.AppendChild(doc.CreateElement("R1"));
  EXPECT_TRUE(doc.DocumentElement().IsEmpty());
  EXPECT_TRUE(doc.ChildNodes().empty());
  EXPECT_EQ(doc.Xml(), "");
  EXPECT_TRUE(doc.SelectNodes("//*").empty());
  EXPECT_TRUE(orphan.ParentNode().IsEmpty());
  // From inside the unplaced element its own nodes show.
  EXPECT_EQ(Names(orphan.SelectNodes(".//*")), std::vector<std::string>{"R1"});
  TXmlNode spare = doc.CreateElement("Spare");
  doc.AppendChild(orphan);
  EXPECT_EQ(doc.DocumentElement(), orphan);
  EXPECT_EQ(Names(doc.ChildNodes()), std::vector<std::string>{"Root"});
  EXPECT_EQ(Names(doc.SelectNodes("//*")), (std::vector<std::string>{"Root", "R1"}));
  EXPECT_EQ(doc.Xml(), "<Root><R1/></Root>");
  orphan.AppendChild(spare);
  EXPECT_EQ(doc.Xml(), "<Root><R1/><Spare/></Root>");
  EXPECT_EQ(doc.SelectSingleNode("/Root/Spare"), spare);
}

struct TBadBuildRow {
  const char* Name;
  std::function<void(TXmlDocument&, TXmlDocument&)> Action;
  const char* MessagePart;
};

void PrintTo(const TBadBuildRow& row, std::ostream* os) { *os << row.Name; }

class XmlBadBuildTest : public testing::TestWithParam<TBadBuildRow> {};

// Guards against building XML that cannot be read back and against moves
// that would corrupt the tree (a node into its own subtree).
TEST_P(XmlBadBuildTest, RaisesAndLeavesTheDocument) {
  TXmlDocument doc(936), other(936);
  ASSERT_TRUE(doc.LoadXml("<Root><A><B/></A></Root>"));
  ASSERT_TRUE(other.LoadXml("<Other/>"));
  ExpectThrowWith<EXmlError>([&] { GetParam().Action(doc, other); }, GetParam().MessagePart);
  EXPECT_EQ(doc.Xml(), "<Root><A><B/></A></Root>");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, XmlBadBuildTest,
    testing::Values(
        TBadBuildRow{"ElementNameWithBlank",
                     [](TXmlDocument& d, TXmlDocument&) { d.CreateElement("a b"); }, "a b"},
        TBadBuildRow{"ElementNameStartingWithDigit",
                     [](TXmlDocument& d, TXmlDocument&) { d.CreateElement("1R"); }, "1R"},
        TBadBuildRow{"EmptyAttributeName",
                     [](TXmlDocument& d, TXmlDocument&) { d.DocumentElement().SetAttribute("", "x"); },
                     "not a valid attribute name"},
        TBadBuildRow{"AttributeNameWithQuote",
                     [](TXmlDocument& d, TXmlDocument&) { d.DocumentElement().SetAttribute("a\"", "x"); },
                     "not a valid attribute name"},
        TBadBuildRow{"ValueWithNul",
                     [](TXmlDocument& d, TXmlDocument&) {
                       d.DocumentElement().SetAttribute("a", "x\0y"sv);
                     },
                     "NUL"},
        TBadBuildRow{"ValueWithControlCharacter",
                     [](TXmlDocument& d, TXmlDocument&) {
                       d.DocumentElement().SetAttribute("a", "x\x01y");
                     },
                     "control character 1"},
        TBadBuildRow{"AttributeOnTheDocument",
                     [](TXmlDocument& d, TXmlDocument&) { d.AsNode().SetAttribute("a", "1"); },
                     "needs an element"},
        TBadBuildRow{"SecondTopLevelElement",
                     [](TXmlDocument& d, TXmlDocument&) { d.AppendChild(d.CreateElement("X")); },
                     "already has the top-level element"},
        TBadBuildRow{"IntoOwnDescendant",
                     [](TXmlDocument& d, TXmlDocument&) {
                       d.SelectSingleNode("//B").AppendChild(d.SelectSingleNode("//A"));
                     },
                     "descendants"},
        TBadBuildRow{"FromAnotherDocument",
                     [](TXmlDocument& d, TXmlDocument& o) {
                       d.DocumentElement().AppendChild(o.DocumentElement());
                     },
                     "another document"},
        TBadBuildRow{"AnAttributeAsChild",
                     [](TXmlDocument& d, TXmlDocument&) {
                       TXmlNode e = d.CreateElement("E");
                       e.SetAttribute("x", "1");
                       d.DocumentElement().AppendChild(e.Attribute(0));
                     },
                     "cannot place an attribute"}));

// ---- Handles ----

// Guards against use after free: a node kept past its document (or past a
// reload) must raise, not read freed memory.
TEST(XmlHandleTest, ExpiredAndEmptyHandlesRaise) {
  TXmlNode kept;
  TXmlNode attr;
  {
    TXmlDocument doc(936);
    ASSERT_TRUE(doc.LoadXml("<Root a=\"1\"/>"));
    kept = doc.DocumentElement();
    attr = kept.Attribute(0);
    EXPECT_TRUE(kept.IsValid());
    EXPECT_EQ(attr.Text(), "1");
  }
  EXPECT_FALSE(kept.IsValid());
  EXPECT_FALSE(kept.IsEmpty());
  ExpectThrowWith<EXmlError>([&] { kept.NodeName(); }, "freed or loaded again");
  ExpectThrowWith<EXmlError>([&] { attr.Text(); }, "freed or loaded again");
  ExpectThrowWith<EXmlError>([&] { kept.SelectNodes("*"); }, "freed or loaded again");
  TXmlNode empty;
  EXPECT_FALSE(empty.IsValid());
  ExpectThrowWith<EXmlError>([&] { empty.Text(); }, "empty node");
  ExpectThrowWith<EXmlError>([&] { empty.SetAttribute("a", "b"); }, "empty node");
  TXmlDocument doc(936);
  ASSERT_TRUE(doc.LoadXml("<Root/>"));
  ExpectThrowWith<EXmlError>([&] { doc.DocumentElement().AppendChild(empty); }, "empty node");
}

}  // namespace
