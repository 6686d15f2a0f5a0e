// The part of the report form the controller drives: where the form learns
// its library's path and the host's application object, its one-time
// initialisation with the host parameters, its run requests, and the facts
// and results the controller reads back. The report form base (TfrmBaseGene)
// derives from TReportFormBase; the controller knows forms only through it.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Forms.h"

class TReportFormBase : public TForm {
  KULR_CLASS(TReportFormBase, TForm)

  explicit TReportFormBase(TComponent* owner) : TForm(owner) {}

  // The full path of the library file; the report program code is derived
  // from its file name.
  virtual void SetModulePath(const AnsiString& path) { FModulePath = path; }
  const AnsiString& ModulePath() const { return FModulePath; }

  // Reads the host parameter array and connects. Runs once per form: a
  // form that already holds a company id does nothing and returns false.
  // EAbstractError here: every report form provides it.
  virtual bool Initialize(const Variant& params);
  // Takes a run request (mode, [by-name flag, condition set]). EAbstractError
  // here.
  virtual void HandleRunRequest(const Variant& request);

  // Copied from the controller's HostObject before Initialize runs.
  Variant FHostObject;
  // DLLRESULT_NONE, _SUBMITTED or _CANCELLED (kulr31/DLLBaseCtrller.h).
  int32_t FJobStatus = 0;
  // The job number text after a submission, else Empty.
  Variant FJobResult;
  AnsiString FVersion;
  AnsiString FUserID;
  AnsiString FCompanyID;
  AnsiString FProgramID;    // report program code, upper case
  AnsiString FProgramName;  // from the program master record

protected:
  AnsiString FModulePath;
};
