// The columns of a table as the record loop reads them: every field a view
// of its text, ready for the library without a copy. A str's text is read
// where the str keeps its UTF-8; the column holds a reference to every str
// it views, so that the loop's threads may read them without the GIL while
// other Python threads change the table. Made and destroyed while the GIL is
// held. A column's views point into its own texts: it stays where it was
// made (a std::deque of columns does not move them).
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
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
  FieldColumn(const FieldColumn&) = delete;
  FieldColumn& operator=(const FieldColumn&) = delete;

  std::string_view At(std::size_t row) const { return fields_[row]; }

 private:
  template <class Number, class Write>
  void AddNumbers(py::handle values, Write write);
  void AddObjects(const std::string& name, py::handle values, std::size_t rows);
  void AddObject(const std::string& what, py::handle item, std::size_t row);

  std::vector<std::string_view> fields_;
  std::string numbers_;            // a numeric column's texts, one after the other
  std::deque<std::string> owned_;  // an object column's texts that no str holds
  py::object strs_;                // a tuple: the objects of an object column
};

// One record's fields, by header column.
struct RowFields {
  const std::deque<FieldColumn>& columns;
  std::size_t row;
  std::string_view operator[](std::size_t column) const { return columns[column].At(row); }
};

}  // namespace formel_python
