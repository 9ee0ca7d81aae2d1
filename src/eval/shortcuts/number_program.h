// A prepared formula whose levels are all numbers that read no texts (at
// least one step, or a comparison other than "="), flattened into one
// program when it is prepared: the levels of its groups first, each one's
// value going to a slot that its group's term reads, then its own. Each
// level does what LevelNumbersResult does with its values put in; the
// program spares the layers around it, and each step writes a slot of its
// own, so that a constant is put in once and a reference written again
// reads the same slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <vector>

#include "eval/shortcuts/level_numbers.h"
#include "eval/shortcuts/number_steps.h"
#include "registry/var_table.h"

namespace formel {

// A formula's result as its top level's value: the number as written and
// what it reads back as.
struct ProgramValue {
  float written;
  float read;
};

class NumberProgram {
 public:
  explicit NumberProgram(std::pmr::memory_resource* heap) : ops_(heap), work_(heap) {}

  void Clear();
  bool Empty() const { return levels_ == 0; }
  // Whether it reads values computed before it runs (AddInput).
  bool HasInputs() const { return inputs_ != 0; }
  // A slot that takes inputs[index] (Run) when the program starts; before
  // any level is added.
  std::uint16_t AddInput(std::uint32_t index);
  // A level, after its groups' levels: groupSlots[k] is the slot of group k
  // of the level (NumberTerm::index), as AddLevel gave it. Gives the slot
  // of the level's value when it is a group's; nullopt (the program
  // cleared) when the program would grow past its slots.
  std::optional<std::uint16_t> AddLevel(const LevelNumbers& shape, const NumberTerm* terms, const NumberStep* steps,
                                        std::uint32_t firstReference, const std::uint16_t* groupSlots, bool group);
  void ShrinkToFit();

  // variables: the entries by reference index (null when not set);
  // inputs: what AddInput's slots take, plain numbers. nullopt when the
  // values leave the model (a level's text would need the passes).
  std::optional<ProgramValue> Run(const Variable* const* variables, const PlainNumber* inputs = nullptr);

 private:
  struct Op {
    // A step's code (number_steps.h), or one of these.
    enum Kind : std::uint8_t { kLevel = kStepCodes, kInput, kReference, kLeftSide, kCompare, kGroupEnd };
    std::uint8_t kind;
    // kLevel: its negativeFirst and leadingBlank; kLeftSide, kCompare: the
    // side is a number alone; a step QuickStep takes: its operator and
    // whether its left term is the first (RunWholeSteps).
    std::uint8_t flags;
    std::uint16_t a;   // a step's left slot; a number alone's slot
    std::uint16_t b;   // a step's right slot
    std::uint16_t to;  // where a step, a reference or a group's value goes
    std::uint32_t index;  // kInput: the input's; kReference: the variable's; kCompare: its Op
  };
  std::uint16_t NewSlot(float value);
  void PutInputs(const PlainNumber* inputs) {
    for (std::uint32_t k = 0; k < inputs_; ++k) work_[ops_[k].to] = inputs[ops_[k].index].read;
  }
  // Inlined into Run: its frame is Run's.
  [[gnu::always_inline]] inline std::optional<ProgramValue> RunWholeSteps(const Variable* const* variables,
                                                                          const PlainNumber* inputs);

  // The inputs first (kInput), then the levels: the first level's kLevel
  // is not there, its flags are firstFlags_.
  std::pmr::vector<Op> ops_;
  std::pmr::vector<float> work_;  // the slots; constants stay from AddLevel
  std::uint32_t inputs_ = 0;
  std::uint32_t levels_ = 0;
  std::uint8_t firstFlags_ = 0;
  bool full_ = false;
  // No level starts with a sign, and every step is one that QuickStep
  // takes when its result fits (RunWholeSteps).
  bool wholeSteps_ = true;
  // Runs left that go the full way at once, after the whole way missed.
  static constexpr std::uint8_t kWholeSkipsAfterMiss = 15;
  std::uint8_t wholeSkips_ = 0;
};

}  // namespace formel
