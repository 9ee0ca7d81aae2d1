#include "api/standard_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace formel {

namespace {

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// from_chars reports a value beyond double's range without one: a negative
// exponent means it is too small (0), else too large (infinity).
double OutOfRange(std::string_view number) {
  const std::size_t e = number.find_first_of("eE");
  const bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
  return tiny ? 0.0 : std::numeric_limits<double>::infinity();
}

// A decimal as written: its digits without leading or trailing zeros, and
// how many of them stand before the point (negative: zeros come first).
struct Decimal {
  bool negative = false;
  std::string digits;
  long long point = 0;
};

// The exponent's digits at text[at...], if any: the point moves by its value
// (bounded: the callers have ruled out values beyond the float range).
long long ReadExponent(std::string_view text, std::size_t at) {
  if (at >= text.size() || (text[at] != 'e' && text[at] != 'E')) return 0;
  ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  long long exponent = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) exponent = std::min(exponent * 10 + (text[at] - '0'), 100000LL);
  return negative ? -exponent : exponent;
}

// The decimal beginning of text, read as ReadNumber reads it.
Decimal ReadDecimal(std::string_view text) {
  Decimal d;
  std::size_t at = 0;
  while (at < text.size() && IsWhiteSpace(text[at])) ++at;
  d.negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  for (; at < text.size() && IsDigit(text[at]); ++at) d.digits += text[at];
  d.point = static_cast<long long>(d.digits.size());
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && IsDigit(text[at]); ++at) d.digits += text[at];
  }
  if (!d.digits.empty()) d.point += ReadExponent(text, at);
  const std::size_t first = d.digits.find_first_not_of('0');
  d.point -= static_cast<long long>(std::min(first, d.digits.size()));
  d.digits.erase(0, first);
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
  return d;
}

// Keeps the first `keep` digits, one more unit in the last when the first
// dropped digit is 5 or more.
void Cut(Decimal& d, long long keep) {
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    std::size_t i = d.digits.size();
    for (; i > 0 && d.digits[i - 1] == '9'; --i) d.digits[i - 1] = '0';
    if (i == 0) {
      d.digits.insert(0, 1, '1');
      ++d.point;
    } else {
      ++d.digits[i - 1];
    }
  }
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
}

std::string Written(const Decimal& d) {
  if (d.digits.empty()) return "0";
  std::string out = d.negative ? "-" : "";
  const auto size = static_cast<long long>(d.digits.size());
  if (d.point <= 0) {
    out.append("0.").append(static_cast<std::size_t>(-d.point), '0').append(d.digits);
  } else if (d.point >= size) {
    out.append(d.digits).append(static_cast<std::size_t>(d.point - size), '0');
  } else {
    out.append(d.digits, 0, static_cast<std::size_t>(d.point)).append(1, '.');
    out.append(d.digits, static_cast<std::size_t>(d.point));
  }
  return out;
}

}  // namespace

double ReadNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsWhiteSpace(text[at])) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  // from_chars would also take "inf" and "nan"; only digits or a point start a number.
  const std::string_view rest = text.substr(at);
  if (rest.empty() || !(IsDigit(rest[0]) || rest[0] == '.')) return 0.0;
  double value = 0.0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (error == std::errc::result_out_of_range) {
    value = OutOfRange(rest.substr(0, static_cast<std::size_t>(end - rest.data())));
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

bool IsPlainNumber(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  bool digit = false;
  bool point = false;
  for (const char c : text) {
    if (IsDigit(c)) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

long long ReadWholeNumber(std::string_view text) {
  constexpr double kBound = 1e9;
  const double value = std::floor(ReadNumber(text));
  if (std::isnan(value)) return 0;
  return static_cast<long long>(std::clamp(value, -kBound, kBound));
}

std::string WriteNumber(double value) {
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return "0";
  const double single = static_cast<float>(value);
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, single, std::chars_format::fixed, 6);
  std::string text(digits, result.ptr);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string RoundDecimal(std::string_view text, long long places) {
  // Zero, and what underflows to it or reads as infinite, has no digits to round.
  const double value = ReadNumber(text);
  if (value == 0.0 || !(std::fabs(value) <= std::numeric_limits<float>::max())) return "0";
  Decimal d = ReadDecimal(text);
  const long long decimals = static_cast<long long>(d.digits.size()) - d.point;
  if (decimals > std::max(places, 0LL)) Cut(d, d.point + std::max(places, 0LL));
  return Written(d);
}

}  // namespace formel
