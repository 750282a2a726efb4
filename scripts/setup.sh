#!/usr/bin/env bash
# Installs what psSIFT needs on a Debian machine, builds it, and runs it on a bundled sample.
# With CI=true the sample run is left out.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(g++ cmake make libgtest-dev libbenchmark-dev mandoc groff-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
if [ "${CI:-}" != true ]; then
  ./build/psSIFT tests/data/samples/dvd_private1_empty_payloads.vob 1
fi
