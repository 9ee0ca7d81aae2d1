// Variable substitution: every "[" outside quoted literals with a matching
// "]" (found by nesting count, quotes ignored) is replaced, brackets and
// all, by the literal of the value of the name between them. The name is
// passed as written; the search goes on behind the inserted literal, so a
// value is never searched for references itself.
#include <cstdint>
#include <vector>

#include "eval/observer/finding_message.h"
#include "eval/observer/findings.h"
#include "eval/literals.h"
#include "eval/observer/pair_findings.h"
#include "eval/observer/value_findings.h"
#include "eval/stages/pair_matching.h"
#include "eval/stages/stages.h"
#include "text/text.h"

namespace formel {

namespace {

[[gnu::noinline]] void ReportIfUnset(EvalContext& ctx, std::string_view reference, std::size_t at,
                                     const OriginTrack* track) {
  const std::string_view name = reference.substr(1, reference.size() - 2);
  if (IsVariableSet(ctx, name)) return;
  FindingMessage message;
  message << "no variable ";
  message.Quoted(name) << " is set: the reference reads as the empty text";
  const std::ptrdiff_t start = track == nullptr ? -1 : track->in->Find(at, reference.size());
  ReportFinding(ctx, finding::kUnsetVariable, message.View(), reference,
                SpanAt(start, reference.size()));
}

// The value just written at [at, out.size()) for the reference at `from`
// of the stage's input: a value that went in as it stands is marked as
// such, and blanks dropped from a text value are reported.
[[gnu::noinline]] void InspectSubstitution(EvalContext& ctx, std::string_view value,
                                           std::string_view reference, std::size_t from,
                                           const Text& out, std::size_t at, OriginTrack& track) {
  const Span where = SpanAt(track.in->Find(from, reference.size()), reference.size());
  const bool asItStands = StartsAndEndsWithQuote(value) || IsNumberForm(TrimBlanks(value));
  if (asItStands && out.size() > at) {
    NoteInsertedValue(ctx, value, {reference, where, true}, *track.out, at, out.size() - at);
  }
  if (ctx.Observed()) {
    FindingMessage what;
    what << "the value of ";
    what.Quoted(reference);
    InspectWrittenValue(ctx, value, what.View(), reference, where, false);
  }
}

// A value that alone goes past the length limit came from outside the
// formula: the finding points at its reference, so that a host can tell
// its own input from a text that the evaluation built.
[[noreturn, gnu::noinline]] void ExceedLengthByValue(EvalContext& ctx, std::string_view reference,
                                                     std::size_t at, const OriginTrack* track) {
  if (ctx.Observed()) {
    FindingMessage message;
    message << "the value of ";
    message.Quoted(reference) << " alone is longer than 4 MiB: the result is empty";
    const std::ptrdiff_t start = track == nullptr ? -1 : track->in->Find(at, reference.size());
    ReportFinding(ctx, finding::kLengthLimit, message.View(), reference, SpanAt(start, reference.size()));
  }
  throw std::bad_alloc();
}

}  // namespace

void SubstituteVariables(EvalContext& ctx, std::string_view text, Text& out, OriginTrack* track) {
  out.clear();
  std::size_t next = FindByte(text, '[');
  if (next == std::string_view::npos) {
    out.assign(text);
    if (track != nullptr) KeepAsWritten(ctx, ']', text, 0, text.size(), 0, false, *track);
    return;
  }
  ctx.UseScratch();
  std::pmr::vector<std::uint32_t>& closeOf = ctx.closeScratch;
  MatchPairs(text, '[', ']', closeOf, ctx.openScratch);
  out.reserve(text.size());
  bool insideQuotes = false;  // parity of the quotes in out
  std::size_t copied = 0;     // text before this is in out
  for (; next != std::string_view::npos; next = FindByte(text, '[', next)) {
    if (track != nullptr) {
      KeepAsWritten(ctx, ']', text, copied, next - copied, out.size(), insideQuotes, *track);
    }
    for (; copied < next; ++copied) {
      if (text[copied] == kQuote) insideQuotes = !insideQuotes;
      out.push_back(text[copied]);
    }
    const std::uint32_t close = closeOf[next];
    if (insideQuotes || close == kUnmatched) {
      if (ctx.Observed() && !insideQuotes) ReportUnclosed(ctx, '[', next, track);
      ++next;
      continue;
    }
    const std::size_t before = out.size();
    const std::string_view value = LookUpVariable(ctx, text.substr(next + 1, close - next - 1));
    if (ctx.Observed() && value.empty()) {
      ReportIfUnset(ctx, text.substr(next, close - next + 1), next, track);
    }
    AppendChargedLiteral(ctx, value, out);
    if (out.size() - before > kMaxTextLength) {
      ExceedLengthByValue(ctx, text.substr(next, close - next + 1), next, track);
    }
    LimitLength(ctx, out);
    if (track != nullptr) {
      InspectSubstitution(ctx, value, text.substr(next, close - next + 1), next, out, before, *track);
    }
    for (std::size_t i = before; i < out.size(); ++i) {
      if (out[i] == kQuote) insideQuotes = !insideQuotes;
    }
    copied = next = close + 1;
  }
  if (track != nullptr) {
    KeepAsWritten(ctx, ']', text, copied, text.size() - copied, out.size(), insideQuotes, *track);
  }
  out.append(text.substr(copied));
}

}  // namespace formel
