// The codes of the findings: what the language did while it evaluated a
// formula that its author may not expect. The result stays what it is; a
// finding only says why. formel_evaluator.h describes each code.
#pragma once

#include <string_view>

namespace formel::finding {

inline constexpr std::string_view kUnknownFunction = "unknown-function";
inline constexpr std::string_view kCommaInParentheses = "comma-in-parentheses";
inline constexpr std::string_view kExtraArguments = "extra-arguments";
inline constexpr std::string_view kMissingArguments = "missing-arguments";
inline constexpr std::string_view kUnclosedParen = "unclosed-paren";
inline constexpr std::string_view kStrayParen = "stray-paren";
inline constexpr std::string_view kUnclosedBracket = "unclosed-bracket";
inline constexpr std::string_view kStrayBracket = "stray-bracket";
inline constexpr std::string_view kUnsetVariable = "unset-variable";
inline constexpr std::string_view kNumberPrefix = "number-prefix";
inline constexpr std::string_view kTextAsZero = "text-as-zero";
inline constexpr std::string_view kMissingOperand = "missing-operand";
inline constexpr std::string_view kTextNumberCompare = "text-number-compare";
inline constexpr std::string_view kDivisionByZero = "division-by-zero";
inline constexpr std::string_view kOverflow = "overflow";
inline constexpr std::string_view kInvalidOperation = "invalid-operation";
inline constexpr std::string_view kNestingLimit = "nesting-limit";
inline constexpr std::string_view kLengthLimit = "length-limit";
inline constexpr std::string_view kQuotingLimit = "quoting-limit";

}  // namespace formel::finding
