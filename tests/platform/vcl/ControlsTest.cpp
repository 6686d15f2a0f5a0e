// Controls: parent and child lists with destruction from either side,
// alignment and anchors on a parent resize, the resize notification, the
// tab order, CanFocus and the focus hooks through a stand-in form, parent
// font/colour following, clicks and keys from code, handles on demand, and
// publishing inherited properties. Notifications are recorded into a log and
// compared as a whole.
#include "platform/vcl/Controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/vcl/ClassBuilder.h"
#include "platform/rtl/ExpectThrow.h"

namespace {

std::vector<std::string> gLog;
std::map<std::string, int> gDestroyed;  // destructor runs by control name

void Record(const std::string& entry) { gLog.push_back(entry); }


// A windowed control that logs its notifications and its destruction.
class TLogWin : public TCustomControl {
  KULR_CLASS(TLogWin, TCustomControl)
  explicit TLogWin(TComponent* owner, const char* name = "") : TCustomControl(owner) { SetName(name); }
  ~TLogWin() override { ++gDestroyed[Name()]; }

  void Resize() override {
    Record(Name() + " resize " + std::to_string(Width()) + "x" + std::to_string(Height()));
    TCustomControl::Resize();
  }
  void KeyDown(uint16_t& key, TShiftState shift) override {
    TCustomControl::KeyDown(key, shift);
    // What a descendant does with a key no handler consumed.
    if (key != 0) Record(Name() + " handles key " + std::to_string(key));
  }
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_USER) Record(Name() + " got WM_USER");
    return TCustomControl::WndProc(msg, wParam, lParam);
  }

  int FontChanges = 0;
  int TextChanges = 0;
  int EnabledChanges = 0;
  int VisibleChanges = 0;
  int ColorChanges = 0;

protected:
  void FontChanged() override {
    ++FontChanges;
    TCustomControl::FontChanged();
  }
  void TextChanged() override { ++TextChanges; }
  void EnabledChanged() override { ++EnabledChanges; }
  void VisibleChanged() override { ++VisibleChanges; }
  void ColorChanged() override {
    ++ColorChanges;
    TCustomControl::ColorChanged();
  }
};

// A non-windowed control that logs its destruction and paints its caption.
class TLogGraphic : public TGraphicControl {
  KULR_CLASS(TLogGraphic, TGraphicControl)
  explicit TLogGraphic(TComponent* owner, const char* name = "") : TGraphicControl(owner) { SetName(name); }
  ~TLogGraphic() override { ++gDestroyed[Name()]; }
  void Resize() override {
    Record(Name() + " resize " + std::to_string(Width()) + "x" + std::to_string(Height()));
    TGraphicControl::Resize();
  }
  int FontChanges = 0;

protected:
  void FontChanged() override {
    ++FontChanges;
    TGraphicControl::FontChanged();
  }
  void Paint() override { Canvas().TextOut(2, 3, Caption()); }
};

// Stands in for the form: keeps the focused control, moves it with the
// plain exit-then-enter of the two controls, and logs the hooks.
class TStandInForm : public TLogWin {
  KULR_CLASS(TStandInForm, TLogWin)
  explicit TStandInForm(TComponent* owner, const char* name = "form") : TLogWin(owner, name) {}

  bool IsForm() const override { return true; }
  void FormFocusControl(TWinControl* control) override {
    Record("focus " + control->Name());
    if (!control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    TWinControl* old = Focus;
    Focus = control;
    if (old != nullptr) old->DoExit();
    control->DoEnter();
  }
  TWinControl* FormFocusedControl() const override { return Focus; }
  void FormDefocusControl(TWinControl* control, bool removing) override {
    Record(std::string("defocus ") + control->Name() + (removing ? " removing" : ""));
    if (control->ContainsControl(Focus)) Focus = nullptr;
  }

  TWinControl* Focus = nullptr;
};

// Publishes a chosen set of inherited properties, as a concrete control does.
class TPublishingEdit : public TCustomControl {
  KULR_CLASS(TPublishingEdit, TCustomControl)
  explicit TPublishingEdit(TComponent* owner) : TCustomControl(owner) {}
};

}  // namespace

const TClass& TLogWin::StaticClass() {
  static const TClass& record = TClassBuilder<TLogWin>().Build();
  return record;
}
const TClass& TLogGraphic::StaticClass() {
  static const TClass& record = TClassBuilder<TLogGraphic>().Build();
  return record;
}
const TClass& TStandInForm::StaticClass() {
  static const TClass& record = TClassBuilder<TStandInForm>().Build();
  return record;
}
const TClass& TPublishingEdit::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TPublishingEdit> b;
    TControl::PublishInherited<TPublishingEdit>(b, {"Text", "Color", "Font", "ParentFont", "OnClick", "OnExit"});
    TControl::PublishInherited<TPublishingEdit>(b, {"TabStop"}).Default(true);
    return b.Build();
  }();
  return record;
}

namespace {

class ControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    gLog.clear();
    gDestroyed.clear();
  }
  void TearDown() override { Free(FForm); }

  // A 200x100 stand-in form, freed after the test.
  TStandInForm* MakeForm() {
    FForm = NewObject<TStandInForm>(nullptr);
    FForm->SetBounds(0, 0, 200, 100);
    gLog.clear();
    return FForm;
  }
  template <class T>
  T* Child(TWinControl* parent, const char* name) {
    T* c = NewObject<T>(FForm, name);
    c->SetParent(parent);
    return c;
  }

  TStandInForm* FForm = nullptr;
};

std::vector<std::string> ChildNames(const TWinControl* parent) {
  std::vector<std::string> names;
  for (int i = 0; i < parent->ControlCount(); ++i) names.push_back(parent->Controls(i)->Name());
  return names;
}

// The direct windowed children in tab order.
std::vector<std::string> TabNames(const TWinControl* parent) {
  std::vector<std::string> names;
  std::vector<TWinControl*> list;
  parent->GetTabOrderList(list);
  for (TWinControl* c : list)
    if (c->Parent() == parent) names.push_back(c->Name());
  return names;
}

// ---- Parent and child lists ----

// Guards against a re-parented control staying in the old parent's list, and
// against windowed and non-windowed children being mixed up in Controls().
TEST_F(ControlsTest, ParentListsFollowReparenting) {
  TStandInForm* form = MakeForm();
  TLogWin* panel = Child<TLogWin>(form, "panel");
  TLogGraphic* label = Child<TLogGraphic>(form, "label");
  TLogWin* edit = Child<TLogWin>(form, "edit");
  // Non-windowed children lie below the windowed ones.
  EXPECT_EQ(ChildNames(form), (std::vector<std::string>{"label", "panel", "edit"}));

  edit->SetParent(panel);
  label->SetParentComponent(panel);
  EXPECT_EQ(ChildNames(form), (std::vector<std::string>{"panel"}));
  EXPECT_EQ(ChildNames(panel), (std::vector<std::string>{"label", "edit"}));
  EXPECT_EQ(label->GetParentComponent(), panel);
  EXPECT_TRUE(form->ContainsControl(edit));
  EXPECT_FALSE(edit->ContainsControl(panel));
  ExpectThrowWith<EListError>([&] { panel->Controls(2); }, "out of bounds (2)");
}

// Guards against a parent cycle (which would loop forever walking up) and a
// control nested in something that cannot hold it.
TEST_F(ControlsTest, RefusesParentCyclesAndNonWindowedParents) {
  TStandInForm* form = MakeForm();
  TLogWin* panel = Child<TLogWin>(form, "panel");
  TLogWin* inner = Child<TLogWin>(panel, "inner");
  TLogGraphic* label = Child<TLogGraphic>(form, "label");

  ExpectThrowWith<EControlError>([&] { panel->SetParent(panel); }, "its own parent");
  ExpectThrowWith<EControlError>([&] { panel->SetParent(inner); }, "lies inside it");
  ExpectThrowWith<EControlError>([&] { inner->SetParentComponent(label); }, "only a windowed control");
  EXPECT_EQ(inner->Parent(), panel);
  EXPECT_EQ(panel->Parent(), form);
}

// Owner and parent differ: whichever is freed first, every control is
// destroyed exactly once and nothing keeps a dangling pointer to it.
TEST_F(ControlsTest, OwnerAndParentFreedInEitherOrderFreeOnce) {
  for (bool ownerFirst : {true, false}) {
    SCOPED_TRACE(ownerFirst ? "owner first" : "parent first");
    gDestroyed.clear();
    auto* owner = NewObject<TComponent>(nullptr);
    auto* parent = NewObject<TLogWin>(nullptr, "parent");
    auto* edit = NewObject<TLogWin>(owner, "edit");
    auto* label = NewObject<TLogGraphic>(owner, "label");
    edit->SetParent(parent);
    label->SetParent(edit);
    if (ownerFirst) {
      Free(owner);
      EXPECT_EQ(parent->ControlCount(), 0);
      Free(parent);
    } else {
      Free(parent);
      EXPECT_EQ(owner->ComponentCount(), 0);
      Free(owner);
    }
    EXPECT_EQ(gDestroyed, (std::map<std::string, int>{{"edit", 1}, {"label", 1}, {"parent", 1}}));
  }
}

// A parent destroyed without Free (on the stack) still frees its children
// and they leave their owner.
TEST_F(ControlsTest, StackParentFreesItsChildren) {
  TComponent owner(nullptr);
  {
    TLogWin parent(nullptr, "parent");
    auto* child = NewObject<TLogWin>(&owner, "child");
    child->SetParent(&parent);
  }
  EXPECT_EQ(gDestroyed["child"], 1);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

// ---- Alignment, anchors, resize ----

struct TAlignRow {
  const char* Name;
  TAlign Align;
  TRect Before;  // placed in a 200x100 parent
  TRect After;   // after the parent grows to 300x150
};

// Guards against the wrong group order (top, bottom, left, right, client)
// or strips that do not follow a parent resize.
TEST_F(ControlsTest, AlignsChildrenOnParentResize) {
  const TAlignRow rows[] = {
      {"top", alTop, Bounds(0, 0, 200, 10), Bounds(0, 0, 300, 10)},
      {"bottom", alBottom, Bounds(0, 80, 200, 20), Bounds(0, 130, 300, 20)},
      {"left", alLeft, Bounds(0, 10, 30, 70), Bounds(0, 10, 30, 120)},
      {"right", alRight, Bounds(160, 10, 40, 70), Bounds(260, 10, 40, 120)},
      {"client", alClient, Bounds(30, 10, 130, 70), Bounds(30, 10, 230, 120)},
  };
  TStandInForm* form = MakeForm();
  std::vector<TLogWin*> children;
  // Added client first, so that the group order cannot come from the list.
  for (int i = 4; i >= 0; --i) {
    TLogWin* c = Child<TLogWin>(form, rows[i].Name);
    c->SetBounds(5, 5, rows[i].Before.Width(), rows[i].Before.Height());
    c->SetAlign(rows[i].Align);
    children.insert(children.begin(), c);
  }
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(rows[i].Name);
    EXPECT_EQ(children[i]->BoundsRect(), rows[i].Before);
  }
  form->SetBounds(0, 0, 300, 150);
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(rows[i].Name);
    EXPECT_EQ(children[i]->BoundsRect(), rows[i].After);
  }
  // A hidden strip gives its space back.
  children[0]->SetVisible(false);
  EXPECT_EQ(children[4]->BoundsRect(), Bounds(30, 0, 230, 130));
}

// Two strips of one side keep their order by position; disabling alignment
// defers the layout to the last EnableAlign.
TEST_F(ControlsTest, StripsKeepOrderAndAlignCanBeDeferred) {
  TStandInForm* form = MakeForm();
  TLogWin* a = Child<TLogWin>(form, "a");
  TLogWin* b = Child<TLogWin>(form, "b");
  b->SetBounds(0, 0, 10, 20);
  b->SetAlign(alTop);
  a->SetBounds(0, 50, 10, 10);
  a->SetAlign(alTop);
  EXPECT_EQ(b->BoundsRect(), Bounds(0, 0, 200, 20));
  EXPECT_EQ(a->BoundsRect(), Bounds(0, 20, 200, 10));

  form->DisableAlign();
  form->DisableAlign();
  a->SetTop(-5);  // moves above b once aligned
  form->EnableAlign();
  EXPECT_EQ(a->Top(), -5);
  form->EnableAlign();
  EXPECT_EQ(a->BoundsRect(), Bounds(0, 0, 200, 10));
  EXPECT_EQ(b->BoundsRect(), Bounds(0, 10, 200, 20));
  ExpectThrowWith<EInvalidOperation>([&] { form->EnableAlign(); }, "without DisableAlign");
}

// Guards against anchored controls that stay put when the parent grows.
TEST_F(ControlsTest, AnchoredChildrenFollowTheParentsSize) {
  TStandInForm* form = MakeForm();
  TLogWin* pinned = Child<TLogWin>(form, "pinned");
  TLogWin* stretched = Child<TLogWin>(form, "stretched");
  TLogWin* plain = Child<TLogWin>(form, "plain");
  for (TLogWin* c : {pinned, stretched, plain}) c->SetBounds(10, 10, 50, 20);
  pinned->SetAnchors({akRight, akBottom});
  stretched->SetAnchors({akLeft, akTop, akRight, akBottom});
  form->SetBounds(0, 0, 230, 140);
  EXPECT_EQ(pinned->BoundsRect(), Bounds(40, 50, 50, 20));
  EXPECT_EQ(stretched->BoundsRect(), Bounds(10, 10, 80, 60));
  EXPECT_EQ(plain->BoundsRect(), Bounds(10, 10, 50, 20));
}

struct TBoundsRow {
  const char* Name;
  TRect Bounds;
  std::vector<std::string> Log;
};

// Resize is raised only when the size really changes, never for a move or
// the same bounds, and a negative size is taken as 0.
TEST_F(ControlsTest, ResizeOnlyOnRealSizeChange) {
  const TBoundsRow rows[] = {
      {"same bounds", Bounds(10, 10, 50, 20), {}},
      {"moved", Bounds(15, 12, 50, 20), {}},
      {"wider", Bounds(10, 10, 60, 20), {"c resize 60x20"}},
      {"taller", Bounds(10, 10, 50, 25), {"c resize 50x25"}},
      {"negative width", Bounds(10, 10, -5, 20), {"c resize 0x20"}},
  };
  for (const TBoundsRow& row : rows) {
    SCOPED_TRACE(row.Name);
    for (bool windowed : {true, false}) {
      TLogWin parent(nullptr, "parent");
      TControl* c = windowed ? static_cast<TControl*>(NewObject<TLogWin>(nullptr, "c"))
                             : NewObject<TLogGraphic>(nullptr, "c");
      c->SetParent(&parent);
      c->SetBounds(10, 10, 50, 20);
      gLog.clear();
      c->SetBoundsRect(row.Bounds);
      EXPECT_EQ(gLog, row.Log);
    }
  }
}

// While a control loads, size changes raise nothing; WM_SIZE re-lays out
// and raises Resize on demand.
TEST_F(ControlsTest, NoResizeWhileLoadingAndWmSizeRelaysOut) {
  TLogWin c(nullptr, "c");
  c.Loading();
  c.SetBounds(0, 0, 40, 40);
  EXPECT_TRUE(gLog.empty());
  c.Loaded();
  c.Perform(WM_SIZE);
  EXPECT_EQ(gLog, (std::vector<std::string>{"c resize 40x40"}));
}

// ---- Tab order ----

// TabOrder stays contiguous: appending, taking a taken place, values out of
// range and removal all keep 0..n-1 without gaps or duplicates.
TEST_F(ControlsTest, TabOrderStaysContiguous) {
  TStandInForm* form = MakeForm();
  TLogWin* a = Child<TLogWin>(form, "a");
  Child<TLogWin>(form, "b");
  TLogWin* c = Child<TLogWin>(form, "c");
  Child<TLogGraphic>(form, "label");  // not in the tab order
  struct TStep {
    const char* Name;
    std::function<void()> Action;
    std::vector<std::string> Order;
  };
  const TStep steps[] = {
      {"appended", [] {}, {"a", "b", "c"}},
      {"c takes 0", [&] { c->SetTabOrder(0); }, {"c", "a", "b"}},
      {"c takes 1", [&] { c->SetTabOrder(1); }, {"a", "c", "b"}},
      {"too big goes last", [&] { a->SetTabOrder(99); }, {"c", "b", "a"}},
      {"negative goes last", [&] { c->SetTabOrder(-1); }, {"b", "a", "c"}},
      {"removal closes the gap", [&] { a->SetParent(nullptr); }, {"b", "c"}},
      {"re-added appended", [&] { a->SetParent(form); }, {"b", "c", "a"}},
  };
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Name);
    step.Action();
    EXPECT_EQ(TabNames(form), step.Order);
    for (size_t i = 0; i < step.Order.size(); ++i)
      EXPECT_EQ(static_cast<TWinControl*>(form->FindChildControl(step.Order[i]))->TabOrder(), static_cast<int>(i));
  }
  a->SetParent(nullptr);
  EXPECT_EQ(a->TabOrder(), -1);
  a->SetParent(form);
}

// A resource gives tab orders in reading order (here the reverse); the
// parent puts them right once everything is read.
TEST_F(ControlsTest, TabOrdersReadFromAResourceAreFixedUpInLoaded) {
  TStandInForm* form = MakeForm();
  form->Loading();
  std::vector<TLogWin*> read;
  // As the reader does: parent first, then the control's properties.
  const std::pair<const char*, int> resource[] = {{"x", 2}, {"y", 1}, {"z", 0}};
  for (const auto& [name, order] : resource) {
    TLogWin* c = NewObject<TLogWin>(form, name);
    c->Loading();
    c->SetReading(true);
    c->SetParent(form);
    c->SetTabOrder(order);
    read.push_back(c);
  }
  for (TLogWin* c : read) c->SetReading(false);
  for (TLogWin* c : read) c->Loaded();
  form->Loaded();
  EXPECT_EQ(TabNames(form), (std::vector<std::string>{"z", "y", "x"}));
}

// FindNextControl wraps round, skips what cannot take the focus and, when
// asked, what is not a tab stop; GetTabOrderList goes depth first.
TEST_F(ControlsTest, FindNextControlWrapsAndSkips) {
  TStandInForm* form = MakeForm();
  TLogWin* a = Child<TLogWin>(form, "a");
  TLogWin* panel = Child<TLogWin>(form, "panel");
  TLogWin* inner = Child<TLogWin>(panel, "inner");
  TLogWin* b = Child<TLogWin>(form, "b");
  for (TLogWin* c : {a, inner, b}) c->SetTabStop(true);

  std::vector<TWinControl*> list;
  form->GetTabOrderList(list);
  EXPECT_EQ(list, (std::vector<TWinControl*>{a, panel, inner, b}));

  EXPECT_EQ(form->FindNextControl(a, true, true, false), inner);
  EXPECT_EQ(form->FindNextControl(b, true, true, false), a);
  EXPECT_EQ(form->FindNextControl(a, false, true, false), b);
  EXPECT_EQ(form->FindNextControl(a, true, false, true), panel);
  EXPECT_EQ(form->FindNextControl(nullptr, true, true, false), a);
  form->SelectNext(a, true, true);
  EXPECT_EQ(form->Focus, inner);
  b->SetEnabled(false);
  EXPECT_EQ(form->FindNextControl(inner, true, true, false), a);
  inner->SetVisible(false);
  a->SetVisible(false);
  EXPECT_EQ(form->FindNextControl(a, true, true, false), nullptr);
}

// ---- Focus ----

struct TCanFocusRow {
  const char* Name;
  std::function<void(TLogWin* panel, TLogWin* edit)> Setup;
  bool Expected;
};

// CanFocus needs the control and every parent up to the form visible and
// enabled; the form itself may be hidden (not shown yet).
TEST_F(ControlsTest, CanFocusThroughParents) {
  const TCanFocusRow rows[] = {
      {"all visible and enabled", [](TLogWin*, TLogWin*) {}, true},
      {"hidden parent", [](TLogWin* p, TLogWin*) { p->SetVisible(false); }, false},
      {"disabled parent", [](TLogWin* p, TLogWin*) { p->SetEnabled(false); }, false},
      {"hidden control", [](TLogWin*, TLogWin* e) { e->SetVisible(false); }, false},
      {"disabled control", [](TLogWin*, TLogWin* e) { e->SetEnabled(false); }, false},
      {"hidden form", [](TLogWin* p, TLogWin*) { p->Parent()->SetVisible(false); }, true},
      {"on no form", [](TLogWin* p, TLogWin*) { p->SetParent(nullptr); }, false},
  };
  for (const TCanFocusRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TStandInForm* form = MakeForm();
    TLogWin* panel = Child<TLogWin>(form, "panel");
    TLogWin* edit = Child<TLogWin>(panel, "edit");
    row.Setup(panel, edit);
    EXPECT_EQ(edit->CanFocus(), row.Expected);
    FreeAndNil(FForm);
  }
}

// SetFocus goes to the form; a focused control that is hidden, disabled,
// moved off the form or freed is given up by the form, so it never keeps a
// dangling focused control.
TEST_F(ControlsTest, FocusGoesThroughTheFormHooks) {
  TStandInForm* form = MakeForm();
  TLogWin* panel = Child<TLogWin>(form, "panel");
  TLogWin* edit = Child<TLogWin>(panel, "edit");
  TLogWin* other = Child<TLogWin>(form, "other");
  edit->SetOnEnter(TNotifyEvent::FromFunction([](TObject*) { Record("enter edit"); }));
  edit->SetOnExit(TNotifyEvent::FromFunction([](TObject*) { Record("exit edit"); }));

  edit->SetFocus();
  EXPECT_TRUE(edit->Focused());
  EXPECT_FALSE(other->Focused());
  other->SetFocus();
  EXPECT_EQ(gLog, (std::vector<std::string>{"focus edit", "enter edit", "focus other", "exit edit"}));

  edit->SetFocus();
  gLog.clear();
  panel->SetEnabled(false);
  panel->SetEnabled(true);
  EXPECT_EQ(gLog, (std::vector<std::string>{"defocus panel"}));
  EXPECT_EQ(form->Focus, nullptr);

  edit->SetFocus();
  gLog.clear();
  Free(panel);
  EXPECT_EQ(form->Focus, nullptr);
  EXPECT_EQ(gLog.front(), "defocus panel removing");

  auto* lone = NewObject<TLogWin>(nullptr, "lone");
  ExpectThrowWith<EControlError>([&] { lone->SetFocus(); }, "not on a form");
  EXPECT_FALSE(lone->Focused());
  Free(lone);
}

// ---- Font, colour, hint ----

// A child follows its parent's font (and gets FontChanged) until its own
// font is set; ParentFont = true takes the parent's font back. The change
// goes on to grandchildren.
TEST_F(ControlsTest, ParentFontFollowsUntilTheOwnFontIsSet) {
  TStandInForm* form = MakeForm();
  TLogWin* panel = Child<TLogWin>(form, "panel");
  TLogGraphic* label = Child<TLogGraphic>(panel, "label");
  panel->FontChanges = 0;

  form->Font()->SetHeight(-20);
  EXPECT_EQ(panel->Font()->Height(), -20);
  EXPECT_EQ(label->Font()->Height(), -20);
  EXPECT_EQ(panel->FontChanges, 1);
  EXPECT_EQ(label->FontChanges, 1);
  EXPECT_TRUE(panel->ParentFont());

  // Setting the same font again is no change.
  form->Font()->SetHeight(-20);
  EXPECT_EQ(panel->FontChanges, 1);

  panel->Font()->SetStyle({fsBold});
  EXPECT_FALSE(panel->ParentFont());
  EXPECT_TRUE(label->Font()->Style().Contains(fsBold));  // through its own parent
  form->Font()->SetHeight(-9);
  EXPECT_EQ(panel->Font()->Height(), -20);
  EXPECT_EQ(label->Font()->Height(), -20);

  panel->SetParentFont(true);
  EXPECT_EQ(panel->Font()->Height(), -9);
  EXPECT_FALSE(panel->Font()->Style().Contains(fsBold));
  EXPECT_EQ(label->Font()->Height(), -9);

  TFont own;
  own.SetName("Arial");
  label->SetFont(&own);
  EXPECT_FALSE(label->ParentFont());
  EXPECT_EQ(label->Font()->Name(), "Arial");
  ExpectThrowWith<EConvertError>([&] { label->SetFont(nullptr); }, "nil font");
}

// A control placed in a parent takes over the parent's font, colour and
// hint setting while it follows them; its own colour breaks the link.
TEST_F(ControlsTest, NewChildTakesParentSettings) {
  TStandInForm* form = MakeForm();
  form->Font()->SetName("Courier");
  form->SetColor(clBtnFace);
  form->SetShowHint(true);
  TLogWin* panel = Child<TLogWin>(form, "panel");
  EXPECT_EQ(panel->Font()->Name(), "Courier");
  EXPECT_EQ(panel->Color(), clBtnFace);
  EXPECT_TRUE(panel->ShowHint());

  panel->SetColor(clRed);
  EXPECT_FALSE(panel->ParentColor());
  form->SetColor(clWhite);
  EXPECT_EQ(panel->Color(), clRed);
  panel->SetParentColor(true);
  EXPECT_EQ(panel->Color(), clWhite);

  panel->SetShowHint(false);
  form->SetShowHint(false);
  form->SetShowHint(true);
  EXPECT_FALSE(panel->ShowHint());
}

// ---- Text, click, keys, mouse ----

struct TNotifyRow {
  const char* Name;
  std::function<void(TLogWin&)> Set;  // applied twice: the second is no change
  int TLogWin::*Counter;
};

// Each notification comes once per real change and never for setting the
// value a control already has.
TEST_F(ControlsTest, NotificationsOnlyOnRealChange) {
  const TNotifyRow rows[] = {
      {"caption", [](TLogWin& c) { c.SetCaption("\xD6\xD0"); }, &TLogWin::TextChanges},  // 中
      {"text", [](TLogWin& c) { c.SetText("x"); }, &TLogWin::TextChanges},
      {"enabled", [](TLogWin& c) { c.SetEnabled(false); }, &TLogWin::EnabledChanges},
      {"visible", [](TLogWin& c) { c.SetVisible(false); }, &TLogWin::VisibleChanges},
      {"color", [](TLogWin& c) { c.SetColor(clRed); }, &TLogWin::ColorChanges},
      {"font", [](TLogWin& c) { c.Font()->SetHeight(-20); }, &TLogWin::FontChanges},
  };
  for (const TNotifyRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TLogWin c(nullptr, "c");
    row.Set(c);
    row.Set(c);
    EXPECT_EQ(c.*row.Counter, 1);
  }
  // Caption and Text are one string, also through WM_SETTEXT.
  TLogWin c(nullptr, "c");
  c.SetCaption("\xD6\xD0");
  EXPECT_EQ(c.Text(), "\xD6\xD0");
  c.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(c.Caption(), "abc");
  EXPECT_EQ(c.TextChanges, 2);
}

// Repaint gives the canvas the control's font and records what Paint wrote.
TEST_F(ControlsTest, RepaintRecordsWhatPaintWrites) {
  TLogGraphic label(nullptr, "label");
  label.Font()->SetName("Courier");
  label.SetCaption("Hi");
  EXPECT_TRUE(label.NeedsPaint());
  label.Repaint();
  label.Repaint();
  ASSERT_EQ(label.Canvas().Texts().size(), 1u);
  EXPECT_EQ(label.Canvas().Texts()[0].Text, "Hi");
  EXPECT_EQ(label.Canvas().Texts()[0].FontName, "Courier");
  EXPECT_FALSE(label.NeedsPaint());
}

// Click from code runs the current OnClick even on a hidden or disabled
// control (a replaced handler is the one that runs).
TEST_F(ControlsTest, ClickFromCodeRunsTheCurrentHandler) {
  TLogGraphic button(nullptr, "button");
  button.SetOnClick(TNotifyEvent::FromFunction([](TObject*) { Record("first"); }));
  button.SetOnClick(TNotifyEvent::FromFunction([](TObject* sender) {
    Record("second " + static_cast<TComponent*>(sender)->Name());
  }));
  button.SetVisible(false);
  button.Click();
  button.SetVisible(true);
  button.SetEnabled(false);
  button.Click();
  EXPECT_EQ(gLog, (std::vector<std::string>{"second button", "second button"}));
}

struct TKeyRow {
  const char* Name;
  uint16_t ConsumeKey;  // the OnKeyDown handler sets this key to 0
  uint16_t Pressed;
  LRESULT Result;
  std::vector<std::string> Log;
};

// A handler consumes a key by setting it to 0: the control's own handling
// and the message result see 0.
TEST_F(ControlsTest, KeyHandlersCanConsumeKeys) {
  const TKeyRow rows[] = {
      {"consumed", VK_RETURN, VK_RETURN, 0, {"down 13 shift"}},
      {"passed on", VK_RETURN, VK_F2, VK_F2, {"down 113 shift", "c handles key 113"}},
  };
  for (const TKeyRow& row : rows) {
    SCOPED_TRACE(row.Name);
    gLog.clear();
    TLogWin c(nullptr, "c");
    uint16_t consume = row.ConsumeKey;
    c.SetOnKeyDown(TKeyEvent::FromFunction([consume](TObject*, uint16_t& key, TShiftState shift) {
      Record("down " + std::to_string(key) + (shift.Contains(ssShift) ? " shift" : ""));
      if (key == consume) key = 0;
    }));
    LRESULT result = c.Perform(WM_KEYDOWN, row.Pressed, static_cast<LPARAM>(TShiftState{ssShift}.Bits()));
    EXPECT_EQ(result, row.Result);
    EXPECT_EQ(gLog, row.Log);
  }

  TLogWin c(nullptr, "c");
  c.SetOnKeyPress(TKeyPressEvent::FromFunction([](TObject*, char& key) {
    if (key == 'x') key = 0;
  }));
  EXPECT_EQ(c.Perform(WM_CHAR, 'x'), 0);
  EXPECT_EQ(c.Perform(WM_CHAR, 'y'), 'y');
}

// Mouse messages reach the events with the button, shift and signed client
// coordinates.
TEST_F(ControlsTest, MouseMessagesRaiseMouseEvents) {
  TLogGraphic c(nullptr, "c");
  c.SetOnMouseDown(TMouseEvent::FromFunction([](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    Record("down " + std::to_string(b) + " " + SetToString(TypeInfoOf<TShiftState>(), s.Bits()) + " " +
           std::to_string(x) + "," + std::to_string(y));
  }));
  c.SetOnDblClick(TNotifyEvent::FromFunction([](TObject*) { Record("dblclick"); }));
  c.Perform(WM_LBUTTONDOWN, TShiftState{ssCtrl}.Bits(), PointToLParam(-3, 7));
  c.Perform(WM_LBUTTONDBLCLK, 0, PointToLParam(1, 2));
  EXPECT_EQ(gLog, (std::vector<std::string>{"down 0 [ssCtrl,ssLeft] -3,7", "dblclick",
                                            "down 0 [ssLeft,ssDouble] 1,2"}));
  ExpectThrowWith<EInvalidOperation>([] { PointToLParam(40000, 0); }, "does not fit");
}

// ---- Geometry, z-order, handles, menus ----

// Client and screen coordinates convert through every parent's position.
TEST_F(ControlsTest, ClientAndScreenCoordinates) {
  TStandInForm* form = MakeForm();
  form->SetBounds(100, 50, 300, 200);
  TLogWin* panel = Child<TLogWin>(form, "panel");
  panel->SetBounds(10, 20, 100, 100);
  TLogGraphic* label = Child<TLogGraphic>(panel, "label");
  label->SetBounds(5, 6, 10, 10);
  EXPECT_EQ(label->ClientToScreen(Point(1, 1)), Point(116, 77));
  EXPECT_EQ(label->ScreenToClient(Point(116, 77)), Point(1, 1));
  panel->SetClientWidth(120);
  EXPECT_EQ(panel->Width(), 120);
}

// BringToFront and SendToBack reorder the children of their own kind.
TEST_F(ControlsTest, ZOrderWithinTheParent) {
  TStandInForm* form = MakeForm();
  TLogWin* a = Child<TLogWin>(form, "a");
  Child<TLogWin>(form, "b");
  TLogGraphic* l1 = Child<TLogGraphic>(form, "l1");
  Child<TLogGraphic>(form, "l2");
  a->BringToFront();
  l1->BringToFront();
  EXPECT_EQ(ChildNames(form), (std::vector<std::string>{"l2", "l1", "b", "a"}));
  a->SendToBack();
  EXPECT_EQ(ChildNames(form), (std::vector<std::string>{"l2", "l1", "a", "b"}));
}

// The handle is made on demand (the parent's first) and released with the
// control, so a message posted to it is dropped, not delivered to freed
// memory.
TEST_F(ControlsTest, HandleOnDemandAndPostedMessagesDroppedAfterFree) {
  TStandInForm* form = MakeForm();
  TLogWin* edit = Child<TLogWin>(form, "edit");
  EXPECT_FALSE(edit->HandleAllocated());
  HWND handle = edit->Handle();
  EXPECT_NE(handle, 0);
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_EQ(edit->Handle(), handle);
  EXPECT_EQ(FindControl(handle), edit);

  PostMessage(handle, WM_USER);
  ProcessMessages();
  EXPECT_EQ(gLog, (std::vector<std::string>{"edit got WM_USER"}));

  gLog.clear();
  PostMessage(handle, WM_USER);
  Free(edit);
  gLog.clear();  // the form's defocus
  ProcessMessages();
  EXPECT_TRUE(gLog.empty());
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(FindControl(handle), nullptr);
}

// The pop-up menu reference is cleared when the menu goes away.
TEST_F(ControlsTest, PopupMenuClearedWhenFreed) {
  TLogWin c(nullptr, "c");
  auto* menu = NewObject<TComponent>(nullptr);
  c.SetPopupMenu(menu);
  EXPECT_EQ(c.PopupMenu(), menu);
  Free(menu);
  EXPECT_EQ(c.PopupMenu(), nullptr);
}

// ---- Published properties ----

// TControl publishes only its bounds, cursor and hint; a descendant
// publishes the inherited ones it names, with their defaults, and they work
// by name.
TEST_F(ControlsTest, DescendantsPublishInheritedPropertiesByName) {
  EXPECT_TRUE(IsPublishedProp(TControl::StaticClass(), "Left"));
  EXPECT_TRUE(IsPublishedProp(TControl::StaticClass(), "Hint"));
  for (const char* hidden : {"Caption", "Text", "Color", "Font", "OnClick", "TabOrder"}) {
    SCOPED_TRACE(hidden);
    EXPECT_FALSE(IsPublishedProp(TWinControl::StaticClass(), hidden));
  }
  const TClass& edit = TPublishingEdit::StaticClass();
  for (const char* shown : {"Text", "Color", "Font", "ParentFont", "OnClick", "OnExit", "TabStop"}) {
    SCOPED_TRACE(shown);
    EXPECT_TRUE(IsPublishedProp(edit, shown));
  }
  EXPECT_FALSE(IsPublishedProp(edit, "Caption"));
  EXPECT_EQ(GetPropInfo(edit, "TabStop")->Default(), std::optional<int64_t>(1));
  EXPECT_EQ(GetPropInfo(edit, "Font")->PropType().Name(), "TFont");

  RegisterControlClasses();
  RegisterControlClasses();  // again: harmless
  EXPECT_EQ(FindClass("twincontrol"), &TWinControl::StaticClass());
  EXPECT_EQ(FindClass("TGraphicControl"), &TGraphicControl::StaticClass());

  TPublishingEdit e(nullptr);
  SetPropValue(&e, "Text", Variant(AnsiString("abc")));
  EXPECT_EQ(e.Text(), "abc");

  // Class records live for the process, so the scratch builder does too.
  static TClassBuilder<TPublishingEdit> scratch("TPublishingEditScratch");
  ExpectThrowWith<EInvalidOperation>(
      [&] { TControl::PublishInherited<TPublishingEdit>(scratch, {"Nonsense"}); }, "'Nonsense'");
}

}  // namespace
