// The FuncTable: functions the host registered for use in formulas, each
// with the address it is called at and its number of parameters (0 to 10).
#pragma once

#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <unordered_map>

#include "registry/name_key.h"

namespace formel {

// A host function takes at most this many arguments.
inline constexpr std::int32_t kMaxParams = 10;

struct FuncInfo {
  std::intptr_t callId = 0;
  std::int32_t paramCount = 0;
};

class FuncTable {
 public:
  explicit FuncTable(std::pmr::memory_resource* heap) : entries_(heap) {}

  // Replaces any entry with a matching name; strong guarantee on failure.
  void Set(std::string_view key, std::string_view name, FuncInfo info);
  // {0, 0} when no entry matches.
  FuncInfo Get(std::string_view key) const;
  std::int32_t Remove(std::string_view key);
  void Clear() { entries_.clear(); }
  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    Text name;
    FuncInfo info;
  };
  std::pmr::unordered_map<Text, Entry, KeyHash, KeyEqual> entries_;
};

}  // namespace formel
