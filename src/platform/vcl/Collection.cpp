#include "platform/vcl/Collection.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/ClassBuilder.h"

// ---- Class records ----

const TClass& TCollectionItem::StaticClass() {
  static const TClass& record = TClassBuilder<TCollectionItem>().Factory().Build();
  return record;
}

// No factory: a collection cannot be made without its item class, so it is
// never created by name (the component that publishes it makes it).
const TClass& TCollection::StaticClass() {
  static const TClass& record = TClassBuilder<TCollection>().Build();
  return record;
}

bool IsCollectionClass(const TClass* aClass) {
  return aClass != nullptr && aClass->InheritsFrom(TCollection::StaticClass());
}

bool IsCollectionProperty(const TPropInfo& prop) {
  return prop.Kind() == tkClass && IsCollectionClass(prop.PropType().ClassType());
}

// ---- TCollectionItem ----

TCollectionItem::~TCollectionItem() {
  // Reached without Free (a plain delete): leave the collection all the same,
  // so that it does not keep a dangling pointer. Nothing may escape here.
  if (FCollection != nullptr) {
    try {
      FCollection->RemoveItem(this, cnDeleting, false);
    } catch (...) {
    }
  }
}

void TCollectionItem::BeforeDestruction() {
  TPersistent::BeforeDestruction();
  // Here the item is still whole, so the collection's Notify may look at it.
  if (FCollection != nullptr) FCollection->RemoveItem(this, cnDeleting, true);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == FCollection) return;
  if (value != nullptr && !InheritsFrom(value->ItemClass())) {
    throw EInvalidOperation("Cannot put a " + ClassName() + " into a collection of " +
                            value->ItemClass().ClassName());
  }
  // The item leaves its old collection even when a handler there raises,
  // and then joins the new one, so that it is never left without an owner
  // the caller did not ask for.
  std::exception_ptr error;
  if (FCollection != nullptr) {
    try {
      FCollection->RemoveItem(this, cnExtracting, true);
    } catch (...) {
      error = std::current_exception();
    }
  }
  if (value != nullptr) value->InsertItem(this);
  if (error) std::rethrow_exception(error);
}

int TCollectionItem::Index() const {
  if (FCollection == nullptr) return -1;
  const auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  if (FCollection == nullptr) {
    throw EInvalidOperation("The " + ClassName() + " belongs to no collection; it has no index to set");
  }
  FCollection->MoveItem(this, value);
}

AnsiString TCollectionItem::GetNamePath() const {
  if (FCollection == nullptr) return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool allItems) {
  if (FCollection == nullptr) return;
  if (allItems)
    FCollection->Changed();
  else
    FCollection->ItemChanged(this);
}

AnsiString TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const AnsiString&) { Changed(false); }

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

// ---- TCollection: construction ----

TCollection::TCollection(const TClass& itemClass, TPersistent* owner, TItemFactory factory)
    : FItemClass(&itemClass), FOwner(owner), FFactory(std::move(factory)) {
  if (!itemClass.InheritsFrom(TCollectionItem::StaticClass())) {
    throw EInvalidOperation("A collection's item class must be a TCollectionItem, not a " + itemClass.ClassName());
  }
  if (!FFactory && itemClass.IsAbstract()) {
    throw EInvalidOperation("The item class " + itemClass.ClassName() +
                            " cannot be created by its class record and no item factory was given");
  }
}

TCollection::~TCollection() {
  FDestroying = true;
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    FItems.pop_back();
    item->FCollection = nullptr;
    try {
      Free(item);
    } catch (...) {
      // A destructor lets nothing escape; the item is gone either way.
    }
  }
}

// ---- Items ----

void TCollection::IndexError(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return FItems[static_cast<size_t>(index)];
}

void TCollection::SetItem(int index, const TCollectionItem* value) { Items(index)->Assign(value); }

TCollectionItem* TCollection::CreateItem() const {
  if (FFactory) {
    TCollectionItem* item = FFactory();
    if (item == nullptr) throw EInvalidOperation("The item factory of a " + ClassName() + " made no item");
    if (!item->InheritsFrom(*FItemClass)) {
      AnsiString made = item->ClassName();
      Free(item);
      throw EInvalidOperation("The item factory made a " + made + ", not a " + FItemClass->ClassName());
    }
    return item;
  }
  TObject* made = FItemClass->Create(nullptr);
  // A class record's factory makes its own class; checked all the same,
  // because a record can be shared by a C++ class without one of its own.
  auto* item = dynamic_cast<TCollectionItem*>(made);
  if (item == nullptr) {
    AnsiString name = made->ClassName();
    Free(made);
    throw EInvalidOperation("The class record " + FItemClass->ClassName() + " made a " + name +
                            ", which is not a TCollectionItem");
  }
  return item;
}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item, TCollectionNotification action, bool mayThrow) {
  std::exception_ptr error;
  if (!FDestroying) {
    try {
      Notify(item, action);
    } catch (...) {
      error = std::current_exception();
    }
  }
  // Looked up after Notify, which may have moved items around.
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it != FItems.end()) FItems.erase(it);
  item->FCollection = nullptr;
  item->FID = -1;
  try {
    Changed();
  } catch (...) {
    if (!error) error = std::current_exception();
  }
  if (error && mayThrow) std::rethrow_exception(error);
}

void TCollection::MoveItem(TCollectionItem* item, int newIndex) {
  if (newIndex < 0 || newIndex >= Count()) IndexError(newIndex);
  auto from = std::find(FItems.begin(), FItems.end(), item);
  auto to = FItems.begin() + newIndex;
  if (from == to) return;
  if (from < to)
    std::rotate(from, from + 1, to + 1);
  else
    std::rotate(to, from, from + 1);
  Changed();
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = CreateItem();
  InsertItem(item);
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  // Checked first: a bad index must not leave a new item at the end.
  if (index < 0 || index > Count()) IndexError(index);
  BeginUpdate();
  TCollectionItem* item = nullptr;
  try {
    item = Add();
    MoveItem(item, index);
  } catch (...) {
    try {
      EndUpdate();
    } catch (...) {
    }
    throw;
  }
  EndUpdate();
  return item;
}

void TCollection::Delete(int index) { Free(Items(index)); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) Free(FItems.back());
  } catch (...) {
    try {
      EndUpdate();
    } catch (...) {
    }
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : FItems) {
    if (item->FID == id) return item;
  }
  return nullptr;
}

// ---- Updates ----

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount == 0) throw EInvalidOperation(ClassName() + ".EndUpdate without BeginUpdate");
  if (--FUpdateCount > 0 || !FChangedInUpdate) return;
  FChangedInUpdate = false;
  Update(nullptr);
}

void TCollection::Changed() {
  if (FDestroying) return;
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
    return;
  }
  Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) {
  if (FDestroying) return;
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
    return;
  }
  Update(item);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

// ---- Assign and names ----

void TCollection::Assign(const TPersistent* source) {
  // Copying into itself would clear the source before reading it.
  if (source == this) return;
  auto* other = dynamic_cast<const TCollection*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  // The copies are made detached first, so that an item refusing the copy
  // leaves this collection untouched.
  std::vector<TCollectionItem*> copies;
  auto freeCopies = [&copies](size_t from) {
    for (size_t i = from; i < copies.size(); ++i) {
      try {
        Free(copies[i]);
      } catch (...) {
      }
    }
  };
  try {
    copies.reserve(other->FItems.size());
    for (const TCollectionItem* item : other->FItems) {
      copies.push_back(CreateItem());
      copies.back()->Assign(item);
    }
  } catch (...) {
    freeCopies(0);
    throw;
  }
  BeginUpdate();
  size_t inserted = 0;
  try {
    Clear();
    for (; inserted < copies.size(); ++inserted) InsertItem(copies[inserted]);
  } catch (...) {
    // InsertItem has taken the item it was given even when a handler
    // raised; the rest are still the caller's to free.
    freeCopies(inserted + (inserted < copies.size() && copies[inserted]->FCollection == this ? 1 : 0));
    try {
      EndUpdate();
    } catch (...) {
    }
    throw;
  }
  EndUpdate();
}

AnsiString TCollection::GetNamePath() const {
  if (FOwner == nullptr) return ClassName();
  AnsiString ownerPath = FOwner->GetNamePath();
  if (ownerPath.empty()) return ClassName();
  for (const TPropInfo* prop : GetPropList(FOwner)) {
    if (IsCollectionProperty(*prop) && GetObjectProp(FOwner, *prop) == this) return ownerPath + "." + prop->Name();
  }
  return ClassName();
}
