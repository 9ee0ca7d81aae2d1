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

std::optional<std::string> BracketedForm(const std::string& line) {
  const std::size_t op = line.find(":=");
  if (op == std::string::npos) return std::nullopt;
  const std::size_t first = line.find_first_not_of(' ');
  const std::size_t last = line.find_last_not_of(' ', op == 0 ? 0 : op - 1);
  if (first >= op || last == std::string::npos || last < first) return std::nullopt;
  const std::string name = line.substr(first, last - first + 1);
  // A name, not an expression or a reference: none of these bytes.
  if (name.find_first_of("[]()\",+-*/\\^&<>=") != std::string::npos) return std::nullopt;
  const std::size_t formula = line.find_first_not_of(' ', op + 2);
  return "[" + name + "] := " + (formula == std::string::npos ? "" : line.substr(formula));
}

}  // namespace formel_records
