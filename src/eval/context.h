// Everything one evaluator's evaluations use: the workspace their texts are
// built in, the two tables, the scratch kept from call to call, the budgets
// of the evaluation in progress and the observer. Nothing in it is shared
// with another evaluator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "eval/observer.h"
#include "eval/plan_cache.h"
#include "eval/repeated_formula.h"
#include "frame/string_workspace.h"
#include "registry/func_table.h"
#include "registry/var_table.h"

namespace formel {

struct ParenIndex;

struct EvalContext {
  EvalContext(std::pmr::memory_resource* heap, std::size_t workspaceBlock);

  std::pmr::memory_resource* heap;
  StringWorkspace workspace;
  FuncTable funcs;
  VarTable vars;

  int evalDepth = 0;            // Formel levels in progress, groups included
  std::size_t quotingLeft = 0;  // bytes quoting may still add in this evaluation
  std::string_view outermost;   // the formula of the outermost level in progress
  Observer observer;
  ParenIndex* parenIndex = nullptr;  // of the outermost formula text
  // Scratch kept from call to call, so that a short formula allocates
  // nothing for them: the operator passes' quote parity, the bracket
  // matching of variable substitution, and the paren index of the
  // outermost formula (a formula that a host function evaluates while
  // that index lives gets its own).
  std::pmr::vector<std::uint8_t> quoteParity;
  std::pmr::vector<std::uint32_t> closeScratch;
  std::pmr::vector<std::uint32_t> openScratch;
  std::pmr::vector<std::uint32_t> parenScratch;
  // The last outermost formula of references and plain arithmetic.
  RepeatedFormula repeated;
  // Outermost formulas met again, prepared.
  PlanCache plans;

  // Gives back scratch grown by a long formula.
  void TrimScratch();
};

}  // namespace formel
