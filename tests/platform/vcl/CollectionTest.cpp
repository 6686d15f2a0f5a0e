// Collections and their items: order and index moves, IDs, range errors,
// the notifications a collection's owner follows (Notify per item, one
// Update per change or per outermost update), Assign, name paths, item
// factories and ownership.
#include "platform/vcl/Collection.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/TypInfo.h"

namespace {

// Notifications and item destructions, in order.
std::vector<std::string> gLog;
int gLiveItems = 0;

class TProbeItem : public TCollectionItem {
  KULR_CLASS(TProbeItem, TCollectionItem)
  TProbeItem() { ++gLiveItems; }
  ~TProbeItem() override { --gLiveItems; }

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& value) {
    if (value == FCaption) return;
    FCaption = value;
    Changed(false);
  }
  void Assign(const TPersistent* source) override {
    if (auto* other = dynamic_cast<const TProbeItem*>(source)) {
      SetCaption(other->FCaption);
      return;
    }
    TCollectionItem::Assign(source);
  }

protected:
  // The caption, or "_" for an item without one.
  AnsiString GetDisplayName() const override { return FCaption.empty() ? AnsiString("_") : FCaption; }

private:
  AnsiString FCaption;
};

const TClass& TProbeItem::StaticClass() {
  static const TClass& record =
      TClassBuilder<TProbeItem>().Property("Caption", &TProbeItem::Caption, &TProbeItem::SetCaption).Factory().Build();
  return record;
}

// An item Assign refuses to copy into or from.
class TStrangerItem : public TCollectionItem {
  KULR_CLASS(TStrangerItem, TCollectionItem)
};

const TClass& TStrangerItem::StaticClass() {
  static const TClass& record = TClassBuilder<TStrangerItem>().Factory().Build();
  return record;
}

// Its class record has no factory.
class TAbstractItem : public TCollectionItem {
  KULR_CLASS(TAbstractItem, TCollectionItem)
};

const TClass& TAbstractItem::StaticClass() {
  static const TClass& record = TClassBuilder<TAbstractItem>().Build();
  return record;
}

// A C++ descendant without a class record of its own: only a C++ factory
// can make it.
class TProbeItemEx : public TProbeItem {
public:
  int FExtra = 7;
};

const char* ActionName(TCollectionNotification action) {
  switch (action) {
    case cnAdded: return "added";
    case cnExtracting: return "extracting";
    case cnDeleting: return "deleting";
  }
  return "?";
}

class TProbeCollection : public TCollection {
  KULR_CLASS(TProbeCollection, TCollection)
  explicit TProbeCollection(TPersistent* owner = nullptr, TItemFactory factory = {})
      : TCollection(TProbeItem::StaticClass(), owner, std::move(factory)) {}

  TProbeItem* Item(int index) const { return static_cast<TProbeItem*>(Items(index)); }
  // "a b c": the items' display names in order.
  std::string Order() const {
    std::string text;
    for (int i = 0; i < Count(); ++i) text += (i ? " " : "") + Items(i)->DisplayName();
    return text;
  }

protected:
  void Update(TCollectionItem* item) override {
    gLog.push_back("update " + (item ? item->DisplayName() : AnsiString("all")));
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    gLog.push_back(std::string(ActionName(action)) + " " + item->DisplayName());
  }
};

const TClass& TProbeCollection::StaticClass() {
  static const TClass& record = TClassBuilder<TProbeCollection>().Build();
  return record;
}

// A component that publishes a collection, for name paths and the type
// information.
class TProbeOwner : public TComponent {
  KULR_CLASS(TProbeOwner, TComponent)
  explicit TProbeOwner(TComponent* owner) : TComponent(owner), FColumns(new TProbeCollection(this)) {}
  TProbeCollection* Columns() const { return FColumns.get(); }
  TComponent* Buddy() const { return nullptr; }

private:
  std::unique_ptr<TProbeCollection> FColumns;
};

const TClass& TProbeOwner::StaticClass() {
  static const TClass& record = TClassBuilder<TProbeOwner>()
                                    .Property("Columns", &TProbeOwner::Columns)
                                    .Property("Buddy", &TProbeOwner::Buddy)
                                    .Factory()
                                    .Build();
  return record;
}

template <class T>
struct TFreeDeleter {
  void operator()(T* obj) const { Free(obj); }
};
template <class T>
using TOwned = std::unique_ptr<T, TFreeDeleter<T>>;

// A collection holding items "a", "b", "c" (IDs 0, 1, 2), the log empty.
class CollectionTest : public testing::Test {
protected:
  void SetUp() override {
    gLog.clear();
    for (const char* caption : {"a", "b", "c"}) static_cast<TProbeItem*>(FItems->Add())->SetCaption(caption);
    gLog.clear();
  }
  void TearDown() override {
    FItems.reset();
    EXPECT_EQ(gLiveItems, 0) << "items leaked or freed twice";
  }

  TOwned<TProbeCollection> FItems{NewObject<TProbeCollection>()};
};

// ---- Operations and their notifications ----

struct TOperationRow {
  const char* Name;
  std::function<void(TProbeCollection&)> Action;
  std::string Order;                  // afterwards
  std::vector<std::string> Log;       // notifications, in order
};

void PrintTo(const TOperationRow& row, std::ostream* os) { *os << row.Name; }

class CollectionOperationTest : public CollectionTest, public testing::WithParamInterface<TOperationRow> {};

// Guards against items landing at the wrong place, a move that shifts the
// others the wrong way, a removal the owner does not hear of, and more (or
// fewer) than one Update per operation.
TEST_P(CollectionOperationTest, ChangesOrderAndNotifiesOnce) {
  const TOperationRow& row = GetParam();
  row.Action(*FItems);
  EXPECT_EQ(FItems->Order(), row.Order);
  EXPECT_EQ(gLog, row.Log);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CollectionOperationTest,
    testing::Values(
        TOperationRow{"Add", [](TProbeCollection& c) { c.Add(); }, "a b c _", {"added _", "update all"}},
        TOperationRow{"InsertAtFront", [](TProbeCollection& c) { c.Insert(0); }, "_ a b c", {"added _", "update all"}},
        TOperationRow{"InsertInMiddle", [](TProbeCollection& c) { c.Insert(2); }, "a b _ c", {"added _", "update all"}},
        TOperationRow{"InsertAtEnd", [](TProbeCollection& c) { c.Insert(3); }, "a b c _", {"added _", "update all"}},
        TOperationRow{"DeleteMiddle", [](TProbeCollection& c) { c.Delete(1); }, "a c", {"deleting b", "update all"}},
        TOperationRow{"FreeItemDirectly", [](TProbeCollection& c) { Free(c.Items(0)); }, "b c",
                      {"deleting a", "update all"}},
        TOperationRow{"Clear", [](TProbeCollection& c) { c.Clear(); }, "",
                      {"deleting c", "deleting b", "deleting a", "update all"}},
        TOperationRow{"MoveForward", [](TProbeCollection& c) { c.Items(0)->SetIndex(2); }, "b c a", {"update all"}},
        TOperationRow{"MoveBackward", [](TProbeCollection& c) { c.Items(2)->SetIndex(0); }, "c a b", {"update all"}},
        TOperationRow{"MoveToOwnIndex", [](TProbeCollection& c) { c.Items(1)->SetIndex(1); }, "a b c", {}},
        TOperationRow{"ItemChange", [](TProbeCollection& c) { c.Item(1)->SetCaption("B"); }, "a B c", {"update B"}},
        TOperationRow{"DisplayNameOfPlainItem", [](TProbeCollection& c) { c.Items(2)->SetDisplayName("x"); }, "a b c",
                      {"update c"}},
        TOperationRow{"SetItemAssigns",
                      [](TProbeCollection& c) {
                        TProbeItem source;
                        source.SetCaption("z");
                        c.SetItem(0, &source);
                      },
                      "z b c", {"update z"}},
        TOperationRow{"Detach",
                      [](TProbeCollection& c) {
                        TCollectionItem* item = c.Items(1);
                        item->SetCollection(nullptr);
                        EXPECT_EQ(item->Collection(), nullptr);
                        EXPECT_EQ(item->Index(), -1);
                        Free(item);  // detached: ours to free, silently
                      },
                      "a c", {"extracting b", "update all"}}),
    [](const auto& info) { return info.param.Name; });

// Guards against Clear on an empty collection telling the owner about a
// change that did not happen.
TEST_F(CollectionTest, ClearOfEmptyCollectionIsSilent) {
  FItems->Clear();
  gLog.clear();
  FItems->Clear();
  EXPECT_TRUE(gLog.empty());
}

// ---- IDs ----

// Guards against IDs that follow the position (moves would change them) or
// that are handed out again after a delete or a clear: a stored ID would
// then find another item.
TEST_F(CollectionTest, IdsAreUniqueAndNeverReused) {
  TCollectionItem* b = FItems->Items(1);
  EXPECT_EQ(b->ID(), 1);
  b->SetIndex(0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(FItems->FindItemID(1), b);

  FItems->Delete(0);  // b
  EXPECT_EQ(FItems->FindItemID(1), nullptr);
  EXPECT_EQ(FItems->Add()->ID(), 3);
  FItems->Clear();
  EXPECT_EQ(FItems->Add()->ID(), 4);
  EXPECT_EQ(FItems->FindItemID(0), nullptr);
  EXPECT_EQ(FItems->FindItemID(4), FItems->Items(0));
}

// ---- Range errors ----

struct TRangeRow {
  const char* Name;
  std::function<void(TProbeCollection&)> Action;
  std::string Message;
};

void PrintTo(const TRangeRow& row, std::ostream* os) { *os << row.Name; }

class CollectionRangeTest : public CollectionTest, public testing::WithParamInterface<TRangeRow> {};

// Guards against an index outside the collection reading past the list,
// and against a refused Insert that still leaves a new item behind.
TEST_P(CollectionRangeTest, RaisesListErrorAndChangesNothing) {
  const TRangeRow& row = GetParam();
  try {
    row.Action(*FItems);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), row.Message);
  }
  EXPECT_EQ(FItems->Order(), "a b c");
  EXPECT_TRUE(gLog.empty());
  EXPECT_EQ(gLiveItems, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, CollectionRangeTest,
    testing::Values(TRangeRow{"ItemsPastEnd", [](TProbeCollection& c) { c.Items(3); }, "List index out of bounds (3)"},
                    TRangeRow{"ItemsNegative", [](TProbeCollection& c) { c.Items(-1); }, "List index out of bounds (-1)"},
                    TRangeRow{"DeletePastEnd", [](TProbeCollection& c) { c.Delete(5); }, "List index out of bounds (5)"},
                    TRangeRow{"InsertPastEnd", [](TProbeCollection& c) { c.Insert(4); }, "List index out of bounds (4)"},
                    TRangeRow{"InsertNegative", [](TProbeCollection& c) { c.Insert(-1); },
                              "List index out of bounds (-1)"},
                    TRangeRow{"MovePastEnd", [](TProbeCollection& c) { c.Items(0)->SetIndex(3); },
                              "List index out of bounds (3)"},
                    TRangeRow{"MoveNegative", [](TProbeCollection& c) { c.Items(0)->SetIndex(-1); },
                              "List index out of bounds (-1)"},
                    TRangeRow{"SetItemPastEnd", [](TProbeCollection& c) { c.SetItem(3, c.Items(0)); },
                              "List index out of bounds (3)"}),
    [](const auto& info) { return info.param.Name; });

// Guards against a detached item silently ignoring an index it cannot have.
TEST_F(CollectionTest, DetachedItemHasNoIndexToSet) {
  TOwned<TProbeItem> loose(NewObject<TProbeItem>());
  EXPECT_EQ(loose->Index(), -1);
  EXPECT_EQ(loose->ID(), -1);
  EXPECT_THROW(loose->SetIndex(0), EInvalidOperation);
}

// ---- Updates ----

// Guards against an Update per change inside an update, an Update at an
// inner EndUpdate, a spurious one when nothing changed, and an unbalanced
// EndUpdate driving the count below zero.
TEST_F(CollectionTest, UpdateOnceAtOutermostEndUpdate) {
  FItems->BeginUpdate();
  FItems->BeginUpdate();
  FItems->Item(0)->SetCaption("A");
  FItems->Add();
  FItems->Items(0)->SetIndex(1);
  FItems->EndUpdate();
  EXPECT_EQ(gLog, (std::vector<std::string>{"added _"}));
  FItems->EndUpdate();
  EXPECT_EQ(gLog, (std::vector<std::string>{"added _", "update all"}));
  EXPECT_EQ(FItems->UpdateCount(), 0);

  gLog.clear();
  FItems->BeginUpdate();
  FItems->EndUpdate();
  EXPECT_TRUE(gLog.empty()) << "nothing changed";

  EXPECT_THROW(FItems->EndUpdate(), EInvalidOperation);
  EXPECT_EQ(FItems->UpdateCount(), 0);
  FItems->Item(0)->SetCaption("x");  // still reported at once afterwards
  EXPECT_EQ(gLog, (std::vector<std::string>{"update x"}));
}

// ---- Assign ----

// Guards against Assign sharing items with the source, keeping old items,
// losing the order, or clearing itself when given itself.
TEST_F(CollectionTest, AssignCopiesItemsInOrder) {
  TOwned<TProbeCollection> target(NewObject<TProbeCollection>());
  target->Add();
  gLog.clear();
  target->Assign(FItems.get());
  EXPECT_EQ(target->Order(), "a b c");
  EXPECT_EQ(gLog, (std::vector<std::string>{"deleting _", "added a", "added b", "added c", "update all"}));
  EXPECT_NE(target->Items(0), FItems->Items(0));
  target->Item(0)->SetCaption("changed");
  EXPECT_EQ(FItems->Order(), "a b c");
  EXPECT_EQ(target->Items(0)->Collection(), target.get());

  gLog.clear();
  FItems->Assign(FItems.get());
  EXPECT_EQ(FItems->Order(), "a b c");
  EXPECT_TRUE(gLog.empty());
}

// Guards against a failed Assign leaving the target half cleared or half
// copied, and against sources of another kind being accepted.
TEST_F(CollectionTest, AssignThatFailsChangesNothing) {
  TOwned<TCollection> strangers(NewObject<TCollection>(TStrangerItem::StaticClass()));
  strangers->Add();
  try {
    FItems->Assign(strangers.get());
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TStrangerItem to a TProbeItem");
  }
  EXPECT_EQ(FItems->Order(), "a b c");
  EXPECT_TRUE(gLog.empty());
  EXPECT_EQ(gLiveItems, 3) << "the copies made before the failure are freed";

  TOwned<TProbeOwner> owner(NewObject<TProbeOwner>(nullptr));
  try {
    FItems->Assign(owner.get());
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TProbeOwner to a TProbeCollection");
  }
}

// ---- Moving between collections ----

// Guards against an item kept in two lists, an ID carried over into a
// collection that handed it out already, and items of the wrong class.
TEST_F(CollectionTest, ItemMovesToAnotherCollection) {
  TOwned<TProbeCollection> other(NewObject<TProbeCollection>());
  other->Add();
  gLog.clear();
  TCollectionItem* b = FItems->Items(1);
  b->SetCollection(other.get());
  EXPECT_EQ(FItems->Order(), "a c");
  EXPECT_EQ(other->Order(), "_ b");
  EXPECT_EQ(b->Collection(), other.get());
  EXPECT_EQ(b->ID(), 1);  // the next ID of the other collection
  EXPECT_EQ(gLog, (std::vector<std::string>{"extracting b", "update all", "added b", "update all"}));

  TOwned<TCollection> strangers(NewObject<TCollection>(TStrangerItem::StaticClass()));
  EXPECT_THROW(b->SetCollection(strangers.get()), EInvalidOperation);
  EXPECT_EQ(b->Collection(), other.get());
}

// ---- Names and type information ----

// Guards against item paths that do not say where the item lives: a reader
// or a language file reports "ListView1.Columns[1]".
TEST_F(CollectionTest, NamePaths) {
  TOwned<TProbeOwner> owner(NewObject<TProbeOwner>(nullptr));
  TProbeCollection* columns = owner->Columns();
  columns->Add();
  columns->Add();
  EXPECT_EQ(columns->GetNamePath(), "TProbeCollection") << "the owner has no name yet";
  owner->SetName("ListView1");
  EXPECT_EQ(columns->GetNamePath(), "ListView1.Columns");
  EXPECT_EQ(columns->Items(1)->GetNamePath(), "ListView1.Columns[1]");
  columns->Items(1)->SetIndex(0);
  EXPECT_EQ(columns->Items(0)->GetNamePath(), "ListView1.Columns[0]");

  EXPECT_EQ(FItems->GetNamePath(), "TProbeCollection");
  EXPECT_EQ(FItems->Items(2)->GetNamePath(), "TProbeCollection[2]");
  TProbeItem loose;
  EXPECT_EQ(loose.GetNamePath(), "TProbeItem");
  EXPECT_EQ(loose.DisplayName(), "_");
  EXPECT_EQ(TStrangerItem().DisplayName(), "TStrangerItem");
}

// Guards against collection properties being taken for component
// references (or the reverse) by the reader and writer.
TEST_F(CollectionTest, CollectionPropertyIsKnownByItsClass) {
  const TPropInfo* columns = GetPropInfo(TProbeOwner::StaticClass(), "Columns");
  const TPropInfo* buddy = GetPropInfo(TProbeOwner::StaticClass(), "Buddy");
  ASSERT_NE(columns, nullptr);
  ASSERT_NE(buddy, nullptr);
  EXPECT_EQ(columns->Kind(), tkClass);
  EXPECT_EQ(columns->PropType().Name(), "TProbeCollection");
  EXPECT_TRUE(IsCollectionProperty(*columns));
  EXPECT_FALSE(IsCollectionProperty(*buddy));
  EXPECT_TRUE(IsCollectionClass(&TCollection::StaticClass()));
  EXPECT_FALSE(IsCollectionClass(&TCollectionItem::StaticClass()));
  EXPECT_FALSE(IsCollectionClass(nullptr));
  EXPECT_EQ(&FItems->ItemClass(), &TProbeItem::StaticClass());
}

// ---- Item classes and factories ----

// Guards against a collection that cannot make its items being accepted
// until the first Add, and against a factory's wrong item getting in.
TEST(CollectionFactoryTest, ChecksItemClassAndFactory) {
  auto make = [](const TClass& itemClass) { TCollection collection(itemClass); };
  EXPECT_THROW(make(TProbeOwner::StaticClass()), EInvalidOperation) << "not an item class";
  EXPECT_THROW(make(TAbstractItem::StaticClass()), EInvalidOperation) << "no factory at all";
  EXPECT_NO_THROW(make(TCollectionItem::StaticClass()));

  TOwned<TProbeCollection> collection(NewObject<TProbeCollection>(
      nullptr, TCollection::TItemFactory([] { return NewObject<TProbeItemEx>(); })));
  auto* item = dynamic_cast<TProbeItemEx*>(collection->Add());
  ASSERT_NE(item, nullptr) << "the C++ factory was not used";
  EXPECT_EQ(item->FExtra, 7);

  TOwned<TProbeCollection> wrong(NewObject<TProbeCollection>(
      nullptr, TCollection::TItemFactory([]() -> TCollectionItem* { return NewObject<TStrangerItem>(); })));
  try {
    wrong->Add();
    FAIL() << "no error";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "The item factory made a TStrangerItem, not a TProbeItem");
  }
  EXPECT_EQ(wrong->Count(), 0);
}

// Guards against items outliving their collection or being told about
// their own removal while the collection goes away.
TEST(CollectionLifetimeTest, CollectionFreesItsItems) {
  gLiveItems = 0;
  auto* collection = NewObject<TProbeCollection>();
  collection->Add();
  collection->Add();
  EXPECT_EQ(gLiveItems, 2);
  gLog.clear();
  Free(collection);
  EXPECT_EQ(gLiveItems, 0);
  EXPECT_TRUE(gLog.empty());
}

}  // namespace
