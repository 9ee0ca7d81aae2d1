#include "eval/observer/call_findings.h"

#include "eval/observer/finding_message.h"
#include "eval/observer/findings.h"
#include "eval/literals.h"
#include "eval/observer/observer.h"
#include "eval/observer/pair_findings.h"

namespace formel {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

void ArgumentsTaken(FindingMessage& message, std::size_t taken, std::size_t given) {
  message << " takes " << static_cast<long long>(taken)
          << (taken == 1 ? " argument, " : " arguments, ") << static_cast<long long>(given)
          << (given == 1 ? " is given" : " are given");
}

struct Walk {
  std::size_t argumentStart = kNone;  // where the wanted argument begins
  std::size_t openQuote = kNone;      // a quote left open at the end
};

// Walks the inside as the split did (commas outside quotes) and reports each
// comma that stands inside parentheses. Finds where argument `wanted`
// (0-based) begins in the inside, and a quote that stays open.
Walk WalkArguments(EvalContext& ctx, const CallFacts& call, std::size_t wanted) {
  const std::string_view inside = call.inside;
  std::size_t depth = 0;
  std::size_t argument = 0;
  Walk walk;
  if (wanted == 0) walk.argumentStart = 0;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    const char c = inside[i];
    if (c == kQuote) walk.openQuote = walk.openQuote == kNone ? i : kNone;
    if (walk.openQuote != kNone) continue;
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (c != ',') continue;
    if (depth > 0) {
      FindingMessage message;
      message << "the comma inside parentheses ends argument "
              << static_cast<long long>(argument + 1) << " of ";
      message.Quoted(call.name) << ": arguments split at every comma outside quotes";
      ReportFinding(ctx, finding::kCommaInParentheses, message.View(), inside.substr(i, 1),
                    SpanOf(ctx, inside.substr(i, 1)));
    }
    if (++argument == wanted) walk.argumentStart = i + 1;
  }
  return walk;
}

// A quote left open ends the split: the argument from it on is not
// evaluated and the function does not get it.
bool ReportOpenQuote(EvalContext& ctx, const CallFacts& call, const Walk& walk) {
  if (walk.openQuote == kNone) return false;
  const std::string_view quote = call.inside.substr(walk.openQuote, 1);
  FindingMessage in;
  in << "the argument of ";
  in.Quoted(call.name) << " from it on is dropped, not evaluated";
  ReportUnclosedQuote(ctx, quote, SpanOf(ctx, quote), in.View());
  return true;
}

void ReportUnknown(EvalContext& ctx, const CallFacts& call) {
  FindingMessage message;
  message << "no function ";
  message.Quoted(call.name) << " is registered: the call gives its argument list as text";
  ReportFinding(ctx, finding::kUnknownFunction, message.View(), call.written,
                SpanOf(ctx, call.written));
}

void ReportCount(EvalContext& ctx, const CallFacts& call, std::size_t given,
                 std::size_t extraStart) {
  const auto takes = static_cast<std::size_t>(call.function.paramCount);
  FindingMessage message;
  message.Quoted(call.name);
  ArgumentsTaken(message, takes, given);
  if (given > takes) {
    message << ": the extra ones are evaluated and dropped";
    const std::string_view extra = call.inside.substr(extraStart);
    ReportFinding(ctx, finding::kExtraArguments, message.View(), extra, SpanOf(ctx, extra));
    return;
  }
  message << ": the missing ones are empty";
  ReportFinding(ctx, finding::kMissingArguments, message.View(), call.written,
                SpanOf(ctx, call.written));
}

}  // namespace

void InspectCall(EvalContext& ctx, const CallFacts& call) {
  const FuncInfo& f = call.function;
  if (!f.Callable()) {
    ReportUnknown(ctx, call);
    ReportOpenQuote(ctx, call, WalkArguments(ctx, call, kNone));
    return;
  }
  const auto takes = static_cast<std::size_t>(f.paramCount);
  const Walk walk = WalkArguments(ctx, call, takes);
  if (ReportOpenQuote(ctx, call, walk)) return;  // the count follows from it
  const std::size_t extraStart = walk.argumentStart;
  const std::size_t given = call.inside.empty() ? 0 : call.arguments;
  const bool tooFew = given < static_cast<std::size_t>(f.Required());
  if (given > takes || tooFew) ReportCount(ctx, call, given, given > takes ? extraStart : 0);
}

}  // namespace formel
