#include "workloads.h"

namespace formel_bench {

namespace {

// Ten groups, each nested in the next.
std::string NestedGroups() {
  std::string s = "1";
  for (int i = 0; i < 10; ++i) s = std::string("(").append(s).append("*2+").append(std::to_string(i)).append(")");
  return s;
}

// A flat sum of one-digit terms: 10000 of them stay within muparser's
// limit of 20000 characters.
std::string FlatSum(int terms) {
  std::string s = "1";
  for (int i = 1; i < terms; ++i) s.append("+").append(std::to_string(i % 9 + 1));
  return s;
}

// A flat difference of one-digit terms: negative from the second term on.
std::string FlatDifference(int terms) {
  std::string s = "1";
  for (int i = 1; i < terms; ++i) s.append("-").append(std::to_string(i % 9 + 1));
  return s;
}

// Two quoted texts of about half the bytes each, alike up to their last
// letter, compared with op.
std::string TextComparison(int bytes, const char* op) {
  const std::string same(static_cast<std::size_t>(bytes / 2 - 3), 'w');
  return "\"" + same + "a\"" + op + "\"" + same + "b\"";
}

// Quoted literals joined by "&": the result grows with every step.
std::string ConcatChain(int literals) {
  std::string s = "\"w0\"";
  for (int i = 1; i < literals; ++i) s.append("&\"w").append(std::to_string(i % 10)).append("\"");
  return s;
}

// About a megabyte of every arithmetic operator, with negative
// intermediate results.
std::string MixedMegabyte() {
  const std::string chunk = "3*4+10/4-2^2-7\\2+";
  std::string s;
  while (s.size() < 1000000) s += chunk;
  return s + "1";
}

std::string Sized(const char* stem, int n) { return std::string(stem).append("_").append(std::to_string(n)); }

}  // namespace

std::vector<Workload> FixedSuite() {
  std::vector<Workload> suite = {
      {"arith_short", "2*3+4", 0, "2*3+4"},
      {"var_and_call", "2*max(1,[x])+1", 0, "2*hmax(1,x)+1"},
      {"nested_10", NestedGroups(), 0, NestedGroups()},
      {"text_mix", "\"Hello, \" & [who] & \"!\" = \"Hello, world!\"", 0, ""},
  };
  for (const int n : {10, 100, 1000, 10000, 100000}) {
    suite.push_back({Sized("sum", n), FlatSum(n), 0, n <= 10000 ? FlatSum(n) : ""});
  }
  for (const int n : {100, 10000, 100000}) {
    suite.push_back({Sized("diff", n), FlatDifference(n), 0, n <= 10000 ? FlatDifference(n) : ""});
  }
  for (const int n : {100, 10000, 100000}) suite.push_back({Sized("concat", n), ConcatChain(n), 0, ""});
  for (const int n : {100, 100000}) {
    suite.push_back({Sized("text_less", n), TextComparison(n, "<"), 0, ""});
    suite.push_back({Sized("text_equal", n), TextComparison(n, "="), 0, ""});
  }
  for (const int n : {10, 1000, 100000}) suite.push_back({Sized("table", n), "[v7]+1", n, "v7+1"});
  suite.push_back({"call_10_args", "f10(1,2,3,4,5,6,7,8,9,10)", 0, "f10(1,2,3,4,5,6,7,8,9,10)"});
  suite.push_back({"mixed_1MB", MixedMegabyte(), 0, ""});
  suite.push_back({"repeated_vars", "[x]*[x]+2*[x]-1", 0, "x*x+2*x-1", true});
  return suite;
}

}  // namespace formel_bench
