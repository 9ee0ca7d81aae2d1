#!/usr/bin/env bash
# A fuzzing run of fixed length: each fuzzer starts from its seeds (made
# from the formula case file) and its regression inputs. A crash, a
# sanitizer report or a violated property fails the run; the input is left
# in build-sanitize/fuzz-findings. The instrumented build evaluates some
# thirty to fifty times slower than an ordinary one, so it only catches
# hangs (10 s); afterwards every Formel input found is replayed in the
# ordinary build, where none may take longer than a second.
# FUZZ_SECONDS sets the time of the Formel fuzzer (the table fuzzer gets half).
set -euo pipefail
cd "$(dirname "$0")/../.."
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
seconds=${FUZZ_SECONDS:-120}
build=build-sanitize
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DFORMEL_SANITIZE=ON -DFORMEL_WERROR=ON -DFORMEL_WINDOWS_SUITE=OFF -DFORMEL_PLAYGROUND=OFF
fi
cmake --build "$build" -j2 --target formel_fuzzer registry_fuzzer formel_fuzz_corpora
findings=$build/fuzz-findings
mkdir -p "$findings"
run_fuzzer() {
  local name=$1 time=$2
  local corpus=$build/fuzz-corpus/$name
  mkdir -p "$corpus"
  echo "fuzzing $name for ${time}s"
  "$build/fuzz/${name}_fuzzer" -max_total_time="$time" -timeout=10 -max_len=4096 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
    "$corpus" "$build/fuzz/seeds/$name" "fuzz/regressions/$name" 2> "$build/fuzz-$name.log" || {
    tail -n 60 "$build/fuzz-$name.log"
    echo "fuzzer $name failed; the input is in $findings"
    exit 1
  }
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$build/fuzz-$name.log"
  echo "corpus: $(find "$corpus" -type f | wc -l) inputs"
}
run_fuzzer formel "$seconds"
run_fuzzer registry $((seconds / 2))

if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DFORMEL_WERROR=ON
fi
cmake --build build -j2 --target formel_fuzz_replay
build/fuzz/formel_fuzz_replay 1000 "$build/fuzz-corpus/formel" "$build/fuzz/seeds/formel" \
  fuzz/regressions/formel
