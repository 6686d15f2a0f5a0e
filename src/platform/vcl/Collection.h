// Collections: an ordered list of items of one item class that a component
// publishes as one property (a list view's columns, a status bar's panels).
// The collection owns its items and frees them with itself; each item knows
// its collection, its position and an ID that stays the same while the item
// lives and is never given to another item of that collection. Changes are
// reported to the collection's Update (overridden by the collection a
// control keeps, so that the control follows its items); BeginUpdate and
// EndUpdate fold any number of changes into one Update at the outermost end.
//
// Items are not components: they have no name and no owner of their own, and
// a form resource writes them inline as "Columns = < item ... end >" (the
// form reader and writer find collection properties with
// IsCollectionProperty).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/TypInfo.h"

class TCollection;

// Why the collection's Notify runs: an item joined it, leaves it alive
// (moved to another collection or detached), or is being freed.
KULR_ENUM(TCollectionNotification, cnAdded, cnExtracting, cnDeleting)

class TCollectionItem : public TPersistent {
  KULR_CLASS(TCollectionItem, TPersistent)

  // A new item belongs to no collection; TCollection::Add makes items and
  // inserts them.
  TCollectionItem() = default;
  // An item still in a collection leaves it. Free it (or Delete it) rather
  // than delete it: only then is it still whole when the collection's Notify
  // sees it go.
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  // Moves the item to another collection (at its end, with a new ID there)
  // or, for null, detaches it: the caller then owns it. EInvalidOperation
  // when the item is not of the new collection's item class.
  void SetCollection(TCollection* value);

  // The position in the collection; -1 when detached.
  int Index() const;
  // Moves the item to that position, the others closing up. EListError
  // "List index out of bounds (i)" outside 0..Count-1; EInvalidOperation on a
  // detached item.
  void SetIndex(int value);
  // Unique in the collection for as long as it lives; -1 when detached.
  int ID() const { return FID; }

  // The text a designer or a message shows for the item; the class name
  // unless a descendant overrides GetDisplayName.
  AnsiString DisplayName() const { return GetDisplayName(); }
  // Descendants with a name of their own store it; the default only reports
  // the change.
  virtual void SetDisplayName(const AnsiString& value);

  // "ListView1.Columns[2]": the collection's path and the index; the class
  // name when detached.
  AnsiString GetNamePath() const override;

  void BeforeDestruction() override;

protected:
  // Tells the collection that this item (allItems false) or every item
  // changed; during an update the collection only notes it.
  virtual void Changed(bool allItems);
  virtual AnsiString GetDisplayName() const;
  TPersistent* GetOwner() const override;

private:
  friend class TCollection;

  TCollection* FCollection = nullptr;
  int FID = -1;
};

class TCollection : public TPersistent {
  KULR_CLASS(TCollection, TPersistent)

  // Makes one detached item of the item class (NewObject<T>), for item
  // classes whose own class record cannot create them (a C++ descendant
  // without KULR_CLASS, an item that needs constructor arguments).
  using TItemFactory = std::function<TCollectionItem*()>;

  // itemClass must be TCollectionItem or a descendant, and creatable by its
  // class record unless a factory is given (EInvalidOperation otherwise).
  // owner is the object that publishes the collection (GetNamePath).
  explicit TCollection(const TClass& itemClass, TPersistent* owner = nullptr, TItemFactory factory = {});
  // Frees the items, last first, without notifications: whoever watches
  // the collection is going away with it.
  ~TCollection() override;

  const TClass& ItemClass() const { return *FItemClass; }
  TPersistent* Owner() const { return FOwner; }

  int Count() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (i)".
  TCollectionItem* Items(int index) const;
  // Items(index)->Assign(value).
  void SetItem(int index, const TCollectionItem* value);

  // A new item of the item class at the end.
  TCollectionItem* Add();
  // A new item at index (0..Count); the range is checked before anything is
  // created. One Update for the whole insertion.
  TCollectionItem* Insert(int index);
  // Frees the item at index (EListError outside the range).
  void Delete(int index);
  // Frees every item, last first, as one update. IDs are not reused after.
  void Clear();
  // The item with that ID; nullptr when none has it.
  TCollectionItem* FindItemID(int id) const;

  // Changes between the outermost BeginUpdate and its EndUpdate raise one
  // Update(nullptr) at that EndUpdate (none when nothing changed).
  // EndUpdate without BeginUpdate raises EInvalidOperation.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // From another TCollection: its items copied in order, each by its item
  // class's Assign, as one update. When an item refuses the copy, the
  // collection is left as it was. Other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

  // "ListView1.Columns": the owner's path and the name of the owner's
  // published property that holds this collection; the class name when the
  // collection has no owner or the owner does not publish it.
  AnsiString GetNamePath() const override;

protected:
  // After any change outside an update: item is the one that changed, or
  // null when the change concerns the whole collection (items added,
  // removed, moved, or a finished update).
  virtual void Update(TCollectionItem* item);
  // An item joined the collection (cnAdded, already in place), is leaving
  // it alive (cnExtracting) or is being freed (cnDeleting); for the last
  // two it is still in place, and for cnDeleting still whole.
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  // Update(nullptr) now, or once at the end of the running update.
  void Changed();
  TPersistent* GetOwner() const override { return FOwner; }

private:
  friend class TCollectionItem;

  TCollectionItem* CreateItem() const;
  void InsertItem(TCollectionItem* item);
  // Takes item out of the list whatever Notify does, then reports the
  // change; rethrows the first error only when mayThrow.
  void RemoveItem(TCollectionItem* item, TCollectionNotification action, bool mayThrow);
  void ItemChanged(TCollectionItem* item);
  void MoveItem(TCollectionItem* item, int newIndex);
  [[noreturn]] static void IndexError(int index);

  const TClass* FItemClass;
  TPersistent* FOwner;
  TItemFactory FFactory;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
  bool FChangedInUpdate = false;
  bool FDestroying = false;
};

// Whether the class is TCollection or a descendant (null: false).
bool IsCollectionClass(const TClass* aClass);
// Whether prop is a class property of a TCollection descendant: its value is
// written and read as "< item ... end >", filling the collection the
// property holds.
bool IsCollectionProperty(const TPropInfo& prop);
