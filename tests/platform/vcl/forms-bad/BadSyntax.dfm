object frmBad: TfrmBad
  Caption = 'ok'
  Hint = 'x'
  