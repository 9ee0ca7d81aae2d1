// Standard output, checked: a write that fails is an error, not silence.
#pragma once

#include <string_view>

namespace formel_cli {

// At a terminal each line appears at once; elsewhere (a pipe, a file) the
// output is written in large blocks. Call before the first write.
void ChooseOutputBuffering();

// Both throw OutputError when standard output cannot be written.
void WriteOut(std::string_view text);
void FlushOut();

}  // namespace formel_cli
