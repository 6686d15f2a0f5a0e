// The late-bound automation interface as the runtime sees it: a
// reference-counted object with one call that invokes a member by name.
// Variants hold references to it; the automation layer (platform/com) builds
// objects, call helpers and creation by program id on top.
#pragma once

#include <atomic>
#include <span>
#include <utility>

#include "platform/rtl/Types.h"

class Variant;

enum class TInvokeKind { Method, PropertyGet, PropertyPut };

class IDispatch {
public:
  virtual void AddRef() noexcept = 0;
  virtual void Release() noexcept = 0;
  // The object's class name, used in error texts.
  virtual AnsiString DispatchClassName() const = 0;
  // Invokes a member by name (ignoring case). An argument that is a by-reference
  // Variant may be written by the callee. A property put passes the new value
  // as the last argument. Failures raise EOleError.
  virtual Variant Invoke(const AnsiString& name, TInvokeKind kind, std::span<Variant> args) = 0;

protected:
  virtual ~IDispatch() = default;
};

// An owning reference to a dispatch object (AddRef on copy, Release on drop).
class TDispatchRef {
public:
  TDispatchRef() = default;
  // Takes a new reference to obj (AddRef).
  explicit TDispatchRef(IDispatch* obj) : FObj(obj) {
    if (FObj) FObj->AddRef();
  }
  TDispatchRef(const TDispatchRef& other) : TDispatchRef(other.FObj) {}
  TDispatchRef(TDispatchRef&& other) noexcept : FObj(std::exchange(other.FObj, nullptr)) {}
  TDispatchRef& operator=(TDispatchRef other) noexcept {
    std::swap(FObj, other.FObj);
    return *this;
  }
  ~TDispatchRef() {
    if (FObj) FObj->Release();
  }

  IDispatch* Get() const { return FObj; }
  IDispatch* operator->() const { return FObj; }
  explicit operator bool() const { return FObj != nullptr; }
  friend bool operator==(const TDispatchRef& a, const TDispatchRef& b) { return a.FObj == b.FObj; }

private:
  IDispatch* FObj = nullptr;
};
