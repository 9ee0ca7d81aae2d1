// Runs the shared formula case file through the program: every case that
// needs no host functions (run with an empty function table), and every case
// whose functions the program provides with the same effect.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/formula_cases.h"

namespace {

using formel_test::FormulaCase;

// Case host impl -> program stock function of the same name and effect.
const std::map<std::string, std::string> kSameFunctions = {{"max", "max"}};

bool ProgramProvides(const FormulaCase& c) {
  for (const auto& [name, impl] : c.funcs) {
    const auto same = kSameFunctions.find(impl);
    if (same == kSameFunctions.end() || same->second != name) return false;
  }
  return true;
}

// --var takes NAME=VALUE, so a name must be non-blank and free of "=".
bool VariablesExpressible(const FormulaCase& c) {
  for (const auto& [name, value] : c.vars) {
    if (name.find_first_not_of(' ') == std::string::npos || name.find('=') != std::string::npos) {
      return false;
    }
  }
  return true;
}

std::vector<FormulaCase> RunnableCases() {
  std::vector<FormulaCase> runnable;
  for (FormulaCase& c : formel_test::ReadFormulaCases(FORMEL_CASES_FILE)) {
    if (ProgramProvides(c) && VariablesExpressible(c)) runnable.push_back(std::move(c));
  }
  return runnable;
}

class ProgramCaseTest : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(ProgramCaseTest, PrintsExpectedResult) {
  const FormulaCase& c = GetParam();
  std::vector<std::string> args;
  if (c.funcs.empty()) args.push_back("--no-functions");
  for (const auto& [name, value] : c.vars) args.insert(args.end(), {"--var", name + "=" + value});
  args.insert(args.end(), {"--", c.formula});
  const formel_cli_test::ProgramRun run = formel_cli_test::RunFormel(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, c.expect + "\n")
      << "case '" << c.name << "' (line " << c.line << "), formula [" << c.formula << "]";
}

std::string CaseName(const ::testing::TestParamInfo<FormulaCase>& info) {
  return "line" + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(SharedFile, ProgramCaseTest, ::testing::ValuesIn(RunnableCases()), CaseName);

}  // namespace
