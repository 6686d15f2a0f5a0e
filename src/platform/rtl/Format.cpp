#include "platform/rtl/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"

// Sections: specifier parsing, argument access, integers, floats, strings,
// Format itself.

namespace {

// Widths and precisions beyond this are refused: a typing slip such as
// "%99999999d" must not allocate gigabytes.
constexpr int MaxFieldSize = 1 << 20;

struct TSpec {
  std::string_view Text;  // "%-5.2f", for messages
  bool LeftAlign = false;
  int Width = -1;      // -1: none
  int Precision = -1;  // -1: none
  char Type = 0;       // upper case: D U X P S F N M E G
};

[[noreturn]] void RaiseInvalid(std::string_view spec, const std::string& detail = {}) {
  std::string message = "Format '" + std::string(spec) + "' invalid or incompatible with argument";
  if (!detail.empty()) message += " (" + detail + ")";
  throw EConvertError(message);
}

[[noreturn]] void RaiseMissing(std::string_view spec) {
  throw EConvertError("No argument for format '" + std::string(spec) + "'");
}

// ---- Argument access ----

class TArgs {
public:
  explicit TArgs(std::span<const Variant> args) : FArgs(args) {}

  void MoveTo(int index) { FNext = static_cast<size_t>(index); }

  const Variant& Next(std::string_view spec) {
    if (FNext >= FArgs.size()) RaiseMissing(spec);
    return FArgs[FNext++];
  }

  // "*": the next argument must be an integer.
  int NextCount(std::string_view spec) {
    const size_t at = FNext;
    const Variant& v = Next(spec);
    int64_t value;
    if (const int32_t* i = v.GetIf<int32_t>())
      value = *i;
    else if (const int16_t* s = v.GetIf<int16_t>())
      value = *s;
    else if (const int64_t* l = v.GetIf<int64_t>())
      value = *l;
    else
      RaiseInvalid(spec,
                   "argument " + std::to_string(at) + " for '*' is " + VarTypeAsText(v.VarType()));
    if (value > MaxFieldSize || value < -MaxFieldSize)
      RaiseInvalid(spec, "argument " + std::to_string(at) + " for '*' is out of range");
    return static_cast<int>(value);
  }

  size_t Position() const { return FNext; }

private:
  std::span<const Variant> FArgs;
  size_t FNext = 0;
};

// ---- Specifier parsing ----

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits or "*" at fmt[pos]; false when neither is there.
bool ReadCount(std::string_view fmt, size_t& pos, size_t start, TArgs& args, int& value) {
  if (pos < fmt.size() && fmt[pos] == '*') {
    ++pos;
    value = args.NextCount(fmt.substr(start, pos - start));
    return true;
  }
  if (pos >= fmt.size() || !IsDigit(fmt[pos])) return false;
  int64_t number = 0;
  while (pos < fmt.size() && IsDigit(fmt[pos])) {
    number = number * 10 + (fmt[pos] - '0');
    if (number > MaxFieldSize) {
      while (pos < fmt.size() && IsDigit(fmt[pos])) ++pos;
      RaiseInvalid(fmt.substr(start, pos - start), "number too large");
    }
    ++pos;
  }
  value = static_cast<int>(number);
  return true;
}

// Parses the specifier starting at fmt[start] == '%' and leaves pos after it.
TSpec ParseSpec(std::string_view fmt, size_t start, size_t& pos, TArgs& args) {
  TSpec spec;
  pos = start + 1;
  auto textSoFar = [&] { return fmt.substr(start, pos - start + (pos < fmt.size() ? 1 : 0)); };

  int number = 0;
  bool haveNumber = ReadCount(fmt, pos, start, args, number);
  if (haveNumber && pos < fmt.size() && fmt[pos] == ':') {
    if (number < 0) RaiseInvalid(textSoFar(), "negative index");
    args.MoveTo(number);
    ++pos;
    haveNumber = false;
  }
  if (!haveNumber) {
    if (pos < fmt.size() && fmt[pos] == '-') {
      spec.LeftAlign = true;
      ++pos;
    }
    haveNumber = ReadCount(fmt, pos, start, args, number);
  }
  if (haveNumber) {
    // A negative width from "*" aligns left, as a leading "-" would.
    if (number < 0) {
      spec.LeftAlign = true;
      number = -number;
    }
    spec.Width = number;
  }
  if (pos < fmt.size() && fmt[pos] == '.') {
    ++pos;
    int precision = 0;
    if (ReadCount(fmt, pos, start, args, precision))
      spec.Precision = precision < 0 ? -1 : precision;
    else
      spec.Precision = 0;
  }
  if (pos >= fmt.size()) RaiseInvalid(fmt.substr(start));
  char type = fmt[pos++];
  if (type >= 'a' && type <= 'z') type = static_cast<char>(type - 'a' + 'A');
  spec.Text = fmt.substr(start, pos - start);
  switch (type) {
    case 'D':
    case 'U':
    case 'X':
    case 'P':
    case 'S':
    case 'F':
    case 'N':
    case 'M':
    case 'E':
    case 'G': spec.Type = type; return spec;
    default: RaiseInvalid(spec.Text);
  }
}

// ---- Integers ----

struct TInteger {
  int64_t Value;
  int Bits;  // 32 or 64: SmallInt travels as a 32-bit integer, as in the original
};

TInteger IntegerArg(const Variant& v, const TSpec& spec, size_t index) {
  if (const int32_t* i = v.GetIf<int32_t>()) return {*i, 32};
  if (const int16_t* s = v.GetIf<int16_t>()) return {*s, 32};
  if (const int64_t* l = v.GetIf<int64_t>()) return {*l, 64};
  RaiseInvalid(spec.Text,
               "argument " + std::to_string(index) + " is " + VarTypeAsText(v.VarType()));
}

std::string Digits(uint64_t magnitude, int base) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, base);
  std::string text(buffer, result.ptr);
  for (char& c : text)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

void ZeroPad(std::string& digits, int minimum) {
  if (minimum > 0 && digits.size() < static_cast<size_t>(minimum))
    digits.insert(0, static_cast<size_t>(minimum) - digits.size(), '0');
}

uint64_t Unsigned(const TInteger& n) {
  return n.Bits == 32 ? static_cast<uint32_t>(n.Value) : static_cast<uint64_t>(n.Value);
}

std::string FormatInteger(const TSpec& spec, const TInteger& n) {
  std::string text;
  switch (spec.Type) {
    case 'D': {
      const bool negative = n.Value < 0;
      // The magnitude in unsigned arithmetic, so that INT64_MIN has one.
      const uint64_t magnitude =
          negative ? 0 - static_cast<uint64_t>(n.Value) : static_cast<uint64_t>(n.Value);
      text = Digits(magnitude, 10);
      ZeroPad(text, spec.Precision);
      if (negative) text.insert(0, 1, '-');
      break;
    }
    case 'U':
      text = Digits(Unsigned(n), 10);
      ZeroPad(text, spec.Precision);
      break;
    case 'X':
      text = Digits(Unsigned(n), 16);
      ZeroPad(text, spec.Precision);
      break;
    case 'P':
      text = Digits(Unsigned(n), 16);
      ZeroPad(text, n.Bits == 32 ? 8 : 16);
      break;
  }
  return text;
}

// ---- Floats ----

// A finite non-negative value as decimal digits: value = 0.Digits * 10^Exponent,
// no leading or trailing zeros in Digits; zero has no digits.
struct TDecimal {
  std::string Digits;
  int Exponent = 0;
};

TDecimal ToDecimal(double magnitude) {
  TDecimal d;
  if (magnitude == 0) return d;
  // The shortest text that reads back as the same double ("0.1", not
  // "0.1000000000000000055511151231257827").
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
  std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  const size_t e = text.find('e');
  for (char c : text.substr(0, e))
    if (IsDigit(c)) d.Digits += c;
  int exponent = 0;
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                  exponent);
  d.Exponent = exponent + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundDigits(TDecimal& d, int keep) {
  if (keep >= static_cast<int>(d.Digits.size())) return;
  if (keep < 0) {
    d = TDecimal();
    return;
  }
  const bool up = d.Digits[static_cast<size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<size_t>(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[static_cast<size_t>(i)] == '9')
      d.Digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++d.Digits[static_cast<size_t>(i)];
    } else {
      d.Digits.insert(0, 1, '1');
      ++d.Exponent;
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.Exponent = 0;
}

char DigitAt(const TDecimal& d, int index) {
  return index >= 0 && index < static_cast<int>(d.Digits.size())
             ? d.Digits[static_cast<size_t>(index)]
             : '0';
}

std::string GroupThousands(const std::string& integer) {
  std::string out;
  const size_t n = integer.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += integer[i];
  }
  return out;
}

std::string FixedDigits(TDecimal d, int decimals, bool thousands) {
  RoundDigits(d, d.Exponent + decimals);
  std::string integer;
  for (int i = 0; i < d.Exponent; ++i) integer += DigitAt(d, i);
  if (integer.empty()) integer = "0";
  std::string text = thousands ? GroupThousands(integer) : integer;
  if (decimals > 0) {
    text += '.';
    for (int i = 0; i < decimals; ++i) text += DigitAt(d, d.Exponent + i);
  }
  return text;
}

std::string ExponentText(int exponent, bool alwaysSign) {
  std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
  ZeroPad(digits, 3);
  return std::string("E") + (exponent < 0 ? "-" : alwaysSign ? "+" : "") + digits;
}

std::string ScientificDigits(TDecimal d, int precision) {
  RoundDigits(d, precision);
  std::string text(1, DigitAt(d, 0));
  if (precision > 1) {
    text += '.';
    for (int i = 1; i < precision; ++i) text += DigitAt(d, i);
  }
  return text + ExponentText(d.Digits.empty() ? 0 : d.Exponent - 1, true);
}

std::string GeneralDigits(TDecimal d, int precision) {
  RoundDigits(d, precision);
  if (d.Digits.empty()) return "0";
  const int count = static_cast<int>(d.Digits.size());
  if (d.Exponent > precision || d.Exponent < -4) {
    std::string text(1, d.Digits[0]);
    if (count > 1) text += "." + d.Digits.substr(1);
    return text + ExponentText(d.Exponent - 1, false);
  }
  std::string text;
  if (d.Exponent <= 0) {
    text = "0." + std::string(static_cast<size_t>(-d.Exponent), '0') + d.Digits;
  } else {
    for (int i = 0; i < d.Exponent; ++i) text += DigitAt(d, i);
    if (count > d.Exponent) text += "." + d.Digits.substr(static_cast<size_t>(d.Exponent));
  }
  return text;
}

double FloatArg(const Variant& v, const TSpec& spec, size_t index) {
  if (const double* d = v.GetIf<double>()) return *d;
  if (const TDateTime* t = v.GetIf<TDateTime>()) return t->Value;
  RaiseInvalid(spec.Text,
               "argument " + std::to_string(index) + " is " + VarTypeAsText(v.VarType()));
}

std::string FormatFloat(const TSpec& spec, double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const TDecimal d = ToDecimal(std::fabs(value));
  // Significant digits are capped at 18, as the original's: a double has
  // nothing to say beyond them.
  const int precision = spec.Precision;
  std::string text;
  switch (spec.Type) {
    case 'F': text = FixedDigits(d, precision < 0 ? 2 : precision, false); break;
    case 'N': text = FixedDigits(d, precision < 0 ? 2 : precision, true); break;
    case 'M': text = FixedDigits(d, precision < 0 ? 2 : precision, true); break;
    case 'E':
      text =
          ScientificDigits(d, precision < 1 ? (precision < 0 ? 15 : 1) : std::min(precision, 18));
      break;
    case 'G':
      text = GeneralDigits(d, precision < 1 ? (precision < 0 ? 15 : 1) : std::min(precision, 18));
      break;
  }
  // A value that rounds to zero shows no minus sign.
  const bool negative = value < 0 && text.find_first_of("123456789") < text.find('E');
  if (spec.Type == 'M') return negative ? "($" + text + ")" : "$" + text;
  return negative ? "-" + text : text;
}

// ---- Strings ----

AnsiString StringArg(const Variant& v, const TSpec& spec, size_t index) {
  if (const AnsiString* s = v.GetIf<AnsiString>()) return *s;
  if (const WideString* w = v.GetIf<WideString>()) return WideToCodePage(CP_ACP, *w);
  RaiseInvalid(spec.Text,
               "argument " + std::to_string(index) + " is " + VarTypeAsText(v.VarType()));
}

// Cuts to at most maxBytes without leaving half of a double-byte character.
AnsiString CutBytes(const AnsiString& s, int maxBytes) {
  if (maxBytes < 0 || s.size() <= static_cast<size_t>(maxBytes)) return s;
  size_t end = 0;
  while (end < s.size()) {
    const size_t length = static_cast<size_t>(CharLengthAt(CP_ACP, s, end));
    if (end + length > static_cast<size_t>(maxBytes)) break;
    end += length;
  }
  return s.substr(0, end);
}

void Pad(std::string& out, const std::string& text, const TSpec& spec) {
  const size_t width = spec.Width < 0 ? 0 : static_cast<size_t>(spec.Width);
  const size_t fill = text.size() < width ? width - text.size() : 0;
  if (!spec.LeftAlign) out.append(fill, ' ');
  out += text;
  if (spec.LeftAlign) out.append(fill, ' ');
}

}  // namespace

// ---- Format ----

AnsiString Format(std::string_view fmt, std::span<const Variant> args) {
  TArgs arguments(args);
  AnsiString out;
  out.reserve(fmt.size() + 16 * args.size());
  size_t pos = 0;
  while (pos < fmt.size()) {
    // '%' (0x25) is never a trail byte, so a byte-wise scan is safe.
    const size_t percent = fmt.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(fmt.substr(pos));
      break;
    }
    out.append(fmt.substr(pos, percent - pos));
    if (percent + 1 < fmt.size() && fmt[percent + 1] == '%') {
      out += '%';
      pos = percent + 2;
      continue;
    }
    const TSpec spec = ParseSpec(fmt, percent, pos, arguments);
    const size_t index = arguments.Position();
    const Variant& arg = arguments.Next(spec.Text);
    std::string text;
    switch (spec.Type) {
      case 'D':
      case 'U':
      case 'X':
      case 'P': text = FormatInteger(spec, IntegerArg(arg, spec, index)); break;
      case 'S': text = CutBytes(StringArg(arg, spec, index), spec.Precision); break;
      default: text = FormatFloat(spec, FloatArg(arg, spec, index)); break;
    }
    Pad(out, text, spec);
  }
  return out;
}

AnsiString Format(std::string_view fmt, std::initializer_list<Variant> args) {
  return Format(fmt, std::span<const Variant>(args.begin(), args.size()));
}
