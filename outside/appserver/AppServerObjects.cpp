#include "appserver/AppServerObjects.h"

#include <strings.h>

#include "appserver/QueueManager.h"
#include "appserver/ReportServer.h"

namespace {

bool Serves(const char* progId) {
  return strcasecmp(progId, ReportServerProgId) == 0 ||
         strcasecmp(progId, QueueManagerProgId) == 0;
}

}  // namespace

IDispatch* CreateAppServerObject(const char* progId, const TAppServerConfig& config) {
  if (progId == nullptr) return nullptr;
  if (strcasecmp(progId, ReportServerProgId) == 0) return new TReportServer(config);
  if (strcasecmp(progId, QueueManagerProgId) == 0) return new TQueueManager(config);
  return nullptr;
}

IDispatch* CreateAppServerObject(const char* progId) {
  // The profile is read only for an id served here: a library asked about
  // somebody else's id answers null without touching the installation.
  if (progId == nullptr || !Serves(progId)) return nullptr;
  return CreateAppServerObject(progId, TAppServerConfig::FromProfile());
}
