#include "platform/vcl/Dialogs.h"

#include <algorithm>
#include <memory>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/TextMetrics.h"

namespace {

struct TButtonKind {
  const char* Name;
  const char* Caption;
  TModalResult Result;
};

// In TMsgDlgBtn order, which is also the order buttons are shown in.
constexpr TButtonKind kButtonKinds[] = {
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

const TButtonKind& Kind(TMsgDlgBtn button) {
  if (button < mbYes || button > mbHelp)
    throw EConvertError("Invalid message dialog button " + std::to_string(static_cast<int>(button)));
  return kButtonKinds[button];
}

constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

const char* MsgDlgButtonName(TMsgDlgBtn button) { return Kind(button).Name; }
const char* MsgDlgButtonCaption(TMsgDlgBtn button) { return Kind(button).Caption; }
TModalResult MsgDlgButtonResult(TMsgDlgBtn button) { return Kind(button).Result; }

AnsiString MsgDlgCaption(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: return Application().Title();
  }
  throw EConvertError("Invalid message dialog type " + std::to_string(static_cast<int>(type)));
}

// ---- TDialogRecord ----

bool TDialogRecord::HasResult(TModalResult result) const {
  if (result == mrNone) return false;
  return std::any_of(Buttons.begin(), Buttons.end(), [result](const TDialogButton& b) { return b.Result == result; });
}

const TDialogButton* TDialogRecord::FindButton(std::string_view name) const {
  for (const TDialogButton& b : Buttons)
    if (SameName(b.Name, name)) return &b;
  return nullptr;
}

// ---- TMessageForm ----

const TClass& TMessageForm::StaticClass() {
  static const TClass& record = TClassBuilder<TMessageForm>().Factory().Build();
  return record;
}

void RegisterDialogsClasses() { RegisterClass(TMessageForm::StaticClass()); }

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsDialog);
  SetBorderIcons(TBorderIcons{biSystemMenu});
  SetPosition(poScreenCenter);
}

AnsiString TMessageForm::Message() const {
  TComponent* label = FindComponent("Message");
  auto* control = dynamic_cast<TControl*>(label);
  return control != nullptr ? control->Caption() : AnsiString();
}

bool TMessageForm::DescribeDialog(TDialogRecord& record) const {
  record.Kind = FErrorBox ? dkErrorBox : dkMessage;
  record.DlgType = FDlgType;
  record.FormClass = ClassName();
  record.FormName = Name();
  record.Caption = Caption();
  record.Text = Message();
  record.Buttons.clear();
  record.DefaultButton = -1;
  record.CancelButton = -1;
  // Creation order is display order; a caller may have rewritten captions
  // or the default and cancel flags since.
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* button = dynamic_cast<TButton*>(Components(i));
    if (button == nullptr || !button->Visible()) continue;
    const int index = static_cast<int>(record.Buttons.size());
    record.Buttons.push_back(TDialogButton{button->Name(), button->Caption(), button->ModalResult()});
    if (button->Default() && record.DefaultButton < 0) record.DefaultButton = index;
    if (button->Cancel() && record.CancelButton < 0) record.CancelButton = index;
  }
  record.FontName = Font()->Name();
  record.FontCharset = Font()->Charset();
  record.FontHeight = Font()->Height();
  return true;
}

// ---- Creating and showing ----

TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
  (void)MsgDlgCaption(type);  // rejects a type outside the enumeration first
  if ((buttons - TMsgDlgButtons{mbHelp}).Empty())
    throw EInvalidOperation("A message dialog needs a button other than Help: \"" + msg + "\"");
  auto pick = [&buttons](std::initializer_list<TMsgDlgBtn> order) {
    for (TMsgDlgBtn b : order)
      if (buttons.Contains(b)) return static_cast<int>(b);
    return -1;
  };
  int defaultButton = pick({mbOK, mbYes, mbRetry});
  const int cancelButton = pick({mbCancel, mbNo, mbOK});

  TMessageForm* form = NewObject<TMessageForm>(nullptr);
  try {
    form->SetDlgType(type);
    form->SetCaption(MsgDlgCaption(type));

    auto* label = new TGraphicControl(form);
    label->SetName("Message");
    label->SetParent(form);
    label->SetCaption(msg);
    ITextMetrics& metrics = GetTextMetrics();
    int textWidth = 0;
    int lines = 0;
    for (size_t start = 0;;) {
      size_t end = msg.find('\n', start);
      std::string_view line(msg.data() + start, (end == AnsiString::npos ? msg.size() : end) - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      textWidth = std::max(textWidth, metrics.TextWidth(*form->Font(), line));
      ++lines;
      if (end == AnsiString::npos) break;
      start = end + 1;
    }
    const int textHeight = lines * metrics.TextHeight(*form->Font(), "");
    label->SetBounds(kMargin, kMargin, textWidth, textHeight);

    int count = 0;
    for (int b = mbYes; b <= mbHelp; ++b)
      if (buttons.Contains(static_cast<TMsgDlgBtn>(b))) ++count;
    const int rowWidth = count * kButtonWidth + (count - 1) * kButtonGap;
    const int clientWidth = std::max(textWidth, rowWidth) + 2 * kMargin;
    const int buttonTop = kMargin + textHeight + 2 * kMargin;
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(buttonTop + kButtonHeight + kMargin);

    if (defaultButton < 0)
      for (int b = mbYes; b < mbHelp && defaultButton < 0; ++b)
        if (buttons.Contains(static_cast<TMsgDlgBtn>(b))) defaultButton = b;
    int left = (clientWidth - rowWidth) / 2;
    for (int b = mbYes; b <= mbHelp; ++b) {
      const auto kind = static_cast<TMsgDlgBtn>(b);
      if (!buttons.Contains(kind)) continue;
      auto* button = new TButton(form);
      button->SetName(MsgDlgButtonName(kind));
      button->SetParent(form);
      button->SetCaption(MsgDlgButtonCaption(kind));
      button->SetModalResult(MsgDlgButtonResult(kind));
      button->SetDefault(b == defaultButton);
      button->SetCancel(b == cancelButton);
      button->SetBounds(left, buttonTop, kButtonWidth, kButtonHeight);
      left += kButtonWidth + kButtonGap;
      if (b == defaultButton) form->SetActiveControl(button);
    }
  } catch (...) {
    Free(form);
    throw;
  }
  return form;
}

int MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx) {
  (void)helpCtx;
  std::unique_ptr<TMessageForm, void (*)(TMessageForm*)> form(CreateMessageDialog(msg, type, buttons),
                                                             [](TMessageForm* f) { Free(f); });
  return form->ShowModal();
}

void ShowMessage(const AnsiString& msg) { MessageDlg(msg, mtCustom, TMsgDlgButtons{mbOK}); }
