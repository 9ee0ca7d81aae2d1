// The columns of a table run: the table's own columns, each set as a variable
// under its header name, and one more column per formula.
#pragma once

#include <string>
#include <vector>

namespace formel_records {

struct FormulaColumn {
  std::string name;
  std::string formula;
  bool assigns = false;  // its result is set as the variable name
};

// "[NAME] := FORMULA" is named NAME (blanks at its ends dropped) and
// assigns; any other formula is named by its text.
std::vector<FormulaColumn> ReadFormulaColumns(const std::vector<std::string>& formulas);

struct HeaderColumns {
  std::vector<std::size_t> variables;  // the columns set as variables
  std::vector<std::string> repeated;   // one message per repeated name
};

// The first column of each name is set; a later one with the same name (as
// variable names match) is reported. Throws std::bad_alloc.
HeaderColumns ReadHeader(const std::vector<std::string>& names);

}  // namespace formel_records
