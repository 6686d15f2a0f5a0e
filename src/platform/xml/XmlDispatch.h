// The XML document as a late-bound automation object, for code that drives
// it by member name (loadXML, documentElement, selectSingleNode, item ...)
// the way the forms drive an XML DOM. Every object here wraps the C++ API of
// XmlDom.h and keeps its document alive while it is referenced, as an
// automation object does; a node of a content that was loaded over raises
// (EOleException naming the member) instead of reading freed memory.
//
// Members, names ignoring case:
//   document   async (read/write, loading is always synchronous), loadXML(text),
//              load(file), save(file), parseError, documentElement,
//              createElement(name), and the node members below
//   node       nodeName, nodeType, text, xml, parentNode, childNodes,
//              attributes, getAttribute(name), setAttribute(name, value),
//              appendChild(node), selectSingleNode(xpath), selectNodes(xpath)
//   node list  length, item(index)
//   attributes length, item(index), getNamedItem(name)
//   parseError errorCode, reason, url, line, linepos, filepos
// Where a DOM gives "no node" (no root, nothing selected, an index out of
// range, attributes of a non-element) the result is Empty; getAttribute of
// a missing attribute gives Null.
#pragma once

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Dispatch.h"

// A new, empty document object whose texts are bytes of codePage (see
// TXmlDocument). Register it under a program id with RegisterClassFactory
// where code creates it by id.
TDispatchRef CreateXmlDocumentObject(int codePage = CP_ACP);
