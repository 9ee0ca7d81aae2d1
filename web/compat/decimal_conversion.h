// Exact conversions between double and decimal text, without the C
// library's locale: for a standard library whose <charconv> has no
// floating-point overloads (see charconv beside this file).
#pragma once

#include <cstddef>
#include <system_error>

namespace formel_compat {

struct ConversionResult {
  const char* ptr;
  std::errc ec;
};

// Writes value with exactly `precision` decimals, correctly rounded (ties to
// even), as std::to_chars with chars_format::fixed does.
ConversionResult FormatFixed(char* first, char* last, double value, int precision);

// Reads [-]digits[.digits][(e|E)[+-]digits] (at least one digit before the
// exponent) as the nearest double, ties to even, as std::from_chars with
// chars_format::general does for these forms. Out of range (the nearest
// double is infinite, or zero for nonzero digits): result_out_of_range and
// value unchanged. No number at first: invalid_argument.
ConversionResult ParseDecimal(const char* first, const char* last, double& value);

}  // namespace formel_compat
