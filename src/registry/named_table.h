// A table of entries found by the normal form of their names (name_key.h).
// At most one entry per key: setting a matching name replaces the entry.
// Lookups cost the same however many entries there are.
#pragma once

#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "frame/private_text.h"
#include "registry/name_key.h"

namespace formel {

template <class Value>
class NamedTable {
 public:
  explicit NamedTable(std::pmr::memory_resource* heap) : entries_(heap) {}

  // Either the table holds the new entry afterwards, or (out of memory) it
  // is unchanged: the entry's texts are made before anything is replaced.
  void Set(std::string_view key, Value value) {
    auto found = entries_.find(key);
    if (found != entries_.end()) {
      found->second = std::move(value);
      return;
    }
    entries_.emplace(Text(key, entries_.get_allocator().resource()), std::move(value));
    ++generation_;
  }

  // The value of the entry with that key, or null.
  const Value* Find(std::string_view key) const {
    auto found = entries_.find(key);
    return found == entries_.end() ? nullptr : &found->second;
  }
  // The same, for a holder that replaces the value in place (which keeps
  // the generation).
  Value* Find(std::string_view key) {
    auto found = entries_.find(key);
    return found == entries_.end() ? nullptr : &found->second;
  }

  // Number of entries removed: 0 or 1.
  std::int32_t Remove(std::string_view key) {
    auto found = entries_.find(key);
    if (found == entries_.end()) return 0;
    entries_.erase(found);
    ++generation_;
    return 1;
  }

  void Clear() {
    entries_.clear();
    ++generation_;
  }

  // Changes whenever an entry comes or goes. While it stays, what Find gave
  // stays valid and finds the same entry (whose value Set may replace).
  std::uint64_t Generation() const { return generation_; }

 private:
  std::pmr::unordered_map<Text, Value, KeyHash, KeyEqual> entries_;
  std::uint64_t generation_ = 0;
};

}  // namespace formel
