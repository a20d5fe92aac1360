#pragma once
// Expecting a VB run-time error by number.
#include <gtest/gtest.h>

#include <functional>

#include "platform/vb/error.h"

namespace vb_test {

// The number of the vb::Error the call raised, or 0 when it raised none.
inline int32_t ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace vb_test

#define EXPECT_RAISES(number, expression) \
  EXPECT_EQ((number), vb_test::ErrorOf([&] { (void)(expression); })) << #expression
