#include "platform/rtl/Variant.h"

#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/VarConvert.h"

// Storage, references and arrays. The conversion and comparison rules live
// in VarConvert.cpp.

namespace {

AnsiString BoundsText(const TVarArrayBound& b) {
  return std::to_string(b.LowBound) + ".." + std::to_string(b.HighBound);
}

[[noreturn]] void RaiseIndex(const std::vector<TVarArrayBound>& bounds, const AnsiString& index) {
  AnsiString text = "Variant or safe array index out of bounds: [" + index + "] in [";
  for (size_t i = 0; i < bounds.size(); ++i) {
    if (i > 0) text += ", ";
    text += BoundsText(bounds[i]);
  }
  throw EVariantBadIndexError(text + "]");
}

int64_t CountElements(const std::vector<TVarArrayBound>& bounds) {
  int64_t count = 1;
  for (const TVarArrayBound& b : bounds) {
    int64_t n = int64_t{b.HighBound} - b.LowBound + 1;
    if (n < 0) {
      throw EVariantArrayCreateError("Error creating variant or safe array: bounds " +
                                     BoundsText(b) + " (high bound below low bound - 1)");
    }
    count *= n;  // each factor is below 2^33, so two cannot overflow int64
  }
  if (count > TVarArray::MaxElementCount) {
    throw EVariantArrayCreateError("Error creating variant or safe array: " +
                                   std::to_string(count) + " elements, at most " +
                                   std::to_string(TVarArray::MaxElementCount));
  }
  return count;
}

}  // namespace

// ---- Variant: construction ----

Variant::Variant(int16_t value) : FValue(value) {}
Variant::Variant(int32_t value) : FValue(value) {}
Variant::Variant(int64_t value) : FValue(value) {}
Variant::Variant(long long value) : FValue(static_cast<int64_t>(value)) {}
Variant::Variant(bool value) : FValue(value) {}
Variant::Variant(double value) : FValue(value) {}
Variant::Variant(TDateTime value) : FValue(value) {}
Variant::Variant(AnsiString value) : FValue(std::move(value)) {}
Variant::Variant(const char* value) : FValue(AnsiString(value ? value : "")) {}
Variant::Variant(WideString value) : FValue(std::move(value)) {}
Variant::Variant(const char16_t* value) : FValue(WideString(value ? value : u"")) {}
Variant::Variant(TDispatchRef value) {
  if (value) FValue = std::move(value);
}
Variant::Variant(TVarArray value) : FValue(std::make_unique<TVarArray>(std::move(value))) {}
Variant::Variant(TVarNull) : FValue(TVarNull{}) {}

Variant::Variant(const Variant& other) {
  std::visit(
      [this](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, TArrayBox>) {
          FValue = std::make_unique<TVarArray>(*value);
        } else {
          FValue = value;
        }
      },
      other.FValue);
}

Variant::Variant(Variant&& other) noexcept : FValue(std::move(other.FValue)) {
  other.FValue = std::monostate{};
}

Variant& Variant::operator=(const Variant& other) {
  // Copy first: other may be an element of this Variant's own array.
  Variant copy(other);
  *this = std::move(copy);
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this == &other) return *this;
  // Take the value out first: other may live inside the array this Variant
  // is about to drop.
  TStorage taken(std::move(other.FValue));
  other.FValue = std::monostate{};
  FValue = std::move(taken);
  return *this;
}

Variant::~Variant() = default;

Variant Variant::ByRef(Variant& target) {
  Variant ref;
  ref.FValue = TRef{&target.Deref()};
  return ref;
}

// ---- Type tests ----

TVarType Variant::VarType() const {
  // The switch below follows the order of the alternatives.
  static_assert(std::is_same_v<std::variant_alternative_t<7, TStorage>, TDateTime>);
  static_assert(std::is_same_v<std::variant_alternative_t<11, TStorage>, TArrayBox>);
  static_assert(std::variant_size_v<TStorage> == 13);
  switch (FValue.index()) {
    case 0: return varEmpty;
    case 1: return varNull;
    case 2: return varSmallint;
    case 3: return varInteger;
    case 4: return varInt64;
    case 5: return varBoolean;
    case 6: return varDouble;
    case 7: return varDate;
    case 8: return varString;
    case 9: return varOleStr;
    case 10: return varDispatch;
    case 11: return varArray | varVariant;
    default: return varByRef | varVariant;
  }
}

bool Variant::IsEmpty() const { return std::holds_alternative<std::monostate>(Deref().FValue); }
bool Variant::IsNull() const { return std::holds_alternative<TVarNull>(Deref().FValue); }
bool Variant::IsArray() const { return std::holds_alternative<TArrayBox>(Deref().FValue); }
bool Variant::IsString() const {
  const TStorage& v = Deref().FValue;
  return std::holds_alternative<AnsiString>(v) || std::holds_alternative<WideString>(v);
}
bool Variant::IsByRef() const { return std::holds_alternative<TRef>(FValue); }

// One level only: ByRef never makes a reference to a reference, so a
// reference that ends up pointing at itself cannot loop.
Variant& Variant::Deref() {
  if (TRef* ref = std::get_if<TRef>(&FValue)) return *ref->Target;
  return *this;
}

const Variant& Variant::Deref() const {
  if (const TRef* ref = std::get_if<TRef>(&FValue)) return *ref->Target;
  return *this;
}

// ---- Converting access ----

int16_t Variant::AsSmallInt() const { return VarAsSmallInt(*this); }
int32_t Variant::AsInteger() const { return VarAsInteger(*this); }
int64_t Variant::AsInt64() const { return VarAsInt64(*this); }
bool Variant::AsBoolean() const { return VarAsBoolean(*this); }
double Variant::AsDouble() const { return VarAsDouble(*this); }
TDateTime Variant::AsDateTime() const { return VarAsDateTime(*this); }
AnsiString Variant::AsString() const { return VarAsString(*this); }
WideString Variant::AsWideString() const { return VarAsWideString(*this); }
TDispatchRef Variant::AsDispatch() const { return VarAsDispatch(*this); }

// ---- Arrays ----

TVarArray& Variant::Array() {
  if (TArrayBox* box = std::get_if<TArrayBox>(&Deref().FValue)) return **box;
  throw EVariantNotAnArrayError("Variant is not an array (it holds " +
                                VarTypeAsText(Deref().VarType()) + ")");
}

const TVarArray& Variant::Array() const {
  return const_cast<Variant*>(this)->Array();
}

Variant& Variant::operator[](int32_t index) { return Array().At(index); }
const Variant& Variant::operator[](int32_t index) const { return Array().At(index); }
Variant& Variant::operator()(int32_t i, int32_t j) { return Array().At(i, j); }
const Variant& Variant::operator()(int32_t i, int32_t j) const { return Array().At(i, j); }

void Variant::Assign(const Variant& value) {
  const Variant& source = value.Deref();
  Variant& target = Deref();
  if (&source == &target) return;
  target = source;
}

// ---- TVarArray ----

TVarArray::TVarArray(std::vector<TVarArrayBound> bounds) : FBounds(std::move(bounds)) {
  if (FBounds.empty() || FBounds.size() > 2) {
    throw EVariantArrayCreateError("Error creating variant or safe array: " +
                                   std::to_string(FBounds.size()) +
                                   " dimensions (one or two are supported)");
  }
  FElements.resize(static_cast<size_t>(CountElements(FBounds)));
}

const TVarArrayBound& TVarArray::Bound(int dim) const {
  if (dim < 1 || dim > DimCount()) {
    throw EVariantBadIndexError("Variant or safe array index out of bounds: dimension " +
                                std::to_string(dim) + " of an array with " +
                                std::to_string(DimCount()) + " dimension(s)");
  }
  return FBounds[static_cast<size_t>(dim - 1)];
}

Variant& TVarArray::At(int32_t index) {
  if (DimCount() != 1 || index < FBounds[0].LowBound || index > FBounds[0].HighBound) {
    RaiseIndex(FBounds, std::to_string(index));
  }
  return FElements[static_cast<size_t>(int64_t{index} - FBounds[0].LowBound)];
}

const Variant& TVarArray::At(int32_t index) const { return const_cast<TVarArray*>(this)->At(index); }

Variant& TVarArray::At(int32_t i, int32_t j) {
  if (DimCount() != 2 || i < FBounds[0].LowBound || i > FBounds[0].HighBound ||
      j < FBounds[1].LowBound || j > FBounds[1].HighBound) {
    RaiseIndex(FBounds, std::to_string(i) + ", " + std::to_string(j));
  }
  int64_t rows = int64_t{FBounds[0].HighBound} - FBounds[0].LowBound + 1;
  int64_t offset = (int64_t{i} - FBounds[0].LowBound) + (int64_t{j} - FBounds[1].LowBound) * rows;
  return FElements[static_cast<size_t>(offset)];
}

const Variant& TVarArray::At(int32_t i, int32_t j) const {
  return const_cast<TVarArray*>(this)->At(i, j);
}

void TVarArray::Redim(int32_t highBound) {
  std::vector<TVarArrayBound> bounds = FBounds;
  bounds.back().HighBound = highBound;
  // The last dimension varies slowest, so its elements are a suffix of the
  // storage: growing or shrinking it keeps every surviving element in place.
  size_t count = static_cast<size_t>(CountElements(bounds));
  FElements.resize(count);
  FBounds = std::move(bounds);
}

// ---- Free helpers ----

Variant VarArrayCreate(std::initializer_list<int32_t> bounds) {
  if (bounds.size() == 0 || bounds.size() % 2 != 0) {
    throw EVariantArrayCreateError("Error creating variant or safe array: " +
                                   std::to_string(bounds.size()) +
                                   " bound values (pairs of low and high bound expected)");
  }
  std::vector<TVarArrayBound> dims;
  for (auto it = bounds.begin(); it != bounds.end(); it += 2) dims.push_back({it[0], it[1]});
  return Variant(TVarArray(std::move(dims)));
}

Variant VarArrayOf(std::vector<Variant> values) {
  if (static_cast<int64_t>(values.size()) > TVarArray::MaxElementCount) {
    throw EVariantArrayCreateError("Error creating variant or safe array: " +
                                   std::to_string(values.size()) + " elements");
  }
  TVarArray array({{0, static_cast<int32_t>(values.size()) - 1}});
  for (size_t i = 0; i < values.size(); ++i) {
    array.Elements()[i] = std::move(values[i]);
  }
  return Variant(std::move(array));
}

int VarArrayDimCount(const Variant& v) { return v.IsArray() ? v.Array().DimCount() : 0; }
int32_t VarArrayLowBound(const Variant& v, int dim) { return v.Array().LowBound(dim); }
int32_t VarArrayHighBound(const Variant& v, int dim) { return v.Array().HighBound(dim); }
void VarArrayRedim(Variant& v, int32_t highBound) { v.Array().Redim(highBound); }

TVarType VarType(const Variant& v) { return v.VarType(); }
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsStr(const Variant& v) { return v.IsString(); }
bool VarIsClear(const Variant& v) { return v.IsEmpty() || v.IsNull(); }
