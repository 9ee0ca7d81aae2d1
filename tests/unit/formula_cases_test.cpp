// Runs the shared formula case file through the public Formel.
#include <gtest/gtest.h>

#include "formel.h"
#include "support/formula_cases.h"
#include "support/host_functions.h"

namespace {

using formel_test::FormulaCase;

class FormulaCaseTest : public ::testing::TestWithParam<FormulaCase> {
 protected:
  void SetUp() override {
    DLLEntryPoint(nullptr, 1, nullptr);
    formel_test::SetReentryFormel(&Formel);
  }
  void TearDown() override { DLLEntryPoint(nullptr, 0, nullptr); }
};

TEST_P(FormulaCaseTest, GivesExpectedResult) {
  const FormulaCase& c = GetParam();
  for (const auto& [name, value] : c.vars) ASSERT_EQ(SetVarS(name.c_str(), value.c_str()), 1);
  for (const auto& [name, impl] : c.funcs) {
    const auto* host = formel_test::FindHostImpl(impl);
    ASSERT_NE(host, nullptr) << "unknown host impl " << impl;
    ASSERT_EQ(SetFunc(name.c_str(), host->paramCount, host->callId), 1);
  }
  EXPECT_EQ(std::string(Formel(c.formula.c_str())), c.expect)
      << "case '" << c.name << "' (line " << c.line << "), formula [" << c.formula << "]";
}

std::string CaseName(const ::testing::TestParamInfo<FormulaCase>& info) {
  return "line" + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(SharedFile, FormulaCaseTest,
                         ::testing::ValuesIn(formel_test::ReadFormulaCases(FORMEL_CASES_FILE)),
                         CaseName);

}  // namespace
