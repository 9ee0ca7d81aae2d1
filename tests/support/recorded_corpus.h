// The recorded corpus: many formulas with the results the library gave when
// they were recorded. Every change to how the passes are carried out must
// keep these results byte for byte.
//
// Format (fields escaped as in the formula case file): "setup <name>"
// starts a group and empties both tables; "var <name> <value>" and "func
// <name> <impl>" fill them; then "formula <text>" and "expect <text>" lines
// in pairs. Lines starting with # are comments.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace formel_test {

struct RecordedFormula {
  std::string formula;
  std::string expect;
  int line = 0;
};

struct RecordedGroup {
  std::string name;
  std::vector<std::pair<std::string, std::string>> vars;
  std::vector<std::pair<std::string, std::string>> funcs;  // name, host impl
  std::vector<RecordedFormula> formulas;
};

// Throws std::runtime_error on a malformed file.
std::vector<RecordedGroup> ReadRecordedCorpus(const std::string& path);
void WriteRecordedCorpus(const std::vector<RecordedGroup>& groups, std::ostream& out);

}  // namespace formel_test
