#include "eval/observer/observer.h"

#include "eval/context.h"
#include "eval/observer/origins.h"

namespace formel {

namespace {

formel_text TextOf(std::string_view text) { return {text.data(), text.size()}; }

void Report(EvalContext& ctx, formel_event& event) {
  event.depth = ctx.evalDepth;
  ctx.SetReporting(true);
  ctx.Listener().callback(ctx.Listener().user, &event);
  ctx.SetReporting(false);
}

}  // namespace

Span SpanOf(const EvalContext& ctx, std::string_view piece) {
  return SpanAt(OffsetIn(ctx.outermost, piece), piece.size());
}

Span SpanAt(std::ptrdiff_t start, std::size_t n) {
  if (start < 0) return {};
  return {start, start + static_cast<std::ptrdiff_t>(n)};
}

void ReportStage(EvalContext& ctx, std::string_view stage, std::string_view before,
                 std::string_view after) {
  formel_event event{FORMEL_EVENT_STAGE, 0, TextOf(stage), TextOf(before), TextOf(after), -1, -1};
  Report(ctx, event);
}

void ReportGroup(EvalContext& ctx, std::string_view kind, std::string_view written,
                 std::string_view literal, std::string_view where) {
  const Span span = SpanOf(ctx, where);
  formel_event event{FORMEL_EVENT_GROUP, 0,          TextOf(kind), TextOf(written),
                     TextOf(literal),    span.start, span.end};
  Report(ctx, event);
}

void ReportFinding(EvalContext& ctx, std::string_view code, std::string_view message,
                   std::string_view text, Span where) {
  formel_event event{FORMEL_EVENT_FINDING, 0,           TextOf(code), TextOf(text),
                     TextOf(message),      where.start, where.end};
  Report(ctx, event);
}

}  // namespace formel
