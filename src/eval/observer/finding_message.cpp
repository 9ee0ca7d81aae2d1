#include "eval/observer/finding_message.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace formel {

FindingMessage& FindingMessage::operator<<(std::string_view text) {
  const std::size_t n = std::min(text.size(), sizeof buffer_ - size_);
  std::memcpy(buffer_ + size_, text.data(), n);
  size_ += n;
  return *this;
}

FindingMessage& FindingMessage::operator<<(long long number) {
  char digits[24];
  const auto r = std::to_chars(digits, digits + sizeof digits, number);
  return *this << std::string_view(digits, static_cast<std::size_t>(r.ptr - digits));
}

FindingMessage& FindingMessage::Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  *this << "\"";
  if (text.size() <= kShown) return *this << text << "\"";
  return *this << text.substr(0, kShown - 3) << "...\"";
}

}  // namespace formel
