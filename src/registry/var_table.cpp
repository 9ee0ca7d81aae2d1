#include "registry/var_table.h"

#include <utility>

#include "text/text.h"

namespace formel {

void VarTable::Set(std::string_view key, std::string_view name, std::string_view value) {
  auto* heap = entries_.get_allocator().resource();
  // Build the new texts first, so that running out of memory leaves the
  // previous entry in place.
  Entry fresh{Text(TrimBlanks(name), heap), Text(value, heap)};
  auto found = entries_.find(key);
  if (found != entries_.end()) {
    found->second = std::move(fresh);
    return;
  }
  entries_.emplace(Text(key, heap), std::move(fresh));
}

std::string_view VarTable::Get(std::string_view key) const {
  auto found = entries_.find(key);
  return found == entries_.end() ? std::string_view() : std::string_view(found->second.value);
}

std::int32_t VarTable::Remove(std::string_view key) {
  auto found = entries_.find(key);
  if (found == entries_.end()) return 0;
  entries_.erase(found);
  return 1;
}

}  // namespace formel
