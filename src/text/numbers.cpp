#include "text/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "text/text.h"

namespace formel {

namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t CopyForm(const char* form, char* out) {
  const std::size_t n = std::strlen(form);
  std::memcpy(out, form, n);
  return n;
}

// Length of the atof number at the start of text (sign excluded), and
// whether its significant digits are all zero. 0 when there is no number.
struct DecimalSpan {
  std::size_t length = 0;
  bool allZero = true;
  long magnitude = 0;  // rough decimal exponent, to tell overflow from underflow
};

// Inlined into ParseReal, whose speed every operator pass feels.
[[gnu::always_inline]] inline DecimalSpan ScanDecimal(std::string_view t) {
  DecimalSpan s;
  std::size_t i = 0;
  std::size_t digits = 0;
  long intDigits = 0;
  long leadingFractionZeros = 0;
  bool seenNonZero = false;
  while (i < t.size() && IsDigit(t[i])) {
    if (t[i] != '0') seenNonZero = true;
    if (seenNonZero) ++intDigits;
    ++i;
    ++digits;
  }
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) {
      if (t[i] != '0') seenNonZero = true;
      if (!seenNonZero) ++leadingFractionZeros;
      ++i;
      ++digits;
    }
  }
  if (digits == 0) return s;
  s.allZero = !seenNonZero;
  s.magnitude = intDigits > 0 ? intDigits : -leadingFractionZeros;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    std::size_t j = i + 1;
    bool negative = false;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) negative = t[j++] == '-';
    const std::size_t expStart = j;
    long exponent = 0;
    while (j < t.size() && IsDigit(t[j])) {
      if (exponent < 100000) exponent = exponent * 10 + (t[j] - '0');
      ++j;
    }
    if (j > expStart) {
      i = j;
      s.magnitude += negative ? -exponent : exponent;
    }
  }
  s.length = i;
  return s;
}

// Digits alone (no point, no exponent), at most 15 of them: the value is
// exact as an integer and as a double, so it needs no general reading.
std::optional<std::int64_t> ShortWholeNumber(std::string_view t) {
  std::size_t i = 0;
  std::int64_t value = 0;
  while (i < t.size() && IsDigit(t[i]) && i < 15) value = value * 10 + (t[i++] - '0');
  if (i == 0 || (i < t.size() && (IsDigit(t[i]) || t[i] == '.' || t[i] == 'e' || t[i] == 'E'))) {
    return std::nullopt;
  }
  return value;
}

// By comparisons up to ten digits (every 32-bit value), longer ones a digit
// at a time. Inlined: every number written counts its digits here.
[[gnu::always_inline]] inline std::size_t DigitCount(std::uint64_t v) {
  std::size_t beyondTen = 0;
  for (; v >= 10000000000ull; v /= 10) ++beyondTen;
  if (v < 100) return beyondTen + (v < 10 ? 1 : 2);
  if (v < 10000) return beyondTen + (v < 1000 ? 3 : 4);
  if (v < 1000000) return beyondTen + (v < 100000 ? 5 : 6);
  if (v < 100000000) return beyondTen + (v < 10000000 ? 7 : 8);
  return beyondTen + (v < 1000000000 ? 9 : 10);
}

// A value that is not whole, as six fixed decimals without the trailing
// zeros and point: its millionths rounded as the exact value is rounded
// to six decimals (Millionths), written without the cost of a general
// conversion.
// "00" to "99": two decimals at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// The decimal digits of value at out, two at a time from the last; their
// count: integers, and the whole part of numbers below 2^32, the most
// frequent texts a loop writes. Inlined into the few writers: a call less
// for each number a loop writes.
[[gnu::always_inline]] inline std::size_t WriteDigits(std::uint32_t value, char* out) {
  const std::size_t count = DigitCount(value);
  char* end = out + count;
  while (value >= 100) {
    end -= 2;
    std::memcpy(end, &kDigitPairs[2 * (value % 100)], 2);
    value /= 100;
  }
  if (value >= 10) {
    std::memcpy(end - 2, &kDigitPairs[2 * value], 2);
  } else {
    end[-1] = static_cast<char>('0' + value);
  }
  return count;
}

std::size_t FormatFraction(float value, char* out) {
  std::size_t n = 0;
  if (std::signbit(value)) out[n++] = '-';
  const std::uint64_t q = Millionths(std::fabs(value));
  n += WriteDigits(static_cast<std::uint32_t>(q / 1000000), out + n);  // not whole: below 2^23
  const auto decimals = static_cast<std::uint32_t>(q % 1000000);
  if (decimals == 0) return n;
  out[n] = '.';
  char* digits = out + n + 1;
  const std::uint32_t pairs[] = {decimals / 10000, decimals / 100 % 100, decimals % 100};
  for (std::size_t k = 0; k < 3; ++k) std::memcpy(digits + 2 * k, &kDigitPairs[2 * pairs[k]], 2);
  std::size_t count = 6;
  while (digits[count - 1] == '0') --count;  // stops: decimals is not 0
  return n + 1 + count;
}

}  // namespace

std::size_t RealTextLength(float value) {
  const float magnitude = std::fabs(value);
  const std::size_t sign = std::signbit(value) ? 1 : 0;
  if (IsWholeMagnitude(magnitude)) {
    if (magnitude < 1e15f) return sign + DigitCount(static_cast<std::uint64_t>(magnitude));
    char text[kRealTextMax];
    return FormatReal(value, text);
  }
  const std::uint64_t q = Millionths(magnitude);
  std::size_t length = sign + DigitCount(q / 1000000);
  if (std::uint64_t decimals = q % 1000000; decimals != 0) {
    length += 7;  // the point and six decimals, less the trailing zeros
    for (; decimals % 10 == 0; decimals /= 10) --length;
  }
  return length;
}

float RoundToFloat(double value) {
  // Halfway between FLT_MAX and the next power of two: from here on, round
  // to nearest gives infinity; below it, at most FLT_MAX.
  constexpr double kOverflow = 0x1.ffffffp127;
  constexpr float kMax = std::numeric_limits<float>::max();
  if (std::fabs(value) <= kMax) return static_cast<float>(value);  // the usual case first
  if (std::isnan(value)) {
    return std::signbit(value) ? -std::numeric_limits<float>::quiet_NaN()
                               : std::numeric_limits<float>::quiet_NaN();
  }
  if (value >= kOverflow) return std::numeric_limits<float>::infinity();
  if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
  if (value > kMax) return kMax;
  if (value < -kMax) return -kMax;
  return static_cast<float>(value);
}

namespace {

// Past the usual case: not finite, a fraction, a whole number from 2^32.
[[gnu::noinline]] std::size_t FormatOtherReal(float value, char* out) {
  if (std::isnan(value)) return CopyForm(std::signbit(value) ? "-1.#IND" : "1.#QNAN", out);
  if (std::isinf(value)) return CopyForm(value > 0 ? "1.#INF" : "-1.#INF", out);
  const bool whole = IsWholeMagnitude(std::fabs(value));
  if (whole && std::fabs(value) < 1e15f) {
    const auto r = std::to_chars(out, out + kRealTextMax, static_cast<long long>(value));
    return static_cast<std::size_t>(r.ptr - out);
  }
  if (!whole) return FormatFraction(value, out);
  const auto r = std::to_chars(out, out + kRealTextMax, static_cast<double>(value),
                               std::chars_format::fixed, 6);
  std::size_t n = static_cast<std::size_t>(r.ptr - out);
  while (n > 0 && out[n - 1] == '0') --n;  // stops at the point at the latest
  if (n > 0 && out[n - 1] == '.') --n;
  return n;
}

}  // namespace

std::size_t FormatReal(float value, char* out) {
  // A whole number has no decimals to write: its digits are exact. (Not
  // so a NaN, which fails every comparison.)
  const float magnitude = std::fabs(value);
  if (magnitude < 4294967296.0f && static_cast<float>(static_cast<std::uint32_t>(magnitude)) == magnitude) {
    const std::size_t sign = std::signbit(value) ? 1 : 0;  // "-0" too
    out[0] = '-';
    return sign + WriteDigits(static_cast<std::uint32_t>(magnitude), out + sign);
  }
  return FormatOtherReal(value, out);
}

std::size_t FormatInt(std::int32_t value, char* out) {
  const std::size_t sign = value < 0 ? 1 : 0;
  out[0] = '-';
  // The magnitude in unsigned arithmetic: -2147483648 has none in int32.
  const auto bits = static_cast<std::uint32_t>(value);
  return sign + WriteDigits(sign != 0 ? 0u - bits : bits, out + sign);
}

float ParseReal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::string_view rest = text.substr(i);
  if (const auto whole = ShortWholeNumber(rest)) {
    return RoundToFloat(negative ? -static_cast<double>(*whole) : static_cast<double>(*whole));
  }
  const DecimalSpan span = ScanDecimal(rest);
  if (span.length == 0) return 0.0f;  // nothing read: atof gives a plain 0
  double value = 0.0;
  const auto r = std::from_chars(rest.data(), rest.data() + span.length, value,
                                 std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    value = (span.allZero || span.magnitude <= 0) ? 0.0
                                                  : std::numeric_limits<double>::infinity();
  } else if (r.ec != std::errc()) {
    value = 0.0;
  }
  return RoundToFloat(negative ? -value : value);
}

std::size_t ParsedLength(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t length = ScanDecimal(text.substr(i)).length;
  return length == 0 ? 0 : i + length;
}

std::int32_t IntPart(float value) {
  constexpr std::int32_t kOutOfRange = std::numeric_limits<std::int32_t>::min();
  if (!std::isfinite(value)) return kOutOfRange;
  const double floored = std::floor(static_cast<double>(value));
  if (floored < -2147483648.0 || floored > 2147483647.0) return kOutOfRange;
  return static_cast<std::int32_t>(floored);
}

float PowerReal(float base, float exponent) {
  return RoundToFloat(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

}  // namespace formel
