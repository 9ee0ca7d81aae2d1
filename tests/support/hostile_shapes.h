// Formula shapes that cost more than their size would suggest, made at any
// length: the hostile suite bounds their peak memory, the benchmark times
// them against a flat sum of the same length.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace formel_test {

struct HostileShape {
  const char* name;
  std::string formula;
};

// Each shape about `bytes` long. Shapes that call "f" expect a function of
// one parameter that returns its argument.
std::vector<HostileShape> HostileShapes(std::size_t bytes);

// The baseline: a flat sum of one-digit terms, about `bytes` long.
std::string FlatSumOf(std::size_t bytes);

}  // namespace formel_test
