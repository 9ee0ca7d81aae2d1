// Collects the median CPU time of every benchmark of the run and prints, per
// workload, Formel's time, its time per input byte, muparser's time and
// the ratio, then the targets of the suite checked on these figures.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "workloads.h"

namespace formel_bench {

class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;

  // ns per formula; 0 when the benchmark did not run.
  double Median(const std::string& engine, const std::string& workload) const;
  // Items per second of wall time, all threads together; 0 when not run.
  double Throughput(const std::string& engine, const std::string& workload) const;
  // A counter of the benchmark; 0 when not run.
  double Counter(const std::string& engine, const std::string& workload, const std::string& name) const;

 private:
  std::map<std::string, double> medians_;      // "<engine>/<workload>" -> ns
  std::map<std::string, double> throughputs_;  // the same names -> items/s
  std::map<std::string, benchmark::UserCounters> counters_;
};

void PrintRatioTable(const MedianReporter& r, const std::vector<Workload>& suite, std::ostream& out);
void PrintTargets(const MedianReporter& r, const std::vector<Workload>& suite, std::ostream& out);

}  // namespace formel_bench
