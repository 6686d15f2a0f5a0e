// The conversion rules of Variant in one place: what each type becomes when
// read as another, which failures raise EVariantTypeCastError and which
// EVariantOverflowError. Variant's As... members call these; VarToStr,
// VarEquals, VarSameText and VarTypeAsText (declared in Variant.h) are
// defined next to them in VarConvert.cpp so that comparing follows the same
// rules as converting.
//
// The rules, source by source:
// - Empty reads as 0, false, "", date 0. Null raises for every target
//   (VarToStr gives "").
// - Integers read as themselves, range-checked (EVariantOverflowError).
// - Double and Date to an integer round half to even (2.5 -> 2, -1.5 -> -2),
//   then range-check; NaN and infinities overflow. Date <-> number is the day
//   count.
// - Boolean reads as -1/0, "True"/"False"; a non-zero number is true.
// - Text to a number: blanks (bytes <= 0x20) around the text are ignored,
//   then an integer ("12", "-7", "$1F", "0x1F"), a float ("1.5", "1E-3";
//   "." only) or "True"/"False" in any case (-1/0); the number then goes
//   through the rules above ("2.5" -> 2, "2147483648" overflows an Integer).
//   Anything else raises EVariantTypeCastError. Text to Date reads a date
//   text by the format settings (TryStrToDateTime), not a day count.
// - Byte string <-> wide string goes through the system code page
//   (CodePageToWide / WideToCodePage with CP_ACP; unmappable characters
//   become "?"). Numbers become text as IntToStr and FloatToStr write them
//   ("." whatever the format settings say), dates as DateTimeToStr writes
//   them by the format settings.
// - A dispatch reference or an array converts to nothing scalar.
#pragma once

#include <cstdint>

#include "platform/rtl/Variant.h"

int16_t VarAsSmallInt(const Variant& v);
int32_t VarAsInteger(const Variant& v);
int64_t VarAsInt64(const Variant& v);
bool VarAsBoolean(const Variant& v);
double VarAsDouble(const Variant& v);
TDateTime VarAsDateTime(const Variant& v);
AnsiString VarAsString(const Variant& v);
WideString VarAsWideString(const Variant& v);
TDispatchRef VarAsDispatch(const Variant& v);

// Half-to-even rounding of a double to an integer in [low, high]; false
// when the result would fall outside (or the value is not finite).
bool RoundHalfEven(double value, int64_t low, int64_t high, int64_t& result);
