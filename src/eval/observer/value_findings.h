// Findings about values that the stages write into the formula: a
// variable's value or a host function's result that went in as formula
// text (a number form such as 555-1234, or a text that begins and ends
// with a quote) and was then computed, and a text value whose blanks at
// the ends were dropped when it was written back as a literal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "eval/context.h"
#include "eval/observer/observer.h"
#include "eval/observer/origins.h"

namespace formel {

// Where an inserted value came from: the reference or call as it stood in
// the stage's text, and its range in the outermost formula.
struct ValueSource {
  std::string_view written;
  Span where;
  bool variable;  // else a host function's result
};

// value went into the stage's output as it stands, as its bytes [at, at +
// n), which end the output: marks those bytes as that value's. A
// variable's value that begins and ends with a quote is reported at once:
// its quotes are read as a literal's, so it is formula text from here on.
void NoteInsertedValue(EvalContext& ctx, std::string_view value, const ValueSource& source,
                       Origins& out, std::size_t at, std::size_t n);

// The operation `how` (an operator as written, or a sign) computed with a
// byte of inserted value number `value`. Reported once per value.
void ReportComputedValue(EvalContext& ctx, std::uint32_t value, std::string_view how,
                         std::string_view operation);

// value was written into the formula as a literal of its trimmed text:
// reported when blanks at its ends were dropped from a text (numbersToo:
// also when what is left is a number).
void InspectWrittenValue(EvalContext& ctx, std::string_view value, std::string_view what,
                         std::string_view text, Span where, bool numbersToo);

}  // namespace formel
