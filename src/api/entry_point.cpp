// The load-time entry points of the classic exports: they start and end the
// default evaluator.
#include "api/export_call.h"
#include "formel.h"

namespace {
constexpr FormelInt kProcessDetach = 0;
constexpr FormelInt kProcessAttach = 1;
}  // namespace

extern "C" FORMEL_API FormelInt FORMEL_CALL DLLEntryPoint(void* instance, FormelInt reason, void*) {
  using namespace formel;
  try {
    Evaluator* ev = DefaultEvaluator();
    if (reason == kProcessAttach) {
      if (ev != nullptr && ev->callDepth > 0) return 1;  // already running
      StartDefaultEvaluator();
      AttachProcess(instance);
    } else if (reason == kProcessDetach && ev != nullptr) {
      if (ev->callDepth > 0) {
        ev->releasePending = true;  // ended when the outermost call returns
      } else {
        EndDefaultEvaluator();
      }
    }
  } catch (...) {
    // Start-up reports no failure; without memory the library stays unloaded
    // and every export returns its nothing value.
    formel::EndDefaultEvaluator();
  }
  return 1;
}

extern "C" FORMEL_API FormelInt FORMEL_CALL AttachProcess(void*) {
  return formel::RunExport<FormelInt>(formel::DefaultEvaluator(), 0,
                                      [](formel::Evaluator& ev, formel::CallScope&) {
                                        ev.eval.funcs.Clear();
                                        ev.eval.vars.Clear();
                                        return 0;
                                      });
}
