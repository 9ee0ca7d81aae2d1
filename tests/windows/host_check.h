// The Windows host's own small checking frame (no test framework exists for
// this toolchain here): every check counts as passed or failed, a failure is
// printed with what was expected, and main prints the closing tally.
#pragma once

#include <string>

namespace win_host {

struct Tally {
  int passed = 0;
  int failed = 0;
};

Tally& Results();

// Counts one check; prints "FAIL: what" when ok is false.
bool Check(bool ok, const std::string& what);
// A returned text for a check, "(null)" for none.
std::string TextOf(const char* text);
// Counts one check of a text against its expected value.
bool CheckText(const std::string& actual, const std::string& expected, const std::string& what);

}  // namespace win_host
