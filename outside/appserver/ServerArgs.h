// ServerArgs: reading the arguments of the application server's members.
// Clients send arrays of texts, flags and dates by reference or by value;
// these helpers look through references, check the shape and the type, turn
// wide texts into bytes of the store's code page, and raise EServerArgError
// with a text that says which argument is wrong and why. The members answer
// with that text (or "ERROR" and the text) instead of failing the call.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

class EServerArgError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EServerArgError"; }
};

// The elements of a one-dimensional array, counted from its lower bound;
// raises unless v is such an array with at least minCount elements.
std::vector<const Variant*> ArgElements(const Variant& v, const std::string& what, int minCount);

// A text as bytes of codePage: a byte string as it is, a wide string encoded
// (raising when the code page cannot hold a character of it). Raises for
// Empty, Null and anything that is not a text, and for "" unless allowEmpty.
AnsiString ArgText(const Variant& v, const std::string& what, int codePage, bool allowEmpty);

// A flag: a Boolean, a number or a text the platform reads as one. Raises
// for Empty, Null and what does not read as a flag.
bool ArgBoolean(const Variant& v, const std::string& what);

// A date-time: a Date, a number or a text the platform reads as one.
TDateTime ArgDateTime(const Variant& v, const std::string& what);
