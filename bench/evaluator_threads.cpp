// Independent evaluators side by side: one evaluator per thread on the same
// workload, at one and at two threads. The throughput (formulas per second
// of wall time, all threads together) shows how evaluators scale.
#include <benchmark/benchmark.h>

#include <string>

#include "formel_evaluator.h"
#include "runners.h"

namespace formel_bench {

namespace {

void RunEvaluator(benchmark::State& state, const Workload& w) {
  formel_evaluator* ev = formel_new();
  formel_register_standard_functions(ev);
  formel_set_var_int(ev, "x", 5);
  const char* formula = w.formula.c_str();
  for (auto _ : state) benchmark::DoNotOptimize(formel_evaluate(ev, formula));
  state.SetItemsProcessed(state.iterations());
  formel_free(ev);
}

}  // namespace

void RegisterEvaluatorThreads(const Workload& w) {
  benchmark::RegisterBenchmark((std::string(kEvaluatorsEngine) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunEvaluator(state, w); })
      ->Threads(1)
      ->Threads(2)
      ->UseRealTime();
}

}  // namespace formel_bench
