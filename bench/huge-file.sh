#!/usr/bin/env bash
# A program stream of more than 4 GiB: whole-pack copies of one sample back to back. Checks
# that psSIFT's counts, pack sizes and packet numbers are exactly N times one copy's, far past
# 2^31 and 2^32 bytes.
#
# Usage: bench/huge-file.sh [SAMPLE] [--keep] [--build-only]
#   SAMPLE      a program stream of whole packs (default the DVD sample of the tests); a
#               program end code at its very end is left out of the copies
#   --keep      keep the big file (bench/data/huge.vob, or $HUGE_FILE) afterwards
#   --build-only  make the big file and stop (implies --keep); bench/memory.sh uses it
# Environment: PSSIFT_BIN (default build-bench/psSIFT, built when missing), HUGE_FILE,
#   HUGE_MIN_BYTES (default 4 GiB + 64 MiB).
# Checks, against the report of one copy:
#   level 3: the summary: packs, system headers, packets and bytes per stream N times one
#            copy's (modulo 2^32, as the counters wrap);
#   level 1: the same summary (report piped, not stored);
#   level 2: every "pack size = " value follows the one-copy pattern, the last PACK # is
#            N * packs - 1 and each numbered stream's last "packet #" is N * count - 1.
# Needs about 4.5 GB of disk beside the repository. Not run by CI.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
sample=$root/tests/data/samples/mpeg2_ffmpeg_dvd_multi.vob
keep=0 build_only=0
for a in "$@"; do
  case $a in
    --keep) keep=1 ;;
    --build-only) keep=1 build_only=1 ;;
    *) sample=$a ;;
  esac
done
big=${HUGE_FILE:-$here/data/huge.vob}
min_bytes=${HUGE_MIN_BYTES:-$((4 * 1024 * 1024 * 1024 + 64 * 1024 * 1024))}
work=$(mktemp -d)
cleanup() { rm -rf "$work"; if [ "$keep" = 0 ]; then rm -f "$big"; fi; }
trap cleanup EXIT

# One copy: the sample less a program end code at its very end.
copy=$work/copy.vob
if [ "$(tail -c 4 "$sample" | od -An -tx1 | tr -d ' \n')" = 000001b9 ]; then
  head -c $(($(stat -c %s "$sample") - 4)) "$sample" > "$copy"
  echo "sample ends with a program end code: left out of the copies"
else
  cp "$sample" "$copy"
fi
copy_bytes=$(stat -c %s "$copy")
[ "$(head -c 4 "$copy" | od -An -tx1 | tr -d ' \n')" = 000001ba ] || { echo "sample does not start with a pack"; exit 2; }
n=$(((min_bytes + copy_bytes - 1) / copy_bytes))
total=$((n * copy_bytes))

mkdir -p "$(dirname "$big")"
if [ -f "$big" ] && [ "$(stat -c %s "$big")" = "$total" ]; then
  echo "reusing $big"
else
  echo "building $big: $n copies of $copy_bytes bytes = $total bytes"
  chunk=$work/chunk.vob   # 64 copies, then whole chunks and the rest
  for _ in $(seq 64); do cat "$copy"; done > "$chunk"
  {
    for _ in $(seq $((n / 64))); do cat "$chunk"; done
    for _ in $(seq $((n % 64))); do cat "$copy"; done
  } > "$big"
  rm -f "$chunk"
fi
[ "$(stat -c %s "$big")" = "$total" ] || { echo "big file has the wrong size"; exit 1; }
[ "$build_only" = 1 ] && { echo "$big: $total bytes"; exit 0; }

bin=${PSSIFT_BIN:-}
if [ -z "$bin" ]; then
  if [ ! -x "$root/build-bench/psSIFT" ]; then
    cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DPSSIFT_TESTS=OFF >/dev/null
    cmake --build "$root/build-bench" -j2 --target psSIFT >/dev/null
  fi
  bin=$root/build-bench/psSIFT
fi

summary() { awk '/^Summary:$/ { s = 1; next } s && NF' ; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Expected summary: every number of one copy's summary times n, modulo 2^32.
"$bin" "$copy" 3 | summary > "$work/one.sum"
awk -v n="$n" '{
    out = ""
    for (i = 1; i <= NF; i++) {
      f = $i; tail = ""
      if (f ~ /^[0-9]+,?$/ && $(i - 1) == "=") {
        if (f ~ /,$/) { tail = ","; f = substr(f, 1, length(f) - 1) }
        f = (f * n) % 4294967296
        f = sprintf("%.0f", f) tail
      }
      out = out (i > 1 ? " " : "") f
    }
    print (substr($0, 1, 4) == "    " ? "    " : "") out
  }' "$work/one.sum" > "$work/want.sum"

start=$(date +%s)
"$bin" "$big" 3 | summary > "$work/big3.sum"
if cmp -s "$work/want.sum" "$work/big3.sum"; then echo "level 3 summary: N x one copy (ok)"
else fail "level 3 summary differs:"; diff "$work/want.sum" "$work/big3.sum" || true; fi
"$bin" "$big" 1 | tail -c 65536 | summary > "$work/big1.sum"
if cmp -s "$work/want.sum" "$work/big1.sum"; then echo "level 1 summary: N x one copy (ok)"
else fail "level 1 summary differs:"; diff "$work/want.sum" "$work/big1.sum" || true; fi

# Level 2: pack sizes, pack numbers and packet numbers.
scan='
  /^pack size = / { sizes[ns++] = $4 }
  /^PACK #/ { p = substr($2, 2, length($2) - 2) + 0; last_pack = p }
  /^  packet #/ { pending = substr($2, 2) + 0; have = 1; next }
  have && /^  stream_id = / { last[$3] = pending; have = 0 }
  END {
    print "packs", last_pack + 1
    print "sizes", ns
    for (i = 0; i < ns; i++) print "size", sizes[i]
    for (s in last) print "packet", s, last[s]
  }'
"$bin" "$copy" 2 | awk "$scan" > "$work/one.l2"
packs_one=$(awk '$1 == "packs" { print $2 }' "$work/one.l2")
# The pack after the last pack of a copy is the next copy's first: its pack size is that of
# the copy's last pack, which runs from its pack start code to the end of the copy.
last_pack_offset=$(LC_ALL=C grep -obUaP '\x00\x00\x01\xba' "$copy" | tail -n 1 | cut -d: -f1)
[ -n "$last_pack_offset" ] || { echo "no pack start code found in the copy"; exit 2; }
boundary_size=$((copy_bytes - last_pack_offset))
"$bin" "$big" 2 | awk -v n="$n" -v b="$boundary_size" -v onefile="$work/one.l2" '
  BEGIN {
    while ((getline line < onefile) > 0) {
      split(line, f, " ")
      if (f[1] == "size") pat[m++] = f[2]
      if (f[1] == "packs") packs = f[2]
      if (f[1] == "packet") want[f[2]] = f[3]
    }
    period = m + 1        # the sizes of one copy and the boundary size
  }
  /^pack size = / {
    j = ns % period
    expect = j < m ? pat[j] : b
    if ($4 != expect && bad++ < 5) printf "pack size #%d = %s, expected %s\n", ns, $4, expect
    ns++
  }
  /^PACK #/ { last_pack = substr($2, 2, length($2) - 2) + 0 }
  /^  packet #/ { pending = substr($2, 2) + 0; have = 1; next }
  have && /^  stream_id = / { last[$3] = pending; have = 0 }
  END {
    ok = 1
    if (bad) { printf "%d pack sizes off the pattern\n", bad; ok = 0 }
    if (ns != n * (m + 1) - 1) { printf "%d pack size lines, expected %d\n", ns, n * (m + 1) - 1; ok = 0 }
    if (last_pack != n * packs - 1) { printf "last PACK #%d, expected %d\n", last_pack, n * packs - 1; ok = 0 }
    for (s in want) {
      e = n * (want[s] + 1) - 1
      if (last[s] != e) { printf "stream %s: last packet #%s, expected %d\n", s, last[s], e; ok = 0 }
      else printf "stream %s: last packet #%d (ok)\n", s, last[s]
    }
    printf "pack size lines: %d, all on the pattern: %s; last PACK #%d\n", ns, bad ? "no" : "yes", last_pack
    exit ok ? 0 : 1
  }' || fail "level 2 pack sizes or numbers"
echo "file: $big, $total bytes = $n copies of $copy_bytes ($packs_one packs each), $(($(date +%s) - start)) s of runs"
echo "summary of the big file (level 3):"
cat "$work/big3.sum"
if [ "$failures" = 0 ]; then echo "huge file: all checks passed"; else echo "huge file: $failures checks failed"; exit 1; fi
