#!/usr/bin/env bash
# Evaluators on many threads at once, built by clang with ThreadSanitizer:
# any data race between evaluators stops the run.
set -euo pipefail
cd "$(dirname "$0")/../.."
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
CC=clang CXX=clang++ cmake -S . -B build-tsan -DFORMEL_TSAN=ON -DFORMEL_WERROR=ON -DFORMEL_WINDOWS_SUITE=OFF
cmake --build build-tsan -j2 --target formel_evaluator_tests
build-tsan/tests/formel_evaluator_tests
