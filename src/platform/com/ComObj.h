// Automation errors and object creation by program id. Every failed
// late-bound call or creation raises EOleException, which says what went
// wrong (TOleErrorKind) and where ("TClass.Member", or the program id).
// CreateOleObject finds an object's factory first among the factories
// registered in this process, then as an in-process server named by the
// registry replacement, the way an automation client finds a server.
#pragma once

#include <functional>

#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

enum class TOleErrorKind {
  NotAnObject,         // the call's target holds no automation reference
  UnknownMember,       // no member of that name
  BadArgCount,         // the member takes another number of arguments
  TypeMismatch,        // an argument does not convert to the parameter's type
  ReadOnly,            // a put on a read-only property or on a method
  Exception,           // the member itself raised; Description is its message
  InvalidClassString,  // no factory and no registration for the program id
  ServerLoad,          // the registered library cannot be loaded or lacks the factory
  CreationFailed,      // the factory raised or created nothing
};

// "UnknownMember", "TypeMismatch"... for diagnostics and test output.
const char* OleErrorKindName(TOleErrorKind kind);

// Message() is Source + ": " + Description, except for an unknown program id,
// whose message is the platform's own "Invalid class string" (callers record
// that text); the id is in Source then.
class EOleException : public EOleError {
public:
  EOleException(TOleErrorKind kind, AnsiString source, AnsiString description);
  // For a message that is not "Source: Description".
  EOleException(TOleErrorKind kind, AnsiString source, AnsiString description, AnsiString message);
  const char* ClassName() const override { return "EOleException"; }

  TOleErrorKind Kind() const { return FKind; }
  // "TClass.Member" for a call, the program id for a creation.
  const AnsiString& Source() const { return FSource; }
  // What went wrong, without the source: for Kind Exception, the inner
  // exception's own message.
  const AnsiString& Description() const { return FDescription; }

private:
  TOleErrorKind FKind;
  AnsiString FSource;
  AnsiString FDescription;
};

// ---- Factories registered in this process ----
// A factory returns a new object (a null reference counts as a failure).
// Program ids ignore ASCII case. Registering an id again replaces its factory;
// a registered factory wins over the registry.
using TClassFactory = std::function<TDispatchRef()>;
void RegisterClassFactory(const AnsiString& progId, TClassFactory factory);
// True when a factory was registered for the id.
bool UnregisterClassFactory(const AnsiString& progId);

// ---- In-process servers ----
// The registry replacement names the server of a program id:
//
//   [HKEY_CLASSES_ROOT\<ProgID>\InprocServer32]
//   @=<path of the shared object>
//
// The shared object links the runtime (libkulrrt) and exports
//
//   extern "C" IDispatch* KulrCreateObject(const char* progId);
//
// which returns a new object with a reference count of 0 (as a new
// TDispatchObject has; the caller takes the first reference), or null when the
// library does not serve that id. It may raise an Exception, which surfaces as
// EOleException of kind CreationFailed. The library stays loaded for the rest
// of the process: its objects' code lives in it, and an object may outlive
// every reference the creator knows about.
using TKulrCreateObjectProc = IDispatch* (*)(const char* progId);
inline constexpr const char* KulrCreateObjectName = "KulrCreateObject";

// A new automation object as a Variant holding its reference. Raises
// EOleException: InvalidClassString for an id nobody serves, ServerLoad naming
// the library's path and the reason, CreationFailed when the factory raised
// or created nothing.
Variant CreateOleObject(const AnsiString& progId);
