// Late-bound calls that read like the calling code: call a method, read or
// write a property of the automation object a Variant holds.
//
//   Variant info = OleCall(FSystemService, "GetSysInfo", {Variant::ByRef(companyId)});
//   Variant counter = OleGet(FHostObject, "Com_Counter");
//   OlePut(FQueryService, "ProductID", FProductCode);
//
// Arguments are copied into the call, so the callee can change a caller's
// variable only through a Variant::ByRef argument. Nothing is converted on the
// way: a byte string arrives as a byte string in its code page, and one the
// callee writes back stays bytes. The target Variant may be a
// by-reference Variant itself; one that holds no automation reference (Empty,
// Null, a text, a null reference) raises EOleException of kind NotAnObject
// naming the member. The object is kept alive for the whole call even when the
// call clears the caller's Variant.
#pragma once

#include <initializer_list>
#include <span>

#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

// A method call (a readable property answers it too when args is empty).
Variant OleCall(const Variant& obj, const AnsiString& member,
                std::initializer_list<Variant> args = {});
Variant OleCall(const TDispatchRef& obj, const AnsiString& member,
                std::initializer_list<Variant> args = {});

// A property get; args are the index of an indexed property.
Variant OleGet(const Variant& obj, const AnsiString& member,
               std::initializer_list<Variant> args = {});
Variant OleGet(const TDispatchRef& obj, const AnsiString& member,
               std::initializer_list<Variant> args = {});

// A property put: value goes last, after the index arguments of an indexed
// property.
void OlePut(const Variant& obj, const AnsiString& member, const Variant& value);
void OlePut(const Variant& obj, const AnsiString& member, std::initializer_list<Variant> index,
            const Variant& value);
void OlePut(const TDispatchRef& obj, const AnsiString& member, const Variant& value);

// The general form for an argument list built at run time. The callee may
// write any element of args, by-reference or not.
Variant OleInvoke(const Variant& obj, const AnsiString& member, TInvokeKind kind,
                  std::span<Variant> args);
Variant OleInvoke(const TDispatchRef& obj, const AnsiString& member, TInvokeKind kind,
                  std::span<Variant> args);
