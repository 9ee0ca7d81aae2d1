// The formula driver: groups and calls, then variables, then the sixteen
// operator passes in their fixed order (the precedence of the language),
// then a last sign folding and the form of the result.
#include <memory_resource>
#include <new>

#include "eval/base_suffix.h"
#include "eval/literals.h"
#include "eval/shortcuts/shortcuts.h"
#include "eval/operators.h"
#include "eval/observer/operand_findings.h"
#include "eval/observer/pair_findings.h"
#include "eval/stages/level_depth.h"
#include "eval/stages/plan_cache.h"
#include "eval/stages/stages.h"
#include "text/numbers.h"
#include "text/text.h"

namespace formel {

namespace {

// A number form is written out: a base-suffixed integer in decimal (in
// digits), and one leading "+" dropped.
std::string_view FinishNumberForm(std::string_view text, char* digits) {
  if (const auto value = BaseSuffixValue(text)) text = {digits, FormatInt(*value, digits)};
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

// The result's value, written at the workspace write position.
std::string_view PutResult(StringWorkspace& ws, std::string_view literal) {
  char* out = ws.Reserve(literal.size());
  const std::size_t n = WriteUnquoted(literal, out);
  return {ws.Commit(n), n};
}

// The origins of a level's working texts, while an observer listens.
struct LevelOrigins {
  explicit LevelOrigins(std::pmr::memory_resource* heap) : current(heap), next(heap), scratch(heap) {}
  Origins current;
  Origins next;
  Origins scratch;
  OriginTrack track{&current, &next, &scratch};
};

class Stages {
 public:
  // formula: the level's, all of which stands in the outermost one.
  Stages(EvalContext& ctx, std::string_view formula)
      : ctx_(ctx), current_(ctx.heap), next_(ctx.heap) {
    if (ctx.Observed()) origins_ = NewOrigins(ctx, formula);
  }
  ~Stages() {
    if (origins_ == nullptr) return;
    origins_->~LevelOrigins();
    ctx_.heap->deallocate(origins_, sizeof(LevelOrigins), alignof(LevelOrigins));
  }
  Stages(const Stages&) = delete;
  Stages& operator=(const Stages&) = delete;

  Text& Current() { return current_; }
  Text& Next() { return next_; }
  // The origins of the stage about to run, the ones it fills empty; null
  // when not kept.
  OriginTrack* Track() {
    if (origins_ == nullptr) return nullptr;
    origins_->next.Clear();
    return &origins_->track;
  }

  // Makes the text just built in Next() the current one.
  void Advance(std::string_view stage) { Advance(stage, current_); }
  void Advance(std::string_view stage, std::string_view before) {
    LimitLength(ctx_, next_);
    if (ctx_.Observed()) ReportStage(ctx_, stage, before, next_);
    current_.swap(next_);
    if (origins_ != nullptr) origins_->current.Swap(origins_->next);
  }

 private:
  // Kept out of the constructor's inlined code: most levels never need it.
  [[gnu::noinline]] static LevelOrigins* NewOrigins(EvalContext& ctx, std::string_view formula) {
    void* room = ctx.heap->allocate(sizeof(LevelOrigins), alignof(LevelOrigins));
    auto* origins = new (room) LevelOrigins(ctx.heap);
    origins->current.SetView(ctx.outermost, formula);
    return origins;
  }

  EvalContext& ctx_;
  Text current_;
  Text next_;
  LevelOrigins* origins_ = nullptr;
};

// A suffix letter alone ("b") reads as the number 0.
[[gnu::noinline]] void ReportLoneSuffix(EvalContext& ctx, Stages& s, std::string_view letter) {
  const OriginTrack* track = s.Track();
  const auto at = static_cast<std::size_t>(letter.data() - s.Current().data());
  InspectSuffixWord(ctx, letter, "0", SpanAt(track == nullptr ? -1 : track->in->Find(at, 1), 1));
}

// The stages after variables. Inlined in both its callers: the driver's
// way pays no extra call.
[[gnu::always_inline]] inline std::string_view FinishSubstituted(EvalContext& ctx, Stages& s,
                                                                 StringWorkspace::Mark start) {
  auto literalResult = [&] {
    ctx.workspace.Rewind(start);
    return PutResult(ctx.workspace, s.Current());
  };
  if (ctx.Observed()) InspectQuotes(ctx, s.Current(), s.Track());
  if (!ctx.GeneralPathOnly()) {
    ctx.workspace.Rewind(start);  // the texts of the stages live on the heap
    if (const auto joined = JoinOfTwoLiterals(ctx, s.Current())) return *joined;
    if (const auto value = PlainArithmetic(ctx, s.Current())) return *value;
    if (IsPlainNumberLeft(s.Current())) return PutResult(ctx.workspace, s.Current());
  }
  std::uint32_t needed = PassesNeeded(s.Current());
  for (int pass = NextPass(needed, 0); pass < kPassCount; pass = NextPass(needed, pass + 1)) {
    const Operator& op = kOperatorPasses[static_cast<std::size_t>(pass)];
    ApplyOperator(ctx, s.Current(), op, s.Next(), (needed & kSignPairFound) != 0, s.Track());
    s.Advance(op.written);
    if (OnlyALiteralLeft(ctx, s.Current())) return literalResult();
    needed = PassesNeeded(s.Current());
  }
  if ((needed & kSignPairFound) != 0) {
    FoldSigns(s.Current(), s.Next(), s.Track());
    s.Advance("signs");
  } else if (ctx.Observed()) {  // folding would change nothing
    ReportStage(ctx, "signs", s.Current(), s.Current());
  }
  std::string_view text = TrimBlanks(s.Current());
  char digits[kIntTextMax];
  const bool quotedEnds = StartsAndEndsWithQuote(text);
  if (!quotedEnds && IsNumberForm(text)) {
    const std::string_view written = text;
    text = FinishNumberForm(text, digits);
    if (ctx.Observed() && written.size() == 1 && text.data() == digits) ReportLoneSuffix(ctx, s, written);
  }
  ctx.workspace.Rewind(start);
  const std::string_view result = PutResult(ctx.workspace, text);
  if (ctx.Observed()) ReportStage(ctx, "result", text, result);
  return result;
}

// The stages after groups and calls. Kept out of EvaluateFormula's frame,
// which every level of nesting keeps on the stack.
[[gnu::noinline]] std::string_view FinishFormula(EvalContext& ctx, Stages& s,
                                                 StringWorkspace::Mark start) {
  if (OnlyALiteralLeft(ctx, s.Current())) {
    ctx.workspace.Rewind(start);
    return PutResult(ctx.workspace, s.Current());
  }
  if (FindByte(s.Current(), '[') != Text::npos) {
    SubstituteVariables(ctx, s.Current(), s.Next(), s.Track());
    s.Advance("variables");
  } else if (ctx.Observed()) {  // a "]" still stays unclaimed
    ReportStrayClosers(ctx, ']', s.Current(), 0, false, s.Track());
  }
  return FinishSubstituted(ctx, s, start);
}

// The driver from the repeated formula on. Inlined in both its callers.
[[gnu::always_inline]] inline std::string_view EvaluateFromRepeated(EvalContext& ctx,
                                                                    std::string_view formula) {
  if (const auto value = RepeatedFormulaResult(ctx, formula)) return *value;
  LevelDepth depth(ctx);
  if (ctx.evalDepth == 1) {
    StartOutermost(ctx, formula);
    if (ctx.Observed()) ctx.inserted.clear();
  }
  const StringWorkspace::Mark start = ctx.workspace.Position();
  Stages s(ctx, formula);
  ExpandGroups(ctx, formula, s.Next(), s.Track());
  s.Next().push_back(' ');  // the operand scans end the last operand on it
  s.Advance("groups", formula);
  return FinishFormula(ctx, s, start);
}

}  // namespace

std::string_view EvaluateFormula(EvalContext& ctx, std::string_view formula) {
  if (IsOwnResult(ctx, formula)) return {ctx.workspace.Put(formula), formula.size()};
  if (const auto value = VariableAlone(ctx, formula)) return *value;
  if (const auto value = PlannedResult(ctx, formula)) return *value;
  return EvaluateFromRepeated(ctx, formula);
}

std::string_view EvaluateUnplanned(EvalContext& ctx, std::string_view formula) {
  return EvaluateFromRepeated(ctx, formula);
}

std::string_view EvaluateExpanded(EvalContext& ctx, std::string_view expanded, std::string_view formula) {
  const StringWorkspace::Mark start = ctx.workspace.Position();
  Stages s(ctx, formula);
  s.Next().assign(expanded);
  s.Advance("groups", formula);
  return FinishFormula(ctx, s, start);
}

std::string_view EvaluateSubstituted(EvalContext& ctx, std::string_view substituted,
                                     std::string_view formula) {
  const StringWorkspace::Mark start = ctx.workspace.Position();
  Stages s(ctx, formula);
  s.Next().assign(substituted);
  s.Advance("variables", formula);
  return FinishSubstituted(ctx, s, start);
}

}  // namespace formel
