// Repeated evaluation on muparser's side: the expression compiled once,
// the variable changed before each evaluation (a price text read as a
// number, as the host of a table would).
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <string>

#include "repeated_workloads.h"
#include "runners.h"

namespace formel_bench {

namespace {

void RunPeerLoop(benchmark::State& state, const RepeatedWorkload& w) {
  try {
    mu::Parser parser;
    double x = 5;
    double n = 0;
    double d = 10;
    parser.DefineVar("x", &x);
    parser.DefineVar("n", &n);
    parser.DefineVar("d", &d);
    parser.DefineFun("hmax", &LargerOf);
    parser.SetExpr(w.peerFormula);
    double& changed = std::string(w.changed) == "n" ? n : x;
    double value = 0;
    std::size_t i = 0;
    for (auto _ : state) {
      changed = w.priceText ? Number(PriceText(i).c_str()) : IntegerValue(i);
      ++i;
      value = parser.Eval();
      benchmark::DoNotOptimize(value);
    }
    state.SetLabel(std::to_string(value));
  } catch (const mu::Parser::exception_type& e) {
    state.SkipWithError(e.GetMsg().c_str());
  }
}

}  // namespace

void RegisterRepeatedPeer(const RepeatedWorkload& w) {
  benchmark::RegisterBenchmark((std::string(kPeerLoop) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunPeerLoop(state, w); });
}

}  // namespace formel_bench
