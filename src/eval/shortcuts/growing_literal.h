// The literal that an operator pass last wrote at the end of its processed
// part, as a chain of "&" (or of "+" between quoted literals) grows it.
// Its value is not kept, only what decides the form of a longer value, so
// that the next step can append the right operand's value in place instead
// of rebuilding the whole literal: either
//  - quoted: the value between two quotes, every quote in it doubled; or
//  - plain: a number form without signs but for a leading "-", written as
//    itself.
// Neither holds a delimiter outside quotes behind its first byte, so an
// operand scan passes over it in one step.
#pragma once

#include <cstddef>
#include <string_view>

namespace formel {

class GrowingLiteral {
 public:
  bool Valid() const { return valid_; }
  bool Quoted() const { return quoted_; }
  std::size_t Begin() const { return begin_; }  // index of its first byte
  std::size_t End() const { return end_; }      // index behind its last byte
  void Drop() { valid_ = false; }

  // Notes the literal just written at [begin, end) for value (trimmed,
  // not empty). Returns false, and drops it, when it is neither form, or a
  // plain literal that holds a sign behind its first byte.
  bool Track(std::size_t begin, std::size_t end, std::string_view value, bool quoted);

  // Whether the value followed by more is written in the same form, the
  // left operand being this literal. In a sum of texts (arithmetic) a value
  // holding "#INF" reads as 0, which the general way must write.
  bool CanGrowBy(std::string_view more, bool arithmetic) const;
  // The value is now followed by more; the literal ends at end. Only a sum
  // (arithmetic) needs to know whether "#INF" occurs in the value.
  void GrowBy(std::string_view more, std::size_t end, bool arithmetic);

 private:
  void NoteTail(std::string_view more);

  bool valid_ = false;
  bool quoted_ = false;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  char first_ = 0;  // first and last byte of the value
  char last_ = 0;
  unsigned inside_ = 0;  // byte classes of the value before its last byte
  bool hasInf_ = false;
  char tail_[3] = {};  // the value's last bytes, for a "#INF" across a joint
  std::size_t tailLength_ = 0;
};

}  // namespace formel
