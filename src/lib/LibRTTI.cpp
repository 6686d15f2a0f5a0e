#include "lib/LibRTTI.h"

#include <cxxabi.h>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/TypInfo.h"

namespace {

// The property, or nullptr for every case the routines treat as "missing".
const TPropInfo* FindByName(const TObject* obj, std::string_view name) {
  if (obj == nullptr || name.empty()) return nullptr;
  return GetPropInfo(obj, name);
}

// A class-kind property of the component model; a TStrings property is of
// class kind too, but its value is no TObject.
bool IsObjectProp(const TPropInfo& prop) {
  return prop.Kind() == tkClass && prop.PropType().ClassType() != nullptr;
}

bool IsStringsProp(const TPropInfo& prop) {
  return prop.Kind() == tkClass && prop.PropType().ForeignType() != nullptr;
}

// The last name of a path. The type information's Variant conversion does
// the rest, identifier names of integer types ("clRed") included, so a path
// sets a property exactly as a form resource would; only the trimming of
// enumeration and set names is this routine's own.
void SetPathValue(TObject* obj, const TPropInfo& prop, const Variant& value) {
  if ((prop.Kind() == tkEnumeration || prop.Kind() == tkSet) && value.IsString()) {
    // A language file or a stored scheme may carry blanks around the name
    // ("Style =  csDropDown "); the name look-up ignores case, not blanks.
    SetPropValue(obj, prop, Variant(Trim(value.AsString())));
    return;
  }
  SetPropValue(obj, prop, value);
}

}  // namespace

TMethod GetMethodPropByName(TObject* Obj, std::string_view Name) {
  const TPropInfo* prop = FindByName(Obj, Name);
  return prop != nullptr ? GetMethodProp(Obj, *prop) : TMethod{};
}

AnsiString GetStrPropByName(TObject* Obj, std::string_view Name) {
  const TPropInfo* prop = FindByName(Obj, Name);
  return prop != nullptr ? GetStrProp(Obj, *prop) : AnsiString();
}

int64_t GetOrdPropByName(TObject* Obj, std::string_view Name) {
  const TPropInfo* prop = FindByName(Obj, Name);
  return prop != nullptr ? GetOrdProp(Obj, *prop) : 0;
}

void SetStrPropByName(TObject* Obj, std::string_view Name, const AnsiString& Value) {
  if (const TPropInfo* prop = FindByName(Obj, Name)) SetStrProp(Obj, *prop, Value);
}

void SetOrdPropByName(TObject* Obj, std::string_view Name, int64_t Value) {
  if (const TPropInfo* prop = FindByName(Obj, Name)) SetOrdProp(Obj, *prop, Value);
}

void SetMethodPropByName(TObject* Obj, std::string_view Name, const TMethod& Value) {
  if (const TPropInfo* prop = FindByName(Obj, Name)) SetMethodProp(Obj, *prop, Value);
}

bool HasPropByName(const TObject* Obj, std::string_view Name) { return FindByName(Obj, Name) != nullptr; }

bool IsPropOfType(const TObject* Obj, std::string_view Name, std::string_view TypeName) {
  const TPropInfo* prop = FindByName(Obj, Name);
  // ASCII-only comparison: type names are identifiers, and a byte of a
  // double-byte character must never match a letter.
  return prop != nullptr && SameText(prop->PropType().Name(), TypeName);
}

TObject* GetClassPropByName(TObject* Obj, std::string_view Name) {
  const TPropInfo* prop = FindByName(Obj, Name);
  if (prop == nullptr || !IsObjectProp(*prop)) return nullptr;
  return GetObjectProp(Obj, *prop);
}

TStrings* GetStringsPropByName(TObject* Obj, std::string_view Name) {
  const TPropInfo* prop = FindByName(Obj, Name);
  if (prop == nullptr || !IsStringsProp(*prop)) return nullptr;
  return GetStringsProp(Obj, prop->Name());
}

bool SetPropByPath(TObject* Obj, std::string_view Path, const Variant& Value) {
  try {
    TObject* target = Obj;
    std::string_view rest = Path;
    for (size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
      const TPropInfo* step = FindByName(target, rest.substr(0, dot));
      if (step == nullptr || !IsObjectProp(*step)) return false;
      target = GetObjectProp(target, *step);
      rest.remove_prefix(dot + 1);
    }
    const TPropInfo* prop = FindByName(target, rest);
    if (prop == nullptr) return false;
    SetPathValue(target, *prop, Value.Deref());
    return true;
  } catch (abi::__forced_unwind&) {
    throw;  // a cancelled thread must keep unwinding
  } catch (...) {
    // A language file or a stored scheme may name anything; one bad entry
    // must not stop the caller from applying the rest.
    return false;
  }
}

void ClickControl(TControl* Control) {
  if (Control == nullptr) return;
  // Perform rather than SendMessage to the handle: the same window
  // procedure runs, without making a window (and its parents' windows) just
  // to deliver two messages.
  Control->Perform(WM_LBUTTONDOWN, 0, 0);
  Control->Perform(WM_LBUTTONUP, 0, 0);
}
