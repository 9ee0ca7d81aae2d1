#include "registry/func_table.h"

#include <utility>

namespace formel {

void FuncTable::Set(std::string_view key, std::string_view name, FuncInfo info) {
  auto* heap = entries_.get_allocator().resource();
  Entry fresh{Text(name, heap), info};
  auto found = entries_.find(key);
  if (found != entries_.end()) {
    found->second = std::move(fresh);
    return;
  }
  entries_.emplace(Text(key, heap), std::move(fresh));
}

FuncInfo FuncTable::Get(std::string_view key) const {
  auto found = entries_.find(key);
  return found == entries_.end() ? FuncInfo{} : found->second.info;
}

std::int32_t FuncTable::Remove(std::string_view key) {
  auto found = entries_.find(key);
  if (found == entries_.end()) return 0;
  entries_.erase(found);
  return 1;
}

}  // namespace formel
