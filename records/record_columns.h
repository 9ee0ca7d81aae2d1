// The columns of a table run: the table's own columns, each set as a variable
// under its header name, and one more column per formula.
#pragma once

#include <string>
#include <vector>

namespace formel_records {

struct FormulaColumn {
  std::string name;     // the variable an assignment sets
  std::string formula;
  bool assigns = false;  // its result is set as the variable name
  std::string heading;  // in the output's header row
};

// "[NAME] := FORMULA" is named NAME (blanks at its ends dropped) and
// assigns; any other formula is named by its text. Headings are left to
// HeadFormulaColumns.
std::vector<FormulaColumn> ReadFormulaColumns(const std::vector<std::string>& formulas);

struct HeaderColumns {
  std::vector<std::size_t> variables;  // the columns set as variables
  std::vector<std::string> repeated;   // one message per repeated name
};

// The first column of each name is set; a later one with the same name (as
// variable names match) is reported. Throws std::bad_alloc.
HeaderColumns ReadHeader(const std::vector<std::string>& names);

// Each formula column's heading is its name, unless that is empty or names
// an earlier column (as variable names match): then it is "NAME (N)" or
// "(N)", N being its column's number, so that the output's header reads
// back without a repeated or empty name. Throws std::bad_alloc.
void HeadFormulaColumns(const std::vector<std::string>& header, std::vector<FormulaColumn>& formulas);

}  // namespace formel_records
