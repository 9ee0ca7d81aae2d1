// Standard output, checked: a write that fails is an error, not silence.
#pragma once

#include <string_view>

namespace formel_cli {

// Both throw OutputError when standard output cannot be written.
void WriteOut(std::string_view text);
void FlushOut();

}  // namespace formel_cli
