#include "platform/vcl/Method.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <utility>

namespace {

struct TEntryRegistry {
  std::mutex Mutex;
  std::map<std::pair<std::type_index, kulr_detail::TPmfKey>, TMethodEntry*> Interned;
  std::unordered_set<const void*> All;
};

// Never destroyed: method pointers may be called from static destructors.
TEntryRegistry& Registry() {
  static TEntryRegistry* registry = new TEntryRegistry;
  return *registry;
}

AnsiString Demangle(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? AnsiString(name.get()) : AnsiString(type.name());
}

AnsiString DescribeMethod(const TMethodEntry& entry) {
  AnsiString text = entry.Name().empty() ? AnsiString("(unnamed method)") : "Method " + entry.Name();
  if (const TClass* owner = entry.DeclaringClass()) text += " of " + owner->ClassName();
  return text;
}

}  // namespace

TMethodEntry::~TMethodEntry() = default;

AnsiString TMethodEntry::SignatureText() const { return Demangle(*FSignature); }

const TMethodEntry* FindMethodEntry(const void* code) {
  if (code == nullptr) return nullptr;
  TEntryRegistry& registry = Registry();
  std::lock_guard lock(registry.Mutex);
  if (!registry.All.contains(code)) return nullptr;
  return static_cast<const TMethodEntry*>(code);
}

AnsiString MethodName(const void* code) {
  const TMethodEntry* entry = FindMethodEntry(code);
  return entry != nullptr ? entry->Name() : AnsiString();
}

namespace kulr_detail {

void PublishMethodEntry(TMethodEntry& entry, std::string_view name) {
  TEntryRegistry& registry = Registry();
  std::lock_guard lock(registry.Mutex);
  // A member function published twice keeps its first name, so that
  // MethodName gives the same answer whichever record was built first.
  if (entry.FName.empty()) entry.FName = AnsiString(name);
}

TMethodEntry& InternEntry(std::type_index pmfType, const TPmfKey& key,
                          TMethodEntry* (*make)(const void* pmf), const void* pmf) {
  TEntryRegistry& registry = Registry();
  std::lock_guard lock(registry.Mutex);
  auto [it, inserted] = registry.Interned.try_emplace(std::make_pair(pmfType, key), nullptr);
  if (inserted) {
    it->second = make(pmf);
    registry.All.insert(it->second->Code());
  }
  return *it->second;
}

TMethodEntry& AddEntry(TMethodEntry* entry) {
  TEntryRegistry& registry = Registry();
  std::lock_guard lock(registry.Mutex);
  registry.All.insert(entry->Code());
  return *entry;
}

void RaiseBadData(const TMethodEntry& entry, const TObject* data) {
  if (data == nullptr)
    throw EInvalidOperation(DescribeMethod(entry) + " was called without an object (the data half is nil)");
  throw EInvalidOperation(DescribeMethod(entry) + " cannot run on a " + data->ClassName());
}

void RaiseBadSignature(const void* code, const char* eventType, const std::type_info& wanted) {
  const TMethodEntry* entry = FindMethodEntry(code);
  if (entry == nullptr) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", code);
    throw EInvalidOperation(AnsiString("The code half ") + address + " of a " + eventType +
                            " is not a method");
  }
  throw EInvalidOperation(DescribeMethod(*entry) + " has the signature " + entry->SignatureText() +
                          " and cannot be called as " + eventType + " (" + Demangle(wanted) + ")");
}

void RaiseUnassigned(const char* eventType) {
  throw EInvalidOperation(AnsiString("Call of an unassigned ") + eventType);
}

}  // namespace kulr_detail
