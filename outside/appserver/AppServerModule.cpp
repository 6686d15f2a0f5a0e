// The in-process server: the shared object that the registry names for the
// application server's program ids. It exports only the factory.
#include "appserver/AppServerObjects.h"

extern "C" __attribute__((visibility("default"))) IDispatch* KulrCreateObject(const char* progId) {
  return CreateAppServerObject(progId);
}
