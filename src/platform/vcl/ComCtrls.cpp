#include "platform/vcl/ComCtrls.h"

#include <algorithm>
#include <fstream>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/NumConv.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/TextMetrics.h"

namespace {

[[noreturn]] void ListIndexError(const char* what, int index) {
  throw EListError(AnsiString(what) + " index out of bounds (" + IntToStr(index) + ")");
}

bool IsDestroying(const TComponent* c) { return c->ComponentState().Contains(csDestroying); }
bool IsLoading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }

AnsiString Describe(const TComponent* c) {
  if (c == nullptr) return "nil";
  return c->Name().empty() ? c->ClassName() : c->Name() + " (" + c->ClassName() + ")";
}

// The form the control is on when that form is shown and may move the focus.
TCustomForm* FocusForm(const TControl* control) {
  TCustomForm* form = GetParentForm(control);
  return form != nullptr && form->Visible() ? form : nullptr;
}

// Removes the last whole character of text (a double-byte one as a unit).
void DeleteLastChar(AnsiString& text, int codePage) {
  if (text.empty()) return;
  size_t i = 0, last = 0;
  while (i < text.size()) {
    last = i;
    i += static_cast<size_t>(std::max(1, CharLengthAt(codePage, text, i)));
  }
  text.erase(last);
}

}  // namespace

// ============================================================ tab strip ===

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 289, 193);
  FImageLink.SetOnChange(TNotifyEvent(this, &TCustomTabControl::ImageListChange));
}

TCustomTabControl::~TCustomTabControl() = default;

const TClass& TCustomTabControl::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomTabControl>().Build();
  return record;
}

void TCustomTabControl::CheckTabIndex(int tabIndex) const {
  if (tabIndex < 0 || tabIndex >= TabCount()) ListIndexError("Tab", tabIndex);
}

int TCustomTabControl::TabThickness() const {
  if (FTabHeight > 0) return FTabHeight;
  return GetTextMetrics().TextHeight(*Font(), "") + 2 * kTabPaddingY;
}

int TCustomTabControl::TabExtent(int tabIndex) const {
  if (FTabWidth > 0) return FTabWidth;
  int width = GetTextMetrics().TextWidth(*Font(), TabCaption(tabIndex)) + 2 * kTabPaddingX;
  if (FImages != nullptr && TabImageIndex(tabIndex) >= 0) width += FImages->Width() + kImageGap;
  return width;
}

std::vector<TRect> TCustomTabControl::LayoutTabs() const {
  // Positions along the strip (u) and across it (row), then mapped to the
  // control's sides.
  const int count = TabCount();
  const bool vertical = FTabPosition == tpLeft || FTabPosition == tpRight;
  const int length = vertical ? ClientHeight() : ClientWidth();
  const int thickness = TabThickness();
  const int gap = FStyle == tsTabs ? 0 : kButtonGap;
  struct TPlace {
    int U, Extent, Row;
  };
  std::vector<TPlace> places;
  places.reserve(count);
  int u = kStripInset, row = 0;
  for (int i = 0; i < count; ++i) {
    const int extent = TabExtent(i);
    if (FMultiLine && u > kStripInset && u + extent > length - kStripInset) {
      ++row;
      u = kStripInset;
    }
    places.push_back({u, extent, row});
    u += extent + gap;
  }
  const int rows = count == 0 ? 0 : row + 1;
  std::vector<TRect> rects;
  rects.reserve(count);
  for (const TPlace& p : places) {
    // Row 0 lies at the edge for top/left, innermost for bottom/right.
    int across = 0;
    switch (FTabPosition) {
      case tpTop:
      case tpLeft: across = kStripInset + p.Row * thickness; break;
      case tpBottom: across = ClientHeight() - kStripInset - (rows - p.Row) * thickness; break;
      case tpRight: across = ClientWidth() - kStripInset - (rows - p.Row) * thickness; break;
    }
    if (vertical)
      rects.push_back(Rect(across, p.U, across + thickness, p.U + p.Extent));
    else
      rects.push_back(Rect(p.U, across, p.U + p.Extent, across + thickness));
  }
  return rects;
}

TRect TCustomTabControl::TabRect(int tabIndex) const {
  CheckTabIndex(tabIndex);
  return LayoutTabs()[tabIndex];
}

int TCustomTabControl::IndexOfTabAt(int x, int y) const {
  const std::vector<TRect> rects = LayoutTabs();
  for (size_t i = 0; i < rects.size(); ++i) {
    const TRect& r = rects[i];
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return static_cast<int>(i);
  }
  return -1;
}

int TCustomTabControl::RowCount() const {
  const std::vector<TRect> rects = LayoutTabs();
  if (rects.empty()) return 0;
  const bool vertical = FTabPosition == tpLeft || FTabPosition == tpRight;
  int rows = 1;
  for (size_t i = 1; i < rects.size(); ++i) {
    const bool newRow = vertical ? rects[i].Left != rects[i - 1].Left : rects[i].Top != rects[i - 1].Top;
    if (newRow) ++rows;
  }
  return rows;
}

TRect TCustomTabControl::DisplayRect() const {
  TRect r = ClientRect();
  const int rows = RowCount();
  const int strip = rows == 0 ? 0 : rows * TabThickness() + kStripInset;
  switch (FTabPosition) {
    case tpTop: r.Top += strip; break;
    case tpBottom: r.Bottom -= strip; break;
    case tpLeft: r.Left += strip; break;
    case tpRight: r.Right -= strip; break;
  }
  r.Left += kPageBorder;
  r.Top += kPageBorder;
  r.Right -= kPageBorder;
  r.Bottom -= kPageBorder;
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

void TCustomTabControl::SetImages(TCustomImageList* value) {
  if (value == FImages) return;
  if (FImages != nullptr) {
    FImages->UnRegisterChanges(&FImageLink);
    FImages->RemoveFreeNotification(this);
  }
  FImages = value;
  if (FImages != nullptr) {
    FImages->RegisterChanges(&FImageLink);
    FImages->FreeNotification(this);
  }
  TabsChanged();
}

void TCustomTabControl::ImageListChange(TObject*) { TabsChanged(); }

void TCustomTabControl::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FImages) {
    FImages = nullptr;
    if (!IsDestroying(this)) TabsChanged();
  }
}

void TCustomTabControl::SetTabHeight(int value) {
  if (value < 0) throw EInvalidOperation(Describe(this) + ": TabHeight cannot be negative (" + IntToStr(value) + ")");
  if (value == FTabHeight) return;
  FTabHeight = value;
  TabsChanged();
}

void TCustomTabControl::SetTabWidth(int value) {
  if (value < 0) throw EInvalidOperation(Describe(this) + ": TabWidth cannot be negative (" + IntToStr(value) + ")");
  if (value == FTabWidth) return;
  FTabWidth = value;
  TabsChanged();
}

void TCustomTabControl::SetStyle(TTabStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  TabsChanged();
}

void TCustomTabControl::SetMultiLine(bool value) {
  if (value == FMultiLine) return;
  FMultiLine = value;
  TabsChanged();
}

void TCustomTabControl::SetTabPosition(TTabPosition value) {
  if (value == FTabPosition) return;
  FTabPosition = value;
  TabsChanged();
}

void TCustomTabControl::SetOwnerDraw(bool value) {
  if (value == FOwnerDraw) return;
  FOwnerDraw = value;
  Invalidate();
}

void TCustomTabControl::TabsChanged() { Invalidate(); }

void TCustomTabControl::FontChanged() {
  TWinControl::FontChanged();
  TabsChanged();
}

void TCustomTabControl::SizeChanged(const TRect& oldClientRect) {
  TabsChanged();
  TWinControl::SizeChanged(oldClientRect);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomTabControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
  if (FOnDrawTab) {
    FOnDrawTab(this, tabIndex, rect, active);
    return;
  }
  FCanvas.FillRect(rect);
  FCanvas.TextOut(rect.Left + kTabPaddingX, rect.Top + kTabPaddingY, TabCaption(tabIndex));
}

void TCustomTabControl::Repaint() {
  TWinControl::Repaint();
  FCanvas.ClearTexts();
  FCanvas.Font().Assign(Font());
  const std::vector<TRect> rects = LayoutTabs();
  const int active = TabIndex();
  for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
    TRect r = rects[i];
    if (FOwnerDraw) {
      if (i == active) {
        r.Left -= kActiveInflate;
        r.Top -= kActiveInflate;
        r.Right += kActiveInflate;
        r.Bottom += kActiveInflate;
      }
      // Each tab starts from the control's own font and colour.
      FCanvas.Font().Assign(Font());
      FCanvas.Brush().SetColor(Color());
      FCanvas.Brush().SetStyle(bsSolid);
      DrawTab(i, r, i == active);
    } else {
      const AnsiString caption = TabCaption(i);
      const int x = r.Left + (r.Width() - FCanvas.TextWidth(caption)) / 2;
      const int y = r.Top + (r.Height() - FCanvas.TextHeight(caption)) / 2;
      FCanvas.Brush().SetStyle(bsClear);
      FCanvas.TextRect(r, x, y, caption);
    }
  }
}

bool TCustomTabControl::UserClickTab(int tabIndex) {
  const TRect r = TabRect(tabIndex);
  const int x = r.Left + r.Width() / 2;
  const int y = r.Top + r.Height() / 2;
  if (!Application().DispatchMouseDown(this, mbLeft, TShiftState{ssLeft}, x, y)) return false;
  return Application().DispatchMouseUp(this, mbLeft, TShiftState{}, x, y);
}

void TCustomTabControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    const int tab = IndexOfTabAt(x, y);
    if (tab >= 0) {
      // A standard tab control takes the focus when a tab is pressed; when
      // an exit handler sends the focus elsewhere, the press ends there.
      if (FocusForm(this) != nullptr && !Focused() && CanFocus()) {
        SetFocus();
        if (!Focused()) return;
      }
      if (tab != TabIndex()) UserSelectTab(tab);
    }
  }
  TWinControl::MouseDown(button, shift, x, y);
}

// ============================================================ tab sheet ===

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  // A sheet is shown only while it is the active page.
  TWinControl::SetVisible(false);
}

const TClass& TTabSheet::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TTabSheet> b;
    TControl::PublishInherited<TTabSheet>(
        b, {"Caption", "Enabled", "Font", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint",
            "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"});
    b.Property("Highlighted", &TTabSheet::Highlighted, &TTabSheet::SetHighlighted)
        .Default(false)
        .Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex)
        .Default(-1)
        .Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
        .Stored(false)
        .Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
        .Default(true)
        .Property("OnHide", &TTabSheet::OnHide, &TTabSheet::SetOnHide)
        .Property("OnShow", &TTabSheet::OnShow, &TTabSheet::SetOnShow)
        .Factory();
    return b.Build();
  }();
  return record;
}

void TTabSheet::BeforeDestruction() {
  Destroying();
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
  TWinControl::BeforeDestruction();
}

void TTabSheet::SetPageControl(TPageControl* value) {
  if (value == FPageControl) return;
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
  if (value != nullptr) {
    TWinControl::SetParent(value);
    value->InsertPage(this);
  } else {
    TWinControl::SetParent(nullptr);
  }
}

void TTabSheet::SetParent(TWinControl* parent) {
  if (parent == nullptr) {
    SetPageControl(nullptr);
    return;
  }
  auto* pageControl = dynamic_cast<TPageControl*>(parent);
  if (pageControl == nullptr)
    throw EControlError("Cannot place " + Describe(this) + " in " + Describe(parent) +
                        ": a tab sheet lies on a page control");
  SetPageControl(pageControl);
}

int TTabSheet::PageIndex() const {
  if (FPageControl == nullptr) return -1;
  const auto& pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int value) {
  if (FPageControl == nullptr) {
    // Read from a resource before the sheet is placed: nothing to order.
    if (IsLoading(this) || ComponentState().Contains(csReading)) return;
    throw EInvalidOperation(Describe(this) + ": PageIndex needs a page control");
  }
  FPageControl->MovePage(this, value);
}

int TTabSheet::TabIndex() const {
  if (FPageControl == nullptr || !FTabVisible) return -1;
  int index = 0;
  for (TTabSheet* page : FPageControl->FPages) {
    if (page == this) return index;
    if (page->FTabVisible) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool value) {
  if (value == FTabVisible) return;
  FTabVisible = value;
  if (FPageControl != nullptr) FPageControl->TabsChanged();
}

void TTabSheet::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  if (FPageControl != nullptr) FPageControl->TabsChanged();
}

void TTabSheet::TextChanged() {
  TWinControl::TextChanged();
  if (FPageControl != nullptr) FPageControl->TabsChanged();
}

void TTabSheet::VisibleChanged() {
  TWinControl::VisibleChanged();
  if (IsDestroying(this)) return;
  if (Visible()) {
    if (FOnShow) FOnShow(this);
  } else {
    if (FOnHide) FOnHide(this);
  }
}

// ========================================================= page control ===

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

const TClass& TPageControl::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TPageControl> b;
    b.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    TControl::PublishInherited<TPageControl>(b, {"Align", "Anchors", "Enabled", "Font"});
    b.Property("HotTrack", &TPageControl::HotTrack, &TPageControl::SetHotTrack)
        .Default(false)
        .Property("Images", &TPageControl::Images, &TPageControl::SetImages)
        .Property("MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine)
        .Default(false)
        .Property("OwnerDraw", &TPageControl::OwnerDraw, &TPageControl::SetOwnerDraw)
        .Default(false);
    TControl::PublishInherited<TPageControl>(b, {"ParentFont", "ParentShowHint", "PopupMenu"});
    b.Property("RaggedRight", &TPageControl::RaggedRight, &TPageControl::SetRaggedRight)
        .Default(false)
        .Property("ScrollOpposite", &TPageControl::ScrollOpposite, &TPageControl::SetScrollOpposite)
        .Default(false);
    TControl::PublishInherited<TPageControl>(b, {"ShowHint"});
    b.Property("Style", &TPageControl::Style, &TPageControl::SetStyle)
        .Default(tsTabs)
        .Property("TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight)
        .Default(0);
    TControl::PublishInherited<TPageControl>(b, {"TabOrder"});
    b.Property("TabPosition", &TPageControl::TabPosition, &TPageControl::SetTabPosition).Default(tpTop);
    TControl::PublishInherited<TPageControl>(b, {"TabStop"}).Default(true);
    b.Property("TabWidth", &TPageControl::TabWidth, &TPageControl::SetTabWidth).Default(0);
    TControl::PublishInherited<TPageControl>(b, {"Visible"});
    b.Property("OnChange", &TPageControl::OnChange, &TPageControl::SetOnChange)
        .Property("OnChanging", &TPageControl::OnChanging, &TPageControl::SetOnChanging)
        .Property("OnDrawTab", &TPageControl::OnDrawTab, &TPageControl::SetOnDrawTab);
    TControl::PublishInherited<TPageControl>(
        b, {"OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TPageControl::BeforeDestruction() {
  Destroying();
  // The sheets go with the control; none of them becomes active on the way.
  FActivePage = nullptr;
  TCustomTabControl::BeforeDestruction();
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) ListIndexError("List", index);
  return FPages[index];
}

int TPageControl::ActivePageIndex() const { return FActivePage == nullptr ? -1 : FActivePage->PageIndex(); }

void TPageControl::SetActivePageIndex(int value) {
  if (value == -1) {
    SetActivePage(nullptr);
    return;
  }
  SetActivePage(Pages(value));
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page != nullptr && page->FPageControl != this)
    throw EInvalidOperation(Describe(page) + " is not a page of " + Describe(this));
  ChangeActivePage(page);
}

bool TPageControl::ChangeActivePage(TTabSheet* page) {
  if (page == FActivePage) return false;
  TTabSheet* const old = FActivePage;
  if (old != nullptr && !IsDestroying(this)) {
    // The focus leaves the old page for the page control first; an exit
    // handler that keeps it inside the old page keeps the page.
    if (TCustomForm* form = FocusForm(this); form != nullptr && old->ContainsControl(form->ActiveControl())) {
      if (CanFocus()) SetFocus();
      if (old->ContainsControl(form->ActiveControl())) return false;
    }
  }
  FActivePage = page;
  if (page != nullptr) {
    page->SetBoundsRect(DisplayRect());
    page->BringToFront();
    page->SetVisible(true);
  }
  if (old != nullptr && old->FPageControl == this) old->SetVisible(false);
  Invalidate();
  return true;
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
  const int count = PageCount();
  if (count == 0) return nullptr;
  auto it = std::find(FPages.begin(), FPages.end(), current);
  int start = it == FPages.end() ? (goForward ? count - 1 : 0) : static_cast<int>(it - FPages.begin());
  int i = start;
  do {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TTabSheet* page = FPages[i];
    if (!checkTabVisible || page->FTabVisible) return page;
  } while (i != start);
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible) {
  TTabSheet* page = FindNextPage(FActivePage, goForward, checkTabVisible);
  if (page != nullptr && page != FActivePage) UserSelectPage(page);
}

void TPageControl::UserSelectPage(TTabSheet* page) {
  if (!CanChange()) return;
  if (ChangeActivePage(page)) Change();
}

TTabSheet* TPageControl::PageForTab(int tabIndex) const {
  if (tabIndex < 0) return nullptr;
  int index = 0;
  for (TTabSheet* page : FPages) {
    if (!page->FTabVisible) continue;
    if (index == tabIndex) return page;
    ++index;
  }
  return nullptr;
}

int TPageControl::TabCount() const {
  return static_cast<int>(std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* p) { return p->FTabVisible; }));
}

AnsiString TPageControl::TabCaption(int tabIndex) const {
  CheckTabIndex(tabIndex);
  return PageForTab(tabIndex)->Caption();
}

int TPageControl::TabImageIndex(int tabIndex) const {
  CheckTabIndex(tabIndex);
  return PageForTab(tabIndex)->ImageIndex();
}

int TPageControl::TabIndex() const { return FActivePage == nullptr ? -1 : FActivePage->TabIndex(); }

void TPageControl::UserSelectTab(int tabIndex) {
  CheckTabIndex(tabIndex);
  TTabSheet* page = PageForTab(tabIndex);
  if (page != FActivePage) UserSelectPage(page);
}

bool TPageControl::DialogKey(uint16_t key, TShiftState shift) {
  if (key != VK_TAB || !shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return false;
  TCustomForm* form = GetParentForm(this);
  if (form == nullptr || !ContainsControl(form->ActiveControl())) return false;
  SelectNextPage(!shift.Contains(ssShift));
  return true;
}

void TPageControl::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomTabControl::KeyDown(key, shift);
  if (key == 0) return;
  if (key == VK_TAB && shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
    SelectNextPage(!shift.Contains(ssShift));
    key = 0;
    return;
  }
  if (!shift.Empty()) return;
  const bool vertical = TabPosition() == tpLeft || TabPosition() == tpRight;
  const uint16_t back = vertical ? VK_UP : VK_LEFT;
  const uint16_t ahead = vertical ? VK_DOWN : VK_RIGHT;
  if (key != back && key != ahead) return;
  key = 0;
  const int tabs = TabCount();
  if (tabs == 0) return;
  const int current = TabIndex();
  int target;
  if (current < 0)
    target = key == ahead ? 0 : tabs - 1;
  else
    target = std::clamp(current + (key == ahead ? 1 : -1), 0, tabs - 1);
  if (target != current) UserSelectTab(target);
}

void TPageControl::TabsChanged() {
  TCustomTabControl::TabsChanged();
  LayoutPages();
}

void TPageControl::LayoutPages() {
  if (FActivePage != nullptr) FActivePage->SetBoundsRect(DisplayRect());
}

void TPageControl::InsertPage(TTabSheet* page) {
  FPages.push_back(page);
  page->FPageControl = this;
  TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(FPages.begin(), FPages.end(), page);
  if (it == FPages.end()) return;
  if (page == FActivePage && !IsDestroying(this)) {
    // The next page takes over, as a change by code.
    TTabSheet* next = FindNextPage(page, true, !ComponentState().Contains(csDesigning));
    if (next == page) next = nullptr;
    if (!ChangeActivePage(next)) {
      // An exit handler kept the focus inside the page that leaves: it goes
      // all the same, and the form moves the focus as for any removal.
      FActivePage = next;
      if (next != nullptr) {
        next->SetBoundsRect(DisplayRect());
        next->SetVisible(true);
      }
    }
  }
  if (page == FActivePage) FActivePage = nullptr;
  FPages.erase(std::find(FPages.begin(), FPages.end(), page));
  page->FPageControl = nullptr;
  if (!IsDestroying(this)) TabsChanged();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  if (index < 0 || index >= PageCount()) ListIndexError("List", index);
  auto it = std::find(FPages.begin(), FPages.end(), page);
  FPages.erase(it);
  FPages.insert(FPages.begin() + index, page);
  TabsChanged();
}

// ============================================================ tree view ===

TTreeNode::TTreeNode(TTreeNodes* owner) : FOwner(owner) {}

TTreeNode::~TTreeNode() = default;

const TClass& TTreeNode::StaticClass() {
  static const TClass& record = TClassBuilder<TTreeNode>().Build();
  return record;
}

TCustomTreeView* TTreeNode::TreeView() const { return FOwner != nullptr ? FOwner->Owner() : nullptr; }

void TTreeNode::SetText(const AnsiString& value) {
  if (value == FText) return;
  FText = value;
  if (TCustomTreeView* view = TreeView()) view->Invalidate();
}

void TTreeNode::SetImageIndex(int value) {
  FImageIndex = value;
  if (TCustomTreeView* view = TreeView()) view->Invalidate();
}

void TTreeNode::SetSelectedIndex(int value) {
  FSelectedIndex = value;
  if (TCustomTreeView* view = TreeView()) view->Invalidate();
}

void TTreeNode::SetStateIndex(int value) {
  FStateIndex = value;
  if (TCustomTreeView* view = TreeView()) view->Invalidate();
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) ListIndexError("List", index);
  return FChildren[index];
}

void TTreeNode::SetHasChildren(bool value) {
  FHasChildren = value;
  if (TCustomTreeView* view = TreeView()) view->Invalidate();
}

int TTreeNode::Index() const {
  const std::vector<TTreeNode*>& siblings = FOwner->SiblingsOf(FParent);
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

int TTreeNode::AbsoluteIndex() const {
  const std::vector<TTreeNode*>& flat = FOwner->Flat();
  return static_cast<int>(std::find(flat.begin(), flat.end(), this) - flat.begin());
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = FParent; p != nullptr; p = p->FParent) ++level;
  return level;
}

TTreeNode* TTreeNode::GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
TTreeNode* TTreeNode::GetLastChild() const { return FChildren.empty() ? nullptr : FChildren.back(); }

TTreeNode* TTreeNode::GetNextSibling() const {
  const std::vector<TTreeNode*>& siblings = FOwner->SiblingsOf(FParent);
  const int i = Index();
  return i + 1 < static_cast<int>(siblings.size()) ? siblings[i + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const std::vector<TTreeNode*>& siblings = FOwner->SiblingsOf(FParent);
  const int i = Index();
  return i > 0 ? siblings[i - 1] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  const std::vector<TTreeNode*>& flat = FOwner->Flat();
  const int i = AbsoluteIndex();
  return i + 1 < static_cast<int>(flat.size()) ? flat[i + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  const std::vector<TTreeNode*>& flat = FOwner->Flat();
  const int i = AbsoluteIndex();
  return i > 0 ? flat[i - 1] : nullptr;
}

bool TTreeNode::IsVisible() const {
  for (const TTreeNode* p = FParent; p != nullptr; p = p->FParent)
    if (!p->FExpanded) return false;
  return true;
}

TTreeNode* TTreeNode::GetNextVisible() const {
  for (TTreeNode* n = GetNext(); n != nullptr; n = n->GetNext())
    if (n->IsVisible()) return n;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
  for (TTreeNode* n = GetPrev(); n != nullptr; n = n->GetPrev())
    if (n->IsVisible()) return n;
  return nullptr;
}

bool TTreeNode::HasAsParent(const TTreeNode* value) const {
  if (value == nullptr) return false;
  for (const TTreeNode* p = FParent; p != nullptr; p = p->FParent)
    if (p == value) return true;
  return false;
}

void TTreeNode::SetExpanded(bool value) {
  if (value == FExpanded) return;
  TCustomTreeView* view = TreeView();
  if (value) {
    if (!HasChildren()) return;
    if (view != nullptr && !view->CanExpand(this)) return;
    // The handler may have filled a node that only announced children.
    if (FChildren.empty()) return;
    FExpanded = true;
    FOwner->Changed();
    if (view != nullptr) view->Expanded(this);
  } else {
    if (view != nullptr && !view->CanCollapse(this)) return;
    FExpanded = false;
    FOwner->Changed();
    // A selection that is now hidden moves up to this node.
    if (view != nullptr && view->FSelected != nullptr && view->FSelected->HasAsParent(this))
      view->SetSelected(this);
    if (view != nullptr) view->Collapsed(this);
  }
}

void TTreeNode::Expand(bool recurse) {
  SetExpanded(true);
  if (!recurse) return;
  const std::vector<TTreeNode*> children = FChildren;
  for (TTreeNode* child : children) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse) {
    const std::vector<TTreeNode*> children = FChildren;
    for (TTreeNode* child : children) child->Collapse(true);
  }
  SetExpanded(false);
}

bool TTreeNode::Selected() const {
  TCustomTreeView* view = TreeView();
  return view != nullptr && view->FSelected == this;
}

void TTreeNode::SetSelected(bool value) {
  TCustomTreeView* view = TreeView();
  if (view == nullptr) return;
  if (value)
    view->SetSelected(this);
  else if (view->FSelected == this)
    view->SetSelected(nullptr);
}

bool TTreeNode::Focused() const {
  TCustomTreeView* view = TreeView();
  return view != nullptr && view->FSelected == this && view->Focused();
}

void TTreeNode::MakeVisible() {
  std::vector<TTreeNode*> parents;
  for (TTreeNode* p = FParent; p != nullptr; p = p->FParent) parents.push_back(p);
  for (auto it = parents.rbegin(); it != parents.rend(); ++it) (*it)->SetExpanded(true);
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (!FChildren.empty()) FOwner->Delete(FChildren.back());
  FExpanded = false;
}

void TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
  if (destination != nullptr) FOwner->CheckOwn(destination, "MoveTo");
  if (destination == this || (destination != nullptr && destination->HasAsParent(this)))
    throw EInvalidOperation("Cannot move tree node \"" + FText + "\" into its own subtree");
  TTreeNode* oldParent = FParent;
  FOwner->Detach(this);
  FOwner->Attach(this, destination, mode);
  if (oldParent != nullptr && oldParent->FChildren.empty()) oldParent->FExpanded = false;
  FOwner->Changed();
}

bool TTreeNode::EditText() {
  TCustomTreeView* view = TreeView();
  return view != nullptr && view->BeginEdit(this);
}

void TTreeNode::Assign(const TPersistent* source) {
  const auto* node = dynamic_cast<const TTreeNode*>(source);
  if (node == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  FText = node->FText;
  FData = node->FData;
  FImageIndex = node->FImageIndex;
  FSelectedIndex = node->FSelectedIndex;
  FStateIndex = node->FStateIndex;
  FOverlayIndex = node->FOverlayIndex;
  FHasChildren = node->FHasChildren;
  if (TCustomTreeView* view = TreeView()) view->Invalidate();
}

// ---- TTreeNodes ----

TTreeNodes::TTreeNodes(TCustomTreeView* owner) : FOwner(owner) {}

TTreeNodes::~TTreeNodes() {
  // Whoever watches the nodes goes away with them: no events.
  std::vector<TTreeNode*> all = Flat();
  FRoots.clear();
  for (TTreeNode* node : all) delete node;
}

const TClass& TTreeNodes::StaticClass() {
  static const TClass& record = TClassBuilder<TTreeNodes>().Build();
  return record;
}

TPersistent* TTreeNodes::GetOwner() const { return FOwner; }

const std::vector<TTreeNode*>& TTreeNodes::Flat() const {
  if (!FFlatValid) {
    FFlat.clear();
    // Depth-first without recursion, so a deep tree cannot exhaust the stack.
    std::vector<TTreeNode*> stack(FRoots.rbegin(), FRoots.rend());
    while (!stack.empty()) {
      TTreeNode* node = stack.back();
      stack.pop_back();
      FFlat.push_back(node);
      stack.insert(stack.end(), node->FChildren.rbegin(), node->FChildren.rend());
    }
    FFlatValid = true;
  }
  return FFlat;
}

int TTreeNodes::Count() const { return static_cast<int>(Flat().size()); }

TTreeNode* TTreeNodes::Item(int index) const {
  const std::vector<TTreeNode*>& flat = Flat();
  if (index < 0 || index >= static_cast<int>(flat.size())) ListIndexError("List", index);
  return flat[index];
}

std::vector<TTreeNode*>& TTreeNodes::SiblingsOf(TTreeNode* parent) {
  return parent == nullptr ? FRoots : parent->FChildren;
}

void TTreeNodes::CheckOwn(const TTreeNode* node, const char* operation) const {
  if (node != nullptr && node->FOwner != this)
    throw EInvalidOperation(AnsiString("Tree nodes of ") + Describe(FOwner) + ": " + operation +
                            ": the node belongs to another tree");
}

void TTreeNodes::Changed() {
  FFlatValid = false;
  if (FUpdateCount == 0 && FOwner != nullptr) FOwner->Invalidate();
}

void TTreeNodes::Attach(TTreeNode* node, TTreeNode* relative, TNodeAttachMode mode) {
  TTreeNode* parent = nullptr;
  std::vector<TTreeNode*>* list = &FRoots;
  size_t at = FRoots.size();
  switch (mode) {
    case naAdd:
    case naAddFirst:
      parent = relative != nullptr ? relative->FParent : nullptr;
      list = &SiblingsOf(parent);
      at = mode == naAdd ? list->size() : 0;
      break;
    case naAddChild:
    case naAddChildFirst:
      parent = relative;
      list = &SiblingsOf(parent);
      at = mode == naAddChild ? list->size() : 0;
      break;
    case naInsert:
      parent = relative != nullptr ? relative->FParent : nullptr;
      list = &SiblingsOf(parent);
      at = relative != nullptr ? static_cast<size_t>(std::find(list->begin(), list->end(), relative) - list->begin())
                               : list->size();
      break;
  }
  list->insert(list->begin() + static_cast<ptrdiff_t>(at), node);
  node->FParent = parent;
}

void TTreeNodes::Detach(TTreeNode* node) {
  std::vector<TTreeNode*>& list = SiblingsOf(node->FParent);
  list.erase(std::find(list.begin(), list.end(), node));
  node->FParent = nullptr;
}

TTreeNode* TTreeNodes::AttachNew(TTreeNode* relative, const AnsiString& text, void* data, TNodeAttachMode mode) {
  CheckOwn(relative, "adding a node");
  if (FDeleting) throw EInvalidOperation("Tree nodes of " + Describe(FOwner) + ": cannot add nodes while deleting");
  auto* node = new TTreeNode(this);
  node->FText = text;
  node->FData = data;
  Attach(node, relative, mode);
  Changed();
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const AnsiString& text) { return AttachNew(sibling, text, nullptr, naAdd); }
TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const AnsiString& text, void* data) {
  return AttachNew(sibling, text, data, naAdd);
}
TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const AnsiString& text) {
  return AttachNew(sibling, text, nullptr, naAddFirst);
}
TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const AnsiString& text) {
  return AttachNew(parent, text, nullptr, naAddChild);
}
TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const AnsiString& text, void* data) {
  return AttachNew(parent, text, data, naAddChild);
}
TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const AnsiString& text) {
  return AttachNew(parent, text, nullptr, naAddChildFirst);
}
TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const AnsiString& text) {
  return AttachNew(sibling, text, nullptr, naInsert);
}
TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const AnsiString& text, void* data) {
  return AttachNew(sibling, text, data, naInsert);
}

void TTreeNodes::FreeNode(TTreeNode* node) {
  // Children first, in order, each told while still whole and in place.
  while (!node->FChildren.empty()) FreeNode(node->FChildren.front());
  if (FOwner != nullptr) FOwner->NodeDeleting(node);
  TTreeNode* parent = node->FParent;
  Detach(node);
  if (parent != nullptr && parent->FChildren.empty()) parent->FExpanded = false;
  FFlatValid = false;
  delete node;
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (node == nullptr) return;
  CheckOwn(node, "Delete");
  if (FDeleting) throw EInvalidOperation("Tree nodes of " + Describe(FOwner) + ": a deletion is already running");
  FDeleting = true;
  try {
    FreeNode(node);
  } catch (...) {
    FDeleting = false;
    Changed();
    throw;
  }
  FDeleting = false;
  Changed();
}

void TTreeNodes::Clear() {
  BeginUpdate();
  try {
    while (!FRoots.empty()) Delete(FRoots.back());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TTreeNodes::BeginUpdate() { ++FUpdateCount; }

void TTreeNodes::EndUpdate() {
  if (FUpdateCount == 0) throw EInvalidOperation("Tree nodes of " + Describe(FOwner) + ": EndUpdate without BeginUpdate");
  if (--FUpdateCount == 0) Changed();
}

void TTreeNodes::Assign(const TPersistent* source) {
  const auto* nodes = dynamic_cast<const TTreeNodes*>(source);
  if (nodes == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (nodes == this) return;
  BeginUpdate();
  try {
    Clear();
    // Copy level by level in depth-first order: a node's parent is copied
    // before it.
    std::vector<std::pair<const TTreeNode*, TTreeNode*>> stack;
    for (auto it = nodes->FRoots.rbegin(); it != nodes->FRoots.rend(); ++it) stack.push_back({*it, nullptr});
    std::vector<std::pair<TTreeNode*, bool>> expansions;
    while (!stack.empty()) {
      auto [from, parent] = stack.back();
      stack.pop_back();
      TTreeNode* copy = AttachNew(parent, from->FText, from->FData, naAddChild);
      copy->Assign(from);
      expansions.push_back({copy, from->FExpanded});
      for (auto it = from->FChildren.rbegin(); it != from->FChildren.rend(); ++it) stack.push_back({*it, copy});
    }
    for (auto& [node, expanded] : expansions) node->FExpanded = expanded && !node->FChildren.empty();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---- TCustomTreeView ----

TCustomTreeView::TCustomTreeView(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TTreeNodes>(this)) {
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 97);
  FImageLink.SetOnChange(TNotifyEvent(this, &TCustomTreeView::ImageListChange));
  FStateImageLink.SetOnChange(TNotifyEvent(this, &TCustomTreeView::ImageListChange));
}

TCustomTreeView::~TCustomTreeView() = default;

void TCustomTreeView::BeforeDestruction() {
  Destroying();
  // Nodes go without events once the view is being destroyed.
  FSelected = nullptr;
  FEditNode = nullptr;
  TWinControl::BeforeDestruction();
}

const TClass& TCustomTreeView::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomTreeView>().Build();
  return record;
}

const TClass& TTreeView::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TTreeView> b;
    TControl::PublishInherited<TTreeView>(b, {"Align", "Anchors"});
    b.Property("AutoExpand", &TTreeView::AutoExpand, &TTreeView::SetAutoExpand).Default(false);
    TControl::PublishInherited<TTreeView>(b, {"Color", "Enabled", "Font"});
    b.Property("HideSelection", &TTreeView::HideSelection, &TTreeView::SetHideSelection)
        .Default(true)
        .Property("HotTrack", &TTreeView::HotTrack, &TTreeView::SetHotTrack)
        .Default(false)
        .Property("Images", &TTreeView::Images, &TTreeView::SetImages)
        .Property("Indent", &TTreeView::Indent, &TTreeView::SetIndent)
        .Default(kDefaultIndent)
        .Property("Items", &TTreeView::Items, &TTreeView::SetItems);
    TControl::PublishInherited<TTreeView>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TTreeView>(b, {"ParentFont", "ParentShowHint", "PopupMenu"});
    b.Property("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly)
        .Default(false)
        .Property("RowSelect", &TTreeView::RowSelect, &TTreeView::SetRowSelect)
        .Default(false)
        .Property("ShowButtons", &TTreeView::ShowButtons, &TTreeView::SetShowButtons)
        .Default(true);
    TControl::PublishInherited<TTreeView>(b, {"ShowHint"});
    b.Property("ShowLines", &TTreeView::ShowLines, &TTreeView::SetShowLines)
        .Default(true)
        .Property("ShowRoot", &TTreeView::ShowRoot, &TTreeView::SetShowRoot)
        .Default(true)
        .Property("StateImages", &TTreeView::StateImages, &TTreeView::SetStateImages);
    TControl::PublishInherited<TTreeView>(b, {"TabOrder"});
    TControl::PublishInherited<TTreeView>(b, {"TabStop"}).Default(true);
    TControl::PublishInherited<TTreeView>(b, {"Visible"});
    b.Property("OnChange", &TTreeView::OnChange, &TTreeView::SetOnChange)
        .Property("OnChanging", &TTreeView::OnChanging, &TTreeView::SetOnChanging);
    TControl::PublishInherited<TTreeView>(b, {"OnClick"});
    b.Property("OnCollapsed", &TTreeView::OnCollapsed, &TTreeView::SetOnCollapsed)
        .Property("OnCollapsing", &TTreeView::OnCollapsing, &TTreeView::SetOnCollapsing);
    TControl::PublishInherited<TTreeView>(b, {"OnDblClick"});
    b.Property("OnDeletion", &TTreeView::OnDeletion, &TTreeView::SetOnDeletion)
        .Property("OnEdited", &TTreeView::OnEdited, &TTreeView::SetOnEdited)
        .Property("OnEditing", &TTreeView::OnEditing, &TTreeView::SetOnEditing);
    TControl::PublishInherited<TTreeView>(b, {"OnEnter", "OnExit"});
    b.Property("OnExpanded", &TTreeView::OnExpanded, &TTreeView::SetOnExpanded)
        .Property("OnExpanding", &TTreeView::OnExpanding, &TTreeView::SetOnExpanding);
    TControl::PublishInherited<TTreeView>(
        b, {"OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TCustomTreeView::SetItems(TTreeNodes* value) {
  if (value == nullptr) throw EInvalidOperation(Describe(this) + ": Items cannot be nil");
  FItems->Assign(value);
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  if (node == FSelected) return;
  FItems->CheckOwn(node, "Selected");
  if (!CanChange(node)) return;
  if (node != nullptr && !node->IsVisible()) node->MakeVisible();
  FSelected = node;
  Invalidate();
  Change(node);
}

void TCustomTreeView::SetImages(TCustomImageList* value) {
  if (value == FImages) return;
  if (FImages != nullptr) {
    FImages->UnRegisterChanges(&FImageLink);
    FImages->RemoveFreeNotification(this);
  }
  FImages = value;
  if (FImages != nullptr) {
    FImages->RegisterChanges(&FImageLink);
    FImages->FreeNotification(this);
  }
  Invalidate();
}

void TCustomTreeView::SetStateImages(TCustomImageList* value) {
  if (value == FStateImages) return;
  if (FStateImages != nullptr) {
    FStateImages->UnRegisterChanges(&FStateImageLink);
    FStateImages->RemoveFreeNotification(this);
  }
  FStateImages = value;
  if (FStateImages != nullptr) {
    FStateImages->RegisterChanges(&FStateImageLink);
    FStateImages->FreeNotification(this);
  }
  Invalidate();
}

void TCustomTreeView::ImageListChange(TObject*) { Invalidate(); }

void TCustomTreeView::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) FImages = nullptr;
  if (component == FStateImages) FStateImages = nullptr;
}

void TCustomTreeView::SetIndent(int value) {
  if (value < 0) throw EInvalidOperation(Describe(this) + ": Indent cannot be negative (" + IntToStr(value) + ")");
  FIndent = value;
  Invalidate();
}

void TCustomTreeView::SetShowRoot(bool value) {
  FShowRoot = value;
  Invalidate();
}

void TCustomTreeView::FontChanged() {
  TWinControl::FontChanged();
  Invalidate();
}

int TCustomTreeView::ItemHeight() const {
  int height = GetTextMetrics().TextHeight(*Font(), "") + 2 * kRowPadding;
  if (FImages != nullptr) height = std::max(height, FImages->Height());
  return height;
}

std::vector<TTreeNode*> TCustomTreeView::VisibleNodes() const {
  std::vector<TTreeNode*> rows;
  for (TTreeNode* node : FItems->Flat())
    if (node->IsVisible()) rows.push_back(node);
  return rows;
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) const {
  (void)x;
  if (y < 0) return nullptr;
  const std::vector<TTreeNode*> rows = VisibleNodes();
  const size_t row = static_cast<size_t>(y / ItemHeight());
  return row < rows.size() ? rows[row] : nullptr;
}

TRect TCustomTreeView::NodeRect(const TTreeNode* node, bool textOnly) const {
  const std::vector<TTreeNode*> rows = VisibleNodes();
  auto it = std::find(rows.begin(), rows.end(), node);
  if (node == nullptr || it == rows.end()) return TRect{};
  const int h = ItemHeight();
  const int top = static_cast<int>(it - rows.begin()) * h;
  if (!textOnly) return Rect(0, top, ClientWidth(), top + h);
  int left = FIndent * (node->Level() + (FShowRoot ? 1 : 0));
  if (FImages != nullptr) left += FImages->Width() + 2;
  const int width = GetTextMetrics().TextWidth(*Font(), node->Text()) + 4;
  return Rect(left, top, left + width, top + h);
}

bool TCustomTreeView::BeginEdit(TTreeNode* node) {
  if (node == nullptr || FReadOnly) return false;
  FItems->CheckOwn(node, "BeginEdit");
  if (FEditNode != nullptr) EndEdit(false);
  bool allow = true;
  if (FOnEditing) FOnEditing(this, node, allow);
  if (!allow) return false;
  FEditNode = node;
  FEditorText = node->Text();
  return true;
}

void TCustomTreeView::EndEdit(bool cancel) {
  TTreeNode* node = FEditNode;
  if (node == nullptr) return;
  FEditNode = nullptr;
  AnsiString text = FEditorText;
  FEditorText.clear();
  if (cancel) return;
  if (FOnEdited) FOnEdited(this, node, text);
  // The handler may have deleted the node.
  const auto& flat = FItems->Flat();
  if (std::find(flat.begin(), flat.end(), node) != flat.end()) node->SetText(text);
}

bool TCustomTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* node) {
  if (FOnChange) FOnChange(this, node);
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (FOnExpanding) FOnExpanding(this, node, allow);
  return allow;
}

void TCustomTreeView::Expanded(TTreeNode* node) {
  if (FOnExpanded) FOnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (FOnCollapsing) FOnCollapsing(this, node, allow);
  return allow;
}

void TCustomTreeView::Collapsed(TTreeNode* node) {
  if (FOnCollapsed) FOnCollapsed(this, node);
}

void TCustomTreeView::Delete(TTreeNode* node) {
  if (FOnDeletion) FOnDeletion(this, node);
}

void TCustomTreeView::NodeDeleting(TTreeNode* node) {
  if (node == FEditNode) {
    FEditNode = nullptr;
    FEditorText.clear();
  }
  // The selection goes with its node, without events.
  if (node == FSelected) FSelected = nullptr;
  if (!IsDestroying(this)) Delete(node);
}

void TCustomTreeView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (FEditNode != nullptr) EndEdit(false);
    if (TTreeNode* node = GetNodeAt(x, y)) {
      const int buttonRight = FIndent * (node->Level() + (FShowRoot ? 1 : 0));
      const bool onButton = FShowButtons && node->HasChildren() && x >= buttonRight - FIndent && x < buttonRight;
      if (onButton)
        node->SetExpanded(!node->Expanded());
      else
        SetSelected(node);
    }
  }
  TWinControl::MouseDown(button, shift, x, y);
}

void TCustomTreeView::DblClick() {
  TWinControl::DblClick();
  if (FSelected != nullptr) FSelected->SetExpanded(!FSelected->Expanded());
}

void TCustomTreeView::KeyDown(uint16_t& key, TShiftState shift) {
  if (FEditNode != nullptr) {
    // The in-place editor has the keys.
    if (key == VK_RETURN || key == VK_ESCAPE) {
      EndEdit(key == VK_ESCAPE);
      key = 0;
    }
    return;
  }
  TWinControl::KeyDown(key, shift);
  if (key == 0 || !shift.Empty()) return;
  const std::vector<TTreeNode*> rows = VisibleNodes();
  if (rows.empty()) return;
  TTreeNode* current = FSelected;
  switch (key) {
    case VK_DOWN:
      SetSelected(current == nullptr ? rows.front() : (current->GetNextVisible() ? current->GetNextVisible() : current));
      break;
    case VK_UP:
      SetSelected(current == nullptr ? rows.front() : (current->GetPrevVisible() ? current->GetPrevVisible() : current));
      break;
    case VK_HOME: SetSelected(rows.front()); break;
    case VK_END: SetSelected(rows.back()); break;
    case VK_RIGHT:
      if (current == nullptr) break;
      if (!current->Expanded())
        current->SetExpanded(true);
      else if (current->GetFirstChild() != nullptr)
        SetSelected(current->GetFirstChild());
      break;
    case VK_LEFT:
      if (current == nullptr) break;
      if (current->Expanded())
        current->SetExpanded(false);
      else if (current->Parent() != nullptr)
        SetSelected(current->Parent());
      break;
    case VK_F2: BeginEdit(current); break;
    default: return;
  }
  key = 0;
}

void TCustomTreeView::KeyPress(char& key) {
  if (FEditNode == nullptr) {
    TWinControl::KeyPress(key);
    return;
  }
  const auto byte = static_cast<unsigned char>(key);
  if (byte == 8)
    DeleteLastChar(FEditorText, EditCodePage(*Font()));
  else if (byte >= 32 || byte == '\t')
    FEditorText.push_back(key);
  key = 0;
}

// =========================================================== status bar ===

const TClass& TStatusPanel::StaticClass() {
  static const TClass& record = TClassBuilder<TStatusPanel>()
                                    .Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment)
                                    .Default(taLeftJustify)
                                    .Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel)
                                    .Default(pbLowered)
                                    .Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle)
                                    .Default(psText)
                                    .Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
                                    .Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth)
                                    .Default(kDefaultWidth)
                                    .Factory()
                                    .Build();
  return record;
}

void TStatusPanel::SetText(const AnsiString& value) {
  if (value == FText) return;
  FText = value;
  Changed(false);
}

void TStatusPanel::SetWidth(int value) {
  if (value < 0)
    throw EInvalidOperation(GetNamePath() + ": a panel width cannot be negative (" + IntToStr(value) + ")");
  if (value == FWidth) return;
  FWidth = value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel value) {
  if (value == FBevel) return;
  FBevel = value;
  Changed(false);
}

void TStatusPanel::Assign(const TPersistent* source) {
  const auto* panel = dynamic_cast<const TStatusPanel*>(source);
  if (panel == nullptr) {
    TCollectionItem::Assign(source);
    return;
  }
  FText = panel->FText;
  FWidth = panel->FWidth;
  FAlignment = panel->FAlignment;
  FStyle = panel->FStyle;
  FBevel = panel->FBevel;
  Changed(false);
}

AnsiString TStatusPanel::GetDisplayName() const {
  return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

TStatusPanels::TStatusPanels(TStatusBar* owner)
    : TCollection(TStatusPanel::StaticClass(), owner), FStatusBar(owner) {}

const TClass& TStatusPanels::StaticClass() {
  static const TClass& record = TClassBuilder<TStatusPanels>().Build();
  return record;
}

void TStatusPanels::Update(TCollectionItem*) {
  if (FStatusBar != nullptr) FStatusBar->PanelsChanged();
}

TStatusBar::TStatusBar(TComponent* owner)
    : TWinControl(owner), FPanels(std::make_unique<TStatusPanels>(this)) {
  SetParentColor(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 0, GetTextMetrics().TextHeight(*Font(), "") + 6);
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

const TClass& TStatusBar::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TStatusBar> b;
    TControl::PublishInherited<TStatusBar>(b, {"Align"}).Default(alBottom);
    TControl::PublishInherited<TStatusBar>(b, {"Anchors"});
    b.Property("AutoHint", &TStatusBar::AutoHint, &TStatusBar::SetAutoHint).Default(false);
    TControl::PublishInherited<TStatusBar>(b, {"Color", "Enabled", "Font"});
    b.Property("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels);
    TControl::PublishInherited<TStatusBar>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TStatusBar>(b, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"});
    b.Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel)
        .Default(false)
        .Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
        .Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip)
        .Default(true);
    TControl::PublishInherited<TStatusBar>(b, {"Visible", "OnClick", "OnDblClick"});
    b.Property("OnDrawPanel", &TStatusBar::OnDrawPanel, &TStatusBar::SetOnDrawPanel);
    TControl::PublishInherited<TStatusBar>(b, {"OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void TStatusBar::SetPanels(TStatusPanels* value) {
  if (value == nullptr) throw EInvalidOperation(Describe(this) + ": Panels cannot be nil");
  FPanels->Assign(value);
}

void TStatusBar::SetSimplePanel(bool value) {
  if (value == FSimplePanel) return;
  FSimplePanel = value;
  Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& value) {
  if (value == FSimpleText) return;
  FSimpleText = value;
  Invalidate();
}

void TStatusBar::SetSizeGrip(bool value) {
  if (value == FSizeGrip) return;
  FSizeGrip = value;
  Invalidate();
}

void TStatusBar::PanelsChanged() { Invalidate(); }

TRect TStatusBar::PanelRect(int index) const {
  if (index < 0 || index >= FPanels->Count()) ListIndexError("List", index);
  int left = 0;
  for (int i = 0; i < index; ++i) left += FPanels->Items(i)->Width();
  int right = left + FPanels->Items(index)->Width();
  if (index == FPanels->Count() - 1) right = std::max(left, ClientWidth() - (FSizeGrip ? kSizeGripWidth : 0));
  return Rect(left, 0, right, ClientHeight());
}

int TStatusBar::PanelAt(int x) const {
  if (FSimplePanel) return -1;
  for (int i = 0; i < FPanels->Count(); ++i) {
    const TRect r = PanelRect(i);
    if (x >= r.Left && x < r.Right) return i;
  }
  return -1;
}

void TStatusBar::DrawPanel(TStatusPanel* panel, const TRect& rect) {
  if (FOnDrawPanel) FOnDrawPanel(this, panel, rect);
}

void TStatusBar::Repaint() {
  TWinControl::Repaint();
  FCanvas.ClearTexts();
  FCanvas.Font().Assign(Font());
  FCanvas.Brush().SetColor(Color());
  const int textHeight = FCanvas.TextHeight("");
  if (FSimplePanel) {
    FCanvas.Brush().SetStyle(bsClear);
    FCanvas.TextOut(kPanelPadding, (ClientHeight() - textHeight) / 2, FSimpleText);
    return;
  }
  for (int i = 0; i < FPanels->Count(); ++i) {
    TStatusPanel* panel = FPanels->Items(i);
    const TRect r = PanelRect(i);
    FCanvas.Font().Assign(Font());
    FCanvas.Brush().SetColor(Color());
    FCanvas.Brush().SetStyle(bsSolid);
    if (panel->Style() == psOwnerDraw) {
      DrawPanel(panel, r);
      continue;
    }
    const int width = FCanvas.TextWidth(panel->Text());
    int x = r.Left + kPanelPadding;
    if (panel->Alignment() == taRightJustify) x = r.Right - kPanelPadding - width;
    if (panel->Alignment() == taCenter) x = r.Left + (r.Width() - width) / 2;
    FCanvas.Brush().SetStyle(bsClear);
    FCanvas.TextRect(r, x, r.Top + (r.Height() - textHeight) / 2, panel->Text());
  }
}

// ============================================================ animation ===

TAnimationClip CommonAVIClip(TCommonAVI value) {
  // Our own table: the common clips are not shipped, so their shape is
  // fixed here (search clips are small and loop; copy and delete clips are
  // the wide ones with a flying document).
  switch (value) {
    case aviNone: return {};
    case aviFindFolder: return {8, 48, 50, 100000};
    case aviFindFile: return {8, 48, 50, 100000};
    case aviFindComputer: return {8, 48, 50, 100000};
    case aviCopyFiles: return {20, 272, 60, 66667};
    case aviCopyFile: return {20, 272, 60, 66667};
    case aviRecycleFile: return {20, 272, 60, 66667};
    case aviEmptyRecycle: return {20, 272, 60, 66667};
    case aviDeleteFile: return {20, 272, 60, 66667};
  }
  throw EInvalidOperation("Unknown common animation " + IntToStr(static_cast<int>(value)));
}

namespace {

uint32_t ReadLE32(const std::string& data, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(data[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(data[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(data[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(data[at + 3])) << 24;
}

}  // namespace

TAnimationClip ReadAVIClip(const AnsiString& fileName) {
  // The headers lie at the start of the file; far less than this is read.
  constexpr size_t kHeaderLimit = 1 << 20;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EInvalidOperation("Cannot open the animation file \"" + fileName + "\"");
  std::string data(kHeaderLimit, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<size_t>(in.gcount()));
  const auto fail = [&](const char* why) -> TAnimationClip {
    throw EInvalidOperation("\"" + fileName + "\" is not a playable AVI file: " + why);
  };
  if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "AVI ") != 0)
    return fail("no RIFF AVI header");
  // Top-level chunks: the header list "hdrl" holds the main header "avih".
  size_t at = 12;
  while (at + 12 <= data.size()) {
    const uint32_t size = ReadLE32(data, at + 4);
    if (data.compare(at, 4, "LIST") == 0 && data.compare(at + 8, 4, "hdrl") == 0) {
      const size_t end = std::min(data.size(), at + 8 + static_cast<size_t>(size));
      size_t sub = at + 12;
      while (sub + 8 <= end) {
        const uint32_t subSize = ReadLE32(data, sub + 4);
        if (data.compare(sub, 4, "avih") == 0) {
          if (subSize < 40 || sub + 8 + 40 > data.size()) return fail("the main header is cut short");
          const size_t h = sub + 8;
          TAnimationClip clip;
          const uint32_t perFrame = ReadLE32(data, h);
          const uint32_t frames = ReadLE32(data, h + 16);
          const uint32_t width = ReadLE32(data, h + 32);
          const uint32_t height = ReadLE32(data, h + 36);
          if (frames == 0) return fail("it holds no frames");
          if (frames > 0x7FFFFFFF || width > 0x7FFF || height > 0x7FFF || perFrame > 0x7FFFFFFF)
            return fail("the main header holds impossible values");
          clip.FrameCount = static_cast<int>(frames);
          clip.FrameWidth = static_cast<int>(width);
          clip.FrameHeight = static_cast<int>(height);
          clip.MicroSecPerFrame = static_cast<int>(perFrame);
          return clip;
        }
        sub += 8 + subSize + (subSize & 1);
      }
      return fail("the header list has no main header");
    }
    at += 8 + static_cast<size_t>(size) + (size & 1);
  }
  return fail("no header list");
}

TAnimate::TAnimate(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 100, 80);
  TWinControl::SetAutoSize(true);
}

const TClass& TAnimate::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TAnimate> b;
    b.Property("Active", &TAnimate::Active, &TAnimate::SetActive).Default(false);
    TControl::PublishInherited<TAnimate>(b, {"Align", "Anchors"});
    TControl::PublishInherited<TAnimate>(b, {"AutoSize"}).Default(true);
    b.Property("Center", &TAnimate::Center, &TAnimate::SetCenter).Default(true);
    TControl::PublishInherited<TAnimate>(b, {"Color"});
    b.Property("CommonAVI", &TAnimate::CommonAVI, &TAnimate::SetCommonAVI).Default(aviNone);
    TControl::PublishInherited<TAnimate>(b, {"Enabled"});
    b.Property("FileName", &TAnimate::FileName, &TAnimate::SetFileName)
        .Property("Open", &TAnimate::Open, &TAnimate::SetOpen)
        .Default(false);
    TControl::PublishInherited<TAnimate>(b, {"ParentColor", "ParentShowHint", "PopupMenu"});
    b.Property("Repetitions", &TAnimate::Repetitions, &TAnimate::SetRepetitions).Default(0);
    TControl::PublishInherited<TAnimate>(b, {"ShowHint"});
    b.Property("StartFrame", &TAnimate::StartFrame, &TAnimate::SetStartFrame)
        .Default(1)
        .Property("StopFrame", &TAnimate::StopFrame, &TAnimate::SetStopFrame)
        .Default(0)
        .Property("Timers", &TAnimate::Timers, &TAnimate::SetTimers)
        .Default(false)
        .Property("Transparent", &TAnimate::Transparent, &TAnimate::SetTransparent)
        .Default(true);
    TControl::PublishInherited<TAnimate>(b, {"Visible"});
    b.Property("OnClose", &TAnimate::OnClose, &TAnimate::SetOnClose)
        .Property("OnOpen", &TAnimate::OnOpen, &TAnimate::SetOnOpen)
        .Property("OnStart", &TAnimate::OnStart, &TAnimate::SetOnStart)
        .Property("OnStop", &TAnimate::OnStop, &TAnimate::SetOnStop)
        .Factory();
    return b.Build();
  }();
  return record;
}

void TAnimate::CheckFrame(int frame, const char* what) const {
  if (frame < 1 || (FOpen && frame > FClip.FrameCount))
    throw EInvalidOperation(Describe(this) + ": " + what + " " + IntToStr(frame) + " is outside the clip (1.." +
                            IntToStr(FOpen ? FClip.FrameCount : 0) + ")");
}

void TAnimate::OpenClip() {
  if (!HasSource())
    throw EInvalidOperation(Describe(this) + ": no animation to open: set CommonAVI or FileName first");
  FClip = FCommonAVI != aviNone ? CommonAVIClip(FCommonAVI) : ReadAVIClip(FFileName);
  FOpen = true;
  FCurrentFrame = std::min(std::max(FStartFrame, 1), FClip.FrameCount);
  FitToClip();
  Invalidate();
  if (FOnOpen) FOnOpen(this);
}

void TAnimate::CloseClip() {
  if (!FOpen) return;
  StopPlay();
  FOpen = false;
  FClip = {};
  FCurrentFrame = 0;
  Invalidate();
  if (FOnClose) FOnClose(this);
}

void TAnimate::FitToClip() {
  if (AutoSize() && FOpen && FClip.FrameWidth > 0 && FClip.FrameHeight > 0)
    SetBounds(Left(), Top(), FClip.FrameWidth, FClip.FrameHeight);
}

void TAnimate::SetAutoSize(bool value) {
  TWinControl::SetAutoSize(value);
  FitToClip();
}

void TAnimate::Reopen() {
  if (IsLoading(this)) return;
  const bool wasOpen = FOpen, wasActive = FActive;
  CloseClip();
  if (!HasSource() || !wasOpen) return;
  OpenClip();
  if (wasActive) StartPlay(FStartFrame, LastFrame(), FRepetitions);
}

void TAnimate::SetCommonAVI(TCommonAVI value) {
  if (value == FCommonAVI) return;
  if (value < aviNone || value > aviDeleteFile)
    throw EInvalidOperation(Describe(this) + ": unknown common animation " + IntToStr(static_cast<int>(value)));
  FCommonAVI = value;
  if (value != aviNone) FFileName.clear();
  Reopen();
}

void TAnimate::SetFileName(const AnsiString& value) {
  if (value == FFileName) return;
  FFileName = value;
  if (!value.empty()) FCommonAVI = aviNone;
  Reopen();
}

void TAnimate::SetOpen(bool value) {
  if (value == FOpen) return;
  if (IsLoading(this)) {
    // Opened in Loaded, once the source has been read.
    FPendingOpen = value;
    return;
  }
  if (value)
    OpenClip();
  else
    CloseClip();
}

void TAnimate::SetActive(bool value) {
  if (IsLoading(this)) {
    FPendingActive = value;
    return;
  }
  if (value == FActive) return;
  if (!value) {
    StopPlay();
    return;
  }
  if (!HasSource())
    throw EInvalidOperation(Describe(this) + ": cannot play: no animation (set CommonAVI or FileName first)");
  if (!FOpen) OpenClip();
  StartPlay(FStartFrame, LastFrame(), FRepetitions);
}

void TAnimate::SetStartFrame(int value) {
  CheckFrame(value, "StartFrame");
  FStartFrame = value;
  if (FActive) StartPlay(FStartFrame, LastFrame(), FRepetitions);
}

void TAnimate::SetStopFrame(int value) {
  if (value != 0) CheckFrame(value, "StopFrame");
  FStopFrame = value;
  if (FActive) StartPlay(FStartFrame, LastFrame(), FRepetitions);
}

void TAnimate::SetRepetitions(int value) {
  if (value < 0)
    throw EInvalidOperation(Describe(this) + ": Repetitions cannot be negative (" + IntToStr(value) + ")");
  FRepetitions = value;
}

void TAnimate::StartPlay(int fromFrame, int toFrame, int count) {
  CheckFrame(fromFrame, "the first frame");
  CheckFrame(toFrame, "the last frame");
  if (fromFrame > toFrame)
    throw EInvalidOperation(Describe(this) + ": the play range " + IntToStr(fromFrame) + ".." + IntToStr(toFrame) +
                            " runs backwards");
  if (count < 0) throw EInvalidOperation(Describe(this) + ": a play count cannot be negative");
  const bool wasActive = FActive;
  FPlayFrom = fromFrame;
  FPlayTo = toFrame;
  FPlayCount = count;
  FPlayed = 0;
  FCurrentFrame = fromFrame;
  FActive = true;
  if (!wasActive && FOnStart) FOnStart(this);
}

void TAnimate::StopPlay() {
  if (!FActive) return;
  FActive = false;
  if (FOnStop) FOnStop(this);
}

void TAnimate::Play(int fromFrame, int toFrame, int count) {
  if (!FOpen) OpenClip();
  StartPlay(fromFrame, toFrame, count);
}

void TAnimate::Stop() { StopPlay(); }

void TAnimate::Reset() {
  StopPlay();
  if (FOpen) FCurrentFrame = std::min(FStartFrame, FClip.FrameCount);
}

void TAnimate::Seek(int frame) {
  if (!FOpen) throw EInvalidOperation(Describe(this) + ": Seek needs an open clip");
  CheckFrame(frame, "frame");
  StopPlay();
  FCurrentFrame = frame;
}

void TAnimate::Step() {
  if (!FActive) return;
  if (FCurrentFrame < FPlayTo) {
    ++FCurrentFrame;
    return;
  }
  ++FPlayed;
  if (FPlayCount != 0 && FPlayed >= FPlayCount) {
    StopPlay();
    return;
  }
  FCurrentFrame = FPlayFrom;
}

void TAnimate::Loaded() {
  TWinControl::Loaded();
  if (FPendingOpen && !FPendingActive) SetOpen(true);
  if (FPendingActive) SetActive(true);
  FPendingOpen = FPendingActive = false;
}

// ========================================================= registration ===

void RegisterComCtrlsClasses() {
  RegisterImgListClasses();
  RegisterClasses({&TCustomTabControl::StaticClass(), &TTabSheet::StaticClass(), &TPageControl::StaticClass(),
                   &TCustomTreeView::StaticClass(), &TTreeView::StaticClass(), &TStatusPanel::StaticClass(),
                   &TStatusPanels::StaticClass(), &TStatusBar::StaticClass(), &TAnimate::StaticClass()});
}
