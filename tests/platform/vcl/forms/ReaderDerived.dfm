inherited frmReaderDerived: TfrmReaderDerived
  Caption = '派生'
  inherited Panel1: TReaderPanel
    inherited Edit1: TReaderItem
      Caption = 'changed'
    end
    object Edit3: TReaderItem
      FocusControl = btnOk
      OnClick = Edit3Click
    end
  end
end
