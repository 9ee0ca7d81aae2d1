// The results of a record run as a (formulas, rows) numpy array of str,
// filled chunk by chunk by the run's threads. Python sees the array only
// when it is finished, so that a thread writes its items without the GIL;
// each thread shares the strs it made in a table of its own, and keeps the
// texts that its table lacks until it takes the GIL to make their strs.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "result_strs.h"

namespace formel_python {

namespace py = pybind11;

// A thread's results of its latest chunk of rows, row by row, each row's
// formulas in order; the buffers serve the thread's every chunk.
struct ChunkResults {
  std::string bytes;
  std::vector<std::size_t> ends;

  std::string_view At(std::size_t index) const {
    const std::size_t start = index == 0 ? 0 : ends[index - 1];
    return std::string_view(bytes).substr(start, ends[index] - start);
  }
};

class ResultArray {
 public:
  // Made and destroyed while the GIL is held.
  ResultArray(std::size_t formulas, std::size_t rows, std::size_t threads);

  // The results of thread's latest chunk, for the rows from firstRow on:
  // those whose strs thread's table has now, the others' texts kept for
  // MakeUnmade. Called without the GIL, by one thread at a time for each
  // thread number.
  void Fill(const ChunkResults& chunk, std::size_t firstRow, std::size_t thread);
  bool HasUnmade(std::size_t thread) const { return !threads_[thread].unmade.empty(); }
  // The strs of the texts that thread's Fill kept; the GIL must be held.
  void MakeUnmade(std::size_t thread);

  // The array, once every str counts its references; the GIL must be held.
  const py::array& Finish();

 private:
  struct alignas(64) Thread {  // in cache lines of its own
    ResultStrs strs;
    std::string texts;                                    // of the unmade strs, one after the other
    std::vector<std::pair<PyObject**, std::size_t>> unmade;  // item, end of its text
  };

  py::array array_;
  PyObject** items_;
  std::size_t formulas_;
  std::size_t rows_;
  std::deque<Thread> threads_;  // settled before array_ lets go of its items
};

}  // namespace formel_python
