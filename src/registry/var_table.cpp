#include "registry/var_table.h"

namespace formel {

void Variable::WritePendingText() const {
  char digits[kRealTextMax];
  static_assert(kIntTextMax <= kRealTextMax);
  const std::size_t length = intPending_ ? FormatInt(writtenInt_, digits) : FormatReal(written_, digits);
  Overwrite(text_, {digits, length});  // within the room AssignReal or AssignInt made
  number_.length = static_cast<std::uint32_t>(length);
  textPending_ = false;
}

void Variable::MakeRoom(std::size_t bytes) { text_.reserve(bytes); }

}  // namespace formel
