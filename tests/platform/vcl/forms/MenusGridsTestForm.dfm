object MenusGridsTestForm: TMenusGridsTestForm
  Width = 400
  Height = 300
  Caption = '菜单与表格'
  Menu = MainMenu1
  object ToolBar1: TToolBar
    Width = 400
    Height = 29
    ButtonHeight = 24
    ButtonWidth = 25
    Flat = True
    Images = ImageList1
    object btnInsert: TToolButton
      Caption = '保存(&S)'
      Hint = '保存'
      ImageIndex = 1
      OnClick = btnInsertClick
    end
    object ToolButton2: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton1: TToolButton
      Caption = 'ViewIcon'
      DropdownMenu = mnList
      ImageIndex = 4
      Style = tbsDropDown
      OnClick = ToolButton1Click
    end
  end
  object sgData: TStringGrid
    Left = 8
    Top = 40
    Width = 320
    Height = 120
    ColCount = 4
    RowCount = 6
    Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goEditing, goTabs]
    PopupMenu = mnList
    TabOrder = 0
    OnSelectCell = sgDataSelectCell
    OnSetEditText = sgDataSetEditText
  end
  object btnOk: TButton
    Left = 8
    Top = 200
    Caption = '确定'
    TabOrder = 1
  end
  object MainMenu1: TMainMenu
    object mnuFile: TMenuItem
      Caption = '文件(&F)'
      object mnuOpen: TMenuItem
        Caption = '开启(&O)'
        ShortCut = 16463
        OnClick = mnuOpenClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object mnuExit: TMenuItem
        Caption = '退出(&X)'
        Enabled = False
      end
    end
  end
  object mnList: TPopupMenu
    OnPopup = mnListPopup
    object N7: TMenuItem
      Caption = '大型图标(&G)'
      Checked = True
      GroupIndex = 1
      RadioItem = True
      OnClick = ViewExecute
    end
    object N8: TMenuItem
      Caption = '小型图标(&M)'
      GroupIndex = 1
      RadioItem = True
      OnClick = ViewExecute
    end
    object N9: TMenuItem
      Caption = '清单(&L)'
      GroupIndex = 1
      RadioItem = True
      OnClick = ViewExecute
    end
    object N10: TMenuItem
      Caption = '详细信息(&D)'
      GroupIndex = 1
      RadioItem = True
      OnClick = ViewExecute
    end
  end
  object ImageList1: TImageList
  end
end
