// formel.evaluate_records underneath: the formulas for every record of a
// table, by the same rules as a CSV run of the formel program, on jobs
// threads with one evaluator each and without the GIL.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>

namespace formel_python {

namespace py = pybind11;

struct RecordTable {
  py::list names;    // the header: one str per column
  py::list columns;  // one numpy array or sequence per column
  std::size_t rows;
};

// (names, results, failures): each formula's column name, a (formulas, rows)
// numpy array of the results (str), and a list of (row, formula, message),
// by row, for each formula that gave no result because it went past a
// limit of the library (its result is "", as the program writes it).
// variables: (name, value) pairs that every record starts from. Raises
// ValueError for a header that names a column twice.
py::tuple EvaluateRecords(const py::list& formulas, const RecordTable& table, const py::list& variables, int jobs,
                          bool standardFunctions);

}  // namespace formel_python
