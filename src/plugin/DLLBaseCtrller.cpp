#include "plugin/DLLBaseCtrller.h"

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"

const TClass* DLLControllerClass = nullptr;

namespace {

[[noreturn]] void RaiseAbstract(const TDLLBaseController& self, const char* operation) {
  throw EAbstractError("Abstract error: " + self.ClassName() + "." + operation +
                       " is not implemented");
}

void ReportHandlerError(std::exception_ptr error) { Application().HandleException(error); }

}  // namespace

const TClass& TDLLBaseController::StaticClass() {
  static const TClass& record = TClassBuilder<TDLLBaseController>().Factory().Build();
  return record;
}

WideString TDLLBaseController::GetVersion() { RaiseAbstract(*this, "GetVersion"); }
TLongBool TDLLBaseController::GetVisible() { RaiseAbstract(*this, "GetVisible"); }
void TDLLBaseController::SetVisible(TWordBool) { RaiseAbstract(*this, "SetVisible"); }
HWND TDLLBaseController::GetHandle() { RaiseAbstract(*this, "GetHandle"); }
int32_t TDLLBaseController::CreateForm(const Variant&) { RaiseAbstract(*this, "CreateForm"); }
int32_t TDLLBaseController::ExecuteCommand(const Variant&) {
  RaiseAbstract(*this, "ExecuteCommand");
}
int32_t TDLLBaseController::ReceiveMessage(int32_t, int32_t, const Variant&) {
  RaiseAbstract(*this, "ReceiveMessage");
}
Variant TDLLBaseController::ShowModal() { RaiseAbstract(*this, "ShowModal"); }
void TDLLBaseController::FreeForm() { RaiseAbstract(*this, "FreeForm"); }
int32_t TDLLBaseController::GetProgramInfo(Variant&) { RaiseAbstract(*this, "GetProgramInfo"); }
bool TDLLBaseController::IsFormFreed() { RaiseAbstract(*this, "IsFormFreed"); }

void TDLLBaseController::DoFormCreate(TObject*) { DoEvent(DLLEVENT_FORMCREATE, this); }
// The base has no form, hence no old handlers to chain.
void TDLLBaseController::DoFormShow(TObject*) { DoEvent(DLLEVENT_FORMSHOW, this); }
void TDLLBaseController::DoFormHide(TObject*) { DoEvent(DLLEVENT_FORMHIDE, this); }
void TDLLBaseController::DoFormDestroy(TObject*) { DoEvent(DLLEVENT_FORMDESTROY, this); }
void TDLLBaseController::DoNotify() { DoEvent(DLLEVENT_NOTIFY, this); }

// The Sender argument is not passed on: the host always sees the controller.
// A handler of the host's that raises must not unwind into the form machinery
// or back out through an operation, so it goes to the standard error box.
void TDLLBaseController::DoEvent(int32_t Code, TObject*) {
  if (!OnEvent.Assigned()) return;
  try {
    OnEvent(Code, this);
  } catch (...) {
    ReportHandlerError(std::current_exception());
  }
}

void TDLLBaseController::Reserved() {}

void SetDLLControllerClass(const TClass* aClass) {
  if (aClass != nullptr &&
      (!aClass->InheritsFrom(TDLLBaseController::StaticClass()) || aClass->IsAbstract()))
    throw EInvalidOperation("SetDLLControllerClass: " + aClass->ClassName() +
                            " is not a creatable controller class");
  DLLControllerClass = aClass;
}
