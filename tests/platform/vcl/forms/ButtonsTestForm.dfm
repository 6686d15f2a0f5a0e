object ButtonsTestForm: TButtonsTestForm
  Caption = '按钮测试'
  ClientWidth = 400
  ClientHeight = 300
  object pnlTop: TPanel
    Height = 60
    Align = alTop
    BevelInner = bvLowered
    BevelWidth = 2
    BorderWidth = 3
    Caption = '条件'
    object btnBold: TSpeedButton
      Left = 8
      Top = 8
      GroupIndex = 1
      Down = True
      Caption = 'B'
      OnClick = SpeedClick
    end
    object btnItalic: TSpeedButton
      Left = 32
      Top = 8
      GroupIndex = 1
      Caption = 'I'
      OnClick = SpeedClick
    end
    object btnPlain: TSpeedButton
      Left = 56
      Top = 8
      Caption = 'P'
      OnClick = SpeedClick
    end
  end
  object pnlBottom: TPanel
    Height = 41
    Align = alBottom
    BevelOuter = bvNone
    Caption = ' '
    object btnOther: TSpeedButton
      Left = 8
      Top = 8
      GroupIndex = 1
      Down = True
      Caption = 'O'
      OnClick = SpeedClick
    end
    object seCount: TSpinEdit
      Left = 40
      Top = 8
      Width = 60
      MaxValue = 99
      MinValue = -99
      TabOrder = 0
      Value = 5
    end
    object btnOk: TBitBtn
      Left = 150
      Top = 8
      Caption = '确定'
      Kind = bkOK
      TabOrder = 1
      OnClick = ButtonClick
    end
    object btnCancel: TBitBtn
      Left = 230
      Top = 8
      Kind = bkCancel
      TabOrder = 2
      OnClick = ButtonClick
    end
    object btnClose: TBitBtn
      Left = 310
      Top = 8
      Kind = bkClose
      TabOrder = 3
      OnClick = ButtonClick
    end
  end
  object pnlLeft: TPanel
    Width = 100
    Align = alLeft
    Caption = ' '
    TabOrder = 2
  end
  object Splitter1: TSplitter
    Left = 100
    MinSize = 40
    ResizeStyle = rsUpdate
    OnMoved = SplitterMoved
  end
  object rgKind: TRadioGroup
    Align = alClient
    Caption = '类别'
    Columns = 2
    ItemIndex = 1
    Items.Strings = (
      '日'
      '周'
      '月')
    TabOrder = 3
    OnClick = ButtonClick
  end
  object tmrSearch: TTimer
    Interval = 500
    OnTimer = TimerFired
  end
end
