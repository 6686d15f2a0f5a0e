#include "platform/rtl/VarConvert.h"

#include <cmath>
#include <exception>
#include <limits>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"

// Sections: failures, numbers, conversions, type names, comparisons.

namespace {

// ---- Failures ----

[[noreturn]] void RaiseCast(TVarType from, TVarType to) {
  throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from) +
                              ") into type (" + VarTypeAsText(to) + ")");
}

[[noreturn]] void RaiseOverflow(TVarType from, TVarType to) {
  throw EVariantOverflowError("Overflow while converting variant of type (" +
                              VarTypeAsText(from) + ") into type (" + VarTypeAsText(to) + ")");
}

// ---- Numbers ----

// A number read from a Variant: integers stay exact, the rest is a double.
struct TVarNumber {
  bool IsInt = true;
  int64_t Int = 0;
  double Float = 0;
};

// Text of a wide string when every unit is ASCII; numbers and "True" are
// ASCII, so nothing else can read as one.
bool NarrowAscii(const WideString& text, AnsiString& result) {
  result.clear();
  for (char16_t c : text) {
    if (c >= 0x80) return false;
    result += static_cast<char>(c);
  }
  return true;
}

bool TextNumber(const AnsiString& raw, TVarNumber& number) {
  AnsiString text = Trim(raw);
  if (TryStrToInt64(text, number.Int)) {
    number.IsInt = true;
    return true;
  }
  if (TryStrToFloat(text, number.Float)) {
    number.IsInt = false;
    return true;
  }
  if (SameText(text, "True")) {
    number = {true, -1, 0};
    return true;
  }
  if (SameText(text, "False")) {
    number = {true, 0, 0};
    return true;
  }
  return false;
}

// false for Null, arrays, dispatch references and texts that are no number.
bool TryNumberOf(const Variant& v, TVarNumber& number) {
  if (v.IsEmpty()) {
    number = {};
    return true;
  }
  if (auto* p = v.GetIf<int16_t>()) number = {true, *p, 0};
  else if (auto* p = v.GetIf<int32_t>()) number = {true, *p, 0};
  else if (auto* p = v.GetIf<int64_t>()) number = {true, *p, 0};
  else if (auto* p = v.GetIf<bool>()) number = {true, *p ? -1 : 0, 0};
  else if (auto* p = v.GetIf<double>()) number = {false, 0, *p};
  else if (auto* p = v.GetIf<TDateTime>()) number = {false, 0, p->Value};
  else if (auto* p = v.GetIf<AnsiString>()) return TextNumber(*p, number);
  else if (auto* p = v.GetIf<WideString>()) {
    AnsiString text;
    return NarrowAscii(*p, text) && TextNumber(text, number);
  } else return false;
  return true;
}

TVarNumber NumberOf(const Variant& v, TVarType to) {
  TVarNumber number;
  if (!TryNumberOf(v, number)) RaiseCast(v.Deref().VarType(), to);
  return number;
}

int64_t IntegerOf(const Variant& v, int64_t low, int64_t high, TVarType to) {
  TVarNumber number = NumberOf(v, to);
  int64_t result = 0;
  if (number.IsInt) {
    if (number.Int < low || number.Int > high) RaiseOverflow(v.Deref().VarType(), to);
    return number.Int;
  }
  if (!RoundHalfEven(number.Float, low, high, result)) RaiseOverflow(v.Deref().VarType(), to);
  return result;
}

double FloatOf(const TVarNumber& n) { return n.IsInt ? static_cast<double>(n.Int) : n.Float; }

bool NumbersEqual(const TVarNumber& a, const TVarNumber& b) {
  if (a.IsInt && b.IsInt) return a.Int == b.Int;
  if (!a.IsInt && !b.IsInt) return a.Float == b.Float;
  const TVarNumber& i = a.IsInt ? a : b;
  const TVarNumber& f = a.IsInt ? b : a;
  // Exact: a double equals an integer only when it is that whole number.
  if (!(f.Float >= -9223372036854775808.0 && f.Float < 9223372036854775808.0)) return false;
  if (std::trunc(f.Float) != f.Float) return false;
  return static_cast<int64_t>(f.Float) == i.Int;
}

bool IsNumberType(const Variant& v) {
  return v.GetIf<int16_t>() || v.GetIf<int32_t>() || v.GetIf<int64_t>() || v.GetIf<bool>() ||
         v.GetIf<double>() || v.GetIf<TDateTime>();
}

bool EqualsIgnoringAsciiCase(const WideString& a, const WideString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - u'a' + u'A');
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - u'a' + u'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool RoundHalfEven(double value, int64_t low, int64_t high, int64_t& result) {
  if (!std::isfinite(value)) return false;
  double rounded = std::floor(value);
  double fraction = value - rounded;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0)) rounded += 1;
  // 2^63 is the first double past int64; test before casting.
  if (rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0) return false;
  int64_t whole = static_cast<int64_t>(rounded);
  if (whole < low || whole > high) return false;
  result = whole;
  return true;
}

// ---- Conversions ----

int16_t VarAsSmallInt(const Variant& v) {
  return static_cast<int16_t>(IntegerOf(v, std::numeric_limits<int16_t>::min(),
                                        std::numeric_limits<int16_t>::max(), varSmallint));
}

int32_t VarAsInteger(const Variant& v) {
  return static_cast<int32_t>(IntegerOf(v, std::numeric_limits<int32_t>::min(),
                                        std::numeric_limits<int32_t>::max(), varInteger));
}

int64_t VarAsInt64(const Variant& v) {
  return IntegerOf(v, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(),
                   varInt64);
}

bool VarAsBoolean(const Variant& v) {
  TVarNumber number = NumberOf(v, varBoolean);
  return number.IsInt ? number.Int != 0 : number.Float != 0;
}

double VarAsDouble(const Variant& v) { return FloatOf(NumberOf(v, varDouble)); }

TDateTime VarAsDateTime(const Variant& v) {
  const AnsiString* text = v.GetIf<AnsiString>();
  AnsiString narrowed;
  if (const WideString* wide = v.GetIf<WideString>()) {
    narrowed = WideToCodePage(CP_ACP, *wide);
    text = &narrowed;
  }
  if (text) {
    TDateTime result;
    if (!TryStrToDateTime(Trim(*text), result)) RaiseCast(v.Deref().VarType(), varDate);
    return result;
  }
  return TDateTime(FloatOf(NumberOf(v, varDate)));
}

AnsiString VarAsString(const Variant& v) {
  if (v.IsEmpty()) return AnsiString();
  if (auto* p = v.GetIf<AnsiString>()) return *p;
  if (auto* p = v.GetIf<WideString>()) return WideToCodePage(CP_ACP, *p);
  if (auto* p = v.GetIf<int16_t>()) return IntToStr(int32_t{*p});
  if (auto* p = v.GetIf<int32_t>()) return IntToStr(*p);
  if (auto* p = v.GetIf<int64_t>()) return IntToStr(*p);
  if (auto* p = v.GetIf<bool>()) return BoolToStr(*p, true);
  if (auto* p = v.GetIf<double>()) return FloatToStr(*p);
  if (auto* p = v.GetIf<TDateTime>()) return DateTimeToStr(*p);
  RaiseCast(v.Deref().VarType(), varString);
}

WideString VarAsWideString(const Variant& v) {
  if (auto* p = v.GetIf<WideString>()) return *p;
  return CodePageToWide(CP_ACP, VarAsString(v));
}

TDispatchRef VarAsDispatch(const Variant& v) {
  if (auto* p = v.GetIf<TDispatchRef>()) return *p;
  RaiseCast(v.Deref().VarType(), varDispatch);
}

AnsiString VarToStr(const Variant& v) { return v.IsNull() ? AnsiString() : VarAsString(v); }

WideString VarToWideStr(const Variant& v) { return v.IsNull() ? WideString() : VarAsWideString(v); }

// ---- Type names ----

AnsiString VarTypeAsText(TVarType type) {
  AnsiString name;
  switch (type & varTypeMask) {
    case varEmpty: name = "Empty"; break;
    case varNull: name = "Null"; break;
    case varSmallint: name = "Smallint"; break;
    case varInteger: name = "Integer"; break;
    case 0x0004: name = "Single"; break;
    case varDouble: name = "Double"; break;
    case 0x0006: name = "Currency"; break;
    case varDate: name = "Date"; break;
    case varOleStr: name = "OleStr"; break;
    case varDispatch: name = "Dispatch"; break;
    case 0x000A: name = "Error"; break;
    case varBoolean: name = "Boolean"; break;
    case varVariant: name = "Variant"; break;
    case 0x000D: name = "Unknown"; break;
    case 0x000E: name = "Decimal"; break;
    case 0x0010: name = "ShortInt"; break;
    case 0x0011: name = "Byte"; break;
    case 0x0012: name = "Word"; break;
    case 0x0013: name = "LongWord"; break;
    case varInt64: name = "Int64"; break;
    case 0x0015: name = "UInt64"; break;
    case varString: name = "String"; break;
    default: name = "$" + IntToHex(int32_t{type & varTypeMask}, 4); break;
  }
  if (type & varArray) name = "Array " + name;
  if (type & varByRef) name = "ByRef " + name;
  return name;
}

// ---- Comparisons ----

bool VarEquals(const Variant& a, const Variant& b) {
  const Variant& x = a.Deref();
  const Variant& y = b.Deref();
  try {
    if (x.IsNull() || y.IsNull()) return x.IsNull() && y.IsNull();
    if (x.IsArray() || y.IsArray()) return false;
    const TDispatchRef* dx = x.GetIf<TDispatchRef>();
    const TDispatchRef* dy = y.GetIf<TDispatchRef>();
    if (dx || dy) return dx && dy && *dx == *dy;
    if (x.IsEmpty() && y.IsEmpty()) return true;

    // Text against text: bytes exactly, or as UTF-16 when either is wide.
    if (x.IsString() && y.IsString()) {
      const AnsiString* bx = x.GetIf<AnsiString>();
      const AnsiString* by = y.GetIf<AnsiString>();
      if (bx && by) return *bx == *by;
      return VarAsWideString(x) == VarAsWideString(y);
    }
    // Empty against text is "" against it; against a number, 0 against it.
    if (x.IsEmpty() || y.IsEmpty()) {
      const Variant& other = x.IsEmpty() ? y : x;
      if (other.IsString()) return VarAsWideString(other).empty();
      TVarNumber n;
      return TryNumberOf(other, n) && NumbersEqual(n, TVarNumber{});
    }
    // Number against number, or against a text that reads as a number.
    TVarNumber nx, ny;
    if (TryNumberOf(x, nx) && TryNumberOf(y, ny)) return NumbersEqual(nx, ny);
    // A number against a text that is no number: compare the number's text.
    if (IsNumberType(x) || IsNumberType(y)) {
      return VarAsWideString(x) == VarAsWideString(y);
    }
    return false;
  } catch (const std::exception&) {
    return false;
  }
}

bool operator==(const Variant& a, const Variant& b) { return VarEquals(a, b); }

bool VarSameText(const Variant& a, const Variant& b) {
  try {
    if (a.IsNull() || b.IsNull()) return false;
    if (a.GetIf<WideString>() || b.GetIf<WideString>()) {
      return EqualsIgnoringAsciiCase(VarAsWideString(a), VarAsWideString(b));
    }
    return SameText(VarAsString(a), VarAsString(b), CP_ACP);
  } catch (const std::exception&) {
    return false;
  }
}
