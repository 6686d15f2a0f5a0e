#include "platform/rtl/NumConv.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "platform/rtl/Exceptions.h"

namespace {

std::string_view SkipLeadingSpaces(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return text.substr(i);
}

std::string_view SkipTrailingSpaces(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Parses the magnitude and sign; the range check against int64 is done on
// the magnitude so that "-9223372036854775808" is accepted.
bool ParseInt64(std::string_view text, int64_t& value) {
  text = SkipLeadingSpaces(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  uint64_t magnitude = 0;
  for (char c : text) {
    int digit = base == 16 ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return false;
    if (magnitude > (limit - static_cast<unsigned>(digit)) / base) return false;
    magnitude = magnitude * base + static_cast<unsigned>(digit);
  }
  value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

[[noreturn]] void RaiseNotValid(std::string_view text, const char* what) {
  throw EConvertError("'" + AnsiString(text) + "' is not a valid " + what + " value");
}

AnsiString Hex(uint64_t bits, int digits) {
  if (digits > 255) {
    throw EConvertError("IntToHex: " + std::to_string(digits) + " digits asked, at most 255");
  }
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, bits, 16);
  AnsiString text(buffer, result.ptr);
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  if (static_cast<int>(text.size()) < digits) text.insert(0, digits - text.size(), '0');
  return text;
}

}  // namespace

// ---- Integers ----

AnsiString IntToStr(int32_t value) { return std::to_string(value); }
AnsiString IntToStr(int64_t value) { return std::to_string(value); }

bool TryStrToInt64(std::string_view text, int64_t& value) { return ParseInt64(text, value); }

bool TryStrToInt(std::string_view text, int32_t& value) {
  int64_t wide = 0;
  if (!ParseInt64(text, wide)) return false;
  if (wide < std::numeric_limits<int32_t>::min() || wide > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  value = static_cast<int32_t>(wide);
  return true;
}

int32_t StrToInt(std::string_view text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) RaiseNotValid(text, "integer");
  return value;
}

int64_t StrToInt64(std::string_view text) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value)) RaiseNotValid(text, "integer");
  return value;
}

int32_t StrToIntDef(std::string_view text, int32_t defaultValue) {
  int32_t value = 0;
  return TryStrToInt(text, value) ? value : defaultValue;
}

int64_t StrToInt64Def(std::string_view text, int64_t defaultValue) {
  int64_t value = 0;
  return TryStrToInt64(text, value) ? value : defaultValue;
}

AnsiString IntToHex(int32_t value, int digits) {
  return Hex(static_cast<uint32_t>(value), digits);
}

AnsiString IntToHex(int64_t value, int digits) {
  return Hex(static_cast<uint64_t>(value), digits);
}

// ---- Floating point ----

AnsiString FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";  // also -0, which the general format shows as 0

  // Round to 15 significant digits once; the digits and the exponent then
  // decide the layout, so 0.1 + 0.2 shows as "0.3".
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view sci(buffer, result.ptr);  // "-d.dddddddddddddde+XX"
  bool negative = sci[0] == '-';
  if (negative) sci.remove_prefix(1);
  size_t ePos = sci.find('e');
  int exponent = std::atoi(AnsiString(sci.substr(ePos + 1)).c_str());
  AnsiString digits;
  for (char c : sci.substr(0, ePos)) {
    if (c != '.') digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  AnsiString text = negative ? "-" : "";
  if (exponent >= 15 || exponent < -4) {
    text += digits[0];
    if (digits.size() > 1) {
      text += '.';
      text.append(digits, 1);
    }
    text += 'E';
    text += std::to_string(exponent);
  } else if (exponent < 0) {
    text += "0.";
    text.append(static_cast<size_t>(-exponent - 1), '0');
    text += digits;
  } else {
    size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
      text += digits;
      text.append(intDigits - digits.size(), '0');
    } else {
      text.append(digits, 0, intDigits);
      text += '.';
      text.append(digits, intDigits);
    }
  }
  return text;
}

bool TryStrToFloat(std::string_view text, double& value) {
  text = SkipTrailingSpaces(SkipLeadingSpaces(text));
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  // from_chars also reads "inf", "nan" and a second sign; none is a number
  // here.
  if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.')) return false;
  double parsed = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
  value = negative ? -parsed : parsed;
  return true;
}

double StrToFloat(std::string_view text) {
  double value = 0;
  if (!TryStrToFloat(text, value)) RaiseNotValid(text, "floating point");
  return value;
}

double StrToFloatDef(std::string_view text, double defaultValue) {
  double value = 0;
  return TryStrToFloat(text, value) ? value : defaultValue;
}

// ---- Booleans ----

AnsiString BoolToStr(bool value, bool useBoolStrs) {
  if (useBoolStrs) return value ? "True" : "False";
  return value ? "-1" : "0";
}

bool TryStrToBool(std::string_view text, bool& value) {
  double number = 0;
  if (TryStrToFloat(text, number)) {
    value = number != 0;
    return true;
  }
  if (EqualsIgnoringAsciiCase(text, "True")) {
    value = true;
    return true;
  }
  if (EqualsIgnoringAsciiCase(text, "False")) {
    value = false;
    return true;
  }
  return false;
}

bool StrToBool(std::string_view text) {
  bool value = false;
  if (!TryStrToBool(text, value)) RaiseNotValid(text, "boolean");
  return value;
}
