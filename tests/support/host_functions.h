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
using EvaluatorEntry = const char*(FORMEL_CALL*)(formel_evaluator*, const char*);
void SetReentryEvaluator(formel_evaluator* ev, EvaluatorEntry entry);

// Registers the impl of that name on ev, through set (formel_set_function
// or a DLL's), as a host function of the evaluator API that calls it. An
// impl with call ID 0 is left unregistered, which formulas see the same way.
// False for an unknown impl.
using SetFunctionEntry = decltype(&formel_set_function);
bool RegisterClosure(SetFunctionEntry set, formel_evaluator* ev, const std::string& name,
                     const std::string& impl);

// Every impl keeps its state per thread, so evaluators on several threads
// can use them at once.

}  // namespace formel_test
