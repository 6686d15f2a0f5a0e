// Text helpers on byte strings in the original's shape: trimming, case
// mapping, comparison, searching, copying and replacing. Every helper that
// looks at letters walks the string character by character in its code page,
// so the trail byte of a double-byte character (which can look like a Latin
// letter or a delimiter) is never mistaken for one. Positions are 1-based and
// count bytes, as in the original.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Types.h"

// ---- Trimming: every byte <= 0x20 at the ends goes; bytes >= 0x80 stay ----
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);

// ---- Case, ASCII only: 'a'..'z' <-> 'A'..'Z', trail bytes untouched ----
AnsiString UpperCase(std::string_view s, int codePage = CP_ACP);
AnsiString LowerCase(std::string_view s, int codePage = CP_ACP);

// ---- Comparison: < 0, 0 or > 0 ----
// Byte order, unsigned, case-sensitive; a prefix sorts first.
int CompareStr(std::string_view a, std::string_view b);
bool SameStr(std::string_view a, std::string_view b);
// ASCII letters compare case-insensitively (as upper case); the bytes of a
// double-byte character compare exactly.
int CompareText(std::string_view a, std::string_view b, int codePage = CP_ACP);
bool SameText(std::string_view a, std::string_view b, int codePage = CP_ACP);

// ---- Case by the locale's rules: every letter of the code page ----
// The text is decoded in the code page, mapped with Unicode's case rules and
// encoded again; a character whose other case the code page cannot hold
// stays as it was.
AnsiString AnsiUpperCase(std::string_view s, int codePage = CP_ACP);
AnsiString AnsiLowerCase(std::string_view s, int codePage = CP_ACP);
// Compares the case-folded UTF-16 texts code unit by code unit: equal
// means equal ignoring case in any script; the order is code-point order,
// not a dictionary collation.
int AnsiCompareText(std::string_view a, std::string_view b, int codePage = CP_ACP);
bool AnsiSameText(std::string_view a, std::string_view b, int codePage = CP_ACP);

// ---- Searching and copying ----
// 1-based byte position of the first occurrence of sub in s; 0 when absent
// or when sub is empty.
int Pos(std::string_view sub, std::string_view s);
// As Pos, but only at character boundaries of the code page, so that a match
// never starts on a trail byte.
int AnsiPos(std::string_view sub, std::string_view s, int codePage = CP_ACP);
// count bytes from the 1-based index; an index below 1 counts from 1, an
// index past the end or a count <= 0 gives "", the count is clipped at the end.
AnsiString Copy(std::string_view s, int index, int count);

// ---- Replacing ----
enum TReplaceFlag : unsigned { rfReplaceAll = 1u, rfIgnoreCase = 2u };
using TReplaceFlags = unsigned;  // rfReplaceAll | rfIgnoreCase
// Replaces the first (or every) occurrence of oldPattern, matching at
// character boundaries only, ASCII-case-insensitively with rfIgnoreCase.
// An empty oldPattern leaves s unchanged. Replaced text is never searched again.
AnsiString StringReplace(std::string_view s, std::string_view oldPattern,
                         std::string_view newPattern, TReplaceFlags flags = 0,
                         int codePage = CP_ACP);

// ---- Small builders and tests ----
// 'text' with every quote doubled: QuotedStr("it's") == "'it''s'".
AnsiString QuotedStr(std::string_view s);
AnsiString StringOfChar(char ch, int count);
// Whether the byte at the 1-based index is one of delimiters and starts a
// character (a trail byte never counts). False outside the string.
bool IsDelimiter(std::string_view delimiters, std::string_view s, int index, int codePage = CP_ACP);
// 1-based index of the last byte of s that is one of delimiters and starts a
// character; 0 when there is none.
int LastDelimiter(std::string_view delimiters, std::string_view s, int codePage = CP_ACP);
