inherited frmZUBDialog: TfrmZUBDialog
  BorderStyle = bsDialog
  ClientWidth = 394
  ClientHeight = 322
  Font.Charset = DEFAULT_CHARSET
  Font.Height = -13
  Font.Name = '宋体'
  KeyPreview = True
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnKeyPress = FormKeyPress
  OnShow = FormShow
end
