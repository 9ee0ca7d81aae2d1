#include "eval/stages/pair_matching.h"

namespace formel {

void MatchPairs(std::string_view text, char open, char close,
                std::pmr::vector<std::uint32_t>& closeOf, std::pmr::vector<std::uint32_t>& stack) {
  stack.clear();
  closeOf.resize(text.size());
  std::uint32_t* const entries = closeOf.data();
  for (std::uint32_t i = 0; i < text.size(); ++i) {
    if (text[i] == open) {
      entries[i] = kUnmatched;
      stack.push_back(i);
    } else if (text[i] == close && !stack.empty()) {
      entries[stack.back()] = i;
      stack.pop_back();
    }
  }
}

}  // namespace formel
