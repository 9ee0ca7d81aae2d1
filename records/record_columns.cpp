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

}  // namespace

std::vector<FormulaColumn> ReadFormulaColumns(const std::vector<std::string>& formulas) {
  std::vector<FormulaColumn> columns;
  for (const std::string& formula : formulas) {
    if (const auto assignment = ReadAssignment(formula)) {
      columns.push_back({TrimBlanks(assignment->name), assignment->formula, true});
    } else {
      columns.push_back({formula, formula, false});
    }
  }
  return columns;
}

// The library itself tells which names are the same: each name is set in a
// scratch evaluator to its column's number.
HeaderColumns ReadHeader(const std::vector<std::string>& names) {
  const std::unique_ptr<formel_evaluator, void (*)(formel_evaluator*)> scratch(formel_new(), &formel_free);
  if (scratch == nullptr) throw std::bad_alloc();
  HeaderColumns header;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string earlier = formel_get_var(scratch.get(), names[i].c_str());
    if (!earlier.empty()) {
      header.repeated.push_back("column " + std::to_string(i + 1) + " repeats the name '" + names[i] +
                                "' of column " + earlier);
      continue;
    }
    if (formel_set_var(scratch.get(), names[i].c_str(), std::to_string(i + 1).c_str()) == 0) {
      throw std::bad_alloc();
    }
    header.variables.push_back(i);
  }
  return header;
}

}  // namespace formel_records
