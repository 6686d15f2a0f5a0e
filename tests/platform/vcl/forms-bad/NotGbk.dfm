object frmBad: TfrmBad
  Caption = 'ok'
  Hint = '中文 한글'
end
