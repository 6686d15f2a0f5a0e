// The library's main block. dlopen has no entry point of its own, so one
// function marked as a shared-object constructor runs it when the library
// is loaded; it is the only static initialiser with side effects in the
// plug-in, and it runs the start-up calls in their fixed order: the
// platform, the component model's standard classes, then the plug-in's own
// registrations. The report form class is registered here (SetFormClass)
// once it exists.
//
// The library is linked with -z nodelete: class records, method entries and
// registrations made here live in the shared runtime for the whole process
// and point into this library's code, so it stays mapped after the host's
// last FreeLibrary.

#include <cstdio>
#include <exception>

#include "platform/vcl/Registration.h"
#include "platform/win/DynLib.h"
#include "platform/win/Paths.h"
#include "platform/win/Platform.h"
#include "platform/win/SystemInfo.h"
#include "plugin/DLLRPCtrller.h"

namespace {

const char ModuleMarker = 0;

// Nothing may escape a load-time constructor (it would end the host). A
// failure leaves the class references empty, so the host's GetController
// or CreateForm reports the library as not set up.
__attribute__((constructor)) void Kulr31CMain() {
  try {
    InitializePlatform();
    RegisterStandardClasses();
    // The installation's libraries lie next to this one.
    AddLibrarySearchFolder(ExtractFilePath(GetModuleFileName(&ModuleMarker)));
    RegisterDLLRPCtrller();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Kulr31C: start-up failed: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "Kulr31C: start-up failed\n");
  }
}

}  // namespace
