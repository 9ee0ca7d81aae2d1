#include "eval/pass_text.h"

#include <algorithm>

#include "eval/literals.h"

namespace formel {

PassText::PassText(std::string_view input, Text& out, std::pmr::vector<std::uint8_t>& parity)
    : input_(input), out_(out), parity_(parity) {
  out_.clear();
  out_.reserve(input.size());
  parity_.clear();
}

std::size_t PassText::Find(std::size_t from, std::string_view written) const {
  const std::size_t n = written.size();
  const std::size_t length = Length();
  for (std::size_t k = from; k < out_.size(); ++k) {
    std::size_t j = 0;
    while (j < n && k + j < length && At(k + j) == written[j]) ++j;
    if (j == n) return k;
  }
  const std::size_t rest = std::max(from, out_.size()) - out_.size() + inPos_;
  if (rest > input_.size()) return std::string_view::npos;
  const std::size_t at = input_.find(written, rest);
  return at == std::string_view::npos ? at : out_.size() + (at - inPos_);
}

void PassText::Keep(std::size_t upto) {
  if (upto <= out_.size()) return;
  const std::size_t n = upto - out_.size();
  Append(input_.substr(inPos_, n));
  inPos_ += n;
}

void PassText::Append(std::string_view text) {
  const std::size_t from = out_.size();
  out_.append(text);
  if (!quotesSeen_) {
    if (text.find(kQuote) == std::string_view::npos) return;
    quotesSeen_ = true;
    parity_.assign(from + 1, 0);
  }
  parity_.resize(from + text.size() + 1);
  // The parity is the same from one quote to the next: fill it stretch by stretch.
  std::uint8_t odd = parity_[from];
  std::uint8_t* parity = parity_.data() + from + 1;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t quote = std::min(text.find(kQuote, i), text.size());
    std::fill(parity + i, parity + quote, odd);
    if (quote == text.size()) break;
    odd ^= 1;
    parity[quote] = odd;
    i = quote + 1;
  }
}

void PassText::Truncate(std::size_t length) {
  out_.resize(length);
  if (quotesSeen_) parity_.resize(length + 1);
}

}  // namespace formel
