#include "platform/xml/XmlEncoding.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/rtl/CodePage.h"

namespace {

constexpr std::string_view KUtf8Bom = "\xEF\xBB\xBF";

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

AnsiString AsciiLowerCase(std::string_view s) {
  AnsiString out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Offset of the first byte that does not belong to a well-formed UTF-8
// sequence (overlong forms, surrogates and code points past U+10FFFF
// included); npos when every byte does.
size_t FirstInvalidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<uint8_t>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra;
    uint32_t cp;
    uint32_t min;
    if ((b & 0xE0) == 0xC0) extra = 1, cp = b & 0x1F, min = 0x80;
    else if ((b & 0xF0) == 0xE0) extra = 2, cp = b & 0x0F, min = 0x800;
    else if ((b & 0xF8) == 0xF0) extra = 3, cp = b & 0x07, min = 0x10000;
    else return i;
    if (i + extra >= s.size()) return i;
    for (int k = 1; k <= extra; ++k) {
      const auto t = static_cast<uint8_t>(s[i + k]);
      if ((t & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += extra + 1;
  }
  return std::string_view::npos;
}

// Offset of the first character that codePage does not define, walking
// character by character; only called once a whole-text check has failed.
size_t FirstInvalidInCodePage(std::string_view s, int codePage) {
  if (codePage == CP_UTF8) return FirstInvalidUtf8(s);
  size_t i = 0;
  while (i < s.size()) {
    int len = CharLengthAt(codePage, s, i);
    bool ok = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, s.data() + i, len, nullptr, 0) > 0;
    // GB18030 has four-byte characters: a lead byte followed by a digit.
    if (!ok && codePage == 54936 && i + 4 <= s.size()) {
      len = 4;
      ok = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, s.data() + i, len, nullptr, 0) > 0;
    }
    if (!ok) return i;
    i += static_cast<size_t>(len);
  }
  return 0;  // the text as a whole failed, no single character did
}

AnsiString CodePageLabel(int codePage) {
  return codePage == CP_UTF8 ? AnsiString("UTF-8") : "code page " + std::to_string(codePage);
}

// Strict decoding: a byte that is not valid raises with its offset.
WideString DecodeStrict(std::string_view bytes, int codePage) {
  if (bytes.empty()) return {};
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    throw EXmlEncodingError("the text is too long to convert", 0);
  const int len = static_cast<int>(bytes.size());
  const int need = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), len, nullptr, 0);
  if (need <= 0) {
    const size_t at = FirstInvalidInCodePage(bytes, codePage);
    throw EXmlEncodingError("a byte sequence that is not valid " + CodePageLabel(codePage) +
                                " at offset " + std::to_string(at),
                            at);
  }
  WideString out(static_cast<size_t>(need), u'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), len, out.data(), need);
  return out;
}

WideString DecodeUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0)
    throw EXmlEncodingError("UTF-16 text with an odd number of bytes", bytes.size() - 1);
  WideString out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const auto a = static_cast<uint8_t>(bytes[i]);
    const auto b = static_cast<uint8_t>(bytes[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  // A lone surrogate is no character: it would become "?" without a word.
  for (size_t k = 0; k < out.size(); ++k) {
    const char16_t c = out[k];
    if (c >= 0xD800 && c <= 0xDBFF && k + 1 < out.size() && out[k + 1] >= 0xDC00 &&
        out[k + 1] <= 0xDFFF) {
      ++k;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      throw EXmlEncodingError("a lone UTF-16 surrogate at offset " + std::to_string(k * 2), k * 2);
    }
  }
  return out;
}

AnsiString Convert(std::string_view bytes, int fromCodePage, int toCodePage) {
  if (fromCodePage == toCodePage) return AnsiString(bytes);
  if (fromCodePage == CP_UTF8) {
    const size_t bad = FirstInvalidUtf8(bytes);
    if (bad != std::string_view::npos)
      throw EXmlEncodingError("a byte sequence that is not valid UTF-8 at offset " +
                                  std::to_string(bad),
                              bad);
  }
  return WideToCodePage(toCodePage, DecodeStrict(bytes, fromCodePage));
}

int ResolvedCodePage(int codePage) { return codePage == CP_ACP ? SystemCodePage() : codePage; }

bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

EXmlEncodingError::EXmlEncodingError(AnsiString message, size_t offset)
    : EConvertError(std::move(message)), FOffset(offset) {}

int XmlEncodingCodePage(std::string_view name) {
  const AnsiString n = AsciiLowerCase(name);
  struct TAlias {
    std::string_view Name;
    int CodePage;
  };
  static constexpr std::array<TAlias, 21> aliases{{
      {"utf-8", CP_UTF8},      {"utf8", CP_UTF8},        {"gb2312", 936},
      {"gbk", 936},            {"x-gbk", 936},           {"cp936", 936},
      {"ms936", 936},          {"windows-936", 936},     {"gb18030", 54936},
      {"big5", 950},           {"x-big5", 950},          {"cp950", 950},
      {"ms950", 950},          {"windows-950", 950},     {"iso-8859-1", 28591},
      {"latin1", 28591},       {"iso_8859-1", 28591},    {"us-ascii", 20127},
      {"ascii", 20127},        {"windows-1252", 1252},   {"cp1252", 1252},
  }};
  for (const TAlias& alias : aliases)
    if (alias.Name == n) return IsCodePageSupported(alias.CodePage) ? alias.CodePage : 0;
  // "windows-NNN" and "cpNNN" for the other Windows code pages.
  for (std::string_view prefix : {std::string_view("windows-"), std::string_view("cp")}) {
    if (!StartsWith(n, prefix) || n.size() == prefix.size() || n.size() > prefix.size() + 5) continue;
    int number = 0;
    bool digits = true;
    for (char c : std::string_view(n).substr(prefix.size())) {
      if (c < '0' || c > '9') digits = false;
      else number = number * 10 + (c - '0');
    }
    if (digits && number > 0 && IsCodePageSupported(number)) return number;
  }
  return 0;
}

AnsiString DeclaredXmlEncoding(std::string_view bytes) {
  if (StartsWith(bytes, KUtf8Bom)) bytes.remove_prefix(KUtf8Bom.size());
  if (!StartsWith(bytes, "<?xml") || bytes.size() < 6 || !IsXmlBlank(bytes[5])) return {};
  const size_t end = bytes.find("?>");
  const std::string_view decl = bytes.substr(0, end);
  size_t at = 5;
  while ((at = decl.find("encoding", at)) != std::string_view::npos) {
    size_t i = at + 8;
    // Must stand alone as a name ("xencoding" is not it).
    if (!IsXmlBlank(decl[at - 1])) {
      at = i;
      continue;
    }
    while (i < decl.size() && IsXmlBlank(decl[i])) ++i;
    if (i >= decl.size() || decl[i] != '=') {
      at = i;
      continue;
    }
    ++i;
    while (i < decl.size() && IsXmlBlank(decl[i])) ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
    const char quote = decl[i];
    const size_t close = decl.find(quote, i + 1);
    if (close == std::string_view::npos) return {};
    return AnsiString(decl.substr(i + 1, close - i - 1));
  }
  return {};
}

AnsiString XmlFileToCodePage(std::string_view fileBytes, int codePage) {
  const int target = ResolvedCodePage(codePage);
  if (StartsWith(fileBytes, KUtf8Bom)) return Convert(fileBytes.substr(3), CP_UTF8, target);
  const bool le = StartsWith(fileBytes, "\xFF\xFE") || StartsWith(fileBytes, std::string_view("<\0?\0", 4));
  const bool be = StartsWith(fileBytes, "\xFE\xFF") || StartsWith(fileBytes, std::string_view("\0<\0?", 4));
  if (le || be) {
    const bool bom = static_cast<uint8_t>(fileBytes[0]) >= 0xFE;
    const WideString text = DecodeUtf16(fileBytes.substr(bom ? 2 : 0), be);
    return WideToCodePage(target, text);
  }
  const AnsiString declared = DeclaredXmlEncoding(fileBytes);
  if (declared.empty()) {
    if (FirstInvalidUtf8(fileBytes) == std::string_view::npos) return Convert(fileBytes, CP_UTF8, target);
    return AnsiString(fileBytes);
  }
  const int source = XmlEncodingCodePage(declared);
  if (source == 0) {
    const size_t at = fileBytes.find("encoding");
    throw EXmlEncodingError("the declared encoding \"" + declared + "\" cannot be converted",
                            at == std::string_view::npos ? 0 : at);
  }
  return Convert(fileBytes, source, target);
}

AnsiString XmlTextToCodePage(std::string_view text, int codePage) {
  if (StartsWith(text, KUtf8Bom)) return Convert(text.substr(3), CP_UTF8, ResolvedCodePage(codePage));
  return AnsiString(text);
}

AnsiString ResolveCharacterReferences(std::string_view text, int codePage) {
  if (text.find("&#") == std::string_view::npos) return AnsiString(text);
  AnsiString out;
  out.reserve(text.size());
  size_t i = 0;
  // Copies through the end marker of a construct that holds no references.
  auto copyThrough = [&](size_t searchFrom, std::string_view endMarker) {
    const size_t e = text.find(endMarker, searchFrom);
    const size_t stop = e == std::string_view::npos ? text.size() : e + endMarker.size();
    out.append(text.substr(i, stop - i));
    i = stop;
  };
  while (i < text.size()) {
    const std::string_view rest = text.substr(i);
    if (StartsWith(rest, "<!--")) {
      copyThrough(i + 4, "-->");
    } else if (StartsWith(rest, "<![CDATA[")) {
      copyThrough(i + 9, "]]>");
    } else if (StartsWith(rest, "<?")) {
      copyThrough(i + 2, "?>");
    } else if (StartsWith(rest, "&#")) {
      size_t j = i + 2;
      const bool hex = j < text.size() && text[j] == 'x';
      if (hex) ++j;
      const size_t digitsFrom = j;
      uint32_t value = 0;
      bool tooBig = false;
      for (; j < text.size(); ++j) {
        const char c = text[j];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
        if (value > 0x10FFFF) tooBig = true, value = 0x110000;
      }
      if (j == digitsFrom || j >= text.size() || text[j] != ';')
        throw EXmlEncodingError("a malformed character reference at offset " + std::to_string(i), i);
      if (tooBig || !IsXmlChar(value))
        throw EXmlEncodingError("a character reference that names no XML character at offset " +
                                    std::to_string(i),
                                i);
      if (value < 0x80) {
        out.append(text.substr(i, j + 1 - i));
      } else {
        std::u16string unit;
        if (value > 0xFFFF) {
          unit.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
          unit.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        } else {
          unit.push_back(static_cast<char16_t>(value));
        }
        out += WideToCodePage(codePage, unit);
      }
      i = j + 1;
    } else {
      out += text[i];
      ++i;
    }
  }
  return out;
}

AnsiString CodePageToUtf8Strict(std::string_view bytes, int codePage) {
  const int source = ResolvedCodePage(codePage);
  if (source == CP_UTF8) {
    const size_t bad = FirstInvalidUtf8(bytes);
    if (bad != std::string_view::npos)
      throw EXmlEncodingError("a byte sequence that is not valid UTF-8 at offset " +
                                  std::to_string(bad),
                              bad);
    return AnsiString(bytes);
  }
  return Convert(bytes, source, CP_UTF8);
}
