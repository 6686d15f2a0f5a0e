#include "platform/rtl/Exceptions.h"

#include <utility>

Exception::Exception(AnsiString message) : FMessage(std::move(message)) {}

// Out of line so that the type information of the whole hierarchy lives in
// the shared runtime and an exception thrown by one module is caught by
// another.
Exception::~Exception() = default;

ECodedError::ECodedError(AnsiString message, int errorCode)
    : Exception(std::move(message)), FErrorCode(errorCode) {}
