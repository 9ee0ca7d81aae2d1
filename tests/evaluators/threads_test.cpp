// Evaluators on several threads at once: each thread has its own evaluator,
// variables and host functions, and runs the shared formula cases and the
// recorded corpus; every result must be the one a single thread gives.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "formel_evaluator.h"
#include "evaluators/closure_hosts.h"
#include "support/formula_cases.h"
#include "support/recorded_corpus.h"

namespace {

using formel_test::FormulaCase;
using formel_test::RecordedGroup;

constexpr int kThreads = 4;

struct Table {
  const std::vector<std::pair<std::string, std::string>>& vars;
  const std::vector<std::pair<std::string, std::string>>& funcs;
};

// A fresh evaluator with the tables given, and one variable that only this
// thread has.
formel_evaluator* Prepare(Table t, int thread) {
  formel_evaluator* ev = formel_new();
  formel_test::SetReentryEvaluator(ev, &formel_evaluate);
  for (const auto& [name, value] : t.vars) formel_set_var(ev, name.c_str(), value.c_str());
  for (const auto& [name, impl] : t.funcs) formel_test::RegisterClosure(ev, name, impl);
  formel_set_var_int(ev, "thread_of_this_evaluator", thread);
  return ev;
}

// What one thread found wrong, as lines to print.
std::vector<std::string> RunAll(const std::vector<FormulaCase>& cases,
                                const std::vector<RecordedGroup>& corpus, int thread) {
  std::vector<std::string> wrong;
  auto check = [&](formel_evaluator* ev, const std::string& formula, const std::string& expect) {
    const std::string got = formel_evaluate(ev, formula.c_str());
    if (got != expect) wrong.push_back(formula.substr(0, 200) + " gave " + got.substr(0, 200));
    const std::string mine = formel_evaluate(ev, "[thread_of_this_evaluator]");
    if (mine != std::to_string(thread)) wrong.push_back("variable of another thread: " + mine);
  };
  for (const FormulaCase& c : cases) {
    formel_evaluator* ev = Prepare({c.vars, c.funcs}, thread);
    check(ev, c.formula, c.expect);
    formel_free(ev);
  }
  for (const RecordedGroup& g : corpus) {
    formel_evaluator* ev = Prepare({g.vars, g.funcs}, thread);
    for (const auto& f : g.formulas) check(ev, f.formula, f.expect);
    formel_free(ev);
  }
  formel_test::SetReentryEvaluator(nullptr, nullptr);
  return wrong;
}

TEST(EvaluatorsOnThreads, GiveTheSingleThreadResults) {
  const auto cases = formel_test::ReadFormulaCases(FORMEL_CASES_FILE);
  const auto corpus = formel_test::ReadRecordedCorpus(FORMEL_RECORDED_CORPUS);
  std::vector<std::vector<std::string>> wrong(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] { wrong[static_cast<std::size_t>(t)] = RunAll(cases, corpus, t); });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) {
    const auto& w = wrong[static_cast<std::size_t>(t)];
    EXPECT_TRUE(w.empty()) << "thread " << t << ": " << w.size() << " wrong, first: " << w.front();
  }
}

}  // namespace
