// The exception classes of the runtime. Every platform error derives from
// Exception, so a handler that catches the general kind catches them all;
// EAbort is the silent one that no error box shows.
#pragma once

#include <exception>

#include "platform/rtl/Types.h"

class Exception : public std::exception {
public:
  explicit Exception(AnsiString message);
  ~Exception() override;

  const AnsiString& Message() const { return FMessage; }
  void SetMessage(AnsiString message) { FMessage = std::move(message); }
  // The class name as the original reports it ("EConvertError").
  virtual const char* ClassName() const { return "Exception"; }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  AnsiString FMessage;
};

#define KULR_EXCEPTION_CLASS(Name, Base)                        \
  class Name : public Base {                                    \
  public:                                                       \
    using Base::Base;                                           \
    const char* ClassName() const override { return #Name; }   \
  }

// Text to number, number to text, bad format strings and arguments.
KULR_EXCEPTION_CLASS(EConvertError, Exception);
// Silent abort: unwinds like any exception, never shown to the user.
KULR_EXCEPTION_CLASS(EAbort, Exception);
// A call of an operation that a class declares but does not implement.
KULR_EXCEPTION_CLASS(EAbstractError, Exception);
// An operation not valid in the object's current state.
KULR_EXCEPTION_CLASS(EInvalidOperation, Exception);
// A stream or form resource that cannot be read.
KULR_EXCEPTION_CLASS(EReadError, Exception);
// A list index out of bounds or a duplicate in a list that refuses them.
KULR_EXCEPTION_CLASS(EListError, Exception);
KULR_EXCEPTION_CLASS(EStringListError, EListError);

// Variant errors.
KULR_EXCEPTION_CLASS(EVariantError, Exception);
KULR_EXCEPTION_CLASS(EVariantTypeCastError, EVariantError);
KULR_EXCEPTION_CLASS(EVariantOverflowError, EVariantError);
KULR_EXCEPTION_CLASS(EVariantBadIndexError, EVariantError);
KULR_EXCEPTION_CLASS(EVariantArrayCreateError, EVariantError);
KULR_EXCEPTION_CLASS(EVariantNotAnArrayError, EVariantError);
KULR_EXCEPTION_CLASS(EVariantInvalidArgError, EVariantError);

// Automation errors: a failed late-bound call or object creation.
KULR_EXCEPTION_CLASS(EOleError, Exception);

// An error with a numeric code (an input/output error, a system error).
class ECodedError : public Exception {
public:
  ECodedError(AnsiString message, int errorCode);
  int ErrorCode() const { return FErrorCode; }
  const char* ClassName() const override { return "ECodedError"; }

private:
  int FErrorCode;
};

KULR_EXCEPTION_CLASS(EInOutError, ECodedError);
KULR_EXCEPTION_CLASS(EOSError, ECodedError);

#undef KULR_EXCEPTION_CLASS
