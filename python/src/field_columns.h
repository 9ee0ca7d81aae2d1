// The columns of a table as the record loop reads them: every field a view
// of its text, ready for the library without a copy, chunk by chunk on the
// loop's threads without the GIL. A column holds the values it reads (a
// numeric array, or a reference to every object of an object column), so
// that other Python threads may change the table meanwhile. An object
// column's objects are referenced and checked chunk by chunk while the GIL
// is held, so that the threads read the first chunks meanwhile. A str's
// text is read where the str keeps its UTF-8. Made and destroyed while the
// GIL is held. A column's views point into its own texts: it stays where
// it was made (a std::deque of columns does not move them).
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace formel_python {

namespace py = pybind11;

// A thread's fields of one column for its latest chunk of rows; the
// buffers serve every chunk.
struct ColumnChunk {
  std::vector<std::string_view> fields;
  std::string numbers;  // a numeric column's texts, one after the other
  std::vector<std::size_t> ends;
};

class FieldColumn {
 public:
  // The texts of values (a numpy array or a sequence of rows values), in
  // chunks of chunkRows rows: str as it is, numbers as the formula
  // language writes them, True and False as 1 and 0, None and NaN as "".
  // ValueError for a length other than rows.
  FieldColumn(const std::string& name, py::handle values, std::size_t rows, std::size_t chunkRows);
  FieldColumn(const FieldColumn&) = delete;
  FieldColumn& operator=(const FieldColumn&) = delete;

  // References the objects of a chunk, chunks in order, while the GIL is
  // held. TypeError for a value of another type and ValueError for a NUL
  // byte, naming the column and the row.
  void Reference(std::size_t chunk);

  // Raises Reference's error for the column's first value that has one,
  // wherever it is: the error a table gives is its first column's first,
  // whichever chunk found one. The GIL must be held.
  void RaiseFirstFault() const;

  // The fields of a referenced chunk into out, valid until the next Read
  // into it; the GIL is not needed.
  void Read(std::size_t chunk, ColumnChunk& out) const;

 private:
  enum class Kind { kIntegers, kReals, kBools, kObjects };
  using Others = std::vector<std::pair<std::size_t, std::string_view>>;

  template <class Number>
  void HoldNumbers(py::handle values);
  void HoldObjects(py::handle values);
  PyObject* SourceItem(std::size_t row) const;
  template <class Number, class Write>
  void ReadNumbers(std::size_t first, std::size_t end, ColumnChunk& out, Write write) const;
  void ReadObjects(std::size_t chunk, std::size_t first, std::size_t end, ColumnChunk& out) const;

  std::string what_;
  Kind kind_ = Kind::kObjects;
  std::size_t size_ = 0;
  std::size_t chunkRows_;
  py::object held_;  // the numeric array, or a tuple of the objects
  const char* numbers_ = nullptr;
  py::ssize_t stride_ = 0;
  py::object source_;  // an object array, whose items held_ takes chunk by chunk
  const char* sourceItems_ = nullptr;
  // By chunk, the rows whose objects are neither None nor an ASCII str
  // (which are read where they lie), with their texts.
  std::vector<Others> others_;
  std::deque<std::string> owned_;  // texts that no str holds
};

// One record's fields, by header column, of a thread's latest chunk.
struct ChunkFields {
  const std::vector<ColumnChunk>& columns;
  std::size_t index;  // the record's, in the chunk
  std::string_view operator[](std::size_t column) const { return columns[column].fields[index]; }
};

}  // namespace formel_python
