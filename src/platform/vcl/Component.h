// TPersistent (assignment between objects, name paths) and TComponent: the
// named, owned object every form part is. An owner keeps its components in
// ownership order and frees them last-first; a name is an identifier unique
// among the owner's components and binds the owner's published field of
// that name; components tell each other when one of them goes away.
//
// Destruction: components are destroyed through Free() (Object.h), which
// first marks the component and what it owns as destroying (csDestroying is
// already set when any BeforeDestruction override runs). TComponent's
// BeforeDestruction then tells every component that asked for a free
// notification, frees the owned components most recent first and leaves
// the owner, all while the whole object is intact, so overrides of
// Notification still run. A derived class that overrides BeforeDestruction
// does its own work first and calls TComponent::BeforeDestruction last. A
// plain delete (a component on the stack) does the same steps from
// ~TComponent, where only TComponent's own overrides are left to run.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Object.h"
#include "platform/vcl/TypInfo.h"

// A bad or duplicate component name, or a component operation that does
// not fit the ownership.
class EComponentError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EComponentError"; }
};

class TPersistent : public TObject {
  KULR_CLASS(TPersistent, TObject)

  // Copies source into this object. The default asks the source
  // (AssignTo); when neither knows the other's class it raises EConvertError
  // "Cannot assign a TSource to a TDest" ("nil" for a null source).
  virtual void Assign(const TPersistent* source);
  // "Owner.Name"-style path for messages and the designer: the class name,
  // behind the owner's path when there is one.
  virtual AnsiString GetNamePath() const;

protected:
  // Copies this object into dest; the default raises the assign error.
  virtual void AssignTo(TPersistent* dest) const;
  // The object this one belongs to for GetNamePath; none by default.
  virtual TPersistent* GetOwner() const { return nullptr; }
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

// Exactly the state flags a component can have (Parts compare whole sets).
KULR_ENUM(TComponentStateItem, csLoading, csReading, csDesigning, csDestroying, csAncestor)
KULR_SET(TComponentState, TComponentStateItem);

KULR_ENUM(TOperation, opInsert, opRemove)

class TComponent : public TPersistent {
  KULR_CLASS(TComponent, TPersistent)

  // Joins owner's components (owner may be null); a designing owner makes
  // the component designing before any derived constructor runs.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  // ---- Name ----
  const AnsiString& Name() const { return FName; }
  // An identifier (letters, digits, "_", not starting with a digit) or
  // empty, unique among the owner's components ignoring ASCII case.
  // EComponentError "\"1x\" is not a valid component name" / "A component
  // named X already exists". The owner's published field of the old name is
  // cleared and the field of the new name bound; a field of a class the
  // component is not raises EComponentError before anything changes.
  void SetName(const AnsiString& name);
  AnsiString GetNamePath() const override { return FName; }

  int32_t Tag() const { return FTag; }
  void SetTag(int32_t tag) { FTag = tag; }

  // ---- Ownership ----
  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  // EListError "List index out of bounds (i)".
  TComponent* Components(int index) const;
  // The position in the owner's list; -1 without owner.
  int ComponentIndex() const;
  // Takes component over from its current owner (if any). Raises before
  // anything changes when the name is taken here.
  void InsertComponent(TComponent* component);
  // EComponentError when this does not own component.
  void RemoveComponent(TComponent* component);
  // Ignores ASCII case; nullptr for an empty or unknown name.
  TComponent* FindComponent(std::string_view name) const;
  // Frees every owned component, most recent first.
  void DestroyComponents();

  // ---- State ----
  TComponentState ComponentState() const { return FComponentState; }
  // Sets or clears csDesigning here and in every owned component.
  void SetDesigning(bool value, bool setChildren = true);
  // For the form reader: csReading and csAncestor, this component only.
  void SetReading(bool value);
  void SetAncestor(bool value);
  // Marks the component as being loaded (csLoading); Loaded clears it.
  virtual void Loading();
  virtual void Loaded();
  // Marks this component and everything it owns as destroying (csDestroying).
  // Free calls it before BeforeDestruction.
  void Destroying() override;

  // ---- Free notification ----
  // Both components are told (Notification(x, opRemove)) when the other
  // goes away; each is told once, however often this is called.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // ---- Form reader hooks ----
  // Called with the component the reader nests this one in; controls take
  // it as their parent. Does nothing here.
  virtual void SetParentComponent(TComponent* parent);
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }

  void BeforeDestruction() override;

  // A component was inserted into or removed from this owner, or a
  // component this one watches is going away. The default forgets a removed
  // component's free notification and passes the news to every owned
  // component. Public so that any component may pass news on.
  virtual void Notification(TComponent* component, TOperation operation);

protected:
  TPersistent* GetOwner() const override { return FOwner; }

private:
  void ValidateRename(const TComponent* component, std::string_view oldName,
                      std::string_view newName) const;
  const TFieldInfo* CheckedField(const TComponent* component, std::string_view name) const;
  void SetReference(bool enable);
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void TearDown(bool mayThrow);

  AnsiString FName;
  int32_t FTag = 0;
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
  bool FTornDown = false;
};

// Whether name can name a component: an ASCII identifier or empty.
bool IsValidComponentName(std::string_view name);

// Registers TPersistent and TComponent for the form reader.
void RegisterCoreClasses();
