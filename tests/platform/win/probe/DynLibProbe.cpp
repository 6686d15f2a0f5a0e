// A tiny library for DynLibTest to load. Plain C entry points and one counter,
// so that a reload shows whether the library was really unloaded in between
// (nothing here may make it unloadable, such as C++ statics in inline code).
#include <unistd.h>

extern "C" int ProbeAnswer() { return 42; }

extern "C" int ProbeNextCount() {
  static int count = 0;
  return ++count;
}

// Makes the C library a dependency, so that a look-up of one of its functions
// through this library's handle shows whether dependencies leak through.
extern "C" int ProbePid() { return static_cast<int>(getpid()); }
