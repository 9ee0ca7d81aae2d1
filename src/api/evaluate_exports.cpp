// Evaluation: Formel on the default evaluator, formel_evaluate on the one given.
#include "api/export_call.h"
#include "eval/stages/plan_cache.h"
#include "eval/stages/stages.h"
#include "formel.h"
#include "formel_evaluator.h"

// The public header states the limit for hosts that measure their input.
static_assert(formel::kMaxTextLength == FORMEL_MAX_TEXT_LENGTH);

namespace {

// The result of the plan run last on its quick way; else null.
const char* QuickResult(formel::Evaluator& ev) noexcept {
  if (!formel::MayRunQuick(&ev)) return nullptr;
  try {
    const auto result = ev.eval.plans->RunLastQuick(ev.eval);
    return result ? result->data() : nullptr;
  } catch (...) {
    return nullptr;  // the usual way then says what went wrong
  }
}

const char* Evaluate(formel::Evaluator* target, const char* formula) {
  // A loop's formula, the one whose plan ran last, needs no copy: its plan
  // holds one. It is compared once.
  const bool last = target != nullptr && formel::IsLastPlanned(target->eval, formel::View(formula));
  if (last) {
    if (const char* quick = QuickResult(*target)) return quick;
  }
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

}  // namespace

extern "C" FORMEL_API const char* FORMEL_CALL Formel(const char* formula) {
  return Evaluate(formel::DefaultEvaluator(), formula);
}

extern "C" FORMEL_API const char* FORMEL_CALL formel_evaluate(formel_evaluator* ev,
                                                              const char* formula) {
  return Evaluate(ev, formula);
}
