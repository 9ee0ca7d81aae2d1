// The str objects of a record thread's results, made while the GIL is held
// and found again without it. A table's results repeat (prices, quantities, categories): a short ASCII
// result equal to one made before gives that str again. The texts sit in a
// table of kSets sets of two slots, one set per hash (a cache line), the
// one found last in front; a new text takes the other's place, so that the
// table's size and the cost of a miss stay fixed whatever the results.
// Sharing cannot be seen from Python: a str does not change.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
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

  // A short text as words that cover its bytes (they overlap), read
  // without a loop: equal for equal texts alone.
  struct Words {
    std::uint64_t a = 0, b = 0, c = 0;
    std::size_t size = 0;

    void Read(std::string_view text) {  // of at most kShared bytes
      const char* p = text.data();
      size = text.size();
      a = b = c = 0;
      if (size >= 8) {
        a = Load(p, 8);
        b = Load(p + size - 8, 8);
        if (size > 16) c = Load(p + 8, 8);
      } else if (size >= 4) {
        a = Load(p, 4);
        b = Load(p + size - 4, 4);
      } else if (size > 0) {
        a = Load(p, 1) | Load(p + size / 2, 1) << 8 | Load(p + size - 1, 1) << 16;
      }
    }
    bool operator==(const Words&) const = default;

   private:
    static std::uint64_t Load(const char* at, std::size_t bytes) {
      std::uint64_t word = 0;
      std::memcpy(&word, at, bytes);
      return word;
    }
  };

  // Where a text's str is kept if it is shared.
  struct Place {
    std::size_t set;
    Words words;
  };

  // text's place, its set fetched into the cache meanwhile: Locate the
  // texts a few lookups ahead, and the misses overlap. Needs no GIL.
  // Written field by field, where it is kept (a copy of a struct just
  // written would wait for the stores).
  void Locate(std::string_view text, Place& place) const;

  // Make's str for the text at place when the table has one, else null.
  // Needs no GIL, for the table touches no object (one thread at a time).
  PyObject* Found(const Place& place);

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
