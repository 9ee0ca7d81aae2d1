// "[name] := formula": evaluates the formula and also stores its result in
// the variable name. The same form at the prompt, in files and pipes, as an
// argument, and as a column of a CSV run.
#pragma once

#include <optional>
#include <string>

namespace formel_cli {

struct Assignment {
  std::string name;  // as written between the brackets
  std::string formula;
};

// The parts of "[name] := formula" (blanks allowed around each part), or
// nothing for any other line.
std::optional<Assignment> ReadAssignment(const std::string& line);

}  // namespace formel_cli
