// Standard error: one-line messages, and a status line (the progress) that
// stays below them. Messages clear the status line first; it is drawn
// again at its next update.
#pragma once

#include <string_view>

namespace formel_cli {

// Writes "formel: message" on a line of its own.
void ReportMessage(std::string_view message);

// Replaces the status line by text (one line, no line end).
void ShowStatus(std::string_view text);
void ClearStatus();

}  // namespace formel_cli
