#!/usr/bin/env bash
# Builds psSIFT twice and runs every test in both builds: once optimised with warnings as
# errors, once with AddressSanitizer and UndefinedBehaviorSanitizer (any report fails the test).
# Then checks that the man page renders without warnings.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build-check -DCMAKE_BUILD_TYPE=Release -DPSSIFT_WERROR=ON
cmake --build build-check -j"$jobs"
ctest --test-dir build-check --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPSSIFT_WERROR=ON -DPSSIFT_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

if [ -x scripts/check-man.sh ]; then
  scripts/check-man.sh
fi
echo "all tests passed"
