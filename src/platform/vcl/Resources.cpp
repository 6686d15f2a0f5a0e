#include "platform/vcl/Resources.h"

#include <memory>
#include <mutex>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

namespace {

struct TRegistry {
  std::mutex Lock;
  // Registration order is kept for RegisteredResourceNames; lookups are few
  // and small, a linear walk is enough. Entries are heap-held so that the
  // pointers handed out survive later registrations.
  std::vector<std::unique_ptr<TResource>> Entries;

  TResource* Find(std::string_view name) {
    for (auto& entry : Entries) {
      // ASCII-only folding: class names are ASCII identifiers.
      if (SameText(entry->Name, name, 1252)) return entry.get();
    }
    return nullptr;
  }
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

}  // namespace

void RegisterResource(std::string_view name, std::string_view bytes, std::string_view fileName) {
  if (name.empty()) throw EInvalidOperation("RegisterResource: empty resource name (file '" + AnsiString(fileName) + "')");
  TRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  if (TResource* existing = registry.Find(name)) {
    if (existing->Bytes == bytes) return;
    throw EInvalidOperation("RegisterResource: resource '" + AnsiString(name) + "' from '" + AnsiString(fileName) +
                            "' is already registered from '" + existing->FileName + "'");
  }
  auto entry = std::make_unique<TResource>();
  entry->Name = AnsiString(name);
  entry->FileName = fileName.empty() ? AnsiString(name) : AnsiString(fileName);
  entry->Bytes = AnsiString(bytes);
  registry.Entries.push_back(std::move(entry));
}

bool UnregisterResource(std::string_view name) {
  TRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  for (auto it = registry.Entries.begin(); it != registry.Entries.end(); ++it) {
    if (SameText((*it)->Name, name, 1252)) {
      registry.Entries.erase(it);
      return true;
    }
  }
  return false;
}

const AnsiString* FindResource(std::string_view name) {
  const TResource* entry = FindResourceEntry(name);
  return entry ? &entry->Bytes : nullptr;
}

const TResource* FindResourceEntry(std::string_view name) {
  TRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  return registry.Find(name);
}

std::vector<AnsiString> RegisteredResourceNames() {
  TRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  std::vector<AnsiString> names;
  names.reserve(registry.Entries.size());
  for (auto& entry : registry.Entries) names.push_back(entry->Name);
  return names;
}
