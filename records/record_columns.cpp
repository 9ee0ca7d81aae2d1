#include "records/record_columns.h"

#include <memory>
#include <new>

#include "records/assignment.h"
#include "formel_evaluator.h"

namespace formel_records {

namespace {

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Column names as the library matches variable names: each name taken is
// set in a scratch evaluator to its column's number.
class ColumnNames {
 public:
  ColumnNames() : scratch_(formel_new(), &formel_free) {
    if (scratch_ == nullptr) throw std::bad_alloc();
  }

  // The number of the column that took the name; "" when none did.
  std::string TakenBy(const std::string& name) { return formel_get_var(scratch_.get(), name.c_str()); }

  void Take(const std::string& name, std::size_t column) {
    if (formel_set_var(scratch_.get(), name.c_str(), std::to_string(column).c_str()) == 0) {
      throw std::bad_alloc();
    }
  }

 private:
  std::unique_ptr<formel_evaluator, void (*)(formel_evaluator*)> scratch_;
};

}  // namespace

std::vector<FormulaColumn> ReadFormulaColumns(const std::vector<std::string>& formulas) {
  std::vector<FormulaColumn> columns;
  for (const std::string& formula : formulas) {
    if (const auto assignment = ReadAssignment(formula)) {
      columns.push_back({TrimBlanks(assignment->name), assignment->formula, true, {}});
    } else {
      columns.push_back({formula, formula, false, {}});
    }
  }
  return columns;
}

HeaderColumns ReadHeader(const std::vector<std::string>& names) {
  ColumnNames taken;
  HeaderColumns header;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (const std::string earlier = taken.TakenBy(names[i]); !earlier.empty()) {
      header.repeated.push_back("column " + std::to_string(i + 1) + " repeats the name '" + names[i] +
                                "' of column " + earlier);
      continue;
    }
    taken.Take(names[i], i + 1);
    header.variables.push_back(i);
  }
  return header;
}

void HeadFormulaColumns(const std::vector<std::string>& header, std::vector<FormulaColumn>& formulas) {
  ColumnNames taken;
  std::size_t column = 0;
  for (const std::string& name : header) taken.Take(name, ++column);
  for (FormulaColumn& formula : formulas) {
    ++column;
    std::string heading = formula.name;
    const std::string stem = TrimBlanks(heading).empty() ? "" : heading + " ";
    for (std::size_t n = column; TrimBlanks(heading).empty() || !taken.TakenBy(heading).empty(); ++n) {
      heading = stem + "(" + std::to_string(n) + ")";
    }
    taken.Take(heading, column);
    formula.heading = std::move(heading);
  }
}

}  // namespace formel_records
