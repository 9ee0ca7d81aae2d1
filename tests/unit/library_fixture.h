// Every unit suite starts from a freshly started library and ends it again.
#pragma once

#include <gtest/gtest.h>

#include "api/evaluator.h"
#include "formel.h"

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { DLLEntryPoint(nullptr, 1, nullptr); }
  void TearDown() override { DLLEntryPoint(nullptr, 0, nullptr); }
  formel::Evaluator& Lib() { return *formel::DefaultEvaluator(); }
  formel::EvalContext& Ctx() { return Lib().eval; }
};
