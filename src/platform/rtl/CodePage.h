// Code pages: byte strings <-> UTF-16 with the Windows tables (936, 950,
// 1252 through ICU's windows-936-2000, windows-950-2000 and windows-1252
// converters), the Windows-style calls with their size queries and default
// character, lead-byte tests, and the process's system code page. Every call
// may be made from any thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/Types.h"

inline constexpr int CP_ACP = 0;  // the system code page
inline constexpr int CP_UTF8 = 65001;

// MultiByteToWideChar flag: fail (return 0) on a byte sequence the code page
// does not define, instead of writing U+FFFD.
inline constexpr uint32_t MB_ERR_INVALID_CHARS = 0x08;

// ---- The system code page ----
// Resolved once, on first use: the registered resolver's answer if one is
// registered (the win layer registers one that reads the registry), else the
// locale's codeset (GBK/GB2312/GB18030 -> 936, BIG5 -> 950, else 1252).
int SystemCodePage();
// Forces the system code page (tests, and the resolver's result).
// Raises EConvertError for a code page the runtime does not know.
void SetSystemCodePage(int codePage);
using TCodePageResolver = int (*)();
// Registers the resolver and forgets a code page resolved before.
void SetSystemCodePageResolver(TCodePageResolver resolver);

// Whether the runtime can convert the code page (CP_ACP always).
bool IsCodePageSupported(int codePage);

// ---- Plain conversions (CP_ACP means SystemCodePage()) ----
// Bytes that are not valid in the code page become U+FFFD; a double-byte
// character cut at the end becomes U+FFFD too. Raises EConvertError for a code
// page the runtime does not know.
WideString CodePageToWide(int codePage, std::string_view bytes);
// As CodePageToWide, but each byte that is not valid in the code page becomes
// U+DC00 + byte (a lone low surrogate) instead of U+FFFD, so that different
// invalid bytes stay different where texts are compared or used as keys.
WideString CodePageToWideEscaped(int codePage, std::string_view bytes);
// Characters the code page cannot hold become "?" (the default character;
// in UTF-8 only a lone surrogate is such a character, and it becomes U+FFFD);
// usedDefault, when given, tells whether that happened.
AnsiString WideToCodePage(int codePage, std::u16string_view text, bool* usedDefault = nullptr);
// Re-encodes bytes from one code page to another through UTF-16.
AnsiString ConvertCodePage(int fromCodePage, int toCodePage, std::string_view bytes);
// UTF-8 helpers for file names and display; an invalid UTF-8 sequence or a
// lone surrogate becomes U+FFFD.
AnsiString WideToUtf8(std::u16string_view text);
WideString Utf8ToWide(std::string_view text);

// ---- The Windows-style calls ----
// srcLen -1 converts up to and including the terminating NUL. dstLen 0 asks
// for the size needed. Returns the number of units written (or needed), 0 on
// failure (unknown code page, buffer too small, srcLen 0, bad arguments);
// nothing is written on failure. defaultChar (its first character) replaces
// what the code page cannot hold, "?" when null.
int MultiByteToWideChar(int codePage, uint32_t flags, const char* src, int srcLen, char16_t* dst,
                        int dstLen);
int WideCharToMultiByte(int codePage, uint32_t flags, const char16_t* src, int srcLen, char* dst,
                        int dstLen, const char* defaultChar, bool* usedDefaultChar);

// ---- Double-byte structure ----
// Lead byte of a double-byte character in the code page (936: 0x81-0xFE,
// 950: 0x81-0xFE); always false for single-byte code pages, UTF-8 and code
// pages the runtime does not know.
bool IsDBCSLeadByteEx(int codePage, uint8_t byte);
// Length in bytes of the character starting at bytes[index] (1 or 2): 2 for
// a lead byte followed by a byte that can be a trail byte (>= 0x40), so a cut
// or broken character never swallows a control character, digit or blank.
// Raises EConvertError when index is past the end.
int CharLengthAt(int codePage, std::string_view bytes, size_t index);
