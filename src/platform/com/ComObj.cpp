#include "platform/com/ComObj.h"

#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/win/DynLib.h"
#include "platform/win/Registry.h"

namespace {

// Program ids ignore ASCII case, as registry keys do.
AnsiString ProgIdKey(const AnsiString& progId) {
  AnsiString key = progId;
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

struct TFactoryRegistry {
  std::mutex Lock;
  std::map<AnsiString, TClassFactory> Factories;  // by ProgIdKey
  // Servers loaded so far, by path; never freed (see ComObj.h).
  std::map<AnsiString, TKulrCreateObjectProc> Servers;
};

TFactoryRegistry& Registry() {
  static TFactoryRegistry* registry = new TFactoryRegistry;  // outlives static destructors
  return *registry;
}

std::optional<TClassFactory> FindFactory(const AnsiString& progId) {
  TFactoryRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  auto it = registry.Factories.find(ProgIdKey(progId));
  if (it == registry.Factories.end()) return std::nullopt;
  return it->second;
}

[[noreturn]] void RaiseInvalidClassString(const AnsiString& progId, const AnsiString& why) {
  throw EOleException(TOleErrorKind::InvalidClassString, progId, why, "Invalid class string");
}

// Runs a factory; anything it raises becomes CreationFailed.
template <class F>
TDispatchRef RunFactory(const AnsiString& progId, const AnsiString& where, F&& factory) {
  TDispatchRef object;
  try {
    object = factory();
  } catch (const Exception& e) {
    throw EOleException(TOleErrorKind::CreationFailed, progId, where + e.Message());
  } catch (const std::exception& e) {
    throw EOleException(TOleErrorKind::CreationFailed, progId, where + e.what());
  }
  if (!object)
    throw EOleException(TOleErrorKind::CreationFailed, progId, where + "no object was created");
  return object;
}

// The factory exported by the server at path, loading it on first use.
TKulrCreateObjectProc ServerFactory(const AnsiString& progId, const AnsiString& path) {
  TFactoryRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  if (auto it = registry.Servers.find(path); it != registry.Servers.end()) return it->second;

  HMODULE module = LoadLibrary(path, LOAD_KEEP_LOADED);
  if (!module)
    throw EOleException(TOleErrorKind::ServerLoad, progId,
                        "cannot load the server " + path + ": " + GetLastLoadError());
  auto proc = GetProcAddressAs<TKulrCreateObjectProc>(module, KulrCreateObjectName);
  if (!proc) {
    FreeLibrary(module);
    throw EOleException(TOleErrorKind::ServerLoad, progId,
                        "the server " + path + " does not export " + KulrCreateObjectName);
  }
  registry.Servers.emplace(path, proc);
  return proc;
}

}  // namespace

// ---- EOleException ----

const char* OleErrorKindName(TOleErrorKind kind) {
  switch (kind) {
    case TOleErrorKind::NotAnObject:
      return "NotAnObject";
    case TOleErrorKind::UnknownMember:
      return "UnknownMember";
    case TOleErrorKind::BadArgCount:
      return "BadArgCount";
    case TOleErrorKind::TypeMismatch:
      return "TypeMismatch";
    case TOleErrorKind::ReadOnly:
      return "ReadOnly";
    case TOleErrorKind::Exception:
      return "Exception";
    case TOleErrorKind::InvalidClassString:
      return "InvalidClassString";
    case TOleErrorKind::ServerLoad:
      return "ServerLoad";
    case TOleErrorKind::CreationFailed:
      return "CreationFailed";
  }
  return "?";
}

EOleException::EOleException(TOleErrorKind kind, AnsiString source, AnsiString description)
    : EOleException(kind, source, description, source + ": " + description) {}

EOleException::EOleException(TOleErrorKind kind, AnsiString source, AnsiString description,
                             AnsiString message)
    : EOleError(std::move(message)),
      FKind(kind),
      FSource(std::move(source)),
      FDescription(std::move(description)) {}

// ---- Factories ----

void RegisterClassFactory(const AnsiString& progId, TClassFactory factory) {
  if (progId.empty()) throw EOleError("RegisterClassFactory: the program id is empty");
  if (!factory) throw EOleError("RegisterClassFactory(" + progId + "): the factory is empty");
  TFactoryRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  registry.Factories[ProgIdKey(progId)] = std::move(factory);
}

bool UnregisterClassFactory(const AnsiString& progId) {
  TFactoryRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  return registry.Factories.erase(ProgIdKey(progId)) > 0;
}

// ---- Creation ----

Variant CreateOleObject(const AnsiString& progId) {
  if (progId.empty()) RaiseInvalidClassString(progId, "the program id is empty");
  // A "\" would make the id a path to some other registry key, and a control
  // byte (NUL above all) would name a different id to the server's factory.
  for (unsigned char c : progId) {
    if (c == '\\' || c < 0x20)
      RaiseInvalidClassString(progId, "a program id has no \"\\\" and no control characters");
  }

  // Called outside the lock: a factory may create other objects.
  if (std::optional<TClassFactory> factory = FindFactory(progId))
    return Variant(RunFactory(progId, "", *factory));

  const AnsiString keyPath = progId + "\\InprocServer32";
  AnsiString path;
  try {
    TRegistry registry(HKEY_CLASSES_ROOT);
    if (!registry.OpenKeyReadOnly("\\" + keyPath))
      RaiseInvalidClassString(progId, "neither a registered factory nor HKEY_CLASSES_ROOT\\" +
                                          keyPath + " names a server");
    path = registry.ReadString("");
  } catch (const EOleError&) {
    throw;
  } catch (const Exception& e) {
    // A registry file that cannot be read.
    throw EOleException(TOleErrorKind::ServerLoad, progId, e.Message());
  }
  if (path.empty())
    throw EOleException(TOleErrorKind::ServerLoad, progId,
                        "HKEY_CLASSES_ROOT\\" + keyPath + " names no library");

  TKulrCreateObjectProc create = ServerFactory(progId, path);
  return Variant(
      RunFactory(progId, path + ": ", [&] { return TDispatchRef(create(progId.c_str())); }));
}
