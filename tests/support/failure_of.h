// Catching the failure report a statement of the text I/O layer throws.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "textio/failure.h"

namespace smproc::testing {

// The failure that `statement` throws; a test failure when it throws none.
inline textio::Failure failure_of(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const textio::Failure& f) {
    return f;
  }
  ADD_FAILURE() << "no failure";
  return {};
}

}  // namespace smproc::testing
