// Start-up of the platform layer: the one call the plug-in and the host make
// before anything else, instead of static registration objects.
#pragma once

// Registers the system-code-page resolver that reads the registry file (see
// RegistryCodePage) and falls back to the locale's codeset. Calling it again
// does no harm; it forgets a code page resolved before, so call it before
// converting any text.
void InitializePlatform();
