// The form-description text format parsed into a small value tree: objects
// with their properties in file order and their nested objects, each node
// carrying the line and column it came from so that the form reader can name
// the place of any error. The parser is strict: every syntax error raises
// EReadError "file:line:column: message". The text is GBK bytes (the way the
// library holds designed texts); columns count characters, a double-byte
// character being one column, as an editor shows the UTF-8 source.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

// Code page of the text of an embedded form resource and of the byte strings
// the parser builds from "#NNN" character codes.
inline constexpr int kDfmCodePage = 936;

struct TDfmPos {
  int Line = 0;
  int Column = 0;
};

enum class TDfmValueKind {
  Integer,     // 12, -13, $FF
  Float,       // 1.5, 1.5E3
  String,      // 'it''s'#13#10 + 'more'
  Identifier,  // clRed, True, edPrintDate, Form1.Edit1, btnOkClick
  Set,         // [akLeft, akTop]
  List,        // ( 'a' 'b' ), ( 1 2 )
  Collection,  // < item ... end ... >
  Binary,      // { 0A1B... }
};

const char* DfmValueKindName(TDfmValueKind kind);

struct TDfmProperty;

// One "item ... end" of a collection.
struct TDfmItem {
  TDfmPos Pos;
  std::vector<TDfmProperty> Properties;
};

struct TDfmValue {
  TDfmValueKind Kind = TDfmValueKind::Integer;
  TDfmPos Pos;
  int64_t Int = 0;
  double Float = 0.0;
  // String: the bytes in kDfmCodePage ("#NNN" codes converted);
  // Identifier: the name as written (dots included); Binary: the raw bytes.
  AnsiString Str;
  // String only: the same text as UTF-16 (literal bytes decoded from
  // kDfmCodePage, "#NNN" codes taken as code points).
  WideString Wide;
  // String only: false when a "#NNN" code has no form in kDfmCodePage; the
  // text is then usable only as a wide string and Str holds "?" in its place.
  bool BytesExact = true;
  TDfmPos UnmappablePos;  // the first such code
  // Set: the element names (Identifier values); List: the items.
  std::vector<TDfmValue> Items;
  // Collection: the items.
  std::vector<TDfmItem> CollectionItems;
};

struct TDfmProperty {
  AnsiString Name;  // the path as written: "Font.Height"
  TDfmPos Pos;
  TDfmValue Value;
};

enum class TDfmObjectKind { Object, Inherited, Inline };

struct TDfmObject {
  TDfmObjectKind Kind = TDfmObjectKind::Object;
  AnsiString Name;  // empty for "object TClass" without a name
  AnsiString ClassName;
  TDfmPos Pos;
  std::vector<TDfmProperty> Properties;
  std::vector<TDfmObject> Children;
};

struct TDfmDocument {
  AnsiString FileName;  // as given to the parser, used in every message
  TDfmObject Root;
};

// Parses one resource: exactly one top-level object, then only white space.
TDfmDocument ParseDfm(std::string_view text, std::string_view fileName);

// "file:line:column: message" as every form-resource error reads.
AnsiString DfmErrorText(std::string_view fileName, TDfmPos pos, std::string_view message);
[[noreturn]] void RaiseDfmError(std::string_view fileName, TDfmPos pos, std::string_view message);
