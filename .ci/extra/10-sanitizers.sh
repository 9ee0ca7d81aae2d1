#!/usr/bin/env bash
# Every test suite again, built by clang with AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer (float-cast-overflow included);
# any report stops the run. The fuzz targets are built here too, and ctest
# runs each one once over its seeds and its regression inputs. The Windows
# suite is left to the ordinary build: its DLL is the same either way.
set -euo pipefail
cd "$(dirname "$0")/../.."
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
CC=clang CXX=clang++ cmake -S . -B build-sanitize -DFORMEL_SANITIZE=ON -DFORMEL_WERROR=ON -DFORMEL_WINDOWS_SUITE=OFF -DFORMEL_PLAYGROUND=OFF
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -j2
