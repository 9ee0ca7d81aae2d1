// muparser's one-shot cost: the parser and its variables and functions
// exist already (as Formel's tables do); every iteration defines the
// expression and evaluates it.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <memory>
#include <string>
#include <vector>

#include "runners.h"

namespace formel_bench {

namespace {

double LastOfTen(double, double, double, double, double, double, double, double, double, double j) {
  return j;
}

struct Peer {
  mu::Parser parser;
  std::vector<double> values;  // the variables' storage, never resized
};

std::unique_ptr<Peer> MakePeer(int tableSize) {
  auto peer = std::make_unique<Peer>();
  peer->values.assign(static_cast<std::size_t>(tableSize) + 1, 0.0);
  peer->values[0] = 5;
  peer->parser.DefineVar("x", &peer->values[0]);
  for (int i = 0; i < tableSize; ++i) {
    peer->values[static_cast<std::size_t>(i) + 1] = i;
    peer->parser.DefineVar(VariableName(i), &peer->values[static_cast<std::size_t>(i) + 1]);
  }
  peer->parser.DefineFun("hmax", &LargerOf);
  peer->parser.DefineFun("f10", &LastOfTen);
  return peer;
}

void RunPeer(benchmark::State& state, const Workload& w) {
  try {
    const auto peer = MakePeer(w.tableSize);
    double value = 0;
    long x = 0;
    if (w.repeated) peer->parser.SetExpr(w.peerFormula);
    for (auto _ : state) {
      if (w.repeated) {
        peer->values[0] = static_cast<double>(x++ % 100);
      } else {
        peer->parser.SetExpr(w.peerFormula);
      }
      value = peer->parser.Eval();
      benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * w.peerFormula.size()));
    state.SetLabel(std::to_string(value).substr(0, 24));
  } catch (const mu::Parser::exception_type& e) {
    state.SkipWithError(e.GetMsg().c_str());
  }
}

}  // namespace

void RegisterPeer(const Workload& w) {
  if (w.peerFormula.empty()) return;
  benchmark::RegisterBenchmark((std::string(kPeerEngine) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunPeer(state, w); });
}

}  // namespace formel_bench
