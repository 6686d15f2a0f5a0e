// The XML document of the language files and the recipient documents, over
// pugixml: load from text or from a file (a failed load reports a code and a
// reason with the position, it never raises), the root element, all child
// nodes (comments and processing instructions counted), node names, types and
// texts, attributes by index and by name, XPath 1.0 selection of one node or
// of all nodes in document order (attribute nodes included), element creation
// and attributes, the XML text of a node, and saving to a file.
//
// Text: a document holds the bytes of its code page (the system code page
// unless told otherwise) and every name, text and value read or written is
// bytes of that code page. Text given to LoadXml is taken as it is, whatever
// its declaration says; a file is converted into the code page from its byte
// order mark or declared encoding (XmlEncoding.h). Save writes UTF-8.
//
// Handles: a TXmlNode names a node of one load of one document. It stays
// valid while that document lives and is not loaded again; used afterwards,
// or when empty, every operation raises EXmlError instead of touching freed
// memory. Nodes are never removed, so a handle never dangles inside a live
// document.
//
// Sections: errors, node types, TXmlNode, TXmlDocument.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// ---- Errors ----

// Misuse of the document: an empty or expired handle, a bad XPath expression,
// a name that is no XML name, a child that cannot go where it is appended.
class EXmlError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EXmlError"; }
};

// Why the last load failed; xeNone after a load that succeeded.
enum TXmlErrorCode : int {
  xeNone = 0,
  xeFileNotFound,     // no such file, or a name that names no file
  xeFileRead,         // the file exists but cannot be read
  xeEncoding,         // bytes not valid in their encoding, an encoding we cannot convert
  xeSyntax,           // not well-formed
  xeNoRootElement,    // nothing but a prolog (or nothing at all)
  xeMultipleRoots,    // a second top-level element
  xeTextOutsideRoot,  // character data before or after the top-level element
};

struct TXmlParseError {
  TXmlErrorCode ErrorCode = xeNone;
  // "line 3, column 7: start and end tags do not match" (the file name first
  // for a file).
  AnsiString Reason;
  AnsiString Url;       // the file name given to Load; "" for LoadXml
  int64_t FilePos = 0;  // byte offset of the fault in the parsed text
  int Line = 0;         // 1-based; 0 when the fault has no position
  int LinePos = 0;      // 1-based byte column
};

// ---- Node types (the numbers of the DOM) ----

enum class TXmlNodeType : int {
  Element = 1,
  Attribute = 2,
  Text = 3,
  CData = 4,
  ProcessingInstruction = 7,  // the XML declaration too (named "xml")
  Comment = 8,
  Document = 9,
  DocumentType = 10,
};

class TXmlNode;
using TXmlNodeList = std::vector<TXmlNode>;

// The state of one load; private to XmlDom.cpp.
struct TXmlTree;

// ---- TXmlNode ----

class TXmlNode {
public:
  // An empty handle (what a selection that found nothing returns).
  TXmlNode() = default;

  bool IsEmpty() const { return !FNode && !FAttr; }
  explicit operator bool() const { return !IsEmpty(); }
  // Not empty and its document alive (not freed, not loaded again).
  bool IsValid() const;

  TXmlNodeType NodeType() const;
  // The tag of an element, the name of an attribute or processing
  // instruction, "#text", "#cdata-section", "#comment", "#document", the
  // declared name of a document type.
  AnsiString NodeName() const;
  // An attribute's value; the data of a text, CDATA, comment or processing
  // instruction; for an element or the document, the text of every text and
  // CDATA node below it, in document order.
  AnsiString Text() const;
  // The node as XML: no declaration, no indentation, attribute values
  // escaped (& < " and the line-end and tab characters). An attribute gives
  // name="value".
  AnsiString Xml() const;

  // Empty for the document, an attribute and an element not appended yet.
  TXmlNode ParentNode() const;
  // Every child: elements, texts, CDATA, comments, processing instructions.
  TXmlNodeList ChildNodes() const;

  // Elements have an attribute map (which may be empty); other nodes none.
  bool HasAttributeMap() const;
  int AttributeCount() const;
  // The attribute at a position in document order; empty when out of range.
  TXmlNode Attribute(int index) const;
  // The attribute of that name (case-sensitive); empty when there is none.
  TXmlNode AttributeNode(std::string_view name) const;
  bool HasAttribute(std::string_view name) const;
  // The value, "" when there is no such attribute.
  AnsiString GetAttribute(std::string_view name) const;
  // Sets the value; an attribute that exists keeps its position, a new one
  // goes last. Only on elements; raises EXmlError for a bad name or a value
  // with a NUL byte or another control character XML cannot carry (tab, CR
  // and LF are fine).
  void SetAttribute(std::string_view name, std::string_view value);

  // Moves child (a node of the same document, created or already placed) to
  // the end of this node's children and returns it. Raises EXmlError when
  // the move would make no XML: a child of another document, an attribute, a
  // node into itself or its own descendant, a second top-level element.
  TXmlNode AppendChild(const TXmlNode& child);

  // XPath 1.0 with this node as the context. SelectSingleNode gives the first
  // node in document order or an empty handle; SelectNodes all of them in
  // document order. Raises EXmlError for an expression that does not parse
  // or does not give nodes. Elements created and not placed yet are never in
  // a result (from inside one, only its own subtree is); a predicate that
  // counts over the whole document ("(//*)[last()]") still counts them while
  // they wait, so place elements before such queries.
  TXmlNode SelectSingleNode(std::string_view xpath) const;
  TXmlNodeList SelectNodes(std::string_view xpath) const;

  // The same node of the same load.
  friend bool operator==(const TXmlNode& a, const TXmlNode& b) {
    return a.FNode == b.FNode && a.FAttr == b.FAttr && !a.FTree.owner_before(b.FTree) &&
           !b.FTree.owner_before(a.FTree);
  }

private:
  friend class TXmlDocument;
  friend struct TXmlNodeAccess;
  TXmlNode(std::weak_ptr<TXmlTree> tree, pugi::xml_node node, pugi::xml_attribute attr = {})
      : FTree(std::move(tree)), FNode(node), FAttr(attr) {}

  std::weak_ptr<TXmlTree> FTree;
  pugi::xml_node FNode;       // the node, or the element that owns FAttr
  pugi::xml_attribute FAttr;  // set for an attribute node
};

// ---- TXmlDocument ----

class TXmlDocument {
public:
  // codePage: the code page of the bytes the document holds; CP_ACP is the
  // system code page at the time of each call. Raises EConvertError for a
  // code page the runtime cannot convert.
  explicit TXmlDocument(int codePage = CP_ACP);
  ~TXmlDocument();
  TXmlDocument(const TXmlDocument&) = delete;
  TXmlDocument& operator=(const TXmlDocument&) = delete;

  int CodePage() const { return FCodePage; }

  // Both replace the whole document and return whether it parsed. On
  // failure ParseError() says why and the document is empty (no root
  // element). Handles of the previous content expire either way.
  bool LoadXml(std::string_view text);
  bool Load(const AnsiString& fileName);  // file name in the system code page
  const TXmlParseError& ParseError() const { return FParseError; }

  // The top-level element; empty when there is none.
  TXmlNode DocumentElement() const;
  // The document node itself (type Document).
  TXmlNode AsNode() const;
  TXmlNodeList ChildNodes() const { return AsNode().ChildNodes(); }

  // A new element of this document, not placed yet: AppendChild places it.
  // Raises EXmlError for a name that is not an XML name.
  TXmlNode CreateElement(std::string_view name);
  TXmlNode AppendChild(const TXmlNode& child) { return AsNode().AppendChild(child); }

  TXmlNode SelectSingleNode(std::string_view xpath) const { return AsNode().SelectSingleNode(xpath); }
  TXmlNodeList SelectNodes(std::string_view xpath) const { return AsNode().SelectNodes(xpath); }

  // The whole document as XML (its declaration, if it has one, included).
  AnsiString Xml() const { return AsNode().Xml(); }

  // Writes the document as UTF-8 with a declaration saying so (an existing
  // declaration keeps its version and standalone). Raises EXmlError for a
  // document without a root element or with bytes that are not valid in its
  // code page, EInOutError when the file cannot be written.
  void Save(const AnsiString& fileName) const;

private:
  bool Parse(std::string_view text, const AnsiString& url);
  void Fail(TXmlErrorCode code, const AnsiString& url, std::string_view text, int64_t offset,
            const AnsiString& what);

  std::shared_ptr<TXmlTree> FTree;
  int FCodePage;
  TXmlParseError FParseError;
};
