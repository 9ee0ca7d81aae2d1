// A formula prepared for evaluating again and again while its variables
// change: where its groups, calls and references stand, level by level,
// and which table entries its names found. Each evaluation follows the
// levels as the general stages would: the groups and calls of a level
// left to right (a call's arguments first, then its host function, once),
// their literals put in place, then the level's references with the
// variables' current values; the filled text goes to the value model
// (filled_level.h), and when it lies outside, to the general stages from
// that point on. Host functions are called exactly as the general way
// calls them: same order, same arguments, never twice.
//
// Why the filled text is the general way's: what the stages decide from
// the formula alone (which "(" opens a group, its name, the split of the
// arguments, which "[" opens a reference, its name) is decided here once,
// on the formula as the stages would see it with every literal that has an
// even number of quotes and no bracket. What values could change is checked
// at every evaluation:
// - a group's literal with an odd number of quotes changes which later "("
//   stand inside quotes: the rest of the level is expanded the general way;
// - a group's literal with a bracket could change how brackets pair: the
//   level's variables are substituted the general way;
// - a reference's literal with an odd number of quotes: likewise.
// Shapes whose decisions depend on values are not prepared: a name that
// would reach back into the literal of the group before it, a reference
// around a group or its name. Levels are never deeper than kMaxDepth, far
// below the nesting limit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string_view>
#include <vector>

#include "eval/shortcuts/level_numbers.h"
#include "eval/shortcuts/number_program.h"
#include "frame/private_text.h"
#include "frame/string_workspace.h"
#include "registry/func_table.h"
#include "registry/var_table.h"

namespace formel {

struct EvalContext;

class PreparedFormula {
 public:
  static constexpr std::size_t kMaxDepth = 32;

  explicit PreparedFormula(std::pmr::memory_resource* heap);

  // Learns formula; false (nothing kept) when it has no group or reference
  // to prepare or its shape lies outside the model.
  bool Prepare(EvalContext& ctx, std::string_view formula);
  std::string_view Formula() const { return formula_; }

  // The result, written at the workspace write position as EvaluateFormula
  // writes it. Only for an outermost evaluation without an observer.
  std::string_view Run(EvalContext& ctx);
  // The same evaluation for the number its result reads as (whole: the
  // whole text is that number); the text is not written when the level's
  // numbers give the result.
  struct Number {
    float value;
    bool whole;
  };
  Number RunNumber(EvalContext& ctx);

  // The quick way of a loop: the result of a formula whose levels are all
  // numbers, without calls, while its values keep them so. No host code runs
  // and no scratch grows, so a call needs none of an export's bookkeeping.
  // The workspace is reset and the result written only when there is one;
  // nullopt (nothing touched) otherwise.
  std::optional<std::string_view> RunQuick(EvalContext& ctx);
  // Whether the quick way may give a result (no call anywhere).
  bool MayRunQuick() const { return levels_.front().pure; }
  std::optional<Number> RunNumberQuick(EvalContext& ctx);

  // Whether the quick ways below may give a result: the top level's groups
  // are all calls, and one of them found a function on numbers.
  bool TopCalls() const { return topCalls_ && numberCalls_; }
  // A quick way with calls stopped after making some: the usual way must
  // follow on this plan, whatever the host changed meanwhile (an observer).
  bool Resuming() const { return resumeFrom_ != 0; }
  // The quick way of a loop whose top level calls functions on numbers
  // with arguments that need no text, and whose values keep the level's
  // numbers. Host code runs: the caller keeps an export's call bookkeeping
  // around it. nullopt when the way stops; the calls it made stay made,
  // and the usual way (Run, RunNumber), which must come next, goes on from
  // there without making them again.
  std::optional<std::string_view> RunQuickCalls(EvalContext& ctx);
  std::optional<Number> RunNumberQuickCalls(EvalContext& ctx);

 private:
  struct Level {
    std::uint32_t begin, size;           // in formula_
    std::uint32_t firstGroup, groups;    // groups_ of this level
    std::uint32_t firstRef, refs;        // refs_ of this level
    std::uint32_t firstSegment;          // text around the groups: groups + 1
    std::uint16_t depth;                 // below kMaxDepth
    bool numberAlone;                    // digits and points only ("1" in "max(1,[x])")
    float aloneNumber;                   // what such a level reads as
    bool referenceAlone;                 // "[x]" alone (IsLoneReference)
    bool groupAlone;                     // "(...)" or "f(...)" alone: its value is the level's
    bool pure;                           // numbers, and so are its groups' levels: no call anywhere
    LevelNumbers numbers;                // its shape as numbers, when it has one
  };
  struct Group {
    std::uint32_t open, close;           // in the level
    std::uint32_t rawName;               // bytes of the raw name before "("
    std::uint32_t nameBegin, nameSize;   // the trimmed name, in formula_
    std::uint32_t firstArg, args;        // args_ of a call
    std::uint32_t inside;                // the level of a plain group
    bool call;
    const FuncInfo* func;
  };
  struct Reference {
    std::uint32_t segment;               // the segment it stands in
    std::uint32_t offset;                // its "[" from the segment's start
    std::uint32_t length;                // brackets included
    std::uint32_t nameBegin;             // in formula_
  };

  bool PrepareLevel(EvalContext& ctx, std::size_t begin, std::size_t end, std::size_t depth);
  bool FindGroups(std::size_t level, std::string_view text);
  bool FindReferences(std::size_t level, std::string_view text);
  void ReadNumbers(std::size_t level, std::string_view text);
  void LookUpNames(EvalContext& ctx);
  bool Programmable(const Level& l, bool groupsComputed = false) const;
  // The slot of its value when it is a group's; nullopt when the program
  // would grow too long. groupsComputed: the groups' values are inputs.
  std::optional<std::uint16_t> AddToProgram(const Level& l, bool group, bool groupsComputed = false);
  // Inline: a loop's levels pass here. A level lies inside the formula.
  std::string_view LevelText(const Level& l) const { return {formula_.data() + l.begin, l.size}; }

  // A level's result at the write position; number: what it reads as,
  // when asked. known: the values of its first groups, already evaluated.
  // numeric: when given, a result of the level's numbers goes there
  // instead of being written.
  std::string_view RunLevel(EvalContext& ctx, std::uint32_t level, PlainNumber* number = nullptr,
                            std::optional<LevelResult>* numeric = nullptr);
  std::optional<ProgramValue> RunProgram(EvalContext& ctx);
  // The top level's value on its program, once its groups' are in place.
  [[gnu::always_inline]] inline std::optional<LevelResult> TopLevelValue(EvalContext& ctx);
  std::optional<LevelResult> RunTopNumbers(EvalContext& ctx);
  // The top level's calls, then its program (RunTopCalls), before the
  // levels' way: its groups are all calls, and no quick way made some.
  bool CallsThenProgram() const { return topCalls_ && program_.HasInputs() && resumeFrom_ == 0; }
  // Inlined into its few callers: the frames of a loop with calls.
  [[gnu::always_inline]] inline std::optional<LevelResult> RunTopCalls(EvalContext& ctx, bool textCalls);
  [[gnu::always_inline]] inline std::optional<LevelResult> RunTopCallsFromStart(EvalContext& ctx, bool textCalls);
  std::optional<LevelResult> RunPure(EvalContext& ctx, const Level& l);
  // Inlined: it runs for every level of every evaluation of a loop.
  [[gnu::always_inline]] inline std::optional<LevelResult> LevelValue(EvalContext& ctx, const Level& l);
  void PutTermTexts(const Level& l, std::string_view* texts, const std::string_view* known) const;
  std::string_view RunGroup(EvalContext& ctx, const Group& g, std::uint32_t index);
  void WritePendingGroups(StringWorkspace& ws, const Level& l, std::size_t count);
  // From the first group not known yet (knownCount).
  std::optional<LevelResult> RunNumbers(EvalContext& ctx, const Level& l, std::string_view text,
                                        std::size_t& knownCount);
  [[gnu::noinline]] bool Resume(std::size_t& knownCount);
  // Whether the call's function is on numbers (the table checked first).
  inline bool OnNumbers(EvalContext& ctx, const Group& g);
  // Apart from RunNumbers: a call of another kind needs none of its frame.
  [[gnu::noinline]] bool CallOnNumbersQuick(EvalContext& ctx, const Group& g, std::uint32_t index);
  // What an argument's text reads as (number), when the level gives it
  // without text: a reference alone, a level of numbers without calls.
  bool ArgumentNumber(EvalContext& ctx, const Level& l, float& number);
  bool IsLoneReference(const Level& l) const;
  std::optional<LevelResult> LoneReference(EvalContext& ctx, const Level& l);
  // Its variable's entry (null when not set), the names looked up anew
  // when the table changed.
  [[gnu::always_inline]] inline const Variable* LoneReferenceEntry(EvalContext& ctx, const Level& l);
  // Inlined: every call's argument that is a reference alone passes here.
  [[gnu::always_inline]] inline std::optional<std::string_view> PutLoneReference(EvalContext& ctx, const Level& l,
                                                                                 PlainNumber* number);
  std::string_view RunText(EvalContext& ctx, const Level& l, std::string_view text,
                           StringWorkspace::Mark start, const std::string_view* known,
                           std::size_t knownCount);
  // number, when asked: what the host's result reads as.
  std::string_view RunCall(EvalContext& ctx, const Group& g, std::string_view text,
                           PlainNumber* number = nullptr);
  [[gnu::always_inline]] inline PlainNumber NumberOfResult(const Group& g, const char* result,
                                                          const std::array<const char*, kMaxParams>& slots,
                                                          std::string_view placed) const;
  std::string_view ExpandLevel(EvalContext& ctx, const Level& l, std::string_view text,
                               StringWorkspace::Mark start, const std::string_view* known,
                               std::size_t knownCount, bool& plain);
  std::string_view Substitute(EvalContext& ctx, const Level& l, std::string_view expanded, bool& plain);
  void ReleaseLongBuffers();
  // Gives back buffers a run grew past what is kept, however the run ends.
  struct LongBufferRelease {
    PreparedFormula& plan;
    ~LongBufferRelease() {
      if (plan.longBuffers_) plan.ReleaseLongBuffers();
    }
  };

  Text formula_;
  std::pmr::vector<Level> levels_;
  std::pmr::vector<Group> groups_;
  std::pmr::vector<Reference> refs_;
  std::pmr::vector<std::uint32_t> args_;      // levels of the calls' arguments
  std::pmr::vector<NumberTerm> terms_;        // of the levels' numbers
  std::pmr::vector<NumberStep> steps_;        // their passes' steps
  // The levels' numbers as one program, when they all have such; else
  // the top level's, its groups' values as inputs, when it has such; empty
  // otherwise.
  NumberProgram program_;
  // The references' entries (null when not set), as the names were last
  // looked up: the levels' way and the program both read them.
  std::pmr::vector<const Variable*> variables_;
  // Per group and per term, each level its own part: what they hold in
  // the evaluation in progress.
  std::pmr::vector<std::string_view> known_;
  std::pmr::vector<PlainNumber> groupNumbers_;
  // A group whose value its level's numbers gave is kept as that number:
  // its text is written only when the text's way needs it. Its length in
  // groupNumbers_ is not known until then.
  std::pmr::vector<float> groupWritten_;
  std::pmr::vector<std::uint8_t> groupPending_;
  std::pmr::vector<float> termRead_;
  std::pmr::vector<std::uint32_t> termLength_;
  std::pmr::vector<std::string_view> termText_;
  std::pmr::vector<char> termOp_;
  std::pmr::vector<float> termWritten_;
  std::pmr::vector<std::uint32_t> segments_;  // where each segment starts in its expanded text
  std::pmr::vector<Text> expanded_;           // per depth: the text as groups left it
  std::pmr::vector<Text> filled_;             // per depth: the text as variables left it
  std::pmr::vector<std::uint32_t> scratch_;   // bracket matching
  std::pmr::vector<std::uint32_t> stack_;
  std::uint64_t varGeneration_ = 0;
  std::uint64_t funcGeneration_ = 0;
  bool longBuffers_ = false;  // a buffer grew past what is kept
  // Some call found a function on numbers when the names were looked up
  // (a table changed since makes it a guess; the calls check again).
  bool numberCalls_ = false;
  bool topCalls_ = false;          // the top level's groups are all calls
  std::uint32_t resumeFrom_ = 0;   // the top level's calls a quick way made (RunTopCalls)
};

}  // namespace formel
