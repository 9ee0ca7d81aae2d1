// A text the library keeps beyond one operation: allocated from the
// private heap of its evaluator, owned by exactly one holder.
#pragma once

#include <memory_resource>
#include <string>

namespace formel {

using Text = std::pmr::string;

}  // namespace formel
