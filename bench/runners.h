// Registers one benchmark per workload and engine. The names are
// "<engine>/<workload>"; the ratio table pairs them up by workload.
#pragma once

#include <vector>

#include "workloads.h"

namespace formel_bench {

inline constexpr const char* kFormelEngine = "formel";
inline constexpr const char* kPeerEngine = "muparser";

void RegisterFormel(const Workload& w);
// Registers nothing when muparser cannot express the workload.
void RegisterPeer(const Workload& w);

}  // namespace formel_bench
