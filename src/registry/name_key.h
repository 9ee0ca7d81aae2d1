// Names in both tables match when, with blanks removed at both ends and
// A-Z and 0xC0-0xDF lowered, they are equal byte for byte. The key is that
// normal form; tables are keyed by it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "frame/string_workspace.h"

namespace formel {

// Builds the key of name as a temporary at the workspace write position.
std::string_view BuildNameKey(StringWorkspace& workspace, std::string_view name);

// The key of a name already trimmed, written at out (room for its length).
std::string_view WriteNameKey(std::string_view trimmed, char* out);

// Names are mostly a few bytes: those are hashed (FNV-1a) and compared
// inline, longer ones by the library.
inline constexpr std::size_t kShortKey = 16;

struct KeyHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view key) const {
    if (key.size() > kShortKey) return std::hash<std::string_view>{}(key);
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : key) {
      h ^= static_cast<unsigned char>(c);
      h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h ^ (h >> 32));
  }
};

struct KeyEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    if (a.size() > kShortKey) return a == b;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }
};

}  // namespace formel
