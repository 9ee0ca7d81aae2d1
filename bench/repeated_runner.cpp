// Repeated evaluation on Formel's side: the classic exports (the variable
// set by name, the formula given as text) and the handles (a slot and a
// prepared formula). Also the bytes of a full plan cache, and the table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "formel.h"
#include "formel_prepared.h"
#include "heap_in_use.h"
#include "repeated_workloads.h"
#include "runners.h"

namespace formel_bench {

namespace {

const char* FORMEL_CALL ClosureMax(void*, int, const char* const* argv) { return HostMax(argv[0], argv[1]); }
double FORMEL_CALL NumberMax(void*, int, const double* argv) { return LargerOf(argv[0], argv[1]); }

bool CallsMax(const RepeatedWorkload& w) { return w.formula.find("max(") != std::string::npos; }

void RunClassic(benchmark::State& state, const RepeatedWorkload& w) {
  ClearVars();
  ClearFuncs();
  SetVarL("x", 5);
  SetVarL("d", 10);
  SetFunc("max", 2, reinterpret_cast<FormelCallID>(&HostMax));
  const char* formula = w.formula.c_str();
  std::size_t i = 0;
  for (auto _ : state) {
    if (w.priceText) {
      SetVarS(w.changed, PriceText(i).c_str());
    } else {
      SetVarL(w.changed, IntegerValue(i));
    }
    ++i;
    benchmark::DoNotOptimize(Formel(formula));
  }
  state.SetLabel(Formel(formula));
}

// numbers: the variable set as a number and the result taken as one, as
// muparser's loop does; else as texts.
// numberFunction: max registered on numbers, as muparser's is.
void RunHandles(benchmark::State& state, const RepeatedWorkload& w, bool numbers, bool numberFunction = false) {
  formel_evaluator* ev = formel_new();
  formel_set_var_int(ev, "x", 5);
  formel_set_var_int(ev, "d", 10);
  if (numberFunction) {
    formel_set_number_function(ev, "max", 2, &NumberMax, nullptr);
  } else {
    formel_set_function(ev, "max", 2, &ClosureMax, nullptr);
  }
  formel_slot* slot = formel_slot_new(ev, w.changed);
  formel_prepared* prepared = formel_prepare(ev, w.formula.c_str());
  std::size_t i = 0;
  double value = 0;
  for (auto _ : state) {
    if (w.priceText) {
      const std::string& price = PriceText(i);
      formel_slot_set_text(slot, price.data(), price.size());
    } else if (numbers) {
      formel_slot_set_number(slot, IntegerValue(i));
    } else {
      formel_slot_set_int(slot, IntegerValue(i));
    }
    ++i;
    if (numbers) {
      formel_run_number(prepared, &value);
      benchmark::DoNotOptimize(value);
    } else {
      benchmark::DoNotOptimize(formel_run(prepared));
    }
  }
  state.SetLabel(formel_run(prepared));
  formel_free(ev);
}

// An evaluator that has met 100 different formulas twice each keeps plans
// for the last 32: the bytes it holds beyond a fresh one.
void MeasurePlanCache(benchmark::State& state) {
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    formel_evaluator* ev = formel_new();
    const std::size_t made = HeapInUse();
    formel_register_standard_functions(ev);
    formel_set_var(ev, "x", "5");
    for (int round = 0; round < 2; ++round) {
      for (int k = 0; k < 100; ++k) {
        const std::string formula = "2*max(" + std::to_string(k) + ",[x])+([x]*(1-[x]/100))<[x]";
        benchmark::DoNotOptimize(formel_evaluate(ev, formula.c_str()));
      }
    }
    state.counters["full_cache_bytes"] = static_cast<double>(HeapInUse() - made);
    state.counters["new_bytes"] = static_cast<double>(made - before);
    formel_free(ev);
  }
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

void RegisterRepeated(const RepeatedWorkload& w) {
  benchmark::RegisterBenchmark((std::string(kClassicLoop) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunClassic(state, w); });
  benchmark::RegisterBenchmark((std::string(kHandlesLoop) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunHandles(state, w, false); });
  benchmark::RegisterBenchmark((std::string(kNumbersLoop) + "/" + w.name).c_str(),
                               [w](benchmark::State& state) { RunHandles(state, w, true); });
  if (CallsMax(w)) {
    benchmark::RegisterBenchmark((std::string(kNumberFunctionLoop) + "/" + w.name).c_str(),
                                 [w](benchmark::State& state) { RunHandles(state, w, true, true); });
  }
}

void RegisterPlanCacheMemory() {
  benchmark::RegisterBenchmark((std::string(kHandlesLoop) + "/plan_cache").c_str(), &MeasurePlanCache)
      ->Iterations(1)
      ->Repetitions(1);
}

void PrintRepeatedTable(const MedianReporter& r, std::ostream& out) {
  out << "\nRepeated evaluation, a variable changed before each (median ns; ratio to muparser's "
         "evaluate-only):\n";
  out << "workload    formula                 classic  ratio   handles  ratio   numbers  ratio   muparser\n";
  for (const RepeatedWorkload& w : RepeatedSuite()) {
    const double peer = r.Median(kPeerLoop, w.name);
    auto ratio = [peer](double ns) { return peer == 0 ? std::string("-") : Fixed(ns / peer, 1) + "x"; };
    char line[200];
    std::snprintf(line, sizeof line, "%-11s %-22s", w.name.c_str(), w.formula.c_str());
    std::string row = line;
    for (const char* engine : {kClassicLoop, kHandlesLoop, kNumbersLoop}) {
      const double ns = r.Median(engine, w.name);
      std::snprintf(line, sizeof line, " %8s %6s", Fixed(ns, 1).c_str(), ratio(ns).c_str());
      row += line;
    }
    std::snprintf(line, sizeof line, " %9s\n", Fixed(peer, 1).c_str());
    out << row << line;
  }
  out << "\nTargets of records at engine speed (handles: the best way a host loops with them: values as texts\n"
         "or numbers, and a function on numbers where muparser's is one):\n";
  auto verdict = [&out](const std::string& row, double ns, double peer, double atMost) {
    const double ratio = peer == 0 || ns == 0 ? 0.0 : ns / peer;
    out << (ratio == 0 ? "[ -- ] " : ratio <= atMost ? "[ ok ] " : "[FAIL] ") << row << " / muparser (at most "
        << Fixed(atMost, 0) << "): " << (ratio == 0 ? "not measured" : Fixed(ratio, 2)) << "\n";
  };
  for (const RepeatedWorkload& w : RepeatedSuite()) {
    const double peer = r.Median(kPeerLoop, w.name);
    double handles = std::min(r.Median(kHandlesLoop, w.name), r.Median(kNumbersLoop, w.name));
    const double byNumberFunction = r.Median(kNumberFunctionLoop, w.name);
    if (CallsMax(w) && byNumberFunction > 0) handles = std::min(handles, byNumberFunction);
    verdict(std::string(kClassicLoop) + "/" + w.name, r.Median(kClassicLoop, w.name), peer, 6.0);
    verdict(std::string(kHandlesLoop) + "/" + w.name, handles, peer, 3.0);
  }
  // A function on texts parses its arguments in the host, which muparser's
  // side never does: shown, not judged.
  for (const RepeatedWorkload& w : RepeatedSuite()) {
    if (!CallsMax(w)) continue;
    const double peer = r.Median(kPeerLoop, w.name);
    const double ns = std::min(r.Median(kHandlesLoop, w.name), r.Median(kNumbersLoop, w.name));
    out << "[info] " << kHandlesLoop << "/" << w.name << " with max on texts (the host's parsing included): "
        << (peer == 0 || ns == 0 ? "not measured" : Fixed(ns, 1) + " ns, " + Fixed(ns / peer, 2)) << "\n";
  }
  const double cache = r.Counter(kHandlesLoop, "plan_cache", "full_cache_bytes");
  out << "an evaluator with a full plan cache (32 plans) holds " << Fixed(cache, 0) << " bytes more\n";
}

}  // namespace formel_bench
