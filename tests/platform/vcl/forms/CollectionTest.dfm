object frmCollectionTest: TfrmCollectionTest
  object ListView1: TCollectionView
    Columns = <
      item
        Caption = '名称'
        Width = 80
        Font.Height = -13
      end
      item
        Caption = 'Code'
        FocusControl = Edit1
        OnClick = ColumnClick
      end>
  end
  object Edit1: TCollectionView
    Columns = <>
  end
end
