// Numbers as the standard functions read and write them, the way the
// formula language does and whatever the locale: the point is always ".".
#pragma once

#include <string>
#include <string_view>

namespace formel {

// The longest decimal beginning of the text (leading white space, sign,
// digits with one point, exponent); 0 when it has none. Words such as "inf"
// read as 0, like a word in a formula.
double ReadNumber(std::string_view text);

// True when the whole text is one decimal number: optional sign, digits
// with at most one point, no blanks, no exponent.
bool IsPlainNumber(std::string_view text);

// A whole number: the value rounded down, held within +-1e9.
long long ReadWholeNumber(std::string_view text);

// The language's number form: the value as a 32-bit float, six decimals,
// trailing zeros and point removed. What is not a finite float is written
// "0", as the language writes a division by zero.
std::string WriteNumber(double value);

// round(): the number that text begins with, as written in decimal (an
// exponent moves its point), with at most places decimals, a half rounded
// away from zero. Never more decimals than written, no trailing zeros, "0"
// for no number, for zero, and beyond the 32-bit float range (as
// WriteNumber). Places below 0 count as 0.
std::string RoundDecimal(std::string_view text, long long places);

}  // namespace formel
