#include "registry/var_table.h"

namespace formel {

void Variable::WritePendingText() const {
  char digits[kRealTextMax];
  static_assert(kIntTextMax <= kRealTextMax);
  // Within the room AssignReal or AssignInt made.
  text_.assign(digits, intPending_ ? FormatInt(writtenInt_, digits) : FormatReal(written_, digits));
  number_.length = static_cast<std::uint32_t>(text_.size());
  textPending_ = false;
}

}  // namespace formel
