// The columns of a table as the record loop reads them: every field a view
// of its text, ready for the library without a copy, chunk by chunk on the
// loop's threads without the GIL. A numeric column holds its array. An
// object column is taken chunk by chunk while the GIL is held, so that the
// threads read the first chunks meanwhile: a short ASCII str's text is
// copied (one read of each object, nothing to let go of after the run),
// any other str is referenced and read where it keeps its UTF-8. Other
// Python threads may change the table meanwhile. Made and destroyed while
// the GIL is held. A column's views point into its own texts: it stays
// where it was made (a std::deque of columns does not move them).
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace formel_python {

namespace py = pybind11;

// A thread's fields of one column for its latest chunk of rows; the
// buffers serve every chunk. In cache lines of its own: written for every
// record.
struct alignas(64) ColumnChunk {
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

  // Takes the values of a chunk, chunks in order, while the GIL is held.
  // TypeError for a value of another type and ValueError for a NUL byte,
  // naming the column and the row.
  void Take(std::size_t chunk);

  // Raises Take's error for the column's first value that has one,
  // wherever it is: the error a table gives is its first column's first,
  // whichever chunk found one. The GIL must be held.
  void RaiseFirstFault() const;

  // The fields of a chunk taken into out, valid until the next Read
  // into it; the GIL is not needed.
  void Read(std::size_t chunk, ColumnChunk& out) const;

 private:
  enum class Kind { kIntegers, kReals, kBools, kObjects };

  // A chunk of an object column as taken.
  struct Taken {
    std::string texts;                // the short ASCII strs' texts, one after the other
    std::vector<std::uint32_t> ends;  // of each row's text in texts
    // The rows, in order, whose texts are elsewhere, with their texts.
    std::vector<std::pair<std::size_t, std::string_view>> others;
  };

  template <class Number>
  void HoldNumbers(py::handle values);
  void HoldObjects(py::handle values);
  PyObject* Item(std::size_t row) const;
  template <class Number, class Write>
  void ReadNumbers(std::size_t first, std::size_t end, ColumnChunk& out, Write write) const;
  void ReadObjects(std::size_t chunk, ColumnChunk& out) const;

  std::string what_;
  Kind kind_ = Kind::kObjects;
  std::size_t size_ = 0;
  std::size_t chunkRows_;
  py::object held_;  // the numeric array; the object array, or a tuple of a sequence's objects
  const char* items_ = nullptr;
  py::ssize_t stride_ = 0;
  std::vector<Taken> taken_;       // by chunk
  std::vector<py::object> strs_;   // the strs read where they lie
  std::deque<std::string> owned_;  // texts of values that are not str
};

// One record's fields, by header column, of a thread's latest chunk.
struct ChunkFields {
  const std::vector<ColumnChunk>& columns;
  std::size_t index;  // the record's, in the chunk
  std::string_view operator[](std::size_t column) const { return columns[column].fields[index]; }
};

}  // namespace formel_python
