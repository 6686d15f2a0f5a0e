object ListViewTestForm: TListViewTestForm
  Width = 400
  Height = 300
  Font.Charset = GB2312_CHARSET
  object lvReport: TListView
    Left = 8
    Top = 8
    Width = 300
    Height = 120
    Columns = <
      item
        Caption = 'Name'
        Width = -1
      end
      item
        Alignment = taRightJustify
        Caption = 'Qty'
        Width = 80
      end
      item
        Caption = '备注'
        Width = -2
      end>
    Items.Data = '-1,-1,3,5:Alpha1:11:x' +
      '-1,-1,2,4:Beta2:22' +
      '0,-1,2,4:中文1:3'
    MultiSelect = True
    RowSelect = True
    SmallImages = ImageList1
    ViewStyle = vsReport
    OnColumnClick = lvReportColumnClick
    OnEdited = lvReportEdited
    OnInsert = lvReportInsert
  end
  object lvSorted: TListView
    Left = 8
    Top = 136
    Width = 300
    Height = 100
    Items.Data = '-1,-1,1,5:delta' + '-1,-1,1,5:Alpha' + '-1,-1,1,4:beta'
    SortType = stText
    ViewStyle = vsList
    OnInsert = lvReportInsert
  end
  object ImageList1: TImageList
    Height = 18
    Width = 18
  end
end
