object frmBad: TfrmBad
  Caption = 'ä¸x'
end
