// Independent evaluators side by side: one evaluator per thread on the same
// workload, at one and at two threads. The throughput (formulas per second
// of wall time, all threads together) shows how evaluators scale. Also the
// memory an idle evaluator holds, new and after use.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "formel_evaluator.h"
#include "heap_in_use.h"
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

// Bytes of the process heap per evaluator: made, then after each has
// evaluated a formula with the standard functions registered.
void MeasureIdleMemory(benchmark::State& state) {
  constexpr int kCount = 1000;
  for (auto _ : state) {
    std::vector<formel_evaluator*> evs;
    evs.reserve(kCount);
    const std::size_t before = HeapInUse();
    for (int i = 0; i < kCount; ++i) evs.push_back(formel_new());
    const std::size_t made = HeapInUse();
    for (formel_evaluator* ev : evs) {
      formel_register_standard_functions(ev);
      formel_set_var(ev, "x", "5");
      benchmark::DoNotOptimize(formel_evaluate(ev, "2*max(1,[x])+1&\"abc\"=(1+2)"));
    }
    const std::size_t used = HeapInUse();
    state.counters["new_bytes"] = static_cast<double>(made - before) / kCount;
    state.counters["used_bytes"] = static_cast<double>(used - before) / kCount;
    for (formel_evaluator* ev : evs) formel_free(ev);
  }
}

}  // namespace

void RegisterIdleMemory() {
  benchmark::RegisterBenchmark((std::string(kEvaluatorsEngine) + "/idle_memory").c_str(),
                               &MeasureIdleMemory)
      ->Iterations(1)
      ->Repetitions(1);
}

void RegisterEvaluatorThreads(const Workload& w) {
  benchmark::RegisterBenchmark((std::string(kEvaluatorsEngine) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunEvaluator(state, w); })
      ->Threads(1)
      ->Threads(2)
      ->UseRealTime();
}

}  // namespace formel_bench
