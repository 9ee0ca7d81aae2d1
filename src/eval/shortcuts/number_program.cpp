#include "eval/shortcuts/number_program.h"

#include <array>
#include <cmath>
#include <limits>
#include <span>

#include "eval/shortcuts/filled_level.h"
#include "eval/shortcuts/number_steps.h"

namespace formel {

namespace {

constexpr std::size_t kSlots = std::numeric_limits<std::uint16_t>::max();

// The usual step of a loop without its runner's cases: a whole result above
// 0 and below 2^23 reads back as it is and fits behind any operator. False
// (nothing changed) for any other, which the runner takes.
template <Op kOp, bool kFirst>
[[gnu::always_inline]] inline bool QuickStep(float left, float right, float& to, SideState& side) {
  if (kFirst && side.negativeFirst) return false;  // its sign goes into left
  const float result = Arithmetic(kOp, left, right);
  if (!(result > 0.0f && result < 8388608.0f)) return false;
  if (static_cast<float>(static_cast<std::int32_t>(result)) != result) return false;
  if (kFirst) side.value = {result, result};
  to = result;
  return true;
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
      if (term.kind == NumberTerm::kReference) ops_.push_back({Op::kReference, 0, 0, 0, at[t], firstReference + term.index});
    }
  }
  auto leftSide = [&] { ops_.push_back({Op::kLeftSide, shape.rightSide == 1, at[0], 0, 0, 0}); };
  for (std::uint32_t k = 0; k < shape.leftSteps + shape.rightSteps; ++k) {
    if (k == shape.leftSteps) leftSide();
    const std::uint16_t to = NewSlot(0);
    ops_.push_back({steps[k].code, 0, at[steps[k].left], at[steps[k].right], to, 0});
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

std::optional<ProgramValue> NumberProgram::Run(const Variable* const* variables, const PlainNumber* inputs) {
  float* work = work_.data();
  const Op* first = ops_.data() + inputs_;
  for (const Op* input = ops_.data(); input != first; ++input) work[input->to] = inputs[input->index].read;
  SideState side{(firstFlags_ & 1) != 0, (firstFlags_ & 2) != 0, {}};
  float compared = 0;  // a comparison's left side
  for (const Op& op : std::span(first, ops_.data() + ops_.size())) {
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
