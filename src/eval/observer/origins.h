// Where the bytes of a working text stand in the outermost formula: the
// runs of bytes that the stages copied unchanged. A finding about such
// bytes can then point at the formula as its author wrote it. Runs of a
// value that a stage put in as formula text (a variable's number form, a
// host function's result) say which value they belong to instead, so that
// a finding can tell when the formula computes with that value's own
// operators. Kept only while an observer listens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

namespace formel {

// Offset of piece in outer when piece lies within it; -1 otherwise.
std::ptrdiff_t OffsetIn(std::string_view outer, std::string_view piece);

class Origins {
 public:
  explicit Origins(std::pmr::memory_resource* heap) : runs_(heap) {}

  // The text is view: all of it stands in outermost when it is a piece of it.
  void SetView(std::string_view outermost, std::string_view view);
  // Bytes [from, from + n) of a text whose origins are source become the
  // bytes from `at` on of this text, which ends at `at`.
  void Append(const Origins& source, std::size_t from, std::size_t n, std::size_t at);
  // The text is cut to its first length bytes.
  void Truncate(std::size_t length);
  // Offset in the outermost formula of bytes [from, from + n) when they all
  // stand there in a row; -1 otherwise (and for n = 0).
  std::ptrdiff_t Find(std::size_t from, std::size_t n) const;

  // The n bytes from `at` on, which end this text, are the bytes of the
  // inserted value with this number (1 or more: EvalContext::inserted).
  void AppendValue(std::uint32_t value, std::size_t at, std::size_t n);
  // The inserted value that byte pos belongs to (0 for none), and the
  // byte's offset in that value.
  struct ValueByte {
    std::uint32_t value = 0;
    std::size_t offset = 0;
  };
  ValueByte ValueAt(std::size_t pos) const;

  void Clear() { runs_.clear(); }
  void Swap(Origins& other) { runs_.swap(other.runs_); }

 private:
  struct Run {
    std::size_t at;      // first byte in this text
    std::size_t origin;  // its offset in the outermost formula, or in the value
    std::size_t length;
    std::uint32_t value = 0;  // 0: the formula's own bytes
  };
  // The run holding byte pos, or runs_.end().
  std::pmr::vector<Run>::const_iterator RunAt(std::size_t pos) const;
  void Push(Run run);

  std::pmr::vector<Run> runs_;  // ordered by at, never overlapping
};

// The origins of a stage's input and of the text it builds, and scratch
// for a stage to use.
struct OriginTrack {
  const Origins* in;
  Origins* out;
  Origins* scratch;
};

}  // namespace formel
