// Host functions that the formula cases register by name ("func <name>
// <impl>"). They follow the host-function contract in the library's calling
// convention, so the Windows host uses the very same set.
#pragma once

#include <string>

#include "formel.h"
#include "formel_evaluator.h"

namespace formel_test {

struct HostImpl {
  const char* name;
  FormelInt paramCount;
  FormelCallID callId;  // 0 for the impls that register call ID 0
};

// The impl of that name, or null.
const HostImpl* FindHostImpl(const std::string& name);

// The Formel that the re-entrant impl "formel" calls back into on this
// thread; an evaluator set here takes precedence over it.
using FormelEntry = const char*(FORMEL_CALL*)(const char*);
void SetReentryFormel(FormelEntry entry);
using EvaluatorEntry = const char* (*)(formel_evaluator*, const char*);
void SetReentryEvaluator(formel_evaluator* ev, EvaluatorEntry entry);

// Every impl keeps its state per thread, so evaluators on several threads
// can use them at once.

}  // namespace formel_test
