// Method pointers: TMethod's two halves (code, data) and the method entries
// the code half points at. The same member function always gives the same
// entry, whether it is found by name in a class record (MethodAddress) or
// made in code (MakeMethod), so handlers compare equal and can be saved and
// restored half by half. An entry knows its published name and its C++
// signature; calling checks the signature, binding never does. TEvent is the
// base of the typed events (Events.h).
#pragma once

#include <array>
#include <cstring>
#include <functional>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <typeinfo>

#include "platform/vcl/Object.h"

// A method pointer: Code is a method entry (or null), Data the object the
// method runs on. Each half is pointer-sized and may be stored on its own
// (as void* in a string list's Objects) and put back together later.
struct TMethod {
  void* Code = nullptr;
  TObject* Data = nullptr;

  bool Assigned() const { return Code != nullptr; }
  friend bool operator==(const TMethod&, const TMethod&) = default;
};
// The host writes method pointers straight into a controller's fields.
static_assert(sizeof(TMethod) == 2 * sizeof(void*) && std::is_standard_layout_v<TMethod>);

class TMethodEntry;
namespace kulr_detail {
// Gives a member function's entry its published name (the first wins).
void PublishMethodEntry(TMethodEntry& entry, std::string_view name);
}  // namespace kulr_detail

// What a method pointer's code half points at. Entries are never freed.
class TMethodEntry {
public:
  TMethodEntry(const TMethodEntry&) = delete;
  TMethodEntry& operator=(const TMethodEntry&) = delete;
  virtual ~TMethodEntry();

  // The published name ("btnOkClick"); empty for a bound function or a
  // member function that no class record publishes.
  const AnsiString& Name() const { return FName; }
  // The handler signature as a function type: void(TObject*, uint16_t&, ...).
  const std::type_info& Signature() const { return *FSignature; }
  // The signature in readable form, for error messages.
  AnsiString SignatureText() const;
  // The class that declares the member function; null for a bound function.
  virtual const TClass* DeclaringClass() const { return nullptr; }

  void* Code() const { return const_cast<TMethodEntry*>(this); }

protected:
  explicit TMethodEntry(const std::type_info& signature) : FSignature(&signature) {}

private:
  friend void kulr_detail::PublishMethodEntry(TMethodEntry& entry, std::string_view name);

  AnsiString FName;
  const std::type_info* FSignature;
};

// The entry behind a code half, or nullptr when code is null or is not the
// code half of any method (a stale or made-up pointer).
const TMethodEntry* FindMethodEntry(const void* code);
// The published name of the method behind code; "" when it has none.
AnsiString MethodName(const void* code);

// An entry that can be called with arguments TArgs... (the sender first).
template <class... TArgs>
class TMethodEntryOf : public TMethodEntry {
public:
  virtual void Call(TObject* data, TArgs... args) const = 0;

protected:
  TMethodEntryOf() : TMethodEntry(typeid(void(TArgs...))) {}
};

namespace kulr_detail {

// EInvalidOperation: the data half is null or not of the method's class.
[[noreturn]] void RaiseBadData(const TMethodEntry& entry, const TObject* data);
// EInvalidOperation naming the method and both signatures.
[[noreturn]] void RaiseBadSignature(const void* code, const char* eventType,
                                    const std::type_info& wanted);
// EInvalidOperation: an unassigned event was called.
[[noreturn]] void RaiseUnassigned(const char* eventType);

// The entry for one member function of class C.
template <class C, class... TArgs>
class TMemberMethodEntry final : public TMethodEntryOf<TArgs...> {
public:
  using TPmf = void (C::*)(TArgs...);
  explicit TMemberMethodEntry(TPmf pmf) : FPmf(pmf) {}

  const TClass* DeclaringClass() const override { return &C::StaticClass(); }
  void Call(TObject* data, TArgs... args) const override {
    C* self = data != nullptr ? dynamic_cast<C*>(data) : nullptr;
    if (self == nullptr) RaiseBadData(*this, data);
    (self->*FPmf)(static_cast<TArgs&&>(args)...);
  }

private:
  TPmf FPmf;
};

// The entry for a bound std::function; each binding has its own.
template <class... TArgs>
class TFunctionMethodEntry final : public TMethodEntryOf<TArgs...> {
public:
  explicit TFunctionMethodEntry(std::function<void(TArgs...)> fn) : FFunction(std::move(fn)) {}
  void Call(TObject*, TArgs... args) const override { FFunction(static_cast<TArgs&&>(args)...); }

private:
  std::function<void(TArgs...)> FFunction;
};

// The registry of entries: interning by member-function pointer bytes and
// type, and the set of all live entries for FindMethodEntry.
using TPmfKey = std::array<unsigned char, 2 * sizeof(void*)>;
TMethodEntry& InternEntry(std::type_index pmfType, const TPmfKey& key,
                          TMethodEntry* (*make)(const void* pmf), const void* pmf);
TMethodEntry& AddEntry(TMethodEntry* entry);

template <class C, class... TArgs>
TMethodEntry& InternMethod(void (C::*pmf)(TArgs...)) {
  using TPmf = void (C::*)(TArgs...);
  static_assert(sizeof(TPmf) <= sizeof(TPmfKey), "member function pointer too large");
  TPmfKey key{};
  std::memcpy(key.data(), &pmf, sizeof(TPmf));
  return InternEntry(std::type_index(typeid(TPmf)), key,
                     [](const void* p) -> TMethodEntry* {
                       return new TMemberMethodEntry<C, TArgs...>(*static_cast<const TPmf*>(p));
                     },
                     &pmf);
}

}  // namespace kulr_detail

// The method pointer for obj's member function pmf. The code half is the
// same entry that the class record publishes for pmf, if it does.
template <class TObj, class C, class... TArgs>
TMethod MakeMethod(TObj* obj, void (C::*pmf)(TArgs...)) {
  static_assert(std::is_base_of_v<TObject, C>, "methods belong to TObject descendants");
  static_assert(std::is_base_of_v<C, TObj>, "the object must be of the method's class");
  (void)C::StaticClass();  // the record names its published entries
  return TMethod{kulr_detail::InternMethod(pmf).Code(), obj};
}

// Calls the method m with args; EInvalidOperation when m is unassigned, its
// code half is not a method entry, or the entry's signature is not
// void(TArgs...).
template <class... TArgs>
void CallMethod(const TMethod& m, const char* eventType, TArgs... args) {
  if (m.Code == nullptr) kulr_detail::RaiseUnassigned(eventType);
  const TMethodEntry* entry = FindMethodEntry(m.Code);
  auto* typed = dynamic_cast<const TMethodEntryOf<TArgs...>*>(entry);
  if (typed == nullptr) kulr_detail::RaiseBadSignature(m.Code, eventType, typeid(void(TArgs...)));
  typed->Call(m.Data, static_cast<TArgs&&>(args)...);
}

// Marks the typed events (for the type information).
struct TEventBase {};

// A typed event: a TMethod with a call signature. Self is the event type
// (for its name in the type information), TArgs the handler's parameters.
// Converts to and from TMethod; compares by both halves.
template <class Self, class... TArgs>
class TEvent : public TEventBase {
public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}
  TEvent(const TMethod& method) : FMethod(method) {}
  template <class TObj, class C>
  TEvent(TObj* obj, void (C::*pmf)(TArgs...)) : FMethod(MakeMethod(obj, pmf)) {}

  // A handler that is not a published method: a new code half per binding
  // (never freed), data as given.
  static Self FromFunction(std::function<void(TArgs...)> fn, TObject* data = nullptr) {
    auto& entry = kulr_detail::AddEntry(
        new kulr_detail::TFunctionMethodEntry<TArgs...>(std::move(fn)));
    return Self(TMethod{entry.Code(), data});
  }

  const TMethod& Method() const { return FMethod; }
  operator const TMethod&() const { return FMethod; }
  bool Assigned() const { return FMethod.Code != nullptr; }
  explicit operator bool() const { return Assigned(); }

  void operator()(TArgs... args) const {
    CallMethod<TArgs...>(FMethod, Self::KulrTypeName, static_cast<TArgs&&>(args)...);
  }

  friend bool operator==(const TEvent& a, const TEvent& b) { return a.FMethod == b.FMethod; }

private:
  TMethod FMethod;
};

// Declares a typed event: KULR_EVENT(TNotifyEvent, TObject* /*Sender*/).
#define KULR_EVENT(Name, ...)                                      \
  struct Name : TEvent<Name, __VA_ARGS__> {                        \
    using TEvent<Name, __VA_ARGS__>::TEvent;                       \
    static constexpr const char* KulrTypeName = #Name;             \
  }
