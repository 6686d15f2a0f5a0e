// The report controller: creates the report form of frmBaseGeneClass, hooks
// its OnShow, OnHide and OnDestroy to raise the host's events, answers the
// host's operations about it, and owns it until it is destroyed, whichever
// way that happens (FreeForm, the controller's destructor, or the form
// closing itself with free-on-close from the message loop).
//
// No operation lets an exception out to the host except CreateForm's
// internal error for a missing form class: ExecuteCommand and
// ReceiveMessage turn failures into -1 silently; the others show the
// standard error box and return their value for "no form".
#pragma once

#include "platform/vcl/Events.h"
#include "plugin/DLLBaseCtrller.h"

class TReportFormBase;

// The report form class CreateForm instantiates (with no owner); null until
// the library's start-up registers the report form.
extern const TClass* frmBaseGeneClass;

inline constexpr const char* DLL_NO_FORM_CLASS =
    "ORLAN DLL Internal Error :\rNot Assign \"frmBaseGeneClass\" varible";

// Sets frmBaseGeneClass. EInvalidOperation when aClass is neither null nor a
// creatable class descending from TReportFormBase (judged by the names of
// its ancestors, so a class compiled into another module qualifies too).
void SetFormClass(const TClass* aClass);

class TDLLRPCtrller : public TDLLBaseController {
  KULR_CLASS(TDLLRPCtrller, TDLLBaseController)

  // Frees a form still held (raising 0x130 as it goes).
  ~TDLLRPCtrller() override;

  WideString GetVersion() override;
  TLongBool GetVisible() override;
  void SetVisible(TWordBool Value) override;
  HWND GetHandle() override;
  // Creates and hooks the form when none is held, then runs its Initialize.
  // 0 when Initialize succeeded, else -1. Raises Exception DLL_NO_FORM_CLASS
  // when a form is needed and frmBaseGeneClass is null.
  int32_t CreateForm(const Variant& Params) override;
  int32_t ExecuteCommand(const Variant& Data) override;
  int32_t ReceiveMessage(int32_t Kind, int32_t Unused, const Variant& Data) override;
  Variant ShowModal() override;
  void FreeForm() override;
  int32_t GetProgramInfo(Variant& Info) override;
  bool IsFormFreed() override;
  void DoFormShow(TObject* Sender) override;
  void DoFormHide(TObject* Sender) override;
  // Copies FJobStatus and FJobResult, runs the form's own OnDestroy, clears
  // Form and raises 0x130. Form is cleared before the event, not after it,
  // so that a host handler that asks about the form or frees the controller
  // finds no half-destroyed form and nothing touches the controller after
  // the handler returns.
  void DoFormDestroy(TObject* Sender) override;

  TReportFormBase* Form = nullptr;
  TNotifyEvent OldOnShow;
  TNotifyEvent OldOnHide;
  TNotifyEvent OldOnDestroy;

private:
  void HookForm();
  void UnhookForm();
};

// The controller unit's start-up: registers TDLLRPCtrller by name and as
// DLLControllerClass.
void RegisterDLLRPCtrller();
