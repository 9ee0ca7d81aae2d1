#include "eval/shortcuts/level_numbers.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "eval/limits.h"
#include "eval/shortcuts/filled_level.h"
#include "eval/shortcuts/number_steps.h"
#include "eval/shortcuts/plain_arithmetic.h"
#include "text/numbers.h"

namespace formel {

namespace {

bool IsArithmeticByte(char c) {
  for (const Operator& op : kOperatorPasses) {
    if (IsArithmetic(op.op) && op.written[0] == c) return true;
  }
  return false;
}

// What a level's text can measure at most: the level's own bytes (no
// longer than its formula), a value in place of each term, the final
// blank. The passes never take it near the length limit.
constexpr std::size_t kLongestLevelText = kLongestTermText + kMaxNumberTerms * kLongestTermText + 1;
static_assert(kLongestLevelText + kMaxNumberTerms * kRealTextMax < kMaxTextLength);

// One side's value: its number, and its text unless formatted.
struct SideValue {
  float number;
  bool formatted;
  float written;
  std::string_view text;
};

// The steps of the passes on terms [first, end), in their order: each pass
// takes its operator left to right, the result standing where its left
// number stood.
void PlanSteps(const NumberTerm* terms, std::size_t first, std::size_t end, std::pmr::vector<NumberStep>& steps) {
  struct Standing {
    std::uint8_t term;
    char op;
  };
  std::array<Standing, kMaxNumberTerms> standing;
  std::size_t count = 0;
  for (std::size_t k = first; k < end; ++k) standing[count++] = {static_cast<std::uint8_t>(k), terms[k].op};
  for (const Operator& pass : kOperatorPasses) {
    if (!IsArithmetic(pass.op)) break;
    std::size_t kept = 1;
    for (std::size_t k = 1; k < count; ++k) {
      if (standing[k].op != pass.written[0]) {
        standing[kept++] = standing[k];
        continue;
      }
      const Standing& left = standing[kept - 1];
      const NumberStep::Kind kind = kept == 1         ? NumberStep::kFirst
                                    : left.op == '-' ? NumberStep::kMinusTaken
                                                     : NumberStep::kBehind;
      steps.push_back({left.term, standing[k].term, StepCode(pass.op, kind)});
    }
    count = kept;
  }
}

// One step, its operator and kind fixed: the result is what its written
// text reads back as.
template <Op kOp, NumberStep::Kind kKind>
StepsEnd RunStep(const NumberStep& step, float* work, SideState& side) {
  const bool taken = kKind == NumberStep::kFirst ? side.negativeFirst : kKind == NumberStep::kMinusTaken;
  const float left = work[step.left];
  float result = Arithmetic(kOp, taken ? -left : left, work[step.right]);
  if (std::isnan(result)) return StepsEnd::kOutside;
  if (std::isinf(result)) result = 0;  // an infinity's literal is "0"
  const StepResult r{result, ReadBackReal(result), std::signbit(result)};
  if constexpr (kKind == NumberStep::kFirst) {
    if (side.negativeFirst && side.leadingBlank) return StepsEnd::kOutside;  // its "-" taken as a sign
    side.negativeFirst = r.negative;
    side.value = {r.written, r.read};
  } else {
    // A level's text stays far from the length limit: "+-0" stands as it is.
    switch (FitBehindOperator(r, kKind == NumberStep::kMinusTaken)) {
      case StepFit::kOutside: return StepsEnd::kOutside;
      case StepFit::kPlusBefore: return StepsEnd::kPassesAgain;
      case StepFit::kPlusMinusZero:
      case StepFit::kAsItIs: break;
    }
  }
  work[step.left] = std::fabs(r.read);
  return StepsEnd::kValue;
}

template <Op kOp>
constexpr void AddRunners(std::array<StepRunner, kStepCodes>& runners) {
  runners[StepCode(kOp, NumberStep::kFirst)] = &RunStep<kOp, NumberStep::kFirst>;
  runners[StepCode(kOp, NumberStep::kMinusTaken)] = &RunStep<kOp, NumberStep::kMinusTaken>;
  runners[StepCode(kOp, NumberStep::kBehind)] = &RunStep<kOp, NumberStep::kBehind>;
}

}  // namespace

extern constinit const std::array<StepRunner, kStepCodes> kStepRunners = [] {
  std::array<StepRunner, kStepCodes> runners{};
  AddRunners<Op::kPower>(runners);
  AddRunners<Op::kDivide>(runners);
  AddRunners<Op::kIntDivide>(runners);
  AddRunners<Op::kMultiply>(runners);
  AddRunners<Op::kAdd>(runners);
  AddRunners<Op::kSubtract>(runners);
  return runners;
}();

namespace {

// The steps on the side's numbers (work, used up), as the passes' steps
// compute them: each one's code chooses its runner, so that none tests its
// operator and kind again.
StepsEnd RunSteps(const NumberStep* steps, std::size_t count, float* work, SideState& side) {
  for (const NumberStep* step = steps; step != steps + count; ++step) {
    const StepsEnd end = kStepRunners[step->code](*step, work, side);
    if (end != StepsEnd::kValue) return end;
  }
  return StepsEnd::kValue;
}

// Inlined: it runs for each side of every evaluation of a loop.
[[gnu::always_inline]] inline bool ComputeSide(const TermValues& v, std::size_t first, std::size_t end,
                                               const NumberStep* steps, std::size_t stepCount, bool negativeFirst,
                                               bool leadingBlank, SideValue& out) {
  const std::size_t count = end - first;
  if (count == 1) {  // a number alone stays as written; behind a "-" it leaves the model
    if (negativeFirst) return false;
    out = {v.read[first], false, 0, v.text[first]};
    return true;
  }
  SideState side{negativeFirst, leadingBlank, {}};
  const StepsEnd ended = RunSteps(steps, stepCount, v.written, side);
  FirstNumber value = side.value;
  if (ended == StepsEnd::kOutside) return false;
  if (ended == StepsEnd::kPassesAgain) {
    for (std::size_t t = first; t < end; ++t) v.op[t] = v.terms[t].op;
    const auto passes = PlainTermsValue({v.read + first, v.written + first, v.length + first, v.op + first,
                                         count, negativeFirst, kLongestLevelText, leadingBlank});
    if (!passes) return false;
    value = {*passes, ReadBackReal(*passes)};
  }
  out = {value.read, true, value.written, {}};
  return true;
}

}  // namespace

bool ReadLevelShape(std::string_view shape, const std::uint32_t* at, std::pmr::vector<NumberTerm>& terms,
                    std::pmr::vector<NumberStep>& steps, LevelNumbers& out) {
  const std::size_t firstTerm = terms.size();
  LevelNumbers result;
  result.firstTerm = static_cast<std::uint32_t>(firstTerm);
  result.negativeFirst = !shape.empty() && shape.front() == '-';
  std::uint32_t references = 0;
  std::uint32_t groups = 0;
  char op = 0;
  for (std::size_t i = result.negativeFirst ? 1 : 0;;) {
    if (i == shape.size() || terms.size() - firstTerm == kMaxNumberTerms) return false;
    NumberTerm term{NumberTerm::kConstant, op, 0, 0, 0, kNoTerm};
    if (shape[i] == 'R' || shape[i] == 'G') {
      term.kind = shape[i] == 'R' ? NumberTerm::kReference : NumberTerm::kGroup;
      term.index = shape[i] == 'R' ? references++ : groups++;
      ++i;
    } else {
      const std::size_t end = ReadPlainNumber(shape, i, term.read);
      if (end == i) return false;  // no digit
      term.index = at[i];
      term.length = static_cast<std::uint32_t>(end - i);
      i = end;
    }
    const bool right = result.comparison != nullptr;
    if (right && (op == '-' || op == '\\')) return false;
    terms.push_back(term);
    if (i == shape.size()) break;
    std::size_t length = 1;
    if (IsArithmeticByte(shape[i])) {
      op = shape[i++];
      continue;
    }
    const Operator* comparison = right ? nullptr : ComparisonAt(shape.substr(i), length);
    if (comparison == nullptr) return false;
    result.comparison = comparison;
    result.rightSide = static_cast<std::uint32_t>(terms.size() - firstTerm);
    op = 0;
    i += length;
  }
  result.terms = static_cast<std::uint32_t>(terms.size() - firstTerm);
  if (result.comparison == nullptr) result.rightSide = result.terms;
  result.textsRead = result.comparison == nullptr ? result.terms == 1 : result.comparison->op == Op::kEqual;
  const NumberTerm* level = terms.data() + firstTerm;
  result.firstStep = static_cast<std::uint32_t>(steps.size());
  PlanSteps(level, 0, result.rightSide, steps);
  result.leftSteps = static_cast<std::uint32_t>(steps.size() - result.firstStep);
  PlanSteps(level, result.rightSide, result.terms, steps);
  result.rightSteps = static_cast<std::uint32_t>(steps.size() - result.firstStep - result.leftSteps);
  out = result;
  return true;
}

std::optional<LevelResult> LevelNumbersResult(const LevelNumbers& shape, const TermValues& values) {
  SideValue left;
  const NumberStep* steps = values.steps + shape.firstStep;
  if (!ComputeSide(values, 0, shape.rightSide, steps, shape.leftSteps, shape.negativeFirst, shape.leadingBlank,
                   left)) {
    return std::nullopt;
  }
  if (shape.comparison == nullptr) {
    const bool plain = !left.formatted || !std::signbit(left.written);
    const auto length = left.formatted ? 0 : static_cast<std::uint32_t>(left.text.size());
    return LevelResult{{plain, left.number, length}, left.formatted, left.written, left.text};
  }
  SideValue right;
  // A negative left side behind a blank: its "-" would be taken as a sign.
  if (shape.leadingBlank && left.formatted && std::signbit(left.written)) return std::nullopt;
  if (!ComputeSide(values, shape.rightSide, shape.terms, steps + shape.leftSteps, shape.rightSteps, false, false,
                   right)) {
    return std::nullopt;
  }
  char leftDigits[kRealTextMax];
  char rightDigits[kRealTextMax];
  if (shape.comparison->op == Op::kEqual) {  // compares the texts
    if (left.formatted) left.text = {leftDigits, FormatReal(left.written, leftDigits)};
    if (right.formatted) right.text = {rightDigits, FormatReal(right.written, rightDigits)};
  }
  const bool holds = ComparisonHolds(shape.comparison->op, left.number, right.number, left.text, right.text);
  return LevelResult{{true, holds ? 1.0f : 0.0f, 1}, false, 0, holds ? "1" : "0"};
}

}  // namespace formel
