// Where the bytes of a working text stand in the outermost formula: the
// runs of bytes that the stages copied unchanged. A finding about such
// bytes can then point at the formula as its author wrote it. Kept only
// while an observer listens.
#pragma once

#include <cstddef>
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

  void Clear() { runs_.clear(); }
  void Swap(Origins& other) { runs_.swap(other.runs_); }

 private:
  struct Run {
    std::size_t at;      // first byte in this text
    std::size_t origin;  // its offset in the outermost formula
    std::size_t length;
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
