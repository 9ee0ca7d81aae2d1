// Matching of "(" with ")" and "[" with "]" by nesting count, in one pass
// with a stack: the same pairs as counting forward from each opening byte.
// Quotes play no part.
#pragma once

#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

namespace formel {

inline constexpr std::uint32_t kUnmatched = 0xFFFFFFFFu;

// closeOf[i]: for an opening byte at i, the index of its closing byte, or
// kUnmatched; the entries of other bytes are left as they were (nobody
// reads them). stack is scratch.
void MatchPairs(std::string_view text, char open, char close,
                std::pmr::vector<std::uint32_t>& closeOf, std::pmr::vector<std::uint32_t>& stack);

}  // namespace formel
