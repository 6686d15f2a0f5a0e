// AppServerObjects: creation of the application server's automation objects
// by program id, for the in-process server module (KulrCreateObject) and
// for whoever hosts the objects in its own process (the TCP daemon, tests).
// Every object opens its own connection to the store.
#pragma once

#include "appserver/AppServerStore.h"
#include "platform/rtl/Dispatch.h"

// A new object (reference count 0) for "DerezaRozududA.dmReportCounter" or
// "VivarIzivozuD.Class1" (ignoring ASCII case) on the store of config, or
// null for an id this server does not serve. Raises EStoreError when the
// store cannot be opened.
IDispatch* CreateAppServerObject(const char* progId, const TAppServerConfig& config);
// The same on the store the server profile names (TAppServerConfig::FromProfile).
IDispatch* CreateAppServerObject(const char* progId);
