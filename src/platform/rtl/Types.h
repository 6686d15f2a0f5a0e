// The basic value types every layer speaks: byte strings in a code page,
// UTF-16 wide strings, and date-times as day counts.
#pragma once

#include <cstdint>
#include <string>

// Bytes in a code page (GBK for designed texts, Big5 after conversion, the
// system code page elsewhere). Lengths and positions count bytes.
using AnsiString = std::string;

// UTF-16 text, where the original speaks of wide or Unicode strings.
using WideString = std::u16string;

// A date-time as a day count: day 0 is 1899-12-30, the fraction is the time
// of day. A distinct type so that a Variant keeps Date apart from Double;
// it converts to double for arithmetic and back explicitly.
struct TDateTime {
  double Value = 0.0;

  constexpr TDateTime() = default;
  constexpr explicit TDateTime(double value) : Value(value) {}
  constexpr operator double() const { return Value; }
};

// Window handles are 32-bit so that they travel in Variants as integers.
using HWND = int32_t;

// Message parameters are pointer-sized: lParam may carry a control.
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
