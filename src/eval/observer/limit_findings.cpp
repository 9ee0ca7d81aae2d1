// Going past a limit of the evaluation: the observer hears why before the
// evaluation ends as if out of memory, with an empty result.
#include <new>

#include "eval/observer/findings.h"
#include "eval/observer/observer.h"
#include "eval/limits.h"

namespace formel {

void ExceedLength(EvalContext& ctx) {
  if (ctx.Observed()) {
    ReportFinding(ctx, finding::kLengthLimit,
                  "a text of this evaluation grew past 4 MiB: the result is empty", {}, {});
  }
  throw std::bad_alloc();
}

void ExceedQuoting(EvalContext& ctx) {
  if (ctx.Observed()) {
    ReportFinding(ctx, finding::kQuotingLimit,
                  "the quotes that text literals add went past their allowance for this "
                  "formula: the result is empty",
                  {}, {});
  }
  throw std::bad_alloc();
}

}  // namespace formel
