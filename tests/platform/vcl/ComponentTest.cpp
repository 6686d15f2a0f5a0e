// Components: ownership order, destruction most recent first with the owner
// still whole, free notification on both sides, the name rules and field
// binding, the exact component state sets, FindComponent, and TPersistent's
// assignment error. Events are recorded into a log and compared as a whole.
#include "platform/vcl/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/ClassBuilder.h"
#include "platform/rtl/ExpectThrow.h"

namespace {
std::vector<std::string>* gLog = nullptr;

void Record(const std::string& entry) {
  if (gLog != nullptr) gLog->push_back(entry);
}

std::string StateText(TComponentState state) { return SetToString(TypeInfoOf<TComponentState>(), state.Bits()); }
}  // namespace

// Logs its destruction (with the state it sees) and every notification.
class TLogged : public TComponent {
  KULR_CLASS(TLogged, TComponent)

  explicit TLogged(TComponent* owner) : TComponent(owner) {
    StateInConstructor = ComponentState();
  }
  ~TLogged() override { Record("~" + Name()); }

  void BeforeDestruction() override {
    Record("destroying " + Name() + " " + StateText(ComponentState()));
    TComponent::BeforeDestruction();
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (Watch) Record(Name() + (operation == opRemove ? " hears remove " : " hears insert ") + component->Name());
    if (operation == opRemove && component == Buddy) Buddy = nullptr;
    if (operation == opRemove && ThrowOnRemove) throw EInvalidOperation(Name() + " refuses");
  }

  TComponentState StateInConstructor;
  TComponent* Buddy = nullptr;
  bool Watch = false;
  bool ThrowOnRemove = false;
};

const TClass& TLogged::StaticClass() {
  static const TClass& record = TClassBuilder<TLogged>().Factory().Build();
  return record;
}

// A form-like owner with published component fields.
class TFieldOwner : public TLogged {
  KULR_CLASS(TFieldOwner, TLogged)
  explicit TFieldOwner(TComponent* owner) : TLogged(owner) {}
  TLogged* Button1 = nullptr;
  TLogged* Edit1 = nullptr;
  TFieldOwner* Nested = nullptr;
};

const TClass& TFieldOwner::StaticClass() {
  static const TClass& record = TClassBuilder<TFieldOwner>()
                                    .Field("Button1", &TFieldOwner::Button1)
                                    .Field("Edit1", &TFieldOwner::Edit1)
                                    .Field("Nested", &TFieldOwner::Nested)
                                    .Factory()
                                    .Build();
  return record;
}

namespace {


class ComponentTest : public ::testing::Test {
protected:
  ComponentTest() { gLog = &Log; }
  ~ComponentTest() override { gLog = nullptr; }

  TLogged* Make(TComponent* owner, const char* name) {
    auto* c = NewObject<TLogged>(owner);
    c->SetName(name);
    return c;
  }

  std::vector<std::string> Log;
};

// ---- Ownership ----

// Guards against an owned list out of creation order (the Parts walk it in
// ownership order) and index errors that read past the list.
TEST_F(ComponentTest, KeepsOwnedComponentsInOwnershipOrder) {
  TLogged* owner = Make(nullptr, "owner");
  TLogged* a = Make(owner, "a");
  TLogged* b = Make(owner, "b");
  TLogged* c = Make(owner, "c");
  ASSERT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(owner->Components(2), c);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(owner->ComponentIndex(), -1);
  EXPECT_EQ(b->Owner(), owner);
  EXPECT_THROW(owner->Components(3), EListError);
  EXPECT_THROW(owner->Components(-1), EListError);

  owner->RemoveComponent(b);
  EXPECT_EQ(b->Owner(), nullptr);
  EXPECT_EQ(c->ComponentIndex(), 1);
  owner->InsertComponent(b);  // back at the end
  EXPECT_EQ(b->ComponentIndex(), 2);
  Free(b);
  EXPECT_EQ(owner->ComponentCount(), 2);
  Free(owner);
}

// Guards against freeing in creation order (a later component may refer to
// an earlier one), against children freed after the owner's own parts are
// gone, and against owned components that do not see csDestroying.
TEST_F(ComponentTest, FreesOwnedComponentsMostRecentFirst) {
  TLogged* owner = Make(nullptr, "owner");
  TLogged* a = Make(owner, "a");
  Make(a, "a1");
  Make(a, "a2");
  Make(owner, "b");
  Log.clear();
  Free(owner);
  std::vector<std::string> expected = {
      "destroying owner [csDestroying]",
      "destroying b [csDestroying]",
      "~b",
      "destroying a [csDestroying]",
      "destroying a2 [csDestroying]",
      "~a2",
      "destroying a1 [csDestroying]",
      "~a1",
      "~a",
      "~owner",
  };
  EXPECT_EQ(Log, expected);
}

// Guards against a half-done teardown when a handler raises: the owned
// components must still be freed (not leaked with a dangling owner) and the
// first error must still reach the caller.
TEST_F(ComponentTest, FreeFinishesTheTeardownWhenANotificationRaises) {
  TLogged* watcher = Make(nullptr, "watcher");
  watcher->ThrowOnRemove = true;
  TLogged* owner = Make(nullptr, "owner");
  Make(owner, "child");
  owner->FreeNotification(watcher);
  Log.clear();
  ExpectThrowWith<EInvalidOperation>([&] { Free(owner); }, "watcher refuses");
  EXPECT_EQ(Log, (std::vector<std::string>{"destroying owner [csDestroying]", "destroying child [csDestroying]",
                                           "~child", "~owner"}));
  watcher->ThrowOnRemove = false;
  Free(watcher);
}

// Guards against a component destroyed without Free (on the stack) leaking
// what it owns: the owned components still go, most recent first.
TEST_F(ComponentTest, PlainDestructionStillFreesOwnedComponents) {
  {
    TLogged owner(nullptr);
    owner.SetName("owner");
    Make(&owner, "a");
    Make(&owner, "b");
    Log.clear();
  }
  EXPECT_EQ(Log, (std::vector<std::string>{"~owner", "destroying b [csDestroying]", "~b",
                                           "destroying a [csDestroying]", "~a"}));
}

// Guards against a freed component staying in its owner's list (a dangling
// pointer the owner would free again) and against owners not told.
TEST_F(ComponentTest, FreeingAComponentTakesItOutOfItsOwner) {
  TLogged* owner = Make(nullptr, "owner");
  owner->Watch = true;
  TLogged* a = Make(owner, "a");
  TLogged* b = Make(owner, "b");
  Log.clear();
  Free(a);
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
  EXPECT_EQ(Log, (std::vector<std::string>{"destroying a [csDestroying]", "owner hears remove a", "~a"}));
  Free(owner);
}

// Guards against ownership cycles (each would free the other for ever) and
// removals that silently do nothing.
TEST_F(ComponentTest, RefusesOwnershipThatCannotWork) {
  TLogged* top = Make(nullptr, "top");
  TLogged* middle = Make(top, "middle");
  TLogged* stranger = Make(nullptr, "stranger");
  ExpectThrowWith<EComponentError>([&] { middle->InsertComponent(top); }, "its own owner");
  ExpectThrowWith<EComponentError>([&] { top->InsertComponent(top); }, "its own owner");
  ExpectThrowWith<EComponentError>([&] { top->RemoveComponent(stranger); }, "does not own");
  ExpectThrowWith<EComponentError>([&] { top->InsertComponent(nullptr); }, "nil component");
  EXPECT_EQ(top->Owner(), nullptr);
  EXPECT_EQ(middle->Owner(), top);

  // Moving to another owner leaves the first one.
  stranger->InsertComponent(middle);
  EXPECT_EQ(middle->Owner(), stranger);
  EXPECT_EQ(top->ComponentCount(), 0);
  Free(top);
  Free(stranger);
}

// ---- Free notification ----

// Guards against a reference kept to a freed component (a dangling pointer):
// whichever side is freed first, the other is told once and forgets it.
TEST_F(ComponentTest, FreeNotificationTellsBothSides) {
  for (bool freeLabelFirst : {true, false}) {
    SCOPED_TRACE(freeLabelFirst ? "label freed" : "edit freed");
    TLogged* edit = Make(nullptr, "edit");
    TLogged* label = Make(nullptr, "label");
    edit->Watch = label->Watch = true;
    edit->Buddy = label;
    label->Buddy = edit;
    edit->FreeNotification(label);
    edit->FreeNotification(label);  // asking twice still tells once
    Log.clear();
    if (freeLabelFirst) {
      Free(label);
      EXPECT_EQ(edit->Buddy, nullptr);
      EXPECT_EQ(Log, (std::vector<std::string>{"destroying label [csDestroying]", "edit hears remove label", "~label"}));
      Free(edit);  // must not tell the freed label
    } else {
      Free(edit);
      EXPECT_EQ(label->Buddy, nullptr);
      EXPECT_EQ(Log, (std::vector<std::string>{"destroying edit [csDestroying]", "label hears remove edit", "~edit"}));
      Free(label);
    }
  }
}

// Guards against notifications after RemoveFreeNotification, and against
// siblings that hear of each other twice (once through the owner).
TEST_F(ComponentTest, NotificationsReachWatchersOnlyOnce) {
  TLogged* watcher = Make(nullptr, "watcher");
  TLogged* watched = Make(nullptr, "watched");
  watcher->Watch = true;
  watcher->FreeNotification(watched);
  watched->RemoveFreeNotification(watcher);
  Log.clear();
  Free(watched);
  EXPECT_EQ(Log, (std::vector<std::string>{"destroying watched [csDestroying]", "~watched"}));
  Free(watcher);

  TLogged* owner = Make(nullptr, "owner");
  TLogged* one = Make(owner, "one");
  TLogged* two = Make(owner, "two");
  two->Watch = true;
  two->FreeNotification(one);
  Log.clear();
  Free(one);
  EXPECT_EQ(Log, (std::vector<std::string>{"destroying one [csDestroying]", "two hears remove one", "~one"}));
  Free(owner);
}

// ---- Names ----

// Guards against names the form reader and FindComponent cannot use, and
// against a refused name that still changes the component.
TEST_F(ComponentTest, AcceptsOnlyIdentifiersAsNames) {
  TLogged* c = Make(nullptr, "keep");
  for (const char* name : {"", "_x", "btnOk", "a1", "X_9"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsValidComponentName(name));
    c->SetName(name);
    EXPECT_EQ(c->Name(), name);
  }
  c->SetName("keep");
  for (const char* name : {"1a", "a b", "a-b", " a", "a.b", "\xD6\xD0"}) {  // last: 中
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsValidComponentName(name));
    ExpectThrowWith<EComponentError>([&] { c->SetName(name); }, "'" + std::string(name) + "' is not a valid component name");
    EXPECT_EQ(c->Name(), "keep");
  }
  // Through the type information the same rules apply.
  ExpectThrowWith<EComponentError>([&] { SetStrProp(c, "Name", "9"); }, "not a valid component name");
  SetStrProp(c, "name", "viaRtti");
  EXPECT_EQ(c->Name(), "viaRtti");
  Free(c);
}

// Guards against two components of one owner answering to one name.
TEST_F(ComponentTest, RefusesDuplicateNamesIgnoringCase) {
  TLogged* owner = Make(nullptr, "owner");
  TLogged* first = Make(owner, "Button1");
  TLogged* second = Make(owner, "Edit1");
  ExpectThrowWith<EComponentError>([&] { second->SetName("BUTTON1"); }, "A component named BUTTON1 already exists");
  EXPECT_EQ(second->Name(), "Edit1");
  first->SetName("BUTTON1");  // its own name in another case
  EXPECT_EQ(first->Name(), "BUTTON1");

  // Taking over a component whose name is taken raises before it moves.
  TLogged* other = Make(nullptr, "other");
  TLogged* clash = Make(other, "edit1");
  ExpectThrowWith<EComponentError>([&] { owner->InsertComponent(clash); }, "already exists");
  EXPECT_EQ(clash->Owner(), other);
  TLogged* orphan = Make(nullptr, "Edit1");  // without an owner anything goes
  Free(owner);
  Free(other);
  Free(orphan);
}

// Guards against fields left pointing at a renamed or freed component, and
// fields bound to a component of a class they cannot hold.
TEST_F(ComponentTest, NameBindsTheOwnersPublishedField) {
  auto* form = NewObject<TFieldOwner>(nullptr);
  TLogged* button = Make(form, "button1");  // field names ignore case
  EXPECT_EQ(form->Button1, button);
  button->SetName("Edit1");
  EXPECT_EQ(form->Button1, nullptr);
  EXPECT_EQ(form->Edit1, button);
  button->SetName("");
  EXPECT_EQ(form->Edit1, nullptr);
  button->SetName("Edit1");

  // A plain TLogged cannot sit in the TFieldOwner* field: refused, unchanged.
  TLogged* wrong = Make(form, "other");
  ExpectThrowWith<EComponentError>([&] { wrong->SetName("Nested"); }, "Field TFieldOwner.Nested holds a TFieldOwner");
  EXPECT_EQ(wrong->Name(), "other");
  EXPECT_EQ(form->Nested, nullptr);

  // Moving a component out of the owner, or freeing it, clears its field.
  auto* nested = NewObject<TFieldOwner>(nullptr);
  nested->SetName("Nested");
  form->InsertComponent(nested);
  EXPECT_EQ(form->Nested, nested);
  form->RemoveComponent(nested);
  EXPECT_EQ(form->Nested, nullptr);
  Free(nested);
  Free(button);
  EXPECT_EQ(form->Edit1, nullptr);
  Free(form);
}

// Guards against owned components that stay reachable through a field after
// the owner started freeing them (the field would dangle while later
// components are freed).
TEST_F(ComponentTest, FieldsAreClearedAsTheOwnerFreesItsComponents) {
  struct TCheck : TLogged {
    using TLogged::TLogged;
    TFieldOwner* Form = nullptr;
    void BeforeDestruction() override {
      Record(std::string("Button1 is ") + (Form->Button1 == nullptr ? "clear" : "set"));
      TLogged::BeforeDestruction();
    }
  };
  auto* form = NewObject<TFieldOwner>(nullptr);
  form->SetName("form");
  auto* check = NewObject<TCheck>(form);
  check->Form = form;
  Make(form, "Button1");
  Log.clear();
  Free(form);
  EXPECT_EQ(Log[0], "destroying form [csDestroying]");
  EXPECT_EQ(Log[3], "Button1 is clear");  // after Button1 went, before its neighbour goes
}

// ---- State ----

// Guards against extra or missing flags: a Part compares ComponentState
// with exact sets, so nothing else may ever appear.
TEST_F(ComponentTest, ComponentStateHoldsExactlyTheFlagsSet) {
  TLogged* owner = Make(nullptr, "owner");
  TLogged* child = Make(owner, "child");
  EXPECT_EQ(owner->ComponentState(), TComponentState{});

  owner->Loading();
  owner->SetReading(true);
  EXPECT_EQ(owner->ComponentState(), (TComponentState{csLoading, csReading}));
  owner->SetDesigning(true);
  owner->SetAncestor(true);
  EXPECT_EQ(owner->ComponentState(), (TComponentState{csLoading, csReading, csDesigning, csAncestor}));
  EXPECT_EQ(child->ComponentState(), TComponentState{csDesigning});  // designing reaches what it owns

  // A component made by a designing owner is designing inside its own constructor.
  auto* late = NewObject<TLogged>(owner);
  EXPECT_EQ(late->StateInConstructor, TComponentState{csDesigning});

  owner->SetReading(false);
  owner->SetAncestor(false);
  owner->Loaded();
  EXPECT_EQ(owner->ComponentState(), TComponentState{csDesigning});
  owner->SetDesigning(false, false);
  EXPECT_EQ(owner->ComponentState(), TComponentState{});
  EXPECT_EQ(child->ComponentState(), TComponentState{csDesigning});
  owner->SetDesigning(false);
  EXPECT_EQ(child->ComponentState(), TComponentState{});
  Log.clear();
  owner->SetDesigning(true);
  Free(owner);
  EXPECT_EQ(Log[0], "destroying owner [csDesigning,csDestroying]");
}

// ---- Look-up ----

// Guards against case-sensitive look-up, empty names matching unnamed
// components, and look-ups that reach components owned by a child.
TEST_F(ComponentTest, FindComponentLooksAtOwnedComponentsIgnoringCase) {
  TLogged* form = Make(nullptr, "form");
  TLogged* panel = Make(form, "sp01");
  TLogged* inner = Make(panel, "edBegin");
  Make(form, "");
  struct {
    const char* Name;
    TComponent* Expected;
  } rows[] = {{"sp01", panel}, {"SP01", panel}, {"edBegin", nullptr}, {"", nullptr}, {"nope", nullptr}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(form->FindComponent(row.Name), row.Expected);
  }
  EXPECT_EQ(panel->FindComponent("EDBEGIN"), inner);
  Free(form);
}

// ---- TPersistent and the class records ----

// Guards against an assignment between unrelated classes that silently does
// nothing instead of raising the platform's error.
TEST_F(ComponentTest, AssignWithoutSupportRaisesConvertError) {
  TLogged* a = Make(nullptr, "a");
  TComponent b(nullptr);
  ExpectThrowWith<EConvertError>([&] { b.Assign(a); }, "Cannot assign a TLogged to a TComponent");
  ExpectThrowWith<EConvertError>([&] { b.Assign(nullptr); }, "Cannot assign a nil to a TComponent");
  EXPECT_EQ(a->GetNamePath(), "a");
  Free(a);
}

// Guards against the core classes missing from the registry or publishing
// other members than Name and Tag.
TEST_F(ComponentTest, CoreClassesAreRegisteredWithNameAndTag) {
  RegisterCoreClasses();
  ASSERT_EQ(FindClass("tcomponent"), &TComponent::StaticClass());
  EXPECT_EQ(FindClass("TPersistent"), &TPersistent::StaticClass());
  std::vector<std::string> names;
  for (const TPropInfo* prop : GetPropList(TComponent::StaticClass())) names.push_back(prop->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag"}));

  TLogged* owner = Make(nullptr, "owner");
  TObject* made = FindClass("TComponent")->Create(owner);
  EXPECT_EQ(owner->Components(0), made);
  SetOrdProp(made, "Tag", -5);
  EXPECT_EQ(static_cast<TComponent*>(made)->Tag(), -5);
  EXPECT_FALSE(IsStoredProp(made, FindPropInfo(made, "Name")));
  Free(owner);
}

}  // namespace
