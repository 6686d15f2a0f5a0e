// The process's registry of embedded resources: form descriptions (and any
// other data) compiled into a module at build time and registered by name
// when the module starts. A form resource is registered under the class name
// of its top object ("TfrmBaseGene" for BaseGene.dfm, whose top object is
// "object frmBaseGene: TfrmBaseGene"), which is how the form reader finds a
// class's resource; names compare ignoring ASCII case, as class names do.
#pragma once

#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

struct TResource {
  AnsiString Name;
  // Where the resource came from ("tests/platform/vcl/forms/Test.dfm"); form
  // resource errors name this file.
  AnsiString FileName;
  AnsiString Bytes;
};

// Registers a copy of bytes under name. Registering the same name again with
// the same bytes changes nothing (a module's registration function may run
// twice); with other bytes it raises EInvalidOperation naming both files,
// because two forms would then claim one class. An empty name raises too.
void RegisterResource(std::string_view name, std::string_view bytes, std::string_view fileName = {});
// Removes a registration (a test's inline resource); false when absent.
bool UnregisterResource(std::string_view name);

// The bytes registered under name, or null. The pointer stays valid until the
// name is unregistered.
const AnsiString* FindResource(std::string_view name);
// The whole entry, or null.
const TResource* FindResourceEntry(std::string_view name);

// The names of every registered resource, in registration order.
std::vector<AnsiString> RegisteredResourceNames();
