// "[name] := formula": evaluates the formula and also stores its result in
// the variable name. The same form for every host that reads formulas from
// its users: the formel program (prompt, files, arguments, CSV columns) and
// the Python package.
#pragma once

#include <optional>
#include <string>

namespace formel_records {

struct Assignment {
  std::string name;  // as written between the brackets
  std::string formula;
};

// The parts of "[name] := formula" (blanks allowed around each part), or
// nothing for any other line.
std::optional<Assignment> ReadAssignment(const std::string& line);

}  // namespace formel_records
