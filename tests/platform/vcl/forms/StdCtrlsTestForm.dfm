object frmStdCtrlsTest: TStdCtrlsTestForm
  Caption = '标准控件'
  ClientWidth = 400
  ClientHeight = 300
  object lblName: TLabel
    Left = 8
    Top = 12
    Caption = '&Name'
    FocusControl = edName
  end
  object edName: TEdit
    Left = 60
    Top = 8
    Width = 120
    ImeName = '中文 (简体) - 拼音'
    MaxLength = 4
    TabOrder = 0
    OnChange = edNameChange
  end
  object meNote: TMemo
    Left = 8
    Top = 40
    Lines.Strings = (
      'first'
      '甲')
    TabOrder = 1
  end
  object lbItems: TListBox
    Style = lbOwnerDrawFixed
    Left = 200
    Top = 8
    ItemHeight = 18
    Items.Strings = (
      'one'
      'two')
    TabOrder = 2
  end
  object gbKind: TGroupBox
    Left = 200
    Top = 120
    Caption = '种类'
    TabOrder = 3
    object rbFirst: TRadioButton
      Left = 8
      Top = 20
      Caption = 'First'
      TabOrder = 0
    end
    object rbSecond: TRadioButton
      Left = 8
      Top = 44
      Caption = 'Second'
      Checked = True
      TabOrder = 1
    end
  end
  object chkUser: TCheckBox
    Left = 8
    Top = 140
    Caption = '用户选择'
    TabOrder = 4
    OnClick = chkUserClick
  end
  object cboKind: TComboBox
    Style = csDropDownList
    Left = 8
    Top = 170
    ItemIndex = 1
    TabOrder = 5
    Items.Strings = (
      'A'
      'B'
      'C')
  end
end
