// Going past a limit of the evaluation: the observer hears why before the
// evaluation ends as if out of memory, with an empty result.
#include <new>

#include "eval/findings.h"
#include "eval/stages.h"

namespace formel {

void ExceedLength(EvalContext& ctx) {
  if (ctx.observer.callback != nullptr) {
    ReportFinding(ctx, finding::kLengthLimit,
                  "a text of this evaluation grew past 4 MiB: the result is empty", {}, {});
  }
  throw std::bad_alloc();
}

void ExceedQuoting(EvalContext& ctx) {
  if (ctx.observer.callback != nullptr) {
    ReportFinding(ctx, finding::kQuotingLimit,
                  "the quotes that text literals add went past their allowance for this "
                  "formula: the result is empty",
                  {}, {});
  }
  throw std::bad_alloc();
}

}  // namespace formel
