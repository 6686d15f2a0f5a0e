// Test helper: an action must raise E with a message containing a part.
#pragma once

#include <gtest/gtest.h>

#include <string>

template <class E, class F>
void ExpectThrowWith(F&& action, const std::string& part) {
  try {
    action();
    ADD_FAILURE() << "nothing raised; expected a message with \"" << part << "\"";
  } catch (const E& e) {
    EXPECT_NE(std::string(e.Message()).find(part), std::string::npos) << "message: " << e.Message();
  }
}
