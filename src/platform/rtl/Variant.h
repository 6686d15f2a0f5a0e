// Variant: the tagged value that crosses every late-bound call, every job
// array and the host boundary. Strict access (GetIf) never converts;
// converting access (As...) follows the original platform's rules and raises
// its Variant exceptions. Arrays have value semantics: copying a Variant
// copies its array deeply.
//
// Sections: type codes, TVarArrayBound, Variant, TVarArray, free helpers.
#pragma once

#include <compare>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Types.h"

// ---- Type codes (the automation numbering, as VarType reports them) ----
using TVarType = uint16_t;
inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;   // wide string
inline constexpr TVarType varDispatch = 0x0009;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varString = 0x0100;   // byte string
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;
inline constexpr TVarType varByRef = 0x4000;

// Inclusive bounds of one array dimension; HighBound = LowBound - 1 is empty.
struct TVarArrayBound {
  int32_t LowBound = 0;
  int32_t HighBound = -1;
  int32_t ElementCount() const {
    return static_cast<int32_t>(int64_t{HighBound} - LowBound + 1);
  }
  friend bool operator==(const TVarArrayBound&, const TVarArrayBound&) = default;
};

class TVarArray;
struct TVarNull {
  friend bool operator==(TVarNull, TVarNull) { return true; }
};

class Variant {
public:
  // ---- Construction: the C++ type decides the Variant type ----
  Variant() noexcept = default;  // Empty (Unassigned)
  Variant(int16_t value);
  Variant(int32_t value);
  Variant(int64_t value);
  Variant(long long value);           // Int64 (int64_t is long here)
  Variant(bool value);
  Variant(double value);
  Variant(TDateTime value);
  Variant(AnsiString value);          // byte string
  Variant(const char* value);         // byte string ("" for nullptr)
  Variant(WideString value);          // wide string
  Variant(const char16_t* value);     // wide string (empty for nullptr)
  Variant(TDispatchRef value);        // dispatch reference (Empty when null)
  Variant(TVarArray value);           // array
  Variant(TVarNull);                  // Null

  Variant(const Variant& other);      // deep copy of arrays
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant();

  static Variant Null() { return Variant(TVarNull{}); }
  // A reference to the caller's variable, for by-reference call arguments.
  // The target must outlive the reference. A reference to a reference points
  // at the final variable. Copying a by-reference Variant copies the
  // reference; operator= replaces it; Assign writes through it.
  static Variant ByRef(Variant& target);

  // ---- Type tests ----
  TVarType VarType() const;  // varByRef | varVariant for a reference
  bool IsEmpty() const;      // these four look through a reference
  bool IsNull() const;
  bool IsArray() const;
  bool IsString() const;     // byte or wide string
  bool IsByRef() const;

  // The variable a by-reference Variant points at; the Variant itself otherwise.
  Variant& Deref();
  const Variant& Deref() const;

  // ---- Strict access: no conversion, nullptr when the type differs ----
  // T is one of int16_t, int32_t, int64_t, bool, double, TDateTime,
  // AnsiString, WideString, TDispatchRef, TVarArray. Looks through a reference.
  template <class T> const T* GetIf() const;
  template <class T> T* GetIf();

  // ---- Converting access: the original's rules; EVariant... on failure ----
  int16_t AsSmallInt() const;
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  bool AsBoolean() const;
  double AsDouble() const;
  TDateTime AsDateTime() const;
  AnsiString AsString() const;       // Null raises; use VarToStr for ""
  WideString AsWideString() const;
  TDispatchRef AsDispatch() const;   // raises unless a dispatch reference

  // ---- Arrays (raise EVariantNotAnArrayError unless an array) ----
  TVarArray& Array();
  const TVarArray& Array() const;
  // Element of a one-dimensional array; EVariantBadIndexError out of bounds.
  Variant& operator[](int32_t index);
  const Variant& operator[](int32_t index) const;
  // Element of a two-dimensional array.
  Variant& operator()(int32_t i, int32_t j);
  const Variant& operator()(int32_t i, int32_t j) const;

  // Assignment through a reference writes the caller's variable; without a
  // reference it is plain assignment. A by-reference value is read through,
  // so the callee stores the value, never a reference.
  void Assign(const Variant& value);

private:
  friend class TVarArray;
  using TArrayBox = std::unique_ptr<TVarArray>;
  struct TRef {
    Variant* Target;
  };
  using TStorage = std::variant<std::monostate, TVarNull, int16_t, int32_t, int64_t, bool, double,
                                TDateTime, AnsiString, WideString, TDispatchRef, TArrayBox, TRef>;
  TStorage FValue;
};

// A one- or two-dimensional array of Variants with any lower bounds.
// Elements are stored with the first index varying fastest.
class TVarArray {
public:
  // Larger arrays raise EVariantArrayCreateError instead of exhausting memory
  // (bounds may come from another process).
  static constexpr int64_t MaxElementCount = int64_t{1} << 24;

  // Elements Empty. EVariantArrayCreateError for no or more than two
  // dimensions, a high bound below low bound - 1, or too many elements.
  explicit TVarArray(std::vector<TVarArrayBound> bounds);

  int DimCount() const { return static_cast<int>(FBounds.size()); }
  // dim is 1-based, as in VarArrayLowBound; EVariantBadIndexError otherwise.
  const TVarArrayBound& Bound(int dim) const;
  int32_t LowBound(int dim) const { return Bound(dim).LowBound; }
  int32_t HighBound(int dim) const { return Bound(dim).HighBound; }
  const std::vector<TVarArrayBound>& Bounds() const { return FBounds; }

  Variant& At(int32_t index);
  const Variant& At(int32_t index) const;
  Variant& At(int32_t i, int32_t j);
  const Variant& At(int32_t i, int32_t j) const;

  // New high bound of the last dimension; kept elements keep their values,
  // new ones are Empty. EVariantArrayCreateError below low bound - 1.
  void Redim(int32_t highBound);

  std::span<Variant> Elements() { return FElements; }
  std::span<const Variant> Elements() const { return FElements; }

private:
  std::vector<TVarArrayBound> FBounds;
  std::vector<Variant> FElements;
};

// ---- Free helpers in the form the Parts use them ----
inline Variant Unassigned() { return Variant(); }
inline Variant Null() { return Variant::Null(); }

// VarArrayCreate({1, 14}) or VarArrayCreate({0, 1, 0, n}) (pairs of bounds).
Variant VarArrayCreate(std::initializer_list<int32_t> bounds);
Variant VarArrayOf(std::vector<Variant> values);  // bounds 0..n-1
int VarArrayDimCount(const Variant& v);            // 0 when not an array
int32_t VarArrayLowBound(const Variant& v, int dim);
int32_t VarArrayHighBound(const Variant& v, int dim);
void VarArrayRedim(Variant& v, int32_t highBound);

TVarType VarType(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsStr(const Variant& v);
// Empty or Null (the Parts' "blank").
bool VarIsClear(const Variant& v);

// Text of a Variant, "" for Empty and Null.
AnsiString VarToStr(const Variant& v);
WideString VarToWideStr(const Variant& v);
// "Integer", "String", "OleStr", "Null"... as the original names its types.
AnsiString VarTypeAsText(TVarType type);

// Comparison with the original's loose rules; never raises. Null equals only
// Null; arrays never compare equal; dispatch references are equal when they
// are the same object. Empty equals Empty, "" and any number that is 0 (false
// and date 0 included). Two texts compare exactly (bytes, or UTF-16 when
// either is wide). Numbers (Boolean as -1/0, Date as its day count) compare
// numerically, also against a text that reads as a number ("0" == 0,
// " 1.0" == 1); against any other text a number compares as its own text
// (true == "True").
bool VarEquals(const Variant& a, const Variant& b);
bool operator==(const Variant& a, const Variant& b);
// Case-insensitive (ASCII) text comparison; false when either side is Null.
bool VarSameText(const Variant& a, const Variant& b);

// ---- Strict access ----
namespace VariantDetail {
template <class T>
inline constexpr bool IsValueType =
    std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t> ||
    std::is_same_v<T, bool> || std::is_same_v<T, double> || std::is_same_v<T, TDateTime> ||
    std::is_same_v<T, AnsiString> || std::is_same_v<T, WideString> ||
    std::is_same_v<T, TDispatchRef> || std::is_same_v<T, TVarArray>;
}  // namespace VariantDetail

template <class T>
const T* Variant::GetIf() const {
  static_assert(VariantDetail::IsValueType<T>, "GetIf<T>: T is not a type a Variant holds");
  const Variant& self = Deref();
  if constexpr (std::is_same_v<T, TVarArray>) {
    const TArrayBox* box = std::get_if<TArrayBox>(&self.FValue);
    return box ? box->get() : nullptr;
  } else {
    return std::get_if<T>(&self.FValue);
  }
}

template <class T>
T* Variant::GetIf() {
  return const_cast<T*>(std::as_const(*this).template GetIf<T>());
}
