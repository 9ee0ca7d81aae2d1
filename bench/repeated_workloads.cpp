#include "repeated_workloads.h"

#include <cstdio>

namespace formel_bench {

std::vector<RepeatedWorkload> RepeatedSuite() {
  return {
      {"square", "[x]*[x]+2*[x]-1", "x*x+2*x-1", "x", false},
      {"discount", "[n]*(1-[d]/100)", "n*(1-d/100)", "n", true},
      {"call", "2*max(1,[x])+1", "2*hmax(1,x)+1", "x", false},
      {"compare", "[x]<500", "x<500", "x", false},
  };
}

const std::string& PriceText(std::size_t i) {
  static const std::vector<std::string> prices = [] {
    std::vector<std::string> texts;
    for (int k = 0; k < 97; ++k) {
      char text[16];
      std::snprintf(text, sizeof text, "%d.%02d", 3 + k * 7, (k * 37) % 100);
      texts.emplace_back(text);
    }
    return texts;
  }();
  return prices[i % prices.size()];
}

}  // namespace formel_bench
