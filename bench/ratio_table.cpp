#include "ratio_table.h"

#include <cstdio>

#include "runners.h"
#include "support/hostile_shapes.h"

namespace formel_bench {

namespace {

constexpr double kNsPerUnit[] = {1.0, 1e3, 1e6, 1e9};  // ns, us, ms, s

const Workload* Find(const std::vector<Workload>& suite, const std::string& name) {
  for (const Workload& w : suite) {
    if (w.name == name) return &w;
  }
  return nullptr;
}

std::string Fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

}  // namespace

void MedianReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.error_occurred) continue;
    // With repetitions only the median aggregate counts; a single run
    // stands for itself.
    const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
    if (!single && run.aggregate_name != "median") continue;
    std::string name = run.run_name.function_name;
    if (!run.run_name.threads.empty()) name += "/" + run.run_name.threads;
    // CPU time: the machine is shared, and waiting for a core is not ours.
    medians_[name] = run.GetAdjustedCPUTime() * kNsPerUnit[static_cast<int>(run.time_unit)];
    counters_[name] = run.counters;
    const auto items = run.counters.find("items_per_second");
    if (items != run.counters.end()) throughputs_[name] = items->second;
  }
}

double MedianReporter::Median(const std::string& engine, const std::string& workload) const {
  const auto found = medians_.find(engine + "/" + workload);
  return found == medians_.end() ? 0.0 : found->second;
}

double MedianReporter::Throughput(const std::string& engine, const std::string& workload) const {
  const auto found = throughputs_.find(engine + "/" + workload);
  return found == throughputs_.end() ? 0.0 : found->second;
}

double MedianReporter::Counter(const std::string& engine, const std::string& workload,
                               const std::string& counter) const {
  const auto found = counters_.find(engine + "/" + workload);
  if (found == counters_.end()) return 0.0;
  const auto value = found->second.find(counter);
  return value == found->second.end() ? 0.0 : value->second.value;
}

void PrintRatioTable(const MedianReporter& r, const std::vector<Workload>& suite, std::ostream& out) {
  out << "\n| workload | bytes | formel ns | formel ns/byte | muparser ns | muparser/formel |\n"
      << "|---|---:|---:|---:|---:|---:|\n";
  for (const Workload& w : suite) {
    const double mine = r.Median(kFormelEngine, w.name);
    if (mine == 0) continue;
    const double peer = r.Median(kPeerEngine, w.name);
    out << "| " << w.name << " | " << w.formula.size() << " | " << Fixed(mine, 0) << " | "
        << Fixed(mine / static_cast<double>(w.formula.size()), 2) << " | "
        << (peer == 0 ? "-" : Fixed(peer, 0)) << " | " << (peer == 0 ? "-" : Fixed(peer / mine, 1))
        << " |\n";
  }
}

void PrintObserverTable(const MedianReporter& r, const std::vector<Workload>& suite, std::ostream& out) {
  out << "\n| workload | no observer ns | observer ns | observer/none |\n|---|---:|---:|---:|\n";
  for (const Workload& w : suite) {
    const double off = r.Median(kUnobservedEngine, w.name);
    const double on = r.Median(kObservedEngine, w.name);
    if (off == 0 || on == 0) continue;
    out << "| " << w.name << " | " << Fixed(off, 0) << " | " << Fixed(on, 0) << " | "
        << Fixed(on / off, 2) << " |\n";
  }
}

void PrintTargets(const MedianReporter& r, const std::vector<Workload>& suite, std::ostream& out) {
  auto perByte = [&](const std::string& name) {
    const Workload* w = Find(suite, name);
    const double ns = r.Median(kFormelEngine, name);
    return w == nullptr || ns == 0 ? 0.0 : ns / static_cast<double>(w->formula.size());
  };
  auto check = [&](const std::string& what, double value, bool met) {
    out << (value == 0 ? "[ -- ] " : met ? "[ ok ] " : "[FAIL] ") << what << ": "
        << (value == 0 ? "not measured" : Fixed(value, 2)) << "\n";
  };
  auto faster = [&](const std::string& name, double atLeast) {
    const double mine = r.Median(kFormelEngine, name);
    const double peer = r.Median(kPeerEngine, name);
    const double ratio = mine == 0 || peer == 0 ? 0.0 : peer / mine;
    check(name + " muparser/formel (at least " + Fixed(atLeast, 0) + ")", ratio, ratio >= atLeast);
  };
  auto flat = [&](const std::string& big, const std::string& small, bool byByte) {
    const double a = byByte ? perByte(big) : r.Median(kFormelEngine, big);
    const double b = byByte ? perByte(small) : r.Median(kFormelEngine, small);
    const double ratio = a == 0 || b == 0 ? 0.0 : a / b;
    check(big + " / " + small + (byByte ? " per byte" : "") + " (at most 1.5)", ratio, ratio <= 1.5);
  };
  out << "\nTargets (medians of this run):\n";
  faster("arith_short", 10);
  faster("var_and_call", 10);
  faster("sum_10000", 20);
  flat("sum_100000", "sum_100", true);
  flat("concat_10000", "concat_100", true);
  flat("concat_100000", "concat_100", true);
  flat("table_100000", "table_10", false);
  const double megabyte = r.Median(kFormelEngine, "mixed_1MB") / 1e9;
  check("mixed_1MB seconds (well under 1)", megabyte, megabyte < 0.25);
  out << "\nTargets of the second speed round:\n";
  for (const char* name : {"arith_short", "var_and_call", "nested_10"}) faster(name, 30);
  auto atMost = [&](const std::string& name, double nsPerByte) {
    const double value = perByte(name);
    check(name + " ns per byte (at most " + Fixed(nsPerByte, 0) + ")", value, value <= nsPerByte);
  };
  for (const char* name : {"sum_100", "sum_1000", "sum_10000", "sum_100000", "diff_100", "diff_10000",
                           "diff_100000"}) {
    atMost(name, 12);
  }
  for (const char* name : {"concat_100", "concat_10000", "concat_100000", "text_less_100",
                           "text_less_100000", "text_equal_100", "text_equal_100000"}) {
    atMost(name, 15);
  }
  check("mixed_1MB milliseconds (under 20)", megabyte * 1e3, megabyte * 1e3 < 20);
  const double repeated = r.Median(kFormelEngine, "repeated_vars");
  const double compiled = r.Median(kPeerEngine, "repeated_vars");
  out << "repeated_vars (x changes every time): formel " << Fixed(repeated, 0)
      << " ns, muparser evaluate-only " << Fixed(compiled, 0) << " ns\n\n";
  for (const char* name : kThreadedWorkloads) {
    const double one = r.Throughput(kEvaluatorsEngine, std::string(name) + "/threads:1");
    const double two = r.Throughput(kEvaluatorsEngine, std::string(name) + "/threads:2");
    const double scaling = one == 0 || two == 0 ? 0.0 : two / one;
    check(std::string(name) + " two evaluators on two threads / one (at least 1.8)", scaling,
          scaling >= 1.8);
  }
  const double sum = r.Median(kHostileFamily, "sum_1MB");
  for (const auto& shape : formel_test::HostileShapes(1000)) {
    const double mine = r.Median(kHostileFamily, std::string(shape.name) + "_1MB");
    const double ratio = mine == 0 || sum == 0 ? 0.0 : mine / sum;
    check(std::string(shape.name) + "_1MB / sum_1MB (at most 10)", ratio, ratio <= 10);
  }
  for (const char* counter : {"new_bytes", "used_bytes"}) {
    const double bytes = r.Counter(kEvaluatorsEngine, "idle_memory", counter);
    check(std::string("idle evaluator ") + counter + " (under 65536)", bytes, bytes < 65536);
  }
}

}  // namespace formel_bench
