// LibRTTI: published properties read and written by name, for code that
// meets components it does not know the classes of (the code converter, the
// language files, the base form). A missing property is a normal case here,
// not an error: a getter gives its empty value and a setter does nothing, so
// a caller can apply one rule to every component of a form. A property that
// exists but cannot take the call (another kind, read-only, a setter that
// raises) is a fault of the caller or the component and raises the type
// information's error, naming class and property. SetPropByPath is the one
// routine that reports every failure by its result instead.
//
// Names ignore ASCII case; a null object or an empty name counts as missing.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Method.h"
#include "platform/vcl/Object.h"

class TControl;
class TStrings;

// ---- Getters: the empty value when the property is missing ----
// A nil method when missing; EPropertyError when not a method property.
TMethod GetMethodPropByName(TObject* Obj, std::string_view Name);
// "" when missing; a wide-string property comes in the system code page;
// EPropertyError for other kinds.
AnsiString GetStrPropByName(TObject* Obj, std::string_view Name);
// 0 when missing; integers, characters, enumerations, sets (the bit
// pattern) and Int64; EPropertyError for other kinds.
int64_t GetOrdPropByName(TObject* Obj, std::string_view Name);

// ---- Setters: nothing happens when the property is missing ----
// Otherwise the type information's rules apply: EPropertyError for another
// kind, a read-only property or an ordinal out of the type's range; what the
// property's own setter raises passes through unchanged.
void SetStrPropByName(TObject* Obj, std::string_view Name, const AnsiString& Value);
void SetOrdPropByName(TObject* Obj, std::string_view Name, int64_t Value);
void SetMethodPropByName(TObject* Obj, std::string_view Name, const TMethod& Value);

// ---- Questions ----
bool HasPropByName(const TObject* Obj, std::string_view Name);
// Whether the property exists and its declared type is named TypeName
// (ASCII case ignored). The declared type, not the class of the value: a
// TStrings property holding a string list is "TStrings", never
// "TStringList", and a list of list-view items is not "TStrings".
bool IsPropOfType(const TObject* Obj, std::string_view Name, std::string_view TypeName);

// ---- Sub-objects ----
// The object a class-kind property holds (nil when it holds none); nil when
// the property is missing, of another kind, or of a class outside the
// component model (a TStrings: see GetStringsPropByName).
TObject* GetClassPropByName(TObject* Obj, std::string_view Name);
// The string list a TStrings property holds; nil when the property is
// missing, of another kind or holds none.
TStrings* GetStringsPropByName(TObject* Obj, std::string_view Name);

// ---- Paths ----
// Sets the property Path names, starting at Obj: "Font.Color" reads the
// object of Obj's class-kind property Font and sets its Color. On the last
// name an integer property whose type has identifier names ("clRed",
// "crHandPoint", "GB2312_CHARSET") takes a text Value that is one of them as
// its number; an enumeration or set property takes a text Value trimmed of
// blanks ("  taCenter "); every other Value is converted to the property's
// kind by the Variant rules. True when the property was set; false, with
// nothing raised, when Obj is nil, a name is empty or missing, a step holds
// no object, or the value does not convert or is refused by the setter.
bool SetPropByPath(TObject* Obj, std::string_view Path, const Variant& Value);

// ---- Input ----
// Sends Control a left-button-down and then a left-button-up message, both
// with parameters 0 (the control's top-left corner, no keys held), the way a
// user's click reaches it, so that a check box toggles as if clicked. The
// messages go straight to the control's window procedure, so a windowed
// control gets no handle made for it and a control without a window is
// clicked as well. Nothing happens for a nil control.
void ClickControl(TControl* Control);
