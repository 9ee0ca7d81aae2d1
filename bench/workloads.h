// The fixed suite of the benchmark: each workload is one formula for Formel
// and, where muparser can express the same computation, its peer form.
#pragma once

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

namespace formel_bench {

struct Workload {
  std::string name;
  std::string formula;      // for Formel
  int tableSize = 0;        // variables v0 .. v<n-1> in the tables
  std::string peerFormula;  // for muparser; empty when it cannot express it
  // Evaluated again and again with x changing: muparser parses it once and
  // only evaluates in the loop.
  bool repeated = false;
};

std::vector<Workload> FixedSuite();

// The workloads that also run on one evaluator per thread.
inline constexpr const char* kThreadedWorkloads[] = {"arith_short", "var_and_call", "sum_1000"};

// The name of the i-th variable of a table workload.
inline std::string VariableName(int i) { return std::string("v").append(std::to_string(i)); }

// The host function that both engines call as max / hmax.
inline double LargerOf(double a, double b) { return a >= b ? a : b; }

// A host function's numeric argument, whatever the locale.
inline double Number(const char* text) {
  double value = 0;
  if (*text == '+') ++text;
  std::from_chars(text, text + std::strlen(text), value);
  return value;
}

}  // namespace formel_bench
