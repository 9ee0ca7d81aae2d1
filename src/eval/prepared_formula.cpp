#include "eval/prepared_formula.h"

#include <array>

#include "eval/filled_level.h"
#include "eval/literals.h"
#include "eval/number_chain.h"
#include "eval/pair_matching.h"
#include "eval/stages.h"
#include "text/text.h"

namespace formel {

namespace {

// Counts a level in progress, as the driver does for every level.
class LevelDepth {
 public:
  explicit LevelDepth(EvalContext& ctx) : ctx_(ctx) { ++ctx_.evalDepth; }
  ~LevelDepth() { --ctx_.evalDepth; }
  LevelDepth(const LevelDepth&) = delete;
  LevelDepth& operator=(const LevelDepth&) = delete;

 private:
  EvalContext& ctx_;
};

// The raw name before a group whose text back to the group before it is
// segment: its length, or npos when the scan would go on into that
// group's literal (it meets no delimiter after a byte that is not blank).
std::size_t RawNameAfterGroup(std::string_view segment) {
  const std::size_t length = RawNameLength(segment);
  if (length >= segment.size()) return std::string_view::npos;
  const std::size_t stop = segment.size() - length - 1;
  if (!IsNameDelimiter(segment[stop])) return std::string_view::npos;
  for (std::size_t i = stop; i < segment.size(); ++i) {
    if (segment[i] != ' ') return length;
  }
  return std::string_view::npos;
}

std::uint32_t U32(std::size_t n) { return static_cast<std::uint32_t>(n); }

bool HasBracket(std::string_view text) {
  return FindByte(text, '[') != std::string_view::npos || FindByte(text, ']') != std::string_view::npos;
}

// Buffers grown past this by a long value are given back after the run.
constexpr std::size_t kKeptBuffer = 4096;

}  // namespace

PreparedFormula::PreparedFormula(std::pmr::memory_resource* heap)
    : formula_(heap), levels_(heap), groups_(heap), refs_(heap), args_(heap), segments_(heap),
      expanded_(heap), filled_(heap), scratch_(heap), stack_(heap) {}

std::string_view PreparedFormula::LevelText(const Level& l) const {
  return std::string_view(formula_).substr(l.begin, l.size);
}

bool PreparedFormula::Prepare(EvalContext& ctx, std::string_view formula) {
  formula_.assign(formula);
  levels_.clear();
  groups_.clear();
  refs_.clear();
  args_.clear();
  std::size_t depths = 0;
  bool prepared = PrepareLevel(ctx, 0, formula.size(), 0);
  if (prepared) {
    const Level& top = levels_.front();
    prepared = top.groups + top.refs > 0;
    for (const Level& l : levels_) depths = std::max<std::size_t>(depths, l.depth + 1);
  }
  if (!prepared) {
    formula_.clear();
    levels_.clear();
    return false;
  }
  std::size_t segments = 0;
  for (const Level& l : levels_) segments = std::max<std::size_t>(segments, l.firstSegment + l.groups + 1);
  segments_.assign(segments, 0);
  expanded_.resize(depths, Text(formula_.get_allocator()));
  filled_.resize(depths, Text(formula_.get_allocator()));
  LookUpNames(ctx);
  return true;
}

// A level without groups or references is left to the driver whole.
bool PreparedFormula::PrepareLevel(EvalContext& ctx, std::size_t begin, std::size_t end,
                                   std::size_t depth) {
  if (depth >= kMaxDepth) return false;
  const std::size_t index = levels_.size();
  levels_.push_back({U32(begin), U32(end - begin), U32(groups_.size()), 0, 0, 0, 0, U32(depth)});
  const std::string_view text = std::string_view(formula_).substr(begin, end - begin);
  if (!FindGroups(index, text) || !FindReferences(index, text)) return false;
  // The insides and arguments, each a level of its own.
  const Level l = levels_[index];
  for (std::size_t g = l.firstGroup; g < l.firstGroup + l.groups; ++g) {
    const std::size_t open = begin + groups_[g].open + 1;
    const std::string_view inside = text.substr(groups_[g].open + 1, groups_[g].close - groups_[g].open - 1);
    if (!groups_[g].call) {
      groups_[g].inside = U32(levels_.size());
      if (!PrepareLevel(ctx, open, open + inside.size(), depth + 1)) return false;
      continue;
    }
    groups_[g].firstArg = U32(args_.size());
    std::size_t count = 0;
    for (std::size_t from = 0; from <= inside.size(); ++count) {
      const std::size_t comma = ArgumentEnd(inside, from);
      if (comma == std::string_view::npos) break;
      args_.push_back(0);
      from = comma + 1;
    }
    groups_[g].args = U32(count);
    std::size_t from = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t comma = ArgumentEnd(inside, from);
      args_[groups_[g].firstArg + k] = U32(levels_.size());
      if (!PrepareLevel(ctx, open + from, open + comma, depth + 1)) return false;
      from = comma + 1;
    }
  }
  return true;
}

// The groups as ExpandGroups finds them: each "(" outside quotes with its
// ")" by count, left to right, the search going on behind each group.
bool PreparedFormula::FindGroups(std::size_t level, std::string_view text) {
  MatchPairs(text, '(', ')', scratch_, stack_);
  bool insideQuotes = false;
  std::size_t copied = 0;
  bool afterGroup = false;
  for (std::size_t next = FindByte(text, '('); next != std::string_view::npos;
       next = FindByte(text, '(', next)) {
    insideQuotes ^= OddQuotes(text.substr(copied, next - copied));
    const std::size_t segmentStart = afterGroup ? copied : 0;
    copied = next;
    const std::uint32_t close = scratch_[next];
    if (insideQuotes || close == kUnmatched) {
      ++next;
      continue;
    }
    const std::string_view before = text.substr(segmentStart, next - segmentStart);
    const std::size_t raw = afterGroup ? RawNameAfterGroup(before) : RawNameLength(before);
    if (raw == std::string_view::npos) return false;
    const std::string_view name = TrimBlanks(before.substr(before.size() - raw));
    Group g{};
    g.open = U32(next);
    g.close = close;
    g.rawName = U32(raw);
    g.nameBegin = U32(levels_[level].begin + static_cast<std::size_t>(name.data() - text.data()));
    g.nameSize = U32(name.size());
    g.call = !name.empty();
    groups_.push_back(g);
    ++levels_[level].groups;
    copied = next = close + 1;
    afterGroup = true;
  }
  return true;
}

// The references as SubstituteVariables finds them in the text that the
// groups leave: built here with one digit for each group and its name.
// A reference must lie within one segment.
bool PreparedFormula::FindReferences(std::size_t level, std::string_view text) {
  Level& l = levels_[level];
  l.firstRef = U32(refs_.size());
  l.firstSegment = 0;
  if (level > 0) {
    const Level& before = levels_[level - 1];
    l.firstSegment = before.firstSegment + before.groups + 1;
  }
  if (FindByte(text, '[') == std::string_view::npos) return true;
  Text skeleton(formula_.get_allocator());
  std::pmr::vector<std::uint32_t> starts(formula_.get_allocator());  // of the segments in skeleton
  std::pmr::vector<std::uint32_t> origins(formula_.get_allocator()); // of the segments in text
  std::size_t copied = 0;
  for (std::size_t g = l.firstGroup; g < l.firstGroup + l.groups; ++g) {
    starts.push_back(U32(skeleton.size()));
    origins.push_back(U32(copied));
    skeleton.append(text.substr(copied, groups_[g].open - groups_[g].rawName - copied));
    skeleton.push_back('0');
    copied = groups_[g].close + 1;
  }
  starts.push_back(U32(skeleton.size()));
  origins.push_back(U32(copied));
  skeleton.append(text.substr(copied));
  MatchPairs(skeleton, '[', ']', scratch_, stack_);
  bool insideQuotes = false;
  copied = 0;
  for (std::size_t next = FindByte(skeleton, '['); next != std::string_view::npos;
       next = FindByte(skeleton, '[', next)) {
    for (; copied < next; ++copied) insideQuotes ^= skeleton[copied] == kQuote;
    const std::uint32_t close = scratch_[next];
    if (insideQuotes || close == kUnmatched) {
      ++next;
      continue;
    }
    std::size_t segment = 0;
    while (segment + 1 < starts.size() && starts[segment + 1] <= next) ++segment;
    if (segment + 1 < starts.size() && close >= starts[segment + 1] - 1) return false;  // around a group
    const std::size_t offset = next - starts[segment];
    refs_.push_back({U32(l.firstSegment + segment), U32(offset), U32(close - next + 1),
                     U32(l.begin + origins[segment] + offset + 1), nullptr});
    ++l.refs;
    copied = next = close + 1;
  }
  return true;
}

void PreparedFormula::LookUpNames(EvalContext& ctx) {
  for (Reference& r : refs_) {
    r.value = FindVariable(ctx, std::string_view(formula_).substr(r.nameBegin, r.length - 2));
  }
  varGeneration_ = ctx.vars.Generation();
  for (Group& g : groups_) {
    if (g.call) g.func = FindFunction(ctx, std::string_view(formula_).substr(g.nameBegin, g.nameSize));
  }
  funcGeneration_ = ctx.funcs.Generation();
}

std::string_view PreparedFormula::Run(EvalContext& ctx) {
  struct Release {
    PreparedFormula& plan;
    ~Release() { plan.ReleaseLongBuffers(); }
  } release{*this};
  return RunLevel(ctx, 0);
}

void PreparedFormula::ReleaseLongBuffers() {
  for (auto* buffers : {&expanded_, &filled_}) {
    for (Text& t : *buffers) {
      if (t.capacity() > kKeptBuffer) Text(t.get_allocator()).swap(t);
    }
  }
}

std::string_view PreparedFormula::RunLevel(EvalContext& ctx, std::uint32_t index) {
  const Level& l = levels_[index];
  const std::string_view text = LevelText(l);
  if (l.groups + l.refs == 0) return EvaluateFormula(ctx, text);  // the driver's own way
  LevelDepth depth(ctx);
  if (ctx.evalDepth == 1) {
    ctx.quotingLeft = QuotingBudget(text.size());
    ctx.outermost = text;
  }
  bool plain = true;
  const std::string_view expanded = ExpandLevel(ctx, l, text, plain);
  if (!plain) return EvaluateExpanded(ctx, expanded, text);
  const std::size_t quotingBefore = ctx.quotingLeft;
  const std::string_view filled = Substitute(ctx, l, expanded, plain);
  if (plain) {
    if (const auto value = FilledLevelValue(ctx, filled)) return *value;
    return EvaluateSubstituted(ctx, filled, text);
  }
  ctx.quotingLeft = quotingBefore;  // the general way charges its literals again
  return EvaluateExpanded(ctx, expanded, text);
}

// The level's text as ExpandGroups leaves it, final blank included. plain
// turns false when the variables must go the general way (a bracket in a
// literal), and when the rest of the groups went the general way.
std::string_view PreparedFormula::ExpandLevel(EvalContext& ctx, const Level& l, std::string_view text,
                                              bool& plain) {
  Text& out = expanded_[l.depth];
  out.clear();
  if (l.groups == 0) {
    out.append(text).push_back(' ');
    return out;
  }
  bool insideQuotes = false;
  std::size_t copied = 0;
  for (std::uint32_t k = 0; k < l.groups; ++k) {
    const Group& g = groups_[l.firstGroup + k];
    const std::string_view segment = text.substr(copied, g.open - copied);
    insideQuotes ^= OddQuotes(segment);
    segments_[l.firstSegment + k] = U32(out.size());
    out.append(segment);
    out.resize(out.size() - g.rawName);
    const StringWorkspace::Mark mark = ctx.workspace.Position();
    const std::string_view value = g.call ? RunCall(ctx, g, text) : RunLevel(ctx, g.inside);
    const std::size_t literalStart = out.size();
    AppendChargedLiteral(ctx, value, out);
    LimitLength(ctx, out);
    const std::string_view literal = std::string_view(out).substr(literalStart);
    const bool flips = IsQuotedEnds(value) && OddQuotes(literal);
    plain = plain && !HasBracket(literal);
    ctx.workspace.Rewind(mark);
    copied = g.close + 1;
    if (flips) {  // later "(" may stand inside quotes now
      plain = false;
      ExpandGroupsFrom(ctx, text, copied, !insideQuotes, out);
      out.push_back(' ');
      LimitLength(ctx, out);
      return out;
    }
  }
  segments_[l.firstSegment + l.groups] = U32(out.size());
  out.append(text.substr(copied)).push_back(' ');
  LimitLength(ctx, out);
  return out;
}

// Arguments into the slots, then the host function: as ExpandCall.
std::string_view PreparedFormula::RunCall(EvalContext& ctx, const Group& g, std::string_view text) {
  StringWorkspace& ws = ctx.workspace;
  const StringWorkspace::Mark start = ws.Position();
  std::array<const char*, kMaxParams> slots;
  slots.fill("");
  for (std::uint32_t k = 0; k < g.args; ++k) {
    const StringWorkspace::Mark before = ws.Position();
    const std::string_view value = RunLevel(ctx, args_[g.firstArg + k]);
    if (k < kMaxParams) {
      slots[k] = value.data();
      ws.Keep();
    } else {
      ws.Rewind(before);
    }
  }
  // A host function may have changed the table since.
  if (ctx.funcs.Generation() != funcGeneration_) LookUpNames(ctx);
  const FuncInfo f = g.func == nullptr ? FuncInfo{} : *g.func;
  if (!f.Callable()) {
    const std::string_view inside = text.substr(g.open + 1, g.close - g.open - 1);
    ws.Rewind(start);
    char* list = ws.Reserve(inside.size() + 1);
    std::copy(inside.begin(), inside.end(), list);
    list[inside.size()] = ',';
    return {ws.Commit(inside.size() + 1), inside.size() + 1};
  }
  const char* result = CallHost(f, slots);
  ws.Rewind(start);  // the host's text may lie above: Put copies it down
  const std::string_view value = View(result);
  return {ws.Put(value), value.size()};
}

// The references replaced by their values' literals, as
// SubstituteVariables does. plain turns false when a literal changes the
// quotes' parity.
std::string_view PreparedFormula::Substitute(EvalContext& ctx, const Level& l, std::string_view expanded,
                                             bool& plain) {
  if (l.refs == 0) return expanded;
  // Host functions may have changed the table since the names were found.
  if (ctx.vars.Generation() != varGeneration_) LookUpNames(ctx);
  Text& out = filled_[l.depth];
  out.clear();
  std::size_t copied = 0;
  for (std::uint32_t k = 0; k < l.refs; ++k) {
    const Reference& r = refs_[l.firstRef + k];
    const std::size_t at = (l.groups == 0 ? 0 : segments_[r.segment]) + r.offset;
    out.append(expanded.substr(copied, at - copied));
    const std::string_view value = r.value == nullptr ? std::string_view() : std::string_view(*r.value);
    if (IsUnsignedDecimal(value)) {
      out.append(value);
    } else {
      const std::size_t literalStart = out.size();
      AppendChargedLiteral(ctx, value, out);
      if (IsQuotedEnds(value) && OddQuotes(std::string_view(out).substr(literalStart))) {
        LimitLength(ctx, out);
        plain = false;
        return out;
      }
    }
    LimitLength(ctx, out);
    copied = at + r.length;
  }
  out.append(expanded.substr(copied));
  LimitLength(ctx, out);
  return out;
}

}  // namespace formel
