// Integer literals with a base suffix: "h" hexadecimal, "b" binary, "o"
// octal (either case). Digits accumulate in a signed 32-bit value that
// wraps around; a sign is not a digit.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace formel {

// The value of text read as a base-suffixed literal, or nothing when it does
// not end in a suffix letter or holds a character outside its digit table
// (lower-case a-f count as hexadecimal digits here). A suffix alone is 0.
std::optional<std::int32_t> BaseSuffixValue(std::string_view text);

}  // namespace formel
