#include "platform/com/OleCall.h"

#include <vector>

#include "platform/com/ComObj.h"
#include "platform/rtl/Exceptions.h"

namespace {

TDispatchRef TargetOf(const Variant& obj, const AnsiString& member) {
  const Variant& value = obj.Deref();
  if (const TDispatchRef* ref = value.GetIf<TDispatchRef>(); ref && *ref) return *ref;
  throw EOleException(
      TOleErrorKind::NotAnObject, member,
      "a Variant of type " + VarTypeAsText(VarType(value)) + " is not an automation object");
}

Variant CallWithList(const TDispatchRef& obj, const AnsiString& member, TInvokeKind kind,
                     std::initializer_list<Variant> args) {
  std::vector<Variant> list(args);
  return OleInvoke(obj, member, kind, list);
}

}  // namespace

Variant OleInvoke(const TDispatchRef& obj, const AnsiString& member, TInvokeKind kind,
                  std::span<Variant> args) {
  if (!obj)
    throw EOleException(TOleErrorKind::NotAnObject, member,
                        "a null reference is not an automation object");
  // Our own copy: the call may clear the caller's reference.
  TDispatchRef target = obj;
  try {
    return target->Invoke(member, kind, args);
  } catch (const EOleError&) {
    throw;
  } catch (const Exception& e) {
    // An object that does not follow the rule that failures raise EOleError.
    throw EOleException(TOleErrorKind::Exception, target->DispatchClassName() + "." + member,
                        e.Message());
  } catch (const std::exception& e) {
    throw EOleException(TOleErrorKind::Exception, target->DispatchClassName() + "." + member,
                        e.what());
  }
}

Variant OleInvoke(const Variant& obj, const AnsiString& member, TInvokeKind kind,
                  std::span<Variant> args) {
  return OleInvoke(TargetOf(obj, member), member, kind, args);
}

Variant OleCall(const Variant& obj, const AnsiString& member, std::initializer_list<Variant> args) {
  return CallWithList(TargetOf(obj, member), member, TInvokeKind::Method, args);
}

Variant OleCall(const TDispatchRef& obj, const AnsiString& member,
                std::initializer_list<Variant> args) {
  return CallWithList(obj, member, TInvokeKind::Method, args);
}

Variant OleGet(const Variant& obj, const AnsiString& member, std::initializer_list<Variant> args) {
  return CallWithList(TargetOf(obj, member), member, TInvokeKind::PropertyGet, args);
}

Variant OleGet(const TDispatchRef& obj, const AnsiString& member,
               std::initializer_list<Variant> args) {
  return CallWithList(obj, member, TInvokeKind::PropertyGet, args);
}

void OlePut(const Variant& obj, const AnsiString& member, const Variant& value) {
  OlePut(TargetOf(obj, member), member, value);
}

void OlePut(const Variant& obj, const AnsiString& member, std::initializer_list<Variant> index,
            const Variant& value) {
  std::vector<Variant> list(index);
  list.push_back(value);
  OleInvoke(TargetOf(obj, member), member, TInvokeKind::PropertyPut, list);
}

void OlePut(const TDispatchRef& obj, const AnsiString& member, const Variant& value) {
  Variant args[1] = {value};
  OleInvoke(obj, member, TInvokeKind::PropertyPut, args);
}
