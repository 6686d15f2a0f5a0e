// The controller base unit: the host-facing TDLLBaseController (declared in
// the installed contract header, kulr31/DLLBaseCtrller.h) and the class
// reference GetController instantiates.
#pragma once

#include "kulr31/DLLBaseCtrller.h"
#include "platform/vcl/Object.h"

// The controller class GetController creates; null until the controller
// unit registers itself at library start-up (RegisterDLLRPCtrller).
extern const TClass* DLLControllerClass;

// The text GetController raises when DLLControllerClass is null (the host
// knows it as it is; "varible" included).
inline constexpr const char* DLL_NO_CONTROLLER_CLASS =
    "ORLAN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible";

// Sets DLLControllerClass. EInvalidOperation when aClass is neither null
// nor a creatable descendant of TDLLBaseController.
void SetDLLControllerClass(const TClass* aClass);
