#!/usr/bin/env bash
# Time psSIFT at each level against a plain read of the same file.
#
# Usage: bench/run.sh [FILE] [RUNS]
#   FILE  stream to analyse (default bench/data/dvd-1g.vob, made by
#         bench/make-stream.sh when missing)
#   RUNS  timed runs (default 5); each run times dd and levels 1-4 in turn
#
# Environment:
#   PSSIFT_BIN  binary to time; when unset, build-bench/psSIFT is built
#               (Release, tests off) and used
#
# Each time is wall-clock seconds from date +%s%N; peak RSS comes from
# GNU time (/usr/bin/time -f %M). The file is read once beforehand to warm
# the page cache. Output: one line per level with the median time, the
# throughput (1e9 bytes/s of input), the median time over dd's median time
# and the largest peak RSS over the runs; then the report sizes.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
file=${1:-$here/data/dvd-1g.vob}
runs=${2:-5}
levels="1 2 3 4"

case $runs in
  ''|*[!0-9]*|0) echo "run: RUNS must be a positive whole number: $runs" >&2; exit 2 ;;
esac
if [ ! -x /usr/bin/time ]; then
  echo "run: GNU time not found at /usr/bin/time (apt-get install -y time)" >&2
  exit 2
fi

if [ -n "${PSSIFT_BIN:-}" ]; then
  bin=$PSSIFT_BIN
else
  cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DPSSIFT_TESTS=OFF >/dev/null
  cmake --build "$root/build-bench" -j2 --target psSIFT >/dev/null
  bin=$root/build-bench/psSIFT
fi
if [ ! -x "$bin" ]; then
  echo "run: no psSIFT binary at $bin" >&2
  exit 2
fi

if [ ! -e "$file" ]; then
  if [ $# -ge 1 ]; then
    echo "run: $file not found" >&2
    exit 2
  fi
  "$here/make-stream.sh" 1024 "$file"
fi
bytes=$(stat -L -c %s "$file")

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat "$file" > /dev/null

now() { date +%s%N; }

# time_one NAME CMD...: appends seconds to $tmp/NAME.t and peak RSS KiB to
# $tmp/NAME.m; the command's stdout goes to /dev/null. Fails with the
# command's status.
time_one() {
  local name=$1; shift
  local t0 t1 rc=0
  t0=$(now)
  /usr/bin/time -f %M -o "$tmp/rss" "$@" > /dev/null 2> "$tmp/err" || rc=$?
  t1=$(now)
  if [ "$rc" -ne 0 ]; then
    echo "run: '$*' exited with status $rc" >&2
    sed 's/^/  /' "$tmp/err" | tail -n 20 >&2
    exit "$rc"
  fi
  echo "$(( (t1 - t0) / 1000 ))" >> "$tmp/$name.t"   # microseconds
  tail -n 1 "$tmp/rss" >> "$tmp/$name.m"
}

for ((r = 1; r <= runs; r++)); do
  time_one dd dd if="$file" of=/dev/null bs=1M
  for l in $levels; do
    time_one "L$l" "$bin" "$file" "$l"
  done
done

# median of a file of integers, in seconds
median() {
  sort -n "$1" | awk '{ v[NR] = $1 }
    END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%.3f", m / 1e6 }'
}
maxrss_mib() {
  sort -n "$1" | tail -n 1 | awk '{ printf "%.1f", $1 / 1024 }'
}

dd_med=$(median "$tmp/dd.t")

echo "file: $(basename "$file"), $bytes bytes, $runs runs, binary $(basename "$bin")"
printf '%-6s %9s %7s %8s %9s\n' level median_s GB/s x_dd rss_MiB
printf '%-6s %9s %7s %8s %9s\n' dd "$dd_med" \
  "$(awk -v b="$bytes" -v t="$dd_med" 'BEGIN { printf "%.2f", b / 1e9 / t }')" \
  "1.00" "$(maxrss_mib "$tmp/dd.m")"
for l in $levels; do
  med=$(median "$tmp/L$l.t")
  printf '%-6s %9s %7s %8s %9s\n' "$l" "$med" \
    "$(awk -v b="$bytes" -v t="$med" 'BEGIN { printf "%.2f", b / 1e9 / t }')" \
    "$(awk -v a="$med" -v d="$dd_med" 'BEGIN { printf "%.2f", a / d }')" \
    "$(maxrss_mib "$tmp/L$l.m")"
done

echo "report bytes:"
for l in $levels; do
  rc=0
  n=$("$bin" "$file" "$l" 2> "$tmp/err" | wc -c) || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "run: '$bin $file $l' exited with status $rc" >&2
    exit "$rc"
  fi
  printf '%-6s %12s\n' "$l" "$n"
done
