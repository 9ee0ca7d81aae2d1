#include "eval/shortcuts/number_program.h"

#include <array>
#include <cmath>
#include <limits>

#include "eval/shortcuts/filled_level.h"
#include "eval/shortcuts/number_steps.h"

namespace formel {

namespace {

constexpr std::size_t kSlots = std::numeric_limits<std::uint16_t>::max();

// A whole result above 0 and below 2^23 reads back as it is and fits
// behind any operator.
[[gnu::always_inline]] inline bool IsSmallWhole(float result) {
  return result > 0.0f && result < 8388608.0f && static_cast<float>(static_cast<std::int32_t>(result)) == result;
}

// The usual step of a loop without its runner's cases, for such a result.
// False (nothing changed) for any other, which the runner takes.
template <Op kOp, bool kFirst>
[[gnu::always_inline]] inline bool QuickStep(float left, float right, float& to, SideState& side) {
  if (kFirst && side.negativeFirst) return false;  // its sign goes into left
  const float result = Arithmetic(kOp, left, right);
  if (!IsSmallWhole(result)) return false;
  if (kFirst) side.value = {result, result};
  to = result;
  return true;
}

// A step QuickStep takes whenever its result fits: "*", "+" or "-", its
// left term the side's first number or one behind another operator. Such a
// step's flags tell its operator (kStepMultiply...) and whether its left
// term is the first (kStepFirst).
constexpr std::uint8_t kStepMultiply = 0, kStepAdd = 1, kStepSubtract = 2, kStepFirst = 4;
std::optional<std::uint8_t> WholeStepFlags(std::uint8_t code) {
  for (const auto& [op, flag] : {std::pair{Op::kMultiply, kStepMultiply}, std::pair{Op::kAdd, kStepAdd},
                                std::pair{Op::kSubtract, kStepSubtract}}) {
    if (code == StepCode(op, NumberStep::kFirst)) return static_cast<std::uint8_t>(flag | kStepFirst);
    if (code == StepCode(op, NumberStep::kBehind)) return flag;
  }
  return std::nullopt;
}

// The runner works on its two terms in place.
[[gnu::noinline]] bool RunnerStep(std::uint8_t code, float left, float right, float& to, SideState& side) {
  float pair[2] = {left, right};
  if (kStepRunners[code](NumberStep{0, 1, code}, pair, side) != StepsEnd::kValue) return false;
  to = pair[0];
  return true;
}

}  // namespace

void NumberProgram::Clear() {
  ops_.clear();
  work_.clear();
  inputs_ = 0;
  levels_ = 0;
  firstFlags_ = 0;
  full_ = false;
  wholeSteps_ = true;
  wholeSkips_ = 0;
}

std::uint16_t NumberProgram::AddInput(std::uint32_t index) {
  const std::uint16_t slot = NewSlot(0);
  ops_.push_back({Op::kInput, 0, 0, 0, slot, index});
  ++inputs_;
  return slot;
}

void NumberProgram::ShrinkToFit() {
  ops_.shrink_to_fit();
  work_.shrink_to_fit();
}

std::uint16_t NumberProgram::NewSlot(float value) {
  full_ = full_ || work_.size() == kSlots;
  if (full_) return 0;
  work_.push_back(value);
  return static_cast<std::uint16_t>(work_.size() - 1);
}

std::optional<std::uint16_t> NumberProgram::AddLevel(const LevelNumbers& shape, const NumberTerm* terms,
                                                     const NumberStep* steps, std::uint32_t firstReference,
                                                     const std::uint16_t* groupSlots, bool group) {
  // Where each term's value stands: a step's result takes its left term's place.
  std::array<std::uint16_t, kMaxNumberTerms> at{};
  const auto flags = static_cast<std::uint8_t>(shape.negativeFirst | shape.leadingBlank << 1);
  wholeSteps_ = wholeSteps_ && !shape.negativeFirst;
  if (levels_++ == 0) {
    firstFlags_ = flags;  // Run starts with them
  } else {
    ops_.push_back({Op::kLevel, flags, 0, 0, 0, 0});
  }
  for (std::uint32_t t = 0; t < shape.terms; ++t) {
    const NumberTerm& term = terms[t];
    if (term.kind == NumberTerm::kGroup) {
      at[t] = groupSlots[term.index];
    } else if (term.kind == NumberTerm::kReference && term.same != kNoTerm) {
      at[t] = at[term.same];
    } else {
      at[t] = NewSlot(term.kind == NumberTerm::kConstant ? term.read : 0);
      if (term.kind == NumberTerm::kReference) {
        ops_.push_back({Op::kReference, 0, 0, 0, at[t], firstReference + term.index});
      }
    }
  }
  auto leftSide = [&] { ops_.push_back({Op::kLeftSide, shape.rightSide == 1, at[0], 0, 0, 0}); };
  for (std::uint32_t k = 0; k < shape.leftSteps + shape.rightSteps; ++k) {
    if (k == shape.leftSteps) leftSide();
    const std::uint16_t to = NewSlot(0);
    const auto whole = WholeStepFlags(steps[k].code);
    wholeSteps_ = wholeSteps_ && whole.has_value();
    ops_.push_back({steps[k].code, whole.value_or(0), at[steps[k].left], at[steps[k].right], to, 0});
    at[steps[k].left] = to;
  }
  if (shape.comparison != nullptr) {
    if (shape.rightSteps == 0) leftSide();
    const bool alone = shape.terms - shape.rightSide == 1;
    ops_.push_back({Op::kCompare, alone, at[shape.rightSide], 0, 0, static_cast<std::uint32_t>(shape.comparison->op)});
  }
  std::uint16_t value = 0;
  if (group) {
    value = NewSlot(0);
    ops_.push_back({Op::kGroupEnd, 0, 0, 0, value, 0});
  }
  if (full_) {
    Clear();
    return std::nullopt;
  }
  return value;
}

// Every step QuickStep's, and so no side state but each side's first
// number, which is never negative (no sign before it, each result above 0,
// a comparison's 1 or 0) and is set by the side's last step, if it has
// steps: a loop's arithmetic without the runners' frame.
// nullopt when a result does not fit (Run then starts again: nothing was
// changed but the slots).
std::optional<ProgramValue> NumberProgram::RunWholeSteps(const Variable* const* variables,
                                                         const PlainNumber* inputs) {
  float* work = work_.data();
  const Op* op = ops_.data();
  const Op* const end = op + ops_.size();
  PutInputs(inputs);
  op += inputs_;
  float value = 0;     // the side's first number
  float compared = 0;  // a comparison's left side
  for (; op != end; ++op) {
    if (op->kind < kStepCodes) {
      const float left = work[op->a];
      const float right = work[op->b];
      const std::uint8_t operation = op->flags & 3;
      const float result =
          operation == kStepMultiply ? left * right : operation == kStepAdd ? left + right : left - right;
      if (!IsSmallWhole(result)) return std::nullopt;
      work[op->to] = result;
      if ((op->flags & kStepFirst) != 0) value = result;
    } else if (op->kind == Op::kReference) {
      const PlainNumber n = TermNumber(variables[op->index]);
      if (!n.plain) return std::nullopt;
      work[op->to] = n.read;
    } else if (op->kind == Op::kLeftSide) {
      compared = op->flags != 0 ? work[op->a] : value;
    } else if (op->kind == Op::kCompare) {
      const float right = op->flags != 0 ? work[op->a] : value;
      value = ComparisonHolds(static_cast<formel::Op>(op->index), compared, right, {}, {}) ? 1.0f : 0.0f;
    } else if (op->kind == Op::kGroupEnd) {
      work[op->to] = value;
    }  // kLevel: nothing to reset, as a side's last step is on its first number
  }
  return ProgramValue{value, value};
}

std::optional<ProgramValue> NumberProgram::Run(const Variable* const* variables, const PlainNumber* inputs) {
  if (wholeSteps_ && wholeSkips_ == 0) {
    if (const auto value = RunWholeSteps(variables, inputs)) return value;
    wholeSkips_ = kWholeSkipsAfterMiss;  // a loop of prices, say: the whole way would miss again
  } else if (wholeSkips_ != 0) {
    --wholeSkips_;
  }
  float* work = work_.data();
  PutInputs(inputs);
  const Op* first = ops_.data() + inputs_;
  SideState side{(firstFlags_ & 1) != 0, (firstFlags_ & 2) != 0, {}};
  float compared = 0;  // a comparison's left side
  const Op* const end = ops_.data() + ops_.size();
  for (const Op* next = first; next != end; ++next) {
    const Op& op = *next;
    const float left = work[op.a];
    const float right = work[op.b];
    float& to = work[op.to];
    bool quick = false;  // a step done without its runner
    switch (op.kind) {
      case StepCode(formel::Op::kMultiply, NumberStep::kFirst):
        quick = QuickStep<formel::Op::kMultiply, true>(left, right, to, side);
        break;
      case StepCode(formel::Op::kMultiply, NumberStep::kBehind):
        quick = QuickStep<formel::Op::kMultiply, false>(left, right, to, side);
        break;
      case StepCode(formel::Op::kAdd, NumberStep::kFirst):
        quick = QuickStep<formel::Op::kAdd, true>(left, right, to, side);
        break;
      case StepCode(formel::Op::kAdd, NumberStep::kBehind):
        quick = QuickStep<formel::Op::kAdd, false>(left, right, to, side);
        break;
      case StepCode(formel::Op::kSubtract, NumberStep::kFirst):
        quick = QuickStep<formel::Op::kSubtract, true>(left, right, to, side);
        break;
      case StepCode(formel::Op::kSubtract, NumberStep::kBehind):
        quick = QuickStep<formel::Op::kSubtract, false>(left, right, to, side);
        break;
      case Op::kLevel:
        side = {(op.flags & 1) != 0, (op.flags & 2) != 0, {}};
        continue;
      case Op::kReference: {
        const PlainNumber n = TermNumber(variables[op.index]);
        if (!n.plain) return std::nullopt;
        to = n.read;
        continue;
      }
      case Op::kLeftSide:
        // A negative value behind a blank: its "-" would be taken as a sign.
        if (op.flags == 0 && side.leadingBlank && std::signbit(side.value.written)) return std::nullopt;
        compared = op.flags != 0 ? left : side.value.read;
        side = {false, false, {}};
        continue;
      case Op::kCompare: {
        const float holds = ComparisonHolds(static_cast<formel::Op>(op.index), compared,
                                            op.flags != 0 ? left : side.value.read, {}, {});
        side.value = {holds ? 1.0f : 0.0f, holds ? 1.0f : 0.0f};
        continue;
      }
      case Op::kGroupEnd:
        // A negative value is not a plain number: the group's text leaves the model.
        if (std::signbit(side.value.written)) return std::nullopt;
        to = side.value.read;
        continue;
      default: break;  // the other steps
    }
    if (!quick && !RunnerStep(op.kind, left, right, to, side)) return std::nullopt;
  }
  return ProgramValue{side.value.written, side.value.read};
}

}  // namespace formel
