// Why an evaluation gave no result. Past a limit the library gives "", as a
// formula may well give on its own; the events of the evaluation tell the
// two apart. Shared by every host that reports it: the formel program and
// the Python package name the same limits in the same words.
#pragma once

#include <string>

#include "formel_evaluator.h"

namespace formel_records {

// A limit of the library, which says whether the input (the formula, a
// variable's value) or the result went past it, or memory.
enum class Shortfall { kNone, kFormulaTooLong, kValueTooLong, kResultTooLong, kQuoting, kOutOfMemory };

// What the library reports about its limits while a formula runs.
struct LimitNotes {
  bool reachedResult = false;  // by the outermost formula level
  std::string limit;           // the finding's code, if one was hit
  std::string longValue;       // a reference whose value alone was too long
};

// Notes what e says about the limits. Throws std::bad_alloc.
void NoteLimits(LimitNotes& notes, const formel_event& e);

// The shortfall of an evaluation of formula that gave "", from its notes.
Shortfall ShortfallFrom(const LimitNotes& notes, const std::string& formula);

// The shortfall of an evaluation of formula that gave "" on ev, which no
// observer listens to: evaluated again, as it stands, under one. Afterwards
// the result of the first evaluation is gone. longValue: the reference, for
// kValueTooLong.
Shortfall ShortfallOf(formel_evaluator* ev, const std::string& formula, std::string& longValue);

// The one-line message, such as "result longer than the text limit (4 MiB)";
// "" for kNone.
std::string ShortfallMessage(Shortfall shortfall, const std::string& longValue);

}  // namespace formel_records
