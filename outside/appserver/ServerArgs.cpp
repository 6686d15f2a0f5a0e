#include "appserver/ServerArgs.h"

#include "platform/rtl/CodePage.h"

namespace {

// "Null", "Integer", "Array"... for the error texts.
AnsiString TypeName(const Variant& v) {
  if (v.IsArray()) return "an array";
  return VarTypeAsText(VarType(v.Deref()));
}

void RequireValue(const Variant& v, const std::string& what) {
  if (v.IsEmpty()) throw EServerArgError(what + " is missing");
  if (v.IsNull()) throw EServerArgError(what + " is Null");
}

}  // namespace

std::vector<const Variant*> ArgElements(const Variant& v, const std::string& what, int minCount) {
  const Variant& value = v.Deref();
  const TVarArray* array = value.GetIf<TVarArray>();
  if (array == nullptr)
    throw EServerArgError(what + " must be an array, not " +
                          (value.IsEmpty() || value.IsNull() ? VarTypeAsText(VarType(value))
                                                             : TypeName(value)));
  if (array->DimCount() != 1)
    throw EServerArgError(what + " must be a one-dimensional array");
  const int32_t count = array->Bound(1).ElementCount();
  if (count < minCount)
    throw EServerArgError(what + " has " + std::to_string(count) + " elements, " +
                          std::to_string(minCount) + " needed");
  std::vector<const Variant*> elements;
  elements.reserve(static_cast<size_t>(count));
  for (const Variant& element : array->Elements()) elements.push_back(&element.Deref());
  return elements;
}

AnsiString ArgText(const Variant& v, const std::string& what, int codePage, bool allowEmpty) {
  const Variant& value = v.Deref();
  RequireValue(value, what);
  AnsiString text;
  if (const AnsiString* bytes = value.GetIf<AnsiString>()) {
    text = *bytes;
  } else if (const WideString* wide = value.GetIf<WideString>()) {
    bool lossy = false;
    text = WideToCodePage(codePage, *wide, &lossy);
    if (lossy)
      throw EServerArgError(what + " holds characters that code page " +
                            std::to_string(codePage) + " cannot hold");
  } else {
    throw EServerArgError(what + " must be a text, not " + TypeName(value));
  }
  if (text.empty() && !allowEmpty) throw EServerArgError(what + " is empty");
  return text;
}

bool ArgBoolean(const Variant& v, const std::string& what) {
  const Variant& value = v.Deref();
  RequireValue(value, what);
  if (value.IsArray()) throw EServerArgError(what + " must be a flag, not an array");
  try {
    return value.AsBoolean();
  } catch (const Exception&) {  // EVariantTypeCastError, or EConvertError from a text
    throw EServerArgError(what + " must be a flag, not " + TypeName(value));
  }
}

TDateTime ArgDateTime(const Variant& v, const std::string& what) {
  const Variant& value = v.Deref();
  RequireValue(value, what);
  if (value.IsArray()) throw EServerArgError(what + " must be a date, not an array");
  try {
    return value.AsDateTime();
  } catch (const Exception&) {  // EVariantTypeCastError, or EConvertError from a text
    throw EServerArgError(what + " must be a date, not " + TypeName(value));
  }
}
