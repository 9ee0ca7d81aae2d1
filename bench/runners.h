// Registers one benchmark per workload and engine. The names are
// "<engine>/<workload>"; the ratio table pairs them up by workload.
#pragma once

#include <cstddef>
#include <vector>

#include "formel.h"
#include "workloads.h"

namespace formel_bench {

inline constexpr const char* kFormelEngine = "formel";
inline constexpr const char* kPeerEngine = "muparser";
inline constexpr const char* kEvaluatorsEngine = "evaluators";
inline constexpr const char* kUnobservedEngine = "unobserved";
inline constexpr const char* kObservedEngine = "observed";
inline constexpr const char* kHostileFamily = "hostile";
inline constexpr std::size_t kMegabyte = 1000000;

// max as a classic host function: the larger of its two arguments.
const char* FORMEL_CALL HostMax(const char* a, const char* b);

void RegisterFormel(const Workload& w);
// Registers nothing when muparser cannot express the workload.
void RegisterPeer(const Workload& w);
// One evaluator per thread, at one and at two threads; the names end in
// "/threads:1" and "/threads:2".
void RegisterEvaluatorThreads(const Workload& w);
// One evaluator without and with an observer ("unobserved/", "observed/").
void RegisterObserved(const Workload& w);
// The heap bytes per idle evaluator, new and after use (counters
// "new_bytes" and "used_bytes").
void RegisterIdleMemory();
// The hostile shapes at 100 KB and 1 MB and the 1 MB sum they are
// compared with.
void RegisterHostileShapes();

}  // namespace formel_bench
