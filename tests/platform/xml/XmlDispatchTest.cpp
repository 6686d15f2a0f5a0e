// The XML document driven by member name, as the forms drive it: loading and
// its parse error, reading a recipient document and a portal response,
// building a document, and the lifetime rules of automation objects (a node
// keeps its document alive; a node of replaced content raises).
#include "platform/xml/XmlDispatch.h"

#include <gtest/gtest.h>

#include "platform/com/ComObj.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/Variant.h"
#include "platform/rtl/TextSupport.h"

namespace {

Variant NewDocument() { return Variant(CreateXmlDocumentObject(936)); }

// Guards against a failed load that raises instead of reporting, and a
// parse error object that does not say why.
TEST(XmlDispatchTest, LoadReportsThroughParseError) {
  Variant doc = NewDocument();
  OlePut(doc, "async", false);
  EXPECT_FALSE(OleCall(doc, "loadXML", {AnsiString("<Root><R1></Root>")}).AsBoolean());
  const Variant error = OleGet(doc, "parseError");
  EXPECT_NE(OleGet(error, "errorCode").AsInteger(), 0);
  EXPECT_NE(OleGet(error, "reason").AsString().find("line 1"), std::string::npos);
  EXPECT_TRUE(VarIsEmpty(OleGet(doc, "documentElement")));
  EXPECT_TRUE(OleCall(doc, "loadXML", {AnsiString("<Root/>")}).AsBoolean());
  EXPECT_EQ(OleGet(OleGet(doc, "parseError"), "errorCode").AsInteger(), 0);
}

// Guards against the calls the notify dialog makes on a recipient document
// and a portal response not reaching the DOM: child count, selection by
// relative and absolute paths, attributes by name and by index.
TEST(XmlDispatchTest, ReadsDocumentsByMemberName) {
  Variant doc = NewDocument();
  ASSERT_TRUE(OleCall(doc, "loadXML",
                      {AnsiString("<?xml version=\"1.0\" encoding=\"GB2312\"?><Root>"
                                  "<R1 ID=\"7\" Name=\"\xD5\xC5\xC8\xFD\" Msg=\"YNY\"/><!--x-->"
                                  "<Record><Field name=\"Id\" value=\"u1\"/></Record>"
                                  "<Record><Field name=\"Id\" value=\"u2\"/></Record></Root>")})
                  .AsBoolean());
  const Variant root = OleGet(doc, "documentElement");
  EXPECT_EQ(OleGet(OleGet(root, "childNodes"), "length").AsInteger(), 4);
  const Variant r1 = OleCall(root, "selectSingleNode", {AnsiString("R1")});
  EXPECT_EQ(Hex(OleCall(r1, "getAttribute", {AnsiString("Name")}).AsString()), "D5 C5 C8 FD");
  EXPECT_TRUE(VarIsNull(OleCall(r1, "getAttribute", {AnsiString("Mob")})));
  const Variant attrs = OleGet(r1, "attributes");
  EXPECT_EQ(OleGet(attrs, "length").AsInteger(), 3);
  EXPECT_EQ(OleGet(OleCall(attrs, "item", {2}), "nodeName").AsString(), "Msg");
  EXPECT_EQ(OleGet(OleCall(attrs, "getNamedItem", {AnsiString("ID")}), "text").AsString(), "7");
  EXPECT_TRUE(VarIsEmpty(OleCall(attrs, "item", {3})));
  const Variant records = OleCall(doc, "selectNodes", {AnsiString("//Record")});
  ASSERT_EQ(OleGet(records, "length").AsInteger(), 2);
  for (int i = 0; i < 2; ++i) {
    const Variant id = OleCall(OleCall(records, "item", {i}), "selectSingleNode",
                               {AnsiString("Field[@name='Id']")});
    EXPECT_EQ(OleCall(id, "getAttribute", {AnsiString("value")}).AsString(), "u" + std::to_string(i + 1));
  }
  EXPECT_TRUE(VarIsEmpty(OleCall(records, "item", {2})));
  EXPECT_EQ(OleGet(OleCall(doc, "selectSingleNode", {AnsiString("//R1/@ID")}), "nodeType").AsInteger(), 2);
  const Variant comment = OleCall(OleGet(root, "childNodes"), "item", {1});
  EXPECT_EQ(OleGet(comment, "nodeType").AsInteger(), 8);
  EXPECT_TRUE(VarIsEmpty(OleGet(comment, "attributes")));
}

// Guards against building through automation losing the appended element
// or its attributes.
TEST(XmlDispatchTest, BuildsADocument) {
  Variant doc = NewDocument();
  ASSERT_TRUE(OleCall(doc, "loadXML", {AnsiString("<Root/>")}).AsBoolean());
  const Variant root = OleGet(doc, "documentElement");
  Variant r1 = OleCall(doc, "createElement", {AnsiString("R1")});
  OleCall(root, "appendChild", {r1});
  OleCall(r1, "setAttribute", {AnsiString("ID"), AnsiString("1")});
  OleCall(r1, "setAttribute", {AnsiString("Type"), 5});
  EXPECT_EQ(OleGet(root, "xml").AsString(), "<Root><R1 ID=\"1\" Type=\"5\"/></Root>");
  EXPECT_EQ(OleGet(OleGet(r1, "parentNode"), "nodeName").AsString(), "Root");
}

// Guards against a node that outlives the caller's document reference
// reading freed memory, and a node of replaced content that still answers.
TEST(XmlDispatchTest, NodesKeepTheirDocumentAndExpireOnReload) {
  Variant doc = NewDocument();
  ASSERT_TRUE(OleCall(doc, "loadXML", {AnsiString("<Root a=\"1\"/>")}).AsBoolean());
  Variant root = OleGet(doc, "documentElement");
  Variant other = NewDocument();
  ASSERT_TRUE(OleCall(other, "loadXML", {AnsiString("<Other/>")}).AsBoolean());
  const EOleException foreign = [&] {
    try {
      OleCall(root, "appendChild", {OleGet(other, "documentElement")});
    } catch (const EOleException& e) {
      return e;
    }
    ADD_FAILURE() << "appending a node of another document raised nothing";
    return EOleException(TOleErrorKind::Exception, "", "");
  }();
  EXPECT_NE(foreign.Message().find("another document"), std::string::npos) << foreign.Message();
  Variant kept = root;
  OleCall(doc, "loadXML", {AnsiString("<New/>")});
  EXPECT_THROW(OleGet(kept, "nodeName"), EOleException);
  root = OleGet(doc, "documentElement");
  doc = Variant();  // the node alone keeps the document
  EXPECT_EQ(OleGet(root, "nodeName").AsString(), "New");
  EXPECT_EQ(OleGet(OleGet(root, "parentNode"), "nodeType").AsInteger(), 9);
}

}  // namespace
