// The speed benchmark. Every workload runs on Formel and, when muparser is
// built in and can express it, on muparser, side by side in the same run;
// the table at the end gives the medians, the time per input byte and the
// ratios. Standard Google Benchmark flags apply (e.g. --benchmark_filter).
#include <benchmark/benchmark.h>

#include <iostream>
#include <string>
#include <vector>

#include "formel.h"
#include "ratio_table.h"
#include "repeated_workloads.h"
#include "runners.h"

int main(int argc, char** argv) {
  using namespace formel_bench;
  const std::vector<Workload> suite = FixedSuite();
  for (const Workload& w : suite) {
    RegisterFormel(w);
    RegisterObserved(w);
    for (const std::string name : kThreadedWorkloads) {
      if (name == w.name) RegisterEvaluatorThreads(w);
    }
#ifdef FORMEL_BENCH_MUPARSER
    RegisterPeer(w);
#endif
  }
  for (const RepeatedWorkload& w : RepeatedSuite()) {
    RegisterRepeated(w);
#ifdef FORMEL_BENCH_MUPARSER
    RegisterRepeatedPeer(w);
#endif
  }
  RegisterIdleMemory();
  RegisterPlanCacheMemory();
  RegisterHostileShapes();
  // Medians of five repetitions unless the command line says otherwise.
  std::vector<char*> args(argv, argv + argc);
  bool repetitionsGiven = false;
  for (const char* a : args) repetitionsGiven |= std::string(a).rfind("--benchmark_repetitions", 0) == 0;
  std::string repetitions = "--benchmark_repetitions=5";
  std::string aggregatesOnly = "--benchmark_report_aggregates_only=true";
  if (!repetitionsGiven) {
    args.push_back(repetitions.data());
    args.push_back(aggregatesOnly.data());
  }
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatioTable(reporter, suite, std::cout);
  PrintObserverTable(reporter, suite, std::cout);
  PrintTargets(reporter, suite, std::cout);
  PrintRepeatedTable(reporter, std::cout);
  benchmark::Shutdown();
  return 0;
}
