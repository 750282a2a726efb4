#!/usr/bin/env bash
# Builds psSIFT instrumented for AFL++ with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-afl/ (binary: build-afl/psSIFT). Needs the afl++ package (afl-clang-fast++).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${PSSIFT_AFL_BUILD:-build-afl}
command -v afl-clang-fast++ >/dev/null || { echo "afl-clang-fast++ not found: apt-get install -y afl++" >&2; exit 1; }
# PSSIFT_SANITIZE adds -fsanitize=address,undefined with -fno-sanitize-recover=all, so every
# sanitizer report aborts and AFL++ records it as a crash. AFL_USE_* stay unset: the project
# flags already bring both sanitizers in and doubling them confuses the link.
export AFL_QUIET=1
CC=afl-clang-fast CXX=afl-clang-fast++ cmake -S . -B "$out" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPSSIFT_SANITIZE=ON -DPSSIFT_TESTS=OFF -DPSSIFT_WERROR=OFF >/dev/null
cmake --build "$out" -j"${JOBS:-2}" --target psSIFT
echo "built $out/psSIFT"
