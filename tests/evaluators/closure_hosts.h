// The shared host impls (support/host_functions.h) on an evaluator of the
// evaluator API.
#pragma once

#include <string>

#include "formel_evaluator.h"
#include "support/host_functions.h"

namespace formel_test {

// Registers the impl of that name on ev as a closure that calls it. An impl
// with call ID 0 is left unregistered, which formulas see the same way.
// False for an unknown impl.
bool RegisterClosure(formel_evaluator* ev, const std::string& name, const std::string& impl);

}  // namespace formel_test
