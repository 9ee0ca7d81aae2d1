// Both directions go through one exact decimal: a string of digits with a
// decimal point position, multiplied and divided by powers of two digit by
// digit. No step rounds except the final, explicit one.
#include "decimal_conversion.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace formel_compat {

namespace {

// Every double has at most 767 significant decimal digits; beyond the
// capacity only "something nonzero was dropped" is kept (truncated).
constexpr int kCapacity = 800;
// Shifts by at most this many bits at once keep digit * 2^k + carry in 64 bits.
constexpr int kMaxShift = 56;

struct Decimal {
  unsigned char digit[kCapacity];  // 0..9, most significant first, no trailing zeros
  int count = 0;
  int point = 0;  // value = 0.digit[0]digit[1]... * 10^point
  bool truncated = false;

  void Trim() {
    while (count > 0 && digit[count - 1] == 0) --count;
    if (count == 0) point = 0;
  }

  void ShiftRight(int k) {  // divide by 2^k
    int r = 0;
    int w = 0;
    std::uint64_t n = 0;
    for (; (n >> k) == 0; ++r) {
      if (r >= count) {
        if (n == 0) {
          count = 0;
          return;
        }
        while ((n >> k) == 0) {
          n *= 10;
          ++r;
        }
        break;
      }
      n = n * 10 + digit[r];
    }
    point -= r - 1;
    const std::uint64_t mask = (std::uint64_t{1} << k) - 1;
    for (; r < count; ++r) {
      const std::uint64_t d = n >> k;
      n &= mask;
      digit[w++] = static_cast<unsigned char>(d);
      n = n * 10 + digit[r];
    }
    while (n > 0) {
      const std::uint64_t d = n >> k;
      n &= mask;
      if (w < kCapacity) {
        digit[w++] = static_cast<unsigned char>(d);
      } else if (d > 0) {
        truncated = true;
      }
      n *= 10;
    }
    count = w;
    Trim();
  }

  void ShiftLeft(int k) {  // multiply by 2^k
    unsigned char out[kCapacity + 24];
    int pos = kCapacity + 24;
    std::uint64_t carry = 0;
    for (int i = count - 1; i >= 0; --i) {
      const std::uint64_t n = (std::uint64_t{digit[i]} << k) + carry;
      out[--pos] = static_cast<unsigned char>(n % 10);
      carry = n / 10;
    }
    while (carry > 0) {
      out[--pos] = static_cast<unsigned char>(carry % 10);
      carry /= 10;
    }
    const int total = kCapacity + 24 - pos;
    point += total - count;
    count = total < kCapacity ? total : kCapacity;
    for (int i = count; i < total; ++i) {
      if (out[pos + i] != 0) truncated = true;
    }
    std::memcpy(digit, out + pos, static_cast<std::size_t>(count));
    Trim();
  }

  void Shift(int k) {
    if (count == 0) return;
    for (; k > kMaxShift; k -= kMaxShift) ShiftLeft(kMaxShift);
    for (; k < -kMaxShift; k += kMaxShift) ShiftRight(kMaxShift);
    if (k > 0) ShiftLeft(k);
    if (k < 0) ShiftRight(-k);
  }

  // Whether cutting to the first n digits should round up: ties to even.
  bool RoundsUp(int n) const {
    if (n < 0 || n >= count) return false;
    if (digit[n] == 5 && n + 1 == count) {
      if (truncated) return true;
      return n > 0 && digit[n - 1] % 2 == 1;
    }
    return digit[n] >= 5;
  }

  // Keeps the first n digits, rounded.
  void Round(int n) {
    if (n < 0 || n >= count) return;
    const bool up = RoundsUp(n);
    count = n;
    if (up) {
      int i = n - 1;
      while (i >= 0 && digit[i] == 9) --i;
      if (i < 0) {  // 999... becomes 1000...
        digit[0] = 1;
        count = 1;
        ++point;
        return;
      }
      ++digit[i];
      count = i + 1;
    }
    Trim();
  }

  // The integer part, rounded; only for values below 2^64.
  std::uint64_t RoundedInteger() const {
    std::uint64_t n = 0;
    int i = 0;
    for (; i < point && i < count; ++i) n = n * 10 + digit[i];
    for (; i < point; ++i) n *= 10;
    if (RoundsUp(point)) ++n;
    return n;
  }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of two that move the point by about one more digit each.
constexpr int kPowers[] = {1, 3, 6, 9, 13, 16, 19, 23, 26};
constexpr int PowerFor(int digits) { return digits < 9 ? kPowers[digits] : 27; }

constexpr int kMantissaBits = 52;
constexpr int kBias = -1023;

// The bits of the double nearest to d (sign apart); overflow: infinity.
std::uint64_t DoubleBits(Decimal& d, bool& overflow) {
  overflow = false;
  if (d.count == 0) return 0;
  const std::uint64_t infinity = std::uint64_t{0x7FF} << kMantissaBits;
  if (d.point > 310) {
    overflow = true;
    return infinity;
  }
  if (d.point < -330) return 0;
  int exp = 0;
  while (d.point > 0) {
    const int n = PowerFor(d.point);
    d.Shift(-n);
    exp += n;
  }
  while (d.point < 0 || (d.point == 0 && d.digit[0] < 5)) {
    const int n = PowerFor(-d.point);
    d.Shift(n);
    exp -= n;
  }
  --exp;  // from [0.5, 1) to [1, 2)
  if (exp < kBias + 1) {  // below the normal range: denormal
    const int n = kBias + 1 - exp;
    d.Shift(-n);
    exp += n;
  }
  if (exp - kBias >= 0x7FF) {
    overflow = true;
    return infinity;
  }
  d.Shift(1 + kMantissaBits);
  std::uint64_t mant = d.RoundedInteger();
  if (mant == (std::uint64_t{2} << kMantissaBits)) {  // rounding carried
    mant >>= 1;
    ++exp;
    if (exp - kBias >= 0x7FF) {
      overflow = true;
      return infinity;
    }
  }
  if ((mant & (std::uint64_t{1} << kMantissaBits)) == 0) exp = kBias;
  return (mant & ((std::uint64_t{1} << kMantissaBits) - 1)) |
         (static_cast<std::uint64_t>(exp - kBias) << kMantissaBits);
}

}  // namespace

ConversionResult ParseDecimal(const char* first, const char* last, double& value) {
  const char* p = first;
  const bool negative = p < last && *p == '-';
  if (negative) ++p;
  Decimal d;
  bool sawDigits = false;
  bool sawPoint = false;
  bool nonZero = false;
  int digitsBeforePoint = 0;
  for (; p < last; ++p) {
    if (*p == '.' && !sawPoint) {
      sawPoint = true;
      continue;
    }
    if (!IsDigit(*p)) break;
    sawDigits = true;
    if (!sawPoint) ++digitsBeforePoint;
    if (*p == '0' && d.count == 0) {  // leading zero: moves the point only
      if (sawPoint) --d.point;
      if (!sawPoint) --digitsBeforePoint;
      continue;
    }
    nonZero = true;
    if (d.count < kCapacity) {
      d.digit[d.count++] = static_cast<unsigned char>(*p - '0');
    } else if (*p != '0') {
      d.truncated = true;
    }
  }
  if (!sawDigits) return {first, std::errc::invalid_argument};
  d.point += digitsBeforePoint;
  if (p < last && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    const bool expNegative = q < last && *q == '-';
    if (q < last && (*q == '+' || *q == '-')) ++q;
    if (q < last && IsDigit(*q)) {
      long e = 0;
      for (; q < last && IsDigit(*q); ++q) {
        if (e < 100000) e = e * 10 + (*q - '0');
      }
      d.point += static_cast<int>(expNegative ? -e : e);
      p = q;
    }
  }
  d.Trim();
  if (!nonZero) {
    value = negative ? -0.0 : 0.0;
    return {p, std::errc()};
  }
  bool overflow = false;
  const std::uint64_t bits = DoubleBits(d, overflow);
  if (overflow || bits == 0) return {p, std::errc::result_out_of_range};
  double result;
  std::memcpy(&result, &bits, sizeof result);
  value = negative ? -result : result;
  return {p, std::errc()};
}

ConversionResult FormatFixed(char* first, char* last, double value, int precision) {
  char* out = first;
  bool fits = true;
  auto put = [&](char c) {
    if (out == last) {
      fits = false;
      return;
    }
    *out++ = c;
  };
  if (std::signbit(value)) put('-');
  if (std::isinf(value) || std::isnan(value)) {
    for (const char* s = std::isinf(value) ? "inf" : "nan"; *s != 0; ++s) put(*s);
  } else {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> kMantissaBits) & 0x7FF);
    std::uint64_t mant = bits & ((std::uint64_t{1} << kMantissaBits) - 1);
    if (biased != 0) mant |= std::uint64_t{1} << kMantissaBits;
    const int exp = (biased != 0 ? biased : 1) + kBias - kMantissaBits;
    Decimal d;
    unsigned char reversed[24];
    int count = 0;
    for (std::uint64_t m = mant; m > 0; m /= 10) reversed[count++] = static_cast<unsigned char>(m % 10);
    for (int i = 0; i < count; ++i) d.digit[i] = reversed[count - 1 - i];
    d.count = d.point = count;
    d.Trim();
    d.Shift(exp);
    d.Round(d.point + precision);
    auto digitAt = [&](int i) { return static_cast<char>('0' + (i >= 0 && i < d.count ? d.digit[i] : 0)); };
    if (d.point <= 0) put('0');
    for (int i = 0; i < d.point; ++i) put(digitAt(i));
    if (precision > 0) put('.');
    for (int i = 0; i < precision; ++i) put(digitAt(d.point + i));
  }
  if (!fits) return {last, std::errc::value_too_large};
  return {out, std::errc()};
}

}  // namespace formel_compat
