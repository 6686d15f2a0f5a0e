#include "platform/win/Platform.h"

#include "platform/rtl/CodePage.h"
#include "platform/win/SystemInfo.h"

void InitializePlatform() { SetSystemCodePageResolver(&RegistryCodePage); }
