#include "eval/shortcuts/growing_literal.h"

#include "eval/literals.h"
#include "text/text.h"

namespace formel {

namespace {

// Byte classes that decide whether a text is a number form.
constexpr unsigned kHexLetter = 1;    // A-F: only in a text ending in h or H
constexpr unsigned kSuffixOnly = 2;   // h b o H O: only as the last byte
constexpr unsigned kNeverNumber = 4;  // no number form holds it
constexpr unsigned kSign = 8;         // + -: a delimiter

unsigned ClassOf(char c) {
  if (c >= '0' && c <= '9') return 0;
  switch (c) {
    case '.': return 0;
    case '+': case '-': return kSign;
    case 'A': case 'B': case 'C': case 'D': case 'E': case 'F': return kHexLetter;
    case 'h': case 'b': case 'o': case 'H': case 'O': return kSuffixOnly;
    default: return kNeverNumber;
  }
}

// Once a byte that no number form holds is in, the other classes no longer
// decide anything: the scan stops there.
unsigned ClassesOf(std::string_view text) {
  unsigned classes = 0;
  for (std::size_t i = 0; i < text.size() && (classes & kNeverNumber) == 0; ++i) classes |= ClassOf(text[i]);
  return classes;
}

bool IsSuffixLetter(char c) {
  return c == 'h' || c == 'b' || c == 'o' || c == 'H' || c == 'B' || c == 'O';
}

// The number form test on what is kept: the classes before the last byte,
// and the last byte.
bool IsNumberFormOf(unsigned inside, char last) {
  if ((inside & (kNeverNumber | kSuffixOnly)) != 0) return false;
  if ((inside & kHexLetter) != 0 && LowerByte(last) != 'h') return false;
  return (ClassOf(last) & (kHexLetter | kNeverNumber | kSuffixOnly)) == 0 || IsSuffixLetter(last);
}

}  // namespace

bool GrowingLiteral::Track(std::size_t begin, std::size_t end, std::string_view value, bool quoted) {
  // A leading "-" is where a leftward scan stops and takes it in: the
  // operand is still the whole literal. It adds nothing to the form.
  const std::string_view body = !quoted && value.size() > 1 && value.front() == '-' ? value.substr(1) : value;
  valid_ = !body.empty() && (quoted || (ClassesOf(body) & kSign) == 0);
  if (!valid_) return false;
  quoted_ = quoted;
  begin_ = begin;
  end_ = end;
  first_ = value.front();
  last_ = body.back();
  inside_ = ClassesOf(body.substr(0, body.size() - 1));
  hasInf_ = false;
  tailLength_ = 0;
  NoteTail(value);
  return true;
}

bool GrowingLiteral::CanGrowBy(std::string_view more, bool arithmetic) const {
  if (!valid_) return false;
  const char last = more.empty() ? last_ : more.back();
  const unsigned inside =
      more.empty() ? inside_ : inside_ | ClassOf(last_) | ClassesOf(more.substr(0, more.size() - 1));
  const bool numberForm = IsNumberFormOf(inside, last);
  if (!quoted_) {
    // The left operand would be read as a base-suffixed integer; a sign
    // would end the next left operand inside the literal.
    if (IsSuffixLetter(last_) || ((inside | ClassOf(last)) & kSign) != 0) return false;
    return numberForm;
  }
  if (first_ == kQuote && last == kQuote) return false;  // would be kept as is
  if (first_ == ' ' || last == ' ') return false;        // would be trimmed
  if (numberForm) return false;                          // would lose its quotes
  if (!arithmetic) return true;
  GrowingLiteral grown = *this;
  grown.NoteTail(more);
  return !grown.hasInf_;
}

void GrowingLiteral::GrowBy(std::string_view more, std::size_t end, bool arithmetic) {
  end_ = end;
  if (more.empty()) return;
  inside_ |= ClassOf(last_) | ClassesOf(more.substr(0, more.size() - 1));
  last_ = more.back();
  if (arithmetic) NoteTail(more);
}

// Keeps the last three bytes of the value, and whether "#INF" occurs in it,
// across the joint included.
void GrowingLiteral::NoteTail(std::string_view more) {
  char joined[3 + 3];
  std::size_t n = 0;
  for (std::size_t i = 0; i < tailLength_; ++i) joined[n++] = tail_[i];
  for (std::size_t i = 0; i < more.size() && i < 3; ++i) joined[n++] = more[i];
  hasInf_ = hasInf_ || std::string_view(joined, n).find("#INF") != std::string_view::npos ||
            more.find("#INF") != std::string_view::npos;
  n = 0;
  for (std::size_t i = 0; i < tailLength_; ++i) joined[n++] = tail_[i];
  for (std::size_t i = more.size() > 3 ? more.size() - 3 : 0; i < more.size(); ++i) joined[n++] = more[i];
  tailLength_ = n > 3 ? 3 : n;
  for (std::size_t i = 0; i < tailLength_; ++i) tail_[i] = joined[n - tailLength_ + i];
}

}  // namespace formel
