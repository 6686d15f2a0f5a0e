#include "platform/vcl/Component.h"

#include <algorithm>
#include <exception>

#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"

// ---- TPersistent ----

const TClass& TPersistent::StaticClass() {
  static const TClass& record = TClassBuilder<TPersistent>().Build();
  return record;
}

void TPersistent::Assign(const TPersistent* source) {
  if (source == nullptr) AssignError(nullptr);
  source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  AnsiString sourceName = source != nullptr ? source->ClassName() : AnsiString("nil");
  throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

AnsiString TPersistent::GetNamePath() const {
  AnsiString path = ClassName();
  if (TPersistent* owner = GetOwner()) {
    AnsiString ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) path = ownerPath + "." + path;
  }
  return path;
}

// ---- TComponent: class record ----

const TClass& TComponent::StaticClass() {
  static const TTypeInfo componentName = TTypeInfo::Simple(tkString, "TComponentName");
  // Name is not stored as a property: a form resource gives it in the
  // object's header line.
  static const TClass& record = TClassBuilder<TComponent>()
                                    .Property("Name", &TComponent::Name, &TComponent::SetName, componentName)
                                    .Stored(false)
                                    .Property("Tag", &TComponent::Tag, &TComponent::SetTag)
                                    .Default(0)
                                    .Factory()
                                    .Build();
  return record;
}

void RegisterCoreClasses() {
  RegisterClasses({&TPersistent::StaticClass(), &TComponent::StaticClass()});
}

bool IsValidComponentName(std::string_view name) { return name.empty() || IsValidIdent(name); }

// ---- Construction and destruction ----

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Reached without Free (a component on the stack, a plain delete): the same
  // steps, with only TComponent's own overrides left to run. Nothing may
  // escape a destructor.
  TearDown(false);
}

void TComponent::BeforeDestruction() {
  TPersistent::BeforeDestruction();
  TearDown(true);
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* component : FComponents) component->Destroying();
}

void TComponent::TearDown(bool mayThrow) {
  if (FTornDown) return;
  FTornDown = true;
  // Every step runs even when an earlier one raised: stopping half-way would
  // leave owned components alive with a dangling owner.
  std::exception_ptr firstError;
  auto step = [&firstError](auto&& action) {
    try {
      action();
    } catch (...) {
      if (!firstError) firstError = std::current_exception();
    }
  };
  Destroying();
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& theirs = other->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    step([&] { other->Notification(this, opRemove); });
  }
  while (!FComponents.empty()) {
    TComponent* component = FComponents.back();
    step([&] { RemoveComponent(component); });
    // RemoveComponent leaves it in the list only when a handler raised.
    if (!FComponents.empty() && FComponents.back() == component) {
      step([&] { component->SetReference(false); });
      Remove(component);
    }
    step([&] { Free(component); });
  }
  if (FOwner != nullptr) {
    TComponent* owner = FOwner;
    step([&] { owner->RemoveComponent(this); });
    if (FOwner != nullptr) {
      step([&] { SetReference(false); });
      owner->Remove(this);
    }
  }
  if (firstError && mayThrow) std::rethrow_exception(firstError);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* component = FComponents.back();
    RemoveComponent(component);
    Free(component);
  }
}

// ---- Name ----

void TComponent::SetName(const AnsiString& name) {
  if (name == FName) return;
  if (!IsValidComponentName(name))
    throw EComponentError("'" + name + "' is not a valid component name");
  if (FOwner != nullptr) {
    FOwner->ValidateRename(this, FName, name);
    FOwner->CheckedField(this, name);
  }
  SetReference(false);
  FName = name;
  SetReference(true);
}

void TComponent::ValidateRename(const TComponent* component, std::string_view oldName,
                                std::string_view newName) const {
  if (newName.empty() || SameText(oldName, newName)) return;
  const TComponent* existing = FindComponent(newName);
  if (existing != nullptr && existing != component)
    throw EComponentError("A component named " + AnsiString(newName) + " already exists");
}

const TFieldInfo* TComponent::CheckedField(const TComponent* component, std::string_view name) const {
  if (name.empty()) return nullptr;
  const TFieldInfo* field = ClassType()->FindField(name);
  if (field != nullptr && !field->Accepts(component))
    throw EComponentError("Field " + ClassName() + "." + field->Name() + " holds a " +
                          field->FieldType().Name() + "; the " + component->ClassName() + " named " +
                          AnsiString(name) + " cannot be bound to it");
  return field;
}

void TComponent::SetReference(bool enable) {
  if (FOwner == nullptr || FName.empty()) return;
  const TFieldInfo* field = FOwner->ClassType()->FindField(FName);
  if (field == nullptr) return;
  if (enable)
    field->Set(FOwner, this);
  else if (field->Get(FOwner) == this)  // never clear a field that now holds another object
    field->Set(FOwner, nullptr);
}

// ---- Ownership ----

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return FComponents[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (FOwner == nullptr) return -1;
  const auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it != list.end() ? static_cast<int>(it - list.begin()) : -1;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component == nullptr) throw EComponentError("Cannot insert a nil component into " + GetNamePath());
  if (component->FOwner == this) return;
  // An ownership cycle would make each free the other for ever.
  for (const TComponent* c = this; c != nullptr; c = c->FOwner)
    if (c == component)
      throw EComponentError("A component cannot own itself or its own owner (" +
                            component->ClassName() + " " + component->FName + ")");
  if (component->FComponentState.Contains(csDestroying) || FComponentState.Contains(csDestroying))
    throw EComponentError("Cannot insert a component while either is being destroyed");
  ValidateRename(component, "", component->FName);
  CheckedField(component, component->FName);
  if (component->FOwner != nullptr) component->FOwner->RemoveComponent(component);
  Insert(component);
  component->SetReference(true);
  if (FComponentState.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->FOwner != this)
    throw EComponentError("Cannot remove a component that " + ClassName() + " does not own");
  Notification(component, opRemove);
  component->SetReference(false);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  FComponents.push_back(component);
  component->FOwner = this;
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(FComponents.begin(), FComponents.end(), component);
  if (it != FComponents.end()) FComponents.erase(it);
  component->FOwner = nullptr;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : FComponents)
    if (SameText(component->FName, name)) return component;
  return nullptr;
}

// ---- State ----

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  if (setChildren)
    for (TComponent* component : FComponents) component->SetDesigning(value, true);
}

void TComponent::SetReading(bool value) {
  if (value)
    FComponentState.Include(csReading);
  else
    FComponentState.Exclude(csReading);
}

void TComponent::SetAncestor(bool value) {
  if (value)
    FComponentState.Include(csAncestor);
  else
    FComponentState.Exclude(csAncestor);
}

void TComponent::Loading() { FComponentState.Include(csLoading); }

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

// ---- Notification ----

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  // Components of one owner hear of each other through that owner already;
  // a second link would tell them twice.
  if (FOwner != nullptr && component->FOwner == FOwner) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
    FFreeNotifies.push_back(component);
  auto& theirs = component->FFreeNotifies;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component),
                      FFreeNotifies.end());
  auto& theirs = component->FFreeNotifies;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component != nullptr) RemoveFreeNotification(component);
  // Walk from the end and re-check the bound each time: a handler may free
  // or add components while the news goes round.
  for (int i = ComponentCount() - 1; i >= 0; --i) {
    if (i >= ComponentCount()) {
      i = ComponentCount();
      continue;
    }
    FComponents[static_cast<size_t>(i)]->Notification(component, operation);
  }
}

void TComponent::SetParentComponent(TComponent*) {}
