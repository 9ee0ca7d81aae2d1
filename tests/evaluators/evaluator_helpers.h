// Shared by the suites of the evaluator API: an owning handle, and a host
// function that shows what it was called with.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "formel_evaluator.h"

namespace formel_test {

struct FreeEvaluator {
  void operator()(formel_evaluator* ev) const { formel_free(ev); }
};
using OwnedEvaluator = std::unique_ptr<formel_evaluator, FreeEvaluator>;

inline OwnedEvaluator MakeEvaluator() {
  OwnedEvaluator ev(formel_new());
  EXPECT_NE(ev, nullptr);
  return ev;
}

// "{argc:a|b}" in the std::string that user points to.
inline const char* ShowArguments(void* user, int argc, const char* const* argv) {
  auto& out = *static_cast<std::string*>(user);
  out = "{" + std::to_string(argc) + ":";
  for (int i = 0; i < argc; ++i) out += (i > 0 ? "|" : "") + std::string(argv[i]);
  out += "}";
  return out.c_str();
}

}  // namespace formel_test
