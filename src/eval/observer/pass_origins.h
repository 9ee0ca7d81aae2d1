// The origins of an operator pass's text while an observer listens: where
// the bytes of its processed part and of its unread rest stand in the
// outermost formula, kept in step with every change the pass makes, so
// that a finding about an operation can point at the formula's bytes.
#pragma once

#include <cstddef>

#include "eval/observer/observer.h"
#include "eval/observer/origins.h"
#include "eval/pass_text.h"

namespace formel {

class PassOrigins {
 public:
  // in: the origins of the pass's input; out: those of the text it
  // builds (empty); null when not kept.
  explicit PassOrigins(OriginTrack* track) : track_(track) {}

  bool Kept() const { return track_ != nullptr; }

  // Before text.Keep(upto): the kept bytes keep their origins.
  void Keep(const PassText& text, std::size_t upto);
  // Before the pass replaces [leftCut, rightCut) by n bytes of a new
  // literal, which has no origin; a rest kept from the processed part
  // keeps its own.
  void Replace(const PassText& text, std::size_t leftCut, std::size_t rightCut, std::size_t n);
  // After the processed part was cut to length and grew by new bytes.
  void Cut(std::size_t length) { track_->out->Truncate(length); }
  // Where bytes [pos, pos + n) of the text stand in the outermost formula.
  Span SpanAt(const PassText& text, std::size_t pos, std::size_t n) const;

 private:
  OriginTrack* track_;
};

}  // namespace formel
