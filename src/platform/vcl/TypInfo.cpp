// Sections: type kinds and TTypeInfo (with the built-in type records);
// identifier mappings; fields and properties; by-name access (ordinals,
// floats and strings, classes, methods and variants, Variant conversion);
// enumeration and set names; builder support.
#include "platform/vcl/TypInfo.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"

// ---- Type kinds and TTypeInfo ----

const char* TypeKindName(TTypeKind kind) {
  switch (kind) {
    case tkInteger: return "tkInteger";
    case tkChar: return "tkChar";
    case tkEnumeration: return "tkEnumeration";
    case tkFloat: return "tkFloat";
    case tkString: return "tkString";
    case tkSet: return "tkSet";
    case tkClass: return "tkClass";
    case tkMethod: return "tkMethod";
    case tkWString: return "tkWString";
    case tkVariant: return "tkVariant";
    case tkInt64: return "tkInt64";
    case tkUnknown: break;
  }
  return "tkUnknown";
}

TTypeInfo::TTypeInfo(TTypeKind kind, AnsiString name) : FKind(kind), FName(std::move(name)) {}

TTypeInfo TTypeInfo::Ordinal(TTypeKind kind, AnsiString name, int64_t minValue, int64_t maxValue) {
  TTypeInfo info(kind, std::move(name));
  info.FMinValue = minValue;
  info.FMaxValue = maxValue;
  return info;
}

TTypeInfo TTypeInfo::Enumeration(AnsiString name, std::string_view valueNames) {
  TTypeInfo info(tkEnumeration, std::move(name));
  size_t start = 0;
  while (start <= valueNames.size()) {
    size_t comma = valueNames.find(',', start);
    if (comma == std::string_view::npos) comma = valueNames.size();
    AnsiString value = Trim(valueNames.substr(start, comma - start));
    // Value names are the enum's own identifiers; anything else (an explicit
    // "= 3", a stray comma) would shift every later ordinal.
    if (!IsValidIdent(value))
      throw EInvalidOperation("Enumeration " + info.FName + ": \"" + value +
                              "\" is not a plain value name");
    info.FEnumNames.push_back(std::move(value));
    start = comma + 1;
  }
  info.FMinValue = 0;
  info.FMaxValue = static_cast<int64_t>(info.FEnumNames.size()) - 1;
  return info;
}

TTypeInfo TTypeInfo::Set(AnsiString name, const TTypeInfo& elementType) {
  TTypeInfo info(tkSet, std::move(name));
  if (elementType.Kind() != tkEnumeration || elementType.EnumNames().size() > 63)
    throw EInvalidOperation("Set " + info.FName + ": the element type must be an enumeration of at most 63 values");
  info.FCompType = &elementType;
  info.FMinValue = 0;
  info.FMaxValue = static_cast<int64_t>((uint64_t{1} << elementType.EnumNames().size()) - 1);
  return info;
}

TTypeInfo TTypeInfo::Simple(TTypeKind kind, AnsiString name) { return TTypeInfo(kind, std::move(name)); }

TTypeInfo TTypeInfo::Class(AnsiString name, const TClass& (*classOf)()) {
  TTypeInfo info(tkClass, std::move(name));
  info.FClassOf = classOf;
  return info;
}

TTypeInfo TTypeInfo::ForeignClass(AnsiString name, const std::type_info& cppType) {
  TTypeInfo info(tkClass, std::move(name));
  info.FForeignType = &cppType;
  return info;
}

bool TTypeInfo::IsOrdinal() const {
  return FKind == tkInteger || FKind == tkChar || FKind == tkEnumeration || FKind == tkSet ||
         FKind == tkInt64;
}

const TClass* TTypeInfo::ClassType() const { return FClassOf != nullptr ? &FClassOf() : nullptr; }

const TTypeInfo& BooleanTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Enumeration("Boolean", "False, True");
  return info;
}

const TTypeInfo& MethodTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Simple(tkMethod, "TMethod");
  return info;
}

const TTypeInfo& StringsTypeInfo() {
  static const TTypeInfo info = TTypeInfo::ForeignClass("TStrings", typeid(TStrings));
  return info;
}

namespace kulr_detail {

template <class T>
static const TTypeInfo& IntegerInfo(TTypeKind kind, const char* name) {
  static const TTypeInfo info =
      TTypeInfo::Ordinal(kind, name, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
  return info;
}

const TTypeInfo& BuiltinTypeInfo(const std::type_info& type) {
  if (type == typeid(char)) {
    static const TTypeInfo info = TTypeInfo::Ordinal(tkChar, "Char", 0, 255);
    return info;
  }
  if (type == typeid(signed char)) return IntegerInfo<int8_t>(tkInteger, "Shortint");
  if (type == typeid(unsigned char)) return IntegerInfo<uint8_t>(tkInteger, "Byte");
  if (type == typeid(short)) return IntegerInfo<int16_t>(tkInteger, "Smallint");
  if (type == typeid(unsigned short)) return IntegerInfo<uint16_t>(tkInteger, "Word");
  if (type == typeid(int)) return IntegerInfo<int32_t>(tkInteger, "Integer");
  if (type == typeid(unsigned int)) return IntegerInfo<uint32_t>(tkInteger, "Cardinal");
  if (type == typeid(long) || type == typeid(long long)) return IntegerInfo<int64_t>(tkInt64, "Int64");
  if (type == typeid(double)) {
    static const TTypeInfo info = TTypeInfo::Simple(tkFloat, "Double");
    return info;
  }
  if (type == typeid(float)) {
    static const TTypeInfo info = TTypeInfo::Simple(tkFloat, "Single");
    return info;
  }
  if (type == typeid(TDateTime)) {
    static const TTypeInfo info = TTypeInfo::Simple(tkFloat, "TDateTime");
    return info;
  }
  if (type == typeid(AnsiString)) {
    static const TTypeInfo info = TTypeInfo::Simple(tkString, "AnsiString");
    return info;
  }
  if (type == typeid(WideString)) {
    static const TTypeInfo info = TTypeInfo::Simple(tkWString, "WideString");
    return info;
  }
  if (type == typeid(Variant)) {
    static const TTypeInfo info = TTypeInfo::Simple(tkVariant, "Variant");
    return info;
  }
  // Unsigned 64-bit values have no property kind: Int64 would wrap them.
  throw EInvalidOperation(AnsiString("No type information for the C++ type ") + type.name());
}

}  // namespace kulr_detail

// ---- Identifier mappings ----

namespace {

struct TIdentMaps {
  std::mutex Mutex;
  std::map<const TTypeInfo*, std::pair<TIdentToInt, TIntToIdent>> ByType;
};

TIdentMaps& IdentMaps() {
  static TIdentMaps* maps = new TIdentMaps;
  return *maps;
}

std::pair<TIdentToInt, TIntToIdent> MappingOf(const TTypeInfo& type) {
  TIdentMaps& maps = IdentMaps();
  std::lock_guard lock(maps.Mutex);
  auto it = maps.ByType.find(&type);
  return it != maps.ByType.end() ? it->second : std::pair<TIdentToInt, TIntToIdent>{};
}

}  // namespace

void RegisterIntegerConsts(const TTypeInfo& type, TIdentToInt toInt, TIntToIdent toIdent) {
  if (type.Kind() != tkInteger && type.Kind() != tkInt64)
    throw EInvalidOperation("Identifier mappings belong to integer types, not to " + type.Name());
  TIdentMaps& maps = IdentMaps();
  std::lock_guard lock(maps.Mutex);
  maps.ByType[&type] = {std::move(toInt), std::move(toIdent)};
}

void RegisterIntegerConsts(const TTypeInfo& type, std::span<const TIdentMapEntry> table) {
  std::vector<TIdentMapEntry> entries(table.begin(), table.end());
  RegisterIntegerConsts(
      type,
      [entries](std::string_view ident, int64_t& value) {
        for (const TIdentMapEntry& e : entries)
          if (SameText(e.Name, ident)) {
            value = e.Value;
            return true;
          }
        return false;
      },
      [entries](int64_t value, AnsiString& ident) {
        for (const TIdentMapEntry& e : entries)
          if (e.Value == value) {
            ident = e.Name;
            return true;
          }
        return false;
      });
}

bool HasIntegerConsts(const TTypeInfo& type) { return static_cast<bool>(MappingOf(type).first); }

bool IdentToIntOf(const TTypeInfo& type, std::string_view ident, int64_t& value) {
  auto mapping = MappingOf(type);
  return mapping.first && mapping.first(ident, value);
}

bool IntToIdentOf(const TTypeInfo& type, int64_t value, AnsiString& ident) {
  auto mapping = MappingOf(type);
  return mapping.second && mapping.second(value, ident);
}

// ---- Fields and properties ----

bool TPropInfo::IsWritable() const {
  switch (Kind()) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkSet:
    case tkInt64: return static_cast<bool>(FAccess.SetOrd);
    case tkFloat: return static_cast<bool>(FAccess.SetFloat);
    case tkString: return static_cast<bool>(FAccess.SetStr);
    case tkWString: return static_cast<bool>(FAccess.SetWStr);
    case tkClass: return FAccess.SetObject || FAccess.SetPointer;
    case tkMethod: return static_cast<bool>(FAccess.SetMethod);
    case tkVariant: return static_cast<bool>(FAccess.SetVariant);
    case tkUnknown: break;
  }
  return false;
}

bool TFieldInfo::Accepts(const TObject* value) const {
  return value == nullptr || FieldClass() == nullptr || value->InheritsFrom(FieldClass());
}

TObject* TFieldInfo::Get(TObject* owner) const { return FGet(owner); }

void TFieldInfo::Set(TObject* owner, TObject* value) const {
  if (!Accepts(value))
    throw EInvalidCast("Field " + FName + " holds a " + FType->Name() + ", not a " + value->ClassName());
  FSet(owner, value);
}

// ---- By-name access ----

namespace {

AnsiString PropPath(const TObject* obj, const TPropInfo& prop) {
  return (obj != nullptr ? obj->ClassName() : prop.DeclaringClass().ClassName()) + "." + prop.Name();
}

[[noreturn]] void RaiseProp(const TObject* obj, const TPropInfo& prop, const AnsiString& what) {
  throw EPropertyError(PropPath(obj, prop) + ": " + what);
}

void CheckInstance(const TObject* obj, const TPropInfo& prop) {
  if (obj == nullptr) throw EPropertyError("Cannot access property " + prop.Name() + " of nil");
  if (!obj->InheritsFrom(prop.DeclaringClass()))
    RaiseProp(obj, prop, "the property belongs to " + prop.DeclaringClass().ClassName());
}

void CheckKind(const TObject* obj, const TPropInfo& prop, bool ok, const char* wanted) {
  if (!ok)
    RaiseProp(obj, prop, AnsiString("is a ") + TypeKindName(prop.Kind()) + " property (" +
                             prop.PropType().Name() + "), not " + wanted);
}

void CheckWritable(const TObject* obj, const TPropInfo& prop) {
  if (!prop.IsWritable()) RaiseProp(obj, prop, "the property is read-only");
}

AnsiString OrdinalText(int64_t value) { return IntToStr(value); }

}  // namespace

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
  return obj != nullptr ? obj->ClassType()->FindProperty(name) : nullptr;
}

const TPropInfo* GetPropInfo(const TClass& aClass, std::string_view name) {
  return aClass.FindProperty(name);
}

const TPropInfo& FindPropInfo(const TObject* obj, std::string_view name) {
  if (obj == nullptr) throw EPropertyError("Cannot access property " + AnsiString(name) + " of nil");
  const TPropInfo* prop = obj->ClassType()->FindProperty(name);
  if (prop == nullptr)
    throw EPropertyError("Property " + obj->ClassName() + "." + AnsiString(name) + " does not exist");
  return *prop;
}

std::vector<const TPropInfo*> GetPropList(const TClass& aClass) { return aClass.Properties(); }

std::vector<const TPropInfo*> GetPropList(const TObject* obj) {
  return obj != nullptr ? obj->ClassType()->Properties() : std::vector<const TPropInfo*>{};
}

bool IsPublishedProp(const TObject* obj, std::string_view name) { return GetPropInfo(obj, name) != nullptr; }

bool IsPublishedProp(const TClass& aClass, std::string_view name) {
  return aClass.FindProperty(name) != nullptr;
}

bool PropIsType(const TObject* obj, std::string_view name, TTypeKind kind) {
  return FindPropInfo(obj, name).Kind() == kind;
}

TTypeKind PropType(const TObject* obj, std::string_view name) { return FindPropInfo(obj, name).Kind(); }

bool IsStoredProp(TObject* obj, const TPropInfo& prop) {
  CheckInstance(obj, prop);
  return !prop.Access().Stored || prop.Access().Stored(obj);
}

// -- ordinals --

int64_t GetOrdProp(TObject* obj, const TPropInfo& prop) {
  CheckInstance(obj, prop);
  CheckKind(obj, prop, prop.PropType().IsOrdinal(), "an ordinal");
  return prop.Access().GetOrd(obj);
}

int64_t GetOrdProp(TObject* obj, std::string_view name) { return GetOrdProp(obj, FindPropInfo(obj, name)); }

void SetOrdProp(TObject* obj, const TPropInfo& prop, int64_t value) {
  CheckInstance(obj, prop);
  const TTypeInfo& type = prop.PropType();
  CheckKind(obj, prop, type.IsOrdinal(), "an ordinal");
  CheckWritable(obj, prop);
  if (type.Kind() == tkSet) {
    if ((static_cast<uint64_t>(value) & ~static_cast<uint64_t>(type.MaxValue())) != 0)
      RaiseProp(obj, prop, OrdinalText(value) + " holds elements that " + type.Name() + " does not have");
  } else if (value < type.MinValue() || value > type.MaxValue()) {
    RaiseProp(obj, prop, OrdinalText(value) + " is out of range for " + type.Name() + " (" +
                             OrdinalText(type.MinValue()) + ".." + OrdinalText(type.MaxValue()) + ")");
  }
  prop.Access().SetOrd(obj, value);
}

void SetOrdProp(TObject* obj, std::string_view name, int64_t value) {
  SetOrdProp(obj, FindPropInfo(obj, name), value);
}

AnsiString GetEnumProp(TObject* obj, std::string_view name) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkEnumeration, "an enumeration");
  return GetEnumName(prop.PropType(), GetOrdProp(obj, prop));
}

void SetEnumProp(TObject* obj, std::string_view name, std::string_view value) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkEnumeration, "an enumeration");
  int64_t ordinal = GetEnumValue(prop.PropType(), value);
  if (ordinal < 0)
    RaiseProp(obj, prop, "\"" + AnsiString(value) + "\" is not a value of " + prop.PropType().Name());
  SetOrdProp(obj, prop, ordinal);
}

AnsiString GetSetProp(TObject* obj, std::string_view name, bool brackets) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkSet, "a set");
  return SetToString(prop.PropType(), static_cast<uint64_t>(GetOrdProp(obj, prop)), brackets);
}

void SetSetProp(TObject* obj, std::string_view name, std::string_view value) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkSet, "a set");
  uint64_t bits = 0;
  try {
    bits = StringToSet(prop.PropType(), value);
  } catch (const EPropertyError& e) {
    RaiseProp(obj, prop, e.Message());
  }
  SetOrdProp(obj, prop, static_cast<int64_t>(bits));
}

// -- floats, strings --

double GetFloatProp(TObject* obj, std::string_view name) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkFloat, "a float");
  return prop.Access().GetFloat(obj);
}

void SetFloatProp(TObject* obj, std::string_view name, double value) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkFloat, "a float");
  CheckWritable(obj, prop);
  prop.Access().SetFloat(obj, value);
}

AnsiString GetStrProp(TObject* obj, const TPropInfo& prop) {
  CheckInstance(obj, prop);
  CheckKind(obj, prop, prop.Kind() == tkString || prop.Kind() == tkWString, "a string");
  if (prop.Kind() == tkWString) return WideToCodePage(CP_ACP, prop.Access().GetWStr(obj));
  return prop.Access().GetStr(obj);
}

AnsiString GetStrProp(TObject* obj, std::string_view name) { return GetStrProp(obj, FindPropInfo(obj, name)); }

void SetStrProp(TObject* obj, const TPropInfo& prop, const AnsiString& value) {
  CheckInstance(obj, prop);
  CheckKind(obj, prop, prop.Kind() == tkString || prop.Kind() == tkWString, "a string");
  CheckWritable(obj, prop);
  if (prop.Kind() == tkWString)
    prop.Access().SetWStr(obj, CodePageToWide(CP_ACP, value));
  else
    prop.Access().SetStr(obj, value);
}

void SetStrProp(TObject* obj, std::string_view name, const AnsiString& value) {
  SetStrProp(obj, FindPropInfo(obj, name), value);
}

WideString GetWideStrProp(TObject* obj, std::string_view name) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkString || prop.Kind() == tkWString, "a string");
  if (prop.Kind() == tkString) return CodePageToWide(CP_ACP, prop.Access().GetStr(obj));
  return prop.Access().GetWStr(obj);
}

void SetWideStrProp(TObject* obj, std::string_view name, const WideString& value) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkString || prop.Kind() == tkWString, "a string");
  CheckWritable(obj, prop);
  if (prop.Kind() == tkString)
    prop.Access().SetStr(obj, WideToCodePage(CP_ACP, value));
  else
    prop.Access().SetWStr(obj, value);
}

// -- classes --

TObject* GetObjectProp(TObject* obj, const TPropInfo& prop) {
  CheckInstance(obj, prop);
  CheckKind(obj, prop, prop.Kind() == tkClass && prop.PropType().ClassType() != nullptr,
            "a TObject class");
  return prop.Access().GetObject(obj);
}

TObject* GetObjectProp(TObject* obj, std::string_view name) {
  return GetObjectProp(obj, FindPropInfo(obj, name));
}

void SetObjectProp(TObject* obj, std::string_view name, TObject* value) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  const TClass* propClass = prop.PropType().ClassType();
  CheckKind(obj, prop, prop.Kind() == tkClass && propClass != nullptr, "a TObject class");
  CheckWritable(obj, prop);
  if (value != nullptr && !value->InheritsFrom(propClass))
    RaiseProp(obj, prop, "a " + value->ClassName() + " is not a " + propClass->ClassName());
  prop.Access().SetObject(obj, value);
}

TStrings* GetStringsProp(TObject* obj, std::string_view name) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkClass && prop.PropType().ForeignType() != nullptr, "a TStrings");
  return static_cast<TStrings*>(prop.Access().GetPointer(obj));
}

// -- methods, variants --

TMethod GetMethodProp(TObject* obj, const TPropInfo& prop) {
  CheckInstance(obj, prop);
  CheckKind(obj, prop, prop.Kind() == tkMethod, "a method");
  return prop.Access().GetMethod(obj);
}

TMethod GetMethodProp(TObject* obj, std::string_view name) {
  return GetMethodProp(obj, FindPropInfo(obj, name));
}

void SetMethodProp(TObject* obj, const TPropInfo& prop, const TMethod& value) {
  CheckInstance(obj, prop);
  CheckKind(obj, prop, prop.Kind() == tkMethod, "a method");
  CheckWritable(obj, prop);
  prop.Access().SetMethod(obj, value);
}

void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value) {
  SetMethodProp(obj, FindPropInfo(obj, name), value);
}

Variant GetVariantProp(TObject* obj, std::string_view name) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkVariant, "a Variant");
  return prop.Access().GetVariant(obj);
}

void SetVariantProp(TObject* obj, std::string_view name, const Variant& value) {
  const TPropInfo& prop = FindPropInfo(obj, name);
  CheckKind(obj, prop, prop.Kind() == tkVariant, "a Variant");
  CheckWritable(obj, prop);
  prop.Access().SetVariant(obj, value);
}

// -- Variant access --

Variant GetPropValue(TObject* obj, const TPropInfo& prop, bool preferStrings) {
  CheckInstance(obj, prop);
  const TTypeInfo& type = prop.PropType();
  switch (prop.Kind()) {
    case tkInteger:
    case tkChar: {
      int64_t value = prop.Access().GetOrd(obj);
      if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
      return Variant(value);  // Cardinal values above the Integer range
    }
    case tkInt64: return Variant(prop.Access().GetOrd(obj));
    case tkEnumeration: {
      int64_t value = prop.Access().GetOrd(obj);
      if (preferStrings) return Variant(GetEnumName(type, value));
      if (&type == &BooleanTypeInfo()) return Variant(value != 0);
      return Variant(static_cast<int32_t>(value));
    }
    case tkSet: {
      int64_t value = prop.Access().GetOrd(obj);
      if (preferStrings) return Variant(SetToString(type, static_cast<uint64_t>(value)));
      if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
      return Variant(value);
    }
    case tkFloat: {
      double value = prop.Access().GetFloat(obj);
      if (&type == &kulr_detail::BuiltinTypeInfo(typeid(TDateTime))) return Variant(TDateTime(value));
      return Variant(value);
    }
    case tkString: return Variant(prop.Access().GetStr(obj));
    case tkWString: return Variant(prop.Access().GetWStr(obj));
    case tkVariant: return prop.Access().GetVariant(obj);
    default: break;
  }
  throw EPropertyConvertError(PropPath(obj, prop) + ": a " + TypeKindName(prop.Kind()) +
                              " property (" + type.Name() + ") has no Variant value");
}

Variant GetPropValue(TObject* obj, std::string_view name, bool preferStrings) {
  return GetPropValue(obj, FindPropInfo(obj, name), preferStrings);
}

void SetPropValue(TObject* obj, const TPropInfo& prop, const Variant& input) {
  CheckInstance(obj, prop);
  const Variant& value = input.Deref();
  const TTypeInfo& type = prop.PropType();
  if (prop.Kind() == tkClass || prop.Kind() == tkMethod || prop.Kind() == tkUnknown)
    throw EPropertyConvertError(PropPath(obj, prop) + ": a " + TypeKindName(prop.Kind()) +
                                " property (" + type.Name() + ") cannot be set from a Variant");
  CheckWritable(obj, prop);

  // Convert first, so that a value the Variant rules refuse raises with the
  // property named and the setter never runs.
  int64_t ordinal = 0;
  double real = 0;
  AnsiString text;
  WideString wide;
  try {
    switch (prop.Kind()) {
      case tkInteger:
      case tkInt64:
        if (value.IsString() && IdentToIntOf(type, Trim(value.AsString()), ordinal)) break;
        ordinal = value.AsInt64();
        break;
      case tkChar:
        if (value.IsString() && value.AsString().size() == 1)
          ordinal = static_cast<unsigned char>(value.AsString()[0]);
        else
          ordinal = value.AsInt64();
        break;
      case tkEnumeration:
        if (value.IsString()) {
          ordinal = GetEnumValue(type, value.AsString());
          if (ordinal < 0)
            RaiseProp(obj, prop, "\"" + value.AsString() + "\" is not a value of " + type.Name());
        } else if (const bool* b = value.GetIf<bool>()) {
          ordinal = *b ? 1 : 0;  // a Boolean Variant's True reads as -1
        } else {
          ordinal = value.AsInt64();
        }
        break;
      case tkSet:
        if (value.IsString())
          ordinal = static_cast<int64_t>(StringToSet(type, value.AsString()));
        else
          ordinal = value.AsInt64();
        break;
      case tkFloat: real = value.AsDouble(); break;
      case tkString: text = value.AsString(); break;
      case tkWString: wide = value.AsWideString(); break;
      default: break;
    }
  } catch (const EVariantError& e) {
    throw EPropertyConvertError(PropPath(obj, prop) + ": cannot take " + VarTypeAsText(value.VarType()) +
                                " value as " + type.Name() + " (" + e.Message() + ")");
  } catch (const EPropertyConvertError&) {
    throw;
  } catch (const EPropertyError& e) {
    if (e.Message().starts_with(PropPath(obj, prop))) throw;
    RaiseProp(obj, prop, e.Message());
  }

  switch (prop.Kind()) {
    case tkFloat: prop.Access().SetFloat(obj, real); break;
    case tkString: prop.Access().SetStr(obj, text); break;
    case tkWString: prop.Access().SetWStr(obj, wide); break;
    case tkVariant: prop.Access().SetVariant(obj, value); break;
    default: SetOrdProp(obj, prop, ordinal); break;
  }
}

void SetPropValue(TObject* obj, std::string_view name, const Variant& value) {
  SetPropValue(obj, FindPropInfo(obj, name), value);
}

// ---- Enumeration and set names ----

AnsiString GetEnumName(const TTypeInfo& type, int64_t value) {
  if (type.Kind() == tkEnumeration) {
    if (value < 0 || value >= static_cast<int64_t>(type.EnumNames().size())) return AnsiString();
    return type.EnumNames()[static_cast<size_t>(value)];
  }
  if (type.Kind() == tkInteger || type.Kind() == tkInt64) {
    AnsiString ident;
    if (IntToIdentOf(type, value, ident)) return ident;
    return IntToStr(value);
  }
  return AnsiString();
}

int64_t GetEnumValue(const TTypeInfo& type, std::string_view name) {
  if (type.Kind() == tkEnumeration) {
    const auto& names = type.EnumNames();
    for (size_t i = 0; i < names.size(); ++i)
      if (SameText(names[i], name)) return static_cast<int64_t>(i);
    return -1;
  }
  if (type.Kind() == tkInteger || type.Kind() == tkInt64) {
    int64_t value = 0;
    if (IdentToIntOf(type, name, value)) return value;
  }
  return -1;
}

AnsiString SetToString(const TTypeInfo& setType, uint64_t bits, bool brackets) {
  if (setType.Kind() != tkSet || setType.CompType() == nullptr)
    throw EPropertyError(setType.Name() + " is not a set type");
  const auto& names = setType.CompType()->EnumNames();
  AnsiString text;
  for (size_t i = 0; i < names.size(); ++i) {
    if ((bits & (uint64_t{1} << i)) == 0) continue;
    if (!text.empty()) text += ',';
    text += names[i];
  }
  return brackets ? "[" + text + "]" : text;
}

uint64_t StringToSet(const TTypeInfo& setType, std::string_view input) {
  if (setType.Kind() != tkSet || setType.CompType() == nullptr)
    throw EPropertyError(setType.Name() + " is not a set type");
  AnsiString text = Trim(input);
  if (!text.empty() && text.front() == '[') {
    if (text.back() != ']' || text.size() < 2)
      throw EPropertyError("Invalid set text \"" + AnsiString(input) + "\" for " + setType.Name());
    text = Trim(std::string_view(text).substr(1, text.size() - 2));
  } else if (!text.empty() && text.back() == ']') {
    throw EPropertyError("Invalid set text \"" + AnsiString(input) + "\" for " + setType.Name());
  }
  uint64_t bits = 0;
  if (text.empty()) return bits;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == AnsiString::npos) comma = text.size();
    AnsiString element = Trim(std::string_view(text).substr(start, comma - start));
    int64_t ordinal = GetEnumValue(*setType.CompType(), element);
    if (ordinal < 0)
      throw EPropertyError("Invalid set element \"" + element + "\" for " + setType.Name());
    bits |= uint64_t{1} << ordinal;
    start = comma + 1;
  }
  return bits;
}

bool IsValidIdent(std::string_view name) {
  auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (name.empty() || !isAlpha(name[0])) return false;
  for (char c : name.substr(1))
    if (!isAlpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

// ---- Builder support ----

namespace kulr_detail {

void RaiseWrongInstance(const char* className, std::string_view member, const TObject* obj) {
  throw EPropertyError(AnsiString(className) + "." + AnsiString(member) + ": a " +
                       (obj != nullptr ? obj->ClassName() : AnsiString("nil")) + " is not a " +
                       className);
}

void RaiseWrongPointer(std::string_view member) {
  throw EPropertyError(AnsiString(member) + ": the list is not of the property's class");
}

void CheckNewMember(const TClass& aClass, std::string_view name) {
  if (!IsValidIdent(name))
    throw EInvalidOperation(aClass.ClassName() + ": \"" + AnsiString(name) + "\" is not a member name");
  bool taken = false;
  for (const TPropInfo* p : aClass.DeclaredProperties()) taken = taken || SameText(p->Name(), name);
  for (const TMethodEntry* m : aClass.DeclaredMethods()) taken = taken || SameText(m->Name(), name);
  for (const TFieldInfo* f : aClass.DeclaredFields()) taken = taken || SameText(f->Name(), name);
  if (taken)
    throw EInvalidOperation(aClass.ClassName() + " publishes " + AnsiString(name) + " twice");
}

}  // namespace kulr_detail
