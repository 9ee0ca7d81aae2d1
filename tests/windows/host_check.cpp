#include "host_check.h"

#include <cstdio>

namespace win_host {

Tally& Results() {
  static Tally tally;
  return tally;
}

bool Check(bool ok, const std::string& what) {
  if (ok) {
    ++Results().passed;
  } else {
    ++Results().failed;
    std::printf("FAIL: %s\n", what.c_str());
  }
  return ok;
}

std::string TextOf(const char* text) { return text == nullptr ? "(null)" : text; }

bool CheckText(const std::string& actual, const std::string& expected, const std::string& what) {
  return Check(actual == expected, what + ": got [" + actual + "], expected [" + expected + "]");
}

}  // namespace win_host
