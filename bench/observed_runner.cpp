// The cost of an observer: Formel's workloads on an evaluator with the same
// tables, once without an observer and once with one that sees every stage,
// group and finding and does nothing with them.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <string>

#include "formel_evaluator.h"
#include "runners.h"

namespace formel_bench {

namespace {

const char* HostMax(void*, int, const char* const* argv) {
  const double first = Number(argv[0]);
  return LargerOf(first, Number(argv[1])) == first ? argv[0] : argv[1];
}

const char* HostLastOfTen(void*, int, const char* const* argv) { return argv[9]; }

void Count(void* user, const formel_event*) { ++*static_cast<long*>(user); }

void RunObserved(benchmark::State& state, const Workload& w, bool observed) {
  formel_evaluator* ev = formel_new();
  formel_set_var_int(ev, "x", 5);
  formel_set_var(ev, "who", "world");
  for (int i = 0; i < w.tableSize; ++i) formel_set_var_int(ev, VariableName(i).c_str(), i);
  formel_set_function(ev, "max", 2, &HostMax, nullptr);
  formel_set_function(ev, "f10", 10, &HostLastOfTen, nullptr);
  long events = 0;
  if (observed) formel_set_observer(ev, &Count, &events);
  const char* formula = w.formula.c_str();
  for (auto _ : state) benchmark::DoNotOptimize(formel_evaluate(ev, formula));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * w.formula.size()));
  state.counters["events"] = static_cast<double>(events) / static_cast<double>(state.iterations());
  formel_free(ev);
}

}  // namespace

void RegisterObserved(const Workload& w) {
  for (const bool observed : {false, true}) {
    const std::string engine = observed ? kObservedEngine : kUnobservedEngine;
    benchmark::RegisterBenchmark(
        (engine + "/" + w.name).c_str(),
        [w, observed](benchmark::State& state) { RunObserved(state, w, observed); });
  }
}

}  // namespace formel_bench
