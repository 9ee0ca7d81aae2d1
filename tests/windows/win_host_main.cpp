// The Windows test host: loads formel.dll the way a Windows program does and
// checks its classic exports and its evaluator API against the shared
// formula cases and, on 32-bit Windows, the calling convention.
// Usage: formel_win_host <path of formel.dll> <formula case file>
#include <cstdio>
#include <exception>

#include "host_check.h"
#include "host_checks.h"

int main(int argc, char** argv) {
  using namespace win_host;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FORMEL_DLL FORMULA_CASES\n", argv[0]);
    return 2;
  }
  std::vector<formel_test::FormulaCase> cases;
  try {
    cases = formel_test::ReadFormulaCases(argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  Check(!cases.empty(), "the case file holds cases");

  FormelDll dll;
  if (LoadFormelDll(argv[1], dll)) {
    CheckEntryReasons(dll);
    RunCaseFile(dll, cases, "C locale:");
    RunCaseFileOnEvaluatorThreads(dll, cases);
    CheckEvaluatorApi(dll);
#if !defined(_WIN64)
    CheckStackBalance(dll);
    CheckResultPositionCallers(dll);
    CheckEvaluatorStackBalance(dll);
#endif
    RunCaseFileInGermanLocale(dll, cases);
    CheckReloadGivesEmptyTables(dll, argv[1]);
    UnloadFormelDll(dll);
  }
  std::printf("%d passed, %d failed\n", Results().passed, Results().failed);
  return Results().failed == 0 ? 0 : 1;
}
