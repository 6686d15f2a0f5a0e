// The form of forms/MenusGridsTestForm.dfm, shared by the menu, grid and
// tool bar tests: a main menu with nested items, a pop-up menu of radio
// items, a string grid with the pop-up menu, a tool bar with a drop-down
// button and a plain button to move the focus to. Its handlers write into
// Log; VetoCells lists the cells sgDataSelectCell refuses.
//
//   MenusGridsTestForm (Menu = MainMenu1)
//     ToolBar1: btnInsert, ToolButton2 (separator), ToolButton1 (drop-down, mnList)
//     sgData    4 x 6 string grid, goEditing and goTabs, PopupMenu = mnList
//     btnOk
//     MainMenu1: mnuFile (mnuOpen Ctrl+O, N1 "-", mnuExit disabled)
//     mnList: N7 (checked), N8, N9, N10, radio items of group 1
//     ImageList1
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/ToolWin.h"

class TMenusGridsTestForm : public TForm {
  KULR_CLASS(TMenusGridsTestForm, TForm)
  explicit TMenusGridsTestForm(TComponent* owner) : TForm(owner) {}

  // The form's main menu, as a published reference for the resource.

  TToolBar* ToolBar1 = nullptr;
  TToolButton* btnInsert = nullptr;
  TToolButton* ToolButton1 = nullptr;
  TStringGrid* sgData = nullptr;
  TButton* btnOk = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* mnuFile = nullptr;
  TMenuItem* mnuOpen = nullptr;
  TMenuItem* mnuExit = nullptr;
  TPopupMenu* mnList = nullptr;
  TMenuItem* N7 = nullptr;
  TMenuItem* N8 = nullptr;
  TMenuItem* N9 = nullptr;
  TMenuItem* N10 = nullptr;
  TImageList* ImageList1 = nullptr;

  std::vector<std::string> Log;
  std::vector<std::pair<int, int>> VetoCells;

  void btnInsertClick(TObject*) { Log.push_back("btnInsertClick"); }
  void ToolButton1Click(TObject*) { Log.push_back("ToolButton1Click"); }
  void mnuOpenClick(TObject*) { Log.push_back("mnuOpenClick"); }
  void mnListPopup(TObject*) { Log.push_back("mnListPopup"); }
  // As the view handlers do: check the chosen item of the radio group.
  void ViewExecute(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (item != nullptr) item->SetChecked(true);
    Log.push_back("ViewExecute " + (item != nullptr ? std::string(item->Name()) : "?"));
  }
  void sgDataSelectCell(TObject*, int col, int row, bool& canSelect) {
    for (auto [c, r] : VetoCells)
      if (c == col && r == row) canSelect = false;
  }
  void sgDataSetEditText(TObject*, int col, int row, const AnsiString& value) {
    Log.push_back("set " + std::to_string(col) + "," + std::to_string(row) + " " + std::string(value));
  }
};

// Registers every class the form resource uses, the form class and the test
// resources; idempotent.
void RegisterMenusGridsTestClasses();
