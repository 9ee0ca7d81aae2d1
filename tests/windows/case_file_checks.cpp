#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_check.h"
#include "host_checks.h"
#include "support/host_functions.h"

namespace win_host {

namespace {

using formel_test::FormulaCase;

std::string Describe(const FormulaCase& c) {
  return "case '" + c.name + "' (line " + std::to_string(c.line) + ")";
}

// Fresh tables, then the case's variables and functions. Empty when all
// went in, else what went wrong.
std::string SetUpCase(const FormelDll& dll, const FormulaCase& c) {
  if (dll.AttachProcess(nullptr) != 0) return "AttachProcess did not return 0";
  for (const auto& [name, value] : c.vars) {
    if (dll.SetVarS(name.c_str(), value.c_str()) != 1) return "SetVarS failed for " + name;
  }
  for (const auto& [name, impl] : c.funcs) {
    const auto* host = formel_test::FindHostImpl(impl);
    if (host == nullptr) return "unknown host impl " + impl;
    if (dll.SetFunc(name.c_str(), host->paramCount, host->callId) != 1) return "SetFunc failed for " + name;
  }
  return {};
}

// The first locale name the C runtime accepts, or null.
const char* SwitchToGermanLocale() {
  for (const char* name : {"German_Germany.1252", "German", "de-DE", "deu"}) {
    if (const char* set = std::setlocale(LC_ALL, name)) return set;
  }
  return nullptr;
}

// Every case on a fresh evaluator of its own, with the impls as host
// functions of the evaluator API: the result texts, in the file's order.
std::vector<std::string> EvaluateCases(const FormelDll& dll, const std::vector<FormulaCase>& cases) {
  std::vector<std::string> results;
  for (const FormulaCase& c : cases) {
    formel_evaluator* ev = dll.formel_new();
    formel_test::SetReentryEvaluator(ev, dll.formel_evaluate);
    for (const auto& [name, value] : c.vars) dll.formel_set_var(ev, name.c_str(), value.c_str());
    for (const auto& [name, impl] : c.funcs) {
      formel_test::RegisterClosure(dll.formel_set_function, ev, name, impl);
    }
    results.push_back(TextOf(dll.formel_evaluate(ev, c.formula.c_str())));
    dll.formel_free(ev);
  }
  formel_test::SetReentryEvaluator(nullptr, nullptr);
  return results;
}

struct CaseRun {
  const FormelDll* dll;
  const std::vector<FormulaCase>* cases;
  std::vector<std::string> results;
};

DWORD WINAPI RunCasesOnThread(void* run) {
  CaseRun& r = *static_cast<CaseRun*>(run);
  r.results = EvaluateCases(*r.dll, *r.cases);
  return 0;
}

}  // namespace

void RunCaseFile(const FormelDll& dll, const std::vector<FormulaCase>& cases, const std::string& label) {
  formel_test::SetReentryFormel(dll.Formel);
  const Tally before = Results();
  const auto start = std::chrono::steady_clock::now();
  for (const FormulaCase& c : cases) {
    const std::string failure = SetUpCase(dll, c);
    if (!Check(failure.empty(), label + " " + Describe(c) + ": " + failure)) continue;
    CheckText(dll.Formel(c.formula.c_str()), c.expect,
              label + " " + Describe(c) + ", formula [" + c.formula + "]");
  }
  // The run's figures, for the log (not checked).
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  const std::string figures = label + " " + std::to_string(cases.size()) + " cases, " +
                              std::to_string(Results().passed - before.passed) + " checks passed, " +
                              std::to_string(Results().failed - before.failed) + " failed, " +
                              std::to_string(us.count()) + " us";
  std::puts(figures.c_str());
}

void RunCaseFileInGermanLocale(const FormelDll& dll, const std::vector<FormulaCase>& cases) {
  const char* locale = SwitchToGermanLocale();
  if (!Check(locale != nullptr, "the C runtime offers a German locale")) return;
  // Make sure the switch took: the runtime itself now reads a decimal comma.
  Check(std::localeconv()->decimal_point[0] == ',', "German locale has a decimal comma");
  Check(std::atof("1,5") == 1.5, "the C runtime reads 1,5 as one and a half");
  RunCaseFile(dll, cases, std::string("in locale ") + locale + ":");
  std::setlocale(LC_ALL, "C");
}

void RunCaseFileOnEvaluatorThreads(const FormelDll& dll, const std::vector<FormulaCase>& cases) {
  const std::vector<std::string> single = EvaluateCases(dll, cases);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    CheckText(single[i], cases[i].expect, "one evaluator per " + Describe(cases[i]));
  }

  constexpr int kThreads = 4;
  std::vector<CaseRun> runs(kThreads, CaseRun{&dll, &cases, {}});
  std::vector<HANDLE> threads;
  for (CaseRun& run : runs) {
    const HANDLE thread = CreateThread(nullptr, 0, &RunCasesOnThread, &run, 0, nullptr);
    if (Check(thread != nullptr, "CreateThread")) threads.push_back(thread);
  }
  WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  for (const HANDLE thread : threads) CloseHandle(thread);
  for (std::size_t t = 0; t < threads.size(); ++t) {
    const std::vector<std::string>& got = runs[t].results;
    std::size_t differ = 0;
    for (std::size_t i = 0; i < got.size() && i < single.size(); ++i) differ += got[i] != single[i];
    Check(got.size() == single.size() && differ == 0,
          "thread " + std::to_string(t) + " of " + std::to_string(kThreads) + ": " +
              std::to_string(differ) + " of " + std::to_string(got.size()) +
              " results differ from one thread's");
  }
}

}  // namespace win_host
