// The host-facing contract of the report plug-in: the controller base class
// a host compiles against, its event type and event codes, and the one entry
// point the library exports. A host loads Kulr31C.so, looks up GetController,
// calls the controller's operations through this declaration (that is, by
// their position in the table of virtual operations) and reads and writes
// the four public fields directly.
//
// The table of virtual operations, in order (Itanium C++ ABI, one pointer a
// slot; a host binds to these positions, so nothing may be inserted, moved
// or added anywhere in this class or its descendants):
//   the root class TObject's own: the destructor (two slots: complete and
//   deleting), ClassType, AfterConstruction, BeforeDestruction, Destroying;
//   then the controller's 18 operations, positions 1 to 18:
//    1 GetVersion      2 GetVisible      3 SetVisible      4 GetHandle
//    5 CreateForm      6 ExecuteCommand  7 ReceiveMessage  8 ShowModal
//    9 FreeForm       10 GetProgramInfo 11 IsFormFreed    12 DoFormCreate
//   13 DoFormShow     14 DoFormHide     15 DoFormDestroy  16 DoNotify
//   17 DoEvent        18 Reserved (empty)
// KULR_CLASS only overrides ClassType, which adds no slot.
//
// Fields, after the table pointer: HostObject, ResultCode, ResultData,
// OnEvent. Variant and the method type come from the shared runtime
// (libkulrrt.so) that host and plug-in both link, so one value crosses the
// boundary as one thing.
//
// Errors: GetController and CreateForm raise Exception (the shared runtime's
// class) with the library's internal-error texts when no controller or form
// class is registered. Host and plug-in share one C++ runtime and one
// Exception type, so the host catches `const Exception&` around those two
// calls. Every other operation lets nothing escape.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Method.h"
#include "platform/vcl/Object.h"

// void(int32_t Code, TObject* Sender). Assign a handler made with MakeMethod
// (a member of a TObject descendant) or TDLLEvent::FromFunction.
KULR_EVENT(TDLLEvent, int32_t, TObject*);

// Codes passed to OnEvent.
inline constexpr int32_t DLLEVENT_FORMCREATE = 0x100;   // form made, HostObject given, not initialised
inline constexpr int32_t DLLEVENT_FORMSHOW = 0x110;     // after the form's own OnShow
inline constexpr int32_t DLLEVENT_FORMHIDE = 0x120;     // after the form's own OnHide
inline constexpr int32_t DLLEVENT_FORMDESTROY = 0x130;  // ResultCode and ResultData already set
inline constexpr int32_t DLLEVENT_NOTIFY = 0x140;       // only when the host calls DoNotify

// ResultCode values.
inline constexpr int32_t DLLRESULT_NONE = 0;       // nothing submitted
inline constexpr int32_t DLLRESULT_SUBMITTED = 1;  // a report job was submitted
inline constexpr int32_t DLLRESULT_CANCELLED = 2;  // the user cancelled

// A 16-bit boolean: any non-zero value is true.
using TWordBool = int16_t;
// The boolean GetVisible returns: 0 or -1 (all bits set).
using TLongBool = int32_t;

class TDLLBaseController : public TObject {
  KULR_CLASS(TDLLBaseController, TObject)

  // Positions 1 to 11 raise EAbstractError here; a controller class
  // implements them.
  virtual WideString GetVersion();                                           //  1
  virtual TLongBool GetVisible();                                            //  2
  virtual void SetVisible(TWordBool Value);                                  //  3
  virtual HWND GetHandle();                                                  //  4
  virtual int32_t CreateForm(const Variant& Params);                         //  5
  virtual int32_t ExecuteCommand(const Variant& Data);                       //  6
  virtual int32_t ReceiveMessage(int32_t Kind, int32_t Unused, const Variant& Data);  //  7
  virtual Variant ShowModal();                                               //  8
  virtual void FreeForm();                                                   //  9
  virtual int32_t GetProgramInfo(Variant& Info);                             // 10
  virtual bool IsFormFreed();                                                // 11
  virtual void DoFormCreate(TObject* Sender);                                // 12: event 0x100
  virtual void DoFormShow(TObject* Sender);                                  // 13: event 0x110
  virtual void DoFormHide(TObject* Sender);                                  // 14: event 0x120
  virtual void DoFormDestroy(TObject* Sender);                               // 15: event 0x130
  virtual void DoNotify();                                                   // 16: event 0x140
  // Calls OnEvent (if set) with Code and this controller as the sender.
  virtual void DoEvent(int32_t Code, TObject* Sender);                       // 17
  virtual void Reserved();                                                   // 18: does nothing

  // Written by the host before CreateForm: its application object.
  Variant HostObject;
  // Copied from the form when it is destroyed (DLLRESULT_...).
  int32_t ResultCode = 0;
  // Copied from the form when it is destroyed: the job number after a
  // submission, else Empty.
  Variant ResultData;
  TDLLEvent OnEvent;
};

// The library's one export: a new instance of the registered controller
// class, owned by the caller (free it with Free or delete). Raises Exception
// "ORLAN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible"
// when no controller class is registered.
#define KULR_PLUGIN_EXPORT __attribute__((visibility("default")))
extern "C" KULR_PLUGIN_EXPORT TDLLBaseController* GetController();
using TGetControllerProc = TDLLBaseController* (*)();
