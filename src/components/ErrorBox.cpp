#include "components/ErrorBox.h"

#include "platform/vcl/Application.h"
#include "platform/vcl/Dialogs.h"

void ShowErrorBox(const AnsiString& text) {
  TMessageForm* box = CreateMessageDialog(text, mtError, TMsgDlgButtons{mbOK});
  try {
    box->SetCaption(Application().Title());
    box->SetErrorBox(true);
    box->ShowModal();
  } catch (...) {
    Free(box);
    throw;
  }
  Free(box);
}
