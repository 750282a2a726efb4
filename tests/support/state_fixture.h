// A fresh AnalysisState per test (on the heap: it holds the 1 MiB input block), and the text
// the analyser prints while a piece of test code runs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "state/analysis_state.h"
#include "support/stdout_capture.h"

namespace test_support {

class StateTest : public ::testing::Test {
 protected:
  StateTest() : state_(std::make_unique<AnalysisState>()) {}

  AnalysisState& state() { return *state_; }

  template <typename Code>
  std::string printed(Code&& code) {
    return capture_stdout(state_->out, std::forward<Code>(code));
  }

  std::unique_ptr<AnalysisState> state_;
};

}  // namespace test_support
