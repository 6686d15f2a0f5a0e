inherited frmTestForm: TTestForm
  Caption = '软件'
  object lblTitle: TLabel
    Caption = '软件'
  end
  object edName: TEdit
    ImeName = '中文 (简体) - 拼音'
    TabOrder = 0
  end
end
