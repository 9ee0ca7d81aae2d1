// The hostile shapes at 100 KB and 1 MB, and a flat sum of 1 MB: every shape's
// time is compared with the sum's ("hostile/<shape>_<size>").
#include <benchmark/benchmark.h>

#include <string>

#include "formel_evaluator.h"
#include "runners.h"
#include "support/hostile_shapes.h"

namespace formel_bench {

namespace {

const char* Echo(void*, int, const char* const* argv) { return argv[0]; }

void RunShape(benchmark::State& state, const std::string& formula) {
  formel_evaluator* ev = formel_new();
  formel_set_function(ev, "f", 1, &Echo, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(formel_evaluate(ev, formula.c_str()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * formula.size()));
  formel_free(ev);
}

void Register(const std::string& name, const std::string& formula) {
  benchmark::RegisterBenchmark((std::string(kHostileFamily) + "/" + name).c_str(),
                               [formula](benchmark::State& state) { RunShape(state, formula); })
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

void RegisterHostileShapes() {
  Register("sum_1MB", formel_test::FlatSumOf(kMegabyte));
  for (const std::size_t bytes : {kMegabyte / 10, kMegabyte}) {
    const std::string size = bytes == kMegabyte ? "1MB" : "100KB";
    for (const auto& shape : formel_test::HostileShapes(bytes)) {
      Register(std::string(shape.name) + "_" + size, shape.formula);
    }
  }
}

}  // namespace formel_bench
