#include "plugin/DLLRPCtrller.h"

#include <exception>
#include <utility>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Forms.h"
#include "platform/win/SystemInfo.h"
#include "plugin/ReportFormContract.h"

const TClass* frmBaseGeneClass = nullptr;

namespace {

// An address inside this library, for finding the library's own file.
const char ModuleMarker = 0;

// The full path of the library file, however long: the program code comes
// from its file name, so a shortened path would name the wrong program.
AnsiString ThisModulePath() { return GetModuleFileName(&ModuleMarker); }

void ShowError(std::exception_ptr error) { Application().HandleException(error); }

bool IsDestroying(const TReportFormBase* form) {
  return form->ComponentState().Contains(csDestroying);
}

WideString ToWide(const AnsiString& text) { return CodePageToWide(CP_ACP, text); }

bool DescendsFromReportForm(const TClass* aClass) {
  for (const TClass* c = aClass; c != nullptr; c = c->ClassParent())
    if (c->ClassName() == TReportFormBase::KulrClassName) return true;
  return false;
}

}  // namespace

void SetFormClass(const TClass* aClass) {
  if (aClass != nullptr && (!DescendsFromReportForm(aClass) || aClass->IsAbstract()))
    throw EInvalidOperation("SetFormClass: " + aClass->ClassName() +
                            " is not a creatable report form class");
  frmBaseGeneClass = aClass;
}

const TClass& TDLLRPCtrller::StaticClass() {
  static const TClass& record = TClassBuilder<TDLLRPCtrller>().Factory().Build();
  return record;
}

TDLLRPCtrller::~TDLLRPCtrller() {
  if (Form == nullptr) return;
  if (IsDestroying(Form)) {
    // The form is on its way out already and will call back: keep it from
    // calling into a controller that no longer exists.
    UnhookForm();
    Form = nullptr;
    return;
  }
  FreeForm();
}

WideString TDLLRPCtrller::GetVersion() {
  if (Form == nullptr) return WideString();
  try {
    return ToWide(Form->FVersion);
  } catch (...) {
    ShowError(std::current_exception());
    return WideString();
  }
}

TLongBool TDLLRPCtrller::GetVisible() { return Form != nullptr && Form->Visible() ? -1 : 0; }

void TDLLRPCtrller::SetVisible(TWordBool Value) {
  if (Form == nullptr) return;
  try {
    if (Value == 0) {
      Form->SetVisible(false);
      return;
    }
    Form->SetVisible(true);
    // The OnShow chain may have closed and freed the form.
    if (Form == nullptr) return;
    if (Form->WindowState() == wsMinimized) Form->SetWindowState(wsNormal);
    Screen().ActivateForm(Form);
  } catch (...) {
    ShowError(std::current_exception());
  }
}

HWND TDLLRPCtrller::GetHandle() {
  if (Form == nullptr) return 0;
  try {
    return Form->Handle();
  } catch (...) {
    ShowError(std::current_exception());
    return 0;
  }
}

int32_t TDLLRPCtrller::CreateForm(const Variant& Params) {
  if (Form == nullptr) {
    // The one error a host sees from here: the library is not set up.
    if (frmBaseGeneClass == nullptr) throw Exception(DLL_NO_FORM_CLASS);
    try {
      TObject* created = frmBaseGeneClass->Create(nullptr);
      auto* form = dynamic_cast<TReportFormBase*>(created);
      if (form == nullptr) {
        const AnsiString name = created->ClassName();
        Free(created);
        throw EInvalidCast(name + " is not a report form");
      }
      Form = form;
      Form->SetModulePath(ThisModulePath());
      Form->FHostObject = HostObject;
      DoFormCreate(this);
      // The host's 0x100 handler may have freed the form already.
      if (Form == nullptr) return -1;
      HookForm();
    } catch (...) {
      // Not hooked yet: no 0x130 for a form the host never got.
      const std::exception_ptr error = std::current_exception();
      if (TReportFormBase* form = std::exchange(Form, nullptr); form != nullptr) {
        try {
          if (!IsDestroying(form)) Free(form);
        } catch (...) {
          // The form is deleted all the same; the first error is the one shown.
        }
      }
      ShowError(error);
      return -1;
    }
  }
  try {
    return Form->Initialize(Params) ? 0 : -1;
  } catch (...) {
    ShowError(std::current_exception());
    return -1;
  }
}

int32_t TDLLRPCtrller::ExecuteCommand(const Variant& Data) {
  if (Form == nullptr) return -1;
  try {
    if (!Data.IsArray()) return -1;
    const Variant request = Data[1];
    Form->HandleRunRequest(request);
    return 0;
  } catch (...) {
    return -1;
  }
}

int32_t TDLLRPCtrller::ReceiveMessage(int32_t Kind, int32_t, const Variant& Data) {
  if (Form == nullptr || (Kind != 5 && Kind != 9)) return -1;
  try {
    Form->HandleRunRequest(Data);
    return 0;
  } catch (...) {
    return -1;
  }
}

Variant TDLLRPCtrller::ShowModal() {
  if (Form == nullptr) return Variant(int32_t{mrCancel});
  try {
    return Variant(int32_t{Form->ShowModal()});
  } catch (...) {
    // A form already shown cannot go modal; the host gets a cancel.
    ShowError(std::current_exception());
    return Variant(int32_t{mrCancel});
  }
}

void TDLLRPCtrller::FreeForm() {
  if (Form == nullptr || IsDestroying(Form)) return;
  TReportFormBase* form = Form;
  try {
    Free(form);
  } catch (...) {
    ShowError(std::current_exception());
  }
  // DoFormDestroy has cleared it, unless someone replaced our OnDestroy.
  Form = nullptr;
}

int32_t TDLLRPCtrller::GetProgramInfo(Variant& Info) {
  if (Form == nullptr) return -1;
  try {
    Variant info = VarArrayCreate({0, 3});
    info[0] = Variant(ToWide(Form->FUserID));
    info[1] = Variant(ToWide(Form->FCompanyID));
    info[2] = Variant(ToWide(Form->FProgramID));
    info[3] = Variant(ToWide(Form->FProgramName));
    Info.Assign(info);
    return 0;
  } catch (...) {
    ShowError(std::current_exception());
    return -1;
  }
}

bool TDLLRPCtrller::IsFormFreed() { return Form == nullptr; }

void TDLLRPCtrller::DoFormShow(TObject* Sender) {
  try {
    if (OldOnShow.Assigned()) OldOnShow(Sender);
  } catch (...) {
    ShowError(std::current_exception());
    return;
  }
  DoEvent(DLLEVENT_FORMSHOW, this);
}

void TDLLRPCtrller::DoFormHide(TObject* Sender) {
  try {
    if (OldOnHide.Assigned()) OldOnHide(Sender);
  } catch (...) {
    ShowError(std::current_exception());
    return;
  }
  DoEvent(DLLEVENT_FORMHIDE, this);
}

void TDLLRPCtrller::DoFormDestroy(TObject* Sender) {
  if (Form != nullptr) {
    ResultCode = Form->FJobStatus;
    ResultData = Form->FJobResult;
    try {
      if (OldOnDestroy.Assigned()) OldOnDestroy(Sender);
    } catch (...) {
      // The host still has to learn that the form is gone.
      ShowError(std::current_exception());
    }
    Form = nullptr;
    DoEvent(DLLEVENT_FORMDESTROY, this);
    // The host's handler may have freed this controller: touch nothing.
    return;
  }
  Form = nullptr;
}

void TDLLRPCtrller::HookForm() {
  OldOnShow = Form->OnShow();
  OldOnHide = Form->OnHide();
  OldOnDestroy = Form->OnDestroy();
  Form->SetOnShow(TNotifyEvent(this, &TDLLRPCtrller::DoFormShow));
  Form->SetOnHide(TNotifyEvent(this, &TDLLRPCtrller::DoFormHide));
  Form->SetOnDestroy(TNotifyEvent(this, &TDLLRPCtrller::DoFormDestroy));
}

void TDLLRPCtrller::UnhookForm() {
  Form->SetOnShow(OldOnShow);
  Form->SetOnHide(OldOnHide);
  Form->SetOnDestroy(OldOnDestroy);
}

void RegisterDLLRPCtrller() {
  RegisterClass(TDLLRPCtrller::StaticClass());
  SetDLLControllerClass(&TDLLRPCtrller::StaticClass());
}
