#include "plugin/DLLFunc.h"

#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Object.h"
#include "plugin/DLLBaseCtrller.h"
#include "plugin/DLLRPCtrller.h"

// C linkage changes the name only: this is still a C++ function, and the
// exception it raises unwinds into the host as the shared runtime's
// Exception, which host and plug-in both know through libkulrrt.so.
extern "C" TDLLBaseController* GetController() {
  if (DLLControllerClass == nullptr) throw Exception(DLL_NO_CONTROLLER_CLASS);
  TObject* created = DLLControllerClass->Create(nullptr);
  auto* controller = dynamic_cast<TDLLBaseController*>(created);
  if (controller == nullptr) {
    // SetDLLControllerClass admits only controller classes; a record that
    // still builds something else is a broken registration.
    const AnsiString name = created->ClassName();
    Free(created);
    throw Exception("GetController: " + name + " is not a controller class");
  }
  return controller;
}

#ifdef KULR_PLUGIN_TEST_HOOKS
namespace {

template <class TSetter>
bool SetByName(const char* className, TSetter setter) {
  try {
    if (className == nullptr || *className == '\0') {
      setter(nullptr);
      return true;
    }
    const TClass* found = FindClass(std::string_view(className));
    if (found == nullptr) return false;
    setter(found);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

extern "C" bool KulrTestSetControllerClass(const char* className) {
  return SetByName(className, SetDLLControllerClass);
}

extern "C" bool KulrTestSetFormClass(const char* className) {
  return SetByName(className, SetFormClass);
}
#endif
