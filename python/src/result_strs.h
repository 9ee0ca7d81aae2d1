// The str objects of a record run's results, made while the GIL is held.
// A table's results repeat (prices, quantities, categories): a short ASCII
// result equal to one made before gives that str again. The texts sit in a
// table of kSets sets of two slots, one set per hash (a cache line), the
// one found last in front; a new text takes the other's place, so that the
// table's size and the cost of a miss stay fixed whatever the results.
// Sharing cannot be seen from Python: a str does not change.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace formel_python {

class ResultStrs {
 public:
  ResultStrs() : sets_(kSets) {}
  ~ResultStrs() { Settle(); }
  ResultStrs(const ResultStrs&) = delete;
  ResultStrs& operator=(const ResultStrs&) = delete;

  // A reference to the str of text (decoded as StrOf does), for an item
  // of an object array that Python sees only after Settle: a shared str's
  // references are counted in its slot, so that a result found again
  // touches no object, and are added to the str when its slot is taken
  // over or settled. The GIL must be held. Raises Python's error when
  // there is no memory.
  PyObject* Make(std::string_view text);

  // Where text's str is kept if it is shared, its set fetched into the
  // cache meanwhile: Locate the texts of a chunk first, and the misses
  // overlap. Needs no GIL.
  std::size_t Locate(std::string_view text) const;

  // Make's str for text when the table has one, else null; set is
  // Locate's. Needs no GIL, for the table touches no object (one thread at
  // a time).
  PyObject* Found(std::string_view text, std::size_t set);

  // Adds the references given to their strs and empties the table; the
  // GIL must be held.
  void Settle();

 private:
  static constexpr int kSetBits = 14;
  static constexpr std::size_t kSets = std::size_t{1} << kSetBits;
  static constexpr std::size_t kShared = 19;  // the longest result shared, in bytes
  static constexpr std::size_t kNowhere = kSets;  // Locate's place of a text not shared

  struct Slot {  // 32 bytes: the table's texts are read without touching a str
    PyObject* str = nullptr;  // one reference of its own
    std::uint32_t given = 0;  // references given and not yet counted in str
    std::uint8_t size = 0;
    char text[kShared];
  };

  struct alignas(64) Set {
    Slot slots[2];  // the one found last first
  };

  static void Settle(Slot& slot);  // the slot's str, counted and let go

  std::vector<Set> sets_;
};

}  // namespace formel_python
