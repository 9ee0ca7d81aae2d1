#include "eval/observer/pass_origins.h"

#include <algorithm>

namespace formel {

void PassOrigins::Keep(const PassText& text, std::size_t upto) {
  const std::size_t processed = text.Processed().size();
  if (upto <= processed) return;
  track_->out->Append(*track_->in, text.ReadFrom(), upto - processed, processed);
}

void PassOrigins::Replace(const PassText& text, std::size_t leftCut, std::size_t rightCut,
                          std::size_t n) {
  const std::size_t processed = text.Processed().size();
  const std::size_t tail = rightCut >= processed ? 0 : processed - rightCut;
  track_->scratch->Clear();
  track_->scratch->Append(*track_->out, rightCut, tail, 0);
  track_->out->Truncate(leftCut);
  track_->out->Append(*track_->scratch, 0, tail, leftCut + n);
}

Span PassOrigins::SpanAt(const PassText& text, std::size_t pos, std::size_t n) const {
  if (track_ == nullptr || n == 0) return {};
  const std::size_t processed = text.Processed().size();
  const std::size_t end = pos + n;  // behind the last byte
  if (end <= processed) return formel::SpanAt(track_->out->Find(pos, n), n);
  const std::size_t restFrom = std::max(pos, processed);
  const std::ptrdiff_t restStart = track_->in->Find(text.ReadFrom() + (restFrom - processed), end - restFrom);
  if (pos >= processed) return formel::SpanAt(restStart, n);
  const std::size_t inProcessed = processed - pos;
  const std::ptrdiff_t start = track_->out->Find(pos, inProcessed);
  const bool inARow = start >= 0 && restStart == start + static_cast<std::ptrdiff_t>(inProcessed);
  return formel::SpanAt(inARow ? start : -1, n);
}

}  // namespace formel
