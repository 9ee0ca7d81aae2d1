// The growing literal and the runs of joins inside an operator pass
// (shortcuts.h, 9 and 10): after a step of "&" (or of "+" between quoted
// literals) wrote its literal at the end of the processed part, the next
// step whose left operand is that literal appends the right value in
// place instead of rebuilding the whole literal.
#pragma once

#include <cstddef>
#include <memory_resource>
#include <string_view>

#include "eval/operators.h"
#include "eval/pass_text.h"
#include "eval/shortcuts/growing_literal.h"
#include "frame/private_text.h"

namespace formel {

class LiteralGrowth {
 public:
  // on: false when the general path is asked for; then nothing is ever
  // tracked. joinsOn: whether runs of joins may be followed too (not while
  // the pass keeps origins).
  LiteralGrowth(std::pmr::memory_resource* heap, Op op, bool on, bool joinsOn)
      : op_(op), on_(on && (op == Op::kConcat || op == Op::kAdd)), joinsOn_(joinsOn), more_(heap),
        pending_(heap) {}

  // The leftward operand scan at position j: from the last byte of the
  // growing literal it may go on at its first, which holds no delimiter
  // outside quotes behind it.
  std::size_t ScanFrom(std::size_t j) const {
    return grow_.Valid() && j + 1 == grow_.End() && j > grow_.Begin() ? grow_.Begin() : j;
  }
  void Drop() { grow_.Drop(); }
  // Behind the growing literal's last byte: a step that grows it keeps
  // the bytes before this and replaces the rest.
  std::size_t End() const { return grow_.End(); }

  // After a replacement that wrote literal (for the value result) from
  // leftCut on.
  void Track(const PassText& text, std::size_t leftCut, std::string_view result,
             std::string_view literal);

  // The step of the operator at position at, whose operands the scans cut
  // from leftCut and up to rightCut (right: the right one's text). When its
  // left operand is the growing literal and the longer value keeps the
  // form, grows it, follows a run of joins behind it (taking steps off
  // budget) and returns true; else changes nothing.
  bool Grow(PassText& text, std::size_t at, std::size_t leftCut, std::string_view right,
            std::size_t rightCut, std::size_t& budget);

 private:
  bool BlanksBehind(const PassText& text) const;
  void AppendToQuoted(PassText& text, std::string_view more);
  std::size_t FollowJoins(PassText& text, std::size_t budget);

  Op op_;
  bool on_;
  bool joinsOn_;
  GrowingLiteral grow_;
  Text more_;     // the right operand's value
  Text pending_;  // bytes that go in before the closing quote at once
};

}  // namespace formel
