// Test support for the application server: an installation in a temporary
// folder (a registry file that KULR_REGISTRY points at, naming the server
// folder and the in-process server module for both program ids, and the
// server profile HelmarS.ini), and the two ways a test reaches the objects:
// created by program id through the module, as a client does, or built
// directly from the static library.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "appserver/AppServerObjects.h"
#include "appserver/AppServerStore.h"
#include "appserver/QueueManager.h"
#include "appserver/ReportServer.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/Variant.h"
#include "platform/win/TempDir.h"

#ifndef KULR_APPSERVER_MODULE_PATH
#error "the build passes the module's path in KULR_APPSERVER_MODULE_PATH"
#endif

enum class TCreation { Direct, InProcServer };

inline void PrintTo(TCreation how, std::ostream* os) {
  *os << (how == TCreation::Direct ? "Direct" : "InProcServer");
}

inline std::string CreationName(const ::testing::TestParamInfo<TCreation>& info) {
  return info.param == TCreation::Direct ? "Direct" : "InProcServer";
}

class TAppServerInstall {
public:
  // mainDBName is the profile's MainDBName ("" for the default file).
  explicit TAppServerInstall(const std::string& mainDBName = "")
      : FRegistry("KULR_REGISTRY", FDir / "registry.ini"), FServerPath(FDir / "server/") {
    WriteRegistry(true);
    WriteProfile(mainDBName);
  }

  void WriteRegistry(bool withServerPath) {
    std::string text = "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\n";
    if (withServerPath) text += "ServerPath=" + FServerPath + "\n";
    for (const char* id : {ReportServerProgId, QueueManagerProgId, "KulrTest.NotServed"})
      text += std::string("[HKEY_CLASSES_ROOT\\") + id + "\\InprocServer32]\n@=" +
              KULR_APPSERVER_MODULE_PATH + "\n";
    FDir.WriteFile("registry.ini", text);
  }

  void WriteProfile(const std::string& mainDBName) {
    FDir.WriteFile("server/HelmarS.ini",
                   "[DBE Setting]\nMainAlias=Main\nMainDBType=MSSQL\nMainDBName=" + mainDBName +
                       "\n[CodePage]\nDBCodePage=936\n");
  }

  // The store file the profile names by default.
  std::string DatabasePath() const { return FServerPath + "appserver.db"; }
  TAppServerConfig Config() const { return TAppServerConfig{DatabasePath(), 936}; }

  // A new object, held by the Variant.
  Variant Create(TCreation how, const char* progId) const {
    if (how == TCreation::InProcServer) return CreateOleObject(progId);
    return Variant(TDispatchRef(CreateAppServerObject(progId, Config())));
  }

  TTempDir FDir;
  TScopedEnv FRegistry;
  const std::string FServerPath;  // with its trailing "/"
};
