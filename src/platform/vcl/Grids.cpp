#include "platform/vcl/Grids.h"

#include <algorithm>
#include <string>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/FlagScope.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Forms.h"

// Sections: class records; the in-place editor; the grid's size; geometry
// and scrolling; current cell and selection; the editor's life; keys and
// mouse; painting; the string grid; its row and column views.

namespace {

AnsiString GridName(const TComponent* grid) {
  return grid->ClassName() + (grid->Name().empty() ? AnsiString() : " " + grid->Name());
}

AnsiString Num(int value) { return std::to_string(value); }

}  // namespace

// ---- Class records ----

const TClass& TInplaceEdit::StaticClass() {
  static const TClass& record = TClassBuilder<TInplaceEdit>().Build();
  return record;
}

const TClass& TCustomGrid::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomGrid>().Build();
  return record;
}

namespace {

// What the draw grid and the string grid publish: the same set.
template <class T>
void PublishGrid(TClassBuilder<T>& b) {
  TControl::PublishInherited<T>(b, {"Align", "Anchors", "Color"});
  b.Property("ColCount", &T::ColCount, &T::SetColCount)
      .Default(5)
      .Property("DefaultColWidth", &T::DefaultColWidth, &T::SetDefaultColWidth)
      .Default(64)
      .Property("DefaultRowHeight", &T::DefaultRowHeight, &T::SetDefaultRowHeight)
      .Default(24)
      .Property("DefaultDrawing", &T::DefaultDrawing, &T::SetDefaultDrawing)
      .Default(true);
  TControl::PublishInherited<T>(b, {"Enabled"});
  b.Property("FixedColor", &T::FixedColor, &T::SetFixedColor)
      .Default(clBtnFace)
      .Property("FixedCols", &T::FixedCols, &T::SetFixedCols)
      .Default(1)
      .Property("RowCount", &T::RowCount, &T::SetRowCount)
      .Default(5)
      .Property("FixedRows", &T::FixedRows, &T::SetFixedRows)
      .Default(1);
  TControl::PublishInherited<T>(b, {"Font"});
  b.Property("GridLineWidth", &T::GridLineWidth, &T::SetGridLineWidth)
      .Default(1)
      .Property("Options", &T::Options, &T::SetOptions)
      .Default(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect});
  TControl::PublishInherited<T>(b, {"ParentColor"}).Default(false);
  TControl::PublishInherited<T>(b, {"ParentFont", "ParentShowHint", "PopupMenu"});
  b.Property("ScrollBars", &T::ScrollBars, &T::SetScrollBars).Default(ssBoth);
  TControl::PublishInherited<T>(b, {"ShowHint", "TabOrder"});
  TControl::PublishInherited<T>(b, {"TabStop"}).Default(true);
  TControl::PublishInherited<T>(b, {"Visible", "OnClick", "OnDblClick"});
  b.Property("OnDrawCell", &T::OnDrawCell, &T::SetOnDrawCell);
  TControl::PublishInherited<T>(b, {"OnEnter", "OnExit"});
  b.Property("OnGetEditText", &T::OnGetEditText, &T::SetOnGetEditText);
  TControl::PublishInherited<T>(b, {"OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
                                    "OnMouseUp"});
  b.Property("OnSelectCell", &T::OnSelectCell, &T::SetOnSelectCell)
      .Property("OnSetEditText", &T::OnSetEditText, &T::SetOnSetEditText)
      .Property("OnTopLeftChanged", &T::OnTopLeftChanged, &T::SetOnTopLeftChanged)
      .Factory();
}

}  // namespace

const TClass& TDrawGrid::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TDrawGrid> b;
    PublishGrid(b);
    return b.Build();
  }();
  return record;
}

const TClass& TStringGrid::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TStringGrid> b;
    PublishGrid(b);
    return b.Build();
  }();
  return record;
}

void RegisterGridsClasses() {
  RegisterClasses({&TCustomGrid::StaticClass(), &TDrawGrid::StaticClass(), &TStringGrid::StaticClass()});
}

// ---- TInplaceEdit ----

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TWinControl(grid), FGrid(grid) {
  SetVisible(false);
  SetParentColor(false);
}

void TInplaceEdit::SetSel(int start, int length) {
  const int size = static_cast<int>(Text().size());
  FSelStart = std::clamp(start, 0, size);
  FSelLength = std::clamp(length, 0, size - FSelStart);
}

int TInplaceEdit::TextCodePage() const {
  // The text is in the font's code page; GBK when that has no double-byte
  // characters, as the forms' texts are.
  return EditCodePage(*Font());
}

int TInplaceEdit::CharStartBefore(int pos) const {
  const AnsiString& text = Text();
  const int cp = TextCodePage();
  int start = 0;
  for (int i = 0; i < pos;) {
    start = i;
    i += CharLengthAt(cp, text, static_cast<size_t>(i));
  }
  return start;
}

int TInplaceEdit::CharEndAfter(int pos) const {
  const AnsiString& text = Text();
  const int cp = TextCodePage();
  if (pos >= static_cast<int>(text.size())) return static_cast<int>(text.size());
  // pos may sit inside a character only if the text was set that way; walk
  // from the start so the caret always lands on a character boundary.
  int i = 0;
  while (i <= pos) i += CharLengthAt(cp, text, static_cast<size_t>(i));
  return i;
}

void TInplaceEdit::ReplaceSelection(std::string_view bytes) {
  AnsiString text = Text();
  text.replace(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength), bytes);
  const int caret = FSelStart + static_cast<int>(bytes.size());
  SetText(text);
  SetSel(caret, 0);
}

void TInplaceEdit::KeyDown(uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  const int caret = FSelStart + FSelLength;
  const int size = static_cast<int>(Text().size());
  switch (key) {
    case VK_LEFT: SetSel(FSelLength > 0 ? FSelStart : CharStartBefore(caret), 0); break;
    case VK_RIGHT: SetSel(FSelLength > 0 ? caret : CharEndAfter(caret), 0); break;
    case VK_HOME: SetSel(0, 0); break;
    case VK_END: SetSel(size, 0); break;
    case VK_DELETE:
      if (FSelLength == 0) SetSel(caret, CharEndAfter(caret) - caret);
      ReplaceSelection({});
      break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
      FGrid->KeyDown(key, shift);
      break;
    case VK_TAB:
      if (!FGrid->Options().Contains(goTabs)) return;  // the form's Tab moves the focus
      FGrid->KeyDown(key, shift);
      break;
    case VK_RETURN:
    case VK_ESCAPE:
      // Kept from the form's default and cancel buttons: the character they
      // make ends the edit (KeyPress).
      break;
    default: return;
  }
  key = 0;
}

void TInplaceEdit::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  const char c = key;
  if (c == 0) return;
  key = 0;
  if (c == '\r') {
    FGrid->HideEditor(true);
  } else if (c == 27) {
    FGrid->HideEditor(false);
  } else if (c == 8) {
    if (FSelLength == 0) {
      const int start = CharStartBefore(FSelStart);
      SetSel(start, FSelStart - start);
    }
    ReplaceSelection({});
  } else if (static_cast<unsigned char>(c) >= 0x20) {
    ReplaceSelection(std::string_view(&c, 1));
  }
}

void TInplaceEdit::DoExit() {
  TWinControl::DoExit();
  FGrid->EditorExited();
}

// ---- TCustomGrid: life ----

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  FColWidths.assign(static_cast<size_t>(FColCount), FDefaultColWidth);
  FRowHeights.assign(static_cast<size_t>(FRowCount), FDefaultRowHeight);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

// ---- Size ----

void TCustomGrid::SetColCount(int value) {
  if (value < 1) value = 1;
  if (value == FColCount) return;
  if (value <= FFixedCols) FFixedCols = value - 1;
  ChangeSize(value, FRowCount);
}

void TCustomGrid::SetRowCount(int value) {
  if (value < 1) value = 1;
  if (value == FRowCount) return;
  if (value <= FFixedRows) FFixedRows = value - 1;
  ChangeSize(FColCount, value);
}

void TCustomGrid::ChangeSize(int colCount, int rowCount) {
  const int oldCols = FColCount;
  const int oldRows = FRowCount;
  // An edit whose cell is going cannot be written anywhere.
  if (FEditorMode && (FCurrent.X >= colCount || FCurrent.Y >= rowCount)) HideEditor(false);
  FColWidths.resize(static_cast<size_t>(colCount), FDefaultColWidth);
  FRowHeights.resize(static_cast<size_t>(rowCount), FDefaultRowHeight);
  FColCount = colCount;
  FRowCount = rowCount;
  ClampCurrent();
  GridSizeChanged(oldCols, oldRows);
  Invalidate();
}

void TCustomGrid::ClampCurrent() {
  auto clampCoord = [this](TGridCoord& c) {
    c.X = std::clamp(c.X, FFixedCols, FColCount - 1);
    c.Y = std::clamp(c.Y, FFixedRows, FRowCount - 1);
  };
  clampCoord(FCurrent);
  clampCoord(FAnchor);
  const TGridCoord oldTopLeft = FTopLeft;
  FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, MaxLeftCol());
  FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, MaxTopRow());
  if (FTopLeft != oldTopLeft) TopLeftChanged();
  ScrollInView(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::SetFixedCols(int value) {
  if (value == FFixedCols) return;
  if (value < 0 || value >= FColCount)
    throw EInvalidGridOperation(GridName(this) + ": FixedCols " + Num(value) +
                                " must be at least 0 and less than ColCount (" + Num(FColCount) + ")");
  if (FEditorMode) HideEditor(true);
  FFixedCols = value;
  // As a fresh grid: the first scrolling column is in view and current.
  FCurrent.X = FAnchor.X = value;
  if (FTopLeft.X != value) {
    FTopLeft.X = value;
    TopLeftChanged();
  }
  Invalidate();
}

void TCustomGrid::SetFixedRows(int value) {
  if (value == FFixedRows) return;
  if (value < 0 || value >= FRowCount)
    throw EInvalidGridOperation(GridName(this) + ": FixedRows " + Num(value) +
                                " must be at least 0 and less than RowCount (" + Num(FRowCount) + ")");
  if (FEditorMode) HideEditor(true);
  FFixedRows = value;
  FCurrent.Y = FAnchor.Y = value;
  if (FTopLeft.Y != value) {
    FTopLeft.Y = value;
    TopLeftChanged();
  }
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  if (value < 0) throw EInvalidGridOperation(GridName(this) + ": DefaultColWidth cannot be negative (" + Num(value) + ")");
  FDefaultColWidth = value;
  std::fill(FColWidths.begin(), FColWidths.end(), value);
  Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  if (value < 0)
    throw EInvalidGridOperation(GridName(this) + ": DefaultRowHeight cannot be negative (" + Num(value) + ")");
  FDefaultRowHeight = value;
  std::fill(FRowHeights.begin(), FRowHeights.end(), value);
  Invalidate();
}

int TCustomGrid::ColWidths(int col) const {
  if (col < 0 || col >= FColCount)
    throw EInvalidGridOperation(GridName(this) + ": ColWidths[" + Num(col) + "] is out of range (ColCount " +
                                Num(FColCount) + ")");
  return FColWidths[static_cast<size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width) {
  (void)ColWidths(col);
  if (width < 0)
    throw EInvalidGridOperation(GridName(this) + ": ColWidths[" + Num(col) + "] cannot be negative (" + Num(width) + ")");
  FColWidths[static_cast<size_t>(col)] = width;
  Invalidate();
}

int TCustomGrid::RowHeights(int row) const {
  if (row < 0 || row >= FRowCount)
    throw EInvalidGridOperation(GridName(this) + ": RowHeights[" + Num(row) + "] is out of range (RowCount " +
                                Num(FRowCount) + ")");
  return FRowHeights[static_cast<size_t>(row)];
}

void TCustomGrid::SetRowHeights(int row, int height) {
  (void)RowHeights(row);
  if (height < 0)
    throw EInvalidGridOperation(GridName(this) + ": RowHeights[" + Num(row) + "] cannot be negative (" +
                                Num(height) + ")");
  FRowHeights[static_cast<size_t>(row)] = height;
  Invalidate();
}

void TCustomGrid::SetGridLineWidth(int value) {
  if (value < 0) throw EInvalidGridOperation(GridName(this) + ": GridLineWidth cannot be negative (" + Num(value) + ")");
  FGridLineWidth = value;
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == FOptions) return;
  if (FEditorMode && !value.Contains(goEditing)) HideEditor(true);
  FOptions = value;
  Invalidate();
}

// ---- Geometry ----

int TCustomGrid::LineWidth(int col) const {
  const bool drawn = col < FFixedCols ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine);
  return drawn ? FGridLineWidth : 0;
}

int TCustomGrid::LineHeight(int row) const {
  const bool drawn = row < FFixedRows ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine);
  return drawn ? FGridLineWidth : 0;
}

int TCustomGrid::FixedWidth() const {
  int width = 0;
  for (int c = 0; c < FFixedCols; ++c) width += FColWidths[static_cast<size_t>(c)] + LineWidth(c);
  return width;
}

int TCustomGrid::FixedHeight() const {
  int height = 0;
  for (int r = 0; r < FFixedRows; ++r) height += FRowHeights[static_cast<size_t>(r)] + LineHeight(r);
  return height;
}

void TCustomGrid::CheckCell(int col, int row, const char* what) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount)
    throw EInvalidGridOperation(GridName(this) + ": " + what + " (" + Num(col) + ", " + Num(row) +
                                ") is outside the " + Num(FColCount) + " x " + Num(FRowCount) + " grid");
}

void TCustomGrid::CheckSelectable(int col, int row, const char* what) const {
  CheckCell(col, row, what);
  if (col < FFixedCols || row < FFixedRows)
    throw EInvalidGridOperation(GridName(this) + ": " + what + " (" + Num(col) + ", " + Num(row) +
                                ") is a fixed cell and cannot be current");
}

TRect TCustomGrid::CellRect(int col, int row) const {
  CheckCell(col, row, "cell");
  auto start = [](int index, int fixed, int first, int fixedExtent, auto size, auto line) -> int {
    if (index < fixed) {
      int pos = 0;
      for (int i = 0; i < index; ++i) pos += size(i) + line(i);
      return pos;
    }
    if (index < first) return -1;
    int pos = fixedExtent;
    for (int i = first; i < index; ++i) pos += size(i) + line(i);
    return pos;
  };
  auto width = [this](int c) { return FColWidths[static_cast<size_t>(c)]; };
  auto height = [this](int r) { return FRowHeights[static_cast<size_t>(r)]; };
  auto lineW = [this](int c) { return LineWidth(c); };
  auto lineH = [this](int r) { return LineHeight(r); };
  const int x = start(col, FFixedCols, FTopLeft.X, FixedWidth(), width, lineW);
  const int y = start(row, FFixedRows, FTopLeft.Y, FixedHeight(), height, lineH);
  if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return TRect{};
  return Bounds(x, y, width(col), height(row));
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
  auto find = [](int pos, int count, int fixed, int first, auto size, auto line) -> int {
    if (pos < 0) return -1;
    int at = 0;
    for (int i = 0; i < count; ++i) {
      if (i == fixed) i = first;
      if (i >= count) break;
      const int extent = size(i) + line(i);
      if (pos < at + extent) return i;
      at += extent;
    }
    return -1;
  };
  const int col = find(x, FColCount, FFixedCols, FTopLeft.X, [this](int c) { return FColWidths[static_cast<size_t>(c)]; },
                       [this](int c) { return LineWidth(c); });
  const int row = find(y, FRowCount, FFixedRows, FTopLeft.Y,
                       [this](int r) { return FRowHeights[static_cast<size_t>(r)]; },
                       [this](int r) { return LineHeight(r); });
  if (col < 0 || row < 0 || x >= ClientWidth() || y >= ClientHeight()) return TGridCoord{-1, -1};
  return TGridCoord{col, row};
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
  const TGridCoord coord = MouseCoord(x, y);
  col = coord.X;
  row = coord.Y;
}

int TCustomGrid::VisibleRowCount() const {
  const int available = ClientHeight() - FixedHeight();
  int used = 0;
  int count = 0;
  for (int r = FTopLeft.Y; r < FRowCount; ++r) {
    used += FRowHeights[static_cast<size_t>(r)];
    if (used > available) break;
    ++count;
    used += LineHeight(r);
  }
  return count;
}

int TCustomGrid::VisibleColCount() const {
  const int available = ClientWidth() - FixedWidth();
  int used = 0;
  int count = 0;
  for (int c = FTopLeft.X; c < FColCount; ++c) {
    used += FColWidths[static_cast<size_t>(c)];
    if (used > available) break;
    ++count;
    used += LineWidth(c);
  }
  return count;
}

int TCustomGrid::MaxTopRow() const {
  const int available = ClientHeight() - FixedHeight();
  int top = FRowCount - 1;
  int used = FRowHeights[static_cast<size_t>(top)];
  while (top - 1 >= FFixedRows) {
    const int more = FRowHeights[static_cast<size_t>(top - 1)] + LineHeight(top - 1);
    if (used + more > available) break;
    used += more;
    --top;
  }
  return std::max(top, FFixedRows);
}

int TCustomGrid::MaxLeftCol() const {
  const int available = ClientWidth() - FixedWidth();
  int left = FColCount - 1;
  int used = FColWidths[static_cast<size_t>(left)];
  while (left - 1 >= FFixedCols) {
    const int more = FColWidths[static_cast<size_t>(left - 1)] + LineWidth(left - 1);
    if (used + more > available) break;
    used += more;
    --left;
  }
  return std::max(left, FFixedCols);
}

void TCustomGrid::TopLeftChanged() {
  Invalidate();
  if (FEditorMode && FEditor != nullptr) FEditor->SetBoundsRect(CellRect(FCurrent.X, FCurrent.Y));
  if (FOnTopLeftChanged) FOnTopLeftChanged(this);
}

void TCustomGrid::SetTopRow(int value) {
  value = std::clamp(value, FFixedRows, MaxTopRow());
  if (value == FTopLeft.Y) return;
  FTopLeft.Y = value;
  TopLeftChanged();
}

void TCustomGrid::SetLeftCol(int value) {
  value = std::clamp(value, FFixedCols, MaxLeftCol());
  if (value == FTopLeft.X) return;
  FTopLeft.X = value;
  TopLeftChanged();
}

void TCustomGrid::ScrollInView(int col, int row) {
  TGridCoord topLeft = FTopLeft;
  // Scroll by one until the cell is whole in view, or it is the first one
  // in view (a cell larger than the view).
  auto fit = [](int index, int& first, int fixed, auto visibleCount) {
    if (index < fixed) return;
    if (index < first) {
      first = index;
      return;
    }
    while (first < index && index >= first + visibleCount(first)) ++first;
  };
  fit(col, topLeft.X, FFixedCols, [this](int first) {
    int saved = FTopLeft.X;
    FTopLeft.X = first;
    int n = VisibleColCount();
    FTopLeft.X = saved;
    return n;
  });
  fit(row, topLeft.Y, FFixedRows, [this](int first) {
    int saved = FTopLeft.Y;
    FTopLeft.Y = first;
    int n = VisibleRowCount();
    FTopLeft.Y = saved;
    return n;
  });
  if (topLeft == FTopLeft) return;
  FTopLeft = topLeft;
  TopLeftChanged();
}

// ---- Current cell and selection ----

bool TCustomGrid::SelectCell(int col, int row) {
  bool canSelect = true;
  if (FOnSelectCell) FOnSelectCell(this, col, row, canSelect);
  return canSelect;
}

void TCustomGrid::SetCol(int value) {
  CheckSelectable(value, FCurrent.Y, "column of cell");
  FocusCell(value, FCurrent.Y);
}

void TCustomGrid::SetRow(int value) {
  CheckSelectable(FCurrent.X, value, "row of cell");
  FocusCell(FCurrent.X, value);
}

bool TCustomGrid::FocusCell(int col, int row, bool extend) {
  CheckSelectable(col, row, "cell");
  extend = extend && FOptions.Contains(goRangeSelect);
  if (TGridCoord{col, row} == FCurrent) {
    MoveCurrent(col, row, extend);
    return true;
  }
  if (!SelectCell(col, row)) return false;
  const bool reopen = FEditorMode && FOptions.Contains(goAlwaysShowEditor);
  // The edit belongs to the cell being left; if writing it back fails the
  // move does not happen.
  if (FEditorMode) HideEditor(true);
  MoveCurrent(col, row, extend);
  if (reopen) ShowEditor(false);
  return true;
}

void TCustomGrid::MoveCurrent(int col, int row, bool extend) {
  FCurrent = TGridCoord{col, row};
  if (!extend) FAnchor = FCurrent;
  ScrollInView(col, row);
  Invalidate();
}

TGridRect TCustomGrid::Selection() const {
  TGridRect rect{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y), std::max(FAnchor.X, FCurrent.X),
                 std::max(FAnchor.Y, FCurrent.Y)};
  if (FOptions.Contains(goRowSelect)) {
    rect.Left = FFixedCols;
    rect.Right = FColCount - 1;
  }
  return rect;
}

void TCustomGrid::SetSelection(const TGridRect& rect) {
  CheckSelectable(rect.Left, rect.Top, "selection corner");
  CheckSelectable(rect.Right, rect.Bottom, "selection corner");
  if (FEditorMode) HideEditor(true);
  FAnchor = TGridCoord{rect.Left, rect.Top};
  FCurrent = TGridCoord{rect.Right, rect.Bottom};
  ScrollInView(FCurrent.X, FCurrent.Y);
  Invalidate();
}

// ---- Editor ----

AnsiString TCustomGrid::GetEditText(int col, int row) {
  AnsiString value;
  if (FOnGetEditText) FOnGetEditText(this, col, row, value);
  return value;
}

void TCustomGrid::SetEditText(int col, int row, const AnsiString& value) {
  if (FOnSetEditText) FOnSetEditText(this, col, row, value);
}

void TCustomGrid::SetEditorMode(bool value) {
  if (value == FEditorMode) return;
  if (!value) {
    HideEditor(true);
    return;
  }
  if (!FOptions.Contains(goEditing))
    throw EInvalidGridOperation(GridName(this) + ": the editor cannot open without goEditing in Options");
  ShowEditor(false);
}

void TCustomGrid::ShowEditor(bool selectAll) {
  if (FEditorMode) return;
  if (FEditor == nullptr) {
    FEditor = NewObject<TInplaceEdit>(this);
    FEditor->SetParent(this);
  }
  const AnsiString text = GetEditText(FCurrent.X, FCurrent.Y);
  {
    TFlagScope hiding(FHidingEditor);  // no exit handling while it is set up
    FEditor->SetText(text);
    if (selectAll)
      FEditor->SelectAll();
    else
      FEditor->SetSel(static_cast<int>(text.size()), 0);
    FEditor->SetBoundsRect(CellRect(FCurrent.X, FCurrent.Y));
    FEditor->SetVisible(true);
    FEditorMode = true;
  }
  if (GetParentForm(this) != nullptr && FEditor->CanFocus()) FEditor->SetFocus();
}

void TCustomGrid::HideEditor(bool commit) {
  if (!FEditorMode || FHidingEditor) return;
  if (commit) SetEditText(FCurrent.X, FCurrent.Y, FEditor->Text());
  TFlagScope hiding(FHidingEditor);
  FEditorMode = false;
  if (FEditor->Focused() && CanFocus()) SetFocus();
  FEditor->SetVisible(false);
  Invalidate();
}

void TCustomGrid::EditorExited() {
  // The focus left the editor for something other than the grid's own
  // closing of it: the edit is written back. The editor is only hidden once
  // the focus change is over (HideStaleEditor): hiding the control whose
  // exit is running would send the focus to the form.
  if (!FEditorMode || FHidingEditor) return;
  SetEditText(FCurrent.X, FCurrent.Y, FEditor->Text());
  FEditorMode = false;
  Invalidate();
}

void TCustomGrid::HideStaleEditor() {
  if (FEditorMode || FEditor == nullptr || !FEditor->Visible() || FEditor->Focused()) return;
  TFlagScope hiding(FHidingEditor);
  FEditor->SetVisible(false);
}

void TCustomGrid::DoExit() {
  TCustomControl::DoExit();
  if (FEditorMode)
    HideEditor(true);
  else
    HideStaleEditor();
}

// ---- Keys and mouse ----

void TCustomGrid::MoveByKey(int col, int row, bool extend) {
  col = std::clamp(col, FFixedCols, FColCount - 1);
  row = std::clamp(row, FFixedRows, FRowCount - 1);
  FocusCell(col, row, extend);
}

void TCustomGrid::KeyDown(uint16_t& key, TShiftState shift) {
  HideStaleEditor();
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  const bool ctrl = shift.Contains(ssCtrl);
  const bool extend = shift.Contains(ssShift);
  const bool rowSelect = FOptions.Contains(goRowSelect);
  int col = FCurrent.X;
  int row = FCurrent.Y;
  const int page = std::max(1, VisibleRowCount());
  switch (key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT:
      if (rowSelect) {
        SetLeftCol(FTopLeft.X - 1);
        key = 0;
        return;
      }
      --col;
      break;
    case VK_RIGHT:
      if (rowSelect) {
        SetLeftCol(FTopLeft.X + 1);
        key = 0;
        return;
      }
      ++col;
      break;
    case VK_PRIOR: row -= page; break;
    case VK_NEXT: row += page; break;
    case VK_HOME:
      col = FFixedCols;
      if (ctrl) row = FFixedRows;
      break;
    case VK_END:
      col = FColCount - 1;
      if (ctrl) row = FRowCount - 1;
      break;
    case VK_TAB: {
      if (!FOptions.Contains(goTabs) || ctrl || shift.Contains(ssAlt)) return;
      // Tab goes round the grid: past the last cell to the first and back.
      if (shift.Contains(ssShift)) {
        if (--col < FFixedCols) {
          col = FColCount - 1;
          if (--row < FFixedRows) row = FRowCount - 1;
        }
      } else if (++col >= FColCount) {
        col = FFixedCols;
        if (++row >= FRowCount) row = FFixedRows;
      }
      key = 0;
      FocusCell(col, row, false);
      return;
    }
    case VK_F2:
      key = 0;
      if (FOptions.Contains(goEditing)) ShowEditor(false);
      return;
    default: return;
  }
  key = 0;
  MoveByKey(col, row, extend);
}

void TCustomGrid::KeyPress(char& key) {
  HideStaleEditor();
  TCustomControl::KeyPress(key);
  if (key == 0 || FEditorMode || !FOptions.Contains(goEditing)) return;
  if (key == '\r') {
    key = 0;
    ShowEditor(false);
  } else if (static_cast<unsigned char>(key) >= 0x20) {
    char c = key;
    key = 0;
    ShowEditor(true);
    // The character replaces the text, as typing over a selection does.
    FEditor->KeyPress(c);
  }
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  HideStaleEditor();
  if (button == mbLeft) {
    const TGridCoord coord = MouseCoord(x, y);
    if (coord.X >= FFixedCols && coord.Y >= FFixedRows) FocusCell(coord.X, coord.Y, shift.Contains(ssShift));
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

// ---- Painting ----

void TCustomGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (FOnDrawCell) FOnDrawCell(this, col, row, rect, state);
}

void TCustomGrid::Paint() {
  const TGridRect selection = Selection();
  const bool focused = Focused();
  // Paints the cell unless it is out of view; false when it is.
  auto paintCell = [&](int col, int row) -> bool {
    const TRect rect = CellRect(col, row);
    if (rect == TRect{}) return false;
    TGridDrawState state;
    if (col < FFixedCols || row < FFixedRows) {
      state.Include(gdFixed);
    } else {
      const bool current = col == FCurrent.X && row == FCurrent.Y;
      if (current && focused) state.Include(gdFocused);
      if (selection.Contains(col, row) &&
          (!current || FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect)))
        state.Include(gdSelected);
    }
    Canvas().Brush().SetColor(state.Contains(gdFixed) ? FFixedColor : Color());
    DrawCell(col, row, rect, state);
    return true;
  };
  // Each row: the fixed columns, then the scrolling ones while in view.
  auto paintRow = [&](int row) -> bool {
    bool any = false;
    for (int col = 0; col < FFixedCols; ++col) any = paintCell(col, row) || any;
    for (int col = FTopLeft.X; col < FColCount && paintCell(col, row); ++col) any = true;
    return any;
  };
  for (int row = 0; row < FFixedRows; ++row) paintRow(row);
  for (int row = FTopLeft.Y; row < FRowCount && paintRow(row); ++row) {
  }
}

// ---- TStringGrid ----

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) {
  FStoredCols = ColCount();
  FCells.resize(static_cast<size_t>(ColCount() * RowCount()));
}

TStringGrid::~TStringGrid() = default;

const TStringGrid::TCell& TStringGrid::CellAt(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
    throw EInvalidGridOperation(GridName(this) + ": cell (" + Num(col) + ", " + Num(row) + ") is outside the " +
                                Num(ColCount()) + " x " + Num(RowCount()) + " grid");
  return FCells[static_cast<size_t>(row * FStoredCols + col)];
}

TStringGrid::TCell& TStringGrid::CellAt(int col, int row) {
  return const_cast<TCell&>(static_cast<const TStringGrid*>(this)->CellAt(col, row));
}

AnsiString TStringGrid::Cells(int col, int row) const { return CellAt(col, row).Text; }

void TStringGrid::SetCells(int col, int row, const AnsiString& text) {
  TCell& cell = CellAt(col, row);
  if (cell.Text == text) return;
  cell.Text = text;
  Invalidate();
}

TObject* TStringGrid::Objects(int col, int row) const { return CellAt(col, row).Object; }

void TStringGrid::SetObjects(int col, int row, TObject* object) { CellAt(col, row).Object = object; }

void TStringGrid::GridSizeChanged(int oldColCount, int oldRowCount) {
  std::vector<TCell> cells(static_cast<size_t>(ColCount() * RowCount()));
  const int cols = std::min(oldColCount, ColCount());
  const int rows = std::min(oldRowCount, RowCount());
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      cells[static_cast<size_t>(r * ColCount() + c)] = std::move(FCells[static_cast<size_t>(r * FStoredCols + c)]);
  FCells = std::move(cells);
  FStoredCols = ColCount();
}

TStrings* TStringGrid::Cols(int col) {
  if (col < 0 || col >= ColCount())
    throw EInvalidGridOperation(GridName(this) + ": Cols[" + Num(col) + "] is out of range (ColCount " +
                                Num(ColCount()) + ")");
  if (static_cast<size_t>(col) >= FColViews.size()) FColViews.resize(static_cast<size_t>(col) + 1);
  auto& view = FColViews[static_cast<size_t>(col)];
  if (!view) view = std::make_unique<TStringGridStrings>(this, true, col);
  return view.get();
}

TStrings* TStringGrid::Rows(int row) {
  if (row < 0 || row >= RowCount())
    throw EInvalidGridOperation(GridName(this) + ": Rows[" + Num(row) + "] is out of range (RowCount " +
                                Num(RowCount()) + ")");
  if (static_cast<size_t>(row) >= FRowViews.size()) FRowViews.resize(static_cast<size_t>(row) + 1);
  auto& view = FRowViews[static_cast<size_t>(row)];
  if (!view) view = std::make_unique<TStringGridStrings>(this, false, row);
  return view.get();
}

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (DefaultDrawing())
    Canvas().TextRect(rect, rect.Left + kGridTextMargin, rect.Top + kGridTextMargin, Cells(col, row));
  TDrawGrid::DrawCell(col, row, rect, state);
}

AnsiString TStringGrid::GetEditText(int col, int row) {
  AnsiString value = Cells(col, row);
  if (OnGetEditText()) OnGetEditText()(this, col, row, value);
  return value;
}

void TStringGrid::SetEditText(int col, int row, const AnsiString& value) {
  SetCells(col, row, value);
  TDrawGrid::SetEditText(col, row, value);
}

// ---- TStringGridStrings ----

TStringGridStrings::TStringGridStrings(TStringGrid* grid, bool isColumn, int index)
    : FGrid(grid), FIsColumn(isColumn), FIndex(index) {}

void TStringGridStrings::CheckAlive() const {
  const int limit = FIsColumn ? FGrid->ColCount() : FGrid->RowCount();
  if (FIndex >= limit)
    throw EInvalidGridOperation(GridName(FGrid) + ": " + (FIsColumn ? "column " : "row ") + Num(FIndex) +
                                " no longer exists");
}

int TStringGridStrings::GetCount() const {
  CheckAlive();
  return FIsColumn ? FGrid->RowCount() : FGrid->ColCount();
}

AnsiString TStringGridStrings::Get(int index) const {
  CheckIndex(index);
  return FGrid->Cells(ColOf(index), RowOf(index));
}

void* TStringGridStrings::GetObject(int index) const {
  CheckIndex(index);
  return FGrid->Objects(ColOf(index), RowOf(index));
}

void TStringGridStrings::Put(int index, const AnsiString& s) {
  CheckIndex(index);
  FGrid->SetCells(ColOf(index), RowOf(index), s);
}

void TStringGridStrings::PutObject(int index, void* object) {
  CheckIndex(index);
  FGrid->SetObjects(ColOf(index), RowOf(index), static_cast<TObject*>(object));
}

void TStringGridStrings::Insert(int, const AnsiString&) {
  throw EInvalidGridOperation(GridName(FGrid) + ": cells cannot be inserted into a grid's " +
                              (FIsColumn ? "column" : "row"));
}

void TStringGridStrings::Delete(int) {
  throw EInvalidGridOperation(GridName(FGrid) + ": cells cannot be deleted from a grid's " +
                              (FIsColumn ? "column" : "row"));
}

void TStringGridStrings::Clear() {
  for (int i = 0; i < GetCount(); ++i) {
    FGrid->SetCells(ColOf(i), RowOf(i), {});
    FGrid->SetObjects(ColOf(i), RowOf(i), nullptr);
  }
}

int TStringGridStrings::Add(const AnsiString& s) {
  for (int i = 0; i < GetCount(); ++i) {
    if (!Get(i).empty()) continue;
    Put(i, s);
    return i;
  }
  throw EInvalidGridOperation(GridName(FGrid) + ": no empty cell left in " + (FIsColumn ? "column " : "row ") +
                              Num(FIndex) + " for Add");
}

void TStringGridStrings::Assign(const TStrings& source) {
  const int count = GetCount();
  if (source.Count() > count)
    throw EInvalidGridOperation(GridName(FGrid) + ": " + Num(source.Count()) + " lines do not fit the " +
                                Num(count) + " cells of " + (FIsColumn ? "column " : "row ") + Num(FIndex));
  // Read everything first: the source may be this very view.
  std::vector<std::pair<AnsiString, void*>> lines;
  for (int i = 0; i < source.Count(); ++i) lines.emplace_back(source.Get(i), source.GetObject(i));
  for (int i = 0; i < count; ++i) {
    const bool has = i < static_cast<int>(lines.size());
    FGrid->SetCells(ColOf(i), RowOf(i), has ? lines[static_cast<size_t>(i)].first : AnsiString());
    FGrid->SetObjects(ColOf(i), RowOf(i), has ? static_cast<TObject*>(lines[static_cast<size_t>(i)].second) : nullptr);
  }
}
