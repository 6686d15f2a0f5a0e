#include "platform/vcl/Tabs.h"

#include <algorithm>

#include "platform/rtl/NumConv.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/TextMetrics.h"

// The tab list tells the tab set about every finished change (once per
// update).
class TTabSet::TTabList : public TStringList {
public:
  explicit TTabList(TTabSet& owner) : FOwner(owner) {}

protected:
  void Changed() override {
    TStringList::Changed();
    if (UpdateCount() == 0) FOwner.TabsChanged();
  }

private:
  TTabSet& FOwner;
};

namespace {

bool IsLoading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }

}  // namespace

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner), FTabs(std::make_unique<TTabList>(*this)) {
  SetBounds(0, 0, 185, 21);
}

TTabSet::~TTabSet() = default;

const TClass& TTabSet::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TTabSet> b;
    TControl::PublishInherited<TTabSet>(b, {"Align", "Anchors"});
    b.Property("AutoScroll", &TTabSet::AutoScroll, &TTabSet::SetAutoScroll)
        .Default(true)
        .Property("BackgroundColor", &TTabSet::BackgroundColor, &TTabSet::SetBackgroundColor)
        .Default(clBtnFace)
        .Property("DitherBackground", &TTabSet::DitherBackground, &TTabSet::SetDitherBackground)
        .Default(true);
    TControl::PublishInherited<TTabSet>(b, {"Enabled"});
    b.Property("EndMargin", &TTabSet::EndMargin, &TTabSet::SetEndMargin).Default(5);
    TControl::PublishInherited<TTabSet>(b, {"Font", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"});
    b.Property("SoftTop", &TTabSet::SoftTop, &TTabSet::SetSoftTop)
        .Default(false)
        .Property("StartMargin", &TTabSet::StartMargin, &TTabSet::SetStartMargin)
        .Default(5)
        .Property("SelectedColor", &TTabSet::SelectedColor, &TTabSet::SetSelectedColor)
        .Default(clBtnFace)
        .Property("Style", &TTabSet::Style, &TTabSet::SetStyle)
        .Default(tsStandard)
        .Property("TabHeight", &TTabSet::TabHeight, &TTabSet::SetTabHeight)
        .Default(20)
        .Property("Tabs", &TTabSet::Tabs, &TTabSet::SetTabs)
        .Property("TabIndex", &TTabSet::TabIndex, &TTabSet::SetTabIndex)
        .Default(-1)
        .Property("UnselectedColor", &TTabSet::UnselectedColor, &TTabSet::SetUnselectedColor)
        .Default(clWindow);
    TControl::PublishInherited<TTabSet>(b, {"Visible", "OnClick"});
    b.Property("OnChange", &TTabSet::OnChange, &TTabSet::SetOnChange)
        .Property("OnDrawTab", &TTabSet::OnDrawTab, &TTabSet::SetOnDrawTab)
        .Property("OnMeasureTab", &TTabSet::OnMeasureTab, &TTabSet::SetOnMeasureTab);
    TControl::PublishInherited<TTabSet>(b, {"OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void RegisterTabsClasses() { RegisterClass(TTabSet::StaticClass()); }

void TTabSet::IndexError(const char* what, int index) const {
  throw EListError(AnsiString(what) + " " + IntToStr(index) + " is outside the " + IntToStr(FTabs->Count()) +
                   " tabs of " + (Name().empty() ? ClassName() : Name()));
}

TStrings* TTabSet::Tabs() const { return FTabs.get(); }

void TTabSet::SetTabs(TStrings* tabs) {
  if (tabs == nullptr) throw EInvalidOperation((Name().empty() ? ClassName() : Name()) + ": Tabs cannot be nil");
  FTabs->Assign(*tabs);
}

void TTabSet::TabsChanged() {
  if (IsLoading(this)) return;
  const int count = FTabs->Count();
  if (FTabIndex >= count) FTabIndex = count - 1;
  if (FFirstIndex > std::max(count - 1, 0)) FFirstIndex = std::max(count - 1, 0);
  Invalidate();
}

void TTabSet::SetTabIndex(int value) {
  if (IsLoading(this)) {
    FTabIndex = value;  // checked in Loaded
    return;
  }
  if (value < -1 || value >= FTabs->Count()) IndexError("Tab index", value);
  if (value == FTabIndex) return;
  FTabIndex = value;
  Invalidate();
}

void TTabSet::Loaded() {
  TCustomControl::Loaded();
  if (FTabIndex < -1 || FTabIndex >= FTabs->Count()) {
    const int bad = FTabIndex;
    FTabIndex = -1;
    IndexError("Tab index", bad);
  }
  TabsChanged();
}

bool TTabSet::CanChange(int newTab) {
  bool allow = true;
  if (FOnChange) FOnChange(this, newTab, allow);
  return allow;
}

void TTabSet::UserSelect(int newTab) {
  if (newTab == FTabIndex) return;
  if (!CanChange(newTab)) return;
  // The handler may have changed the tabs.
  if (newTab >= FTabs->Count()) return;
  FTabIndex = newTab;
  // A chosen tab that lies outside the shown ones scrolls into view.
  if (FAutoScroll && newTab >= 0) {
    if (newTab < FFirstIndex) FFirstIndex = newTab;
    while (FFirstIndex < newTab && TabRect(newTab).IsEmpty()) ++FFirstIndex;
  }
  Invalidate();
}

void TTabSet::SelectNext(bool direction) {
  const int count = FTabs->Count();
  if (count < 2) return;
  int next = FTabIndex + (direction ? 1 : -1);
  if (next >= count) next = 0;
  if (next < 0) next = count - 1;
  UserSelect(next);
}

void TTabSet::SetFirstIndex(int value) {
  if (value < 0 || value > std::max(FTabs->Count() - 1, 0)) IndexError("First index", value);
  if (value == FFirstIndex) return;
  FFirstIndex = value;
  Invalidate();
}

int TTabSet::MeasureTab(int index) const {
  int width = GetTextMetrics().TextWidth(*Font(), FTabs->Get(index)) + 2 * kTabPadding;
  if (FStyle == tsOwnerDraw && FOnMeasureTab) FOnMeasureTab(const_cast<TTabSet*>(this), index, width);
  return std::max(width, 0);
}

TRect TTabSet::TabRect(int index) const {
  if (index < 0 || index >= FTabs->Count()) IndexError("Tab", index);
  if (index < FFirstIndex) return TRect{};
  const int limit = ClientWidth() - FEndMargin;
  int x = FStartMargin;
  for (int i = FFirstIndex; i <= index; ++i) {
    const int width = MeasureTab(i);
    if (x + width > limit) return TRect{};
    if (i == index) return Rect(x, 0, x + width, FTabHeight);
    x += width;
  }
  return TRect{};
}

int TTabSet::VisibleTabs() const {
  int shown = 0;
  for (int i = FFirstIndex; i < FTabs->Count(); ++i) {
    if (TabRect(i).IsEmpty()) break;
    ++shown;
  }
  return shown;
}

int TTabSet::ItemAtPos(int x, int y) const {
  for (int i = FFirstIndex; i < FTabs->Count(); ++i) {
    const TRect r = TabRect(i);
    if (r.IsEmpty()) break;
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return i;
  }
  return -1;
}

void TTabSet::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    const int tab = ItemAtPos(x, y);
    if (tab >= 0) UserSelect(tab);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TTabSet::Paint() {
  TCanvas& canvas = Canvas();
  for (int i = FFirstIndex; i < FTabs->Count(); ++i) {
    const TRect r = TabRect(i);
    if (r.IsEmpty()) break;
    const bool selected = i == FTabIndex;
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(selected ? FSelectedColor : FUnselectedColor);
    const AnsiString caption = FTabs->Get(i);
    if (FStyle == tsOwnerDraw) {
      if (FOnDrawTab) FOnDrawTab(this, &canvas, r, i, selected);
      continue;
    }
    const int x = r.Left + (r.Width() - canvas.TextWidth(caption)) / 2;
    const int y = r.Top + (r.Height() - canvas.TextHeight(caption)) / 2;
    canvas.TextRect(r, x, y, caption);
  }
}

void TTabSet::FontChanged() {
  TCustomControl::FontChanged();
  Invalidate();
}

void TTabSet::SetStyle(TTabSetStyle value) {
  if (value != tsStandard && value != tsOwnerDraw)
    throw EInvalidOperation("Unknown tab set style " + IntToStr(static_cast<int>(value)));
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TTabSet::SetSelectedColor(TColor value) {
  FSelectedColor = value;
  Invalidate();
}

void TTabSet::SetUnselectedColor(TColor value) {
  FUnselectedColor = value;
  Invalidate();
}

void TTabSet::SetBackgroundColor(TColor value) {
  FBackgroundColor = value;
  Invalidate();
}

void TTabSet::SetDitherBackground(bool value) {
  FDitherBackground = value;
  Invalidate();
}

void TTabSet::SetSoftTop(bool value) {
  FSoftTop = value;
  Invalidate();
}

void TTabSet::SetStartMargin(int value) {
  if (value < 0) throw EInvalidOperation("StartMargin cannot be negative (" + IntToStr(value) + ")");
  FStartMargin = value;
  Invalidate();
}

void TTabSet::SetEndMargin(int value) {
  if (value < 0) throw EInvalidOperation("EndMargin cannot be negative (" + IntToStr(value) + ")");
  FEndMargin = value;
  Invalidate();
}

void TTabSet::SetTabHeight(int value) {
  if (value < 0) throw EInvalidOperation("TabHeight cannot be negative (" + IntToStr(value) + ")");
  FTabHeight = value;
  Invalidate();
}
