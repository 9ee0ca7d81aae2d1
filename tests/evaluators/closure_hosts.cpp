// The shared host impls registered on an evaluator, as closures.
#include "evaluators/closure_hosts.h"

namespace formel_test {

namespace {

using Arg = const char*;

// Calls the impl (user) with the arguments, as the classic exports would.
const char* CallImpl(void* user, int argc, const char* const* a) {
  const FormelCallID id = static_cast<const HostImpl*>(user)->callId;
  switch (argc) {
    case 0: return reinterpret_cast<Arg(FORMEL_CALL*)()>(id)();
    case 1: return reinterpret_cast<Arg(FORMEL_CALL*)(Arg)>(id)(a[0]);
    case 2: return reinterpret_cast<Arg(FORMEL_CALL*)(Arg, Arg)>(id)(a[0], a[1]);
    case 3: return reinterpret_cast<Arg(FORMEL_CALL*)(Arg, Arg, Arg)>(id)(a[0], a[1], a[2]);
    default:
      return reinterpret_cast<Arg(FORMEL_CALL*)(Arg, Arg, Arg, Arg, Arg, Arg, Arg, Arg, Arg, Arg)>(id)(
          a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
  }
}

}  // namespace

bool RegisterClosure(formel_evaluator* ev, const std::string& name, const std::string& impl) {
  const HostImpl* host = FindHostImpl(impl);
  if (host == nullptr) return false;
  if (host->callId == 0) return true;
  void* user = const_cast<HostImpl*>(host);
  return formel_set_function(ev, name.c_str(), host->paramCount, &CallImpl, user) == 1;
}

}  // namespace formel_test
