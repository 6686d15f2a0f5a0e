#include "platform/xml/XmlDom.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win/Paths.h"
#include "platform/xml/XmlEncoding.h"

// A load's pugixml document. Elements made by CreateElement wait under a
// hidden element at the end of the document node (pugixml moves nodes only
// within one document, and moving keeps every handle to them valid). The
// hidden element and what lies below it are kept out of everything the
// document shows: its children, its root element, its XML and its XPath
// results.
struct TXmlTree {
  pugi::xml_document Doc;
  pugi::xml_node Orphans;  // the hidden element; empty while nothing waits
};

// Reaches the private parts of a handle for the helpers below.
struct TXmlNodeAccess {
  static TXmlNode Make(const std::shared_ptr<TXmlTree>& tree, pugi::xml_node node,
                       pugi::xml_attribute attr = {}) {
    return TXmlNode(tree, node, attr);
  }
  static std::shared_ptr<TXmlTree> Lock(const TXmlNode& n) {
    if (n.IsEmpty()) throw EXmlError("XML: the operation was given an empty node");
    std::shared_ptr<TXmlTree> tree = n.FTree.lock();
    if (!tree) throw EXmlError("XML: the node's document was freed or loaded again");
    return tree;
  }
};

namespace {

// As a fragment, so that text beside the root element is kept and can be
// refused (pugixml otherwise drops it without a word); the missing root is
// then checked here too.
constexpr unsigned KParseFlags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                                 pugi::parse_declaration | pugi::parse_doctype |
                                 pugi::parse_fragment;

using TAccess = TXmlNodeAccess;

// The child of the hidden element that node lies under (node itself when it
// is one); empty for a node of the document proper.
pugi::xml_node TopOrphan(const TXmlTree& tree, pugi::xml_node node) {
  if (!tree.Orphans) return {};
  for (pugi::xml_node n = node; n; n = n.parent())
    if (n.parent() == tree.Orphans) return n;
  return {};
}

bool IsVisibleChild(const TXmlTree& tree, pugi::xml_node child) { return child != tree.Orphans; }

pugi::xml_node RootElement(const TXmlTree& tree) {
  for (pugi::xml_node c : tree.Doc.children())
    if (c.type() == pugi::node_element && IsVisibleChild(tree, c)) return c;
  return {};
}

// Names as the parser reads them back: ASCII letters, digits, "_", "-",
// ".", ":" and bytes >= 0x80 (double-byte names), not starting with a digit,
// "-" or ".".
void CheckName(std::string_view name, const char* what) {
  bool ok = !name.empty();
  for (size_t i = 0; ok && i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
                        c >= 0x80;
    const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
    ok = letter || (i > 0 && other);
  }
  if (!ok) throw EXmlError(std::string("XML: \"") + std::string(name) + "\" is not a valid " + what + " name");
}

void AppendEscaped(std::string& out, std::string_view value, bool attribute) {
  for (char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += attribute ? ">" : "&gt;"; break;
      case '"': out += attribute ? "&quot;" : "\""; break;
      case '\r': out += attribute ? "&#13;" : "\r"; break;
      case '\n': out += attribute ? "&#10;" : "\n"; break;
      case '\t': out += attribute ? "&#09;" : "\t"; break;
      default: out += c; break;
    }
  }
}

void CollectText(pugi::xml_node node, std::string& out) {
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) out += c.value();
    else if (c.type() == pugi::node_element) CollectText(c, out);
  }
}

AnsiString Print(pugi::xml_node node) {
  std::ostringstream stream;
  node.print(stream, "", pugi::format_raw, pugi::encoding_utf8);
  return stream.str();
}

AnsiString DeclarationText(pugi::xml_node decl) {
  std::string out;
  for (pugi::xml_attribute a : decl.attributes()) {
    if (!out.empty()) out += ' ';
    out += a.name();
    out += "=\"";
    AppendEscaped(out, a.value(), true);
    out += '"';
  }
  return out;
}

void CheckElementOrDocument(pugi::xml_node node, const char* operation) {
  if (node.type() != pugi::node_element && node.type() != pugi::node_document)
    throw EXmlError(std::string("XML: ") + operation + " needs an element or the document");
}

TXmlNodeList RunQuery(const std::shared_ptr<TXmlTree>& tree, pugi::xml_node node,
                      pugi::xml_attribute attr, std::string_view xpath, bool firstOnly) {
  pugi::xpath_node context = attr ? pugi::xpath_node(attr, node) : pugi::xpath_node(node);
  pugi::xpath_node_set found;
  try {
    pugi::xpath_query query(std::string(xpath).c_str());
    found = query.evaluate_node_set(context);
  } catch (const pugi::xpath_exception& e) {
    throw EXmlError("XML: XPath \"" + std::string(xpath) + "\": " + e.what());
  }
  found.sort();
  // Waiting elements are a little document of their own: from inside one,
  // only its own nodes show; from the document, none of them.
  const pugi::xml_node scope = TopOrphan(*tree, node);
  TXmlNodeList out;
  for (const pugi::xpath_node& x : found) {
    const pugi::xml_node owner = x.attribute() ? x.parent() : x.node();
    if (owner == tree->Orphans && tree->Orphans) continue;
    if (TopOrphan(*tree, owner) != scope) continue;
    out.push_back(TAccess::Make(tree, owner, x.attribute()));
    if (firstOnly) break;
  }
  return out;
}

AnsiString ErrorPositionText(int line, int column) {
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

// ---- TXmlNode ----

bool TXmlNode::IsValid() const { return !IsEmpty() && !FTree.expired(); }

TXmlNodeType TXmlNode::NodeType() const {
  TAccess::Lock(*this);
  if (FAttr) return TXmlNodeType::Attribute;
  switch (FNode.type()) {
    case pugi::node_document: return TXmlNodeType::Document;
    case pugi::node_element: return TXmlNodeType::Element;
    case pugi::node_pcdata: return TXmlNodeType::Text;
    case pugi::node_cdata: return TXmlNodeType::CData;
    case pugi::node_comment: return TXmlNodeType::Comment;
    case pugi::node_pi:
    case pugi::node_declaration: return TXmlNodeType::ProcessingInstruction;
    case pugi::node_doctype: return TXmlNodeType::DocumentType;
    default: break;
  }
  throw EXmlError("XML: a node of an unknown kind");
}

AnsiString TXmlNode::NodeName() const {
  TAccess::Lock(*this);
  if (FAttr) return FAttr.name();
  switch (FNode.type()) {
    case pugi::node_pcdata: return "#text";
    case pugi::node_cdata: return "#cdata-section";
    case pugi::node_comment: return "#comment";
    case pugi::node_document: return "#document";
    case pugi::node_doctype: {
      // pugixml keeps "SC[<!ENTITY ...>]" whole: the name is its first word.
      const std::string_view v = FNode.value();
      return AnsiString(v.substr(0, v.find_first_of(" \t\r\n[")));
    }
    default: return FNode.name();
  }
}

AnsiString TXmlNode::Text() const {
  TAccess::Lock(*this);
  if (FAttr) return FAttr.value();
  switch (FNode.type()) {
    case pugi::node_element:
    case pugi::node_document: {
      std::string out;
      CollectText(FNode, out);
      return out;
    }
    case pugi::node_declaration: return DeclarationText(FNode);
    default: return FNode.value();
  }
}

AnsiString TXmlNode::Xml() const {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  if (FAttr) {
    std::string out = FAttr.name();
    out += "=\"";
    AppendEscaped(out, FAttr.value(), true);
    out += '"';
    return out;
  }
  if (FNode.type() != pugi::node_document) return Print(FNode);
  std::string out;
  for (pugi::xml_node c : FNode.children())
    if (IsVisibleChild(*tree, c)) out += Print(c);
  return out;
}

TXmlNode TXmlNode::ParentNode() const {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  if (FAttr) return {};
  const pugi::xml_node parent = FNode.parent();
  if (!parent || parent == tree->Orphans) return {};
  return TAccess::Make(tree, parent);
}

TXmlNodeList TXmlNode::ChildNodes() const {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  TXmlNodeList out;
  if (FAttr) return out;
  for (pugi::xml_node c : FNode.children())
    if (IsVisibleChild(*tree, c)) out.push_back(TAccess::Make(tree, c));
  return out;
}

bool TXmlNode::HasAttributeMap() const {
  TAccess::Lock(*this);
  return !FAttr && FNode.type() == pugi::node_element;
}

int TXmlNode::AttributeCount() const {
  if (!HasAttributeMap()) return 0;
  int count = 0;
  for (pugi::xml_attribute a = FNode.first_attribute(); a; a = a.next_attribute()) ++count;
  return count;
}

TXmlNode TXmlNode::Attribute(int index) const {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  if (FAttr || FNode.type() != pugi::node_element || index < 0) return {};
  pugi::xml_attribute a = FNode.first_attribute();
  for (int i = 0; a && i < index; ++i) a = a.next_attribute();
  return a ? TAccess::Make(tree, FNode, a) : TXmlNode();
}

TXmlNode TXmlNode::AttributeNode(std::string_view name) const {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  if (FAttr || FNode.type() != pugi::node_element) return {};
  for (pugi::xml_attribute a = FNode.first_attribute(); a; a = a.next_attribute())
    if (name == a.name()) return TAccess::Make(tree, FNode, a);
  return {};
}

bool TXmlNode::HasAttribute(std::string_view name) const { return !AttributeNode(name).IsEmpty(); }

AnsiString TXmlNode::GetAttribute(std::string_view name) const {
  const TXmlNode a = AttributeNode(name);
  return a.IsEmpty() ? AnsiString() : AnsiString(a.FAttr.value());
}

void TXmlNode::SetAttribute(std::string_view name, std::string_view value) {
  TAccess::Lock(*this);
  if (FAttr || FNode.type() != pugi::node_element)
    throw EXmlError("XML: SetAttribute(\"" + std::string(name) + "\") needs an element");
  CheckName(name, "attribute");
  // Control characters other than tab and line ends have no place in XML
  // 1.0, not even as references: a document holding one could not be loaded
  // again. (Double-byte trail bytes are >= 0x40 and never look like one.)
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
      throw EXmlError("XML: the value of attribute \"" + std::string(name) + "\" holds the " +
                      (c == 0 ? std::string("NUL byte") : "control character " + std::to_string(c)) +
                      ", which XML cannot carry");
  }
  const std::string n(name);
  pugi::xml_attribute a = FNode.attribute(n.c_str());
  if (!a) a = FNode.append_attribute(n.c_str());
  if (!a || !a.set_value(std::string(value).c_str()))
    throw EXmlError("XML: cannot set attribute \"" + n + "\" (out of memory)");
}

TXmlNode TXmlNode::AppendChild(const TXmlNode& child) {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  const std::shared_ptr<TXmlTree> childTree = TAccess::Lock(child);
  if (tree != childTree) throw EXmlError("XML: AppendChild was given a node of another document");
  if (FAttr) throw EXmlError("XML: an attribute has no child nodes");
  CheckElementOrDocument(FNode, "AppendChild");
  const pugi::xml_node c = child.FNode;
  if (child.FAttr || c.type() == pugi::node_document)
    throw EXmlError("XML: AppendChild cannot place " + std::string(child.FAttr ? "an attribute" : "the document"));
  for (pugi::xml_node n = FNode; n; n = n.parent())
    if (n == c) throw EXmlError("XML: a node cannot be appended to itself or to one of its descendants");
  if (FNode.type() == pugi::node_document) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
      throw EXmlError("XML: text cannot stand outside the top-level element");
    const pugi::xml_node root = RootElement(*tree);
    if (c.type() == pugi::node_element && root && root != c)
      throw EXmlError("XML: the document already has the top-level element \"" +
                      std::string(root.name()) + "\"");
  }
  // On the document the hidden element stays last, after the node appended.
  const pugi::xml_node moved = FNode.type() == pugi::node_document && tree->Orphans
                                   ? FNode.insert_move_before(c, tree->Orphans)
                                   : FNode.append_move(c);
  if (!moved)
    throw EXmlError("XML: a node of this kind cannot be appended to " + std::string(NodeName()));
  if (tree->Orphans && !tree->Orphans.first_child()) {
    tree->Doc.remove_child(tree->Orphans);
    tree->Orphans = pugi::xml_node();
  }
  return TAccess::Make(tree, moved);
}

TXmlNode TXmlNode::SelectSingleNode(std::string_view xpath) const {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  TXmlNodeList found = RunQuery(tree, FNode, FAttr, xpath, true);
  return found.empty() ? TXmlNode() : found.front();
}

TXmlNodeList TXmlNode::SelectNodes(std::string_view xpath) const {
  const std::shared_ptr<TXmlTree> tree = TAccess::Lock(*this);
  return RunQuery(tree, FNode, FAttr, xpath, false);
}

// ---- TXmlDocument ----

TXmlDocument::TXmlDocument(int codePage) : FTree(std::make_shared<TXmlTree>()), FCodePage(codePage) {
  if (!IsCodePageSupported(codePage))
    throw EConvertError("XML: code page " + std::to_string(codePage) + " cannot be converted");
}

TXmlDocument::~TXmlDocument() = default;

void TXmlDocument::Fail(TXmlErrorCode code, const AnsiString& url, std::string_view text,
                        int64_t offset, const AnsiString& what) {
  FTree = std::make_shared<TXmlTree>();
  FParseError = TXmlParseError();
  FParseError.ErrorCode = code;
  FParseError.Url = url;
  FParseError.FilePos = offset;
  std::string reason;
  if (!url.empty()) reason = url + ": ";
  if (offset >= 0 && !text.empty()) {
    const size_t end = std::min(static_cast<size_t>(offset), text.size());
    int line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < end; ++i)
      if (text[i] == '\n') ++line, lineStart = i + 1;
    FParseError.Line = line;
    FParseError.LinePos = static_cast<int>(end - lineStart) + 1;
    reason += ErrorPositionText(FParseError.Line, FParseError.LinePos) + ": ";
  } else {
    FParseError.FilePos = 0;
  }
  FParseError.Reason = reason + what;
}

bool TXmlDocument::Parse(std::string_view text, const AnsiString& url) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    Fail(xeSyntax, url, text, static_cast<int64_t>(nul), "a NUL byte, which XML cannot carry");
    return false;
  }
  AnsiString resolved;
  try {
    resolved = ResolveCharacterReferences(text, FCodePage == CP_ACP ? SystemCodePage() : FCodePage);
  } catch (const EXmlEncodingError& e) {
    Fail(xeEncoding, url, text, static_cast<int64_t>(e.Offset()), e.Message());
    return false;
  }
  auto tree = std::make_shared<TXmlTree>();
  const pugi::xml_parse_result result =
      tree->Doc.load_buffer(resolved.data(), resolved.size(), KParseFlags, pugi::encoding_utf8);
  if (!result) {
    Fail(xeSyntax, url, resolved, result.offset, result.description());
    return false;
  }
  int elements = 0;
  for (pugi::xml_node c : tree->Doc.children()) {
    if (c.type() == pugi::node_element && ++elements > 1) {
      Fail(xeMultipleRoots, url, resolved, c.offset_debug(),
           "a second top-level element \"" + std::string(c.name()) + "\"");
      return false;
    }
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
      Fail(xeTextOutsideRoot, url, resolved, c.offset_debug(),
           "text outside the top-level element");
      return false;
    }
  }
  if (elements == 0) {
    Fail(xeNoRootElement, url, {}, -1, "the document has no top-level element");
    return false;
  }
  FTree = std::move(tree);
  FParseError = TXmlParseError();
  return true;
}

bool TXmlDocument::LoadXml(std::string_view text) {
  AnsiString bytes;
  try {
    bytes = XmlTextToCodePage(text, FCodePage);
  } catch (const EXmlEncodingError& e) {
    Fail(xeEncoding, {}, text, static_cast<int64_t>(e.Offset()) + 3, e.Message());
    return false;
  }
  return Parse(bytes, {});
}

bool TXmlDocument::Load(const AnsiString& fileName) {
  AnsiString raw;
  try {
    if (!FileExists(fileName)) {
      Fail(xeFileNotFound, fileName, {}, -1, "the file cannot be found");
      return false;
    }
    raw = ReadFileBytes(fileName);
  } catch (const Exception& e) {
    Fail(xeFileRead, fileName, {}, -1, "the file cannot be read: " + e.Message());
    return false;
  }
  AnsiString bytes;
  try {
    bytes = XmlFileToCodePage(raw, FCodePage);
  } catch (const EXmlEncodingError& e) {
    Fail(xeEncoding, fileName, raw, static_cast<int64_t>(e.Offset()), e.Message());
    return false;
  }
  return Parse(bytes, fileName);
}

TXmlNode TXmlDocument::DocumentElement() const {
  const pugi::xml_node root = RootElement(*FTree);
  return root ? TXmlNodeAccess::Make(FTree, root) : TXmlNode();
}

TXmlNode TXmlDocument::AsNode() const { return TXmlNodeAccess::Make(FTree, FTree->Doc); }

TXmlNode TXmlDocument::CreateElement(std::string_view name) {
  CheckName(name, "element");
  if (!FTree->Orphans) {
    FTree->Orphans = FTree->Doc.append_child(pugi::node_element);
    if (!FTree->Orphans || !FTree->Orphans.set_name("kulr.unplaced"))
      throw EXmlError("XML: cannot create an element (out of memory)");
  }
  pugi::xml_node element = FTree->Orphans.append_child(std::string(name).c_str());
  if (!element) throw EXmlError("XML: cannot create an element (out of memory)");
  return TXmlNodeAccess::Make(FTree, element);
}

void TXmlDocument::Save(const AnsiString& fileName) const {
  if (!RootElement(*FTree)) throw EXmlError("XML: " + fileName + ": a document without a top-level element cannot be saved");
  std::string text;
  bool declared = false;
  for (pugi::xml_node c : FTree->Doc.children()) {
    if (!IsVisibleChild(*FTree, c)) continue;
    if (c.type() == pugi::node_declaration) {
      // The file is UTF-8 whatever the declaration said before.
      text += "<?xml version=\"";
      text += c.attribute("version") ? c.attribute("version").value() : "1.0";
      text += "\" encoding=\"UTF-8\"";
      if (pugi::xml_attribute sa = c.attribute("standalone")) {
        text += " standalone=\"";
        text += sa.value();
        text += '"';
      }
      text += "?>";
      declared = true;
    } else {
      text += Print(c);
    }
  }
  if (!declared) text.insert(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  AnsiString utf8;
  try {
    utf8 = CodePageToUtf8Strict(text, FCodePage);
  } catch (const EXmlEncodingError& e) {
    throw EXmlError("XML: " + fileName + ": " + e.Message());
  }
  const std::string native = ToNativePath(fileName);
  std::ofstream file(native, std::ios::binary | std::ios::trunc);
  if (file) file.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  file.close();
  if (!file) {
    const int err = errno;
    throw EInOutError("cannot write " + fileName + ": " + std::strerror(err), err);
  }
}
