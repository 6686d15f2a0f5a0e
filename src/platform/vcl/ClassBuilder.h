// TClassBuilder: writes a class's table of published members (properties,
// events, methods, component fields) and its factory into its class record.
// The property kind and type name come from the C++ types of the getter and
// setter, so they cannot be mistyped. Include this only from .cpp files
// that define a StaticClass().
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "platform/vcl/Method.h"
#include "platform/vcl/Object.h"
#include "platform/vcl/TypInfo.h"

namespace kulr_detail {

// ---- What a getter reads and a setter takes ----
template <class G, class = void>
struct TGetterTraits;
template <class C, class R>
struct TGetterTraits<R (C::*)() const> {
  using Class = C;
  using Value = std::remove_cvref_t<R>;
};
template <class C, class R>
struct TGetterTraits<R (C::*)() const noexcept> : TGetterTraits<R (C::*)() const> {};
template <class C, class R>
struct TGetterTraits<R (C::*)()> {
  using Class = C;
  using Value = std::remove_cvref_t<R>;
};
template <class C, class R>
struct TGetterTraits<R (C::*)() noexcept> : TGetterTraits<R (C::*)()> {};
template <class C, class R>
struct TGetterTraits<R C::*, std::enable_if_t<!std::is_function_v<R>>> {
  using Class = C;
  using Value = std::remove_cv_t<R>;
};

template <class S, class = void>
struct TSetterTraits;
template <class C, class A>
struct TSetterTraits<void (C::*)(A)> {
  using Class = C;
  using Value = std::remove_cvref_t<A>;
};
template <class C, class A>
struct TSetterTraits<void (C::*)(A) noexcept> : TSetterTraits<void (C::*)(A)> {};
template <class C, class R>
struct TSetterTraits<R C::*, std::enable_if_t<!std::is_function_v<R>>> {
  using Class = C;
  using Value = std::remove_cv_t<R>;
};

template <class G, class T>
decltype(auto) ReadMember(G getter, T& obj) {
  if constexpr (std::is_member_function_pointer_v<G>)
    return (obj.*getter)();
  else
    return (obj.*getter);
}

template <class S, class T, class V>
void WriteMember(S setter, T& obj, V&& value) {
  if constexpr (std::is_member_function_pointer_v<S>)
    (obj.*setter)(static_cast<V&&>(value));
  else
    obj.*setter = static_cast<V&&>(value);
}

template <class V>
constexpr bool IsOrdinalValue =
    std::is_integral_v<V> || std::is_enum_v<V> || TIsSet<V>::Value;

template <class V>
int64_t ToOrdinal(const V& value) {
  if constexpr (TIsSet<V>::Value)
    return static_cast<int64_t>(value.Bits());
  else if constexpr (std::is_same_v<V, char>)
    return static_cast<unsigned char>(value);
  else
    return static_cast<int64_t>(value);
}

template <class V>
V FromOrdinal(int64_t value) {
  if constexpr (TIsSet<V>::Value)
    return V::FromBits(static_cast<uint64_t>(value));
  else if constexpr (std::is_same_v<V, bool>)
    return value != 0;
  else
    return static_cast<V>(value);
}

// EPropertyError: obj is not of the class that declares the property.
[[noreturn]] void RaiseWrongInstance(const char* className, std::string_view member, const TObject* obj);
// EPropertyError: a list given to a TStrings property of a narrower class.
[[noreturn]] void RaiseWrongPointer(std::string_view member);
// EInvalidOperation when a class table names a member twice or gives a
// name that is not an identifier.
void CheckNewMember(const TClass& aClass, std::string_view name);

}  // namespace kulr_detail

template <class T>
class TClassBuilder {
public:
  TClassBuilder() : TClassBuilder(T::KulrClassName) {}

  explicit TClassBuilder(AnsiString name) {
    static_assert(std::is_same_v<typename T::KulrSelf, T>,
                  "the class lacks KULR_CLASS(Self, Parent)");
    const TClass* parent = nullptr;
    if constexpr (!std::is_same_v<T, TObject>) parent = &T::inherited::StaticClass();
    FClass = new TClass(std::move(name), parent);
  }
  TClassBuilder(const TClassBuilder&) = delete;
  TClassBuilder& operator=(const TClassBuilder&) = delete;
  // A table abandoned before Build (a member raised) takes its record along.
  ~TClassBuilder() {
    if (FBuilt) return;
    for (const TPropInfo* prop : FClass->FProperties) delete prop;
    for (const TFieldInfo* field : FClass->FFields) delete field;
    delete FClass;
  }

  // A published property read by getter and written by setter. Each is a
  // member function (R Get() const / void Set(V)) or a data member.
  template <class G, class S>
  TClassBuilder& Property(std::string_view name, G getter, S setter) {
    using TGet = kulr_detail::TGetterTraits<G>;
    using TSetT = kulr_detail::TSetterTraits<S>;
    static_assert(std::is_same_v<typename TGet::Value, typename TSetT::Value>,
                  "getter and setter disagree on the property type");
    static_assert(std::is_base_of_v<typename TSetT::Class, T>, "setter of another class");
    return AddProperty<typename TGet::Value>(name, getter, setter);
  }
  // A read-only published property.
  template <class G>
  TClassBuilder& Property(std::string_view name, G getter) {
    return AddProperty<typename kulr_detail::TGetterTraits<G>::Value>(name, getter, nullptr);
  }
  // The same, with a type record of the same kind given explicitly (a
  // string alias such as "TImeName").
  template <class G, class S>
  TClassBuilder& Property(std::string_view name, G getter, S setter, const TTypeInfo& type) {
    Property(name, getter, setter);
    if (type.Kind() != Last().FType->Kind())
      throw EInvalidOperation(FClass->ClassName() + "." + AnsiString(name) +
                              ": the given type is of another kind");
    FLast->FType = &type;
    return *this;
  }

  // The ordinal default of the last property (the writer leaves it out).
  template <class V>
  TClassBuilder& Default(const V& value) {
    static_assert(kulr_detail::IsOrdinalValue<V>, "only ordinal properties have defaults");
    if (!Last().PropType().IsOrdinal())
      throw EInvalidOperation(FClass->ClassName() + "." + FLast->Name() +
                              ": only ordinal properties have defaults");
    FLast->FDefault = kulr_detail::ToOrdinal(value);
    return *this;
  }
  TClassBuilder& NoDefault() {
    Last().FDefault.reset();
    return *this;
  }
  // Whether the writer stores the last property.
  TClassBuilder& Stored(bool stored) {
    if (stored)
      Last().FAccess.Stored = nullptr;
    else
      FLast->FAccess.Stored = [](TObject*) { return false; };
    return *this;
  }
  template <class C>
  TClassBuilder& Stored(bool (C::*isStored)() const) {
    static_assert(std::is_base_of_v<C, T>);
    Last().FAccess.Stored = [isStored](TObject* obj) { return (Self(obj, "stored").*isStored)(); };
    return *this;
  }

  // A published event held in a field (TNotifyEvent FOnClick).
  template <class C, class E>
  TClassBuilder& Event(std::string_view name, E C::*field) {
    static_assert(std::is_base_of_v<TEventBase, E> || std::is_same_v<E, TMethod>,
                  "events are typed events or TMethod");
    return Property(name, field, field);
  }

  // A published method, found by name (MethodAddress, form resources).
  template <class C, class... TArgs>
  TClassBuilder& Method(std::string_view name, void (C::*method)(TArgs...)) {
    static_assert(std::is_base_of_v<C, T>, "method of another class");
    kulr_detail::CheckNewMember(*FClass, name);
    TMethodEntry& entry = kulr_detail::InternMethod(method);
    kulr_detail::PublishMethodEntry(entry, name);
    FClass->FMethods.push_back(&entry);
    return *this;
  }

  // A published component field, bound by name.
  template <class C, class P>
  TClassBuilder& Field(std::string_view name, P* C::*field) {
    static_assert(std::is_base_of_v<C, T>, "field of another class");
    static_assert(std::is_base_of_v<TObject, P>, "fields hold TObject descendants");
    kulr_detail::CheckNewMember(*FClass, name);
    FClass->FFields.push_back(new TFieldInfo(
        AnsiString(name), TypeInfoOf<P*>(),
        [field, n = AnsiString(name)](TObject* owner) -> TObject* { return Self(owner, n).*field; },
        [field, n = AnsiString(name)](TObject* owner, TObject* value) {
          Self(owner, n).*field = value == nullptr ? nullptr : dynamic_cast<P*>(value);
        }));
    return *this;
  }

  // Makes the class creatable by name: new T(owner) when T takes an owner,
  // else new T().
  TClassBuilder& Factory() {
    if constexpr (std::is_constructible_v<T, TComponent*>) {
      FClass->FFactory = [](TComponent* owner) -> TObject* { return new T(owner); };
    } else {
      static_assert(std::is_default_constructible_v<T>, "no constructor the factory can call");
      FClass->FFactory = [](TComponent*) -> TObject* { return new T(); };
    }
    return *this;
  }

  // The finished record; it lives for the rest of the process.
  const TClass& Build() {
    FBuilt = true;
    return *FClass;
  }

private:
  // The property the modifiers (Default, Stored...) apply to.
  TPropInfo& Last() {
    if (FLast == nullptr)
      throw EInvalidOperation(FClass->ClassName() + ": a property modifier before any property");
    return *FLast;
  }

  static T& Self(TObject* obj, std::string_view member) {
    T* self = obj != nullptr ? dynamic_cast<T*>(obj) : nullptr;
    if (self == nullptr) kulr_detail::RaiseWrongInstance(T::KulrClassName, member, obj);
    return *self;
  }

  template <class V, class G, class S>
  TClassBuilder& AddProperty(std::string_view name, G getter, S setter) {
    using namespace kulr_detail;
    static_assert(std::is_base_of_v<typename TGetterTraits<G>::Class, T>, "getter of another class");
    constexpr bool writable = !std::is_same_v<S, std::nullptr_t>;
    CheckNewMember(*FClass, name);
    AnsiString n(name);
    TPropAccessors a;
    if constexpr (std::is_same_v<V, bool> || IsOrdinalValue<V>) {
      a.GetOrd = [getter, n](TObject* o) { return ToOrdinal<V>(ReadMember(getter, Self(o, n))); };
      if constexpr (writable)
        a.SetOrd = [setter, n](TObject* o, int64_t v) { WriteMember(setter, Self(o, n), FromOrdinal<V>(v)); };
    } else if constexpr (std::is_floating_point_v<V> || std::is_same_v<V, TDateTime>) {
      a.GetFloat = [getter, n](TObject* o) { return static_cast<double>(ReadMember(getter, Self(o, n))); };
      if constexpr (writable)
        a.SetFloat = [setter, n](TObject* o, double v) { WriteMember(setter, Self(o, n), V(v)); };
    } else if constexpr (std::is_same_v<V, AnsiString>) {
      a.GetStr = [getter, n](TObject* o) { return AnsiString(ReadMember(getter, Self(o, n))); };
      if constexpr (writable)
        a.SetStr = [setter, n](TObject* o, const AnsiString& v) { WriteMember(setter, Self(o, n), v); };
    } else if constexpr (std::is_same_v<V, WideString>) {
      a.GetWStr = [getter, n](TObject* o) { return WideString(ReadMember(getter, Self(o, n))); };
      if constexpr (writable)
        a.SetWStr = [setter, n](TObject* o, const WideString& v) { WriteMember(setter, Self(o, n), v); };
    } else if constexpr (std::is_same_v<V, Variant>) {
      a.GetVariant = [getter, n](TObject* o) { return Variant(ReadMember(getter, Self(o, n))); };
      if constexpr (writable)
        a.SetVariant = [setter, n](TObject* o, const Variant& v) { WriteMember(setter, Self(o, n), v); };
    } else if constexpr (std::is_base_of_v<TEventBase, V> || std::is_same_v<V, TMethod>) {
      a.GetMethod = [getter, n](TObject* o) { return TMethod(ReadMember(getter, Self(o, n))); };
      if constexpr (writable)
        a.SetMethod = [setter, n](TObject* o, const TMethod& v) { WriteMember(setter, Self(o, n), V(v)); };
    } else if constexpr (std::is_pointer_v<V>) {
      using P = std::remove_cv_t<std::remove_pointer_t<V>>;
      if constexpr (std::is_base_of_v<TObject, P>) {
        a.GetObject = [getter, n](TObject* o) -> TObject* { return ReadMember(getter, Self(o, n)); };
        if constexpr (writable)
          a.SetObject = [setter, n](TObject* o, TObject* v) {
            V value = v == nullptr ? static_cast<V>(nullptr) : dynamic_cast<V>(v);
            if (v != nullptr && value == nullptr) RaiseWrongInstance(P::KulrClassName, n, v);
            WriteMember(setter, Self(o, n), value);
          };
      } else {
        a.GetPointer = [getter, n](TObject* o) -> void* {
          return static_cast<TStrings*>(ReadMember(getter, Self(o, n)));
        };
        if constexpr (writable)
          a.SetPointer = [setter, n](TObject* o, void* v) {
            V value = v == nullptr ? static_cast<V>(nullptr) : dynamic_cast<V>(static_cast<TStrings*>(v));
            if (v != nullptr && value == nullptr) RaiseWrongPointer(n);
            WriteMember(setter, Self(o, n), value);
          };
      }
    } else {
      static_assert(sizeof(V) == 0, "no property kind for this type");
    }
    FLast = new TPropInfo(n, TypeInfoOf<V>(), FClass, std::move(a));
    FClass->FProperties.push_back(FLast);
    return *this;
  }

  TClass* FClass = nullptr;
  TPropInfo* FLast = nullptr;
  bool FBuilt = false;
};
