// The variable that the last set export wrote, under its name as the host
// wrote it: a host that sets the same variable again and again (a loop)
// skips building the name's key and hashing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/private_text.h"
#include "registry/var_table.h"
#include "text/text.h"

namespace formel {

class LastSetVariable {
 public:
  explicit LastSetVariable(std::pmr::memory_resource* heap) : name_(heap) {}

  // The entry of that name (a host's C text, null reading as ""), while no
  // entry came or went since; else null. A name kept holds no zero byte.
  Variable* Entry(const char* name, const VarTable& vars) const {
    const bool same = entry_ != nullptr && generation_ == vars.Generation() && IsCText(name_, name);
    return same ? entry_ : nullptr;
  }

  // Longer names are not kept: the memory stays small.
  void Remember(std::string_view name, Variable* entry, const VarTable& vars) {
    entry_ = nullptr;
    if (entry == nullptr || name.size() > kLongestName || name.find('\0') != std::string_view::npos) return;
    name_.assign(name);
    entry_ = entry;
    generation_ = vars.Generation();
  }

 private:
  static constexpr std::size_t kLongestName = 64;

  Text name_;
  Variable* entry_ = nullptr;
  std::uint64_t generation_ = 0;
};

}  // namespace formel
