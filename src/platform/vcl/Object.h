// The root of the component model: TObject, the class record TClass that
// every published class has (name, parent, factory, published properties,
// methods and fields), the KULR_CLASS declaration and the by-name class
// registry the form reader creates components from.
//
// Class records are built once, on first use, inside each class's
// StaticClass() (written in its .cpp with TClassBuilder, ClassBuilder.h) and
// live for the whole process: nothing in a record is ever freed, so a record
// can be used from any static destructor.
//
// Lifetime: an object whose class overrides BeforeDestruction (components,
// controls, forms) is destroyed through Free(obj), which runs Destroying and
// BeforeDestruction while the whole object is still intact and then deletes
// it. NewObject<T>(...) is the matching construction path: it runs
// AfterConstruction once the constructors have finished.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

class TObject;
class TComponent;
class TClass;
class TPropInfo;
class TFieldInfo;
class TMethodEntry;
template <class T>
class TClassBuilder;

// A failed "as" cast: the object is not of the class asked for.
class EInvalidCast : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EInvalidCast"; }
};

// Declares the class record of Self, whose parent class is Parent. Put it
// first in the class body; it leaves access public. The record itself is
// defined in the class's .cpp:
//
//   const TClass& TMyButton::StaticClass() {
//     static const TClass& record = TClassBuilder<TMyButton>()
//         .Property("Caption", &TMyButton::GetCaption, &TMyButton::SetCaption)
//         .Factory()
//         .Build();
//     return record;
//   }
//
// A class without KULR_CLASS shares its parent's record (ClassName() is the
// parent's name), which is only right for classes that publish nothing.
#define KULR_CLASS(Self, Parent)                                           \
public:                                                                    \
  using inherited = Parent;                                                \
  using KulrSelf = Self;                                                   \
  static constexpr const char* KulrClassName = #Self;                      \
  static const TClass& StaticClass();                                      \
  const TClass* ClassType() const override { return &StaticClass(); }

class TObject {
public:
  using KulrSelf = TObject;
  static constexpr const char* KulrClassName = "TObject";

  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  static const TClass& StaticClass();
  virtual const TClass* ClassType() const;

  const AnsiString& ClassName() const;
  const TClass* ClassParent() const;
  // True for the object's own class and every ancestor; false for null.
  bool InheritsFrom(const TClass* aClass) const;
  bool InheritsFrom(const TClass& aClass) const { return InheritsFrom(&aClass); }

  // "is" and "as": C++ types underneath, so they also work for classes that
  // share a record with their parent.
  template <class T>
  bool Is() const {
    return dynamic_cast<const T*>(this) != nullptr;
  }
  // EInvalidCast "Invalid class typecast: TX is not a TY" when it is not.
  template <class T>
  T* As() {
    if (auto* result = dynamic_cast<T*>(this)) return result;
    RaiseInvalidCast(T::KulrClassName);
  }
  template <class T>
  const T* As() const {
    if (auto* result = dynamic_cast<const T*>(this)) return result;
    RaiseInvalidCast(T::KulrClassName);
  }

  // The code half of the published method of that name (ignoring ASCII case,
  // searching the parent chain); nullptr when there is none.
  void* MethodAddress(std::string_view name) const;

  // Runs after the last constructor (NewObject, TClass::Create) and before
  // any destructor (Free). Overrides call the inherited hook; a component's
  // BeforeDestruction frees what it owns, so an override does its own work
  // first and calls the inherited one last.
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
  // Runs first of all in Free, before any BeforeDestruction override, so
  // that those already see the object as being destroyed (a component sets
  // csDestroying here). Must be idempotent.
  virtual void Destroying() {}

private:
  [[noreturn]] void RaiseInvalidCast(const char* className) const;
};

// Destroys obj the way every component must be destroyed: Destroying and
// BeforeDestruction while the object is whole, then delete. Null is allowed. If
// BeforeDestruction raises, the object is deleted all the same and the
// exception passes on.
void Free(TObject* obj);

template <class T>
void FreeAndNil(T*& obj) {
  T* doomed = obj;
  obj = nullptr;
  Free(doomed);
}

// Creates a T and runs its AfterConstruction; if that raises, the object is
// freed and the exception passes on.
template <class T, class... TArgs>
T* NewObject(TArgs&&... args) {
  static_assert(std::is_base_of_v<TObject, T>, "NewObject creates TObject descendants");
  T* obj = new T(static_cast<TArgs&&>(args)...);
  try {
    obj->AfterConstruction();
  } catch (...) {
    Free(obj);
    throw;
  }
  return obj;
}

// The class record: what the type information knows about one class. Look-ups
// by name ignore ASCII case and search the parent chain, nearest class first.
class TClass {
public:
  using TFactory = TObject* (*)(TComponent* owner);

  TClass(const TClass&) = delete;
  TClass& operator=(const TClass&) = delete;

  const AnsiString& ClassName() const { return FName; }
  const TClass* ClassParent() const { return FParent; }
  // True for this class and every descendant of other; false for null.
  bool InheritsFrom(const TClass* other) const;
  bool InheritsFrom(const TClass& other) const { return InheritsFrom(&other); }

  // Abstract classes have no factory and cannot be created by name.
  bool IsAbstract() const { return FFactory == nullptr; }
  // Creates an instance with that owner and runs its AfterConstruction.
  // EInvalidOperation "Cannot create an instance of the abstract class TX".
  TObject* Create(TComponent* owner) const;

  // Published members declared by this class itself, in declaration order.
  const std::vector<const TPropInfo*>& DeclaredProperties() const { return FProperties; }
  const std::vector<const TMethodEntry*>& DeclaredMethods() const { return FMethods; }
  const std::vector<const TFieldInfo*>& DeclaredFields() const { return FFields; }

  // Every published property, the root class's first, each class's in
  // declaration order. A property a class publishes again under the same
  // name replaces its ancestor's at the ancestor's position.
  std::vector<const TPropInfo*> Properties() const;

  // nullptr when absent.
  const TPropInfo* FindProperty(std::string_view name) const;
  const TMethodEntry* FindMethod(std::string_view name) const;
  const TFieldInfo* FindField(std::string_view name) const;
  // The code half of a published method; nullptr when absent.
  void* MethodAddress(std::string_view name) const;

private:
  template <class T>
  friend class TClassBuilder;
  friend class TObject;

  TClass(AnsiString name, const TClass* parent);

  AnsiString FName;
  const TClass* FParent = nullptr;
  TFactory FFactory = nullptr;
  std::vector<const TPropInfo*> FProperties;
  std::vector<const TMethodEntry*> FMethods;
  std::vector<const TFieldInfo*> FFields;
};

// ---- The by-name registry the form reader creates classes from ----
// Registering a class twice is harmless; registering another class under a
// name already taken raises EInvalidOperation "A class named TX already
// exists".
void RegisterClass(const TClass& aClass);
void RegisterClasses(std::initializer_list<const TClass*> classes);
void UnRegisterClass(const TClass& aClass);
// Ignores ASCII case; nullptr when no class of that name is registered.
const TClass* FindClass(std::string_view name);
