// Format: the original's printf-like formatting of Variant arguments into a
// byte string, with its specifier syntax, its strict argument types and its
// errors. "." is always the decimal separator and "," the thousands
// separator, whatever the C locale or the format settings say.
//
// A specifier is "%" [index ":"] ["-"] [width] ["." precision] type; index,
// width and precision may be "*" (taken from the next argument, an integer).
// An index (0-based) moves the argument pointer: "%d %d %0:d %d" of 10, 20
// gives "10 20 10 20". "%%" writes "%". The type letter may be either case:
//   d  integer; precision = minimum digits ("%.3d" of -5 is "-005")
//   u  integer as unsigned (a negative 32-bit value wraps to 32 bits)
//   x  integer as upper-case hex, precision = minimum digits, negative
//      values as two's complement of their width (32 or 64 bits)
//   p  integer as a hex address: 8 digits (16 for a 64-bit integer)
//   s  byte string (a wide string is encoded in the system code page);
//      precision = maximum bytes, never cutting a double-byte character
//   f  float, fixed: precision = decimals (default 2)
//   n  as f with thousands separators
//   m  money: as n, with the currency sign "$" before the amount and a
//      negative amount in parentheses ("($1,234.50)"); precision default 2
//   e  float, scientific "d.ddE+ddd": precision = significant digits
//      (default 15), exponent with sign and at least three digits
//   g  float, general: the shorter of fixed and scientific with precision
//      significant digits (default 15), trailing zeros removed; scientific
//      when the integer part needs more digits than the precision or the
//      value is below 0.00001 ("1.5E-007")
// Floats are Double or Date Variants (a Date formats its day count); they
// round half away from zero on the shortest decimal form of the double
// (0.125 -> "0.13"); NaN and infinities give "NAN", "INF", "-INF".
// Integers are SmallInt, Integer or Int64 Variants.
//
// Errors raise EConvertError: "Format '%d' invalid or incompatible with
// argument" for a bad specifier or an argument of the wrong type, "No
// argument for format '%d'" when the arguments run out. Surplus arguments
// are ignored.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

AnsiString Format(std::string_view fmt, std::span<const Variant> args);
AnsiString Format(std::string_view fmt, std::initializer_list<Variant> args);
