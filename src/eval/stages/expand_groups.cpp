// Group and call expansion. Each balanced "(" ... ")" outside quoted
// literals (matched by nesting count, quotes ignored), left to right, is
// replaced by the literal of its value. The bytes before the "(" back to a
// name delimiter form the name: none makes a plain group, evaluated as a
// formula of its own; a name makes a call, whose arguments (split at commas
// outside quotes) are evaluated first and then handed to the host function.
#include <algorithm>
#include <array>
#include <vector>

#include "eval/observer/call_findings.h"
#include "eval/observer/finding_message.h"
#include "eval/observer/findings.h"
#include "eval/literals.h"
#include "eval/observer/pair_findings.h"
#include "eval/observer/value_findings.h"
#include "eval/stages/pair_matching.h"
#include "eval/stages/stages.h"
#include "text/bytes.h"
#include "text/text.h"

namespace formel {

// Where each "(" of a formula closes. Built once for the outermost text:
// every group inside and every argument is a piece of that text, and a "("
// matched at or beyond the end of a piece is unmatched within it.
struct ParenIndex {
  std::string_view base;
  std::pmr::vector<std::uint32_t>& closeOf;

  ParenIndex(std::string_view text, std::pmr::vector<std::uint32_t>& storage,
             std::pmr::vector<std::uint32_t>& open)
      : base(text), closeOf(storage) {
    MatchPairs(text, '(', ')', closeOf, open);
  }

  bool Covers(std::string_view piece) const {
    return piece.data() >= base.data() && piece.data() + piece.size() <= base.data() + base.size();
  }

  // Index in piece of the ")" matching the "(" at index open, or npos.
  std::size_t CloseWithin(std::string_view piece, std::size_t open) const {
    const std::size_t offset = static_cast<std::size_t>(piece.data() - base.data());
    const std::uint32_t close = closeOf[offset + open];
    if (close == kUnmatched || close - offset >= piece.size()) return std::string_view::npos;
    return close - offset;
  }
};

// Length of the raw name at the end of before: scanning leftward, blanks are
// passed until something else is met; then a delimiter ends the name.
std::size_t RawNameLength(std::string_view before) {
  if (before.empty()) return 0;
  std::size_t p = before.size();  // 1-based position scanned
  bool metNonBlank = false;
  for (;; --p) {
    const char c = before[p - 1];
    if (c != ' ') metNonBlank = true;
    if (p == 1 || (IsOperandDelimiterOrQuote(c) && metNonBlank)) break;
  }
  return IsOperandDelimiterOrQuote(before[p - 1]) ? before.size() - p : before.size();
}

// Index of the first comma at or after from outside quotes (a quote opens
// or closes a literal), or the end of inside: the argument's end. npos when
// a quote stays open: that last piece is no argument. Jumps from quote to
// quote and to the next comma.
std::size_t ArgumentEnd(std::string_view inside, std::size_t from) {
  for (std::size_t i = from;;) {
    const std::size_t comma = std::min(FindByte(inside, ',', i), inside.size());
    const std::size_t quote = FindByte(inside, kQuote, i);
    if (quote >= comma) return comma;
    const std::size_t closing = FindByte(inside, kQuote, quote + 1);
    if (closing == std::string_view::npos) return std::string_view::npos;
    i = closing + 1;
  }
}

namespace {

using HostText = const char*;

// Evaluates every argument (split at commas outside quotes, a final comma
// appended) into the argument slots, then calls the host function. The
// value is built at the write position the call started from. Arguments
// past the tenth are evaluated and dropped; an unregistered name (or call
// ID 0) gives the argument list itself, final comma included. call is the
// call as written, for the observer.
// Not inlined: its frame would otherwise sit in ExpandFrom's, which every
// level of nesting keeps on the stack, groups included.
[[gnu::noinline]] std::string_view ExpandCall(EvalContext& ctx, std::string_view name,
                                              std::string_view inside, std::string_view call) {
  StringWorkspace& ws = ctx.workspace;
  const StringWorkspace::Mark start = ws.Position();
  std::array<HostText, kMaxParams> slots;
  slots.fill("");
  std::size_t count = 0;
  for (std::size_t from = 0; from <= inside.size();) {
    const std::size_t comma = ArgumentEnd(inside, from);
    if (comma == std::string_view::npos) break;
    const StringWorkspace::Mark before = ws.Position();
    const std::string_view value = EvaluateFormula(ctx, inside.substr(from, comma - from));
    if (count < kMaxParams) {
      slots[count] = value.data();
      ws.Keep();
    } else {
      ws.Rewind(before);
    }
    ++count;
    from = comma + 1;
  }
  const FuncInfo f = LookUpFunction(ctx, name);
  if (ctx.Observed()) InspectCall(ctx, {name, call, inside, count, f});
  if (!f.Callable()) {
    ws.Rewind(start);
    char* list = ws.Reserve(inside.size() + 1);
    std::copy(inside.begin(), inside.end(), list);
    list[inside.size()] = ',';
    return {ws.Commit(inside.size() + 1), inside.size() + 1};
  }
  NumberResultRoom room;
  const HostText result = CallHost(f, slots, room);
  ws.Rewind(start);  // the host's text may lie above: Put copies it down
  const std::string_view value = View(result);
  return {ws.Put(value), value.size()};
}

void AppendTracked(std::string_view piece, Text& out, bool& insideQuotes) {
  insideQuotes ^= OddQuotes(piece);
  out.append(piece);
}

// Makes index the current paren index while it lives, restoring the one
// before (a host function may start an evaluation of a new text).
class CurrentIndex {
 public:
  CurrentIndex(EvalContext& ctx, ParenIndex* index) : ctx_(ctx), previous_(ctx.parenIndex) {
    ctx_.parenIndex = index;
  }
  ~CurrentIndex() { ctx_.parenIndex = previous_; }
  CurrentIndex(const CurrentIndex&) = delete;
  CurrentIndex& operator=(const CurrentIndex&) = delete;

 private:
  EvalContext& ctx_;
  ParenIndex* previous_;
};

// Shows one replaced group or call and the literal that replaces it:
// written is the group, or the call from its name to its ")", as written
// (the name and the group when the name was made by an earlier stage). Its
// texts live in its own frame, not in the frame of the nesting levels.
[[gnu::noinline]] void ReportReplacement(EvalContext& ctx, std::string_view name,
                                         std::string_view group, std::string_view written,
                                         std::string_view value) {
  Text called(ctx.heap);
  if (name.empty() || written.size() > group.size()) {
    called.append(written);
  } else {
    called.append(name).append(group);
  }
  Text literal(ctx.heap);
  AppendLiteral(value, literal);
  ReportGroup(ctx, name.empty() ? "group" : "call", called, literal, written);
}

// The value of a group or call just written at [at, out.size()): a host
// function's result that went in as it stands is marked as such, and
// blanks dropped from a text value are reported.
[[gnu::noinline]] void InspectReplacement(EvalContext& ctx, std::string_view name,
                                          std::string_view written, std::string_view value,
                                          const Text& out, std::size_t at, OriginTrack& track) {
  const Span where = SpanOf(ctx, written);
  const bool asItStands = StartsAndEndsWithQuote(value) || IsNumberForm(TrimBlanks(value));
  if (!name.empty() && asItStands && out.size() > at) {
    NoteInsertedValue(ctx, value, {written, where, false}, *track.out, at, out.size() - at);
  }
  if (!ctx.Observed()) return;
  FindingMessage what;
  if (name.empty()) {
    what << "the value of the group";
  } else {
    what << "the result of ";
    what.Quoted(name);
  }
  InspectWrittenValue(ctx, value, what.View(), written, where, false);
}

[[gnu::noinline]] void ReportTooDeep(EvalContext& ctx, std::string_view group) {
  FindingMessage message;
  message << "groups nest at most " << static_cast<long long>(kMaxNesting)
          << " deep: this group stays in the text as written";
  ReportFinding(ctx, finding::kNestingLimit, message.View(), group, SpanOf(ctx, group));
}

// The call from its trimmed name to its ")" when the name stands in text
// right before the group, else the group alone. name lies at the end of
// out, whose last `copied` bytes are text's bytes before the group.
std::string_view CallAsWritten(std::string_view text, std::size_t open, std::size_t close,
                               const Text& out, std::size_t copied, std::string_view name) {
  const auto behindName = static_cast<std::size_t>(out.data() + out.size() - name.data());
  const std::size_t start = behindName > copied ? open : open - behindName;
  return text.substr(start, close - start + 1);
}

// copied: text before this is in out; insideQuotes: the parity of the
// quotes in out.
void ExpandFrom(EvalContext& ctx, const ParenIndex& index, std::string_view text, std::size_t next,
                Text& out, OriginTrack* track, std::size_t copied = 0, bool insideQuotes = false) {
  for (; next != std::string_view::npos; next = FindByte(text, '(', next)) {
    if (track != nullptr) {
      KeepAsWritten(ctx, ')', text, copied, next - copied, out.size(), insideQuotes, *track);
    }
    AppendTracked(text.substr(copied, next - copied), out, insideQuotes);
    const std::size_t copiedBefore = next - copied;
    copied = next;
    const std::size_t close = index.CloseWithin(text, next);
    if (insideQuotes || close == std::string_view::npos) {
      if (ctx.Observed() && !insideQuotes) ReportUnclosed(ctx, '(', next, track);
      ++next;
      continue;
    }
    const std::string_view group = text.substr(next, close - next + 1);
    if (ctx.evalDepth > kMaxNesting) {  // too deep: left as written
      if (ctx.Observed()) ReportTooDeep(ctx, group);
      if (track != nullptr) track->out->Append(*track->in, next, group.size(), out.size());
      AppendTracked(group, out, insideQuotes);
      copied = next = close + 1;
      continue;
    }
    const std::size_t rawLength = RawNameLength(out);
    const std::string_view name = TrimBlanks(std::string_view(out).substr(out.size() - rawLength));
    const std::string_view inside = group.substr(1, group.size() - 2);
    const StringWorkspace::Mark mark = ctx.workspace.Position();
    const std::string_view written =
        name.empty() ? group : CallAsWritten(text, next, close, out, copiedBefore, name);
    const std::string_view value =
        name.empty() ? EvaluateFormula(ctx, inside) : ExpandCall(ctx, name, inside, written);
    if (ctx.Observed()) ReportReplacement(ctx, name, group, written, value);
    // name lies in out, which the literal below may move elsewhere.
    Text calledName(ctx.heap);
    if (track != nullptr) calledName.assign(name);
    const std::size_t literalStart = out.size() - rawLength;
    out.resize(literalStart);  // raw names hold no quotes: the parity stays
    if (track != nullptr) track->out->Truncate(literalStart);
    AppendChargedLiteral(ctx, value, out);
    LimitLength(ctx, out);
    if (track != nullptr) InspectReplacement(ctx, calledName, written, value, out, literalStart, *track);
    // A literal that quoting wrote has an even number of quotes (the outer
    // two and the doubled ones); a number form has none: only a value kept
    // as it stands is counted.
    if (StartsAndEndsWithQuote(value)) insideQuotes ^= OddQuotes(std::string_view(out).substr(literalStart));
    ctx.workspace.Rewind(mark);
    copied = next = close + 1;
  }
  if (track != nullptr) {
    KeepAsWritten(ctx, ')', text, copied, text.size() - copied, out.size(), insideQuotes, *track);
  }
  out.append(text.substr(copied));
}

}  // namespace

namespace {

// Builds the paren index of a text that no index covers yet: the
// outermost formula, or one that a host function evaluates. Kept out of
// ExpandGroups' frame, which every level of nesting keeps on the stack.
[[gnu::noinline]] void ExpandWithNewIndex(EvalContext& ctx, std::string_view text, std::size_t first,
                                          Text& out, OriginTrack* track, std::size_t copied = 0,
                                          bool insideQuotes = false) {
  if (ctx.parenIndex == nullptr) {  // the outermost formula: the scratch is free
    ctx.UseScratch();
    ParenIndex index(text, ctx.parenScratch, ctx.openScratch);
    CurrentIndex current(ctx, &index);
    ExpandFrom(ctx, index, text, first, out, track, copied, insideQuotes);
    return;
  }
  std::pmr::vector<std::uint32_t> storage(ctx.heap);
  std::pmr::vector<std::uint32_t> open(ctx.heap);
  ParenIndex index(text, storage, open);
  CurrentIndex current(ctx, &index);
  ExpandFrom(ctx, index, text, first, out, track, copied, insideQuotes);
}

}  // namespace

void ExpandGroups(EvalContext& ctx, std::string_view text, Text& out, OriginTrack* track) {
  out.clear();
  const std::size_t first = FindByte(text, '(');
  if (first == std::string_view::npos) {
    out.assign(text);
    if (track != nullptr) KeepAsWritten(ctx, ')', text, 0, text.size(), 0, false, *track);
    return;
  }
  if (ctx.parenIndex != nullptr && ctx.parenIndex->Covers(text)) {
    ExpandFrom(ctx, *ctx.parenIndex, text, first, out, track);
    return;
  }
  ExpandWithNewIndex(ctx, text, first, out, track);
}

void ExpandGroupsFrom(EvalContext& ctx, std::string_view text, std::size_t from, bool insideQuotes,
                      Text& out) {
  ExpandWithNewIndex(ctx, text, FindByte(text, '(', from), out, nullptr, from, insideQuotes);
}

}  // namespace formel
