// List views: a windowed control showing items (a caption, sub-items for the
// columns, images and a state) as icons, small icons, a list or a report
// with columns. The model keeps the items, the selection, the sort order and
// the column widths, computes where each item lies through the metrics
// provider (TextMetrics.h) so that mouse presses hit the item a person would
// see, and runs the in-place caption editor that the test driver can type
// into.
//
// Sections: enumerations and events; columns; items; the in-place editor;
// the list view; registration.
//
// Rules a user of this unit relies on:
//
// Events. A change of an item's state (Selected or Checked), by code or by
// the user, first raises OnChanging(Item, ctState, AllowChange); a handler
// that clears AllowChange keeps the old state and nothing else is raised.
// Otherwise the state changes, OnChange(Item, ctState) follows and, for the
// selection only, OnSelectItem(Item, Selected). A text change (Caption,
// SubItems) raises OnChange(Item, ctText) after the change; an image change
// (ImageIndex, StateIndex) raises OnChange(Item, ctImage). Text and image
// changes cannot be vetoed. Which item has the focus is part of no event.
// Adding an item raises OnInsert(Item) once it is in place; deleting raises
// OnDeletion(Item) while the item is still whole and in the list, and
// nothing else (the selection shrinks silently). While the control is
// loading or being destroyed no item event is raised. Handlers must not add
// or delete items of the same list from OnDeletion (EInvalidOperation).
//
// Sorting. SortType stText or stBoth keeps the list sorted, stably, by
// OnCompare when it is assigned and otherwise by caption (the locale's
// case-insensitive comparison, AnsiCompareText in the font's code page; equal
// captions keep their order). The list sorts itself when SortType becomes a
// sorting type, when an item's caption changes (stText, stBoth) or its Data
// changes (stData, stBoth), and when OnCompare is assigned to a sorting list.
// Adding an item does not sort by itself (a new item has no caption yet), and
// sub-item changes never sort: a comparison that reads sub-items re-sorts
// with AlphaSort or CustomSort once the row is complete. The caption order is
// code-point order of the case-folded texts, not a pinyin collation. Inside
// BeginUpdate/EndUpdate these automatic sorts are held back and done once at
// the end; AlphaSort and CustomSort (which sorts once by the comparison given
// and leaves SortType alone) always sort at once. A comparison that raises
// leaves the order as it was.
//
// Column widths. Width -1 (ColumnTextWidth) makes a column follow its
// content: its width is the widest of its caption and its item texts (for
// column 0 the captions, plus the small image and a gap when SmallImages is
// set; for column i the sub-item i-1) measured in the list's font, plus
// kTextMargin. Width -2 (ColumnHeaderWidth) follows the caption alone. Both
// are recomputed whenever those texts change (once at EndUpdate inside an
// update); setting a width of 0 or more fixes it again. AutoSize columns
// share the client width that the other columns leave, equally.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrls.h"

class TListItem;
class TListItems;
class TListColumn;
class TCustomListView;

// ---- Enumerations and events ----

KULR_ENUM(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport)
KULR_ENUM(TSortType, stNone, stData, stText, stBoth)
KULR_ENUM(TItemChange, ctText, ctImage, ctState)

// void(Sender, Item, Selected)
KULR_EVENT(TLVSelectItemEvent, TObject*, TListItem*, bool);
// void(Sender, Item, Change)
KULR_EVENT(TLVChangeEvent, TObject*, TListItem*, TItemChange);
// void(Sender, Item, Change, var AllowChange)
KULR_EVENT(TLVChangingEvent, TObject*, TListItem*, TItemChange, bool&);
// void(Sender, Column)
KULR_EVENT(TLVColumnClickEvent, TObject*, TListColumn*);
// void(Sender, Item, var AllowEdit)
KULR_EVENT(TLVEditingEvent, TObject*, TListItem*, bool&);
// void(Sender, Item, var S): S is the new caption; setting it back to the
// item's caption refuses the edit.
KULR_EVENT(TLVEditedEvent, TObject*, TListItem*, AnsiString&);
// void(Sender, Item): OnDeletion and OnInsert.
KULR_EVENT(TLVDeletedEvent, TObject*, TListItem*);
// void(Sender, Item1, Item2, Data, var Compare): Compare < 0 puts Item1
// first.
KULR_EVENT(TLVCompareEvent, TObject*, TListItem*, TListItem*, intptr_t, int&);

// A comparison for CustomSort: < 0 puts the first item first.
using TLVCompare = std::function<int(TListItem* item1, TListItem* item2, intptr_t data)>;

// ---- Columns ----

class TListColumn : public TCollectionItem {
  KULR_CLASS(TListColumn, TCollectionItem)

  // The width values that make a column follow its content or its caption.
  static constexpr int ColumnTextWidth = -1;
  static constexpr int ColumnHeaderWidth = -2;
  // Added to the widest text of a following column: the cell's padding.
  static constexpr int kTextMargin = 12;

  TListColumn() = default;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& value);
  // The width in pixels. Reading a following column (-1, -2) gives the
  // width computed from its texts; an AutoSize column gives its share.
  int Width() const;
  // >= 0 fixes the width (kept within MinWidth/MaxWidth where they are not
  // 0); -1 and -2 make the column follow (see the top of this header); any
  // other negative value raises EInvalidOperation.
  void SetWidth(int value);
  // The width as set: -1 or -2 for a following column.
  int WidthType() const { return FWidthType; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  // 0 means no limit. A negative value raises EInvalidOperation.
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int value);
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t value) { FTag = value; }

  void Assign(const TPersistent* source) override;

protected:
  AnsiString GetDisplayName() const override;

private:
  friend class TCustomListView;
  int Clamp(int width) const;
  TCustomListView* ListView() const;

  AnsiString FCaption;
  int FWidthType = 50;  // as set: >= 0 or -1/-2
  int FWidth = 50;      // the width in effect
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = false;
  int FMinWidth = 0;
  int FMaxWidth = 0;
  int FImageIndex = -1;
  int32_t FTag = 0;
};

class TListColumns : public TCollection {
  KULR_CLASS(TListColumns, TCollection)

  explicit TListColumns(TCustomListView* owner);

  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }
  TCustomListView* Owner() const { return FOwner; }

protected:
  void Update(TCollectionItem* item) override;

private:
  TCustomListView* FOwner;
};

// ---- Items ----

class TListItem : public TPersistent {
  KULR_CLASS(TListItem, TPersistent)

  // Items are made by TListItems::Add/Insert and freed by Delete/Clear.
  explicit TListItem(TListItems* owner);
  ~TListItem() override;

  TListItems* Owner() const { return FOwner; }
  TCustomListView* ListView() const;
  // The position in the list.
  int Index() const;

  const AnsiString& Caption() const { return FCaption; }
  // A different caption raises OnChange(ctText), re-sorts a sorted list
  // and re-measures the following columns.
  void SetCaption(const AnsiString& value);
  // The texts of columns 1, 2, ...; any change raises OnChange(ctText) and
  // re-measures the following columns. Never re-sorts.
  TStrings* SubItems() const { return FSubItems.get(); }
  // Copies the lines of value.
  void SetSubItems(TStrings* value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  int StateIndex() const { return FStateIndex; }
  void SetStateIndex(int value);
  // A value of the program's own (a pointer or a number); stData and stBoth
  // lists re-sort when it changes.
  intptr_t Data() const { return FData; }
  void SetData(intptr_t value);

  // Selected and Checked by code raise the state events (vetoable, see the
  // top of this header). Selecting in a single-select list first deselects
  // the item selected before (each with its own events). Selecting does not
  // move the focus.
  bool Selected() const { return FSelected; }
  void SetSelected(bool value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  // The item that keyboard actions start from; at most one has it. No events.
  bool Focused() const;
  void SetFocused(bool value);

  // Deletes and frees the item (OnDeletion first): the pointer is dead
  // after the call.
  void Delete();
  // Scrolls the list so that the item is shown; partialOK accepts an item
  // cut by the edge.
  void MakeVisible(bool partialOK);
  // Starts the in-place editor on the item (see TCustomListView::
  // EditCaption); false when the list is read-only or OnEditing refused.
  bool EditCaption();
  // The rectangle the item takes in the list's client area, from the
  // current view style and scroll position.
  TRect DisplayRect() const;

private:
  friend class TListItems;
  friend class TCustomListView;
  void SubItemsChanged(TStrings& sender);

  TListItems* FOwner;
  AnsiString FCaption;
  std::unique_ptr<TStringList> FSubItems;
  int FImageIndex = -1;
  int FStateIndex = -1;
  intptr_t FData = 0;
  bool FSelected = false;
  bool FChecked = false;
};

// The items of one list view. Published as the list view's "Items"; its one
// published property, Data, carries every item in a form resource as a byte
// string made of one record per item:
//   ImageIndex "," StateIndex "," N "," then N texts, each written as its
//   length in bytes, ":" and the bytes;
// the first text is the caption and the others are the sub-items, e.g.
//   '0,-1,2,5:Alpha1:1' + '-1,-1,1,4:Beta'.
// Reading Data replaces every item; a malformed record raises EReadError
// naming its byte offset.
class TListItems : public TPersistent {
  KULR_CLASS(TListItems, TPersistent)

  explicit TListItems(TCustomListView* owner);
  ~TListItems() override;

  TCustomListView* Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (i)".
  TListItem* Item(int index) const;
  TListItem* operator[](int index) const { return Item(index); }

  // A new empty item at the end, or at index (0..Count). OnInsert follows.
  TListItem* Add();
  TListItem* Insert(int index);
  // Deletes and frees the item at index (EListError outside the range).
  void Delete(int index);
  // Deletes every item, first to last, each with OnDeletion.
  void Clear();
  // -1 when the item is not in this list.
  int IndexOf(const TListItem* item) const;

  // The list view's update (see TCustomListView::BeginUpdate).
  void BeginUpdate();
  void EndUpdate();

  // Replaces the items by those of another TListItems (captions, sub-items,
  // images, data, checked); other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

  AnsiString Data() const;
  void SetData(const AnsiString& value);

protected:
  TPersistent* GetOwner() const override;

private:
  friend class TListItem;
  friend class TCustomListView;
  void CheckNotDeleting(const char* operation) const;
  TListItem* InsertItem(int index, const char* operation);
  void DeleteItem(int index);

  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;
  bool FDeleting = false;
};

// ---- The in-place editor ----

// The edit the list view shows over an item while its caption is edited.
// It takes the focus, so typed bytes reach it: printable bytes replace the
// selection (the whole text at first) or go in at the caret, Backspace and
// Delete remove a whole character (a double-byte one at once), Left, Right,
// Home and End move the caret; Enter accepts and Esc cancels. Losing the
// focus accepts, as a real label editor does.
class TListViewEditor : public TWinControl {
  KULR_CLASS(TListViewEditor, TWinControl)

  explicit TListViewEditor(TCustomListView* owner);

  // The text and the caret (a byte position on a character boundary).
  int SelStart() const { return FSelStart; }
  // Whether the whole text is selected (typing replaces it).
  bool AllSelected() const { return FAllSelected; }
  void SetText(const AnsiString& text) override;

  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;

private:
  int CodePage() const;
  int PreviousBoundary(int pos) const;
  int NextBoundary(int pos) const;
  void Replace(int start, int end, const AnsiString& bytes);

  TCustomListView* FListView;
  int FSelStart = 0;
  bool FAllSelected = false;
};

// ---- The list view ----

class TCustomListView : public TWinControl {
  KULR_CLASS(TCustomListView, TWinControl)

  explicit TCustomListView(TComponent* owner);
  ~TCustomListView() override;

  void BeforeDestruction() override;

  // ---- Content ----
  TListColumns* Columns() const { return FColumns.get(); }
  // Copies the columns of value.
  void SetColumns(TListColumns* value);
  TListItems* Items() const { return FItems.get(); }
  // Copies the items of value.
  void SetItems(TListItems* value);

  // ---- Appearance and behaviour (stored, used by the geometry) ----
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle value);
  bool MultiSelect() const { return FMultiSelect; }
  // Turning it off keeps only the first selected item selected.
  void SetMultiSelect(bool value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value) { FRowSelect = value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value) { FHideSelection = value; }
  // Whether a header press raises OnColumnClick.
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool value) { FColumnClick = value; }
  // Whether items show a check box (Space toggles the focused one's).
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool value) { FCheckboxes = value; }
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool value) { FGridLines = value; }

  // ---- Images (forgotten when the list is freed) ----
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* value);
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* value);

  // ---- Sorting (see the top of this header) ----
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType value);
  // Sorts now by OnCompare or, without it, the captions. True when sorted.
  bool AlphaSort();
  // Sorts once by compare (or, when compare is empty, as AlphaSort but with
  // data passed to OnCompare). Stable.
  bool CustomSort(const TLVCompare& compare, intptr_t data);

  // ---- Selection ----
  // The first selected item in list order; setting selects only that item
  // (null clears the selection) and focuses it.
  TListItem* Selected() const;
  void SetSelected(TListItem* item);
  int SelCount() const;
  // The index of Selected; -1 when nothing is selected. Setting -1 clears
  // the selection; any other value selects only that item and focuses it
  // (EListError outside the range). The state events come per item.
  int ItemIndex() const;
  void SetItemIndex(int index);
  TListItem* ItemFocused() const { return FFocused; }
  void SetItemFocused(TListItem* item);
  void ClearSelection();
  // Selects every item (a single-select list: nothing happens).
  void SelectAll();
  // Deletes every selected item, walking from the first: a deleted item's
  // successor is looked at under the same index.
  void DeleteSelected();

  // ---- Geometry ----
  // Through the metrics provider with the list's font: a row is the text
  // height (or the small image height, when larger) plus 2 * kRowPadding;
  // the header row (report view with ShowColumnHeaders) is the text height
  // plus 2 * kHeaderPadding. An icon cell is the large image (32 x 32
  // without a list) above a text row, kIconSpacing wider than the wider of
  // image and widest caption.
  static constexpr int kRowPadding = 2;
  static constexpr int kHeaderPadding = 3;
  static constexpr int kIconSpacing = 12;
  // Between a small image and the caption in a measured column 0.
  static constexpr int kImageGap = 2;
  int RowHeight() const;
  int HeaderHeight() const;
  // The item under the client point; null when none.
  TListItem* GetItemAt(int x, int y) const;
  // The column whose header is under the client point; null when none.
  TListColumn* GetColumnAt(int x, int y) const;
  // The first row (report), column (list) or grid row (icons) shown.
  int ScrollPosition() const { return FScroll; }

  // ---- Updates ----
  // Nest; sorting and column measuring wait for the outermost EndUpdate.
  // EndUpdate without BeginUpdate raises EInvalidOperation.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // ---- In-place editing ----
  // Unless the list is read-only: ends a running edit (accepting it), asks
  // OnEditing (a handler may refuse), then shows the editor with the
  // caption, all selected, and focuses it (when the list can take the
  // focus). Enter or a focus change ends the edit by accepting it: the
  // editor closes (the focus returns to the list when the editor had it),
  // OnEdited(Item, S) runs with S the edited text, and the caption becomes
  // S. A handler refuses the edit by setting S back to the old caption. Esc
  // cancels: no OnEdited, the caption stays. Deleting the item ends the
  // edit without OnEdited. EInvalidOperation for an item of another list.
  bool EditCaption(TListItem* item);
  bool IsEditing() const { return FEditItem != nullptr; }
  TListItem* EditingItem() const { return FEditItem; }
  // The editor (null until the first edit); hidden while no edit runs.
  TListViewEditor* Editor() const { return FEditor; }
  // End the running edit; nothing when none runs.
  void EndEdit(bool accept);

  // ---- Events ----
  const TLVChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TLVChangeEvent& h) { FOnChange = h; }
  const TLVChangingEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TLVChangingEvent& h) { FOnChanging = h; }
  const TLVSelectItemEvent& OnSelectItem() const { return FOnSelectItem; }
  void SetOnSelectItem(const TLVSelectItemEvent& h) { FOnSelectItem = h; }
  const TLVColumnClickEvent& OnColumnClick() const { return FOnColumnClick; }
  void SetOnColumnClick(const TLVColumnClickEvent& h) { FOnColumnClick = h; }
  const TLVCompareEvent& OnCompare() const { return FOnCompare; }
  // Re-sorts a sorted list with the new comparison.
  void SetOnCompare(const TLVCompareEvent& h);
  const TLVEditingEvent& OnEditing() const { return FOnEditing; }
  void SetOnEditing(const TLVEditingEvent& h) { FOnEditing = h; }
  const TLVEditedEvent& OnEdited() const { return FOnEdited; }
  void SetOnEdited(const TLVEditedEvent& h) { FOnEdited = h; }
  const TLVDeletedEvent& OnDeletion() const { return FOnDeletion; }
  void SetOnDeletion(const TLVDeletedEvent& h) { FOnDeletion = h; }
  const TLVDeletedEvent& OnInsert() const { return FOnInsert; }
  void SetOnInsert(const TLVDeletedEvent& h) { FOnInsert = h; }

  // ---- Input ----
  // The left button goes to LButtonDown; a right press on an unselected
  // item selects only that item (so a pop-up menu acts on it); every button
  // then raises OnMouseDown (from LButtonDown for the left one).
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // Finishes a header click (OnColumnClick) and a slow second click on the
  // focused item (the in-place editor), then raises OnMouseUp.
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // After OnKeyDown (unless it consumed the key): Up/Down/Left/Right, Home,
  // End move the focus and select the item reached (Shift extends the range
  // from the anchor in a multi-select list, Ctrl moves the focus alone);
  // Ctrl+Space toggles the focused item's selection and, with Checkboxes,
  // Space its check; Ctrl+A selects all in a multi-select list; F2 edits
  // the focused item. Handled keys are consumed.
  void KeyDown(uint16_t& key, TShiftState shift) override;

  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

protected:
  // The left press: selects as a person's press does (a plain press selects
  // only the item under it, Ctrl toggles it, Shift selects the range from
  // the anchor; a press on no item clears the selection; a press in the
  // header starts a column click), then raises OnMouseDown. A descendant
  // may first move the focus and call this only when it got the focus.
  virtual void LButtonDown(TShiftState shift, int x, int y);
  // Raises OnColumnClick.
  virtual void ColClick(TListColumn* column);
  void FontChanged() override;

private:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumn;
  friend class TListColumns;
  friend class TListViewEditor;

  // What the geometry of the current view style is made of.
  struct TLayout {
    int TextHeight = 0;
    int RowHeight = 0;
    int HeaderHeight = 0;
    int CellWidth = 0;
    int CellHeight = 0;
    int PerLine = 1;  // rows per column (list), cells per row (icons)
  };
  TLayout ComputeLayout() const;
  TRect ItemRectIn(const TLayout& layout, int index) const;
  int TextWidth(std::string_view text) const;
  bool EventsAllowed() const;
  int CodePage() const;

  void ImageListChange(TObject* sender);
  int AutoColumnWidth(const TListColumn* column) const;
  void MakeItemVisible(int index, bool partialOK);

  // Item notifications.
  bool ChangeState(TListItem* item, bool selected, bool checked);
  void SetItemSelected(TListItem* item, bool selected);
  void ItemTextChanged(TListItem* item, bool caption);
  void ItemImageChanged(TListItem* item);
  void ItemDataChanged(TListItem* item);
  void ItemInserted(TListItem* item);
  void ItemDeleting(TListItem* item);
  void ItemsChanged();

  // Selection helpers; each state change raises its events.
  void SelectOnly(TListItem* item);
  void SelectRange(int from, int to, bool clearOthers);
  void MoveFocus(int index, TShiftState shift);

  void RequestSort();
  void DoSort(const std::function<int(TListItem*, TListItem*)>& compare);
  int DefaultCompare(TListItem* a, TListItem* b, intptr_t data);
  void RequestMeasure();
  void MeasureColumns();
  int ColumnContentWidth(int column, bool headerOnly) const;
  void AcceptEdit(TListItem* item, const AnsiString& text);

  std::unique_ptr<TListColumns> FColumns;
  std::unique_ptr<TListItems> FItems;
  TViewStyle FViewStyle = vsIcon;
  bool FMultiSelect = false;
  bool FRowSelect = false;
  bool FReadOnly = false;
  bool FShowColumnHeaders = true;
  bool FHideSelection = true;
  bool FColumnClick = true;
  bool FCheckboxes = false;
  bool FGridLines = false;
  TCustomImageList* FLargeImages = nullptr;
  TCustomImageList* FSmallImages = nullptr;
  TCustomImageList* FStateImages = nullptr;
  TChangeLink FLargeLink;
  TChangeLink FSmallLink;
  TChangeLink FStateLink;
  TSortType FSortType = stNone;
  TListItem* FFocused = nullptr;
  TListItem* FAnchor = nullptr;
  int FScroll = 0;
  int FUpdateCount = 0;
  bool FSortPending = false;
  bool FMeasurePending = false;
  bool FSorting = false;
  bool FMeasuring = false;
  TListColumn* FPressedColumn = nullptr;
  TListItem* FSlowClickItem = nullptr;
  TListViewEditor* FEditor = nullptr;
  TListItem* FEditItem = nullptr;
  bool FEnding = false;
  TLVChangeEvent FOnChange;
  TLVChangingEvent FOnChanging;
  TLVSelectItemEvent FOnSelectItem;
  TLVColumnClickEvent FOnColumnClick;
  TLVCompareEvent FOnCompare;
  TLVEditingEvent FOnEditing;
  TLVEditedEvent FOnEdited;
  TLVDeletedEvent FOnDeletion;
  TLVDeletedEvent FOnInsert;
};

// The published list view.
class TListView : public TCustomListView {
  KULR_CLASS(TListView, TCustomListView)
  using TCustomListView::TCustomListView;
};

// ---- Registration ----

// Registers TListColumn, TListColumns, TListItem, TListItems,
// TListViewEditor, TCustomListView and TListView. Idempotent.
void RegisterListViewsClasses();
