// The results of a record run as a (formulas, rows) numpy array of str,
// filled chunk by chunk by the run's threads. Python sees the array only
// when it is finished, so that a thread writes its items without the GIL;
// each thread shares the strs it made in a table of its own, and takes
// the GIL only to make new ones.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "result_strs.h"

namespace formel_python {

namespace py = pybind11;

// A thread's results of its latest chunk of rows, row by row, each row's
// formulas in order; the buffers serve the thread's every chunk.
struct ChunkResults {
  std::string bytes;
  std::vector<std::size_t> ends;
  std::vector<std::size_t> sets;    // where each result's str is kept, if shared
  std::vector<std::size_t> unmade;  // the results that found no str

  std::string_view At(std::size_t index) const {
    const std::size_t start = index == 0 ? 0 : ends[index - 1];
    return std::string_view(bytes).substr(start, ends[index] - start);
  }
};

class ResultArray {
 public:
  // Made and destroyed while the GIL is held.
  ResultArray(std::size_t formulas, std::size_t rows, std::size_t threads);

  // The results of thread's latest chunk, for the rows from firstRow on;
  // called without the GIL, by one thread at a time for each thread number.
  void Fill(ChunkResults& chunk, std::size_t firstRow, std::size_t thread);

  // The array, once every str counts its references; the GIL must be held.
  const py::array& Finish();

 private:
  PyObject*& Item(std::size_t index, std::size_t firstRow) {  // index as in ChunkResults
    return items_[(index % formulas_) * rows_ + firstRow + index / formulas_];
  }

  py::array array_;
  PyObject** items_;
  std::size_t formulas_;
  std::size_t rows_;
  std::deque<ResultStrs> strs_;  // one per thread; settled before array_ lets go of its items
};

}  // namespace formel_python
