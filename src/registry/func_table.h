// The FuncTable: functions the host registered for use in formulas, each
// with the address it is called at and its number of parameters.
#pragma once

#include <cstdint>

#include "registry/named_table.h"

namespace formel {

// A host function takes at most this many arguments.
inline constexpr std::int32_t kMaxParams = 10;

struct FuncInfo {
  std::intptr_t callId = 0;
  std::int32_t paramCount = 0;
};

using FuncTable = NamedTable<FuncInfo>;

}  // namespace formel
