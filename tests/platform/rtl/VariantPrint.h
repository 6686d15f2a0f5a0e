// Test helpers that show Variants and byte strings readably: a GoogleTest
// printer for Variant and TVarArray (type, value, bounds, nested elements),
// byte strings escaped with their GBK reading next to them, and assertions
// for exact Variant identity and exact bytes. Include this header in every
// test that prints a Variant, so that one printer is used throughout.
//
//   EXPECT_PRED_FORMAT2(AssertSameVariant, expected, actual);
//   EXPECT_PRED_FORMAT2(AssertSameBytes, "\xD6\xD0", text);  // 中
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Variant.h"

namespace VariantPrintDetail {

inline std::string Escape(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

inline bool HasHighBytes(std::string_view bytes) {
  for (unsigned char c : bytes) {
    if (c >= 0x80) return true;
  }
  return false;
}

inline std::string EscapeWide(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\') {
      out += static_cast<char>(c);
    } else {
      char hex[10];
      std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
      out += hex;
    }
  }
  return out;
}

}  // namespace VariantPrintDetail

// "\xD6\xD0" (GBK: 中) — the escaped bytes, and their reading in code page
// 936 when there are bytes above 0x7F.
inline std::string GbkText(std::string_view bytes) {
  std::string out = "\"" + VariantPrintDetail::Escape(bytes) + "\"";
  if (VariantPrintDetail::HasHighBytes(bytes)) {
    try {
      out += " (GBK: " + WideToUtf8(CodePageToWide(936, bytes)) + ")";
    } catch (const std::exception&) {
      // The escaped bytes alone still say everything.
    }
  }
  return out;
}

inline void PrintTo(const TVarArray& array, std::ostream* os);

inline void PrintTo(const Variant& value, std::ostream* os) {
  const Variant& v = value.Deref();
  if (value.IsByRef()) *os << "ByRef -> ";
  if (&v != &value && v.IsByRef()) {
    *os << "(reference to a reference)";
    return;
  }
  if (v.IsEmpty()) {
    *os << "Empty";
  } else if (v.IsNull()) {
    *os << "Null";
  } else if (auto* p = v.GetIf<int16_t>()) {
    *os << "Smallint " << *p;
  } else if (auto* p = v.GetIf<int32_t>()) {
    *os << "Integer " << *p;
  } else if (auto* p = v.GetIf<int64_t>()) {
    *os << "Int64 " << *p;
  } else if (auto* p = v.GetIf<bool>()) {
    *os << "Boolean " << (*p ? "True" : "False");
  } else if (auto* p = v.GetIf<double>()) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", *p);
    *os << "Double " << text;
  } else if (auto* p = v.GetIf<TDateTime>()) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", p->Value);
    *os << "Date " << text;
  } else if (auto* p = v.GetIf<AnsiString>()) {
    *os << "String " << GbkText(*p);
  } else if (auto* p = v.GetIf<WideString>()) {
    *os << "OleStr u\"" << VariantPrintDetail::EscapeWide(*p) << "\"";
  } else if (auto* p = v.GetIf<TDispatchRef>()) {
    *os << "Dispatch " << static_cast<const void*>(p->Get());
  } else if (auto* p = v.GetIf<TVarArray>()) {
    PrintTo(*p, os);
  } else {
    *os << "(type " << v.VarType() << ")";
  }
}

// Array[1..3] {Integer 1, Empty, String "a"}; a two-dimensional array lists
// its cells with their indices: Array[0..1, 0..1] {[0,0]=..., [1,0]=..., ...}.
inline void PrintTo(const TVarArray& array, std::ostream* os) {
  *os << "Array[";
  for (int d = 1; d <= array.DimCount(); ++d) {
    if (d > 1) *os << ", ";
    *os << array.LowBound(d) << ".." << array.HighBound(d);
  }
  *os << "] {";
  if (array.DimCount() == 1) {
    for (int32_t i = array.LowBound(1); i <= array.HighBound(1); ++i) {
      if (i > array.LowBound(1)) *os << ", ";
      PrintTo(array.At(i), os);
    }
  } else {
    bool first = true;
    for (int32_t j = array.LowBound(2); j <= array.HighBound(2); ++j) {
      for (int32_t i = array.LowBound(1); i <= array.HighBound(1); ++i) {
        if (!first) *os << ", ";
        first = false;
        *os << "[" << i << "," << j << "]=";
        PrintTo(array.At(i, j), os);
      }
    }
  }
  *os << "}";
}

// Identity, not loose equality: same type (Integer 1 is not Double 1), same
// value (doubles bit for bit, NaN equal to NaN), same bounds, same elements.
// A by-reference Variant is compared by what it refers to.
inline bool SameVariant(const Variant& a, const Variant& b) {
  const Variant& x = a.Deref();
  const Variant& y = b.Deref();
  if (x.VarType() != y.VarType()) return false;
  if (auto* p = x.GetIf<double>()) {
    double q = *y.GetIf<double>();
    return std::isnan(*p) ? std::isnan(q) : std::memcmp(p, &q, sizeof q) == 0;
  }
  if (auto* p = x.GetIf<TDateTime>()) return p->Value == y.GetIf<TDateTime>()->Value;
  if (auto* p = x.GetIf<TVarArray>()) {
    const TVarArray* q = y.GetIf<TVarArray>();
    if (p->Bounds() != q->Bounds()) return false;
    for (size_t i = 0; i < p->Elements().size(); ++i) {
      if (!SameVariant(p->Elements()[i], q->Elements()[i])) return false;
    }
    return true;
  }
  if (x.IsByRef()) return false;  // a reference that points at a reference
  // The same type is already established: plain equality from here on.
  if (auto* p = x.GetIf<int16_t>()) return *p == *y.GetIf<int16_t>();
  if (auto* p = x.GetIf<int32_t>()) return *p == *y.GetIf<int32_t>();
  if (auto* p = x.GetIf<int64_t>()) return *p == *y.GetIf<int64_t>();
  if (auto* p = x.GetIf<bool>()) return *p == *y.GetIf<bool>();
  if (auto* p = x.GetIf<AnsiString>()) return *p == *y.GetIf<AnsiString>();
  if (auto* p = x.GetIf<WideString>()) return *p == *y.GetIf<WideString>();
  if (auto* p = x.GetIf<TDispatchRef>()) return *p == *y.GetIf<TDispatchRef>();
  return true;  // Empty, Null
}

inline ::testing::AssertionResult AssertSameVariant(const char* expectedExpr,
                                                    const char* actualExpr,
                                                    const Variant& expected,
                                                    const Variant& actual) {
  if (SameVariant(expected, actual)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actualExpr << " is " << ::testing::PrintToString(actual) << "\n  expected "
         << expectedExpr << " = " << ::testing::PrintToString(expected);
}

inline ::testing::AssertionResult AssertSameBytes(const char* expectedExpr,
                                                  const char* actualExpr,
                                                  std::string_view expected,
                                                  std::string_view actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actualExpr << " is " << GbkText(actual)
                                       << "\n  expected " << expectedExpr << " = "
                                       << GbkText(expected);
}
