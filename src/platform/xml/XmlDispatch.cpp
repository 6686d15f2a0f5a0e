#include "platform/xml/XmlDispatch.h"

#include <memory>
#include <utility>

#include "platform/com/DispatchObject.h"
#include "platform/rtl/Variant.h"
#include "platform/xml/XmlDom.h"

namespace {

class TXmlDocumentObject;

// A node, holding a reference to its document object so that the document
// lives as long as any of its nodes is referenced.
class TXmlNodeObject : public TDispatchObject {
public:
  TXmlNodeObject(TDispatchRef owner, TXmlNode node) : FOwner(std::move(owner)), FNode(std::move(node)) {}

  virtual TXmlNode Node() const { return FNode; }
  // The document object that owns the nodes this one hands out.
  virtual TDispatchRef OwnerRef() const { return FOwner; }

  AnsiString GetNodeName() const { return Node().NodeName(); }
  int32_t GetNodeType() const { return static_cast<int32_t>(Node().NodeType()); }
  AnsiString GetText() const { return Node().Text(); }
  AnsiString GetXml() const { return Node().Xml(); }
  Variant GetParentNode() const { return Wrap(Node().ParentNode()); }
  Variant GetChildNodes() const;
  Variant GetAttributes() const;
  Variant GetAttribute(const AnsiString& name) const {
    const TXmlNode a = Node().AttributeNode(name);
    return a.IsEmpty() ? Variant::Null() : Variant(a.Text());
  }
  void SetAttribute(const AnsiString& name, const Variant& value) {
    Node().SetAttribute(name, VarToStr(value));
  }
  Variant AppendChild(const TDispatchRef& child);
  Variant SelectSingleNode(const AnsiString& xpath) const { return Wrap(Node().SelectSingleNode(xpath)); }
  Variant SelectNodes(const AnsiString& xpath) const;

  // A node of the same document as a Variant; Empty for an empty handle.
  Variant Wrap(const TXmlNode& node) const {
    if (node.IsEmpty()) return Variant();
    return Variant(TDispatchRef(new TXmlNodeObject(OwnerRef(), node)));
  }

protected:
  const TDispatchTable& DispatchTable() const override;

private:
  TDispatchRef FOwner;
  TXmlNode FNode;
};

template <class T>
TDispatchTableBuilder<T>& AddNodeMembers(TDispatchTableBuilder<T>& b) {
  return b.AddProperty("nodeName", &TXmlNodeObject::GetNodeName)
      .AddProperty("nodeType", &TXmlNodeObject::GetNodeType)
      .AddProperty("text", &TXmlNodeObject::GetText)
      .AddProperty("xml", &TXmlNodeObject::GetXml)
      .AddProperty("parentNode", &TXmlNodeObject::GetParentNode)
      .AddProperty("childNodes", &TXmlNodeObject::GetChildNodes)
      .AddProperty("attributes", &TXmlNodeObject::GetAttributes)
      .AddMethod("getAttribute", &TXmlNodeObject::GetAttribute)
      .AddMethod("setAttribute", &TXmlNodeObject::SetAttribute)
      .AddMethod("appendChild", &TXmlNodeObject::AppendChild)
      .AddMethod("selectSingleNode", &TXmlNodeObject::SelectSingleNode)
      .AddMethod("selectNodes", &TXmlNodeObject::SelectNodes);
}

const TDispatchTable& TXmlNodeObject::DispatchTable() const {
  static const TDispatchTable table = [] {
    TDispatchTableBuilder<TXmlNodeObject> b("TXmlNode");
    return AddNodeMembers(b).Build();
  }();
  return table;
}

// A list of nodes fixed when it was made (childNodes, selectNodes).
class TXmlNodeListObject : public TDispatchObject {
public:
  TXmlNodeListObject(const TXmlNodeObject& maker, TXmlNodeList nodes)
      : FMaker(const_cast<TXmlNodeObject*>(&maker)), FNodes(std::move(nodes)) {}

  int32_t GetLength() const { return static_cast<int32_t>(FNodes.size()); }
  Variant Item(int32_t index) const {
    if (index < 0 || index >= GetLength()) return Variant();
    return FMaker.Get() ? static_cast<TXmlNodeObject*>(FMaker.Get())->Wrap(FNodes[static_cast<size_t>(index)])
                        : Variant();
  }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table = TDispatchTableBuilder<TXmlNodeListObject>("TXmlNodeList")
                                            .AddProperty("length", &TXmlNodeListObject::GetLength)
                                            .AddMethod("item", &TXmlNodeListObject::Item)
                                            .Build();
    return table;
  }

private:
  TDispatchRef FMaker;  // the node object that made the list, to wrap items alike
  TXmlNodeList FNodes;
};

// The attributes of an element, read live.
class TXmlAttributeMapObject : public TDispatchObject {
public:
  explicit TXmlAttributeMapObject(const TXmlNodeObject& element)
      : FElement(const_cast<TXmlNodeObject*>(&element)) {}

  int32_t GetLength() const { return Element().Node().AttributeCount(); }
  Variant Item(int32_t index) const { return Element().Wrap(Element().Node().Attribute(index)); }
  Variant GetNamedItem(const AnsiString& name) const {
    return Element().Wrap(Element().Node().AttributeNode(name));
  }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table =
        TDispatchTableBuilder<TXmlAttributeMapObject>("TXmlAttributes")
            .AddProperty("length", &TXmlAttributeMapObject::GetLength)
            .AddMethod("item", &TXmlAttributeMapObject::Item)
            .AddMethod("getNamedItem", &TXmlAttributeMapObject::GetNamedItem)
            .Build();
    return table;
  }

private:
  const TXmlNodeObject& Element() const { return *static_cast<TXmlNodeObject*>(FElement.Get()); }
  TDispatchRef FElement;
};

// A copy of the parse error of one load.
class TXmlParseErrorObject : public TDispatchObject {
public:
  explicit TXmlParseErrorObject(TXmlParseError error) : FError(std::move(error)) {}

  int32_t GetErrorCode() const { return FError.ErrorCode; }
  AnsiString GetReason() const { return FError.Reason; }
  AnsiString GetUrl() const { return FError.Url; }
  int32_t GetLine() const { return FError.Line; }
  int32_t GetLinePos() const { return FError.LinePos; }
  int64_t GetFilePos() const { return FError.FilePos; }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table =
        TDispatchTableBuilder<TXmlParseErrorObject>("TXmlParseError")
            .AddProperty("errorCode", &TXmlParseErrorObject::GetErrorCode)
            .AddProperty("reason", &TXmlParseErrorObject::GetReason)
            .AddProperty("url", &TXmlParseErrorObject::GetUrl)
            .AddProperty("line", &TXmlParseErrorObject::GetLine)
            .AddProperty("linepos", &TXmlParseErrorObject::GetLinePos)
            .AddProperty("filepos", &TXmlParseErrorObject::GetFilePos)
            .Build();
    return table;
  }

private:
  TXmlParseError FError;
};

// The document: a node object whose node is the document node of whatever
// content is loaded now, and which owns its nodes itself.
class TXmlDocumentObject : public TXmlNodeObject {
public:
  explicit TXmlDocumentObject(int codePage)
      : TXmlNodeObject(TDispatchRef(), TXmlNode()), FDoc(std::make_unique<TXmlDocument>(codePage)) {}

  TXmlNode Node() const override { return FDoc->AsNode(); }
  TDispatchRef OwnerRef() const override { return TDispatchRef(const_cast<TXmlDocumentObject*>(this)); }

  bool GetAsync() const { return FAsync; }
  void SetAsync(bool value) { FAsync = value; }
  bool LoadXml(const AnsiString& text) { return FDoc->LoadXml(text); }
  bool Load(const AnsiString& fileName) { return FDoc->Load(fileName); }
  void Save(const AnsiString& fileName) const { FDoc->Save(fileName); }
  Variant GetParseError() const {
    return Variant(TDispatchRef(new TXmlParseErrorObject(FDoc->ParseError())));
  }
  Variant GetDocumentElement() const { return Wrap(FDoc->DocumentElement()); }
  Variant CreateElement(const AnsiString& name) { return Wrap(FDoc->CreateElement(name)); }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table = [] {
      TDispatchTableBuilder<TXmlDocumentObject> b("TXmlDocument");
      b.AddProperty("async", &TXmlDocumentObject::GetAsync, &TXmlDocumentObject::SetAsync)
          .AddMethod("loadXML", &TXmlDocumentObject::LoadXml)
          .AddMethod("load", &TXmlDocumentObject::Load)
          .AddMethod("save", &TXmlDocumentObject::Save)
          .AddProperty("parseError", &TXmlDocumentObject::GetParseError)
          .AddProperty("documentElement", &TXmlDocumentObject::GetDocumentElement)
          .AddMethod("createElement", &TXmlDocumentObject::CreateElement);
      return AddNodeMembers(b).Build();
    }();
    return table;
  }

private:
  std::unique_ptr<TXmlDocument> FDoc;
  bool FAsync = true;
};

Variant TXmlNodeObject::GetChildNodes() const {
  return Variant(TDispatchRef(new TXmlNodeListObject(*this, Node().ChildNodes())));
}

Variant TXmlNodeObject::GetAttributes() const {
  if (!Node().HasAttributeMap()) return Variant();
  return Variant(TDispatchRef(new TXmlAttributeMapObject(*this)));
}

Variant TXmlNodeObject::SelectNodes(const AnsiString& xpath) const {
  return Variant(TDispatchRef(new TXmlNodeListObject(*this, Node().SelectNodes(xpath))));
}

Variant TXmlNodeObject::AppendChild(const TDispatchRef& child) {
  const auto* node = dynamic_cast<const TXmlNodeObject*>(child.Get());
  if (!node) throw EXmlError("XML: appendChild needs a node of this document");
  return Wrap(Node().AppendChild(node->Node()));
}

}  // namespace

TDispatchRef CreateXmlDocumentObject(int codePage) {
  return TDispatchRef(new TXmlDocumentObject(codePage));
}
