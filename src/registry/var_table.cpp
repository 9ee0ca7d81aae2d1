#include "registry/var_table.h"

namespace formel {

void Variable::WritePendingText() const {
  char digits[kRealTextMax];
  text_.assign(digits, FormatReal(written_, digits));  // within the room AssignReal made
  number_.length = static_cast<std::uint32_t>(text_.size());
  textPending_ = false;
}

}  // namespace formel
