// Formel through the public API, as a host calls it: the tables are filled
// once per workload, then every iteration evaluates the formula anew.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <string>

#include "formel.h"
#include "runners.h"

namespace formel_bench {

const char* FORMEL_CALL HostMax(const char* a, const char* b) {
  const double first = Number(a);
  return LargerOf(first, Number(b)) == first ? a : b;
}

namespace {

std::string gHostResult;  // a host function's result lives until its next call

const char* FORMEL_CALL HostLastOfTen(const char*, const char*, const char*, const char*, const char*,
                                      const char*, const char*, const char*, const char*,
                                      const char* j) {
  gHostResult = j;
  return gHostResult.c_str();
}

void FillTables(int tableSize) {
  ClearVars();
  ClearFuncs();
  SetVarL("x", 5);
  SetVarS("who", "world");
  for (int i = 0; i < tableSize; ++i) SetVarL(VariableName(i).c_str(), i);
  SetFunc("max", 2, reinterpret_cast<FormelCallID>(&HostMax));
  SetFunc("f10", 10, reinterpret_cast<FormelCallID>(&HostLastOfTen));
}

void RunFormel(benchmark::State& state, const Workload& w) {
  FillTables(w.tableSize);
  const char* formula = w.formula.c_str();
  long x = 0;
  for (auto _ : state) {
    if (w.repeated) SetVarL("x", x++ % 100);
    benchmark::DoNotOptimize(Formel(formula));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * w.formula.size()));
  state.SetLabel(std::string(Formel(formula)).substr(0, 24));
}

}  // namespace

void RegisterFormel(const Workload& w) {
  benchmark::RegisterBenchmark((std::string(kFormelEngine) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunFormel(state, w); });
}

}  // namespace formel_bench
