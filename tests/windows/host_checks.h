// The groups of checks the Windows host runs against a loaded formel.dll.
#pragma once

#include <string>
#include <vector>

#include "formel_dll.h"
#include "support/formula_cases.h"

namespace win_host {

// Every case of the shared file, each on fresh tables; label names the run.
void RunCaseFile(const FormelDll& dll, const std::vector<formel_test::FormulaCase>& cases,
                 const std::string& label);
// The same cases again with the host's C runtime switched to a German
// locale (decimal comma): the library's numbers must not follow it.
void RunCaseFileInGermanLocale(const FormelDll& dll, const std::vector<formel_test::FormulaCase>& cases);

// The same cases through the evaluator API, one evaluator per case: first
// on this thread, then on four threads at once, each of which must give
// this thread's results.
void RunCaseFileOnEvaluatorThreads(const FormelDll& dll, const std::vector<formel_test::FormulaCase>& cases);

// The evaluator API: independent tables, host functions and re-entry, the
// observer, the standard functions, null and out-of-range arguments.
void CheckEvaluatorApi(const FormelDll& dll);

// DLLEntryPoint answers 1 to every reason; only attach and detach act.
void CheckEntryReasons(const FormelDll& dll);
// FreeLibrary then LoadLibrary: a new private heap and empty tables.
void CheckReloadGivesEmptyTables(FormelDll& dll, const std::string& path);

#if !defined(_WIN64)
// 32-bit only: there the exports use the standard calling convention, in
// which the callee removes its arguments. (x64 has one convention, in which
// the caller owns the stack.)
// Each export removes exactly its own arguments.
void CheckStackBalance(const FormelDll& dll);
// A caller that pushes a result position before the argument and removes
// it itself gets the text through the returned address.
void CheckResultPositionCallers(const FormelDll& dll);
// The same for the evaluator API's functions and for the library's calls
// of its host functions and observer.
void CheckEvaluatorStackBalance(const FormelDll& dll);
#endif

}  // namespace win_host
