object frmAllControls: TAllControlsForm
  Caption = '全部控件'
  ClientWidth = 640
  ClientHeight = 480
  Menu = mmMain
  object mmMain: TMainMenu
    object mnuFile: TMenuItem
      Caption = '文件(&F)'
      object mnuOpen: TMenuItem
        Caption = '打开(&O)'
        ShortCut = 16463
      end
    end
  end
  object pmEdit: TPopupMenu
    object mnuPick: TMenuItem
      Caption = '选择'
    end
  end
  object ilGlyphs: TImageList
  end
  object tmRefresh: TTimer
    Enabled = False
    Interval = 500
  end
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
    MaxLength = 6
    PopupMenu = pmEdit
    TabOrder = 0
  end
  object meDate: TMaskEdit
    Left = 60
    Top = 36
    Width = 120
    EditMask = '9999/99/99;1; '
    TabOrder = 1
  end
  object cboSource: TComboBox
    Left = 60
    Top = 64
    Width = 120
    TabOrder = 2
    Items.Strings = (
      '1.委外进货单'
      '2.委外到货单')
  end
  object chkUser: TCheckBox
    Left = 200
    Top = 8
    Caption = '用户选择'
    TabOrder = 3
  end
  object rgKind: TRadioGroup
    Left = 200
    Top = 32
    Width = 160
    Height = 60
    Caption = '种类'
    Columns = 2
    ItemIndex = 0
    Items.Strings = (
      '甲'
      '乙')
    TabOrder = 4
  end
  object seHour: TSpinEdit
    Left = 380
    Top = 8
    MaxValue = 23
    MinValue = 0
    TabOrder = 5
    Value = 8
  end
  object pnTools: TPanel
    Left = 380
    Top = 40
    Width = 120
    Height = 30
    BevelOuter = bvNone
    Caption = ' '
    TabOrder = 6
    object btnPeriod: TSpeedButton
      Left = 0
      Top = 0
      GroupIndex = 2
      AllowAllUp = True
      Caption = '期'
    end
    object btnRange: TSpeedButton
      Left = 30
      Top = 0
      GroupIndex = 2
      AllowAllUp = True
      Caption = '段'
    end
  end
  object pgOption: TPageControl
    Left = 8
    Top = 100
    Width = 400
    Height = 220
    ActivePage = tsFirst
    TabOrder = 7
    object tsFirst: TTabSheet
      Caption = '基本条件'
      object edFirst: TEdit
        Left = 8
        Top = 8
        TabOrder = 0
      end
      object lvRows: TListView
        Left = 8
        Top = 40
        Width = 300
        Height = 120
        Columns = <
          item
            Caption = '条件'
            Width = 80
          end
          item
            Caption = '值'
            Width = -1
          end>
        ReadOnly = True
        TabOrder = 1
        ViewStyle = vsReport
      end
    end
    object tsSecond: TTabSheet
      Caption = '其他'
      object sgCells: TStringGrid
        Left = 8
        Top = 8
        ColCount = 3
        RowCount = 3
        Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing]
        TabOrder = 0
      end
      object tvTree: TTreeView
        Left = 220
        Top = 8
        TabOrder = 1
      end
    end
  end
  object tsBooks: TTabSet
    Left = 8
    Top = 330
    Width = 300
    Tabs = (
      '一月'
      '二月')
    TabIndex = 0
  end
  object lbList: TListBox
    Left = 420
    Top = 100
    Items.Strings = (
      'one'
      'two')
    TabOrder = 8
  end
  object gbNote: TGroupBox
    Left = 420
    Top = 200
    Width = 200
    Height = 100
    Caption = '备注'
    TabOrder = 9
    object meNote: TMemo
      Left = 8
      Top = 20
      TabOrder = 0
    end
  end
  object tbTools: TToolBar
    object tbtnGo: TToolButton
      Caption = 'Go'
    end
  end
  object spSplit: TSplitter
    Left = 0
    Top = 30
  end
  object anBusy: TAnimate
    Left = 420
    Top = 320
    CommonAVI = aviCopyFile
  end
  object btnOk: TBitBtn
    Left = 420
    Top = 400
    Kind = bkOK
    TabOrder = 10
  end
  object btnCancel: TButton
    Left = 510
    Top = 400
    Cancel = True
    Caption = '取消'
    ModalResult = 2
    TabOrder = 11
  end
  object sbStatus: TStatusBar
    Panels = <
      item
        Text = '就绪'
        Width = 120
      end>
  end
end
