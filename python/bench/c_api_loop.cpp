// The C API's cost of one formel_evaluate call, the baseline of the Python
// package's per-call overhead. Prints nanoseconds per call (the best of 5).
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "formel_evaluator.h"

int main(int argc, char** argv) {
  const char* formula = argc > 1 ? argv[1] : "2*3+4";
  const long calls = argc > 2 ? std::atol(argv[2]) : 1000000;
  formel_evaluator* ev = formel_new();
  double best = 1e30;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i) {
      if (*formel_evaluate(ev, formula) == '\0') return 1;
    }
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    if (spent.count() / calls < best) best = spent.count() / calls;
  }
  formel_free(ev);
  std::printf("%.1f\n", best);
  return 0;
}
