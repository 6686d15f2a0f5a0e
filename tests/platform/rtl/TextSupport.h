// Test helpers for byte and wide texts: readable hex dumps for failure
// messages, and a scope that forces the system code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/CodePage.h"

// "D6 D0" for the bytes of a text.
inline std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// "U+4E2D U+6587" for the code units of a wide text.
inline std::string Hex(std::u16string_view text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char16_t c : text) {
    if (!out.empty()) out += ' ';
    out += "U+";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(c >> shift) & 15];
  }
  return out;
}

// Forces the system code page and puts the one in force before back.
class TScopedCodePage {
public:
  explicit TScopedCodePage(int codePage) : FOld(SystemCodePage()) { SetSystemCodePage(codePage); }
  ~TScopedCodePage() { SetSystemCodePage(FOld); }
  TScopedCodePage(const TScopedCodePage&) = delete;
  TScopedCodePage& operator=(const TScopedCodePage&) = delete;

private:
  int FOld;
};
