#include "platform/rtl/SysUtils.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <climits>
#include <string>

#include "platform/rtl/Exceptions.h"

// Sections: character walking, trimming, ASCII case, comparison, locale case,
// searching and copying, replacing, small builders.

namespace {

// ---- Character walking ----

// Walks a byte string character by character in one code page. The code
// page is checked once, up front, so that an unknown one is an error rather
// than a silent single-byte walk.
class TCharWalker {
public:
  TCharWalker(int codePage, const char* caller)
      : FCodePage(codePage == CP_ACP ? SystemCodePage() : codePage) {
    if (!IsCodePageSupported(FCodePage))
      throw EConvertError(std::string(caller) + ": code page " + std::to_string(codePage) +
                          " is not supported");
    FUtf8 = FCodePage == CP_UTF8;
  }

  int CodePage() const { return FCodePage; }

  // Bytes of the character starting at s[index]; index < s.size().
  size_t Length(std::string_view s, size_t index) const {
    if (!FUtf8) return static_cast<size_t>(CharLengthAt(FCodePage, s, index));
    // UTF-8 has no lead bytes in the double-byte sense; a sequence is kept
    // together when its continuation bytes are all there.
    const uint8_t lead = static_cast<uint8_t>(s[index]);
    size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (index + length > s.size()) return 1;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<uint8_t>(s[index + k]) & 0xC0) != 0x80) return 1;
    return length;
  }

private:
  int FCodePage;
  bool FUtf8 = false;
};

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Maps the single-byte characters of s with map; double-byte characters keep
// their bytes.
template <class TMap>
AnsiString MapAscii(std::string_view s, int codePage, const char* caller, TMap map) {
  const TCharWalker walker(codePage, caller);
  AnsiString result(s);
  for (size_t i = 0; i < s.size();) {
    const size_t length = walker.Length(s, i);
    if (length == 1) result[i] = map(s[i]);
    i += length;
  }
  return result;
}

// Reads a byte string upper-cased on the fly (ASCII letters of single-byte
// characters only), so that comparisons need no copies.
class TFoldedReader {
public:
  TFoldedReader(std::string_view s, const TCharWalker& walker) : FText(s), FWalker(walker) {}
  bool AtEnd() const { return FIndex >= FText.size(); }
  uint8_t Next() {
    if (FTrail == 0) {
      const size_t length = FWalker.Length(FText, FIndex);
      if (length == 1) return static_cast<uint8_t>(AsciiUpper(FText[FIndex++]));
      FTrail = length - 1;
    } else {
      --FTrail;
    }
    return static_cast<uint8_t>(FText[FIndex++]);
  }

private:
  std::string_view FText;
  const TCharWalker& FWalker;
  size_t FIndex = 0;
  size_t FTrail = 0;  // bytes still to come of the current multi-byte character
};

int Sign(int value) { return (value > 0) - (value < 0); }

int ToPosition(size_t index) {
  return index >= static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(index) + 1;
}

// Whether the character boundaries of s include index (0 and s.size() always do).
bool IsBoundary(std::string_view s, size_t index, const TCharWalker& walker) {
  size_t i = 0;
  while (i < index) i += walker.Length(s, i);
  return i == index;
}

// ---- Locale case ----

// Maps one character (1 to 4 bytes) by Unicode's simple case mapping; keeps
// the bytes when the character is not valid in the code page, when it has no
// other case, or when the code page cannot hold the other case.
void AppendMappedChar(AnsiString& out, std::string_view bytes, int codePage,
                      UChar32 (*map)(UChar32)) {
  const WideString wide = CodePageToWide(codePage, bytes);
  UChar32 c = 0;
  int32_t offset = 0;
  U16_NEXT(wide.data(), offset, static_cast<int32_t>(wide.size()), c);
  if (offset != static_cast<int32_t>(wide.size()) || c == 0xFFFD || U_IS_SURROGATE(c)) {
    out.append(bytes);
    return;
  }
  const UChar32 mapped = map(c);
  if (mapped == c) {
    out.append(bytes);
    return;
  }
  char16_t units[2];
  int32_t length = 0;
  U16_APPEND_UNSAFE(units, length, mapped);
  bool usedDefault = false;
  const AnsiString encoded =
      WideToCodePage(codePage, std::u16string_view(units, length), &usedDefault);
  out.append(usedDefault ? AnsiString(bytes) : encoded);
}

AnsiString MapLocale(std::string_view s, int codePage, const char* caller,
                     UChar32 (*map)(UChar32)) {
  const TCharWalker walker(codePage, caller);
  AnsiString result;
  result.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t length = walker.Length(s, i);
    const uint8_t first = static_cast<uint8_t>(s[i]);
    if (length == 1 && first < 0x80)
      result += static_cast<char>(map(first));  // ASCII maps to ASCII in every byte code page here
    else
      AppendMappedChar(result, s.substr(i, length), walker.CodePage(), map);
    i += length;
  }
  return result;
}

UChar32 MapUpper(UChar32 c) { return u_toupper(c); }
UChar32 MapLower(UChar32 c) { return u_tolower(c); }

WideString FoldCase(std::string_view s, int codePage) {
  const WideString wide = CodePageToWideEscaped(codePage, s);
  if (wide.empty()) return wide;
  WideString folded(wide.size() + 8, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length =
        u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                      reinterpret_cast<const UChar*>(wide.data()),
                      static_cast<int32_t>(wide.size()), U_FOLD_CASE_DEFAULT, &error);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      folded.assign(static_cast<size_t>(length) + 1, u'\0');
      continue;
    }
    if (U_FAILURE(error))
      throw EConvertError(std::string("AnsiCompareText: cannot fold case (") + u_errorName(error) +
                          ")");
    folded.resize(static_cast<size_t>(length));
    return folded;
  }
  throw EConvertError("AnsiCompareText: cannot fold case");
}

}  // namespace

// ---- Trimming ----

namespace {
bool IsBlank(char c) { return static_cast<uint8_t>(c) <= 0x20; }
}  // namespace

AnsiString Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

AnsiString TrimLeft(std::string_view s) {
  size_t first = 0;
  while (first < s.size() && IsBlank(s[first])) ++first;
  return AnsiString(s.substr(first));
}

AnsiString TrimRight(std::string_view s) {
  size_t end = s.size();
  while (end > 0 && IsBlank(s[end - 1])) --end;
  return AnsiString(s.substr(0, end));
}

// ---- ASCII case ----

AnsiString UpperCase(std::string_view s, int codePage) {
  return MapAscii(s, codePage, "UpperCase", AsciiUpper);
}

AnsiString LowerCase(std::string_view s, int codePage) {
  return MapAscii(s, codePage, "LowerCase", AsciiLower);
}

// ---- Comparison ----

int CompareStr(std::string_view a, std::string_view b) {
  // std::string_view compares through char_traits<char>, which orders bytes
  // as unsigned char.
  return Sign(a.compare(b));
}

bool SameStr(std::string_view a, std::string_view b) { return a == b; }

int CompareText(std::string_view a, std::string_view b, int codePage) {
  const TCharWalker walker(codePage, "CompareText");
  TFoldedReader left(a, walker);
  TFoldedReader right(b, walker);
  while (!left.AtEnd() && !right.AtEnd()) {
    const uint8_t x = left.Next();
    const uint8_t y = right.Next();
    if (x != y) return x < y ? -1 : 1;
  }
  return left.AtEnd() ? (right.AtEnd() ? 0 : -1) : 1;
}

bool SameText(std::string_view a, std::string_view b, int codePage) {
  return a.size() == b.size() && CompareText(a, b, codePage) == 0;
}

// ---- Locale case ----

AnsiString AnsiUpperCase(std::string_view s, int codePage) {
  return MapLocale(s, codePage, "AnsiUpperCase", MapUpper);
}

AnsiString AnsiLowerCase(std::string_view s, int codePage) {
  return MapLocale(s, codePage, "AnsiLowerCase", MapLower);
}

int AnsiCompareText(std::string_view a, std::string_view b, int codePage) {
  const TCharWalker walker(codePage, "AnsiCompareText");
  const WideString x = FoldCase(a, walker.CodePage());
  const WideString y = FoldCase(b, walker.CodePage());
  return Sign(u_strCompare(reinterpret_cast<const UChar*>(x.data()), static_cast<int32_t>(x.size()),
                           reinterpret_cast<const UChar*>(y.data()), static_cast<int32_t>(y.size()),
                           true));
}

bool AnsiSameText(std::string_view a, std::string_view b, int codePage) {
  return AnsiCompareText(a, b, codePage) == 0;
}

// ---- Searching and copying ----

int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const size_t found = s.find(sub);
  return found == std::string_view::npos ? 0 : ToPosition(found);
}

int AnsiPos(std::string_view sub, std::string_view s, int codePage) {
  const TCharWalker walker(codePage, "AnsiPos");
  if (sub.empty()) return 0;
  for (size_t i = 0; i + sub.size() <= s.size(); i += walker.Length(s, i))
    if (s.compare(i, sub.size(), sub) == 0 && IsBoundary(s.substr(i), sub.size(), walker))
      return ToPosition(i);
  return 0;
}

AnsiString Copy(std::string_view s, int index, int count) {
  // As the original: an index below 1 starts at 1 without shortening the count.
  const int64_t start = index < 1 ? 0 : static_cast<int64_t>(index) - 1;
  if (count <= 0 || start >= static_cast<int64_t>(s.size())) return AnsiString();
  return AnsiString(s.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

// ---- Replacing ----

AnsiString StringReplace(std::string_view s, std::string_view oldPattern,
                         std::string_view newPattern, TReplaceFlags flags, int codePage) {
  const TCharWalker walker(codePage, "StringReplace");
  if (oldPattern.empty()) return AnsiString(s);
  const bool ignoreCase = (flags & rfIgnoreCase) != 0;
  // Upper-casing keeps every byte's place and every character boundary, so
  // matches found in the folded copies are matches in s.
  const AnsiString foldedText = ignoreCase ? UpperCase(s, walker.CodePage()) : AnsiString();
  const AnsiString foldedPattern =
      ignoreCase ? UpperCase(oldPattern, walker.CodePage()) : AnsiString();
  const std::string_view text = ignoreCase ? std::string_view(foldedText) : s;
  const std::string_view pattern = ignoreCase ? std::string_view(foldedPattern) : oldPattern;

  AnsiString result;
  result.reserve(s.size());
  size_t i = 0;
  bool replaced = false;
  while (i < s.size()) {
    if ((!replaced || (flags & rfReplaceAll) != 0) && i + pattern.size() <= s.size() &&
        text.compare(i, pattern.size(), pattern) == 0 &&
        IsBoundary(s.substr(i), pattern.size(), walker)) {
      result.append(newPattern);
      i += pattern.size();
      replaced = true;
      continue;
    }
    const size_t length = walker.Length(s, i);
    result.append(s.substr(i, length));
    i += length;
  }
  return result;
}

// ---- Small builders and tests ----

AnsiString QuotedStr(std::string_view s) {
  // The quote (0x27) is below every trail byte, so doubling it byte-wise is safe.
  AnsiString result;
  result.reserve(s.size() + 2);
  result += '\'';
  for (char c : s) {
    result += c;
    if (c == '\'') result += '\'';
  }
  result += '\'';
  return result;
}

AnsiString StringOfChar(char ch, int count) {
  return count <= 0 ? AnsiString() : AnsiString(static_cast<size_t>(count), ch);
}

bool IsDelimiter(std::string_view delimiters, std::string_view s, int index, int codePage) {
  const TCharWalker walker(codePage, "IsDelimiter");
  if (index < 1 || static_cast<size_t>(index) > s.size()) return false;
  const size_t at = static_cast<size_t>(index) - 1;
  return delimiters.find(s[at]) != std::string_view::npos && IsBoundary(s, at, walker);
}

int LastDelimiter(std::string_view delimiters, std::string_view s, int codePage) {
  const TCharWalker walker(codePage, "LastDelimiter");
  int last = 0;
  for (size_t i = 0; i < s.size(); i += walker.Length(s, i))
    if (delimiters.find(s[i]) != std::string_view::npos) last = ToPosition(i);
  return last;
}
