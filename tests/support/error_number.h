#pragma once
// The number of the RunTimeError that `f` raises; 0 when it raises none.
#include <gtest/gtest.h>

#include "core/run_time_error.h"

namespace tallix::testing {

template <typename F>
int ErrorNumber(F&& f) {
  try {
    f();
  } catch (const RunTimeError& e) {
    EXPECT_FALSE(e.Description.empty());
    return e.Number;
  }
  return 0;
}

}  // namespace tallix::testing
