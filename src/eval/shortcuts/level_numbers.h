// The numbers of a prepared formula level whose text, once its groups,
// calls and references are in, is plain arithmetic or one comparison of
// two such sides (filled_level.h) whenever each of them puts in a plain
// number (digits and points, at least one digit). The level's shape is
// read once; each evaluation then takes the values' numbers as
// PlainArithmetic would read them from the filled text, and computes the
// passes on them without building that text.
//
// The shape holds only numbers, references, groups, the six arithmetic
// operators (no two side by side), perhaps a "-" first, and at most one
// comparison; no reference or group touches a number or another one, so
// that each value stays one number of the text. The right side of a
// comparison holds no "-" and no "\" (see filled_level.h). Blanks may stand
// around the whole (an assignment's right side, an argument after ", "):
// every scan passes them as it would the text's ends, except that a "-"
// behind a blank is taken as a sign, so a shape with blanks before it
// starts with no "-", and a first number that turns negative leaves the
// model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string_view>
#include <vector>

#include "eval/operators.h"
#include "registry/var_table.h"
#include "text/numbers.h"

namespace formel {

struct NumberTerm {
  enum Kind : std::uint8_t { kConstant, kReference, kGroup };
  Kind kind;
  char op;              // the operator before it (0 for the first of a side)
  std::uint32_t index;  // of the reference or group; of the constant's text
  std::uint32_t length; // a constant's text
  float read;           // a constant's number
  std::uint32_t same;   // an earlier term with the same reference, or kNoTerm
};

inline constexpr std::uint32_t kNoTerm = 0xFFFFFFFFu;

// One step of the passes on a side's numbers, in the order the passes take
// them while no step turns a "-" into a "+" (which changes the later
// passes: then the passes run on the side again). Term left becomes the
// result of op on it and term right; indices count from the level's first
// term.
struct NumberStep {
  // How left stands: the side's first number, whose sign is the text's
  // own; behind a "-" that the step takes; behind any other operator.
  enum Kind : std::uint8_t { kFirst, kMinusTaken, kBehind };
  std::uint8_t left;
  std::uint8_t right;
  std::uint8_t code;  // op and kind in one: which step runs (RunSteps)
};

struct LevelNumbers {
  std::uint32_t firstTerm = 0;
  std::uint32_t terms = 0;      // 0: the level has no such shape
  std::uint32_t rightSide = 0;  // first term after the comparison; terms when none
  const Operator* comparison = nullptr;
  std::uint32_t firstStep = 0;
  std::uint32_t leftSteps = 0;   // then the right side's
  std::uint32_t rightSteps = 0;
  bool negativeFirst = false;
  // Blanks before the first term: a scan takes a "-" that comes before the
  // first number as a sign (see plain_arithmetic.h).
  bool leadingBlank = false;
  // Whether the result may need the terms' texts: a number alone is its
  // own text, and "=" compares texts. Else only their numbers.
  bool textsRead = false;
};

inline constexpr std::size_t kMaxNumberTerms = 64;
// Formulas and values longer than this take the text's way: a level's
// text then stays far below the length limit, which the text's way checks.
inline constexpr std::size_t kLongestTermText = std::size_t{32} << 10;

// What a set variable reads as when it stands as a term; not plain also
// when it is not set or too long for one. Inlined: a loop reads every
// reference so.
[[gnu::always_inline]] inline PlainNumber TermNumber(const Variable* entry) {
  if (entry == nullptr) return PlainNumber();
  const PlainNumber n = entry->Number();
  return n.length > kLongestTermText ? PlainNumber() : n;
}

// Reads shape (the level's text with "R" for each reference and "G" for
// each group with its name; at[i] the formula position of shape[i]) into
// terms. False when it is not of such a shape.
bool ReadLevelShape(std::string_view shape, const std::uint32_t* at, std::pmr::vector<NumberTerm>& terms,
                    std::pmr::vector<NumberStep>& steps, LevelNumbers& out);

// What the terms hold in this evaluation, term by term: the numbers, and
// their texts where the shape reads them (textsRead); the numbers again in
// written, and room for the passes (lengths, operators), which they use
// up; and the level's terms and steps. The lengths are never measured: a
// level's text stays far below the length limit.
struct TermValues {
  float* read;
  std::uint32_t* length;
  const std::string_view* text;
  char* op;
  float* written;
  const NumberTerm* terms;
  const NumberStep* steps;
};

// A level's result: the text of written when formatted, else text.
struct LevelResult {
  PlainNumber number;
  bool formatted;
  float written;
  std::string_view text;
};

// nullopt when the values leave the model.
std::optional<LevelResult> LevelNumbersResult(const LevelNumbers& shape, const TermValues& values);

}  // namespace formel
