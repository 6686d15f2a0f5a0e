// Test helper for automation errors.
#pragma once

#include <gtest/gtest.h>

#include "platform/com/ComObj.h"

// Runs f and returns the EOleException it raises (failing when it raises none).
template <class F>
EOleException CatchOle(F f) {
  try {
    f();
  } catch (const EOleException& e) {
    return e;
  }
  ADD_FAILURE() << "no EOleException raised";
  return EOleException(TOleErrorKind::Exception, "", "");
}
