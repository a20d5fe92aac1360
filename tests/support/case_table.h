#pragma once
// Tables of one-text cases: each text through the procedure, the text named
// in a failure.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/printable.h"

namespace qe_test {

template <class Result, class Procedure>
void ExpectEach(Procedure procedure, const std::vector<std::pair<vb::String, Result>>& cases) {
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(Printable(text));
    EXPECT_EQ(procedure(text), expected);
  }
}

}  // namespace qe_test
