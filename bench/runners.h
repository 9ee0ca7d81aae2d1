// Registers one benchmark per workload and engine. The names are
// "<engine>/<workload>"; the ratio table pairs them up by workload.
#pragma once

#include <vector>

#include "workloads.h"

namespace formel_bench {

inline constexpr const char* kFormelEngine = "formel";
inline constexpr const char* kPeerEngine = "muparser";
inline constexpr const char* kEvaluatorsEngine = "evaluators";

void RegisterFormel(const Workload& w);
// Registers nothing when muparser cannot express the workload.
void RegisterPeer(const Workload& w);
// One evaluator per thread, at one and at two threads; the names end in
// "/threads:1" and "/threads:2".
void RegisterEvaluatorThreads(const Workload& w);

}  // namespace formel_bench
