// Number conversions. Reals are IEEE single precision, integers signed
// 32-bit. None of them depends on the process locale: the decimal point is
// always ".", and non-finite values have fixed forms on every platform.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/quoting.h"
#include "text/text.h"

namespace formel {

// Longest text FormatReal writes: sign, 39 integer digits, point, six
// decimals, with room to spare.
inline constexpr std::size_t kRealTextMax = 64;
inline constexpr std::size_t kIntTextMax = 12;

// The C "%f" form of the value widened to double (six decimals), with
// trailing zeros and then a trailing point removed. Infinities give "1.#INF"
// and "-1.#INF"; a NaN gives "-1.#IND" with its sign bit set, "1.#QNAN"
// without. Returns the length written (no terminator).
std::size_t FormatReal(float value, char* out);
// The C "%ld" form. Returns the length written (no terminator).
std::size_t FormatInt(std::int32_t value, char* out);

// The decimal prefix that C's atof reads (leading white space, sign, digits
// with at most one point, optional exponent), rounded to single precision.
// No hexadecimal and no words; beyond the float range gives an infinity.
float ParseReal(std::string_view text);
// How many bytes of text ParseReal reads: white space, sign and number; 0
// when it finds no number (and reads 0).
std::size_t ParsedLength(std::string_view text);

// Digits and points from text[from] on (a plain number: no sign, no
// exponent), read as ParseReal reads them. Returns the index behind them;
// from itself when they hold no digit (value untouched then). With at most
// 15 digits and one point the digits are exact as a double, and one
// division by an exact power of ten rounds as the full reading does;
// longer numbers and a second point take the full reading. Inline, as the
// next few: the value paths run them once per number.
inline constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
inline std::size_t ReadPlainNumber(std::string_view text, std::size_t from, float& value) {
  std::uint64_t digits = 0;  // wraps harmlessly past 15 digits: not used then
  std::size_t count = 0;     // of digits
  std::size_t points = 0;
  std::size_t decimals = 0;  // digits behind the point
  std::size_t i = from;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      ++count;
      decimals += points;
    } else if (c == '.') {
      ++points;
    } else {
      break;
    }
  }
  if (count == 0) return from;
  if (count > 15 || points > 1) {
    value = ParseReal(text.substr(from, i - from));
  } else if (points == 0) {
    value = static_cast<float>(digits);  // below 1e15: no overflow
  } else {
    value = static_cast<float>(static_cast<double>(digits) / kPowersOfTen[decimals]);
  }
  return i;
}

// A value as a number where it stands in a formula's text: plain when it
// is digits and points with at least one digit.
struct PlainNumber {
  bool plain = false;
  float read = 0;
  std::uint32_t length = 0;
};
// Inline: every value of a loop passes here. Digits and points are all
// ReadPlainNumber reads, and it reads none without a digit.
inline PlainNumber ReadPlain(std::string_view text) {
  PlainNumber n;
  if (text.empty() || ReadPlainNumber(text, 0, n.read) != text.size()) return PlainNumber();
  n.plain = true;
  n.length = static_cast<std::uint32_t>(text.size());
  return n;
}

// Whether a finite float's magnitude is whole: from 2^23 on every float is;
// below, the cut to an integer is exact.
inline bool IsWholeMagnitude(float magnitude) {
  return !(magnitude < 8388608.0f) || static_cast<float>(static_cast<std::int32_t>(magnitude)) == magnitude;
}

// FormatReal's digits of a value that is not whole (so below 2^23): its
// millionths rounded half to even. The product with 1e6 is exact in double
// (24 + 14 significant bits), and so are the rounding steps; the whole
// part, below 2^43, converts exactly (through the signed conversion, a
// single instruction where the unsigned one is a sequence).
inline std::uint64_t Millionths(float magnitude) {
  const double millionths = static_cast<double>(magnitude) * 1e6;
  const auto whole = static_cast<std::int64_t>(millionths);
  const double fraction = millionths - static_cast<double>(whole);
  const bool up = fraction > 0.5 || (fraction == 0.5 && (whole & 1) != 0);
  return static_cast<std::uint64_t>(whole) + (up ? 1 : 0);
}

// What ParseReal reads back from FormatReal's text of a finite value,
// without writing the text: a whole value's text is its exact digits,
// which read back as itself.
inline float ReadBackReal(float value) {
  const float magnitude = std::fabs(value);
  if (IsWholeMagnitude(magnitude)) return value;
  return std::copysign(static_cast<float>(static_cast<double>(Millionths(magnitude)) / 1e6), value);
}

// What ReadPlain gives for FormatInt's and FormatReal's texts (length
// bytes) of value, without reading them: a value set as a number is read
// as one without its text.
inline PlainNumber PlainOfInt(std::int32_t value, std::size_t length) {
  if (value < 0) return PlainNumber();
  return {true, static_cast<float>(value), static_cast<std::uint32_t>(length)};
}
// A negative value's text has its sign, a value that is not finite its word.
inline PlainNumber PlainOfReal(float value, std::size_t length) {
  if (std::signbit(value) || !std::isfinite(value)) return PlainNumber();
  return {true, ReadBackReal(value), static_cast<std::uint32_t>(length)};
}

// The length of FormatReal's text of a finite value, without writing it.
std::size_t RealTextLength(float value);

// Double to single precision, round to nearest, with no out-of-range cast.
float RoundToFloat(double value);

// Rounded toward minus infinity; -2147483648 when not finite or out of range.
std::int32_t IntPart(float value);
// pow on the values widened to double, rounded to single precision.
float PowerReal(float base, float exponent);

// Digits and points only: a number form without sign or suffix, which an
// operand scan passes and base-suffix conversion leaves alone.
inline bool IsUnsignedDecimal(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || c == '.')) return false;
  }
  return !text.empty();
}

// The text an operator reads an operand's number from: the trimmed
// operand, or the inside of a quoted one. Its doubled quotes are not halved
// first: the reading stops before the first quote anyway.
inline std::string_view OperandNumberText(std::string_view operand) {
  const std::string_view t = TrimBlanks(operand);
  return IsEnclosedInQuotes(t) ? t.substr(1, t.size() - 2) : t;
}
// The number an arithmetic operator reads from an operand.
inline float OperandNumber(std::string_view operand) { return ParseReal(OperandNumberText(operand)); }

}  // namespace formel
