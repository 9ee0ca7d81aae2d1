#include "api/evaluator.h"

namespace formel {

namespace {
// The classic exports' evaluator: the only process-wide state, as hosts of
// the classic exports expect one set of tables per process.
formel_evaluator* gDefault = nullptr;
}  // namespace

Evaluator::Evaluator(std::size_t workspaceBlock)
    : eval(&heap, workspaceBlock), repeatedFormula(&heap), planCache(&heap), standardResult(&heap), lastSet(&heap) {
  eval.repeated = &repeatedFormula;
  eval.plans = &planCache;
}

Evaluator* DefaultEvaluator() { return gDefault; }

void StartDefaultEvaluator() {
  EndDefaultEvaluator();
  gDefault = new formel_evaluator(kClassicWorkspace);
}

void EndDefaultEvaluator() {
  delete gDefault;
  gDefault = nullptr;
}

void ReleaseEvaluator(Evaluator* ev) {
  if (ev == gDefault) gDefault = nullptr;
  delete ev;
}

}  // namespace formel
