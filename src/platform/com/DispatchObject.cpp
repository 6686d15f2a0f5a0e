#include "platform/com/DispatchObject.h"

#include <stdexcept>
#include <string>

#include "platform/com/ComObj.h"

namespace {

// Member names are ASCII identifiers (the builder insists), so folding ASCII
// letters is enough: a name with any other byte can never match one.
AnsiString MemberKey(const AnsiString& name) {
  AnsiString key = name;
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

bool IsAsciiIdentifier(const AnsiString& name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 0)) return false;
  }
  return true;
}

AnsiString ArgCountText(int count) {
  return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

}  // namespace

// ---- TDispatchTable ----

const TDispatchMember* TDispatchTable::Find(const AnsiString& name) const {
  auto it = FIndex.find(MemberKey(name));
  return it == FIndex.end() ? nullptr : &FMembers[it->second];
}

std::vector<AnsiString> TDispatchTable::MemberNames() const {
  std::vector<AnsiString> names;
  names.reserve(FMembers.size());
  for (const TDispatchMember& member : FMembers) names.push_back(member.Name);
  return names;
}

// ---- The builder ----

TDispatchTableBuilderBase::TDispatchTableBuilderBase(AnsiString className) {
  if (className.empty()) throw std::logic_error("dispatch table: the class name is empty");
  FTable.FClassName = std::move(className);
}

void TDispatchTableBuilderBase::Add(TDispatchMember member) {
  const AnsiString where = FTable.FClassName + "." + member.Name;
  if (!IsAsciiIdentifier(member.Name))
    throw std::logic_error("dispatch table " + where +
                           ": a member name must be an ASCII identifier");
  const AnsiString key = MemberKey(member.Name);
  if (FTable.FIndex.count(key))
    throw std::logic_error("dispatch table " + where + ": declared twice (names ignore case)");
  FTable.FIndex.emplace(key, FTable.FMembers.size());
  FTable.FMembers.push_back(std::move(member));
}

TDispatchTable TDispatchTableBuilderBase::Build() { return std::move(FTable); }

// ---- TDispatchObject ----

void TDispatchObject::AddRef() noexcept { FRefCount.fetch_add(1, std::memory_order_relaxed); }

void TDispatchObject::Release() noexcept {
  // acq_rel: whatever another thread did to the object before dropping its
  // reference happens before the delete.
  if (FRefCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

AnsiString TDispatchObject::DispatchClassName() const { return DispatchTable().ClassName(); }

Variant TDispatchObject::Invoke(const AnsiString& name, TInvokeKind kind, std::span<Variant> args) {
  // The member may drop the last outside reference (by writing Empty into a
  // by-reference argument that held this very object, say); the object must
  // outlive the call all the same.
  TDispatchRef keepAlive(this);

  const TDispatchTable& table = DispatchTable();
  const TDispatchMember* member = table.Find(name);
  if (!member)
    throw EOleException(TOleErrorKind::UnknownMember, table.ClassName() + "." + name,
                        "unknown member");
  const AnsiString source = table.ClassName() + "." + member->Name;

  const TDispatchAccessor* accessor = nullptr;
  if (kind == TInvokeKind::PropertyPut) {
    if (!member->Setter)
      throw EOleException(
          TOleErrorKind::ReadOnly, source,
          member->Method ? "a method cannot be assigned" : "the property is read-only");
    accessor = &member->Setter;
  } else {
    accessor = member->Method ? &member->Method : &member->Getter;
  }

  const int given = static_cast<int>(args.size());
  if (accessor->ArgCount >= 0 && accessor->ArgCount != given)
    throw EOleException(
        TOleErrorKind::BadArgCount, source,
        ArgCountText(accessor->ArgCount) + " expected, " + std::to_string(given) + " given");

  try {
    return accessor->Call(*this, args);
  } catch (const DispatchBinding::TArgError& e) {
    throw EOleException(TOleErrorKind::TypeMismatch, source,
                        "argument " + std::to_string(e.Index + 1) + ": " + e.Message);
  } catch (const Exception& e) {
    throw EOleException(TOleErrorKind::Exception, source, e.Message());
  } catch (const std::exception& e) {
    throw EOleException(TOleErrorKind::Exception, source, e.what());
  } catch (...) {
    throw EOleException(TOleErrorKind::Exception, source, "unknown exception");
  }
}
