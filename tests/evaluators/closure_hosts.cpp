// The shared host impls registered on an evaluator, as closures.
#include "evaluators/closure_hosts.h"

namespace formel_test {

bool RegisterClosure(formel_evaluator* ev, const std::string& name, const std::string& impl) {
  return RegisterClosure(&formel_set_function, ev, name, impl);
}

}  // namespace formel_test
