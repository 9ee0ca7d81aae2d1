// A text the library keeps beyond one operation: allocated from the
// private heap of its evaluator, owned by exactly one holder.
#pragma once

#include <memory_resource>
#include <string>
#include <string_view>

#include "frame/move_bytes.h"

namespace formel {

using Text = std::pmr::string;

// Replaces to's bytes with from's, in the room to already has when they
// fit: a variable set again and again in a loop. from may lie inside to.
inline void Overwrite(Text& to, std::string_view from) {
  if (from.size() > to.capacity()) {
    to.assign(from);
    return;
  }
  const std::size_t kept = to.size();
  if (from.size() > kept) to.append(from.size() - kept, '\0');  // from lies outside: to's bytes suffice
  MoveBytes(to.data(), from.data(), from.size());  // none from an empty one, which may have no bytes
  to.resize(from.size());
}

}  // namespace formel
