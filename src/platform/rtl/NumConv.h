// Numbers to text and text to numbers with the platform's rules, independent
// of the C locale: "." is always the decimal separator, integers may be
// written "$1F" or "0x1F", booleans read "True"/"False" or any number. The
// Variant conversions use these same routines, so a text means the same
// number wherever it is read.
//
// Blanks: the integer parsers skip leading spaces and refuse trailing ones;
// the float parser skips spaces on both sides. Callers that read typed or
// stored text trim it first.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/Types.h"

// ---- Integers ----
AnsiString IntToStr(int32_t value);
AnsiString IntToStr(int64_t value);

// Leading spaces, an optional sign, then decimal digits or "$"/"0x" and hex
// digits; nothing may follow. A hex text names a value, not a bit pattern:
// "$FFFFFFFF" is 4294967295 and too big for a 32-bit integer.
bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToInt64(std::string_view text, int64_t& value);
// Raise EConvertError "'abc' is not a valid integer value".
int32_t StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t defaultValue);
int64_t StrToInt64Def(std::string_view text, int64_t defaultValue);

// Upper-case hex, zero-padded to at least `digits` (at most 255); a negative
// value shows its two's complement ("FFFFFFFF" for -1 as a 32-bit value).
AnsiString IntToHex(int32_t value, int digits);
AnsiString IntToHex(int64_t value, int digits);

// ---- Floating point ----
// The general format with 15 significant digits: "0.1", "123", "-2.5",
// "1E20", "1.5E-7"; exponent form from 1E15 up and below 0.0001.
// Non-finite values give "NAN", "INF", "-INF".
AnsiString FloatToStr(double value);
// Spaces around, an optional sign, digits with an optional "." and an
// optional exponent ("1.5E-7"). No thousands separators, no "INF"/"NAN",
// nothing out of the double range.
bool TryStrToFloat(std::string_view text, double& value);
// Raises EConvertError "'x' is not a valid floating point value".
double StrToFloat(std::string_view text);
double StrToFloatDef(std::string_view text, double defaultValue);

// ---- Booleans ----
// "-1"/"0", or "True"/"False" when useBoolStrs.
AnsiString BoolToStr(bool value, bool useBoolStrs = false);
// "True"/"False" in any case of ASCII letters, or a number (non-zero true).
bool TryStrToBool(std::string_view text, bool& value);
// Raises EConvertError "'x' is not a valid boolean value".
bool StrToBool(std::string_view text);
