// The columns of a table as the record loop reads them: every field a
// zero-terminated text, ready for the library without a copy. Made while
// the GIL is held; read by the loop's threads without it.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <string>
#include <vector>

namespace formel_python {

namespace py = pybind11;

class FieldColumn {
 public:
  // The texts of values (a numpy array or a sequence of rows values):
  // str as it is, numbers as the formula language writes them, True and
  // False as 1 and 0, None and NaN as "". TypeError for any other value
  // and ValueError for a NUL byte, naming the column and the row.
  FieldColumn(const std::string& name, py::handle values, std::size_t rows);

  const char* At(std::size_t row) const { return bytes_.data() + starts_[row]; }

 private:
  void Add(const std::string& text);
  void AddObjects(const std::string& name, py::handle values, std::size_t rows);
  template <class Number, class Format>
  void AddNumbers(py::handle values, Format format);

  std::string bytes_;
  std::vector<std::size_t> starts_;
};

// One record's fields, by header column.
struct RowFields {
  const std::vector<FieldColumn>& columns;
  std::size_t row;
  const char* operator[](std::size_t column) const { return columns[column].At(row); }
};

}  // namespace formel_python
