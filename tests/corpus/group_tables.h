// Starts a fresh library and fills its tables as a recorded group says.
#pragma once

#include <stdexcept>

#include "formel.h"
#include "support/host_functions.h"
#include "support/recorded_corpus.h"

namespace formel_test {

inline void StartWithTables(const RecordedGroup& g) {
  DLLEntryPoint(nullptr, 0, nullptr);
  DLLEntryPoint(nullptr, 1, nullptr);
  SetReentryFormel(&Formel);
  for (const auto& [name, value] : g.vars) SetVarS(name.c_str(), value.c_str());
  for (const auto& [name, impl] : g.funcs) {
    const HostImpl* host = FindHostImpl(impl);
    if (host == nullptr) throw std::runtime_error("unknown host impl " + impl);
    SetFunc(name.c_str(), host->paramCount, host->callId);
  }
}

}  // namespace formel_test
