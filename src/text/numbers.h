// Number conversions. Reals are IEEE single precision, integers signed
// 32-bit. None of them depends on the process locale: the decimal point is
// always ".", and non-finite values have fixed forms on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// Double to single precision, round to nearest, with no out-of-range cast.
float RoundToFloat(double value);

// Rounded toward minus infinity; -2147483648 when not finite or out of range.
std::int32_t IntPart(float value);
// pow on the values widened to double, rounded to single precision.
float PowerReal(float base, float exponent);

}  // namespace formel
