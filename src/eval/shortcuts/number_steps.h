// The steps of the passes on a level's numbers (level_numbers.h), as the
// level's way and the program of a prepared formula (number_program.h)
// both run them: a code for each operator and kind of step, what the steps
// of a side carry from one to the next, and the runner of any step.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "eval/operators.h"
#include "eval/shortcuts/level_numbers.h"

namespace formel {

// The arithmetic operators come first among the passes: a code for each
// of them and each kind of step.
inline constexpr std::size_t kStepCodes = 6 * 3;
constexpr std::uint8_t StepCode(Op op, NumberStep::Kind kind) {
  return static_cast<std::uint8_t>(static_cast<int>(op) * 3 + kind);
}
static_assert(StepCode(Op::kSubtract, NumberStep::kBehind) == kStepCodes - 1);

enum class StepsEnd { kValue, kOutside, kPassesAgain };

// A side's first number as it stands written, and what it reads back as.
struct FirstNumber {
  float written = 0;
  float read = 0;
};

// What the steps of a side carry from one to the next.
struct SideState {
  bool negativeFirst;
  bool leadingBlank;
  FirstNumber value;
};

// The runner of each step by its code: term left of work becomes the
// result, as its written text reads back (without its sign, which the
// side state keeps for the first).
using StepRunner = StepsEnd (*)(const NumberStep&, float*, SideState&);
extern const std::array<StepRunner, kStepCodes> kStepRunners;

}  // namespace formel
