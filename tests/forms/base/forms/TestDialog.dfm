inherited frmTestDialog: TTestDialog
  Caption = '软件'
  object lblTitle: TLabel
    Caption = '软件'
  end
  object edFirst: TEdit
    TabOrder = 0
  end
  object edSecond: TEdit
    TabOrder = 1
  end
  object meNote: TMemo
    TabOrder = 2
  end
  object grList: TStringGrid
    TabOrder = 3
  end
end
