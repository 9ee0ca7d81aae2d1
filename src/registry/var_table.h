// The VarTable: named text variables that formulas read as [name].
// At most one entry per key; a set replaces any entry with a matching name.
#pragma once

#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <unordered_map>

#include "registry/name_key.h"

namespace formel {

class VarTable {
 public:
  explicit VarTable(std::pmr::memory_resource* heap) : entries_(heap) {}

  // name is stored with its blanks trimmed and its case kept. Either the
  // table holds the new entry afterwards, or (out of memory) it is unchanged.
  void Set(std::string_view key, std::string_view name, std::string_view value);
  // The value, or "" when no entry matches.
  std::string_view Get(std::string_view key) const;
  std::int32_t Remove(std::string_view key);
  void Clear() { entries_.clear(); }
  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    Text name;
    Text value;
  };
  std::pmr::unordered_map<Text, Entry, KeyHash, KeyEqual> entries_;
};

}  // namespace formel
