// Message dialogs: the standard dialog form with a message, a kind and a
// row of buttons, built so that callers can rewrite its button captions and
// font before showing it (the buttons are components named after their
// kind: "OK", "Cancel", ...), and the record a dialog driver receives and
// the application's journal keeps for every dialog and modal form shown.
// Showing never blocks: the application's dialog driver answers, or the
// dialog's default button does.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/TypInfo.h"

KULR_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
KULR_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
          mbYesToAll, mbHelp)
KULR_SET(TMsgDlgButtons, TMsgDlgBtn);

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The component name of a button kind ("OK", "NoToAll"), its English
// caption ("OK", "N&o to All") and its modal result (mbHelp: mrNone).
// EConvertError for a value outside the enumeration.
const char* MsgDlgButtonName(TMsgDlgBtn button);
const char* MsgDlgButtonCaption(TMsgDlgBtn button);
TModalResult MsgDlgButtonResult(TMsgDlgBtn button);
// "Warning", "Error", "Information", "Confirm"; mtCustom: the application's
// title.
AnsiString MsgDlgCaption(TMsgDlgType type);

// Which path showed something.
KULR_ENUM(TDialogKind, dkMessage, dkErrorBox, dkModalForm)

struct TDialogButton {
  AnsiString Name;     // the component name ("OK")
  AnsiString Caption;  // the caption when shown (after any rewriting)
  TModalResult Result = mrNone;
  friend bool operator==(const TDialogButton&, const TDialogButton&) = default;
};

// One dialog or modal form, as shown. The driver gets it while the dialog is
// up; the journal keeps a copy whose Result is the answer.
struct TDialogRecord {
  uint64_t Serial = 0;  // the journal's number, from 1
  TDialogKind Kind = dkMessage;
  TMsgDlgType DlgType = mtCustom;  // mtCustom for modal forms
  AnsiString FormClass;            // "TMessageForm", "TfrmGeneCondition"
  AnsiString FormName;
  AnsiString Caption;
  AnsiString Text;  // bytes in the font's code page
  std::vector<TDialogButton> Buttons;  // in display order
  int DefaultButton = -1;              // index into Buttons, -1: none
  int CancelButton = -1;
  AnsiString FontName;
  int FontCharset = 0;
  int FontHeight = 0;
  // The name of the form that was active when this was shown ("" when
  // none): the window it is modal over.
  AnsiString Owner;
  TModalResult Result = mrNone;
  // "driver", "default" (no driver installed), or "" while it is up or
  // when it failed.
  AnsiString AnsweredBy;
  // Live only while the driver runs; null in the journal.
  TCustomForm* Form = nullptr;

  // Whether result is the result of one of the buttons (mrNone never is).
  bool HasResult(TModalResult result) const;
  // The button with that component name (ignoring ASCII case), or null.
  const TDialogButton* FindButton(std::string_view name) const;
};

// The standard dialog form: a label "Message" and one TButton per kind,
// created in display order. DescribeDialog reads them as they are when the
// form is shown, so captions and font may be rewritten before ShowModal.
class TMessageForm : public TForm {
  KULR_CLASS(TMessageForm, TForm)
  explicit TMessageForm(TComponent* owner);

  TMsgDlgType DlgType() const { return FDlgType; }
  void SetDlgType(TMsgDlgType type) { FDlgType = type; }
  // The message label's text.
  AnsiString Message() const;
  // An error box journals as dkErrorBox.
  bool ErrorBox() const { return FErrorBox; }
  void SetErrorBox(bool value) { FErrorBox = value; }

  bool DescribeDialog(TDialogRecord& record) const override;

private:
  TMsgDlgType FDlgType = mtCustom;
  bool FErrorBox = false;
};

// A new dialog form (owned by the caller, free it) with the message label,
// the buttons of the set in display order, the default button (OK, else
// Yes, else Retry, else the first) and the cancel button (Cancel, else No,
// else OK), captioned by the kind. EInvalidOperation when the set has no
// button other than Help (nothing could close the dialog).
TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons);
// Create, show modally, free; returns the modal result. helpCtx is kept for
// callers that pass one; there is no help system to show it.
int MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0);
// A custom dialog with OK, captioned with the application's title.
void ShowMessage(const AnsiString& msg);

// Registers TMessageForm.
void RegisterDialogsClasses();
