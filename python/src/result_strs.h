// The str objects of a record run's results, made while the GIL is held.
// A table's results repeat (prices, quantities, categories): a short ASCII
// result equal to one made before gives that str again. The texts sit in a
// table of kSlots, one slot per hash, and one that meets another in its
// slot takes it over, so that the table's size and the cost of a miss stay
// fixed whatever the results. Sharing cannot be seen from Python: a str
// does not change.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <string_view>
#include <vector>

namespace formel_python {

class ResultStrs {
 public:
  ResultStrs() : slots_(kSlots, nullptr) {}
  ~ResultStrs();
  ResultStrs(const ResultStrs&) = delete;
  ResultStrs& operator=(const ResultStrs&) = delete;

  // A new reference to the str of text (decoded as StrOf does). Raises
  // Python's error when there is no memory.
  PyObject* Make(std::string_view text);

 private:
  static constexpr std::size_t kSlots = std::size_t{1} << 16;
  static constexpr std::size_t kShared = 24;  // the longest result shared, in bytes

  std::vector<PyObject*> slots_;  // owned references, or null
};

}  // namespace formel_python
