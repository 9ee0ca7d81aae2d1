#include "eval/observer/call_findings.h"

#include "eval/observer/finding_message.h"
#include "eval/observer/findings.h"
#include "eval/literals.h"
#include "eval/observer/observer.h"

namespace formel {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

void ArgumentsTaken(FindingMessage& message, std::size_t taken, std::size_t given) {
  message << " takes " << static_cast<long long>(taken)
          << (taken == 1 ? " argument, " : " arguments, ") << static_cast<long long>(given)
          << (given == 1 ? " is given" : " are given");
}

// Walks the inside as the split did (commas outside quotes) and reports each
// comma that stands inside parentheses. Returns where argument `wanted`
// (0-based) begins in the inside, or kNone.
std::size_t WalkArguments(EvalContext& ctx, const CallFacts& call, std::size_t wanted) {
  const std::string_view inside = call.inside;
  bool insideQuotes = false;
  std::size_t depth = 0;
  std::size_t argument = 0;
  std::size_t found = wanted == 0 ? 0 : kNone;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    const char c = inside[i];
    if (c == kQuote) insideQuotes = !insideQuotes;
    if (insideQuotes) continue;
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
    if (++argument == wanted) found = i + 1;
  }
  return found;
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
    WalkArguments(ctx, call, kNone);
    return;
  }
  const auto takes = static_cast<std::size_t>(f.paramCount);
  const std::size_t extraStart = WalkArguments(ctx, call, takes);
  const std::size_t given = call.inside.empty() ? 0 : call.arguments;
  const bool tooFew = given < static_cast<std::size_t>(f.Required());
  if (given > takes || tooFew) ReportCount(ctx, call, given, given > takes ? extraStart : 0);
}

}  // namespace formel
