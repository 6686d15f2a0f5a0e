#include "platform/vcl/Object.h"

#include <map>
#include <mutex>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/TypInfo.h"

// ---- TObject ----

TObject::~TObject() = default;

const TClass& TObject::StaticClass() {
  static const TClass& record = TClassBuilder<TObject>().Factory().Build();
  return record;
}

const TClass* TObject::ClassType() const { return &StaticClass(); }

const AnsiString& TObject::ClassName() const { return ClassType()->ClassName(); }

const TClass* TObject::ClassParent() const { return ClassType()->ClassParent(); }

bool TObject::InheritsFrom(const TClass* aClass) const { return ClassType()->InheritsFrom(aClass); }

void* TObject::MethodAddress(std::string_view name) const { return ClassType()->MethodAddress(name); }

void TObject::RaiseInvalidCast(const char* className) const {
  throw EInvalidCast("Invalid class typecast: " + ClassName() + " is not a " + className);
}

void Free(TObject* obj) {
  if (obj == nullptr) return;
  try {
    obj->Destroying();
    obj->BeforeDestruction();
  } catch (...) {
    // The object is torn down half-way; keeping it would leak it and leave
    // its owner pointing at it, so it goes all the same.
    delete obj;
    throw;
  }
  delete obj;
}

// ---- TClass ----

TClass::TClass(AnsiString name, const TClass* parent) : FName(std::move(name)), FParent(parent) {}

bool TClass::InheritsFrom(const TClass* other) const {
  for (const TClass* c = this; c != nullptr; c = c->FParent)
    if (c == other) return true;
  return false;
}

TObject* TClass::Create(TComponent* owner) const {
  if (FFactory == nullptr)
    throw EInvalidOperation("Cannot create an instance of the abstract class " + FName);
  TObject* obj = FFactory(owner);
  try {
    obj->AfterConstruction();
  } catch (...) {
    Free(obj);
    throw;
  }
  return obj;
}

std::vector<const TPropInfo*> TClass::Properties() const {
  std::vector<const TClass*> chain;
  for (const TClass* c = this; c != nullptr; c = c->FParent) chain.push_back(c);
  std::vector<const TPropInfo*> result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const TPropInfo* prop : (*it)->FProperties) {
      bool replaced = false;
      for (const TPropInfo*& existing : result) {
        if (SameText(existing->Name(), prop->Name())) {
          existing = prop;
          replaced = true;
          break;
        }
      }
      if (!replaced) result.push_back(prop);
    }
  }
  return result;
}

const TPropInfo* TClass::FindProperty(std::string_view name) const {
  for (const TClass* c = this; c != nullptr; c = c->FParent)
    for (const TPropInfo* prop : c->FProperties)
      if (SameText(prop->Name(), name)) return prop;
  return nullptr;
}

const TMethodEntry* TClass::FindMethod(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const TClass* c = this; c != nullptr; c = c->FParent)
    for (const TMethodEntry* entry : c->FMethods)
      if (SameText(entry->Name(), name)) return entry;
  return nullptr;
}

const TFieldInfo* TClass::FindField(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const TClass* c = this; c != nullptr; c = c->FParent)
    for (const TFieldInfo* field : c->FFields)
      if (SameText(field->Name(), name)) return field;
  return nullptr;
}

void* TClass::MethodAddress(std::string_view name) const {
  const TMethodEntry* entry = FindMethod(name);
  return entry != nullptr ? entry->Code() : nullptr;
}

// ---- Registry ----

namespace {

struct TClassRegistry {
  std::mutex Mutex;
  std::map<AnsiString, const TClass*> ByName;  // key: upper-cased name
};

// Never destroyed: static destructors may still look classes up.
TClassRegistry& Registry() {
  static TClassRegistry* registry = new TClassRegistry;
  return *registry;
}

}  // namespace

void RegisterClass(const TClass& aClass) {
  TClassRegistry& registry = Registry();
  std::lock_guard lock(registry.Mutex);
  auto [it, inserted] = registry.ByName.emplace(UpperCase(aClass.ClassName()), &aClass);
  if (!inserted && it->second != &aClass)
    throw EInvalidOperation("A class named " + aClass.ClassName() + " already exists");
}

void RegisterClasses(std::initializer_list<const TClass*> classes) {
  for (const TClass* aClass : classes) {
    if (aClass == nullptr) throw EInvalidOperation("RegisterClasses: a null class record");
    RegisterClass(*aClass);
  }
}

void UnRegisterClass(const TClass& aClass) {
  TClassRegistry& registry = Registry();
  std::lock_guard lock(registry.Mutex);
  auto it = registry.ByName.find(UpperCase(aClass.ClassName()));
  if (it != registry.ByName.end() && it->second == &aClass) registry.ByName.erase(it);
}

const TClass* FindClass(std::string_view name) {
  TClassRegistry& registry = Registry();
  std::lock_guard lock(registry.Mutex);
  auto it = registry.ByName.find(UpperCase(name));
  return it != registry.ByName.end() ? it->second : nullptr;
}
