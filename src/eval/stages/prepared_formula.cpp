#include "eval/stages/prepared_formula.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "eval/literals.h"
#include "eval/shortcuts/filled_level.h"
#include "eval/shortcuts/number_chain.h"
#include "eval/stages/level_depth.h"
#include "eval/stages/pair_matching.h"
#include "eval/stages/stages.h"
#include "text/bytes.h"
#include "text/numbers.h"
#include "text/text.h"

namespace formel {

namespace {

// The raw name before a group whose text back to the group before it is
// segment: its length, or npos when the scan would go on into that
// group's literal (it meets no delimiter after a byte that is not blank).
std::size_t RawNameAfterGroup(std::string_view segment) {
  const std::size_t length = RawNameLength(segment);
  if (length >= segment.size()) return std::string_view::npos;
  const std::size_t stop = segment.size() - length - 1;
  if (!IsOperandDelimiterOrQuote(segment[stop])) return std::string_view::npos;
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
constexpr std::size_t kKeptBuffer = 1024;

}  // namespace

PreparedFormula::PreparedFormula(std::pmr::memory_resource* heap)
    : formula_(heap), levels_(heap), groups_(heap), refs_(heap), args_(heap), terms_(heap), steps_(heap),
      program_(heap), variables_(heap), known_(heap), groupNumbers_(heap), groupWritten_(heap), groupPending_(heap),
      termRead_(heap), termLength_(heap), termText_(heap), termOp_(heap), termWritten_(heap), segments_(heap),
      expanded_(heap), filled_(heap), scratch_(heap), stack_(heap) {}

bool PreparedFormula::Prepare(EvalContext& ctx, std::string_view formula) {
  formula_.assign(formula);
  levels_.clear();
  groups_.clear();
  refs_.clear();
  args_.clear();
  terms_.clear();
  steps_.clear();
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
  known_.assign(groups_.size(), {});
  groupNumbers_.assign(groups_.size(), {});
  groupWritten_.assign(groups_.size(), 0);
  groupPending_.assign(groups_.size(), 0);
  termRead_.assign(terms_.size(), 0);
  termLength_.assign(terms_.size(), 0);
  termText_.assign(terms_.size(), {});
  termOp_.assign(terms_.size(), 0);
  termWritten_.assign(terms_.size(), 0);
  for (std::size_t t = 0; t < terms_.size(); ++t) {
    const NumberTerm& term = terms_[t];
    if (term.kind != NumberTerm::kConstant) continue;
    termText_[t] = std::string_view(formula_).substr(term.index, term.length);
  }
  for (Level& l : levels_) {
    const std::string_view text = LevelText(l);
    l.numberAlone = l.groups + l.refs == 0 && IsUnsignedDecimal(text);
    l.aloneNumber = l.numberAlone ? ReadPlain(text).read : 0;
    l.referenceAlone = IsLoneReference(l);
    l.groupAlone = l.refs == 0 && l.numbers.terms == 1 && !l.numbers.negativeFirst &&
                   terms_[l.numbers.firstTerm].kind == NumberTerm::kGroup;
  }
  // A group's level comes after its own: from the last one back.
  for (auto l = levels_.rbegin(); l != levels_.rend(); ++l) {
    l->pure = l->numbers.terms > 0;
    for (std::uint32_t g = l->firstGroup; g < l->firstGroup + l->groups; ++g) {
      l->pure = l->pure && !groups_[g].call && levels_[groups_[g].inside].pure;
    }
  }
  const Level& top = levels_.front();
  program_.Clear();
  if (Programmable(top)) {
    AddToProgram(top, false);
  } else if (Programmable(top, true)) {
    AddToProgram(top, false, true);
  }
  program_.ShrinkToFit();
  variables_.assign(refs_.size(), nullptr);
  topCalls_ = top.numbers.terms > 0 && !top.numbers.textsRead && top.groups > 0;
  for (std::uint32_t g = top.firstGroup; g < top.firstGroup + top.groups; ++g) topCalls_ = topCalls_ && groups_[g].call;
  expanded_.resize(depths, Text(formula_.get_allocator()));
  filled_.resize(depths, Text(formula_.get_allocator()));
  // A plan lives on in the cache: no room beyond what it holds.
  levels_.shrink_to_fit();
  groups_.shrink_to_fit();
  refs_.shrink_to_fit();
  args_.shrink_to_fit();
  terms_.shrink_to_fit();
  steps_.shrink_to_fit();
  LookUpNames(ctx);
  return true;
}

// A level without groups or references is left to the driver whole.
bool PreparedFormula::PrepareLevel(EvalContext& ctx, std::size_t begin, std::size_t end,
                                   std::size_t depth) {
  if (depth >= kMaxDepth) return false;
  const std::size_t index = levels_.size();
  levels_.push_back({U32(begin), U32(end - begin), U32(groups_.size()), 0, 0, 0, 0,
                     static_cast<std::uint16_t>(depth), false, 0, false, false, false, {}});
  const std::string_view text = std::string_view(formula_).substr(begin, end - begin);
  if (!FindGroups(index, text) || !FindReferences(index, text)) return false;
  ReadNumbers(index, text);
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
                     U32(l.begin + origins[segment] + offset + 1)});
    ++l.refs;
    copied = next = close + 1;
  }
  return true;
}

// The level's shape with "R" for each reference and "G" for each group
// with its name, as level_numbers.h reads it.
void PreparedFormula::ReadNumbers(std::size_t level, std::string_view text) {
  Level& l = levels_[level];
  if (formula_.size() > kLongestTermText) return;
  Text shape(formula_.get_allocator());
  std::pmr::vector<std::uint32_t> at(formula_.get_allocator());
  std::uint32_t ref = l.firstRef;
  std::size_t copied = 0;
  for (std::uint32_t k = 0; k <= l.groups; ++k) {
    const bool last = k == l.groups;
    const std::size_t end = last ? text.size() : groups_[l.firstGroup + k].open - groups_[l.firstGroup + k].rawName;
    for (std::size_t i = copied; i < end;) {
      if (ref < l.firstRef + l.refs && refs_[ref].segment == l.firstSegment + k &&
          i == copied + refs_[ref].offset) {
        shape.push_back('R');
        at.push_back(U32(l.begin + i));
        i += refs_[ref++].length;
        continue;
      }
      // A letter leaves the shape in any case; these two would be read as
      // a reference or a group that the level does not have.
      if (text[i] == 'R' || text[i] == 'G') return;
      shape.push_back(text[i]);
      at.push_back(U32(l.begin + i));
      ++i;
    }
    if (last) break;
    shape.push_back('G');
    at.push_back(U32(l.begin + end));
    copied = groups_[l.firstGroup + k].close + 1;
  }
  // Blanks around the level ("[a] := [b]*[c]" leaves one before [b]) are
  // passed by every scan; a "-" behind a blank is not the text's first
  // byte, so a level that starts so is left to the text's way.
  const std::string_view written(shape);
  const std::size_t first = std::min(written.find_first_not_of(' '), written.size());
  const std::size_t last = written.find_last_not_of(' ');
  if (first == written.size() || written[first] == '-') return;
  if (!ReadLevelShape(written.substr(first, last + 1 - first), at.data() + first, terms_, steps_, l.numbers)) {
    l.numbers = LevelNumbers();
    return;
  }
  l.numbers.leadingBlank = first > 0;
  // A reference written again reads the same value: read once.
  const std::string_view formula(formula_);
  auto nameOf = [&](const NumberTerm& term) {
    const Reference& r = refs_[l.firstRef + term.index];
    return formula.substr(r.nameBegin, r.length - 2);
  };
  for (std::uint32_t t = l.numbers.firstTerm; t < l.numbers.firstTerm + l.numbers.terms; ++t) {
    if (terms_[t].kind != NumberTerm::kReference) continue;
    for (std::uint32_t earlier = l.numbers.firstTerm; earlier < t; ++earlier) {
      if (terms_[earlier].kind == NumberTerm::kReference && nameOf(terms_[earlier]) == nameOf(terms_[t])) {
        terms_[t].same = earlier - l.numbers.firstTerm;
        break;
      }
    }
  }
}

// Levels of numbers that read no texts: each one's value is a computed
// number or a comparison's "1" or "0", which its group's term takes as it
// reads back. A group alone passes its group's value on.
bool PreparedFormula::Programmable(const Level& l, bool groupsComputed) const {
  if (l.groupAlone) return !groupsComputed && l.pure && Programmable(levels_[groups_[l.firstGroup].inside]);
  if (l.numbers.terms == 0 || l.numbers.textsRead) return false;
  if (l.numbers.negativeFirst && l.numbers.rightSide == 1) return false;  // a "-" before a number alone
  if (groupsComputed) return true;
  if (!l.pure) return false;
  for (std::uint32_t g = l.firstGroup; g < l.firstGroup + l.groups; ++g) {
    if (!Programmable(levels_[groups_[g].inside])) return false;
  }
  return true;
}

std::optional<std::uint16_t> PreparedFormula::AddToProgram(const Level& l, bool group, bool groupsComputed) {
  // "(...)" alone: its value is its group's, as it stands.
  if (l.groupAlone) return AddToProgram(levels_[groups_[l.firstGroup].inside], true);
  std::array<std::uint16_t, kMaxNumberTerms> groupSlots{};
  const NumberTerm* terms = terms_.data() + l.numbers.firstTerm;
  for (std::uint32_t t = 0; t < l.numbers.terms; ++t) {
    if (terms[t].kind != NumberTerm::kGroup) continue;
    const std::uint32_t index = l.firstGroup + terms[t].index;
    const auto slot = groupsComputed ? program_.AddInput(index) : AddToProgram(levels_[groups_[index].inside], true);
    if (!slot) return std::nullopt;
    groupSlots[terms[t].index] = *slot;
  }
  return program_.AddLevel(l.numbers, terms, steps_.data() + l.numbers.firstStep, l.firstRef, groupSlots.data(),
                           group);
}

void PreparedFormula::LookUpNames(EvalContext& ctx) {
  for (std::size_t k = 0; k < refs_.size(); ++k) {
    const Reference& r = refs_[k];
    variables_[k] = FindVariable(ctx, std::string_view(formula_).substr(r.nameBegin, r.length - 2));
  }
  varGeneration_ = ctx.vars.Generation();
  numberCalls_ = false;
  for (Group& g : groups_) {
    if (g.call) g.func = FindFunction(ctx, std::string_view(formula_).substr(g.nameBegin, g.nameSize));
    numberCalls_ |= g.call && g.func != nullptr && g.func->number != nullptr;
  }
  funcGeneration_ = ctx.funcs.Generation();
}

namespace {

// A computed number's text written at the workspace write position.
// Inlined, as the next: every loop's result passes here.
[[gnu::always_inline]] inline std::string_view WriteReal(StringWorkspace& ws, float value) {
  char* out = ws.Reserve(kRealTextMax);
  const std::size_t n = FormatReal(value, out);
  return {ws.Commit(n), n};
}

// A level's result written at the workspace write position.
[[gnu::always_inline]] inline std::string_view WriteResult(StringWorkspace& ws, const LevelResult& value) {
  if (!value.formatted) return {ws.Put(value.text), value.text.size()};
  return WriteReal(ws, value.written);
}

// A text shorter than a word, with its terminator and the zeros behind it.
constexpr std::size_t kShortWord = sizeof(std::uint64_t);
std::uint64_t ShortWord(const char* text) {
  std::uint64_t word;
  std::memcpy(&word, text, sizeof word);
  return word;
}

// A number's few bytes, compared here rather than through a library call.
bool SameBytes(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

PreparedFormula::Number NumberOfText(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') return {static_cast<float>(text[0] - '0'), true};
  return {ParseReal(text), !text.empty() && ParsedLength(text) == text.size()};
}

PreparedFormula::Number NumberOfLevel(const LevelResult& value) {
  if (value.formatted) return {value.number.read, true};
  return NumberOfText(value.text);
}

}  // namespace

// The level's numbers, its groups' numbers (and texts, where they are
// read) being in place.
std::optional<LevelResult> PreparedFormula::LevelValue(EvalContext& ctx, const Level& l) {
  const std::string_view* known = known_.data() + l.firstGroup;
  const PlainNumber* groupNumbers = groupNumbers_.data() + l.firstGroup;
  if (l.referenceAlone) return LoneReference(ctx, l);
  if (l.groupAlone) {  // the group's value is the level's: its text, in place since the level reads it
    return LevelResult{{true, groupNumbers[0].read, U32(known[0].size())}, false, 0, known[0]};
  }
  // Host functions may have changed the table since the names were found.
  if (ctx.vars.Generation() != varGeneration_) LookUpNames(ctx);
  const std::size_t first = l.numbers.firstTerm;
  const std::size_t count = l.numbers.terms;
  const NumberTerm* terms = terms_.data() + first;
  const TermValues values{termRead_.data() + first, termLength_.data() + first, termText_.data() + first,
                          termOp_.data() + first,  termWritten_.data() + first, terms,
                          steps_.data()};
  // Each evaluation puts in the values' numbers, once more as the steps'
  // work. A variable set as a number then needs no text.
  for (std::uint32_t t = 0; t < count; ++t) {
    const NumberTerm& term = terms[t];
    float read = term.read;  // a constant's
    if (term.kind == NumberTerm::kGroup) {
      read = groupNumbers[term.index].read;
    } else if (term.kind == NumberTerm::kReference) {
      if (term.same != kNoTerm) {
        read = values.read[term.same];
      } else {
        const PlainNumber n = TermNumber(variables_[l.firstRef + term.index]);
        if (!n.plain) return std::nullopt;
        read = n.read;
      }
    }
    values.read[t] = read;
    values.written[t] = read;
  }
  if (l.numbers.textsRead) PutTermTexts(l, termText_.data() + first, known);
  return LevelNumbersResult(l.numbers, values);
}

// The texts of the level's terms, where its result reads them (a
// constant's stay from Prepare).
void PreparedFormula::PutTermTexts(const Level& l, std::string_view* texts, const std::string_view* known) const {
  const NumberTerm* terms = terms_.data() + l.numbers.firstTerm;
  for (std::uint32_t t = 0; t < l.numbers.terms; ++t) {
    const NumberTerm& term = terms[t];
    if (term.kind == NumberTerm::kGroup) {
      texts[t] = known[term.index];
    } else if (term.kind == NumberTerm::kReference) {
      texts[t] = term.same != kNoTerm ? texts[term.same] : variables_[l.firstRef + term.index]->text();
    }
  }
}

// A formula whose levels are all numbers, without calls, runs no host code
// and writes nothing before its result: its numbers are all there is to
// it, and when the values lie outside, the level's way takes it from the
// start.
std::optional<LevelResult> PreparedFormula::RunTopNumbers(EvalContext& ctx) {
  const Level& l = levels_.front();
  if (!l.pure) return std::nullopt;
  return RunPure(ctx, l);
}

// A level of numbers whose groups are too, computed without writing: the
// groups' values stay numbers, or views of texts that nothing changes
// meanwhile. No host code runs, so when a value lies outside, nothing has
// happened.
std::optional<LevelResult> PreparedFormula::RunPure(EvalContext& ctx, const Level& l) {
  for (std::uint32_t index = l.firstGroup; index < l.firstGroup + l.groups; ++index) {
    const auto value = RunPure(ctx, levels_[groups_[index].inside]);
    if (!value || !value->number.plain) return std::nullopt;
    if (value->formatted ? l.numbers.textsRead : value->text.size() > kLongestTermText) return std::nullopt;
    groupNumbers_[index] = value->number;
    groupPending_[index] = value->formatted;
    groupWritten_[index] = value->written;
    known_[index] = value->text;
  }
  return LevelValue(ctx, l);
}

// The program's value while the names found stand (else the levels' way
// looks them up anew).
std::optional<ProgramValue> PreparedFormula::RunProgram(EvalContext& ctx) {
  if (program_.Empty() || program_.HasInputs() || ctx.vars.Generation() != varGeneration_) return std::nullopt;
  return program_.Run(variables_.data());
}

std::optional<LevelResult> PreparedFormula::TopLevelValue(EvalContext& ctx) {
  const Level& l = levels_.front();
  // Host functions may have changed the table since the names were found.
  if (ctx.vars.Generation() != varGeneration_) LookUpNames(ctx);
  const auto value = program_.Run(variables_.data(), groupNumbers_.data());
  if (!value) return LevelValue(ctx, l);  // the passes again, perhaps
  return LevelResult{{!std::signbit(value->written), value->read, 0}, true, value->written, {}};
}

std::string_view PreparedFormula::Run(EvalContext& ctx) {
  if (levels_.front().pure) {  // the quick ways, as RunNumberQuick tries them
    if (const auto value = RunProgram(ctx)) return WriteReal(ctx.workspace, value->written);
    if (const auto value = RunTopNumbers(ctx)) return WriteResult(ctx.workspace, *value);
  }
  const LongBufferRelease release{*this};
  // A loop's "2*max(1,[x])+1": the calls, then the program; unless a quick
  // way made some of the calls already (RunLevel goes on from there).
  if (CallsThenProgram()) {
    StringWorkspace& ws = ctx.workspace;
    const StringWorkspace::Mark start = ws.Position();
    if (const auto value = RunTopCalls(ctx, true)) {
      ws.Rewind(start);  // down over the calls' values
      return WriteResult(ws, *value);
    }
  }
  return RunLevel(ctx, 0);  // goes on from the calls made
}

PreparedFormula::Number PreparedFormula::RunNumber(EvalContext& ctx) {
  if (const auto quick = RunNumberQuick(ctx)) return *quick;
  const LongBufferRelease release{*this};
  if (CallsThenProgram()) {  // as Run
    StringWorkspace& ws = ctx.workspace;
    const StringWorkspace::Mark start = ws.Position();
    if (const auto value = RunTopCalls(ctx, true)) {
      ws.Rewind(start);
      return NumberOfLevel(*value);
    }
  }
  std::optional<LevelResult> numeric;
  const std::string_view text = RunLevel(ctx, 0, nullptr, &numeric);
  return numeric ? NumberOfLevel(*numeric) : NumberOfText(text);
}

std::optional<std::string_view> PreparedFormula::RunQuick(EvalContext& ctx) {
  // Its callers have seen MayRunQuick; a plan with calls would find no way here.
  if (const auto value = RunProgram(ctx)) {
    ctx.workspace.Reset();
    return WriteReal(ctx.workspace, value->written);
  }
  const auto value = RunTopNumbers(ctx);
  if (!value) return std::nullopt;
  ctx.workspace.Reset();
  return WriteResult(ctx.workspace, *value);
}

std::optional<PreparedFormula::Number> PreparedFormula::RunNumberQuick(EvalContext& ctx) {
  if (!levels_.front().pure) return std::nullopt;  // before any frame is set up
  if (const auto value = RunProgram(ctx)) return Number{value->read, true};
  const auto value = RunTopNumbers(ctx);
  if (!value) return std::nullopt;
  return NumberOfLevel(*value);
}

std::optional<std::string_view> PreparedFormula::RunQuickCalls(EvalContext& ctx) {
  const auto value = RunTopCalls(ctx, false);
  if (!value) return std::nullopt;
  ctx.workspace.Reset();
  return WriteResult(ctx.workspace, *value);
}

std::optional<PreparedFormula::Number> PreparedFormula::RunNumberQuickCalls(EvalContext& ctx) {
  const auto value = RunTopCalls(ctx, false);
  if (!value) return std::nullopt;
  return NumberOfLevel(*value);
}

// The top level's calls left to right, each only while its function is on
// numbers and its arguments need no text (or any call, with textCalls),
// then the level's numbers. The level stands as RunLevel has it while the
// host runs: one level deep, the quoting budget the formula's. Where it
// stops, resumeFrom_ tells RunLevel how many calls were made.
std::optional<LevelResult> PreparedFormula::RunTopCalls(EvalContext& ctx, bool textCalls) {
  resumeFrom_ = 0;
  try {
    const auto value = RunTopCallsFromStart(ctx, textCalls);
    if (value) resumeFrom_ = 0;  // done: a later run has nothing to go on from
    return value;
  } catch (...) {
    resumeFrom_ = 0;  // likewise after a failed one
    throw;
  }
}

std::optional<LevelResult> PreparedFormula::RunTopCallsFromStart(EvalContext& ctx, bool textCalls) {
  const Level& l = levels_.front();
  const LevelDepth depth(ctx);
  const std::string_view text = LevelText(l);
  StartOutermost(ctx, text);
  for (std::uint32_t k = 0; k < l.groups; ++k) {
    const std::uint32_t index = l.firstGroup + k;
    const Group& g = groups_[index];
    if (!(numberCalls_ && OnNumbers(ctx, g) && CallOnNumbersQuick(ctx, g, index))) {
      if (!textCalls) return std::nullopt;
      groupPending_[index] = 0;
      known_[index] = RunCall(ctx, g, text, &groupNumbers_[index]);
      // Too long to stand as a term: not one of the level's numbers (RunLevel goes on with its text).
      if (known_[index].size() > kLongestTermText) groupNumbers_[index] = PlainNumber();
    }
    resumeFrom_ = k + 1;
    if (!groupNumbers_[index].plain) return std::nullopt;
  }
  return program_.HasInputs() ? TopLevelValue(ctx) : LevelValue(ctx, l);
}

void PreparedFormula::ReleaseLongBuffers() {
  for (auto* buffers : {&expanded_, &filled_}) {
    for (Text& t : *buffers) {
      if (t.capacity() > kKeptBuffer) Text(t.get_allocator()).swap(t);
    }
  }
  longBuffers_ = false;
}

// "[x]" whose value is a plain number, put in as it is written; nothing
// when its level is another or its value is not such a number.
std::optional<std::string_view> PreparedFormula::PutLoneReference(EvalContext& ctx, const Level& l,
                                                                  PlainNumber* number) {
  if (!l.referenceAlone) return std::nullopt;
  const Variable* entry = LoneReferenceEntry(ctx, l);
  const PlainNumber n = TermNumber(entry);
  if (!n.plain) return std::nullopt;
  StringWorkspace& ws = ctx.workspace;
  // A short text's word is known in full (see ShortWord): zeros behind it.
  char* at = ws.Reserve(std::max(entry->TextBound(), kShortWord));
  std::memset(at, 0, kShortWord);
  const std::size_t size = entry->CopyText(at);
  if (number != nullptr) *number = {true, n.read, U32(size)};
  return std::string_view{ws.Commit(size), size};
}

std::string_view PreparedFormula::RunLevel(EvalContext& ctx, std::uint32_t index, PlainNumber* number,
                                           std::optional<LevelResult>* numeric) {
  const Level& l = levels_[index];
  if (numeric == nullptr) {
    if (const auto put = PutLoneReference(ctx, l, number)) return *put;
  }
  const std::string_view text = LevelText(l);
  std::string_view result;
  if (l.groups + l.refs == 0) {
    // A number alone ("1" in "max(1,[x])") is its own value; else the driver's own way.
    result = l.numberAlone ? std::string_view(ctx.workspace.Put(text), text.size()) : EvaluateFormula(ctx, text);
  } else {
    LevelDepth depth(ctx);
    const StringWorkspace::Mark start = ctx.workspace.Position();
    std::size_t knownCount = 0;
    bool numbers = l.numbers.terms > 0;
    if (index == 0 && resumeFrom_ != 0) {
      numbers = Resume(knownCount);  // the quick way set the budget, and its calls may have charged it
    } else if (ctx.evalDepth == 1) {
      StartOutermost(ctx, text);
    }
    if (numbers) {
      if (const auto value = RunNumbers(ctx, l, text, knownCount)) {
        StringWorkspace& ws = ctx.workspace;
        ws.Rewind(start);  // down over the groups' values
        if (numeric != nullptr) {
          *numeric = value;
          return {};
        }
        const std::string_view written = WriteResult(ws, *value);
        if (number != nullptr) *number = {value->number.plain, value->number.read, U32(written.size())};
        return written;
      }
    }
    WritePendingGroups(ctx.workspace, l, knownCount);
    result = RunText(ctx, l, text, start, known_.data() + l.firstGroup, knownCount);
  }
  if (number != nullptr) *number = ReadPlain(result);
  return result;
}

bool PreparedFormula::OnNumbers(EvalContext& ctx, const Group& g) {
  if (ctx.funcs.Generation() != funcGeneration_) LookUpNames(ctx);
  return g.func != nullptr && g.func->number != nullptr;
}

// The top level's groups that a quick way evaluated (known from now on);
// whether they leave its numbers in the model.
bool PreparedFormula::Resume(std::size_t& knownCount) {
  const Level& l = levels_.front();
  knownCount = std::exchange(resumeFrom_, 0);
  for (std::size_t k = l.firstGroup; k < l.firstGroup + knownCount; ++k) {
    if (!groupNumbers_[k].plain) return false;
  }
  return true;
}

// The groups' values are kept in the workspace (known) for the text's
// way, which takes over at the first value that is not a plain number.

std::optional<LevelResult> PreparedFormula::RunNumbers(EvalContext& ctx, const Level& l,
                                                       std::string_view text, std::size_t& knownCount) {
  StringWorkspace& ws = ctx.workspace;
  std::string_view* known = known_.data() + l.firstGroup;
  PlainNumber* groupNumbers = groupNumbers_.data() + l.firstGroup;
  for (auto k = static_cast<std::uint32_t>(knownCount); k < l.groups; ++k) {
    const Group& g = groups_[l.firstGroup + k];
    const std::uint32_t index = l.firstGroup + k;
    std::string_view value;
    if (!g.call) {
      value = RunGroup(ctx, g, index);
    } else if (!(numberCalls_ && OnNumbers(ctx, g) && CallOnNumbersQuick(ctx, g, index))) {
      groupPending_[index] = 0;
      value = RunCall(ctx, g, text, &groupNumbers[k]);
    }
    known[knownCount++] = value;
    if (!groupNumbers[k].plain || value.size() > kLongestTermText) return std::nullopt;
  }
  if (l.numbers.textsRead) WritePendingGroups(ws, l, l.groups);
  return &l == levels_.data() && program_.HasInputs() ? TopLevelValue(ctx) : LevelValue(ctx, l);
}

const Variable* PreparedFormula::LoneReferenceEntry(EvalContext& ctx, const Level& l) {
  // Host functions may have changed the table since the names were found.
  if (ctx.vars.Generation() != varGeneration_) LookUpNames(ctx);
  return variables_[l.firstRef];
}

// A call of a function on numbers whose arguments need no text: numbers
// as written, references to plain numbers, levels of numbers without calls.
// No host code runs before the function, so they are read in any order.
// Its result stays a number, its text pending, in the group's place; false
// (nothing called) for any other call.
bool PreparedFormula::CallOnNumbersQuick(EvalContext& ctx, const Group& g, std::uint32_t index) {
  if (g.args > kMaxParams) return false;
  std::array<double, kMaxParams> numbers;
  for (std::uint32_t k = 0; k < g.args; ++k) {
    const Level& arg = levels_[args_[g.firstArg + k]];
    float number = arg.aloneNumber;
    if (!arg.numberAlone && !ArgumentNumber(ctx, arg, number)) return false;
    numbers[k] = number;
  }
  for (auto k = static_cast<std::int32_t>(g.args); k < g.func->paramCount; ++k) numbers[k] = 0;  // missing: ""
  const float result = CallOnNumbers(*g.func, numbers.data());
  groupNumbers_[index] = PlainOfReal(result, 0);
  groupWritten_[index] = result;
  groupPending_[index] = 1;
  return true;
}

// What an argument's text reads as, when the level gives it without text.
bool PreparedFormula::ArgumentNumber(EvalContext& ctx, const Level& l, float& number) {
  if (l.referenceAlone) {
    const PlainNumber n = TermNumber(LoneReferenceEntry(ctx, l));
    number = n.read;
    return n.plain;
  }
  if (!l.pure) return false;
  const auto value = RunPure(ctx, l);
  if (!value || !(value->formatted || value->number.plain)) return false;
  number = value->formatted ? ReadBackReal(value->written) : value->number.read;
  return true;
}

// A plain group's value, kept in the workspace; or, when its level's
// numbers gave a computed number, kept as that number (its text pending).
std::string_view PreparedFormula::RunGroup(EvalContext& ctx, const Group& g, std::uint32_t index) {
  PlainNumber& n = groupNumbers_[index];
  std::optional<LevelResult> numeric;
  std::string_view value = RunLevel(ctx, g.inside, &n, &numeric);
  groupPending_[index] = numeric && numeric->formatted;
  if (groupPending_[index]) {
    groupWritten_[index] = numeric->written;
    n = {numeric->number.plain, numeric->number.read, 0};
    return {};
  }
  if (numeric) {
    value = WriteResult(ctx.workspace, *numeric);
    n = {numeric->number.plain, numeric->number.read, U32(value.size())};
  }
  ctx.workspace.Keep();
  return value;
}

// The texts of the level's first count groups that were kept as numbers,
// kept in the workspace.
void PreparedFormula::WritePendingGroups(StringWorkspace& ws, const Level& l, std::size_t count) {
  for (std::size_t k = l.firstGroup; k < l.firstGroup + count; ++k) {
    if (!groupPending_[k]) continue;
    known_[k] = WriteReal(ws, groupWritten_[k]);
    groupNumbers_[k].length = U32(known_[k].size());
    ws.Keep();
    groupPending_[k] = 0;
  }
}

// "[x]" as an argument: its value stays as it is written when it is a
// plain number.
bool PreparedFormula::IsLoneReference(const Level& l) const {
  return l.groups == 0 && l.numbers.terms == 1 && !l.numbers.negativeFirst &&
         terms_[l.numbers.firstTerm].kind == NumberTerm::kReference;
}

std::optional<LevelResult> PreparedFormula::LoneReference(EvalContext& ctx, const Level& l) {
  const Variable* entry = LoneReferenceEntry(ctx, l);
  const PlainNumber n = TermNumber(entry);
  if (!n.plain) return std::nullopt;
  return LevelResult{n, false, 0, entry->text()};
}


std::string_view PreparedFormula::RunText(EvalContext& ctx, const Level& l, std::string_view text,
                                          StringWorkspace::Mark start, const std::string_view* known,
                                          std::size_t knownCount) {
  bool plain = true;
  const std::string_view expanded = ExpandLevel(ctx, l, text, start, known, knownCount, plain);
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
// literal), and when the rest of the groups went the general way. The
// workspace goes back to where the level began.
std::string_view PreparedFormula::ExpandLevel(EvalContext& ctx, const Level& l, std::string_view text,
                                              StringWorkspace::Mark start, const std::string_view* known,
                                              std::size_t knownCount, bool& plain) {
  Text& out = expanded_[l.depth];
  out.clear();
  if (l.groups == 0) {
    out.append(text).push_back(' ');
    return out;
  }
  StringWorkspace& ws = ctx.workspace;
  struct Back {
    StringWorkspace& ws;
    StringWorkspace::Mark to;
    ~Back() { ws.Rewind(to); }
  } back{ws, start};
  bool insideQuotes = false;
  std::size_t copied = 0;
  for (std::uint32_t k = 0; k < l.groups; ++k) {
    const Group& g = groups_[l.firstGroup + k];
    const std::string_view segment = text.substr(copied, g.open - copied);
    insideQuotes ^= OddQuotes(segment);
    segments_[l.firstSegment + k] = U32(out.size());
    out.append(segment);
    out.resize(out.size() - g.rawName);
    const StringWorkspace::Mark mark = ws.Position();
    const std::string_view value =
        k < knownCount ? known[k] : g.call ? RunCall(ctx, g, text) : RunLevel(ctx, g.inside);
    const std::size_t literalStart = out.size();
    AppendChargedLiteral(ctx, value, out);
    LimitLength(ctx, out);
    const std::string_view literal = std::string_view(out).substr(literalStart);
    const bool flips = StartsAndEndsWithQuote(value) && OddQuotes(literal);
    plain = plain && !HasBracket(literal);
    ws.Rewind(mark);
    copied = g.close + 1;
    if (flips) {  // later "(" may stand inside quotes now
      plain = false;
      ExpandGroupsFrom(ctx, text, copied, !insideQuotes, out);
      out.push_back(' ');
      longBuffers_ |= out.capacity() > kKeptBuffer;
      LimitLength(ctx, out);
      return out;
    }
  }
  segments_[l.firstSegment + l.groups] = U32(out.size());
  out.append(text.substr(copied)).push_back(' ');
  longBuffers_ |= out.capacity() > kKeptBuffer;
  LimitLength(ctx, out);
  return out;
}
// Arguments into the slots, then the host function: as ExpandCall.
std::string_view PreparedFormula::RunCall(EvalContext& ctx, const Group& g, std::string_view text,
                                          PlainNumber* number) {
  StringWorkspace& ws = ctx.workspace;
  const StringWorkspace::Mark start = ws.Position();
  std::array<const char*, kMaxParams> slots;  // those past the arguments are set once the function is known
  // The last reference alone among the arguments, as written: given back
  // unchanged, its number is known.
  const char* reference = nullptr;
  std::uint64_t referenceWord = 0;
  PlainNumber referenceNumber;
  PlainNumber putNumber;
  for (std::uint32_t k = 0; k < g.args; ++k) {
    const std::uint32_t arg = args_[g.firstArg + k];
    if (k >= kMaxParams) {
      const StringWorkspace::Mark before = ws.Position();
      RunLevel(ctx, arg);
      ws.Rewind(before);
    } else if (levels_[arg].numberAlone) {  // as it stands: no level to run
      slots[k] = ws.Put(LevelText(levels_[arg]));
      ws.Keep();
    } else if (const auto put = PutLoneReference(ctx, levels_[arg], &putNumber)) {  // no level to run either
      slots[k] = put->data();
      ws.Keep();
      if (put->size() < kShortWord) {
        reference = slots[k];
        referenceWord = ShortWord(reference);
        referenceNumber = putNumber;
      }
    } else {
      slots[k] = RunLevel(ctx, arg).data();
      ws.Keep();
    }
  }
  // A host function may have changed the table since.
  if (ctx.funcs.Generation() != funcGeneration_) LookUpNames(ctx);
  // Read only before the host runs, which may change the table.
  static constexpr FuncInfo kUnknown{};
  const FuncInfo& f = g.func == nullptr ? kUnknown : *g.func;
  const auto wanted = static_cast<std::uint32_t>(std::clamp<std::int32_t>(f.paramCount, 0, kMaxParams));
  for (std::uint32_t k = std::min<std::uint32_t>(g.args, kMaxParams); k < wanted; ++k) slots[k] = "";  // missing
  if (!f.Callable()) {
    const std::string_view inside = text.substr(g.open + 1, g.close - g.open - 1);
    ws.Rewind(start);
    char* list = ws.Reserve(inside.size() + 1);
    std::copy(inside.begin(), inside.end(), list);
    list[inside.size()] = ',';
    if (number != nullptr) *number = PlainNumber();  // a list ends in ",": never a number
    return {ws.Commit(inside.size() + 1), inside.size() + 1};
  }
  NumberResultRoom room;
  const char* result = CallHost(f, slots, room);
  // The word holds the terminator: the same word, the same length.
  const bool unchanged = reference != nullptr && result == reference && ShortWord(reference) == referenceWord;
  const std::string_view value = unchanged ? std::string_view(reference, referenceNumber.length) : View(result);
  ws.Rewind(start);  // the host's text may lie above: Put copies it down
  const std::string_view placed{ws.Put(value), value.size()};
  if (number != nullptr) *number = unchanged ? referenceNumber : NumberOfResult(g, result, slots, placed);
  return placed;
}

// What a host's result (placed: its copy) reads as. A host that gives back
// an argument that is a number as written gives back that number while the
// bytes are still the formula's (a host may write into its arguments).
PlainNumber PreparedFormula::NumberOfResult(const Group& g, const char* result,
                                            const std::array<const char*, kMaxParams>& slots,
                                            std::string_view placed) const {
  for (std::uint32_t k = 0; k < std::min<std::uint32_t>(g.args, kMaxParams); ++k) {
    if (result != slots[k]) continue;
    const Level& arg = levels_[args_[g.firstArg + k]];
    if (arg.numberAlone && placed.size() == arg.size &&
        SameBytes(placed.data(), formula_.data() + arg.begin, arg.size)) {
      return {true, arg.aloneNumber, U32(placed.size())};
    }
    break;
  }
  return ReadPlain(placed);
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
    const Variable* entry = variables_[l.firstRef + k];
    const std::string_view value = entry == nullptr ? std::string_view() : std::string_view(entry->text());
    if (IsUnsignedDecimal(value)) {
      out.append(value);
    } else {
      const std::size_t literalStart = out.size();
      AppendChargedLiteral(ctx, value, out);
      if (StartsAndEndsWithQuote(value) && OddQuotes(std::string_view(out).substr(literalStart))) {
        longBuffers_ |= out.capacity() > kKeptBuffer;
        LimitLength(ctx, out);
        plain = false;
        return out;
      }
    }
    LimitLength(ctx, out);
    copied = at + r.length;
  }
  out.append(expanded.substr(copied));
  longBuffers_ |= out.capacity() > kKeptBuffer;
  LimitLength(ctx, out);
  return out;
}

}  // namespace formel
