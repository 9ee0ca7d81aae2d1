// The FuncTable: functions the host registered for use in formulas, each
// with how it is called and its number of parameters.
#pragma once

#include <cstdint>

#include "formel.h"
#include "registry/named_table.h"

namespace formel {

// A host function takes at most this many arguments.
inline constexpr std::int32_t kMaxParams = 10;

// A function registered with a user pointer: called with the pointer, the
// argument count and the argument texts, in the library's calling convention.
using ClosureFunction = const char*(FORMEL_CALL*)(void* user, int argc, const char* const* argv);

// A function on numbers with a user pointer: called with the pointer, the
// argument count and the arguments' numbers.
using NumberFunction = double(FORMEL_CALL*)(void* user, int argc, const double* argv);

// Either a classic call ID (the address of a function taking exactly
// paramCount texts in the library's calling convention; 0 counts as not
// registered), a closure with its user pointer, or a function on numbers
// with its user pointer.
struct FuncInfo {
  std::intptr_t callId = 0;
  ClosureFunction closure = nullptr;
  void* user = nullptr;
  std::int32_t paramCount = 0;
  // The arguments a call must give; -1 for all paramCount. Only the
  // observer reads it: a call with fewer is reported.
  std::int32_t required = -1;
  NumberFunction number = nullptr;

  bool Callable() const { return callId != 0 || closure != nullptr || number != nullptr; }
  std::int32_t Required() const { return required < 0 ? paramCount : required; }
};

using FuncTable = NamedTable<FuncInfo>;

}  // namespace formel
