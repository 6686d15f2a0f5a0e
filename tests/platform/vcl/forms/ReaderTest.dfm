object frmReaderTest: TfrmReaderTest
  Caption = '报表条件'
  OnShow = FormShow
  object Panel1: TReaderPanel
    Align = raTop
    Color = clBtnFace
    object Edit1: TReaderItem
      Caption = '名称: ' +
        'it''s'#13#10'中'#25991
      FocusControl = Edit2
      Font.Height = -13
      Font.Style = [rsBold, rsUnderline]
      Items = (
        '甲'
        'B')
      OnClick = btnOkClick
    end
  end
  object Edit2: TReaderItem
    Width = 120
    Buddy = frmReaderTest.Panel1
  end
  object btnOk: TReaderItem
    Caption = '确定'
    OnClick = btnOkClick
  end
end
