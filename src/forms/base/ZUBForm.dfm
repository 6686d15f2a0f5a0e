object ZUBForm: TZUBForm
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -13
  Font.Name = '宋体'
  Font.Style = []
  KeyPreview = True
  Position = poScreenCenter
  ShowHint = True
  OnCreate = FormCreate
  OnShow = FormShow
  object ZubConverter: TCodeConverter
    DesignType = dtClient
  end
  object LangController: TZubLangController
    Active = False
  end
end
