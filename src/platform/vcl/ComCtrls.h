// The common controls: the page control with its tab sheets (and the tab
// strip base they share), the tree view with its nodes, the status bar with
// its panels, and the animation control. Headless like every control here:
// the tab strip, the tree rows and the status panels are laid out through the
// text metrics provider so that mouse presses hit what a person would see,
// owner drawing is a hook called with the computed rectangles, and nothing is
// drawn.
//
// Sections: tab strip base; tab sheet and page control; tree view; status
// bar; animation; registration.
//
// Code against user. Setting a page control's ActivePage (or
// ActivePageIndex) from code is silent: no OnChanging, no OnChange, even
// when the page changes. A user's choice of a tab (a click on it, Ctrl+Tab,
// the arrow keys on the focused control) and SelectNextPage first ask
// OnChanging, whose handler may veto by clearing AllowChange (the page then
// stays and nothing more is raised); then the page changes and OnChange
// follows, only when the page really changed. A tree view's selection raises
// OnChanging (may veto) and OnChange whether code or the user moves it, as
// the native tree did; expanding and collapsing ask OnExpanding and
// OnCollapsing from code too.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrls.h"

class TCustomTabControl;
class TTabSheet;
class TPageControl;
class TTreeNode;
class TTreeNodes;
class TCustomTreeView;
class TStatusPanel;
class TStatusBar;

// ---- Tab strip base ----

KULR_ENUM(TTabPosition, tpTop, tpBottom, tpLeft, tpRight)
KULR_ENUM(TTabStyle, tsTabs, tsButtons, tsFlatButtons)

// void(Sender, var AllowChange): clearing AllowChange keeps the current tab.
KULR_EVENT(TTabChangingEvent, TObject*, bool&);
// void(Control, TabIndex, Rect, Active): draws one visible tab of an
// owner-drawn tab control on its Canvas.
KULR_EVENT(TDrawTabEvent, TCustomTabControl*, int, const TRect&, bool);

// A windowed control with a strip of tabs. Descendants say how many tabs
// there are, what they show and which is selected; this class lays the
// strip out, finds the tab under the mouse, asks and tells about changes and
// paints (calls DrawTab for every tab of an owner-drawn control).
//
// Geometry (all from the metrics provider with the control's font):
// - a tab is TabHeight high, or the text height plus 2 * kTabPaddingY when
//   TabHeight is 0;
// - a tab is TabWidth wide, or its caption's text width plus
//   2 * kTabPaddingX (plus the image width and kImageGap when Images is
//   set and the tab has an image) when TabWidth is 0;
// - the strip starts kStripInset from the control's edges on the tab side;
//   tabs follow each other without gaps (kButtonGap between button-style
//   tabs); MultiLine starts a new row when a tab would pass the far edge
//   less kStripInset (a single line lets the tabs run past it, as behind
//   scroll arrows);
// - rows lie on the TabPosition side: the first row at the edge for tpTop
//   and tpLeft, the first row innermost for tpBottom and tpRight; tabs on
//   the left or right stand vertically (their rectangle is the height wide
//   and the width high);
// - the display rectangle (where pages lie) is the client rectangle less
//   the strip (rows * tab height + kStripInset) on the tab side, inset by
//   kPageBorder on every side.
class TCustomTabControl : public TWinControl {
  KULR_CLASS(TCustomTabControl, TWinControl)

  static constexpr int kStripInset = 2;
  static constexpr int kTabPaddingX = 6;
  static constexpr int kTabPaddingY = 3;
  static constexpr int kImageGap = 3;
  static constexpr int kButtonGap = 3;
  static constexpr int kPageBorder = 4;
  // The selected tab stands out: the owner-draw hook gets its rectangle
  // inflated by this much on every side.
  static constexpr int kActiveInflate = 2;

  explicit TCustomTabControl(TComponent* owner);
  ~TCustomTabControl() override;

  // ---- The tabs (descendants provide them) ----
  virtual int TabCount() const = 0;
  // EListError "Tab index out of bounds (i)" outside 0..TabCount-1.
  virtual AnsiString TabCaption(int tabIndex) const = 0;
  virtual int TabImageIndex(int tabIndex) const {
    (void)tabIndex;
    return -1;
  }
  // The selected tab; -1 when none.
  virtual int TabIndex() const = 0;

  // ---- Geometry ----
  // Client coordinates of the tab (not inflated); EListError out of range.
  TRect TabRect(int tabIndex) const;
  // The tab under (x, y); -1 when none.
  int IndexOfTabAt(int x, int y) const;
  int RowCount() const;
  TRect DisplayRect() const;

  // ---- Appearance ----
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  int TabHeight() const { return FTabHeight; }
  // EInvalidOperation for a negative value.
  void SetTabHeight(int value);
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int value);
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle value);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value) { FHotTrack = value; }
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition value);
  // Owner-drawn tabs: painting calls DrawTab (OnDrawTab) for each tab.
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value);
  bool RaggedRight() const { return FRaggedRight; }
  void SetRaggedRight(bool value) { FRaggedRight = value; }
  bool ScrollOpposite() const { return FScrollOpposite; }
  void SetScrollOpposite(bool value) { FScrollOpposite = value; }

  // ---- Events ----
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& handler) { FOnChange = handler; }
  const TTabChangingEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TTabChangingEvent& handler) { FOnChanging = handler; }
  const TDrawTabEvent& OnDrawTab() const { return FOnDrawTab; }
  void SetOnDrawTab(const TDrawTabEvent& handler) { FOnDrawTab = handler; }

  // ---- Painting ----
  // The canvas tab drawing goes to; it records what is written.
  TCanvas& Canvas() { return FCanvas; }
  // Paints the strip now: owner-drawn tabs through DrawTab, one call per
  // tab in tab order with the active one's rectangle inflated; otherwise
  // each caption is recorded centred in its tab.
  void Repaint() override;

  // ---- User input ----
  // A user's left click at the centre of the tab, through the
  // application's input door (the control takes the focus first, then the
  // tab is chosen: OnChanging, the change, OnChange). False when the click
  // did not reach the control (not on an active form, or the focus change
  // was refused). EListError for a tab index out of range.
  bool UserClickTab(int tabIndex);
  // A left press on a tab focuses the control (unless it already has the
  // focus; a refused focus change ends the press) and chooses that tab;
  // then OnMouseDown.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  void Notification(TComponent* component, TOperation operation) override;

protected:
  // Raises OnChanging; false when the handler vetoes.
  virtual bool CanChange();
  // Raises OnChange.
  virtual void Change();
  // Draws one tab of an owner-drawn control: OnDrawTab when assigned,
  // otherwise the plain drawing (the brush filled, the caption at
  // kTabPaddingX, kTabPaddingY inside the rectangle).
  virtual void DrawTab(int tabIndex, const TRect& rect, bool active);
  // The user chose the tab: the descendant asks CanChange, selects, and
  // raises Change when the selection changed.
  virtual void UserSelectTab(int tabIndex) = 0;
  // The tabs or their layout changed: the descendant re-places its pages;
  // the strip is marked for repainting.
  virtual void TabsChanged();
  // EListError unless 0 <= tabIndex < TabCount.
  void CheckTabIndex(int tabIndex) const;

  void FontChanged() override;
  void SizeChanged(const TRect& oldClientRect) override;

private:
  std::vector<TRect> LayoutTabs() const;
  int TabExtent(int tabIndex) const;  // along the strip
  int TabThickness() const;           // across the strip
  void ImageListChange(TObject* sender);

  TCustomImageList* FImages = nullptr;
  TChangeLink FImageLink;
  int FTabHeight = 0;
  int FTabWidth = 0;
  TTabStyle FStyle = tsTabs;
  bool FMultiLine = false;
  bool FHotTrack = false;
  TTabPosition FTabPosition = tpTop;
  bool FOwnerDraw = false;
  bool FRaggedRight = false;
  bool FScrollOpposite = false;
  TCanvas FCanvas;
  TNotifyEvent FOnChange;
  TTabChangingEvent FOnChanging;
  TDrawTabEvent FOnDrawTab;
};

// ---- Tab sheet and page control ----

// One page of a page control: a container shown only while it is the active
// page. Placing a sheet in a page control (PageControl, or Parent as the
// form reader does) appends it to the pages; any other parent raises
// EControlError. The caption is the tab's text.
class TTabSheet : public TWinControl {
  KULR_CLASS(TTabSheet, TWinControl)

  explicit TTabSheet(TComponent* owner);
  void BeforeDestruction() override;

  TPageControl* PageControl() const { return FPageControl; }
  // Moves the sheet to the end of another page control's pages (null takes
  // it out). Leaving a page control whose active page it is makes the next
  // page active (silently, as a change by code).
  void SetPageControl(TPageControl* value);
  void SetParent(TWinControl* parent) override;

  // The place among the pages; -1 without a page control. Setting it moves
  // the sheet (EListError outside 0..PageCount-1).
  int PageIndex() const;
  void SetPageIndex(int value);
  // The place among the visible tabs; -1 when the tab is hidden or the
  // sheet is on no page control.
  int TabIndex() const;
  // A hidden tab leaves the strip; the page itself may still be active
  // (made so by code).
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  bool Highlighted() const { return FHighlighted; }
  void SetHighlighted(bool value) { FHighlighted = value; }

  // Raised when the sheet becomes the shown page and when it stops being it.
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(const TNotifyEvent& handler) { FOnShow = handler; }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(const TNotifyEvent& handler) { FOnHide = handler; }

protected:
  void TextChanged() override;
  void VisibleChanged() override;

private:
  friend class TPageControl;

  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  int FImageIndex = -1;
  bool FHighlighted = false;
  TNotifyEvent FOnShow;
  TNotifyEvent FOnHide;
};

// Pages in order, one of them active (shown, filling the display
// rectangle); the tabs of the pages whose tab is visible form the strip, so
// a tab index counts visible tabs only (pages A, B with its tab hidden, C:
// tab 1 is C).
//
// Focus: when the active page changes while the focus is inside it, the
// page control takes the focus first (the exits of the controls on the
// page run); when an exit handler keeps the focus inside the old page, the
// page does not change. The new page is then shown with the focus on the
// page control; the OnChange handler (or the user) moves it into the page.
//
// Keys (on the focused page control; while the focus is on a control
// inside a page, the form's key handling offers them through DialogKey):
// Ctrl+Tab and Ctrl+Shift+Tab choose the next and the
// previous visible tab with wrap-around; Left/Right (Up/Down for tabs on the
// left or right) the neighbouring tab without wrapping. Each is a user's
// choice (OnChanging, change, OnChange).
class TPageControl : public TCustomTabControl {
  KULR_CLASS(TPageControl, TCustomTabControl)

  explicit TPageControl(TComponent* owner);
  void BeforeDestruction() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  // EListError "List index out of bounds (i)".
  TTabSheet* Pages(int index) const;

  // Code: silent (see the top of this header). A sheet of another page
  // control raises EInvalidOperation; null leaves no page active.
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* page);
  // -1 when no page is active. Setting -1 leaves none active; outside
  // -1..PageCount-1 raises EListError.
  int ActivePageIndex() const;
  void SetActivePageIndex(int value);

  // The page after (goForward) or before current, wrapping round, whose
  // tab is visible when checkTabVisible. A current page that is null or not
  // here starts from the end (forward) or the start (backward). current
  // itself when it is the only one that qualifies; null when none does.
  TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
  // The user's next/previous page: FindNextPage from the active page, then
  // OnChanging (may veto), the change and OnChange.
  void SelectNextPage(bool goForward, bool checkTabVisible = true);
  // The page whose tab is the tabIndex-th visible one; null when none.
  TTabSheet* PageForTab(int tabIndex) const;

  int TabCount() const override;
  AnsiString TabCaption(int tabIndex) const override;
  int TabImageIndex(int tabIndex) const override;
  // The active page's visible-tab index; -1 when there is no active page
  // or its tab is hidden.
  int TabIndex() const override;

  // Ctrl+Tab / Ctrl+Shift+Tab while the focus is on the page control or
  // anywhere inside it: selects as SelectNextPage and returns true (the key
  // is used). Other keys, or the focus elsewhere: false.
  bool DialogKey(uint16_t key, TShiftState shift) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;

protected:
  void UserSelectTab(int tabIndex) override;
  void TabsChanged() override;

private:
  friend class TTabSheet;

  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  // Makes page the active one (focus rules above); false when an exit
  // handler kept the focus in the old page.
  bool ChangeActivePage(TTabSheet* page);
  // The user's choice of page: CanChange, change, Change.
  void UserSelectPage(TTabSheet* page);
  void LayoutPages();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

// ---- Tree view ----

KULR_ENUM(TNodeAttachMode, naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert)

// void(Sender, Node, var AllowChange)
KULR_EVENT(TTVChangingEvent, TObject*, TTreeNode*, bool&);
// void(Sender, Node)
KULR_EVENT(TTVChangedEvent, TObject*, TTreeNode*);
// void(Sender, Node, var AllowExpansion): OnExpanding and OnCollapsing.
KULR_EVENT(TTVExpandingEvent, TObject*, TTreeNode*, bool&);
// void(Sender, Node): OnExpanded, OnCollapsed and OnDeletion.
KULR_EVENT(TTVExpandedEvent, TObject*, TTreeNode*);
// void(Sender, Node, var AllowEdit)
KULR_EVENT(TTVEditingEvent, TObject*, TTreeNode*, bool&);
// void(Sender, Node, var S): S is the new text; the handler may change it
// (setting it back to the node's text refuses the edit).
KULR_EVENT(TTVEditedEvent, TObject*, TTreeNode*, AnsiString&);

// One node: text, data, images, its children in order. Nodes belong to
// their tree's TTreeNodes, which makes and frees them; never free a node
// yourself (Delete it).
class TTreeNode : public TPersistent {
  KULR_CLASS(TTreeNode, TPersistent)

  explicit TTreeNode(TTreeNodes* owner);
  ~TTreeNode() override;

  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;

  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& value);
  void* Data() const { return FData; }
  void SetData(void* value) { FData = value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int value);
  int StateIndex() const { return FStateIndex; }
  void SetStateIndex(int value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int value) { FOverlayIndex = value; }

  // ---- Structure ----
  TTreeNode* Parent() const { return FParent; }
  int Count() const { return static_cast<int>(FChildren.size()); }
  // EListError "List index out of bounds (i)".
  TTreeNode* Item(int index) const;
  // Whether the node shows an expand button: it has children, or
  // HasChildren was set.
  bool HasChildren() const { return FHasChildren || !FChildren.empty(); }
  void SetHasChildren(bool value);
  // The place among its siblings.
  int Index() const;
  // The place in depth-first order over the whole tree (Items[]).
  int AbsoluteIndex() const;
  // 0 for a root node.
  int Level() const;
  bool IsFirstNode() const { return FParent == nullptr && Index() == 0; }
  TTreeNode* GetFirstChild() const;
  TTreeNode* GetLastChild() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // Depth-first neighbours over the whole tree; null at the ends.
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  // Neighbours among the nodes a person can see (every parent expanded).
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  // Every parent expanded.
  bool IsVisible() const;
  bool HasAsParent(const TTreeNode* value) const;

  // ---- State ----
  // Setting asks OnExpanding/OnCollapsing (a veto keeps the state), then
  // raises OnExpanded/OnCollapsed. A node without children keeps
  // Expanded false.
  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool value);
  void Expand(bool recurse);
  void Collapse(bool recurse);
  // Setting true selects the node as the tree's Selected does (OnChanging,
  // OnChange); false clears the selection when this node holds it.
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const;
  // Expands every parent.
  void MakeVisible();

  // ---- Changes ----
  // Deletes the node and its children: OnDeletion for each, every node
  // after its children (in their order) and before it leaves the tree.
  void Delete();
  void DeleteChildren();
  // Moves the node (with its children) relative to destination; a move into
  // its own subtree raises EInvalidOperation. Null destination with naAdd /
  // naAddFirst moves it to the end / start of the roots.
  void MoveTo(TTreeNode* destination, TNodeAttachMode mode);
  // Starts the in-place edit of the text (see TCustomTreeView::BeginEdit).
  bool EditText();
  // Copies text, data and images (not the children) from another node.
  void Assign(const TPersistent* source) override;

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;

  TTreeNodes* FOwner;
  TTreeNode* FParent = nullptr;
  std::vector<TTreeNode*> FChildren;
  AnsiString FText;
  void* FData = nullptr;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  int FStateIndex = -1;
  int FOverlayIndex = -1;
  bool FExpanded = false;
  bool FHasChildren = false;
};

// Every node of one tree view, Items[] by absolute index (depth-first:
// each node, then its children, then its next sibling).
class TTreeNodes : public TPersistent {
  KULR_CLASS(TTreeNodes, TPersistent)

  explicit TTreeNodes(TCustomTreeView* owner);
  ~TTreeNodes() override;

  TCustomTreeView* Owner() const { return FOwner; }
  int Count() const;
  // By absolute index; EListError "List index out of bounds (i)".
  TTreeNode* Item(int index) const;
  TTreeNode* operator[](int index) const { return Item(index); }
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }

  // Adding. sibling/parent null means the root level. A node of another
  // tree raises EInvalidOperation.
  // After the last sibling of sibling.
  TTreeNode* Add(TTreeNode* sibling, const AnsiString& text);
  TTreeNode* AddObject(TTreeNode* sibling, const AnsiString& text, void* data);
  // Before the first sibling of sibling.
  TTreeNode* AddFirst(TTreeNode* sibling, const AnsiString& text);
  // The last child of parent.
  TTreeNode* AddChild(TTreeNode* parent, const AnsiString& text);
  TTreeNode* AddChildObject(TTreeNode* parent, const AnsiString& text, void* data);
  TTreeNode* AddChildFirst(TTreeNode* parent, const AnsiString& text);
  // Right before sibling (at the end of the roots when sibling is null).
  TTreeNode* Insert(TTreeNode* sibling, const AnsiString& text);
  TTreeNode* InsertObject(TTreeNode* sibling, const AnsiString& text, void* data);

  // Deletes node and its children; null is ignored.
  void Delete(TTreeNode* node);
  void Clear();

  // Holds the tree's repainting back until the outermost EndUpdate.
  void BeginUpdate();
  // EInvalidOperation without BeginUpdate.
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // From another TTreeNodes: the whole tree copied (texts, data, images,
  // expansion).
  void Assign(const TPersistent* source) override;

protected:
  TPersistent* GetOwner() const override;

private:
  friend class TTreeNode;
  friend class TCustomTreeView;

  TTreeNode* AttachNew(TTreeNode* relative, const AnsiString& text, void* data, TNodeAttachMode mode);
  void Attach(TTreeNode* node, TTreeNode* relative, TNodeAttachMode mode);
  void Detach(TTreeNode* node);
  std::vector<TTreeNode*>& SiblingsOf(TTreeNode* parent);
  void CheckOwn(const TTreeNode* node, const char* operation) const;
  void FreeNode(TTreeNode* node);
  void Changed();
  const std::vector<TTreeNode*>& Flat() const;

  TCustomTreeView* FOwner;
  std::vector<TTreeNode*> FRoots;
  mutable std::vector<TTreeNode*> FFlat;  // depth-first cache
  mutable bool FFlatValid = false;
  int FUpdateCount = 0;
  bool FDeleting = false;
};

// A tree of nodes shown as rows: every node whose parents are all expanded
// is a row, ItemHeight high (the text height plus 2 * kRowPadding, at least
// the image height), indented Indent per level (one level more with
// ShowRoot). The selection raises OnChanging/OnChange from code and user
// alike; clicks, arrows (Up/Down move, Right expands or goes to the first
// child, Left collapses or goes to the parent) and F2 (edit) are the user's.
//
// Deleting the selected node (or a parent of it) clears the selection
// without events.
//
// In-place editing: BeginEdit (F2, or EditText) asks OnEditing (and is
// refused on a ReadOnly tree); while editing, typed bytes go to EditorText
// (Backspace removes one whole character, a double-byte one included),
// Enter ends the edit (OnEdited with the new text, which the handler may
// change, then the node takes it) and Esc cancels it (the node keeps its
// text, no OnEdited).
class TCustomTreeView : public TWinControl {
  KULR_CLASS(TCustomTreeView, TWinControl)

  static constexpr int kRowPadding = 1;
  static constexpr int kDefaultIndent = 19;

  explicit TCustomTreeView(TComponent* owner);
  ~TCustomTreeView() override;
  void BeforeDestruction() override;

  TTreeNodes* Items() const { return FItems.get(); }
  // Copies the nodes of value.
  void SetItems(TTreeNodes* value);

  // Code and user alike: OnChanging (may veto), then OnChange. A node of
  // another tree raises EInvalidOperation.
  TTreeNode* Selected() const { return FSelected; }
  void SetSelected(TTreeNode* node);

  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  int Indent() const { return FIndent; }
  // EInvalidOperation for a negative indent.
  void SetIndent(int value);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool value) { FShowButtons = value; }
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool value) { FShowLines = value; }
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value) { FHideSelection = value; }
  bool AutoExpand() const { return FAutoExpand; }
  void SetAutoExpand(bool value) { FAutoExpand = value; }
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value) { FRowSelect = value; }
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value) { FHotTrack = value; }

  // ---- Geometry ----
  int ItemHeight() const;
  // The visible nodes in row order.
  std::vector<TTreeNode*> VisibleNodes() const;
  // The node in the row at y (x is not checked, as with row selection);
  // null below the last row.
  TTreeNode* GetNodeAt(int x, int y) const;
  // The row of a visible node: the text part (textOnly) or the whole row;
  // an empty rectangle for a node that is not visible.
  TRect NodeRect(const TTreeNode* node, bool textOnly) const;

  // ---- In-place edit ----
  bool IsEditing() const { return FEditNode != nullptr; }
  TTreeNode* EditNode() const { return FEditNode; }
  const AnsiString& EditorText() const { return FEditorText; }
  void SetEditorText(const AnsiString& value) { FEditorText = value; }
  // False when the tree is read-only, OnEditing refuses or node is null.
  bool BeginEdit(TTreeNode* node);
  // cancel: the node keeps its text and OnEdited is not raised.
  void EndEdit(bool cancel);

  // ---- Events ----
  const TTVChangingEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TTVChangingEvent& h) { FOnChanging = h; }
  const TTVChangedEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TTVChangedEvent& h) { FOnChange = h; }
  const TTVExpandingEvent& OnExpanding() const { return FOnExpanding; }
  void SetOnExpanding(const TTVExpandingEvent& h) { FOnExpanding = h; }
  const TTVExpandedEvent& OnExpanded() const { return FOnExpanded; }
  void SetOnExpanded(const TTVExpandedEvent& h) { FOnExpanded = h; }
  const TTVExpandingEvent& OnCollapsing() const { return FOnCollapsing; }
  void SetOnCollapsing(const TTVExpandingEvent& h) { FOnCollapsing = h; }
  const TTVExpandedEvent& OnCollapsed() const { return FOnCollapsed; }
  void SetOnCollapsed(const TTVExpandedEvent& h) { FOnCollapsed = h; }
  const TTVExpandedEvent& OnDeletion() const { return FOnDeletion; }
  void SetOnDeletion(const TTVExpandedEvent& h) { FOnDeletion = h; }
  const TTVEditingEvent& OnEditing() const { return FOnEditing; }
  void SetOnEditing(const TTVEditingEvent& h) { FOnEditing = h; }
  const TTVEditedEvent& OnEdited() const { return FOnEdited; }
  void SetOnEdited(const TTVEditedEvent& h) { FOnEdited = h; }

  // ---- User input ----
  // A left press selects the node in that row (a press on its button, left
  // of the text, toggles the expansion); a double click toggles it.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;

  void Notification(TComponent* component, TOperation operation) override;

protected:
  virtual bool CanChange(TTreeNode* node);
  virtual void Change(TTreeNode* node);
  virtual bool CanExpand(TTreeNode* node);
  virtual void Expanded(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Collapsed(TTreeNode* node);
  virtual void Delete(TTreeNode* node);
  void FontChanged() override;

private:
  friend class TTreeNode;
  friend class TTreeNodes;

  // A node of this tree is going away: selection, edit and drop targets
  // forget it.
  void NodeDeleting(TTreeNode* node);
  void ImageListChange(TObject* sender);

  std::unique_ptr<TTreeNodes> FItems;
  TTreeNode* FSelected = nullptr;
  TTreeNode* FEditNode = nullptr;
  AnsiString FEditorText;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FStateImages = nullptr;
  TChangeLink FImageLink;
  TChangeLink FStateImageLink;
  bool FReadOnly = false;
  int FIndent = kDefaultIndent;
  bool FShowButtons = true;
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FHideSelection = true;
  bool FAutoExpand = false;
  bool FRowSelect = false;
  bool FHotTrack = false;
  TTVChangingEvent FOnChanging;
  TTVChangedEvent FOnChange;
  TTVExpandingEvent FOnExpanding;
  TTVExpandedEvent FOnExpanded;
  TTVExpandingEvent FOnCollapsing;
  TTVExpandedEvent FOnCollapsed;
  TTVExpandedEvent FOnDeletion;
  TTVEditingEvent FOnEditing;
  TTVEditedEvent FOnEdited;
};

class TTreeView : public TCustomTreeView {
  KULR_CLASS(TTreeView, TCustomTreeView)
  using TCustomTreeView::TCustomTreeView;
};

// ---- Status bar ----

KULR_ENUM(TStatusPanelStyle, psText, psOwnerDraw)
KULR_ENUM(TStatusPanelBevel, pbNone, pbLowered, pbRaised)

// void(StatusBar, Panel, Rect): draws an owner-drawn panel on the bar's
// Canvas.
KULR_EVENT(TDrawPanelEvent, TStatusBar*, TStatusPanel*, const TRect&);

class TStatusPanel : public TCollectionItem {
  KULR_CLASS(TStatusPanel, TCollectionItem)

  static constexpr int kDefaultWidth = 50;

  TStatusPanel() = default;

  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& value);
  // EInvalidOperation for a negative width.
  int Width() const { return FWidth; }
  void SetWidth(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle value);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel value);

  void Assign(const TPersistent* source) override;

protected:
  AnsiString GetDisplayName() const override;

private:
  AnsiString FText;
  int FWidth = kDefaultWidth;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelStyle FStyle = psText;
  TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels : public TCollection {
  KULR_CLASS(TStatusPanels, TCollection)

  explicit TStatusPanels(TStatusBar* owner);

  TStatusBar* StatusBar() const { return FStatusBar; }
  TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }
  TStatusPanel* operator[](int index) const { return Items(index); }
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Insert(int index) { return static_cast<TStatusPanel*>(TCollection::Insert(index)); }

protected:
  void Update(TCollectionItem* item) override;

private:
  TStatusBar* FStatusBar;
};

// A bar of panels (or, with SimplePanel, one text across the whole bar).
// Panels lie left to right, each Width wide; the last one reaches the right
// edge. An owner-drawn panel is drawn by OnDrawPanel when the bar paints;
// text panels record their text, aligned, kPanelPadding inside the panel.
class TStatusBar : public TWinControl {
  KULR_CLASS(TStatusBar, TWinControl)

  static constexpr int kPanelPadding = 2;
  // A size grip takes this much of the last panel's right end.
  static constexpr int kSizeGripWidth = 12;

  explicit TStatusBar(TComponent* owner);
  ~TStatusBar() override;

  TStatusPanels* Panels() const { return FPanels.get(); }
  // Copies the panels of value.
  void SetPanels(TStatusPanels* value);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  const AnsiString& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const AnsiString& value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool value);
  bool AutoHint() const { return FAutoHint; }
  void SetAutoHint(bool value) { FAutoHint = value; }

  // The panel's rectangle in client coordinates; EListError out of range.
  TRect PanelRect(int index) const;
  // The panel under x; -1 when none (or SimplePanel).
  int PanelAt(int x) const;

  const TDrawPanelEvent& OnDrawPanel() const { return FOnDrawPanel; }
  void SetOnDrawPanel(const TDrawPanelEvent& h) { FOnDrawPanel = h; }

  TCanvas& Canvas() { return FCanvas; }
  void Repaint() override;

protected:
  virtual void DrawPanel(TStatusPanel* panel, const TRect& rect);

private:
  friend class TStatusPanels;
  void PanelsChanged();

  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel = false;
  AnsiString FSimpleText;
  bool FSizeGrip = true;
  bool FAutoHint = false;
  TCanvas FCanvas;
  TDrawPanelEvent FOnDrawPanel;
};

// ---- Animation ----

KULR_ENUM(TCommonAVI, aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile,
          aviRecycleFile, aviEmptyRecycle, aviDeleteFile)

// What an opened clip holds: frame count and size, time per frame.
struct TAnimationClip {
  int FrameCount = 0;
  int FrameWidth = 0;
  int FrameHeight = 0;
  int MicroSecPerFrame = 0;
};

// The clip of a common animation: this runtime's own fixed table, since
// the images are not shipped (frame counts, sizes and rates are what the
// control reports for them). aviNone gives an empty clip.
TAnimationClip CommonAVIClip(TCommonAVI value);
// The clip in an AVI file's main header (RIFF "AVI " / LIST "hdrl" /
// "avih"); EInvalidOperation naming the file when it cannot be read or is
// not an AVI file.
TAnimationClip ReadAVIClip(const AnsiString& fileName);

// An animation clip played frame by frame. The source is CommonAVI or
// FileName (setting one clears the other). Open loads the source's clip
// (OnOpen), Active plays it: from StartFrame to StopFrame (0: the last
// frame), Repetitions times (0: until stopped). Headless, time does not
// pass by itself: whoever drives the frames (a timer of the host, a test)
// calls Step(), one frame per call; a finished play stops itself (OnStop).
// Activating without a source raises EInvalidOperation and leaves Active
// false.
class TAnimate : public TWinControl {
  KULR_CLASS(TAnimate, TWinControl)

  explicit TAnimate(TComponent* owner);

  TCommonAVI CommonAVI() const { return FCommonAVI; }
  void SetCommonAVI(TCommonAVI value);
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& value);

  // Opening without a source raises EInvalidOperation.
  bool Open() const { return FOpen; }
  void SetOpen(bool value);
  bool Active() const { return FActive; }
  void SetActive(bool value);

  // 1-based; EInvalidOperation outside 1..FrameCount once a clip is open
  // (0 for StopFrame means the last frame).
  int StartFrame() const { return FStartFrame; }
  void SetStartFrame(int value);
  int StopFrame() const { return FStopFrame; }
  void SetStopFrame(int value);
  // 0: play until stopped. EInvalidOperation for a negative count.
  int Repetitions() const { return FRepetitions; }
  void SetRepetitions(int value);
  bool Center() const { return FCenter; }
  void SetCenter(bool value) { FCenter = value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; }
  bool Timers() const { return FTimers; }
  void SetTimers(bool value) { FTimers = value; }

  // The open clip; zeros when closed.
  int FrameCount() const { return FClip.FrameCount; }
  int FrameWidth() const { return FClip.FrameWidth; }
  int FrameHeight() const { return FClip.FrameHeight; }
  // The frame shown now (1-based); 0 when closed.
  int CurrentFrame() const { return FCurrentFrame; }
  // Repetitions finished in the running play.
  int PlayedRepetitions() const { return FPlayed; }

  // Plays frames fromFrame..toFrame count times (0: until stopped); opens
  // the clip first. EInvalidOperation for frames outside the clip or
  // fromFrame after toFrame.
  void Play(int fromFrame, int toFrame, int count);
  void Stop();
  // Stops and shows the first frame of the play range again.
  void Reset();
  // Shows the frame (stops a running play).
  void Seek(int frame);
  // One frame of time: the next frame of a running play; at the end of the
  // range the repetition is counted and the play starts over or stops.
  void Step();

  const TNotifyEvent& OnOpen() const { return FOnOpen; }
  void SetOnOpen(const TNotifyEvent& h) { FOnOpen = h; }
  const TNotifyEvent& OnClose() const { return FOnClose; }
  void SetOnClose(const TNotifyEvent& h) { FOnClose = h; }
  const TNotifyEvent& OnStart() const { return FOnStart; }
  void SetOnStart(const TNotifyEvent& h) { FOnStart = h; }
  const TNotifyEvent& OnStop() const { return FOnStop; }
  void SetOnStop(const TNotifyEvent& h) { FOnStop = h; }

  void SetAutoSize(bool value) override;
  void Loaded() override;

private:
  bool HasSource() const { return FCommonAVI != aviNone || !FFileName.empty(); }
  void OpenClip();
  void CloseClip();
  void Reopen();
  void StartPlay(int fromFrame, int toFrame, int count);
  void StopPlay();
  int LastFrame() const { return FStopFrame == 0 ? FClip.FrameCount : FStopFrame; }
  void CheckFrame(int frame, const char* what) const;
  void FitToClip();

  TCommonAVI FCommonAVI = aviNone;
  AnsiString FFileName;
  TAnimationClip FClip;
  bool FOpen = false;
  bool FActive = false;
  // Open and Active read from a resource, applied in Loaded (the source may
  // come later in the resource).
  bool FPendingOpen = false;
  bool FPendingActive = false;
  int FStartFrame = 1;
  int FStopFrame = 0;
  int FRepetitions = 0;
  bool FCenter = true;
  bool FTransparent = true;
  bool FTimers = false;
  int FCurrentFrame = 0;
  int FPlayFrom = 0;
  int FPlayTo = 0;
  int FPlayCount = 0;
  int FPlayed = 0;
  TNotifyEvent FOnOpen;
  TNotifyEvent FOnClose;
  TNotifyEvent FOnStart;
  TNotifyEvent FOnStop;
};

// Registers every class of this unit and its enumerations.
void RegisterComCtrlsClasses();
