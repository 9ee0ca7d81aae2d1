// Shared by the hostile-input suites: a freshly started library per test,
// the test host functions registered by name, and small text helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "formel.h"
#include "api/evaluator.h"
#include "support/host_functions.h"

namespace formel_hostile {

inline std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out.append(unit);
  return out;
}

// Formel never answers with a null text; a null here fails the test.
inline std::string Eval(const std::string& formula) {
  const char* result = Formel(formula.c_str());
  EXPECT_NE(result, nullptr) << formula;
  return result == nullptr ? std::string("<null>") : std::string(result);
}

template <class F>
FormelCallID Id(F f) {
  return reinterpret_cast<FormelCallID>(f);
}

class HostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DLLEntryPoint(nullptr, 1, nullptr);
    formel_test::SetReentryFormel(&Formel);
  }
  void TearDown() override { DLLEntryPoint(nullptr, 0, nullptr); }

  // Registers one of the shared test impls under its own name.
  static void Register(const std::string& impl) {
    const formel_test::HostImpl* host = formel_test::FindHostImpl(impl);
    ASSERT_NE(host, nullptr) << impl;
    ASSERT_EQ(SetFunc(impl.c_str(), host->paramCount, host->callId), 1);
  }
};

}  // namespace formel_hostile
