// memmove for the texts of a loop: most are a number's few bytes, which
// are moved here rather than through a library call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace formel {

namespace move_bytes_detail {

// The first and last sizeof(Word) bytes (they overlap when n is shorter
// than two words): every byte is read before any is written, so the
// texts may overlap either way.
template <class Word>
void MoveEnds(char* to, const char* from, std::size_t n) {
  Word head;
  Word tail;
  std::memcpy(&head, from, sizeof head);
  std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
  std::memcpy(to, &head, sizeof head);
  std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
}

}  // namespace move_bytes_detail

inline void MoveBytes(char* to, const char* from, std::size_t n) {
  using move_bytes_detail::MoveEnds;
  if (n >= 8) {
    if (n <= 16) return MoveEnds<std::uint64_t>(to, from, n);
    std::memmove(to, from, n);
  } else if (n >= 4) {
    MoveEnds<std::uint32_t>(to, from, n);
  } else if (n >= 2) {
    MoveEnds<std::uint16_t>(to, from, n);
  } else if (n == 1) {
    *to = *from;
  }
}

}  // namespace formel
