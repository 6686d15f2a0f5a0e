#include "platform/vcl/ListViews.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/FlagScope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/TextMetrics.h"

// Sections: class records; columns; items; the item list and its Data
// form; the in-place editor; the list view (state, sorting, selection,
// geometry, columns, editing, input, updates).

namespace {

// A stable merge sort that stays inside the vector whatever the comparison
// answers: a handler's comparison may be inconsistent, and the library sorts
// may then run past the ends.
void MergeSort(std::vector<TListItem*>& items, const std::function<int(TListItem*, TListItem*)>& compare) {
  std::vector<TListItem*> buffer(items.size());
  for (size_t width = 1; width < items.size(); width *= 2) {
    for (size_t lo = 0; lo < items.size(); lo += 2 * width) {
      const size_t mid = std::min(lo + width, items.size());
      const size_t hi = std::min(lo + 2 * width, items.size());
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) buffer[k++] = compare(items[j], items[i]) < 0 ? items[j++] : items[i++];
      while (i < mid) buffer[k++] = items[i++];
      while (j < hi) buffer[k++] = items[j++];
    }
    items.swap(buffer);
  }
}

AnsiString IntText(int64_t value) { return AnsiString(std::to_string(value)); }

}  // namespace

// ---- Class records ----

const TClass& TListColumn::StaticClass() {
  static const TClass& record = TClassBuilder<TListColumn>()
                                    .Property("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment)
                                    .Default(taLeftJustify)
                                    .Property("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize)
                                    .Default(false)
                                    .Property("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
                                    .Property("ImageIndex", &TListColumn::ImageIndex, &TListColumn::SetImageIndex)
                                    .Default(-1)
                                    .Property("MaxWidth", &TListColumn::MaxWidth, &TListColumn::SetMaxWidth)
                                    .Default(0)
                                    .Property("MinWidth", &TListColumn::MinWidth, &TListColumn::SetMinWidth)
                                    .Default(0)
                                    .Property("Tag", &TListColumn::Tag, &TListColumn::SetTag)
                                    .Default(0)
                                    .Property("Width", &TListColumn::Width, &TListColumn::SetWidth)
                                    .Default(50)
                                    .Factory()
                                    .Build();
  return record;
}

const TClass& TListColumns::StaticClass() {
  static const TClass& record = TClassBuilder<TListColumns>().Build();
  return record;
}

const TClass& TListItem::StaticClass() {
  static const TClass& record = TClassBuilder<TListItem>()
                                    .Property("Caption", &TListItem::Caption, &TListItem::SetCaption)
                                    .Property("ImageIndex", &TListItem::ImageIndex, &TListItem::SetImageIndex)
                                    .Default(-1)
                                    .Property("StateIndex", &TListItem::StateIndex, &TListItem::SetStateIndex)
                                    .Default(-1)
                                    .Build();
  return record;
}

const TClass& TListItems::StaticClass() {
  static const TClass& record =
      TClassBuilder<TListItems>().Property("Data", &TListItems::Data, &TListItems::SetData).Build();
  return record;
}

const TClass& TListViewEditor::StaticClass() {
  static const TClass& record = TClassBuilder<TListViewEditor>().Build();
  return record;
}

const TClass& TCustomListView::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomListView>().Build();
  return record;
}

const TClass& TListView::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    using T = TListView;
    TClassBuilder<T> b;
    TControl::PublishInherited<T>(b, {"Align", "Anchors", "Color", "Enabled", "Font", "ParentFont",
                                      "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "Visible"});
    TControl::PublishInherited<T>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<T>(b, {"TabStop"}).Default(true);
    b.Property("Checkboxes", &T::Checkboxes, &T::SetCheckboxes)
        .Default(false)
        .Property("Columns", &T::Columns, &T::SetColumns)
        .Property("ColumnClick", &T::ColumnClick, &T::SetColumnClick)
        .Default(true)
        .Property("GridLines", &T::GridLines, &T::SetGridLines)
        .Default(false)
        .Property("HideSelection", &T::HideSelection, &T::SetHideSelection)
        .Default(true)
        .Property("Items", &T::Items, &T::SetItems)
        .Property("LargeImages", &T::LargeImages, &T::SetLargeImages)
        .Property("MultiSelect", &T::MultiSelect, &T::SetMultiSelect)
        .Default(false)
        .Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly)
        .Default(false)
        .Property("RowSelect", &T::RowSelect, &T::SetRowSelect)
        .Default(false)
        .Property("ShowColumnHeaders", &T::ShowColumnHeaders, &T::SetShowColumnHeaders)
        .Default(true)
        .Property("SmallImages", &T::SmallImages, &T::SetSmallImages)
        .Property("SortType", &T::SortType, &T::SetSortType)
        .Default(stNone)
        .Property("StateImages", &T::StateImages, &T::SetStateImages)
        .Property("ViewStyle", &T::ViewStyle, &T::SetViewStyle)
        .Default(vsIcon)
        .Property("OnChange", &T::OnChange, &T::SetOnChange)
        .Property("OnChanging", &T::OnChanging, &T::SetOnChanging);
    TControl::PublishInherited<T>(b, {"OnClick"});
    b.Property("OnColumnClick", &T::OnColumnClick, &T::SetOnColumnClick)
        .Property("OnCompare", &T::OnCompare, &T::SetOnCompare);
    TControl::PublishInherited<T>(b, {"OnDblClick"});
    b.Property("OnDeletion", &T::OnDeletion, &T::SetOnDeletion)
        .Property("OnEdited", &T::OnEdited, &T::SetOnEdited)
        .Property("OnEditing", &T::OnEditing, &T::SetOnEditing);
    TControl::PublishInherited<T>(b, {"OnEnter", "OnExit"});
    b.Property("OnInsert", &T::OnInsert, &T::SetOnInsert);
    TControl::PublishInherited<T>(
        b, {"OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"});
    b.Property("OnSelectItem", &T::OnSelectItem, &T::SetOnSelectItem).Factory();
    return b.Build();
  }();
  return record;
}

void RegisterListViewsClasses() {
  RegisterClasses({&TListColumn::StaticClass(), &TListColumns::StaticClass(), &TListItem::StaticClass(),
                   &TListItems::StaticClass(), &TListViewEditor::StaticClass(), &TCustomListView::StaticClass(),
                   &TListView::StaticClass()});
}

// ---- Columns ----

TCustomListView* TListColumn::ListView() const {
  auto* columns = dynamic_cast<TListColumns*>(Collection());
  return columns != nullptr ? columns->Owner() : nullptr;
}

void TListColumn::SetCaption(const AnsiString& value) {
  if (value == FCaption) return;
  FCaption = value;
  Changed(false);
}

int TListColumn::Width() const {
  if (FAutoSize)
    if (TCustomListView* view = ListView()) return view->AutoColumnWidth(this);
  return FWidth;
}

int TListColumn::Clamp(int width) const {
  if (FMaxWidth > 0 && width > FMaxWidth) width = FMaxWidth;
  if (FMinWidth > 0 && width < FMinWidth) width = FMinWidth;
  return std::max(width, 0);
}

void TListColumn::SetWidth(int value) {
  if (value < ColumnHeaderWidth)
    throw EInvalidOperation(GetNamePath() + ".Width: " + IntText(value) +
                            " is not a width (0 or more, -1 for the content, -2 for the caption)");
  if (value == FWidthType && value >= 0 && FWidth == Clamp(value)) return;
  FWidthType = value;
  if (value >= 0) FWidth = Clamp(value);
  Changed(false);  // the list measures a following column
}

void TListColumn::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Changed(false);
}

void TListColumn::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  Changed(false);
}

void TListColumn::SetMinWidth(int value) {
  if (value < 0) throw EInvalidOperation(GetNamePath() + ".MinWidth: " + IntText(value) + " is negative");
  if (value == FMinWidth) return;
  FMinWidth = value;
  FWidth = Clamp(FWidth);
  Changed(false);
}

void TListColumn::SetMaxWidth(int value) {
  if (value < 0) throw EInvalidOperation(GetNamePath() + ".MaxWidth: " + IntText(value) + " is negative");
  if (value == FMaxWidth) return;
  FMaxWidth = value;
  FWidth = Clamp(FWidth);
  Changed(false);
}

void TListColumn::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  Changed(false);
}

void TListColumn::Assign(const TPersistent* source) {
  if (auto* column = dynamic_cast<const TListColumn*>(source)) {
    FCaption = column->FCaption;
    FWidthType = column->FWidthType;
    FWidth = column->FWidth;
    FAlignment = column->FAlignment;
    FAutoSize = column->FAutoSize;
    FMinWidth = column->FMinWidth;
    FMaxWidth = column->FMaxWidth;
    FImageIndex = column->FImageIndex;
    FTag = column->FTag;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(source);
}

AnsiString TListColumn::GetDisplayName() const {
  return FCaption.empty() ? TCollectionItem::GetDisplayName() : FCaption;
}

TListColumns::TListColumns(TCustomListView* owner)
    : TCollection(TListColumn::StaticClass(), owner), FOwner(owner) {}

void TListColumns::Update(TCollectionItem*) {
  if (FOwner == nullptr) return;
  FOwner->RequestMeasure();
  FOwner->Invalidate();
}

// ---- Items ----

TListItem::TListItem(TListItems* owner) : FOwner(owner), FSubItems(new TStringList) {
  FSubItems->OnChange = [this](TStrings& sender) { SubItemsChanged(sender); };
}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return FOwner != nullptr ? FOwner->Owner() : nullptr; }

int TListItem::Index() const { return FOwner != nullptr ? FOwner->IndexOf(this) : -1; }

void TListItem::SetCaption(const AnsiString& value) {
  if (value == FCaption) return;
  FCaption = value;
  if (TCustomListView* view = ListView()) view->ItemTextChanged(this, true);
}

void TListItem::SetSubItems(TStrings* value) {
  if (value == FSubItems.get()) return;
  if (value == nullptr) {
    FSubItems->Clear();
    return;
  }
  FSubItems->Assign(*value);
}

void TListItem::SubItemsChanged(TStrings&) {
  if (TCustomListView* view = ListView()) view->ItemTextChanged(this, false);
}

void TListItem::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  if (TCustomListView* view = ListView()) view->ItemImageChanged(this);
}

void TListItem::SetStateIndex(int value) {
  if (value == FStateIndex) return;
  FStateIndex = value;
  if (TCustomListView* view = ListView()) view->ItemImageChanged(this);
}

void TListItem::SetData(intptr_t value) {
  if (value == FData) return;
  FData = value;
  if (TCustomListView* view = ListView()) view->ItemDataChanged(this);
}

void TListItem::SetSelected(bool value) {
  if (value == FSelected) return;
  if (TCustomListView* view = ListView())
    view->SetItemSelected(this, value);
  else
    FSelected = value;
}

void TListItem::SetChecked(bool value) {
  if (value == FChecked) return;
  if (TCustomListView* view = ListView())
    view->ChangeState(this, FSelected, value);
  else
    FChecked = value;
}

bool TListItem::Focused() const {
  TCustomListView* view = ListView();
  return view != nullptr && view->ItemFocused() == this;
}

void TListItem::SetFocused(bool value) {
  TCustomListView* view = ListView();
  if (view == nullptr) return;
  if (value)
    view->SetItemFocused(this);
  else if (view->ItemFocused() == this)
    view->SetItemFocused(nullptr);
}

void TListItem::Delete() {
  if (FOwner == nullptr) throw EInvalidOperation("TListItem.Delete: the item belongs to no list");
  FOwner->Delete(Index());
}

void TListItem::MakeVisible(bool partialOK) {
  if (TCustomListView* view = ListView()) view->MakeItemVisible(Index(), partialOK);
}

bool TListItem::EditCaption() {
  TCustomListView* view = ListView();
  return view != nullptr && view->EditCaption(this);
}

TRect TListItem::DisplayRect() const {
  TCustomListView* view = ListView();
  if (view == nullptr) return TRect{};
  return view->ItemRectIn(view->ComputeLayout(), Index());
}

// ---- The item list ----

TListItems::TListItems(TCustomListView* owner) : FOwner(owner) {}

TListItems::~TListItems() {
  // The list view is going away with its items: no events.
  for (TListItem* item : FItems) {
    item->FOwner = nullptr;
    Free(item);
  }
}

TPersistent* TListItems::GetOwner() const { return FOwner; }

TListItem* TListItems::Item(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("List index out of bounds (" + IntText(index) + ")");
  return FItems[static_cast<size_t>(index)];
}

int TListItems::IndexOf(const TListItem* item) const {
  auto found = std::find(FItems.begin(), FItems.end(), item);
  return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TListItems::CheckNotDeleting(const char* operation) const {
  if (FDeleting)
    throw EInvalidOperation(AnsiString("TListItems.") + operation +
                            ": the items cannot change while an item is being deleted");
  if (FOwner != nullptr && FOwner->FSorting)
    throw EInvalidOperation(AnsiString("TListItems.") + operation + ": the items cannot change while they are sorted");
}

TListItem* TListItems::InsertItem(int index, const char* operation) {
  CheckNotDeleting(operation);
  if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + IntText(index) + ")");
  TListItem* item = NewObject<TListItem>(this);
  FItems.insert(FItems.begin() + index, item);
  if (FOwner != nullptr) FOwner->ItemInserted(item);
  return item;
}

TListItem* TListItems::Add() { return InsertItem(Count(), "Add"); }

TListItem* TListItems::Insert(int index) { return InsertItem(index, "Insert"); }

void TListItems::Delete(int index) {
  CheckNotDeleting("Delete");
  (void)Item(index);  // the range check
  DeleteItem(index);
}

void TListItems::DeleteItem(int index) {
  TListItem* item = FItems[static_cast<size_t>(index)];
  std::exception_ptr failure;
  {
    TFlagScope deleting(FDeleting);
    try {
      if (FOwner != nullptr) FOwner->ItemDeleting(item);
    } catch (...) {
      // The item goes all the same; the handler's error follows.
      failure = std::current_exception();
    }
  }
  FItems.erase(FItems.begin() + IndexOf(item));
  if (FOwner != nullptr) FOwner->ItemsChanged();
  item->FOwner = nullptr;
  Free(item);
  if (failure) std::rethrow_exception(failure);
}

void TListItems::Clear() {
  CheckNotDeleting("Clear");
  if (FItems.empty()) return;
  std::exception_ptr failure;
  {
    TFlagScope deleting(FDeleting);
    for (TListItem* item : FItems) {
      try {
        if (FOwner != nullptr) FOwner->ItemDeleting(item);
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
  }
  std::vector<TListItem*> doomed;
  doomed.swap(FItems);
  if (FOwner != nullptr) FOwner->ItemsChanged();
  for (TListItem* item : doomed) {
    item->FOwner = nullptr;
    Free(item);
  }
  if (failure) std::rethrow_exception(failure);
}

void TListItems::BeginUpdate() {
  if (FOwner != nullptr) FOwner->BeginUpdate();
}

void TListItems::EndUpdate() {
  if (FOwner != nullptr) FOwner->EndUpdate();
}

void TListItems::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TListItems*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TListItem* from : other->FItems) {
      TListItem* to = Add();
      to->SetCaption(from->Caption());
      to->SubItems()->Assign(*from->SubItems());
      to->SetImageIndex(from->ImageIndex());
      to->SetStateIndex(from->StateIndex());
      to->SetData(from->Data());
      to->SetChecked(from->Checked());
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

AnsiString TListItems::Data() const {
  AnsiString out;
  for (const TListItem* item : FItems) {
    const TStrings& sub = *item->SubItems();
    out += IntText(item->ImageIndex()) + "," + IntText(item->StateIndex()) + "," + IntText(1 + sub.Count()) + ",";
    out += IntText(static_cast<int64_t>(item->Caption().size())) + ":" + item->Caption();
    for (int i = 0; i < sub.Count(); ++i) {
      const AnsiString text = sub.Get(i);
      out += IntText(static_cast<int64_t>(text.size())) + ":" + text;
    }
  }
  return out;
}

namespace {

// Reads the records of TListItems' Data form.
class TItemDataReader {
public:
  struct TRecord {
    int ImageIndex = -1;
    int StateIndex = -1;
    std::vector<AnsiString> Texts;
  };

  explicit TItemDataReader(const AnsiString& data) : FData(data) {}

  std::vector<TRecord> ReadAll() {
    std::vector<TRecord> records;
    while (FPos < FData.size()) {
      TRecord record;
      record.ImageIndex = static_cast<int>(Number(','));
      record.StateIndex = static_cast<int>(Number(','));
      const int64_t count = Number(',');
      // Every text takes at least two bytes ("0:"), so a larger count is a lie.
      if (count < 1 || static_cast<uint64_t>(count) > (FData.size() - FPos) / 2)
        Fail("the text count " + IntText(count) + " does not fit the data");
      for (int64_t i = 0; i < count; ++i) {
        const int64_t length = Number(':');
        if (length < 0 || static_cast<uint64_t>(length) > FData.size() - FPos)
          Fail("the text length " + IntText(length) + " runs past the end");
        record.Texts.push_back(FData.substr(FPos, static_cast<size_t>(length)));
        FPos += static_cast<size_t>(length);
      }
      records.push_back(std::move(record));
    }
    return records;
  }

private:
  // A decimal number (an optional "-") ended by the stop byte.
  int64_t Number(char stop) {
    const size_t start = FPos;
    bool negative = false;
    if (FPos < FData.size() && FData[FPos] == '-') {
      negative = true;
      ++FPos;
    }
    int64_t value = 0;
    size_t digits = 0;
    while (FPos < FData.size() && FData[FPos] >= '0' && FData[FPos] <= '9') {
      if (++digits > 9) Fail("a number is too long", start);
      value = value * 10 + (FData[FPos] - '0');
      ++FPos;
    }
    if (digits == 0) Fail("a number is expected", start);
    if (FPos >= FData.size() || FData[FPos] != stop) Fail(AnsiString("'") + stop + "' is expected", FPos);
    ++FPos;
    return negative ? -value : value;
  }

  [[noreturn]] void Fail(const AnsiString& message) { Fail(message, FPos); }
  [[noreturn]] void Fail(const AnsiString& message, size_t at) {
    throw EReadError("TListItems.Data: " + message + " at byte " + IntText(static_cast<int64_t>(at)));
  }

  const AnsiString& FData;
  size_t FPos = 0;
};

}  // namespace

void TListItems::SetData(const AnsiString& value) {
  // Read everything first: a malformed form leaves the items alone.
  std::vector<TItemDataReader::TRecord> records = TItemDataReader(value).ReadAll();
  BeginUpdate();
  try {
    Clear();
    for (TItemDataReader::TRecord& record : records) {
      TListItem* item = Add();
      item->SetCaption(record.Texts[0]);
      if (record.Texts.size() > 1) {
        item->SubItems()->BeginUpdate();
        for (size_t i = 1; i < record.Texts.size(); ++i) item->SubItems()->Add(record.Texts[i]);
        item->SubItems()->EndUpdate();
      }
      item->SetImageIndex(record.ImageIndex);
      item->SetStateIndex(record.StateIndex);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---- The in-place editor ----

TListViewEditor::TListViewEditor(TCustomListView* owner) : TWinControl(owner), FListView(owner) {}

int TListViewEditor::CodePage() const { return Font()->CodePage(); }

void TListViewEditor::SetText(const AnsiString& text) {
  TWinControl::SetText(text);
  FSelStart = static_cast<int>(Text().size());
  FAllSelected = true;
}

int TListViewEditor::PreviousBoundary(int pos) const {
  const AnsiString& text = Text();
  int at = 0;
  while (at < static_cast<int>(text.size())) {
    const int next = at + CharLengthAt(CodePage(), text, static_cast<size_t>(at));
    if (next >= pos) return at;
    at = next;
  }
  return at;
}

int TListViewEditor::NextBoundary(int pos) const {
  const AnsiString& text = Text();
  if (pos >= static_cast<int>(text.size())) return static_cast<int>(text.size());
  return pos + CharLengthAt(CodePage(), text, static_cast<size_t>(pos));
}

void TListViewEditor::Replace(int start, int end, const AnsiString& bytes) {
  AnsiString text = Text();
  text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), bytes);
  TWinControl::SetText(text);
  FSelStart = start + static_cast<int>(bytes.size());
  FAllSelected = false;
}

void TListViewEditor::KeyDown(uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  const int length = static_cast<int>(Text().size());
  switch (key) {
    case VK_RETURN:
      key = 0;
      FListView->EndEdit(true);
      return;
    case VK_ESCAPE:
      key = 0;
      FListView->EndEdit(false);
      return;
    case VK_LEFT:
      FSelStart = FAllSelected ? 0 : PreviousBoundary(FSelStart);
      break;
    case VK_RIGHT:
      FSelStart = FAllSelected ? length : NextBoundary(FSelStart);
      break;
    case VK_HOME:
      FSelStart = 0;
      break;
    case VK_END:
      FSelStart = length;
      break;
    case VK_DELETE:
      if (FAllSelected)
        Replace(0, length, "");
      else if (FSelStart < length)
        Replace(FSelStart, NextBoundary(FSelStart), "");
      break;
    default:
      return;
  }
  FAllSelected = false;
  key = 0;
}

void TListViewEditor::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0) return;
  const auto byte = static_cast<unsigned char>(key);
  const int length = static_cast<int>(Text().size());
  if (byte == 8) {
    if (FAllSelected)
      Replace(0, length, "");
    else if (FSelStart > 0)
      Replace(PreviousBoundary(FSelStart), FSelStart, "");
    key = 0;
    return;
  }
  if (byte < 0x20 || byte == 0x7F) return;  // Enter, Esc, Tab: the key downs decide
  if (FAllSelected)
    Replace(0, length, AnsiString(1, key));
  else
    Replace(FSelStart, FSelStart, AnsiString(1, key));
  key = 0;
}

void TListViewEditor::DoExit() {
  TWinControl::DoExit();
  // Leaving the editor accepts, as clicking elsewhere does.
  FListView->EndEdit(true);
}

// ---- The list view: state ----

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner), FColumns(new TListColumns(this)), FItems(new TListItems(this)) {
  SetTabStop(true);
  SetParentColor(false);
  SetBounds(0, 0, 250, 150);
  FLargeLink.SetOnChange(TNotifyEvent(this, &TCustomListView::ImageListChange));
  FSmallLink.SetOnChange(TNotifyEvent(this, &TCustomListView::ImageListChange));
  FStateLink.SetOnChange(TNotifyEvent(this, &TCustomListView::ImageListChange));
}

TCustomListView::~TCustomListView() = default;

void TCustomListView::BeforeDestruction() {
  FEditItem = nullptr;
  FFocused = nullptr;
  FAnchor = nullptr;
  FSlowClickItem = nullptr;
  TWinControl::BeforeDestruction();
}

bool TCustomListView::EventsAllowed() const {
  const TComponentState state = ComponentState();
  return !state.Contains(csLoading) && !state.Contains(csDestroying);
}

int TCustomListView::CodePage() const { return Font()->CodePage(); }

int TCustomListView::TextWidth(std::string_view text) const { return GetTextMetrics().TextWidth(*Font(), text); }

void TCustomListView::SetColumns(TListColumns* value) {
  if (value != nullptr && value != FColumns.get()) FColumns->Assign(value);
}

void TCustomListView::SetItems(TListItems* value) {
  if (value != nullptr && value != FItems.get()) FItems->Assign(value);
}

void TCustomListView::SetViewStyle(TViewStyle value) {
  if (value == FViewStyle) return;
  EndEdit(true);
  FViewStyle = value;
  FScroll = 0;
  Invalidate();
}

void TCustomListView::SetMultiSelect(bool value) {
  if (value == FMultiSelect) return;
  FMultiSelect = value;
  if (value) return;
  // A style change, not a selection by anyone: silent.
  bool first = true;
  for (TListItem* item : FItems->FItems) {
    if (!item->FSelected) continue;
    if (!first) item->FSelected = false;
    first = false;
  }
  Invalidate();
}

void TCustomListView::SetShowColumnHeaders(bool value) {
  if (value == FShowColumnHeaders) return;
  FShowColumnHeaders = value;
  Invalidate();
}

void TCustomListView::ImageListChange(TObject*) {
  RequestMeasure();
  Invalidate();
}

namespace {

void SwapImages(TCustomListView* view, TCustomImageList*& field, TCustomImageList* value, TChangeLink& link) {
  if (field != nullptr) {
    field->UnRegisterChanges(&link);
    field->RemoveFreeNotification(view);
  }
  field = value;
  if (value != nullptr) {
    value->RegisterChanges(&link);
    value->FreeNotification(view);
  }
}

}  // namespace

void TCustomListView::SetLargeImages(TCustomImageList* value) {
  if (value == FLargeImages) return;
  SwapImages(this, FLargeImages, value, FLargeLink);
  Invalidate();
}

void TCustomListView::SetSmallImages(TCustomImageList* value) {
  if (value == FSmallImages) return;
  SwapImages(this, FSmallImages, value, FSmallLink);
  RequestMeasure();
  Invalidate();
}

void TCustomListView::SetStateImages(TCustomImageList* value) {
  if (value == FStateImages) return;
  SwapImages(this, FStateImages, value, FStateLink);
  Invalidate();
}

void TCustomListView::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FLargeImages) FLargeImages = nullptr;
  if (component == FSmallImages) {
    FSmallImages = nullptr;
    RequestMeasure();
  }
  if (component == FStateImages) FStateImages = nullptr;
  if (component == FEditor) {
    FEditor = nullptr;
    FEditItem = nullptr;
  }
}

void TCustomListView::Loaded() {
  TWinControl::Loaded();
  if (FSortType != stNone) FSortPending = true;
  FMeasurePending = true;
  if (FUpdateCount > 0) return;
  if (FSortPending) {
    FSortPending = false;
    DoSort([this](TListItem* a, TListItem* b) { return DefaultCompare(a, b, 0); });
  }
  FMeasurePending = false;
  MeasureColumns();
}

void TCustomListView::FontChanged() {
  TWinControl::FontChanged();
  RequestMeasure();
}

// ---- Item notifications ----

bool TCustomListView::ChangeState(TListItem* item, bool selected, bool checked) {
  if (item->FSelected == selected && item->FChecked == checked) return true;
  const bool events = EventsAllowed();
  if (events && FOnChanging) {
    bool allow = true;
    FOnChanging(this, item, ctState, allow);
    if (!allow) return false;
    if (FItems->IndexOf(item) < 0) return false;  // the handler deleted it
  }
  const bool selectionChanged = item->FSelected != selected;
  item->FSelected = selected;
  item->FChecked = checked;
  Invalidate();
  if (!events) return true;
  if (FOnChange) FOnChange(this, item, ctState);
  if (selectionChanged && FOnSelectItem && FItems->IndexOf(item) >= 0) FOnSelectItem(this, item, selected);
  return true;
}

void TCustomListView::SetItemSelected(TListItem* item, bool selected) {
  if (selected && !FMultiSelect) {
    for (TListItem* other : std::vector<TListItem*>(FItems->FItems)) {
      if (other == item || FItems->IndexOf(other) < 0 || !other->FSelected) continue;
      // A veto on the old selection keeps it, and a single-select list then
      // cannot take the new one.
      if (!ChangeState(other, false, other->FChecked)) return;
    }
    if (FItems->IndexOf(item) < 0) return;
  }
  ChangeState(item, selected, item->FChecked);
}

void TCustomListView::ItemTextChanged(TListItem* item, bool caption) {
  if (EventsAllowed() && FOnChange) FOnChange(this, item, ctText);
  if (caption && (FSortType == stText || FSortType == stBoth)) RequestSort();
  RequestMeasure();
  Invalidate();
}

void TCustomListView::ItemImageChanged(TListItem* item) {
  if (EventsAllowed() && FOnChange) FOnChange(this, item, ctImage);
  Invalidate();
}

void TCustomListView::ItemDataChanged(TListItem*) {
  if (FSortType == stData || FSortType == stBoth) RequestSort();
}

void TCustomListView::ItemInserted(TListItem* item) {
  RequestMeasure();
  Invalidate();
  if (EventsAllowed() && FOnInsert) FOnInsert(this, item);
}

void TCustomListView::ItemDeleting(TListItem* item) {
  if (FEditItem == item) {
    // The edit ends with its item, unasked.
    FEditItem = nullptr;
    if (FEditor != nullptr) {
      const bool hadFocus = FEditor->Focused();
      {
        TFlagScope ending(FEnding);
        if (hadFocus && CanFocus()) SetFocus();
      }
      FEditor->SetVisible(false);
    }
  }
  if (FFocused == item) FFocused = nullptr;
  if (FAnchor == item) FAnchor = nullptr;
  if (FSlowClickItem == item) FSlowClickItem = nullptr;
  if (EventsAllowed() && FOnDeletion) FOnDeletion(this, item);
}

void TCustomListView::ItemsChanged() {
  // Items left: the pointers the view keeps must still be among them.
  auto alive = [this](TListItem*& p) {
    if (p != nullptr && FItems->IndexOf(p) < 0) p = nullptr;
  };
  alive(FFocused);
  alive(FAnchor);
  alive(FSlowClickItem);
  if (FEditItem != nullptr && FItems->IndexOf(FEditItem) < 0) FEditItem = nullptr;
  const int count = FItems->Count();
  if (count == 0) {
    FScroll = 0;
  } else {
    const TLayout layout = ComputeLayout();
    int lastLine = count - 1;
    if (FViewStyle != vsReport) lastLine = (count - 1) / std::max(layout.PerLine, 1);
    FScroll = std::min(FScroll, lastLine);
  }
  RequestMeasure();
  Invalidate();
}

// ---- Sorting ----

void TCustomListView::SetSortType(TSortType value) {
  if (value == FSortType) return;
  FSortType = value;
  if (value != stNone) RequestSort();
}

void TCustomListView::SetOnCompare(const TLVCompareEvent& h) {
  FOnCompare = h;
  if (FSortType != stNone) RequestSort();
}

void TCustomListView::RequestSort() {
  if (FUpdateCount > 0 || ComponentState().Contains(csLoading)) {
    FSortPending = true;
    return;
  }
  DoSort([this](TListItem* a, TListItem* b) { return DefaultCompare(a, b, 0); });
}

int TCustomListView::DefaultCompare(TListItem* a, TListItem* b, intptr_t data) {
  if (FOnCompare) {
    int compare = 0;
    FOnCompare(this, a, b, data, compare);
    return compare;
  }
  return AnsiCompareText(a->Caption(), b->Caption(), CodePage());
}

void TCustomListView::DoSort(const std::function<int(TListItem*, TListItem*)>& compare) {
  if (FSorting) return;  // a comparison that sorts again changes nothing
  std::vector<TListItem*> sorted = FItems->FItems;
  {
    TFlagScope sorting(FSorting);
    MergeSort(sorted, compare);
  }
  if (sorted == FItems->FItems) return;
  FItems->FItems.swap(sorted);
  Invalidate();
}

bool TCustomListView::AlphaSort() {
  DoSort([this](TListItem* a, TListItem* b) { return DefaultCompare(a, b, 0); });
  return true;
}

bool TCustomListView::CustomSort(const TLVCompare& compare, intptr_t data) {
  if (compare)
    DoSort([&](TListItem* a, TListItem* b) { return compare(a, b, data); });
  else
    DoSort([this, data](TListItem* a, TListItem* b) { return DefaultCompare(a, b, data); });
  return true;
}

// ---- Selection ----

TListItem* TCustomListView::Selected() const {
  for (TListItem* item : FItems->FItems)
    if (item->FSelected) return item;
  return nullptr;
}

int TCustomListView::SelCount() const {
  return static_cast<int>(
      std::count_if(FItems->FItems.begin(), FItems->FItems.end(), [](TListItem* i) { return i->FSelected; }));
}

int TCustomListView::ItemIndex() const {
  TListItem* item = Selected();
  return item != nullptr ? FItems->IndexOf(item) : -1;
}

void TCustomListView::SetItemIndex(int index) {
  if (index == -1) {
    ClearSelection();
    return;
  }
  SetSelected(FItems->Item(index));
}

void TCustomListView::SetSelected(TListItem* item) {
  if (item == nullptr) {
    ClearSelection();
    return;
  }
  if (item->ListView() != this)
    throw EInvalidOperation("TCustomListView.Selected: the item is not in " + GetNamePath());
  SelectOnly(item);
  if (FItems->IndexOf(item) < 0) return;
  FFocused = item;
  FAnchor = item;
}

void TCustomListView::SetItemFocused(TListItem* item) {
  if (item != nullptr && item->ListView() != this)
    throw EInvalidOperation("TCustomListView.ItemFocused: the item is not in " + GetNamePath());
  FFocused = item;
  Invalidate();
}

void TCustomListView::ClearSelection() {
  for (TListItem* item : std::vector<TListItem*>(FItems->FItems))
    if (FItems->IndexOf(item) >= 0 && item->FSelected) ChangeState(item, false, item->FChecked);
}

void TCustomListView::SelectAll() {
  if (!FMultiSelect) return;
  for (TListItem* item : std::vector<TListItem*>(FItems->FItems))
    if (FItems->IndexOf(item) >= 0 && !item->FSelected) ChangeState(item, true, item->FChecked);
}

void TCustomListView::SelectOnly(TListItem* item) {
  for (TListItem* other : std::vector<TListItem*>(FItems->FItems))
    if (other != item && FItems->IndexOf(other) >= 0 && other->FSelected) ChangeState(other, false, other->FChecked);
  if (FItems->IndexOf(item) >= 0 && !item->FSelected) SetItemSelected(item, true);
}

void TCustomListView::SelectRange(int from, int to, bool clearOthers) {
  const int lo = std::min(from, to);
  const int hi = std::max(from, to);
  const std::vector<TListItem*> snapshot = FItems->FItems;
  if (clearOthers) {
    for (int i = 0; i < static_cast<int>(snapshot.size()); ++i) {
      TListItem* item = snapshot[static_cast<size_t>(i)];
      if ((i < lo || i > hi) && FItems->IndexOf(item) >= 0 && item->FSelected) ChangeState(item, false, item->FChecked);
    }
  }
  for (int i = lo; i <= hi && i < static_cast<int>(snapshot.size()); ++i) {
    TListItem* item = snapshot[static_cast<size_t>(i)];
    if (FItems->IndexOf(item) >= 0 && !item->FSelected) ChangeState(item, true, item->FChecked);
  }
}

void TCustomListView::DeleteSelected() {
  int index = 0;
  while (index < FItems->Count()) {
    if (FItems->Item(index)->Selected())
      FItems->Delete(index);  // the successor moves up to this index
    else
      ++index;
  }
}

// ---- Geometry ----

TCustomListView::TLayout TCustomListView::ComputeLayout() const {
  ITextMetrics& metrics = GetTextMetrics();
  TLayout layout;
  layout.TextHeight = metrics.TextHeight(*Font(), "W");
  const int smallWidth = FSmallImages != nullptr ? FSmallImages->Width() : 0;
  const int smallHeight = FSmallImages != nullptr ? FSmallImages->Height() : 0;
  layout.RowHeight = std::max(layout.TextHeight, smallHeight) + 2 * kRowPadding;
  layout.HeaderHeight = FViewStyle == vsReport && FShowColumnHeaders ? layout.TextHeight + 2 * kHeaderPadding : 0;
  int widest = 0;
  if (FViewStyle != vsReport)
    for (const TListItem* item : FItems->FItems) widest = std::max(widest, TextWidth(item->Caption()));
  switch (FViewStyle) {
    case vsReport: {
      int total = 0;
      for (int i = 0; i < FColumns->Count(); ++i) total += FColumns->Items(i)->Width();
      layout.CellWidth = total;
      layout.CellHeight = layout.RowHeight;
      break;
    }
    case vsList:
    case vsSmallIcon:
      layout.CellWidth = (smallWidth > 0 ? smallWidth + kImageGap : 0) + widest + kIconSpacing;
      layout.CellHeight = layout.RowHeight;
      layout.PerLine = FViewStyle == vsList ? std::max(1, ClientHeight() / layout.RowHeight)
                                            : std::max(1, ClientWidth() / layout.CellWidth);
      break;
    case vsIcon: {
      const int largeWidth = FLargeImages != nullptr ? FLargeImages->Width() : 32;
      const int largeHeight = FLargeImages != nullptr ? FLargeImages->Height() : 32;
      layout.CellWidth = std::max(largeWidth, widest) + kIconSpacing;
      layout.CellHeight = largeHeight + layout.RowHeight;
      layout.PerLine = std::max(1, ClientWidth() / layout.CellWidth);
      break;
    }
  }
  return layout;
}

TRect TCustomListView::ItemRectIn(const TLayout& layout, int index) const {
  if (index < 0) return TRect{};
  switch (FViewStyle) {
    case vsReport:
      return Bounds(0, layout.HeaderHeight + (index - FScroll) * layout.RowHeight, layout.CellWidth,
                    layout.RowHeight);
    case vsList:
      return Bounds((index / layout.PerLine - FScroll) * layout.CellWidth, (index % layout.PerLine) * layout.RowHeight,
                    layout.CellWidth, layout.RowHeight);
    case vsSmallIcon:
    case vsIcon:
      return Bounds((index % layout.PerLine) * layout.CellWidth, (index / layout.PerLine - FScroll) * layout.CellHeight,
                    layout.CellWidth, layout.CellHeight);
  }
  return TRect{};
}

int TCustomListView::RowHeight() const { return ComputeLayout().RowHeight; }

int TCustomListView::HeaderHeight() const { return ComputeLayout().HeaderHeight; }

TListItem* TCustomListView::GetItemAt(int x, int y) const {
  const TLayout layout = ComputeLayout();
  if (FViewStyle == vsReport) {
    if (y < layout.HeaderHeight) return nullptr;
    // Without row select only the first column's cell answers.
    const int right = FRowSelect || FColumns->Count() == 0 ? layout.CellWidth : FColumns->Items(0)->Width();
    if (x < 0 || x >= right) return nullptr;
  }
  for (int i = 0; i < FItems->Count(); ++i) {
    const TRect r = ItemRectIn(layout, i);
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return FItems->Item(i);
  }
  return nullptr;
}

TListColumn* TCustomListView::GetColumnAt(int x, int y) const {
  const int header = HeaderHeight();
  if (header == 0 || y < 0 || y >= header || x < 0) return nullptr;
  int left = 0;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TListColumn* column = FColumns->Items(i);
    const int width = column->Width();
    if (x >= left && x < left + width) return column;
    left += width;
  }
  return nullptr;
}

void TCustomListView::MakeItemVisible(int index, bool partialOK) {
  if (index < 0 || index >= FItems->Count()) return;
  const TLayout layout = ComputeLayout();
  int line = index;
  int space = ClientHeight() - layout.HeaderHeight;
  int lineSize = layout.RowHeight;
  if (FViewStyle == vsList) {
    line = index / layout.PerLine;
    space = ClientWidth();
    lineSize = layout.CellWidth;
  } else if (FViewStyle != vsReport) {
    line = index / layout.PerLine;
    lineSize = layout.CellHeight;
  }
  lineSize = std::max(lineSize, 1);
  int visible = partialOK ? (space + lineSize - 1) / lineSize : space / lineSize;
  visible = std::max(visible, 1);
  if (line < FScroll)
    FScroll = line;
  else if (line >= FScroll + visible)
    FScroll = line - visible + 1;
  Invalidate();
}

// ---- Columns ----

int TCustomListView::ColumnContentWidth(int column, bool headerOnly) const {
  const TListColumn* col = FColumns->Items(column);
  int widest = TextWidth(col->Caption());
  if (!headerOnly) {
    const int image = column == 0 && FSmallImages != nullptr ? FSmallImages->Width() + kImageGap : 0;
    for (const TListItem* item : FItems->FItems) {
      if (column == 0) {
        widest = std::max(widest, TextWidth(item->Caption()) + image);
      } else if (column - 1 < item->SubItems()->Count()) {
        widest = std::max(widest, TextWidth(item->SubItems()->Get(column - 1)));
      }
    }
  }
  return widest + TListColumn::kTextMargin;
}

void TCustomListView::RequestMeasure() {
  if (FUpdateCount > 0 || ComponentState().Contains(csLoading)) {
    FMeasurePending = true;
    return;
  }
  MeasureColumns();
}

void TCustomListView::MeasureColumns() {
  if (FMeasuring) return;
  TFlagScope measuring(FMeasuring);
  for (int i = 0; i < FColumns->Count(); ++i) {
    TListColumn* column = FColumns->Items(i);
    if (column->FWidthType >= 0) continue;
    column->FWidth = column->Clamp(ColumnContentWidth(i, column->FWidthType == TListColumn::ColumnHeaderWidth));
  }
}

int TCustomListView::AutoColumnWidth(const TListColumn* column) const {
  int fixed = 0;
  std::vector<const TListColumn*> autos;
  for (int i = 0; i < FColumns->Count(); ++i) {
    const TListColumn* c = FColumns->Items(i);
    if (c->FAutoSize)
      autos.push_back(c);
    else
      fixed += c->FWidth;
  }
  if (autos.empty()) return column->FWidth;
  const int remaining = std::max(ClientWidth() - fixed, 0);
  const int n = static_cast<int>(autos.size());
  const int share = remaining / n;
  // The last automatic column takes what the division leaves over.
  const int width = column == autos.back() ? remaining - share * (n - 1) : share;
  return column->Clamp(width);
}

// ---- Editing ----

bool TCustomListView::EditCaption(TListItem* item) {
  if (item == nullptr || item->ListView() != this)
    throw EInvalidOperation("TCustomListView.EditCaption: the item is not in " + GetNamePath());
  if (FReadOnly) return false;
  if (FEditItem != nullptr) EndEdit(true);
  if (FItems->IndexOf(item) < 0) return false;
  bool allow = true;
  if (FOnEditing) FOnEditing(this, item, allow);
  if (!allow || FItems->IndexOf(item) < 0) return false;
  if (FEditor == nullptr) {
    FEditor = NewObject<TListViewEditor>(this);
    FEditor->SetVisible(false);
    FEditor->SetParent(this);
  }
  TRect r = item->DisplayRect();
  if (FViewStyle == vsReport && FColumns->Count() > 0) r.Right = r.Left + FColumns->Items(0)->Width();
  FEditor->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  FEditor->SetText(item->Caption());
  FEditItem = item;
  FEditor->SetVisible(true);
  if (FEditor->CanFocus()) FEditor->SetFocus();
  return true;
}

void TCustomListView::EndEdit(bool accept) {
  if (FEditItem == nullptr || FEnding || FEditor == nullptr) return;
  TListItem* item = FEditItem;
  const AnsiString text = FEditor->Text();
  FEditItem = nullptr;
  {
    // The editor's own exit comes back here; the flag keeps it out.
    TFlagScope ending(FEnding);
    if (FEditor->Focused() && CanFocus()) SetFocus();
  }
  if (FEditor != nullptr) FEditor->SetVisible(false);
  if (accept) AcceptEdit(item, text);
}

void TCustomListView::AcceptEdit(TListItem* item, const AnsiString& text) {
  // A list going away (its form closing over a running edit) asks nobody.
  if (!EventsAllowed() || FItems->IndexOf(item) < 0) return;
  AnsiString s = text;
  if (FOnEdited) FOnEdited(this, item, s);
  if (FItems->IndexOf(item) < 0) return;  // the handler deleted it
  item->SetCaption(s);
}

// ---- Input ----

void TCustomListView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    LButtonDown(shift, x, y);
    return;
  }
  if (button == mbRight) {
    // A right press selects the item under it unless it is selected already,
    // so that a pop-up menu acts on what the user pointed at.
    TListItem* item = GetItemAt(x, y);
    if (item != nullptr && !item->FSelected) {
      SelectOnly(item);
      if (FItems->IndexOf(item) >= 0) {
        FFocused = item;
        FAnchor = item;
      }
    }
  }
  TWinControl::MouseDown(button, shift, x, y);
}

void TCustomListView::LButtonDown(TShiftState shift, int x, int y) {
  FPressedColumn = nullptr;
  FSlowClickItem = nullptr;
  if (TListColumn* column = GetColumnAt(x, y)) {
    FPressedColumn = column;
  } else if (TListItem* item = GetItemAt(x, y)) {
    const bool ctrl = FMultiSelect && shift.Contains(ssCtrl);
    const bool range = FMultiSelect && shift.Contains(ssShift) && FAnchor != nullptr;
    if (ctrl) {
      FFocused = item;
      FAnchor = item;
      SetItemSelected(item, !item->FSelected);
    } else if (range) {
      FFocused = item;
      SelectRange(FItems->IndexOf(FAnchor), FItems->IndexOf(item), true);
    } else {
      // A second, slow press on the item already focused and alone selected
      // edits its caption when the button comes up.
      const bool slow = !shift.Contains(ssDouble) && item == FFocused && item->FSelected && SelCount() == 1;
      SelectOnly(item);
      if (FItems->IndexOf(item) >= 0) {
        FFocused = item;
        FAnchor = item;
        if (slow && !FReadOnly) FSlowClickItem = item;
      }
    }
  } else if (!(FMultiSelect && (shift.Contains(ssCtrl) || shift.Contains(ssShift)))) {
    ClearSelection();
  }
  TWinControl::MouseDown(mbLeft, shift, x, y);
}

void TCustomListView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    TListColumn* pressed = FPressedColumn;
    TListItem* slow = FSlowClickItem;
    FPressedColumn = nullptr;
    FSlowClickItem = nullptr;
    if (pressed != nullptr && FColumnClick && GetColumnAt(x, y) == pressed)
      ColClick(pressed);
    else if (slow != nullptr && GetItemAt(x, y) == slow)
      EditCaption(slow);
  }
  TWinControl::MouseUp(button, shift, x, y);
}

void TCustomListView::ColClick(TListColumn* column) {
  if (FOnColumnClick) FOnColumnClick(this, column);
}

void TCustomListView::MoveFocus(int index, TShiftState shift) {
  TListItem* item = FItems->Item(index);
  MakeItemVisible(index, false);
  if (FMultiSelect && shift.Contains(ssCtrl)) {
    FFocused = item;
    Invalidate();
    return;
  }
  if (FMultiSelect && shift.Contains(ssShift) && FAnchor != nullptr) {
    FFocused = item;
    SelectRange(FItems->IndexOf(FAnchor), index, true);
    return;
  }
  SelectOnly(item);
  if (FItems->IndexOf(item) < 0) return;
  FFocused = item;
  FAnchor = item;
}

void TCustomListView::KeyDown(uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  const bool ctrl = shift.Contains(ssCtrl);
  if (key == VK_F2 && shift.Empty()) {
    if (FFocused != nullptr && !FReadOnly) EditCaption(FFocused);
    key = 0;
    return;
  }
  if (key == 'A' && ctrl) {
    if (!FMultiSelect) return;
    SelectAll();
    key = 0;
    return;
  }
  if (key == VK_SPACE && ctrl) {
    if (FFocused != nullptr && FMultiSelect) SetItemSelected(FFocused, !FFocused->FSelected);
    key = 0;
    return;
  }
  if (key == VK_SPACE && shift.Empty() && FCheckboxes) {
    if (FFocused != nullptr) ChangeState(FFocused, FFocused->FSelected, !FFocused->FChecked);
    key = 0;
    return;
  }
  const int count = FItems->Count();
  const int current = FFocused != nullptr ? FItems->IndexOf(FFocused) : -1;
  const int perLine = ComputeLayout().PerLine;
  int step = 0;
  switch (key) {
    case VK_UP: step = FViewStyle == vsIcon || FViewStyle == vsSmallIcon ? -perLine : -1; break;
    case VK_DOWN: step = FViewStyle == vsIcon || FViewStyle == vsSmallIcon ? perLine : 1; break;
    case VK_LEFT:
      if (FViewStyle == vsReport) return;
      step = FViewStyle == vsList ? -perLine : -1;
      break;
    case VK_RIGHT:
      if (FViewStyle == vsReport) return;
      step = FViewStyle == vsList ? perLine : 1;
      break;
    case VK_HOME:
    case VK_END: break;
    default: return;
  }
  const uint16_t pressed = key;
  key = 0;
  if (count == 0) return;
  int next = 0;
  if (pressed == VK_END)
    next = count - 1;
  else if (pressed != VK_HOME && current >= 0)
    next = std::clamp(current + step, 0, count - 1);
  MoveFocus(next, shift);
}

// ---- Updates ----

void TCustomListView::BeginUpdate() { ++FUpdateCount; }

void TCustomListView::EndUpdate() {
  if (FUpdateCount == 0) throw EInvalidOperation("TCustomListView.EndUpdate without BeginUpdate");
  if (--FUpdateCount > 0) return;
  if (FSortPending && !ComponentState().Contains(csLoading)) {
    FSortPending = false;
    DoSort([this](TListItem* a, TListItem* b) { return DefaultCompare(a, b, 0); });
  }
  if (FMeasurePending && !ComponentState().Contains(csLoading)) {
    FMeasurePending = false;
    MeasureColumns();
  }
}
