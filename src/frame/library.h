// The library's whole process-wide state, in one place: the private heap,
// the StringWorkspace, both tables and the bookkeeping of calls in
// progress. Exports reach it through CurrentLibrary(). (The quote character
// is a compile-time constant, kQuote, rather than a text made at start-up.)
#pragma once

#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "eval/trace.h"
#include "frame/private_heap.h"
#include "frame/string_workspace.h"
#include "registry/func_table.h"
#include "registry/var_table.h"

namespace formel {

struct ParenIndex;

struct Library {
  Library();

  PrivateHeap heap;  // first member: everything below allocates from it
  StringWorkspace workspace;
  FuncTable funcs;
  VarTable vars;

  int callDepth = 0;            // exports in progress (host callbacks nest)
  int evalDepth = 0;            // Formel levels in progress, groups included
  bool detachPending = false;   // an unload asked for while a call ran
  std::size_t quotingLeft = 0;  // bytes quoting may still add in this evaluation
  TraceHook trace = nullptr;    // null: tracing off
  void* traceContext = nullptr;
  ParenIndex* parenIndex = nullptr;           // of the outermost formula text
  // Scratch kept from call to call, so that a short formula allocates
  // nothing for them: the operator passes' quote parity, the bracket
  // matching of variable substitution, and the paren index of the
  // outermost formula (a formula that a host function evaluates while
  // that index lives gets its own).
  std::pmr::vector<std::uint8_t> quoteParity;
  std::pmr::vector<std::uint32_t> closeScratch;
  std::pmr::vector<std::uint32_t> openScratch;
  std::pmr::vector<std::uint32_t> parenScratch;

  // Gives back scratch grown by a long formula.
  void TrimScratch();
};

// True while the library is started (between attach and detach).
bool LibraryLoaded();
// The started library. Only valid while LibraryLoaded().
Library& CurrentLibrary();

// Start-up and end sequences of the load-time entry point.
void StartLibrary();
void EndLibrary();

}  // namespace formel
