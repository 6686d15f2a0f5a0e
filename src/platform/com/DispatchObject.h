// The base of automation objects written in C++: a thread-safe reference
// count and one member table per class. A subclass lists its methods and
// properties once, in its .cpp, with TDispatchTableBuilder; the compiler
// checks the parameter and result types, and Invoke finds the member (ignoring
// ASCII case), checks the argument count, converts the arguments and writes
// by-reference ones back. Every failure surfaces as EOleException naming
// "TClass.Member".
//
//   const TDispatchTable& TMyObj::DispatchTable() const {
//     static const TDispatchTable table = TDispatchTableBuilder<TMyObj>("TMyObj")
//         .AddMethod("GetSysInfo", &TMyObj::GetSysInfo)   // Variant GetSysInfo(AnsiString& id)
//         .AddProperty("Com_Counter", &TMyObj::GetCounter)  // read-only
//         .AddProperty("Visible", &TMyObj::GetVisible, &TMyObj::SetVisible)
//         .Build();
//     return table;
//   }
//
// Parameters may be int16_t, int32_t, int64_t, bool, double, TDateTime,
// AnsiString, WideString, TDispatchRef (by value or const reference, converted
// with Variant's rules), Variant or const Variant& (the value as passed),
// Variant& (the caller's variable when passed with Variant::ByRef, a scratch
// copy otherwise), a non-const reference to one of the value types (converted
// in, written back after a successful call), or a single std::span<Variant>
// that takes any number of arguments as they come. Results are void or any
// type a Variant is built from.
//
// Sections: TDispatchTable, TDispatchObject, argument binding, the builder.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

class TDispatchObject;

// ---- TDispatchTable ----

// One way of calling a member: its argument count (-1 for any) and the
// type-erased call that binds the arguments.
struct TDispatchAccessor {
  std::function<Variant(TDispatchObject&, std::span<Variant>)> Call;
  int ArgCount = 0;
  explicit operator bool() const { return static_cast<bool>(Call); }
};

struct TDispatchMember {
  AnsiString Name;           // as declared
  TDispatchAccessor Method;  // set for a method
  TDispatchAccessor Getter;  // set for a property
  TDispatchAccessor Setter;  // set for a writable property
};

class TDispatchTable {
public:
  const AnsiString& ClassName() const { return FClassName; }
  // The member of that name, ignoring ASCII case; null when there is none.
  const TDispatchMember* Find(const AnsiString& name) const;
  // Declared names, in declaration order.
  std::vector<AnsiString> MemberNames() const;

private:
  friend class TDispatchTableBuilderBase;
  AnsiString FClassName;
  std::vector<TDispatchMember> FMembers;
  std::unordered_map<AnsiString, size_t> FIndex;  // upper-case name -> FMembers
};

// ---- TDispatchObject ----

// Lives on the heap and is owned through TDispatchRef (and Variants holding
// one): the count starts at 0, the first reference makes it 1, and the object
// deletes itself when the last reference goes. Invoke holds a reference of
// its own for the length of the call, so an object that nobody references yet
// is freed when its first call returns: take a reference before calling.
class TDispatchObject : public IDispatch {
public:
  TDispatchObject(const TDispatchObject&) = delete;
  TDispatchObject& operator=(const TDispatchObject&) = delete;

  void AddRef() noexcept override;
  void Release() noexcept override;
  AnsiString DispatchClassName() const override;
  // A method call and a property get without arguments both reach either a
  // method or a property getter: callers cannot know which the object has.
  Variant Invoke(const AnsiString& name, TInvokeKind kind, std::span<Variant> args) override;

  int RefCount() const noexcept { return FRefCount.load(std::memory_order_acquire); }

protected:
  TDispatchObject() = default;
  ~TDispatchObject() override = default;
  virtual const TDispatchTable& DispatchTable() const = 0;

private:
  std::atomic<int> FRefCount{0};
};

// ---- Argument binding (used by the builder's templates) ----

namespace DispatchBinding {

// Thrown while binding arguments, before the member runs; Invoke turns it
// into a type mismatch naming the argument. Not an Exception on purpose, so
// that no handler of the general kind mistakes it for the member's own error.
struct TArgError {
  int Index;  // 0-based
  AnsiString Message;
};

template <class V>
struct TValueArg {
  static_assert(sizeof(V) == 0,
                "dispatch parameter type not supported: use int16_t, int32_t, int64_t, bool, "
                "double, TDateTime, AnsiString, WideString, TDispatchRef or Variant");
};
template <>
struct TValueArg<int16_t> {
  static int16_t From(const Variant& v) { return v.AsSmallInt(); }
};
template <>
struct TValueArg<int32_t> {
  static int32_t From(const Variant& v) { return v.AsInteger(); }
};
template <>
struct TValueArg<int64_t> {
  static int64_t From(const Variant& v) { return v.AsInt64(); }
};
template <>
struct TValueArg<bool> {
  static bool From(const Variant& v) { return v.AsBoolean(); }
};
template <>
struct TValueArg<double> {
  static double From(const Variant& v) { return v.AsDouble(); }
};
template <>
struct TValueArg<TDateTime> {
  static TDateTime From(const Variant& v) { return v.AsDateTime(); }
};
template <>
struct TValueArg<AnsiString> {
  static AnsiString From(const Variant& v) { return v.AsString(); }
};
template <>
struct TValueArg<WideString> {
  static WideString From(const Variant& v) { return v.AsWideString(); }
};
template <>
struct TValueArg<TDispatchRef> {
  static TDispatchRef From(const Variant& v) { return v.AsDispatch(); }
};
template <>
struct TValueArg<Variant> {
  static Variant From(const Variant& v) { return v; }
};

// Converts with the argument's index attached to a failure.
template <class V>
V ConvertArg(const Variant& arg, int index) {
  try {
    return TValueArg<V>::From(arg);
  } catch (const Exception& e) {
    throw TArgError{index, e.Message()};
  }
}

// A parameter taken by value or by const reference.
template <class P>
struct TParam {
  using V = std::remove_cvref_t<P>;
  V Value;
  TParam(Variant& arg, int index) : Value(ConvertArg<V>(arg.Deref(), index)) {}
  V& Get() { return Value; }
  void WriteBack() {}
};
template <class V>
struct TParam<const V&> : TParam<V> {
  using TParam<V>::TParam;
};
// A non-const reference: converted in, written back once the member returns.
template <class V>
struct TParam<V&> {
  Variant* Target;
  V Value;
  TParam(Variant& arg, int index) : Target(&arg.Deref()), Value(ConvertArg<V>(*Target, index)) {}
  V& Get() { return Value; }
  void WriteBack() { *Target = Variant(std::move(Value)); }
};
// The caller's variable itself: the member reads and writes it directly.
template <>
struct TParam<Variant&> {
  Variant* Target;
  TParam(Variant& arg, int) : Target(&arg.Deref()) {}
  Variant& Get() { return *Target; }
  void WriteBack() {}
};
template <>
struct TParam<const Variant&> {
  const Variant* Target;
  TParam(Variant& arg, int) : Target(&arg.Deref()) {}
  const Variant& Get() { return *Target; }
  void WriteBack() {}
};

template <class... P>
struct TTypeList {};

template <class M>
struct TMemberTraits {
  static_assert(sizeof(M) == 0, "a dispatch member must be a pointer to a member function");
};
#define KULR_DISPATCH_MEMBER_TRAITS(Qualifiers)     \
  template <class C, class R, class... P>           \
  struct TMemberTraits<R (C::*)(P...) Qualifiers> { \
    using TClass = C;                               \
    using TResult = R;                              \
    using TParams = TTypeList<P...>;                \
  };
KULR_DISPATCH_MEMBER_TRAITS()
KULR_DISPATCH_MEMBER_TRAITS(const)
KULR_DISPATCH_MEMBER_TRAITS(noexcept)
KULR_DISPATCH_MEMBER_TRAITS(const noexcept)
#undef KULR_DISPATCH_MEMBER_TRAITS

template <class R>
Variant ToResult(R&& value) {
  return Variant(std::forward<R>(value));
}

template <class T, class R, class M, class... P, size_t... I>
Variant CallBound(M member, T& self, std::span<Variant> args, std::index_sequence<I...>) {
  (void)args;  // unused by a member without parameters
  // A braced list converts left to right, so the first bad argument is the
  // one reported.
  std::tuple<TParam<P>...> params{TParam<P>(args[I], static_cast<int>(I))...};
  if constexpr (std::is_void_v<R>) {
    (self.*member)(std::get<I>(params).Get()...);
    (std::get<I>(params).WriteBack(), ...);
    return Variant();
  } else {
    Variant result = ToResult<R>((self.*member)(std::get<I>(params).Get()...));
    (std::get<I>(params).WriteBack(), ...);
    return result;
  }
}

template <class T, class M, class... P>
TDispatchAccessor MakeAccessor(M member, TTypeList<P...>) {
  using TTraits = TMemberTraits<M>;
  using R = typename TTraits::TResult;
  static_assert(std::is_base_of_v<typename TTraits::TClass, T>,
                "the member belongs to a class this object does not derive from");
  static_assert(std::is_void_v<R> || std::is_constructible_v<Variant, R>,
                "a dispatch member's result must be void or a type a Variant is built from");
  TDispatchAccessor accessor;
  if constexpr (sizeof...(P) == 1 && (std::is_same_v<P, std::span<Variant>> && ...)) {
    accessor.ArgCount = -1;
    accessor.Call = [member](TDispatchObject& obj, std::span<Variant> args) -> Variant {
      T& self = static_cast<T&>(obj);
      if constexpr (std::is_void_v<R>) {
        (self.*member)(args);
        return Variant();
      } else {
        return ToResult<R>((self.*member)(args));
      }
    };
  } else {
    static_assert(!(std::is_same_v<std::remove_cvref_t<P>, std::span<Variant>> || ...),
                  "std::span<Variant> must be a member's only parameter");
    accessor.ArgCount = static_cast<int>(sizeof...(P));
    accessor.Call = [member](TDispatchObject& obj, std::span<Variant> args) -> Variant {
      return CallBound<T, R, M, P...>(member, static_cast<T&>(obj), args,
                                      std::index_sequence_for<P...>{});
    };
  }
  return accessor;
}

template <class T, class M>
TDispatchAccessor MakeAccessor(M member) {
  return MakeAccessor<T>(member, typename TMemberTraits<M>::TParams{});
}

}  // namespace DispatchBinding

// ---- The builder ----

// Checks and collects members. A mistake in a table is a programmer's error
// and raises std::logic_error when the table is built: a name that is not an
// ASCII identifier, a name declared twice (ignoring case).
class TDispatchTableBuilderBase {
public:
  TDispatchTable Build();

protected:
  explicit TDispatchTableBuilderBase(AnsiString className);
  void Add(TDispatchMember member);

private:
  TDispatchTable FTable;
};

template <class T>
class TDispatchTableBuilder : public TDispatchTableBuilderBase {
public:
  explicit TDispatchTableBuilder(AnsiString className)
      : TDispatchTableBuilderBase(std::move(className)) {
    static_assert(std::is_base_of_v<TDispatchObject, T>, "T must derive from TDispatchObject");
  }

  template <class M>
  TDispatchTableBuilder& AddMethod(AnsiString name, M method) {
    TDispatchMember member;
    member.Name = std::move(name);
    member.Method = DispatchBinding::MakeAccessor<T>(method);
    Add(std::move(member));
    return *this;
  }

  // A read-only property. A getter with parameters makes an indexed property.
  template <class G>
  TDispatchTableBuilder& AddProperty(AnsiString name, G getter) {
    Add(MakeProperty(std::move(name), getter));
    return *this;
  }

  // A read-write property; the setter takes the getter's parameters and then
  // the new value.
  template <class G, class S>
  TDispatchTableBuilder& AddProperty(AnsiString name, G getter, S setter) {
    TDispatchMember member = MakeProperty(std::move(name), getter);
    member.Setter = DispatchBinding::MakeAccessor<T>(setter);
    Add(std::move(member));
    return *this;
  }

private:
  template <class G>
  static TDispatchMember MakeProperty(AnsiString name, G getter) {
    static_assert(!std::is_void_v<typename DispatchBinding::TMemberTraits<G>::TResult>,
                  "a property getter must return a value");
    TDispatchMember member;
    member.Name = std::move(name);
    member.Getter = DispatchBinding::MakeAccessor<T>(getter);
    return member;
  }
};
