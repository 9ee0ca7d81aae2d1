// Repeated evaluation: the same formula again and again, a variable changed
// before each evaluation, on the classic exports, on the handles of
// formel_prepared.h and on muparser's compiled form (evaluate only). The
// names are "<engine>/<workload>" with the engines below.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "ratio_table.h"

namespace formel_bench {

inline constexpr const char* kClassicLoop = "classic_loop";
inline constexpr const char* kHandlesLoop = "handles_loop";
inline constexpr const char* kNumbersLoop = "numbers_loop";  // handles, numbers in and out
// handles, numbers in and out, the host function registered on numbers
// (for the workloads that call one)
inline constexpr const char* kNumberFunctionLoop = "number_function_loop";
inline constexpr const char* kPeerLoop = "muparser_loop";

struct RepeatedWorkload {
  std::string name;
  std::string formula;      // for Formel
  std::string peerFormula;  // for muparser
  const char* changed;      // the variable changed before each evaluation
  bool priceText;           // set as a price text, else as an integer
};

std::vector<RepeatedWorkload> RepeatedSuite();

// The value before the i-th evaluation: a price text, or an integer.
const std::string& PriceText(std::size_t i);
inline int IntegerValue(std::size_t i) { return static_cast<int>(i % 1000); }

void RegisterRepeated(const RepeatedWorkload& w);
void RegisterRepeatedPeer(const RepeatedWorkload& w);
// Bytes an evaluator holds with its plan cache full.
void RegisterPlanCacheMemory();
// Times, ratios to muparser and the targets (classic exports within 6x,
// handles within 3x), and the full cache's bytes.
void PrintRepeatedTable(const MedianReporter& r, std::ostream& out);

}  // namespace formel_bench
