// Evaluation: Formel on the default evaluator, formel_evaluate on the one given.
#include "api/export_call.h"
#include "eval/stages/stages.h"
#include "formel.h"
#include "formel_evaluator.h"

namespace {

const char* Evaluate(formel::Evaluator* target, const char* formula) {
  return formel::RunExport<const char*>(
      target, formel::kNoText, [&](formel::Evaluator& ev, formel::CallScope& scope) {
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
