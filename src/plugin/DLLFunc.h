// The library's exported function, GetController (declared in the contract
// header, kulr31/DLLBaseCtrller.h), and, in builds with
// KULR_PLUGIN_TEST_HOOKS, the exported hooks the integration tests use to
// set the class references of a loaded library.
#pragma once

#include "kulr31/DLLBaseCtrller.h"

#ifdef KULR_PLUGIN_TEST_HOOKS
// Set DLLControllerClass / frmBaseGeneClass to the class registered in the
// shared runtime under className (FindClass); null or "" clears. False, the
// reference unchanged, when the name is unknown or the class unsuitable.
// They let a test reach the "no class registered" errors and drive a form
// class of its own; a host never needs them.
extern "C" KULR_PLUGIN_EXPORT bool KulrTestSetControllerClass(const char* className);
extern "C" KULR_PLUGIN_EXPORT bool KulrTestSetFormClass(const char* className);
#endif
