// The program's stock host functions: ordinary host code registered through
// the public SetFunc, in the library's calling convention.
//
//   min(a, ...), max(a, ...)  up to ten numbers, empty arguments skipped;
//                             the smallest / largest argument as written
//   abs(x), sqrt(x)           the number's absolute value / square root
//   round(x, digits)          x rounded half away from zero to digits
//                             decimals (0 to 6; empty means 0)
//   len(text)                 the number of bytes
//   upper(text), lower(text)  letters raised / lowered, A-Z and the Latin-1
//                             letters 0xC0-0xDF against 0xE0-0xFF
//   left(text, n), right(text, n)  the first / last n bytes
//   mid(text, start, n)       n bytes from byte start (the first is 1)
//   trim(text)                blanks removed at both ends
//   if(condition, a, b)       a when the condition is true, else b; it is
//                             false when it reads as the number 0 (0, -0,
//                             0.0, a word, the empty text)
//
// Numbers read and write as in the formula language. Every argument is
// evaluated before the function is called, so both branches of if are.
#pragma once

namespace formel_cli {

void RegisterStockFunctions();

}  // namespace formel_cli
