// Making and releasing evaluators, and their observer.
#include <new>

#include "api/evaluator.h"
#include "formel_evaluator.h"

extern "C" FORMEL_API formel_evaluator* FORMEL_CALL formel_new(void) {
  try {
    return new formel_evaluator(formel::kSmallWorkspace);
  } catch (...) {
    return nullptr;
  }
}

// Inside one of its own calls (a host function or the observer frees it)
// the release waits until that call returns.
extern "C" FORMEL_API void FORMEL_CALL formel_free(formel_evaluator* ev) {
  if (ev == nullptr) return;
  if (ev->callDepth > 0) {
    ev->releasePending = true;
    return;
  }
  formel::ReleaseEvaluator(ev);
}

extern "C" FORMEL_API int FORMEL_CALL formel_set_observer(formel_evaluator* ev,
                                                          formel_observer observer, void* user) {
  if (ev == nullptr || ev->eval.Listener().reporting) return 0;
  ev->eval.SetObserver(observer, user);
  return 1;
}
