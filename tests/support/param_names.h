// Names parameterised test cases by the `name` member of their case.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace test_support {

struct ByName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& p) const {
    return p.param.name;
  }
};

}  // namespace test_support
