// Run-time type information: the type records (kind, Delphi-style type name,
// enumeration value names, set element type, class, identifier mappings),
// the published property and field records of a class, and the by-name
// access functions that schemes, language files and the form reader use.
//
// Sections: type kinds and TTypeInfo; declaring enumerations, sets and named
// integer types (KULR_ENUM, KULR_SET, KULR_INT_TYPE); TypeInfoOf<T>;
// identifier mappings; TPropInfo and TFieldInfo; by-name access.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Method.h"
#include "platform/vcl/Object.h"

// A property that does not exist, is read-only, has another kind, or a
// value the property's type cannot hold. The message names class and
// property ("TButton.Caption: ...").
class EPropertyError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EPropertyError"; }
};

// A property value that cannot be converted to or from a Variant.
class EPropertyConvertError : public EPropertyError {
public:
  using EPropertyError::EPropertyError;
  const char* ClassName() const override { return "EPropertyConvertError"; }
};

// ---- Type kinds and TTypeInfo ----

enum TTypeKind {
  tkUnknown,
  tkInteger,      // any integer type up to 32 bits, named integer types
  tkChar,         // a byte character
  tkEnumeration,  // Boolean included
  tkFloat,        // Double, Single, TDateTime
  tkString,       // byte string (AnsiString)
  tkSet,
  tkClass,
  tkMethod,
  tkWString,      // UTF-16 (WideString)
  tkVariant,
  tkInt64,
};

// "tkInteger" ...
const char* TypeKindName(TTypeKind kind);

// The type of a property or field. Records are made once per type (as static
// locals) and never freed; compare them by address.
class TTypeInfo {
public:
  TTypeInfo(const TTypeInfo&) = delete;
  TTypeInfo& operator=(const TTypeInfo&) = delete;
  TTypeInfo(TTypeInfo&&) = default;

  // tkInteger, tkChar or tkInt64 with the range of the C++ type.
  static TTypeInfo Ordinal(TTypeKind kind, AnsiString name, int64_t minValue, int64_t maxValue);
  // valueNames: "alNone, alTop, alBottom" (the text of the enum's body);
  // values are 0..n-1 in that order.
  static TTypeInfo Enumeration(AnsiString name, std::string_view valueNames);
  static TTypeInfo Set(AnsiString name, const TTypeInfo& elementType);
  // tkFloat, tkString, tkWString, tkVariant, tkMethod.
  static TTypeInfo Simple(TTypeKind kind, AnsiString name);
  // A TObject class; the record is fetched on first use, so classes may
  // refer to each other.
  static TTypeInfo Class(AnsiString name, const TClass& (*classOf)());
  // A class outside the component model (the runtime's TStrings): its
  // values are plain pointers to cppType.
  static TTypeInfo ForeignClass(AnsiString name, const std::type_info& cppType);

  TTypeKind Kind() const { return FKind; }
  const AnsiString& Name() const { return FName; }

  // Ordinal kinds (enumerations: 0 and count-1; sets: 0 and the largest
  // bit pattern).
  int64_t MinValue() const { return FMinValue; }
  int64_t MaxValue() const { return FMaxValue; }
  bool IsOrdinal() const;

  // Enumerations: the value names in order.
  const std::vector<AnsiString>& EnumNames() const { return FEnumNames; }
  // Sets: the element enumeration.
  const TTypeInfo* CompType() const { return FCompType; }
  // Classes: the record; nullptr for a foreign class.
  const TClass* ClassType() const;
  // Foreign classes: the C++ type of the pointee.
  const std::type_info* ForeignType() const { return FForeignType; }

private:
  TTypeInfo(TTypeKind kind, AnsiString name);

  TTypeKind FKind;
  AnsiString FName;
  int64_t FMinValue = 0;
  int64_t FMaxValue = 0;
  std::vector<AnsiString> FEnumNames;
  const TTypeInfo* FCompType = nullptr;
  const TClass& (*FClassOf)() = nullptr;
  const std::type_info* FForeignType = nullptr;
};

// ---- Enumerations, sets and named integer types ----

// A set of the values of enumeration E (at most 64 values). Self is the
// named set type (KULR_SET), so that operators return it.
template <class E, class Self>
class TSet {
public:
  using TElement = E;

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> elements) {
    for (E e : elements) FBits |= Bit(e);
  }
  static constexpr Self FromBits(uint64_t bits) {
    Self result;
    static_cast<TSet&>(result).FBits = bits;
    return result;
  }

  constexpr uint64_t Bits() const { return FBits; }
  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr Self& Include(E e) {
    FBits |= Bit(e);
    return static_cast<Self&>(*this);
  }
  constexpr Self& Exclude(E e) {
    FBits &= ~Bit(e);
    return static_cast<Self&>(*this);
  }

  friend constexpr Self operator+(const TSet& a, const TSet& b) { return FromBits(a.FBits | b.FBits); }
  friend constexpr Self operator-(const TSet& a, const TSet& b) { return FromBits(a.FBits & ~b.FBits); }
  friend constexpr Self operator*(const TSet& a, const TSet& b) { return FromBits(a.FBits & b.FBits); }
  friend constexpr bool operator==(const TSet& a, const TSet& b) { return a.FBits == b.FBits; }

private:
  static constexpr uint64_t Bit(E e) { return uint64_t{1} << static_cast<unsigned>(e); }
  uint64_t FBits = 0;
};

// Declares an enumeration with its value names for the type information:
//   KULR_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient);
// Values are 0..n-1 (no explicit values). Namespace scope only.
#define KULR_ENUM(Name, ...)                                                 \
  enum Name { __VA_ARGS__ };                                                 \
  inline const TTypeInfo& KulrTypeInfo(Name*) {                              \
    static const TTypeInfo info = TTypeInfo::Enumeration(#Name, #__VA_ARGS__); \
    return info;                                                             \
  }

// Declares a named set type over an enumeration declared with KULR_ENUM:
//   KULR_SET(TShiftState, TShiftStateItem);
#define KULR_SET(Name, Element)                                              \
  struct Name : TSet<Element, Name> {                                        \
    using TSet<Element, Name>::TSet;                                         \
  };                                                                         \
  inline const TTypeInfo& KulrTypeInfo(Name*) {                              \
    static const TTypeInfo info =                                            \
        TTypeInfo::Set(#Name, KulrTypeInfo(static_cast<Element*>(nullptr))); \
    return info;                                                             \
  }

// Declares a named integer type with its own type name, so that identifier
// mappings ("clRed") attach to it: KULR_INT_TYPE(TColor, int32_t). Values
// are written TColor(0x0000FF); they convert to int implicitly.
#define KULR_INT_TYPE(Name, Base)                                            \
  enum Name : Base {};                                                       \
  inline const TTypeInfo& KulrTypeInfo(Name*) {                              \
    static const TTypeInfo info = TTypeInfo::Ordinal(                        \
        tkInteger, #Name, std::numeric_limits<Base>::min(),                  \
        std::numeric_limits<Base>::max());                                   \
    return info;                                                             \
  }

// ---- TypeInfoOf<T>: the record for a C++ type of a property ----

const TTypeInfo& BooleanTypeInfo();  // "Boolean": False, True
const TTypeInfo& MethodTypeInfo();   // "TMethod"
const TTypeInfo& StringsTypeInfo();  // "TStrings", foreign class

namespace kulr_detail {
const TTypeInfo& BuiltinTypeInfo(const std::type_info& type);

template <class T>
struct TIsSet {
  template <class E, class S>
  static std::true_type Test(const TSet<E, S>*);
  static std::false_type Test(...);
  static constexpr bool Value = decltype(Test(static_cast<const T*>(nullptr)))::value;
};
}  // namespace kulr_detail

template <class T>
const TTypeInfo& TypeInfoOf() {
  using V = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<V, bool>) {
    return BooleanTypeInfo();
  } else if constexpr (std::is_same_v<V, TMethod>) {
    return MethodTypeInfo();
  } else if constexpr (std::is_base_of_v<TEventBase, V>) {
    static const TTypeInfo info = TTypeInfo::Simple(tkMethod, V::KulrTypeName);
    return info;
  } else if constexpr (std::is_pointer_v<V>) {
    using P = std::remove_cv_t<std::remove_pointer_t<V>>;
    if constexpr (std::is_base_of_v<TObject, P>) {
      static const TTypeInfo info = TTypeInfo::Class(P::KulrClassName, &P::StaticClass);
      return info;
    } else {
      static_assert(std::is_base_of_v<TStrings, P>, "class properties hold TObject or TStrings");
      return StringsTypeInfo();
    }
  } else if constexpr (std::is_enum_v<V> || kulr_detail::TIsSet<V>::Value) {
    return KulrTypeInfo(static_cast<V*>(nullptr));
  } else {
    static_assert(std::is_same_v<V, char> || std::is_integral_v<V> || std::is_floating_point_v<V> ||
                      std::is_same_v<V, TDateTime> || std::is_same_v<V, AnsiString> ||
                      std::is_same_v<V, WideString> || std::is_same_v<V, Variant>,
                  "no type information for this property type");
    return kulr_detail::BuiltinTypeInfo(typeid(V));
  }
}

// ---- Identifier mappings of integer types ("clRed" <-> 0x0000FF) ----

struct TIdentMapEntry {
  int64_t Value;
  const char* Name;
};
using TIdentToInt = std::function<bool(std::string_view ident, int64_t& value)>;
using TIntToIdent = std::function<bool(int64_t value, AnsiString& ident)>;

// Attaches a mapping to an integer type; a later registration replaces an
// earlier one. The table form copies the table and matches names ignoring
// ASCII case.
void RegisterIntegerConsts(const TTypeInfo& type, TIdentToInt toInt, TIntToIdent toIdent);
void RegisterIntegerConsts(const TTypeInfo& type, std::span<const TIdentMapEntry> table);
bool HasIntegerConsts(const TTypeInfo& type);
// False when the type has no mapping or the mapping does not know the name.
bool IdentToIntOf(const TTypeInfo& type, std::string_view ident, int64_t& value);
bool IntToIdentOf(const TTypeInfo& type, int64_t value, AnsiString& ident);

// ---- Published properties and fields ----

// How a property is read and written, erased to one pair per kind. The
// builder fills exactly the pair of the property's kind; a read-only
// property has no setter. Ordinal kinds (integer, char, enumeration, set,
// Int64) go through int64_t, class properties through TObject* (foreign
// classes through void*).
struct TPropAccessors {
  std::function<int64_t(TObject*)> GetOrd;
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<AnsiString(TObject*)> GetStr;
  std::function<void(TObject*, const AnsiString&)> SetStr;
  std::function<WideString(TObject*)> GetWStr;
  std::function<void(TObject*, const WideString&)> SetWStr;
  std::function<TObject*(TObject*)> GetObject;
  std::function<void(TObject*, TObject*)> SetObject;
  std::function<void*(TObject*)> GetPointer;
  std::function<void(TObject*, void*)> SetPointer;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<Variant(TObject*)> GetVariant;
  std::function<void(TObject*, const Variant&)> SetVariant;
  // Whether the writer stores the value; unset means always.
  std::function<bool(TObject*)> Stored;
};

class TPropInfo {
public:
  TPropInfo(AnsiString name, const TTypeInfo& type, const TClass* declaringClass, TPropAccessors access)
      : FName(std::move(name)), FType(&type), FClass(declaringClass), FAccess(std::move(access)) {}
  TPropInfo(const TPropInfo&) = delete;
  TPropInfo& operator=(const TPropInfo&) = delete;

  const AnsiString& Name() const { return FName; }
  const TTypeInfo& PropType() const { return *FType; }
  TTypeKind Kind() const { return FType->Kind(); }
  // The class whose table declares the property.
  const TClass& DeclaringClass() const { return *FClass; }
  bool IsWritable() const;
  // The ordinal default the writer leaves out; none for "nodefault".
  const std::optional<int64_t>& Default() const { return FDefault; }
  const TPropAccessors& Access() const { return FAccess; }

private:
  template <class T>
  friend class TClassBuilder;

  AnsiString FName;
  const TTypeInfo* FType;
  const TClass* FClass;
  TPropAccessors FAccess;
  std::optional<int64_t> FDefault;
};

// A published component field: set to the component of that name when the
// owner's component is named (or read from a form resource).
class TFieldInfo {
public:
  TFieldInfo(AnsiString name, const TTypeInfo& type, std::function<TObject*(TObject*)> get,
             std::function<void(TObject*, TObject*)> set)
      : FName(std::move(name)), FType(&type), FGet(std::move(get)), FSet(std::move(set)) {}
  TFieldInfo(const TFieldInfo&) = delete;
  TFieldInfo& operator=(const TFieldInfo&) = delete;

  const AnsiString& Name() const { return FName; }
  const TTypeInfo& FieldType() const { return *FType; }
  const TClass* FieldClass() const { return FType->ClassType(); }
  // Whether value (null allowed) fits the field's class.
  bool Accepts(const TObject* value) const;
  TObject* Get(TObject* owner) const;
  // EInvalidCast when value does not fit the field.
  void Set(TObject* owner, TObject* value) const;

private:
  AnsiString FName;
  const TTypeInfo* FType;
  std::function<TObject*(TObject*)> FGet;
  std::function<void(TObject*, TObject*)> FSet;
};

// ---- By-name access ----
// Names ignore ASCII case. A null object, an unknown property, a read-only
// property written, a property of another kind, or a value out of the
// type's range raises EPropertyError naming class and property. Errors the
// setter itself raises pass through unchanged.

// nullptr when absent (or obj is null).
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
const TPropInfo* GetPropInfo(const TClass& aClass, std::string_view name);
// As GetPropInfo, but raises EPropertyError "Property TX.Name does not exist".
const TPropInfo& FindPropInfo(const TObject* obj, std::string_view name);
// Every published property, the root class's first.
std::vector<const TPropInfo*> GetPropList(const TClass& aClass);
std::vector<const TPropInfo*> GetPropList(const TObject* obj);

bool IsPublishedProp(const TObject* obj, std::string_view name);
bool IsPublishedProp(const TClass& aClass, std::string_view name);
// Whether the property is of that kind; raises when it does not exist.
bool PropIsType(const TObject* obj, std::string_view name, TTypeKind kind);
TTypeKind PropType(const TObject* obj, std::string_view name);
// Whether the writer stores the property's current value.
bool IsStoredProp(TObject* obj, const TPropInfo& prop);

// Ordinals: tkInteger, tkChar, tkEnumeration, tkSet (the bit pattern),
// tkInt64.
int64_t GetOrdProp(TObject* obj, const TPropInfo& prop);
int64_t GetOrdProp(TObject* obj, std::string_view name);
void SetOrdProp(TObject* obj, const TPropInfo& prop, int64_t value);
void SetOrdProp(TObject* obj, std::string_view name, int64_t value);

// Enumerations by value name ("sp_Range", "True").
AnsiString GetEnumProp(TObject* obj, std::string_view name);
void SetEnumProp(TObject* obj, std::string_view name, std::string_view value);

// Sets in text form: "[a,b]" (brackets optional when setting; blanks around
// names ignored).
AnsiString GetSetProp(TObject* obj, std::string_view name, bool brackets = true);
void SetSetProp(TObject* obj, std::string_view name, std::string_view value);

double GetFloatProp(TObject* obj, std::string_view name);
void SetFloatProp(TObject* obj, std::string_view name, double value);

// tkString, and tkWString converted with the system code page.
AnsiString GetStrProp(TObject* obj, const TPropInfo& prop);
AnsiString GetStrProp(TObject* obj, std::string_view name);
void SetStrProp(TObject* obj, const TPropInfo& prop, const AnsiString& value);
void SetStrProp(TObject* obj, std::string_view name, const AnsiString& value);

// tkWString, and tkString converted with the system code page.
WideString GetWideStrProp(TObject* obj, std::string_view name);
void SetWideStrProp(TObject* obj, std::string_view name, const WideString& value);

// Class properties of a TObject class. SetObjectProp raises when value is
// not of the property's class.
TObject* GetObjectProp(TObject* obj, const TPropInfo& prop);
TObject* GetObjectProp(TObject* obj, std::string_view name);
void SetObjectProp(TObject* obj, std::string_view name, TObject* value);
// Class properties of the runtime's TStrings.
TStrings* GetStringsProp(TObject* obj, std::string_view name);

// Method properties: both halves. Binding never checks the signature.
TMethod GetMethodProp(TObject* obj, const TPropInfo& prop);
TMethod GetMethodProp(TObject* obj, std::string_view name);
void SetMethodProp(TObject* obj, const TPropInfo& prop, const TMethod& value);
void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value);

Variant GetVariantProp(TObject* obj, std::string_view name);
void SetVariantProp(TObject* obj, std::string_view name, const Variant& value);

// Any scalar property as a Variant: integers and chars as Integer, Int64 as
// Int64, enumerations and sets by name when preferStrings (else Booleans as
// Boolean, others as Integer), floats as Double (TDateTime as Date), strings
// as byte or wide strings. Class and method properties raise
// EPropertyConvertError.
Variant GetPropValue(TObject* obj, const TPropInfo& prop, bool preferStrings = true);
Variant GetPropValue(TObject* obj, std::string_view name, bool preferStrings = true);
// The reverse: a text value names an enumeration value, a set ("[a,b]") or,
// for an integer type with an identifier mapping, a constant ("clRed");
// otherwise the Variant is converted by its own rules. A conversion failure
// raises EPropertyConvertError.
void SetPropValue(TObject* obj, const TPropInfo& prop, const Variant& value);
void SetPropValue(TObject* obj, std::string_view name, const Variant& value);

// ---- Enumeration and set names ----
// An ASCII identifier: a letter or "_", then letters, digits and "_".
bool IsValidIdent(std::string_view name);
// The name of value; "" when out of range (an integer type gives its
// number, or its identifier when mapped).
AnsiString GetEnumName(const TTypeInfo& type, int64_t value);
// The value named (ignoring ASCII case); -1 when unknown. Boolean also
// accepts nothing else: "True"/"False" only.
int64_t GetEnumValue(const TTypeInfo& type, std::string_view name);
// Text form of a set's bit pattern, and back (EPropertyError for an unknown
// element name).
AnsiString SetToString(const TTypeInfo& setType, uint64_t bits, bool brackets = true);
uint64_t StringToSet(const TTypeInfo& setType, std::string_view text);
