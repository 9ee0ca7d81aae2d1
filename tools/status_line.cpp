#include "status_line.h"

#include <cstdio>
#include <string>

namespace formel_cli {

namespace {

std::size_t gStatusWidth = 0;  // columns of the status line on the screen

void WriteError(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void ReportMessage(std::string_view message) {
  ClearStatus();
  WriteError("formel: " + std::string(message) + "\n");
}

// Blanks, not a terminal control sequence, so that any terminal clears it.
void ShowStatus(std::string_view text) {
  std::string line(1, '\r');
  line.append(text);
  if (text.size() < gStatusWidth) line.append(gStatusWidth - text.size(), ' ').append(1, '\r').append(text);
  gStatusWidth = text.size();
  WriteError(line);
}

void ClearStatus() {
  if (gStatusWidth == 0) return;
  std::string line(gStatusWidth + 2, ' ');
  line.front() = line.back() = '\r';
  WriteError(line);
  gStatusWidth = 0;
}

}  // namespace formel_cli
