// Grids: key navigation around fixed cells with OnSelectCell vetoes (a
// table), the current cell set by code, the in-place editor driven through
// the test driver (F2, typing, Enter, Esc, GBK bytes, leaving the cell or
// the grid), shrinking and growing, cell rectangles and their inverse, the
// drawing hook and the row and column views of a string grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FormsTestSupport.h"
#include "MenusGridsTestForm.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/TestDriver.h"

namespace {

std::string CellText(TGridCoord c) { return "(" + std::to_string(c.X) + "," + std::to_string(c.Y) + ")"; }

// The 4 x 6 string grid of the test form (goEditing, goTabs), on the shown
// form with the focus.
class GridFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterMenusGridsTestClasses();
    Form = NewObject<TMenusGridsTestForm>(nullptr);
    Grid = Form->sgData;
    Form->Show();
    Driver = std::make_unique<TTestDriver>(Form);
    Driver->Focus("sgData");
  }
  void TearDown() override {
    Driver.reset();
    Free(Form);
  }
  TGridCoord Current() const { return TGridCoord{Grid->Col(), Grid->Row()}; }

  TCleanApplication Clean;
  TMenusGridsTestForm* Form = nullptr;
  TStringGrid* Grid = nullptr;
  std::unique_ptr<TTestDriver> Driver;
};

struct TNavCase {
  const char* Name;
  TGridCoord Start;
  uint16_t Key;
  TShiftState Shift;
  std::vector<std::pair<int, int>> Veto;
  TGridCoord Expected;
};

// Guards against keys that land on fixed cells or past the edges, Tab that
// does not wrap round the grid, and moves that ignore an OnSelectCell veto.
TEST_F(GridFormTest, KeysMoveTheCurrentCellAroundFixedCellsAndVetoes) {
  const int page = Grid->VisibleRowCount();
  ASSERT_GE(page, 2);
  const std::vector<TNavCase> cases = {
      {"down moves", {1, 1}, VK_DOWN, {}, {}, {1, 2}},
      {"up stops at the first scrolling row", {1, 1}, VK_UP, {}, {}, {1, 1}},
      {"left stops at the first scrolling column", {1, 3}, VK_LEFT, {}, {}, {1, 3}},
      {"right stops at the last column", {3, 1}, VK_RIGHT, {}, {}, {3, 1}},
      {"down stops at the last row", {2, 5}, VK_DOWN, {}, {}, {2, 5}},
      {"home goes to the first scrolling column", {3, 2}, VK_HOME, {}, {}, {1, 2}},
      {"end goes to the last column", {1, 2}, VK_END, {}, {}, {3, 2}},
      {"ctrl+home goes to the first scrolling cell", {3, 4}, VK_HOME, {ssCtrl}, {}, {1, 1}},
      {"ctrl+end goes to the last cell", {1, 1}, VK_END, {ssCtrl}, {}, {3, 5}},
      {"page down moves a page", {2, 1}, VK_NEXT, {}, {}, {2, 1 + page}},
      {"page down clips at the last row", {2, 4}, VK_NEXT, {}, {}, {2, 5}},
      {"page up clips at the first scrolling row", {2, 2}, VK_PRIOR, {}, {}, {2, 1}},
      {"tab goes right", {1, 1}, VK_TAB, {}, {}, {2, 1}},
      {"tab wraps to the next row", {3, 1}, VK_TAB, {}, {}, {1, 2}},
      {"tab wraps round the grid", {3, 5}, VK_TAB, {}, {}, {1, 1}},
      {"shift+tab wraps back round", {1, 1}, VK_TAB, {ssShift}, {}, {3, 5}},
      {"veto keeps the cell", {1, 1}, VK_RIGHT, {}, {{2, 1}}, {1, 1}},
      {"veto on a tab target keeps the cell", {3, 1}, VK_TAB, {}, {{1, 2}}, {3, 1}},
      {"veto elsewhere does not matter", {1, 1}, VK_DOWN, {}, {{2, 2}}, {1, 2}},
  };
  for (const TNavCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Form->VetoCells.clear();
    Grid->SetCol(c.Start.X);
    Grid->SetRow(c.Start.Y);
    ASSERT_EQ(CellText(Current()), CellText(c.Start));
    Form->VetoCells = c.Veto;
    Driver->PressKey(c.Key, c.Shift);
    EXPECT_EQ(CellText(Current()), CellText(c.Expected));
    EXPECT_EQ(Form->ActiveControl(), Grid);
  }
}

// Guards against Tab being kept by a grid without goTabs: it must move the
// focus on as in any other control.
TEST_F(GridFormTest, TabWithoutGoTabsMovesTheFocus) {
  Grid->SetOptions(Grid->Options() - TGridOptions{goTabs});
  Driver->PressKey(VK_TAB);
  EXPECT_EQ(Form->ActiveControl(), Form->btnOk);
  EXPECT_EQ(CellText(Current()), "(1,1)");
}

// Guards against code moves that skip OnSelectCell, or a fixed or missing
// cell accepted as current.
TEST_F(GridFormTest, CodeMovesAskSelectCellAndRefuseFixedCells) {
  Form->VetoCells = {{2, 3}};
  Grid->SetRow(3);
  Grid->SetCol(2);
  EXPECT_EQ(CellText(Current()), "(1,3)");
  EXPECT_FALSE(Grid->FocusCell(2, 3));
  EXPECT_TRUE(Grid->FocusCell(3, 3));
  EXPECT_THROW(Grid->SetCol(0), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetRow(0), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetCol(4), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetRow(-1), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetSelection(TGridRect{0, 1, 2, 2}), EInvalidGridOperation);
  EXPECT_EQ(CellText(Current()), "(3,3)");
  Grid->SetSelection(TGridRect{1, 2, 3, 4});
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 2, 3, 4}));
  EXPECT_EQ(CellText(Current()), "(3,4)");
  Driver->PressKey(VK_UP, {ssShift});  // goRangeSelect: the anchor stays
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 2, 3, 3}));
  Driver->PressKey(VK_UP);
  EXPECT_EQ(Grid->Selection(), (TGridRect{3, 2, 3, 2}));
}

// Guards against a press that misses the cell under the pointer, selects a
// fixed cell, ignores a veto, or does not end an open edit first.
TEST_F(GridFormTest, PressSelectsTheCellUnderThePointer) {
  auto press = [&](int col, int row, TShiftState shift = {}) {
    const TRect r = Grid->CellRect(col, row);
    Application().DispatchMouseDown(Grid, mbLeft, shift + TShiftState{ssLeft}, r.Left + 1, r.Top + 1);
    Application().DispatchMouseUp(Grid, mbLeft, shift, r.Left + 1, r.Top + 1);
  };
  press(3, 2);
  EXPECT_EQ(CellText(Current()), "(3,2)");
  press(0, 3);  // a fixed cell
  press(2, 0);
  EXPECT_EQ(CellText(Current()), "(3,2)");
  press(1, 3, {ssShift});
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 2, 3, 3}));
  Form->VetoCells = {{2, 2}};
  press(2, 2);
  EXPECT_EQ(CellText(Current()), "(1,3)");
  Driver->TypeText("p");
  press(3, 3);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_FALSE(Grid->InplaceEditor()->Visible());
  EXPECT_EQ(Grid->Cells(1, 3), "p");
  EXPECT_EQ(CellText(Current()), "(3,3)");
}

// ---- The editor ----

// Guards against an editor that does not take the focus, loses typed bytes,
// or writes the text back anywhere but the cell and OnSetEditText on Enter.
TEST_F(GridFormTest, F2EditsTheCellAndEnterWritesItBack) {
  Grid->SetCells(1, 1, "abc");
  Driver->PressKey(VK_F2);
  ASSERT_TRUE(Grid->EditorMode());
  TInplaceEdit* editor = Grid->InplaceEditor();
  EXPECT_EQ(Form->ActiveControl(), editor);
  EXPECT_EQ(editor->Text(), "abc");
  EXPECT_EQ(editor->BoundsRect(), Grid->CellRect(1, 1));
  Driver->TypeText("xy");
  EXPECT_EQ(Grid->Cells(1, 1), "abc");  // nothing is written while typing
  Driver->PressKey(VK_RETURN);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_FALSE(editor->Visible());
  EXPECT_EQ(Grid->Cells(1, 1), "abcxy");
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"set 1,1 abcxy"}));
  EXPECT_EQ(Form->ActiveControl(), Grid);
  // Enter on the grid opens the editor again, with the text kept.
  Driver->PressKey(VK_RETURN);
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_EQ(editor->Text(), "abcxy");
}

// Guards against a typed character appended to the old text instead of
// replacing it, and Esc writing the edit back.
TEST_F(GridFormTest, TypingReplacesTheTextAndEscDropsTheEdit) {
  Grid->SetCells(1, 1, "old");
  Driver->TypeText("new");
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), "new");
  Driver->PressKey(VK_ESCAPE);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 1), "old");
  EXPECT_TRUE(Form->Log.empty());
  EXPECT_EQ(Form->ActiveControl(), Grid);
  Driver->TypeText("n");
  Driver->PressKey(VK_RETURN);
  EXPECT_EQ(Grid->Cells(1, 1), "n");
}

// Guards against a double-byte character split by Backspace, Delete or the
// caret keys: GBK text arrives one byte per key press.
TEST_F(GridFormTest, EditorNeverSplitsADoubleByteCharacter) {
  Driver->PressKey(VK_F2);
  TInplaceEdit* editor = Grid->InplaceEditor();
  Driver->TypeText("\xD6\xD0" "a");  // 中a
  EXPECT_EQ(editor->Text(), "\xD6\xD0" "a");
  Driver->PressKey(VK_BACK);
  Driver->PressKey(VK_BACK);
  EXPECT_EQ(editor->Text(), "");
  Driver->TypeText("\xD6\xD0\xCE\xC4");  // 中文
  Driver->PressKey(VK_LEFT);
  EXPECT_EQ(editor->SelStart(), 2);
  Driver->TypeText("x");
  EXPECT_EQ(editor->Text(), "\xD6\xD0x\xCE\xC4");
  Driver->PressKey(VK_HOME);
  Driver->PressKey(VK_DELETE);
  EXPECT_EQ(editor->Text(), "x\xCE\xC4");
  Driver->PressKey(VK_RIGHT);
  Driver->PressKey(VK_RIGHT);
  EXPECT_EQ(editor->SelStart(), 3);
  Driver->PressKey(VK_RETURN);
  EXPECT_EQ(Grid->Cells(1, 1), "x\xCE\xC4");
}

// Guards against an edit lost when the user leaves the cell or the grid, or
// written to the new cell, and against a vetoed move closing the editor.
TEST_F(GridFormTest, LeavingTheCellOrTheGridWritesTheEditBack) {
  Grid->SetCells(1, 1, "a");
  Driver->PressKey(VK_F2);
  Driver->TypeText("b");
  Form->VetoCells = {{1, 2}};
  Driver->PressKey(VK_DOWN);
  EXPECT_TRUE(Grid->EditorMode());
  EXPECT_TRUE(Form->Log.empty());
  Form->VetoCells.clear();
  Driver->PressKey(VK_DOWN);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 1), "ab");
  EXPECT_EQ(Grid->Cells(1, 2), "");
  EXPECT_EQ(CellText(Current()), "(1,2)");
  EXPECT_EQ(Form->ActiveControl(), Grid);

  Driver->TypeText("z");
  Driver->Focus("btnOk");
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 2), "z");
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"set 1,1 ab", "set 1,2 z"}));
  EXPECT_EQ(Form->ActiveControl(), Form->btnOk);
  EXPECT_FALSE(Grid->InplaceEditor()->Visible());

  // Code focusing the grid itself ends the edit at once.
  Driver->Focus("sgData");
  Driver->TypeText("k");
  Grid->SetFocus();
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 2), "k");
  EXPECT_EQ(Form->ActiveControl(), Grid);
  Driver->PressKey(VK_UP);
  EXPECT_FALSE(Grid->InplaceEditor()->Visible());
  EXPECT_EQ(CellText(Current()), "(1,1)");
}

// Guards against an editor opened without goEditing, or one left open with
// an edit that cannot be written when goEditing goes.
TEST_F(GridFormTest, EditorModeFollowsGoEditing) {
  Grid->SetEditorMode(true);
  Driver->TypeText("q");
  Grid->SetOptions(Grid->Options() - TGridOptions{goEditing});
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 1), "q");
  EXPECT_THROW(Grid->SetEditorMode(true), EInvalidGridOperation);
  Driver->TypeText("w");
  Driver->PressKey(VK_F2);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_EQ(Grid->Cells(1, 1), "q");
}

// Guards against the editor opening with another text than the grid's
// (a string grid's cell, nothing for a draw grid) as OnGetEditText leaves
// it, or the edit not written back through SetEditText when it closes.
TEST(GridEditTextTest, EditorTextComesFromGetEditTextAndGoesBack) {
  struct TCase {
    const char* Name;
    bool StringGrid;
    const char* Opened;
  };
  for (const TCase& c : {TCase{"string grid", true, "cell+"}, TCase{"draw grid", false, "+"}}) {
    SCOPED_TRACE(c.Name);
    TCustomGrid* grid = c.StringGrid ? static_cast<TCustomGrid*>(NewObject<TStringGrid>(nullptr))
                                     : static_cast<TCustomGrid*>(NewObject<TDrawGrid>(nullptr));
    auto* strings = dynamic_cast<TStringGrid*>(grid);
    if (strings != nullptr) strings->SetCells(2, 3, "cell");
    std::vector<std::string> log;
    grid->SetOnGetEditText(TGetEditEvent::FromFunction([&](TObject*, int col, int row, AnsiString& value) {
      log.push_back("get " + std::to_string(col) + "," + std::to_string(row));
      value += "+";
    }));
    grid->SetOnSetEditText(TSetEditEvent::FromFunction([&](TObject*, int col, int row, const AnsiString& value) {
      log.push_back("set " + std::to_string(col) + "," + std::to_string(row) + " " + std::string(value));
    }));
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->SetCol(2);
    grid->SetRow(3);
    grid->SetEditorMode(true);
    EXPECT_EQ(grid->InplaceEditor()->Text(), c.Opened);
    grid->InplaceEditor()->SetText("X");
    grid->SetEditorMode(false);
    EXPECT_EQ(log, (std::vector<std::string>{"get 2,3", "set 2,3 X"}));
    if (strings != nullptr) {
      EXPECT_EQ(strings->Cells(2, 3), "X");
    }
    Free(grid);
  }
}

// ---- Size ----

// Guards against cells that survive a shrink (and reappear on growth), a
// current cell left outside the grid, and an edit written to a dropped cell.
TEST_F(GridFormTest, ShrinkingClipsCellsAndTheCurrentCell) {
  Grid->SetCells(3, 5, "corner");
  Grid->SetCells(1, 1, "kept");
  Grid->SetCol(3);
  Grid->SetRow(5);
  Driver->PressKey(VK_F2);
  Driver->TypeText("!");
  Grid->SetColCount(2);
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_TRUE(Form->Log.empty());
  EXPECT_EQ(CellText(Current()), "(1,5)");
  EXPECT_THROW(Grid->Cells(3, 5), EInvalidGridOperation);
  Grid->SetRowCount(3);
  EXPECT_EQ(CellText(Current()), "(1,2)");
  EXPECT_EQ(Grid->Cells(1, 1), "kept");
  Grid->SetColCount(4);
  Grid->SetRowCount(6);
  EXPECT_EQ(Grid->Cells(3, 5), "");
  EXPECT_EQ(Grid->Cells(1, 1), "kept");
  Grid->SetColCount(1);
  EXPECT_EQ(Grid->FixedCols(), 0);
  EXPECT_EQ(Grid->Col(), 0);
  EXPECT_EQ(Grid->Cells(0, 1), "");
  EXPECT_THROW(Grid->SetFixedRows(6), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetFixedCols(-1), EInvalidGridOperation);
}

// ---- Geometry and drawing (a grid on no form) ----

class GridGeometryTest : public ::testing::Test {
protected:
  void SetUp() override {
    Grid = NewObject<TStringGrid>(nullptr);
    Grid->SetName("sgGeo");
    Grid->SetBounds(0, 0, 200, 100);
    Grid->SetColWidths(1, 30);
    Grid->SetRowHeights(2, 10);
  }
  void TearDown() override { Free(Grid); }
  TStringGrid* Grid = nullptr;
};

struct TRectCase {
  int Col;
  int Row;
  TRect Expected;
};

// Guards against rectangles that ignore per-column widths, grid lines, the
// options that remove lines, or scrolling; and a MouseToCell that does not
// invert them.
TEST_F(GridGeometryTest, CellRectFollowsWidthsHeightsLinesAndScrolling) {
  // Widths 64 30 64 64 64, heights 24 24 10 24 24, lines 1, client 200 x 100.
  const TRectCase unscrolled[] = {
      {0, 0, Rect(0, 0, 64, 24)},    {1, 0, Rect(65, 0, 95, 24)},  {2, 1, Rect(96, 25, 160, 49)},
      {3, 2, Rect(161, 50, 225, 60)}, {3, 3, Rect(161, 61, 225, 85)}, {0, 4, Rect(0, 86, 64, 110)},
      {4, 1, TRect{}},  // starts beyond the client area
  };
  for (const TRectCase& c : unscrolled) {
    SCOPED_TRACE(CellText({c.Col, c.Row}));
    EXPECT_EQ(Grid->CellRect(c.Col, c.Row), c.Expected);
    if (c.Expected == TRect{}) continue;
    EXPECT_EQ(CellText(Grid->MouseCoord(c.Expected.Left, c.Expected.Top)), CellText({c.Col, c.Row}));
    // The far corner, as far as it lies in the client area.
    const int right = std::min(c.Expected.Right, Grid->ClientWidth()) - 1;
    const int bottom = std::min(c.Expected.Bottom, Grid->ClientHeight()) - 1;
    EXPECT_EQ(CellText(Grid->MouseCoord(right, bottom)), CellText({c.Col, c.Row}));
  }
  EXPECT_EQ(CellText(Grid->MouseCoord(200, 5)), "(-1,-1)");
  EXPECT_EQ(CellText(Grid->MouseCoord(-1, 5)), "(-1,-1)");

  Grid->SetLeftCol(2);
  Grid->SetTopRow(3);  // rows 2..4 fill the view already: row 2 is the last top row
  EXPECT_EQ(Grid->LeftCol(), 2);
  EXPECT_EQ(Grid->TopRow(), 2);
  const TRectCase scrolled[] = {
      {1, 1, TRect{}},                // scrolled out of view
      {0, 3, Rect(0, 36, 64, 60)},    // fixed column, scrolled row
      {2, 0, Rect(65, 0, 129, 24)},   // scrolled column, fixed row
      {3, 4, Rect(130, 61, 194, 85)},
  };
  for (const TRectCase& c : scrolled) {
    SCOPED_TRACE("scrolled " + CellText({c.Col, c.Row}));
    EXPECT_EQ(Grid->CellRect(c.Col, c.Row), c.Expected);
  }
  EXPECT_EQ(CellText(Grid->MouseCoord(70, 30)), "(2,2)");

  Grid->SetOptions(TGridOptions{});
  EXPECT_EQ(Grid->CellRect(3, 4), Rect(128, 58, 192, 82));
  EXPECT_THROW(Grid->CellRect(5, 0), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetColWidths(1, -1), EInvalidGridOperation);
  EXPECT_THROW(Grid->RowHeights(5), EInvalidGridOperation);
}

// Guards against a hook that is not called for every visible cell, gets
// another rectangle than CellRect, or a wrong fixed/selected state; and the
// string grid's default drawing not writing the cell's text.
TEST_F(GridGeometryTest, DrawHookGetsEveryVisibleCellWithItsRectangle) {
  Grid->SetColCount(3);
  Grid->SetRowCount(3);
  Grid->SetCells(2, 2, "\xD6\xD0");  // 中
  Grid->SetSelection(TGridRect{1, 1, 2, 1});
  struct TDrawn {
    int Col;
    int Row;
    TRect Rect;
    TGridDrawState State;
  };
  std::vector<TDrawn> drawn;
  Grid->SetOnDrawCell(TDrawCellEvent::FromFunction([&](TObject*, int c, int r, TRect rect, TGridDrawState s) {
    drawn.push_back({c, r, rect, s});
  }));
  Grid->Repaint();
  ASSERT_EQ(drawn.size(), 9u);
  for (const TDrawn& d : drawn) {
    SCOPED_TRACE(CellText({d.Col, d.Row}));
    EXPECT_EQ(d.Rect, Grid->CellRect(d.Col, d.Row));
    EXPECT_EQ(d.State.Contains(gdFixed), d.Col == 0 || d.Row == 0);
    // The current cell (2, 1) is drawn as the focus, not as selected.
    EXPECT_EQ(d.State.Contains(gdSelected), d.Row == 1 && d.Col == 1);
    EXPECT_FALSE(d.State.Contains(gdFocused));  // the grid has no focus
  }
  const TRect cell = Grid->CellRect(2, 2);
  bool written = false;
  for (const TCanvasText& t : Grid->Canvas().Texts())
    if (t.Text == "\xD6\xD0") written = t.X == cell.Left + kGridTextMargin && t.Y == cell.Top + kGridTextMargin;
  EXPECT_TRUE(written);
  Grid->SetDefaultDrawing(false);
  Grid->Repaint();
  EXPECT_TRUE(Grid->Canvas().Texts().empty());
}

// Guards against row and column views that write past the grid, lose
// objects, or keep working on a dropped row.
TEST_F(GridGeometryTest, RowAndColumnViewsReadAndWriteCells) {
  TStringList lines;
  lines.Add("a");
  lines.Add("b");
  Grid->Rows(1)->Put(4, "old");
  Grid->SetRows(1, lines);
  EXPECT_EQ(Grid->Cells(0, 1), "a");
  EXPECT_EQ(Grid->Cells(1, 1), "b");
  EXPECT_EQ(Grid->Cells(4, 1), "");  // emptied by the assignment
  TStrings* col = Grid->Cols(1);
  EXPECT_EQ(col->Count(), 5);
  EXPECT_EQ(col->Get(1), "b");
  EXPECT_EQ(col->Add("c"), 0);
  EXPECT_EQ(Grid->Cells(1, 0), "c");
  col->PutObject(2, Grid);
  EXPECT_EQ(Grid->Objects(1, 2), Grid);
  EXPECT_THROW(col->Insert(0, "x"), EInvalidGridOperation);
  EXPECT_THROW(col->Delete(0), EInvalidGridOperation);
  EXPECT_THROW(col->Get(5), EStringListError);
  for (int i = 0; i < 5; ++i) col->Put(i, "full");
  EXPECT_THROW(col->Add("x"), EInvalidGridOperation);
  lines.Clear();
  for (int i = 0; i < 6; ++i) lines.Add("y");
  EXPECT_THROW(col->Assign(lines), EInvalidGridOperation);
  EXPECT_EQ(Grid->Cells(1, 0), "full");
  TStrings* row4 = Grid->Rows(4);
  Grid->SetRowCount(3);
  EXPECT_THROW(row4->Count(), EInvalidGridOperation);
  EXPECT_THROW(Grid->Rows(3), EInvalidGridOperation);
  col->Clear();
  EXPECT_EQ(Grid->Objects(1, 2), nullptr);
  EXPECT_EQ(Grid->Cells(1, 1), "");
}

}  // namespace
