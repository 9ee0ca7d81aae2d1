// The interactive prompt, offered when standard input and output are both
// terminals. A line "[name] := formula" evaluates the formula, stores its
// result in the variable name and prints it; any other line is a formula.
// Ends at end of input (Ctrl-D). With libedit: line editing and a history
// of the session's lines.
#pragma once

#include <optional>
#include <string>

#include "evaluate.h"

namespace formel_cli {

struct PromptAssignment {
  std::string name;
  std::string formula;
};

// The parts of "[name] := formula" (blanks allowed around each part), or
// nothing for any other line.
std::optional<PromptAssignment> ReadPromptAssignment(const std::string& line);

// Throws OutputError.
void RunPrompt(Evaluator& evaluator);

bool StandardStreamsAreTerminals();

}  // namespace formel_cli
