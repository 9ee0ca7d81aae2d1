// formel.Evaluator: one library evaluator with its variables as a mapping,
// Python callables as host functions, and its observer's events as lists.
// The library's rules hold underneath: nothing unwinds through it (an
// exception of a host function is kept and raised when the evaluation has
// finished), and one evaluator runs one call at a time (a lock serializes
// Python threads; a host function calling back in is the same thread).
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "formel_evaluator.h"

namespace formel_python {

namespace py = pybind11;

class Evaluator {
 public:
  // Throws std::bad_alloc.
  explicit Evaluator(bool standardFunctions);
  ~Evaluator();
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  py::str Evaluate(py::handle formula);
  // (result, [(code, message, start, end), ...]), offsets in bytes.
  py::tuple Check(py::handle formula);
  // (result, [(kind, depth, name, before, after, start, end), ...]).
  py::tuple Trace(py::handle formula);

  void SetItem(py::handle name, py::handle value);
  py::str GetItem(py::handle name);  // KeyError when not set
  void DelItem(py::handle name);     // KeyError when not set
  bool Contains(py::handle name);
  void Clear();

  void SetFunction(py::handle name, int params, py::object function);
  bool RemoveFunction(py::handle name);
  void ClearFunctions();

  // The garbage collector's view: a host function that refers to its own
  // evaluator makes a cycle, which only these let it break.
  int Traverse(visitproc visit, void* arg) const;

 private:
  struct Event {
    int kind;
    int depth;
    std::string name, before, after;
    std::ptrdiff_t start, end;
  };
  struct Call;
  struct HostEntry;
  class Lock;
  class Observing;

  static const char* CallHost(void* user, int argc, const char* const* argv) noexcept;
  static void Observe(void* user, const formel_event* e) noexcept;

  py::str Run(py::handle formula, std::vector<Event>* events);
  bool IsSet(const std::string& name);
  void Retire(std::unique_ptr<HostEntry> entry);

  formel_evaluator* ev_;
  // The library decides which names are the same: this evaluator's
  // variables map each registered function name to its index in entries_.
  formel_evaluator* names_;
  std::vector<std::unique_ptr<HostEntry>> entries_;
  // Entries replaced or removed while a call may still run them.
  std::vector<std::unique_ptr<HostEntry>> retired_;
  std::recursive_mutex mutex_;
  Call* current_ = nullptr;  // the innermost evaluation in progress
  int observing_ = 0;        // evaluations in progress that collect events
};

}  // namespace formel_python
