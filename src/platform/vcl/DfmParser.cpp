#include "platform/vcl/DfmParser.h"

#include <charconv>
#include <cstdio>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"

namespace {

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// Appends a code point as UTF-16.
void AppendCodePoint(WideString& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

class TDfmParser {
public:
  TDfmParser(std::string_view text, std::string_view fileName) : FText(text), FFile(fileName) {}

  TDfmDocument Parse() {
    TDfmDocument doc;
    doc.FileName = AnsiString(FFile);
    SkipBlanks();
    doc.Root = ParseObject();
    SkipBlanks();
    if (!AtEnd()) Fail(Pos(), "expected end of text after the final 'end' but found " + Describe());
    return doc;
  }

private:
  std::string_view FText;
  std::string_view FFile;
  size_t FIndex = 0;
  int FLine = 1;
  int FColumn = 1;

  bool AtEnd() const { return FIndex >= FText.size(); }
  char Peek(size_t ahead = 0) const {
    return FIndex + ahead < FText.size() ? FText[FIndex + ahead] : '\0';
  }
  TDfmPos Pos() const { return {FLine, FColumn}; }

  [[noreturn]] void Fail(TDfmPos pos, std::string_view message) const {
    RaiseDfmError(FFile, pos, message);
  }

  // One character forward: a line break (LF, CR LF or a lone CR) starts a new
  // line; a double-byte character is one column.
  void Advance() {
    char c = FText[FIndex];
    if (c == '\n' || c == '\r') {
      ++FIndex;
      if (c == '\r' && Peek() == '\n') ++FIndex;
      ++FLine;
      FColumn = 1;
      return;
    }
    FIndex += static_cast<size_t>(CharLengthAt(kDfmCodePage, FText, FIndex));
    if (FIndex > FText.size()) FIndex = FText.size();
    ++FColumn;
  }

  void SkipBlanks() {
    while (!AtEnd()) {
      char c = Peek();
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        Advance();
      } else {
        break;
      }
    }
  }

  // What stands at the current position, for messages.
  AnsiString Describe() const {
    if (AtEnd()) return "end of text";
    unsigned char c = static_cast<unsigned char>(Peek());
    if (IsIdentStart(static_cast<char>(c))) {
      size_t end = FIndex;
      while (end < FText.size() && IsIdentChar(FText[end])) ++end;
      return "'" + AnsiString(FText.substr(FIndex, end - FIndex)) + "'";
    }
    if (c >= 0x20 && c < 0x7F) return AnsiString("'") + static_cast<char>(c) + "'";
    char buf[32];
    std::snprintf(buf, sizeof buf, "character $%02X", c);
    return buf;
  }

  // A name, never one of the format's keywords ("object A:" followed by
  // "end" lacks its class name; it does not name a class "end").
  AnsiString ReadIdent(std::string_view what) {
    if (!IsIdentStart(Peek()) || AtKeyword("end") || AtObjectStart()) {
      Fail(Pos(), "expected " + AnsiString(what) + " but found " + Describe());
    }
    size_t start = FIndex;
    while (!AtEnd() && IsIdentChar(Peek())) Advance();
    return AnsiString(FText.substr(start, FIndex - start));
  }

  // Name or Name.Name...: no blanks around the dots.
  AnsiString ReadDottedIdent(std::string_view what) {
    AnsiString name = ReadIdent(what);
    while (Peek() == '.') {
      Advance();
      if (!IsIdentStart(Peek())) Fail(Pos(), "expected a name after '.' but found " + Describe());
      name += '.';
      name += ReadIdent("a name");
    }
    return name;
  }

  // The keyword at the current position (case-insensitive), if the whole
  // identifier there is that keyword.
  bool AtKeyword(std::string_view keyword) const {
    if (FText.size() - FIndex < keyword.size()) return false;
    if (!SameTextAscii(FText.substr(FIndex, keyword.size()), keyword)) return false;
    size_t after = FIndex + keyword.size();
    return after >= FText.size() || !IsIdentChar(FText[after]);
  }

  void SkipKeyword(std::string_view keyword) {
    for (size_t i = 0; i < keyword.size(); ++i) Advance();
  }

  bool AtObjectStart() const {
    return AtKeyword("object") || AtKeyword("inherited") || AtKeyword("inline");
  }

  TDfmObject ParseObject() {
    TDfmObject obj;
    obj.Pos = Pos();
    if (AtKeyword("object")) {
      obj.Kind = TDfmObjectKind::Object;
      SkipKeyword("object");
    } else if (AtKeyword("inherited")) {
      obj.Kind = TDfmObjectKind::Inherited;
      SkipKeyword("inherited");
    } else if (AtKeyword("inline")) {
      obj.Kind = TDfmObjectKind::Inline;
      SkipKeyword("inline");
    } else {
      Fail(Pos(), "expected 'object', 'inherited' or 'inline' but found " + Describe());
    }
    SkipBlanks();
    AnsiString first = ReadIdent("a component name or class name");
    SkipBlanks();
    if (Peek() == ':') {
      Advance();
      SkipBlanks();
      obj.Name = std::move(first);
      obj.ClassName = ReadIdent("a class name");
      SkipBlanks();
    } else {
      obj.ClassName = std::move(first);
    }
    for (;;) {
      if (AtKeyword("end")) {
        SkipKeyword("end");
        return obj;
      }
      if (AtObjectStart()) {
        obj.Children.push_back(ParseObject());
      } else if (IsIdentStart(Peek())) {
        obj.Properties.push_back(ParseProperty());
      } else {
        Fail(Pos(), "expected a property, a nested object or 'end' but found " + Describe());
      }
      SkipBlanks();
    }
  }

  TDfmProperty ParseProperty() {
    TDfmProperty prop;
    prop.Pos = Pos();
    prop.Name = ReadDottedIdent("a property name");
    SkipBlanks();
    if (Peek() != '=') Fail(Pos(), "expected '=' after property " + prop.Name + " but found " + Describe());
    Advance();
    SkipBlanks();
    prop.Value = ParseValue();
    return prop;
  }

  TDfmValue ParseValue() {
    char c = Peek();
    if (c == '\'' || c == '#') return ParseString();
    if (IsDigit(c) || c == '$' || c == '-') return ParseNumber();
    if (IsIdentStart(c)) {
      TDfmValue v;
      v.Kind = TDfmValueKind::Identifier;
      v.Pos = Pos();
      v.Str = ReadDottedIdent("a value");
      return v;
    }
    if (c == '[') return ParseSet();
    if (c == '(') return ParseList();
    if (c == '<') return ParseCollection();
    if (c == '{') return ParseBinary();
    Fail(Pos(), "expected a value but found " + Describe());
  }

  TDfmValue ParseNumber() {
    TDfmValue v;
    v.Pos = Pos();
    bool negative = false;
    if (Peek() == '-') {
      negative = true;
      Advance();
      if (!IsDigit(Peek()) && Peek() != '$') Fail(Pos(), "expected a number after '-' but found " + Describe());
    }
    if (Peek() == '$') {
      Advance();
      TDfmPos digitsPos = Pos();
      uint64_t value = 0;
      int digits = 0;
      while (HexDigit(Peek()) >= 0) {
        if (++digits > 16) Fail(digitsPos, "hexadecimal number has more than 16 digits");
        value = value * 16 + static_cast<uint64_t>(HexDigit(Peek()));
        Advance();
      }
      if (digits == 0) Fail(Pos(), "expected hexadecimal digits after '$' but found " + Describe());
      if (IsIdentChar(Peek())) Fail(Pos(), "unexpected " + Describe() + " in a hexadecimal number");
      v.Kind = TDfmValueKind::Integer;
      // 16 digits give the two's complement bit pattern, as the writer stores it.
      v.Int = static_cast<int64_t>(negative ? (~value + 1) : value);
      return v;
    }
    size_t start = FIndex;
    while (IsDigit(Peek())) Advance();
    bool isFloat = false;
    if (Peek() == '.') {
      isFloat = true;
      Advance();
      if (!IsDigit(Peek())) Fail(Pos(), "expected digits after the decimal point but found " + Describe());
      while (IsDigit(Peek())) Advance();
    }
    if (Peek() == 'E' || Peek() == 'e') {
      isFloat = true;
      Advance();
      if (Peek() == '+' || Peek() == '-') Advance();
      if (!IsDigit(Peek())) Fail(Pos(), "expected the exponent's digits but found " + Describe());
      while (IsDigit(Peek())) Advance();
    }
    if (IsIdentChar(Peek()) || Peek() == '.') Fail(Pos(), "unexpected " + Describe() + " in a number");
    std::string_view digits = FText.substr(start, FIndex - start);
    if (isFloat) {
      double d = 0;
      auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
      if (ec != std::errc() || ptr != digits.data() + digits.size()) Fail(v.Pos, "number out of range");
      v.Kind = TDfmValueKind::Float;
      v.Float = negative ? -d : d;
      return v;
    }
    uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (ec != std::errc() || magnitude > limit) Fail(v.Pos, "integer out of range");
    v.Kind = TDfmValueKind::Integer;
    v.Int = negative ? static_cast<int64_t>(~magnitude + 1) : static_cast<int64_t>(magnitude);
    return v;
  }

  // A string is pieces written next to each other ('a'#13#10'b'), and runs of
  // such pieces joined by '+' across blanks and lines.
  TDfmValue ParseString() {
    TDfmValue v;
    v.Kind = TDfmValueKind::String;
    v.Pos = Pos();
    for (;;) {
      ParsePieceRun(v);
      size_t saveIndex = FIndex;
      int saveLine = FLine, saveColumn = FColumn;
      SkipBlanks();
      if (Peek() != '+') {
        FIndex = saveIndex;
        FLine = saveLine;
        FColumn = saveColumn;
        return v;
      }
      Advance();
      SkipBlanks();
      if (Peek() != '\'' && Peek() != '#') Fail(Pos(), "expected a string after '+' but found " + Describe());
    }
  }

  void ParsePieceRun(TDfmValue& v) {
    while (Peek() == '\'' || Peek() == '#') {
      if (Peek() == '\'') {
        ParseQuoted(v);
      } else {
        ParseCharCode(v);
      }
    }
  }

  void ParseQuoted(TDfmValue& v) {
    TDfmPos open = Pos();
    Advance();
    AnsiString bytes;
    for (;;) {
      if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail(open, "unterminated string");
      char c = Peek();
      if (c == '\'') {
        Advance();
        if (Peek() != '\'') break;
        bytes += '\'';
        Advance();
        continue;
      }
      // A whole character at a time: a trail byte is never a quote in GBK,
      // but a double-byte character cut by the end of text must not be split.
      size_t start = FIndex;
      Advance();
      bytes.append(FText.substr(start, FIndex - start));
    }
    v.Str += bytes;
    v.Wide += CodePageToWide(kDfmCodePage, bytes);
  }

  uint32_t ReadCharCodeNumber() {
    TDfmPos pos = Pos();
    uint64_t value = 0;
    int digits = 0;
    if (Peek() == '$') {
      Advance();
      while (HexDigit(Peek()) >= 0) {
        value = value * 16 + static_cast<uint64_t>(HexDigit(Peek()));
        if (value > 0x10FFFF) Fail(pos, "character code out of range (above $10FFFF)");
        ++digits;
        Advance();
      }
    } else {
      while (IsDigit(Peek())) {
        value = value * 10 + static_cast<uint64_t>(Peek() - '0');
        if (value > 0x10FFFF) Fail(pos, "character code out of range (above 1114111)");
        ++digits;
        Advance();
      }
    }
    if (digits == 0) Fail(Pos(), "expected a character code after '#' but found " + Describe());
    return static_cast<uint32_t>(value);
  }

  // #NNN is a code point; a surrogate pair written as two codes (#55357#56832)
  // is accepted as the character it encodes, a lone surrogate is not.
  void ParseCharCode(TDfmValue& v) {
    TDfmPos pos = Pos();
    Advance();
    uint32_t cp = ReadCharCodeNumber();
    if (cp >= 0xDC00 && cp <= 0xDFFF) Fail(pos, "character code is a lone low surrogate");
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (Peek() != '#') Fail(pos, "character code is a high surrogate without its low half");
      Advance();
      uint32_t low = ReadCharCodeNumber();
      if (low < 0xDC00 || low > 0xDFFF) Fail(pos, "character code is a high surrogate without its low half");
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    WideString one;
    AppendCodePoint(one, cp);
    v.Wide += one;
    if (cp < 0x80) {
      v.Str += static_cast<char>(cp);
      return;
    }
    bool usedDefault = false;
    v.Str += WideToCodePage(kDfmCodePage, one, &usedDefault);
    if (usedDefault && v.BytesExact) {
      v.BytesExact = false;
      v.UnmappablePos = pos;
    }
  }

  TDfmValue ParseSet() {
    TDfmValue v;
    v.Kind = TDfmValueKind::Set;
    v.Pos = Pos();
    Advance();
    SkipBlanks();
    if (Peek() == ']') {
      Advance();
      return v;
    }
    for (;;) {
      TDfmValue item;
      item.Kind = TDfmValueKind::Identifier;
      item.Pos = Pos();
      item.Str = ReadIdent("a set element name");
      v.Items.push_back(std::move(item));
      SkipBlanks();
      if (Peek() == ']') {
        Advance();
        return v;
      }
      if (Peek() != ',') Fail(Pos(), "expected ',' or ']' in a set but found " + Describe());
      Advance();
      SkipBlanks();
    }
  }

  TDfmValue ParseList() {
    TDfmValue v;
    v.Kind = TDfmValueKind::List;
    v.Pos = Pos();
    Advance();
    SkipBlanks();
    while (Peek() != ')') {
      if (AtEnd()) Fail(v.Pos, "unterminated list: expected ')'");
      v.Items.push_back(ParseValue());
      SkipBlanks();
    }
    Advance();
    return v;
  }

  TDfmValue ParseCollection() {
    TDfmValue v;
    v.Kind = TDfmValueKind::Collection;
    v.Pos = Pos();
    Advance();
    SkipBlanks();
    while (Peek() != '>') {
      if (!AtKeyword("item")) Fail(Pos(), "expected 'item' or '>' in a collection but found " + Describe());
      TDfmItem item;
      item.Pos = Pos();
      SkipKeyword("item");
      SkipBlanks();
      while (!AtKeyword("end")) {
        if (!IsIdentStart(Peek())) Fail(Pos(), "expected a property or 'end' in a collection item but found " + Describe());
        item.Properties.push_back(ParseProperty());
        SkipBlanks();
      }
      SkipKeyword("end");
      v.CollectionItems.push_back(std::move(item));
      SkipBlanks();
    }
    Advance();
    return v;
  }

  TDfmValue ParseBinary() {
    TDfmValue v;
    v.Kind = TDfmValueKind::Binary;
    v.Pos = Pos();
    Advance();
    int high = -1;
    TDfmPos highPos;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(v.Pos, "unterminated binary data: expected '}'");
      if (Peek() == '}') break;
      int digit = HexDigit(Peek());
      if (digit < 0) Fail(Pos(), "expected a hexadecimal digit or '}' in binary data but found " + Describe());
      if (high < 0) {
        high = digit;
        highPos = Pos();
      } else {
        v.Str += static_cast<char>(high * 16 + digit);
        high = -1;
      }
      Advance();
    }
    if (high >= 0) Fail(highPos, "binary data has an odd number of hexadecimal digits");
    Advance();
    return v;
  }
};

}  // namespace

const char* DfmValueKindName(TDfmValueKind kind) {
  switch (kind) {
    case TDfmValueKind::Integer: return "integer";
    case TDfmValueKind::Float: return "float";
    case TDfmValueKind::String: return "string";
    case TDfmValueKind::Identifier: return "identifier";
    case TDfmValueKind::Set: return "set";
    case TDfmValueKind::List: return "list";
    case TDfmValueKind::Collection: return "collection";
    case TDfmValueKind::Binary: return "binary data";
  }
  return "value";
}

TDfmDocument ParseDfm(std::string_view text, std::string_view fileName) {
  return TDfmParser(text, fileName).Parse();
}

AnsiString DfmErrorText(std::string_view fileName, TDfmPos pos, std::string_view message) {
  AnsiString text(fileName);
  text += ':' + std::to_string(pos.Line) + ':' + std::to_string(pos.Column) + ": ";
  text += message;
  return text;
}

void RaiseDfmError(std::string_view fileName, TDfmPos pos, std::string_view message) {
  throw EReadError(DfmErrorText(fileName, pos, message));
}
