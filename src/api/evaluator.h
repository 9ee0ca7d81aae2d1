// An evaluator: a private heap and everything evaluations use, allocated
// from it. The classic exports work on the default evaluator, made when the
// library is loaded; hosts make more through formel_new.
#pragma once

#include <cstddef>

#include "api/last_set_variable.h"
#include "eval/context.h"
#include "eval/stages/plan_cache.h"
#include "eval/shortcuts/repeated_formula.h"
#include "frame/private_heap.h"
#include "frame/private_text.h"

namespace formel {

struct Evaluator {
  explicit Evaluator(std::size_t workspaceBlock);
  virtual ~Evaluator() = default;
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  PrivateHeap heap;  // first member: everything below allocates from it
  EvalContext eval;
  RepeatedFormula repeatedFormula;  // eval.repeated
  PlanCache planCache;              // eval.plans
  Text standardResult;  // the text a standard function returns
  LastSetVariable lastSet;

  int callDepth = 0;            // exports in progress (host callbacks nest)
  bool nestedCalls = false;     // an export ran inside the outermost one
  bool releasePending = false;  // a release asked for while a call ran
};

// The first workspace block: the classic evaluator keeps the 64000 bytes
// that hosts have always had; others start small and grow on demand.
inline constexpr std::size_t kClassicWorkspace = StringWorkspace::kBlockSize;
inline constexpr std::size_t kSmallWorkspace = 4096;

// The default evaluator, or null while the library is not started.
Evaluator* DefaultEvaluator();
// Start-up and end of the default evaluator (the load-time entry point).
void StartDefaultEvaluator();
void EndDefaultEvaluator();

// Releases an evaluator now: the default one ends the library's state.
void ReleaseEvaluator(Evaluator* ev);

// Registers a function on ev: 1, or 0 when its parameter count is outside
// 0 to 10 or memory runs out.
int SetFunction(Evaluator* ev, const char* name, FuncInfo info);

}  // namespace formel

// The public handle of an evaluator.
struct formel_evaluator final : formel::Evaluator {
  using formel::Evaluator::Evaluator;
};
