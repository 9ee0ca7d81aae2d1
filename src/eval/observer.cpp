#include "eval/observer.h"

#include <functional>

#include "eval/context.h"

namespace formel {

namespace {

formel_text TextOf(std::string_view text) { return {text.data(), text.size()}; }

void Report(EvalContext& ctx, formel_event& event) {
  event.depth = ctx.evalDepth;
  ctx.observer.reporting = true;
  ctx.observer.callback(ctx.observer.user, &event);
  ctx.observer.reporting = false;
}

}  // namespace

void ReportStage(EvalContext& ctx, std::string_view stage, std::string_view before,
                 std::string_view after) {
  formel_event event{FORMEL_EVENT_STAGE, 0, TextOf(stage), TextOf(before), TextOf(after), -1, -1};
  Report(ctx, event);
}

void ReportGroup(EvalContext& ctx, std::string_view kind, std::string_view written,
                 std::string_view literal, std::string_view where) {
  formel_event event{FORMEL_EVENT_GROUP, 0, TextOf(kind), TextOf(written), TextOf(literal), -1, -1};
  const std::less_equal<const char*> atOrBefore;
  const char* base = ctx.outermost.data();
  if (atOrBefore(base, where.data()) &&
      atOrBefore(where.data() + where.size(), base + ctx.outermost.size())) {
    event.start = where.data() - base;
    event.end = event.start + static_cast<std::ptrdiff_t>(where.size());
  }
  Report(ctx, event);
}

}  // namespace formel
