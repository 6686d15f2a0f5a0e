// Grids: a table of cells in columns and rows, the first FixedCols columns
// and FixedRows rows fixed (titles that never scroll or take the current
// cell), with per-column widths and per-row heights, a current cell and a
// selection moved by keys, mouse and code (each move asked of OnSelectCell,
// which may veto), scrolling that keeps the current cell in view, an
// in-place editor, and a drawing hook that gets every visible cell's
// rectangle. TDrawGrid leaves the contents to its handlers; TStringGrid
// keeps a text and an object per cell.
//
// Sections: options, coordinates and events; the in-place editor;
// TCustomGrid (size, geometry, current cell, editor, keys and mouse,
// painting); TDrawGrid; TStringGrid with its row and column views;
// registration.
//
// Geometry, in client coordinates: the fixed columns come first from x = 0,
// then the scrolling columns from LeftCol on. Each column is ColWidths[c]
// wide and followed by a grid line GridLineWidth wide when the options
// draw that line (goFixedVertLine for fixed columns, goVertLine for the
// others); rows likewise with goFixedHorzLine/goHorzLine. A cell scrolled
// out of view, or starting beyond the client area, has an empty rectangle.
//
// The editor: with goEditing, F2, Enter or a typed character opens it on the
// current cell (a typed character replaces the text, F2 and Enter keep it
// with the caret at the end). It is a child control that takes the focus,
// so the keyboard reaches it. Enter, moving to another cell or the focus
// leaving the editor writes the text back (SetEditText: OnSetEditText, and
// the cell of a string grid); Esc drops the edit. An editor the focus left
// for the grid itself (code focusing the grid) ends its edit at once and is
// hidden at the grid's next key or mouse press.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"  // TScrollStyle
#include "platform/vcl/TypInfo.h"

class TCustomGrid;

// ---- Options, coordinates and events ----

KULR_ENUM(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
          goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs,
          goRowSelect, goAlwaysShowEditor, goThumbTracking)
KULR_SET(TGridOptions, TGridOption);

KULR_ENUM(TGridDrawStateItem, gdSelected, gdFocused, gdFixed)
KULR_SET(TGridDrawState, TGridDrawStateItem);

// A cell: column X, row Y.
struct TGridCoord {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells, columns Left..Right and rows Top..Bottom, inclusive.
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// A cell, column, row or count outside what the grid holds; the message
// names the grid and the index.
class EInvalidGridOperation : public EInvalidOperation {
public:
  using EInvalidOperation::EInvalidOperation;
  const char* ClassName() const override { return "EInvalidGridOperation"; }
};

// void(TObject* Sender, int ACol, int ARow, bool& CanSelect)
KULR_EVENT(TSelectCellEvent, TObject*, int, int, bool&);
// void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)
KULR_EVENT(TDrawCellEvent, TObject*, int, int, TRect, TGridDrawState);
// void(TObject* Sender, int ACol, int ARow, AnsiString& Value)
KULR_EVENT(TGetEditEvent, TObject*, int, int, AnsiString&);
// void(TObject* Sender, int ACol, int ARow, const AnsiString& Value)
KULR_EVENT(TSetEditEvent, TObject*, int, int, const AnsiString&);

// ---- The in-place editor ----

// The grid's single-line editor: text with a caret and a selection, edited
// byte-wise as keys arrive (a double-byte character comes as a lead byte and
// then a trail byte) and never split by the caret keys, Backspace or Delete.
// Keys that move between cells go back to the grid.
class TInplaceEdit : public TWinControl {
  KULR_CLASS(TInplaceEdit, TWinControl)

  explicit TInplaceEdit(TCustomGrid* grid);

  TCustomGrid* Grid() const { return FGrid; }
  // Byte offsets into Text; the caret is at SelStart + SelLength.
  int SelStart() const { return FSelStart; }
  int SelLength() const { return FSelLength; }
  void SetSel(int start, int length);
  void SelectAll() { SetSel(0, static_cast<int>(Text().size())); }

  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;

private:
  void ReplaceSelection(std::string_view bytes);
  int TextCodePage() const;
  int CharStartBefore(int pos) const;
  int CharEndAfter(int pos) const;

  TCustomGrid* FGrid;
  int FSelStart = 0;
  int FSelLength = 0;
};

// ---- TCustomGrid ----

class TCustomGrid : public TCustomControl {
  KULR_CLASS(TCustomGrid, TCustomControl)

  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;

  // ---- Size ----
  // At least 1 (smaller values become 1). Fewer columns than FixedCols
  // reduce FixedCols to ColCount - 1. Shrinking drops the cells beyond and
  // moves the current cell (and the selection) inside, without asking
  // OnSelectCell; an open editor whose cell goes is closed without writing.
  int ColCount() const { return FColCount; }
  void SetColCount(int value);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int value);
  // 0..ColCount-1 (RowCount-1); EInvalidGridOperation otherwise. A change
  // puts the current cell and the view back at the first scrolling column
  // (row), without asking OnSelectCell; an open editor writes back first.
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int value);

  // Setting the default resets every column's width (row's height).
  // EInvalidGridOperation for a negative value.
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int value);
  // EInvalidGridOperation for an index out of range or a negative size.
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int value);

  TGridOptions Options() const { return FOptions; }
  // Dropping goEditing closes an open editor, writing its text back.
  void SetOptions(TGridOptions value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value) { FDefaultDrawing = value; }
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor value) { FFixedColor = value; }
  // Which scroll bars a painter shows; kept only.
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value) { FScrollBars = value; }

  // ---- Geometry ----
  // The rectangle of a cell (see the top of this header); empty for a cell
  // out of view. EInvalidGridOperation for a cell outside the grid.
  TRect CellRect(int col, int row) const;
  // The cell under a client point; (-1, -1) for a point on no cell.
  TGridCoord MouseCoord(int x, int y) const;
  void MouseToCell(int x, int y, int& col, int& row) const;
  // The first scrolling row (column) in view. Setting clips to
  // FixedRows..the last top row that still fills the view, and raises
  // OnTopLeftChanged when it changed.
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int value);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int value);
  // Scrolling rows (columns) from TopRow (LeftCol) that fit whole in the
  // client area below (right of) the fixed ones; 0 when none does.
  int VisibleRowCount() const;
  int VisibleColCount() const;

  // ---- Current cell and selection ----
  // Setting by code asks OnSelectCell; a veto leaves everything as it was.
  // EInvalidGridOperation for a fixed or missing column/row. The new cell
  // is scrolled into view; an open editor writes its text back first.
  int Col() const { return FCurrent.X; }
  void SetCol(int value);
  int Row() const { return FCurrent.Y; }
  void SetRow(int value);
  // Moves to (col, row) as the user does, asking OnSelectCell; true when
  // the cell became current. extend keeps the selection's anchor (with
  // goRangeSelect). EInvalidGridOperation for a fixed or missing cell.
  bool FocusCell(int col, int row, bool extend = false);
  // The selected block: from the anchor to the current cell; whole rows
  // (every scrolling column) with goRowSelect.
  TGridRect Selection() const;
  // Makes rect the selection: its top-left becomes the anchor and its
  // bottom-right the current cell. Code that sets a selection has chosen
  // it, so OnSelectCell is not asked. EInvalidGridOperation for a corner
  // that is fixed or outside the grid.
  void SetSelection(const TGridRect& rect);

  // ---- Editor ----
  // Whether the editor is open. True opens it on the current cell (only
  // with goEditing; EInvalidGridOperation otherwise), false closes it and
  // writes the text back.
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool value);
  // The editor, made on first opening; nullptr before.
  TInplaceEdit* InplaceEditor() const { return FEditor; }
  // Closes the editor: commit writes the text back through SetEditText,
  // otherwise the edit is dropped. The focus comes back to the grid when
  // the editor had it.
  void HideEditor(bool commit);

  // ---- Events ----
  const TSelectCellEvent& OnSelectCell() const { return FOnSelectCell; }
  void SetOnSelectCell(const TSelectCellEvent& h) { FOnSelectCell = h; }
  const TDrawCellEvent& OnDrawCell() const { return FOnDrawCell; }
  void SetOnDrawCell(const TDrawCellEvent& h) { FOnDrawCell = h; }
  const TGetEditEvent& OnGetEditText() const { return FOnGetEditText; }
  void SetOnGetEditText(const TGetEditEvent& h) { FOnGetEditText = h; }
  const TSetEditEvent& OnSetEditText() const { return FOnSetEditText; }
  void SetOnSetEditText(const TSetEditEvent& h) { FOnSetEditText = h; }
  const TNotifyEvent& OnTopLeftChanged() const { return FOnTopLeftChanged; }
  void SetOnTopLeftChanged(const TNotifyEvent& h) { FOnTopLeftChanged = h; }

  // ---- Input ----
  // Arrows, Page Up/Down, Home/End (with Ctrl: the first/last row too) and,
  // with goTabs, Tab/Shift+Tab (wrapping round the grid) move the current
  // cell; Shift with goRangeSelect extends the selection; F2 opens the
  // editor.
  void KeyDown(uint16_t& key, TShiftState shift) override;
  // With goEditing a typed character opens the editor with it, Enter opens
  // it with the cell's text.
  void KeyPress(char& key) override;
  // A left press on a scrolling cell makes it current (Shift extends).
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;

protected:
  // Whether the cell may become current: OnSelectCell's answer.
  virtual bool SelectCell(int col, int row);
  // Paints one cell: OnDrawCell when assigned.
  virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
  // The text the editor opens with: OnGetEditText's, from "" here.
  virtual AnsiString GetEditText(int col, int row);
  // The editor's text comes back: OnSetEditText.
  virtual void SetEditText(int col, int row, const AnsiString& value);
  // The column or row count changed (after the sizes and the current cell).
  virtual void GridSizeChanged(int oldColCount, int oldRowCount) {
    (void)oldColCount;
    (void)oldRowCount;
  }
  // Every visible cell, fixed ones included, through DrawCell.
  void Paint() override;
  void TopLeftChanged();

private:
  friend class TInplaceEdit;

  void ChangeSize(int colCount, int rowCount);
  void ClampCurrent();
  // Moves the current cell without asking; updates anchor and scrolling.
  void MoveCurrent(int col, int row, bool extend);
  void CheckCell(int col, int row, const char* what) const;
  void CheckSelectable(int col, int row, const char* what) const;
  void ScrollInView(int col, int row);
  int LineWidth(int col) const;
  int LineHeight(int row) const;
  int FixedWidth() const;
  int FixedHeight() const;
  int MaxTopRow() const;
  int MaxLeftCol() const;
  void ShowEditor(bool selectAll);
  void EditorExited();
  // Hides an editor whose edit already ended while it kept the focus.
  void HideStaleEditor();
  // Moves by key; the editor is closed (writing back) when the cell changes.
  void MoveByKey(int col, int row, bool extend);

  int FColCount = 5;
  int FRowCount = 5;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  bool FDefaultDrawing = true;
  TColor FFixedColor = clBtnFace;
  TScrollStyle FScrollBars = ssBoth;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  bool FEditorMode = false;
  bool FHidingEditor = false;
  TInplaceEdit* FEditor = nullptr;
  TSelectCellEvent FOnSelectCell;
  TDrawCellEvent FOnDrawCell;
  TGetEditEvent FOnGetEditText;
  TSetEditEvent FOnSetEditText;
  TNotifyEvent FOnTopLeftChanged;
};

// ---- TDrawGrid ----

// The grid whose cells its handlers draw and edit.
class TDrawGrid : public TCustomGrid {
  KULR_CLASS(TDrawGrid, TCustomGrid)
  explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
};

// ---- TStringGrid ----

class TStringGrid;

// One column or row of a string grid as a list of its cells' texts and
// objects. It has as many lines as the grid has rows (columns); lines are
// never inserted or deleted: Add fills the first empty cell, Clear empties
// every cell, Assign fills from the top and empties the rest. A view whose
// column or row the grid has dropped raises EInvalidGridOperation.
class TStringGridStrings : public TStrings {
public:
  TStringGridStrings(TStringGrid* grid, bool isColumn, int index);

  AnsiString Get(int index) const override;
  int GetCount() const override;
  void* GetObject(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, void* object) override;
  // EInvalidGridOperation: a grid's lines are fixed.
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const AnsiString& s) override;
  void Assign(const TStrings& source) override;

private:
  void CheckAlive() const;
  int ColOf(int index) const { return FIsColumn ? FIndex : index; }
  int RowOf(int index) const { return FIsColumn ? index : FIndex; }

  TStringGrid* FGrid;
  bool FIsColumn;
  int FIndex;
};

class TStringGrid : public TDrawGrid {
  KULR_CLASS(TStringGrid, TDrawGrid)
  explicit TStringGrid(TComponent* owner);
  ~TStringGrid() override;

  // EInvalidGridOperation "TStringGrid sgData: cell (7, 2) is outside the
  // 5 x 5 grid" for a cell outside the grid.
  AnsiString Cells(int col, int row) const;
  void SetCells(int col, int row, const AnsiString& text);
  // An object kept with the cell (not owned).
  TObject* Objects(int col, int row) const;
  void SetObjects(int col, int row, TObject* object);
  // Views of one column (its rows' cells) or one row; the grid keeps them.
  // EInvalidGridOperation for an index out of range.
  TStrings* Cols(int col);
  TStrings* Rows(int row);
  // Copies the lines into the column (row), emptying the cells below.
  void SetCols(int col, const TStrings& lines) { Cols(col)->Assign(lines); }
  void SetRows(int row, const TStrings& lines) { Rows(row)->Assign(lines); }

protected:
  // The cell's text when the drawing is the default, then OnDrawCell.
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  // The cell's text, then OnGetEditText.
  AnsiString GetEditText(int col, int row) override;
  // Into the cell, then OnSetEditText.
  void SetEditText(int col, int row, const AnsiString& value) override;
  void GridSizeChanged(int oldColCount, int oldRowCount) override;

private:
  friend class TStringGridStrings;
  struct TCell {
    AnsiString Text;
    TObject* Object = nullptr;
  };
  const TCell& CellAt(int col, int row) const;
  TCell& CellAt(int col, int row);

  std::vector<TCell> FCells;  // row by row, ColCount per row
  int FStoredCols = 0;        // the row length FCells is laid out with
  std::vector<std::unique_ptr<TStringGridStrings>> FColViews;
  std::vector<std::unique_ptr<TStringGridStrings>> FRowViews;
};

// Pixels between a cell's edge and its text, for the default drawing.
inline constexpr int kGridTextMargin = 2;

// Registers TDrawGrid, TStringGrid and the option set.
void RegisterGridsClasses();
