#!/usr/bin/env bash
# Peak resident memory of psSIFT at each level, from GNU time (/usr/bin/time -v, package
# "time"), on the largest sample stream, on the >4 GiB stream of bench/huge-file.sh and on
# bench/data/dvd-1g.vob when it is there. The report goes to /dev/null.
#
# Usage: bench/memory.sh [FILE...]   (default: the files above)
# Environment: PSSIFT_BIN (default build-bench/psSIFT, built when missing); HUGE_FILE (default
#   bench/data/huge.vob: made with bench/huge-file.sh --build-only when missing, and deleted
#   again afterwards; set MEMORY_NO_HUGE=1 to leave it out).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
[ -x /usr/bin/time ] || { echo "GNU time not found at /usr/bin/time (apt-get install -y time)" >&2; exit 2; }

bin=${PSSIFT_BIN:-}
if [ -z "$bin" ]; then
  if [ ! -x "$root/build-bench/psSIFT" ]; then
    cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DPSSIFT_TESTS=OFF >/dev/null
    cmake --build "$root/build-bench" -j2 --target psSIFT >/dev/null
  fi
  bin=$root/build-bench/psSIFT
fi

made_huge=
files=("$@")
if [ ${#files[@]} = 0 ]; then
  largest=$(find "$root/tests/data" "$root/tests/e2e" /work/shared/samples -type f \
              \( -iname '*.mpg' -o -iname '*.vob' \) -printf '%s %p\n' 2>/dev/null | sort -n | tail -n 1 | cut -d' ' -f2-)
  [ -n "$largest" ] && files+=("$largest")
  if [ "${MEMORY_NO_HUGE:-0}" != 1 ]; then
    huge=${HUGE_FILE:-$here/data/huge.vob}
    if [ ! -f "$huge" ]; then
      HUGE_FILE=$huge "$here/huge-file.sh" --build-only >/dev/null
      made_huge=$huge
    fi
    files+=("$huge")
  fi
  [ -f "$here/data/dvd-1g.vob" ] && files+=("$here/data/dvd-1g.vob")
fi
trap '[ -z "$made_huge" ] || rm -f "$made_huge"' EXIT

echo "binary: $bin"
printf '%-28s %14s %5s %9s %10s %6s\n' file bytes level rss_KiB rss_MiB exit
for f in "${files[@]}"; do
  for level in 1 2 3 4; do
    set +e
    /usr/bin/time -v -o "$here/.memory.$$" "$bin" "$f" "$level" > /dev/null
    status=$?
    set -e
    kib=$(awk -F': *' '/Maximum resident set size/ { print $2 }' "$here/.memory.$$")
    rm -f "$here/.memory.$$"
    printf '%-28s %14s %5s %9s %10.1f %6s\n' "$(basename "$f")" "$(stat -c %s "$f")" "$level" "$kib" \
      "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" "$status"
  done
done
