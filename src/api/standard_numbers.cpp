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

}  // namespace formel
