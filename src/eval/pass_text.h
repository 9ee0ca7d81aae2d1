// The text an operator pass rewrites, kept as a processed part followed by
// the unread rest of the input. Each replacement only touches the end of
// the processed part, so a pass costs time in proportion to the text's
// length.
//
// Positions: every position in a pass is a 0-based index into the whole
// text (processed part, then unread rest). A cut is the index of a
// boundary: the bytes before it are kept on the left, or those from it on
// are kept on the right.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "frame/private_text.h"

namespace formel {

class PassText {
 public:
  // out is emptied; parity is scratch for the quote parity.
  PassText(std::string_view input, Text& out, std::pmr::vector<std::uint8_t>& parity);

  std::size_t Length() const { return out_.size() + input_.size() - inPos_; }
  char At(std::size_t i) const {
    return i < out_.size() ? out_[i] : input_[inPos_ + i - out_.size()];
  }
  const Text& Processed() const { return out_; }
  // The unread rest: it begins at position Processed().size().
  std::string_view Rest() const { return input_.substr(inPos_); }
  // Index in the input of the first unread byte.
  std::size_t ReadFrom() const { return inPos_; }

  // Whether the quotes before processed position k are odd.
  bool InsideQuotes(std::size_t k) const { return quotesSeen_ && parity_[k] != 0; }
  // The first occurrence of written at position from or later; npos if none.
  std::size_t Find(std::size_t from, std::string_view written) const;

  // The unread bytes up to position upto go to the processed part as they are.
  void Keep(std::size_t upto);
  // The unread bytes up to position upto are dropped.
  void Skip(std::size_t upto) { inPos_ += upto - out_.size(); }
  // n more unread bytes are dropped.
  void SkipRead(std::size_t n) { inPos_ += n; }
  void Append(std::string_view text);
  void Truncate(std::size_t length);

 private:
  std::string_view input_;
  std::size_t inPos_ = 0;  // input_[inPos_] stands at position out_.size()
  Text& out_;
  // [k]: quotes in out_[0, k) odd. Kept only once out_ has held a quote:
  // before, every parity is even and a pass costs no byte per byte for it.
  std::pmr::vector<std::uint8_t>& parity_;
  bool quotesSeen_ = false;
};

}  // namespace formel
