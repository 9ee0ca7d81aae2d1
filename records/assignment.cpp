#include "records/assignment.h"

namespace formel_records {

std::optional<Assignment> ReadAssignment(const std::string& line) {
  const std::size_t open = line.find_first_not_of(' ');
  if (open == std::string::npos || line[open] != '[') return std::nullopt;
  const std::size_t close = line.find(']', open);
  if (close == std::string::npos) return std::nullopt;
  const std::size_t op = line.find_first_not_of(' ', close + 1);
  if (op == std::string::npos || line.compare(op, 2, ":=") != 0) return std::nullopt;
  return Assignment{line.substr(open + 1, close - open - 1), line.substr(op + 2)};
}

}  // namespace formel_records
