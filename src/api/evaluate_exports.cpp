// Evaluation: Formel on the default evaluator, formel_evaluate on the one given.
#include "api/export_call.h"
#include "eval/stages/plan_cache.h"
#include "eval/stages/stages.h"
#include "formel.h"
#include "formel_evaluator.h"

// The public header states the limit for hosts that measure their input.
static_assert(formel::kMaxTextLength == FORMEL_MAX_TEXT_LENGTH);

namespace {

// Apart from the quick way, which then keeps a small frame.
[[gnu::noinline]] const char* EvaluateUsually(formel::Evaluator* target, const char* formula, bool last) {
  return formel::RunExport<const char*>(
      target, formel::kNoText, [&](formel::Evaluator& ev, formel::CallScope& scope) {
        if (last) {
          scope.StartBuilding();
          return ev.eval.plans->RunLast(ev.eval).data();
        }
        const formel::Text text = formel::CopyArgument(ev, formula);
        scope.StartBuilding();
        return formel::EvaluateFormula(ev.eval, text).data();
      });
}

const char* Evaluate(formel::Evaluator* target, const char* formula) {
  // A loop's formula, the one whose plan ran last, needs no copy: its plan
  // holds one. It is compared once.
  using Last = formel::PlanCache::Last;
  const Last last = target == nullptr ? Last::kNo : formel::LastPlanned(target->eval, formula);
  if (last == Last::kQuick && formel::MayRunQuick(target)) {
    formel::EvalContext& ctx = target->eval;
    if (const auto quick = formel::TryQuick([&] { return ctx.plans->RunLastQuick(ctx); })) return quick->data();
  }
  return EvaluateUsually(target, formula, last != Last::kNo);
}

}  // namespace

extern "C" FORMEL_API const char* FORMEL_CALL Formel(const char* formula) {
  return Evaluate(formel::DefaultEvaluator(), formula);
}

extern "C" FORMEL_API const char* FORMEL_CALL formel_evaluate(formel_evaluator* ev,
                                                              const char* formula) {
  return Evaluate(ev, formula);
}
