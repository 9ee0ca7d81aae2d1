// Names in both tables match when, with blanks removed at both ends and
// A-Z and 0xC0-0xDF lowered, they are equal byte for byte. The key is that
// normal form; tables are keyed by it.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "frame/string_workspace.h"

namespace formel {

// Builds the key of name as a temporary at the workspace write position.
std::string_view BuildNameKey(StringWorkspace& workspace, std::string_view name);

// The key of a name already trimmed, written at out (room for its length).
std::string_view WriteNameKey(std::string_view trimmed, char* out);

struct KeyHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view key) const {
    return std::hash<std::string_view>{}(key);
  }
};

struct KeyEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

}  // namespace formel
