// Host functions that the formula cases register by name ("func <name>
// <impl>"). They follow the host-function contract in the library's calling
// convention, so the Windows host uses the very same set.
#pragma once

#include <string>

#include "formel.h"

namespace formel_test {

struct HostImpl {
  const char* name;
  FormelInt paramCount;
  FormelCallID callId;  // 0 for the impls that register call ID 0
};

// The impl of that name, or null.
const HostImpl* FindHostImpl(const std::string& name);

// The Formel that the re-entrant impl "formel" calls back into.
using FormelEntry = const char*(FORMEL_CALL*)(const char*);
void SetReentryFormel(FormelEntry entry);

}  // namespace formel_test
