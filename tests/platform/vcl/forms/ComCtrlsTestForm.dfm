object ComCtrlsTestForm: TComCtrlsTestForm
  Caption = '通用控件'
  ClientWidth = 600
  ClientHeight = 420
  object pgOption: TPageControl
    Left = 8
    Top = 8
    Width = 466
    Height = 380
    ActivePage = tsOption1
    TabOrder = 0
    OnChange = pgOptionChange
    OnChanging = pgOptionChanging
    object tsOption1: TTabSheet
      Caption = '基本条件'
      object tvTree: TTreeView
        Left = 8
        Top = 8
        Width = 200
        Height = 150
        Images = ImageList1
        Indent = 21
        TabOrder = 0
        OnChange = tvTreeChange
        OnEdited = tvTreeEdited
      end
    end
    object tsOption2: TTabSheet
      Caption = 'Range'
      TabVisible = False
      OnShow = tsOption2Show
      object aniCopy: TAnimate
        Active = True
        CommonAVI = aviCopyFiles
        Repetitions = 2
        StopFrame = 5
      end
    end
    object tsOption3: TTabSheet
      Caption = '系统'
      object tabBooks: TTabSet
        Width = 300
        Tabs = (
          '一月'
          'Feb'
          'Mar')
        TabIndex = 1
        OnChange = tabBooksChange
      end
    end
  end
  object sbStatus: TStatusBar
    Panels = <
      item
        Text = '就绪'
        Width = 120
      end
      item
        Alignment = taCenter
        Bevel = pbRaised
        Style = psOwnerDraw
        Width = 80
      end
      item
        Alignment = taRightJustify
        Text = 'End'
      end>
    SimpleText = '简单'
  end
  object ImageList1: TImageList
    Height = 18
    Width = 18
  end
end
